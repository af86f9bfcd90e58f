// Starting a new document and opening a stored one for correction, without widgets: the four
// working tables are created afresh from the columns the server reports for pelmixi and filled,
// the posting-state guards decide whether the correction may be saved, and the editor state
// (mode, correction state, confirmed flag, loaded mix batch, number, packaging) is returned for
// the editor window to show. Operator messages go through messages::show; a failing statement
// or table operation goes to the standard error message, the tables are closed and the caller
// returns to the list as the document's "Zpět" does.
#pragma once

#include "editmark.h"
#include "savescript.h"
#include "worktable.h"

#include <optional>

#include <QDate>
#include <QString>
#include <QVariantMap>

class Connection;

namespace opening {

// The editor's four working tables in the data folder (files <name>.sqlite).
struct WorkingTables {
    WorkTable header{QStringLiteral("pelmixi20")};  // the mix row being edited (data source ds20)
    WorkTable lines{QStringLiteral("pelmixi")};     // the composition lines (dsZq3)
    WorkTable stored{QStringLiteral("pelmixi10")};  // the document as stored when opened
    WorkTable aggregate{QStringLiteral("pelmixi9")}; // per-nomenclature sums of the recalculation

    void setDirectory(const QString &dir); // tests; the program uses paths::dataDir()
    void closeAll();
};

struct EditorState {
    QString mode;               // "N" new document, "O" correction
    int correctionState = 0;    // 0 free, 1 mix batch code locked, 9 saving refused
    bool confirmed = false;     // "Potvrzená KS" (suiCheckBoxStav)
    QString loadedPartiecela;   // the stored mix batch of a correction
    qlonglong loadedLomeni = 0;
    QString documentNumber;     // "Číslo dokladu": the header row's number, empty for a new one
    posting::Packaging packaging;
    double celkem = 0;          // "Celkem", 0 on every opening

    bool saveEnabled() const { return correctionState < 9; }     // the document's "Zapsat"
    bool batchCodeReadOnly() const { return correctionState == 1; } // the header's "Partie"
};

// The list row that is opened: the mix row of a document as the list shows it.
struct ListRow {
    QString cislodokla;
    QString partiecela;
    qlonglong lomeni = 0;
    double nc = 0;
    // From a row with any letter case of the column names.
    static ListRow fromRecord(const QVariantMap &row);
};

struct Context {
    QString stredisko;                        // the current cost centre
    QString cisloPC = QStringLiteral("00");   // the workstation number
    int ksJaknc = 0;                          // KS_JAKNC of table tavrix
    QDate today;                              // invalid: the current date
};

enum class Status {
    Opened,        // the editor shows the document (a refused correction only for viewing)
    NothingToOpen, // empty list, or the document is no longer in the database: stay in the list
    Failed,        // an error was shown; the tables are closed, back to the list as "Zpět"
};

struct Result {
    Status status = Status::Failed;
    EditorState state;
};

// --- the statements ------------------------------------------------------------------------
QString columnsQuery();                               // "select * from pelmixi limit 0,1"
QString mixRowQuery(const QString &cislodokla);       // the stored mix row (posting date)
QString documentQuery(const QString &cislodokla);     // every row of the document
// The packaging values of the mix card, four lines joined with line feeds.
QString packagingQuery(const QString &partiecela, qlonglong lomeni, const QString &stredisko);

// "Nový doklad": the header holds one new mix row (lomeni 0, smes "1", today, jazyk "C", the cost
// centre), left in insert state for the set-up to post; lines and stored copy are empty, the
// aggregate table is created and left closed. Always correction state 0 with "Zapsat" enabled.
Result newDocument(Connection &connection, WorkingTables &tables, const Context &context);

// Double-click on the list or "Opravit": the guards (messages shown as they are found), then the
// stored rows into the working tables. Status::NothingToOpen for an empty cislodokla.
Result openCorrection(Connection &connection, WorkingTables &tables, const ListRow &row, const Context &context);

// --- a working copy left behind ----------------------------------------------------------
// The editor marks the working tables while a document is open (editmark.h): written by both
// openings, removed by the return to the list. A mark found at start is a document whose editing
// ended without a return: the program, the session or the machine died.
void markEditing(const WorkingTables &tables, const EditorState &state, const QString &stredisko);
void clearEditingMark(const WorkingTables &tables);

struct LeftBehind {
    editmark::Mark mark;
    QString partie;   // the header's mix batch as typed
    int lineCount = 0;
    QDateTime changed; // the working copy's last change
};

// The document left in the working tables, when there is a mark and this process can take the
// data folder (another running instance that holds it keeps its document: nothing is offered).
// A mark whose tables cannot be read is removed.
std::optional<LeftBehind> findLeftBehind(WorkingTables &tables);

// „V pracovních tabulkách je rozpracovaný doklad (…) z <datum čas>. Obnovit?“
QString leftBehindQuestion(const LeftBehind &left);

// Opens the editor on the working tables as they were left. A correction first runs the opening's
// guards against the database again (their messages shown; a refused correction can be viewed,
// not saved); a document no longer in the database is not restored (NothingToOpen after its
// message). The loaded mix batch comes from the stored copy, the packaging from the card.
Result restoreLeftBehind(Connection &connection, WorkingTables &tables, const editmark::Mark &mark,
                         const Context &context);

// The set-up both openings end with, as far as it concerns the tables: the display formats of
// the header's nc, pc ("### ### ##0.00") and mnozstvi ("### ### ##0.####").
void setHeaderDisplayFormats(WorkTable &header);

// The seven packaging values from the first row of packagingQuery; empty texts and zeros when
// the card does not exist.
posting::Packaging readPackaging(Connection &connection, const QString &partiecela, qlonglong lomeni,
                                 const QString &stredisko);

} // namespace opening
