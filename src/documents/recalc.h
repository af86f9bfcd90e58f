// Recalculation and pricing of a mix: the mix NC from the priced lines (spoctiKC), the line
// quantities from the percentages and the planned total ("Přepočítat") and the sale price from
// the price list ("z ceníku"). Rows are maps with lower-case column names; the WorkTable
// overloads apply a result to the editor's tables. Messages are returned, never shown.
#pragma once

#include "worktable.h"

#include <QList>
#include <QString>
#include <QVariantMap>

class Connection;

namespace recalc {

// Rounds to n decimal places, halves away from zero: x·10^n ± 0.5 truncated toward zero, ÷ 10^n.
double RoundDecimals(double value, int decimals);
// The nearest whole number, a half to the even neighbour (99.5 -> 100, 100.5 -> 100).
double roundHalfEven(double value);

// --- mix NC (spoctiKC) -------------------------------------------------------------------------

struct MixPrice {
    double nc = 0;             // the mix NC: sum ÷ mix quantity, 2 decimals; 0 when a price is missing
    double sum = 0;            // the priced lines' nc × mnozstvi, each rounded to 2 decimals
    bool priceMissing = false; // a priced line has nc 0
};
// Priced lines, in table order: batch lines (9-character partie, excluded lines included) and,
// when works are costed (KS_vyrobky is not "N"), every line. mixQuantity is the header's
// mnozstvi; 0 gives the NC 0.
MixPrice mixPrice(const QList<QVariantMap> &lines, double mixQuantity, bool worksCosted);

// Sets the header's nc from the lines and the header's own mnozstvi.
void spoctiKC(QVariantMap &header, const QList<QVariantMap> &lines, bool worksCosted);

// The same on the editor's tables; the header is posted. A line table in the middle of a line
// edit is not read (its pending line has not passed the stock check): the answer is then false
// and nothing changes. The editor disables every caller while a line is edited.
bool spoctiKC(WorkTable &header, const WorkTable &lines, bool worksCosted);

// --- "Přepočítat" ------------------------------------------------------------------------------

// One row of the aggregate table pelmixi9 per nomenclature: pr the sum of pr of all its lines,
// mnozstvi the sum of mnozstvi of its lines whose pr is exactly 0 (the fixed quantities).
struct AggregateRow {
    QString nomenkla;
    double pr = 0;
    double mnozstvi = 0;
};
QList<AggregateRow> aggregateByNomenclature(const QList<QVariantMap> &lines);

struct RecalcResult {
    bool ok = false;
    // "Nelze přepočítat. Není 100%." when the header's pr rounded half-to-even is not 100;
    // "Nelze přepočítat. Řádek <partie or nomenkla> by měl záporné množství <quantity>." when a
    // result would be negative (fixed quantities above their nomenclature's share, or a negative
    // "Celkem"). Both with OK and the stop icon; nothing changes.
    QString message;
    QVariantMap header;        // mnozstvi and pr summed again, nc recomputed
    QList<QVariantMap> lines;  // new mnozstvi: works "Celkem"; lines with pr ≠ 0 (not excluded)
                               // Celkem × pr ÷ 100 − the fixed quantities of their nomenclature;
                               // excluded lines and lines with pr 0 unchanged
    QList<AggregateRow> aggregate;
};
// celkem: "Celkem" as it stands, whether or not "zadávat procenta" is checked.
RecalcResult prepocitat(const QVariantMap &header, const QList<QVariantMap> &lines, double celkem, bool worksCosted);

// The same on the editor's tables: every line's mnozstvi, the header's mnozstvi, pr and nc are
// posted, and the aggregate table (when given) is opened, emptied, filled and closed. While a
// line is being edited nothing is done and the message is "Nejprve dokončete úpravu řádku.".
RecalcResult prepocitat(WorkTable &header, WorkTable &lines, WorkTable *aggregate, double celkem, bool worksCosted);

// --- "z ceníku" --------------------------------------------------------------------------------

// "select pc from cenik where nomenkla=" + the nomenclature quoted.
QString salePriceQuery(const QString &nomenkla);
// The pc of the first price-list row of the nomenclature as money with four decimals; 0 without
// a row. Throws DbError.
double salePriceFromList(Connection &connection, const QString &nomenkla);
// Sets the header's pc from the price list by the header's nomenkla.
void zCeniku(Connection &connection, QVariantMap &header);
void zCeniku(Connection &connection, WorkTable &header);

} // namespace recalc
