// The movements of a batch across the suite's documents, collected on the real server into the
// workstation's temporary batch movement table, and the stock-card program started from the
// composition lines (with the stand-in program that records its arguments).
#include "batchhistory.h"
#include "connection.h"
#include "paths.h"
#include "stockcardmodule.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString Db = u"t_documents_batchhistory"_s;
const QString Batch = u"552600003"_s;

std::unique_ptr<Connection> openConnection()
{
    auto c = std::make_unique<Connection>(testsupport::serverParams(Db));
    c->execute(u"set @@session.sql_mode=\"\""_s);
    return c;
}

// doklad|cislodokla|pohyb|mnozstvi|nc of every row, sorted (the table has no order).
QStringList describe(const ResultSet &rs)
{
    QStringList rows;
    for (qsizetype r = 0; r < rs.rowCount(); ++r) {
        const QVariant nc = rs.value(r, u"nc"_s);
        rows << QStringList{rs.text(r, u"doklad"_s), rs.text(r, u"cislodokla"_s), rs.text(r, u"pohyb"_s),
                            QString::number(rs.number(r, u"mnozstvi"_s)),
                            nc.isValid() ? QString::number(nc.toDouble()) : u"NULL"_s}
                    .join(u'|');
    }
    rows.sort();
    return rows;
}

bool tableExists(Connection &c, const QString &cisloPC)
{
    try {
        c.query(batchhistory::selectStatement(cisloPC));
        return true;
    } catch (const DbError &e) {
        if (e.code() != 1146)
            throw;
        return false;
    }
}

} // namespace

class TestBatchHistory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void statementsQuoteTheBatchAndKeepTheFractionBare();
    void workstationNumberMustBeAName();
    void noMovementsGiveAnEmptyTableWithItsColumns();
    void everyDocumentTypeWithItsPrice_data();
    void everyDocumentTypeWithItsPrice();
    void tableIsDroppedAfterReading();
    void missingDocumentTableEndsWithServerError();
    void twoConnectionsCollectDifferentBatchesAtOnce();

    void stockCardArguments();
    void emptyBatchStartsNothing();
    void programThatCannotStartIsReported();

private:
    std::unique_ptr<Connection> m_conn;
};

void TestBatchHistory::initTestCase()
{
    testsupport::createDatabase(Db);
    m_conn = openConnection();
    // Mix batch 552600003 (fraction 0) made by feed-mix document 2601010003, then moved on by
    // every kind of document; fraction 1 of the same batch moves on documents of its own.
    const QStringList setup{
        u"insert into pelmixi (cislodokla, partie, partiecela, lomeni, smes, mnozstvi, nc) values"
        " ('2601010003', '552600003', '552600003', 0, '1', 1000, 6.5),"
        " ('2601010003', '250000101', '250000101', 0, '0', 1000, 5.2),"
        " ('2601010004', '552600003', '552600003', 0, '0', 200, 0),"
        " ('2601010004', '552600004', '552600004', 0, '1', 400, 7.25),"
        " ('2601010005', '552600003', '552600003', 1, '0', 10, 0),"
        " ('2601010005', '552600005', '552600005', 0, '1', 10, 8)"_s,
        u"insert into pv (cislodokla, dp, datum, datumzauct, cislofakt) values"
        " ('2601010001', 'PR', '2026-10-01', '2026-10-31', 'F1')"_s,
        u"insert into pvrad (cislodokla, partiecela, lomeni, hmotnostpv, nc) values"
        " ('2601010001', '552600003', 0, 5, 6.4), ('2601010001', '552600003', 1, 6, 6.3)"_s,
        u"insert into dl (cislodokla, datumvn1, datumzauct) values ('2601010001', '2026-10-07', NULL)"_s,
        u"insert into dlrad (cislodokla, partiecela, lomeni, hmotnostvn, nc) values ('2601010001', '552600003', 0, 100, 9)"_s,
        u"insert into vn (cislodokla, druhvydeje, datumvn1, datumzauct, cislofakt) values"
        " ('2601010002', 'PR', '2026-10-08', '2026-10-31', 'F2')"_s,
        u"insert into vnrad (cislodokla, partiecela, lomeni, hmotnostvn) values ('2601010002', '552600003', 0, 50)"_s,
        u"insert into vp (cislodokla, pohyb, datum, datumzauct, mnozstvi, partiecela, lomeni, nc) values"
        " ('2601010003', 'VY', '2026-10-09', NULL, 25, '552600003', 0, 11)"_s,
        u"insert into pv9 (cislodokla, pohyb, datum, datumzauct, mnozstvi, nc, partiecela, lomeni) values"
        " ('2601010004', '1', '2026-10-10', NULL, 30, 1.5, '552600003', 0),"
        " ('2601010004', '9', '2026-10-10', NULL, 30, 12.75, '552600099', 0),"
        " ('2601010005', '9', '2026-10-11', NULL, 40, 3, '552600003', 0)"_s,
        u"insert into smesi (cislodokla, partiecela, lomeni, smes, datum, mnozstvi, nc) values"
        " ('2601010006', '552600003', 0, '0', '2026-10-12', 60, 0),"
        " ('2601010006', '552600066', 0, '1', '2026-10-12', 60, 9.5),"
        " ('2601010007', '552600003', 0, '1', '2026-10-12', 1, 1)"_s,
    };
    for (const QString &s : setup)
        m_conn->execute(s);
}

void TestBatchHistory::cleanupTestCase()
{
    m_conn.reset();
    testsupport::dropDatabase(Db);
}

void TestBatchHistory::statementsQuoteTheBatchAndKeepTheFractionBare()
{
    const QStringList s = batchhistory::statements(u"07"_s, u"55'2\\6"_s, 61);
    QCOMPARE(s.size(), 11);
    QCOMPARE(s.at(0), u"drop temporary table if exists tmp07pelmixi"_s);
    QVERIFY(s.at(1).startsWith(u"create temporary table tmp07pelmixi\n select \"PV\" as doklad,"_s));
    QCOMPARE(batchhistory::selectStatement(u"07"_s), u"select * from tmp07pelmixi"_s);
    QCOMPARE(batchhistory::dropStatement(u"07"_s), u"drop temporary table if exists tmp07pelmixi"_s);
    for (int i : {1, 2, 3, 4, 5, 7, 9}) {
        QVERIFY2(s.at(i).contains(u"partiecela = '55''2\\\\6'\n"_s), qPrintable(s.at(i)));
        QVERIFY2(s.at(i).contains(u".lomeni = 61"_s), qPrintable(s.at(i)));
    }
    for (const QString &statement : s)
        QVERIFY(statement.contains(u"tmp07pelmixi"_s));
}

void TestBatchHistory::workstationNumberMustBeAName()
{
    QVERIFY_THROWS_EXCEPTION(DbError, batchhistory::statements(u"0 0"_s, Batch, 0));
    QVERIFY_THROWS_EXCEPTION(DbError, batchhistory::tableName(u"x;drop table pelmixi"_s));
    QVERIFY_THROWS_EXCEPTION(DbError, batchhistory::tableName(QString()));
}

void TestBatchHistory::noMovementsGiveAnEmptyTableWithItsColumns()
{
    const ResultSet rs = batchhistory::collect(*m_conn, u"00"_s, u"999999999"_s, 0);
    QCOMPARE(rs.rowCount(), 0);
    QStringList names;
    for (const Column &c : rs.columns())
        names << c.name;
    QCOMPARE(names, (QStringList{u"doklad"_s, u"cislodokla"_s, u"pohyb"_s, u"datum"_s, u"datumzauct"_s,
                                 u"mnozstvi"_s, u"cislofakt"_s, u"nc"_s}));
}

void TestBatchHistory::everyDocumentTypeWithItsPrice_data()
{
    QTest::addColumn<qint64>("lomeni");
    QTest::addColumn<QStringList>("expected");
    // Fraction 0: a receipt with its line price, a delivery note, an issue slip, a transfer, the
    // consumed row of a calculation priced by its "9" row, a line of another module's mix priced
    // by that mix, a feed-mix line priced by its mix row. The batch's own mix row, the calculation
    // that produced the batch and the other module's mix row of the batch are not movements.
    QTest::newRow("fraction 0") << qint64(0)
                                << QStringList{u"DL|2601010001||100|NULL"_s,     u"KA|2601010004|1|30|12.75"_s,
                                               u"KS|2601010004|0|200|7.25"_s,    u"PV|2601010001|PR|5|6.4"_s,
                                               u"SM|2601010006|0|60|9.5"_s,      u"VN|2601010002|PR|50|NULL"_s,
                                               u"VP|2601010003|VY|25|NULL"_s};
    QTest::newRow("fraction 1") << qint64(1)
                                << QStringList{u"KS|2601010005|0|10|8"_s, u"PV|2601010001|PR|6|6.3"_s};
}

void TestBatchHistory::everyDocumentTypeWithItsPrice()
{
    QFETCH(qint64, lomeni);
    QFETCH(QStringList, expected);
    const ResultSet rs = batchhistory::collect(*m_conn, u"00"_s, Batch, lomeni);
    QCOMPARE(describe(rs), expected);
    for (qsizetype r = 0; r < rs.rowCount(); ++r) {
        if (rs.text(r, u"doklad"_s) == u"VN"_s)
            QCOMPARE(rs.value(r, u"datumzauct"_s), QVariant(QDate(2026, 10, 31)));
        if (rs.text(r, u"doklad"_s) == u"DL"_s) {
            QVERIFY(!rs.value(r, u"datumzauct"_s).isValid());
            QCOMPARE(rs.value(r, u"datum"_s), QVariant(QDate(2026, 10, 7)));
        }
    }
}

void TestBatchHistory::tableIsDroppedAfterReading()
{
    KdeJeSkl(*m_conn, u"00"_s, Batch, 0);
    QVERIFY(tableExists(*m_conn, u"00"_s));
    batchhistory::collect(*m_conn, u"00"_s, Batch, 0);
    QVERIFY(!tableExists(*m_conn, u"00"_s));
}

void TestBatchHistory::missingDocumentTableEndsWithServerError()
{
    m_conn->execute(u"rename table vp to vp_mimo"_s);
    auto restore = qScopeGuard([this] { m_conn->execute(u"rename table vp_mimo to vp"_s); });
    try {
        batchhistory::collect(*m_conn, u"00"_s, Batch, 0);
        QFAIL("the collection went on without the transfers table");
    } catch (const DbError &e) {
        QCOMPARE(e.code(), 1146);
        QVERIFY2(e.message().contains(u"vp"_s), qPrintable(e.message()));
    }
    QVERIFY(!tableExists(*m_conn, u"00"_s));
}

void TestBatchHistory::twoConnectionsCollectDifferentBatchesAtOnce()
{
    // Two workstations with the same (default) number, their statements interleaved.
    auto a = openConnection();
    auto b = openConnection();
    const QStringList sa = batchhistory::statements(u"00"_s, Batch, 0);
    const QStringList sb = batchhistory::statements(u"00"_s, u"250000101"_s, 0);
    for (int i = 0; i < sa.size(); ++i) {
        a->execute(sa.at(i));
        b->execute(sb.at(i));
    }
    const ResultSet ra = a->query(batchhistory::selectStatement(u"00"_s));
    const ResultSet rb = b->query(batchhistory::selectStatement(u"00"_s));
    QCOMPARE(ra.rowCount(), 7);
    QCOMPARE(describe(rb), QStringList{u"KS|2601010003|0|1000|6.5"_s});
    b->execute(batchhistory::dropStatement(u"00"_s));
    QCOMPARE(a->query(batchhistory::selectStatement(u"00"_s)).rowCount(), 7);
    // Nobody else sees either table.
    QVERIFY(!tableExists(*m_conn, u"00"_s));
}

void TestBatchHistory::stockCardArguments()
{
    testsupport::Installation inst(Db);
    const QString program = inst.programDir() + u"/sk"_s;
    QVERIFY(QFile::copy(testsupport::sourceDir() + u"/tests/dbase/skarta-standin.sh"_s, program));
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    const QString log = inst.programDir() + u"/args.log"_s;
    qputenv("SKARTA_STANDIN_LOG", QFile::encodeName(log));
    testsupport::MessageRecorder recorder;

    const QVariantMap line{{u"STREDISKO"_s, u"12"_s},
                           {u"partiecela"_s, u"250000101"_s},
                           {u"lomeni"_s, qlonglong(0)},
                           {u"partie"_s, u"250000101"_s},
                           {u"nazevosiva"_s, u"Pšenice \"krmná\" $HOME; `x`"_s}};
    QCOMPARE(stockcard::programPath(), program);
    QVERIFY(stockcard::showStockCard(line));
    QVERIFY(stockcard::showBatchHistory(line));

    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList got = QString::fromUtf8(f.readAll()).split(u'\n');
    const QString cwd = u"#cwd "_s + QDir::currentPath();
    QCOMPARE(got, (QStringList{u"#argc 4"_s, cwd, u"/TK"_s, u"12"_s, u"250000101"_s, u"0"_s,
                               u"#argc 6"_s, cwd, u"/HP"_s, u"250000101"_s, u"0"_s, u"250000101"_s,
                               u"Pšenice \"krmná\" $HOME; `x`"_s, u"12"_s, QString()}));
    QVERIFY(recorder.shown.isEmpty());
    qunsetenv("SKARTA_STANDIN_LOG");
}

void TestBatchHistory::emptyBatchStartsNothing()
{
    testsupport::Installation inst(Db);
    inst.writeModuleIni(u"Moduly"_s, u"SK"_s, u"neexistujici-program"_s);
    testsupport::MessageRecorder recorder;
    const QVariantMap line{{u"stredisko"_s, u"12"_s}, {u"partiecela"_s, QString()}, {u"lomeni"_s, 0}};
    QVERIFY(!stockcard::showStockCard(line));
    QVERIFY(!stockcard::showBatchHistory(line));
    QVERIFY(recorder.shown.isEmpty());
}

void TestBatchHistory::programThatCannotStartIsReported()
{
    testsupport::Installation inst(Db);
    inst.writeModuleIni(u"Moduly"_s, u"SK"_s, u"neexistujici-program"_s);
    testsupport::MessageRecorder recorder;
    const QVariantMap line{{u"stredisko"_s, u"12"_s}, {u"partiecela"_s, u"250000101"_s}, {u"lomeni"_s, 1}};
    QVERIFY(!stockcard::showStockCard(line));
    QCOMPARE(recorder.shown.size(), 1);
    QVERIFY2(recorder.last().contains(u"neexistujici-program"_s), qPrintable(recorder.last()));
    QCOMPARE(int(recorder.shown.last().icon), int(MessageIcon::Stop));
}

QTEST_GUILESS_MAIN(TestBatchHistory)
#include "tst_batchhistory.moc"
