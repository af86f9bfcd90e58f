// The data of the two document reports: their queries, the rows as the layouts read them, the
// company data of the protocol and the logo, and the reports built from them.
#pragma once

#include "printing/documentreports.h"

#include <QImage>
#include <QString>

class Connection;
class ResultSet;

namespace pelmixi::printing {

// The recipe document's statement: every pelmixi row of the document with its stock card and
// the cost-centre name, mix row first. The number goes through sqlQuote.
QString recipeReportQuery(const QString &documentNumber);
// The protocol's statement. cenikcj is joined through one row per druh: plants keep several
// price rows for one species, and a plain join printed every composition line once per row.
QString protocolReportQuery(const QString &documentNumber);
QString reportQuery(ReportKind kind, const QString &documentNumber);

// Rows keyed by the lower-case column name. When a joined table repeats a name (popis,
// mnozstvi, naz_dru...), the first column, the pelmixi one, is the one kept.
ReportRows reportRows(const ResultSet &result);
// Runs the report's statement; throws DbError like every query.
ReportRows loadReportRows(Connection &connection, ReportKind kind, const QString &documentNumber);

// Company data and the kilogram switch from ./pelmixi.ini, section TFmozno.
CompanyData readCompanyData();
// "logo.bmp" of the current directory (any letter case); a null picture when there is none.
QImage loadReportLogo();

// The report of the kind with the logo read now and the company data read at each generation.
Report documentReport(ReportKind kind, const ReportRows &rows);

// "KS" for the recipe document, "MP" for the mixing protocol: the suffix of saved files.
QString reportFileSuffix(ReportKind kind);

} // namespace pelmixi::printing
