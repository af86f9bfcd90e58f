#include "reportdata.h"

#include "connection.h"
#include "paths.h"
#include "resultset.h"
#include "settings.h"
#include "sqltext.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace pelmixi::printing {

QString recipeReportQuery(const QString &documentNumber)
{
    const QStringList lines {
        QStringLiteral("select * from pelmixi LEFT JOIN skarta"),
        QStringLiteral(" ON (pelmixi.partiecela=skarta.partiecela"),
        QStringLiteral(" and pelmixi.lomeni=skarta.lomeni"),
        QStringLiteral(" and pelmixi.stredisko=skarta.stredisko)"),
        QStringLiteral(" LEFT JOIN strtopc"),
        QStringLiteral(" ON (pelmixi.stredisko=strtopc.stred)"),
        QStringLiteral(" where pelmixi.cislodokla = ") + sqlQuote(documentNumber),
        QStringLiteral(" order by pelmixi.smes DESC,pelmixi.id"),
    };
    return lines.join(QLatin1Char('\n'));
}

QString protocolReportQuery(const QString &documentNumber)
{
    // The derived table keeps the name cenikcj, so "cenikcj.*" and the join condition read as
    // before; grouping by druh gives each species one row (the session runs with an empty SQL
    // mode, and no cenikcj column is printed: the ones the layout names come from pelmixi).
    const QStringList lines {
        QStringLiteral("select pelmixi.*,strtopc.nazevstr,cenikcj.* from pelmixi "),
        QStringLiteral(" LEFT JOIN strtopc"),
        QStringLiteral(" ON (strtopc.stred=pelmixi.stredisko)"),
        QStringLiteral(" LEFT JOIN (select * from cenikcj group by druh) cenikcj"),
        QStringLiteral(" ON (cenikcj.druh=pelmixi.druh)"),
        QStringLiteral(" where pelmixi.cislodokla = ") + sqlQuote(documentNumber),
        QStringLiteral(" order by pelmixi.smes DESC,pelmixi.id"),
    };
    return lines.join(QLatin1Char('\n'));
}

QString reportQuery(ReportKind kind, const QString &documentNumber)
{
    return kind == ReportKind::MixingProtocol ? protocolReportQuery(documentNumber) : recipeReportQuery(documentNumber);
}

ReportRows reportRows(const ResultSet &result)
{
    QStringList keys;
    keys.reserve(result.columnCount());
    for (const Column &c : result.columns())
        keys << c.name.toLower();
    ReportRows rows;
    rows.reserve(result.rowCount());
    for (qsizetype r = 0; r < result.rowCount(); ++r) {
        ReportRow row;
        for (int c = 0; c < keys.size(); ++c) {
            if (!row.contains(keys.at(c)))
                row.insert(keys.at(c), result.value(r, c));
        }
        rows << row;
    }
    return rows;
}

ReportRows loadReportRows(Connection &connection, ReportKind kind, const QString &documentNumber)
{
    return reportRows(connection.query(reportQuery(kind, documentNumber)));
}

CompanyData readCompanyData()
{
    namespace k = settings::keys;
    CompanyData d;
    d.nazev = settings::read(k::Editnazev_Text);
    d.sidlo = settings::read(k::Editsidlo_Text);
    d.ulice = settings::read(k::Editulice_Text);
    d.psc = settings::read(k::EditPSC_Text);
    d.posta = settings::read(k::Editposta_Text);
    d.ico = settings::read(k::EditICO_Text);
    d.telefon = settings::read(k::EditTelefon_Text);
    d.fax = settings::read(k::EditFax_Text);
    d.tonsToKilograms = settings::read(k::suiCheckBoxTnaKG_Checked) == QLatin1String("True");
    return d;
}

QImage loadReportLogo()
{
    const QString path = paths::findCaseInsensitive(QDir::currentPath(), QStringLiteral("logo.bmp"));
    if (!QFileInfo(path).isFile())
        return {};
    return QImage(path);
}

Report documentReport(ReportKind kind, const ReportRows &rows)
{
    DocumentReportOptions options;
    options.logo = loadReportLogo();
    if (kind == ReportKind::MixingProtocol)
        return mixingProtocolReport(rows, &readCompanyData, options);
    return recipeDocumentReport(rows, options);
}

QString reportFileSuffix(ReportKind kind)
{
    return kind == ReportKind::MixingProtocol ? QStringLiteral("MP") : QStringLiteral("KS");
}

} // namespace pelmixi::printing
