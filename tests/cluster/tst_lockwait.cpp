// Waiting for another workstation's lock keeps the event loop running: while a save or an archive
// waits, timers fire (the window repaints, the busy bar moves) and the busy window says why; the
// wait ends as soon as the other workstation lets go, or with the refusal after the timeout.
#include "archive.h"
#include "connection.h"
#include "lockwait.h"
#include "posting.h"
#include "savelock.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace posting;

namespace {

const QString database = u"t_cluster_lockwait"_s;
const QString saveLock = u"LEFT(CONCAT(\"pelmixi.zapis.\", DATABASE()), 64)"_s;

QVariantMap line(const QString &partiecela, double quantity)
{
    return { { u"partie"_s, partiecela.left(9) }, { u"podnik"_s, u"0441"_s }, { u"lomeni"_s, qlonglong(0) },
        { u"partiecela"_s, partiecela }, { u"nomenkla"_s, u"111001"_s }, { u"nazevosiva"_s, u"Pšenice"_s },
        { u"mnozstvi"_s, quantity }, { u"mj"_s, u"kg"_s }, { u"nc"_s, 2.0 }, { u"pc"_s, 0.0 }, { u"pr"_s, 0.0 },
        { u"smes"_s, u"0"_s } };
}

Document mixDocument(const QString &mixBatch)
{
    Document doc;
    doc.mix = { { u"stredisko"_s, u"37"_s }, { u"partie"_s, mixBatch }, { u"podnik"_s, u""_s },
        { u"lomeni"_s, qlonglong(0) }, { u"partiecela"_s, mixBatch }, { u"nomenkla"_s, u"150001"_s },
        { u"nazevosiva"_s, u"Krmná směs"_s }, { u"mj"_s, u"kg"_s }, { u"mnozstvi"_s, 0.0 }, { u"pr"_s, 0.0 },
        { u"nc"_s, 0.0 }, { u"pc"_s, 7.5 }, { u"smes"_s, u"1"_s }, { u"datum"_s, QDate(2026, 11, 20) },
        { u"druh"_s, u"KS"_s }, { u"popis"_s, u"Směs"_s }, { u"cinnost"_s, u"zemědělská výroba"_s },
        { u"jazyk"_s, u"C"_s } };
    doc.lines = { line(u"250037001-0441"_s, 10) };
    return doc;
}

SaveContext newContext(const QString &workDir)
{
    SaveContext ctx;
    ctx.stredisko = u"37"_s;
    ctx.cisloPC = u"01"_s;
    ctx.ksJakNc = 1;
    ctx.confirmed = true;
    ctx.identity.ipAddress = u"127.0.0.1"_s;
    ctx.identity.userName = u"test"_s;
    ctx.identity.computerName = u"TEST"_s;
    ctx.identity.programTime = u"2026-01-01 00:00:00"_s;
    ctx.identity.programVersion = u"1.0.0.1"_s;
    ctx.workDir = workDir;
    return ctx;
}

} // namespace

class TestLockWait : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveWaitsWithoutFreezing_data();
    void saveWaitsWithoutFreezing();
    void archiveWaitsWithoutFreezing();

private:
    std::unique_ptr<Connection> m_db;
    std::unique_ptr<Connection> m_other; // the other workstation
    testsupport::MessageRecorder *m_messages = nullptr;
    QStringList m_busyShown;
    int m_busyOpen = 0;
};

void TestLockWait::initTestCase()
{
    testsupport::createDatabase(database, true);
    lockwait::setIndicator([this](const QString &text) -> std::function<void()> {
        m_busyShown << text;
        ++m_busyOpen;
        return [this] { --m_busyOpen; };
    });
}

void TestLockWait::init()
{
    m_db = std::make_unique<Connection>(testsupport::serverParams(database));
    m_other = std::make_unique<Connection>(testsupport::serverParams(database));
    m_db->execute(u"update tavrix set UcetniRok = '1', CislovaniD = 0, KS_JAKNC = 1, KS_vyrobky = 'A', uzavreneuo = ''"_s);
    for (const QString &table : { u"pelmixi"_s, u"skarta"_s, u"cisdokl"_s, u"cisdokl_rada"_s, u"historied"_s })
        m_db->execute(u"delete from "_s + table + u" where stredisko = '37'"_s);
    m_db->execute(u"insert into skarta (PARTIE, STREDISKO, PODNIK, LOMENI, PARTIECELA, NOMENKLA, MJ, NC, ZUSTATEK,"
                  u" SMESI, REZERVACE) values ('250037001','37','0441',0,'250037001-0441','111001','kg',2,1000,0,0)"_s);
    m_busyShown.clear();
    m_messages = new testsupport::MessageRecorder;
}

void TestLockWait::cleanup()
{
    delete m_messages;
    m_messages = nullptr;
    setLockTimeoutSeconds(60);
    m_other.reset();
    m_db.reset();
}

void TestLockWait::saveWaitsWithoutFreezing_data()
{
    QTest::addColumn<int>("releaseAfterMs"); // -1: the other workstation never lets go
    QTest::addColumn<bool>("saved");
    QTest::newRow("the other save ends") << 1200 << true;
    QTest::newRow("held past the timeout") << -1 << false;
}

void TestLockWait::saveWaitsWithoutFreezing()
{
    QFETCH(int, releaseAfterMs);
    QFETCH(bool, saved);
    setLockTimeoutSeconds(2);
    QCOMPARE(m_other->scalar(u"SELECT GET_LOCK("_s + saveLock + u", 0)"_s).toInt(), 1);
    // Ticks of the event loop while the save waits; the busy window is open at each of them.
    int ticks = 0;
    int ticksWithBusyWindow = 0;
    QTimer ticker;
    ticker.setInterval(50);
    connect(&ticker, &QTimer::timeout, this, [&] {
        ++ticks;
        ticksWithBusyWindow += m_busyOpen > 0 ? 1 : 0;
    });
    ticker.start();
    QElapsedTimer clock;
    clock.start();
    if (releaseAfterMs >= 0) {
        QTimer::singleShot(releaseAfterMs, this, [this] {
            m_other->execute(u"DO RELEASE_LOCK("_s + saveLock + u")"_s);
        });
    }
    QTemporaryDir dir;
    const SaveOutcome out = zapsat(*m_db, mixDocument(u"553700001"_s), newContext(dir.path()));
    const qint64 waited = clock.elapsed();
    ticker.stop();
    m_other->execute(u"DO RELEASE_LOCK("_s + saveLock + u")"_s);

    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QVERIFY(ticksWithBusyWindow >= ticks - 2);
    QCOMPARE(m_busyShown, QStringList { u"Čekám, až jiná stanice dokončí zápis…"_s });
    QCOMPARE(m_busyOpen, 0);
    if (saved) {
        QCOMPARE(int(out.result), int(SaveResult::Saved));
        QVERIFY(waited >= releaseAfterMs);
        QCOMPARE(m_db->scalar(u"select count(*) from pelmixi where partiecela = '553700001'"_s).toInt(), 1);
    } else {
        QCOMPARE(int(out.result), int(SaveResult::Refused));
        QCOMPARE(out.message, u"Doklad nelze zapsat, jiná stanice právě zapisuje.\nZkuste to prosím znovu."_s);
        QVERIFY(waited >= 2000);
        QCOMPARE(m_db->scalar(u"select count(*) from pelmixi where stredisko = '37'"_s).toInt(), 0);
    }
    // The lock is free again for the other workstations.
    QCOMPARE(m_other->scalar(u"SELECT IS_FREE_LOCK("_s + saveLock + u")"_s).toInt(), 1);
}

void TestLockWait::archiveWaitsWithoutFreezing()
{
    using namespace pelmixi::printing;
    const QString lock = u"'"_s + archiveLockName(ReportKind::RecipeDocument, u"2026370099"_s) + u"'"_s;
    QCOMPARE(m_other->scalar(u"SELECT GET_LOCK("_s + lock + u", 0)"_s).toInt(), 1);
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(50);
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start();
    QTimer::singleShot(800, this, [&] { m_other->execute(u"DO RELEASE_LOCK("_s + lock + u")"_s); });
    ArchiveRequest request;
    request.documentNumber = u"2026370099"_s;
    request.pdf = "%PDF-1.4 waited";
    request.lockTimeoutSeconds = 5;
    const ArchiveResult result = archivePdf(*m_db, request);
    ticker.stop();
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    // The archive has its own busy window; no second one opens over it.
    QVERIFY(m_busyShown.isEmpty());
    QCOMPARE(m_db->scalar(u"select count(*) from doklady where cislodokladu = '2026370099'"_s).toInt(), 1);
}

QTEST_GUILESS_MAIN(TestLockWait)
#include "tst_lockwait.moc"
