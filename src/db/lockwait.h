// Waiting for another workstation (a lock held elsewhere, a save to run again after a conflict)
// without freezing the program: the window keeps painting and the busy window shows why, while
// the operator's input waits as it does during any database step.
#pragma once

#include <QString>
#include <functional>

namespace lockwait {

// The table of the lock rows that make saves and archives exclusive on a Galera cluster (one row
// per named lock), created where a database of the suite does not have it yet.
QString lockRowTable();

// Shows the busy window with the text and returns what closes it. The program installs one;
// without it nothing is shown.
using Indicator = std::function<std::function<void()>(const QString &text)>;
void setIndicator(Indicator indicator);

// Whether a wait here can keep the event loop running (the program's main thread); elsewhere a
// blocking wait in the server is the better one.
bool canWaitWithEvents();

// The pause before the try after `tries` failed ones: short at first, at most 200 ms.
int pollPause(int tries);

// One wait: the busy window appears with the first pause and closes with the scope. With an
// empty text no busy window is opened (the caller shows its own).
class Scope {
public:
    explicit Scope(QString text);
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;

    // Lets the event loop run (without user input) for about ms milliseconds; off the program's
    // main thread it simply sleeps.
    void pause(int ms);
    void setText(const QString &text);

private:
    QString m_text;
    std::function<void()> m_close;
    bool m_shown = false;
};

} // namespace lockwait
