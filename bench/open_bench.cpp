// Opening a correction against large document tables: a 50-line feed-mix document whose mix batch
// has 1,000 movements on other documents, with about 1,000,000 rows in each document table
// (pelmixi, smesi, pv, pvrad, dl, dlrad, vn, vnrad, vp, pv9). Times the whole opening (guards,
// batch history, the four working tables) and its two halves, first with the indexes the batch
// history needs, then without them (a database not made by our schema; the indexes are added
// again afterwards), each checked to have opened the document with its lines and movements. The
// filled database "bench_open" is kept between runs; set PELMIXI_BENCH_REFILL=1 to build it again.
//
// Usage: open_bench [runs] [runs without indexes]   (default 20 and 3)
// Prints open-ms=<median> for both cases.
#include "benchstats.h"
#include "batchhistory.h"
#include "connection.h"
#include "indexcheck.h"
#include "opendocument.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

namespace {

const QString Db = QStringLiteral("bench_open");
const QString Mix = QStringLiteral("552600003");
const QString Document = QStringLiteral("2601010003");

// Filler rows: batch codes spread over 300,000 batches and three fractions, so that the
// (partiecela, lomeni) indexes are as selective as in a plant's database.
const QString Batch = QStringLiteral("concat('2', lpad(seq mod 300000, 8, '0'))");

QStringList fillStatements()
{
    const QString seq = QStringLiteral(" from seq_1_to_1000000");
    QStringList s;
    for (const char *table : {"pelmixi", "smesi"}) {
        const QString t = QString::fromLatin1(table);
        s << QStringLiteral("insert into %1 (cislodokla, stredisko, partie, lomeni, partiecela, nomenkla, mnozstvi, pr,"
                            " nc, datum, smes, datumzauct, rokd)"
                            " select concat('24', lpad(seq div 20, 8, '0')), '101', left(%2, 9), seq mod 3, %2,"
                            " '111001', seq mod 1000, 5, 5.2, '2024-05-05', if(seq mod 20 = 0, '1', '0'),"
                            " '2024-06-30', '2024'")
                 .arg(t, Batch) +
             seq;
    }
    s << QStringLiteral("insert into pv (cislodokla, stredisko, dp, datum, datumzauct, cislofakt)"
                        " select concat('P', lpad(seq, 9, '0')), '101', 'PR', '2024-05-05', '2024-06-30', 'F'") +
             seq;
    s << QStringLiteral("insert into pvrad (cislodokla, partie, partiecela, lomeni, hmotnostpv, nc)"
                        " select concat('P', lpad(seq, 9, '0')), left(%1, 9), %1, seq mod 3, seq mod 1000, 5.2")
                 .arg(Batch) +
             seq;
    for (const char *prefix : {"dl", "vn"}) {
        const QString t = QString::fromLatin1(prefix);
        const QString p = t.left(1).toUpper();
        s << QStringLiteral("insert into %1 (cislodokla, stredisko, datumvn1, datumzauct)"
                            " select concat('%2', lpad(seq, 9, '0')), '101', '2024-05-05', '2024-06-30'")
                     .arg(t, p) +
                 seq;
        s << QStringLiteral("insert into %1rad (cislodokla, partie, partiecela, lomeni, hmotnostvn, nc)"
                            " select concat('%2', lpad(seq, 9, '0')), left(%3, 9), %3, seq mod 3, seq mod 1000, 5.2")
                     .arg(t, p, Batch) +
                 seq;
    }
    s << QStringLiteral("insert into vp (cislodokla, stredisko, pohyb, datum, datumzauct, mnozstvi, partie, partiecela,"
                        " lomeni, nc) select concat('T', lpad(seq, 9, '0')), '101', 'VY', '2024-05-05', '2024-06-30',"
                        " seq mod 1000, left(%1, 9), %1, seq mod 3, 5.2")
                 .arg(Batch) +
             seq;
    s << QStringLiteral("insert into pv9 (cislodokla, stredisko, pohyb, datum, datumzauct, mnozstvi, nc, partie,"
                        " partiecela, lomeni) select concat('K', lpad(seq div 10, 9, '0')), '101',"
                        " if(seq mod 10 = 0, '9', '1'), '2024-05-05', '2024-06-30', seq mod 1000, 5.2, left(%1, 9), %1,"
                        " seq mod 3")
                 .arg(Batch) +
             seq;

    // The opened document: 50 lines and its mix row.
    s << QStringLiteral("insert into pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla,"
                        " nazevosiva, mj, mnozstvi, pr, nc, datum, smes, rokd) select '%1', '101', left(%2, 9), '0441',"
                        " 0, %2, '111001', 'Pšenice krmná', 'kg', 20, 2, 5.2, '2026-10-06', '0', '2026'"
                        " from seq_1_to_50")
             .arg(Document, Batch);
    s << QStringLiteral("insert into pelmixi (cislodokla, stredisko, partie, lomeni, partiecela, nomenkla, nazevosiva,"
                        " mj, mnozstvi, pr, nc, pc, datum, smes, rokd) values ('%1', '101', '%2', 0, '%2', '150003',"
                        " 'KS pro dojnice D1', 'kg', 1000, 100, 6.83, 8.2, '2026-10-06', '1', '2026')")
             .arg(Document, Mix);

    // 1,000 movements of the mix batch, none of them posted, so that every guard reads them all.
    const QString mix = QLatin1Char('\'') + Mix + QLatin1Char('\'');
    s << QStringLiteral("insert into pv (cislodokla, dp, datum) select concat('PB', lpad(seq, 8, '0')), 'PR',"
                        " '2026-11-01' from seq_1_to_150");
    s << QStringLiteral("insert into pvrad (cislodokla, partiecela, lomeni, hmotnostpv, nc)"
                        " select concat('PB', lpad(seq, 8, '0')), ") +
             mix + QStringLiteral(", 0, 1, 6.9 from seq_1_to_150");
    for (const char *prefix : {"dl", "vn"}) {
        const QString t = QString::fromLatin1(prefix);
        const QString number = QStringLiteral("concat('") + t.left(1).toUpper() + QStringLiteral("B', lpad(seq, 8, '0'))");
        s << QStringLiteral("insert into ") + t + QStringLiteral(" (cislodokla, datumvn1) select ") + number +
                 QStringLiteral(", '2026-11-02' from seq_1_to_150");
        s << QStringLiteral("insert into ") + t + QStringLiteral("rad (cislodokla, partiecela, lomeni, hmotnostvn) select ") +
                 number + QStringLiteral(", ") + mix + QStringLiteral(", 0, 1 from seq_1_to_150");
    }
    s << QStringLiteral("insert into vp (cislodokla, pohyb, datum, mnozstvi, partiecela, lomeni)"
                        " select concat('TB', lpad(seq, 8, '0')), 'VY', '2026-11-03', 1, ") +
             mix + QStringLiteral(", 0 from seq_1_to_150");
    s << QStringLiteral("insert into pv9 (cislodokla, pohyb, datum, mnozstvi, nc, partiecela, lomeni)"
                        " select concat('KB', lpad(seq, 8, '0')), '1', '2026-11-04', 1, 1, ") +
             mix +
             QStringLiteral(", 0 from seq_1_to_150 union all select concat('KB', lpad(seq, 8, '0')), '9', '2026-11-04',"
                            " 1, 7.7, '55KA', 0 from seq_1_to_150");
    for (const char *table : {"smesi", "pelmixi"}) {
        s << QStringLiteral("insert into ") + QString::fromLatin1(table) +
                 QStringLiteral(" (cislodokla, partiecela, lomeni, smes, datum, mnozstvi, nc)"
                                " select concat('MB', lpad(seq, 8, '0')), ") +
                 mix +
                 QStringLiteral(", 0, '0', '2026-11-05', 1, 0 from seq_1_to_125 union all select"
                                " concat('MB', lpad(seq, 8, '0')), '55MB', 0, '1', '2026-11-05', 125, 0"
                                " from seq_1_to_125");
    }
    for (const char *table : {"pelmixi", "smesi", "pv", "pvrad", "dl", "dlrad", "vn", "vnrad", "vp", "pv9"})
        s << QStringLiteral("analyze table ") + QString::fromLatin1(table);
    return s;
}

bool filled(Connection &c)
{
    try {
        return c.scalar(QStringLiteral("select count(*) from pv9")).toLongLong() >= 1000000 &&
               c.scalar(QStringLiteral("select count(*) from pelmixi where cislodokla = '%1'").arg(Document)).toInt() == 51 &&
               c.scalar(QStringLiteral("select count(*) from smesi where partiecela = '%1'").arg(Mix)).toInt() == 125;
    } catch (const DbError &) {
        return false;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;

    {
        Connection probe(testsupport::serverParams());
        probe.execute(QStringLiteral("create database if not exists `%1` character set cp1250").arg(Db));
    }
    Connection c(testsupport::serverParams(Db));
    c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
    if (qEnvironmentVariableIntValue("PELMIXI_BENCH_REFILL") != 0 || !filled(c)) {
        std::printf("filling %s (about ten million rows, a few minutes)...\n", qPrintable(Db));
        std::fflush(stdout);
        QElapsedTimer fill;
        fill.start();
        c.close();
        testsupport::createDatabase(Db);
        c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
        for (const QString &statement : fillStatements())
            c.execute(statement);
        std::printf("filled in %.0f s\n", double(fill.elapsed()) / 1000.0);
    }

    testsupport::Installation inst(Db);
    testsupport::MessageRecorder quiet;
    opening::WorkingTables tables;
    opening::Context context;
    context.stredisko = QStringLiteral("101");
    context.ksJaknc = 1;
    const opening::ListRow row{Document, Mix, 0, 6.83};

    struct Side {
        Stats whole, history;
        int state = -1;
        qsizetype movements = 0, lines = 0;
    };
    auto measure = [&](int n) -> Side {
        QList<double> whole, history;
        Side side;
        for (int i = 0; i < n + 1; ++i) {
            QElapsedTimer t;
            t.start();
            const opening::Result r = opening::openCorrection(c, tables, row, context);
            const double ms = double(t.nsecsElapsed()) / 1e6;
            if (r.status != opening::Status::Opened) {
                std::fprintf(stderr, "the opening failed: %s\n", qPrintable(quiet.last()));
                std::exit(1);
            }
            side.state = r.state.correctionState;
            side.lines = tables.lines.recordCount();

            t.restart();
            side.movements = batchhistory::collect(c, context.cisloPC, Mix, 0).rowCount();
            const double h = double(t.nsecsElapsed()) / 1e6;
            // Both cases must have done the same work.
            if (side.lines != 50 || side.movements < 1000) {
                std::fprintf(stderr, "the opening read %lld lines and %lld movements, not 50 and 1000\n",
                    qlonglong(side.lines), qlonglong(side.movements));
                std::exit(1);
            }
            if (i == 0)
                continue; // the first run warms the server's caches
            whole << ms;
            history << h;
        }
        side.whole = stats(whole);
        side.history = stats(history);
        return side;
    };
    auto print = [&](const char *title, const Side &s, int n) {
        std::printf("%s, %d runs: document %s: %lld lines, mix batch %s with %lld movements, correction state %d\n",
            title, n, qPrintable(Document), qlonglong(s.lines), qPrintable(Mix), qlonglong(s.movements), s.state);
        std::printf("  whole opening   min %7.1f ms  median %7.1f ms  max %7.1f ms\n", s.whole.min, s.whole.median,
            s.whole.max);
        std::printf("  batch history   min %7.1f ms  median %7.1f ms  max %7.1f ms\n", s.history.min,
            s.history.median, s.history.max);
    };

    const Side with = measure(runs);
    print("with the batch indexes", with, runs);

    // Without the indexes of the batch history (the guard's), as a plant's database may be.
    const int runsWithout = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 3;
    QList<indexcheck::IndexNeed> dropped;
    for (const indexcheck::Finding &f : indexcheck::check(c)) {
        if (f.need.openingGuard && !f.servedBy.isEmpty() && f.need.columns.contains(QStringLiteral("partiecela"))) {
            c.execute(QStringLiteral("alter table %1 drop index %2").arg(f.need.table, f.servedBy));
            dropped << f.need;
        }
    }
    const Side without = measure(qMax(1, runsWithout));
    print("without them", without, qMax(1, runsWithout));
    std::printf("adding the %lld indexes again...\n", qlonglong(dropped.size()));
    for (const indexcheck::IndexNeed &n : std::as_const(dropped))
        c.execute(indexcheck::createStatement(n));
    if (indexcheck::exitCode(indexcheck::check(c)) != 0)
        std::printf("note: the database still lacks indexes (pelmixi --check-db lists them)\n");

    std::printf("without the batch indexes: open-ms=%.1f\n", without.whole.median);
    std::printf("with the batch indexes: open-ms=%.1f (target < 150 ms)\n", with.whole.median);
    return with.whole.median < 150 ? 0 : 2;
}
