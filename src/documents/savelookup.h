// After the connection broke during a save, the only honest answer to "was it saved?" comes from
// the database: a fresh connection waits until the broken session has ended and then compares
// what is stored with what the save wrote.
#pragma once

#include "messages.h"
#include "savescript.h"

#include <QString>

class Connection;

namespace posting {

struct SaveLookup {
    enum Result { Saved, NotSaved, Unknown };
    Result result = Unknown;
    QString number; // Saved: the document's number
    QString error; // Unknown: why the database could not be asked
};

// Reconnects once on `connection` (closed afterwards by the caller) and looks the save up. `doc`
// and `ctx` are the document and context the save script was built from. A new document is saved
// when a mix row of its batch in its cost centre holds exactly the written rows; a correction is
// saved when its number holds the written rows under new ids, not saved while it holds the stored
// copy's rows.
SaveLookup lookUpSave(Connection &connection, const Document &doc, const SaveContext &ctx);

// What the operator is told; `error` is the original error text of the broken statement.
Message lostSaveMessage(const SaveLookup &lookup, const QString &error);

} // namespace posting
