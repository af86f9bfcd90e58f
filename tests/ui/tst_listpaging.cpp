// The document list held in pages in the main window: a list longer than a page shows its first
// page, scrolling fetches the rest in the list's order (also after sorting by a column), the SQL
// log shows the list query followed by the paging lines, the row colours of rows fetched later,
// the search finds and takes a row not fetched yet, and positioning on a document further down
// fetches up to it.
#include "appfonts.h"
#include "connection.h"
#include "cp1250.h"
#include "documentlist.h"
#include "listpager.h"
#include "listtools.h"
#include "paths.h"
#include "resulttablemodel.h"
#include "sqllog.h"
#include "testsupport.h"
#include "tform1.h"
#include "windowtest.h"
#include "wiring.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include <memory>

using testsupport::clickButton;
using testsupport::onWindow;

namespace {

const QString database = QStringLiteral("t_ui_listpaging");
constexpr int Documents = 2500;

Connection &db()
{
    static Connection c(testsupport::serverParams(database));
    return c;
}

QStringList listNumbers(const TForm1 &w)
{
    QStringList numbers;
    for (int r = 0; r < w.listModel()->rowCount(); ++r)
        numbers << w.listModel()->value(r, QStringLiteral("cislodokla")).toString();
    return numbers;
}

QStringList expectedNumbers(const QString &order)
{
    const ResultSet rows = db().query(QStringLiteral(
        "select cislodokla from pelmixi where stredisko = '555' and smes = '1' ") + order);
    QStringList numbers;
    for (qsizetype r = 0; r < rows.rowCount(); ++r)
        numbers << rows.value(r, 0).toString();
    return numbers;
}

// Scrolls to the end as the operator does, until the list holds every row (bounded).
void scrollToEnd(TForm1 &w)
{
    for (int i = 0; i < 50 && !w.listModel()->complete(); ++i) {
        w.listGrid()->scrollToBottom();
        QCoreApplication::processEvents();
    }
}

int columnOf(const TForm1 &w, const QString &field)
{
    for (int c = 0; c < w.listModel()->columnCount(); ++c) {
        if (w.listModel()->headerData(c, Qt::Horizontal).toString().compare(field, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

QByteArray sqlLog()
{
    QFile f(SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestListPaging : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstPageThenScrolling_data();
    void firstPageThenScrolling();
    void logShowsListQueryThenPaging();
    void coloursOfLaterRows();
    void searchTakesRowNotFetched();
    void positioningFetchesUpToDocument();

private:
    std::unique_ptr<testsupport::Installation> inst;
};

void TestListPaging::initTestCase()
{
    appfonts::applyApplicationFont();
    testsupport::createDatabase(database, true);
    db().execute(QStringLiteral("set @@session.sql_mode=\"\""));
    // Many mixes of one cost centre: prices with ties and unpriced mixes, a few without a date.
    db().execute(QStringLiteral(
        "INSERT INTO pelmixi (cislodokla, stredisko, partie, partiecela, nazevosiva, mnozstvi, nc, datum, smes, rokd) "
        "SELECT concat('265', lpad(seq, 7, '0')), '555', concat('55', lpad(seq, 7, '0')), concat('55', lpad(seq, 7, "
        "'0')), concat('Směs ', seq mod 13), 100, seq mod 11, if(seq mod 97 = 0, NULL, '2026-01-01' + interval (seq "
        "mod 200) day), '1', '2026' FROM seq_1_to_%1")
                     .arg(Documents));
    db().execute(QStringLiteral("UPDATE tavrix SET KS_JAKNC = 1"));
}

void TestListPaging::init()
{
    inst.reset();
    inst = std::make_unique<testsupport::Installation>(database);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("555"));
}

void TestListPaging::cleanup()
{
    testsupport::stopWindowWatchers();
}

void TestListPaging::firstPageThenScrolling_data()
{
    QTest::addColumn<QString>("sortField"); // empty: the default order
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QString>("fullOrder");
    QTest::newRow("default order") << QString() << false << QStringLiteral("order by cislodokla desc, id desc");
    QTest::newRow("price, ties") << QStringLiteral("nc") << false << QStringLiteral("order by nc, id");
    QTest::newRow("date descending, empty dates")
        << QStringLiteral("datum") << true << QStringLiteral("order by datum desc, id desc");
}

void TestListPaging::firstPageThenScrolling()
{
    QFETCH(QString, sortField);
    QFETCH(bool, descending);
    QFETCH(QString, fullOrder);
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    wireListTools(w);
    QVERIFY(w.startUp());
    w.resize(1000, 700);
    w.show();
    if (!sortField.isEmpty()) {
        w.listGrid()->setCurrentIndex(w.listModel()->index(0, columnOf(w, sortField)));
        const QString entry
            = descending ? QStringLiteral("Setditpodlesloupcesestupn1") : QStringLiteral("Setditpodlesloupce1");
        w.listPopupMenu()->findChild<QAction *>(entry)->trigger();
        QCOMPARE(w.orderClause(), QStringLiteral("order by ") + sortField + (descending ? QStringLiteral(" DESC") : QString()));
        // The cursor stays in the sorted column.
        QCOMPARE(w.listGrid()->currentIndex().column(), columnOf(w, sortField));
    }
    // One page only, though the list is longer.
    QCOMPARE(w.listModel()->rowCount(), documentlist::ListPager::FirstPageRows);
    QVERIFY(!w.listModel()->complete());
    const QStringList expected = expectedNumbers(fullOrder);
    QCOMPARE(expected.size(), Documents);
    QCOMPARE(listNumbers(w), expected.mid(0, documentlist::ListPager::FirstPageRows));

    scrollToEnd(w);
    QVERIFY(w.listModel()->complete());
    QCOMPARE(listNumbers(w), expected);
}

void TestListPaging::logShowsListQueryThenPaging()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    QVERIFY(w.startUp());
    const QString listQuery = documentlist::joinLines(w.lastListQueryLines());
    QCOMPARE(listQuery,
        QStringLiteral("select * from pelmixi\n\n where stredisko = '555'\n and smes = '1'\norder by cislodokla  DESC"));
    const QString log = cp1250::decode(sqlLog());
    QVERIFY2(log.contains(listQuery + QStringLiteral("\n, id DESC\n limit 100")), qPrintable(log.right(2000)));
    w.resize(1000, 700);
    w.show();
    w.listGrid()->scrollToBottom();
    QCoreApplication::processEvents();
    QCOMPARE(w.listModel()->rowCount(), documentlist::ListPager::FirstPageRows + documentlist::ListPager::PageRows);
    const QString last = w.listModel()->value(documentlist::ListPager::FirstPageRows - 1, QStringLiteral("cislodokla")).toString();
    const QString id = w.listModel()->value(documentlist::ListPager::FirstPageRows - 1, QStringLiteral("id")).toString();
    const QString page = QStringLiteral("select * from pelmixi\n\n where stredisko = '555'\n and smes = '1'\n"
                                        " and (cislodokla < '%1' or cislodokla = '%1' and id < %2 or cislodokla is null)\n"
                                        "order by cislodokla  DESC\n, id DESC\n limit 1000")
                             .arg(last, id);
    QVERIFY2(cp1250::decode(sqlLog()).contains(page), qPrintable(page));
}

void TestListPaging::coloursOfLaterRows()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    QVERIFY(w.startUp());
    w.resize(1000, 700);
    w.show();
    scrollToEnd(w);
    int checked = 0;
    for (int r = documentlist::ListPager::FirstPageRows; r < w.listModel()->rowCount(); r += 97) {
        const bool unpriced = w.listModel()->value(r, QStringLiteral("nc")).toDouble() == 0.0;
        QCOMPARE(w.listRowColour(r) == QColor::fromRgb(documentlist::RedRgb), unpriced);
        ++checked;
    }
    QVERIFY(checked > 20);
}

// The row is far beyond the first page: the search reads the column of the whole list from the
// server, and taking the row fetches up to it.
void TestListPaging::searchTakesRowNotFetched()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    wireListTools(w);
    QVERIFY(w.startUp());
    w.listGrid()->setCurrentIndex(w.listModel()->index(0, columnOf(w, QStringLiteral("cislodokla"))));
    QVERIFY(!w.listModel()->complete());
    auto found = std::make_shared<int>(-1);
    onWindow(QStringLiteral("SearchDialog"), [found](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("2650000007"));
        *found = dialog->findChild<QListWidget *>(QStringLiteral("listFound"))->count();
        clickButton(dialog, QStringLiteral("převzít"));
    });
    w.listPopupMenu()->findChild<QAction *>(QStringLiteral("Hledatdokladvseznamu1"))->trigger();
    QCOMPARE(*found, 1);
    QCOMPARE(w.currentDocumentNumber(), QStringLiteral("2650000007"));
    QCOMPARE(w.listGrid()->currentIndex().row(), Documents - 7);
    QCOMPARE(listNumbers(w), expectedNumbers(QStringLiteral("order by cislodokla desc, id desc")).mid(0, w.listModel()->rowCount()));

    // Without the value list, the first match by prefix.
    onWindow(QStringLiteral("SearchDialog"), [](QWidget *dialog) {
        dialog->findChild<QCheckBox *>(QStringLiteral("checkShowValues"))->setChecked(false);
        dialog->findChild<QCheckBox *>(QStringLiteral("checkParts"))->setChecked(false);
        dialog->findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("265000000"));
        clickButton(dialog, QStringLiteral("převzít"));
    });
    w.listPopupMenu()->findChild<QAction *>(QStringLiteral("Hledatdokladvseznamu1"))->trigger();
    QCOMPARE(w.currentDocumentNumber(), QStringLiteral("2650000009"));
}

void TestListPaging::positioningFetchesUpToDocument()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    QVERIFY(w.startUp());
    ResultTableModel *model = w.listModel();
    QCOMPARE(model->rowCount(), documentlist::ListPager::FirstPageRows);
    // A document of another cost centre is not in the list: nothing more is fetched.
    QCOMPARE(model->findRow(QStringLiteral("cislodokla"), QStringLiteral("2601010001")), -1);
    QCOMPARE(model->rowCount(), documentlist::ListPager::FirstPageRows);
    // A held row is found where it is.
    QCOMPARE(model->findRow(QStringLiteral("cislodokla"), QStringLiteral("2650002500")), 0);
    // One further down: fetched up to it, exactly.
    QCOMPARE(model->findRow(QStringLiteral("cislodokla"), QStringLiteral("2650000100")), Documents - 100);
    QCOMPARE(model->rowCount(), Documents - 100 + 1);
    QVERIFY(!model->complete());
    QCOMPARE(listNumbers(w), expectedNumbers(QStringLiteral("order by cislodokla desc, id desc")).mid(0, model->rowCount()));

    // A new document is the first row of the rebuilt list.
    db().execute(QStringLiteral("INSERT INTO pelmixi (cislodokla, stredisko, smes, rokd, nc) VALUES "
                                "('2659999999', '555', '1', '2026', 1)"));
    w.rebuildList();
    QCOMPARE(w.currentDocumentNumber(), QStringLiteral("2659999999"));
    db().execute(QStringLiteral("DELETE FROM pelmixi WHERE cislodokla = '2659999999'"));
}

QTEST_MAIN(TestListPaging)
#include "tst_listpaging.moc"
