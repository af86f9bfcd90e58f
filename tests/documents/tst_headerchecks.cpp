// Checks of the mix header against the demo plant on the real server: the date against closed
// periods, the mix batch code, "<- partie" with and without cards under the prefix, and the
// price list from which the mix takes its identity.
#include "connection.h"
#include "headerchecks.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString Db = u"t_documents_headerchecks"_s;
const QString ClosedText = u"Datum je v již uzavřeném ÚO!"_s;

} // namespace

class TestHeaderChecks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void dateCheck_data();
    void dateCheck();
    void dateCheckReadsTheClosedPeriod();
    void batchCode_data();
    void batchCode();
    void changedBatchCodeFullCode_data();
    void changedBatchCodeFullCode();
    void unencodableText_data();
    void unencodableText();
    void typedDate_data();
    void typedDate();
    void nextBatchCode_data();
    void nextBatchCode();
    void maxPartieStatement();
    void proposeWithCardsUnderThePrefix();
    void proposeWithoutCardsUnderThePrefix();
    void proposeUnderAnotherPrefixFillsTheBatch();
    void proposalLeavingThePrefixIsRefused();
    void proposalOverNonNumericCodeIsRefused();
    void proposalWithoutPrefixIsRefused();
    void priceList();

private:
    void setPrefix(const QString &prefix);
    QVariantMap header() const;

    std::unique_ptr<Connection> m_conn;
};

void TestHeaderChecks::initTestCase()
{
    testsupport::createDatabase(Db, true);
    m_conn = std::make_unique<Connection>(testsupport::serverParams(Db));
    m_conn->execute(u"set @@session.sql_mode=\"\""_s);
}

void TestHeaderChecks::cleanupTestCase()
{
    m_conn.reset();
    testsupport::dropDatabase(Db);
}

void TestHeaderChecks::init()
{
    setPrefix(u"5526"_s);
    m_conn->execute(u"update tavrix set uzavreneuo = '202606'"_s);
    m_conn->execute(u"delete from skarta where STREDISKO = '199'"_s);
}

void TestHeaderChecks::setPrefix(const QString &prefix)
{
    m_conn->execute(u"update tavrix set ks_partie = "_s + sqlQuote(prefix));
}

QVariantMap TestHeaderChecks::header() const
{
    return {{u"partie"_s, QString()},   {u"partiecela"_s, u"keep"_s}, {u"podnik"_s, u"0441"_s},
            {u"lomeni"_s, qlonglong(3)}, {u"smes"_s, u"1"_s},          {u"stredisko"_s, u"101"_s}};
}

// --- date ----------------------------------------------------------------------------------------

void TestHeaderChecks::dateCheck_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("closed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QDate>("shown");

    const QDate reset(1900, 1, 1);
    QTest::newRow("10.11.1999, no period closed") << QDate(1999, 11, 10) << QString() << false << reset;
    QTest::newRow("10.11.1999, December 2023 closed") << QDate(1999, 11, 10) << u"202312"_s << false << reset;
    QTest::newRow("empty date") << QDate() << QString() << false << reset;
    QTest::newRow("11.11.1999, no period closed") << QDate(1999, 11, 11) << QString() << true << QDate(1999, 11, 11);
    QTest::newRow("1 December 2023") << QDate(2023, 12, 1) << u"202312"_s << false << QDate(2023, 12, 1);
    QTest::newRow("31 December 2023") << QDate(2023, 12, 31) << u"202312"_s << false << QDate(2023, 12, 31);
    QTest::newRow("June 2023") << QDate(2023, 6, 15) << u"202312"_s << false << QDate(2023, 6, 15);
    QTest::newRow("1 January 2024") << QDate(2024, 1, 1) << u"202312"_s << true << QDate(2024, 1, 1);
    QTest::newRow("closed period with blanks") << QDate(2024, 1, 1) << u"202401 "_s << false << QDate(2024, 1, 1);
}

void TestHeaderChecks::dateCheck()
{
    QFETCH(QDate, date);
    QFETCH(QString, closed);
    QFETCH(bool, ok);
    QFETCH(QDate, shown);
    const auto check = headerchecks::checkDate(date, closed);
    QCOMPARE(check.ok, ok);
    QCOMPARE(check.date, shown);
    QCOMPARE(check.reset, shown == QDate(1900, 1, 1));
    QCOMPARE(check.message, ok ? QString() : ClosedText);
}

void TestHeaderChecks::dateCheckReadsTheClosedPeriod()
{
    // The demo plant closed June 2026.
    QVERIFY(!headerchecks::checkDate(*m_conn, QDate(2026, 6, 30)).ok);
    QVERIFY(headerchecks::checkDate(*m_conn, QDate(2026, 7, 1)).ok);
    m_conn->execute(u"update tavrix set uzavreneuo = ''"_s);
    QVERIFY(headerchecks::checkDate(*m_conn, QDate(2000, 1, 1)).ok);
    const auto old = headerchecks::checkDate(*m_conn, QDate(1999, 11, 10));
    QVERIFY(!old.ok);
    QCOMPARE(old.message, ClosedText);
}

// --- batch code ----------------------------------------------------------------------------------

void TestHeaderChecks::batchCode_data()
{
    QTest::addColumn<QString>("partie");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("filled");

    QTest::newRow("55 code") << u"552600006"_s << u"5526"_s << true << true;
    QTest::newRow("55 code under another prefix") << u"553000002"_s << u"5526"_s << true << true;
    QTest::newRow("configured prefix") << u"662600001"_s << u"66"_s << true << true;
    QTest::newRow("non-55 code") << u"250000101"_s << u"5526"_s << true << false;
    QTest::newRow("non-55 code, no prefix") << u"662600001"_s << QString() << true << false;
    QTest::newRow("8 characters") << u"55260000"_s << u"5526"_s << false << false;
    QTest::newRow("10 characters") << u"5526000001"_s << u"5526"_s << false << false;
    QTest::newRow("empty") << QString() << u"5526"_s << false << false;
    QTest::newRow("trailing blanks do not count") << u"55260000 "_s << u"5526"_s << false << false;
}

void TestHeaderChecks::batchCode()
{
    QFETCH(QString, partie);
    QFETCH(QString, prefix);
    QFETCH(bool, ok);
    QFETCH(bool, filled);

    QVariantMap h = header();
    h.insert(u"partie"_s, partie);
    const auto check = headerchecks::checkBatchCode(h, prefix);
    QCOMPARE(check.ok, ok);
    QCOMPARE(check.filled, filled);
    QCOMPARE(check.message, ok ? QString() : u"Špatně zadaná partie."_s);
    if (filled) {
        QCOMPARE(check.header.value(u"partiecela"_s).toString(), partie);
        QCOMPARE(check.header.value(u"podnik"_s).toString(), QString());
        QCOMPARE(check.header.value(u"lomeni"_s).toLongLong(), 0);
    } else {
        QCOMPARE(check.header, h); // partiecela, podnik and lomeni as they were
    }
}

void TestHeaderChecks::changedBatchCodeFullCode_data()
{
    QTest::addColumn<QString>("partie");
    QTest::addColumn<QString>("partiecela");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("fullCode");

    // "<- partie" proposed 550000001, then another code was typed over it.
    QTest::newRow("another mix code") << u"550000007"_s << u"550000001"_s << true << u"550000007"_s;
    QTest::newRow("a code that is no mix code") << u"123456789"_s << u"550000001"_s << true << QString();
    QTest::newRow("full code still of this batch") << u"250000101"_s << u"250000101-0441"_s << true
                                                   << u"250000101-0441"_s;
    QTest::newRow("wrong length keeps everything") << u"1234"_s << u"550000001"_s << false << u"550000001"_s;
}

void TestHeaderChecks::changedBatchCodeFullCode()
{
    QFETCH(QString, partie);
    QFETCH(QString, partiecela);
    QFETCH(bool, ok);
    QFETCH(QString, fullCode);
    QVariantMap h = header();
    h.insert(u"partie"_s, partie);
    h.insert(u"partiecela"_s, partiecela);
    const auto check = headerchecks::checkChangedBatchCode(h, u"55"_s);
    QCOMPARE(check.ok, ok);
    QCOMPARE(check.header.value(u"partiecela"_s).toString(), fullCode);
    QCOMPARE(check.cleared, fullCode.isEmpty());
}

void TestHeaderChecks::unencodableText_data()
{
    QTest::addColumn<QString>("popis");
    QTest::addColumn<QString>("lineName");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("where");

    QTest::newRow("Czech is fine") << u"Směs pro dojnice – léto"_s << u"Pšenice ozimá"_s << -2 << QString() << QString();
    QTest::newRow("emoji is one character") << u"Směs 😀"_s << u"Pšenice"_s << -1 << u"😀"_s << u"„Popis“ obsahuje znak „😀“ (U+1F600)"_s;
    QTest::newRow("second line") << u"Směs"_s << u"Корм"_s << 1 << u"К"_s << u"„Název“ (řádek 2) obsahuje znak „К“ (U+041A)"_s;
    QTest::newRow("header before lines") << u"€ ✓"_s << u"Корм"_s << -1 << u"✓"_s << u"„Popis“ obsahuje znak „✓“ (U+2713)"_s;
}

void TestHeaderChecks::unencodableText()
{
    QFETCH(QString, popis);
    QFETCH(QString, lineName);
    QFETCH(int, line);
    QFETCH(QString, character);
    QFETCH(QString, where);
    QVariantMap h = header();
    h.insert(u"popis"_s, popis);
    h.insert(u"mnozstvi"_s, 12.5);
    const QList<QVariantMap> lines{{{u"nazevosiva"_s, u"Oves"_s}}, {{u"nazevosiva"_s, lineName}}};
    const auto found = headerchecks::findUnencodable(h, lines);
    QCOMPARE(found.has_value(), line != -2);
    if (!found)
        return;
    QCOMPARE(found->line, line);
    QCOMPARE(found->character, character);
    QVERIFY2(found->message.startsWith(u"Pole "_s + where), qPrintable(found->message));
}

void TestHeaderChecks::typedDate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("expected"); // invalid: refused

    QTest::newRow("with dots") << u"01.03.2015"_s << QDate(2015, 3, 1);
    QTest::newRow("without leading zeros") << u"1.3.2015"_s << QDate(2015, 3, 1);
    QTest::newRow("without dots") << u"01032015"_s << QDate(2015, 3, 1);
    QTest::newRow("six digits") << u"010315"_s << QDate(2015, 3, 1);
    QTest::newRow("two-digit year") << u"1.3.15"_s << QDate(2015, 3, 1);
    QTest::newRow("trailing dot") << u"1.3.2015."_s << QDate(2015, 3, 1);
    QTest::newRow("day and month keep the year") << u"15.4"_s << QDate(2026, 4, 15);
    QTest::newRow("day keeps month and year") << u"9"_s << QDate(2026, 7, 9);
    QTest::newRow("no 31st of February") << u"31.02.2026"_s << QDate();
    QTest::newRow("month 13") << u"1.13.2026"_s << QDate();
    QTest::newRow("three-digit year") << u"1.3.201"_s << QDate();
    QTest::newRow("seven digits") << u"0103201"_s << QDate();
    QTest::newRow("letters") << u"1.b.2015"_s << QDate();
    QTest::newRow("empty") << QString() << QDate();
}

void TestHeaderChecks::typedDate()
{
    QFETCH(QString, typed);
    QFETCH(QDate, expected);
    const std::optional<QDate> date = headerchecks::parseTypedDate(typed, QDate(2026, 7, 20));
    QCOMPARE(date.has_value(), expected.isValid());
    if (date)
        QCOMPARE(*date, expected);
}

// --- "<- partie" ---------------------------------------------------------------------------------

void TestHeaderChecks::nextBatchCode_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QVariant>("maxpartie");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("first code under 5526") << u"5526"_s << QVariant() << u"552600001"_s << QString();
    QTest::newRow("first code under 55") << u"55"_s << QVariant() << u"550000001"_s << QString();
    QTest::newRow("empty answer") << u"55"_s << QVariant(QString()) << u"550000001"_s << QString();
    QTest::newRow("first code under a 9-digit prefix") << u"552600001"_s << QVariant() << u"552600001"_s << QString();
    QTest::newRow("next code") << u"5526"_s << QVariant(u"552600005"_s) << u"552600006"_s << QString();
    QTest::newRow("next code over 9") << u"5526"_s << QVariant(u"552600009"_s) << u"552600010"_s << QString();
    QTest::newRow("prefix exhausted") << u"55"_s << QVariant(u"559999999"_s) << QString()
                                      << u"Nelze navrhnout partii: 560000000 už nezačíná prefixem 55."_s;
    QTest::newRow("letters in the highest code")
        << u"5528"_s << QVariant(u"5528A0001"_s) << QString()
        << u"Nelze navrhnout partii: nejvyšší partie 5528A0001 s prefixem 5528 není číslo."_s;
    QTest::newRow("short highest code") << u"5526"_s << QVariant(u"55261"_s) << QString()
                                        << u"Nelze navrhnout partii: 55262 nemá 9 znaků."_s;
    QTest::newRow("no prefix") << QString() << QVariant() << QString()
                               << u"Není nastaven prefix partií směsí (ks_partie)."_s;
    QTest::newRow("prefix with letters") << u"55A"_s << QVariant() << QString()
                                         << u"Prefix partií směsí (ks_partie) 55A není číslo."_s;
}

void TestHeaderChecks::nextBatchCode()
{
    QFETCH(QString, prefix);
    QFETCH(QVariant, maxpartie);
    QFETCH(QString, code);
    QFETCH(QString, message);
    const auto p = headerchecks::nextBatchCode(prefix, maxpartie);
    QCOMPARE(p.ok, message.isEmpty());
    QCOMPARE(p.code, code);
    QCOMPARE(p.message, message);
}

void TestHeaderChecks::maxPartieStatement()
{
    QCOMPARE(headerchecks::maxPartieQuery(u"5526"_s),
             u"select max(partie) as maxpartie from skarta where PARTIECELA LIKE \"5526%\""_s);
    QCOMPARE(headerchecks::maxPartieQuery(u"5\"_"_s),
             u"select max(partie) as maxpartie from skarta where PARTIECELA LIKE \"5\\\"\\\\_%\""_s);
    // The wildcard of a prefix is taken literally on the server.
    QVERIFY(m_conn->scalar(headerchecks::maxPartieQuery(u"5_"_s)).isNull());
}

void TestHeaderChecks::proposeWithCardsUnderThePrefix()
{
    // The highest card under 5526 is 552600005 (cost centre 102): every centre counts.
    QCOMPARE(headerchecks::mixPrefix(*m_conn), u"5526"_s);
    QVariantMap h = header();
    const auto r = headerchecks::proposeBatchCode(*m_conn, h);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.header.value(u"partie"_s).toString(), u"552600006"_s);
    QCOMPARE(r.header.value(u"partiecela"_s).toString(), u"552600006"_s);
    QCOMPARE(r.header.value(u"podnik"_s).toString(), QString());
    QCOMPARE(r.header.value(u"lomeni"_s).toLongLong(), 0);
}

void TestHeaderChecks::proposeWithoutCardsUnderThePrefix()
{
    setPrefix(u"5527"_s);
    const auto r = headerchecks::proposeBatchCode(*m_conn, header());
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.header.value(u"partie"_s).toString(), u"552700001"_s);
    QCOMPARE(r.header.value(u"partiecela"_s).toString(), u"552700001"_s);
}

void TestHeaderChecks::proposeUnderAnotherPrefixFillsTheBatch()
{
    setPrefix(u"66"_s);
    const auto r = headerchecks::proposeBatchCode(*m_conn, header());
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.header.value(u"partie"_s).toString(), u"660000001"_s);
    // Without the prefix rule partiecela would stay "keep" and the save would write a card with
    // a foreign batch code.
    QCOMPARE(r.header.value(u"partiecela"_s).toString(), u"660000001"_s);
    QCOMPARE(r.header.value(u"podnik"_s).toString(), QString());
}

void TestHeaderChecks::proposalLeavingThePrefixIsRefused()
{
    setPrefix(u"559"_s);
    m_conn->execute(u"insert into skarta (PARTIE, STREDISKO, LOMENI, PARTIECELA, NOMENKLA, ZUSTATEK)"
                    " values ('559999999', '199', 0, '559999999', '150001', 1)"_s);
    const QVariantMap h = header();
    const auto r = headerchecks::proposeBatchCode(*m_conn, h);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, u"Nelze navrhnout partii: 560000000 už nezačíná prefixem 559."_s);
    QCOMPARE(r.header, h);
}

void TestHeaderChecks::proposalOverNonNumericCodeIsRefused()
{
    setPrefix(u"5528"_s);
    m_conn->execute(u"insert into skarta (PARTIE, STREDISKO, LOMENI, PARTIECELA, NOMENKLA, ZUSTATEK)"
                    " values ('5528A0001', '199', 0, '5528A0001', '150001', 1)"_s);
    const QVariantMap h = header();
    const auto r = headerchecks::proposeBatchCode(*m_conn, h);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, u"Nelze navrhnout partii: nejvyšší partie 5528A0001 s prefixem 5528 není číslo."_s);
    QCOMPARE(r.header, h);
    QVERIFY(!headerchecks::nextBatchCode(*m_conn).ok);
}

void TestHeaderChecks::proposalWithoutPrefixIsRefused()
{
    setPrefix(QString());
    const auto r = headerchecks::proposeBatchCode(*m_conn, header());
    QVERIFY(!r.ok);
    QCOMPARE(r.message, u"Není nastaven prefix partií směsí (ks_partie)."_s);
}

// --- price list ----------------------------------------------------------------------------------

void TestHeaderChecks::priceList()
{
    QCOMPARE(headerchecks::priceListQuery(), u"select NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN,\n"
                                             " NAZ_DRU, NAZ_ODRU, VAHAO, PC\n"
                                             " from cenik\n"
                                             "  order by NAZEVOSIVA"_s);
    const ResultSet list = m_conn->query(headerchecks::priceListQuery());
    QCOMPARE(list.columnCount(), 11);
    int row = -1;
    for (qsizetype i = 0; i < list.rowCount(); ++i) {
        if (list.text(i, u"NOMENKLA"_s) == u"150004"_s)
            row = int(i);
    }
    QVERIFY(row >= 0);
    // The grid hands its row over with the server's upper-case names.
    QVariantMap item;
    for (int c = 0; c < list.columnCount(); ++c)
        item.insert(list.columns().at(c).name, list.value(row, c));
    QVariantMap h = header();
    h.insert(u"pc"_s, 1.0);
    const QVariantMap taken = headerchecks::takeOverPriceItem(h, item);
    QCOMPARE(taken.value(u"nomenkla"_s).toString(), u"150004"_s);
    QCOMPARE(taken.value(u"nazevosiva"_s).toString(), u"KS pro telata T1"_s);
    QCOMPARE(taken.value(u"mj"_s).toString(), u"kg"_s);
    QCOMPARE(taken.value(u"druh"_s).toString(), u"KSS"_s);
    QCOMPARE(taken.value(u"odruda"_s).toString(), u"T1"_s);
    QCOMPARE(taken.value(u"stupen"_s).toString(), QString());
    QCOMPARE(taken.value(u"naz_dru"_s).toString(), u"Krmná směs pro skot"_s);
    QCOMPARE(taken.value(u"naz_odru"_s).toString(), u"telata – odchov"_s);
    QCOMPARE(taken.value(u"pc"_s).toDouble(), 10.9);
    QCOMPARE(taken.value(u"partiecela"_s).toString(), u"keep"_s); // nothing else is touched
}

QTEST_GUILESS_MAIN(TestHeaderChecks)
#include "tst_headerchecks.moc"
