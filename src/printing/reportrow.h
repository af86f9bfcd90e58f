// Plain data handed to the report layouts: one query row, and the regional formats the reports print with.
#pragma once

#include <QChar>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace pelmixi::printing {

// One data row of a report, keyed by the lower-case column name exactly as the query returns it
// ("cislodokla", "partiecela", "mnozstvi", ...). Values may be QString, numbers, QDate/QDateTime
// or null; a missing key reads as empty. When a join brings two columns of one name, the caller
// keeps the first (the pelmixi column), as the query result does.
using ReportRow = QVariantMap;
using ReportRows = QList<ReportRow>;

// The regional settings the printed values follow. The defaults are the Czech ones of the
// workstations: decimal comma, "dd.MM.yyyy" short date, "H:mm:ss" long time.
struct ReportFormats {
    QChar decimalSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
    QString longTimeFormat = QStringLiteral("H:mm:ss");
};

// The column's value as text; numbers in general format, dates in short date format.
QString rowText(const ReportRow &row, const QString &column, const ReportFormats &formats = {});
// The column's value as a number (text with a decimal comma or point is read too); 0 when empty.
double rowNumber(const ReportRow &row, const QString &column);

// General number format: shortest form, at most 15 significant digits, no digit grouping,
// the given decimal separator ("1,25", "1250", "0,001").
QString formatGeneral(double value, QChar decimalSeparator = QLatin1Char(','));
// The price mask "## ### ###.00": two decimals, groups of three digits separated by blanks,
// no leading zero before the separator (0.5 gives ",50"), as the mask's '#' placeholders say.
QString formatPriceMask(double value, QChar decimalSeparator = QLatin1Char(','));
// A date value (QDate, QDateTime or "yyyy-MM-dd" text) in the short date format; empty when none.
QString formatDate(const QVariant &value, const ReportFormats &formats = {});
// "Vytištěno:" value: short date, a blank, long time.
QString formatPrintedAt(const QDateTime &when, const ReportFormats &formats = {});

} // namespace pelmixi::printing
