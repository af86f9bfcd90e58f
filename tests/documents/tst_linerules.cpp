// Rules of the composition lines against the demo plant on the real server: line kinds and what
// each does to the totals, the stock check and pr; the stored copy's allowance in a correction;
// two lines of one batch; the percentage limit; negative values; percentage entry; removal; the
// stock list and the stock-check statements with the cost centre quoted; the picker filter.
#include "connection.h"
#include "linerules.h"
#include "recalc.h"
#include "stocklist.h"
#include "testsupport.h"
#include "worktable.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using linerules::BatchFieldAction;
using linerules::KeepOutcome;
using linerules::LineKind;

Q_DECLARE_METATYPE(LineKind)
Q_DECLARE_METATYPE(KeepOutcome)
Q_DECLARE_METATYPE(BatchFieldAction)

namespace {

const QString Db = u"t_documents_linerules"_s;
const QString Centre = u"101"_s;

QVariantMap makeLine(const QString &partie, const QString &partiecela, int lomeni, const QString &nomenkla,
                     double mnozstvi, double pr, double nc)
{
    return {
        {u"stredisko"_s, Centre}, {u"partie"_s, partie},
        {u"partiecela"_s, partiecela}, {u"lomeni"_s, qlonglong(lomeni)}, {u"nomenkla"_s, nomenkla},
        {u"mnozstvi"_s, mnozstvi},     {u"pr"_s, pr},           {u"nc"_s, nc},
        {u"smes"_s, u"0"_s},
    };
}

QVariantMap emptyHeader()
{
    return {{u"partie"_s, u"552600006"_s}, {u"smes"_s, u"1"_s}, {u"stredisko"_s, Centre},
            {u"mnozstvi"_s, 0.0},          {u"pr"_s, 0.0},      {u"nc"_s, 0.0}};
}

linerules::LineContext context(bool worksCosted = true)
{
    return {Centre, worksCosted};
}

double num(const QVariantMap &row, const char *name)
{
    return linerules::fieldNumber(row, QString::fromLatin1(name));
}

} // namespace

class TestLineRules : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void lineKinds_data();
    void lineKinds();
    void keepLineByKind_data();
    void keepLineByKind();
    void storedCopyAllowance_data();
    void storedCopyAllowance();
    void storedQuantitySkipsTheMixRow();
    void twoStoredLinesOfOneBatch_data();
    void twoStoredLinesOfOneBatch();
    void fractionIsPartOfTheBatchKey();
    void twoLinesOfOneBatchEachAgainstTheWholeBalance();
    void percentageLimit_data();
    void percentageLimit();
    void negativeValuesAreRefused_data();
    void negativeValuesAreRefused();
    void refusedNewLineLeavesTheEditor();
    void percentEntry_data();
    void percentEntry();
    void batchField_data();
    void batchField();
    void takeOverFillsTheLine();
    void costCentreIsQuotedInTheStockCheck();
    void stockListStatement();
    void stockListOnTheServer();
    void stockListCostCentreIsQuoted();
    void worksList();
    void pickerFilter_data();
    void pickerFilter();
    void rowMarks();

    void tablesKeepAndRefuse();
    void tablesOpravitOnEmptyTable();
    void removingTheOnlyLine();
    void removalRecomputesBeforeTheRecheck();
    void removalAnsweredZpetStillRechecks();

private:
    void makeTables();
    void postLine(const QVariantMap &values);

    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WorkTable> m_header;
    std::unique_ptr<WorkTable> m_lines;
};

void TestLineRules::initTestCase()
{
    testsupport::createDatabase(Db, true);
    m_conn = std::make_unique<Connection>(testsupport::serverParams(Db));
    m_conn->execute(u"set @@session.sql_mode=\"\""_s);
}

void TestLineRules::cleanupTestCase()
{
    m_lines.reset();
    m_header.reset();
    m_conn.reset();
    testsupport::dropDatabase(Db);
}

void TestLineRules::init()
{
    m_lines.reset();
    m_header.reset();
    m_dir.reset();
    m_conn->execute(u"delete from skarta where STREDISKO = '12'"_s);
}

void TestLineRules::makeTables()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QList<Column> columns = m_conn->query(u"select * from pelmixi limit 0,1"_s).columns();
    m_header = std::make_unique<WorkTable>(u"pelmixi20"_s);
    m_lines = std::make_unique<WorkTable>(u"pelmixi"_s);
    for (WorkTable *t : {m_header.get(), m_lines.get()}) {
        t->setDirectory(m_dir->path());
        t->create(columns);
        t->open();
    }
    m_header->appendRecord({{u"cislodokla"_s, u"2601010009"_s},
                            {u"stredisko"_s, Centre},
                            {u"partie"_s, u"552600006"_s},
                            {u"smes"_s, u"1"_s},
                            {u"datum"_s, QDate(2026, 11, 20)},
                            {u"mnozstvi"_s, 0.0},
                            {u"pr"_s, 0.0},
                            {u"nc"_s, 0.0}});
}

void TestLineRules::postLine(const QVariantMap &values)
{
    m_lines->appendRecord(values);
}

// --- kinds -----------------------------------------------------------------------------------

void TestLineRules::lineKinds_data()
{
    QTest::addColumn<QString>("partie");
    QTest::addColumn<LineKind>("kind");
    QTest::addColumn<bool>("counts");
    QTest::addColumn<bool>("zeroPercent");

    QTest::newRow("batch") << u"250000101"_s << LineKind::Batch << true << false;
    QTest::newRow("mix batch") << u"552600003"_s << LineKind::Batch << true << false;
    QTest::newRow("5579") << u"557900002"_s << LineKind::Excluded << false << true;
    QTest::newRow("5570") << u"557000123"_s << LineKind::Excluded << false << true;
    QTest::newRow("work") << u"MIC"_s << LineKind::Work << false << true;
    QTest::newRow("empty") << QString() << LineKind::Other << false << false;
    QTest::newRow("8 characters") << u"25000010"_s << LineKind::Other << false << false;
    QTest::newRow("4 characters 5579") << u"5579"_s << LineKind::Other << false << true;
    QTest::newRow("trailing blanks") << u"MIC      "_s << LineKind::Work << false << true;
}

void TestLineRules::lineKinds()
{
    QFETCH(QString, partie);
    QFETCH(LineKind, kind);
    QFETCH(bool, counts);
    QFETCH(bool, zeroPercent);
    const QVariantMap line{{u"partie"_s, partie}};
    QCOMPARE(linerules::lineKind(line), kind);
    QCOMPARE(linerules::countsInTotals(line), counts);
    QCOMPARE(linerules::forcesZeroPercent(line), zeroPercent);
}

void TestLineRules::keepLineByKind_data()
{
    QTest::addColumn<QString>("partie");
    QTest::addColumn<QString>("partiecela");
    QTest::addColumn<double>("mnozstvi");
    QTest::addColumn<double>("pr");
    QTest::addColumn<KeepOutcome>("outcome");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<double>("savedPr");
    QTest::addColumn<double>("headerMnozstvi");
    QTest::addColumn<double>("headerPr");

    // The header already holds one counted line of 100 kg at 10 %.
    QTest::newRow("batch within balance")
        << u"250000101"_s << u"250000101-0441"_s << 400.0 << 40.0 << KeepOutcome::Kept << true << 40.0 << 500.0 << 50.0;
    QTest::newRow("batch whole balance")
        << u"250000101"_s << u"250000101-0441"_s << 3950.0 << 40.0 << KeepOutcome::Kept << true << 40.0 << 4050.0
        << 50.0;
    QTest::newRow("batch over balance")
        << u"250000101"_s << u"250000101-0441"_s << 3950.5 << 40.0 << KeepOutcome::StockShortfall << true << 40.0
        << 100.0 << 10.0;
    QTest::newRow("excluded within balance")
        << u"557900002"_s << u"557900002-0733"_s << 15.0 << 5.0 << KeepOutcome::Kept << true << 0.0 << 100.0 << 10.0;
    QTest::newRow("excluded over balance")
        << u"557900002"_s << u"557900002-0733"_s << 16.0 << 0.0 << KeepOutcome::StockShortfall << true << 0.0 << 100.0
        << 10.0;
    QTest::newRow("work") << u"MIC"_s << u"MIC"_s << 100000.0 << 7.0 << KeepOutcome::Kept << false << 0.0 << 100.0
                          << 10.0;
    QTest::newRow("batch without a card")
        << u"259999999"_s << u"259999999-0441"_s << 1.0 << 1.0 << KeepOutcome::StockShortfall << true << 1.0 << 100.0
        << 10.0;
    QTest::newRow("other length") << u"2500001"_s << u"2500001"_s << 100000.0 << 20.0 << KeepOutcome::Kept << false
                                  << 20.0 << 100.0 << 10.0;
    QTest::newRow("recipe line without batch")
        << QString() << QString() << 400.0 << 40.0 << KeepOutcome::Kept << false << 40.0 << 100.0 << 10.0;
}

void TestLineRules::keepLineByKind()
{
    QFETCH(QString, partie);
    QFETCH(QString, partiecela);
    QFETCH(double, mnozstvi);
    QFETCH(double, pr);
    QFETCH(KeepOutcome, outcome);
    QFETCH(bool, checked);
    QFETCH(double, savedPr);
    QFETCH(double, headerMnozstvi);
    QFETCH(double, headerPr);

    QVariantMap header = emptyHeader();
    header.insert(u"mnozstvi"_s, 100.0);
    header.insert(u"pr"_s, 10.0);
    const QList<QVariantMap> lines{
        makeLine(u"250000103"_s, u"250000103-0441"_s, 0, u"111003"_s, 100, 10, 5.0),
        makeLine(partie, partiecela, 0, u"111001"_s, mnozstvi, pr, 5.2),
    };
    const auto r = linerules::keepLine(*m_conn, header, lines, 1, true, {}, context());
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.stock.checked, checked);
    QCOMPARE(num(r.header, "mnozstvi"), headerMnozstvi);
    QCOMPARE(num(r.header, "pr"), headerPr);
    if (r.lineSaved()) {
        QCOMPARE(num(r.line, "pr"), savedPr);
        QVERIFY(r.message.isEmpty());
        QVERIFY(r.leaveEditor);
    } else {
        QCOMPARE(r.message, u"Nelze vydat! Na kartě je menší zůstatek."_s);
        QCOMPARE(r.header, header); // totals untouched
    }
}

// --- stock check -------------------------------------------------------------------------------

void TestLineRules::storedCopyAllowance_data()
{
    QTest::addColumn<QString>("partiecela");
    QTest::addColumn<double>("mnozstvi");
    QTest::addColumn<double>("available");
    QTest::addColumn<bool>("ok");

    // Card 250000101-0441 holds 3950; the stored document took 400 + 77 of it on two lines.
    // 250000103-0441 holds 2380 and the stored document did not take it.
    QTest::newRow("stored quantities kept") << u"250000101-0441"_s << 4427.0 << 4427.0 << true;
    QTest::newRow("above balance plus both stored lines") << u"250000101-0441"_s << 4427.5 << 4427.0 << false;
    QTest::newRow("above balance plus the first stored line only") << u"250000101-0441"_s << 4400.0 << 4427.0 << true;
    QTest::newRow("batch not stored: balance only") << u"250000103-0441"_s << 2380.0 << 2380.0 << true;
    QTest::newRow("batch not stored: above balance") << u"250000103-0441"_s << 2400.0 << 2380.0 << false;
}

void TestLineRules::storedCopyAllowance()
{
    QFETCH(QString, partiecela);
    QFETCH(double, mnozstvi);
    QFETCH(double, available);
    QFETCH(bool, ok);

    const QList<QVariantMap> stored{
        makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 400, 40, 5.2),
        makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 77, 0, 5.2), // both lines count
        makeLine(u"250000103"_s, u"250000103-0441"_s, 1, u"111003"_s, 500, 25, 5.0), // another fraction
    };
    QVariantMap header = emptyHeader();
    const QList<QVariantMap> lines{makeLine(partiecela.left(9), partiecela, 0, u"111001"_s, mnozstvi, 40, 5.2)};
    const auto r = linerules::keepLine(*m_conn, header, lines, 0, false, stored, context());
    QCOMPARE(r.stock.available, available);
    QCOMPARE(r.stock.ok, ok);
    QCOMPARE(r.outcome, ok ? KeepOutcome::Kept : KeepOutcome::StockShortfall);
    QCOMPARE(r.leaveEditor, ok); // a changed line that is refused stays in the editor
}

void TestLineRules::storedQuantitySkipsTheMixRow()
{
    QVariantMap mix = makeLine(u"552600003"_s, u"552600003"_s, 0, u"150003"_s, 2000, 100, 6.83);
    mix.insert(u"smes"_s, u"1"_s);
    const QList<QVariantMap> stored{mix, makeLine(u"552600003"_s, u"552600003"_s, 0, u"150003"_s, 250, 25, 6.83)};
    QCOMPARE(linerules::storedQuantity(stored, u"552600003"_s, 0), 250.0);
    QCOMPARE(linerules::storedQuantity(stored, u"552600003"_s, 60), 0.0);
    QCOMPARE(linerules::storedQuantity({mix}, u"552600003"_s, 0), 0.0);
    // Two stored lines of one batch (4 + 6) gave back 10 together.
    const QList<QVariantMap> twoLines{mix, makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 4, 0, 5.2),
                                      makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 6, 0, 5.2)};
    QCOMPARE(linerules::storedQuantity(twoLines, u"250000101-0441"_s, 0), 10.0);
}

void TestLineRules::twoStoredLinesOfOneBatch_data()
{
    QTest::addColumn<double>("mnozstvi");
    QTest::addColumn<bool>("ok");
    QTest::newRow("the unchanged 6") << 6.0 << true;
    QTest::newRow("the unchanged 4") << 4.0 << true;
    QTest::newRow("both together") << 10.0 << true;
    QTest::newRow("more than both gave back") << 10.5 << false;
}

// The stored document took 4 + 6 of card 250000120-0441, which now holds 0: keeping either
// stored line unchanged is allowed, as the save's own check allows it.
void TestLineRules::twoStoredLinesOfOneBatch()
{
    QFETCH(double, mnozstvi);
    QFETCH(bool, ok);
    const QList<QVariantMap> stored{
        makeLine(u"250000120"_s, u"250000120-0441"_s, 0, u"111001"_s, 4, 0, 5.2),
        makeLine(u"250000120"_s, u"250000120-0441"_s, 0, u"111001"_s, 6, 0, 5.2),
    };
    const auto check = linerules::checkStock(*m_conn, Centre,
                                             makeLine(u"250000120"_s, u"250000120-0441"_s, 0, u"111001"_s, mnozstvi, 0, 5.2),
                                             stored);
    QVERIFY(check.cardFound);
    QCOMPARE(check.balance, 0.0);
    QCOMPARE(check.available, 10.0);
    QCOMPARE(check.ok, ok);
}

void TestLineRules::fractionIsPartOfTheBatchKey()
{
    // 250000102-0512: fraction 0 holds 1890, fraction 1 holds 500.
    const QVariantMap fraction1 = makeLine(u"250000102"_s, u"250000102-0512"_s, 1, u"111001"_s, 600, 0, 5.35);
    const auto check = linerules::checkStock(*m_conn, Centre, fraction1, {});
    QVERIFY(check.cardFound);
    QCOMPARE(check.balance, 500.0);
    QVERIFY(!check.ok);
}

void TestLineRules::twoLinesOfOneBatchEachAgainstTheWholeBalance()
{
    // Card 250000109-0733 holds 440: each line of 300 passes on its own though together they
    // take 600.
    QVariantMap header = emptyHeader();
    QList<QVariantMap> lines{makeLine(u"250000109"_s, u"250000109-0733"_s, 0, u"113004"_s, 300, 30, 3.5)};
    auto first = linerules::keepLine(*m_conn, header, lines, 0, true, {}, context());
    QCOMPARE(first.outcome, KeepOutcome::Kept);
    lines[0] = first.line;
    lines << makeLine(u"250000109"_s, u"250000109-0733"_s, 0, u"113004"_s, 300, 30, 3.5);
    auto second = linerules::keepLine(*m_conn, first.header, lines, 1, true, {}, context());
    QCOMPARE(second.outcome, KeepOutcome::Kept);
    QCOMPARE(second.stock.balance, 440.0);
    QCOMPARE(num(second.header, "mnozstvi"), 600.0);
    QCOMPARE(num(second.header, "pr"), 60.0);
}

// --- percentage limit and negative values ---------------------------------------------------

void TestLineRules::percentageLimit_data()
{
    QTest::addColumn<QList<double>>("percents");
    QTest::addColumn<KeepOutcome>("outcome");

    QTest::newRow("exactly 100") << QList<double>{60, 40} << KeepOutcome::Kept;
    QTest::newRow("100.0001") << QList<double>{60, 40.0001} << KeepOutcome::KeptOverHundred;
    QTest::newRow("decimal parts adding up to 100") << QList<double>{60.7, 29.1, 10.2} << KeepOutcome::Kept;
    QTest::newRow("101") << QList<double>{60, 41} << KeepOutcome::KeptOverHundred;
}

void TestLineRules::percentageLimit()
{
    QFETCH(QList<double>, percents);
    QFETCH(KeepOutcome, outcome);

    // Small quantities of priced batches of 101; the last line is the one being kept.
    const QStringList batches{u"250000101-0441"_s, u"250000103-0441"_s, u"250000104-0512"_s};
    QList<QVariantMap> lines;
    for (int i = 0; i < percents.size(); ++i)
        lines << makeLine(batches.at(i).left(9), batches.at(i), 0, u"11100"_s + QString::number(i + 1), 10,
                          percents.at(i), 2.0 + i);
    const auto r = linerules::keepLine(*m_conn, emptyHeader(), lines, int(lines.size()) - 1, true, {}, context());
    QCOMPARE(r.outcome, outcome);
    QVERIFY(r.lineSaved());
    QCOMPARE(r.leaveEditor, outcome == KeepOutcome::Kept);
    double sum = 0;
    for (double p : percents)
        sum += p;
    QCOMPARE(num(r.header, "pr"), sum);
    QCOMPARE(num(r.header, "mnozstvi"), 10.0 * percents.size());
    // The mix NC follows the kept line even when the percentages are exceeded.
    QVERIFY(num(r.header, "nc") > 0);
    QCOMPARE(num(r.header, "nc"), recalc::mixPrice(lines, 10.0 * percents.size(), true).nc);
    QCOMPARE(r.message, outcome == KeepOutcome::Kept ? QString() : u"Překročen součet procent!"_s);
}

void TestLineRules::negativeValuesAreRefused_data()
{
    QTest::addColumn<QString>("partie");
    QTest::addColumn<double>("mnozstvi");
    QTest::addColumn<double>("pr");
    QTest::addColumn<QString>("message");

    QTest::newRow("negative quantity") << u"250000101"_s << -5.0 << 10.0 << u"Množství nesmí být záporné."_s;
    QTest::newRow("negative percentage") << u"250000101"_s << 5.0 << -10.0 << u"Procento nesmí být záporné."_s;
    QTest::newRow("negative work quantity") << u"MIC"_s << -5.0 << 0.0 << u"Množství nesmí být záporné."_s;
    QTest::newRow("recipe line with negative percentage") << QString() << 5.0 << -1.0
                                                          << u"Procento nesmí být záporné."_s;
}

void TestLineRules::negativeValuesAreRefused()
{
    QFETCH(QString, partie);
    QFETCH(double, mnozstvi);
    QFETCH(double, pr);
    QFETCH(QString, message);
    const QVariantMap header = emptyHeader();
    const QList<QVariantMap> lines{makeLine(partie, partie == u"MIC"_s ? partie : partie + u"-0441"_s, 0,
                                            u"111001"_s, mnozstvi, pr, 5.2)};
    const auto r = linerules::keepLine(*m_conn, header, lines, 0, true, {}, context());
    QCOMPARE(r.outcome, KeepOutcome::InvalidValue);
    QCOMPARE(r.message, message);
    QVERIFY(!r.leaveEditor);
    QCOMPARE(r.header, header);
    QCOMPARE(r.line, lines.first()); // the typed values stay for correction
}

void TestLineRules::refusedNewLineLeavesTheEditor()
{
    const QList<QVariantMap> lines{makeLine(u"250000109"_s, u"250000109-0733"_s, 0, u"113004"_s, 441, 10, 3.5)};
    QVERIFY(linerules::keepLine(*m_conn, emptyHeader(), lines, 0, true, {}, context()).leaveEditor);
    QVERIFY(!linerules::keepLine(*m_conn, emptyHeader(), lines, 0, false, {}, context()).leaveEditor);
}

// --- percentage entry --------------------------------------------------------------------------

void TestLineRules::percentEntry_data()
{
    QTest::addColumn<QVariant>("typed");
    QTest::addColumn<bool>("percentMode");
    QTest::addColumn<double>("celkem");
    QTest::addColumn<double>("pr");
    QTest::addColumn<bool>("quantitySet");
    QTest::addColumn<double>("mnozstvi");

    QTest::newRow("percent mode") << QVariant(u"12,5"_s) << true << 1000.0 << 12.5 << true << 125.0;
    QTest::newRow("Celkem 0") << QVariant(40.0) << true << 0.0 << 40.0 << true << 0.0;
    QTest::newRow("empty becomes 0") << QVariant(QString()) << true << 1000.0 << 0.0 << true << 0.0;
    QTest::newRow("NULL becomes 0") << QVariant() << true << 1000.0 << 0.0 << true << 0.0;
    QTest::newRow("no rounding") << QVariant(u"33.3333"_s) << true << 7.0 << 33.3333 << true << 7.0 * 33.3333 / 100;
    QTest::newRow("quantity mode keeps the quantity") << QVariant(40.0) << false << 1000.0 << 40.0 << false << 0.0;
    QTest::newRow("quantity mode, empty") << QVariant(QString()) << false << 1000.0 << 0.0 << false << 0.0;
}

void TestLineRules::percentEntry()
{
    QFETCH(QVariant, typed);
    QFETCH(bool, percentMode);
    QFETCH(double, celkem);
    QFETCH(double, pr);
    QFETCH(bool, quantitySet);
    QFETCH(double, mnozstvi);
    const auto e = linerules::leavePercent(typed, percentMode, celkem);
    QCOMPARE(e.pr, pr);
    QCOMPARE(e.mnozstvi.has_value(), quantitySet);
    if (quantitySet)
        QCOMPARE(*e.mnozstvi, mnozstvi);
}

// --- leaving "Partie", take-over ---------------------------------------------------------------

void TestLineRules::batchField_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("worksCosted");
    QTest::addColumn<BatchFieldAction>("action");
    QTest::addColumn<QString>("found");

    QTest::newRow("priced work") << u"MIC"_s << true << BatchFieldAction::FillFromWork << u"MIC"_s;
    QTest::newRow("work without price, costed") << u"DOP"_s << true << BatchFieldAction::ZeroPriceWork << u"DOP"_s;
    QTest::newRow("work without price, not costed") << u"DOP"_s << false << BatchFieldAction::FillFromWork << u"DOP"_s;
    QTest::newRow("3 characters, no work") << u"XYZ"_s << true << BatchFieldAction::OpenWorksDialog << QString();
    QTest::newRow("component batch") << u"250000101"_s << true << BatchFieldAction::OpenPicker << QString();
    QTest::newRow("non-55 9 characters") << u"999999999"_s << true << BatchFieldAction::OpenPicker << QString();
    QTest::newRow("mix batch in the list") << u"552600003"_s << true << BatchFieldAction::TakeOverCard
                                           << u"552600003"_s;
    QTest::newRow("mix batch not in the list") << u"552699999"_s << true << BatchFieldAction::OpenPicker << QString();
    QTest::newRow("empty") << QString() << true << BatchFieldAction::OpenPicker << QString();
}

void TestLineRules::batchField()
{
    QFETCH(QString, code);
    QFETCH(bool, worksCosted);
    QFETCH(BatchFieldAction, action);
    QFETCH(QString, found);

    const auto works = stocklist::rowsOf(m_conn->query(stocklist::worksQuery()));
    const auto stock = stocklist::rowsOf(m_conn->query(stocklist::NactiSkl(Centre, false)));
    const auto d = linerules::leaveBatchField(code, works, stock, worksCosted);
    QCOMPARE(d.action, action);
    if (action == BatchFieldAction::FillFromWork || action == BatchFieldAction::ZeroPriceWork)
        QCOMPARE(linerules::fieldText(works.at(d.row), u"partie"_s), found);
    else if (action == BatchFieldAction::TakeOverCard)
        QCOMPARE(linerules::fieldText(stock.at(d.row), u"partie"_s), found);
    else
        QCOMPARE(d.row, -1);
    QCOMPARE(d.message, action == BatchFieldAction::ZeroPriceWork ? u"Tato práce má nulovou NC!"_s : QString());
}

void TestLineRules::takeOverFillsTheLine()
{
    const auto stock = stocklist::rowsOf(m_conn->query(stocklist::NactiSkl(Centre, false)));
    const auto soy = std::find_if(stock.cbegin(), stock.cend(), [](const QVariantMap &r) {
        return linerules::fieldText(r, u"partie"_s) == u"250000105"_s;
    });
    QVERIFY(soy != stock.cend());

    QVariantMap line = makeLine(QString(), QString(), 0, u"112001"_s, 0, 15, 0);
    line.insert(u"nazevosiva"_s, u"Sója"_s);
    const QVariantMap taken = linerules::takeOverCard(line, *soy);
    QCOMPARE(taken.value(u"partie"_s).toString(), u"250000105"_s);
    QCOMPARE(taken.value(u"partiecela"_s).toString(), u"250000105-0441"_s);
    QCOMPARE(taken.value(u"podnik"_s).toString(), u"0441"_s);
    QCOMPARE(taken.value(u"lomeni"_s).toLongLong(), 0);
    QCOMPARE(taken.value(u"nazevosiva"_s).toString(), u"Sójový extrahovaný šrot"_s);
    QCOMPARE(taken.value(u"naz_odru"_s).toString(), u"extrahovaný šrot 46 % NL"_s);
    QCOMPARE(taken.value(u"mj"_s).toString(), u"kg"_s);
    QCOMPARE(taken.value(u"nc"_s).toDouble(), 11.5);
    QCOMPARE(taken.value(u"ulc"_s).toString(), u"BRSOY2025/087"_s); // zahrpartie cut to 13 characters
    QCOMPARE(taken.value(u"mnozstvi"_s).toDouble(), 1550.0);          // quantity 0: the whole balance
    QCOMPARE(taken.value(u"pr"_s).toDouble(), 15.0);

    line.insert(u"mnozstvi"_s, 120.0);
    QCOMPARE(linerules::takeOverCard(line, *soy).value(u"mnozstvi"_s).toDouble(), 120.0);

    const auto works = stocklist::rowsOf(m_conn->query(stocklist::worksQuery()));
    const auto mic = std::find_if(works.cbegin(), works.cend(), [](const QVariantMap &r) {
        return linerules::fieldText(r, u"partie"_s) == u"MIC"_s;
    });
    QVERIFY(mic != works.cend());
    const QVariantMap work = linerules::fillFromWork(taken, *mic, 1234.5);
    QCOMPARE(work.value(u"partie"_s).toString(), u"MIC"_s);
    QCOMPARE(work.value(u"partiecela"_s).toString(), u"MIC"_s);
    QCOMPARE(work.value(u"podnik"_s).toString(), QString());
    QCOMPARE(work.value(u"lomeni"_s).toLongLong(), 0);
    QCOMPARE(work.value(u"nomenkla"_s).toString(), u"190001"_s);
    QCOMPARE(work.value(u"nazevosiva"_s).toString(), u"Míchání krmných směsí"_s);
    QCOMPARE(work.value(u"nc"_s).toDouble(), 0.6);
    QCOMPARE(work.value(u"mnozstvi"_s).toDouble(), 1234.5);
    QCOMPARE(work.value(u"pr"_s).toDouble(), 0.0);
}

// --- statements --------------------------------------------------------------------------------

void TestLineRules::costCentreIsQuotedInTheStockCheck()
{
    QCOMPARE(stocklist::stockCheckQuery(u"250000101-0441"_s, 0, u"101"_s),
             u"select partiecela,lomeni,stredisko,\n"
             "zustatek,mj,mnomenkla1,mo1,vahao1,\n"
             "ek1,vahaobalu,ulc from skarta\n"
             " where partiecela = '250000101-0441'\n"
             " AND lomeni = 0\n"
             " AND stredisko = '101'"_s);

    // A card of centre "12": compared as a number, centre "012" would take it.
    m_conn->execute(u"insert into skarta (PARTIE, STREDISKO, PODNIK, LOMENI, PARTIECELA, NOMENKLA, ZUSTATEK)"
                    " values ('250000101', '12', '0441', 0, '250000101-0441', '111001', 99999)"_s);
    const QVariantMap line = makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 5000, 0, 5.2);
    QVERIFY(linerules::checkStock(*m_conn, u"12"_s, line, {}).ok);
    const auto padded = linerules::checkStock(*m_conn, u"012"_s, line, {});
    QVERIFY(!padded.cardFound);
    QVERIFY(!padded.ok);
    const auto injected = linerules::checkStock(*m_conn, u"101' or '1'='1"_s, line, {});
    QVERIFY(!injected.cardFound);
    QVERIFY(!injected.ok);
}

void TestLineRules::stockListStatement()
{
    QCOMPARE(stocklist::NactiSkl(u"101"_s, false),
             u"select partiecela,lomeni,partie,stredisko,podnik,\n"
             "nomenkla,nazevosiva,druh,odruda,naz_dru,naz_odru,\n"
             "stupen,partiecela,lomeni,nazevosiva,zustatek,mj,poznamka,\n"
             "nc,pc,ulc,zahrpartie,misto,popis,rezervace from skarta\n"
             " where stredisko = '101'\n"
             " AND zustatek > 0\n"
             " AND lomeni < 60\n"
             " order by partiecela,lomeni"_s);
    const QStringList withCalculations = stocklist::NactiSkl(u"101"_s, true).split(u'\n');
    QCOMPARE(withCalculations.size(), 7);
    QVERIFY(!withCalculations.contains(u" AND lomeni < 60"_s));
    QCOMPARE(withCalculations.last(), u" order by partiecela,lomeni"_s);
}

void TestLineRules::stockListOnTheServer()
{
    const auto ordinaryRows = stocklist::rowsOf(m_conn->query(stocklist::NactiSkl(Centre, false)));
    const auto allRows = stocklist::rowsOf(m_conn->query(stocklist::NactiSkl(Centre, true)));
    QStringList ordinary, all;
    for (const auto *rows : {&ordinaryRows, &allRows}) {
        QString previous;
        for (const QVariantMap &r : *rows) {
            QVERIFY2(linerules::fieldNumber(r, u"zustatek"_s) > 0, "only cards with a positive balance");
            QCOMPARE(linerules::fieldText(r, u"stredisko"_s), Centre);
            const QString key = linerules::fieldText(r, u"partiecela"_s) + u'/'
                                + QString::number(linerules::fieldWhole(r, u"lomeni"_s)).rightJustified(3, u'0');
            QVERIFY2(previous < key, "ordered by partiecela, lomeni");
            previous = key;
            (rows == &ordinaryRows ? ordinary : all) << key;
        }
    }
    const QStringList calculations{u"250000103-0441/060"_s, u"250000104-0512/061"_s, u"552600003/060"_s};
    for (const QString &c : calculations) {
        QVERIFY(!ordinary.contains(c));
        QVERIFY(all.contains(c));
    }
    QCOMPARE(all.size(), ordinary.size() + calculations.size());
    QVERIFY(!ordinary.contains(u"250000120-0441/000"_s)); // balance 0
    QVERIFY(ordinary.contains(u"250000102-0512/001"_s));
    QVERIFY(!ordinary.contains(u"250000201-0441/000"_s)); // a card of 102
}

void TestLineRules::stockListCostCentreIsQuoted()
{
    m_conn->execute(u"insert into skarta (PARTIE, STREDISKO, PODNIK, LOMENI, PARTIECELA, NOMENKLA, ZUSTATEK)"
                    " values ('250000101', '12', '0441', 0, '250000101-0441', '111001', 10)"_s);
    QCOMPARE(m_conn->query(stocklist::NactiSkl(u"12"_s, false)).rowCount(), 1);
    QCOMPARE(m_conn->query(stocklist::NactiSkl(u"012"_s, false)).rowCount(), 0);
    QCOMPARE(m_conn->query(stocklist::NactiSkl(u"101' or '1'='1"_s, true)).rowCount(), 0);
}

void TestLineRules::worksList()
{
    QCOMPARE(stocklist::worksQuery(),
             u"select prace as PARTIE, NOMENKLA, NAZEVOSIVA, MJ, DAN, NC, PC, DRUH, ODRUDA, STUPEN, NAZ_DRU, NAZ_ODRU\n"
             " from cenik\n"
             "  where prace != ''\n"
             " order by partie"_s);
    QStringList codes;
    for (const QVariantMap &w : stocklist::rowsOf(m_conn->query(stocklist::worksQuery())))
        codes << linerules::fieldText(w, u"partie"_s);
    QCOMPARE(codes, (QStringList{u"DOP"_s, u"GRA"_s, u"MIC"_s, u"SRO"_s}));
}

void TestLineRules::pickerFilter_data()
{
    QTest::addColumn<QString>("partie");
    QTest::addColumn<QString>("nomenkla");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("by partie") << u"250000102"_s << u"111003"_s << u" AND partie = '250000102'"_s
                               << QStringList{u"250000102-0512/0"_s, u"250000102-0512/1"_s};
    QTest::newRow("by nomenkla") << QString() << u"111003"_s << u" AND nomenkla = '111003'"_s
                                 << QStringList{u"250000103-0441/0"_s, u"250000119-0512/0"_s};
    QTest::newRow("unknown batch") << u"999999999"_s << QString() << u" AND partie = '999999999'"_s << QStringList{};
    QTest::newRow("quote in the code") << u"2'5"_s << QString() << u" AND partie = '2''5'"_s << QStringList{};
}

void TestLineRules::pickerFilter()
{
    QFETCH(QString, partie);
    QFETCH(QString, nomenkla);
    QFETCH(QString, condition);
    QFETCH(QStringList, shown);

    const QVariantMap line{{u"partie"_s, partie}, {u"nomenkla"_s, nomenkla}};
    const auto filter = stocklist::pickerFilter(line);
    QCOMPARE(filter.sqlCondition(), condition);

    const auto stock = stocklist::rowsOf(m_conn->query(stocklist::NactiSkl(Centre, false)));
    QStringList clientSide;
    for (int i : stocklist::filterRows(stock, filter))
        clientSide << linerules::fieldText(stock.at(i), u"partiecela"_s) + u'/'
                          + QString::number(linerules::fieldWhole(stock.at(i), u"lomeni"_s));
    QCOMPARE(clientSide, shown);

    QStringList serverSide;
    for (const QVariantMap &r :
         stocklist::rowsOf(m_conn->query(stocklist::pickerQuery(Centre, false, filter))))
        serverSide << linerules::fieldText(r, u"partiecela"_s) + u'/'
                          + QString::number(linerules::fieldWhole(r, u"lomeni"_s));
    QCOMPARE(serverSide, shown);

    const auto none = stocklist::pickerFilter(QVariantMap{});
    QVERIFY(!none.isActive());
    QCOMPARE(stocklist::filterRows(stock, none).size(), stock.size());
    QCOMPARE(stocklist::pickerQuery(Centre, true, none), stocklist::NactiSkl(Centre, true));
}

void TestLineRules::rowMarks()
{
    const auto stock = stocklist::rowsOf(m_conn->query(stocklist::NactiSkl(Centre, false)));
    int reserved = 0, held = 0;
    for (const QVariantMap &r : stock) {
        const auto mark = stocklist::rowMark(r);
        const QString partie = linerules::fieldText(r, u"partie"_s);
        if (mark == stocklist::RowMark::Reserved) {
            ++reserved;
            QCOMPARE(partie, u"250000111"_s);
        } else if (mark == stocklist::RowMark::HeldLot) {
            ++held;
            QCOMPARE(partie, u"250000113"_s);
        }
    }
    QCOMPARE(reserved, 1);
    QCOMPARE(held, 1);
    // A reserved card with a /N/ lot is painted as reserved.
    QCOMPARE(stocklist::rowMark({{u"REZERVACE"_s, 5.0}, {u"ULC"_s, u"A/N/B"_s}}), stocklist::RowMark::Reserved);
}

// --- on the working tables ---------------------------------------------------------------------

void TestLineRules::tablesKeepAndRefuse()
{
    makeTables();
    // A kept new line is posted with its forced pr and the header gets the totals.
    linerules::addLine(*m_lines, m_header->record());
    QCOMPARE(m_lines->state(), WorkTable::State::Insert);
    QCOMPARE(m_lines->asString(u"cislodokla"_s), u"2601010009"_s);
    QCOMPARE(m_lines->asString(u"stredisko"_s), Centre);
    QCOMPARE(m_lines->asDate(u"datum"_s), QDate(2026, 11, 20));
    linerules::storeFields(*m_lines, makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 400, 40, 5.2));
    // storeFields posted it; open it again as the line editor would hold it
    m_lines->edit();
    auto r = linerules::keepLine(*m_conn, *m_header, *m_lines, {}, context());
    QCOMPARE(r.outcome, KeepOutcome::Kept);
    QCOMPARE(m_lines->state(), WorkTable::State::Browse);
    QCOMPARE(m_header->asFloat(u"mnozstvi"_s), 400.0);
    QCOMPARE(m_header->asFloat(u"pr"_s), 40.0);
    QCOMPARE(m_header->asFloat(u"nc"_s), 5.2);

    // An excluded line typed with a percentage is saved with pr 0.
    linerules::addLine(*m_lines, m_header->record());
    const QVariantMap excluded = makeLine(u"557900002"_s, u"557900002-0733"_s, 0, u"114006"_s, 5, 12, 120);
    for (auto [k, v] : excluded.asKeyValueRange())
        m_lines->setValue(k, v);
    r = linerules::keepLine(*m_conn, *m_header, *m_lines, {}, context());
    QCOMPARE(r.outcome, KeepOutcome::Kept);
    QCOMPARE(m_lines->recordCount(), 2);
    m_lines->goTo(1);
    QCOMPARE(m_lines->asFloat(u"pr"_s), 0.0);
    QCOMPARE(m_header->asFloat(u"pr"_s), 40.0);
    QCOMPARE(m_header->asFloat(u"nc"_s), recalc::RoundDecimals((400 * 5.2 + 5 * 120) / 400, 2));

    // A new line over the balance is dropped.
    linerules::addLine(*m_lines, m_header->record());
    const QVariantMap tooMuch = makeLine(u"250000109"_s, u"250000109-0733"_s, 0, u"113004"_s, 441, 10, 3.5);
    for (auto [k, v] : tooMuch.asKeyValueRange())
        m_lines->setValue(k, v);
    r = linerules::keepLine(*m_conn, *m_header, *m_lines, {}, context());
    QCOMPARE(r.outcome, KeepOutcome::StockShortfall);
    QVERIFY(r.leaveEditor);
    QCOMPARE(m_lines->state(), WorkTable::State::Browse);
    QCOMPARE(m_lines->recordCount(), 2);
    QCOMPARE(m_header->asFloat(u"mnozstvi"_s), 400.0);

    // A changed line over the balance keeps its saved values.
    m_lines->goTo(0);
    linerules::changeLine(*m_lines);
    m_lines->setValue(u"mnozstvi"_s, 5000.0);
    r = linerules::keepLine(*m_conn, *m_header, *m_lines, {}, context());
    QCOMPARE(r.outcome, KeepOutcome::StockShortfall);
    QVERIFY(!r.leaveEditor);
    QCOMPARE(m_lines->asFloat(u"mnozstvi"_s), 400.0);

    // A negative quantity stays typed in the pending line.
    linerules::changeLine(*m_lines);
    m_lines->setValue(u"mnozstvi"_s, -1.0);
    r = linerules::keepLine(*m_conn, *m_header, *m_lines, {}, context());
    QCOMPARE(r.outcome, KeepOutcome::InvalidValue);
    QCOMPARE(m_lines->state(), WorkTable::State::Edit);
    QCOMPARE(m_lines->asFloat(u"mnozstvi"_s), -1.0);
    m_lines->cancel();
    QCOMPARE(m_header->asFloat(u"mnozstvi"_s), 400.0);
}

void TestLineRules::tablesOpravitOnEmptyTable()
{
    makeTables();
    linerules::changeLine(*m_lines);
    QCOMPARE(m_lines->state(), WorkTable::State::Insert);
    QCOMPARE(m_lines->asString(u"cislodokla"_s), QString());
    QCOMPARE(m_lines->asString(u"stredisko"_s), QString());
    QVERIFY(!m_lines->asDate(u"datum"_s).isValid());
}

void TestLineRules::removingTheOnlyLine()
{
    makeTables();
    postLine(makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 400, 100, 5.2));
    linerules::storeFields(*m_header, {{u"mnozstvi"_s, 400.0}, {u"pr"_s, 100.0}, {u"nc"_s, 5.2}});
    const auto r = linerules::removeLine(*m_conn, *m_header, *m_lines, {}, context(), true);
    QCOMPARE(m_lines->recordCount(), 0);
    QVERIFY(r.messages.isEmpty());
    QCOMPARE(r.current, -1);
    QCOMPARE(m_header->asFloat(u"nc"_s), 0.0);
    QCOMPARE(m_header->asFloat(u"mnozstvi"_s), 0.0);
    QCOMPARE(m_header->asFloat(u"pr"_s), 0.0);
    QCOMPARE(m_header->state(), WorkTable::State::Browse);
}

void TestLineRules::removalRecomputesBeforeTheRecheck()
{
    makeTables();
    // The second line takes more than its card holds now (the balance fell since it was kept).
    postLine(makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 400, 40, 5.2));
    postLine(makeLine(u"250000109"_s, u"250000109-0733"_s, 0, u"113004"_s, 500, 60, 3.5));
    linerules::storeFields(*m_header, {{u"mnozstvi"_s, 900.0}, {u"pr"_s, 100.0}, {u"nc"_s, 4.26}});
    m_lines->goTo(0);
    const auto r = linerules::removeLine(*m_conn, *m_header, *m_lines, {}, context(), true);
    QCOMPARE(m_lines->recordCount(), 1);
    QCOMPARE(r.current, 0);
    QCOMPARE(r.messages, QStringList{u"Nelze vydat! Na kartě je menší zůstatek."_s});
    QCOMPARE(m_header->asFloat(u"mnozstvi"_s), 500.0);
    QCOMPARE(m_header->asFloat(u"pr"_s), 60.0);
    QCOMPARE(m_header->asFloat(u"nc"_s), 3.5);
    QCOMPARE(m_lines->asString(u"partie"_s), u"250000109"_s);
    QCOMPARE(m_lines->asFloat(u"mnozstvi"_s), 500.0);
}

void TestLineRules::removalAnsweredZpetStillRechecks()
{
    makeTables();
    // An imported work line still carries a percentage: the re-check forces it to 0, and the
    // header over 100 % is reported.
    postLine(makeLine(u"250000101"_s, u"250000101-0441"_s, 0, u"111001"_s, 400, 101, 5.2));
    postLine(makeLine(u"MIC"_s, u"MIC"_s, 0, u"190001"_s, 400, 5, 0.6));
    m_lines->goTo(1);
    const auto r = linerules::removeLine(*m_conn, *m_header, *m_lines, {}, context(), false);
    QCOMPARE(m_lines->recordCount(), 2);
    QCOMPARE(r.messages, QStringList{u"Překročen součet procent!"_s});
    QVERIFY(r.currentLineChanged);
    QCOMPARE(m_lines->asFloat(u"pr"_s), 0.0);
    QCOMPARE(m_header->asFloat(u"pr"_s), 101.0);
    QCOMPARE(m_header->asFloat(u"mnozstvi"_s), 400.0);
    QCOMPARE(m_header->asFloat(u"nc"_s), recalc::RoundDecimals((400 * 5.2 + 400 * 0.6) / 400, 2));
}

QTEST_GUILESS_MAIN(TestLineRules)
#include "tst_linerules.moc"
