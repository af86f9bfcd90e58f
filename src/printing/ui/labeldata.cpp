// Label queries, the labels' working tables, smesi.ini and the saved-text files.
#include "labeldata.h"

#include "textfile.h"
#include "paths.h"
#include "settings.h"
#include "sqltext.h"
#include "worktable.h"

#include <QDir>

namespace labels {

using pelmixi::printing::ReportRow;
using pelmixi::printing::ReportRows;

pelmixi::printing::SampleLabelSupplier readSampleLabelSupplier()
{
    namespace k = settings::keys;
    pelmixi::printing::SampleLabelSupplier s;
    s.nazev = settings::read(k::SmesiNazev);
    s.sidlo = settings::read(k::SmesiSidlo);
    s.ulice = settings::read(k::SmesiUlice);
    s.psc = settings::read(k::SmesiPSC);
    s.posta = settings::read(k::SmesiPosta);
    s.ico = settings::read(k::SmesiICO);
    s.kdeVysta = settings::read(k::SmesiKdeVysta);
    s.separator = settings::read(k::SmesiOddDiluPartie);
    return s;
}

QString sampleLabelSql(const QVariant &id)
{
    bool ok = false;
    const qlonglong number = id.toLongLong(&ok);
    if (!id.isValid() || id.isNull() || !ok)
        return {};
    return QStringList({ QStringLiteral("select pelmixi.*,skarta.navesky,skarta.poceto1,skarta.mo1 from pelmixi LEFT "
                                        "JOIN skarta"),
                           QStringLiteral(" ON (skarta.partiecela=pelmixi.partiecela"),
                           QStringLiteral(" and skarta.lomeni=pelmixi.lomeni"),
                           QStringLiteral(" and skarta.stredisko=pelmixi.stredisko)"),
                           QStringLiteral(" where pelmixi.id = ") + QString::number(number) })
        .join(QLatin1Char('\n'));
}

QString palletCardSql(const QString &partiecela, const QString &lomeni, const QString &costCentre)
{
    return QStringList(
        { QStringLiteral("select * from skarta"), QStringLiteral(" where partiecela = ") + sqlQuote(partiecela),
            QStringLiteral(" and lomeni = ") + sqlQuote(lomeni),
            QStringLiteral(" and stredisko = ") + sqlQuote(costCentre) })
        .join(QLatin1Char('\n'));
}

namespace {

// The first row of a result keyed by lower-case column name; of two columns with one name the
// first is kept, as the working table does.
ReportRow firstRow(const ResultSet &result)
{
    ReportRow row;
    if (result.isEmpty())
        return row;
    for (int c = 0; c < result.columnCount(); ++c) {
        const QString name = result.columns().at(c).name.toLower();
        if (!row.contains(name))
            row.insert(name, result.value(0, c));
    }
    return row;
}

} // namespace

void fillLabelSheet(WorkTable &table, const ResultSet &label, int count, int startPosition)
{
    table.create(label.columns());
    table.open();
    for (const ReportRow &row : pelmixi::printing::sampleLabelSheetRows(count, startPosition, firstRow(label)))
        table.appendRecord(row);
    table.first();
}

void fillPalletTable(WorkTable &table, const ResultSet &card)
{
    table.create(card.columns());
    table.open();
    if (card.isEmpty()) {
        table.append();
        table.post();
    } else {
        table.appendRows(card, [](qsizetype row) { return row == 0; });
    }
    table.first();
}

ReportRows tableRows(const WorkTable &table)
{
    return table.allRecords();
}

QString savedTextsPath(const QString &field)
{
    return paths::findCaseInsensitive(QDir::currentPath(), field + QStringLiteral(".txt"));
}

QStringList loadSavedTexts(const QString &field)
{
    return textfile::readLines(savedTextsPath(field)).value_or(QStringList());
}

void saveSavedTexts(const QString &field, const QStringList &texts)
{
    textfile::writeLines(savedTextsPath(field), texts, field);
}

} // namespace labels
