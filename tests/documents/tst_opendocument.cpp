// Starting a new document and opening stored ones for correction against the real server: what
// the four working tables hold afterwards, the editor state, the guards with their messages,
// openings that fail part-way, and a second program instance on the same data folder.
#include "batchhistory.h"
#include "connection.h"
#include "folderlock.h"
#include "opendocument.h"
#include "paths.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <cstdio>
#include <iostream>

using namespace Qt::StringLiterals;
using opening::Status;

namespace {

const QString Db = u"t_documents_opendocument"_s;
const QString DemoDb = u"t_documents_opendocument_demo"_s;

std::unique_ptr<Connection> openConnection(const QString &db)
{
    auto c = std::make_unique<Connection>(testsupport::serverParams(db));
    c->execute(u"set @@session.sql_mode=\"\""_s);
    return c;
}

opening::Context context(int ksJaknc = 1)
{
    opening::Context c;
    c.stredisko = u"101"_s;
    c.cisloPC = u"00"_s;
    c.ksJaknc = ksJaknc;
    c.today = QDate(2026, 11, 20);
    return c;
}

QStringList column(WorkTable &t, const QString &field)
{
    QStringList values;
    if (!t.isOpen())
        t.open();
    for (t.first(); !t.eof() && !t.isEmpty(); t.next())
        values << t.asString(field);
    return values;
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

} // namespace

class TestOpenDocument : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void emptyListDoesNothing();
    void newDocumentHeaderAndEmptyTables();
    void newDocumentAfterRefusedCorrectionStartsFree();
    void correctionCopiesTheStoredRows();
    void documentWithoutLinesShowsItsNumber();
    void twoCorrectionsInARow();
    void columnAddedToPelmixiReachesAllFourTables();
    void guards_data();
    void guards();
    void vanishedDocumentIsNotOpened();
    void openingThatFailsReturnsToTheList();
    void secondInstanceCannotOpen();
    void everyDemoDocumentOpens();

private:
    void insertDocument(const QString &cislodokla, const QString &mixBatch, const QString &datumzauct, double nc,
                        const QStringList &lineBatches);

    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<testsupport::Installation> m_inst;
    std::unique_ptr<opening::WorkingTables> m_tables;
};

void TestOpenDocument::initTestCase()
{
    testsupport::createDatabase(Db);
    m_conn = openConnection(Db);
}

void TestOpenDocument::cleanupTestCase()
{
    m_conn.reset();
    testsupport::dropDatabase(Db);
    testsupport::dropDatabase(DemoDb);
}

void TestOpenDocument::init()
{
    m_inst = std::make_unique<testsupport::Installation>(Db);
    m_tables = std::make_unique<opening::WorkingTables>();
    for (const char *table : {"pelmixi", "skarta", "dl", "dlrad", "pv9", "smesi"})
        m_conn->execute(u"delete from "_s + QLatin1String(table));
}

void TestOpenDocument::cleanup()
{
    m_tables.reset();
    m_inst.reset();
}

void TestOpenDocument::insertDocument(const QString &cislodokla, const QString &mixBatch, const QString &datumzauct,
                                      double nc, const QStringList &lineBatches)
{
    int n = 0;
    for (const QString &b : lineBatches) {
        m_conn->execute(
            u"insert into pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, nazevosiva, mj,"
            " mnozstvi, pr, nc, datum, smes, datumzauct, rokd, jazyk) values (%1, '101', %2, '0441', %3, %4, '111001',"
            " 'Pšenice krmná – ječná', 'kg', %5, 10, 5.2, '2026-10-06', '0', %6, '2026', 'C')"_s
                .arg(sqlQuote(cislodokla), sqlQuote(b.left(9)), QString::number(n % 2), sqlQuote(b),
                     QString::number(100 + n), datumzauct));
        ++n;
    }
    m_conn->execute(
        u"insert into pelmixi (cislodokla, stredisko, partie, lomeni, partiecela, nomenkla, nazevosiva, mj, mnozstvi,"
        " pr, nc, pc, datum, smes, datumzauct, rokd, popis, cinnost, jazyk) values (%1, '101', %2, 0, %2, '150003',"
        " 'KS pro dojnice D1', 'kg', 1234.5, 100, %3, 8.2, '2026-10-06', '1', %4, '2026', 'Směs „žlutá“',"
        " 'zemědělská výroba', 'C')"_s
            .arg(sqlQuote(cislodokla), sqlQuote(mixBatch), sqlNumber(nc), datumzauct));
}

void TestOpenDocument::emptyListDoesNothing()
{
    testsupport::MessageRecorder recorder;
    QCOMPARE(opening::newDocument(*m_conn, *m_tables, context()).status, Status::Opened);
    const opening::Result r = opening::openCorrection(*m_conn, *m_tables, opening::ListRow{}, context());
    QCOMPARE(r.status, Status::NothingToOpen);
    QVERIFY(recorder.shown.isEmpty());
    QVERIFY(m_tables->header.isOpen());
    QCOMPARE(m_tables->header.visibleRowCount(), 1);
}

void TestOpenDocument::newDocumentHeaderAndEmptyTables()
{
    testsupport::MessageRecorder recorder;
    insertDocument(u"2601010001"_s, u"552600001"_s, u"NULL"_s, 5, {u"250000101-0441"_s});
    QCOMPARE(opening::openCorrection(*m_conn, *m_tables, {u"2601010001"_s, u"552600001"_s, 0, 5}, context()).status,
             Status::Opened);

    const opening::Result r = opening::newDocument(*m_conn, *m_tables, context());
    QCOMPARE(r.status, Status::Opened);
    QCOMPARE(r.state.mode, u"N"_s);
    QCOMPARE(r.state.documentNumber, QString());
    QCOMPARE(r.state.celkem, 0.0);
    QCOMPARE(r.state.packaging.mnomenkla, QString());
    QCOMPARE(r.state.packaging.pocetO, 0.0);

    WorkTable &h = m_tables->header;
    QCOMPARE(h.state(), WorkTable::State::Insert); // the set-up posts it
    QCOMPARE(h.visibleRowCount(), 1);
    QCOMPARE(h.asInteger(u"lomeni"_s), 0);
    QCOMPARE(h.value(u"smes"_s), QVariant(u"1"_s));
    QCOMPARE(h.asDate(u"datum"_s), QDate(2026, 11, 20));
    QCOMPARE(h.asString(u"jazyk"_s), u"C"_s);
    QCOMPARE(h.asString(u"stredisko"_s), u"101"_s);
    QVERIFY(h.isNull(u"cislodokla"_s));
    QVERIFY(h.isNull(u"datumzauct"_s));
    QCOMPARE(h.displayFormat(u"nc"_s), u"### ### ##0.00"_s);
    QCOMPARE(h.displayFormat(u"mnozstvi"_s), u"### ### ##0.####"_s);

    QVERIFY(m_tables->lines.isOpen());
    QCOMPARE(m_tables->lines.recordCount(), 0);
    QVERIFY(m_tables->stored.isOpen());
    QCOMPARE(m_tables->stored.recordCount(), 0);
    QVERIFY(!m_tables->aggregate.isOpen());
    m_tables->aggregate.open();
    QCOMPARE(m_tables->aggregate.recordCount(), 0);
    QCOMPARE(m_tables->aggregate.columns().size(), m_conn->query(opening::columnsQuery()).columnCount());

    h.post();
    h.close();
    h.open();
    QCOMPARE(h.recordCount(), 1);
    QCOMPARE(h.asString(u"stredisko"_s), u"101"_s);
    QVERIFY(recorder.shown.isEmpty());
}

void TestOpenDocument::newDocumentAfterRefusedCorrectionStartsFree()
{
    testsupport::MessageRecorder recorder;
    insertDocument(u"2501010001"_s, u"552500001"_s, u"'2025-12-31'"_s, 6.4, {u"250000101-0441"_s});
    const opening::Result refused =
        opening::openCorrection(*m_conn, *m_tables, {u"2501010001"_s, u"552500001"_s, 0, 6.4}, context());
    QCOMPARE(refused.state.correctionState, 9);
    QVERIFY(refused.state.confirmed);

    const opening::Result fresh = opening::newDocument(*m_conn, *m_tables, context());
    QCOMPARE(fresh.state.correctionState, 0);
    QVERIFY(fresh.state.saveEnabled());
    QVERIFY(!fresh.state.batchCodeReadOnly());
    QVERIFY(!fresh.state.confirmed);
    QCOMPARE(fresh.state.loadedPartiecela, QString());
    QCOMPARE(m_tables->stored.recordCount(), 0);
}

void TestOpenDocument::correctionCopiesTheStoredRows()
{
    testsupport::MessageRecorder recorder;
    insertDocument(u"2601010003"_s, u"552600003"_s, u"NULL"_s, 1234.5,
                   {u"250000104-0512"_s, u"250000101-0441"_s, u"MIC"_s});
    m_conn->execute(u"insert into skarta (PARTIE, STREDISKO, LOMENI, PARTIECELA, MNOMENKLA1, MO1, VAHAOBALU, EK1,"
                    " VAHAO1, POCETO1, NAVESKY) values ('552600003', '101', 0, '552600003', '195100',"
                    " 'Vak big bag 1000 kg', 2.5, 'F00123456', 1000, 2, 'Krmivo pro dojnice – nekrmit telata'),"
                    " ('552600003', '102', 0, '552600003', 'jiné', 'jiné', 9, 'x', 9, 9, 'jiné')"_s);

    const opening::Result r =
        opening::openCorrection(*m_conn, *m_tables, {u"2601010003"_s, u"552600003"_s, 0, 1234.5}, context());
    QCOMPARE(r.status, Status::Opened);
    QVERIFY(recorder.shown.isEmpty());
    QCOMPARE(r.state.mode, u"O"_s);
    QCOMPARE(r.state.correctionState, 0);
    QVERIFY(r.state.confirmed);
    QCOMPARE(r.state.documentNumber, u"2601010003"_s);
    QCOMPARE(r.state.loadedPartiecela, u"552600003"_s);
    QCOMPARE(r.state.loadedLomeni, 0);
    QCOMPARE(r.state.packaging.mnomenkla, u"195100"_s);
    QCOMPARE(r.state.packaging.mo, u"Vak big bag 1000 kg"_s);
    QCOMPARE(r.state.packaging.vahaObalu, 2.5);
    QCOMPARE(r.state.packaging.ek, u"F00123456"_s);
    QCOMPARE(r.state.packaging.vahaO, 1000.0);
    QCOMPARE(r.state.packaging.pocetO, 2.0);
    QCOMPARE(r.state.packaging.navesky, u"Krmivo pro dojnice – nekrmit telata"_s);

    const ResultSet db = m_conn->query(opening::documentQuery(u"2601010003"_s));
    QList<QVariantMap> mixRows;
    QList<QVariantMap> lineRows;
    for (qsizetype row = 0; row < db.rowCount(); ++row) {
        QVariantMap m;
        for (int c = 0; c < db.columnCount(); ++c)
            m.insert(db.columns().at(c).name.toLower(), db.value(row, c));
        (m.value(u"smes"_s).toString() == u"1"_s ? mixRows : lineRows).append(m);
    }
    QCOMPARE(m_tables->header.allRecords(), mixRows);
    QCOMPARE(m_tables->lines.allRecords(), lineRows);
    QCOMPARE(m_tables->stored.allRecords().size(), 4);
    QCOMPARE(m_tables->header.state(), WorkTable::State::Browse);
    QCOMPARE(m_tables->header.displayText(u"mnozstvi"_s), u"1 234,5"_s);
    QCOMPARE(m_tables->header.displayText(u"nc"_s), u"1 234,50"_s);
    QCOMPARE(m_tables->header.asString(u"popis"_s), u"Směs „žlutá“"_s);
    QVERIFY(m_tables->header.isNull(u"datumzauct"_s));
    QVERIFY(!m_tables->aggregate.isOpen());
}

void TestOpenDocument::documentWithoutLinesShowsItsNumber()
{
    testsupport::MessageRecorder recorder;
    insertDocument(u"2601010007"_s, u"552600007"_s, u"NULL"_s, 0, {});
    const opening::Result r =
        opening::openCorrection(*m_conn, *m_tables, {u"2601010007"_s, u"552600007"_s, 0, 0}, context());
    QCOMPARE(r.status, Status::Opened);
    QCOMPARE(r.state.documentNumber, u"2601010007"_s);
    QVERIFY(!r.state.confirmed);
    QCOMPARE(m_tables->lines.recordCount(), 0);
    QCOMPARE(m_tables->header.recordCount(), 1);
}

void TestOpenDocument::twoCorrectionsInARow()
{
    testsupport::MessageRecorder recorder;
    insertDocument(u"2601010001"_s, u"552600001"_s, u"NULL"_s, 5, {u"250000101-0441"_s, u"250000102-0441"_s, u"MIC"_s});
    insertDocument(u"2601010002"_s, u"552600002"_s, u"NULL"_s, 5, {u"250000103-0441"_s});
    QCOMPARE(opening::openCorrection(*m_conn, *m_tables, {u"2601010001"_s, u"552600001"_s, 0, 5}, context()).status,
             Status::Opened);
    m_tables->aggregate.open();
    m_tables->aggregate.appendRecord({{u"cislodokla"_s, u"2601010001"_s}, {u"nomenkla"_s, u"111001"_s}});
    m_tables->aggregate.close();

    QCOMPARE(opening::openCorrection(*m_conn, *m_tables, {u"2601010002"_s, u"552600002"_s, 0, 5}, context()).status,
             Status::Opened);
    QCOMPARE(column(m_tables->header, u"cislodokla"_s), QStringList{u"2601010002"_s});
    QCOMPARE(column(m_tables->lines, u"partiecela"_s), QStringList{u"250000103-0441"_s});
    QCOMPARE(column(m_tables->stored, u"cislodokla"_s), (QStringList{u"2601010002"_s, u"2601010002"_s}));
    QCOMPARE(column(m_tables->aggregate, u"cislodokla"_s), QStringList{});
}

void TestOpenDocument::columnAddedToPelmixiReachesAllFourTables()
{
    testsupport::MessageRecorder recorder;
    m_conn->execute(u"alter table pelmixi add column vlhkost_ks double null default null"_s);
    auto restore = qScopeGuard([this] { m_conn->execute(u"alter table pelmixi drop column vlhkost_ks"_s); });
    insertDocument(u"2601010001"_s, u"552600001"_s, u"NULL"_s, 5, {u"250000101-0441"_s});
    m_conn->execute(u"update pelmixi set vlhkost_ks = 13.25 where smes = '1'"_s);
    m_conn->execute(u"update pelmixi set vlhkost_ks = 14.5 where smes <> '1'"_s);

    QCOMPARE(opening::openCorrection(*m_conn, *m_tables, {u"2601010001"_s, u"552600001"_s, 0, 5}, context()).status,
             Status::Opened);
    for (WorkTable *t : {&m_tables->header, &m_tables->lines, &m_tables->stored, &m_tables->aggregate}) {
        if (!t->isOpen())
            t->open();
        QVERIFY2(t->hasField(u"VLHKOST_KS"_s), qPrintable(t->name()));
    }
    QCOMPARE(m_tables->header.asFloat(u"vlhkost_ks"_s), 13.25);
    QCOMPARE(m_tables->lines.asFloat(u"vlhkost_ks"_s), 14.5);
    QCOMPARE(column(m_tables->stored, u"vlhkost_ks"_s), (QStringList{u"14,5"_s, u"13,25"_s}));

    QCOMPARE(opening::newDocument(*m_conn, *m_tables, context()).status, Status::Opened);
    QVERIFY(m_tables->header.hasField(u"vlhkost_ks"_s));
    QVERIFY(m_tables->lines.hasField(u"vlhkost_ks"_s));
}

void TestOpenDocument::guards_data()
{
    QTest::addColumn<int>("ksJaknc");
    QTest::addColumn<double>("mixNc");
    QTest::addColumn<QString>("mixPosted"); // SQL value of the document's datumzauct
    QTest::addColumn<QString>("laterUse");  // a statement moving batch 552600003 on, or empty
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("messages");

    const QString dlOpen = u"insert into dl (cislodokla, datumvn1, datumzauct) values ('2601010001', '2026-10-07', NULL)"_s;
    const QString dlPosted =
        u"insert into dl (cislodokla, datumvn1, datumzauct) values ('2601010001', '2026-10-07', '2026-10-31')"_s;
    const QString laterMix = u"insert into pelmixi (cislodokla, partiecela, lomeni, smes, nc) values"
                             " ('2601010009', '552600003', 0, '0', 0), ('2601010009', '552600009', 0, '1', 7.5)"_s;

    QTest::newRow("not posted, not moved") << 1 << 5.0 << u"'1900-01-01'"_s << QString() << 0 << QStringList{};
    QTest::newRow("zero date counts as not posted") << 1 << 5.0 << u"'0000-00-00'"_s << QString() << 0 << QStringList{};
    QTest::newRow("being posted") << 1 << 5.0 << u"'2002-11-11'"_s << QString() << 9
                                  << QStringList{u"Nelze opravit! Doklad je právě účtován!"_s};
    QTest::newRow("posted") << 1 << 5.0 << u"'2002-11-12'"_s << QString() << 9
                            << QStringList{u"Nelze opravit! Doklad je již zaúčtován."_s};
    QTest::newRow("0: issued on an unposted note") << 0 << 0.0 << u"NULL"_s << dlOpen << 9
                                                   << QStringList{u"Nelze opravit! Partie byla již expedována\nna dokladu DL 2601010001"_s};
    QTest::newRow("1: issued on an unposted note") << 1 << 5.0 << u"NULL"_s << dlOpen << 1 << QStringList{};
    QTest::newRow("1: issued on a posted note")
        << 1 << 5.0 << u"NULL"_s << dlPosted << 9
        << QStringList{u"Nelze opravit! Partie byla již expedována\na zaúčtována na dokladu DL 2601010001"_s};
    QTest::newRow("1: confirmed, processed by a priced mix")
        << 1 << 5.0 << u"NULL"_s << laterMix << 9
        << QStringList{u"Nelze opravit! Partie byla již potvrzena\na zpracována na dokladu KS 2601010009"_s};
    QTest::newRow("1: unconfirmed, processed by a priced mix") << 1 << 0.0 << u"NULL"_s << laterMix << 1
                                                               << QStringList{};
    QTest::newRow("2: moved batch keeps its card") << 2 << 5.0 << u"NULL"_s << dlPosted << 1 << QStringList{};
}

void TestOpenDocument::guards()
{
    QFETCH(int, ksJaknc);
    QFETCH(double, mixNc);
    QFETCH(QString, mixPosted);
    QFETCH(QString, laterUse);
    QFETCH(int, state);
    QFETCH(QStringList, messages);

    insertDocument(u"2601010003"_s, u"552600003"_s, mixPosted, mixNc, {u"250000101-0441"_s});
    if (!laterUse.isEmpty()) {
        m_conn->execute(laterUse);
        if (laterUse.startsWith(u"insert into dl "_s))
            m_conn->execute(u"insert into dlrad (cislodokla, partiecela, lomeni, hmotnostvn) values"
                            " ('2601010001', '552600003', 0, 100)"_s);
    }
    testsupport::MessageRecorder recorder;
    const opening::Result r =
        opening::openCorrection(*m_conn, *m_tables, {u"2601010003"_s, u"552600003"_s, 0, mixNc}, context(ksJaknc));
    QCOMPARE(r.status, Status::Opened); // a refused document opens for viewing
    QCOMPARE(r.state.correctionState, state);
    QCOMPARE(r.state.saveEnabled(), state != 9);
    QCOMPARE(r.state.batchCodeReadOnly(), state == 1);
    QCOMPARE(recorder.texts(), messages);
    QCOMPARE(m_tables->header.recordCount(), 1);
    QCOMPARE(m_tables->lines.recordCount(), 1);
    // The batch movement table is gone, whatever the guards found.
    QVERIFY_THROWS_EXCEPTION(DbError, m_conn->query(batchhistory::selectStatement(u"00"_s)));
}

void TestOpenDocument::vanishedDocumentIsNotOpened()
{
    testsupport::MessageRecorder recorder;
    const opening::Result r =
        opening::openCorrection(*m_conn, *m_tables, {u"2601019999"_s, u"552699999"_s, 0, 0}, context());
    QCOMPARE(r.status, Status::NothingToOpen);
    QCOMPARE(recorder.texts(), QStringList{u"Doklad 2601019999 v databázi není."_s});
}

void TestOpenDocument::openingThatFailsReturnsToTheList()
{
    testsupport::MessageRecorder recorder;
    insertDocument(u"2601010003"_s, u"552600003"_s, u"NULL"_s, 5, {u"250000101-0441"_s});
    QCOMPARE(opening::newDocument(*m_conn, *m_tables, context()).status, Status::Opened);

    m_conn->execute(u"rename table vn to vn_mimo"_s);
    auto restore = qScopeGuard([this] { m_conn->execute(u"rename table vn_mimo to vn"_s); });
    const opening::Result r =
        opening::openCorrection(*m_conn, *m_tables, {u"2601010003"_s, u"552600003"_s, 0, 5}, context());
    QCOMPARE(r.status, Status::Failed);
    QCOMPARE(r.state.correctionState, 0);
    QCOMPARE(recorder.shown.size(), 1);
    QVERIFY2(recorder.last().contains(u"vn"_s) && recorder.last().contains(Db), qPrintable(recorder.last()));
    for (WorkTable *t : {&m_tables->header, &m_tables->lines, &m_tables->stored, &m_tables->aggregate})
        QVERIFY(!t->isOpen());
    QVERIFY(!folderlock::isHeld(paths::dataDir()));
    QVERIFY_THROWS_EXCEPTION(DbError, m_conn->query(batchhistory::selectStatement(u"00"_s)));
}

void TestOpenDocument::secondInstanceCannotOpen()
{
    const QString data = paths::dataDir();
    QProcess first;
    first.start(QCoreApplication::applicationFilePath(), {u"--hold-tables"_s, data});
    QVERIFY(first.waitForReadyRead(30000));
    QCOMPARE(first.readLine().trimmed(), QByteArray("held"));
    const QByteArray before = fileHash(data + u"/pelmixi20.sqlite"_s);
    QVERIFY(!before.isEmpty());

    testsupport::MessageRecorder recorder;
    const opening::Result r = opening::newDocument(*m_conn, *m_tables, context());
    QCOMPARE(r.status, Status::Failed);
    QCOMPARE(recorder.shown.size(), 1);
    QVERIFY2(recorder.last().contains(u"používá jiná spuštěná instance programu pelmixi"_s), qPrintable(recorder.last()));
    QCOMPARE(fileHash(data + u"/pelmixi20.sqlite"_s), before);

    first.closeWriteChannel();
    QVERIFY(first.waitForFinished(30000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(first.readAll()).trimmed(), u"1 2601010001"_s);
    QCOMPARE(opening::newDocument(*m_conn, *m_tables, context()).status, Status::Opened);
}

void TestOpenDocument::everyDemoDocumentOpens()
{
    testsupport::createDatabase(DemoDb, true);
    auto demo = openConnection(DemoDb);
    const int ksJaknc = demo->scalar(u"select KS_JAKNC from tavrix"_s).toInt();
    const ResultSet list = demo->query(u"select * from pelmixi where smes = 1 order by cislodokla"_s);
    QVERIFY(list.rowCount() >= 6);
    QMap<QString, int> states;
    for (qsizetype i = 0; i < list.rowCount(); ++i) {
        QVariantMap row;
        for (int c = 0; c < list.columnCount(); ++c)
            row.insert(list.columns().at(c).name, list.value(i, c));
        const opening::ListRow listRow = opening::ListRow::fromRecord(row);
        testsupport::MessageRecorder recorder;
        const opening::Result r = opening::openCorrection(*demo, *m_tables, listRow, context(ksJaknc));
        QCOMPARE(r.status, Status::Opened);
        QCOMPARE(r.state.documentNumber, listRow.cislodokla);
        QCOMPARE(m_tables->header.recordCount(), 1);
        const int rows = demo->scalar(u"select count(*) from pelmixi where cislodokla = "_s + sqlQuote(listRow.cislodokla))
                             .toInt();
        QCOMPARE(m_tables->stored.recordCount(), rows);
        QCOMPARE(m_tables->lines.recordCount(), rows - 1);
        QCOMPARE(r.state.correctionState == 9, !recorder.shown.isEmpty());
        states.insert(listRow.cislodokla, r.state.correctionState);
    }
    // The demo's posted, being-posted and issued documents, and its unposted one whose batch
    // only went out on an unposted delivery note.
    QCOMPARE(states.value(u"2501010001"_s), 9);
    QCOMPARE(states.value(u"2601010002"_s), 9);
    QCOMPARE(states.value(u"2601010003"_s), 9);
    QCOMPARE(states.value(u"2601010004"_s), 1);
}

// The holding mode stands for a first program instance: it opens a header table with a row in the
// given folder, reports "held", and keeps it until its standard input closes; then it prints the
// row count and number it still sees.
static int holdTables(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    WorkTable t(u"pelmixi20"_s);
    t.setDirectory(QString::fromLocal8Bit(argv[2]));
    Column c;
    c.name = u"cislodokla"_s;
    t.create({c});
    t.open();
    t.appendRecord({{u"cislodokla"_s, u"2601010001"_s}});
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    t.close();
    t.open();
    std::printf("%d %s\n", t.recordCount(), t.asString(u"cislodokla"_s).toUtf8().constData());
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-tables") == 0)
        return holdTables(argc, argv);
    QCoreApplication app(argc, argv);
    TestOpenDocument test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_opendocument.moc"
