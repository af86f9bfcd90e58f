#include "tfstredi.h"

#include "costcentres.h"
#include "messages.h"
#include "ui_tfstredi.h"
#include "ui_tfstrediska.h"

#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>

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

// The chosen code is checked as it is entered: a code that cannot be used keeps the dialog open
// with the message, and the current cost centre stays until a usable one is chosen.
void TFstredi::done(int result)
{
    const QString problem = costcentres::codeProblem(chosen());
    if (!problem.isEmpty()) {
        messages::show(problem, MessageIcon::Warning);
        ui->suiComboBox1->setFocus(Qt::OtherFocusReason);
        if (QLineEdit *edit = ui->suiComboBox1->lineEdit())
            edit->selectAll();
        return;
    }
    QDialog::done(result);
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
    // Each code is checked as it is entered; the dialog stays open on the first one that cannot
    // be used, and the file keeps its old list.
    if (const QString problem = costcentres::listProblem(lines); !problem.isEmpty()) {
        messages::show(problem, MessageIcon::Warning);
        for (int i = 0; i < lines.size(); ++i) {
            if (lines.at(i).isEmpty() || costcentres::codeProblem(lines.at(i)).isEmpty())
                continue;
            QTextCursor cursor(ui->Memo1->document()->findBlockByNumber(i));
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            ui->Memo1->setTextCursor(cursor);
            ui->Memo1->setFocus(Qt::OtherFocusReason);
            break;
        }
        return;
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
