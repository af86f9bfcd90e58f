// Program entry: the program folder becomes the working folder, then the module starts.
#include "connection.h"
#include "cp1250.h"
#include "history.h"
#include "messages.h"
#include "paths.h"
#include "session.h"
#include "settings.h"
#include "sqllog.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    paths::setProgramDir(QCoreApplication::applicationDirPath());
    QDir::setCurrent(paths::programDir());

    static SqlLog log;
    log.setFileName(SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate()));
    log.setActive(true);
    Connection &db = appConnection();
    db.setLog(&log);

    const settings::ConnectionSettings cs = settings::readConnectionSettings();
    if (!settings::isValidCisloPC(cs.cisloPC)) {
        messages::show(QStringLiteral("Číslo počítače „%1“ smí obsahovat jen písmena, číslice a podtržítko. Program bude ukončen.")
                           .arg(cs.cisloPC));
        return 1;
    }
    try {
        if (!connectStep(db, cs, QStringLiteral("Krmné směsi"), QString())) {
            std::fprintf(stderr, "pelmixi: nelze se připojit k databázi %s:%s\n", cs.host.toLocal8Bit().constData(),
                         cs.sqlPort.toLocal8Bit().constData());
            return 1;
        }
    } catch (const std::exception &e) {
        messages::standardError(QString::fromStdString(e.what()));
        return 1;
    }
    std::printf("pelmixi: připojeno k %s:%d, databáze %s; zapsán řádek spuštění do historiem\n",
                db.params().host.toLocal8Bit().constData(), db.params().port,
                db.params().database.toLocal8Bit().constData());
    return 0;
}
