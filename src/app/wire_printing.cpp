// The document reports on the main window: "Tisk dokladu" and "Tisk míchacího protokolu" open the
// preview hub, the busy window shows while it archives, and afterwards the list stands on the
// printed document again. The editor's save reaches the same path through the preview defaults.
#include "connection.h"
#include "documentpreview.h"
#include "resulttablemodel.h"
#include "tform1.h"
#include "tpracuji.h"
#include "wiring.h"

#include <QPointer>
#include <QTableView>

using namespace pelmixi::printing;

namespace {

void positionOnDocument(TForm1 &window, const QString &number)
{
    ResultTableModel *model = window.listModel();
    // A list held in pages fetches up to the document when it lies further down.
    if (const int row = model->findRow(QStringLiteral("cislodokla"), number); row >= 0) {
        const QModelIndex index = model->index(row, qMax(0, window.listGrid()->currentIndex().column()));
        window.listGrid()->setCurrentIndex(index);
        window.listGrid()->scrollTo(index);
    }
}

PreviewOptions optionsFor(TForm1 &window)
{
    PreviewOptions options = previewDefaults();
    options.cisloPC = window.cisloPC();
    return options;
}

} // namespace

void wirePrinting(TForm1 &window)
{
    QPointer<TForm1> guarded(&window);
    PreviewOptions defaults;
    defaults.busyWindow = [](QWidget *parent, const QString &text) -> QWidget * {
        auto *busy = new Tpracuji(parent);
        busy->setText(text);
        busy->showInFront();
        return busy;
    };
    defaults.afterClose = [guarded](const QString &number) {
        if (guarded)
            positionOnDocument(*guarded, number);
    };
    setPreviewDefaults(defaults);

    window.hooks.printDocument = [&window] {
        const QString number = window.currentDocumentNumber();
        if (!number.isEmpty())
            showRecipeDocument(&window, appConnection(), number, optionsFor(window));
    };
    window.hooks.printProtocol = [&window] {
        const QString number = window.currentDocumentNumber();
        if (!number.isEmpty())
            showMixingProtocol(&window, appConnection(), number, optionsFor(window));
    };
}
