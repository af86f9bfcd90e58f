// The test database's number register: an insert into cisdokl leaves the next number of its
// series in @pomCis, unique and gap-free under concurrent savers, given back on rollback, and
// refused instead of wrapped when the series is used up.
#include "connection.h"
#include "testsupport.h"

#include <QTest>
#include <algorithm>
#include <mutex>
#include <thread>

using namespace testsupport;

namespace {
const QString kDb = QStringLiteral("t_db_numberregister");

QString registerInsert(const QString &stredisko, int year, const QString &first)
{
    return QStringLiteral("INSERT INTO `cisdokl` (`STREDISKO`, `ROK`, `TYPD`, `CISLO0`, `CISLOPC`)\n VALUES ('%1', %2, "
                          "\"KS\", %3,'00')")
        .arg(stredisko)
        .arg(year)
        .arg(first);
}
} // namespace

class TestNumberRegister : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { createDatabase(kDb); }
    void cleanupTestCase() { dropDatabase(kDb); }

    void concurrentSaversGetDistinctGapFreeNumbers()
    {
        constexpr int kClients = 8;
        constexpr int kRounds = 25;
        std::vector<std::unique_ptr<Connection>> connections;
        for (int i = 0; i < kClients; ++i) {
            connections.push_back(std::make_unique<Connection>(serverParams(kDb)));
            connections.back()->open();
        }
        std::mutex mutex;
        QStringList committed;
        QStringList errors;
        std::vector<std::thread> threads;
        for (int c = 0; c < kClients; ++c) {
            threads.emplace_back([&, c] {
                Connection &db = *connections[size_t(c)];
                try {
                    for (int r = 0; r < kRounds; ++r) {
                        db.execute(QStringLiteral("BEGIN"));
                        db.execute(registerInsert(QStringLiteral("101"), 2026, QStringLiteral("2026101001")));
                        const QString number = db.scalar(QStringLiteral("select @pomCis")).toString();
                        if ((r + c) % 4 == 0) { // some saves fail and give their number back
                            db.execute(QStringLiteral("ROLLBACK"));
                        } else {
                            db.execute(QStringLiteral("COMMIT"));
                            std::lock_guard lock(mutex);
                            committed.append(number);
                        }
                    }
                } catch (const std::exception &e) {
                    std::lock_guard lock(mutex);
                    errors.append(QString::fromStdString(e.what()));
                }
            });
        }
        for (auto &t : threads)
            t.join();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
        QCOMPARE(committed.size(), kClients * kRounds - kClients * kRounds / 4);
        std::sort(committed.begin(), committed.end());
        for (qsizetype i = 0; i < committed.size(); ++i) // distinct and without gaps, from the first number on
            QCOMPARE(committed.at(i), QString::number(2026101001LL + i));
        Connection check(serverParams(kDb));
        QCOMPARE(check.scalar(QStringLiteral("select count(distinct CISLO) from cisdokl where STREDISKO = '101'")).toInt(),
                 committed.size());
    }

    void seriesAreKeptApart()
    {
        Connection db(serverParams(kDb));
        db.execute(registerInsert(QStringLiteral("12"), 2015, QStringLiteral("2015120001")));
        QCOMPARE(db.scalar(QStringLiteral("select @pomCis")).toString(), QStringLiteral("2015120001"));
        db.execute(registerInsert(QStringLiteral("012"), 2015, QStringLiteral("1506016001")));
        QCOMPARE(db.scalar(QStringLiteral("select @pomCis")).toString(), QStringLiteral("1506016001"));
        db.execute(registerInsert(QStringLiteral("12"), 2015, QStringLiteral("2015120001")));
        QCOMPARE(db.scalar(QStringLiteral("select @pomCis")).toString(), QStringLiteral("2015120002"));
    }

    void rollbackGivesTheNumberBack()
    {
        Connection db(serverParams(kDb));
        db.execute(QStringLiteral("BEGIN"));
        db.execute(registerInsert(QStringLiteral("55"), 2027, QStringLiteral("2027550001")));
        QCOMPARE(db.scalar(QStringLiteral("select @pomCis")).toString(), QStringLiteral("2027550001"));
        db.execute(QStringLiteral("ROLLBACK"));
        db.execute(registerInsert(QStringLiteral("55"), 2027, QStringLiteral("2027550001")));
        QCOMPARE(db.scalar(QStringLiteral("select @pomCis")).toString(), QStringLiteral("2027550001"));
    }

    void exhaustedSeriesIsRefusedNotWrapped()
    {
        Connection db(serverParams(kDb));
        db.execute(registerInsert(QStringLiteral("77"), 2026, QStringLiteral("2026779998")));
        db.execute(registerInsert(QStringLiteral("77"), 2026, QStringLiteral("2026779998")));
        QCOMPARE(db.scalar(QStringLiteral("select @pomCis")).toString(), QStringLiteral("2026779999"));
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                db.execute(registerInsert(QStringLiteral("77"), 2026, QStringLiteral("2026779998")));
                QFAIL("an exhausted series issued a number");
            } catch (const DbError &e) {
                QVERIFY2(e.message().contains(QStringLiteral("vyčerpána")), qPrintable(e.message()));
            }
        }
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from cisdokl where STREDISKO = '77'")).toInt(), 2);
    }
};

QTEST_GUILESS_MAIN(TestNumberRegister)
#include "tst_numberregister.moc"
