// Program entry: the program folder becomes the working folder, the main window runs the
// start-up, and the message loop runs until the main window closes.
#include "appfonts.h"
#include "paths.h"
#include "splash.h"
#include "tform1.h"
#include "tpracuji.h"
#include "updatecheck.h"

#include <QApplication>
#include <QDir>
#include <QPointer>

// The update check reports into the splash while it exists, else into the busy window.
static void wireUpdateCheck(TForm1 &window)
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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    paths::setProgramDir(QCoreApplication::applicationDirPath());
    QDir::setCurrent(paths::programDir());
    appfonts::applyApplicationFont();

    StartOptions options;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        options.firstArgument = arguments.at(1);

    TForm1 window(options);
    wireUpdateCheck(window);
    if (!window.startUp())
        return window.exitCode();
    return app.exec();
}
