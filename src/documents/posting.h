// "Zapsat" without widgets: checks the document, asks the operator, makes the save exclusive
// between workstations (a named server lock from the checks to the commit, plus the table
// locks), re-checks everything another workstation could have changed, builds and runs the
// save script and reads the number back. The editor calls zapsat() and follows the outcome.
#pragma once

#include "savescript.h"

#include <QString>
#include <functional>
#include <optional>

class Connection;

namespace posting {

enum class SaveResult {
    Saved, // written and committed; the editor has been left and the print hook called
    Cancelled, // the operator answered "Zpět"; nothing changed
    Refused, // a check refused (message shown); nothing written, "Zapsat" enabled again
    Failed, // the save script failed: rolled back, pelmi.err written, the program ends
};

// Where the editor puts the focus after a refusal.
enum class FocusTarget { None, MixBatch, Date, Line };

struct SaveOutcome {
    SaveResult result = SaveResult::Cancelled;
    QString cisdok; // Saved: the document's number ("select @CiDo as cisdok")
    QString message; // the message shown for Refused/Failed
    FocusTarget focus = FocusTarget::None;
    int line = -1; // FocusTarget::Line: index into Document::lines
    int correctionState = 0; // the state the save used (a correction may move 0 -> 1)
    Document saved; // Saved: the rows as written (for the working tables)
};

// The editor's side of the click; every member may be empty.
struct SaveHooks {
    std::function<void(bool)> setSaveEnabled; // the document's "Zapsat" (suiButton15)
    std::function<void()> leaveEditor; // as the document's "Zpět": list rebuilt
    std::function<void(const QString &)> printDocument; // the recipe document of the number (TiskSM)
};

// A refusal found without the database: the message, its icon's button and the focus.
struct Refusal {
    QString message;
    QString button = QStringLiteral("Zpět");
    FocusTarget focus = FocusTarget::None;
    int line = -1;
};

// Checks that need no database: the mix batch (9 characters, full code filled and beginning
// with it), every line with a batch or work code and a quantity that is not negative, and every
// text of the header, the lines and the packaging within code page 1250.
std::optional<Refusal> checkDocument(const Document &doc, const Packaging &packaging = {});

// The whole "Zapsat" click. ctx is the editor's state; UcetniRok and CislovaniD are read again
// from tavrix under the lock for a new document. Operator messages go through messages::show.
SaveOutcome zapsat(Connection &connection, const Document &doc, const SaveContext &ctx, const SaveHooks &hooks = {});

// The existence query of the mix batch (any cost centre).
QString existenceQuery(const QVariantMap &mix);

// The named server lock that makes a save exclusive; one per database.
QString lockStatement(int timeoutSeconds);
QString unlockStatement();

} // namespace posting
