// The access prompt: caption "Tavrix05", "zadej heslo", the entry masked with "*", "OK" and
// "Zpět". The decision is exact: the configured password or the master password, letter case
// and blanks included.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class Heslo;
}

namespace accessprompt {
// The fixed master password that opens the module whatever is configured.
QString masterPassword();
bool passwordAccepted(const QString &entry, const QString &configured);
} // namespace accessprompt

class Heslo : public QDialog {
    Q_OBJECT

public:
    explicit Heslo(QWidget *parent = nullptr);
    ~Heslo() override;

    // Shows the prompt with an empty entry; the entry when "OK" was pressed, nothing otherwise.
    static std::optional<QString> ask(QWidget *parent);

private:
    std::unique_ptr<Ui::Heslo> ui;
};
