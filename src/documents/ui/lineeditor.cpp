// The line editor panel "Řádek dokladu" (being built).
#include "lineeditor.h"

#include "opendocument.h"
#include "ui_lineeditor.h"

LineEditor::LineEditor(Connection &conn, opening::WorkingTables &tables, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::LineEditor>()), m_conn(conn), m_tables(tables)
{
    setObjectName(QStringLiteral("PanelRadek"));
    hide();
}

LineEditor::~LineEditor() = default;

void LineEditor::setContext(const LineEditorContext &ctx) { m_ctx = ctx; }
StockPicker *LineEditor::stockPicker() const { return m_picker; }
void LineEditor::loadLists() {}
void LineEditor::reloadStock() {}
void LineEditor::closeLists() {}
void LineEditor::startAdd() {}
void LineEditor::startChange() {}
void LineEditor::removeCurrent() {}
bool LineEditor::keepLine() { return false; }
void LineEditor::cancelEdit() {}
void LineEditor::openPicker() {}
void LineEditor::openWorks() {}
void LineEditor::applyProposal(const recipe::Proposal &) {}
void LineEditor::stockChannelSlidBack() {}
bool LineEditor::eventFilter(QObject *watched, QEvent *event) { return QWidget::eventFilter(watched, event); }
