// The statements of batch picking: the cost centre's stock list (NactiSkl), the price-list works,
// the stock check of one line, and the picker filter that narrows the stock list to the line
// being edited. The cost centre always enters a statement through the quoting routine: compared
// as a number, centre "012" would also match "12".
#pragma once

#include "resultset.h"

#include <QList>
#include <QString>
#include <QVariantMap>

namespace stocklist {

// The stock list, eight lines joined with line feeds (line 7 only without calculations):
//   select partiecela,lomeni,partie,stredisko,podnik,
//   nomenkla,nazevosiva,druh,odruda,naz_dru,naz_odru,
//   stupen,partiecela,lomeni,nazevosiva,zustatek,mj,poznamka,
//   nc,pc,ulc,zahrpartie,misto,popis,rezervace from skarta
//    where stredisko = '<centre>'
//    AND zustatek > 0
//    AND lomeni < 60
//    order by partiecela,lomeni
// includeCalculations is the check box " i kalkulace": fractions of 60 and more are listed too.
QString NactiSkl(const QString &stredisko, bool includeCalculations);

// The columns the stock grid keeps whatever the server reports: PARTIE (9), STREDISKO (3),
// PODNIK (4), LOMENI (small integer), PARTIECELA (16), NOMENKLA (12), NAZEVOSIVA (28), MJ (3),
// DRUH (4), ODRUDA (5), STUPEN (3), NAZ_DRU (40), NAZ_ODRU (40), NC (float, "### ### ##0.00"),
// ZUSTATEK (float), ULC (13), ZAHRPARTIE (20), POZNAMKA (100), REZERVACE (float).
QList<Column> stockListColumns();

// The price-list works, four lines joined with line feeds; a work's code prace comes as PARTIE.
QString worksQuery();

// The card of one line in the cost centre, six lines joined with line feeds:
//   select partiecela,lomeni,stredisko,
//   zustatek,mj,mnomenkla1,mo1,vahao1,
//   ek1,vahaobalu,ulc from skarta
//    where partiecela = '<partiecela>'
//    AND lomeni = <whole number>
//    AND stredisko = '<centre>'
QString stockCheckQuery(const QString &partiecela, qlonglong lomeni, const QString &stredisko);

// The rows of a result as maps with lower-case column names (the first of equal names wins), the
// form in which the rules of the lines read stock cards and works.
QList<QVariantMap> rowsOf(const ResultSet &result);

// What the stock picker shows while it is opened from the line editor: the cards of the line's
// partie; without one, the cards of its nomenkla (lines proposed from a recipe); else all cards.
struct PickerFilter {
    enum class Field { None, Partie, Nomenkla };
    Field field = Field::None;
    QString value;

    bool isActive() const { return field != Field::None; }
    // Compares the stock row's field exactly (trailing blanks ignored, any case of the key).
    bool matches(const QVariantMap &stockRow) const;
    // " AND partie = '...'" or " AND nomenkla = '...'" (quoted); empty without a filter.
    QString sqlCondition() const;
};
PickerFilter pickerFilter(const QVariantMap &line);

// NactiSkl with the picker filter's condition as a line of its own before the order line, for a
// stock list read already narrowed; without a filter exactly NactiSkl.
QString pickerQuery(const QString &stredisko, bool includeCalculations, const PickerFilter &filter);

// The indexes of the rows the filter lets through, in list order.
QList<int> filterRows(const QList<QVariantMap> &rows, const PickerFilter &filter);

// How the stock grid paints a card that is not selected: reserved (REZERVACE > 0) in
// RGB(0, 255, 128); otherwise a lot (ULC) containing "/N/" in RGB(243, 156, 156).
enum class RowMark { None, Reserved, HeldLot };
RowMark rowMark(const QVariantMap &stockRow);

} // namespace stocklist
