// The document list without widgets: the list and lines queries line by line (and what they find
// on the server), the caption, the year items, the row shading and the cell texts.
#include "connection.h"
#include "documentlist.h"
#include "listpager.h"
#include "testsupport.h"

#include <QDate>
#include <QTest>

using namespace documentlist;

namespace {
const QString database = QStringLiteral("t_documents_list");
}

class TestDocumentList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void listQuery_data();
    void listQuery();
    void listQueryFindsRows_data();
    void listQueryFindsRows();
    void linesQuery();
    void caption();
    void yearItemsReachCurrentYear();
    void rowShade_data();
    void rowShade();
    void cellText_data();
    void cellText();
    void orderRead_data();
    void orderRead();
    void pageLines();
    void pagesCoverTheList_data();
    void pagesCoverTheList();
    void upToTargetAndRestOfField();

private:
    std::unique_ptr<Connection> db;
};

void TestDocumentList::initTestCase()
{
    testsupport::createDatabase(database, false);
    db = std::make_unique<Connection>(testsupport::serverParams(database));
    db->execute(QStringLiteral("set @@session.sql_mode=\"\""));
    db->execute(QStringLiteral("INSERT INTO pelmixi (cislodokla, stredisko, smes, rokd, nc) VALUES "
                               "('1810100001', '101', '1', '2018', 1), ('1810100001', '101', '0', '2018', 2),"
                               "('1910100001', '101', '1', '2019', 0), ('1810100002', '101', '1', '2018', 3),"
                               "('26Q1200001', '1''2', '1', '2026', 1), ('26B1200001', '1\\\\2', '1', '2026', 1),"
                               "('2610200001', '102', '1', '2026', 1)"));
}

void TestDocumentList::listQuery_data()
{
    QTest::addColumn<QString>("costCentre");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QStringList>("lines");

    const QString order = defaultOrderClause();
    QTest::newRow("all years") << "101"
                               << ""
                               << "" << order
                               << QStringList { QStringLiteral("select * from pelmixi"), QString(),
                                      QStringLiteral(" where stredisko = '101'"), QStringLiteral(" and smes = '1'"),
                                      QStringLiteral("order by cislodokla  DESC") };
    QTest::newRow("year 2018") << "101"
                               << "2018"
                               << "" << order
                               << QStringList { QStringLiteral("select * from pelmixi"), QString(),
                                      QStringLiteral(" where stredisko = '101'"), QStringLiteral(" and smes = '1'"),
                                      QStringLiteral(" AND rokd = '2018'"),
                                      QStringLiteral("order by cislodokla  DESC") };
    QTest::newRow("filter on the number")
        << "101"
        << ""
        << "where cislodokla = '1810100001'" << order
        << QStringList { QStringLiteral("select * from pelmixi"), QStringLiteral("where cislodokla = '1810100001'"),
               QStringLiteral(" AND stredisko = '101'"), QStringLiteral(" and smes = '1'"),
               QStringLiteral("order by cislodokla  DESC") };
    QTest::newRow("quote in the cost centre")
        << "1'2"
        << ""
        << "" << order
        << QStringList { QStringLiteral("select * from pelmixi"), QString(),
               QStringLiteral(" where stredisko = '1''2'"), QStringLiteral(" and smes = '1'"),
               QStringLiteral("order by cislodokla  DESC") };
    QTest::newRow("filter, year and another order")
        << "102"
        << "2026"
        << "where nc >= 1"
        << "order by nc DESC"
        << QStringList { QStringLiteral("select * from pelmixi"), QStringLiteral("where nc >= 1"),
               QStringLiteral(" AND stredisko = '102'"), QStringLiteral(" and smes = '1'"),
               QStringLiteral(" AND rokd = '2026'"), QStringLiteral("order by nc DESC") };
}

void TestDocumentList::listQuery()
{
    QFETCH(QString, costCentre);
    QFETCH(QString, year);
    QFETCH(QString, filter);
    QFETCH(QString, order);
    QFETCH(QStringList, lines);
    QCOMPARE(listQueryLines(ListScope { costCentre, year, filter, order }), lines);
}

void TestDocumentList::listQueryFindsRows_data()
{
    QTest::addColumn<QString>("costCentre");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("numbers"); // separated by blanks
    QTest::newRow("all years, newest first") << "101"
                                             << ""
                                             << ""
                                             << "1910100001 1810100002 1810100001";
    QTest::newRow("one year") << "101"
                              << "2018"
                              << ""
                              << "1810100002 1810100001";
    QTest::newRow("a year without documents") << "101"
                                              << "2020"
                                              << ""
                                              << "";
    QTest::newRow("filtered") << "101"
                              << ""
                              << "where nc = 0"
                              << "1910100001";
    QTest::newRow("single quote") << "1'2"
                                  << ""
                                  << ""
                                  << "26Q1200001";
    QTest::newRow("backslash") << "1\\2"
                               << ""
                               << ""
                               << "26B1200001";
    QTest::newRow("quote and backslash are not confused") << "1\\'"
                                                          << ""
                                                          << ""
                                                          << "";
    QTest::newRow("unknown cost centre") << "999"
                                         << ""
                                         << ""
                                         << "";
}

void TestDocumentList::listQueryFindsRows()
{
    QFETCH(QString, costCentre);
    QFETCH(QString, year);
    QFETCH(QString, filter);
    QFETCH(QString, numbers);
    const ResultSet r = db->query(joinLines(listQueryLines(ListScope { costCentre, year, filter })));
    QStringList found;
    for (int i = 0; i < r.rowCount(); ++i)
        found << r.text(i, QStringLiteral("cislodokla"));
    QCOMPARE(found.join(QLatin1Char(' ')), numbers);
    // Every column of the table, in its order.
    QCOMPARE(r.columns().first().name, QStringLiteral("cislodokla"));
    QCOMPARE(r.columns().last().name, QStringLiteral("id"));
}

void TestDocumentList::linesQuery()
{
    QCOMPARE(linesQueryLines(QStringLiteral("1810100001")),
        QStringList({ QStringLiteral("select pelmixi.* from pelmixi"),
            QStringLiteral(" where cislodokla = '1810100001'"), QStringLiteral(" and pelmixi.smes = 0") }));
    const ResultSet r = db->query(joinLines(linesQueryLines(QStringLiteral("1810100001"))));
    QCOMPARE(r.rowCount(), 1);
    QCOMPARE(r.number(0, QStringLiteral("nc")), 2.0);
    QCOMPARE(linesQueryLines(QStringLiteral("x' or '1'='1")).at(1),
        QStringLiteral(" where cislodokla = 'x'' or ''1''=''1'"));
    QCOMPARE(db->query(joinLines(linesQueryLines(QStringLiteral("x' or '1'='1")))).rowCount(), 0);
}

void TestDocumentList::caption()
{
    QCOMPARE(listCaption(QString(), QStringLiteral("Žádný filtr")), QStringLiteral("Seznam dokladů Krmné směsi"));
    QCOMPARE(listCaption(QStringLiteral("where nc = 0"), QStringLiteral("nc = 0")),
        QStringLiteral("Seznam dokladů Krmné směsi - filtr: nc = 0"));
}

void TestDocumentList::yearItemsReachCurrentYear()
{
    QCOMPARE(yearItems(2026),
        QStringList({ QStringLiteral("Vše"), QStringLiteral("2026"), QStringLiteral("2025"), QStringLiteral("2024"),
            QStringLiteral("2023"), QStringLiteral("2022"), QStringLiteral("2021"), QStringLiteral("2020"),
            QStringLiteral("2019"), QStringLiteral("2018"), QStringLiteral("2017") }));
    // The fixed items stay even on a machine whose clock is behind.
    QCOMPARE(yearItems(2019),
        QStringList({ QStringLiteral("Vše"), QStringLiteral("2020"), QStringLiteral("2019"), QStringLiteral("2018"),
            QStringLiteral("2017") }));
}

void TestDocumentList::rowShade_data()
{
    QTest::addColumn<QVariant>("nc");
    QTest::addColumn<int>("ksJaknc");
    QTest::addColumn<int>("shade");
    const int normal = int(RowShade::Normal);
    const int red = int(RowShade::Red);
    const int rose = int(RowShade::Rose);
    QTest::newRow("0, KS_JAKNC 1") << QVariant(0.0) << 1 << red;
    QTest::newRow("0, KS_JAKNC 0") << QVariant(0.0) << 0 << rose;
    QTest::newRow("0, KS_JAKNC 2") << QVariant(0.0) << 2 << rose;
    QTest::newRow("NULL reads as 0") << QVariant() << 1 << red;
    QTest::newRow("a small price") << QVariant(0.001) << 1 << normal;
    QTest::newRow("negative price") << QVariant(-3.5) << 0 << normal;
    QTest::newRow("priced, KS_JAKNC 2") << QVariant(7.84) << 2 << normal;
}

void TestDocumentList::rowShade()
{
    QFETCH(QVariant, nc);
    QFETCH(int, ksJaknc);
    QFETCH(int, shade);
    QCOMPARE(int(documentlist::rowShade(nc, ksJaknc)), shade);
}

void TestDocumentList::cellText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal comma") << QVariant(12.5) << int(FieldKind::Float) << "12,5";
    QTest::newRow("whole float") << QVariant(1000.0) << int(FieldKind::Float) << "1000";
    QTest::newRow("no binary noise") << QVariant(0.1 + 0.2) << int(FieldKind::Float) << "0,3";
    QTest::newRow("date") << QVariant(QDate(2020, 3, 7)) << int(FieldKind::Date) << "07.03.2020";
    QTest::newRow("NULL date") << QVariant() << int(FieldKind::Date) << "";
    QTest::newRow("integer") << QVariant(qlonglong(60)) << int(FieldKind::Integer) << "60";
    QTest::newRow("text") << QVariant(QStringLiteral("Pšenice krmná")) << int(FieldKind::Text) << "Pšenice krmná";
}

void TestDocumentList::cellText()
{
    QFETCH(QVariant, value);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QCOMPARE(displayText(value, FieldKind(kind)), text);
}

void TestDocumentList::orderRead_data()
{
    QTest::addColumn<QString>("clause");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("descending");
    QTest::newRow("default") << defaultOrderClause() << QStringLiteral("cislodokla") << true;
    QTest::newRow("ascending") << QStringLiteral("order by nc") << QStringLiteral("nc") << false;
    QTest::newRow("descending") << QStringLiteral("order by datum DESC") << QStringLiteral("datum") << true;
    QTest::newRow("two fields") << QStringLiteral("order by nc, datum") << QString() << false;
    QTest::newRow("expression") << QStringLiteral("order by nc+1") << QString() << false;
    QTest::newRow("empty") << QString() << QString() << false;
}

void TestDocumentList::orderRead()
{
    QFETCH(QString, clause);
    QFETCH(QString, field);
    QFETCH(bool, descending);
    const ListOrder order = parseOrder(clause);
    QCOMPARE(order.field, field);
    QCOMPARE(order.descending, descending);
}

// The first page is the list query's lines unchanged followed by the paging lines; a further
// page adds its keyset line before the order clause.
void TestDocumentList::pageLines()
{
    Connection unused(testsupport::serverParams(database));
    ListScope scope;
    scope.costCentre = QStringLiteral("101");
    const QStringList list = listQueryLines(scope);
    ListPager pager(unused, list, 3, 5);
    QVERIFY(pager.pageable());
    QCOMPARE(pager.firstPageLines(), list + QStringList({ QStringLiteral(", id DESC"), QStringLiteral(" limit 3") }));

    const ResultSet held({ Column { QStringLiteral("cislodokla") }, Column { QStringLiteral("id"), FieldKind::Integer } },
        { { QStringLiteral("1810100002"), 4LL } });
    QCOMPARE(pager.nextPageLines(held, 5),
        QStringList({ QStringLiteral("select * from pelmixi"), QString(), QStringLiteral(" where stredisko = '101'"),
            QStringLiteral(" and smes = '1'"),
            QStringLiteral(" and (cislodokla < '1810100002' or cislodokla = '1810100002' and id < 4 or cislodokla is null)"),
            QStringLiteral("order by cislodokla  DESC"), QStringLiteral(", id DESC"), QStringLiteral(" limit 5") }));

    // An order the pager cannot continue is read whole, as before.
    scope.orderClause = QStringLiteral("order by nc, datum");
    ListPager whole(unused, listQueryLines(scope));
    QVERIFY(!whole.pageable());
    QCOMPARE(whole.firstPageLines(), listQueryLines(scope));
}

void TestDocumentList::pagesCoverTheList_data()
{
    QTest::addColumn<QString>("orderClause");
    QTest::addColumn<QString>("keyOrder");
    QTest::newRow("default") << defaultOrderClause() << QStringLiteral(", id DESC");
    QTest::newRow("ties ascending") << QStringLiteral("order by nc") << QStringLiteral(", id");
    QTest::newRow("ties descending") << QStringLiteral("order by nc DESC") << QStringLiteral(", id DESC");
    QTest::newRow("nulls ascending") << QStringLiteral("order by datum") << QStringLiteral(", id");
    QTest::newRow("nulls descending") << QStringLiteral("order by datum DESC") << QStringLiteral(", id DESC");
    QTest::newRow("text with case ties") << QStringLiteral("order by nazevosiva") << QStringLiteral(", id");
}

// Page after page, every row of the list once, in the order of the whole query.
void TestDocumentList::pagesCoverTheList()
{
    QFETCH(QString, orderClause);
    QFETCH(QString, keyOrder);
    db->execute(QStringLiteral("DELETE FROM pelmixi WHERE stredisko = '555'"));
    db->execute(QStringLiteral(
        "INSERT INTO pelmixi (cislodokla, stredisko, smes, rokd, nc, datum, nazevosiva) SELECT "
        "concat('2655', lpad(seq mod 40, 6, '0')), '555', '1', '2026', seq mod 7, "
        "if(seq mod 5 = 0, NULL, '2026-01-01' + interval (seq mod 9) day), "
        "if(seq mod 2 = 0, 'Směs a', 'SMĚS A') FROM seq_1_to_57"));
    ListScope scope;
    scope.costCentre = QStringLiteral("555");
    scope.orderClause = orderClause;
    const QStringList list = listQueryLines(scope);
    ListPager pager(*db, list, 4, 6);
    ResultSet held = pager.firstPage();
    QCOMPARE(held.rowCount(), 4);
    QVERIFY(!pager.exhausted());
    int pages = 0;
    while (!pager.exhausted() && pages++ < 100)
        held.append(pager.nextPage(held));
    QVERIFY(pager.exhausted());
    QVERIFY(pager.nextPage(held).isEmpty());

    const ResultSet whole = db->query(joinLines(list) + keyOrder);
    QCOMPARE(held.rowCount(), 57);
    QCOMPARE(whole.rowCount(), 57);
    for (qsizetype r = 0; r < whole.rowCount(); ++r)
        QCOMPARE(held.value(r, QStringLiteral("id")), whole.value(r, QStringLiteral("id")));
}

void TestDocumentList::upToTargetAndRestOfField()
{
    db->execute(QStringLiteral("DELETE FROM pelmixi WHERE stredisko = '556'"));
    db->execute(QStringLiteral("INSERT INTO pelmixi (cislodokla, stredisko, smes, rokd) SELECT "
                               "concat('2656', lpad(seq, 6, '0')), '556', '1', '2026' FROM seq_1_to_30"));
    db->execute(QStringLiteral("INSERT INTO pelmixi (cislodokla, stredisko, smes, rokd) VALUES "
                               "('2657000001', '557', '1', '2026'), ('2656000002', '556', '0', '2026')"));
    ListScope scope;
    scope.costCentre = QStringLiteral("556");
    ListPager pager(*db, listQueryLines(scope), 5, 5);
    ResultSet held = pager.firstPage();
    QCOMPARE(held.value(0, QStringLiteral("cislodokla")).toString(), QStringLiteral("2656000030"));

    // The rest of one field without holding it: 25 numbers, newest first.
    const ResultSet rest = pager.restOfField(held, QStringLiteral("cislodokla"));
    QCOMPARE(rest.columnCount(), 1);
    QCOMPARE(rest.rowCount(), 25);
    QCOMPARE(rest.value(0, 0).toString(), QStringLiteral("2656000025"));
    QCOMPARE(rest.value(24, 0).toString(), QStringLiteral("2656000001"));

    // Not in the list (another cost centre; a line row): nothing is fetched.
    QVERIFY(pager.upTo(held, QStringLiteral("cislodokla"), QStringLiteral("2657000001"), FieldKind::Text).isEmpty());
    // Up to a row further down: every row between, in order, ending with it.
    const ResultSet more = pager.upTo(held, QStringLiteral("cislodokla"), QStringLiteral("2656000003"), FieldKind::Text);
    QCOMPARE(more.rowCount(), 23);
    QCOMPARE(more.value(0, QStringLiteral("cislodokla")).toString(), QStringLiteral("2656000025"));
    QCOMPARE(more.value(22, QStringLiteral("cislodokla")).toString(), QStringLiteral("2656000003"));
    held.append(more);
    QCOMPARE(pager.nextPage(held).rowCount(), 2);
    QVERIFY(pager.exhausted());
}

QTEST_MAIN(TestDocumentList)
#include "tst_documentlist.moc"
