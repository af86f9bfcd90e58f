#include "tftextuloz.h"

#include "cp1250.h"
#include "labeldata.h"
#include "messages.h"
#include "ui_tftextuloz.h"

namespace {

constexpr int ShortHeight = 260;
constexpr int ExtendedHeight = 300;

} // namespace

TftextUloz::TftextUloz(const QString &field, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TftextUloz>())
    , m_field(field)
{
    ui->setupUi(this);
    ui->ListBox1->addItems(labels::loadSavedTexts(field));
    connect(ui->suiButton1, &QPushButton::clicked, this, &TftextUloz::extend);
    connect(ui->suiButton2, &QPushButton::clicked, this, &TftextUloz::deleteText);
    connect(ui->suiButton3, &QPushButton::clicked, this, &TftextUloz::confirm);
    connect(ui->suiButton4, &QPushButton::clicked, this, &TftextUloz::addText);
    connect(ui->suiButton5, &QPushButton::clicked, this, &TftextUloz::shrink);
    connect(ui->suiEdit1, &QLineEdit::returnPressed, this, &TftextUloz::addText);
    connect(ui->ListBox1, &QListWidget::itemDoubleClicked, this, &TftextUloz::confirm);
    shrink();
}

TftextUloz::~TftextUloz() = default;

std::optional<QString> TftextUloz::pick(const QString &field, QWidget *parent)
{
    TftextUloz picker(field, parent);
    picker.exec();
    return picker.chosenText();
}

QStringList TftextUloz::texts() const
{
    QStringList list;
    for (int i = 0; i < ui->ListBox1->count(); ++i)
        list << ui->ListBox1->item(i)->text();
    return list;
}

bool TftextUloz::isExtended() const
{
    return !ui->Panel1->isHidden();
}

void TftextUloz::extend()
{
    ui->Panel1->show();
    setFixedHeight(ExtendedHeight);
    ui->suiEdit1->clear();
    ui->suiEdit1->setFocus();
}

void TftextUloz::shrink()
{
    ui->Panel1->hide();
    setFixedHeight(ShortHeight);
}

void TftextUloz::addText()
{
    const QString text = ui->suiEdit1->text();
    // The list file is in code page 1250: a text it cannot hold would make the whole list
    // unwritable when the picker closes, so it is refused here.
    try {
        cp1250::encode(text, QStringLiteral("Uložené texty"));
    } catch (const cp1250::EncodingError &e) {
        messages::show(e.message(), MessageIcon::Warning);
        return;
    }
    ui->ListBox1->addItem(text);
    shrink();
}

void TftextUloz::deleteText()
{
    const QList<QListWidgetItem *> selected = ui->ListBox1->selectedItems();
    if (selected.isEmpty())
        return;
    delete ui->ListBox1->takeItem(ui->ListBox1->row(selected.first()));
    // No line is chosen after a deletion: "OK" must not pick the neighbour of the deleted line.
    ui->ListBox1->setCurrentItem(nullptr);
    ui->ListBox1->clearSelection();
}

void TftextUloz::confirm()
{
    const QList<QListWidgetItem *> selected = ui->ListBox1->selectedItems();
    if (selected.isEmpty()) {
        messages::show(QStringLiteral("Není vybrán text."), MessageIcon::Warning);
        reject();
        return;
    }
    m_chosen = selected.first()->text();
    accept();
}

void TftextUloz::done(int result)
{
    try {
        labels::saveSavedTexts(m_field, texts());
    } catch (const cp1250::EncodingError &e) {
        messages::standardError(e.message());
    } catch (const std::exception &e) {
        messages::standardError(QString::fromStdString(e.what()));
    }
    QDialog::done(result);
}
