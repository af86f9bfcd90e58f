// Rules of the composition lines: line kinds, mix totals, filling a line from a work or a stock
// card, percentage entry, the stock check against the card's balance, keeping and removing a
// line. Rows are maps with lower-case column names as the working tables hand them out; the
// WorkTable overloads apply a result to the editor's tables. Operator messages are returned,
// never shown: the editor decides when to show them.
#pragma once

#include "worktable.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

class Connection;

namespace linerules {

// --- row values ------------------------------------------------------------------------------

// The value under the key in any letter case (lower case first).
QVariant field(const QVariantMap &row, const QString &name);
// Text with trailing blanks removed, as a fixed-width text field reads; NULL is empty.
QString fieldText(const QVariantMap &row, const QString &name);
// NULL and empty text 0; a text may use the decimal comma or point.
double fieldNumber(const QVariantMap &row, const QString &name);
// A number rounded to a whole number, halves away from zero.
qlonglong fieldWhole(const QVariantMap &row, const QString &name);
double numberValue(const QVariant &value);

// Sets the fields of the map that the table has (any case) on its current record: edit, set,
// post. The line table's pending record is the one written while it is being edited.
void storeFields(WorkTable &table, const QVariantMap &values);

// --- line kinds (by partie, as text) ---------------------------------------------------------

enum class LineKind {
    Batch,    // 9 characters
    Excluded, // 9 characters beginning "5579" or "5570": stock-checked and priced, pr 0, not in the totals
    Work,     // 3 characters: a price-list work, pr 0, not in the totals, not stock-checked
    Other,    // any other length (an empty one included): neither checked nor counted
};
LineKind lineKind(const QVariantMap &line);
bool isBatchLine(const QVariantMap &line);    // 9 characters, excluded lines included
bool isExcludedLine(const QVariantMap &line); // begins "5579" or "5570"
bool isWorkLine(const QVariantMap &line);     // 3 characters
bool countsInTotals(const QVariantMap &line); // a batch line that is not excluded
bool forcesZeroPercent(const QVariantMap &line); // a work, or a code beginning "5579"/"5570"

// "Namícháno" (mnozstvi) and "%" (pr) of the header: plain sums over countsInTotals lines.
struct MixTotals {
    double mnozstvi = 0;
    double pr = 0;
};
MixTotals mixTotals(const QList<QVariantMap> &lines);

// --- starting a line -------------------------------------------------------------------------

// "Přidat": a new line carrying the header's cislodokla, stredisko and datum.
QVariantMap newLine(const QVariantMap &header);
// "Přidat" on the line table: appends that line and leaves it in insert state for the editor.
void addLine(WorkTable &lines, const QVariantMap &header);
// "Opravit": puts the current line into edit; on an empty table a new, empty line (without the
// header's number, cost centre and date) is started instead.
void changeLine(WorkTable &lines);

// --- leaving "Partie" of the line editor -----------------------------------------------------

enum class BatchFieldAction {
    FillFromWork,    // fillFromWork with works[row], then focus "Množství"
    ZeroPriceWork,   // message "Tato práce má nulovou NC!" (button "Zpět"), focus back to "Partie"
    OpenWorksDialog, // a 3-character code that is no work
    OpenPicker,      // the stock picker, filtered by pickerFilter of the line
    TakeOverCard,    // a "55" code found in the stock list: takeOverCard with stock[row]
};
struct BatchFieldDecision {
    BatchFieldAction action = BatchFieldAction::OpenPicker;
    int row = -1;    // FillFromWork: index into works; TakeOverCard: index into stock
    QString message; // ZeroPriceWork
};
// works: the works list (worksQuery), stock: the stock list as loaded (NactiSkl); rows with keys
// in any case. worksCosted: KS_vyrobky is not "N".
BatchFieldDecision leaveBatchField(const QString &code, const QList<QVariantMap> &works,
                                   const QList<QVariantMap> &stock, bool worksCosted);

// The line filled from a work: partie and partiecela the work code, podnik empty, lomeni 0,
// nomenkla, nazevosiva, mj, nc, druh, odruda, naz_dru, naz_odru, stupen from the work, mnozstvi
// the mix quantity (the header's mnozstvi), pr 0. Other fields stay.
QVariantMap fillFromWork(const QVariantMap &line, const QVariantMap &work, double mixQuantity);

// "Převzít" of the stock picker: partie, podnik, lomeni, partiecela, nomenkla, nazevosiva, druh,
// odruda, naz_dru, naz_odru, stupen, mj, nc from the card, its zahrpartie as ulc (cut to 13
// characters); a line quantity of 0 becomes the card's balance zustatek.
QVariantMap takeOverCard(const QVariantMap &line, const QVariantMap &card);

// --- percentage entry ------------------------------------------------------------------------

// Leaving "%": an empty value becomes 0. The quantity follows only while "zadávat procenta" is
// checked: mnozstvi = celkem × pr ÷ 100 without rounding ("Celkem" 0 gives 0); in quantity mode
// the typed quantity stays (mnozstvi is empty).
struct PercentEntry {
    double pr = 0;
    std::optional<double> mnozstvi;
};
PercentEntry leavePercent(const QVariant &prValue, bool zadavatProcenta, double celkem);

// --- stock check -----------------------------------------------------------------------------

// The quantity the stored copy holds for the batch: the sum of all its lines of that partiecela
// and lomeni (the mix row is no withdrawal and is skipped); 0 without one.
double storedQuantity(const QList<QVariantMap> &stored, const QString &partiecela, qlonglong lomeni);

struct StockCheck {
    bool checked = false;   // only batch lines (excluded ones included) are checked
    bool cardFound = false;
    double balance = 0;     // the card's zustatek, 0 without a card
    double stored = 0;      // storedQuantity of the line's batch
    double available = 0;   // balance + stored
    double requested = 0;   // the line's mnozstvi
    bool ok = true;         // requested is not greater than available
};
// Reads the line's card in the cost centre with stocklist::stockCheckQuery. Each line is checked
// on its own against the card's whole balance; two lines of one batch are not summed.
// Throws DbError.
StockCheck checkStock(Connection &connection, const QString &stredisko, const QVariantMap &line,
                      const QList<QVariantMap> &stored);

// --- keeping a line ("Zapsat" of the line editor) ---------------------------------------------

struct LineContext {
    QString stredisko;       // the current cost centre
    bool worksCosted = true; // KS_vyrobky is not "N"
};

enum class KeepOutcome {
    // Saved; the header has the new totals and NC; leave the line editor as "Zpět" does.
    Kept,
    // Saved, "Překročen součet procent!" (OK, stop icon); the header has the new totals and the
    // mix NC; the editor stays on the line.
    KeptOverHundred,
    // A negative quantity or percentage: "Množství nesmí být záporné." or "Procento nesmí být
    // záporné." (OK, stop icon); nothing saved, the typed values stay in the editor.
    InvalidValue,
    // "Nelze vydat! Na kartě je menší zůstatek." (OK, stop icon); the line's changes are
    // discarded and the totals untouched. A changed line stays in the editor on its saved
    // values; a new line is dropped and the editor left as "Zpět" does.
    StockShortfall,
};

struct KeepResult {
    KeepOutcome outcome = KeepOutcome::Kept;
    QString message;       // empty for Kept
    QVariantMap line;      // the line as saved (pr forced to 0 for works and "5579"/"5570" codes)
    QVariantMap header;    // the header after the step (unchanged when the line was not saved)
    StockCheck stock;
    bool leaveEditor = false;

    bool lineSaved() const { return outcome == KeepOutcome::Kept || outcome == KeepOutcome::KeptOverHundred; }
};

// lines: the whole line table with the edited line at index (WorkTable::allRecords() while the
// line is being edited gives exactly that); isNew: the line is being added. Throws DbError.
KeepResult keepLine(Connection &connection, const QVariantMap &header, const QList<QVariantMap> &lines, int index,
                    bool isNew, const QList<QVariantMap> &stored, const LineContext &context);

// The same on the editor's tables: the line being edited (or, in browse state, the current line)
// is checked; a refused line is cancelled (a new one dropped), a kept one posted with its pr, and
// the header gets mnozstvi, pr and nc and is posted. Throws DbError, WorkTableError.
KeepResult keepLine(Connection &connection, WorkTable &header, WorkTable &lines, const QList<QVariantMap> &stored,
                    const LineContext &context);

// --- removing a line ("Zrušit") -----------------------------------------------------------------

// The question before a removal, with the buttons "Zrušit" (first) and "Zpět".
QString removeQuestion();

struct RemoveResult {
    QVariantMap header;       // totals and NC of the remaining lines (all 0 without lines)
    QStringList messages;     // what the re-check of the current line found, in order
    int current = -1;         // the re-checked line, -1 when no line is left
    QVariantMap currentLine;  // that line as saved (its pr may have been forced to 0)
    bool currentLineChanged = false;
};

// After the line table has lost a line (or the operator answered "Zpět"): the header totals and
// the mix NC are recomputed from the remaining lines first, then the current line is re-checked
// as "Zapsat" of the line does; a refused re-check only adds its message and never brings the
// removed line back into "Namícháno", "%" or NC. Throws DbError.
RemoveResult afterRemoval(Connection &connection, const QVariantMap &header, const QList<QVariantMap> &lines,
                          int current, const QList<QVariantMap> &stored, const LineContext &context);

// "Zrušit" on the editor's tables. confirmed: the operator answered "Zrušit" to removeQuestion();
// then the current line is deleted and the table packed. Any pending line edit is cancelled
// first. The header is posted with the result. Throws DbError, WorkTableError.
RemoveResult removeLine(Connection &connection, WorkTable &header, WorkTable &lines, const QList<QVariantMap> &stored,
                        const LineContext &context, bool confirmed);

} // namespace linerules
