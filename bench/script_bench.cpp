// The save-script runner against the private server, side by side with the mariadb command-line
// client running the same 200-statement script with the same connection options (TCP,
// compression, cp1250). Each run opens its own connection, as the client does.
#include "connection.h"
#include "cp1250.h"
#include "script.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString saveLikeScript()
{
    QStringList lines{QStringLiteral("BEGIN;")};
    for (int i = 0; i < 99; ++i) {
        const QString partie = QStringLiteral("7%1").arg(i, 8, 10, QLatin1Char('0'));
        lines << QStringLiteral("insert into pelmixi (cislodokla, stredisko, partie, lomeni, partiecela, nomenkla, "
                                "nazevosiva, mj, mnozstvi, pr, nc, pc, datum, smes, rokd)")
              << QStringLiteral(" values (@CiDo, %1, %2, 0, %2, %3, %4, 't', %5, %6, %7, 00, '2026-12-11', '0', @RokDo);")
                     .arg(sqlQuote(QStringLiteral("101")), sqlQuote(partie), sqlQuote(QStringLiteral("PSE%1").arg(i)),
                          sqlQuote(QStringLiteral("Pšenice krmná č.%1").arg(i)), sqlSavedFloat(1.25 + i),
                          sqlSavedFloat(1.0), sqlSavedFloat(4820.5));
        lines << QStringLiteral("update skarta set zustatek = zustatek - %1, smesi = smesi + %1 where partiecela = %2 "
                                "and lomeni = 0 and stredisko = %3;")
                     .arg(sqlSavedFloat(1.25 + i), sqlQuote(partie), sqlQuote(QStringLiteral("101")));
    }
    lines << QStringLiteral("COMMIT;");
    return lines.join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString db = QStringLiteral("bench_script");
    testsupport::createDatabase(db);
    const ConnectionParams params = testsupport::serverParams(db);
    const QString text = saveLikeScript();
    const int statements = int(splitScript(text).size());
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30;

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i) {
        Connection c(params);
        c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
        c.execute(QStringLiteral("SET names cp1250;"));
        script::run(c, QStringLiteral("SET @CiDo = '2026101001';\nSET @RokDo = '2026';\n") + text);
    }
    const double ours = double(timer.nsecsElapsed()) / 1e6 / runs;

    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("script.sql")));
    f.open(QIODevice::WriteOnly);
    f.write(cp1250::encode(QStringLiteral("set @@session.sql_mode=\"\";\nSET names cp1250;\nSET @CiDo = '2026101001';\n"
                                          "SET @RokDo = '2026';\n") +
                           text + QStringLiteral("\n")));
    f.close();
    const QStringList args{QStringLiteral("--no-defaults"), QStringLiteral("-h") + params.host,
                           QStringLiteral("-P") + QString::number(params.port), QStringLiteral("-uroot"),
                           QStringLiteral("--compress"), QStringLiteral("--default-character-set=cp1250"), db};
    timer.restart();
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setStandardInputFile(f.fileName());
        p.start(QStringLiteral("mariadb"), args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            std::fprintf(stderr, "mariadb client failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
    }
    const double client = double(timer.nsecsElapsed()) / 1e6 / runs;
    testsupport::dropDatabase(db);

    std::printf("save script of %d statements, %d runs each\n", statements, runs);
    std::printf("  script runner   %8.2f ms per script\n", ours);
    std::printf("  mariadb client  %8.2f ms per script\n", client);
    std::printf("  ratio runner/client %.2f (target <= 1.20)\n", ours / client);
    return 0;
}
