// The archived copy of a previewed report in doklady: one row per document number and report
// kind, replaced only by a complete PDF and never lost on the way.
#pragma once

#include "printing/documentreports.h"

#include <QByteArray>
#include <QString>

#include <functional>

class Connection;

namespace pelmixi::printing {

struct ArchiveRequest {
    ReportKind kind = ReportKind::RecipeDocument;
    QString documentNumber;
    QString orderNumber; // doklady.objednavka; this module always leaves it empty
    QByteArray pdf; // the complete file
    // How long to wait for another workstation archiving the same document and kind.
    int lockTimeoutSeconds = 10;
};

struct ArchiveResult {
    bool ok = false;
    QString error; // why not (for the SQL log's reader and the tests); the window shows pdfExportErrorText()
};

// "kalkulace krmné směsi" (37) or "míchací protokol krmné směsi" (30).
QString archiveDescription(ReportKind kind);
// A file worth archiving: not empty and starting with "%PDF".
bool looksLikePdf(const QByteArray &bytes);
// The named server lock that serialises replacing one document's copy of one kind.
QString archiveLockName(ReportKind kind, const QString &documentNumber);

// Replaces the document's archived copy of the kind: the delete of the old row and the insert of
// the new one commit together, under the named lock, so another workstation archiving the same
// document waits instead of leaving two rows or none. The bytes go straight into the insert as a
// hex literal, so no staging table is shared between workstations of one number. On any failure
// (not a PDF, lock not obtained, a refused insert such as a file over max_allowed_packet) the
// transaction is rolled back and the old row stays.
ArchiveResult archivePdf(Connection &connection, const ArchiveRequest &request);

} // namespace pelmixi::printing
