// The operator message dialog: caption "Tavrix05", one or two buttons (the second is "storno"),
// the first button's caption and an icon. It stays above every other window, the start-up
// splash included, and answers 1 when the first button is pressed.
#pragma once

#include "messages.h"

#include <QPointer>
#include <QWidget>

class MessageDialogPort final : public MessagePort {
public:
    // owner: the window the dialog is centred on while no other dialog is open.
    explicit MessageDialogPort(QWidget *owner = nullptr);
    int show(const Message &message) override;

private:
    QPointer<QWidget> m_owner;
};
