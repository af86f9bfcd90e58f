// The document editor in the wired main window against the demo plant: new documents and the
// opening of every stored one with its guards, the header page "Směs" (field checks, "<- partie",
// the price list, recalculation), the return to the list, and saving through the real "Zapsat".
#include "appfonts.h"
#include "connection.h"
#include "editor.h"
#include "lineeditor.h"
#include "paths.h"
#include "pricelistpicker.h"
#include "resulttablemodel.h"
#include "script.h"
#include "sidechannel.h"
#include "stockpicker.h"
#include "testsupport.h"
#include "windowtest.h"
#include "tform1.h"
#include "wiring.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

using testsupport::clickButton;
using testsupport::onWindow;

namespace {

const QString database = u"t_ui_editor"_s;

StartOptions modul()
{
    return StartOptions { u"modul"_s, 0 };
}

void execute(const QString &sql)
{
    Connection c(testsupport::serverParams(database));
    c.execute(u"set @@session.sql_mode=\"\""_s);
    c.execute(sql);
}

QVariant scalar(const QString &sql)
{
    Connection c(testsupport::serverParams(database));
    return c.scalar(sql);
}

template <typename T> T *child(QObject *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qWarning("no widget %s", qPrintable(name));
    return w;
}

QStringList listNumbers(const TForm1 &w)
{
    QStringList numbers;
    for (int r = 0; r < w.listModel()->rowCount(); ++r)
        numbers << w.listModel()->value(r, u"cislodokla"_s).toString();
    return numbers;
}

bool selectListRow(TForm1 &w, const QString &number)
{
    for (int r = 0; r < w.listModel()->rowCount(); ++r) {
        if (w.listModel()->value(r, u"cislodokla"_s).toString() == number) {
            w.listGrid()->setCurrentIndex(w.listModel()->index(r, 0));
            return true;
        }
    }
    return false;
}

// A line as the line editor leaves it after a take-over from a stock card of cost centre 101.
QVariantMap cardLine(const QString &partie, const QString &podnik, const QString &nomenkla, const QString &name,
    double mnozstvi, double pr, double nc)
{
    return { { u"partie"_s, partie }, { u"podnik"_s, podnik }, { u"lomeni"_s, 0 },
        { u"partiecela"_s, partie + u'-' + podnik }, { u"nomenkla"_s, nomenkla }, { u"nazevosiva"_s, name },
        { u"mj"_s, u"kg"_s }, { u"mnozstvi"_s, mnozstvi }, { u"pr"_s, pr }, { u"nc"_s, nc }, { u"smes"_s, u"0"_s } };
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newDocumentHeader();
    void newDocumentAfterRefusedCorrection();
    void confirmedBoxAndRecipes_data();
    void confirmedBoxAndRecipes();
    void openDemoDocuments_data();
    void openDemoDocuments();
    void doubleClickWhileEditingIsIgnored();
    void failedOpeningReturnsToList();
    void dateCheckOnLeaving_data();
    void dateCheckOnLeaving();
    void batchCodeCheckOnLeaving_data();
    void batchCodeCheckOnLeaving();
    void typedDate_data();
    void typedDate();
    void batchCodeAfterRefusedSave_data();
    void batchCodeAfterRefusedSave();
    void proposeBatchCode();
    void priceListTakeOver();
    void priceListSortAndSearch();
    void lineEditingLocksHeaderButtons();
    void recalculateAndSalePrice();
    void recipeProposal();
    void saveNewDocument();
    void saveRefusedKeepsEditor();
    void saveCorrection();
    void stockCardFromListLines();
    void screenshots();

private:
    std::unique_ptr<TForm1> start(const QString &costCentre = u"101"_s);
    DocumentEditor *editorOf(TForm1 &w) { return w.findChild<DocumentEditor *>(u"DocumentEditor"_s); }
    bool openDocument(TForm1 &w, const QString &number);
    void activate(TForm1 &w);

    std::unique_ptr<testsupport::Installation> inst;
    std::unique_ptr<testsupport::MessageRecorder> rec;
    int m_terminations = 0;
};

void TestEditor::initTestCase()
{
    appfonts::applyApplicationFont();
    script::setTerminateHandler([this] { ++m_terminations; });
}

void TestEditor::init()
{
    // Saves change stock and numbering: every case starts from the untouched demo plant.
    testsupport::createDatabase(database, true);
    inst = std::make_unique<testsupport::Installation>(database);
    m_terminations = 0;
}

void TestEditor::cleanup()
{
    rec.reset();
    inst.reset();
}

std::unique_ptr<TForm1> TestEditor::start(const QString &costCentre)
{
    inst->writeModuleIni(u"TForm1"_s, u"Label1_Caption"_s, costCentre);
    auto w = std::make_unique<TForm1>(modul());
    wireEditor(*w);
    if (!w->startUp())
        return {};
    rec = std::make_unique<testsupport::MessageRecorder>();
    return w;
}

bool TestEditor::openDocument(TForm1 &w, const QString &number)
{
    if (!selectListRow(w, number))
        return false;
    child<QAction>(&w, u"Opravit1"_s)->trigger();
    return true;
}

void TestEditor::activate(TForm1 &w)
{
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void TestEditor::newDocumentHeader()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    QVERIFY(editor);
    QVERIFY(!editor->isEnabled());

    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    QVERIFY(rec->shown.isEmpty());
    QVERIFY(editor->isOpen());
    QVERIFY(editor->isEnabled());
    QCOMPARE(editor->state().mode, u"N"_s);
    QCOMPARE(editor->state().correctionState, 0);

    WorkTable &header = editor->tables().header;
    QCOMPARE(header.recordCount(), 1);
    QCOMPARE(header.asInteger(u"lomeni"_s), 0);
    QCOMPARE(header.asString(u"smes"_s), u"1"_s);
    QCOMPARE(header.asDate(u"datum"_s), QDate::currentDate());
    QCOMPARE(header.asString(u"jazyk"_s), u"C"_s);
    QCOMPARE(header.asString(u"stredisko"_s), u"101"_s);
    QCOMPARE(editor->tables().lines.recordCount(), 0);
    QCOMPARE(editor->tables().stored.recordCount(), 0);
    QVERIFY(!editor->tables().aggregate.isOpen());

    // The fields show the row.
    QCOMPARE(child<QDateEdit>(editor, u"DBDateEdit1"_s)->date(), QDate::currentDate());
    QCOMPARE(child<QLineEdit>(editor, u"EditCISLODOKLA"_s)->text(), QString());
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit10"_s)->text(), u"0,00"_s);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit14"_s)->text(), QString()); // no lines, no quantity yet
    QCOMPARE(child<QLineEdit>(editor, u"CurrencyEdit1"_s)->text(), u"0"_s);
    QVERIFY(!child<QLineEdit>(editor, u"DBEdit11"_s)->isReadOnly());
    for (const QString &readOnly :
        { u"DBEdit12"_s, u"DBEdit1"_s, u"DBEdit2"_s, u"DBEdit3"_s, u"DBEdit4"_s, u"DBEdit5"_s, u"DBEdit6"_s,
            u"DBEdit7"_s, u"DBEdit8"_s, u"DBEdit10"_s, u"DBEdit14"_s, u"DBEdit15"_s, u"DBEdit16"_s })
        QVERIFY2(child<QLineEdit>(editor, readOnly)->isReadOnly(), qPrintable(readOnly));
    for (const QString &editable : { u"DBEdit9"_s, u"DBEdit13"_s })
        QVERIFY2(!child<QLineEdit>(editor, editable)->isReadOnly(), qPrintable(editable));

    // Document panel and pages.
    QCOMPARE(child<QLabel>(editor, u"LabelNadpis"_s)->text(), u"KRMNÉ SMĚSI"_s);
    QCOMPARE(child<QPushButton>(editor, u"suiButton15"_s)->text(), u"Zapsat"_s);
    QVERIFY(child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());
    QCOMPARE(child<QPushButton>(editor, u"suiButtonZpet"_s)->text(), u"Zpět"_s);
    QCOMPARE(child<QCheckBox>(editor, u"suiCheckBoxStav"_s)->text(), u"Potvrzená KS"_s);
    QVERIFY(!child<QCheckBox>(editor, u"suiCheckBoxStav"_s)->isChecked());
    auto *pages = child<QTabWidget>(editor, u"suiPageControl1"_s);
    QCOMPARE(pages->tabText(0), u"     Směs     "_s);
    QCOMPARE(pages->tabText(1), u"     Obal     "_s);
    QCOMPARE(pages->currentWidget()->objectName(), u"TabSheetSmes"_s);
    QVERIFY(!pages->isTabVisible(1));
    QVERIFY(!pages->widget(1)->isEnabled());
    for (const QString &packaging : { u"EditMNOMENKLA"_s, u"EditMO"_s, u"CurrencyEdit2"_s, u"EditEK"_s, u"EditVAHAO"_s,
             u"EditPOCETO"_s, u"EditNAVESKY"_s })
        QVERIFY2(child<QLineEdit>(editor, packaging), qPrintable(packaging));
    QCOMPARE(child<QLineEdit>(editor, u"EditPOCETO"_s)->text(), u"0"_s);
    QCOMPARE(child<QLineEdit>(editor, u"EditMO"_s)->text(), QString());
    QCOMPARE(
        child<QTableView>(editor, u"suiDBGrid2"_s)->model()->headerData(0, Qt::Horizontal).toString(), u"Partie"_s);
    // "zadávat procenta" starts cleared, so "Celkem" is not used yet.
    QVERIFY(!child<QCheckBox>(editor, u"suiCheckBoxProcenta"_s)->isChecked());
    QVERIFY(!child<QLineEdit>(editor, u"CurrencyEdit1"_s)->isEnabled());
    child<QCheckBox>(editor, u"suiCheckBoxProcenta"_s)->click();
    QVERIFY(child<QLineEdit>(editor, u"CurrencyEdit1"_s)->isEnabled());
    QVERIFY(editor->percentMode());

    // The main window is in editing mode: the list keeps 100 pixels, the menu items are off.
    for (const QString &action : { u"Novdoklad1"_s, u"Opravit1"_s, u"Tiskdokladu1"_s })
        QVERIFY2(!child<QAction>(w.get(), action)->isEnabled(), qPrintable(action));
    QVERIFY(w->isEditing());
    QCOMPARE(w->splitter()->sizes().value(0), 100);

    // "Zpět" of the document: back to the list.
    child<QPushButton>(editor, u"suiButtonZpet"_s)->click();
    QVERIFY(!editor->isOpen());
    QVERIFY(!editor->isEnabled());
    QVERIFY(!w->isEditing());
    for (const QString &action : { u"Novdoklad1"_s, u"Opravit1"_s, u"Tiskdokladu1"_s })
        QVERIFY2(child<QAction>(w.get(), action)->isEnabled(), qPrintable(action));
    QCOMPARE(w->splitter()->sizes().value(1), 0);
    QVERIFY(!editor->tables().header.isOpen());
    QVERIFY(rec->shown.isEmpty());
}

void TestEditor::newDocumentAfterRefusedCorrection()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    QVERIFY(openDocument(*w, u"2601010003"_s));
    QVERIFY(editor->isOpen());
    QCOMPARE(editor->state().correctionState, 9);
    QVERIFY(!child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());
    child<QPushButton>(editor, u"suiButtonZpet"_s)->click();

    QVERIFY(openDocument(*w, u"2601010004"_s));
    QCOMPARE(editor->state().correctionState, 1);
    QVERIFY(child<QLineEdit>(editor, u"DBEdit11"_s)->isReadOnly());
    child<QPushButton>(editor, u"suiButtonZpet"_s)->click();

    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    QCOMPARE(editor->state().correctionState, 0);
    QCOMPARE(editor->state().mode, u"N"_s);
    QVERIFY(child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());
    QVERIFY(!child<QLineEdit>(editor, u"DBEdit11"_s)->isReadOnly());
    QVERIFY(child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->isEnabled());
    QCOMPARE(child<QLineEdit>(editor, u"EditCISLODOKLA"_s)->text(), QString());
    QCOMPARE(editor->tables().stored.recordCount(), 0);
}

void TestEditor::confirmedBoxAndRecipes_data()
{
    QTest::addColumn<int>("ksJaknc");
    QTest::addColumn<QString>("potvrzovat");
    QTest::addColumn<QString>("recipeFolder");
    QTest::addColumn<bool>("boxVisible");
    QTest::addColumn<bool>("boxEnabled");
    QTest::addColumn<bool>("recipesVisible");

    QTest::newRow("no confirmation, no recipes") << 0 << "True"
                                                 << "" << false << true << false;
    QTest::newRow("confirmation allowed") << 1 << "True"
                                          << "recepty" << true << true << true;
    QTest::newRow("confirmation not allowed") << 1 << "False"
                                              << "recepty" << true << false << true;
    QTest::newRow("KS_JAKNC 2") << 2 << ""
                                << "" << true << false << false;
}

void TestEditor::confirmedBoxAndRecipes()
{
    QFETCH(int, ksJaknc);
    QFETCH(QString, potvrzovat);
    QFETCH(QString, recipeFolder);
    QFETCH(bool, boxVisible);
    QFETCH(bool, boxEnabled);
    QFETCH(bool, recipesVisible);

    execute(u"UPDATE tavrix SET KS_JAKNC = %1"_s.arg(ksJaknc));
    if (!potvrzovat.isEmpty())
        inst->writeModuleIni(u"TFmozno"_s, u"suiCheckBoxPotvrzovat_Checked"_s, potvrzovat);
    if (!recipeFolder.isEmpty()) {
        QDir(inst->programDir()).mkpath(recipeFolder);
        inst->writeModuleIni(u"TFmozno"_s, u"JvDirectoryEdit1_Text"_s, inst->programDir() + u'/' + recipeFolder);
    }
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    QVERIFY(editor->isOpen());
    QCOMPARE(child<QCheckBox>(editor, u"suiCheckBoxStav"_s)->isVisible(), boxVisible);
    QCOMPARE(child<QCheckBox>(editor, u"suiCheckBoxStav"_s)->isEnabled(), boxEnabled);
    QCOMPARE(child<QPushButton>(editor, u"suiButtonReceptury"_s)->isVisible(), recipesVisible);
}

void TestEditor::openDemoDocuments_data()
{
    QTest::addColumn<QString>("costCentre");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("partie");

    const QString posted = u"Nelze opravit! Doklad je již zaúčtován."_s;
    QTest::newRow("posted 2025") << "101"
                                 << "2501010001" << QStringList { posted } << 9 << true << 3 << "552500001";
    QTest::newRow("posted") << "101"
                            << "2601010001" << QStringList { posted } << 9 << true << 7 << "552600001";
    QTest::newRow("being posted") << "101"
                                  << "2601010002" << QStringList { u"Nelze opravit! Doklad je právě účtován!"_s } << 9
                                  << true << 7 << "552600002";
    QTest::newRow("batch issued and posted")
        << "101"
        << "2601010003"
        << QStringList { u"Nelze opravit! Partie byla již expedována\na zaúčtována na dokladu VN 2601010001"_s } << 9
        << true << 8 << "552600003";
    QTest::newRow("batch on an unposted delivery note")
        << "101"
        << "2601010004" << QStringList {} << 1 << false << 8 << "552600004";
    QTest::newRow("free, cost centre 102") << "102"
                                           << "2601020001" << QStringList {} << 0 << true << 4 << "552600005";
}

void TestEditor::openDemoDocuments()
{
    QFETCH(QString, costCentre);
    QFETCH(QString, number);
    QFETCH(QStringList, messages);
    QFETCH(int, state);
    QFETCH(bool, confirmed);
    QFETCH(int, lines);
    QFETCH(QString, partie);

    auto w = start(costCentre);
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    QVERIFY(openDocument(*w, number));
    QCOMPARE(rec->texts(), messages);
    for (const Message &m : std::as_const(rec->shown))
        QCOMPARE(m.icon, number == u"2601010002"_s ? MessageIcon::Information : MessageIcon::Stop);

    // Refused documents open too, for viewing.
    QVERIFY(editor->isOpen());
    QCOMPARE(editor->state().mode, u"O"_s);
    QCOMPARE(editor->state().correctionState, state);
    QCOMPARE(child<QLineEdit>(editor, u"EditCISLODOKLA"_s)->text(), number);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit11"_s)->text(), partie);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit11"_s)->isReadOnly(), state == 1);
    QCOMPARE(child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->isEnabled(), state != 1);
    QCOMPARE(child<QPushButton>(editor, u"suiButton15"_s)->isEnabled(), state != 9);
    QCOMPARE(child<QCheckBox>(editor, u"suiCheckBoxStav"_s)->isChecked(), confirmed);
    QCOMPARE(editor->tables().lines.recordCount(), lines);
    QCOMPARE(editor->linesGrid()->model()->rowCount(), lines);
    QCOMPARE(editor->tables().stored.recordCount(), lines + 1);
    // The mix NC shown is the one the set-up computed from the lines.
    QVERIFY(!child<QLineEdit>(editor, u"DBEdit10"_s)->text().isEmpty());
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit15"_s)->text(), u"kg"_s);
    QVERIFY(w->isEditing());
    QVERIFY(!child<QAction>(w.get(), u"Novdoklad1"_s)->isEnabled());
    QVERIFY(!child<QAction>(w.get(), u"Opravit1"_s)->isEnabled());
    QVERIFY(!child<QAction>(w.get(), u"Tiskdokladu1"_s)->isEnabled());
    QCOMPARE(w->splitter()->sizes().value(0), 100);

    // The mix batch with its packaging (minerals and mixes come in sacks).
    if (number == u"2601010001"_s) {
        QCOMPARE(child<QLineEdit>(editor, u"EditMO"_s)->text(), u"Pytel papírový 25 kg"_s);
        QCOMPARE(child<QLineEdit>(editor, u"EditPOCETO"_s)->text(), u"40"_s);
        QCOMPARE(child<QLineEdit>(editor, u"CurrencyEdit2"_s)->text(), u"0,18"_s);
    }

    const int shown = int(rec->shown.size());
    child<QPushButton>(editor, u"suiButtonZpet"_s)->click();
    QCOMPARE(rec->shown.size(), shown);
    QVERIFY(!w->isEditing());
    QVERIFY(!editor->isOpen());
    QVERIFY(!child<QLineEdit>(editor, u"DBEdit11"_s)->isReadOnly());
    QVERIFY(child<QPushButton>(editor, u"suiButton15"_s)->isEnabledTo(editor));
    QVERIFY(!child<QCheckBox>(editor, u"suiCheckBoxStav"_s)->isChecked());
    QCOMPARE(editor->state().correctionState, 0);
    for (const QString &action : { u"Novdoklad1"_s, u"Opravit1"_s, u"Tiskdokladu1"_s })
        QVERIFY2(child<QAction>(w.get(), action)->isEnabled(), qPrintable(action));
}

void TestEditor::doubleClickWhileEditingIsIgnored()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    QVERIFY(openDocument(*w, u"2601010004"_s));
    QCOMPARE(editor->state().correctionState, 1);
    QVERIFY(selectListRow(*w, u"2601010003"_s));
    emit w->listGrid()->doubleClicked(w->listGrid()->currentIndex());
    QVERIFY(rec->shown.isEmpty()); // 2601010003 would have shown its refusal
    QCOMPARE(child<QLineEdit>(editor, u"EditCISLODOKLA"_s)->text(), u"2601010004"_s);
    QCOMPARE(editor->state().correctionState, 1);
    QVERIFY(editor->tables().header.isOpen());

    // Back in the list the double-click opens the row under it.
    child<QPushButton>(editor, u"suiButtonZpet"_s)->click();
    QVERIFY(selectListRow(*w, u"2601010003"_s));
    emit w->listGrid()->doubleClicked(w->listGrid()->currentIndex());
    QCOMPARE(child<QLineEdit>(editor, u"EditCISLODOKLA"_s)->text(), u"2601010003"_s);
    QCOMPARE(rec->shown.size(), 1);
    QCOMPARE(editor->state().correctionState, 9);
}

void TestEditor::failedOpeningReturnsToList()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    // The document table vanishes under the opening: the standard error, then the list.
    execute(u"RENAME TABLE pelmixi TO pelmixi_away"_s);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    execute(u"RENAME TABLE pelmixi_away TO pelmixi"_s);
    QVERIFY(!rec->shown.isEmpty());
    QVERIFY(rec->shown.first().text.contains(u"pelmixi"_s));
    QVERIFY(!editor->isOpen());
    QVERIFY(!w->isEditing());
    for (const QString &action : { u"Novdoklad1"_s, u"Opravit1"_s, u"Tiskdokladu1"_s })
        QVERIFY2(child<QAction>(w.get(), action)->isEnabled(), qPrintable(action));
    QCOMPARE(w->splitter()->sizes().value(1), 0);
    // The next opening works.
    rec->shown.clear();
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    QVERIFY(editor->isOpen());
    QVERIFY(rec->shown.isEmpty());
}

void TestEditor::dateCheckOnLeaving_data()
{
    QTest::addColumn<QDate>("entered");
    QTest::addColumn<QString>("to"); // the widget the focus goes to
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QDate>("stored");

    // The demo plant has closed June 2026.
    QTest::newRow("open period") << QDate(2026, 7, 1) << "DBEdit9" << false << QDate(2026, 7, 1);
    QTest::newRow("closed period") << QDate(2026, 6, 30) << "DBEdit9" << true << QDate(2026, 6, 30);
    QTest::newRow("before 11.11.1999") << QDate(1999, 11, 10) << "DBEdit9" << true << QDate(1900, 1, 1);
    QTest::newRow("11.11.1999 in a closed period") << QDate(1999, 11, 11) << "DBEdit9" << true << QDate(1999, 11, 11);
    QTest::newRow("to the document's Zpět") << QDate(2026, 6, 30) << "suiButtonZpet" << false << QDate(2026, 6, 30);
}

void TestEditor::dateCheckOnLeaving()
{
    QFETCH(QDate, entered);
    QFETCH(QString, to);
    QFETCH(bool, refused);
    QFETCH(QDate, stored);

    auto w = start();
    QVERIFY(w);
    activate(*w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    auto *date = child<QDateEdit>(editor, u"DBDateEdit1"_s);
    QTRY_VERIFY(date->hasFocus());
    date->setDate(entered);
    child<QWidget>(editor, to)->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);

    QCOMPARE(editor->tables().header.asDate(u"datum"_s), stored);
    if (refused) {
        QCOMPARE(rec->texts(), QStringList { u"Datum je v již uzavřeném ÚO!"_s });
        QCOMPARE(rec->shown.first().firstButton, u"Zpět"_s);
        QCOMPARE(rec->shown.first().icon, MessageIcon::Stop);
        QCOMPARE(date->date(), stored);
        QTRY_VERIFY(date->hasFocus());
        QCOMPARE(child<QTabWidget>(editor, u"suiPageControl1"_s)->currentWidget()->objectName(), u"TabSheetSmes"_s);
    } else {
        QVERIFY(rec->shown.isEmpty());
        QVERIFY(!date->hasFocus());
    }
}

void TestEditor::batchCodeCheckOnLeaving_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("partiecela");
    QTest::addColumn<QString>("focus");

    QTest::newRow("mix code") << "552600077"
                              << "DBEdit9"
                              << ""
                              << "552600077"
                              << "DBEdit1";
    QTest::newRow("prefix code") << "552699999"
                                 << "DBEdit9"
                                 << ""
                                 << "552699999"
                                 << "DBEdit1";
    QTest::newRow("other 9 characters") << "250000101"
                                        << "DBEdit9"
                                        << ""
                                        << ""
                                        << "DBEdit1";
    QTest::newRow("too short") << "5526"
                               << "DBEdit9"
                               << "Špatně zadaná partie."
                               << ""
                               << "DBEdit11";
    QTest::newRow("too short, to Zpět") << "5526"
                                        << "suiButtonZpet"
                                        << ""
                                        << ""
                                        << "suiButtonZpet";
}

void TestEditor::batchCodeCheckOnLeaving()
{
    QFETCH(QString, typed);
    QFETCH(QString, to);
    QFETCH(QString, message);
    QFETCH(QString, partiecela);
    QFETCH(QString, focus);

    auto w = start();
    QVERIFY(w);
    activate(*w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    auto *partie = child<QLineEdit>(editor, u"DBEdit11"_s);
    partie->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(partie->hasFocus());
    QTest::keyClicks(partie, typed);
    child<QWidget>(editor, to)->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);

    QCOMPARE(rec->texts(), message.isEmpty() ? QStringList {} : QStringList { message });
    WorkTable &header = editor->tables().header;
    QCOMPARE(header.asString(u"partie"_s), typed);
    QCOMPARE(header.asString(u"partiecela"_s), partiecela);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit12"_s)->text(), partiecela);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focus);
}

void TestEditor::typedDate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key"); // the key that ends the typing
    QTest::addColumn<QDate>("stored");
    QTest::addColumn<QString>("message");

    const QString closed = u"Datum je v již uzavřeném ÚO!"_s;
    // The demo plant has closed June 2026.
    QTest::newRow("full date, Tab") << u"01.07.2026"_s << int(Qt::Key_Tab) << QDate(2026, 7, 1) << QString();
    QTest::newRow("without leading zeros, Enter") << u"1.8.2026"_s << int(Qt::Key_Return) << QDate(2026, 8, 1) << QString();
    QTest::newRow("without dots") << u"15092026"_s << int(Qt::Key_Tab) << QDate(2026, 9, 15) << QString();
    QTest::newRow("two-digit year") << u"2.10.26"_s << int(Qt::Key_Tab) << QDate(2026, 10, 2) << QString();
    QTest::newRow("closed period still checked") << u"1.3.2015"_s << int(Qt::Key_Tab) << QDate(2015, 3, 1) << closed;
    QTest::newRow("no such date") << u"31.02.2026"_s << int(Qt::Key_Tab) << QDate()
                                  << u"„31.02.2026“ není platné datum. Zadejte je jako 1.3.2015 nebo 01032015."_s;
}

// An operator types the date over the selected field and leaves it with Enter or Tab.
void TestEditor::typedDate()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QDate, stored);
    QFETCH(QString, message);

    auto w = start();
    QVERIFY(w);
    activate(*w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    auto *date = child<QDateEdit>(editor, u"DBDateEdit1"_s);
    QTRY_VERIFY(date->hasFocus());
    const QDate shown(2026, 7, 20);
    date->setDate(shown);
    auto *text = date->findChild<QLineEdit *>();
    QVERIFY(text);
    text->selectAll();
    QTest::keyClicks(date, typed);
    QTest::keyClick(date, Qt::Key(key));
    QTest::qWait(20);

    if (stored.isValid()) {
        QCOMPARE(editor->tables().header.asDate(u"datum"_s), stored);
        QCOMPARE(date->date(), stored);
    } else {
        // The field shows and keeps the date it had before the typing.
        QCOMPARE(editor->tables().header.asDate(u"datum"_s), shown);
        QCOMPARE(date->date(), shown);
        QCOMPARE(text->text(), u"20.07.2026"_s);
    }
    QTRY_COMPARE(rec->texts(), message.isEmpty() ? QStringList {} : QStringList { message });
    if (!message.isEmpty())
        QTRY_VERIFY(date->hasFocus());
    else
        QVERIFY(!date->hasFocus());
    // Nothing more follows: the field the Tab went to is not checked when a refusal takes the
    // focus back.
    QTest::qWait(50);
    QCOMPARE(rec->shown.size(), message.isEmpty() ? 0 : 1);
}

void TestEditor::batchCodeAfterRefusedSave_data()
{
    QTest::addColumn<QString>("proposed"); // "<- partie" first, or nothing
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("partiecela");

    QTest::newRow("mix code typed after the refusal") << QString() << u"552600077"_s << u"552600077"_s;
    QTest::newRow("proposal, then another mix code") << u"552600006"_s << u"552600077"_s << u"552600077"_s;
    QTest::newRow("proposal, then a code of no mix") << u"552600006"_s << u"123456789"_s << QString();
}

// "Zapsat" refuses a mix batch that is missing or does not match its full code; a code typed
// afterwards and left with Tab is checked once and fills (or clears) the full code.
void TestEditor::batchCodeAfterRefusedSave()
{
    QFETCH(QString, proposed);
    QFETCH(QString, typed);
    QFETCH(QString, partiecela);

    auto w = start();
    QVERIFY(w);
    activate(*w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    auto *partie = child<QLineEdit>(editor, u"DBEdit11"_s);
    WorkTable &header = editor->tables().header;
    if (!proposed.isEmpty()) {
        child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->click();
        QCOMPARE(header.asString(u"partiecela"_s), proposed);
    } else {
        child<QPushButton>(editor, u"suiButton15"_s)->click();
        QCOMPARE(rec->texts(), QStringList { u"Není vyplněna partie směsi."_s });
        QTRY_VERIFY(partie->hasFocus());
        rec->shown.clear();
    }
    partie->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(partie->hasFocus());
    partie->selectAll();
    QTest::keyClicks(partie, typed);
    QTest::keyClick(partie, Qt::Key_Tab);
    QTest::qWait(20);
    QVERIFY2(rec->shown.isEmpty(), qPrintable(rec->texts().join(u'|')));
    QCOMPARE(header.asString(u"partie"_s), typed);
    QCOMPARE(header.asString(u"partiecela"_s), partiecela);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit12"_s)->text(), partiecela);

    // A full code that is not the batch's own is never saved.
    if (partiecela.isEmpty()) {
        child<QPushButton>(editor, u"suiButton15"_s)->click();
        QCOMPARE(rec->texts(), QStringList { u"Není vyplněna partie směsi."_s });
        QCOMPARE(scalar(u"select count(*) from pelmixi where partie = '123456789'"_s).toInt(), 0);
        QCOMPARE(scalar(u"select count(*) from skarta where partie = '123456789'"_s).toInt(), 0);
    }
}

void TestEditor::proposeBatchCode()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->click();
    QVERIFY(rec->shown.isEmpty());
    WorkTable &header = editor->tables().header;
    QCOMPARE(header.asString(u"partie"_s), u"552600006"_s);
    QCOMPARE(header.asString(u"partiecela"_s), u"552600006"_s);
    QCOMPARE(header.asString(u"podnik"_s), QString());
    QCOMPARE(header.asInteger(u"lomeni"_s), 0);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit11"_s)->text(), u"552600006"_s);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit12"_s)->text(), u"552600006"_s);

    // A highest code that is no number stops the proposal with a message; partie stays.
    execute(
        u"INSERT INTO skarta (PARTIE, STREDISKO, LOMENI, PARTIECELA) VALUES ('5526X0001', '101', 0, '5526X0001')"_s);
    child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->click();
    QCOMPARE(rec->shown.size(), 1);
    QVERIFY(rec->last().contains(u"5526X0001"_s));
    QCOMPARE(header.asString(u"partie"_s), u"552600006"_s);
}

void TestEditor::priceListTakeOver()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    SideChannel *channel = w->priceListChannel();
    PriceListPicker *picker = editor->priceListPicker();
    QCOMPARE(picker->rowCount(), w->priceList().rowCount());

    // Without a document "Převzít" changes nothing.
    channel->slideOut(385);
    QVERIFY(picker->selectRow(u"NOMENKLA"_s, u"150001"_s));
    child<QPushButton>(picker, u"suiButtonPrevzitCenik"_s)->click();
    QVERIFY(channel->isOut());
    child<QPushButton>(picker, u"suiButtonZpetCenik"_s)->click();
    QVERIFY(!channel->isOut());

    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    child<QPushButton>(editor, u"suiButtonCenik"_s)->click();
    QVERIFY(channel->isOut());
    QCOMPARE(channel->panelWidth(), 385);
    QVERIFY(picker->selectRow(u"NOMENKLA"_s, u"150004"_s));
    child<QPushButton>(picker, u"suiButtonPrevzitCenik"_s)->click();
    QVERIFY(!channel->isOut());
    QVERIFY(rec->shown.isEmpty());

    WorkTable &header = editor->tables().header;
    QCOMPARE(header.asString(u"nomenkla"_s), u"150004"_s);
    QCOMPARE(header.asString(u"nazevosiva"_s), u"KS pro telata T1"_s);
    QCOMPARE(header.asString(u"mj"_s), u"kg"_s);
    QCOMPARE(header.asString(u"druh"_s), u"KSS"_s);
    QCOMPARE(header.asString(u"odruda"_s), u"T1"_s);
    QCOMPARE(header.asString(u"stupen"_s), QString());
    QCOMPARE(header.asString(u"naz_dru"_s), u"Krmná směs pro skot"_s);
    QCOMPARE(header.asString(u"naz_odru"_s), u"telata – odchov"_s);
    QCOMPARE(header.asFloat(u"pc"_s), 10.9);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit1"_s)->text(), u"KSS"_s);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit7"_s)->text(), u"KS pro telata T1"_s);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit13"_s)->text(), u"10,90"_s);
    QCOMPARE(child<QLabel>(editor, u"LabelMJCelkem"_s)->text(), u"kg"_s);

    // A double-click takes a row over as well.
    child<QPushButton>(editor, u"suiButtonCenik"_s)->click();
    QVERIFY(picker->selectRow(u"NOMENKLA"_s, u"150002"_s));
    emit picker->grid()->doubleClicked(picker->grid()->currentIndex());
    QCOMPARE(header.asString(u"nomenkla"_s), u"150002"_s);
    QVERIFY(!channel->isOut());
}

void TestEditor::priceListSortAndSearch()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    PriceListPicker *picker = editor->priceListPicker();
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    child<QPushButton>(editor, u"suiButtonCenik"_s)->click();
    QTableView *grid = picker->grid();
    QHeaderView *titles = grid->horizontalHeader();
    QCOMPARE(titles->model()->headerData(0, Qt::Horizontal).toString(), u"Nomenklatura"_s);
    QCOMPARE(titles->model()->headerData(1, Qt::Horizontal).toString(), u"Název osiva"_s);
    QCOMPARE(titles->model()->headerData(3, Qt::Horizontal).toString(), u"dph"_s);
    QCOMPARE(titles->model()->headerData(4, Qt::Horizontal).toString(), u"Váha obalu"_s);
    // Sorted by name at first.
    QCOMPARE(picker->sortColumn(), 1);
    QCOMPARE(grid->model()->index(0, 1).data().toString(), u"Dikalciumfosfát"_s);

    // A title click sorts by its column and the search follows that column.
    QTest::mouseClick(
        titles->viewport(), Qt::LeftButton, {}, QPoint(titles->sectionViewportPosition(4) + 5, titles->height() / 2));
    QCOMPARE(picker->sortColumn(), 4);
    QCOMPARE(grid->model()->index(grid->model()->rowCount() - 1, 4).data(Qt::EditRole).toDouble(), 1000.0);
    QTest::mouseClick(
        titles->viewport(), Qt::LeftButton, {}, QPoint(titles->sectionViewportPosition(0) + 5, titles->height() / 2));
    QCOMPARE(picker->sortColumn(), 0);
    QTest::keyClicks(child<QLineEdit>(picker, u"EditHledatCenik"_s), u"1500"_s);
    QCOMPARE(picker->currentItem().value(u"nomenkla"_s).toString(), u"150001"_s);
    QTest::keyClicks(child<QLineEdit>(picker, u"EditHledatCenik"_s), u"03"_s);
    QCOMPARE(picker->currentItem().value(u"nomenkla"_s).toString(), u"150003"_s);
    // "Zpět" clears the search.
    child<QPushButton>(picker, u"suiButtonZpetCenik"_s)->click();
    QCOMPARE(child<QLineEdit>(picker, u"EditHledatCenik"_s)->text(), QString());
    QVERIFY(!w->priceListChannel()->isOut());
}

void TestEditor::lineEditingLocksHeaderButtons()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    const QStringList locked { u"suiButtonPrepocitat"_s, u"suiButtonReceptury"_s, u"suiButtonZCeniku"_s,
        u"suiButtonNavrhPartie"_s, u"suiButtonCenik"_s, u"suiButton15"_s, u"suiButtonPridat"_s, u"suiButtonOpravit"_s,
        u"suiButtonZrusit"_s };
    const QStringList lockedWidgets { u"suiDBGrid2"_s };
    emit editor->lineEditor()->editingChanged(true);
    QVERIFY(editor->isLineEditing());
    for (const QString &name : locked)
        QVERIFY2(!child<QWidget>(editor, name)->isEnabled(), qPrintable(name));
    QVERIFY(!child<QWidget>(editor, u"suiDBGrid2"_s)->isEnabled());
    // Nothing behind them runs while the line is edited.
    editor->prepocitat();
    editor->proposeBatchCode();
    QCOMPARE(editor->tables().header.asString(u"partie"_s), QString());
    QVERIFY(rec->shown.isEmpty());

    emit editor->lineEditor()->editingChanged(false);
    for (const QString &name : locked)
        QVERIFY2(child<QWidget>(editor, name)->isEnabled(), qPrintable(name));

    // In a refused correction the end of a line edit leaves "Zapsat" disabled.
    child<QPushButton>(editor, u"suiButtonZpet"_s)->click();
    QVERIFY(openDocument(*w, u"2601010003"_s));
    emit editor->lineEditor()->editingChanged(true);
    emit editor->lineEditor()->editingChanged(false);
    QVERIFY(!child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());
    QVERIFY(child<QPushButton>(editor, u"suiButtonPridat"_s)->isEnabled());
}

void TestEditor::recalculateAndSalePrice()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    WorkTable &lines = editor->tables().lines;
    lines.appendRecord(cardLine(u"250000101"_s, u"0441"_s, u"111001"_s, u"Pšenice krmná"_s, 0, 60, 5.20));
    lines.appendRecord(cardLine(u"250000104"_s, u"0512"_s, u"111002"_s, u"Ječmen krmný"_s, 0, 40, 4.80));
    editor->tables().header.edit();
    editor->tables().header.setFloat(u"pr"_s, 100);
    editor->tables().header.post();

    child<QCheckBox>(editor, u"suiCheckBoxProcenta"_s)->click();
    auto *celkem = child<QLineEdit>(editor, u"CurrencyEdit1"_s);
    celkem->setText(u"1 000"_s);
    celkem->setModified(true);
    child<QPushButton>(editor, u"suiButtonPrepocitat"_s)->click();
    QVERIFY(rec->shown.isEmpty());
    QCOMPARE(editor->celkem(), 1000.0);
    QCOMPARE(celkem->text(), u"1 000"_s);
    lines.first();
    QCOMPARE(lines.asFloat(u"mnozstvi"_s), 600.0);
    lines.next();
    QCOMPARE(lines.asFloat(u"mnozstvi"_s), 400.0);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit14"_s)->text(), u"1 000"_s);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit16"_s)->text(), u"100"_s);
    // (600 × 5,20 + 400 × 4,80) ÷ 1000
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit10"_s)->text(), u"5,04"_s);

    // Not 100 %: refused, nothing changes.
    lines.first();
    lines.edit();
    lines.setFloat(u"pr"_s, 50);
    lines.post();
    editor->tables().header.edit();
    editor->tables().header.setFloat(u"pr"_s, 90);
    editor->tables().header.post();
    child<QPushButton>(editor, u"suiButtonPrepocitat"_s)->click();
    QCOMPARE(rec->texts(), QStringList { u"Nelze přepočítat. Není 100%."_s });
    lines.first();
    QCOMPARE(lines.asFloat(u"mnozstvi"_s), 600.0);

    // "z ceníku": the sale price by the mix nomenclature; 0 without a price-list row.
    editor->tables().header.edit();
    editor->tables().header.setString(u"nomenkla"_s, u"150003"_s);
    editor->tables().header.post();
    child<QPushButton>(editor, u"suiButtonZCeniku"_s)->click();
    QCOMPARE(editor->tables().header.asFloat(u"pc"_s), 8.2);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit13"_s)->text(), u"8,20"_s);
    QCOMPARE(child<QPushButton>(editor, u"suiButtonZCeniku"_s)->toolTip(), u"dosadí PC z ceníku, podle nomenklatury"_s);
    editor->tables().header.edit();
    editor->tables().header.setString(u"nomenkla"_s, u"999999"_s);
    editor->tables().header.post();
    child<QPushButton>(editor, u"suiButtonZCeniku"_s)->click();
    QCOMPARE(editor->tables().header.asFloat(u"pc"_s), 0.0);
}

void TestEditor::recipeProposal()
{
    const QString folder = inst->programDir() + u"/recepty"_s;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(
        QFile::copy(testsupport::sourceDir() + u"/tests/documents/recipes/nosnice.txt"_s, folder + u"/nosnice.txt"_s));
    inst->writeModuleIni(u"TFmozno"_s, u"JvDirectoryEdit1_Text"_s, folder);
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    QVERIFY(child<QPushButton>(editor, u"suiButtonReceptury"_s)->isVisible());

    bool shown = false;
    onWindow(u"TFnavrhKS"_s, [&shown](QWidget *dialog) {
        shown = true;
        auto *files = dialog->findChild<QListWidget *>(u"FileListBox1"_s);
        QCOMPARE(files->count(), 1);
        files->setCurrentRow(0);
        dialog->findChild<QPushButton *>(u"suiButton2"_s)->click();
        dialog->findChild<QPushButton *>(u"suiButton3"_s)->click();
    });
    child<QPushButton>(editor, u"suiButtonReceptury"_s)->click();
    QVERIFY(shown);
    // The recipe's second component has no code-list row: the first one stays in the document.
    QCOMPARE(rec->texts(), QStringList { u"Nenalezen kod B7 v číselníku!"_s });
    WorkTable &lines = editor->tables().lines;
    QCOMPARE(lines.recordCount(), 1);
    lines.first();
    QCOMPARE(lines.asString(u"nomenkla"_s), u"111001"_s);
    QCOMPARE(lines.asFloat(u"pr"_s), 40.0);
    QCOMPARE(lines.asFloat(u"mnozstvi"_s), 400.0);
    QCOMPARE(lines.asString(u"partie"_s), QString());
    QCOMPARE(editor->linesGrid()->model()->rowCount(), 1);
    QVERIFY(child<QLineEdit>(editor, u"DBEdit7"_s)->text().contains(u"Směs N1 předběžná"_s));
    QVERIFY(editor->isOpen());
}

void TestEditor::saveNewDocument()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    QString printed;
    w->hooks.printDocument = [&w, &printed] { printed = w->currentDocumentNumber(); };
    const double wheatBefore = scalar(
        u"select zustatek from skarta where partiecela = '250000101-0441' and lomeni = 0 and stredisko = '101'"_s)
                                   .toDouble();
    const double barleyBefore = scalar(
        u"select zustatek from skarta where partiecela = '250000104-0512' and lomeni = 0 and stredisko = '101'"_s)
                                    .toDouble();

    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->click();
    child<QPushButton>(editor, u"suiButtonCenik"_s)->click();
    QVERIFY(editor->priceListPicker()->selectRow(u"NOMENKLA"_s, u"150001"_s));
    child<QPushButton>(editor->priceListPicker(), u"suiButtonPrevzitCenik"_s)->click();
    auto *popis = child<QLineEdit>(editor, u"DBEdit9"_s);
    popis->setText(u"Sypká směs, volně"_s);
    popis->setModified(true);
    // Two lines through the line editor: the batch typed, its card taken over in the stock
    // channel, the quantity typed, the line kept.
    LineEditor *lineEditor = editor->lineEditor();
    const QList<QPair<QString, QString>> wanted { { u"250000101"_s, u"600"_s }, { u"250000104"_s, u"400"_s } };
    for (const auto &[partie, quantity] : wanted) {
        child<QPushButton>(editor, u"suiButtonPridat"_s)->click();
        QVERIFY(lineEditor->isEditing());
        QVERIFY(!child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());
        QTest::keyClicks(child<QLineEdit>(lineEditor, u"EditPARTIE"_s), partie);
        child<QPushButton>(lineEditor, u"ButtonSkl"_s)->click();
        QVERIFY(w->stockCardChannel()->isOut());
        QCOMPARE(w->stockCardChannel()->panelWidth(), 800);
        child<QPushButton>(lineEditor->stockPicker(), u"ButtonPrevzit"_s)->click();
        QVERIFY(!w->stockCardChannel()->isOut());
        auto *mnozstvi = child<QLineEdit>(lineEditor, u"DBEditMNOZSTVI"_s);
        mnozstvi->clear();
        QTest::keyClicks(mnozstvi, quantity);
        child<QPushButton>(lineEditor, u"ButtonZapsatRadek"_s)->click();
        QVERIFY(!lineEditor->isEditing());
        QVERIFY(child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());
    }
    QCOMPARE(editor->tables().lines.recordCount(), 2);
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit14"_s)->text(), u"1 000"_s);
    // (600 × 5,20 + 400 × 4,80) ÷ 1000
    QCOMPARE(child<QLineEdit>(editor, u"DBEdit10"_s)->text(), u"5,04"_s);
    QVERIFY(rec->shown.isEmpty());

    child<QPushButton>(editor, u"suiButton15"_s)->click();
    QCOMPARE(rec->texts(), QStringList { u"Zapsat provedené změny?"_s });
    QCOMPARE(m_terminations, 0);

    // Back in the list, on the new document, whose recipe document was asked for.
    QVERIFY(!editor->isOpen());
    QVERIFY(!w->isEditing());
    QVERIFY(child<QAction>(w.get(), u"Novdoklad1"_s)->isEnabled());
    QVERIFY(listNumbers(*w).contains(u"2601010005"_s));
    QCOMPARE(w->currentDocumentNumber(), u"2601010005"_s);
    QCOMPARE(printed, u"2601010005"_s);

    Connection c(testsupport::serverParams(database));
    const ResultSet mix = c.query(u"select * from pelmixi where cislodokla = '2601010005' and smes = '1'"_s);
    QCOMPARE(mix.rowCount(), 1);
    QCOMPARE(mix.text(0, u"partiecela"_s), u"552600006"_s);
    QCOMPARE(mix.text(0, u"nomenkla"_s), u"150001"_s);
    QCOMPARE(mix.text(0, u"popis"_s), u"Sypká směs, volně"_s);
    QCOMPARE(mix.number(0, u"mnozstvi"_s), 1000.0);
    QCOMPARE(mix.number(0, u"pc"_s), 9.5);
    QCOMPARE(c.scalar(u"select count(*) from pelmixi where cislodokla = '2601010005' and smes = '0'"_s).toInt(), 2);
    // Stock follows: the sources lowered, the mix on a card of its own.
    QCOMPARE(
        c.scalar(
             u"select zustatek from skarta where partiecela = '250000101-0441' and lomeni = 0 and stredisko = '101'"_s)
            .toDouble(),
        wheatBefore - 600);
    QCOMPARE(
        c.scalar(
             u"select zustatek from skarta where partiecela = '250000104-0512' and lomeni = 0 and stredisko = '101'"_s)
            .toDouble(),
        barleyBefore - 400);
    QCOMPARE(c.scalar(u"select zustatek from skarta where partiecela = '552600006' and stredisko = '101'"_s).toDouble(),
        1000.0);

    // The next new document starts empty and proposes the next batch.
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    QCOMPARE(editor->tables().lines.recordCount(), 0);
    child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->click();
    QCOMPARE(editor->tables().header.asString(u"partie"_s), u"552600007"_s);
}

void TestEditor::saveRefusedKeepsEditor()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    // No mix batch yet.
    child<QPushButton>(editor, u"suiButton15"_s)->click();
    QCOMPARE(rec->texts(), QStringList { u"Není vyplněna partie směsi."_s });
    QVERIFY(editor->isOpen());
    QVERIFY(child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());

    // A mix batch that exists already.
    rec->shown.clear();
    auto *partie = child<QLineEdit>(editor, u"DBEdit11"_s);
    partie->setText(u"552600001"_s);
    partie->setModified(true);
    editor->tables().lines.appendRecord(
        cardLine(u"250000101"_s, u"0441"_s, u"111001"_s, u"Pšenice krmná"_s, 100, 100, 5.20));
    child<QPushButton>(editor, u"suiButton15"_s)->click();
    QCOMPARE(rec->texts(), (QStringList { u"Zapsat provedené změny?"_s, u"Partie již existuje! Na středisku 101"_s }));
    QVERIFY(editor->isOpen());
    QVERIFY(w->isEditing());
    QVERIFY(child<QPushButton>(editor, u"suiButton15"_s)->isEnabled());
    QCOMPARE(scalar(u"select count(*) from pelmixi where cislodokla = '2601010005'"_s).toInt(), 0);

    // "Zpět" to the question writes nothing.
    rec->shown.clear();
    rec->answers = { 2 };
    child<QPushButton>(editor, u"suiButton15"_s)->click();
    QCOMPARE(rec->texts(), QStringList { u"Zapsat provedené změny?"_s });
    QVERIFY(editor->isOpen());
}

void TestEditor::saveCorrection()
{
    auto w = start();
    QVERIFY(w);
    DocumentEditor *editor = editorOf(*w);
    const QString card
        = u"select zustatek from skarta where partiecela = '250000114-0512' and lomeni = 0 and stredisko = '101'"_s;
    const double oatsBefore = scalar(card).toDouble();
    QVERIFY(openDocument(*w, u"2601010004"_s));
    QCOMPARE(editor->state().correctionState, 1);
    QVERIFY(rec->shown.isEmpty());

    auto *popis = child<QLineEdit>(editor, u"DBEdit9"_s);
    popis->setText(u"Odchovná směs, pytle 25 kg – opraveno"_s);
    popis->setModified(true);
    auto *pc = child<QLineEdit>(editor, u"DBEdit13"_s);
    pc->setText(u"11,4"_s);
    pc->setModified(true);
    // The oats line takes 20 kg more.
    WorkTable &lines = editor->tables().lines;
    QVERIFY(lines.locate(u"partiecela"_s, u"250000114-0512"_s));
    lines.edit();
    lines.setFloat(u"mnozstvi"_s, 320);
    lines.post();

    child<QPushButton>(editor, u"suiButton15"_s)->click();
    QCOMPARE(rec->texts(), QStringList { u"Zapsat provedené změny?"_s });
    QVERIFY(!editor->isOpen());
    QCOMPARE(w->currentDocumentNumber(), u"2601010004"_s);

    Connection c(testsupport::serverParams(database));
    const ResultSet mix = c.query(u"select * from pelmixi where cislodokla = '2601010004' and smes = '1'"_s);
    QCOMPARE(mix.rowCount(), 1);
    QCOMPARE(mix.text(0, u"popis"_s), u"Odchovná směs, pytle 25 kg – opraveno"_s);
    QCOMPARE(mix.number(0, u"pc"_s), 11.4);
    QCOMPARE(mix.number(0, u"mnozstvi"_s), 1020.0);
    QCOMPARE(mix.text(0, u"partiecela"_s), u"552600004"_s);
    QCOMPARE(c.scalar(u"select count(*) from pelmixi where cislodokla = '2601010004'"_s).toInt(), 9);
    QCOMPARE(c.scalar(card).toDouble(), oatsBefore - 20);
    // The kept mix card moved by new minus old.
    QCOMPARE(c.scalar(u"select zustatek from skarta where partiecela = '552600004' and stredisko = '101'"_s).toDouble(),
        920.0);
}

void TestEditor::stockCardFromListLines()
{
    const QString standIn = testsupport::sourceDir() + u"/tests/dbase/skarta-standin.sh"_s;
    const QString log = inst->programDir() + u"/standin.log"_s;
    qputenv("SKARTA_STANDIN_LOG", log.toLocal8Bit());
    inst->writeModuleIni(u"Moduly"_s, u"SK"_s, standIn);
    inst->writeModuleIni(u"TForm1"_s, u"Zobrazovatdkydokladu1_Checked"_s, u"True"_s);
    auto w = start();
    QVERIFY(w);
    QVERIFY(selectListRow(*w, u"2601010003"_s));
    QVERIFY(w->linesModel()->rowCount() > 0);
    w->linesGrid()->setCurrentIndex(w->linesModel()->index(0, 0));
    const QVariantMap line = w->currentLine();
    child<QAction>(w.get(), u"Zobrazitsklkartu1"_s)->trigger();
    child<QAction>(w.get(), u"Historiepartie1"_s)->trigger();
    qunsetenv("SKARTA_STANDIN_LOG");
    QVERIFY(rec->shown.isEmpty());
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList logged = QString::fromLocal8Bit(f.readAll()).split(u'\n');
    QVERIFY(logged.contains(u"/TK"_s));
    QVERIFY(logged.contains(u"/HP"_s));
    QVERIFY(logged.contains(line.value(u"partiecela"_s).toString().trimmed()));
}

// Pictures of the editor on the demo plant for a look by eye: PELMIXI_EDITOR_SHOTS names a folder.
void TestEditor::screenshots()
{
    const QString folder = qEnvironmentVariable("PELMIXI_EDITOR_SHOTS");
    if (folder.isEmpty())
        QSKIP("PELMIXI_EDITOR_SHOTS is not set");
    QDir().mkpath(folder);
    auto w = start();
    QVERIFY(w);
    w->resize(1280, 900);
    w->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    DocumentEditor *editor = editorOf(*w);
    QVERIFY(openDocument(*w, u"2601010004"_s));
    QTest::qWait(50);
    QVERIFY(w->grab().save(folder + u"/editor-correction.png"_s));
    child<QPushButton>(editor, u"suiButtonCenik"_s)->click();
    QTest::qWait(300);
    QVERIFY(w->grab().save(folder + u"/editor-pricelist.png"_s));
    child<QPushButton>(editor->priceListPicker(), u"suiButtonZpetCenik"_s)->click();
    child<QPushButton>(editor, u"suiButtonZpet"_s)->click();
    child<QAction>(w.get(), u"Novdoklad1"_s)->trigger();
    child<QPushButton>(editor, u"suiButtonNavrhPartie"_s)->click();
    QTest::qWait(50);
    QVERIFY(w->grab().save(folder + u"/editor-new.png"_s));
    // A date half typed over the selected field.
    auto *date = child<QDateEdit>(editor, u"DBDateEdit1"_s);
    date->setFocus(Qt::TabFocusReason);
    date->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(date, u"1.8.20"_s);
    QTest::qWait(50);
    QVERIFY(w->grab().save(folder + u"/editor-typed-date.png"_s));
    QTest::keyClicks(date, u"26"_s);
    QTest::keyClick(date, Qt::Key_Tab);
    QTest::qWait(50);
    QVERIFY(w->grab().save(folder + u"/editor-typed-date-set.png"_s));
    child<QPushButton>(editor, u"suiButtonPridat"_s)->click();
    QTest::keyClicks(child<QLineEdit>(editor->lineEditor(), u"EditPARTIE"_s), u"250000101"_s);
    child<QPushButton>(editor->lineEditor(), u"ButtonSkl"_s)->click();
    QTest::qWait(300);
    QVERIFY(w->grab().save(folder + u"/editor-line.png"_s));
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
