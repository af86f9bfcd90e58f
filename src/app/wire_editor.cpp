// The document editor in the main window: "Nový doklad", "Opravit" and the list's double-click
// open it below the list, the document's "Zpět" and every save return to the list, the side
// channels carry its pickers, and the lines under the list start the stock-card module.
#include "connection.h"
#include "editor.h"
#include "messages.h"
#include "lineeditor.h"
#include "listtools.h"
#include "pricelistpicker.h"
#include "resulttablemodel.h"
#include "sidechannel.h"
#include "stockcardmodule.h"
#include "stockpicker.h"
#include "tform1.h"
#include "wiring.h"

#include <QLayout>
#include <memory>
#include <QPointer>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

constexpr int PriceChannelWidth = 385;
constexpr int StockChannelWidth = 800;

DocumentEditor::Environment environmentOf(const TForm1 &window)
{
    DocumentEditor::Environment env;
    env.stredisko = window.costCentre();
    env.cisloPC = window.cisloPC();
    env.ksJaknc = window.ksJaknc();
    env.worksCosted = window.worksCosted();
    env.confirmMixes = window.moduleSettings().confirmMixes;
    env.recipeFolder = window.moduleSettings().recipeFolder;
    return env;
}

void slide(SideChannel *channel, bool out, int width)
{
    if (out)
        channel->slideOut(width);
    else if (channel->isOut())
        channel->slideBack();
}

// The list row of the saved document becomes the current one (its lines follow).
void selectDocument(TForm1 &window, const QString &cislodokla)
{
    ResultTableModel *model = window.listModel();
    // A list held in pages fetches up to the document when it lies further down.
    if (const int r = model->findRow(u"cislodokla"_s, cislodokla); r >= 0) {
        window.listGrid()->setCurrentIndex(model->index(r, 0));
        window.listGrid()->scrollTo(model->index(r, 0));
    }
}

} // namespace

void wireEditor(TForm1 &window)
{
    auto *editor = new DocumentEditor(appConnection(), window.editorArea());
    window.editorArea()->layout()->addWidget(editor);

    PriceListPicker *priceList = editor->priceListPicker();
    window.priceListChannel()->setContent(priceList);
    priceList->show();
    QObject::connect(window.priceListChannel(), &SideChannel::slidBack, priceList, &PriceListPicker::resetSearch);
    // The price list is read when the window is shown, after the wiring.
    auto loadPriceList = [&window, priceList] {
        if (priceList->rowCount() == 0 && window.priceList().rowCount() > 0)
            priceList->setPriceList(window.priceList());
    };
    QObject::connect(&window, &TForm1::listRebuilt, priceList, loadPriceList);

    LineEditor *lines = editor->lineEditor();
    if (StockPicker *stock = lines->stockPicker()) {
        window.stockCardChannel()->setContent(stock);
        stock->show();
        QPointer<StockPicker> saved(stock);
        listtools::registerStockGridLayout(window, [saved] {
            if (saved)
                saved->saveColumnLayout(listtools::stockLayoutFile());
        });
    }
    // However the channel goes back (its bar, the picker's "Zpět"), the picker filter goes off.
    QObject::connect(window.stockCardChannel(), &SideChannel::slidBack, lines, &LineEditor::stockChannelSlidBack);

    DocumentEditor::Host host;
    host.returnToList = [&window] { window.returnToList(); };
    host.collapseListLines = [&window] { window.setLinesPanelHeight(0); };
    host.setListSectionHeight = [&window](int height) { window.setListSectionHeight(height); };
    host.showPriceChannel = [&window](bool out) { slide(window.priceListChannel(), out, PriceChannelWidth); };
    host.showStockChannel = [&window](bool out) { slide(window.stockCardChannel(), out, StockChannelWidth); };
    host.showSavedDocument = [&window](const QString &cisdok) {
        selectDocument(window, cisdok);
        if (window.hooks.printDocument)
            window.hooks.printDocument();
    };
    editor->setHost(host);

    window.hooks.newDocument = [&window, editor, loadPriceList] {
        window.setEditing(true);
        loadPriceList();
        if (editor->newDocument(environmentOf(window)) != opening::Status::Opened)
            window.returnToList();
    };
    window.hooks.openDocument = [&window, editor, loadPriceList] {
        if (window.isEditing())
            return;
        QVariantMap row;
        for (const QString &field : { u"cislodokla"_s, u"partiecela"_s, u"lomeni"_s, u"nc"_s })
            row.insert(field, window.currentListValue(field));
        const opening::ListRow listRow = opening::ListRow::fromRecord(row);
        if (listRow.cislodokla.isEmpty())
            return;
        loadPriceList();
        switch (editor->openCorrection(environmentOf(window), listRow)) {
        case opening::Status::Opened:
            window.setEditing(true);
            break;
        case opening::Status::Failed:
            window.returnToList();
            break;
        case opening::Status::NothingToOpen:
            break;
        }
    };
    window.hooks.leaveEditor = [editor] { editor->leave(); };

    // The working tables carry a mark while a document is open, so that a start after a crash
    // finds the operator's unsaved document; a mark that cannot be written only loses that offer.
    // Only the mark this program wrote is removed: another instance's stays.
    auto marked = std::make_shared<bool>(false);
    auto clearMark = [editor, marked] {
        if (*marked)
            opening::clearEditingMark(editor->tables());
        *marked = false;
    };
    QObject::connect(editor, &DocumentEditor::opened, editor, [editor, &window, marked] {
        try {
            opening::markEditing(editor->tables(), editor->state(), window.costCentre());
            *marked = true;
        } catch (const WorkTableError &e) {
            qWarning("%s", qPrintable(e.message()));
        }
    });
    QObject::connect(editor, &DocumentEditor::left, editor, clearMark);
    // Saved: nothing is left to offer back, even if the program dies before it is back in the list.
    QObject::connect(editor, &DocumentEditor::saved, editor, clearMark);
    // An orderly end of the program (the window closed while a document is open) throws the
    // document away as the document's "Zpět" would; only a program that dies leaves its mark.
    const QString markDir = editor->tables().header.directory();
    QObject::connect(editor, &QObject::destroyed, [markDir, marked] {
        if (*marked)
            editmark::remove(markDir);
    });

    window.hooks.offerLeftBehind = [&window, editor, loadPriceList, marked] {
        const std::optional<opening::LeftBehind> left = opening::findLeftBehind(editor->tables());
        if (!left)
            return;
        Message question;
        question.text = opening::leftBehindQuestion(*left);
        question.buttons = 2;
        question.firstButton = u"Ano"_s;
        question.secondButton = u"Ne"_s;
        question.icon = MessageIcon::Question;
        if (messages::show(question) != 1) {
            opening::clearEditingMark(editor->tables());
            return;
        }
        // Without the suite settings nothing opens; the document stays for the next start.
        if (!window.ensureSuiteSettings())
            return;
        // From here the mark is this program's own.
        *marked = true;
        // The document goes on in the cost centre it was opened in.
        if (!left->mark.stredisko.isEmpty() && left->mark.stredisko != window.costCentre()) {
            window.setCostCentre(left->mark.stredisko);
            window.returnToList();
        }
        if (left->mark.mode == u"O"_s)
            selectDocument(window, left->mark.documentNumber);
        loadPriceList();
        window.setEditing(true);
        switch (editor->restoreLeftBehind(environmentOf(window), left->mark)) {
        case opening::Status::Opened:
            break;
        case opening::Status::NothingToOpen:
            opening::clearEditingMark(editor->tables());
            window.setEditing(false);
            break;
        case opening::Status::Failed:
            opening::clearEditingMark(editor->tables());
            window.returnToList();
            break;
        }
    };
    window.hooks.showStockCard = [](const QVariantMap &line) { stockcard::showStockCard(line); };
    window.hooks.showBatchHistory = [](const QVariantMap &line) { stockcard::showBatchHistory(line); };
}
