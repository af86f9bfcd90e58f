// Batch genealogy against large document tables: a received batch whose products go through ten
// levels of mixes and calculations with fan-out 5 (every batch is consumed by five documents of
// the next level; a level holds at most 2,000 products, so from level 5 on each product also has
// five inputs and paths merge), the last level delivered to customers; about 1,000,000 rows in
// each document table (pelmixi, smesi, pv9, pv, pvrad, dl, dlrad, vn, vnrad, vp). Times the full
// downstream trace of the received batch and the full upstream trace of one last-level product,
// and prints the numbers of batches (nodes) and rows each reached. The filled database
// "bench_genealogy" is kept between runs; set PELMIXI_BENCH_REFILL=1 to build it again.
//
// Usage: genealogy_bench [runs]   (default 10)
#include "benchstats.h"
#include "connection.h"
#include "genealogy.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

namespace {

const QString Db = QStringLiteral("bench_genealogy");
constexpr int Levels = 10;
constexpr int FanOut = 5;
constexpr int MaxWidth = 2000;

int width(int level)
{
    long long w = 1;
    for (int i = 0; i < level && w < MaxWidth; ++i)
        w *= FanOut;
    return int(std::min<long long>(w, MaxWidth));
}

// 'G' + level (2 digits) + index (6 digits): 9 characters, like a mix batch code.
QString batchExpr(int level, const QString &index)
{
    return QStringLiteral("concat('G', '%1', lpad(%2, 6, '0'))").arg(level, 2, 10, QLatin1Char('0')).arg(index);
}
QString docExpr(int level, const QString &index)
{
    return QStringLiteral("concat('G', '%1', lpad(%2, 7, '0'))").arg(level, 2, 10, QLatin1Char('0')).arg(index);
}

// Filler: 1,000,000 rows per table over 300,000 unrelated batches and three fractions.
QStringList fillerStatements()
{
    const QString batch = QStringLiteral("concat('2', lpad(seq mod 300000, 8, '0'))");
    const QString seq = QStringLiteral(" from seq_1_to_1000000");
    QStringList s;
    for (const char *table : {"pelmixi", "smesi"}) {
        s << QStringLiteral("insert into %1 (cislodokla, stredisko, partie, lomeni, partiecela, mj, mnozstvi, datum,"
                            " smes, rokd) select concat('24', lpad(seq div 20, 8, '0')), '101', left(%2, 9),"
                            " seq mod 3, %2, 't', seq mod 1000, '2024-05-05', if(seq mod 20 = 0, '1', '0'), '2024'")
                     .arg(QString::fromLatin1(table), batch)
                + seq;
    }
    s << QStringLiteral("insert into pv9 (cislodokla, stredisko, pohyb, datum, mnozstvi, partie, partiecela, lomeni,"
                        " mj) select concat('K', lpad(seq div 10, 9, '0')), '101', if(seq mod 10 = 0, '9', '1'),"
                        " '2024-05-05', seq mod 1000, left(%1, 9), %1, seq mod 3, 't'")
                 .arg(batch)
            + seq;
    s << QStringLiteral("insert into pv (cislodokla, stredisko, dp, datum, nazevpodni) select concat('P',"
                        " lpad(seq, 9, '0')), '101', '01', '2024-05-05', 'Dodavatel'")
            + seq;
    s << QStringLiteral("insert into pvrad (cislodokla, partie, partiecela, lomeni, hmotnostpv, mj) select concat('P',"
                        " lpad(seq, 9, '0')), left(%1, 9), %1, seq mod 3, seq mod 1000, 't'")
                 .arg(batch)
            + seq;
    for (const char *prefix : {"dl", "vn"}) {
        const QString t = QString::fromLatin1(prefix);
        const QString p = t.left(1).toUpper();
        s << QStringLiteral("insert into %1 (cislodokla, stredisko, datumvn1, nazevpodni) select concat('%2',"
                            " lpad(seq, 9, '0')), '101', '2024-05-05', 'Odběratel'")
                     .arg(t, p)
                + seq;
        s << QStringLiteral("insert into %1rad (cislodokla, partie, partiecela, lomeni, hmotnostvn, mj) select"
                            " concat('%2', lpad(seq, 9, '0')), left(%3, 9), %3, seq mod 3, seq mod 1000, 't'")
                     .arg(t, p, batch)
                + seq;
    }
    s << QStringLiteral("insert into vp (cislodokla, stredisko, nastredisko, pohyb, datum, mnozstvi, partie,"
                        " partiecela, lomeni, mj) select concat('T', lpad(seq, 9, '0')), '101', '102', '31',"
                        " '2024-05-05', seq mod 1000, left(%1, 9), %1, seq mod 3, 't'")
                 .arg(batch)
            + seq;
    return s;
}

// The genealogy: level k's documents are feed mixes, other mixes and calculations in turn.
QStringList genealogyStatements()
{
    QStringList s;
    s << QStringLiteral("insert into pv (cislodokla, stredisko, dp, datum, nazevpodni) values ('G000000000', '101',"
                        " '01', '2026-01-05', 'Dodavatel pšenice')");
    s << QStringLiteral("insert into pvrad (cislodokla, partie, partiecela, lomeni, hmotnostpv, nazevosiva, mj) values"
                        " ('G000000000', 'G00000000', 'G00000000', 0, 1000, 'Pšenice', 't')");
    for (int k = 1; k <= Levels; ++k) {
        const int w = width(k);
        const int previous = width(k - 1);
        const char *tables[] = {"pv9", "pelmixi", "smesi"};
        const QString table = QString::fromLatin1(tables[k % 3]);
        const bool calculation = table == QLatin1String("pv9");
        const QString date = QStringLiteral("'2026-%1-01'").arg(k + 1, 2, 10, QLatin1Char('0'));
        if (calculation) {
            s << QStringLiteral("insert into pv9 (cislodokla, stredisko, pohyb, datum, mnozstvi, partie, partiecela,"
                                " lomeni, nazevosiva, mj) select %1, '101', '9', %2, 100, %3, %3, 0, 'Produkt', 't'"
                                " from seq_0_to_%4")
                     .arg(docExpr(k, QStringLiteral("seq")), date, batchExpr(k, QStringLiteral("seq")))
                     .arg(w - 1);
            s << QStringLiteral("insert into pv9 (cislodokla, stredisko, pohyb, datum, mnozstvi, partie, partiecela,"
                                " lomeni, nazevosiva, mj) select %1, '101', '1', %2, 4, %3, %3, 0, 'Vstup', 't'"
                                " from seq_0_to_%4 a, seq_0_to_%5 b")
                     .arg(docExpr(k, QStringLiteral("mod(%1 * a.seq + b.seq, %2)").arg(FanOut).arg(w)), date,
                          batchExpr(k - 1, QStringLiteral("a.seq")))
                     .arg(previous - 1)
                     .arg(FanOut - 1);
        } else {
            s << QStringLiteral("insert into %1 (cislodokla, stredisko, partie, lomeni, partiecela, nazevosiva, mj,"
                                " mnozstvi, datum, smes, rokd) select %2, '101', %3, 0, %3, 'Směs', 't', 100, %4, '1',"
                                " '2026' from seq_0_to_%5")
                     .arg(table, docExpr(k, QStringLiteral("seq")), batchExpr(k, QStringLiteral("seq")), date)
                     .arg(w - 1);
            s << QStringLiteral("insert into %1 (cislodokla, stredisko, partie, lomeni, partiecela, nazevosiva, mj,"
                                " mnozstvi, datum, smes, rokd) select %2, '101', %3, 0, %3, 'Vstup', 't', 4, %4, '0',"
                                " '2026' from seq_0_to_%5 a, seq_0_to_%6 b")
                     .arg(table, docExpr(k, QStringLiteral("mod(%1 * a.seq + b.seq, %2)").arg(FanOut).arg(w)),
                          batchExpr(k - 1, QStringLiteral("a.seq")), date)
                     .arg(previous - 1)
                     .arg(FanOut - 1);
        }
    }
    // Every last-level product is delivered to one of 50 customers.
    const int last = width(Levels);
    s << QStringLiteral("insert into dl (cislodokla, stredisko, datumvn1, nazevpodni) select concat('GD',"
                        " lpad(seq, 8, '0')), '101', '2026-12-01', concat('Odběratel ', seq mod 50)"
                        " from seq_0_to_%1")
             .arg(last - 1);
    s << QStringLiteral("insert into dlrad (cislodokla, partie, partiecela, lomeni, hmotnostvn, nazevosiva, mj) select"
                        " concat('GD', lpad(seq, 8, '0')), %1, %1, 0, 10, 'Směs', 't' from seq_0_to_%2")
             .arg(batchExpr(Levels, QStringLiteral("seq")))
             .arg(last - 1);
    return s;
}

bool filled(Connection &c)
{
    try {
        return c.scalar(QStringLiteral("select count(*) from vp")).toLongLong() >= 1000000
            && c.scalar(QStringLiteral("select count(*) from dlrad where cislodokla like 'GD%'")).toLongLong()
            == width(Levels);
    } catch (const DbError &) {
        return false;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;
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
        for (const QString &statement : genealogyStatements() + fillerStatements())
            c.execute(statement);
        for (const char *table : {"pelmixi", "smesi", "pv", "pvrad", "dl", "dlrad", "vn", "vnrad", "vp", "pv9"})
            c.execute(QStringLiteral("analyze table ") + QString::fromLatin1(table));
        std::printf("filled in %.0f s\n", double(fill.elapsed()) / 1000.0);
    }
    for (const char *table : {"pelmixi", "smesi", "pv9", "pvrad", "dlrad", "vnrad", "vp"}) {
        std::printf("%-8s %9lld rows\n", table,
                    c.scalar(QStringLiteral("select count(*) from ") + QString::fromLatin1(table)).toLongLong());
    }

    const genealogy::BatchKey root{QStringLiteral("G00000000"), 0};
    const genealogy::BatchKey leaf{QStringLiteral("G10000000"), 0};
    QList<double> down, up;
    genealogy::Trace d, u;
    for (int i = 0; i < runs + 1; ++i) {
        QElapsedTimer t;
        t.start();
        d = genealogy::trace(c, root, genealogy::Direction::Down);
        const double dm = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        u = genealogy::trace(c, leaf, genealogy::Direction::Up);
        const double um = double(t.nsecsElapsed()) / 1e6;
        if (i == 0)
            continue; // the first run warms the server's caches
        down << dm;
        up << um;
    }
    int deepestDown = 0;
    for (const genealogy::Row &r : d.down)
        deepestDown = std::max(deepestDown, r.level);
    int deepestUp = 0;
    for (const genealogy::Row &r : u.up)
        deepestUp = std::max(deepestUp, r.level);
    const Stats ds = stats(down);
    const Stats us = stats(up);
    std::printf("genealogy: %d levels, fan-out %d, at most %d products per level, %d runs\n", Levels, FanOut, MaxWidth,
                runs);
    std::printf("downstream trace of %s: %d batches (nodes), %lld rows, %d levels, %lld customers:"
                " min %.1f ms, median %.1f ms, max %.1f ms\n",
                qPrintable(root.partiecela), d.downNodes, (long long)d.down.size(), deepestDown,
                (long long)d.partners.size(), ds.min, ds.median, ds.max);
    std::printf("upstream trace of %s: %d batches (nodes), %lld rows, %d levels:"
                " min %.1f ms, median %.1f ms, max %.1f ms\n",
                qPrintable(leaf.partiecela), u.upNodes, (long long)u.up.size(), deepestUp, us.min, us.median, us.max);
    std::printf("target: under 1000 ms each: %s\n", ds.median < 1000 && us.median < 1000 ? "met" : "NOT met");
    return 0;
}
