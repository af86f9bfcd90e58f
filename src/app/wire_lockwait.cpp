// While a save or an archive waits for another workstation (its lock, or a run again after a
// cluster conflict), the program's busy window says so over the active window.
#include "lockwait.h"
#include "tform1.h"
#include "tpracuji.h"
#include "wiring.h"

#include <QApplication>
#include <QPointer>

void wireLockWait(TForm1 &window)
{
    QPointer<TForm1> guarded(&window);
    lockwait::setIndicator([guarded](const QString &text) -> std::function<void()> {
        QWidget *parent = QApplication::activeWindow();
        if (!parent)
            parent = guarded.data();
        QPointer<Tpracuji> busy = new Tpracuji(parent);
        busy->setText(text);
        busy->showInFront();
        return [busy] { delete busy.data(); };
    });
}
