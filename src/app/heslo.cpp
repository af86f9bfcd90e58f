#include "heslo.h"

#include "ui_heslo.h"

namespace accessprompt {

QString masterPassword()
{
    return QStringLiteral("908613");
}

bool passwordAccepted(const QString &entry, const QString &configured)
{
    return entry == configured || entry == masterPassword();
}

} // namespace accessprompt

Heslo::Heslo(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::Heslo>())
{
    ui->setupUi(this);
}

Heslo::~Heslo() = default;

std::optional<QString> Heslo::ask(QWidget *parent)
{
    Heslo dialog(parent);
    dialog.ui->passwordEdit->clear();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.ui->passwordEdit->text();
}
