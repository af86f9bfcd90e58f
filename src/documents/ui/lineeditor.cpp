// The line editor panel "Řádek dokladu": the operator's side of the composition-line rules. The
// panel edits the line table's edit buffer directly, so the lines grid shows a line as it is typed;
// the rules (linerules, stocklist) decide, the panel shows their messages and moves the focus.
#include "lineeditor.h"

#include "connection.h"
#include "displayformat.h"
#include "messages.h"
#include "opendocument.h"
#include "stockpicker.h"
#include "tfprace.h"
#include "ui_lineeditor.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QRegularExpressionValidator>

using namespace Qt::StringLiterals;

namespace {

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// A number as the edit shows it: decimal comma, up to four decimals, no grouping; NULL empty.
QString editNumber(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    QString text = QString::number(linerules::numberValue(value), 'f', 4);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    if (text == u"-0"_s)
        text = u"0"_s;
    return text.replace(u'.', u',');
}

void stop(const QString &text, const QString &button = u"OK"_s)
{
    messages::show(text, MessageIcon::Stop, 1, button);
}

} // namespace

LineEditor::LineEditor(Connection &conn, opening::WorkingTables &tables, QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::LineEditor>())
    , m_conn(conn)
    , m_tables(tables)
    , m_picker(new StockPicker)
{
    ui->setupUi(this);
    setFixedHeight(135);
    hide();

    auto *number = new QRegularExpressionValidator(QRegularExpression(u"-?[0-9 ]*([,.][0-9]*)?"_s), this);
    ui->DBEditMNOZSTVI->setValidator(number);
    ui->DBEditPR->setValidator(number);
    // Tab goes from "Partie" straight to the quantity; the buttons take the focus only when clicked
    // (leaving "Partie" towards them skips its check).
    ui->ButtonSkl->setFocusPolicy(Qt::ClickFocus);
    ui->ButtonPrace->setFocusPolicy(Qt::ClickFocus);
    ui->ButtonSkl->setToolTip(u"Skladové karty"_s);
    ui->ButtonPrace->setToolTip(u"Seznam prací"_s);
    ui->EditPARTIE->installEventFilter(this);
    ui->DBEditPR->installEventFilter(this);
    ui->DBEditMNOZSTVI->installEventFilter(this);
    ui->DBEditMJ->installEventFilter(this);

    connect(ui->EditPARTIE, &QLineEdit::textEdited, this, [this](const QString &t) {
        m_batchUnchecked = true;
        fieldEdited(u"partie"_s, t);
    });
    connect(
        ui->DBEditMNOZSTVI, &QLineEdit::textEdited, this, [this](const QString &t) { fieldEdited(u"mnozstvi"_s, t); });
    connect(ui->DBEditMJ, &QLineEdit::textEdited, this, [this](const QString &t) { fieldEdited(u"mj"_s, t); });
    connect(ui->DBEditPR, &QLineEdit::textEdited, this, [this](const QString &t) { fieldEdited(u"pr"_s, t); });

    connect(ui->ButtonSkl, &QPushButton::clicked, this, &LineEditor::openPicker);
    connect(ui->ButtonPrace, &QPushButton::clicked, this, &LineEditor::openWorks);
    connect(ui->ButtonZapsatRadek, &QPushButton::clicked, this, &LineEditor::keepLine);
    connect(ui->ButtonZpetRadek, &QPushButton::clicked, this, &LineEditor::cancelEdit);

    connect(m_picker.data(), &StockPicker::takeOverRequested, this, &LineEditor::pickerTakeOver);
    connect(m_picker.data(), &StockPicker::backRequested, this, &LineEditor::pickerBack);
    connect(m_picker.data(), &StockPicker::calculationsToggled, this, [this] { reloadStock(); });
}

LineEditor::~LineEditor()
{
    if (m_picker && !m_picker->parent())
        delete m_picker;
}

void LineEditor::setContext(const LineEditorContext &ctx)
{
    m_ctx = ctx;
    percentModeChanged();
}

StockPicker *LineEditor::stockPicker() const
{
    return m_picker;
}

bool LineEditor::percentMode() const
{
    return m_ctx.percentMode ? m_ctx.percentMode() : false;
}

double LineEditor::celkem() const
{
    return m_ctx.celkem ? m_ctx.celkem() : 0.0;
}

bool LineEditor::tablesOpen() const
{
    return m_tables.header.isOpen() && m_tables.lines.isOpen();
}

QList<QVariantMap> LineEditor::storedRows() const
{
    return m_tables.stored.isOpen() ? m_tables.stored.allRecords() : QList<QVariantMap> {};
}

linerules::LineContext LineEditor::lineContext() const
{
    return { m_ctx.stredisko, m_ctx.worksCosted };
}

void LineEditor::showChannel(bool out)
{
    if (m_ctx.showStockChannel)
        m_ctx.showStockChannel(out);
}

// --- lists ----------------------------------------------------------------------------------------

void LineEditor::loadLists()
{
    BusyCursor busy;
    reloadStock();
    try {
        m_works = stocklist::rowsOf(m_conn.query(stocklist::worksQuery()));
    } catch (const DbError &e) {
        m_works.clear();
        messages::standardError(e.message());
    }
}

void LineEditor::reloadStock()
{
    if (!m_picker)
        return;
    BusyCursor busy;
    m_picker->clear();
    try {
        m_picker->setStockList(m_conn.query(stocklist::NactiSkl(m_ctx.stredisko, m_picker->includeCalculations())));
    } catch (const DbError &e) {
        messages::standardError(e.message());
    }
}

void LineEditor::closeLists()
{
    if (m_picker)
        m_picker->clear();
    m_works.clear();
}

// --- starting and ending a line edit --------------------------------------------------------------

void LineEditor::startAdd()
{
    if (m_editing || !tablesOpen())
        return;
    try {
        linerules::addLine(m_tables.lines, m_tables.header.record());
    } catch (const WorkTableError &e) {
        m_tables.lines.cancel();
        messages::standardError(e.message());
        return;
    }
    beginEditing(true);
}

void LineEditor::startChange()
{
    if (m_editing || !tablesOpen())
        return;
    try {
        linerules::changeLine(m_tables.lines);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    }
    beginEditing(m_tables.lines.state() == WorkTable::State::Insert);
}

void LineEditor::beginEditing(bool isNew)
{
    m_editing = true;
    m_isNew = isNew;
    m_batchPending = false;
    m_batchUnchecked = false;
    m_percentDirty = false;
    const int partie = m_tables.lines.fieldIndex(u"partie"_s);
    if (partie >= 0 && m_tables.lines.columns().at(partie).length > 0)
        ui->EditPARTIE->setMaxLength(m_tables.lines.columns().at(partie).length);
    const int mj = m_tables.lines.fieldIndex(u"mj"_s);
    if (mj >= 0 && m_tables.lines.columns().at(mj).length > 0)
        ui->DBEditMJ->setMaxLength(m_tables.lines.columns().at(mj).length);
    ui->DBEditPR->setEnabled(percentMode());
    loadFields();
    show();
    emit editingChanged(true);
    if (percentMode())
        ui->DBEditPR->setFocus(Qt::OtherFocusReason);
    else if (m_tables.lines.asString(u"partiecela"_s).trimmed().isEmpty())
        ui->EditPARTIE->setFocus(Qt::OtherFocusReason);
    else
        ui->DBEditMNOZSTVI->setFocus(Qt::OtherFocusReason);
}

void LineEditor::endEditing()
{
    m_editing = false;
    m_isNew = false;
    m_batchPending = false;
    m_batchUnchecked = false;
    m_percentDirty = false;
    closePicker();
    hide();
    emit editingChanged(false);
}

void LineEditor::cancelEdit()
{
    if (!m_editing)
        return;
    m_tables.lines.cancel();
    endEditing();
}

void LineEditor::percentModeChanged()
{
    ui->DBEditPR->setEnabled(percentMode());
}

// --- the fields -----------------------------------------------------------------------------------

void LineEditor::loadFields()
{
    const WorkTable &t = m_tables.lines;
    auto text = [&t](const char *field) {
        const QString name = QString::fromLatin1(field);
        return t.hasField(name) ? t.asString(name).trimmed() : QString();
    };
    auto value = [&t](const char *field) {
        const QString name = QString::fromLatin1(field);
        return t.hasField(name) ? t.value(name) : QVariant();
    };
    ui->EditPARTIE->setText(text("partie"));
    ui->DBEditNOMENKLA->setText(text("nomenkla"));
    ui->DBEditNAZEVOSIVA->setText(text("nazevosiva"));
    ui->DBEditNAZEVOSIVA->setCursorPosition(0);
    ui->DBEditDRUH->setText(text("druh"));
    ui->DBEditNAZ_DRU->setText(text("naz_dru"));
    ui->DBEditNAZ_DRU->setCursorPosition(0);
    ui->DBEditODRUDA->setText(text("odruda"));
    ui->DBEditNAZ_ODRU->setText(text("naz_odru"));
    ui->DBEditNAZ_ODRU->setCursorPosition(0);
    ui->DBEditSTUPEN->setText(text("stupen"));
    const QVariant lomeni = value("lomeni");
    ui->DBEditLOMENI->setText(
        lomeni.isNull() || !lomeni.isValid() ? QString() : QString::number(linerules::numberValue(lomeni)));
    ui->DBEditPARTIECELA->setText(text("partiecela"));
    ui->DBEditMNOZSTVI->setText(editNumber(value("mnozstvi")));
    ui->DBEditMJ->setText(text("mj"));
    ui->DBEditPR->setText(editNumber(value("pr")));
    const QVariant nc = value("nc");
    ui->DBEditNC->setText(nc.isNull() || !nc.isValid()
            ? QString()
            : displayformat::format(linerules::numberValue(nc), QString::fromUtf16(displayformat::Price)));
}

void LineEditor::setLineValues(const QVariantMap &values)
{
    WorkTable &lines = m_tables.lines;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (lines.hasField(it.key()))
            lines.setValue(it.key(), it.value());
    }
}

void LineEditor::fieldEdited(const QString &field, const QString &text)
{
    if (!m_editing)
        return;
    try {
        if (field == u"mnozstvi"_s || field == u"pr"_s) {
            double number = 0;
            if (!displayformat::parseNumber(text, &number))
                number = 0; // empty, or a lone sign or comma while typing
            m_tables.lines.setValue(field, number);
            if (field == u"pr"_s)
                m_percentDirty = true;
        } else {
            m_tables.lines.setValue(field, text);
        }
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
    }
}

void LineEditor::queueBatchCheck()
{
    if (m_batchPending)
        return;
    m_batchPending = true;
    // Run after the focus change is complete: the check may open a dialog or the picker.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_batchPending) {
                m_batchPending = false;
                leaveBatchField();
            }
        },
        Qt::QueuedConnection);
}

bool LineEditor::eventFilter(QObject *watched, QEvent *event)
{
    // A code typed into "Partie" that no check has accepted yet is checked as soon as another
    // field of the line gets the focus, whatever way the focus left "Partie" (a message box in
    // between, a window that was not active when the focus moved).
    if (event->type() == QEvent::FocusIn && m_editing && m_batchUnchecked
        && (watched == ui->DBEditMNOZSTVI || watched == ui->DBEditMJ || watched == ui->DBEditPR)) {
        queueBatchCheck();
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusOut && m_editing) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return QWidget::eventFilter(watched, event);
        if (watched == ui->DBEditPR) {
            leavePercent();
        } else if (watched == ui->EditPARTIE) {
            // The new focus widget is already known while the old one hears of the change.
            QWidget *target = QApplication::focusWidget();
            const bool exempt = !target || target == m_ctx.documentBack.data() || target == ui->ButtonSkl
                || target == ui->ButtonPrace || target == ui->ButtonZpetRadek
                || (m_pickerOpen && m_picker && m_picker->isAncestorOf(target));
            if (!exempt)
                queueBatchCheck();
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool LineEditor::flushPending()
{
    if (m_percentDirty)
        leavePercent();
    if (m_batchPending || m_batchUnchecked) {
        m_batchPending = false;
        return leaveBatchField();
    }
    return true;
}

// --- "Partie" and the pickers ---------------------------------------------------------------------

bool LineEditor::leaveBatchField()
{
    if (!m_editing || !m_picker)
        return false;
    const QString code = ui->EditPARTIE->text();
    m_batchUnchecked = false;
    const linerules::BatchFieldDecision decision
        = linerules::leaveBatchField(code, m_works, m_picker->cards(), m_ctx.worksCosted);
    try {
        switch (decision.action) {
        case linerules::BatchFieldAction::FillFromWork:
            setLineValues(linerules::fillFromWork(
                m_tables.lines.record(), m_works.at(decision.row), m_tables.header.asFloat(u"mnozstvi"_s)));
            loadFields();
            ui->DBEditMNOZSTVI->setFocus(Qt::OtherFocusReason);
            return true;
        case linerules::BatchFieldAction::ZeroPriceWork:
            // Refused: the next code typed, or leaving the field again, is checked again.
            m_batchUnchecked = true;
            stop(decision.message, u"Zpět"_s);
            ui->EditPARTIE->setFocus(Qt::OtherFocusReason);
            return false;
        case linerules::BatchFieldAction::OpenWorksDialog:
            openWorks();
            return false;
        case linerules::BatchFieldAction::OpenPicker:
            openPicker();
            return false;
        case linerules::BatchFieldAction::TakeOverCard:
            takeOverCard(m_picker->cards().at(decision.row));
            return true;
        }
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
    }
    return false;
}

void LineEditor::openPicker()
{
    if (!m_editing || !m_picker)
        return;
    m_batchPending = false;
    m_picker->setFilter(stocklist::pickerFilter(m_tables.lines.record()));
    m_pickerOpen = true;
    showChannel(true);
    m_picker->focusGrid();
}

void LineEditor::pickerTakeOver()
{
    if (!m_picker)
        return;
    const std::optional<QVariantMap> card = m_picker->currentCard();
    if (!card)
        return;
    if (!m_editing) {
        // The channel was slid out by its bar: the take-over goes through the line editor on the
        // current line (a new one on an empty table), so that "Zapsat" checks it as any other.
        startChange();
        if (!m_editing)
            return;
    }
    takeOverCard(*card);
}

void LineEditor::takeOverCard(const QVariantMap &card)
{
    m_batchPending = false;
    m_batchUnchecked = false;
    try {
        setLineValues(linerules::takeOverCard(m_tables.lines.record(), card));
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    }
    loadFields();
    closePicker();
    focusAfterTakeOver();
}

void LineEditor::focusAfterTakeOver()
{
    if (percentMode())
        ui->DBEditPR->setFocus(Qt::OtherFocusReason);
    else
        ui->DBEditMNOZSTVI->setFocus(Qt::OtherFocusReason);
}

void LineEditor::closePicker()
{
    m_pickerOpen = false;
    showChannel(false);
    if (m_picker)
        m_picker->clearFilter();
}

void LineEditor::pickerBack()
{
    closePicker();
    if (m_editing)
        ui->EditPARTIE->setFocus(Qt::OtherFocusReason);
}

void LineEditor::stockChannelSlidBack()
{
    m_pickerOpen = false;
    if (m_picker)
        m_picker->clearFilter();
}

void LineEditor::openWorks()
{
    if (!m_editing)
        return;
    m_batchPending = false;
    Tfprace dialog(m_works, window());
    dialog.placeBeside(window());
    const bool ok = dialog.exec() == QDialog::Accepted;
    const QString chosen = ok ? dialog.chosenPartie() : QString();
    if (!m_editing)
        return;
    ui->EditPARTIE->setFocus(Qt::OtherFocusReason);
    if (chosen.isEmpty())
        return;
    try {
        setLineValues({ { u"partie"_s, chosen } });
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    }
    ui->EditPARTIE->setText(chosen);
    leaveBatchField();
}

// --- percentages ----------------------------------------------------------------------------------

void LineEditor::leavePercent()
{
    m_percentDirty = false;
    if (!m_editing)
        return;
    const linerules::PercentEntry entry = linerules::leavePercent(ui->DBEditPR->text(), percentMode(), celkem());
    QVariantMap values { { u"pr"_s, entry.pr } };
    if (entry.mnozstvi)
        values.insert(u"mnozstvi"_s, *entry.mnozstvi);
    try {
        setLineValues(values);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    }
    ui->DBEditPR->setText(editNumber(entry.pr));
    if (entry.mnozstvi)
        ui->DBEditMNOZSTVI->setText(editNumber(*entry.mnozstvi));
}

// --- keeping and removing -------------------------------------------------------------------------

bool LineEditor::keepLine()
{
    if (!m_editing)
        return false;
    if (!flushPending())
        return false;
    WorkTable &lines = m_tables.lines;
    const int row = lines.editRow() >= 0 ? lines.editRow() : lines.recNo();
    linerules::KeepResult result;
    try {
        result = linerules::keepLine(m_conn, m_tables.header, lines, storedRows(), lineContext());
    } catch (const DbError &e) {
        messages::standardError(e.message());
        return false;
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return false;
    }

    switch (result.outcome) {
    case linerules::KeepOutcome::Kept:
        endEditing();
        emit headerChanged();
        return true;
    case linerules::KeepOutcome::KeptOverHundred:
        emit headerChanged();
        stop(result.message);
        // The line is saved; the operator lowers a percentage and keeps it again.
        try {
            if (row >= 0 && row < lines.recordCount())
                lines.goTo(row);
            lines.edit();
        } catch (const WorkTableError &e) {
            messages::standardError(e.message());
        }
        m_isNew = false;
        loadFields();
        return false;
    case linerules::KeepOutcome::InvalidValue:
        stop(result.message);
        return false;
    case linerules::KeepOutcome::StockShortfall:
        stop(result.message);
        if (result.leaveEditor) {
            endEditing();
            return true;
        }
        try {
            lines.edit();
        } catch (const WorkTableError &e) {
            messages::standardError(e.message());
        }
        loadFields();
        return false;
    }
    return false;
}

void LineEditor::removeCurrent()
{
    if (m_editing || !tablesOpen())
        return;
    const int answer = messages::show(linerules::removeQuestion(), MessageIcon::Question, 2, u"Zrušit"_s, u"Zpět"_s);
    linerules::RemoveResult result;
    try {
        result
            = linerules::removeLine(m_conn, m_tables.header, m_tables.lines, storedRows(), lineContext(), answer == 1);
    } catch (const DbError &e) {
        messages::standardError(e.message());
        emit headerChanged();
        return;
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        emit headerChanged();
        return;
    }
    emit headerChanged();
    for (const QString &message : std::as_const(result.messages))
        stop(message);
    if (m_tables.lines.isEmpty())
        closePicker();
}

// --- recipe proposals -----------------------------------------------------------------------------

void LineEditor::applyProposal(const recipe::Proposal &p)
{
    if (!tablesOpen())
        return;
    if (m_editing)
        cancelEdit();
    try {
        for (const QVariantMap &line : p.lines)
            m_tables.lines.appendRecord(line);
        if (!p.header.isEmpty())
            linerules::storeFields(m_tables.header, p.header);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
    }
    emit headerChanged();
}
