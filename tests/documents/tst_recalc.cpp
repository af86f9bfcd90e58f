// Recalculation and pricing: rounding, the mix NC of priced lines, "Přepočítat" from the
// percentages (the 100 % check, fixed quantities per nomenclature, works, excluded lines,
// refusals that change nothing) and "z ceníku", on maps and on the editor's working tables.
#include "connection.h"
#include "linerules.h"
#include "recalc.h"
#include "testsupport.h"
#include "worktable.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString Db = u"t_documents_recalc"_s;

struct LineData {
    const char *partie;
    const char *nomenkla;
    double mnozstvi;
    double pr;
    double nc;
};

QVariantMap makeLine(const LineData &s)
{
    const QString partie = QString::fromLatin1(s.partie);
    return {{u"partie"_s, partie},
            {u"partiecela"_s, partie.size() == 9 ? partie + u"-0441"_s : partie},
            {u"lomeni"_s, qlonglong(0)},
            {u"nomenkla"_s, QString::fromLatin1(s.nomenkla)},
            {u"mnozstvi"_s, s.mnozstvi},
            {u"pr"_s, s.pr},
            {u"nc"_s, s.nc},
            {u"smes"_s, u"0"_s}};
}

QList<QVariantMap> makeLines(std::initializer_list<LineData> data)
{
    QList<QVariantMap> lines;
    for (const LineData &s : data)
        lines << makeLine(s);
    return lines;
}

QVariantMap header(double mnozstvi, double pr, double nc = 0)
{
    return {{u"partie"_s, u"552600006"_s}, {u"nomenkla"_s, u"150001"_s}, {u"smes"_s, u"1"_s},
            {u"mnozstvi"_s, mnozstvi},     {u"pr"_s, pr},                 {u"nc"_s, nc}};
}

double num(const QVariantMap &row, const char *name)
{
    return linerules::fieldNumber(row, QString::fromLatin1(name));
}

// The wheat case: two wheat batches (40 % and a fixed 150 kg), corn, soy, a work and an
// excluded line; the percentages sum to 100.
QList<QVariantMap> wheatCase()
{
    return makeLines({
        {"250000101", "111001", 0, 40, 5.20},
        {"250000102", "111001", 150, 0, 5.35},
        {"250000103", "111003", 0, 35, 5.00},
        {"250000105", "112001", 10, 25, 11.50},
        {"MIC", "190001", 0, 0, 0.60},
        {"557900002", "114006", 5, 0, 120.00},
    });
}

} // namespace

class TestRecalc : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void roundDecimals_data();
    void roundDecimals();
    void mixPrice_data();
    void mixPrice();
    void hundredPercentCheck_data();
    void hundredPercentCheck();
    void fixedQuantitiesTakeTheirShare();
    void aggregatePerNomenclature();
    void workGetsCelkemWhateverItsPercentage();
    void celkemZeroGivesZero();
    void negativeResultRefused_data();
    void negativeResultRefused();
    void shareEqualToFixedQuantityIsZero();
    void salePriceFromList_data();
    void salePriceFromList();

    void tablesRecalculation();
    void tablesRefuseDuringLineEdit();

private:
    std::unique_ptr<Connection> m_conn;
};

void TestRecalc::initTestCase()
{
    testsupport::createDatabase(Db, true);
    m_conn = std::make_unique<Connection>(testsupport::serverParams(Db));
    m_conn->execute(u"set @@session.sql_mode=\"\""_s);
}

void TestRecalc::cleanupTestCase()
{
    m_conn.reset();
    testsupport::dropDatabase(Db);
}

void TestRecalc::roundDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("rounded");

    QTest::newRow("half up") << 1.125 << 2 << 1.13;
    QTest::newRow("negative half away from zero") << -1.125 << 2 << -1.13;
    QTest::newRow("below half") << 1.124 << 2 << 1.12;
    QTest::newRow("whole half") << 2.5 << 0 << 3.0;
    QTest::newRow("whole negative half") << -2.5 << 0 << -3.0;
    QTest::newRow("line price") << 3.333 * 10 << 2 << 33.33;
    QTest::newRow("mix price") << 55.55 / 30 << 2 << 1.85;
    QTest::newRow("four decimals") << 6.12345 << 4 << 6.1235;
    QTest::newRow("zero") << 0.0 << 2 << 0.0;
}

void TestRecalc::roundDecimals()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, rounded);
    QCOMPARE(recalc::RoundDecimals(value, decimals), rounded);
}

void TestRecalc::mixPrice_data()
{
    QTest::addColumn<QList<QVariantMap>>("lines");
    QTest::addColumn<double>("mixQuantity");
    QTest::addColumn<bool>("worksCosted");
    QTest::addColumn<double>("nc");
    QTest::addColumn<bool>("missing");

    QTest::newRow("10 x 3.333 + 20 x 1.111 over 30")
        << makeLines({{"250000101", "111001", 10, 0, 3.333}, {"250000103", "111003", 20, 0, 1.111}}) << 30.0 << true
        << 1.85 << false;
    QTest::newRow("a line with NC 0")
        << makeLines({{"250000101", "111001", 10, 50, 5.2}, {"250000103", "111003", 10, 50, 0}}) << 20.0 << true << 0.0
        << true;
    QTest::newRow("empty line table") << QList<QVariantMap>{} << 100.0 << true << 0.0 << false;
    QTest::newRow("mix quantity 0") << makeLines({{"250000101", "111001", 10, 100, 5.2}}) << 0.0 << true << 0.0
                                    << false;
    QTest::newRow("works costed")
        << makeLines({{"250000101", "111001", 100, 100, 5.2}, {"MIC", "190001", 100, 0, 0.6}}) << 100.0 << true << 5.8
        << false;
    QTest::newRow("works not costed")
        << makeLines({{"250000101", "111001", 100, 100, 5.2}, {"MIC", "190001", 100, 0, 0.6}}) << 100.0 << false
        << 5.2 << false;
    QTest::newRow("unpriced work, costed")
        << makeLines({{"250000101", "111001", 100, 100, 5.2}, {"DOP", "190003", 100, 0, 0}}) << 100.0 << true << 0.0
        << true;
    QTest::newRow("unpriced work, not costed")
        << makeLines({{"250000101", "111001", 100, 100, 5.2}, {"DOP", "190003", 100, 0, 0}}) << 100.0 << false << 5.2
        << false;
    QTest::newRow("excluded line is priced")
        << makeLines({{"250000101", "111001", 100, 100, 5.2}, {"557900002", "114006", 5, 0, 120}}) << 100.0 << false
        << 11.2 << false;
    QTest::newRow("recipe line without batch, costed")
        << makeLines({{"250000101", "111001", 100, 100, 5.2}, {"", "111003", 100, 0, 0}}) << 100.0 << true << 0.0
        << true;
    QTest::newRow("recipe line without batch, not costed")
        << makeLines({{"250000101", "111001", 100, 100, 5.2}, {"", "111003", 100, 0, 0}}) << 100.0 << false << 5.2
        << false;
    QTest::newRow("each line rounded before the sum")
        << makeLines({{"250000101", "111001", 1, 50, 0.004}, {"250000103", "111003", 1, 50, 0.004}}) << 0.01 << true
        << 0.0 << false;
}

void TestRecalc::mixPrice()
{
    QFETCH(QList<QVariantMap>, lines);
    QFETCH(double, mixQuantity);
    QFETCH(bool, worksCosted);
    QFETCH(double, nc);
    QFETCH(bool, missing);

    const auto price = recalc::mixPrice(lines, mixQuantity, worksCosted);
    QCOMPARE(price.nc, nc);
    QCOMPARE(price.priceMissing, missing);
    QVariantMap h = header(mixQuantity, 100, 99.99);
    recalc::spoctiKC(h, lines, worksCosted);
    QCOMPARE(num(h, "nc"), nc);
}

void TestRecalc::hundredPercentCheck_data()
{
    QTest::addColumn<double>("pr");
    QTest::addColumn<bool>("ok");

    QTest::newRow("100") << 100.0 << true;
    QTest::newRow("99.5 rounds to 100") << 99.5 << true;
    QTest::newRow("100.5 rounds to 100") << 100.5 << true;
    QTest::newRow("99.4") << 99.4 << false;
    QTest::newRow("100.6") << 100.6 << false;
    QTest::newRow("101.5 rounds to 102") << 101.5 << false;
    QTest::newRow("98.5 rounds to 98") << 98.5 << false;
    QTest::newRow("0") << 0.0 << false;
}

void TestRecalc::hundredPercentCheck()
{
    QFETCH(double, pr);
    QFETCH(bool, ok);
    const QList<QVariantMap> lines = wheatCase();
    const QVariantMap h = header(155, pr, 7.77);
    const auto r = recalc::prepocitat(h, lines, 1000, true);
    QCOMPARE(r.ok, ok);
    if (!ok) {
        QCOMPARE(r.message, u"Nelze přepočítat. Není 100%."_s);
        QCOMPARE(r.lines, lines);
        QCOMPARE(r.header, h);
    } else {
        QVERIFY(r.message.isEmpty());
    }
}

void TestRecalc::fixedQuantitiesTakeTheirShare()
{
    const QList<QVariantMap> lines = wheatCase();
    const auto r = recalc::prepocitat(header(165, 100), lines, 1000, true);
    QVERIFY(r.ok);
    QList<double> quantities;
    for (const QVariantMap &l : r.lines)
        quantities << num(l, "mnozstvi");
    // wheat 40 % - the fixed 150 kg of wheat; the fixed line keeps 150; corn 35 %; soy 25 % (its
    // typed 10 kg is replaced); the work gets Celkem; the excluded line keeps its 5 kg.
    QCOMPARE(quantities, (QList<double>{250, 150, 350, 250, 1000, 5}));
    QCOMPARE(num(r.header, "mnozstvi"), 1000.0);
    QCOMPARE(num(r.header, "pr"), 100.0);
    const double sum = 250 * 5.20 + 150 * 5.35 + 350 * 5.00 + 250 * 11.50 + 1000 * 0.60 + 5 * 120.0;
    QCOMPARE(num(r.header, "nc"), recalc::RoundDecimals(sum / 1000, 2));
    QCOMPARE(num(r.header, "nc"), 7.93);
}

void TestRecalc::aggregatePerNomenclature()
{
    const auto rows = recalc::aggregateByNomenclature(wheatCase());
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0).nomenkla, u"111001"_s);
    QCOMPARE(rows.at(0).pr, 40.0);
    QCOMPARE(rows.at(0).mnozstvi, 150.0);
    QCOMPARE(rows.at(2).nomenkla, u"112001"_s);
    QCOMPARE(rows.at(2).mnozstvi, 0.0); // its only line has a percentage
    QCOMPARE(rows.at(4).nomenkla, u"114006"_s);
    QCOMPARE(rows.at(4).mnozstvi, 5.0);
}

void TestRecalc::workGetsCelkemWhateverItsPercentage()
{
    const QList<QVariantMap> lines =
        makeLines({{"250000101", "111001", 0, 97, 5.2}, {"SRO", "190002", 12, 3, 0.35}, {"MIC", "190001", 7, 0, 0.6}});
    const auto r = recalc::prepocitat(header(0, 100), lines, 800, false);
    QVERIFY(r.ok);
    QCOMPARE(num(r.lines.at(0), "mnozstvi"), 776.0);
    QCOMPARE(num(r.lines.at(1), "mnozstvi"), 800.0);
    QCOMPARE(num(r.lines.at(2), "mnozstvi"), 800.0);
    QCOMPARE(num(r.header, "mnozstvi"), 776.0);
    QCOMPARE(num(r.header, "pr"), 97.0);
    QCOMPARE(num(r.header, "nc"), 5.2); // works are not costed here
}

void TestRecalc::celkemZeroGivesZero()
{
    // "Přepočítat" takes "Celkem" as it stands, also 0 (the field's value after every opening).
    const QList<QVariantMap> lines = makeLines({{"250000101", "111001", 400, 40, 5.20},
                                                {"250000103", "111003", 350, 35, 5.00},
                                                {"250000105", "112001", 250, 25, 11.50},
                                                {"MIC", "190001", 1000, 0, 0.60},
                                                {"557900002", "114006", 5, 0, 120.00}});
    const auto r = recalc::prepocitat(header(1000, 100, 7.0), lines, 0, true);
    QVERIFY(r.ok);
    QList<double> quantities;
    for (const QVariantMap &l : r.lines)
        quantities << num(l, "mnozstvi");
    QCOMPARE(quantities, (QList<double>{0, 0, 0, 0, 5}));
    QCOMPARE(num(r.header, "mnozstvi"), 0.0);
    QCOMPARE(num(r.header, "nc"), 0.0);
}

void TestRecalc::negativeResultRefused_data()
{
    QTest::addColumn<QList<QVariantMap>>("lines");
    QTest::addColumn<double>("celkem");
    QTest::addColumn<QString>("message");

    QTest::newRow("fixed quantity above the share")
        << makeLines({{"250000101", "111001", 0, 10, 5.2}, {"250000102", "111001", 150, 0, 5.35},
                      {"250000103", "111003", 0, 90, 5.0}})
        << 1000.0 << u"Nelze přepočítat. Řádek 250000101 by měl záporné množství -50."_s;
    QTest::newRow("recipe line without batch")
        << makeLines({{"", "111001", 0, 10, 0}, {"250000102", "111001", 100.5, 0, 5.35}, {"", "111003", 0, 90, 0}})
        << 1000.0 << u"Nelze přepočítat. Řádek 111001 by měl záporné množství -0,5."_s;
    QTest::newRow("negative Celkem")
        << makeLines({{"250000101", "111001", 0, 100, 5.2}, {"MIC", "190001", 0, 0, 0.6}}) << -10.0
        << u"Nelze přepočítat. Řádek 250000101 by měl záporné množství -10."_s;
    QTest::newRow("Celkem 0 with a fixed quantity")
        << makeLines({{"250000101", "111001", 0, 40, 5.2}, {"250000102", "111001", 150, 0, 5.35},
                      {"250000103", "111003", 0, 60, 5.0}})
        << 0.0 << u"Nelze přepočítat. Řádek 250000101 by měl záporné množství -150."_s;
}

void TestRecalc::negativeResultRefused()
{
    QFETCH(QList<QVariantMap>, lines);
    QFETCH(double, celkem);
    QFETCH(QString, message);
    const QVariantMap h = header(123, 100, 4.56);
    const auto r = recalc::prepocitat(h, lines, celkem, true);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(r.lines, lines);
    QCOMPARE(r.header, h);
}

void TestRecalc::shareEqualToFixedQuantityIsZero()
{
    // 1 × 33.3 ÷ 100 lands just below 0.333 in binary: the line gets 0, not a refusal.
    const QList<QVariantMap> lines = makeLines({{"250000101", "111001", 0, 33.3, 5.2},
                                                {"250000102", "111001", 0.333, 0, 5.35},
                                                {"250000103", "111003", 0, 66.7, 5}});
    const auto r = recalc::prepocitat(header(0, 100), lines, 1, true);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(num(r.lines.at(0), "mnozstvi"), 0.0);
    QCOMPARE(num(r.lines.at(1), "mnozstvi"), 0.333);
}

void TestRecalc::salePriceFromList_data()
{
    QTest::addColumn<QString>("nomenkla");
    QTest::addColumn<double>("pc");

    QTest::newRow("mix") << u"150001"_s << 9.5;
    QTest::newRow("component") << u"112001"_s << 13.2;
    QTest::newRow("not in the price list") << u"999999"_s << 0.0;
    QTest::newRow("quote in the nomenclature") << u"15'0001"_s << 0.0;
}

void TestRecalc::salePriceFromList()
{
    QFETCH(QString, nomenkla);
    QFETCH(double, pc);
    QVariantMap h = header(100, 100);
    h.insert(u"nomenkla"_s, nomenkla);
    h.insert(u"pc"_s, 77.0);
    recalc::zCeniku(*m_conn, h);
    QCOMPARE(num(h, "pc"), pc);
}

void TestRecalc::tablesRecalculation()
{
    QTemporaryDir dir;
    const QList<Column> columns = m_conn->query(u"select * from pelmixi limit 0,1"_s).columns();
    WorkTable head(u"pelmixi20"_s), lines(u"pelmixi"_s), aggregate(u"pelmixi9"_s);
    for (WorkTable *t : {&head, &lines, &aggregate}) {
        t->setDirectory(dir.path());
        t->create(columns);
    }
    head.open();
    lines.open();
    head.appendRecord(header(165, 100));
    for (const QVariantMap &l : wheatCase())
        lines.appendRecord(l);
    lines.goTo(2);

    const auto r = recalc::prepocitat(head, lines, &aggregate, 1000, true);
    QVERIFY(r.ok);
    QCOMPARE(lines.recNo(), 2); // the current line stays current
    QList<double> quantities;
    for (const QVariantMap &l : lines.allRecords())
        quantities << num(l, "mnozstvi");
    QCOMPARE(quantities, (QList<double>{250, 150, 350, 250, 1000, 5}));
    QCOMPARE(head.state(), WorkTable::State::Browse);
    QCOMPARE(head.asFloat(u"mnozstvi"_s), 1000.0);
    QCOMPARE(head.asFloat(u"pr"_s), 100.0);
    QCOMPARE(head.asFloat(u"nc"_s), 7.93);
    QVERIFY(!aggregate.isOpen());
    aggregate.open();
    QCOMPARE(aggregate.recordCount(), 5);
    QVERIFY(aggregate.locate(u"nomenkla"_s, u"111001"_s));
    QCOMPARE(aggregate.asFloat(u"mnozstvi"_s), 150.0);
    QCOMPARE(aggregate.asFloat(u"pr"_s), 40.0);
    aggregate.close();

    // "z ceníku" and spoctiKC on the header table.
    recalc::zCeniku(*m_conn, head);
    QCOMPARE(head.asFloat(u"pc"_s), 9.5);
    lines.goTo(0);
    lines.edit();
    lines.setValue(u"nc"_s, 0.0);
    lines.post();
    QVERIFY(recalc::spoctiKC(head, lines, true));
    QCOMPARE(head.asFloat(u"nc"_s), 0.0);

    // A second run with the same data refills the aggregate table instead of adding to it.
    QVERIFY(recalc::prepocitat(head, lines, &aggregate, 1000, true).ok);
    aggregate.open();
    QCOMPARE(aggregate.recordCount(), 5);
    aggregate.close();
}

void TestRecalc::tablesRefuseDuringLineEdit()
{
    QTemporaryDir dir;
    const QList<Column> columns = m_conn->query(u"select * from pelmixi limit 0,1"_s).columns();
    WorkTable head(u"pelmixi20"_s), lines(u"pelmixi"_s);
    for (WorkTable *t : {&head, &lines}) {
        t->setDirectory(dir.path());
        t->create(columns);
        t->open();
    }
    head.appendRecord(header(1000, 100, 6.5));
    for (const QVariantMap &l : wheatCase())
        lines.appendRecord(l);
    // A line being added that has not passed its stock check yet.
    lines.append();
    lines.setValue(u"partie"_s, u"250000101"_s);
    lines.setValue(u"nc"_s, 0.0);
    lines.setValue(u"mnozstvi"_s, 99999.0);

    const auto r = recalc::prepocitat(head, lines, nullptr, 1000, true);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, u"Nejprve dokončete úpravu řádku."_s);
    QVERIFY(!recalc::spoctiKC(head, lines, true));
    QCOMPARE(lines.state(), WorkTable::State::Insert);
    QCOMPARE(lines.recordCount(), 6);
    QCOMPARE(head.asFloat(u"nc"_s), 6.5);
    QCOMPARE(head.asFloat(u"mnozstvi"_s), 1000.0);
}

QTEST_GUILESS_MAIN(TestRecalc)
#include "tst_recalc.moc"
