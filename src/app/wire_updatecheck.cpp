#include "splash.h"
#include "tform1.h"
#include "tpracuji.h"
#include "updatecheck.h"
#include "wiring.h"

#include <QCoreApplication>
#include <QPointer>

// The update check reports into the splash while it exists, else into the busy window.
void wireUpdateCheck(TForm1 &window)
{
    window.hooks.updateCheck = [&window](bool atStart) {
        QPointer<Tpracuji> busy;
        updatecheck::Hooks hooks;
        if (window.splash()) {
            hooks.splashStatus = [&window](const QString &text) {
                if (Splash *splash = window.splash())
                    splash->setStatus(text);
            };
        }
        hooks.showBusy = [&window, &busy](const QString &text) {
            busy = new Tpracuji(&window);
            busy->setText(text);
            busy->showInFront();
        };
        hooks.closeBusy = [&busy] {
            if (busy)
                busy->close();
        };
        hooks.endProgram = [&window] {
            QCoreApplication::quit();
            window.close();
        };
        updatecheck::run(hooks, atStart ? updatecheck::Trigger::Start : updatecheck::Trigger::Menu);
    };
}

