// Handing a report's PDF to the workstation's mail client with xdg-email: the message texts, the
// rule that enables the mail button, and the call itself.
#pragma once

#include "printing/documentreports.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace pelmixi::printing {

// The mail button's rule: the address contains "@", its first "." is at position 2 or later
// (1-based; an address without a dot fails), and cutting it at its at-signs gives exactly two
// pieces (text before each at-sign, then the rest; an empty rest is no piece).
bool isMailAddressUsable(const QString &address);

struct MailMessage {
    QString subject;
    QString body;
    QString recipient; // empty: the operator fills it in the mail client
    QString sender; // EditEmail_Text; xdg-email cannot set it (see mailClientArguments)
    QString attachment; // absolute path of the PDF
};

// "Smes <number>" / "Michaci protokol <number>", the body with "Generovano systemem Tavrix05 - "
// and the time `now` in the reports' short date and long time format.
MailMessage documentMail(ReportKind kind, const QString &documentNumber, const QString &recipient,
    const QString &sender, const QString &attachment, const QDateTime &now);

// The arguments of xdg-email. It has no option for the originator: the mail client sends from
// its default account, whatever EditEmail_Text says.
QStringList mailClientArguments(const MailMessage &message);

struct MailResult {
    bool ok = false;
    QString error;
};

// Starts xdg-email and waits for it while the window keeps painting. A missing xdg-email, a
// failed start or a non-zero exit is a failure. A client still composing after `waitMs` is left
// running (xdg-email may stay until the client's window closes) and counts as handed over.
MailResult sendThroughMailClient(const MailMessage &message, int waitMs = 60000);

// "Chyba při odesílání e-mailu!"
QString mailErrorText();

} // namespace pelmixi::printing
