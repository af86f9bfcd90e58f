#include "documentpreview.h"

#include "connection.h"
#include "messages.h"
#include "reportdata.h"
#include "settings.h"

namespace pelmixi::printing {

namespace {

PreviewOptions &defaults()
{
    static PreviewOptions options;
    return options;
}

} // namespace

void setPreviewDefaults(const PreviewOptions &options)
{
    defaults() = options;
}

PreviewOptions previewDefaults()
{
    return defaults();
}

bool showDocumentReport(QWidget *parent, Connection &connection, ReportKind kind, const QString &documentNumber,
    const PreviewOptions &options)
{
    ReportRows rows;
    try {
        rows = loadReportRows(connection, kind, documentNumber);
    } catch (const std::exception &e) {
        messages::standardError(QString::fromStdString(e.what()));
        return false;
    }
    {
        TForm6 form(parent);
        form.setDocument(kind, documentNumber, QString());
        form.setWorkstation(options.cisloPC.isEmpty() ? settings::readConnectionSettings().cisloPC : options.cisloPC);
        form.setConnection(&connection);
        form.setBusyWindowFactory(options.busyWindow);
        form.setReport(documentReport(kind, rows));
        // While the preview is open nothing else may redefine what it shows.
        form.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
        form.exec();
    }
    if (options.afterClose)
        options.afterClose(documentNumber);
    return true;
}

bool showRecipeDocument(
    QWidget *parent, Connection &connection, const QString &documentNumber, const PreviewOptions &options)
{
    return showDocumentReport(parent, connection, ReportKind::RecipeDocument, documentNumber, options);
}

bool showRecipeDocument(QWidget *parent, Connection &connection, const QString &documentNumber)
{
    return showRecipeDocument(parent, connection, documentNumber, defaults());
}

bool showMixingProtocol(
    QWidget *parent, Connection &connection, const QString &documentNumber, const PreviewOptions &options)
{
    return showDocumentReport(parent, connection, ReportKind::MixingProtocol, documentNumber, options);
}

bool showMixingProtocol(QWidget *parent, Connection &connection, const QString &documentNumber)
{
    return showMixingProtocol(parent, connection, documentNumber, defaults());
}

} // namespace pelmixi::printing
