#include "tfstredi.h"

#include "costcentres.h"
#include "messages.h"
#include "ui_tfstredi.h"
#include "ui_tfstrediska.h"

#include <QLineEdit>

static constexpr Qt::WindowFlags dialogFlags
    = Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

TFstredi::TFstredi(const QString &current, QWidget *parent)
    : QDialog(parent, dialogFlags)
    , ui(std::make_unique<Ui::TFstredi>())
{
    ui->setupUi(this);
    if (const std::optional<QStringList> list = costcentres::read())
        ui->suiComboBox1->addItems(*list);
    ui->suiComboBox1->setCurrentIndex(-1);
    ui->suiComboBox1->setEditText(current);
}

TFstredi::~TFstredi() = default;

QString TFstredi::chosen() const
{
    return ui->suiComboBox1->currentText();
}

QString TFstredi::choose(const QString &current, QWidget *parent)
{
    if (!costcentres::read())
        messages::show(costcentres::missingMessage(), MessageIcon::Warning);
    TFstredi dialog(current, parent);
    dialog.exec();
    return dialog.chosen();
}

TFstrediska::TFstrediska(QWidget *parent)
    : QDialog(parent, dialogFlags)
    , ui(std::make_unique<Ui::TFstrediska>())
{
    ui->setupUi(this);
    if (const std::optional<QStringList> list = costcentres::read())
        ui->Memo1->setPlainText(list->join(QLatin1Char('\n')));
}

TFstrediska::~TFstrediska() = default;

void TFstrediska::edit(QWidget *parent)
{
    if (!costcentres::read())
        messages::show(costcentres::missingMessage(), MessageIcon::Warning);
    TFstrediska dialog(parent);
    dialog.exec();
}

void TFstrediska::done(int result)
{
    QStringList lines;
    if (!ui->Memo1->toPlainText().isEmpty()) {
        lines = ui->Memo1->toPlainText().split(QLatin1Char('\n'));
        if (lines.last().isEmpty())
            lines.removeLast();
    }
    try {
        costcentres::write(lines);
    } catch (const std::exception &e) {
        // The dialog stays open so that the typed list is not lost.
        messages::standardError(QString::fromStdString(e.what()));
        return;
    }
    QDialog::done(result);
}
