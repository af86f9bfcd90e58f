#include "checkdbcli.h"

#include "connection.h"
#include "indexcheck.h"
#include "paths.h"
#include "session.h"
#include "settings.h"
#include "sqllog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <cstdio>
#include <cstring>

namespace checkdbcli {

namespace {

void say(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

bool wanted(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check-db") == 0)
            return true;
    }
    return false;
}

int run()
{
    SqlLog log;
    log.setFileName(SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate()));
    log.setActive(QDir().mkpath(paths::sqllogDir()));
    Connection connection;
    connection.setLog(&log);
    try {
        if (!applyConnectionSettings(connection, settings::readConnectionSettings())) {
            say(stderr, QStringLiteral("pelmixi: nastavení připojení k databázi je chybné."));
            return 3;
        }
        connection.open();
        const QList<indexcheck::Finding> findings = indexcheck::check(connection);
        connection.close();
        say(stdout, indexcheck::reportLines(findings, connection.params().database).join(QLatin1Char('\n')));
        return indexcheck::exitCode(findings);
    } catch (const DbError &e) {
        say(stderr, QStringLiteral("pelmixi: chyba databáze: ") + e.message());
    } catch (const std::exception &e) {
        say(stderr, QStringLiteral("pelmixi: chyba databáze: ") + QString::fromStdString(e.what()));
    }
    return 3;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    paths::setProgramDir(QCoreApplication::applicationDirPath());
    QDir::setCurrent(paths::programDir());
    return run();
}

} // namespace checkdbcli
