// Document list on a large table: rebuilding a list of 100,000 documents out of 1,000,000 rows of
// pelmixi in the main window, side by side with the mariadb client fetching the same query to
// /dev/null, the lines refresh of one document, and the program's resident memory with the list.
// Run against the private server (scripts/server.sh start); the table is filled once and kept in
// database "b_list" for later runs.
#include "connection.h"
#include "documentlist.h"
#include "messages.h"
#include "resulttablemodel.h"
#include "testsupport.h"
#include "tform1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>

namespace {

const QString database = QStringLiteral("b_list");
constexpr int Documents = 100000;
constexpr int LinesPerDocument = 9;

long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void fillTable();

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

void fill()
{
    fillTable();
    Connection c(testsupport::serverParams(database));
    if (c.scalar(QStringLiteral("select count(*) from tavrix")).toInt() == 0)
        c.execute(QStringLiteral("INSERT INTO tavrix (KS_JAKNC, KS_vyrobky) VALUES (1, 'A')"));
}

void fillTable()
{
    {
        Connection probe(testsupport::serverParams());
        try {
            if (probe.scalar(QStringLiteral("select count(*) from `%1`.pelmixi").arg(database)).toLongLong()
                == qlonglong(Documents) * (LinesPerDocument + 1))
                return;
        } catch (const DbError &) {
        }
    }
    std::printf("filling %s.pelmixi with %d rows...\n", qPrintable(database), Documents * (LinesPerDocument + 1));
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    testsupport::createDatabase(database, false);
    Connection c(testsupport::serverParams(database));
    c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
    c.execute(QStringLiteral("SET names cp1250"));
    // Mix rows of cost centre 101, newest number last; nine lines each, with Czech texts.
    c.execute(QStringLiteral(
        "INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, nazevosiva, mj, "
        "mnozstvi, pr, nc, pc, datum, smes, druh, odruda, stupen, naz_dru, naz_odru, datumzauct, rokd, popis, cinnost) "
        "SELECT concat('26', lpad(seq, 8, '0')), '101', concat('55', lpad(seq, 7, '0')), '', 0, "
        "concat('55', lpad(seq, 7, '0')), '150001', 'KS pro nosnice N1', 'kg', 1000 + seq mod 500, 100, "
        "if(seq mod 17 = 0, 0, 6.4 + (seq mod 100) / 100), 9.5, '2026-01-01' + interval (seq mod 365) day, '1', "
        "'KSD', 'N1', '', 'Krmná směs pro drůbež', 'nosnice – sypká', NULL, '2026', 'Sypká směs, balení 25 kg', "
        "'zemědělská výroba' FROM seq_0_to_%1")
                  .arg(Documents - 1));
    c.execute(QStringLiteral(
        "INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, nazevosiva, mj, "
        "mnozstvi, pr, nc, datum, smes, druh, odruda, stupen, naz_dru, naz_odru, rokd) "
        "SELECT concat('26', lpad(seq div %2, 8, '0')), '101', concat('25', lpad(seq mod 1000, 7, '0')), '0441', 0, "
        "concat('25', lpad(seq mod 1000, 7, '0'), '-0441'), '111001', 'Pšenice krmná', 'kg', 100 + seq mod 50, 10, "
        "5.2, "
        "'2026-01-01', '0', 'PSE', 'BOH', 'K', 'Pšenice ozimá', 'Bohemia', '2026' FROM seq_0_to_%1")
                  .arg(Documents * LinesPerDocument - 1)
                  .arg(LinesPerDocument));
    std::printf("filled in %.1f s\n", t.elapsed() / 1000.0);
}

// The client reads the whole result (no --quick, like the program) and writes it to /dev/null.
double clientSeconds(const QString &query, bool compress)
{
    const ConnectionParams p = testsupport::serverParams(database);
    QStringList args { QStringLiteral("-h") + p.host, QStringLiteral("-P") + QString::number(p.port),
        QStringLiteral("-u") + p.user, QStringLiteral("--default-character-set=cp1250"), database, QStringLiteral("-e"),
        query };
    if (compress)
        args.prepend(QStringLiteral("--compress"));
    args.prepend(QStringLiteral("--no-defaults")); // must come first
    QProcess client;
    client.setStandardOutputFile(QStringLiteral("/dev/null"));
    QElapsedTimer t;
    t.start();
    client.start(QStringLiteral("mariadb"), args);
    client.waitForFinished(-1);
    const double s = t.nsecsElapsed() / 1e9;
    if (client.exitCode() != 0)
        std::printf("mariadb client failed: %s\n", client.readAllStandardError().constData());
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    fill();

    testsupport::Installation inst(database);
    inst.writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    const long rssBefore = statusKb("VmRSS:");

    TForm1 window(StartOptions { QStringLiteral("modul"), 0 });
    // Messages go to standard error: nothing may wait for an answer here.
    messages::install(nullptr);
    window.resize(1280, 900);
    if (!window.startUp())
        return 1;
    const QString query = documentlist::joinLines(window.lastListQueryLines());
    if (window.listModel()->rowCount() != Documents) {
        std::printf("unexpected list size %d\n", window.listModel()->rowCount());
        return 1;
    }

    const int rounds = 5;
    QList<double> rebuild, plain, compressed, fetch;
    for (int i = 0; i < rounds; ++i) {
        plain << clientSeconds(query, false);
        compressed << clientSeconds(query, true);
        QElapsedTimer t;
        t.start();
        window.rebuildList();
        QApplication::processEvents(); // the grid paints its first page
        rebuild << t.nsecsElapsed() / 1e9;
    }
    const long rss = statusKb("VmRSS:");
    const long peak = statusKb("VmHWM:");

    // The share of the rebuild spent fetching and converting the result (after the memory
    // reading: a second result beside the list's would inflate it).
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        const ResultSet r = appConnection().query(query);
        fetch << t.nsecsElapsed() / 1e9;
    }

    window.showLinesAction()->trigger();
    QList<double> lines;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        window.refreshLines();
        lines << t.nsecsElapsed() / 1e6;
    }
    const int lineRows = window.linesModel()->rowCount();

    const double r = median(rebuild);
    const double c = median(plain);
    const double cz = median(compressed);
    std::printf("list of %d documents (query of %d lines on %d rows), median of %d rounds:\n", Documents,
        int(window.lastListQueryLines().size()), Documents * (LinesPerDocument + 1), rounds);
    std::printf("  mariadb client to /dev/null:              %.3f s\n", c);
    std::printf("  mariadb client --compress to /dev/null:   %.3f s\n", cz);
    std::printf("  main window rebuild (compressed protocol): %.3f s  = %.2fx the client (target 1.5x)\n", r, r / c);
    std::printf("    of which the query into a result set:    %.3f s\n", median(fetch));
    std::printf(
        "lines refresh of one document (%d lines), median of 50: %.2f ms (target 10 ms)\n", lineRows, median(lines));
    std::printf("resident memory: %.0f MB before the window, %.0f MB with the list, peak %.0f MB (target 300 MB)\n",
        rssBefore / 1024.0, rss / 1024.0, peak / 1024.0);
    return 0;
}
