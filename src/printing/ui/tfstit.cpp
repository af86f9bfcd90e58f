#include "tfstit.h"
#include "busycursor.h"

#include "connection.h"
#include "labeldata.h"
#include "labelpreview.h"
#include "messages.h"
#include "printing/samplelabels.h"
#include "settings.h"
#include "ui_tfstit.h"
#include "worktable.h"

#include <QRadioButton>
#include <QScreen>

namespace {

const QString Section = QStringLiteral("TFstit");
const QString CountKey = QStringLiteral("suiSpinEdit1_Value");

} // namespace

TFstit::TFstit(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TFstit>())
{
    ui->setupUi(this);
    connect(ui->suiButton1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->suiButton2, &QPushButton::clicked, this, &QDialog::reject);
    restoreWindowValues();
}

TFstit::~TFstit() = default;

int TFstit::labelCount() const
{
    return ui->suiSpinEdit1->value();
}

int TFstit::startPosition() const
{
    const QRadioButton *buttons[]
        = { ui->suiRadioButton1, ui->suiRadioButton2, ui->suiRadioButton3, ui->suiRadioButton4 };
    for (int i = 0; i < 4; ++i) {
        if (buttons[i]->isChecked())
            return i + 1;
    }
    return 1;
}

void TFstit::setStartPosition(int position)
{
    QRadioButton *buttons[] = { ui->suiRadioButton1, ui->suiRadioButton2, ui->suiRadioButton3, ui->suiRadioButton4 };
    if (position >= 1 && position <= 4)
        buttons[position - 1]->setChecked(true);
}

// Stored window values of section TFstit in the keys of the form storage: the number of labels
// (clamped to 1..6, so a hand-edited value can never order a thousand labels) and the placement.
void TFstit::restoreWindowValues()
{
    bool ok = false;
    const qlonglong count = settings::readWindowValue(Section, CountKey).trimmed().toLongLong(&ok);
    if (ok)
        ui->suiSpinEdit1->setValue(int(qBound(1LL, count, 6LL)));

    // The dialog keeps its size; of the stored placement only the position is used, and only when
    // it lies on the screen (a position from another screen layout would hide the dialog).
    const QStringList parts = settings::readWindowValue(Section, QStringLiteral("NormPos")).split(QLatin1Char(','));
    if (parts.size() != 4)
        return;
    bool xOk = false;
    bool yOk = false;
    const QPoint stored(parts.at(0).trimmed().toInt(&xOk), parts.at(1).trimmed().toInt(&yOk));
    const QScreen *s = screen();
    if (xOk && yOk && s && s->availableGeometry().contains(stored))
        move(stored);
}

void TFstit::storeWindowValues() const
{
    settings::writeWindowValue(Section, CountKey, QString::number(labelCount()));
    settings::writeWindowValue(
        Section, QStringLiteral("NormPos"), QStringLiteral("%1,%2,%3,%4").arg(x()).arg(y()).arg(width()).arg(height()));
}

void TFstit::done(int result)
{
    try {
        storeWindowValues();
    } catch (const std::exception &e) {
        messages::standardError(QString::fromStdString(e.what()));
    }
    QDialog::done(result);
}

QString TFstit::documentGoneText(bool listRebuilt)
{
    QString text = QStringLiteral("Vybraný doklad už v databázi není, byl mezitím opraven nebo smazán.");
    if (listRebuilt)
        text += QStringLiteral(" Seznam dokladů bude obnoven.");
    return text;
}

void TFstit::printSampleLabels(
    Connection &connection, const QVariant &listId, QWidget *parent, const std::function<void()> &rebuildList)
{
    const QString sql = labels::sampleLabelSql(listId);
    if (sql.isEmpty())
        return;
    int count = 1;
    int start = 1;
    {
        TFstit dialog(parent);
        if (dialog.exec() != QDialog::Accepted)
            return;
        count = dialog.labelCount();
        start = dialog.startPosition();
    }

    ResultSet label;
    {
        BusyCursor wait;
        label = connection.query(sql);
    }
    if (label.isEmpty()) {
        // The list is older than the document: a correction on another workstation replaced its
        // rows. Printing would give a sheet of blank labels.
        messages::show(documentGoneText(bool(rebuildList)), MessageIcon::Information);
        if (rebuildList)
            rebuildList();
        return;
    }

    WorkTable table(QString::fromUtf16(labels::LabelSheetTable));
    pelmixi::printing::Report report;
    {
        BusyCursor wait;
        const pelmixi::printing::SampleLabelSupplier supplier = labels::readSampleLabelSupplier();
        labels::fillLabelSheet(table, label, count, start);
        report = pelmixi::printing::sampleLabelReport(labels::tableRows(table), supplier);
    }
    LabelPreview::showReport(report, parent);
    table.close();
}
