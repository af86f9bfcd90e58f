// The operator message dialog: caption "Tavrix05", one or two buttons with the captions the caller
// names (the second defaults to "storno") and an icon. It stays above every other window, the
// start-up splash included, and answers 1 when the first button is pressed.
#pragma once

#include "messages.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QMessageBox;

class MessageDialogPort final : public MessagePort {
public:
    // owner: the window the dialog is centred on while no other dialog is open.
    explicit MessageDialogPort(QWidget *owner = nullptr);
    int show(const Message &message) override;

    // The dialog as it is shown for the message, not yet shown; the first button is named
    // "firstButton", the second "secondButton".
    static std::unique_ptr<QMessageBox> build(const Message &message, QWidget *parent = nullptr);

private:
    QPointer<QWidget> m_owner;
};
