// Recalculation and pricing of a mix, on rows as maps and on the editor's working tables.
#include "recalc.h"

#include "connection.h"
#include "linerules.h"
#include "sqltext.h"

#include <QHash>
#include <cmath>

using namespace Qt::StringLiterals;
using linerules::fieldNumber;
using linerules::fieldText;

namespace recalc {

namespace {

const QString NotHundredText = u"Nelze přepočítat. Není 100%."_s;
const QString LineBeingEditedText = u"Nejprve dokončete úpravu řádku."_s;

QString quantityText(double value)
{
    QString s = QString::number(value, 'f', 4);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s.replace(u'.', u',');
}

} // namespace

double RoundDecimals(double value, int decimals)
{
    const double factor = std::pow(10.0, decimals);
    const double x = value * factor;
    return std::trunc(x >= 0 ? x + 0.5 : x - 0.5) / factor;
}

double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

// --- mix NC ------------------------------------------------------------------------------------

MixPrice mixPrice(const QList<QVariantMap> &lines, double mixQuantity, bool worksCosted)
{
    MixPrice price;
    for (const QVariantMap &line : lines) {
        if (!worksCosted && !linerules::isBatchLine(line))
            continue;
        const double nc = fieldNumber(line, u"nc"_s);
        if (nc == 0)
            price.priceMissing = true;
        else
            price.sum += RoundDecimals(nc * fieldNumber(line, u"mnozstvi"_s), 2);
    }
    price.nc = !price.priceMissing && mixQuantity != 0 ? RoundDecimals(price.sum / mixQuantity, 2) : 0.0;
    return price;
}

void spoctiKC(QVariantMap &header, const QList<QVariantMap> &lines, bool worksCosted)
{
    header.insert(u"nc"_s, mixPrice(lines, fieldNumber(header, u"mnozstvi"_s), worksCosted).nc);
}

bool spoctiKC(WorkTable &header, const WorkTable &lines, bool worksCosted)
{
    if (lines.state() == WorkTable::State::Edit || lines.state() == WorkTable::State::Insert)
        return false;
    QVariantMap row = header.record();
    spoctiKC(row, lines.allRecords(), worksCosted);
    linerules::storeFields(header, {{u"nc"_s, row.value(u"nc"_s)}});
    return true;
}

// --- "Přepočítat" ------------------------------------------------------------------------------

QList<AggregateRow> aggregateByNomenclature(const QList<QVariantMap> &lines)
{
    QList<AggregateRow> rows;
    QHash<QString, int> index;
    for (const QVariantMap &line : lines) {
        const QString nomenkla = fieldText(line, u"nomenkla"_s);
        auto it = index.constFind(nomenkla);
        if (it == index.constEnd()) {
            it = index.insert(nomenkla, int(rows.size()));
            rows.append(AggregateRow{nomenkla, 0, 0});
        }
        AggregateRow &row = rows[*it];
        const double pr = fieldNumber(line, u"pr"_s);
        row.pr += pr;
        if (pr == 0)
            row.mnozstvi += fieldNumber(line, u"mnozstvi"_s);
    }
    return rows;
}

RecalcResult prepocitat(const QVariantMap &header, const QList<QVariantMap> &lines, double celkem, bool worksCosted)
{
    RecalcResult result;
    result.header = header;
    result.lines = lines;
    if (roundHalfEven(fieldNumber(header, u"pr"_s)) != 100) {
        result.message = NotHundredText;
        return result;
    }

    const QList<AggregateRow> aggregate = aggregateByNomenclature(lines);
    QHash<QString, double> fixed;
    for (const AggregateRow &row : aggregate)
        fixed.insert(row.nomenkla, row.mnozstvi);

    // A share that equals its fixed quantities may come out a few units of the last place below
    // zero; that is a zero, not a refusal.
    const double tolerance = 1e-9 * std::max(1.0, std::abs(celkem));
    QList<QVariantMap> computed = lines;
    for (QVariantMap &line : computed) {
        double quantity = 0;
        if (linerules::isWorkLine(line)) {
            quantity = celkem;
        } else if (linerules::isExcludedLine(line)) {
            continue;
        } else {
            const double pr = fieldNumber(line, u"pr"_s);
            if (pr == 0)
                continue;
            quantity = celkem * pr / 100 - fixed.value(fieldText(line, u"nomenkla"_s));
        }
        if (quantity < 0) {
            if (quantity < -tolerance) {
                QString name = fieldText(line, u"partie"_s);
                if (name.isEmpty())
                    name = fieldText(line, u"nomenkla"_s);
                result.message = u"Nelze přepočítat. Řádek %1 by měl záporné množství %2."_s.arg(
                    name, quantityText(quantity));
                return result;
            }
            quantity = 0;
        }
        line.insert(u"mnozstvi"_s, quantity);
    }

    const linerules::MixTotals totals = linerules::mixTotals(computed);
    result.header.insert(u"mnozstvi"_s, totals.mnozstvi);
    result.header.insert(u"pr"_s, totals.pr);
    spoctiKC(result.header, computed, worksCosted);
    result.lines = computed;
    result.aggregate = aggregate;
    result.ok = true;
    return result;
}

RecalcResult prepocitat(WorkTable &header, WorkTable &lines, WorkTable *aggregate, double celkem, bool worksCosted)
{
    if (lines.state() == WorkTable::State::Edit || lines.state() == WorkTable::State::Insert) {
        RecalcResult refused;
        refused.header = header.record();
        refused.lines = lines.allRecords();
        refused.message = LineBeingEditedText;
        return refused;
    }
    const QList<QVariantMap> before = lines.allRecords();
    RecalcResult result = prepocitat(header.record(), before, celkem, worksCosted);
    if (!result.ok)
        return result;

    if (aggregate) {
        if (!aggregate->isOpen())
            aggregate->open();
        aggregate->empty();
        for (const AggregateRow &row : std::as_const(result.aggregate))
            aggregate->appendRecord({{u"nomenkla"_s, row.nomenkla}, {u"pr"_s, row.pr}, {u"mnozstvi"_s, row.mnozstvi}});
        aggregate->close();
    }

    const int current = lines.recNo();
    for (int i = 0; i < before.size(); ++i) {
        const QVariant quantity = result.lines.at(i).value(u"mnozstvi"_s);
        if (quantity == before.at(i).value(u"mnozstvi"_s))
            continue;
        lines.goTo(i);
        linerules::storeFields(lines, {{u"mnozstvi"_s, quantity}});
    }
    if (current >= 0 && current < lines.recordCount())
        lines.goTo(current);

    linerules::storeFields(header, {{u"mnozstvi"_s, result.header.value(u"mnozstvi"_s)},
                                    {u"pr"_s, result.header.value(u"pr"_s)},
                                    {u"nc"_s, result.header.value(u"nc"_s)}});
    return result;
}

// --- "z ceníku" --------------------------------------------------------------------------------

QString salePriceQuery(const QString &nomenkla)
{
    return u"select pc from cenik where nomenkla="_s + sqlQuote(nomenkla);
}

double salePriceFromList(Connection &connection, const QString &nomenkla)
{
    const ResultSet rows = connection.query(salePriceQuery(nomenkla));
    if (rows.isEmpty())
        return 0;
    return double(std::llround(linerules::numberValue(rows.value(0, 0)) * 10000)) / 10000;
}

void zCeniku(Connection &connection, QVariantMap &header)
{
    header.insert(u"pc"_s, salePriceFromList(connection, fieldText(header, u"nomenkla"_s)));
}

void zCeniku(Connection &connection, WorkTable &header)
{
    QVariantMap row = header.record();
    zCeniku(connection, row);
    linerules::storeFields(header, {{u"pc"_s, row.value(u"pc"_s)}});
}

} // namespace recalc
