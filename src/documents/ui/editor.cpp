#include "editor.h"
#include "busycursor.h"

#include "connection.h"
#include "displayformat.h"
#include "headerchecks.h"
#include "lineeditor.h"
#include "linerules.h"
#include "messages.h"
#include "pricelistpicker.h"
#include "recalc.h"
#include "recipelist.h"
#include "ui_editor.h"
#include "worktablemodel.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QHeaderView>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

constexpr int ListSectionWhileEditing = 100;
const QString CelkemFormat = u",### ##0.####"_s;
const QString PackagingQuantityFormat = u",### ##0.####"_s;
const QString PackagingCountFormat = u",### ##0"_s;

struct LineColumn {
    const char16_t *field;
    const char16_t *caption;
    int width;
};

// The lines grid over the line table: field, title, width.
constexpr LineColumn LineColumns[] = {
    { u"partiecela", u"Partie", 105 },
    { u"lomeni", u"Lo", 25 },
    { u"nomenkla", u"nomenklatura", 80 },
    { u"nazevosiva", u"název osiva", 180 },
    { u"mnozstvi", u"Množství", 75 },
    { u"mj", u"MJ", 30 },
    { u"pr", u"%", 45 },
    { u"ulc", u"Šarže", 100 },
    { u"nc", u"NC", 60 },
    { u"pc", u"PC", 60 },
    { u"smes", u"SMES", 40 },
    { u"druh", u"DRUH", 45 },
    { u"odruda", u"ODRUDA", 55 },
    { u"stupen", u"STUPEN", 50 },
    { u"naz_dru", u"NAZ_DRU", 120 },
    { u"naz_odru", u"NAZ_ODRU", 120 },
};

} // namespace

DocumentEditor::DocumentEditor(Connection &connection, QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::DocumentEditor>())
    , m_connection(connection)
{
    ui->setupUi(this);
    QFont title = ui->LabelNadpis->font();
    title.setPointSize(14);
    title.setBold(true);
    ui->LabelNadpis->setFont(title);
    // The packaging page belongs to the mix card and is carried through unchanged: nothing shows it.
    ui->suiPageControl1->setTabVisible(ui->suiPageControl1->indexOf(ui->TabSheetObal), false);
    ui->TabSheetObal->setEnabled(false);
    ui->suiPageControl1->setCurrentWidget(ui->TabSheetSmes);

    m_bindings = {
        { ui->DBEdit11, u"partie"_s },
        { ui->DBEdit12, u"partiecela"_s },
        { ui->DBEdit1, u"druh"_s },
        { ui->DBEdit2, u"naz_dru"_s },
        { ui->DBEdit3, u"odruda"_s },
        { ui->DBEdit4, u"naz_odru"_s },
        { ui->DBEdit5, u"stupen"_s },
        { ui->DBEdit6, u"nomenkla"_s },
        { ui->DBEdit7, u"nazevosiva"_s },
        { ui->DBEdit8, u"mj"_s },
        { ui->DBEdit9, u"popis"_s },
        { ui->DBEdit10, u"nc"_s },
        { ui->DBEdit13, u"pc"_s },
        { ui->DBEdit14, u"mnozstvi"_s },
        { ui->DBEdit15, u"mj"_s },
        { ui->DBEdit16, u"pr"_s },
    };
    for (QWidget *w : { static_cast<QWidget *>(ui->DBDateEdit1), static_cast<QWidget *>(ui->DBEdit11),
             static_cast<QWidget *>(ui->DBEdit9), static_cast<QWidget *>(ui->DBEdit13),
             static_cast<QWidget *>(ui->CurrencyEdit1) })
        w->installEventFilter(this);
    connect(ui->DBDateEdit1, &QDateEdit::dateChanged, this, [this] {
        if (!m_loadingDate)
            m_dateModified = true;
    });

    m_linesModel = new WorkTableModel(&m_tables.lines, this);
    QList<WorkTableModel::ModelColumn> columns;
    for (const LineColumn &c : LineColumns)
        columns.append({ QString::fromUtf16(c.field), QString::fromUtf16(c.caption), true });
    m_linesModel->setColumns(columns);
    m_linesModel->setReadOnly(true);
    QTableView *grid = ui->suiDBGrid2;
    grid->setModel(m_linesModel);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->verticalHeader()->setFixedWidth(12);
    for (int c = 0; c < int(std::size(LineColumns)); ++c)
        grid->setColumnWidth(c, LineColumns[c].width);
    // The grid shows the line table's cursor, and a click moves the cursor.
    connect(m_linesModel, &WorkTableModel::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= m_linesModel->rowCount())
            return;
        const QModelIndex index = m_linesModel->index(row, qMax(0, ui->suiDBGrid2->currentIndex().column()));
        if (ui->suiDBGrid2->currentIndex().row() != row)
            ui->suiDBGrid2->setCurrentIndex(index);
    });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        WorkTable &lines = m_tables.lines;
        if (m_lineEditing || !lines.isOpen() || !current.isValid() || current.row() >= lines.recordCount()
            || current.row() == lines.recNo())
            return;
        try {
            lines.goTo(current.row());
        } catch (const WorkTableError &e) {
            messages::standardError(e.message());
        }
    });

    m_lineEditor = new LineEditor(connection, m_tables, ui->lineEditorHost);
    ui->lineEditorHostLayout->addWidget(m_lineEditor);
    connect(m_lineEditor, &LineEditor::editingChanged, this, &DocumentEditor::setLineEditing);
    connect(m_lineEditor, &LineEditor::headerChanged, this, &DocumentEditor::refreshHeader);

    m_priceList = new PriceListPicker(this);
    m_priceList->setObjectName(u"priceListPicker"_s);
    m_priceList->hide();
    connect(m_priceList, &PriceListPicker::takeOverRequested, this, &DocumentEditor::takeOverPriceItem);
    connect(m_priceList, &PriceListPicker::closeRequested, this, &DocumentEditor::closePriceList);

    // Whatever changes the header row (the line editor's totals, the recalculation) shows at once.
    connect(&m_tables.header, &WorkTable::rowChanged, this, &DocumentEditor::refreshHeader);
    connect(&m_tables.header, &WorkTable::reset, this, &DocumentEditor::refreshHeader);

    connect(ui->suiButton15, &QPushButton::clicked, this, &DocumentEditor::zapsat);
    connect(ui->suiButtonZpet, &QPushButton::clicked, this, &DocumentEditor::zpet);
    connect(ui->suiButtonNavrhPartie, &QPushButton::clicked, this, &DocumentEditor::proposeBatchCode);
    connect(ui->suiButtonCenik, &QPushButton::clicked, this, &DocumentEditor::openPriceList);
    connect(ui->suiButtonPrepocitat, &QPushButton::clicked, this, &DocumentEditor::prepocitat);
    connect(ui->suiButtonZCeniku, &QPushButton::clicked, this, &DocumentEditor::zCeniku);
    connect(ui->suiButtonReceptury, &QPushButton::clicked, this, &DocumentEditor::receptury);
    connect(ui->suiButtonPridat, &QPushButton::clicked, this, [this] {
        if (!m_open || m_lineEditing)
            return;
        commitEdits();
        m_lineEditor->startAdd();
    });
    connect(ui->suiButtonOpravit, &QPushButton::clicked, this, [this] {
        if (!m_open || m_lineEditing)
            return;
        commitEdits();
        m_lineEditor->startChange();
    });
    connect(ui->suiButtonZrusit, &QPushButton::clicked, this, [this] {
        if (!m_open || m_lineEditing)
            return;
        commitEdits();
        m_lineEditor->removeCurrent();
        refreshHeader();
    });
    connect(ui->suiCheckBoxProcenta, &QCheckBox::toggled, this, &DocumentEditor::setPercentMode);
    connect(ui->suiCheckBoxProcenta, &QCheckBox::toggled, m_lineEditor, &LineEditor::percentModeChanged);
    connect(ui->suiCheckBoxProcenta, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            ui->CurrencyEdit1->setFocus(Qt::OtherFocusReason);
    });

    setPercentMode(false);
    setCelkem(0);
    setEnabled(false);
}

DocumentEditor::~DocumentEditor()
{
    // What is bound to the tables goes before them; focus changes while the window is taken
    // down must not commit into tables that are gone.
    m_open = false;
    delete m_lineEditor;
    m_lineEditor = nullptr;
    ui->suiDBGrid2->setModel(nullptr);
    m_tables.closeAll();
}

void DocumentEditor::setHost(Host host)
{
    m_host = std::move(host);
}

bool DocumentEditor::isLineEditing() const
{
    return m_lineEditing;
}

QTableView *DocumentEditor::linesGrid() const
{
    return ui->suiDBGrid2;
}

bool DocumentEditor::percentMode() const
{
    return ui->suiCheckBoxProcenta->isChecked();
}

// ---- opening

opening::Status DocumentEditor::newDocument(const Environment &environment)
{
    m_env = environment;
    if (m_lineEditor->isEditing())
        m_lineEditor->cancelEdit();
    opening::Result result;
    {
        BusyCursor wait;
        const opening::Context context { m_env.stredisko, m_env.cisloPC, m_env.ksJaknc, m_env.today };
        result = opening::newDocument(m_connection, m_tables, context);
    }
    return finishOpening(result);
}

opening::Status DocumentEditor::openCorrection(const Environment &environment, const opening::ListRow &row)
{
    m_env = environment;
    if (m_lineEditor->isEditing())
        m_lineEditor->cancelEdit();
    const opening::Context context { m_env.stredisko, m_env.cisloPC, m_env.ksJaknc, m_env.today };
    const opening::Result result = opening::openCorrection(m_connection, m_tables, row, context);
    return finishOpening(result);
}

opening::Status DocumentEditor::restoreLeftBehind(const Environment &environment, const editmark::Mark &mark)
{
    m_env = environment;
    if (m_lineEditor->isEditing())
        m_lineEditor->cancelEdit();
    const opening::Context context { m_env.stredisko, m_env.cisloPC, m_env.ksJaknc, m_env.today };
    return finishOpening(opening::restoreLeftBehind(m_connection, m_tables, mark, context));
}

opening::Status DocumentEditor::finishOpening(const opening::Result &result)
{
    if (result.status != opening::Status::Opened) {
        if (result.status == opening::Status::Failed) {
            m_open = false;
            setEnabled(false);
        }
        return result.status;
    }
    m_state = result.state;
    applyEnvironment();
    ui->suiCheckBoxStav->setChecked(m_state.confirmed);
    ui->EditCISLODOKLA->setText(m_state.documentNumber);
    showPackaging();
    m_open = true;
    setEnabled(true);
    if (!OtevriDoklad()) {
        m_tables.closeAll();
        m_open = false;
        setEnabled(false);
        return opening::Status::Failed;
    }
    emit opened();
    return opening::Status::Opened;
}

void DocumentEditor::applyEnvironment()
{
    ui->suiCheckBoxStav->setVisible(m_env.ksJaknc != 0);
    ui->suiCheckBoxStav->setEnabled(m_env.confirmMixes);
    ui->suiButtonReceptury->setVisible(!m_env.recipeFolder.isEmpty());
}

void DocumentEditor::showPackaging()
{
    const posting::Packaging &p = m_state.packaging;
    ui->EditMNOMENKLA->setText(p.mnomenkla);
    ui->EditMO->setText(p.mo);
    ui->CurrencyEdit2->setText(displayformat::format(p.vahaObalu, PackagingQuantityFormat));
    ui->EditEK->setText(p.ek);
    ui->EditVAHAO->setText(displayformat::format(p.vahaO, PackagingQuantityFormat));
    ui->EditPOCETO->setText(displayformat::format(p.pocetO, PackagingCountFormat));
    ui->EditNAVESKY->setText(p.navesky.left(70));
}

// The set-up both openings end with.
bool DocumentEditor::OtevriDoklad()
{
    if (m_host.collapseListLines)
        m_host.collapseListLines();

    LineEditorContext context;
    context.stredisko = m_env.stredisko;
    context.worksCosted = m_env.worksCosted;
    context.correctionState = m_state.correctionState;
    context.mode = m_state.mode;
    context.showStockChannel = m_host.showStockChannel;
    context.percentMode = [this] { return percentMode(); };
    context.celkem = [this] { return m_celkem; };
    context.documentBack = ui->suiButtonZpet;
    m_lineEditor->setContext(context);
    m_lineEditor->loadLists();

    try {
        opening::setHeaderDisplayFormats(m_tables.header);
        if (m_host.setListSectionHeight)
            m_host.setListSectionHeight(ListSectionWhileEditing);
        ui->suiPageControl1->setCurrentWidget(ui->TabSheetSmes);
        setCelkem(0);
        ui->DBEdit11->setReadOnly(m_state.batchCodeReadOnly());
        m_lineEditing = false;
        recalc::spoctiKC(m_tables.header, m_tables.lines, m_env.worksCosted);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return false;
    }
    if (m_tables.lines.recordCount() > 0)
        m_tables.lines.first();
    refreshHeader();
    updateButtons();
    ui->DBDateEdit1->setFocus(Qt::OtherFocusReason);
    return true;
}

void DocumentEditor::leave()
{
    if (m_lineEditor->isEditing())
        m_lineEditor->cancelEdit();
    if (m_host.showStockChannel)
        m_host.showStockChannel(false);
    if (m_host.showPriceChannel)
        m_host.showPriceChannel(false);
    m_priceList->resetSearch();
    m_lineEditor->closeLists();
    m_tables.closeAll();
    const bool wasOpen = m_open;
    m_open = false;
    m_lineEditing = false;
    m_state.correctionState = 0;
    ui->DBEdit11->setReadOnly(false);
    ui->suiCheckBoxStav->setChecked(false);
    ui->suiButton15->setEnabled(true);
    setEnabled(false);
    if (wasOpen)
        emit left();
}

// ---- the header fields

void DocumentEditor::refreshHeader()
{
    WorkTable &header = m_tables.header;
    if (!header.isOpen())
        return;
    for (const Binding &b : std::as_const(m_bindings)) {
        if (b.edit->hasFocus() && b.edit->isModified())
            continue;
        b.edit->setText(header.displayText(b.field));
        b.edit->setModified(false);
        b.edit->setCursorPosition(0);
    }
    if (!(ui->DBDateEdit1->hasFocus() && m_dateModified)) {
        const QDate datum = header.asDate(u"datum"_s);
        m_loadingDate = true;
        ui->DBDateEdit1->setDate(datum.isValid() ? datum : QDate(1900, 1, 1));
        m_loadingDate = false;
        m_dateModified = false;
    }
    ui->LabelMJCelkem->setText(header.asString(u"mj"_s));
}

void DocumentEditor::storeHeader(const QVariantMap &values)
{
    try {
        linerules::storeFields(m_tables.header, values);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
    }
}

void DocumentEditor::commitEdits()
{
    if (!m_open || !m_tables.header.isOpen())
        return;
    QVariantMap values;
    if (ui->DBEdit11->isModified() && !ui->DBEdit11->isReadOnly())
        values.insert(u"partie"_s, ui->DBEdit11->text().trimmed());
    if (ui->DBEdit9->isModified())
        values.insert(u"popis"_s, ui->DBEdit9->text());
    if (ui->DBEdit13->isModified()) {
        double pc = 0;
        const QString text = ui->DBEdit13->text().trimmed();
        if (text.isEmpty() || displayformat::parseNumber(text, &pc))
            values.insert(u"pc"_s, pc);
        else
            messages::standardError(u"„%1“ není platné číslo."_s.arg(text));
    }
    if (m_dateModified)
        values.insert(u"datum"_s, ui->DBDateEdit1->date());
    if (ui->CurrencyEdit1->isModified()) {
        double celkem = 0;
        const QString text = ui->CurrencyEdit1->text().trimmed();
        if (text.isEmpty() || displayformat::parseNumber(text, &celkem))
            setCelkem(celkem);
        else {
            messages::standardError(u"„%1“ není platné číslo."_s.arg(text));
            setCelkem(m_celkem);
        }
    }
    for (const Binding &b : std::as_const(m_bindings))
        b.edit->setModified(false);
    m_dateModified = false;
    if (!values.isEmpty())
        storeHeader(values);
    if (values.contains(u"partie"_s))
        fillMixBatch();
    refreshHeader();
}

// A typed mix code fills the full batch code at once, so that a "Zapsat" clicked straight from
// "Partie" saves what the check on leaving the field would have filled in.
void DocumentEditor::fillMixBatch()
{
    try {
        const headerchecks::BatchCodeCheck check
            = headerchecks::checkChangedBatchCode(m_tables.header.record(), headerchecks::mixPrefix(m_connection));
        if (check.ok && check.filled) {
            storeHeader({ { u"partiecela"_s, check.header.value(u"partiecela"_s) },
                { u"podnik"_s, check.header.value(u"podnik"_s) }, { u"lomeni"_s, check.header.value(u"lomeni"_s) } });
        } else if (check.cleared) {
            storeHeader({ { u"partiecela"_s, QString() } });
        }
    } catch (const DbError &) {
        // The check on leaving the field and the save read the prefix again and report the error.
    }
}

void DocumentEditor::setCelkem(double value)
{
    m_celkem = value;
    ui->CurrencyEdit1->setText(displayformat::format(value, CelkemFormat));
    ui->CurrencyEdit1->setModified(false);
}

void DocumentEditor::setPercentMode(bool on)
{
    // "Celkem" with its label and unit is used only while percentages are entered.
    ui->CurrencyEdit1->setEnabled(on);
    ui->LabelCelkem->setEnabled(on);
    ui->LabelMJCelkem->setEnabled(on);
}

bool DocumentEditor::focusGoesToBack() const
{
    return QApplication::focusWidget() == ui->suiButtonZpet;
}

void DocumentEditor::showDateText(const QString &text)
{
    if (QLineEdit *edit = ui->DBDateEdit1->findChild<QLineEdit *>()) {
        // The date edit must not read the half-typed text as sections while it is collected.
        const QSignalBlocker blocker(edit);
        edit->setText(text);
        edit->setCursorPosition(int(text.size()));
    }
}

bool DocumentEditor::typeIntoDate(QKeyEvent *key)
{
    const QString text = key->text();
    const bool dateCharacter = text.size() == 1 && (text.at(0) == u'.' || (text.at(0) >= u'0' && text.at(0) <= u'9'))
        && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!m_typingDate) {
        if (!dateCharacter || ui->DBDateEdit1->isReadOnly()) {
            m_dateFresh = false;
            return false;
        }
        // The first digit typed after entering the field, or typed over a selection from the
        // day on, starts a whole date; after an arrow key the sections are edited one by one.
        const QLineEdit *edit = ui->DBDateEdit1->findChild<QLineEdit *>();
        const bool fromDay = edit && edit->hasSelectedText() && edit->selectionStart() == 0;
        if (!m_dateFresh && !fromDay)
            return false;
        m_typingDate = true;
        m_typedDate.clear();
    }
    switch (key->key()) {
    case Qt::Key_Backspace:
        m_typedDate.chop(1);
        showDateText(m_typedDate);
        return true;
    case Qt::Key_Escape:
        m_typingDate = false;
        m_typedDate.clear();
        showDateText(ui->DBDateEdit1->date().toString(ui->DBDateEdit1->displayFormat()));
        return true;
    default:
        break;
    }
    if (dateCharacter) {
        if (m_typedDate.size() < 10)
            m_typedDate += text;
        showDateText(m_typedDate);
        return true;
    }
    // Enter, Tab, an arrow...: the typed date is set first, then the key does what it does.
    commitTypedDate();
    m_dateFresh = false;
    return false;
}

void DocumentEditor::commitTypedDate()
{
    if (!m_typingDate)
        return;
    m_typingDate = false;
    const QString typed = m_typedDate;
    m_typedDate.clear();
    const std::optional<QDate> date = headerchecks::parseTypedDate(typed, ui->DBDateEdit1->date());
    if (date) {
        ui->DBDateEdit1->setDate(*date);
        showDateText(date->toString(ui->DBDateEdit1->displayFormat()));
        return;
    }
    showDateText(ui->DBDateEdit1->date().toString(ui->DBDateEdit1->displayFormat()));
    if (typed.isEmpty())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, typed] {
            messages::show(u"„%1“ není platné datum. Zadejte je jako 1.3.2015 nebo 01032015."_s.arg(typed),
                MessageIcon::Stop, 1, u"Zpět"_s);
            refocus(ui->DBDateEdit1);
        },
        Qt::QueuedConnection);
}

void DocumentEditor::refocus(QWidget *field)
{
    // The field the operator had moved to is left because a refusal takes the focus back, not by
    // the operator: its own check does not run (two refusing fields would hand the focus to each
    // other for ever).
    m_refocusing = true;
    field->setFocus(Qt::OtherFocusReason);
    m_refocusing = false;
}

bool DocumentEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->DBDateEdit1 && event->type() == QEvent::KeyPress && m_open)
        return typeIntoDate(static_cast<QKeyEvent *>(event)) || QWidget::eventFilter(watched, event);
    if (watched == ui->DBDateEdit1 && event->type() == QEvent::FocusOut)
        commitTypedDate();
    if (watched == ui->DBDateEdit1 && event->type() == QEvent::FocusIn)
        m_dateFresh = true;
    if (event->type() == QEvent::FocusOut && m_open) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // A message box or a menu taking the focus for a moment is no leaving of the field.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            commitEdits();
            // The checks run once the focus has settled, so that their messages and focus
            // changes do not interleave with the focus change that triggered them.
            if (!focusGoesToBack() && !m_refocusing) {
                if (watched == ui->DBDateEdit1)
                    QMetaObject::invokeMethod(this, &DocumentEditor::checkDateField, Qt::QueuedConnection);
                else if (watched == ui->DBEdit11 && !ui->DBEdit11->isReadOnly())
                    QMetaObject::invokeMethod(this, &DocumentEditor::checkBatchField, Qt::QueuedConnection);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DocumentEditor::checkDateField()
{
    if (!m_open || m_checking)
        return;
    commitEdits();
    headerchecks::DateCheck check;
    try {
        check = headerchecks::checkDate(m_connection, ui->DBDateEdit1->date());
    } catch (const DbError &e) {
        messages::standardError(e.message());
        return;
    }
    if (check.reset)
        storeHeader({ { u"datum"_s, check.date } });
    if (check.ok)
        return;
    m_checking = true;
    messages::show(check.message, MessageIcon::Stop, 1, u"Zpět"_s);
    m_checking = false;
    ui->suiPageControl1->setCurrentWidget(ui->TabSheetSmes);
    refocus(ui->DBDateEdit1);
}

void DocumentEditor::checkBatchField()
{
    if (!m_open || m_checking || ui->DBEdit11->isReadOnly())
        return;
    commitEdits();
    headerchecks::BatchCodeCheck check;
    try {
        check = headerchecks::checkChangedBatchCode(m_tables.header.record(), headerchecks::mixPrefix(m_connection));
    } catch (const DbError &e) {
        messages::standardError(e.message());
        return;
    }
    if (check.cleared)
        storeHeader({ { u"partiecela"_s, QString() } });
    if (!check.ok) {
        m_checking = true;
        messages::show(check.message, MessageIcon::Stop, 1, u"OK"_s);
        m_checking = false;
        refocus(ui->DBEdit11);
        return;
    }
    if (check.filled) {
        storeHeader({ { u"partiecela"_s, check.header.value(u"partiecela"_s) },
            { u"podnik"_s, check.header.value(u"podnik"_s) }, { u"lomeni"_s, check.header.value(u"lomeni"_s) } });
    }
    ui->DBEdit1->setFocus(Qt::OtherFocusReason);
}

void DocumentEditor::proposeBatchCode()
{
    if (!m_open || m_lineEditing || ui->DBEdit11->isReadOnly())
        return;
    commitEdits();
    headerchecks::ProposeResult result;
    try {
        result = headerchecks::proposeBatchCode(m_connection, m_tables.header.record());
    } catch (const DbError &e) {
        messages::standardError(e.message());
        return;
    }
    const QVariantMap before = m_tables.header.record();
    QVariantMap changed;
    for (const QString &field : { u"partie"_s, u"partiecela"_s, u"podnik"_s, u"lomeni"_s }) {
        if (result.header.contains(field) && result.header.value(field) != before.value(field))
            changed.insert(field, result.header.value(field));
    }
    if (!changed.isEmpty())
        storeHeader(changed);
    if (!result.ok) {
        messages::show(result.message, MessageIcon::Stop, 1, u"OK"_s);
        refocus(ui->DBEdit11);
        return;
    }
    ui->DBEdit1->setFocus(Qt::OtherFocusReason);
}

// ---- the price list

void DocumentEditor::openPriceList()
{
    if (!m_open || m_lineEditing)
        return;
    commitEdits();
    if (m_host.showPriceChannel)
        m_host.showPriceChannel(true);
    m_priceList->grid()->setFocus(Qt::OtherFocusReason);
}

void DocumentEditor::takeOverPriceItem(const QVariantMap &item)
{
    // The channel can be slid out by its bar at any time; without a document there is no header.
    if (!m_open || item.isEmpty())
        return;
    commitEdits();
    const QVariantMap before = m_tables.header.record();
    const QVariantMap after = headerchecks::takeOverPriceItem(before, item);
    QVariantMap changed;
    for (auto it = after.constBegin(); it != after.constEnd(); ++it) {
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    if (!changed.isEmpty())
        storeHeader(changed);
    ui->DBEdit13->setFocus(Qt::OtherFocusReason);
    if (m_host.showPriceChannel)
        m_host.showPriceChannel(false);
    m_priceList->resetSearch();
}

void DocumentEditor::closePriceList()
{
    if (m_host.showPriceChannel)
        m_host.showPriceChannel(false);
    m_priceList->resetSearch();
}

// ---- recalculation, price, recipes

void DocumentEditor::prepocitat()
{
    if (!m_open || m_lineEditing)
        return;
    commitEdits();
    recalc::RecalcResult result;
    try {
        result = recalc::prepocitat(m_tables.header, m_tables.lines, &m_tables.aggregate, m_celkem, m_env.worksCosted);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    } catch (const DbError &e) {
        messages::standardError(e.message());
        return;
    }
    refreshHeader();
    if (!result.ok)
        messages::show(result.message, MessageIcon::Stop, 1, u"OK"_s);
}

void DocumentEditor::zCeniku()
{
    if (!m_open || m_lineEditing)
        return;
    commitEdits();
    try {
        recalc::zCeniku(m_connection, m_tables.header);
    } catch (const DbError &e) {
        messages::standardError(e.message());
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
    }
    refreshHeader();
}

void DocumentEditor::receptury()
{
    if (!m_open || m_lineEditing)
        return;
    commitEdits();
    if (!m_recipes) {
        m_recipes = new TFnavrhKS(m_connection, window());
        connect(m_recipes, &TFnavrhKS::proposalTaken, this, &DocumentEditor::applyProposal);
    }
    m_recipes->exec();
    refreshHeader();
}

void DocumentEditor::applyProposal(const recipe::Proposal &proposal)
{
    if (!m_open)
        return;
    m_lineEditor->applyProposal(proposal);
    refreshHeader();
}

// ---- line editing

void DocumentEditor::setLineEditing(bool editing)
{
    m_lineEditing = editing;
    updateButtons();
}

void DocumentEditor::updateButtons()
{
    const bool free = !m_lineEditing;
    ui->suiButton15->setEnabled(free && m_state.saveEnabled());
    for (QWidget *w : { static_cast<QWidget *>(ui->suiDBGrid2), static_cast<QWidget *>(ui->suiButtonPridat),
             static_cast<QWidget *>(ui->suiButtonOpravit), static_cast<QWidget *>(ui->suiButtonZrusit),
             static_cast<QWidget *>(ui->suiButtonPrepocitat), static_cast<QWidget *>(ui->suiButtonReceptury),
             static_cast<QWidget *>(ui->suiButtonZCeniku), static_cast<QWidget *>(ui->suiButtonCenik) })
        w->setEnabled(free);
    // A locked mix batch code (correction state 1) takes no proposal either.
    ui->suiButtonNavrhPartie->setEnabled(free && !ui->DBEdit11->isReadOnly());
}

// ---- leaving the editor

void DocumentEditor::zpet()
{
    if (m_host.returnToList)
        m_host.returnToList();
    else
        leave();
}

posting::SaveContext DocumentEditor::saveContext() const
{
    posting::SaveContext context;
    context.stredisko = m_env.stredisko;
    context.cisloPC = m_env.cisloPC;
    context.mode = m_state.mode;
    context.correctionState = m_state.correctionState;
    context.loadedPartiecela = m_state.loadedPartiecela;
    context.loadedLomeni = m_state.loadedLomeni;
    context.ksJakNc = m_env.ksJaknc;
    context.ksVyrobky = m_env.worksCosted;
    context.confirmed = ui->suiCheckBoxStav->isChecked();
    context.packaging = m_state.packaging;
    return context;
}

void DocumentEditor::zapsat()
{
    if (!m_open || m_lineEditing || !m_state.saveEnabled())
        return;
    commitEdits();
    posting::Document document;
    try {
        WorkTable &header = m_tables.header;
        if (header.state() == WorkTable::State::Edit || header.state() == WorkTable::State::Insert)
            header.post();
        document.mix = header.record();
        document.lines = m_tables.lines.allRecords();
        document.stored = m_tables.stored.allRecords();
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    }

    posting::SaveHooks hooks;
    hooks.setSaveEnabled
        = [this](bool on) { ui->suiButton15->setEnabled(on && !m_lineEditing && m_state.saveEnabled()); };
    hooks.leaveEditor = [this] { zpet(); };
    hooks.printDocument = [this](const QString &cisdok) {
        if (m_host.showSavedDocument)
            m_host.showSavedDocument(cisdok);
    };
    const posting::SaveOutcome outcome = posting::zapsat(m_connection, document, saveContext(), hooks);
    switch (outcome.result) {
    case posting::SaveResult::Saved:
        emit saved(outcome.cisdok);
        break;
    case posting::SaveResult::Cancelled:
        break;
    case posting::SaveResult::Refused:
        switch (outcome.focus) {
        case posting::FocusTarget::MixBatch:
            ui->suiPageControl1->setCurrentWidget(ui->TabSheetSmes);
            ui->DBEdit11->setFocus(Qt::OtherFocusReason);
            break;
        case posting::FocusTarget::Date:
            ui->suiPageControl1->setCurrentWidget(ui->TabSheetSmes);
            ui->DBDateEdit1->setFocus(Qt::OtherFocusReason);
            break;
        case posting::FocusTarget::Line:
            if (outcome.line >= 0 && outcome.line < m_tables.lines.recordCount()) {
                m_tables.lines.goTo(outcome.line);
                ui->suiDBGrid2->setFocus(Qt::OtherFocusReason);
            }
            break;
        case posting::FocusTarget::None:
            break;
        }
        break;
    case posting::SaveResult::Failed:
        // The error step has rolled back and asked the program to end; nothing more is edited.
        m_open = false;
        setEnabled(false);
        break;
    }
}
