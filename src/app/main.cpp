// Program entry: the program folder becomes the working folder, the main window runs the
// start-up, and the message loop runs until the main window closes.
#include "appfonts.h"
#include "checkdbcli.h"
#include "paths.h"
#include "pdfcli.h"
#include "qttranslation.h"
#include "tform1.h"
#include "wiring.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

int main(int argc, char *argv[])
{
    // Reports from the command line need no display, so they start before the widgets do.
    if (checkdbcli::wanted(argc, argv))
        return checkdbcli::main(argc, argv);
    if (pdfcli::wanted(argc, argv))
        return pdfcli::main(argc, argv);
    QApplication app(argc, argv);
    paths::setProgramDir(QCoreApplication::applicationDirPath());
    QDir::setCurrent(paths::programDir());
    appfonts::applyApplicationFont();
    qttranslation::installCzech();

    StartOptions options;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        options.firstArgument = arguments.at(1);

    TForm1 window(options);
    wireAll(window);
    if (!window.startUp())
        return window.exitCode();
    // The demo without a display: a picture of the main window once the splash is gone, then end.
    const QString screenshot = qEnvironmentVariable("PELMIXI_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(7000, &window, [&window, screenshot] {
            window.grab().save(screenshot);
            window.close();
        });
    }
    return app.exec();
}
