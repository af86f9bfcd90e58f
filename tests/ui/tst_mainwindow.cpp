// The main window in-process against the private server: start-up with and without stored
// values, the access prompt, the document list and its scope, row colours, the lines panel, the
// cost-centre dialogs, the module menu and the message dialog.
#include "appfonts.h"
#include "connection.h"
#include "inifile.h"
#include "modulelauncher.h"
#include "paths.h"
#include "resulttablemodel.h"
#include "sidechannel.h"
#include "splash.h"
#include "testsupport.h"
#include "windowtest.h"
#include "tform1.h"
#include "version.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using testsupport::clickButton;
using testsupport::onWindow;

namespace {

const QString database = QStringLiteral("t_ui_mainwindow");

void execute(const QString &sql)
{
    Connection c(testsupport::serverParams(database));
    c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
    c.execute(sql);
}

StartOptions modul()
{
    return StartOptions { QStringLiteral("modul"), 0 };
}

StartOptions operatorStart()
{
    return StartOptions { QString(), 0 };
}

QStringList columnTitles(const QTableView *grid)
{
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    return titles;
}

QStringList listNumbers(const TForm1 &w)
{
    QStringList numbers;
    for (int r = 0; r < w.listModel()->rowCount(); ++r)
        numbers << w.listModel()->value(r, QStringLiteral("cislodokla")).toString();
    return numbers;
}

void writeStrediSez(const QString &programDir, const QByteArray &bytes)
{
    QFile f(programDir + QStringLiteral("/stredi.sez"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartUsesDesignValues();
    void menusAndShortcuts();
    void accessPrompt_data();
    void accessPrompt();
    void splashClosesAfterTheList();
    void unusableWorkstationNumberEndsTheProgram();
    void costCentreChoiceRebuildsList();
    void emptyStoredCostCentreAsksFirst();
    void quotedCostCentreFindsItsRows();
    void yearBoxAddsYearLine();
    void yearBoxReachesCurrentYear();
    void filterConditionLines();
    void rowColourByPrice_data();
    void rowColourByPrice();
    void linesPanelFollowsOption();
    void linesGridColumns();
    void missingStrediSez();
    void strediskaWritesFile();
    void storedValuesClamped_data();
    void storedValuesClamped();
    void windowValuesStoredOnClose();
    void serverDownKeepsProgramUsable();
    void editorRefusedWithoutSuiteSettings();
    void dailyUpdateCheckOncePerDay();
    void moduleMenu();
    void deleteColumnSettings();
    void editingLocksListActions();
    void enterMovesFocus();
    void aboutShowsVersion();
    void messageDialogButtons_data();
    void messageDialogButtons();
    void messageDialogAboveSplash();

private:
    std::unique_ptr<testsupport::Installation> inst;
};

void TestMainWindow::initTestCase()
{
    appfonts::applyApplicationFont();
    testsupport::createDatabase(database, true);
    // Documents of cost centre 777 in older years and one of the cost centre "1'2".
    execute(QStringLiteral(
        "INSERT INTO pelmixi (cislodokla, stredisko, partie, partiecela, nomenkla, nazevosiva, mnozstvi, nc, datum, "
        "smes, rokd) VALUES "
        "('1807770001', '777', '551800001', '551800001', '150001', 'KS pro nosnice N1', 100, 10.5, '2018-03-07', '1', "
        "'2018'),"
        "('1807770001', '777', '250000101', '250000101-0441', '111001', 'Pšenice krmná', 60, 5.2, '2018-03-07', '0', "
        "'2018'),"
        "('1807770001', '777', '250000103', '250000103-0441', '111003', 'Kukuřice krmná', 40, 5.0, '2018-03-07', '0', "
        "'2018'),"
        "('1807770002', '777', '551800002', '551800002', '150002', 'KS pro brojlery BR2', 50, 0, '2018-05-02', '1', "
        "'2018'),"
        "('1907770001', '777', '551900001', '551900001', '150001', 'KS pro nosnice N1', 80, 7.25, '2019-01-10', '1', "
        "'2019'),"
        "('2607770001', '777', '552600099', '552600099', '150001', 'KS pro nosnice N1', 10, 1, '2026-01-10', '1', "
        "'2026'),"
        "('26Q1200001', '1''2', '552600098', '552600098', '150001', 'KS pro nosnice N1', 10, 1, '2026-01-11', '1', "
        "'2026')"));
}

void TestMainWindow::init()
{
    inst.reset();
    inst = std::make_unique<testsupport::Installation>(database);
    execute(QStringLiteral("UPDATE tavrix SET KS_JAKNC = 1"));
}

void TestMainWindow::cleanup()
{
    testsupport::stopWindowWatchers();
}

void TestMainWindow::firstStartUsesDesignValues()
{
    Connection c(testsupport::serverParams(database));
    const QString startRows
        = QStringLiteral("select count(*) from historiem where modul = 'Krmné směsi' and stredisko = '' and pc = '00'");
    const int before = c.scalar(startRows).toInt();
    TForm1 w(modul());
    testsupport::MessageRecorder rec;
    QVERIFY(w.startUp());
    QVERIFY(rec.shown.isEmpty());
    QCOMPARE(w.windowTitle(), QStringLiteral("Tavrix05 - krmné směsi"));
    QVERIFY(w.isMaximized());
    QCOMPARE(w.costCentre(), QStringLiteral("999"));
    QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"))->currentIndex(), 0);
    QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"))->currentText(), QStringLiteral("Vše"));
    QVERIFY(!w.showLines());
    QCOMPARE(w.linesPanelHeight(), 0);
    QCOMPARE(w.lastListQueryLines(),
        QStringList({ QStringLiteral("select * from pelmixi"), QString(), QStringLiteral(" where stredisko = '999'"),
            QStringLiteral(" and smes = '1'"), QStringLiteral("order by cislodokla  DESC") }));
    QCOMPARE(w.listModel()->rowCount(), 0);
    QCOMPARE(
        w.findChild<QLabel *>(QStringLiteral("listCaption"))->text(), QStringLiteral("Seznam dokladů Krmné směsi"));
    QCOMPARE(w.cisloPC(), QStringLiteral("00"));
    QVERIFY(w.suiteSettingsRead());
    QCOMPARE(w.ksJaknc(), 1);
    QVERIFY(w.worksCosted());
    QVERIFY(w.priceList().rowCount() > 0);
    QCOMPARE(w.priceList().columns().at(1).name.toUpper(), QStringLiteral("NAZEVOSIVA"));
    QVERIFY(QDir(paths::dataDir()).exists());
    QVERIFY(!w.splash());
    // The list fills the area: the editor section has no height.
    QCOMPARE(w.splitter()->sizes().value(1), 0);
    QCOMPARE(IniFile(paths::moduleIni()).readString(QStringLiteral("Dnes"), QStringLiteral("Datum")),
        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    // The start was recorded with the module's name and no cost centre yet.
    QCOMPARE(c.scalar(startRows).toInt(), before + 1);
}

void TestMainWindow::menusAndShortcuts()
{
    TForm1 w(modul());
    const QList<QStringList> expected {
        { QStringLiteral("Novdoklad1"), QStringLiteral("Nový doklad"), QStringLiteral("Ctrl+N") },
        { QStringLiteral("Opravit1"), QStringLiteral("Opravit"), QStringLiteral("Ctrl+O") },
        { QStringLiteral("Tiskdokladu1"), QStringLiteral("Tisk dokladu"), QStringLiteral("Ctrl+T") },
        { QStringLiteral("Tiskmchachoprotokolu1"), QStringLiteral("Tisk míchacího protokolu"),
            QStringLiteral("Ctrl+M") },
        { QStringLiteral("Tiskttkunavzorek1"), QStringLiteral("Tisk štítku na vzorek"), QStringLiteral("Ctrl+I") },
        { QStringLiteral("Tiskttkunapaletu1"), QStringLiteral("Tisk štítku na paletu"), QStringLiteral("Ctrl+P") },
        { QStringLiteral("Konec1"), QStringLiteral("Konec"), QString() },
        { QStringLiteral("Stedisko1"), QStringLiteral("Středisko"), QStringLiteral("Ctrl+S") },
        { QStringLiteral("Stediska1"), QStringLiteral("Střediska"), QString() },
        { QStringLiteral("Nastavenprogramu1"), QStringLiteral("Nastavení programu"), QString() },
        { QStringLiteral("Smazatnastavenssloupc1"), QStringLiteral("Smazat nastavení ssloupců"), QString() },
        { QStringLiteral("Uloitnastatevnsloupc1"), QStringLiteral("Uložit nastatevní sloupců"), QString() },
        { QStringLiteral("Kontrolanovverze1"), QStringLiteral("Kontrola nové verze"), QString() },
        { QStringLiteral("Mstnnpovda1"), QStringLiteral("Místní nápověda"), QString() },
        { QStringLiteral("Popisprogramu1"), QStringLiteral("Popis programu"), QString() },
        { QStringLiteral("Oprogramu1"), QStringLiteral("O programu"), QString() },
        { QStringLiteral("Opravdu1"), QStringLiteral("Opravdu"), QString() },
        { QStringLiteral("Zobrazovatdkydokladu1"), QStringLiteral("Zobrazovat řádky dokladu"), QString() },
        { QStringLiteral("Zobrazitsklkartu1"), QStringLiteral("Zobrazit skl. kartu"), QString() },
        { QStringLiteral("Historiepartie1"), QStringLiteral("Historie partie"), QString() },
    };
    for (const QStringList &e : expected) {
        auto *action = w.findChild<QAction *>(e.at(0));
        QVERIFY2(action, qPrintable(e.at(0)));
        QCOMPARE(action->text(), e.at(1));
        QCOMPARE(action->shortcut().toString(), e.at(2));
    }
    QStringList titles;
    for (QAction *a : w.menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles,
        QStringList({ QStringLiteral("Hlavní nabídka"), QStringLiteral("Uživatel"), QStringLiteral("Servis"),
            QStringLiteral("Moduly"), QStringLiteral("Pomoc"), QStringLiteral("Konec") }));
    QStringList moduleCaptions;
    for (QAction *a : w.findChild<QMenu *>(QStringLiteral("Moduly1"))->actions())
        moduleCaptions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(moduleCaptions,
        QStringList({ QStringLiteral("PP - Příjemka přírody"), QStringLiteral("VU - Výkaz o úpravě osiva"),
            QStringLiteral("VO - Výdejka odpadů"), QStringLiteral("-"), QStringLiteral("PV - Příjemka, výkup"),
            QStringLiteral("DL - Dodací list"), QStringLiteral("VN - Výdejka, návratka"), QStringLiteral("-"),
            QStringLiteral("SK - Skladová karta"), QStringLiteral("VP - Vnitropodnik"),
            QStringLiteral("KA - Kalkulace"), QStringLiteral("SM - Směsi"), QStringLiteral("KS - Krmné směsi") }));
    // The control panel: eight permanently disabled buttons and "konec".
    int undefined = 0;
    for (QPushButton *b : w.findChild<QWidget *>(QStringLiteral("controlPanel"))->findChildren<QPushButton *>()) {
        if (b->text() == QStringLiteral("není def.")) {
            ++undefined;
            QVERIFY(!b->isEnabled());
        }
    }
    QCOMPARE(undefined, 8);
    QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("konecButton"))->text(), QStringLiteral("konec"));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("linesCaption"))->text(), QStringLiteral("     Řádky dokladu"));
    QCOMPARE(w.priceListChannel()->caption(), QStringLiteral("Druh, odrůda, stupeň"));
    QCOMPARE(w.stockCardChannel()->caption(), QStringLiteral("Skladové karty"));
}

void TestMainWindow::accessPrompt_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QString>("entry"); // "<Zpět>" presses the back button
    QTest::addColumn<bool>("prompted");
    QTest::addColumn<bool>("opens");

    QTest::newRow("modul, no prompt") << "modul"
                                      << "Heslo1"
                                      << "" << false << true;
    QTest::newRow("nothing configured") << ""
                                        << ""
                                        << "" << false << true;
    QTest::newRow("configured password") << ""
                                         << "Heslo1"
                                         << "Heslo1" << true << true;
    QTest::newRow("master password") << ""
                                     << "Heslo1"
                                     << "908613" << true << true;
    QTest::newRow("other letter case") << ""
                                       << "Heslo1"
                                       << "heslo1" << true << false;
    QTest::newRow("trailing blank") << ""
                                    << "Heslo1"
                                    << "Heslo1 " << true << false;
    QTest::newRow("nothing entered") << ""
                                     << "Heslo1"
                                     << "" << true << false;
    QTest::newRow("Zpět") << ""
                          << "Heslo1"
                          << "<Zpět>" << true << false;
}

void TestMainWindow::accessPrompt()
{
    QFETCH(QString, argument);
    QFETCH(QString, configured);
    QFETCH(QString, entry);
    QFETCH(bool, prompted);
    QFETCH(bool, opens);

    inst->writeSuiteIni(QStringLiteral("Tavrix"), QStringLiteral("Password"), configured);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(StartOptions { argument, 60000 });
    auto seen = std::make_shared<bool>(false);
    auto details = std::make_shared<QStringList>();
    onWindow(QStringLiteral("heslo"), [seen, details, entry](QWidget *dialog) {
        *seen = true;
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("passwordEdit"));
        *details << dialog->windowTitle() << dialog->findChild<QLabel *>(QStringLiteral("promptLabel"))->text()
                 << QString::number(edit->echoMode()) << edit->text()
                 << QString::number(bool(dialog->windowFlags() & Qt::WindowStaysOnTopHint));
        if (entry == QLatin1String("<Zpět>")) {
            clickButton(dialog, QStringLiteral("Zpět"));
            return;
        }
        edit->setText(entry);
        clickButton(dialog, QStringLiteral("OK"));
    });
    const bool started = w.startUp();
    if (!prompted)
        QTest::qWait(50); // a prompt would have appeared by now
    QCOMPARE(*seen, prompted);
    QCOMPARE(started, opens);
    QCOMPARE(w.isVisible(), opens);
    if (prompted) {
        QCOMPARE(details->value(0), QStringLiteral("Tavrix05"));
        QCOMPARE(details->value(1), QStringLiteral("zadej heslo"));
        QCOMPARE(details->value(2), QString::number(QLineEdit::Password));
        QCOMPARE(details->value(3), QString()); // the entry starts empty
        QCOMPARE(details->value(4), QStringLiteral("1"));
    }
    if (opens) {
        QCOMPARE(listNumbers(w).size(), 5);
    } else {
        // Ending the program closes the splash as well; nothing was listed.
        QVERIFY(!w.splash());
        QCOMPARE(w.listModel()->rowCount(), 0);
    }
    inst->writeSuiteIni(QStringLiteral("Tavrix"), QStringLiteral("Password"), QString());
}

void TestMainWindow::splashClosesAfterTheList()
{
    {
        TForm1 w(StartOptions { QString(), 60000 });
        QVERIFY(w.startUp());
        QApplication::processEvents();
        QPointer<Splash> splash = w.splash();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(splash->size(), QSize(Splash::PictureWidth + 4, Splash::PictureHeight + 4));
        QVERIFY(splash->versionLine().endsWith(QStringLiteral(" - ver. ") + programVersion()));
        QVERIFY(splash->versionLine().contains(QString::number(QDate::currentDate().year())));
        QCOMPARE(splash->status(), QString());
        w.close();
        QTRY_VERIFY(!splash);
    }
    TForm1 w(StartOptions { QString(), 0 });
    QVERIFY(w.startUp());
    QTRY_VERIFY(!w.splash());
}

void TestMainWindow::unusableWorkstationNumberEndsTheProgram()
{
    inst->writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("CisloPC"), QStringLiteral("0 1"));
    TForm1 w(modul());
    testsupport::MessageRecorder rec;
    QVERIFY(!w.startUp());
    QCOMPARE(w.exitCode(), 1);
    QCOMPARE(rec.shown.size(), 1);
    QVERIFY(rec.last().contains(QStringLiteral("0 1")));
    QVERIFY(!w.splash());
}

void TestMainWindow::costCentreChoiceRebuildsList()
{
    writeStrediSez(inst->programDir(), "101\r\n102\r\n12\r\n");
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(modul());
    QVERIFY(w.startUp());
    QCOMPARE(listNumbers(w),
        QStringList({ QStringLiteral("2601010004"), QStringLiteral("2601010003"), QStringLiteral("2601010002"),
            QStringLiteral("2601010001"), QStringLiteral("2501010001") }));

    auto items = std::make_shared<QStringList>();
    onWindow(QStringLiteral("TFstredi"), [items](QWidget *dialog) {
        auto *box = dialog->findChild<QComboBox *>(QStringLiteral("suiComboBox1"));
        for (int i = 0; i < box->count(); ++i)
            *items << box->itemText(i);
        *items << box->currentText() << dialog->windowTitle() << QString::number(box->width());
        box->setCurrentIndex(1);
        clickButton(dialog, QStringLiteral("OK"));
    });
    w.findChild<QAction *>(QStringLiteral("Stedisko1"))->trigger();
    QCOMPARE(*items,
        QStringList({ QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("12"), QStringLiteral("101"),
            QStringLiteral("Vyber číslo střediska"), QStringLiteral("60") }));
    QCOMPARE(w.costCentre(), QStringLiteral("102"));
    QCOMPARE(w.lastListQueryLines().at(2), QStringLiteral(" where stredisko = '102'"));
    QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("2601020001") }));

    // A typed code that is not in the list is taken as it stands.
    onWindow(QStringLiteral("TFstredi"), [](QWidget *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("suiComboBox1"))->setEditText(QStringLiteral("777"));
        dialog->close();
    });
    w.chooseCostCentre();
    QCOMPARE(w.costCentre(), QStringLiteral("777"));
    QCOMPARE(listNumbers(w).size(), 4);
}

void TestMainWindow::emptyStoredCostCentreAsksFirst()
{
    writeStrediSez(inst->programDir(), "101\r\n102\r\n");
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QString());
    TForm1 w(modul());
    auto asked = std::make_shared<bool>(false);
    onWindow(QStringLiteral("TFstredi"), [asked](QWidget *dialog) {
        *asked = true;
        dialog->findChild<QComboBox *>(QStringLiteral("suiComboBox1"))->setCurrentIndex(0);
        clickButton(dialog, QStringLiteral("OK"));
    });
    QVERIFY(w.startUp());
    QVERIFY(*asked);
    QCOMPARE(w.costCentre(), QStringLiteral("101"));
    QCOMPARE(listNumbers(w).size(), 5);
}

void TestMainWindow::quotedCostCentreFindsItsRows()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("1'2"));
    TForm1 w(modul());
    testsupport::MessageRecorder rec;
    QVERIFY(w.startUp());
    QVERIFY(rec.shown.isEmpty());
    QCOMPARE(w.lastListQueryLines().at(2), QStringLiteral(" where stredisko = '1''2'"));
    QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("26Q1200001") }));
}

void TestMainWindow::yearBoxAddsYearLine()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("777"));
    TForm1 w(modul());
    QVERIFY(w.startUp());
    QCOMPARE(listNumbers(w).size(), 4);
    auto *year = w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"));
    year->setCurrentIndex(year->findText(QStringLiteral("2018")));
    QCOMPARE(w.lastListQueryLines(),
        QStringList({ QStringLiteral("select * from pelmixi"), QString(), QStringLiteral(" where stredisko = '777'"),
            QStringLiteral(" and smes = '1'"), QStringLiteral(" AND rokd = '2018'"),
            QStringLiteral("order by cislodokla  DESC") }));
    QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("1807770002"), QStringLiteral("1807770001") }));
    year->setCurrentIndex(0);
    QCOMPARE(w.lastListQueryLines().size(), 5);
    QCOMPARE(listNumbers(w).size(), 4);
}

void TestMainWindow::yearBoxReachesCurrentYear()
{
    TForm1 w(modul());
    auto *year = w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"));
    QStringList items;
    for (int i = 0; i < year->count(); ++i)
        items << year->itemText(i);
    QStringList expected { QStringLiteral("Vše") };
    for (int y = QDate::currentDate().year(); y >= 2017; --y)
        expected << QString::number(y);
    QCOMPARE(items, expected);
}

void TestMainWindow::filterConditionLines()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(modul());
    w.hooks.restoreFilter = [&w] {
        w.setFilter(QStringLiteral("where cislodokla = '2601010003'"), QStringLiteral("cislodokla = 2601010003"));
    };
    QVERIFY(w.startUp());
    QCOMPARE(w.lastListQueryLines(),
        QStringList({ QStringLiteral("select * from pelmixi"), QStringLiteral("where cislodokla = '2601010003'"),
            QStringLiteral(" AND stredisko = '101'"), QStringLiteral(" and smes = '1'"),
            QStringLiteral("order by cislodokla  DESC") }));
    QCOMPARE(listNumbers(w), QStringList({ QStringLiteral("2601010003") }));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("listCaption"))->text(),
        QStringLiteral("Seznam dokladů Krmné směsi - filtr: cislodokla = 2601010003"));

    // A condition the server rejects: the standard error message, an empty list, and the next
    // rebuild without it recovers.
    testsupport::MessageRecorder rec;
    w.setFilter(QStringLiteral("where nosuchcolumn = 1"), QStringLiteral("x"));
    w.rebuildList();
    QCOMPARE(rec.shown.size(), 1);
    QCOMPARE(rec.shown.first().icon, MessageIcon::Stop);
    QCOMPARE(w.listModel()->rowCount(), 0);
    w.setFilter(QString(), QString());
    w.rebuildList();
    QCOMPARE(listNumbers(w).size(), 5);
}

void TestMainWindow::rowColourByPrice_data()
{
    QTest::addColumn<int>("ksJaknc");
    QTest::addColumn<QColor>("unpriced");
    QTest::newRow("KS_JAKNC 1") << 1 << QColor(255, 0, 0);
    QTest::newRow("KS_JAKNC 0") << 0 << QColor(248, 190, 190);
    QTest::newRow("KS_JAKNC 2") << 2 << QColor(248, 190, 190);
}

void TestMainWindow::rowColourByPrice()
{
    QFETCH(int, ksJaknc);
    QFETCH(QColor, unpriced);
    execute(QStringLiteral("UPDATE tavrix SET KS_JAKNC = %1").arg(ksJaknc));
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(modul());
    QVERIFY(w.startUp());
    QCOMPARE(w.ksJaknc(), ksJaknc);
    const QStringList numbers = listNumbers(w);
    for (int r = 0; r < numbers.size(); ++r) {
        const bool priced = w.listModel()->value(r, QStringLiteral("nc")).toDouble() != 0;
        QCOMPARE(numbers.at(r) == QLatin1String("2601010004"), !priced);
        QCOMPARE(w.listRowColour(r), priced ? QColor(Qt::white) : unpriced);
        // Every cell of the row, not only the price.
        const QModelIndex last = w.listModel()->index(r, w.listModel()->columnCount() - 1);
        QCOMPARE(w.listModel()->data(last, Qt::BackgroundRole).isValid(), !priced);
    }
}

void TestMainWindow::linesPanelFollowsOption()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("777"));
    TForm1 w(modul());
    QVERIFY(w.startUp());
    QCOMPARE(w.linesPanelHeight(), 0);
    QVERIFY(!w.findChild<QWidget *>(QStringLiteral("linesPanel"))->isVisible());
    QCOMPARE(w.linesModel()->rowCount(), 0);

    w.showLinesAction()->trigger();
    QVERIFY(w.showLines());
    QCOMPARE(w.linesPanelHeight(), 405);
    QVERIFY(w.findChild<QWidget *>(QStringLiteral("linesPanel"))->isVisible());
    // The first row is 2607770001, which has no lines.
    QCOMPARE(w.currentDocumentNumber(), QStringLiteral("2607770001"));
    QCOMPARE(w.linesModel()->rowCount(), 0);

    // Moving to a document with lines shows them.
    const int row = listNumbers(w).indexOf(QStringLiteral("1807770001"));
    w.listGrid()->setCurrentIndex(w.listModel()->index(row, 0));
    QCOMPARE(w.linesModel()->rowCount(), 2);
    // The cursor stands on the first line, which the lines' pop-up menu hands over.
    QCOMPARE(w.currentLine().value(QStringLiteral("partiecela")).toString(), QStringLiteral("250000101-0441"));
    QVariantMap handed;
    w.hooks.showBatchHistory = [&handed](const QVariantMap &line) { handed = line; };
    w.linesGrid()->setCurrentIndex(w.linesModel()->index(1, 0));
    w.findChild<QAction *>(QStringLiteral("Historiepartie1"))->trigger();
    QCOMPARE(handed.value(QStringLiteral("partiecela")).toString(), QStringLiteral("250000103-0441"));
    QCOMPARE(handed.value(QStringLiteral("stredisko")).toString(), QStringLiteral("777"));
    QCOMPARE(handed.value(QStringLiteral("lomeni")).toLongLong(), 0);
    QCOMPARE(w.linesModel()->data(w.linesModel()->index(0, 4)).toString(), QStringLiteral("60"));

    w.showLinesAction()->trigger();
    QCOMPARE(w.linesPanelHeight(), 0);
    QCOMPARE(w.linesModel()->rowCount(), 0);
    QVERIFY(!w.findChild<QWidget *>(QStringLiteral("linesPanel"))->isVisible());
}

void TestMainWindow::linesGridColumns()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("777"));
    inst->writeModuleIni(
        QStringLiteral("TForm1"), QStringLiteral("Zobrazovatdkydokladu1_Checked"), QStringLiteral("True"));
    TForm1 w(modul());
    QVERIFY(w.startUp());
    QVERIFY(w.showLines());
    QCOMPARE(w.linesPanelHeight(), 405);
    // The list shows every column of pelmixi in table order, titled with its name.
    Connection c(testsupport::serverParams(database));
    const ResultSet columns = c.query(QStringLiteral("select * from pelmixi limit 0"));
    QStringList names;
    for (const Column &column : columns.columns())
        names << column.name;
    QCOMPARE(columnTitles(w.listGrid()), names);

    QCOMPARE(columnTitles(w.linesGrid()),
        QStringList({ QStringLiteral("Partie"), QStringLiteral("LOMENI"), QStringLiteral("Nomenklatura"),
            QStringLiteral("NAZEVOSIVA"), QStringLiteral("Množství"), QStringLiteral("MJ"), QStringLiteral("Procento"),
            QStringLiteral("NC"), QStringLiteral("Šarže"), QStringLiteral("DRUH"), QStringLiteral("ODRUDA"),
            QStringLiteral("STUPEN"), QStringLiteral("NAZ_DRU"), QStringLiteral("NAZ_ODRU") }));
    const QList<int> widths { 100, 20, 95, 220, 60, 25, 55, 80, 150 };
    for (int i = 0; i < widths.size(); ++i)
        QCOMPARE(w.linesGrid()->columnWidth(i), widths.at(i));
    for (int i : { 4, 7 }) {
        QCOMPARE(w.linesModel()->headerData(i, Qt::Horizontal, Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
            int(Qt::AlignRight));
    }
    QCOMPARE(w.linesModel()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt() & Qt::AlignRight, 0);
    QVERIFY(w.listGrid()->font().bold());
    QCOMPARE(w.listGrid()->horizontalHeader()->palette().color(QPalette::ButtonText), QColor(Qt::blue));
}

void TestMainWindow::missingStrediSez()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(modul());
    QVERIFY(w.startUp());
    testsupport::MessageRecorder rec;
    auto state = std::make_shared<QStringList>();
    onWindow(QStringLiteral("TFstredi"), [state](QWidget *dialog) {
        auto *box = dialog->findChild<QComboBox *>(QStringLiteral("suiComboBox1"));
        *state << QString::number(box->count()) << box->currentText();
        clickButton(dialog, QStringLiteral("OK"));
    });
    w.chooseCostCentre();
    QCOMPARE(rec.shown.size(), 1);
    QVERIFY(rec.last().contains(QStringLiteral("stredi.sez")));
    QCOMPARE(*state, QStringList({ QStringLiteral("0"), QStringLiteral("101") }));
    QCOMPARE(w.costCentre(), QStringLiteral("101"));
    QCOMPARE(listNumbers(w).size(), 5);
}

void TestMainWindow::strediskaWritesFile()
{
    TForm1 w(modul());
    QVERIFY(w.startUp());
    testsupport::MessageRecorder rec;
    onWindow(QStringLiteral("TFstrediska"), [](QWidget *dialog) {
        auto *memo = dialog->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
        QCOMPARE(memo->toPlainText(), QString());
        memo->setPlainText(QStringLiteral("101\n102 Šrotovna\n"));
        dialog->close(); // any close writes the list back
    });
    w.findChild<QAction *>(QStringLiteral("Stediska1"))->trigger();
    QCOMPARE(rec.shown.size(), 1); // the file was missing
    QFile f(inst->programDir() + QStringLiteral("/stredi.sez"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("101\r\n102 \x8Arotovna\r\n"));
    f.close();

    onWindow(QStringLiteral("TFstrediska"), [](QWidget *dialog) {
        QCOMPARE(dialog->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->toPlainText(),
            QStringLiteral("101\n102 Šrotovna"));
        clickButton(dialog, QStringLiteral("OK"));
    });
    w.editCostCentres();
    QCOMPARE(rec.shown.size(), 1);
}

void TestMainWindow::storedValuesClamped_data()
{
    QTest::addColumn<QString>("yearIndex");
    QTest::addColumn<QString>("splitter");
    QTest::addColumn<int>("expectedIndex");
    const int last = documentlist::yearItems(QDate::currentDate().year()).size() - 1;
    QTest::newRow("in range") << "2"
                              << "300" << 2;
    QTest::newRow("past the last year") << "99"
                                        << "300" << last;
    QTest::newRow("negative") << "-3"
                              << "-50" << 0;
    QTest::newRow("not a number") << "abc"
                                  << "x" << 0;
    QTest::newRow("huge") << "99999999999999999999"
                          << "99999999999" << 0;
}

void TestMainWindow::storedValuesClamped()
{
    QFETCH(QString, yearIndex);
    QFETCH(QString, splitter);
    QFETCH(int, expectedIndex);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("suiComboBoxRok_ItemIndex"), yearIndex);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("OvcSplitter1_Position"), splitter);
    inst->writeModuleIni(
        QStringLiteral("TForm1"), QStringLiteral("Zobrazovatdkydokladu1_Checked"), QStringLiteral("1"));
    TForm1 w(modul());
    testsupport::MessageRecorder rec;
    QVERIFY(w.startUp());
    QVERIFY(rec.shown.isEmpty());
    auto *year = w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"));
    QCOMPARE(year->currentIndex(), expectedIndex);
    QCOMPARE(w.chosenYear(), expectedIndex == 0 ? QString() : year->itemText(expectedIndex));
    QVERIFY(!w.showLines()); // only "True" and "False" are understood
    QCOMPARE(w.splitter()->sizes().value(1), 0);
}

void TestMainWindow::windowValuesStoredOnClose()
{
    writeStrediSez(inst->programDir(), "101\r\n777\r\n");
    {
        TForm1 w(modul());
        QVERIFY(w.startUp());
        onWindow(QStringLiteral("TFstredi"), [](QWidget *dialog) {
            dialog->findChild<QComboBox *>(QStringLiteral("suiComboBox1"))->setCurrentIndex(1);
            clickButton(dialog, QStringLiteral("OK"));
        });
        w.chooseCostCentre();
        auto *year = w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"));
        year->setCurrentIndex(year->findText(QStringLiteral("2019")));
        w.showLinesAction()->trigger();
        w.findChild<QPushButton *>(QStringLiteral("konecButton"))->click();
        QVERIFY(!w.isVisible());
    }
    const IniFile ini(paths::moduleIni());
    const QString section = QStringLiteral("TForm1");
    QCOMPARE(ini.readString(section, QStringLiteral("Label1_Caption")), QStringLiteral("777"));
    QCOMPARE(ini.readString(section, QStringLiteral("Zobrazovatdkydokladu1_Checked")), QStringLiteral("True"));
    const int index = documentlist::yearItems(QDate::currentDate().year()).indexOf(QStringLiteral("2019"));
    QCOMPARE(ini.readString(section, QStringLiteral("suiComboBoxRok_ItemIndex")), QString::number(index));
    QVERIFY(!ini.readString(section, QStringLiteral("OvcSplitter1_Position")).isEmpty());

    TForm1 again(modul());
    QVERIFY(again.startUp());
    QCOMPARE(again.costCentre(), QStringLiteral("777"));
    QCOMPARE(again.chosenYear(), QStringLiteral("2019"));
    QVERIFY(again.showLines());
    QCOMPARE(listNumbers(again), QStringList({ QStringLiteral("1907770001") }));
}

void TestMainWindow::serverDownKeepsProgramUsable()
{
    // Nothing listens on port 1.
    inst->writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("SQLport"), QStringLiteral("1"));
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(StartOptions { QString(), 0 });
    testsupport::MessageRecorder rec;
    bool opened = false;
    bool layoutsLoaded = false;
    w.hooks.newDocument = [&opened] { opened = true; };
    w.hooks.loadColumnLayouts = [&layoutsLoaded] { layoutsLoaded = true; };
    QVERIFY(w.startUp());
    QVERIFY(layoutsLoaded);
    QCOMPARE(rec.shown.size(), 1); // one message for the whole data step group
    QCOMPARE(rec.shown.first().icon, MessageIcon::Stop);
    QVERIFY(w.isVisible());
    QVERIFY(!w.suiteSettingsRead());
    QCOMPARE(w.listModel()->rowCount(), 0);
    QVERIFY(QDir(paths::dataDir()).exists());
    QTRY_VERIFY(!w.splash());

    // No document is opened with stand-in settings.
    w.findChild<QAction *>(QStringLiteral("Novdoklad1"))->trigger();
    QVERIFY(!opened);
    QCOMPARE(rec.shown.size(), 2);
    // The program stays usable: the year box still answers (with the error again).
    auto *year = w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"));
    year->setCurrentIndex(1);
    QCOMPARE(rec.shown.size(), 3);
}

void TestMainWindow::editorRefusedWithoutSuiteSettings()
{
    execute(QStringLiteral("RENAME TABLE tavrix TO tavrix_away"));
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(modul());
    testsupport::MessageRecorder rec;
    int newDocuments = 0;
    int openings = 0;
    w.hooks.newDocument = [&newDocuments] { ++newDocuments; };
    w.hooks.openDocument = [&openings] { ++openings; };
    const bool started = w.startUp();
    execute(QStringLiteral("RENAME TABLE tavrix_away TO tavrix"));
    QVERIFY(started);
    QCOMPARE(rec.shown.size(), 1);
    QVERIFY(!w.suiteSettingsRead());
    QVERIFY(!w.splash());

    execute(QStringLiteral("RENAME TABLE tavrix TO tavrix_away"));
    w.findChild<QAction *>(QStringLiteral("Opravit1"))->trigger();
    execute(QStringLiteral("RENAME TABLE tavrix_away TO tavrix"));
    QCOMPARE(openings, 0);
    QCOMPARE(rec.shown.size(), 2);

    // Once the settings can be read, the editor opens with the real values.
    execute(QStringLiteral("UPDATE tavrix SET KS_JAKNC = 2, KS_vyrobky = 'N'"));
    w.findChild<QAction *>(QStringLiteral("Novdoklad1"))->trigger();
    QCOMPARE(newDocuments, 1);
    QVERIFY(w.suiteSettingsRead());
    QCOMPARE(w.ksJaknc(), 2);
    QVERIFY(!w.worksCosted());
    execute(QStringLiteral("UPDATE tavrix SET KS_vyrobky = 'A'"));

    // An empty settings table is no better than a missing one.
    execute(QStringLiteral("CREATE TABLE tavrix_keep AS SELECT * FROM tavrix"));
    execute(QStringLiteral("DELETE FROM tavrix"));
    TForm1 second(modul());
    testsupport::MessageRecorder rec2;
    second.hooks.newDocument = [&newDocuments] { ++newDocuments; };
    QVERIFY(second.startUp());
    second.onNovyDoklad();
    execute(QStringLiteral("INSERT INTO tavrix SELECT * FROM tavrix_keep"));
    execute(QStringLiteral("DROP TABLE tavrix_keep"));
    QCOMPARE(newDocuments, 1);
    QCOMPARE(rec2.shown.size(), 2);
    QVERIFY(rec2.last().contains(QStringLiteral("tavrix")));
}

void TestMainWindow::dailyUpdateCheckOncePerDay()
{
    QList<bool> calls;
    for (int start = 0; start < 2; ++start) {
        TForm1 w(operatorStart());
        w.hooks.updateCheck = [&calls](bool atStart) { calls << atStart; };
        QVERIFY(w.startUp());
    }
    QCOMPARE(calls, QList<bool>({ true }));

    // The menu entry runs it whenever chosen.
    TForm1 w(modul());
    w.hooks.updateCheck = [&calls](bool atStart) { calls << atStart; };
    QVERIFY(w.startUp());
    w.findChild<QAction *>(QStringLiteral("Kontrolanovverze1"))->trigger();
    QCOMPARE(calls, QList<bool>({ true, false }));

    // With the option off the first start of a day checks nothing.
    calls.clear();
    inst->writeModuleIni(QStringLiteral("Dnes"), QStringLiteral("Datum"), QStringLiteral("2000-01-01"));
    inst->writeModuleIni(
        QStringLiteral("TFmozno"), QStringLiteral("suiCheckBoxTestVerze_Checked"), QStringLiteral("False"));
    TForm1 off(operatorStart());
    off.hooks.updateCheck = [&calls](bool atStart) { calls << atStart; };
    QVERIFY(off.startUp());
    QVERIFY(calls.isEmpty());

    // A check that ends the program (an update was installed) ends the start-up.
    inst->writeModuleIni(QStringLiteral("Dnes"), QStringLiteral("Datum"), QStringLiteral("2000-01-01"));
    inst->writeModuleIni(
        QStringLiteral("TFmozno"), QStringLiteral("suiCheckBoxTestVerze_Checked"), QStringLiteral("True"));
    TForm1 updated(operatorStart());
    updated.hooks.updateCheck = [&updated](bool) { updated.close(); };
    QVERIFY(!updated.startUp());
    QCOMPARE(updated.listModel()->rowCount(), 0);
    QVERIFY(!updated.splash());
}

void TestMainWindow::moduleMenu()
{
    const QString dir = inst->programDir();
    auto makeProgram = [&dir](const QString &name, bool executable) {
        QFile f(dir + QLatin1Char('/') + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/started-$(basename \"$0\").txt\"\n");
        f.close();
        QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            p |= QFile::ExeOwner;
        f.setPermissions(p);
    };
    makeProgram(QStringLiteral("PP"), true); // found in any letter case
    makeProgram(QStringLiteral("pelmixi"), true); // this module: never offered
    makeProgram(QStringLiteral("sk"), false); // present but cannot be started
    makeProgram(QStringLiteral("vydejky.sh"), true); // configured name
    inst->writeModuleIni(QStringLiteral("Moduly"), QStringLiteral("VN"), QStringLiteral("vydejky.sh"));

    TForm1 w(modul());
    QVERIFY(w.startUp());
    auto action = [&w](const QString &type) { return w.findChild<QAction *>(modules::find(type)->actionName); };
    QVERIFY(action(QStringLiteral("PP"))->isEnabled());
    QVERIFY(action(QStringLiteral("VN"))->isEnabled());
    QVERIFY(action(QStringLiteral("SK"))->isEnabled());
    QVERIFY(!action(QStringLiteral("DL"))->isEnabled());
    QVERIFY(!action(QStringLiteral("KS"))->isEnabled());

    testsupport::MessageRecorder rec;
    action(QStringLiteral("SK"))->trigger();
    QCOMPARE(rec.shown.size(), 1);
    QVERIFY(w.isVisible());

    action(QStringLiteral("VN"))->trigger();
    QVERIFY(!w.isVisible());
    const QString startedFile = dir + QStringLiteral("/started-vydejky.sh.txt");
    QTRY_VERIFY(QFileInfo(startedFile).size() > 0);
    QFile started(startedFile);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(), QByteArray("modul\n"));
}

void TestMainWindow::deleteColumnSettings()
{
    const QString list = inst->programDir() + QStringLiteral("/pelmixihla.slo");
    const QString stock = inst->programDir() + QStringLiteral("/pelmixiskl.slo");
    for (const QString &path : { list, stock }) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[]");
    }
    {
        TForm1 w(modul());
        QVERIFY(w.startUp());
        w.findChild<QAction *>(QStringLiteral("Smazatnastavenssloupc1"))->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(w.deleteColumnSettingsRequested());
        QVERIFY(QFile::exists(list)); // removed when the window goes away
    }
    QVERIFY(!QFile::exists(list));
    QVERIFY(!QFile::exists(stock));
}

void TestMainWindow::editingLocksListActions()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(modul());
    int openings = 0;
    w.hooks.openDocument = [&w, &openings] {
        ++openings;
        w.setEditing(true);
    };
    QVERIFY(w.startUp());
    w.listGrid()->doubleClicked(w.listModel()->index(0, 0));
    QCOMPARE(openings, 1);
    QVERIFY(w.isEditing());
    for (const char *name :
        { "Novdoklad1", "Opravit1", "Tiskdokladu1", "Stedisko1", "Smazatnastavenssloupc1", "Kontrolanovverze1" })
        QVERIFY2(!w.findChild<QAction *>(QString::fromLatin1(name))->isEnabled(), name);
    QVERIFY(!w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"))->isEnabled());
    QVERIFY(!w.findChild<QMenu *>(QStringLiteral("Moduly1"))->isEnabled());
    // A second double-click while a document is open is ignored.
    w.listGrid()->doubleClicked(w.listModel()->index(1, 0));
    QCOMPARE(openings, 1);

    bool left = false;
    w.hooks.leaveEditor = [&left] { left = true; };
    w.returnToList();
    QVERIFY(left);
    QVERIFY(!w.isEditing());
    QVERIFY(w.findChild<QAction *>(QStringLiteral("Novdoklad1"))->isEnabled());
    QVERIFY(w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"))->isEnabled());
    QCOMPARE(w.splitter()->sizes().value(1), 0);
}

void TestMainWindow::enterMovesFocus()
{
    TForm1 w(modul());
    QVERIFY(w.startUp());
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *year = w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"));
    year->setFocus();
    QTRY_VERIFY(year->hasFocus());
    QTest::keyClick(year, Qt::Key_Return);
    QVERIFY(!year->hasFocus());
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->window(), &w);
}

void TestMainWindow::aboutShowsVersion()
{
    TForm1 w(modul());
    testsupport::MessageRecorder rec;
    w.findChild<QAction *>(QStringLiteral("Oprogramu1"))->trigger();
    QCOMPARE(rec.shown.size(), 1);
    QCOMPARE(rec.last(), QStringLiteral("Verze ") + programVersion());
    QCOMPARE(rec.shown.first().icon, MessageIcon::Information);
    QCOMPARE(rec.shown.first().buttons, 1);
}

void TestMainWindow::messageDialogButtons_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("boxIcon");
    QTest::newRow("one OK") << 1 << "OK" << int(MessageIcon::Information) << "OK" << 1 << int(QMessageBox::Information);
    QTest::newRow("Zpět, stop") << 1 << "Zpět" << int(MessageIcon::Stop) << "Zpět" << 1 << int(QMessageBox::Critical);
    QTest::newRow("Zrušit pressed") << 2 << "Zrušit" << int(MessageIcon::Question) << "Zrušit" << 1
                                    << int(QMessageBox::Question);
    QTest::newRow("storno pressed") << 2 << "OK" << int(MessageIcon::Warning) << "storno" << 2
                                    << int(QMessageBox::Warning);
}

void TestMainWindow::messageDialogButtons()
{
    QFETCH(int, buttons);
    QFETCH(QString, first);
    QFETCH(int, icon);
    QFETCH(QString, press);
    QFETCH(int, answer);
    QFETCH(int, boxIcon);
    TForm1 w(modul());
    auto seen = std::make_shared<QStringList>();
    onWindow(QStringLiteral("messageDialog"), [seen, press](QWidget *dialog) {
        auto *box = static_cast<QMessageBox *>(dialog);
        *seen << box->windowTitle() << box->text() << QString::number(box->icon());
        for (QAbstractButton *b : box->buttons())
            *seen << b->text();
        clickButton(dialog, press);
    });
    QCOMPARE(
        messages::show(QStringLiteral("Nelze opravit! Doklad je již zaúčtován."), MessageIcon(icon), buttons, first),
        answer);
    QCOMPARE(seen->value(0), QStringLiteral("Tavrix05"));
    QCOMPARE(seen->value(1), QStringLiteral("Nelze opravit! Doklad je již zaúčtován."));
    QCOMPARE(seen->value(2), QString::number(boxIcon));
    QStringList captions = seen->mid(3);
    captions.sort();
    QStringList expected { first };
    if (buttons == 2)
        expected << QStringLiteral("storno");
    expected.sort();
    QCOMPARE(captions, expected);
}

void TestMainWindow::messageDialogAboveSplash()
{
    // A message during start-up (here: the server cannot be reached) must not hide behind the
    // splash, which stays on top.
    inst->writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("SQLport"), QStringLiteral("1"));
    TForm1 w(StartOptions { QString(), 60000 });
    auto flags = std::make_shared<QList<int>>();
    auto splashShown = std::make_shared<bool>(false);
    onWindow(QStringLiteral("messageDialog"), [flags, splashShown, &w](QWidget *dialog) {
        *splashShown = w.splash() && w.splash()->isVisible();
        *flags << int(bool(dialog->windowFlags() & Qt::WindowStaysOnTopHint));
        clickButton(dialog, QStringLiteral("OK"));
    });
    QVERIFY(w.startUp());
    QVERIFY(*splashShown);
    QCOMPARE(*flags, QList<int>({ 1 }));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
