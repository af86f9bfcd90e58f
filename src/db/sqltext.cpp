#include "sqltext.h"

#include <cmath>

QString sqlQuote(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('\'');
    for (QChar c : text) {
        if (c == QLatin1Char('\''))
            out += QLatin1String("''");
        else if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QChar(0))
            out += QLatin1String("\\0");
        else
            out += c;
    }
    out += QLatin1Char('\'');
    return out;
}

QString sqlEscapeDoubleQuoted(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString sqlNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // QString::number always formats in the C locale, whatever the process locale is.
    QString s = QString::number(value, 'g', 15);
    if (s.contains(QLatin1Char('e'))) {
        // Very large or very small magnitudes: a plain decimal text with at most 15 significant digits.
        s = QString::number(value, 'f', 15);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QString sqlNumber(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QStringLiteral("0");
    if (value.typeId() == QMetaType::QString) {
        QString t = value.toString().trimmed();
        if (t.isEmpty())
            return QStringLiteral("0");
        t.remove(QLatin1Char(' '));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double d = t.toDouble(&ok);
        return ok ? sqlNumber(d) : QStringLiteral("0");
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? sqlNumber(d) : QStringLiteral("0");
}

QString sqlSavedFloat(double value)
{
    return QLatin1Char('0') + sqlNumber(value);
}

QString sqlSavedFloat(const QVariant &value)
{
    return QLatin1Char('0') + sqlNumber(value);
}

QString sqlDate(const QDate &date)
{
    return QLatin1Char('\'') + date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\'');
}
