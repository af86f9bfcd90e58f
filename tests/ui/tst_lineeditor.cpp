// The line editor panel "Řádek dokladu" in the main window against the demo plant: line kinds and
// what they do to the totals, the stock check and pr; the stored copy's allowance in a correction;
// percentages; removal; leaving "Partie"; the stock picker in the side channel "Skladové karty";
// the works dialog; the recipe take-over. The panel is driven through its widgets as the operator
// drives it, on working tables opened as the editor opens them.
#include "connection.h"
#include "displayformat.h"
#include "editor.h"
#include "lineeditor.h"
#include "linerules.h"
#include "opendocument.h"
#include "paths.h"
#include "recalc.h"
#include "sidechannel.h"
#include "stockpicker.h"
#include "testsupport.h"
#include "windowtest.h"
#include "tform1.h"
#include "tfprace.h"
#include "wiring.h"
#include "worktablemodel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

using testsupport::clickButton;
using testsupport::onWindow;

namespace {

const QString Db = u"t_ui_lineeditor"_s;
const QString Centre = u"101"_s;

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

double num(const QVariantMap &row, const char *field)
{
    return linerules::fieldNumber(row, QString::fromLatin1(field));
}

QString text(const QVariantMap &row, const char *field)
{
    return linerules::fieldText(row, QString::fromLatin1(field));
}

// The editor's lower section as the document editor builds it: the lines grid over the line table
// with the panel below it, the stock picker in the window's right side channel.
struct Rig {
    opening::WorkingTables tables;
    std::unique_ptr<TForm1> window;
    std::unique_ptr<testsupport::MessageRecorder> rec;
    QTableView *grid = nullptr;
    LineEditor *editor = nullptr;
    SideChannel *channel = nullptr;
    bool percent = false;
    double celkem = 0;
    bool worksCosted = true;
    opening::EditorState state;

    QLineEdit *field(const char *name) const { return editor->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const { return editor->findChild<QPushButton *>(QString::fromLatin1(name)); }
    StockPicker *picker() const { return editor->stockPicker(); }
    QPushButton *pickerButton(const char *name) const
    {
        return picker()->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    QVariantMap header() const { return tables.header.record(); }
    QList<QVariantMap> lines() const { return tables.lines.allRecords(); }
    QVariantMap line() const { return tables.lines.record(); }

    void setContext()
    {
        LineEditorContext ctx;
        ctx.stredisko = Centre;
        ctx.worksCosted = worksCosted;
        ctx.correctionState = state.correctionState;
        ctx.mode = state.mode;
        SideChannel *ch = channel;
        ctx.showStockChannel = [ch](bool out) {
            if (out)
                ch->slideOut(800);
            else
                ch->slideBack();
        };
        ctx.percentMode = [this] { return percent; };
        ctx.celkem = [this] { return celkem; };
        editor->setContext(ctx);
    }
    void setPercentMode(bool on)
    {
        percent = on;
        editor->percentModeChanged();
    }
};

} // namespace

class TestLineEditor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lineKinds_data();
    void lineKinds();
    void storedCopyAllowance_data();
    void storedCopyAllowance();
    void twoLinesOfOneBatch();
    void percentageSum_data();
    void percentageSum();
    void celkemZeroGivesQuantityZero();
    void quantityModeKeepsTypedQuantity();
    void removingTheOnlyLine();
    void removalAnsweredZpetKeepsTheLine();
    void opravitOnEmptyLineTable();
    void leavingPartie_data();
    void leavingPartie();
    void afterZeroPriceWorkTheFieldIsCheckedAgain_data();
    void afterZeroPriceWorkTheFieldIsCheckedAgain();
    void pickerTakeOverFillsTheLine();
    void pickerZpetReturnsToPartie();
    void takeOverWithoutLineEditOpensTheEditor();
    void refusedChangedLineStaysOnItsSavedValues();
    void negativeQuantityIsRefused();
    void stockListCalculationsAndColours();
    void stockGridTitleClickSortsAndSearches();
    void worksDialog();
    void recipeProposalApplied();
    void screenshots();
    void inTheWiredEditor();

private:
    std::unique_ptr<Rig> makeRig(const QString &correction = {});
    void startLine(Rig &rig, bool add = true);
    void typeInto(QLineEdit *edit, const QString &text);
    void tabOut(QWidget *from);
    void pickCard(Rig &rig, const QString &partiecela, int lomeni = 0);

    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<testsupport::Installation> m_inst;
    std::unique_ptr<Rig> m_rig;
};

void TestLineEditor::initTestCase()
{
    testsupport::createDatabase(Db, true);
    m_conn = std::make_unique<Connection>(testsupport::serverParams(Db));
    m_conn->execute(u"set @@session.sql_mode=\"\""_s);
}

void TestLineEditor::init()
{
    m_rig.reset();
    m_inst = std::make_unique<testsupport::Installation>(Db);
    m_inst->writeModuleIni(u"TForm1"_s, u"Label1_Caption"_s, Centre);
}

void TestLineEditor::cleanup()
{
    m_rig.reset();
    m_inst.reset();
}

std::unique_ptr<Rig> TestLineEditor::makeRig(const QString &correction)
{
    auto rig = std::make_unique<Rig>();
    rig->window = std::make_unique<TForm1>(StartOptions { u"modul"_s, 0 });
    rig->rec = std::make_unique<testsupport::MessageRecorder>();
    if (!rig->window->startUp())
        return nullptr;
    rig->window->resize(1280, 800);
    rig->window->show();
    rig->window->activateWindow();
    if (!QTest::qWaitForWindowActive(rig->window.get()))
        return nullptr;

    rig->tables.setDirectory(paths::dataDir());
    const opening::Context context { Centre, u"00"_s, 1, {} };
    opening::Result opened;
    if (correction.isEmpty()) {
        opened = opening::newDocument(*m_conn, rig->tables, context);
    } else {
        const ResultSet mix = m_conn->query(opening::mixRowQuery(correction));
        if (mix.isEmpty())
            return nullptr;
        QVariantMap row;
        for (int c = 0; c < mix.columnCount(); ++c)
            row.insert(mix.columns().at(c).name.toLower(), mix.value(0, c));
        opened = opening::openCorrection(*m_conn, rig->tables, opening::ListRow::fromRecord(row), context);
    }
    if (opened.status != opening::Status::Opened)
        return nullptr;
    rig->state = opened.state;
    rig->tables.header.post();
    opening::setHeaderDisplayFormats(rig->tables.header);
    rig->rec->shown.clear();

    auto *area = new QWidget;
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    rig->grid = new QTableView(area);
    rig->grid->setObjectName(u"DBGrid1"_s);
    auto *model = new WorkTableModel(&rig->tables.lines, rig->grid);
    model->setColumns({ { u"partiecela"_s, u"Partie"_s }, { u"lomeni"_s, u"Lo"_s },
        { u"nomenkla"_s, u"nomenklatura"_s }, { u"nazevosiva"_s, u"název osiva"_s }, { u"mnozstvi"_s, u"Množství"_s },
        { u"mj"_s, u"MJ"_s }, { u"pr"_s, u"%"_s }, { u"ulc"_s, u"Šarže"_s }, { u"nc"_s, u"NC"_s } });
    model->setReadOnly(true);
    rig->grid->setModel(model);
    layout->addWidget(rig->grid);
    rig->editor = new LineEditor(*m_conn, rig->tables, area);
    layout->addWidget(rig->editor);
    rig->window->editorArea()->layout()->addWidget(area);
    rig->window->setListSectionHeight(100);

    rig->channel = rig->window->stockCardChannel();
    rig->channel->setContent(rig->editor->stockPicker());
    connect(rig->channel, &SideChannel::slidBack, rig->editor, &LineEditor::stockChannelSlidBack);
    rig->setContext();
    rig->editor->loadLists();
    recalc::spoctiKC(rig->tables.header, rig->tables.lines, rig->worksCosted);
    settle();
    return rig;
}

void TestLineEditor::startLine(Rig &rig, bool add)
{
    if (add)
        rig.editor->startAdd();
    else
        rig.editor->startChange();
    settle();
    QVERIFY(rig.editor->isEditing());
    QVERIFY(rig.editor->isVisible());
}

void TestLineEditor::typeInto(QLineEdit *edit, const QString &text)
{
    QVERIFY(edit);
    edit->setFocus(Qt::OtherFocusReason);
    settle();
    QVERIFY2(edit->hasFocus(), qPrintable(edit->objectName()));
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void TestLineEditor::tabOut(QWidget *from)
{
    QTest::keyClick(from, Qt::Key_Tab);
    settle();
}

void TestLineEditor::afterZeroPriceWorkTheFieldIsCheckedAgain_data()
{
    QTest::addColumn<QString>("next"); // "type" a priced work, "leave" the field, "keep" the line
    QTest::newRow("next code typed and left with Tab") << u"type"_s;
    QTest::newRow("field left again") << u"leave"_s;
    QTest::newRow("line kept straight away") << u"keep"_s;
}

// "Tato práce má nulovou NC!" answered with "Zpět": whatever the operator does next, the field
// is checked again, and a line without a batch is never kept.
void TestLineEditor::afterZeroPriceWorkTheFieldIsCheckedAgain()
{
    QFETCH(QString, next);
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.worksCosted = true;
    rig.setContext();
    startLine(rig);
    typeInto(rig.field("EditPARTIE"), u"DOP"_s);
    tabOut(rig.field("EditPARTIE"));
    QTRY_COMPARE(rig.rec->texts(), QStringList { u"Tato práce má nulovou NC!"_s });
    QTRY_VERIFY(rig.field("EditPARTIE")->hasFocus());
    rig.rec->shown.clear();

    if (next == u"type"_s) {
        typeInto(rig.field("EditPARTIE"), u"MIC"_s);
        tabOut(rig.field("EditPARTIE"));
        QTRY_COMPARE(text(rig.line(), "partiecela"), u"MIC"_s);
        QVERIFY2(rig.rec->shown.isEmpty(), qPrintable(rig.rec->texts().join(u'|')));
        QVERIFY(!text(rig.line(), "nomenkla").isEmpty());
        QTRY_VERIFY(rig.field("DBEditMNOZSTVI")->hasFocus());
    } else if (next == u"leave"_s) {
        rig.field("DBEditMNOZSTVI")->setFocus(Qt::MouseFocusReason);
        settle();
        QTRY_COMPARE(rig.rec->texts(), QStringList { u"Tato práce má nulovou NC!"_s });
        QTRY_VERIFY(rig.field("EditPARTIE")->hasFocus());
        QVERIFY(text(rig.line(), "partiecela").isEmpty());
    } else {
        rig.button("ButtonZapsatRadek")->click();
        settle();
        QCOMPARE(rig.rec->texts(), QStringList { u"Tato práce má nulovou NC!"_s });
        QVERIFY(rig.editor->isEditing());
        QVERIFY(text(rig.line(), "partiecela").isEmpty());
    }
    rig.editor->cancelEdit();
    QCOMPARE(rig.lines().size(), 0); // no empty line was kept
}

// Through the panel: "Partie" typed and left, the filtered picker, the card chosen, "Převzít".
void TestLineEditor::pickCard(Rig &rig, const QString &partiecela, int lomeni)
{
    typeInto(rig.field("EditPARTIE"), partiecela.left(9));
    tabOut(rig.field("EditPARTIE"));
    QTRY_VERIFY(rig.channel->isOut());
    RowListModel *model = rig.picker()->model();
    int found = -1;
    for (int r = 0; r < model->gridRowCount(); ++r) {
        if (text(model->rowAt(r), "partiecela") == partiecela && num(model->rowAt(r), "lomeni") == lomeni)
            found = r;
    }
    QVERIFY2(found >= 0, qPrintable(partiecela));
    rig.picker()->selectRow(found);
    rig.pickerButton("ButtonPrevzit")->click();
    settle();
    QVERIFY(!rig.channel->isOut());
    QCOMPARE(text(rig.line(), "partiecela"), partiecela);
}

// --- line kinds ---------------------------------------------------------------------------------

void TestLineEditor::lineKinds_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("percent"); // typed into "%" with "zadávat procenta" checked
    QTest::addColumn<double>("celkem");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<double>("lineQuantity");
    QTest::addColumn<double>("linePr");
    QTest::addColumn<double>("headerQuantity");
    QTest::addColumn<double>("headerPr");

    // 250000101 holds 3950 kg, 557900002 15 kg.
    QTest::newRow("batch") << u"250000101"_s << u"30"_s << 1000.0 << true << 300.0 << 30.0 << 300.0 << 30.0;
    QTest::newRow("batch over its balance")
        << u"250000101"_s << u"50"_s << 10000.0 << false << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("excluded 5579") << u"557900002"_s << u"10"_s << 100.0 << true << 10.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("excluded over its balance")
        << u"557900002"_s << u"10"_s << 1000.0 << false << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("work") << u"MIC"_s << u"10"_s << 1000.0 << true << 100.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("work is not stock-checked")
        << u"SRO"_s << u"50"_s << 1000000.0 << true << 500000.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("other length") << u"1234"_s << u"10"_s << 1000.0 << true << 100.0 << 10.0 << 0.0 << 0.0;
}

void TestLineEditor::lineKinds()
{
    QFETCH(QString, code);
    QFETCH(QString, percent);
    QFETCH(double, celkem);
    QFETCH(bool, kept);
    QFETCH(double, lineQuantity);
    QFETCH(double, linePr);
    QFETCH(double, headerQuantity);
    QFETCH(double, headerPr);

    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.setPercentMode(true);
    rig.celkem = celkem;
    if (code.size() != 3 && code.size() != 9) {
        // Such a code cannot leave "Partie" (it opens the picker); it comes with the data.
        rig.tables.lines.appendRecord({ { u"partie"_s, code }, { u"stredisko"_s, Centre } });
        rig.tables.lines.last();
        startLine(rig, false);
    } else if (code.size() == 9 && !code.startsWith(u"55"_s)) {
        startLine(rig);
        pickCard(rig, code + u"-0441"_s);
    } else {
        startLine(rig);
        typeInto(rig.field("EditPARTIE"), code);
        tabOut(rig.field("EditPARTIE"));
    }
    QVERIFY(rig.rec->shown.isEmpty());
    typeInto(rig.field("DBEditPR"), percent);
    tabOut(rig.field("DBEditPR"));
    QCOMPARE(num(rig.line(), "mnozstvi"), celkem * percent.toDouble() / 100);

    rig.button("ButtonZapsatRadek")->click();
    settle();
    QCOMPARE(rig.editor->isEditing(), false);
    if (kept) {
        QVERIFY2(rig.rec->shown.isEmpty(), qPrintable(rig.rec->texts().join(u'|')));
        QCOMPARE(rig.lines().size(), 1);
        QCOMPARE(num(rig.lines().at(0), "mnozstvi"), lineQuantity);
        QCOMPARE(num(rig.lines().at(0), "pr"), linePr);
        QCOMPARE(text(rig.lines().at(0), "partie"), code);
    } else {
        QCOMPARE(rig.rec->texts(), QStringList { u"Nelze vydat! Na kartě je menší zůstatek."_s });
        QCOMPARE(rig.rec->shown.at(0).icon, MessageIcon::Stop);
        // The refused new line is dropped and the editor left as "Zpět" leaves it.
        QCOMPARE(rig.lines().size(), 0);
        QCOMPARE(rig.tables.lines.state(), WorkTable::State::Browse);
        QVERIFY(!rig.editor->isVisible());
    }
    QCOMPARE(num(rig.header(), "mnozstvi"), headerQuantity);
    QCOMPARE(num(rig.header(), "pr"), headerPr);
}

// --- correction: the stored quantity is available again ------------------------------------------

void TestLineEditor::storedCopyAllowance_data()
{
    QTest::addColumn<QString>("partiecela");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("kept");

    // 2601010003 took 40 kg of 250000109 (balance 440) and nothing of 250000118 (balance 100).
    QTest::newRow("stored batch, balance + stored") << u"250000109-0733"_s << u"480"_s << true;
    QTest::newRow("stored batch, a little more") << u"250000109-0733"_s << u"480,5"_s << false;
    QTest::newRow("other batch, its balance") << u"250000118-0733"_s << u"100"_s << true;
    QTest::newRow("other batch, more") << u"250000118-0733"_s << u"100,5"_s << false;
}

void TestLineEditor::storedCopyAllowance()
{
    QFETCH(QString, partiecela);
    QFETCH(QString, quantity);
    QFETCH(bool, kept);

    m_rig = makeRig(u"2601010003"_s);
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    QCOMPARE(rig.state.mode, u"O"_s);
    const int before = rig.lines().size();
    QVERIFY(before > 0);
    startLine(rig);
    pickCard(rig, partiecela);
    typeInto(rig.field("DBEditMNOZSTVI"), quantity);
    rig.button("ButtonZapsatRadek")->click();
    settle();
    if (kept) {
        QVERIFY2(rig.rec->shown.isEmpty(), qPrintable(rig.rec->texts().join(u'|')));
        QCOMPARE(rig.lines().size(), before + 1);
    } else {
        QCOMPARE(rig.rec->texts(), QStringList { u"Nelze vydat! Na kartě je menší zůstatek."_s });
        QCOMPARE(rig.lines().size(), before);
    }
    QVERIFY(!rig.editor->isEditing());
}

void TestLineEditor::twoLinesOfOneBatch()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    // 250000109 holds 440 kg: each line is checked against the whole balance on its own.
    for (int i = 0; i < 2; ++i) {
        startLine(rig);
        pickCard(rig, u"250000109-0733"_s);
        typeInto(rig.field("DBEditMNOZSTVI"), u"300"_s);
        rig.button("ButtonZapsatRadek")->click();
        settle();
        QVERIFY2(rig.rec->shown.isEmpty(), qPrintable(rig.rec->texts().join(u'|')));
    }
    QCOMPARE(rig.lines().size(), 2);
    QCOMPARE(num(rig.header(), "mnozstvi"), 600.0);
    QCOMPARE(num(rig.header(), "nc"), 3.5);
}

// --- percentages ----------------------------------------------------------------------------------

void TestLineEditor::percentageSum_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exactly 100") << u"40"_s << true;
    QTest::newRow("100.0001") << u"40,0001"_s << false;
}

void TestLineEditor::percentageSum()
{
    QFETCH(QString, second);
    QFETCH(bool, accepted);

    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.setPercentMode(true);
    rig.celkem = 1000;
    startLine(rig);
    pickCard(rig, u"250000101-0441"_s);
    QVERIFY(rig.field("DBEditPR")->hasFocus()); // after a take-over in percentage mode
    typeInto(rig.field("DBEditPR"), u"60"_s);
    rig.button("ButtonZapsatRadek")->click();
    settle();
    QVERIFY(!rig.editor->isEditing());

    startLine(rig);
    pickCard(rig, u"250000103-0441"_s);
    typeInto(rig.field("DBEditPR"), second);
    rig.button("ButtonZapsatRadek")->click();
    settle();
    const double sum = 60 + linerules::numberValue(second);
    QCOMPARE(num(rig.header(), "pr"), sum);
    QCOMPARE(num(rig.header(), "mnozstvi"), sum * 10);
    QCOMPARE(rig.lines().size(), 2);
    // The mix NC follows the kept line in both cases: (600 × 5.20 + q × 5.00) ÷ (600 + q).
    const double q = 1000 * linerules::numberValue(second) / 100;
    QCOMPARE(num(rig.header(), "nc"),
        recalc::RoundDecimals(
            (recalc::RoundDecimals(600 * 5.2, 2) + recalc::RoundDecimals(q * 5.0, 2)) / (600 + q), 2));
    if (accepted) {
        QVERIFY(rig.rec->shown.isEmpty());
        QVERIFY(!rig.editor->isEditing());
    } else {
        QCOMPARE(rig.rec->texts(), QStringList { u"Překročen součet procent!"_s });
        // The line stays saved and in the editor; lowering it and keeping again passes.
        QVERIFY(rig.editor->isEditing());
        QVERIFY(!rig.editor->isNewLine());
        typeInto(rig.field("DBEditPR"), u"40"_s);
        rig.button("ButtonZapsatRadek")->click();
        settle();
        QVERIFY(!rig.editor->isEditing());
        QCOMPARE(rig.lines().size(), 2);
        QCOMPARE(num(rig.header(), "pr"), 100.0);
    }
}

void TestLineEditor::celkemZeroGivesQuantityZero()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    startLine(rig);
    pickCard(rig, u"250000101-0441"_s);
    QCOMPARE(num(rig.line(), "mnozstvi"), 3950.0); // a new line takes the card's balance
    rig.setPercentMode(true);
    rig.celkem = 0;
    typeInto(rig.field("DBEditPR"), u"25"_s);
    tabOut(rig.field("DBEditPR"));
    QCOMPARE(num(rig.line(), "pr"), 25.0);
    QCOMPARE(num(rig.line(), "mnozstvi"), 0.0);
    QCOMPARE(rig.field("DBEditMNOZSTVI")->text(), u"0"_s);
    // An emptied "%" becomes 0.
    typeInto(rig.field("DBEditPR"), QString());
    QTest::keyClick(rig.field("DBEditPR"), Qt::Key_Delete);
    tabOut(rig.field("DBEditPR"));
    QCOMPARE(rig.field("DBEditPR")->text(), u"0"_s);
    QCOMPARE(num(rig.line(), "pr"), 0.0);
}

void TestLineEditor::quantityModeKeepsTypedQuantity()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.celkem = 1000;
    startLine(rig);
    QVERIFY(!rig.field("DBEditPR")->isEnabled()); // "%" follows the cleared box
    pickCard(rig, u"250000101-0441"_s);
    QVERIFY(rig.field("DBEditMNOZSTVI")->hasFocus());
    typeInto(rig.field("DBEditMNOZSTVI"), u"123,5"_s);

    // "%" entered with the box checked, then the box cleared: leaving "%" keeps the quantity.
    rig.setPercentMode(true);
    typeInto(rig.field("DBEditPR"), u"20"_s);
    rig.setPercentMode(false);
    settle();
    QVERIFY(!rig.field("DBEditPR")->hasFocus());
    QCOMPARE(num(rig.line(), "pr"), 20.0);
    QCOMPARE(num(rig.line(), "mnozstvi"), 123.5);

    rig.button("ButtonZapsatRadek")->click();
    settle();
    QVERIFY(rig.rec->shown.isEmpty());
    QCOMPARE(num(rig.lines().at(0), "mnozstvi"), 123.5);
    QCOMPARE(num(rig.header(), "mnozstvi"), 123.5);
}

// --- removal --------------------------------------------------------------------------------------

void TestLineEditor::removingTheOnlyLine()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    startLine(rig);
    pickCard(rig, u"250000101-0441"_s);
    typeInto(rig.field("DBEditMNOZSTVI"), u"100"_s);
    rig.button("ButtonZapsatRadek")->click();
    settle();
    QCOMPARE(num(rig.header(), "mnozstvi"), 100.0);
    QCOMPARE(num(rig.header(), "nc"), 5.2);

    int headerSignals = 0;
    connect(rig.editor, &LineEditor::headerChanged, [&headerSignals] { ++headerSignals; });
    rig.rec->answers = { 1 };
    rig.editor->removeCurrent();
    settle();
    QCOMPARE(rig.rec->shown.size(), 1);
    QCOMPARE(rig.rec->shown.at(0).text, u"Opravdu zrušit řádek ?"_s);
    QCOMPARE(rig.rec->shown.at(0).buttons, 2);
    QCOMPARE(rig.rec->shown.at(0).firstButton, u"Zrušit"_s);
    QCOMPARE(rig.rec->shown.at(0).secondButton, u"Zpět"_s);
    QCOMPARE(rig.lines().size(), 0);
    QCOMPARE(num(rig.header(), "nc"), 0.0);
    QCOMPARE(num(rig.header(), "mnozstvi"), 0.0);
    QCOMPARE(num(rig.header(), "pr"), 0.0);
    QCOMPARE(headerSignals, 1);
    QVERIFY(!rig.editor->isEditing());
}

void TestLineEditor::removalAnsweredZpetKeepsTheLine()
{
    m_rig = makeRig(u"2601010001"_s);
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    const int before = rig.lines().size();
    const QVariantMap header = rig.header();
    rig.rec->answers = { 2 };
    rig.editor->removeCurrent();
    settle();
    QCOMPARE(rig.lines().size(), before);
    QCOMPARE(rig.rec->texts().value(0), u"Opravdu zrušit řádek ?"_s);
    // The re-check of the current line recomputes the same totals.
    QCOMPARE(num(rig.header(), "mnozstvi"), num(header, "mnozstvi"));
    QCOMPARE(num(rig.header(), "pr"), num(header, "pr"));
}

void TestLineEditor::opravitOnEmptyLineTable()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    bool editingSignal = false;
    connect(rig.editor, &LineEditor::editingChanged, [&editingSignal](bool on) { editingSignal = on; });
    startLine(rig, false);
    QVERIFY(editingSignal);
    QVERIFY(rig.editor->isNewLine());
    QCOMPARE(rig.editor->height(), 135);
    QVERIFY(rig.field("EditPARTIE")->hasFocus());
    // A new, empty line: without the header's number, cost centre and date.
    QVERIFY(text(rig.line(), "stredisko").isEmpty());
    QVERIFY(!rig.line().value(u"datum"_s).toDate().isValid());
    rig.button("ButtonZpetRadek")->click();
    settle();
    QVERIFY(!editingSignal);
    QVERIFY(!rig.editor->isVisible());
    QCOMPARE(rig.lines().size(), 0);

    // "Přidat" copies them.
    startLine(rig, true);
    QCOMPARE(text(rig.line(), "stredisko"), Centre);
    QCOMPARE(rig.line().value(u"datum"_s).toDate(), QDate::currentDate());
    rig.editor->cancelEdit();
}

// --- leaving "Partie" -----------------------------------------------------------------------------

enum class Leave { Filled, Message, WorksDialog, Picker };
Q_DECLARE_METATYPE(Leave)

void TestLineEditor::leavingPartie_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("worksCosted");
    QTest::addColumn<Leave>("outcome");
    QTest::addColumn<QString>("partiecela"); // of the line afterwards
    QTest::addColumn<int>("pickerRows");

    QTest::newRow("priced work") << u"MIC"_s << true << Leave::Filled << u"MIC"_s << 0;
    QTest::newRow("work without NC, costed") << u"DOP"_s << true << Leave::Message << QString() << 0;
    QTest::newRow("work without NC, not costed") << u"DOP"_s << false << Leave::Filled << u"DOP"_s << 0;
    QTest::newRow("no such work") << u"XYZ"_s << true << Leave::WorksDialog << u"SRO"_s << 0;
    QTest::newRow("batch not beginning 55") << u"250000102"_s << true << Leave::Picker << QString() << 2;
    QTest::newRow("mix batch taken over") << u"552600001"_s << true << Leave::Filled << u"552600001"_s << 0;
    QTest::newRow("mix batch without card") << u"552699999"_s << true << Leave::Picker << QString() << 0;
    QTest::newRow("empty code") << QString() << true << Leave::Picker << QString() << -1;
}

void TestLineEditor::leavingPartie()
{
    QFETCH(QString, code);
    QFETCH(bool, worksCosted);
    QFETCH(Leave, outcome);
    QFETCH(QString, partiecela);
    QFETCH(int, pickerRows);

    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.worksCosted = worksCosted;
    rig.setContext();
    startLine(rig);
    bool works = false;
    if (outcome == Leave::WorksDialog) {
        onWindow(u"Tfprace"_s, [&works](QWidget *w) {
            works = true;
            auto *grid = w->findChild<QTableView *>(u"DBGridPrace"_s);
            auto *dialog = static_cast<Tfprace *>(w);
            for (int r = 0; r < dialog->model()->gridRowCount(); ++r) {
                if (linerules::fieldText(dialog->model()->rowAt(r), u"partie"_s) == u"SRO"_s)
                    grid->selectRow(r);
            }
            w->findChild<QPushButton *>(u"ButtonOK"_s)->click();
        });
    }
    typeInto(rig.field("EditPARTIE"), code);
    tabOut(rig.field("EditPARTIE"));
    QTRY_VERIFY(outcome != Leave::WorksDialog || works);
    settle();

    switch (outcome) {
    case Leave::Filled:
    case Leave::WorksDialog:
        QVERIFY2(rig.rec->shown.isEmpty(), qPrintable(rig.rec->texts().join(u'|')));
        QCOMPARE(text(rig.line(), "partiecela"), partiecela);
        QVERIFY(!rig.channel->isOut());
        rig.window->activateWindow(); // back from the works dialog
        QTRY_VERIFY(rig.field("DBEditMNOZSTVI")->hasFocus());
        if (partiecela.size() == 3) {
            QCOMPARE(num(rig.line(), "pr"), 0.0);
            QCOMPARE(num(rig.line(), "lomeni"), 0.0);
            QVERIFY(text(rig.line(), "podnik").isEmpty());
            QCOMPARE(num(rig.line(), "mnozstvi"), num(rig.header(), "mnozstvi"));
            QCOMPARE(rig.field("DBEditNOMENKLA")->text(), text(rig.line(), "nomenkla"));
            QVERIFY(!text(rig.line(), "nomenkla").isEmpty());
        } else {
            QCOMPARE(num(rig.line(), "mnozstvi"), 1000.0); // the card's balance
        }
        break;
    case Leave::Message:
        QCOMPARE(rig.rec->texts(), QStringList { u"Tato práce má nulovou NC!"_s });
        QCOMPARE(rig.rec->shown.at(0).firstButton, u"Zpět"_s);
        QCOMPARE(rig.rec->shown.at(0).icon, MessageIcon::Stop);
        QVERIFY(rig.field("EditPARTIE")->hasFocus());
        QVERIFY(text(rig.line(), "nomenkla").isEmpty());
        QVERIFY(text(rig.line(), "partiecela").isEmpty());
        break;
    case Leave::Picker:
        QVERIFY(rig.rec->shown.isEmpty());
        QVERIFY(rig.channel->isOut());
        QCOMPARE(rig.channel->panelWidth(), 800);
        QVERIFY(rig.picker()->grid()->hasFocus());
        if (pickerRows >= 0) {
            QVERIFY(rig.picker()->isFiltered());
            QCOMPARE(rig.picker()->model()->gridRowCount(), pickerRows);
            for (int r = 0; r < pickerRows; ++r)
                QCOMPARE(text(rig.picker()->model()->rowAt(r), "partie"), code);
        } else {
            QVERIFY(!rig.picker()->isFiltered());
            QCOMPARE(rig.picker()->model()->gridRowCount(), rig.picker()->cards().size());
        }
        QVERIFY(text(rig.line(), "partiecela").isEmpty());
        break;
    }
    rig.editor->cancelEdit();
    QVERIFY(!rig.channel->isOut());
    QVERIFY(!rig.picker()->isFiltered());
    QCOMPARE(rig.lines().size(), 0);
}

// --- the stock picker -----------------------------------------------------------------------------

void TestLineEditor::pickerTakeOverFillsTheLine()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    startLine(rig);
    rig.button("ButtonSkl")->click(); // "<" on an empty line: every card
    settle();
    QVERIFY(rig.channel->isOut());
    QVERIFY(!rig.picker()->isFiltered());
    RowListModel *model = rig.picker()->model();
    int row = -1;
    for (int r = 0; r < model->gridRowCount(); ++r) {
        if (text(model->rowAt(r), "partie") == u"250000105"_s)
            row = r;
    }
    QVERIFY(row >= 0);
    rig.picker()->selectRow(row);
    auto *note = rig.picker()->findChild<QLineEdit *>(u"DBEditPOZNAMKA"_s);
    auto *lot = rig.picker()->findChild<QLineEdit *>(u"DBEditZAHRPARTIE"_s);
    QVERIFY(note->text().startsWith(u"Dovoz Brazílie"_s));
    QCOMPARE(lot->text(), u"BRSOY2025/0871"_s);
    QVERIFY(note->isReadOnly() && lot->isReadOnly());

    // A double-click on the grid takes over as "Převzít" does.
    emit rig.picker()->grid()->doubleClicked(model->index(row, 0));
    settle();
    const QVariantMap line = rig.line();
    QCOMPARE(text(line, "partie"), u"250000105"_s);
    QCOMPARE(text(line, "partiecela"), u"250000105-0441"_s);
    QCOMPARE(text(line, "podnik"), u"0441"_s);
    QCOMPARE(num(line, "lomeni"), 0.0);
    QCOMPARE(text(line, "nomenkla"), u"112001"_s);
    QCOMPARE(text(line, "nazevosiva"), u"Sójový extrahovaný šrot"_s);
    QCOMPARE(text(line, "druh"), u"SOJ"_s);
    QCOMPARE(text(line, "mj"), u"kg"_s);
    QCOMPARE(text(line, "ulc"), u"BRSOY2025/087"_s); // the lot cut to 13 characters
    QCOMPARE(num(line, "nc"), 11.5);
    QCOMPARE(num(line, "mnozstvi"), 1550.0);
    QVERIFY(!rig.channel->isOut());
    QVERIFY(rig.field("DBEditMNOZSTVI")->hasFocus());
    QCOMPARE(rig.field("DBEditNC")->text(), u"11,50"_s);
    QCOMPARE(rig.field("DBEditPARTIECELA")->text(), u"250000105-0441"_s);
    // The grid shows the pending line as it is typed.
    QCOMPARE(rig.grid->model()->rowCount(), 1);
    QCOMPARE(rig.grid->model()->index(0, 0).data().toString().trimmed(), u"250000105-0441"_s);

    rig.button("ButtonZapsatRadek")->click();
    settle();
    QVERIFY(rig.rec->shown.isEmpty());
    QCOMPARE(num(rig.header(), "mnozstvi"), 1550.0);
    QCOMPARE(num(rig.header(), "nc"), 11.5);
}

void TestLineEditor::pickerZpetReturnsToPartie()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    startLine(rig);
    typeInto(rig.field("EditPARTIE"), u"250000102"_s);
    rig.button("ButtonSkl")->click();
    settle();
    QVERIFY(rig.channel->isOut());
    QCOMPARE(rig.picker()->model()->gridRowCount(), 2); // fractions 0 and 1
    rig.pickerButton("ButtonZpetSkl")->click();
    settle();
    QVERIFY(!rig.channel->isOut());
    QVERIFY(!rig.picker()->isFiltered());
    QVERIFY(rig.field("EditPARTIE")->hasFocus());
    QVERIFY(text(rig.line(), "partiecela").isEmpty());
    QVERIFY(rig.editor->isEditing());

    // Sliding the channel out by its bar shows the whole list.
    rig.channel->slideOut(800);
    settle();
    QVERIFY(!rig.picker()->isFiltered());
    rig.channel->slideBack();
    rig.editor->cancelEdit();
}

void TestLineEditor::takeOverWithoutLineEditOpensTheEditor()
{
    m_rig = makeRig(u"2601010001"_s);
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    const int before = rig.lines().size();
    rig.tables.lines.first();
    const QString replaced = text(rig.line(), "partiecela");
    QVERIFY(!rig.editor->isEditing());
    rig.channel->slideOut(800);
    settle();
    int row = -1;
    for (int r = 0; r < rig.picker()->model()->gridRowCount(); ++r) {
        if (text(rig.picker()->model()->rowAt(r), "partiecela") == u"250000114-0512"_s)
            row = r;
    }
    QVERIFY(row >= 0);
    rig.picker()->selectRow(row);
    rig.pickerButton("ButtonPrevzit")->click();
    settle();
    // The current line is opened in the editor and filled; "Zapsat" of the line checks it.
    QVERIFY(rig.editor->isEditing());
    QVERIFY(!rig.editor->isNewLine());
    QCOMPARE(text(rig.line(), "partiecela"), u"250000114-0512"_s);
    QVERIFY(replaced != u"250000114-0512"_s);
    rig.button("ButtonZapsatRadek")->click();
    settle();
    QVERIFY2(rig.rec->shown.isEmpty(), qPrintable(rig.rec->texts().join(u'|')));
    QCOMPARE(rig.lines().size(), before);
    QCOMPARE(text(rig.lines().at(0), "partiecela"), u"250000114-0512"_s);
}

void TestLineEditor::refusedChangedLineStaysOnItsSavedValues()
{
    m_rig = makeRig(u"2601010001"_s);
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.tables.lines.first();
    const QVariantMap saved = rig.line();
    const QVariantMap header = rig.header();
    startLine(rig, false);
    QVERIFY(!rig.editor->isNewLine());
    typeInto(rig.field("DBEditMNOZSTVI"), u"999999"_s);
    rig.button("ButtonZapsatRadek")->click();
    settle();
    QCOMPARE(rig.rec->texts(), QStringList { u"Nelze vydat! Na kartě je menší zůstatek."_s });
    QVERIFY(rig.editor->isEditing());
    QCOMPARE(num(rig.line(), "mnozstvi"), num(saved, "mnozstvi"));
    QCOMPARE(linerules::numberValue(rig.field("DBEditMNOZSTVI")->text()), num(saved, "mnozstvi"));
    QCOMPARE(num(rig.header(), "mnozstvi"), num(header, "mnozstvi"));
    rig.editor->cancelEdit();
    QCOMPARE(rig.tables.lines.recNo(), 0);
}

void TestLineEditor::negativeQuantityIsRefused()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    startLine(rig);
    pickCard(rig, u"250000101-0441"_s);
    typeInto(rig.field("DBEditMNOZSTVI"), u"-5"_s);
    rig.button("ButtonZapsatRadek")->click();
    settle();
    QCOMPARE(rig.rec->texts(), QStringList { u"Množství nesmí být záporné."_s });
    QVERIFY(rig.editor->isEditing());
    QCOMPARE(rig.tables.lines.recordCount(), 0);
    QCOMPARE(num(rig.header(), "mnozstvi"), 0.0);
    rig.editor->cancelEdit();
}

void TestLineEditor::stockListCalculationsAndColours()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    StockPicker *picker = rig.picker();
    auto fractions = [picker] {
        QList<int> high;
        for (const QVariantMap &card : picker->cards()) {
            if (num(card, "lomeni") >= 60)
                high << int(num(card, "lomeni"));
        }
        return high;
    };
    QVERIFY(fractions().isEmpty());
    for (const QVariantMap &card : picker->cards()) {
        QCOMPARE(text(card, "stredisko"), Centre);
        QVERIFY(num(card, "zustatek") > 0);
    }
    auto *box = picker->findChild<QCheckBox *>(u"CheckBoxKalkulace"_s);
    QCOMPARE(box->text(), u" i kalkulace"_s);
    box->click();
    settle();
    QCOMPARE(fractions().size(), 3); // 250000103/60, 250000104/61, 552600003/60
    QCOMPARE(box->palette().color(QPalette::WindowText), QColor(Qt::red));
    box->click();
    settle();
    QVERIFY(fractions().isEmpty());
    QVERIFY(box->palette().color(QPalette::WindowText) != QColor(Qt::red));

    RowListModel *model = picker->model();
    QStringList titles;
    for (int c = 0; c < model->columnCount(); ++c)
        titles << model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles,
        (QStringList { u"PARTIECELA"_s, u"stř"_s, u"lo"_s, u"PODNIK"_s, u"NOMENKLA"_s, u"NAZEVOSIVA"_s, u"ZUSTATEK"_s,
            u"MJ"_s, u"NC"_s, u"ZAHRPARTIE"_s, u"PARTIE"_s, u"DRUH"_s, u"ODRUDA"_s, u"NAZ_DRU"_s, u"NAZ_ODRU"_s,
            u"STUPEN"_s }));
    QCOMPARE(picker->grid()->selectionBehavior(), QAbstractItemView::SelectRows);
    for (int r = 0; r < model->gridRowCount(); ++r) {
        const QString partie = text(model->rowAt(r), "partie");
        const QVariant background = model->index(r, 0).data(Qt::BackgroundRole);
        if (partie == u"250000111"_s)
            QCOMPARE(background.value<QColor>(), QColor(0, 255, 128));
        else if (partie == u"250000113"_s)
            QCOMPARE(background.value<QColor>(), QColor(243, 156, 156));
        else
            QVERIFY2(!background.isValid(), qPrintable(partie));
        if (partie == u"250000105"_s)
            QCOMPARE(model->index(r, 8).data().toString(), u"11,50"_s);
    }
}

void TestLineEditor::stockGridTitleClickSortsAndSearches()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.channel->slideOut(800);
    settle();
    StockPicker *picker = rig.picker();
    RowListModel *model = picker->model();
    QHeaderView *header = picker->grid()->horizontalHeader();
    // ZUSTATEK: numeric order.
    const int zustatek = 6;
    header->sectionClicked(zustatek);
    settle();
    for (int r = 1; r < model->gridRowCount(); ++r)
        QVERIFY(num(model->rowAt(r - 1), "zustatek") <= num(model->rowAt(r), "zustatek"));
    auto *search = picker->findChild<QLineEdit *>(u"EditHledat"_s);
    QVERIFY(search->isVisible());
    QVERIFY(search->hasFocus());

    // NAZEVOSIVA: typing moves to the first name beginning with the text.
    header->sectionClicked(5);
    settle();
    QTest::keyClicks(search, u"Sl"_s);
    settle();
    const QModelIndex current = picker->grid()->currentIndex();
    QVERIFY(current.isValid());
    QVERIFY(text(model->rowAt(current.row()), "nazevosiva").startsWith(u"Sl"_s));
    if (current.row() > 0)
        QVERIFY(!text(model->rowAt(current.row() - 1), "nazevosiva").startsWith(u"Sl"_s));
    QTest::keyClick(search, Qt::Key_Escape);
    settle();
    QVERIFY(!search->isVisible());
    QVERIFY(picker->grid()->hasFocus());

    // The layout is written to and read back from a column layout file.
    const QString file = m_inst->programDir() + u"/pelmixiskl.slo"_s;
    header->resizeSection(0, 222);
    QVERIFY(picker->saveColumnLayout(file));
    StockPicker fresh;
    QCOMPARE(fresh.grid()->horizontalHeader()->sectionSize(0), 222);
    rig.channel->slideBack();
}

void TestLineEditor::worksDialog()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    startLine(rig);
    QPointer<Tfprace> seen;
    QStringList titles;
    QStringList codes;
    QRect placed;
    onWindow(u"Tfprace"_s, [&](QWidget *w) {
        seen = static_cast<Tfprace *>(w);
        for (int c = 0; c < seen->model()->columnCount(); ++c)
            titles << seen->model()->headerData(c, Qt::Horizontal).toString();
        auto *grid = w->findChild<QTableView *>(u"DBGridPrace"_s);
        grid->horizontalHeader()->sectionClicked(0); // sorts by the code
        for (int r = 0; r < seen->model()->gridRowCount(); ++r)
            codes << linerules::fieldText(seen->model()->rowAt(r), u"partie"_s);
        placed = w->frameGeometry();
        const QModelIndex gra = seen->model()->index(int(codes.indexOf(u"GRA"_s)), 1);
        grid->selectRow(gra.row());
        emit grid->doubleClicked(gra);
    });
    rig.button("ButtonPrace")->click();
    settle();
    QVERIFY(seen.isNull()); // destroyed after its one use
    QCOMPARE(titles, (QStringList { u"Partie"_s, u"Popis"_s, u"MJ"_s, u"NC"_s, u"dph"_s, u"PC"_s }));
    QCOMPARE(codes, (QStringList { u"DOP"_s, u"GRA"_s, u"MIC"_s, u"SRO"_s }));
    const QRect main = rig.window->frameGeometry();
    QCOMPARE(placed.top(), main.top() + 30);
    QCOMPARE(placed.right(), main.right());
    QCOMPARE(placed.height(), main.height() + main.top() - 50);
    QCOMPARE(text(rig.line(), "partiecela"), u"GRA"_s);
    QCOMPARE(num(rig.line(), "nc"), 0.8);

    // "Zpět" of the dialog only returns to "Partie".
    onWindow(u"Tfprace"_s, [](QWidget *w) { w->findChild<QPushButton *>(u"ButtonZpet"_s)->click(); });
    rig.button("ButtonPrace")->click();
    settle();
    QCOMPARE(text(rig.line(), "partiecela"), u"GRA"_s);
    rig.window->activateWindow();
    QTRY_VERIFY(rig.field("EditPARTIE")->hasFocus());
    rig.editor->cancelEdit();
}

void TestLineEditor::recipeProposalApplied()
{
    m_rig = makeRig();
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    recipe::Proposal proposal;
    proposal.lines = {
        { { u"nomenkla"_s, u"111001"_s }, { u"nazevosiva"_s, u"Pšenice krmná"_s }, { u"pr"_s, 60.0 },
            { u"mnozstvi"_s, 600.0 } },
        { { u"nomenkla"_s, u"112001"_s }, { u"nazevosiva"_s, u"Sója"_s }, { u"pr"_s, 40.0 }, { u"mnozstvi"_s, 400.0 } },
    };
    proposal.header = { { u"pr"_s, 100.0 }, { u"mnozstvi"_s, 1000.0 }, { u"nazevosiva"_s, u"KS pro nosnice"_s } };
    int headerSignals = 0;
    connect(rig.editor, &LineEditor::headerChanged, [&headerSignals] { ++headerSignals; });
    rig.editor->applyProposal(proposal);
    QCOMPARE(headerSignals, 1);
    QCOMPARE(rig.lines().size(), 2);
    QCOMPARE(text(rig.lines().at(1), "nomenkla"), u"112001"_s);
    QCOMPARE(num(rig.lines().at(1), "pr"), 40.0);
    QVERIFY(text(rig.lines().at(1), "partie").isEmpty());
    // The recipe's own totals stand until a line is kept.
    QCOMPARE(num(rig.header(), "mnozstvi"), 1000.0);
    QCOMPARE(num(rig.header(), "pr"), 100.0);
    QCOMPARE(text(rig.header(), "nazevosiva"), u"KS pro nosnice"_s);

    // A proposed line without a batch: "<" lists the cards of its nomenclature.
    rig.tables.lines.goTo(1);
    startLine(rig, false);
    QVERIFY(rig.field("EditPARTIE")->hasFocus());
    rig.button("ButtonSkl")->click();
    settle();
    QVERIFY(rig.picker()->isFiltered());
    QCOMPARE(rig.picker()->model()->gridRowCount(), 2); // 250000105 and 250000106
    for (int r = 0; r < 2; ++r)
        QCOMPARE(text(rig.picker()->model()->rowAt(r), "nomenkla"), u"112001"_s);
    rig.picker()->selectRow(1);
    rig.pickerButton("ButtonPrevzit")->click();
    settle();
    QCOMPARE(text(rig.line(), "partiecela"), u"250000106-0512"_s);
    QCOMPARE(num(rig.line(), "mnozstvi"), 400.0); // the proposal's quantity stays
    rig.button("ButtonZapsatRadek")->click();
    settle();
    QVERIFY2(rig.rec->shown.isEmpty(), qPrintable(rig.rec->texts().join(u'|')));
    // Keeping it recomputes the totals over the batch lines: only this one has a batch.
    QCOMPARE(num(rig.header(), "mnozstvi"), 400.0);
    QCOMPARE(num(rig.header(), "pr"), 40.0);
}

// The panel open with the stock channel slid out; PNGs go to PELMIXI_SHOTS when it is set.
void TestLineEditor::screenshots()
{
    m_rig = makeRig(u"2601010001"_s);
    QVERIFY(m_rig);
    Rig &rig = *m_rig;
    rig.setPercentMode(true);
    rig.celkem = 1000;
    startLine(rig);
    typeInto(rig.field("EditPARTIE"), u"250000101"_s);
    rig.button("ButtonSkl")->click();
    settle();
    QVERIFY(rig.channel->isOut());
    QCOMPARE(rig.channel->panel()->width(), 800);
    QCOMPARE(rig.editor->height(), 135);
    QVERIFY(rig.editor->isVisible());
    const QString folder = qEnvironmentVariable("PELMIXI_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QVERIFY(rig.window->grab().save(folder + u"/lineeditor_picker.png"_s));
    }
    rig.pickerButton("ButtonPrevzit")->click();
    settle();
    typeInto(rig.field("DBEditPR"), u"35"_s);
    tabOut(rig.field("DBEditPR"));
    QCOMPARE(num(rig.line(), "mnozstvi"), 350.0);
    if (!folder.isEmpty())
        QVERIFY(rig.window->grab().save(folder + u"/lineeditor_line.png"_s));
    rig.channel->slideOut(800);
    settle();
    auto *box = rig.picker()->findChild<QCheckBox *>(u"CheckBoxKalkulace"_s);
    box->click();
    settle();
    if (!folder.isEmpty())
        QVERIFY(rig.window->grab().save(folder + u"/lineeditor_calculations.png"_s));
    rig.channel->slideBack();
    rig.editor->cancelEdit();
}

// The panel inside the document editor as the program wires it: "zadávat procenta" and "Celkem" of
// the page "Směs" drive the percentages, the header fields follow every kept line, the document's
// buttons wait while a line is edited.
void TestLineEditor::inTheWiredEditor()
{
    TForm1 w(StartOptions { u"modul"_s, 0 });
    wireEditor(w);
    QVERIFY(w.startUp());
    testsupport::MessageRecorder rec;
    w.resize(1280, 860);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.findChild<QAction *>(u"Novdoklad1"_s)->trigger();
    settle();
    auto *editor = w.findChild<DocumentEditor *>(u"DocumentEditor"_s);
    QVERIFY(editor && editor->isOpen());
    LineEditor *lines = editor->lineEditor();
    auto widget = [&](const char *name) { return editor->findChild<QWidget *>(QString::fromLatin1(name)); };
    auto number = [&](const char *name) {
        double value = 0;
        displayformat::parseNumber(editor->findChild<QLineEdit *>(QString::fromLatin1(name))->text(), &value);
        return value;
    };
    auto panelEdit = [&](const char *name) { return lines->findChild<QLineEdit *>(QString::fromLatin1(name)); };

    editor->findChild<QCheckBox *>(u"suiCheckBoxProcenta"_s)->click();
    typeInto(editor->findChild<QLineEdit *>(u"CurrencyEdit1"_s), u"1000"_s);
    static_cast<QPushButton *>(widget("suiButtonPridat"))->click();
    settle();
    QVERIFY(lines->isEditing());
    for (const char *name : { "suiDBGrid2", "suiButtonPridat", "suiButtonOpravit", "suiButtonZrusit", "suiButton15",
             "suiButtonPrepocitat", "suiButtonZCeniku", "suiButtonNavrhPartie", "suiButtonCenik" })
        QVERIFY2(!widget(name)->isEnabled(), name);
    QVERIFY(panelEdit("DBEditPR")->isEnabled());
    QVERIFY(panelEdit("DBEditPR")->hasFocus());

    typeInto(panelEdit("EditPARTIE"), u"250000101"_s);
    tabOut(panelEdit("EditPARTIE"));
    QTRY_VERIFY(w.stockCardChannel()->isOut());
    QCOMPARE(lines->stockPicker()->model()->gridRowCount(), 1);
    const QString folder = qEnvironmentVariable("PELMIXI_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QVERIFY(w.grab().save(folder + u"/editor_picker.png"_s));
    }
    lines->stockPicker()->findChild<QPushButton *>(u"ButtonPrevzit"_s)->click();
    settle();
    QVERIFY(panelEdit("DBEditPR")->hasFocus());
    typeInto(panelEdit("DBEditPR"), u"60"_s);
    static_cast<QPushButton *>(lines->findChild<QWidget *>(u"ButtonZapsatRadek"_s))->click();
    settle();
    QVERIFY(!lines->isEditing());
    QVERIFY(widget("suiButton15")->isEnabled());
    QVERIFY(widget("suiButtonPrepocitat")->isEnabled());
    QCOMPARE(number("DBEdit14"), 600.0); // Namícháno
    QCOMPARE(number("DBEdit16"), 60.0); // %
    QCOMPARE(number("DBEdit10"), 5.2); // NC

    // A work takes the mix quantity and is costed into the NC: (3120 + 360) ÷ 600.
    static_cast<QPushButton *>(widget("suiButtonPridat"))->click();
    settle();
    typeInto(panelEdit("EditPARTIE"), u"MIC"_s);
    tabOut(panelEdit("EditPARTIE"));
    QCOMPARE(panelEdit("DBEditMNOZSTVI")->text(), u"600"_s);
    if (!folder.isEmpty())
        QVERIFY(w.grab().save(folder + u"/editor_line.png"_s));
    static_cast<QPushButton *>(lines->findChild<QWidget *>(u"ButtonZapsatRadek"_s))->click();
    settle();
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.texts().join(u'|')));
    QCOMPARE(number("DBEdit14"), 600.0);
    QCOMPARE(number("DBEdit10"), 5.8);
    if (!folder.isEmpty())
        QVERIFY(w.grab().save(folder + u"/editor_lines.png"_s));
}

QTEST_MAIN(TestLineEditor)
#include "tst_lineeditor.moc"
