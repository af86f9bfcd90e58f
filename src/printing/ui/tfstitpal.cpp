#include "tfstitpal.h"
#include "busycursor.h"

#include "connection.h"
#include "labeldata.h"
#include "labelpreview.h"
#include "messages.h"
#include "printing/palletlabel.h"
#include "tftextuloz.h"
#include "ui_tfstitpal.h"
#include "worktable.h"

#include <QApplication>
#include <QFocusEvent>

using namespace pelmixi::printing;

namespace {

const QString Poceto1 = QStringLiteral("poceto1");
const QString Vahao1 = QStringLiteral("vahao1");
const QString Smesi = QStringLiteral("smesi");
const QString Mj = QStringLiteral("mj");
const QString Popis = QStringLiteral("popis");

} // namespace

TFstitPal::TFstitPal(WorkTable &table, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TFstitPal>())
    , m_table(table)
{
    ui->setupUi(this);
    m_fields = { { ui->DBEditNAZ_DRU, QStringLiteral("naz_dru") }, { ui->DBEditNAZ_ODRU, QStringLiteral("naz_odru") },
        { ui->DBEditPARTIECELA, QStringLiteral("partiecela") }, { ui->DBEditPOCETO1, Poceto1 },
        { ui->DBEditVAHAO1, Vahao1 }, { ui->DBEditMJ, Mj }, { ui->DBEditSMESI, Smesi }, { ui->DBEditMJ2, Mj },
        { ui->DBEditSIDLO, QStringLiteral("sidlo") } };
    for (auto it = m_fields.constBegin(); it != m_fields.constEnd(); ++it) {
        it.key()->installEventFilter(this);
        const int index = m_table.fieldIndex(it.value());
        if (index >= 0) {
            const Column &column = m_table.columns().at(index);
            if (column.kind == FieldKind::Text && column.length > 0)
                it.key()->setMaxLength(column.length);
        }
    }
    connect(ui->suiButton1, &QPushButton::clicked, this, &TFstitPal::print);
    connect(ui->suiButton2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->suiButton3, &QPushButton::clicked, this, [this] { pickText(QStringLiteral("NAZ_DRU")); });
    connect(ui->suiButton4, &QPushButton::clicked, this, [this] { pickText(QStringLiteral("NAZ_ODRU")); });
    connect(ui->suiButton5, &QPushButton::clicked, this, [this] { pickText(QStringLiteral("SIDLO")); });

    try {
        ensureEditing();
        m_table.setFloat(Smesi, palletTotal(m_table.asFloat(Poceto1), m_table.asFloat(Vahao1)));
        m_table.setString(Popis, QString());
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
    }
    showValues();
}

TFstitPal::~TFstitPal() = default;

void TFstitPal::printPalletLabel(Connection &connection, const QString &partiecela, const QString &lomeni,
    const QString &costCentre, QWidget *parent)
{
    WorkTable table(QString::fromUtf16(labels::PalletTable));
    {
        BusyCursor wait;
        const ResultSet card = connection.query(labels::palletCardSql(partiecela, lomeni, costCentre));
        labels::fillPalletTable(table, card);
    }
    TFstitPal dialog(table, parent);
    dialog.exec();
}

int TFstitPal::labelCount() const
{
    return ui->suiSpinEdit1->value();
}

void TFstitPal::ensureEditing()
{
    if (m_table.state() == WorkTable::State::Browse)
        m_table.edit();
}

void TFstitPal::showValues()
{
    for (auto it = m_fields.constBegin(); it != m_fields.constEnd(); ++it) {
        try {
            it.key()->setText(m_table.asString(it.value()));
        } catch (const WorkTableError &) {
            it.key()->clear(); // a stock card without the column
        }
    }
}

bool TFstitPal::commit(QLineEdit *edit)
{
    const QString field = m_fields.value(edit);
    try {
        if (edit->text() == m_table.asString(field))
            return true;
        ensureEditing();
        m_table.setValue(field, edit->text());
    } catch (const WorkTableError &e) {
        edit->setText(m_table.hasField(field) ? m_table.asString(field) : QString());
        messages::standardError(e.message());
        return false;
    }
    // The value as the field holds it, in every edit bound to the field (the unit is shown twice).
    for (auto it = m_fields.constBegin(); it != m_fields.constEnd(); ++it) {
        if (it.value() == field)
            it.key()->setText(m_table.asString(field));
    }
    return true;
}

bool TFstitPal::commitAll()
{
    for (QLineEdit *edit : { ui->DBEditNAZ_DRU, ui->DBEditNAZ_ODRU, ui->DBEditPARTIECELA, ui->DBEditPOCETO1,
             ui->DBEditVAHAO1, ui->DBEditMJ, ui->DBEditSMESI, ui->DBEditMJ2, ui->DBEditSIDLO }) {
        if (!commit(edit))
            return false;
    }
    return true;
}

void TFstitPal::recomputeTotal()
{
    try {
        ensureEditing();
        m_table.setFloat(Smesi, palletTotal(m_table.asFloat(Poceto1), m_table.asFloat(Vahao1)));
        ui->DBEditSMESI->setText(m_table.asString(Smesi));
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
    }
}

bool TFstitPal::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        auto *edit = qobject_cast<QLineEdit *>(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Leaving an edit for another control of the dialog; a window that merely loses the
        // focus (a message, another program) leaves the edit as it is, and so does "Zpět", which
        // closes the dialog without checking what was typed.
        if (edit && m_fields.contains(edit) && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && QApplication::focusWidget() != ui->suiButton2) {
            const QString field = m_fields.value(edit);
            if (commit(edit) && (field == Poceto1 || field == Vahao1))
                recomputeTotal();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFstitPal::print()
{
    if (!commitAll())
        return;
    try {
        ensureEditing();
        m_table.setString(Popis,
            packagingLine(
                m_table.asFloat(Poceto1), m_table.asFloat(Vahao1), m_table.asFloat(Smesi), m_table.asString(Mj)));
        m_table.post();
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    }
    LabelPreview::showReport(palletLabelReport(labels::tableRows(m_table), labelCount()), this);
}

void TFstitPal::pickText(const QString &field)
{
    const std::optional<QString> text = TftextUloz::pick(field, this);
    if (!text)
        return;
    QString value = *text;
    try {
        const int index = m_table.fieldIndex(field);
        if (index >= 0) {
            const Column &column = m_table.columns().at(index);
            if (column.kind == FieldKind::Text && column.length > 0)
                value.truncate(column.length);
        }
        ensureEditing();
        m_table.setString(field, value);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return;
    }
    const QString lower = field.toLower();
    for (auto it = m_fields.constBegin(); it != m_fields.constEnd(); ++it) {
        if (it.value() == lower)
            it.key()->setText(m_table.asString(lower));
    }
}
