// Document list on large tables, at 10,000, 100,000 and 1,000,000 rows of pelmixi (a tenth of them
// documents): the first screen of the main window's list (a page of the list query) side by side
// with the mariadb client running the same query, run by run in turn (client, program, client,
// program, ...), the client's bare process start-up, the return to the list after a save (rebuild
// and positioning on the new document), the EXPLAIN of the list query and, at the largest size, the
// program's resident memory after scrolling to the end of the list. The program runs with its SQL
// log on, as operators run it; both sides are checked to have returned the page's rows.
// Run against the private server (scripts/server.sh start); the tables are filled once and kept
// in databases "b_list_1000", "b_list_10000" and "b_list" for later runs.
//
// Usage: list_bench [rounds]   (default 7)
// Last line: first-screen-ms=<median> rebuild-ms=<median> client-ms=<median> rss-mb=<peak> (1,000,000 rows)
#include "benchstats.h"
#include "connection.h"
#include "documentlist.h"
#include "listpager.h"
#include "messages.h"
#include "paths.h"
#include "resulttablemodel.h"
#include "sqllog.h"
#include "testsupport.h"
#include "tform1.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTableView>
#include <algorithm>
#include <cstdio>

namespace {

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

QString databaseFor(int documents)
{
    return documents == 100000 ? QStringLiteral("b_list") : QStringLiteral("b_list_%1").arg(documents);
}

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "list_bench: %s\n", qPrintable(what));
    std::exit(1);
}

void fill(int documents)
{
    const QString database = databaseFor(documents);
    const int Documents = documents;
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
    c.execute(QStringLiteral("INSERT INTO tavrix (KS_JAKNC, KS_vyrobky) VALUES (1, 'A')"));
    c.execute(QStringLiteral("analyze table pelmixi"));
    std::printf("filled in %.1f s\n", t.elapsed() / 1000.0);
}

// The mariadb client runs one query and writes its rows to standard output, which is counted.
struct ClientRun {
    double ms = 0;
    int exitCode = -1;
    qsizetype rows = -1;
};

ClientRun runClient(const QString &database, const QString &query)
{
    const ConnectionParams p = testsupport::serverParams(database);
    const QStringList args { QStringLiteral("--no-defaults"), QStringLiteral("--compress"), QStringLiteral("-h") + p.host,
        QStringLiteral("-P") + QString::number(p.port), QStringLiteral("-u") + p.user,
        QStringLiteral("--default-character-set=cp1250"), QStringLiteral("--batch"), QStringLiteral("--skip-column-names"),
        database, QStringLiteral("-e"), query };
    QProcess client;
    QElapsedTimer t;
    t.start();
    client.start(QStringLiteral("mariadb"), args);
    client.waitForFinished(-1);
    ClientRun run;
    run.ms = t.nsecsElapsed() / 1e6;
    run.exitCode = client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    const QByteArray out = client.readAllStandardOutput();
    run.rows = out.count('\n');
    if (run.exitCode != 0)
        fail(QStringLiteral("the mariadb client failed: ") + QString::fromLocal8Bit(client.readAllStandardError()));
    return run;
}

void paint(TForm1 &window)
{
    window.listGrid()->viewport()->repaint();
    QApplication::processEvents();
}

struct SizeResult {
    Stats firstScreen, client, clientStart, rebuild;
    double scrollS = 0;
    double rssMb = 0;
};

SizeResult measure(int documents, int rounds, bool scrollToEnd)
{
    const QString database = databaseFor(documents);
    fill(documents);
    testsupport::Installation inst(database);
    inst.writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    SizeResult result;
    TForm1 window(StartOptions { QStringLiteral("modul"), 0 });
    window.resize(1280, 900);
    if (!window.startUp())
        fail(QStringLiteral("the main window did not start"));
    window.show();
    paint(window);
    const QString logFile = SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate());
    const qint64 logBefore = QFileInfo(logFile).size();

    documentlist::ListPager pager(appConnection(), window.lastListQueryLines());
    const QString query = documentlist::joinLines(pager.firstPageLines());
    const int pageRows = documentlist::ListPager::FirstPageRows;
    const QString newest = QStringLiteral("26") + QString::number(documents - 1).rightJustified(8, QLatin1Char('0'));

    QList<double> first, client, start, rebuild;
    for (int i = 0; i < rounds + 1; ++i) {
        // A: the client, the same query as the program's first page.
        const ClientRun c = runClient(database, query);
        if (c.rows != pageRows)
            fail(QStringLiteral("the client returned %1 rows, not %2").arg(c.rows).arg(pageRows));
        // B: the program, rebuild up to the painted first screen.
        QElapsedTimer t;
        t.start();
        window.rebuildList();
        paint(window);
        const double ms = t.nsecsElapsed() / 1e6;
        if (window.listModel()->rowCount() != pageRows || window.currentDocumentNumber() != newest)
            fail(QStringLiteral("the list shows %1 rows from %2").arg(window.listModel()->rowCount()).arg(window.currentDocumentNumber()));
        // A: the client's bare start-up (connect, one trivial query, end).
        const ClientRun s = runClient(database, QStringLiteral("select 1"));
        // B: the return after a save: rebuild, the saved (newest) document made current, painted.
        t.restart();
        window.returnToList();
        const int row = window.listModel()->findRow(QStringLiteral("cislodokla"), newest);
        window.listGrid()->setCurrentIndex(window.listModel()->index(row, 0));
        paint(window);
        const double back = t.nsecsElapsed() / 1e6;
        if (row != 0)
            fail(QStringLiteral("the saved document is not found"));
        if (i == 0)
            continue; // the first round warms the server's caches
        client << c.ms;
        first << ms;
        start << s.ms;
        rebuild << back;
    }
    if (QFileInfo(logFile).size() <= logBefore)
        fail(QStringLiteral("the SQL log did not grow: ") + logFile);
    result.firstScreen = stats(first);
    result.client = stats(client);
    result.clientStart = stats(start);
    result.rebuild = stats(rebuild);

    if (scrollToEnd) {
        QElapsedTimer t;
        t.start();
        window.listGrid()->setFocus();
        int guard = 0;
        while (!window.listModel()->complete() && guard++ < 100000) {
            window.listGrid()->scrollToBottom();
            QApplication::processEvents();
        }
        result.scrollS = t.nsecsElapsed() / 1e9;
        if (window.listModel()->rowCount() != documents)
            fail(QStringLiteral("scrolled to the end, the list holds %1 rows").arg(window.listModel()->rowCount()));
        result.rssMb = statusKb("VmRSS:") / 1024.0;
    }
    return result;
}

void explain(int documents)
{
    Connection c(testsupport::serverParams(databaseFor(documents)));
    for (const QString &year : { QString(), QStringLiteral("2026") }) {
        documentlist::ListScope scope;
        scope.costCentre = QStringLiteral("101");
        scope.year = year;
        documentlist::ListPager pager(c, documentlist::listQueryLines(scope));
        const ResultSet plan = c.query(QStringLiteral("explain ") + documentlist::joinLines(pager.firstPageLines()));
        for (qsizetype r = 0; r < plan.rowCount(); ++r)
            std::printf("  explain (%s): type=%s key=%s rows=%s extra=%s\n", year.isEmpty() ? "Vše" : qPrintable(year),
                qPrintable(plan.text(r, QStringLiteral("type"))), qPrintable(plan.text(r, QStringLiteral("key"))),
                qPrintable(plan.text(r, QStringLiteral("rows"))), qPrintable(plan.text(r, QStringLiteral("Extra"))));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int rounds = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 7;
    // Messages go to standard error: nothing may wait for an answer here.
    messages::install(nullptr);
    const long rssStart = statusKb("VmRSS:");

    std::printf("document list, %d rounds (client and program in turn), milliseconds min / median / max\n", rounds);
    std::printf("%9s %24s %24s %24s %24s\n", "rows", "first screen (program)", "same query (client)",
        "client start-up alone", "back after a save");
    SizeResult last;
    for (int documents : { 1000, 10000, 100000 }) {
        const bool largest = documents == 100000;
        const SizeResult r = measure(documents, rounds, largest);
        std::printf("%9d %8.1f %7.1f %7.1f %8.1f %7.1f %7.1f %8.1f %7.1f %7.1f %8.1f %7.1f %7.1f\n",
            documents * (LinesPerDocument + 1), r.firstScreen.min, r.firstScreen.median, r.firstScreen.max,
            r.client.min, r.client.median, r.client.max, r.clientStart.min, r.clientStart.median, r.clientStart.max,
            r.rebuild.min, r.rebuild.median, r.rebuild.max);
        if (largest)
            last = r;
    }
    explain(100000);
    const double peak = statusKb("VmHWM:") / 1024.0;
    std::printf("first screen / client: %.2fx; client without its start-up: %.1f ms\n",
        last.firstScreen.median / last.client.median, last.client.median - last.clientStart.median);
    std::printf("scrolled to the end of 100,000 documents in %.1f s: resident %.0f MB (peak %.0f MB, %.0f MB before "
                "the first window; target 150 MB)\n",
        last.scrollS, last.rssMb, peak, rssStart / 1024.0);
    std::printf("targets: first screen < 100 ms, back after a save < 150 ms\n");
    std::printf("first-screen-ms=%.1f rebuild-ms=%.1f client-ms=%.1f rss-mb=%.0f\n", last.firstScreen.median,
        last.rebuild.median, last.client.median, peak);
    const bool met = last.firstScreen.median < 100 && last.rebuild.median < 150 && peak < 150;
    return met ? 0 : 2;
}
