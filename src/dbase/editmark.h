// The mark that a document is being edited in the working tables of a data folder: written when
// the editor opens a document, removed when the editor returns to the list. A mark found at start
// means the program that edited the document ended without returning (killed, session or machine
// gone), and the working tables still hold the operator's unsaved work.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace editmark {

inline constexpr char16_t MarkFileName[] = u"pelmixi.edit";

struct Mark {
    QString mode;             // "N" new document, "O" correction
    QString documentNumber;   // the corrected document; empty for a new one
    QString loadedPartiecela; // the stored mix batch of a correction
    qlonglong loadedLomeni = 0;
    bool confirmed = false;   // "Potvrzená KS" when the document was opened
    QString stredisko;        // the cost centre the document was opened in
    QDateTime opened;         // when the editor opened it
};

// Writes the mark into dir (replacing one that is there); throws WorkTableError when it cannot.
void write(const QString &dir, const Mark &mark);
// The mark of dir; nothing without a readable mark.
std::optional<Mark> read(const QString &dir);
void remove(const QString &dir);

// When the working copy in dir was last changed: the latest change of the header and line tables.
QDateTime lastChange(const QString &dir);

} // namespace editmark
