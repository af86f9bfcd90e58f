// The main window in-process against the private server: start-up with and without stored
// values, the access prompt, the document list and its scope, row colours, the lines panel, the
// cost-centre dialogs, the module menu and the message dialog; the shortcuts after a dialog, the
// short list and its lines while a document is edited, and the document a killed editing process
// left in the working tables (a real process of this binary, killed with SIGKILL).
#include "appfonts.h"
#include "connection.h"
#include "editor.h"
#include "opendocument.h"
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
#include "wiring.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDialog>
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
#include <QProcess>
#include <QRegularExpression>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
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

bool selectRow(TForm1 &w, const QString &number)
{
    for (int r = 0; r < w.listModel()->rowCount(); ++r) {
        if (w.listModel()->value(r, QStringLiteral("cislodokla")).toString() == number) {
            w.listGrid()->setCurrentIndex(w.listModel()->index(r, 0));
            return true;
        }
    }
    return false;
}

// The list's current row lies wholly inside the grid's visible area.
bool currentRowFullyVisible(const TForm1 &w)
{
    QTableView *grid = w.listGrid();
    const QModelIndex current = grid->currentIndex();
    const QRect row = grid->visualRect(grid->model()->index(current.row(), 0));
    return current.isValid() && row.height() > 0 && row.top() >= 0 && row.bottom() < grid->viewport()->height();
}

QString markFile()
{
    return paths::dataDir() + QStringLiteral("/pelmixi.edit");
}

// The process a test kills: starts the wired main window in the given program folder, opens a
// document ("new" or a number of cost centre 101), changes its working copy, says READY and waits.
int editAndWait(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[2]);
    const QString what = QString::fromLocal8Bit(argv[3]);
    paths::setProgramDir(dir);
    QDir::setCurrent(dir);
    TForm1 w(modul());
    wireEditor(w);
    if (!w.startUp())
        return 2;
    testsupport::MessageRecorder rec;
    auto *editor = w.findChild<DocumentEditor *>(QStringLiteral("DocumentEditor"));
    if (what == QLatin1String("new")) {
        w.findChild<QAction *>(QStringLiteral("Novdoklad1"))->trigger();
    } else {
        if (!selectRow(w, what))
            return 3;
        w.findChild<QAction *>(QStringLiteral("Opravit1"))->trigger();
    }
    if (!editor || !editor->isOpen())
        return 4;
    opening::WorkingTables &t = editor->tables();
    if (what == QLatin1String("new")) {
        t.header.first();
        t.header.edit();
        t.header.setString(QStringLiteral("partie"), QStringLiteral("552699901"));
        t.header.setString(QStringLiteral("partiecela"), QStringLiteral("552699901"));
        t.header.post();
    } else {
        t.lines.first();
        t.lines.edit();
        t.lines.setFloat(QStringLiteral("mnozstvi"), 612.5);
        t.lines.post();
    }
    const QStringList batches { QStringLiteral("250000101"), QStringLiteral("250000103"), QStringLiteral("250000105") };
    for (int i = 0; i < (what == QLatin1String("new") ? 3 : 1); ++i)
        t.lines.appendRecord({ { QStringLiteral("partie"), batches.at(i) }, { QStringLiteral("podnik"), QStringLiteral("0441") },
            { QStringLiteral("partiecela"), batches.at(i) + QStringLiteral("-0441") }, { QStringLiteral("lomeni"), 0 },
            { QStringLiteral("nomenkla"), QStringLiteral("11100") + QString::number(i + 1) },
            { QStringLiteral("mnozstvi"), 100 + i }, { QStringLiteral("smes"), QStringLiteral("0") } });
    std::fputs("READY\n", stdout);
    std::fflush(stdout);
    return app.exec();
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
    void costCentreCheckedWhenEntered_data();
    void costCentreCheckedWhenEntered();
    void costCentreListCheckedWhenEntered();
    void refusedStartRowShownOnce();
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
    void shortcutsAfterDialog_data();
    void shortcutsAfterDialog();
    void listRowVisibleWhileEditing();
    void linesPanelKeptWhileEditing();
    void killedEditingOfferedBack_data();
    void killedEditingOfferedBack();

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

void TestMainWindow::costCentreCheckedWhenEntered_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("Cyrillic and an emoji")
        << QStringLiteral("Пр😀")
        << QStringLiteral(
               "Číslo střediska „Пр😀“ obsahuje znak „П“ (U+041F), který nelze uložit v kódové stránce 1250.");
    QTest::newRow("emoji alone") << QStringLiteral("1😀")
                                 << QStringLiteral("Číslo střediska „1😀“ obsahuje znak „😀“ (U+1F600), který nelze "
                                                   "uložit v kódové stránce 1250.");
    QTest::newRow("quotes, backslash, semicolon")
        << QStringLiteral("1'\"\\;")
        << QStringLiteral("Číslo střediska „1'\"\\;“ obsahuje nepovolený znak. Apostrof, uvozovky, zpětné lomítko, "
                          "středník ani řídicí znaky v něm být nesmějí.");
    QTest::newRow("semicolon") << QStringLiteral("1;2")
                               << QStringLiteral("Číslo střediska „1;2“ obsahuje nepovolený znak. Apostrof, uvozovky, "
                                                 "zpětné lomítko, středník ani řídicí znaky v něm být nesmějí.");
    QTest::newRow("five digits") << QStringLiteral("12345")
                                 << QStringLiteral("Číslo střediska „12345“ je delší než tři znaky.");
    QTest::newRow("empty") << QString() << QStringLiteral("Číslo střediska není vyplněno.");
}

// The choice refuses a code that cannot be used with a message, stays open on it and keeps the
// current cost centre; a usable code typed then is taken.
void TestMainWindow::costCentreCheckedWhenEntered()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    writeStrediSez(inst->programDir(), "101\r\n777\r\n");
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    TForm1 w(modul());
    QVERIFY(w.startUp());
    testsupport::MessageRecorder rec;
    auto seen = std::make_shared<QStringList>();
    QPointer<TForm1> window(&w);
    onWindow(QStringLiteral("TFstredi"), [typed, seen, window](QWidget *dialog) {
        auto *box = dialog->findChild<QComboBox *>(QStringLiteral("suiComboBox1"));
        box->setEditText(typed);
        clickButton(dialog, QStringLiteral("OK"));
        *seen << (dialog->isVisible() ? QStringLiteral("open") : QStringLiteral("closed")) << window->costCentre()
              << box->currentText();
        dialog->close(); // however it is closed: refused again
        *seen << (dialog->isVisible() ? QStringLiteral("open") : QStringLiteral("closed"));
        box->setEditText(QStringLiteral("777"));
        clickButton(dialog, QStringLiteral("OK"));
    });
    w.chooseCostCentre();
    QCOMPARE(*seen, QStringList({ QStringLiteral("open"), QStringLiteral("101"), typed, QStringLiteral("open") }));
    QCOMPARE(rec.shown.size(), 2);
    QCOMPARE(rec.shown.at(0).text, message);
    QCOMPARE(rec.shown.at(0).icon, MessageIcon::Warning);
    QCOMPARE(w.costCentre(), QStringLiteral("777"));
    QCOMPARE(w.lastListQueryLines().at(2), QStringLiteral(" where stredisko = '777'"));
    QCOMPARE(listNumbers(w).size(), 4);
}

// The list of cost centres is checked line by line when it is entered; the file keeps its old
// list until every line can be used.
void TestMainWindow::costCentreListCheckedWhenEntered()
{
    writeStrediSez(inst->programDir(), "101\r\n102\r\n");
    TForm1 w(modul());
    QVERIFY(w.startUp());
    testsupport::MessageRecorder rec;
    auto seen = std::make_shared<QStringList>();
    onWindow(QStringLiteral("TFstrediska"), [seen](QWidget *dialog) {
        auto *memo = dialog->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
        memo->setPlainText(QStringLiteral("101\n\n102\nПр😀\n12345\n"));
        dialog->close();
        *seen << (dialog->isVisible() ? QStringLiteral("open") : QStringLiteral("closed"))
              << memo->textCursor().selectedText();
        memo->setPlainText(QStringLiteral("101\n\n102\nŠ03\n"));
        clickButton(dialog, QStringLiteral("OK"));
    });
    w.editCostCentres();
    QCOMPARE(*seen, QStringList({ QStringLiteral("open"), QStringLiteral("Пр😀") }));
    QCOMPARE(rec.shown.size(), 1);
    QCOMPARE(rec.last(),
        QStringLiteral("Seznam středisek, řádek 4: Číslo střediska „Пр😀“ obsahuje znak „П“ (U+041F), který nelze "
                       "uložit v kódové stránce 1250. Seznam nebyl uložen."));
    QFile f(inst->programDir() + QStringLiteral("/stredi.sez"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("101\r\n\r\n102\r\n\x8A\x30\x33\r\n"));
}

// An account that may read historiem but not insert into it: the refused start row is told once,
// and the session, the list and new documents work without the connection step running again.
void TestMainWindow::refusedStartRowShownOnce()
{
    const QString user = QStringLiteral("h13_nohist");
    const QStringList hosts { QStringLiteral("%"), QStringLiteral("localhost"), QStringLiteral("127.0.0.1") };
    Connection root(testsupport::serverParams(database));
    for (const QString &host : hosts) {
        root.execute(QStringLiteral("DROP USER IF EXISTS '%1'@'%2'").arg(user, host));
        root.execute(QStringLiteral("CREATE USER '%1'@'%2' IDENTIFIED BY 'h13'").arg(user, host));
        root.execute(QStringLiteral("GRANT CREATE, DROP, LOCK TABLES, CREATE TEMPORARY TABLES ON `%1`.* TO '%2'@'%3'")
                         .arg(database, user, host));
        const ResultSet tables = root.query(
            QStringLiteral("select table_name from information_schema.tables where table_schema = '%1'").arg(database));
        for (qsizetype i = 0; i < tables.rowCount(); ++i) {
            const QString table = tables.text(i, QStringLiteral("table_name"));
            const QString rights = table.compare(QStringLiteral("historiem"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("SELECT")
                : QStringLiteral("ALL PRIVILEGES");
            root.execute(QStringLiteral("GRANT %1 ON `%2`.`%3` TO '%4'@'%5'").arg(rights, database, table, user, host));
        }
    }
    const QString startRows = QStringLiteral("select count(*) from historiem");
    const int before = root.scalar(startRows).toInt();
    inst->writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("User"), user);
    inst->writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("Password"), QStringLiteral("h13"));
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));

    {
        TForm1 w(modul());
        testsupport::MessageRecorder rec;
        int newDocuments = 0;
        w.hooks.newDocument = [&newDocuments] { ++newDocuments; };
        QVERIFY(w.startUp());
        QCOMPARE(rec.shown.size(), 1);
        QVERIFY2(rec.last().startsWith(QStringLiteral("Záznam o spuštění programu se nepodařilo zapsat do tabulky "
                                                      "historiem; program pracuje dál.\n")),
            qPrintable(rec.last()));
        QVERIFY2(rec.last().contains(QStringLiteral("INSERT")), qPrintable(rec.last()));
        QCOMPARE(rec.shown.at(0).icon, MessageIcon::Warning);
        QVERIFY(w.suiteSettingsRead());
        QCOMPARE(listNumbers(w).size(), 5);

        // Every later step works, with no further message.
        w.findChild<QAction *>(QStringLiteral("Novdoklad1"))->trigger();
        QCOMPARE(newDocuments, 1);
        auto *year = w.findChild<QComboBox *>(QStringLiteral("suiComboBoxRok"));
        year->setCurrentIndex(year->findText(QStringLiteral("2026")));
        QCOMPARE(listNumbers(w).size(), 4);
        w.findChild<QAction *>(QStringLiteral("Novdoklad1"))->trigger();
        QCOMPARE(newDocuments, 2);
        QCOMPARE(rec.shown.size(), 1);
        QCOMPARE(appConnection().scalar(QStringLiteral("select current_user()")).toString().section(u'@', 0, 0), user);
        QCOMPARE(appConnection().scalar(QStringLiteral("select @@session.character_set_client")).toString(),
            QStringLiteral("cp1250"));
    }
    QCOMPARE(root.scalar(startRows).toInt(), before);
    for (const QString &host : hosts)
        root.execute(QStringLiteral("DROP USER IF EXISTS '%1'@'%2'").arg(user, host));
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
        memo->setPlainText(QStringLiteral("101\nŠ02\n"));
        dialog->close(); // any close writes the list back
    });
    w.findChild<QAction *>(QStringLiteral("Stediska1"))->trigger();
    QCOMPARE(rec.shown.size(), 1); // the file was missing
    QFile f(inst->programDir() + QStringLiteral("/stredi.sez"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("101\r\n\x8A\x30\x32\r\n"));
    f.close();

    onWindow(QStringLiteral("TFstrediska"), [](QWidget *dialog) {
        QCOMPARE(
            dialog->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->toPlainText(), QStringLiteral("101\nŠ02"));
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

void TestMainWindow::shortcutsAfterDialog_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("Nový doklad") << QStringLiteral("Novdoklad1") << QKeySequence(QStringLiteral("Ctrl+N"));
    QTest::newRow("Opravit") << QStringLiteral("Opravit1") << QKeySequence(QStringLiteral("Ctrl+O"));
    QTest::newRow("Tisk dokladu") << QStringLiteral("Tiskdokladu1") << QKeySequence(QStringLiteral("Ctrl+T"));
    QTest::newRow("Tisk štítku na paletu") << QStringLiteral("Tiskttkunapaletu1") << QKeySequence(QStringLiteral("Ctrl+P"));
}

void TestMainWindow::shortcutsAfterDialog()
{
    QFETCH(QString, action);
    QFETCH(QKeySequence, keys);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("777"));
    TForm1 w(modul());
    int triggered = 0;
    // A modal window of the main window (as the print preview is) closes before the key.
    QAction *target = w.findChild<QAction *>(action);
    QVERIFY(target);
    connect(target, &QAction::triggered, &w, [&triggered] { ++triggered; });
    w.hooks.newDocument = [] {};
    w.hooks.openDocument = [] {};
    QVERIFY(w.startUp());
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (int round = 0; round < 3; ++round) {
        {
            QDialog preview(&w);
            preview.setObjectName(QStringLiteral("previewStandIn"));
            preview.setWindowModality(Qt::WindowModal);
            QTimer::singleShot(50, &preview, &QDialog::accept);
            preview.exec();
        }
        QTRY_VERIFY(w.isActiveWindow());
        QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
        QCOMPARE(focus->window(), &w);
        QTest::keySequence(focus, keys);
        QCOMPARE(triggered, round + 1);
    }
}

void TestMainWindow::listRowVisibleWhileEditing()
{
    // A long list: the opened document lies far below the first rows.
    Connection c(testsupport::serverParams(database));
    c.execute(QStringLiteral("DELETE FROM pelmixi WHERE stredisko = '555'"));
    QStringList rows;
    for (int i = 1; i <= 80; ++i)
        rows << QStringLiteral("('26555%1', '555', '5555%1', '5555%1', '150001', 'KS pro nosnice N1', 10, 1, "
                               "'2026-02-01', '1', '2026')")
                    .arg(i, 5, 10, QLatin1Char('0'));
    c.execute(QStringLiteral("INSERT INTO pelmixi (cislodokla, stredisko, partie, partiecela, nomenkla, nazevosiva, "
                             "mnozstvi, nc, datum, smes, rokd) VALUES ")
        + rows.join(QLatin1Char(',')));
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("555"));
    TForm1 w(modul());
    wireEditor(w);
    testsupport::MessageRecorder rec;
    QVERIFY(w.startUp());
    // The row near the end of the full list, shown at the bottom of the grid as the operator scrolled.
    QVERIFY(selectRow(w, QStringLiteral("2655500020")));
    w.listGrid()->scrollTo(w.listGrid()->currentIndex(), QAbstractItemView::PositionAtBottom);
    QVERIFY(currentRowFullyVisible(w));
    w.findChild<QAction *>(QStringLiteral("Opravit1"))->trigger();
    auto *editor = w.findChild<DocumentEditor *>(QStringLiteral("DocumentEditor"));
    QVERIFY(editor->isOpen());
    QCOMPARE(w.currentDocumentNumber(), QStringLiteral("2655500020"));
    QCOMPARE(w.splitter()->sizes().value(0), 100);
    QTRY_VERIFY(currentRowFullyVisible(w));
    if (const QString shots = qEnvironmentVariable("PELMIXI_SHOTS"); !shots.isEmpty())
        QVERIFY(w.grab().save(shots + QStringLiteral("/mainwindow-editing-row.png")));
    // A window resized while editing keeps the row in sight too.
    w.showNormal();
    w.resize(w.width() - 40, w.height() - 60);
    w.setListSectionHeight(100);
    QTRY_VERIFY(currentRowFullyVisible(w));
    w.returnToList();
    c.execute(QStringLiteral("DELETE FROM pelmixi WHERE stredisko = '555'"));
}

void TestMainWindow::linesPanelKeptWhileEditing()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("777"));
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Zobrazovatdkydokladu1_Checked"), QStringLiteral("True"));
    TForm1 w(modul());
    wireEditor(w);
    testsupport::MessageRecorder rec;
    QVERIFY(w.startUp());
    QVERIFY(w.showLines());
    QCOMPARE(w.linesPanelHeight(), 405);
    QVERIFY(selectRow(w, QStringLiteral("1907770001")));
    w.findChild<QAction *>(QStringLiteral("Opravit1"))->trigger();
    auto *editor = w.findChild<DocumentEditor *>(QStringLiteral("DocumentEditor"));
    QVERIFY(editor->isOpen());
    // The opening collapses the panel.
    QCOMPARE(w.linesPanelHeight(), 0);

    // Another row: its lines are read, the panel stays as it is and the editor keeps its place.
    const int editorHeight = w.splitter()->sizes().value(1);
    QVERIFY(selectRow(w, QStringLiteral("1807770001")));
    QCOMPARE(w.linesModel()->rowCount(), 2);
    QCOMPARE(w.linesPanelHeight(), 0);
    QVERIFY(!w.findChild<QWidget *>(QStringLiteral("linesPanel"))->isVisible());
    QCOMPARE(w.splitter()->sizes().value(1), editorHeight);
    if (const QString shots = qEnvironmentVariable("PELMIXI_SHOTS"); !shots.isEmpty())
        QVERIFY(w.grab().save(shots + QStringLiteral("/mainwindow-editing-other-row.png")));

    // The operator's own choice still works while editing, and is then kept.
    w.showLinesAction()->trigger();
    QCOMPARE(w.linesPanelHeight(), 0);
    w.showLinesAction()->trigger();
    QCOMPARE(w.linesPanelHeight(), 405);
    QVERIFY(selectRow(w, QStringLiteral("1807770002")));
    QCOMPARE(w.linesPanelHeight(), 405);
    QCOMPARE(w.linesModel()->rowCount(), 0);
    w.returnToList();
}

void TestMainWindow::killedEditingOfferedBack_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("postedMeanwhile");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<int>("lines");
    QTest::newRow("new document, restored") << QStringLiteral("new") << 1 << false
                                            << QStringLiteral("(nový, partie 552699901, 3 řádky)") << 3;
    QTest::newRow("new document, discarded") << QStringLiteral("new") << 2 << false
                                             << QStringLiteral("(nový, partie 552699901, 3 řádky)") << 3;
    QTest::newRow("correction, restored") << QStringLiteral("2601010004") << 1 << false
                                          << QStringLiteral("(číslo 2601010004, partie 552600004, 9 řádků)") << 9;
    QTest::newRow("correction posted meanwhile") << QStringLiteral("2601010004") << 1 << true
                                                 << QStringLiteral("(číslo 2601010004, partie 552600004, 9 řádků)") << 9;
}

void TestMainWindow::killedEditingOfferedBack()
{
    QFETCH(QString, what);
    QFETCH(int, answer);
    QFETCH(bool, postedMeanwhile);
    QFETCH(QString, summary);
    QFETCH(int, lines);
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));

    QProcess editing;
    editing.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    editing.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--edit-and-wait"), inst->programDir(), what });
    QVERIFY2(editing.waitForStarted(), qPrintable(editing.errorString()));
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT(
        (said += editing.readAllStandardOutput()).contains("READY") || editing.state() == QProcess::NotRunning, 60000);
    QCOMPARE(editing.state(), QProcess::Running);
    QVERIFY(QFile::exists(markFile()));
    {
        // While the editing program runs it holds the folder: nothing is offered.
        opening::WorkingTables tables;
        QVERIFY(!opening::findLeftBehind(tables));
    }
    ::kill(pid_t(editing.processId()), SIGKILL);
    QVERIFY(editing.waitForFinished());
    QCOMPARE(editing.exitStatus(), QProcess::CrashExit);
    QVERIFY(QFile::exists(markFile()));
    // Another workstation's accounting posts the document meanwhile (put back afterwards).
    const QString postingDate = Connection(testsupport::serverParams(database))
                                    .scalar(QStringLiteral("select ifnull(date_format(datumzauct, '%Y-%m-%d'), '') "
                                                           "from pelmixi where cislodokla = '2601010004' and smes = '1'"))
                                    .toString();
    if (postedMeanwhile)
        execute(QStringLiteral("UPDATE pelmixi SET datumzauct = '2026-12-01' WHERE cislodokla = '2601010004'"));
    const auto restorePosting = qScopeGuard([postedMeanwhile, postingDate] {
        if (postedMeanwhile)
            execute(QStringLiteral("UPDATE pelmixi SET datumzauct = %1 WHERE cislodokla = '2601010004'")
                        .arg(postingDate.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + postingDate + QLatin1Char('\'')));
    });

    TForm1 w(modul());
    wireEditor(w);
    testsupport::MessageRecorder rec;
    rec.answers = { answer };
    QVERIFY(w.startUp());
    QVERIFY(!rec.shown.isEmpty());
    const Message question = rec.shown.first();
    QCOMPARE(question.buttons, 2);
    QCOMPARE(question.icon, MessageIcon::Question);
    QCOMPARE(question.firstButton, QStringLiteral("Ano"));
    QCOMPARE(question.secondButton, QStringLiteral("Ne"));
    const QRegularExpression shape(QStringLiteral("^V pracovních tabulkách je rozpracovaný doklad \\(.*\\) z "
                                                  "\\d{1,2}\\.\\d{1,2}\\.\\d{4} \\d{1,2}:\\d{2}\\. Obnovit\\?$"));
    QVERIFY2(shape.match(question.text).hasMatch(), qPrintable(question.text));
    QVERIFY2(question.text.contains(summary), qPrintable(question.text));
    QVERIFY(question.text.contains(QDate::currentDate().toString(QStringLiteral("d.M.yyyy"))));

    if (const QString shots = qEnvironmentVariable("PELMIXI_SHOTS"); !shots.isEmpty()) {
        // The question as the operator sees it, in the program's own message dialog.
        onWindow(QStringLiteral("messageDialog"), [shots, what](QWidget *dialog) {
            dialog->grab().save(shots + QStringLiteral("/left-behind-question-%1.png").arg(what));
            clickButton(dialog, QStringLiteral("Ano"));
        });
        MessageDialogPort(&w).show(question);
    }

    auto *editor = w.findChild<DocumentEditor *>(QStringLiteral("DocumentEditor"));
    if (answer != 1) {
        QVERIFY(!editor->isOpen());
        QVERIFY(!w.isEditing());
        QVERIFY(!QFile::exists(markFile()));
        QCOMPARE(rec.shown.size(), 1);
        // The next opening starts afresh.
        w.findChild<QAction *>(QStringLiteral("Novdoklad1"))->trigger();
        QCOMPARE(editor->tables().lines.recordCount(), 0);
        w.returnToList();
        return;
    }
    QVERIFY(editor->isOpen());
    QVERIFY(w.isEditing());
    opening::WorkingTables &t = editor->tables();
    QCOMPARE(t.lines.recordCount(), lines);
    QCOMPARE(t.header.recordCount(), 1);
    QVERIFY(t.header.isOpen() && t.lines.isOpen() && t.stored.isOpen());
    if (what == QLatin1String("new")) {
        QCOMPARE(editor->state().mode, QStringLiteral("N"));
        QCOMPARE(t.header.asString(QStringLiteral("partiecela")), QStringLiteral("552699901"));
        QCOMPARE(t.stored.recordCount(), 0);
        QCOMPARE(editor->state().correctionState, 0);
        QCOMPARE(rec.shown.size(), 1);
    } else {
        QCOMPARE(editor->state().mode, QStringLiteral("O"));
        QCOMPARE(editor->state().documentNumber, what);
        QCOMPARE(editor->state().loadedPartiecela, QStringLiteral("552600004"));
        QCOMPARE(t.stored.recordCount(), 9);
        QVERIFY(t.lines.locate(QStringLiteral("mnozstvi"), 612.5));
        QCOMPARE(w.currentDocumentNumber(), what);
        const bool postedMessage = rec.texts().contains(QStringLiteral("Nelze opravit! Doklad je již zaúčtován."));
        QCOMPARE(postedMessage, postedMeanwhile);
        // The mix batch is on a later, unposted delivery note: locked code, saving allowed; posted
        // meanwhile: saving refused.
        QCOMPARE(editor->state().correctionState, postedMeanwhile ? 9 : 1);
        QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("suiButton15"))->isEnabled(), !postedMeanwhile);
    }
    if (const QString shots = qEnvironmentVariable("PELMIXI_SHOTS"); !shots.isEmpty())
        QVERIFY(w.grab().save(shots + QStringLiteral("/left-behind-restored-%1.png").arg(what)));
    // The restored document is marked again until it returns to the list.
    QVERIFY(QFile::exists(markFile()));
    w.returnToList();
    QVERIFY(!QFile::exists(markFile()));
    opening::WorkingTables tables;
    QVERIFY(!opening::findLeftBehind(tables));
}

int main(int argc, char *argv[])
{
    if (argc >= 4 && qstrcmp(argv[1], "--edit-and-wait") == 0)
        return editAndWait(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestMainWindow tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_mainwindow.moc"
