// The line editor panel "Řádek dokladu" of the document editor: adds, changes and removes the
// composition lines of the open document, fills a line from a stock card (the stock picker in the
// right side channel "Skladové karty") or from a price-list work (Tfprace), enters quantities
// directly or as percentages of "Celkem", and keeps the header totals and the mix NC.
//
// How the editor embeds it:
// - The panel sits below the lines grid; it shows itself (135 px high) while a line is edited and
//   hides itself afterwards. The lines grid follows the line table's cursor (WorkTableModel).
// - "zadávat procenta" and "Celkem" live on the header page "Směs" (the editor's); the panel reads
//   them through LineEditorContext::percentMode and ::celkem at the moment it needs them. The
//   editor connects the check box's toggled() to percentModeChanged(): "%" of the line is enabled
//   only while the box is checked (the editor does the same with "Celkem", its label and unit).
// - stockPicker() is the content of the side channel: the editor calls
//   stockCardChannel()->setContent(lineEditor->stockPicker()), gives showStockChannel (slide out
//   800 px / slide back) in the context, and connects the channel's slidBack() to
//   stockChannelSlidBack() so that the picker filter is switched off however the channel closes.
//   "Uložit nastatevní sloupců" writes the stock grid with stockPicker()->saveColumnLayout(
//   listtools::stockLayoutFile()) (register it with listtools::registerStockGridLayout); the
//   picker reads pelmixiskl.slo itself when it is created.
// - loadLists() is part of every opening (the stock list NactiSkl and the works list);
//   closeLists() belongs to the list refresh.
// - While isEditing() the editor disables the lines grid, "Přidat", "Opravit", "Zrušit", the
//   document's "Zapsat", "Přepočítat", "Receptury", "z ceníku", "<- partie" and "<" beside
//   "Druh" (editingChanged). When a line editing ends, the document's "Zapsat" is enabled again
//   only while the correction state is below 9 (the editor's rule).
// - The document's "Zpět" calls cancelEdit() first; leaving "Partie" towards it (documentBack)
//   skips the batch-field logic.
#pragma once

#include "linerules.h"
#include "recipe.h"
#include "stocklist.h"

#include <QList>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>
#include <functional>
#include <memory>

class Connection;
class StockPicker;
namespace opening {
struct WorkingTables;
}
namespace Ui {
class LineEditor;
}

struct LineEditorContext {
    QString stredisko; // the current cost centre
    bool worksCosted = true; // KS_vyrobky is not "N"
    int correctionState = 0; // 0, 1, 9 of the opening
    QString mode; // "N" new document, "O" correction
    // Slides the side channel "Skladové karty" out (true, 800 px, kept open) or back (false).
    std::function<void(bool out)> showStockChannel;
    // "zadávat procenta" is checked / the value of "Celkem" (both on the page "Směs").
    std::function<bool()> percentMode;
    std::function<double()> celkem;
    // The document's "Zpět": the focus going there skips the check of "Partie".
    QPointer<QWidget> documentBack;
};

class LineEditor : public QWidget {
    Q_OBJECT

public:
    LineEditor(Connection &conn, opening::WorkingTables &tables, QWidget *parent = nullptr);
    ~LineEditor() override;

    void setContext(const LineEditorContext &ctx);
    const LineEditorContext &context() const { return m_ctx; }

    // The channel content; owned by this panel until the channel takes it.
    StockPicker *stockPicker() const;

    // The stock list (NactiSkl, " i kalkulace" as checked) and the works list, with the busy cursor.
    // A failing statement goes to the standard error message.
    void loadLists();
    void reloadStock();
    void closeLists();
    const QList<QVariantMap> &works() const { return m_works; }

    bool isEditing() const { return m_editing; }
    bool isNewLine() const { return m_isNew; }

public slots:
    void startAdd(); // "Přidat"
    void startChange(); // "Opravit"
    void removeCurrent(); // "Zrušit": "Opravdu zrušit řádek ?" with "Zrušit"/"Zpět"
    bool keepLine(); // "Zapsat" of the line; true when the editor was left
    void cancelEdit(); // "Zpět" of the line: a line being added is dropped
    void openPicker(); // "<"
    void openWorks(); // "Pr"
    // The recipe take-over: the lines are appended, the header columns set; no totals, no NC.
    void applyProposal(const recipe::Proposal &p);
    // The side channel went back (its own bar, or the picker's "Zpět").
    void stockChannelSlidBack();
    // "zadávat procenta" was clicked: "%" follows the box.
    void percentModeChanged();

signals:
    void editingChanged(bool editing);
    void headerChanged(); // totals, mix NC or header values changed

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void beginEditing(bool isNew);
    void endEditing();
    void loadFields(); // line -> panel
    void setLineValues(const QVariantMap &values); // into the line's edit buffer
    void fieldEdited(const QString &field, const QString &text);
    bool leaveBatchField(); // true when the line was filled
    void leavePercent();
    bool flushPending(); // runs a field check the focus change queued
    void queueBatchCheck(); // the check of "Partie", once the focus has settled
    void pickerTakeOver(); // "Převzít" of the picker
    void takeOverCard(const QVariantMap &card);
    void closePicker();
    void pickerBack(); // the picker's "Zpět"
    void focusAfterTakeOver();
    void showChannel(bool out);
    bool percentMode() const;
    double celkem() const;
    bool tablesOpen() const;
    QList<QVariantMap> storedRows() const;
    linerules::LineContext lineContext() const;

    std::unique_ptr<Ui::LineEditor> ui;
    Connection &m_conn;
    opening::WorkingTables &m_tables;
    LineEditorContext m_ctx;
    QPointer<StockPicker> m_picker;
    QList<QVariantMap> m_works;
    bool m_editing = false;
    bool m_isNew = false;
    bool m_pickerOpen = false;
    bool m_batchPending = false; // "Partie" was left; its check is queued
    bool m_batchUnchecked = false; // "Partie" holds a typed or refused code no check has accepted
    bool m_percentDirty = false; // "%" was typed into and not left yet
};
