#include "messagedialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

MessageDialogPort::MessageDialogPort(QWidget *owner)
    : m_owner(owner)
{
}

static QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::Critical;
}

std::unique_ptr<QMessageBox> MessageDialogPort::build(const Message &message, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setObjectName(QStringLiteral("messageDialog"));
    box->setWindowTitle(QStringLiteral("Tavrix05"));
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->setIcon(iconOf(message.icon));
    box->setText(message.text);
    box->setTextFormat(Qt::PlainText);
    QPushButton *first = box->addButton(message.firstButton, QMessageBox::AcceptRole);
    first->setObjectName(QStringLiteral("firstButton"));
    if (message.buttons > 1) {
        const QString caption = message.secondButton.isEmpty() ? QStringLiteral("storno") : message.secondButton;
        QPushButton *second = box->addButton(caption, QMessageBox::RejectRole);
        second->setObjectName(QStringLiteral("secondButton"));
        box->setEscapeButton(second);
    } else {
        box->setEscapeButton(first);
    }
    box->setDefaultButton(first);
    return box;
}

int MessageDialogPort::show(const Message &message)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent && m_owner && m_owner->isVisible())
        parent = m_owner;
    const std::unique_ptr<QMessageBox> box = build(message, parent);
    box->exec();
    const QAbstractButton *first = box->findChild<QAbstractButton *>(QStringLiteral("firstButton"));
    return box->clickedButton() == first ? 1 : 2;
}
