// Working tables against the real server: the columns and values of pelmixi survive the copy into
// a local table and a reopening, the record cursor and edit buffer behave as the editor expects,
// display formats, and exclusive use of the data folder by one program instance.
#include "connection.h"
#include "displayformat.h"
#include "folderlock.h"
#include "testsupport.h"
#include "worktable.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QString Db = u"t_dbase_worktable"_s;

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Runs this test binary as a second program instance on dir: it creates or opens the header
// table there and prints what happened.
struct SecondInstance {
    int exitCode = -1;
    QString output;
};

SecondInstance runSecondInstance(const QString &mode, const QString &dir)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {u"--second-instance"_s, mode, dir});
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

} // namespace

class TestWorkTable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void copiedRowsSurviveReopening();
    void columnAddedToPelmixiReachesTheTable();
    void recreationLeavesNothingOfThePreviousTable();
    void scanStopsOnLastRecord();
    void appendEditPostCancelDelete();
    void unpostedChangesOnMoveAndClose();
    void locateByOneAndTwoFields();
    void integerReadRounds_data();
    void integerReadRounds();
    void settersConvertOrRefuse();
    void dateNullAndZeroDateStayDistinct();
    void displayFormats_data();
    void displayFormats();
    void displayTextOfField();
    void wholeRecordsWithLowerCaseNames();
    void closedTableRefusesWork();
    void secondInstanceFailsClearly();
    void oneFileOpenInOneObject();

private:
    std::unique_ptr<testsupport::Installation> m_inst;
    std::unique_ptr<Connection> m_conn;
    QList<Column> pelmixiColumns() { return m_conn->query(u"select * from pelmixi limit 0,1"_s).columns(); }
};

void TestWorkTable::initTestCase()
{
    testsupport::createDatabase(Db);
    m_conn = std::make_unique<Connection>(testsupport::serverParams(Db));
    m_conn->execute(u"set @@session.sql_mode=\"\""_s);
}

void TestWorkTable::cleanupTestCase()
{
    m_conn.reset();
    testsupport::dropDatabase(Db);
}

void TestWorkTable::init()
{
    m_inst = std::make_unique<testsupport::Installation>(Db);
    m_conn->execute(u"delete from pelmixi"_s);
}

void TestWorkTable::cleanup()
{
    m_inst.reset();
}

void TestWorkTable::copiedRowsSurviveReopening()
{
    m_conn->execute(
        u"insert into pelmixi (cislodokla, stredisko, partie, lomeni, partiecela, nazevosiva, mnozstvi, nc, pc,"
        " datum, datumzauct, smes, popis) values"
        " ('2601010001', '101', '552600001', 0, '552600001', 'Směs žluťoučká \"A\" ''B''', 1234567.891,"
        " 0.1 + 0.2, -12.345, '2026-08-05', NULL, '1', 'Řádek se zpětným \\\\ lomítkem'),"
        " ('2601010001', '101', '250000101', 3, '250000101', 'Pšenice krmná', 0.000123, 5.2, 6.1,"
        " '2026-08-05', '0000-00-00', '0', '')"_s);
    const ResultSet rs = m_conn->query(u"select * from pelmixi order by id"_s);
    QCOMPARE(rs.rowCount(), 2);

    WorkTable t(u"pelmixi10"_s);
    t.create(rs.columns());
    QVERIFY(!t.isOpen());
    QVERIFY(QFile::exists(m_inst->programDir() + u"/data/pelmixi10.sqlite"_s));
    t.open();
    QCOMPARE(t.appendRows(rs), 2);
    t.close();

    WorkTable again(u"pelmixi10"_s);
    again.open();
    QCOMPARE(again.recordCount(), 2);
    QCOMPARE(again.columns().size(), rs.columns().size());
    for (int i = 0; i < rs.columns().size(); ++i) {
        QCOMPARE(again.columns().at(i).name, rs.columns().at(i).name);
        QCOMPARE(int(again.columns().at(i).kind), int(rs.columns().at(i).kind));
        QCOMPARE(again.columns().at(i).length, rs.columns().at(i).length);
    }
    again.first();
    for (int r = 0; r < 2; ++r, again.next()) {
        for (int c = 0; c < rs.columns().size(); ++c) {
            const QVariant expected = rs.value(r, c);
            const QVariant actual = again.value(rs.columns().at(c).name);
            QVERIFY2(expected.isValid() == actual.isValid(), qPrintable(rs.columns().at(c).name));
            if (expected.isValid()) {
                QCOMPARE(actual.typeId(), expected.typeId());
                QCOMPARE(actual, expected);
            }
        }
    }
    again.first();
    QCOMPARE(again.asString(u"NAZEVOSIVA"_s), u"Směs žluťoučká \"A\" 'B'"_s);
    QCOMPARE(again.asFloat(u"nc"_s), 0.1 + 0.2);
    QCOMPARE(again.asFloat(u"mnozstvi"_s), 1234567.891);
    QCOMPARE(again.asString(u"popis"_s), u"Řádek se zpětným \\ lomítkem"_s);
}

void TestWorkTable::columnAddedToPelmixiReachesTheTable()
{
    m_conn->execute(u"alter table pelmixi add column poznamka_ks varchar(30) not null default ''"_s);
    auto restore = qScopeGuard([this] { m_conn->execute(u"alter table pelmixi drop column poznamka_ks"_s); });
    m_conn->execute(u"insert into pelmixi (cislodokla, smes, poznamka_ks) values ('2601010009', '1', 'Výživa – test')"_s);
    const ResultSet rs = m_conn->query(u"select * from pelmixi where cislodokla = '2601010009'"_s);

    WorkTable t(u"pelmixi"_s);
    t.create(rs.columns());
    t.open();
    t.appendRows(rs);
    QVERIFY(t.hasField(u"POZNAMKA_KS"_s));
    QCOMPARE(t.asString(u"poznamka_ks"_s), u"Výživa – test"_s);
}

void TestWorkTable::recreationLeavesNothingOfThePreviousTable()
{
    WorkTable t(u"pelmixi"_s);
    t.create(pelmixiColumns());
    t.open();
    t.appendRecord({{u"cislodokla"_s, u"2601010001"_s}, {u"partiecela"_s, u"250000101"_s}});
    t.setDisplayFormat(u"nc"_s, QString::fromUtf16(displayformat::Price));
    QCOMPARE(t.recordCount(), 1);

    const QList<Column> other = m_conn->query(u"select cislodokla, nc from pelmixi limit 0,1"_s).columns();
    t.create(other);
    QVERIFY(!t.isOpen());
    t.open();
    QCOMPARE(t.recordCount(), 0);
    QCOMPARE(t.columns().size(), 2);
    QVERIFY(!t.hasField(u"partiecela"_s));
    QVERIFY(t.displayFormat(u"nc"_s).isEmpty());
}

void TestWorkTable::scanStopsOnLastRecord()
{
    WorkTable t(u"pelmixi"_s);
    t.create(pelmixiColumns());
    t.open();
    QVERIFY(t.eof());
    QVERIFY(t.bof());
    QCOMPARE(t.recNo(), -1);
    QVERIFY(!t.value(u"partiecela"_s).isValid());

    for (const QString &p : {u"A"_s, u"B"_s, u"C"_s})
        t.appendRecord({{u"partiecela"_s, p}});
    QStringList seen;
    for (t.first(); !t.eof(); t.next())
        seen << t.asString(u"partiecela"_s);
    QCOMPARE(seen, (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QCOMPARE(t.asString(u"partiecela"_s), u"C"_s);
    QCOMPARE(t.recNo(), 2);
    t.prior();
    QCOMPARE(t.asString(u"partiecela"_s), u"B"_s);
    QVERIFY(!t.eof());
    t.last();
    QVERIFY(t.eof());
    QCOMPARE(t.asString(u"partiecela"_s), u"C"_s);
}

void TestWorkTable::appendEditPostCancelDelete()
{
    {
        WorkTable t(u"pelmixi"_s);
        t.create(pelmixiColumns());
        t.open();
        t.append();
        QCOMPARE(t.state(), WorkTable::State::Insert);
        QCOMPARE(t.recordCount(), 0);
        QCOMPARE(t.visibleRowCount(), 1);
        t.setString(u"partiecela"_s, u"250000101"_s);
        t.setInteger(u"lomeni"_s, 1);
        t.setFloat(u"mnozstvi"_s, 100.5);
        t.post();
        QCOMPARE(t.recordCount(), 1);

        t.append();
        t.setString(u"partiecela"_s, u"zahozený"_s);
        t.cancel();
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.asString(u"partiecela"_s), u"250000101"_s);

        t.appendRecord({{u"partiecela"_s, u"250000102"_s}, {u"mnozstvi"_s, 7}});
        t.appendRecord({{u"partiecela"_s, u"250000103"_s}, {u"mnozstvi"_s, 8}});

        t.first();
        t.edit();
        t.setFloat(u"mnozstvi"_s, 99);
        t.cancel();
        QCOMPARE(t.asFloat(u"mnozstvi"_s), 100.5);
        t.edit();
        t.setFloat(u"mnozstvi"_s, 101.25);
        t.post();

        QVERIFY(t.locate(u"partiecela"_s, u"250000102"_s));
        t.deleteRecord();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.asString(u"partiecela"_s), u"250000103"_s);
        t.deleteRecord();
        QCOMPARE(t.asString(u"partiecela"_s), u"250000101"_s);
        t.pack();
        QCOMPARE(t.recordCount(), 1);
    }
    WorkTable t(u"pelmixi"_s);
    t.open();
    QCOMPARE(t.recordCount(), 1);
    QCOMPARE(t.asString(u"partiecela"_s), u"250000101"_s);
    QCOMPARE(t.asInteger(u"lomeni"_s), 1);
    QCOMPARE(t.asFloat(u"mnozstvi"_s), 101.25);
    t.empty();
    QCOMPARE(t.recordCount(), 0);
    QVERIFY(t.eof());
    t.close();
    t.open();
    QCOMPARE(t.recordCount(), 0);
    // Editing an empty table starts a new record.
    t.edit();
    QCOMPARE(t.state(), WorkTable::State::Insert);
}

void TestWorkTable::unpostedChangesOnMoveAndClose()
{
    WorkTable t(u"pelmixi"_s);
    t.create(pelmixiColumns());
    t.open();
    t.appendRecord({{u"partiecela"_s, u"A"_s}});
    t.appendRecord({{u"partiecela"_s, u"B"_s}});
    t.first();
    t.edit();
    t.setString(u"partiecela"_s, u"A2"_s);
    t.next(); // moving posts the change
    QCOMPARE(t.state(), WorkTable::State::Browse);
    t.first();
    QCOMPARE(t.asString(u"partiecela"_s), u"A2"_s);

    t.append();
    t.first(); // an untouched new record is dropped
    QCOMPARE(t.recordCount(), 2);

    t.edit();
    t.setString(u"partiecela"_s, u"neuloženo"_s);
    t.close();
    t.open();
    t.first();
    QCOMPARE(t.asString(u"partiecela"_s), u"A2"_s);
}

void TestWorkTable::locateByOneAndTwoFields()
{
    WorkTable t(u"pelmixi10"_s);
    t.create(pelmixiColumns());
    t.open();
    t.appendRecord({{u"partiecela"_s, u"250000101"_s}, {u"lomeni"_s, 0}, {u"nomenkla"_s, u"111001"_s}});
    t.appendRecord({{u"partiecela"_s, u"250000101"_s}, {u"lomeni"_s, 1}, {u"nomenkla"_s, u"111002"_s}});
    t.appendRecord({{u"partiecela"_s, u"250000102"_s}, {u"lomeni"_s, 1}, {u"nomenkla"_s, u"111003  "_s}});

    QVERIFY(t.locate(u"PARTIECELA"_s, u"250000101"_s, u"LOMENI"_s, u"1"_s));
    QCOMPARE(t.asString(u"nomenkla"_s), u"111002"_s);
    QVERIFY(t.locate(u"nomenkla"_s, u"111003"_s)); // trailing blanks do not count
    QCOMPARE(t.asString(u"partiecela"_s), u"250000102"_s);
    QVERIFY(!t.locate(u"partiecela"_s, u"250000102"_s, u"lomeni"_s, 0));
    QCOMPARE(t.asString(u"partiecela"_s), u"250000102"_s); // a failed search leaves the cursor
    QVERIFY(t.locate(u"lomeni"_s, 0.0));
    QCOMPARE(t.recNo(), 0);
    QVERIFY(!t.locate(u"nomenkla"_s, u"11100"_s));
}

void TestWorkTable::integerReadRounds_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("float 2.5") << u"mnozstvi"_s << QVariant(2.5) << qint64(3);
    QTest::newRow("float 2.4999") << u"mnozstvi"_s << QVariant(2.4999) << qint64(2);
    QTest::newRow("float -2.5") << u"mnozstvi"_s << QVariant(-2.5) << qint64(-3);
    QTest::newRow("float NULL") << u"mnozstvi"_s << QVariant() << qint64(0);
    QTest::newRow("integer") << u"lomeni"_s << QVariant(61) << qint64(61);
    QTest::newRow("integer from fraction text") << u"lomeni"_s << QVariant(u"1,6"_s) << qint64(2);
    QTest::newRow("text smes") << u"smes"_s << QVariant(u"1"_s) << qint64(1);
    QTest::newRow("text with comma") << u"popis"_s << QVariant(u" 12,5 "_s) << qint64(13);
}

void TestWorkTable::integerReadRounds()
{
    QFETCH(QString, field);
    QFETCH(QVariant, stored);
    QFETCH(qint64, expected);
    WorkTable t(u"pelmixi"_s);
    t.create(pelmixiColumns());
    t.open();
    t.append();
    t.setValue(field, stored);
    t.post();
    QCOMPARE(t.asInteger(field), expected);
}

void TestWorkTable::settersConvertOrRefuse()
{
    WorkTable t(u"pelmixi"_s);
    t.create(pelmixiColumns());
    t.open();
    t.append();
    t.setString(u"mnozstvi"_s, u"1 234,75"_s);
    QCOMPARE(t.value(u"mnozstvi"_s), QVariant(1234.75));
    t.setValue(u"smes"_s, 1);
    QCOMPARE(t.value(u"smes"_s), QVariant(u"1"_s));
    t.setValue(u"lomeni"_s, 2.6);
    QCOMPARE(t.value(u"lomeni"_s), QVariant(qlonglong(3)));
    t.setString(u"datum"_s, u"5.8.2026"_s);
    QCOMPARE(t.asDate(u"datum"_s), QDate(2026, 8, 5));
    t.setString(u"datum"_s, u"2026-09-09"_s);
    QCOMPARE(t.asString(u"datum"_s), u"09.09.2026"_s);
    // Text the code page of the database cannot hold is kept here; the connection refuses it.
    t.setString(u"popis"_s, u"šipka → ok"_s);
    QCOMPARE(t.asString(u"popis"_s), u"šipka → ok"_s);

    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.setString(u"mnozstvi"_s, u"12,x"_s));
    QCOMPARE(t.asFloat(u"mnozstvi"_s), 1234.75);
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.setString(u"datum"_s, u"31.02.2026"_s));
    QCOMPARE(t.asDate(u"datum"_s), QDate(2026, 9, 9));
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.setString(u"neni_takove_pole"_s, u"x"_s));
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.value(u"neni_takove_pole"_s));

    t.setString(u"mnozstvi"_s, QString());
    QVERIFY(t.isNull(u"mnozstvi"_s));
    QCOMPARE(t.asFloat(u"mnozstvi"_s), 0.0);
    t.post();

    // Outside the edit and insert states nothing can be written.
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.setString(u"popis"_s, u"x"_s));
}

void TestWorkTable::dateNullAndZeroDateStayDistinct()
{
    m_conn->execute(u"insert into pelmixi (cislodokla, smes, datum, datumzauct) values"
                    " ('N', '1', '2026-01-02', NULL), ('Z', '1', '2026-01-02', '0000-00-00'),"
                    " ('D', '1', '2026-01-02', '2002-11-11')"_s);
    const ResultSet rs = m_conn->query(u"select * from pelmixi order by cislodokla"_s);
    WorkTable t(u"pelmixi20"_s);
    t.create(rs.columns());
    t.open();
    t.appendRows(rs);
    t.close();
    t.open();

    QVERIFY(t.locate(u"cislodokla"_s, u"N"_s));
    QVERIFY(t.isNull(u"datumzauct"_s));
    QVERIFY(!t.asDate(u"datumzauct"_s).isValid());
    QCOMPARE(t.asString(u"datumzauct"_s), QString());

    QVERIFY(t.locate(u"cislodokla"_s, u"Z"_s));
    QVERIFY(!t.isNull(u"datumzauct"_s));
    QCOMPARE(t.value(u"datumzauct"_s).typeId(), int(QMetaType::QDate));
    QVERIFY(!t.asDate(u"datumzauct"_s).isValid());

    QVERIFY(t.locate(u"cislodokla"_s, u"D"_s));
    QCOMPARE(t.asDate(u"datumzauct"_s), QDate(2002, 11, 11));

    t.edit();
    t.setDate(u"datumzauct"_s, QDate());
    t.post();
    QVERIFY(!t.isNull(u"datumzauct"_s));
    t.edit();
    t.clear(u"datumzauct"_s);
    t.post();
    t.close();
    t.open();
    QVERIFY(t.locate(u"cislodokla"_s, u"D"_s));
    QVERIFY(t.isNull(u"datumzauct"_s));
}

void TestWorkTable::displayFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");
    const QString price = QString::fromUtf16(displayformat::Price);
    const QString quantity = QString::fromUtf16(displayformat::Quantity);
    QTest::newRow("price grouped") << 1234.5 << price << u"1 234,50"_s;
    QTest::newRow("price millions") << -1234567.891 << price << u"-1 234 567,89"_s;
    QTest::newRow("price zero") << 0.0 << price << u"0,00"_s;
    QTest::newRow("price rounds up a group") << 999.999 << price << u"1 000,00"_s;
    QTest::newRow("price tiny negative") << -0.001 << price << u"0,00"_s;
    QTest::newRow("price below one") << 0.5 << price << u"0,50"_s;
    QTest::newRow("quantity fraction") << 12.5 << quantity << u"12,5"_s;
    QTest::newRow("quantity whole") << 12.0 << quantity << u"12"_s;
    QTest::newRow("quantity four places") << 0.12345 << quantity << u"0,1235"_s;
    QTest::newRow("quantity grouped") << 1500000.25 << quantity << u"1 500 000,25"_s;
    QTest::newRow("packages") << 1000000.0 << u",### ##0"_s << u"1 000 000"_s;
    QTest::newRow("package weight") << 25.5 << u",### ##0.####"_s << u"25,5"_s;
}

void TestWorkTable::displayFormats()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QCOMPARE(displayformat::format(value, format), expected);
}

void TestWorkTable::displayTextOfField()
{
    WorkTable t(u"pelmixi20"_s);
    t.create(pelmixiColumns());
    t.open();
    t.appendRecord({{u"nc"_s, 1234.5}, {u"pc"_s, 7}, {u"mnozstvi"_s, 2500.125}, {u"pr"_s, 12.5}});
    t.setDisplayFormat(u"NC"_s, QString::fromUtf16(displayformat::Price));
    t.setDisplayFormat(u"pc"_s, QString::fromUtf16(displayformat::Price));
    t.setDisplayFormat(u"mnozstvi"_s, QString::fromUtf16(displayformat::Quantity));
    QCOMPARE(t.displayText(u"nc"_s), u"1 234,50"_s);
    QCOMPARE(t.displayText(u"pc"_s), u"7,00"_s);
    QCOMPARE(t.displayText(u"mnozstvi"_s), u"2 500,125"_s);
    QCOMPARE(t.displayText(u"pr"_s), u"12,5"_s); // no format: the plain text
    QCOMPARE(t.asString(u"nc"_s), u"1234,5"_s);
}

void TestWorkTable::wholeRecordsWithLowerCaseNames()
{
    WorkTable t(u"pelmixi"_s);
    t.create(pelmixiColumns());
    t.open();
    t.appendRecord({{u"PARTIECELA"_s, u"A"_s}, {u"MNOZSTVI"_s, 1.5}});
    t.appendRecord({{u"partiecela"_s, u"B"_s}});
    t.first();
    t.edit();
    t.setFloat(u"mnozstvi"_s, 2.5);
    const QVariantMap current = t.record();
    QVERIFY(current.contains(u"partiecela"_s));
    QVERIFY(!current.contains(u"PARTIECELA"_s));
    QCOMPARE(current.value(u"mnozstvi"_s), QVariant(2.5));
    QCOMPARE(current.size(), t.columns().size());

    const QList<QVariantMap> all = t.allRecords();
    QCOMPARE(all.size(), 2);
    QCOMPARE(all.at(0).value(u"mnozstvi"_s), QVariant(2.5)); // the unposted change as shown
    QCOMPARE(all.at(1).value(u"partiecela"_s), QVariant(u"B"_s));
    QVERIFY(!all.at(1).value(u"mnozstvi"_s).isValid());
}

void TestWorkTable::closedTableRefusesWork()
{
    WorkTable t(u"pelmixi9"_s);
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.open()); // no file yet
    t.create(pelmixiColumns());
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.empty());
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.append());
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.first());
    QVERIFY(t.eof());
    QCOMPARE(t.visibleRowCount(), 0);
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.create({}));
    Column c;
    c.name = u"nc"_s;
    QVERIFY_THROWS_EXCEPTION(WorkTableError, t.create({c, c}));
}

void TestWorkTable::secondInstanceFailsClearly()
{
    const QString data = m_inst->programDir() + u"/data"_s;
    WorkTable header(u"pelmixi20"_s);
    header.create(pelmixiColumns());
    header.open();
    header.appendRecord({{u"cislodokla"_s, u"2601010001"_s}, {u"smes"_s, u"1"_s}});
    const QByteArray before = fileHash(header.filePath());
    QVERIFY(folderlock::isHeld(data));

    for (const QString &mode : {u"create"_s, u"open"_s}) {
        const SecondInstance second = runSecondInstance(mode, data);
        QCOMPARE(second.exitCode, 3);
        QVERIFY2(second.output.contains(u"používá jiná spuštěná instance programu"_s), qPrintable(second.output));
    }
    QCOMPARE(fileHash(header.filePath()), before);
    QCOMPARE(header.recordCount(), 1);
    header.first();
    QCOMPARE(header.asString(u"cislodokla"_s), u"2601010001"_s);

    // Closed tables free the folder: the other instance may now take it over.
    header.close();
    QVERIFY(!folderlock::isHeld(data));
    const SecondInstance later = runSecondInstance(u"create"_s, data);
    QVERIFY2(later.exitCode == 0, qPrintable(later.output));
}

void TestWorkTable::oneFileOpenInOneObject()
{
    WorkTable lines(u"pelmixi"_s);
    lines.create(pelmixiColumns());
    lines.open();
    WorkTable other(u"pelmixi"_s);
    QVERIFY_THROWS_EXCEPTION(WorkTableError, other.open());
    QVERIFY_THROWS_EXCEPTION(WorkTableError, other.create(pelmixiColumns()));
    QVERIFY(lines.isOpen());
    lines.appendRecord({{u"partiecela"_s, u"A"_s}});
    QCOMPARE(lines.recordCount(), 1);
}

// The second-instance mode creates or opens the header table in the given folder and reports the
// engine's message with exit code 3.
static int secondInstance(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    WorkTable t(u"pelmixi20"_s);
    t.setDirectory(QString::fromLocal8Bit(argv[3]));
    try {
        if (qstrcmp(argv[2], "create") == 0) {
            Column c;
            c.name = u"cislodokla"_s;
            t.create({c});
        }
        t.open();
    } catch (const WorkTableError &e) {
        std::fputs(e.message().toUtf8().constData(), stdout);
        return 3;
    }
    std::fputs("opened", stdout);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--second-instance") == 0)
        return secondInstance(argc, argv);
    QCoreApplication app(argc, argv);
    TestWorkTable test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_worktable.moc"
