// The document list's pop-up menu on the wired main window against the private server: filter
// steps with their files and caption, stepping back, saved lines that are not in the steps' own
// shape, a list the server could not build, cells holding line breaks across a restart, sorting
// under a filter, the search dialog, column layouts across restarts, and the entries while a
// document is open.
#include "appfonts.h"
#include "connection.h"
#include "cp1250.h"
#include "listtools.h"
#include "paths.h"
#include "resulttablemodel.h"
#include "sqltext.h"
#include "testsupport.h"
#include "tform1.h"
#include "windowtest.h"
#include "wiring.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

using testsupport::clickButton;
using testsupport::onWindow;

namespace {

const QString database = QStringLiteral("t_ui_listtools");

void execute(const QString &sql)
{
    Connection c(testsupport::serverParams(database));
    c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
    c.execute(sql);
}

QString fiFile()
{
    return paths::inProgramDir(QStringLiteral("pelmixihla.Fi_"));
}

QString teFile()
{
    return paths::inProgramDir(QStringLiteral("pelmixihla.Te_"));
}

QStringList fileLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return { QStringLiteral("<missing>") };
    QStringList lines = cp1250::decode(f.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void writeFile(const QString &path, const QStringList &lines)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (const QString &l : lines)
        f.write(cp1250::encode(l) + "\r\n");
}

void start(TForm1 &w)
{
    wireListTools(w);
    QVERIFY(w.startUp());
}

ListTools *tools(TForm1 &w)
{
    return ListTools::install(w);
}

QAction *entry(TForm1 &w, const QString &name)
{
    auto *action = w.listPopupMenu()->findChild<QAction *>(name);
    if (!action)
        qWarning("no entry %s", qPrintable(name));
    return action;
}

QStringList listNumbers(const TForm1 &w)
{
    QStringList numbers;
    for (int r = 0; r < w.listModel()->rowCount(); ++r)
        numbers << w.listModel()->value(r, QStringLiteral("cislodokla")).toString();
    return numbers;
}

int columnOf(const TForm1 &w, const QString &field)
{
    for (int c = 0; c < w.listModel()->columnCount(); ++c) {
        if (w.listModel()->headerData(c, Qt::Horizontal).toString().compare(field, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

void setCell(TForm1 &w, const QString &number, const QString &field)
{
    const int row = int(listNumbers(w).indexOf(number));
    const int column = columnOf(w, field);
    QVERIFY2(row >= 0 && column >= 0, qPrintable(number + QLatin1Char('/') + field));
    w.listGrid()->setCurrentIndex(w.listModel()->index(row, column));
}

QString caption(const TForm1 &w)
{
    return w.findChild<QLabel *>(QStringLiteral("listCaption"))->text();
}

QStringList visualFields(const TForm1 &w)
{
    QStringList fields;
    const QHeaderView *header = w.listGrid()->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!header->isSectionHidden(logical))
            fields << w.listModel()->headerData(logical, Qt::Horizontal).toString();
    }
    return fields;
}

// Opens the list's pop-up menu as a right click does (the entries are set up for it) and
// closes it again.
void openPopup(TForm1 &w)
{
    emit w.listGrid()->customContextMenuRequested(QPoint(5, 5));
    w.listPopupMenu()->close();
}

const QString stepEqual = QStringLiteral("FILTRrovno1");
const QString stepNotEqual = QStringLiteral("FILTRruzne1");
const QString stepLessOrEqual = QStringLiteral("FILTRmensirovno1");
const QString deleteLast = QStringLiteral("FILTRsmazatposledn1");
const QString deleteAll = QStringLiteral("FILTRsmazatcelfiltr1");

} // namespace

class TestListTools : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void popupEntries();
    void firstStep_data();
    void firstStep();
    void secondStepAndBackTwice();
    void threeStepsBackOne();
    void showFilter();
    void filterSurvivesRestart();
    void savedConditionNotWhereIgnored();
    void rejectedConditionRecovers_data();
    void rejectedConditionRecovers();
    void lineBreakInACell_data();
    void lineBreakInACell();
    void sortingKeepsFilter();
    void searchTakesRow();
    void searchStornoAndNotFound();
    void columnLayoutsAcrossStarts();
    void entriesWhileEditing();

private:
    std::unique_ptr<testsupport::Installation> inst;
};

void TestListTools::initTestCase()
{
    appfonts::applyApplicationFont();
    testsupport::createDatabase(database, true);
    // A date-and-time column, so that the list has one to filter on.
    execute(QStringLiteral("ALTER TABLE pelmixi ADD COLUMN cas DATETIME NULL"));
    execute(QStringLiteral(
        "INSERT INTO pelmixi (cislodokla, stredisko, partie, partiecela, lomeni, nomenkla, nazevosiva, mnozstvi, nc, "
        "datum, cas, smes, rokd) VALUES "
        "('2607770001', '777', '552600071', '552600071', 3, '150001', 'Směs O''Brien', 100, 12.5, '2026-03-07', "
        "'2026-03-07 08:05:09', '1', '2026'),"
        "('2607770001', '777', '250000101', '250000101-0441', 0, '111001', 'Pšenice krmná', 60, 5.2, '2026-03-07', "
        "NULL, '0', '2026'),"
        "('2607770001', '777', '250000103', '250000103-0441', 0, '111003', 'Kukuřice krmná', 40, 5.0, '2026-03-07', "
        "NULL, '0', '2026'),"
        "('2607770002', '777', '552600072', '552600072', 5, '150002', 'KS pro nosnice N1', 50, 12, '2026-03-08', "
        "'2026-03-08 10:00:00', '1', '2026'),"
        "('2607770003', '777', '552600073', '552600073', 3, '150003', 'KS B&C', 80, 7.25, '2026-03-07', "
        "'2026-03-07 08:05:10', '1', '2026'),"
        "('2607770004', '777', '552600074', '552600074', 0, '150004', 'KS pro brojlery', 10, 12.5, '2026-04-01', "
        "'2026-04-01 00:00:00', '1', '2026')"));
}

void TestListTools::init()
{
    inst.reset();
    inst = std::make_unique<testsupport::Installation>(database);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("777"));
}

void TestListTools::cleanup()
{
    testsupport::stopWindowWatchers();
}

void TestListTools::popupEntries()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    QStringList captions;
    for (QAction *a : w.listPopupMenu()->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions,
        QStringList({ QStringLiteral("Setřídit podle sloupce"), QStringLiteral("Setřídit podle sloupce - sestupně"),
            QStringLiteral("-"), QStringLiteral("Hledat doklad v seznamu"), QStringLiteral("-"),
            QStringLiteral("FILTR"), QStringLiteral("FILTR - zobrazit filtr"),
            QStringLiteral("FILTR - smazat celý filtr"), QStringLiteral("FILTR - smazat poslední"), QStringLiteral("-"),
            QStringLiteral("Zobrazovat řádky dokladu") }));
    // Wiring twice adds nothing.
    wireListTools(w);
    QCOMPARE(w.listPopupMenu()->actions().size(), captions.size());

    // The six comparisons are captioned from the current column's title and the cell's text
    // when the submenu opens; "&" is doubled so that the menu shows it.
    QMenu *filter = tools(w)->filterMenu();
    auto stepCaptions = [&] {
        filter->popup(QPoint(0, 0));
        filter->close();
        QStringList texts;
        for (QAction *a : filter->actions())
            texts << a->text();
        return texts;
    };
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("nazevosiva"));
    QCOMPARE(stepCaptions(),
        QStringList({ QStringLiteral("nazevosiva =  Směs O'Brien"), QStringLiteral("nazevosiva <> Směs O'Brien"),
            QStringLiteral("nazevosiva >  Směs O'Brien"), QStringLiteral("nazevosiva >= Směs O'Brien"),
            QStringLiteral("nazevosiva <  Směs O'Brien"), QStringLiteral("nazevosiva <= Směs O'Brien") }));
    setCell(w, QStringLiteral("2607770003"), QStringLiteral("nc"));
    QCOMPARE(stepCaptions().value(3), QStringLiteral("nc >= 7,25"));
    setCell(w, QStringLiteral("2607770003"), QStringLiteral("nazevosiva"));
    QCOMPARE(stepCaptions().value(0), QStringLiteral("nazevosiva =  KS B&&C"));
}

void TestListTools::firstStep_data()
{
    QTest::addColumn<QString>("number"); // the row of the current cell
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("text, quoted") << "2607770002"
                                  << "cislodokla" << stepEqual << "where cislodokla = '2607770002'"
                                  << "cislodokla = 2607770002" << QStringList { u"2607770002"_s };
    QTest::newRow("text, greater") << "2607770002"
                                   << "cislodokla"
                                   << "FILTRvetsi1"
                                   << "where cislodokla > '2607770002'"
                                   << "cislodokla > 2607770002" << QStringList { u"2607770004"_s, u"2607770003"_s };
    QTest::newRow("quote doubled") << "2607770001"
                                   << "nazevosiva" << stepEqual << "where nazevosiva = 'Směs O''Brien'"
                                   << "nazevosiva = Směs O'Brien" << QStringList { u"2607770001"_s };
    QTest::newRow("integer, bare") << "2607770003"
                                   << "lomeni" << stepEqual << "where lomeni = 3"
                                   << "lomeni = 3" << QStringList { u"2607770003"_s, u"2607770001"_s };
    QTest::newRow("decimal with a point") << "2607770004"
                                          << "nc" << stepEqual << "where nc = '12.5'"
                                          << "nc = 12,5" << QStringList { u"2607770004"_s, u"2607770001"_s };
    QTest::newRow("decimal, less or equal") << "2607770002"
                                            << "nc" << stepLessOrEqual << "where nc <= '12'"
                                            << "nc <= 12" << QStringList { u"2607770003"_s, u"2607770002"_s };
    QTest::newRow("date shown as displayed")
        << "2607770001"
        << "datum" << stepEqual << "where datum = '2026-03-07'"
        << "datum = 07.03.2026" << QStringList { u"2607770003"_s, u"2607770001"_s };
    QTest::newRow("date-time") << "2607770001"
                               << "cas" << stepLessOrEqual << "where cas <= '2026-03-07 08:05:09'"
                               << "cas <= 07.03.2026 08:05:09" << QStringList { u"2607770001"_s };
    QTest::newRow("greater or equal, date-time")
        << "2607770003"
        << "cas"
        << "FILTRvetsirovno1"
        << "where cas >= '2026-03-07 08:05:10'"
        << "cas >= 07.03.2026 08:05:10" << QStringList { u"2607770004"_s, u"2607770003"_s, u"2607770002"_s };
    QTest::newRow("less") << "2607770002"
                          << "lomeni"
                          << "FILTRmensi1"
                          << "where lomeni < 5"
                          << "lomeni < 5" << QStringList { u"2607770004"_s, u"2607770003"_s, u"2607770001"_s };
}

void TestListTools::firstStep()
{
    QFETCH(QString, number);
    QFETCH(QString, field);
    QFETCH(QString, step);
    QFETCH(QString, condition);
    QFETCH(QString, description);
    QFETCH(QStringList, rows);

    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    testsupport::MessageRecorder rec;
    QCOMPARE(listNumbers(w).size(), 4);
    setCell(w, number, field);
    entry(w, step)->trigger();
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.last()));
    QCOMPARE(w.filterCondition(), condition);
    QCOMPARE(w.filterDescription(), description);
    QCOMPARE(w.lastListQueryLines().value(1), condition);
    QCOMPARE(w.lastListQueryLines().value(2), QStringLiteral(" AND stredisko = '777'"));
    QCOMPARE(listNumbers(w), rows);
    QCOMPARE(caption(w), QStringLiteral("Seznam dokladů Krmné směsi - filtr: ") + description);
    QCOMPARE(fileLines(fiFile()), QStringList { condition });
    QCOMPARE(fileLines(teFile()), QStringList { description });
    // The cursor stays in the column the step was taken on.
    QCOMPARE(w.listGrid()->currentIndex().column(), columnOf(w, field));
}

void TestListTools::secondStepAndBackTwice()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    testsupport::MessageRecorder rec;
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("cislodokla"));
    entry(w, stepEqual)->trigger();
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("lomeni"));
    entry(w, stepNotEqual)->trigger();
    const QString first = QStringLiteral("where cislodokla = '2607770001'");
    const QString both = first + QStringLiteral(" AND lomeni <> 3");
    QCOMPARE(w.filterCondition(), both);
    QCOMPARE(w.filterDescription(), QStringLiteral("cislodokla = 2607770001, lomeni <> 3"));
    QVERIFY(listNumbers(w).isEmpty());
    QCOMPARE(fileLines(fiFile()), QStringList({ first, both }));
    QCOMPARE(fileLines(teFile()),
        QStringList(
            { QStringLiteral("cislodokla = 2607770001"), QStringLiteral("cislodokla = 2607770001, lomeni <> 3") }));

    // The list is empty now, yet the filter can be stepped back.
    openPopup(w);
    QVERIFY(entry(w, deleteLast)->isEnabled());
    QVERIFY(!entry(w, QStringLiteral("Setditpodlesloupce1"))->isEnabled());
    QVERIFY(!tools(w)->filterMenu()->menuAction()->isEnabled());
    entry(w, deleteLast)->trigger();
    QCOMPARE(w.filterCondition(), first);
    QCOMPARE(w.filterDescription(), QStringLiteral("cislodokla = 2607770001"));
    QCOMPARE(listNumbers(w), QStringList { QStringLiteral("2607770001") });
    QCOMPARE(fileLines(fiFile()), QStringList { first });

    // After one step: both files emptied, "Žádný filtr", the whole list.
    entry(w, deleteLast)->trigger();
    QCOMPARE(w.filterCondition(), QString());
    QCOMPARE(w.filterDescription(), QStringLiteral("Žádný filtr"));
    QCOMPARE(fileLines(fiFile()), QStringList());
    QCOMPARE(fileLines(teFile()), QStringList());
    QCOMPARE(QFile(fiFile()).size(), 0);
    QCOMPARE(listNumbers(w).size(), 4);
    QCOMPARE(caption(w), QStringLiteral("Seznam dokladů Krmné směsi"));
    QCOMPARE(w.lastListQueryLines().value(1), QString());
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.last()));
}

void TestListTools::threeStepsBackOne()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    testsupport::MessageRecorder rec;
    setCell(w, QStringLiteral("2607770004"), QStringLiteral("lomeni"));
    entry(w, stepNotEqual)->trigger();
    QCOMPARE(listNumbers(w),
        QStringList({ QStringLiteral("2607770003"), QStringLiteral("2607770002"), QStringLiteral("2607770001") }));
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("datum"));
    entry(w, stepEqual)->trigger();
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("cas"));
    entry(w, stepLessOrEqual)->trigger();
    const QString two = QStringLiteral("where lomeni <> 0 AND datum = '2026-03-07'");
    const QString twoText = QStringLiteral("lomeni <> 0, datum = 2026-03-07");
    // Later steps describe dates and times by their written value.
    QCOMPARE(w.filterCondition(), two + QStringLiteral(" AND cas <= '2026-03-07 08:05:09'"));
    QCOMPARE(w.filterDescription(), twoText + QStringLiteral(", cas <= 2026-03-07 08:05:09"));
    QCOMPARE(listNumbers(w), QStringList { QStringLiteral("2607770001") });
    QCOMPARE(fileLines(fiFile()).size(), 3);

    entry(w, deleteLast)->trigger();
    QCOMPARE(w.filterCondition(), two);
    QCOMPARE(w.filterDescription(), twoText);
    QCOMPARE(fileLines(fiFile()), QStringList({ QStringLiteral("where lomeni <> 0"), two }));
    QCOMPARE(fileLines(teFile()), QStringList({ QStringLiteral("lomeni <> 0"), twoText }));
    QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("2607770003"), QStringLiteral("2607770001") }));

    // A decimal in a later step: a point in the condition, the displayed text in the description.
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("nc"));
    entry(w, stepEqual)->trigger();
    QCOMPARE(w.filterCondition(), two + QStringLiteral(" AND nc = '12.5'"));
    QCOMPARE(w.filterDescription(), twoText + QStringLiteral(", nc = 12,5"));
    QCOMPARE(listNumbers(w), QStringList { QStringLiteral("2607770001") });
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.last()));
}

void TestListTools::showFilter()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    testsupport::MessageRecorder rec;
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("nazevosiva"));
    entry(w, stepEqual)->trigger();
    entry(w, QStringLiteral("FILTRzobrazitfiltr1"))->trigger();
    QCOMPARE(rec.shown.size(), 1);
    QCOMPARE(rec.shown.at(0).text, QStringLiteral("nazevosiva = Směs O'Brien"));
    QCOMPARE(rec.shown.at(0).buttons, 1);
    QCOMPARE(rec.shown.at(0).firstButton, QStringLiteral("OK"));
    QCOMPARE(rec.shown.at(0).icon, MessageIcon::Information);

    entry(w, deleteAll)->trigger();
    entry(w, QStringLiteral("FILTRzobrazitfiltr1"))->trigger();
    QCOMPARE(rec.last(), QStringLiteral("Žádný filtr"));
    QCOMPARE(fileLines(fiFile()), QStringList());
    QCOMPARE(fileLines(teFile()), QStringList());
}

void TestListTools::filterSurvivesRestart()
{
    const QString condition = QStringLiteral("where nazevosiva = 'Směs O''Brien'");
    {
        TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
        start(w);
        setCell(w, QStringLiteral("2607770001"), QStringLiteral("nazevosiva"));
        entry(w, stepEqual)->trigger();
        w.close();
    }
    // The description is kept in code page 1250.
    QFile te(teFile());
    QVERIFY(te.open(QIODevice::ReadOnly));
    QCOMPARE(te.readAll(), cp1250::encode(QStringLiteral("nazevosiva = Směs O'Brien")) + "\r\n");

    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    testsupport::MessageRecorder rec;
    start(w);
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.last()));
    QCOMPARE(w.filterCondition(), condition);
    QCOMPARE(listNumbers(w), QStringList { QStringLiteral("2607770001") });
    QCOMPARE(caption(w), QStringLiteral("Seznam dokladů Krmné směsi - filtr: nazevosiva = Směs O'Brien"));
}

void TestListTools::savedConditionNotWhereIgnored()
{
    writeFile(fiFile(), { QStringLiteral("where lomeni = 3"), QStringLiteral("1=1 union select * from pelmixi") });
    writeFile(teFile(), { QStringLiteral("lomeni = 3"), QStringLiteral("všechno") });
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    testsupport::MessageRecorder rec;
    start(w);
    QCOMPARE(rec.shown.size(), 1);
    QVERIFY(rec.shown.at(0).text.contains(QStringLiteral("pelmixihla.Fi_")));
    QCOMPARE(rec.shown.at(0).icon, MessageIcon::Warning);
    QCOMPARE(w.filterCondition(), QString());
    QCOMPARE(w.lastListQueryLines().value(1), QString());
    QCOMPARE(listNumbers(w).size(), 4);
    QCOMPARE(caption(w), QStringLiteral("Seznam dokladů Krmné směsi"));
    // The files stay as they are until the operator deletes the step.
    QCOMPARE(fileLines(fiFile()).size(), 2);
    entry(w, deleteLast)->trigger();
    QCOMPARE(w.filterCondition(), QStringLiteral("where lomeni = 3"));
    QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("2607770003"), QStringLiteral("2607770001") }));

    // Stepping back onto a line that is no condition: the same message and no filter.
    writeFile(fiFile(), { QStringLiteral("lomeni = 3"), QStringLiteral("where lomeni = 5") });
    writeFile(teFile(), { QStringLiteral("lomeni = 3"), QStringLiteral("lomeni = 5") });
    rec.shown.clear();
    entry(w, deleteLast)->trigger();
    QCOMPARE(rec.shown.size(), 1);
    QCOMPARE(rec.shown.at(0).icon, MessageIcon::Warning);
    QCOMPARE(w.filterCondition(), QString());
    QCOMPARE(w.filterDescription(), QStringLiteral("Žádný filtr"));
    QCOMPARE(listNumbers(w).size(), 4);
}

void TestListTools::rejectedConditionRecovers_data()
{
    QTest::addColumn<QString>("entryName");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("smazat poslední") << deleteLast << "where lomeni = 5" << QStringList { u"2607770002"_s };
    QTest::newRow("smazat celý filtr") << deleteAll << ""
                                       << QStringList { u"2607770004"_s, u"2607770003"_s, u"2607770002"_s,
                                              u"2607770001"_s };
}

void TestListTools::rejectedConditionRecovers()
{
    QFETCH(QString, entryName);
    QFETCH(QString, condition);
    QFETCH(QStringList, rows);

    writeFile(fiFile(), { QStringLiteral("where lomeni = 5"), QStringLiteral("where lomeni = 5 AND neznamy = 1") });
    writeFile(teFile(), { QStringLiteral("lomeni = 5"), QStringLiteral("lomeni = 5, neznamy = 1") });
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    testsupport::MessageRecorder rec;
    start(w);
    // A column the list does not have: the line is refused before it reaches the server, and the
    // list is shown unfiltered.
    QCOMPARE(rec.shown.size(), 1);
    QCOMPARE(rec.shown.at(0).icon, MessageIcon::Warning);
    QVERIFY2(rec.shown.at(0).text.contains(QStringLiteral("pelmixihla.Fi_")), qPrintable(rec.last()));
    QCOMPARE(w.filterCondition(), QString());
    QCOMPARE(listNumbers(w).size(), 4);

    // A list the server could not build (its table gone for a moment): the server's message, and
    // an empty list without columns.
    execute(QStringLiteral("RENAME TABLE pelmixi TO pelmixi_away"));
    w.rebuildList();
    execute(QStringLiteral("RENAME TABLE pelmixi_away TO pelmixi"));
    QCOMPARE(rec.shown.size(), 2);
    QCOMPARE(rec.shown.at(1).icon, MessageIcon::Stop);
    QVERIFY2(rec.shown.at(1).text.contains(QStringLiteral("pelmixi")), qPrintable(rec.last()));
    QCOMPARE(w.listModel()->rowCount(), 0);
    QCOMPARE(w.listModel()->columnCount(), 0);

    openPopup(w);
    QVERIFY(entry(w, deleteLast)->isEnabled());
    QVERIFY(entry(w, deleteAll)->isEnabled());
    QVERIFY(!entry(w, QStringLiteral("Hledatdokladvseznamu1"))->isEnabled());
    QVERIFY(!entry(w, QStringLiteral("Setditpodlesloupcesestupn1"))->isEnabled());
    // Sorting or searching has nothing to work on and does nothing.
    entry(w, QStringLiteral("Setditpodlesloupce1"))->trigger();
    entry(w, QStringLiteral("Hledatdokladvseznamu1"))->trigger();
    QCOMPARE(w.orderClause(), QStringLiteral("order by cislodokla  DESC"));
    QCOMPARE(rec.shown.size(), 2);

    entry(w, entryName)->trigger();
    QCOMPARE(rec.shown.size(), 2);
    QCOMPARE(w.filterCondition(), condition);
    QCOMPARE(listNumbers(w), rows);
    QCOMPARE(fileLines(fiFile()), condition.isEmpty() ? QStringList() : QStringList { condition });
}

void TestListTools::lineBreakInACell_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("description");
    QTest::newRow("a statement after the break")
        << u"x\r\nwhere 1=1 or 1=1 #"_s << u"where popis = 'x\\r\\nwhere 1=1 or 1=1 #'"_s
        << u"popis = x¶where 1=1 or 1=1 #"_s;
    QTest::newRow("a word broken") << u"ra\r\ndek"_s << u"where popis = 'ra\\r\\ndek'"_s << u"popis = ra¶dek"_s;
}

// A cell whose value holds a line break (written by another module or an import): the step is
// one line in each filter file, the list shows that row only, and after a restart the list is
// rebuilt from the stored step with the same rows, never another cost centre's.
void TestListTools::lineBreakInACell()
{
    QFETCH(QString, value);
    QFETCH(QString, condition);
    QFETCH(QString, description);
    execute(u"DELETE FROM pelmixi WHERE stredisko = '778'"_s);
    Connection c(testsupport::serverParams(database));
    c.execute(u"INSERT INTO pelmixi (cislodokla, stredisko, partie, partiecela, popis, smes, rokd) VALUES "
              "('2607780001', '778', '552600081', '552600081', "_s
        + sqlQuote(value) + u", '1', '2026'), ('2607780002', '778', '552600082', '552600082', 'jiný', '1', '2026')"_s);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("778"));
    {
        TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
        start(w);
        testsupport::MessageRecorder rec;
        QCOMPARE(listNumbers(w), QStringList({ u"2607780002"_s, u"2607780001"_s }));
        setCell(w, u"2607780001"_s, u"popis"_s);
        entry(w, stepEqual)->trigger();
        QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.last()));
        QCOMPARE(w.filterCondition(), condition);
        QCOMPARE(w.filterDescription(), description);
        QCOMPARE(listNumbers(w), QStringList { u"2607780001"_s });
        QCOMPARE(fileLines(fiFile()), QStringList { condition });
        QCOMPARE(fileLines(teFile()), QStringList { description });
        for (const QString &file : { fiFile(), teFile() }) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(bytes.count('\r'), 1);
            QCOMPARE(bytes.count('\n'), 1);
        }
        w.close();
    }

    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    testsupport::MessageRecorder rec;
    start(w);
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.last()));
    QCOMPARE(w.filterCondition(), condition);
    QCOMPARE(w.lastListQueryLines().value(1), condition);
    QCOMPARE(w.lastListQueryLines().value(2), u" AND stredisko = '778'"_s);
    QCOMPARE(listNumbers(w), QStringList { u"2607780001"_s });
    QCOMPARE(caption(w), u"Seznam dokladů Krmné směsi - filtr: "_s + description);
    execute(u"DELETE FROM pelmixi WHERE stredisko = '778'"_s);
}

void TestListTools::sortingKeepsFilter()
{
    {
        TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
        start(w);
        QCOMPARE(w.orderClause(), QStringLiteral("order by cislodokla  DESC"));
        setCell(w, QStringLiteral("2607770004"), QStringLiteral("lomeni"));
        entry(w, stepNotEqual)->trigger();

        setCell(w, QStringLiteral("2607770002"), QStringLiteral("nc"));
        entry(w, QStringLiteral("Setditpodlesloupce1"))->trigger();
        QCOMPARE(w.orderClause(), QStringLiteral("order by nc"));
        QCOMPARE(w.lastListQueryLines(),
            QStringList({ QStringLiteral("select * from pelmixi"), QStringLiteral("where lomeni <> 0"),
                QStringLiteral(" AND stredisko = '777'"), QStringLiteral(" and smes = '1'"),
                QStringLiteral("order by nc") }));
        QCOMPARE(listNumbers(w),
            QStringList({ QStringLiteral("2607770003"), QStringLiteral("2607770002"), QStringLiteral("2607770001") }));
        QCOMPARE(w.listGrid()->currentIndex(), w.listModel()->index(0, columnOf(w, QStringLiteral("nc"))));

        entry(w, QStringLiteral("Setditpodlesloupcesestupn1"))->trigger();
        QCOMPARE(w.orderClause(), QStringLiteral("order by nc DESC"));
        QCOMPARE(listNumbers(w),
            QStringList({ QStringLiteral("2607770001"), QStringLiteral("2607770002"), QStringLiteral("2607770003") }));
        // A further step keeps the order.
        setCell(w, QStringLiteral("2607770003"), QStringLiteral("nc"));
        entry(w, QStringLiteral("FILTRvetsi1"))->trigger();
        QCOMPARE(w.lastListQueryLines().value(1), QStringLiteral("where lomeni <> 0 AND nc > '7.25'"));
        QCOMPARE(w.lastListQueryLines().value(4), QStringLiteral("order by nc DESC"));
        QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("2607770001"), QStringLiteral("2607770002") }));
        w.close();
    }
    // The next start: the filter is back, the order is the default one.
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    QCOMPARE(w.orderClause(), QStringLiteral("order by cislodokla  DESC"));
    QCOMPARE(w.filterCondition(), QStringLiteral("where lomeni <> 0 AND nc > '7.25'"));
    QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("2607770002"), QStringLiteral("2607770001") }));
}

void TestListTools::searchTakesRow()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    testsupport::MessageRecorder rec;
    w.showLinesAction()->trigger();
    QVERIFY(w.showLines());
    QCOMPARE(w.linesModel()->rowCount(), 0); // 2607770004 has no lines
    setCell(w, QStringLiteral("2607770004"), QStringLiteral("nazevosiva"));

    auto details = std::make_shared<QStringList>();
    auto runningInside = std::make_shared<bool>(false);
    onWindow(QStringLiteral("SearchDialog"), [details, runningInside, &w](QWidget *dialog) {
        *runningInside = w.searchRunning();
        auto *field = dialog->findChild<QComboBox *>(QStringLiteral("comboField"));
        *details << dialog->windowTitle() << QString::number(dialog->width()) << field->currentText()
                 << QString::number(dialog->findChild<QCheckBox *>(QStringLiteral("checkShowValues"))->isChecked())
                 << QString::number(dialog->findChild<QCheckBox *>(QStringLiteral("checkParts"))->isChecked())
                 << QString::number(field->findText(QStringLiteral("cislodokla")) >= 0);
        dialog->findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("o'brien"));
        auto *found = dialog->findChild<QListWidget *>(QStringLiteral("listFound"));
        *details << QString::number(found->count()) << (found->count() > 0 ? found->item(0)->text() : QString());
        clickButton(dialog, QStringLiteral("převzít"));
    });
    entry(w, QStringLiteral("Hledatdokladvseznamu1"))->trigger();
    QCOMPARE(*details,
        QStringList(
            { QStringLiteral("Hledat"), QStringLiteral("500"), QStringLiteral("nazevosiva"), QStringLiteral("1"),
                QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Směs O'Brien") }));
    QVERIFY(*runningInside);
    QVERIFY(!w.searchRunning());
    QCOMPARE(w.currentDocumentNumber(), QStringLiteral("2607770001"));
    QCOMPARE(w.listGrid()->currentIndex().column(), columnOf(w, QStringLiteral("nazevosiva")));
    // The lines follow the row taken over.
    QCOMPARE(w.linesModel()->rowCount(), 2);
    QVERIFY(rec.shown.isEmpty());
}

void TestListTools::searchStornoAndNotFound()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    testsupport::MessageRecorder rec;
    w.showLinesAction()->trigger();
    setCell(w, QStringLiteral("2607770001"), QStringLiteral("cislodokla"));
    QCOMPARE(w.linesModel()->rowCount(), 2);
    const QModelIndex begin = w.listGrid()->currentIndex();

    auto stillOpen = std::make_shared<bool>(false);
    onWindow(QStringLiteral("SearchDialog"), [stillOpen](QWidget *dialog) {
        dialog->findChild<QCheckBox *>(QStringLiteral("checkShowValues"))->setChecked(false);
        dialog->findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("9999"));
        clickButton(dialog, QStringLiteral("převzít"));
        *stillOpen = dialog->isVisible();
        // A match exists, but "storno" leaves the cursor where the search began.
        dialog->findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("2607770003"));
        dialog->findChild<QCheckBox *>(QStringLiteral("checkShowValues"))->setChecked(true);
        clickButton(dialog, QStringLiteral("storno"));
    });
    entry(w, QStringLiteral("Hledatdokladvseznamu1"))->trigger();
    QVERIFY(*stillOpen);
    QCOMPARE(rec.texts(), QStringList { QStringLiteral("Record not found") });
    QCOMPARE(w.listGrid()->currentIndex(), begin);
    QVERIFY(!w.searchRunning());
    QCOMPARE(w.linesModel()->rowCount(), 2);
}

void TestListTools::columnLayoutsAcrossStarts()
{
    const QString listFile = inst->programDir() + QStringLiteral("/pelmixihla.slo");
    const QString stockFile = inst->programDir() + QStringLiteral("/pelmixiskl.slo");
    QStringList defaultOrder;
    int stockSaves = 0;
    {
        TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
        start(w);
        listtools::registerStockGridLayout(w, [&stockSaves] { ++stockSaves; });
        defaultOrder = visualFields(w);
        QCOMPARE(defaultOrder.value(0), QStringLiteral("cislodokla"));
        QHeaderView *header = w.listGrid()->horizontalHeader();
        header->moveSection(header->visualIndex(columnOf(w, QStringLiteral("nc"))), 0);
        header->resizeSection(columnOf(w, QStringLiteral("nazevosiva")), 333);
        header->setSectionHidden(columnOf(w, QStringLiteral("podnik")), true);
        // A rebuild keeps the operator's columns.
        setCell(w, QStringLiteral("2607770003"), QStringLiteral("lomeni"));
        entry(w, stepEqual)->trigger();
        QCOMPARE(visualFields(w).value(0), QStringLiteral("nc"));
        QCOMPARE(w.listGrid()->columnWidth(columnOf(w, QStringLiteral("nazevosiva"))), 333);
        entry(w, deleteAll)->trigger();

        w.findChild<QAction *>(QStringLiteral("Uloitnastatevnsloupc1"))->trigger();
        QVERIFY(QFile::exists(listFile));
        QCOMPARE(stockSaves, 1);
        w.close();
    }
    {
        TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
        start(w);
        const QStringList fields = visualFields(w);
        QCOMPARE(fields.value(0), QStringLiteral("nc"));
        QVERIFY(!fields.contains(QStringLiteral("podnik")));
        QCOMPARE(fields.size(), defaultOrder.size() - 1);
        QCOMPARE(w.listGrid()->columnWidth(columnOf(w, QStringLiteral("nazevosiva"))), 333);
        QCOMPARE(tools(w)->listLayout().value(0).field, QStringLiteral("nc"));

        // The reset ends the program and deletes both files when the window goes.
        QFile stock(stockFile);
        QVERIFY(stock.open(QIODevice::WriteOnly));
        stock.write("{}");
        stock.close();
        w.findChild<QAction *>(QStringLiteral("Smazatnastavenssloupc1"))->trigger();
        QVERIFY(!w.isVisible());
    }
    QVERIFY(!QFile::exists(listFile));
    QVERIFY(!QFile::exists(stockFile));
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    QCOMPARE(visualFields(w), defaultOrder);
}

void TestListTools::entriesWhileEditing()
{
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    start(w);
    testsupport::MessageRecorder rec;
    ListTools *t = tools(w);
    const QList<QAction *> own { t->sortAscendingAction(), t->sortDescendingAction(), t->searchAction(),
        t->filterMenu()->menuAction(), t->showFilterAction(), t->deleteFilterAction(), t->deleteLastStepAction() };
    openPopup(w);
    for (QAction *a : own)
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));

    w.setEditing(true);
    openPopup(w);
    for (QAction *a : own)
        QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
    for (QAction *a : t->filterStepActions())
        QVERIFY(!a->isEnabled());
    QVERIFY(w.showLinesAction()->isEnabled());

    // Even when reached some other way, nothing runs under the open document.
    setCell(w, QStringLiteral("2607770002"), QStringLiteral("cislodokla"));
    auto searched = std::make_shared<bool>(false);
    onWindow(QStringLiteral("SearchDialog"), [searched](QWidget *dialog) {
        *searched = true;
        clickButton(dialog, QStringLiteral("storno"));
    });
    int rebuilds = 0;
    connect(&w, &TForm1::listRebuilt, this, [&rebuilds] { ++rebuilds; });
    t->filterStepActions().at(0)->trigger();
    t->sortAscendingAction()->trigger();
    t->searchAction()->trigger();
    t->deleteFilterAction()->trigger();
    t->deleteLastStepAction()->trigger();
    QTest::qWait(50); // a search dialog would have appeared by now
    QVERIFY(!*searched);
    QCOMPARE(rebuilds, 0);
    QCOMPARE(w.filterCondition(), QString());
    QCOMPARE(w.orderClause(), QStringLiteral("order by cislodokla  DESC"));
    QVERIFY(!QFile::exists(fiFile()));
    QVERIFY(rec.shown.isEmpty());

    w.setEditing(false);
    openPopup(w);
    for (QAction *a : own)
        QVERIFY(a->isEnabled());
}

QTEST_MAIN(TestListTools)
#include "tst_listtools.moc"
