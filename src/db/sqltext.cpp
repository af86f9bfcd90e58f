#include "sqltext.h"

#include <cmath>

namespace {

QString quoted(const QString &text, QChar quote, QLatin1String quoteEscape)
{
    QString out;
    out.reserve(text.size() + 2);
    out += quote;
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case 0:
            out += QLatin1String("\\0");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case 0x1a:
            out += QLatin1String("\\Z");
            break;
        default:
            if (c == quote)
                out += quoteEscape;
            else
                out += c;
        }
    }
    out += quote;
    return out;
}

} // namespace

QString sqlQuote(const QString &text)
{
    return quoted(text, QLatin1Char('\''), QLatin1String("''"));
}

QString sqlDoubleQuote(const QString &text)
{
    return quoted(text, QLatin1Char('"'), QLatin1String("\\\""));
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
