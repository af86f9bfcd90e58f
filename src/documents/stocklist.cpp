// Statements of batch picking and the picker filter over the stock list.
#include "stocklist.h"

#include "linerules.h"
#include "sqltext.h"

using namespace Qt::StringLiterals;

namespace stocklist {

QString NactiSkl(const QString &stredisko, bool includeCalculations)
{
    QStringList lines{
        u"select partiecela,lomeni,partie,stredisko,podnik,"_s,
        u"nomenkla,nazevosiva,druh,odruda,naz_dru,naz_odru,"_s,
        u"stupen,partiecela,lomeni,nazevosiva,zustatek,mj,poznamka,"_s,
        u"nc,pc,ulc,zahrpartie,misto,popis,rezervace from skarta"_s,
        u" where stredisko = "_s + sqlQuote(stredisko),
        u" AND zustatek > 0"_s,
    };
    if (!includeCalculations)
        lines << u" AND lomeni < 60"_s;
    lines << u" order by partiecela,lomeni"_s;
    return lines.join(u'\n');
}

QList<Column> stockListColumns()
{
    auto text = [](const char *name, int length) {
        return Column{QString::fromLatin1(name), FieldKind::Text, length, 0, 0};
    };
    auto number = [](const char *name) { return Column{QString::fromLatin1(name), FieldKind::Float, 0, 0, 0}; };
    return {
        text("PARTIE", 9),
        text("STREDISKO", 3),
        text("PODNIK", 4),
        Column{u"LOMENI"_s, FieldKind::Integer, 6, 0, 0},
        text("PARTIECELA", 16),
        text("NOMENKLA", 12),
        text("NAZEVOSIVA", 28),
        text("MJ", 3),
        text("DRUH", 4),
        text("ODRUDA", 5),
        text("STUPEN", 3),
        text("NAZ_DRU", 40),
        text("NAZ_ODRU", 40),
        number("NC"),
        number("ZUSTATEK"),
        text("ULC", 13),
        text("ZAHRPARTIE", 20),
        text("POZNAMKA", 100),
        number("REZERVACE"),
    };
}

QString worksQuery()
{
    return QStringList{
        u"select prace as PARTIE, NOMENKLA, NAZEVOSIVA, MJ, DAN, NC, PC, DRUH, ODRUDA, STUPEN, NAZ_DRU, NAZ_ODRU"_s,
        u" from cenik"_s,
        u"  where prace != ''"_s,
        u" order by partie"_s,
    }
        .join(u'\n');
}

QString stockCheckQuery(const QString &partiecela, qlonglong lomeni, const QString &stredisko)
{
    return QStringList{
        u"select partiecela,lomeni,stredisko,"_s,
        u"zustatek,mj,mnomenkla1,mo1,vahao1,"_s,
        u"ek1,vahaobalu,ulc from skarta"_s,
        u" where partiecela = "_s + sqlQuote(partiecela),
        u" AND lomeni = "_s + QString::number(lomeni),
        u" AND stredisko = "_s + sqlQuote(stredisko),
    }
        .join(u'\n');
}

QList<QVariantMap> rowsOf(const ResultSet &result)
{
    QList<QVariantMap> rows;
    rows.reserve(result.rowCount());
    for (qsizetype r = 0; r < result.rowCount(); ++r) {
        QVariantMap row;
        for (int c = 0; c < result.columnCount(); ++c) {
            const QString key = result.columns().at(c).name.toLower();
            if (!row.contains(key))
                row.insert(key, result.value(r, c));
        }
        rows.append(std::move(row));
    }
    return rows;
}

bool PickerFilter::matches(const QVariantMap &stockRow) const
{
    switch (field) {
    case Field::None:
        return true;
    case Field::Partie:
        return linerules::fieldText(stockRow, u"partie"_s) == value;
    case Field::Nomenkla:
        return linerules::fieldText(stockRow, u"nomenkla"_s) == value;
    }
    return true;
}

QString PickerFilter::sqlCondition() const
{
    switch (field) {
    case Field::None:
        return {};
    case Field::Partie:
        return u" AND partie = "_s + sqlQuote(value);
    case Field::Nomenkla:
        return u" AND nomenkla = "_s + sqlQuote(value);
    }
    return {};
}

PickerFilter pickerFilter(const QVariantMap &line)
{
    const QString partie = linerules::fieldText(line, u"partie"_s);
    if (!partie.isEmpty())
        return {PickerFilter::Field::Partie, partie};
    const QString nomenkla = linerules::fieldText(line, u"nomenkla"_s);
    if (!nomenkla.isEmpty())
        return {PickerFilter::Field::Nomenkla, nomenkla};
    return {};
}

QString pickerQuery(const QString &stredisko, bool includeCalculations, const PickerFilter &filter)
{
    QStringList lines = NactiSkl(stredisko, includeCalculations).split(u'\n');
    if (filter.isActive())
        lines.insert(lines.size() - 1, filter.sqlCondition());
    return lines.join(u'\n');
}

QList<int> filterRows(const QList<QVariantMap> &rows, const PickerFilter &filter)
{
    QList<int> shown;
    for (int i = 0; i < rows.size(); ++i) {
        if (filter.matches(rows.at(i)))
            shown.append(i);
    }
    return shown;
}

RowMark rowMark(const QVariantMap &stockRow)
{
    if (linerules::fieldNumber(stockRow, u"rezervace"_s) > 0)
        return RowMark::Reserved;
    if (linerules::fieldText(stockRow, u"ulc"_s).contains(u"/N/"_s))
        return RowMark::HeldLot;
    return RowMark::None;
}

} // namespace stocklist
