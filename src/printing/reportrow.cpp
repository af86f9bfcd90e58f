// Formatting of row values the way the reports print them.
#include "printing/reportrow.h"

#include <QDate>
#include <cmath>

namespace pelmixi::printing {

QString formatGeneral(double value, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0.0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    // Qt writes "1e-05"; the general format writes the exponent without padding: "1E-5".
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mantissa = text.left(e);
        int exponent = text.mid(e + 1).toInt();
        text = mantissa + QLatin1Char('E') + QString::number(exponent);
    }
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

QString formatPriceMask(double value, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return {};
    const double rounded = std::round(std::fabs(value) * 100.0);
    const bool negative = value < 0 && rounded > 0;
    const qint64 cents = static_cast<qint64>(rounded);
    const qint64 whole = cents / 100;
    const int fraction = static_cast<int>(cents % 100);
    QString digits = whole == 0 ? QString() : QString::number(whole);
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += QLatin1Char(' ');
        grouped += digits.at(i);
    }
    QString text = grouped + decimalSeparator + QStringLiteral("%1").arg(fraction, 2, 10, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + text : text;
}

QString formatDate(const QVariant &value, const ReportFormats &formats)
{
    if (!value.isValid() || value.isNull())
        return {};
    QDate date;
    if (value.typeId() == QMetaType::QDate)
        date = value.toDate();
    else if (value.typeId() == QMetaType::QDateTime)
        date = value.toDateTime().date();
    else {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return {};
        date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid())
            return text;
    }
    return date.isValid() ? date.toString(formats.shortDateFormat) : QString();
}

QString formatPrintedAt(const QDateTime &when, const ReportFormats &formats)
{
    return when.date().toString(formats.shortDateFormat) + QLatin1Char(' ')
        + when.time().toString(formats.longTimeFormat);
}

QString rowText(const ReportRow &row, const QString &column, const ReportFormats &formats)
{
    const QVariant value = row.value(column);
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return formatGeneral(value.toDouble(), formats.decimalSeparator);
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return formatDate(value, formats);
    default:
        return value.toString();
    }
}

double rowNumber(const ReportRow &row, const QString &column)
{
    const QVariant value = row.value(column);
    if (!value.isValid() || value.isNull())
        return 0.0;
    if (value.typeId() == QMetaType::QString) {
        QString text = value.toString().trimmed();
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        return text.toDouble();
    }
    return value.toDouble();
}

} // namespace pelmixi::printing
