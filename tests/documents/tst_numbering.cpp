// Document numbering: accounting year, series layouts, refused settings, the script head and
// what the head computes on the real server (sequence before 2016, register from 2016, the
// check that refuses a missing or used number).
#include "connection.h"
#include "numbering.h"
#include "script.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString database = u"t_documents_numbering"_s;
}

class TestNumbering : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void accountingYear_data();
    void accountingYear();
    void layouts_data();
    void layouts();
    void refused_data();
    void refused();
    void headBefore2016();
    void headFrom2016();
    void sequenceOnServer_data();
    void sequenceOnServer();
    void registerFrom2016();
    void numberCheck_data();
    void numberCheck();
    void exhaustedSeries_data();
    void exhaustedSeries();

private:
    // Runs the head of a new document's script and answers the number, leaving no trace.
    QString numberFromHead(const numbering::Series &series, const QString &stredisko);
    std::unique_ptr<Connection> m_db;
    std::unique_ptr<testsupport::Installation> m_installation;
    int m_terminations = 0;
};

void TestNumbering::initTestCase()
{
    testsupport::createDatabase(database, false);
    m_installation = std::make_unique<testsupport::Installation>(database);
    script::setTerminateHandler([this] { ++m_terminations; });
}

void TestNumbering::init()
{
    m_db = std::make_unique<Connection>(testsupport::serverParams(database));
    m_db->execute(u"set @@session.sql_mode=\"\""_s);
    m_db->execute(u"SET names cp1250"_s);
    m_db->execute(u"delete from pelmixi"_s);
    m_db->execute(u"delete from cisdokl"_s);
}

void TestNumbering::accountingYear_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QDate>("datum");
    QTest::addColumn<QString>("year");
    QTest::newRow("calendar, March") << u"1"_s << QDate(2015, 3, 1) << u"2015"_s;
    QTest::newRow("calendar, December") << u"1"_s << QDate(2015, 12, 31) << u"2015"_s;
    QTest::newRow("from July, March") << u"2"_s << QDate(2015, 3, 1) << u"2014"_s;
    QTest::newRow("from July, 30 June") << u"2"_s << QDate(2015, 6, 30) << u"2014"_s;
    QTest::newRow("from July, 1 July") << u"2"_s << QDate(2015, 7, 1) << u"2015"_s;
    QTest::newRow("unknown rule") << u"3"_s << QDate(2015, 7, 1) << u""_s;
    QTest::newRow("no date") << u"1"_s << QDate() << u""_s;
}

void TestNumbering::accountingYear()
{
    QFETCH(QString, rule);
    QFETCH(QDate, datum);
    QFETCH(QString, year);
    QCOMPARE(numbering::accountingYear(rule, datum), year);
}

void TestNumbering::layouts_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("stredisko");
    QTest::addColumn<QDate>("datum");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("first");
    const QDate y2015(2015, 9, 1);
    QTest::newRow("mode 0, 12") << u"1"_s << 0 << u"12"_s << y2015 << u"2015"_s << u"2015120001"_s;
    QTest::newRow("mode 0, 012") << u"1"_s << 0 << u"012"_s << y2015 << u"2015"_s << u"1500120001"_s;
    QTest::newRow("mode 1, 12") << u"1"_s << 1 << u"12"_s << y2015 << u"2015"_s << u"2615126001"_s;
    QTest::newRow("mode 1, 012") << u"1"_s << 1 << u"012"_s << y2015 << u"2015"_s << u"1560126001"_s;
    QTest::newRow("mode 0, 12, July rule, March")
        << u"2"_s << 0 << u"12"_s << QDate(2015, 3, 1) << u"2014"_s << u"2014120001"_s;
    QTest::newRow("mode 1, 101, 2024") << u"1"_s << 1 << u"101"_s << QDate(2024, 5, 5) << u"2024"_s << u"2461016001"_s;
}

void TestNumbering::layouts()
{
    QFETCH(QString, rule);
    QFETCH(int, mode);
    QFETCH(QString, stredisko);
    QFETCH(QDate, datum);
    QFETCH(QString, year);
    QFETCH(QString, first);
    QString error;
    const auto s = numbering::series(rule, mode, stredisko, datum, &error);
    QVERIFY2(s.has_value(), qPrintable(error));
    QCOMPARE(s->year, year);
    QCOMPARE(s->firstNumber, first);
    QCOMPARE(s->prefix, first.left(6));
}

void TestNumbering::refused_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("stredisko");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("year rule 3") << u"3"_s << 0 << u"12"_s << u"UcetniRok"_s;
    QTest::newRow("year rule empty") << u""_s << 0 << u"12"_s << u"UcetniRok"_s;
    QTest::newRow("mode 2") << u"1"_s << 2 << u"12"_s << u"CislovaniD"_s;
    QTest::newRow("mode -1") << u"1"_s << -1 << u"12"_s << u"CislovaniD"_s;
    QTest::newRow("one digit") << u"1"_s << 0 << u"1"_s << u"Středisko"_s;
    QTest::newRow("four digits") << u"1"_s << 0 << u"1234"_s << u"Středisko"_s;
    QTest::newRow("not digits") << u"1"_s << 0 << u"1'"_s << u"Středisko"_s;
    QTest::newRow("empty") << u"1"_s << 0 << u""_s << u"Středisko"_s;
}

void TestNumbering::refused()
{
    QFETCH(QString, rule);
    QFETCH(int, mode);
    QFETCH(QString, stredisko);
    QFETCH(QString, messagePart);
    QString error;
    QVERIFY(!numbering::series(rule, mode, stredisko, QDate(2024, 1, 1), &error).has_value());
    QVERIFY2(error.contains(messagePart), qPrintable(error));
    QVERIFY(error.contains(u"Doklad nebyl zapsán."_s));
}

void TestNumbering::headBefore2016()
{
    const auto s = numbering::series(u"1"_s, 1, u"012"_s, QDate(2015, 2, 2), nullptr);
    QVERIFY(s);
    const QStringList expected { u"BEGIN;"_s, u"SET @RokDo = '2015';"_s,
        u"INSERT INTO `cisdokl` (`STREDISKO`, `ROK`, `TYPD`, `CISLO0`, `CISLOPC`)"_s,
        u" VALUES ('012', 2015, \"KS\", 1560126001,'00');"_s, u"SET @CiDo = @pomCis;"_s, u"SET @PoDo = \"\";"_s,
        u"select @PoDo := LPAD(max(right(cislodokla,4))+1,4,\"0\") from pelmixi"_s,
        u" where stredisko = '012' AND rokd = @RokDo"_s, u" FOR UPDATE;"_s,
        u"SET @CiDo = CONCAT(\"156012\",IF(@PoDo is NULL,\"6001\",@PoDo));"_s, numbering::numberCheckLine() };
    QCOMPARE(numbering::headLines(*s, u"012"_s, u"00"_s), expected);
}

void TestNumbering::headFrom2016()
{
    const auto s = numbering::series(u"1"_s, 0, u"12"_s, QDate(2016, 1, 1), nullptr);
    QVERIFY(s);
    const QStringList expected { u"BEGIN;"_s, u"SET @RokDo = '2016';"_s,
        u"INSERT INTO `cisdokl` (`STREDISKO`, `ROK`, `TYPD`, `CISLO0`, `CISLOPC`)"_s,
        u" VALUES ('12', 2016, \"KS\", 2016120001,'O''K');"_s, u"SET @CiDo = @pomCis;"_s,
        numbering::numberCheckLine() };
    QCOMPARE(numbering::headLines(*s, u"12"_s, u"O'K"_s), expected);
}

QString TestNumbering::numberFromHead(const numbering::Series &series, const QString &stredisko)
{
    m_db->execute(u"SET @pomCis = NULL, @CiDo = NULL"_s);
    script::run(*m_db, numbering::headLines(series, stredisko, u"00"_s).join(u'\n'));
    const QString number = m_db->scalar(u"select @CiDo"_s).toString();
    m_db->execute(u"ROLLBACK"_s);
    return number;
}

void TestNumbering::sequenceOnServer_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("existing"); // cislodokla of rows of cost centre 12, year 2015
    QTest::addColumn<QString>("number");
    QTest::newRow("mode 0, none") << 0 << QStringList {} << u"2015120001"_s;
    QTest::newRow("mode 1, none") << 1 << QStringList {} << u"2615126001"_s;
    QTest::newRow("mode 0 continues 0041") << 0 << QStringList { u"2015120041"_s, u"2015120007"_s } << u"2015120042"_s;
    // Both modes share the sequence of the cost centre and year.
    QTest::newRow("mode 1 continues 0041") << 1 << QStringList { u"2015120041"_s } << u"2615120042"_s;
}

void TestNumbering::sequenceOnServer()
{
    QFETCH(int, mode);
    QFETCH(QStringList, existing);
    QFETCH(QString, number);
    for (const QString &n : existing)
        m_db->execute(u"insert into pelmixi (cislodokla, stredisko, rokd, smes) values ("_s + sqlQuote(n)
            + u", '12', '2015', '0')"_s);
    // Another cost centre's and another year's rows do not count.
    m_db->execute(u"insert into pelmixi (cislodokla, stredisko, rokd, smes) values ('2015130099', '13', '2015', '1'),"
                  u" ('2014120088', '12', '2014', '1')"_s);
    const auto s = numbering::series(u"1"_s, mode, u"12"_s, QDate(2015, 5, 5), nullptr);
    QVERIFY(s);
    QCOMPARE(numberFromHead(*s, u"12"_s), number);
    QCOMPARE(m_terminations, 0);
}

void TestNumbering::registerFrom2016()
{
    const auto s = numbering::series(u"1"_s, 0, u"12"_s, QDate(2024, 5, 5), nullptr);
    QVERIFY(s);
    // A rolled-back save gives its number back.
    QCOMPARE(numberFromHead(*s, u"12"_s), u"2024120001"_s);
    QCOMPARE(numberFromHead(*s, u"12"_s), u"2024120001"_s);
    script::run(*m_db, numbering::headLines(*s, u"12"_s, u"00"_s).join(u'\n') + u"\nCOMMIT;"_s);
    QCOMPARE(m_db->scalar(u"select @CiDo"_s).toString(), u"2024120001"_s);
    QCOMPARE(numberFromHead(*s, u"12"_s), u"2024120002"_s);
    const auto s1 = numbering::series(u"1"_s, 1, u"012"_s, QDate(2024, 5, 5), nullptr);
    QVERIFY(s1);
    QCOMPARE(numberFromHead(*s1, u"012"_s), u"2460126001"_s);
}

void TestNumbering::numberCheck_data()
{
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<bool>("passes");
    QTest::newRow("free number") << u"SET @CiDo = '2024120002'"_s << true;
    QTest::newRow("NULL") << u"SET @CiDo = NULL"_s << false;
    QTest::newRow("too short") << u"SET @CiDo = '202412001'"_s << false;
    QTest::newRow("too long") << u"SET @CiDo = '20241200001'"_s << false;
    QTest::newRow("already used") << u"SET @CiDo = '2024120001'"_s << false;
}

void TestNumbering::numberCheck()
{
    QFETCH(QString, assignment);
    QFETCH(bool, passes);
    m_db->execute(
        u"insert into pelmixi (cislodokla, stredisko, rokd, smes) values ('2024120001', '12', '2024', '1')"_s);
    m_db->execute(assignment);
    QString check = numbering::numberCheckLine();
    check.chop(1);
    bool failed = false;
    try {
        m_db->execute(check);
    } catch (const DbError &) {
        failed = true;
    }
    QCOMPARE(failed, !passes);
}

void TestNumbering::exhaustedSeries_data()
{
    QTest::addColumn<QDate>("datum");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("exhausted");
    QTest::newRow("2015, 9998") << QDate(2015, 4, 4) << u"2015129998"_s << false;
    QTest::newRow("2015, 9999") << QDate(2015, 4, 4) << u"2015129999"_s << true;
    QTest::newRow("2024, 9999") << QDate(2024, 4, 4) << u"2024129999"_s << true;
    QTest::newRow("2024, other series full") << QDate(2024, 4, 4) << u"2024139999"_s << false;
}

void TestNumbering::exhaustedSeries()
{
    QFETCH(QDate, datum);
    QFETCH(QString, last);
    QFETCH(bool, exhausted);
    m_db->execute(u"insert into pelmixi (cislodokla, stredisko, rokd, smes) values ("_s + sqlQuote(last) + u", "_s
        + sqlQuote(last.mid(4, 2)) + u", "_s + sqlQuote(last.left(4)) + u", '1')"_s);
    const auto s = numbering::series(u"1"_s, 0, u"12"_s, datum, nullptr);
    QVERIFY(s);
    QCOMPARE(numbering::isExhausted(numbering::highestSequence(*m_db, *s, u"12"_s)), exhausted);
    QVERIFY(numbering::exhaustedMessage(*s).contains(s->prefix + u"9999"_s));
}

QTEST_GUILESS_MAIN(TestNumbering)
#include "tst_numbering.moc"
