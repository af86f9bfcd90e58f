// The print operations of the two document reports (TiskSM and the mixing protocol): the report
// query, the window-modal preview hub, and whatever follows its closing.
#pragma once

#include "tform6.h"

#include <QString>

#include <functional>

class Connection;
class QWidget;

namespace pelmixi::printing {

struct PreviewOptions {
    QString cisloPC; // empty: the workstation number of the settings
    BusyWindowFactory busyWindow; // the busy window shown while archiving
    // After the preview has closed, e.g. to put the document list back on the document.
    std::function<void(const QString &documentNumber)> afterClose;
};

// The program installs its busy window and its list positioning once, when it wires the main
// window; the calls without options (the editor's save, among others) use them.
void setPreviewDefaults(const PreviewOptions &options);
PreviewOptions previewDefaults();

// Runs the report's query, shows the preview window-modal over `parent` (the main window takes
// no input meanwhile) and returns when the preview has been closed and archived. A failing query
// is reported in the standard error box and no window opens; the answer is then false.
bool showDocumentReport(QWidget *parent, Connection &connection, ReportKind kind, const QString &documentNumber,
    const PreviewOptions &options);
bool showRecipeDocument(
    QWidget *parent, Connection &connection, const QString &documentNumber, const PreviewOptions &options);
bool showRecipeDocument(QWidget *parent, Connection &connection, const QString &documentNumber);
bool showMixingProtocol(
    QWidget *parent, Connection &connection, const QString &documentNumber, const PreviewOptions &options);
bool showMixingProtocol(QWidget *parent, Connection &connection, const QString &documentNumber);

} // namespace pelmixi::printing
