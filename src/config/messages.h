// Every operator message goes through one port. The main window installs its message dialog
// (caption "Tavrix05"); tests install an answerer that records what was shown; without a window
// the messages go to standard error.
#pragma once

#include <QString>

enum class MessageIcon { Stop, Information, Question, Warning };

struct Message {
    QString text;
    int buttons = 1;                   // one or two
    QString firstButton = QStringLiteral("OK"); // "OK", "Zpět", "Zrušit"...
    MessageIcon icon = MessageIcon::Stop;
    QString secondButton = QStringLiteral("storno"); // caption of the second button, when shown
};

class MessagePort {
public:
    virtual ~MessagePort() = default;
    // Answers 1 when the first button was pressed.
    virtual int show(const Message &message) = 0;
};

namespace messages {
void install(MessagePort *port); // nullptr restores the standard-error port
MessagePort *current();
int show(const Message &message);
int show(const QString &text, MessageIcon icon = MessageIcon::Stop, int buttons = 1,
         const QString &firstButton = QStringLiteral("OK"), const QString &secondButton = QStringLiteral("storno"));
// The standard error message: a database or engine error that ends the current step. A server
// or system error text (English, from the client library or the system) keeps its wording but
// is led by a Czech sentence saying what failed; see withCzechLead.
void standardError(const QString &text);
// The text led by a Czech sentence when it is a known server or system error without one:
// connection lost, no connection, access refused, program not started, file not written.
QString withCzechLead(const QString &text);
} // namespace messages
