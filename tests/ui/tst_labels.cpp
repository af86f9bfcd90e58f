// Sample and pallet labels through the main window's menus against the demo plant: the dialogs,
// the label sheet and pallet-label tables, the preview's pages and what the printer gets, the
// saved-texts picker and its files, and a list row whose document has gone.
#include "appfonts.h"
#include "connection.h"
#include "cp1250.h"
#include "inifile.h"
#include "labeldata.h"
#include "labelpreview.h"
#include "paths.h"
#include "printing/reportfonts.h"
#include "resulttablemodel.h"
#include "testsupport.h"
#include "windowtest.h"
#include "tform1.h"
#include "tfstit.h"
#include "tfstitpal.h"
#include "tftextuloz.h"
#include "wiring.h"
#include "worktable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

using namespace pelmixi::printing;
using namespace Qt::StringLiterals;

using testsupport::clickButton;
using testsupport::onWindow;

namespace {

const QString database = QStringLiteral("t_ui_labels");
const QString demoDocument = QStringLiteral("2601020001"); // mix 552600005 on cost centre 102
const QString noCardDocument = QStringLiteral("2601020009"); // mix 552600077 without a stock card

QPushButton *button(QWidget *dialog, const QString &name)
{
    auto *b = dialog->findChild<QPushButton *>(name);
    if (!b)
        qWarning("no button %s", qPrintable(name));
    return b;
}

void execute(const QString &sql)
{
    Connection c(testsupport::serverParams(database));
    c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
    c.execute(sql);
}

// Optional pictures for looking at the labels by eye: set PELMIXI_LABEL_SHOTS to a folder.
void keepShot(const QImage &image, const QString &name)
{
    const QString dir = qEnvironmentVariable("PELMIXI_LABEL_SHOTS");
    if (!dir.isEmpty())
        image.save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

// What a preview showed: its laid-out report and the pages as pictures at 100 %.
struct PreviewSeen {
    LaidOutReport report;
    QList<QImage> pages;
    QString pdfPath; // when the test printed from the preview
};

// Answers the next label preview: keeps what it shows, optionally prints it into a PDF file
// through the preview's own printing, and closes it.
void capturePreview(std::optional<PreviewSeen> *seen, const QString &pdfPath = {})
{
    onWindow(QStringLiteral("LabelPreview"), [seen, pdfPath](QWidget *w) {
        auto *preview = qobject_cast<LabelPreview *>(w);
        PreviewSeen s;
        if (preview) {
            s.report = preview->laidOut();
            keepShot(w->grab().toImage(), s.report.setup.landscape ? u"preview_pallet"_s : u"preview_sample"_s);
            for (int i = 0; i < preview->pageCount(); ++i)
                s.pages << preview->pageImage(i);
            if (!pdfPath.isEmpty()) {
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdfPath);
                if (preview->print(printer))
                    s.pdfPath = pdfPath;
            }
        }
        *seen = s;
        w->close();
    });
}

// zbarimg's reading of a picture ("CODE-128:..." lines without the prefix), or of a PDF's first
// page rendered by pdftoppm.
QStringList decodeBarcodes(const QImage &image)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.png"));
    image.save(path);
    QProcess p;
    p.start(
        QStringLiteral("zbarimg"), { QStringLiteral("--raw"), QStringLiteral("--nodbus"), QStringLiteral("-q"), path });
    p.waitForFinished(30000);
    return QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QImage pdfPage(const QString &pdf, int page)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("p"));
    QProcess::execute(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-f"), QString::number(page),
            QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf,
            prefix });
    return QImage(prefix + QStringLiteral(".png"));
}

int pdfPageCount(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), { pdf });
    p.waitForFinished(30000);
    for (const QString &line : QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

// The sheet position (1..4, counted down the left column first) of a sample-label item.
int sheetPosition(const DrawItem &item)
{
    const int column = item.rect.left() < 5.0 + 102.4 ? 0 : 1;
    const int row = item.rect.top() < 147.9 ? 0 : 1;
    return column * 2 + row + 1;
}

// Per page: the positions on which anything at all is printed.
QList<QList<int>> printedPositions(const LaidOutReport &report)
{
    QList<QList<int>> pages;
    for (const ReportPage &page : report.pages) {
        QList<int> positions;
        for (const DrawItem &item : page.items) {
            if (item.kind == ReportItem::Kind::Text && item.text.isEmpty())
                continue;
            const int p = sheetPosition(item);
            if (!positions.contains(p))
                positions << p;
        }
        std::sort(positions.begin(), positions.end());
        pages << positions;
    }
    return pages;
}

class MainWindowRun {
public:
    explicit MainWindowRun(const QString &costCentre = QStringLiteral("102"))
    {
        window = std::make_unique<TForm1>(StartOptions { QStringLiteral("modul"), 0 });
        wireLabels(*window);
        recorder = std::make_unique<testsupport::MessageRecorder>();
        window->setCostCentre(costCentre);
        started = window->startUp();
    }
    ~MainWindowRun()
    {
        recorder.reset();
        window.reset();
    }

    bool selectDocument(const QString &number) const
    {
        for (int r = 0; r < window->listModel()->rowCount(); ++r) {
            if (window->listModel()->value(r, QStringLiteral("cislodokla")).toString() == number) {
                window->listGrid()->setCurrentIndex(window->listModel()->index(r, 0));
                return true;
            }
        }
        return false;
    }
    void trigger(const QString &action) const { window->findChild<QAction *>(action)->trigger(); }

    std::unique_ptr<TForm1> window;
    std::unique_ptr<testsupport::MessageRecorder> recorder;
    bool started = false;
};

const QString SampleAction = QStringLiteral("Tiskttkunavzorek1");
const QString PalletAction = QStringLiteral("Tiskttkunapaletu1");

// Answers TFstit with a number of labels and a start position and confirms with "Tisk".
void answerSampleDialog(int count, int start)
{
    onWindow(QStringLiteral("TFstit"), [count, start](QWidget *w) {
        keepShot(w->grab().toImage(), QStringLiteral("tfstit"));
        w->findChild<QSpinBox *>(QStringLiteral("suiSpinEdit1"))->setValue(count);
        w->findChild<QRadioButton *>(QStringLiteral("suiRadioButton%1").arg(start))->setChecked(true);
        button(w, QStringLiteral("suiButton1"))->click();
    });
}

QLineEdit *edit(QWidget *dialog, const QString &name)
{
    return dialog->findChild<QLineEdit *>(name);
}

// The operator types into an edit and leaves it for another control of the dialog.
void typeAndLeave(QLineEdit *e, const QString &text)
{
    e->setText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(e, &out);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestLabels : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sampleSheetFromStartPosition_data();
    void sampleSheetFromStartPosition();
    void sampleLabelContents_data();
    void sampleLabelContents();
    void sampleDialogZpetPrintsNothing();
    void storedLabelCountClamped_data();
    void storedLabelCountClamped();
    void vanishedDocument_data();
    void vanishedDocument();

    void pickerFile_data();
    void pickerFile();
    void pickerKeepsFileOfAnyCase();

    void palletDemoLabel();
    void palletTotalAndPackagingLine();
    void palletSavedTextsFillFields();
    void palletWithoutStockCard();
    void labelsWhileDocumentOpen();

private:
    std::unique_ptr<testsupport::Installation> inst;
};

void TestLabels::initTestCase()
{
    appfonts::applyApplicationFont();
    registerReportFonts();
    testsupport::createDatabase(database, true);
    // A mix document of cost centre 102 whose batch has no stock card.
    execute(QStringLiteral(
        "INSERT INTO pelmixi (cislodokla, stredisko, partie, partiecela, nomenkla, nazevosiva, mnozstvi, mj, nc, "
        "datum, smes, rokd) VALUES ('%1', '102', '552600077', '552600077', '150005', 'KS pro prasata VP1', 40, 'kg', "
        "6.8, '2026-11-20', '1', '2026')")
                .arg(noCardDocument));
}

void TestLabels::init()
{
    inst.reset();
    inst = std::make_unique<testsupport::Installation>(database);
    QVERIFY(!QFile::exists(paths::smesiIni()));
}

void TestLabels::cleanup()
{
    testsupport::stopWindowWatchers();
}

void TestLabels::sampleSheetFromStartPosition_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<QList<int>>>("positions");
    QTest::addColumn<int>("blankRows");

    QTest::newRow("one label at the top left") << 1 << 1 << QList<QList<int>> { { 1 } } << 0;
    QTest::newRow("two from position 3: the right column") << 2 << 3 << QList<QList<int>> { { 3, 4 } } << 2;
    QTest::newRow("six from position 4: three sheets")
        << 6 << 4 << QList<QList<int>> { { 4 }, { 1, 2, 3, 4 }, { 1 } } << 3;
    QTest::newRow("four from position 2") << 4 << 2 << QList<QList<int>> { { 2, 3, 4 }, { 1 } } << 1;
}

void TestLabels::sampleSheetFromStartPosition()
{
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QList<QList<int>>, positions);
    QFETCH(int, blankRows);

    MainWindowRun run;
    QVERIFY(run.started);
    QVERIFY(run.selectDocument(demoDocument));
    answerSampleDialog(count, start);
    std::optional<PreviewSeen> seen;
    capturePreview(&seen);
    run.trigger(SampleAction);
    QVERIFY(seen.has_value());
    QVERIFY(run.recorder->shown.isEmpty());

    // Skipped positions print nothing at all: no captions, values or maker credit.
    QCOMPARE(printedPositions(seen->report), positions);
    int labels = 0;
    for (const ReportPage &page : seen->report.pages)
        labels += page.texts(QStringLiteral("partiecela")).count(QStringLiteral("52600005/05"));
    QCOMPARE(labels, count);
    keepShot(seen->pages.value(0), QStringLiteral("sample_%1_from_%2").arg(count).arg(start));

    // The label sheet table keeps the rows in table order: the blank ones first.
    WorkTable sheet(QString::fromUtf16(labels::LabelSheetTable));
    sheet.open();
    QCOMPARE(sheet.recordCount(), blankRows + count);
    for (int r = 0; r < sheet.recordCount(); ++r) {
        sheet.goTo(r);
        QCOMPARE(sheet.asString(QStringLiteral("partiecela")), r < blankRows ? QString() : QStringLiteral("552600005"));
        QCOMPARE(sheet.isNull(QStringLiteral("datum")), r < blankRows);
    }
}

void TestLabels::sampleLabelContents_data()
{
    QTest::addColumn<QByteArray>("smesiIni"); // empty: no smesi.ini
    QTest::addColumn<QString>("batch");
    QTest::addColumn<QStringList>("supplier"); // name, seat, street, postcode, post office, ICO, place

    QTest::newRow("no smesi.ini: separator / and no supplier")
        << QByteArray() << QStringLiteral("52600005/05")
        << QStringList { QString(), QString(), QString(), QString(), QString(), QString(), QString() };
    const QByteArray full = cp1250::encode(
        QStringLiteral("[TFmozno]\r\nEditnazev_Text=Mlýn Dolní Újezd s.r.o.\r\nEditsidlo_Text=Dolní Újezd\r\n"
                       "Editulice_Text=Mlýnská 7\r\nEditPSC_Text=588 14\r\nEditposta_Text=Dolní Újezd u Jihlavy\r\n"
                       "EditICO_Text=00123456\r\nEditKDEVYSTA_Text=sklad E01\r\nsuiComboBoxOddDiluPartie_Text=-\r\n"));
    QTest::newRow("separator - prints the code as stored")
        << full << QStringLiteral("552600005")
        << QStringList { QStringLiteral("Mlýn Dolní Újezd s.r.o."), QStringLiteral("Dolní Újezd"),
               QStringLiteral("Mlýnská 7"), QStringLiteral("588 14"), QStringLiteral("Dolní Újezd u Jihlavy"),
               QStringLiteral("00123456"), QStringLiteral("sklad E01") };
    QTest::newRow("another separator") << QByteArray("[TFmozno]\r\nsuiComboBoxOddDiluPartie_Text=.\r\n")
                                       << QStringLiteral("52600005.05")
                                       << QStringList { QString(), QString(), QString(), QString(), QString(),
                                              QString(), QString() };
}

void TestLabels::sampleLabelContents()
{
    QFETCH(QByteArray, smesiIni);
    QFETCH(QString, batch);
    QFETCH(QStringList, supplier);

    if (!smesiIni.isEmpty()) {
        QFile f(QDir(inst->programDir()).filePath(QStringLiteral("smesi.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(smesiIni);
    }
    MainWindowRun run;
    QVERIFY(run.selectDocument(demoDocument));
    answerSampleDialog(1, 1);
    std::optional<PreviewSeen> seen;
    capturePreview(&seen);
    run.trigger(SampleAction);
    QVERIFY(seen.has_value());
    QCOMPARE(seen->report.pages.size(), 1);
    const ReportPage &page = seen->report.pages.first();
    auto text = [&page](const char *name) { return page.texts(QString::fromLatin1(name)).value(0); };

    QCOMPARE(text("partiecela"), batch);
    const char *supplierItems[] = { "Editnazev_Text", "Editsidlo_Text", "Editulice_Text", "EditPSC_Text",
        "Editposta_Text", "EditICO_Text", "EditKDEVYSTA_Text" };
    for (int i = 0; i < 7; ++i)
        QCOMPARE(text(supplierItems[i]), supplier.at(i));
    // The mix row and the three columns of its stock card.
    QCOMPARE(text("stredisko"), QStringLiteral("102"));
    QCOMPARE(text("nazevosiva"), QStringLiteral("KS pro prasata VP1"));
    QCOMPARE(text("popis"), QStringLiteral("Výkrmová směs, pytle 25 kg"));
    QCOMPARE(text("cinnost"), QStringLiteral("nezemědělská výroba"));
    QCOMPARE(text("mnozstvi"), QStringLiteral("500"));
    QCOMPARE(text("mj"), QStringLiteral("kg"));
    QCOMPARE(text("poceto1"), QStringLiteral("20"));
    QCOMPARE(text("mo1"), QStringLiteral("Pytel papírový 25 kg"));
    QCOMPARE(text("navesky"), QStringLiteral("Návěsky 2026/1118–1137"));
    QCOMPARE(text("datum"), QStringLiteral("18.11.2026"));
    QVERIFY(!text("makerCredit").isEmpty());
    keepShot(seen->pages.first(),
        QStringLiteral("sample_contents_%1").arg(QString::fromLatin1(QTest::currentDataTag()).left(12)));
}

void TestLabels::sampleDialogZpetPrintsNothing()
{
    MainWindowRun run;
    QVERIFY(run.selectDocument(demoDocument));
    const QString sheet
        = QDir(paths::dataDir()).filePath(QString::fromUtf16(labels::LabelSheetTable) + QStringLiteral(".sqlite"));
    QFile::remove(sheet);
    bool asked = false;
    onWindow(QStringLiteral("TFstit"), [&asked](QWidget *w) {
        asked = true;
        w->findChild<QSpinBox *>(QStringLiteral("suiSpinEdit1"))->setValue(5);
        button(w, QStringLiteral("suiButton2"))->click();
    });
    std::optional<PreviewSeen> seen;
    capturePreview(&seen);
    run.trigger(SampleAction);
    QVERIFY(asked);
    QTest::qWait(50);
    QVERIFY(!seen.has_value());
    QVERIFY(!QFile::exists(sheet));
    // The number of labels is kept on every close.
    QCOMPARE(IniFile(paths::moduleIni()).readString(QStringLiteral("TFstit"), QStringLiteral("suiSpinEdit1_Value")),
        QStringLiteral("5"));
}

void TestLabels::storedLabelCountClamped_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("shown");

    QTest::newRow("none") << QString() << 1;
    QTest::newRow("in range") << QStringLiteral("4") << 4;
    QTest::newRow("too many") << QStringLiteral("9") << 6;
    QTest::newRow("a thousand") << QStringLiteral("1000") << 6;
    QTest::newRow("zero") << QStringLiteral("0") << 1;
    QTest::newRow("negative") << QStringLiteral("-3") << 1;
    QTest::newRow("not a number") << QStringLiteral("tři") << 1;
}

void TestLabels::storedLabelCountClamped()
{
    QFETCH(QString, stored);
    QFETCH(int, shown);
    if (!stored.isNull())
        inst->writeModuleIni(QStringLiteral("TFstit"), QStringLiteral("suiSpinEdit1_Value"), stored);
    TFstit dialog;
    QCOMPARE(dialog.labelCount(), shown);
    QCOMPARE(dialog.startPosition(), 1);
    dialog.reject();
    QCOMPARE(IniFile(paths::moduleIni()).readString(QStringLiteral("TFstit"), QStringLiteral("suiSpinEdit1_Value")),
        QString::number(shown));
}

void TestLabels::vanishedDocument_data()
{
    QTest::addColumn<bool>("editing");
    QTest::newRow("list rebuilt") << false;
    QTest::newRow("document open: list kept") << true;
}

void TestLabels::vanishedDocument()
{
    QFETCH(bool, editing);
    MainWindowRun run;
    QVERIFY(run.selectDocument(demoDocument));
    const qlonglong oldId = run.window->currentListValue(QStringLiteral("id")).toLongLong();
    // A correction on another workstation writes the document's rows anew, with new ids.
    execute(QStringLiteral("UPDATE pelmixi SET id = id + 100000 WHERE cislodokla = '%1'").arg(demoDocument));
    auto restore = qScopeGuard([] {
        execute(QStringLiteral("UPDATE pelmixi SET id = id - 100000 WHERE cislodokla = '%1'").arg(demoDocument));
    });
    run.window->setEditing(editing);
    QSignalSpy rebuilt(run.window.get(), &TForm1::listRebuilt);
    answerSampleDialog(2, 1);
    std::optional<PreviewSeen> seen;
    capturePreview(&seen);
    run.trigger(SampleAction);
    QTest::qWait(50);
    QVERIFY(!seen.has_value());
    QCOMPARE(run.recorder->texts(), QStringList { TFstit::documentGoneText(!editing) });
    QCOMPARE(rebuilt.count(), editing ? 0 : 1);
    QVERIFY(run.selectDocument(demoDocument));
    QCOMPARE(run.window->currentListValue(QStringLiteral("id")).toLongLong(), editing ? oldId : oldId + 100000);
}

// Operations on the picker: "+" "-" "OK" "Zapsat" "Zpět" press the buttons, "type:<text>" fills
// the edit line, "select:<row>" selects a line, "close" closes the window.
void TestLabels::pickerFile_data()
{
    QTest::addColumn<QByteArray>("before"); // "<missing>": no file
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("chosen"); // null: nothing chosen
    QTest::addColumn<QStringList>("messages");

    const QByteArray two = cp1250::encode(QStringLiteral("Krmná směs\r\nVýkrm I\r\n"));
    QTest::newRow("add to a missing file and pick it")
        << QByteArray("<missing>")
        << QStringList { u"+"_s, u"type:Mlýn Dolní Újezd"_s, u"Zapsat"_s, u"select:0"_s, u"OK"_s }
        << cp1250::encode(QStringLiteral("Mlýn Dolní Újezd\r\n")) << QStringLiteral("Mlýn Dolní Újezd")
        << QStringList();
    QTest::newRow("pick the second line")
        << two << QStringList { u"select:1"_s, u"OK"_s } << two << QStringLiteral("Výkrm I") << QStringList();
    QTest::newRow("delete, then OK without a selection")
        << two << QStringList { u"select:0"_s, u"-"_s, u"OK"_s } << cp1250::encode(QStringLiteral("Výkrm I\r\n"))
        << QString() << QStringList { QStringLiteral("Není vybrán text.") };
    QTest::newRow("delete every line and OK: an empty file")
        << two << QStringList { u"select:0"_s, u"-"_s, u"select:0"_s, u"-"_s, u"OK"_s } << QByteArray() << QString()
        << QStringList { QStringLiteral("Není vybrán text.") };
    QTest::newRow("minus without a selection deletes nothing")
        << two << QStringList { u"-"_s, u"close"_s } << two << QString() << QStringList();
    QTest::newRow("Zpět of the edit line adds nothing")
        << two << QStringList { u"+"_s, u"type:nic"_s, u"Zpět"_s, u"close"_s } << two << QString() << QStringList();
    QTest::newRow("an empty text is added too") << two << QStringList { u"+"_s, u"Zapsat"_s, u"close"_s }
                                                << two + QByteArray("\r\n") << QString() << QStringList();
    QTest::newRow("closing without OK still writes the list")
        << QByteArray("<missing>") << QStringList { u"close"_s } << QByteArray() << QString() << QStringList();
    QString refusal;
    try {
        cp1250::encode(u"směs 日本"_s, u"Uložené texty"_s);
    } catch (const cp1250::EncodingError &e) {
        refusal = e.message();
    }
    QVERIFY(!refusal.isEmpty());
    QTest::newRow("a text code page 1250 cannot hold is refused")
        << two << QStringList { u"+"_s, u"type:směs 日本"_s, u"Zapsat"_s, u"close"_s } << two << QString()
        << QStringList { refusal };
    QTest::newRow("a file without the last line break")
        << QByteArray("jedna\r\ndva") << QStringList { u"select:1"_s, u"OK"_s } << QByteArray("jedna\r\ndva\r\n")
        << QStringLiteral("dva") << QStringList();
}

void TestLabels::pickerFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, after);
    QFETCH(QString, chosen);
    QFETCH(QStringList, messages);

    testsupport::MessageRecorder recorder;
    const QString path = QDir::current().filePath(QStringLiteral("NAZ_ODRU.txt"));
    if (before != "<missing>") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    bool extendedSeen = false;
    onWindow(QStringLiteral("TftextUloz"), [&steps, &extendedSeen](QWidget *w) {
        auto *picker = qobject_cast<TftextUloz *>(w);
        auto *list = w->findChild<QListWidget *>(QStringLiteral("ListBox1"));
        const QHash<QString, QString> buttons { { u"+"_s, u"suiButton1"_s }, { u"-"_s, u"suiButton2"_s },
            { u"OK"_s, u"suiButton3"_s }, { u"Zapsat"_s, u"suiButton4"_s }, { u"Zpět"_s, u"suiButton5"_s } };
        for (const QString &step : steps) {
            if (step.startsWith(QLatin1String("type:"))) {
                w->findChild<QLineEdit *>(QStringLiteral("suiEdit1"))->setText(step.mid(5));
            } else if (step.startsWith(QLatin1String("select:"))) {
                list->setCurrentRow(step.mid(7).toInt(), QItemSelectionModel::ClearAndSelect);
            } else if (step == u"close") {
                w->close();
            } else {
                if (step == u"+")
                    keepShot(w->grab().toImage(), QStringLiteral("tftextuloz_short"));
                button(w, buttons.value(step))->click();
                if (step == u"+") {
                    extendedSeen = picker->isExtended();
                    keepShot(w->grab().toImage(), QStringLiteral("tftextuloz_extended"));
                }
            }
        }
    });
    const std::optional<QString> result = TftextUloz::pick(QStringLiteral("NAZ_ODRU"));
    if (steps.contains(u"+"_s))
        QVERIFY(extendedSeen);
    QCOMPARE(fileBytes(path), after);
    QCOMPARE(result.has_value(), !chosen.isNull());
    if (result)
        QCOMPARE(*result, chosen);
    QCOMPARE(recorder.texts(), messages);
}

void TestLabels::pickerKeepsFileOfAnyCase()
{
    // Files copied from Windows machines may have another letter case.
    const QString lower = QDir::current().filePath(QStringLiteral("sidlo.txt"));
    {
        QFile f(lower);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(cp1250::encode(QStringLiteral("Dolní Újezd 7\r\n")));
    }
    onWindow(QStringLiteral("TftextUloz"), [](QWidget *w) {
        QCOMPARE(w->findChild<QListWidget *>(QStringLiteral("ListBox1"))->count(), 1);
        w->findChild<QListWidget *>(QStringLiteral("ListBox1"))->setCurrentRow(0);
        button(w, QStringLiteral("suiButton3"))->click();
    });
    QCOMPARE(TftextUloz::pick(QStringLiteral("SIDLO")).value_or(QString()), QStringLiteral("Dolní Újezd 7"));
    QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("SIDLO.txt"))));
    QCOMPARE(fileBytes(lower), cp1250::encode(QStringLiteral("Dolní Újezd 7\r\n")));
}

void TestLabels::palletDemoLabel()
{
    MainWindowRun run;
    QVERIFY(run.selectDocument(demoDocument));
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("paleta.pdf"));
    QMap<QString, QString> shown;
    std::optional<PreviewSeen> seen;
    onWindow(QStringLiteral("TFstitPal"), [&shown, &seen, pdf](QWidget *w) {
        for (QLineEdit *e : w->findChildren<QLineEdit *>())
            if (e->objectName().startsWith(QLatin1String("DBEdit")))
                shown.insert(e->objectName(), e->text());
        keepShot(w->grab().toImage(), QStringLiteral("tfstitpal"));
        w->findChild<QSpinBox *>(QStringLiteral("suiSpinEdit1"))->setValue(2);
        capturePreview(&seen, pdf);
        button(w, QStringLiteral("suiButton1"))->click();
        button(w, QStringLiteral("suiButton2"))->click();
    });
    run.trigger(PalletAction);
    QVERIFY(run.recorder->shown.isEmpty());

    const QMap<QString, QString> expected { { u"DBEditNAZ_DRU"_s, u"Krmná směs pro prasata"_s },
        { u"DBEditNAZ_ODRU"_s, u"výkrm I"_s }, { u"DBEditPARTIECELA"_s, u"552600005"_s },
        { u"DBEditPOCETO1"_s, u"20"_s }, { u"DBEditVAHAO1"_s, u"25"_s }, { u"DBEditMJ"_s, u"kg"_s },
        { u"DBEditSMESI"_s, u"500"_s }, { u"DBEditMJ2"_s, u"kg"_s }, { u"DBEditSIDLO"_s, u"Dolní Újezd 7, 588 14"_s } };
    QCOMPARE(shown, expected);

    QVERIFY(seen.has_value());
    QCOMPARE(seen->report.pages.size(), 1);
    QCOMPARE(seen->report.copies, 2);
    const ReportPage &page = seen->report.pages.first();
    QCOMPARE(page.texts(u"naz_dru"_s), QStringList { u"Krmná směs pro prasata"_s });
    QCOMPARE(page.texts(u"naz_odru"_s), QStringList { u"výkrm I"_s });
    QCOMPARE(page.texts(u"partiecela"_s), QStringList { u"552600005"_s });
    QCOMPARE(page.texts(u"popis"_s), QStringList { u"20  x  25 kg  =  500 kg"_s });
    QCOMPARE(page.texts(u"sidlo"_s), QStringList { u"Dolní Újezd 7, 588 14"_s });
    keepShot(seen->pages.first(), QStringLiteral("pallet_page"));

    // The barcode as the preview shows the page, and as the printer got it (two copies).
    QCOMPARE(decodeBarcodes(seen->pages.first()), QStringList { u"0552600005"_s });
    QCOMPARE(seen->pdfPath, pdf);
    QCOMPARE(pdfPageCount(pdf), 2);
    const QImage printed = pdfPage(pdf, 2);
    QVERIFY(!printed.isNull());
    keepShot(printed, QStringLiteral("pallet_printed"));
    QCOMPARE(decodeBarcodes(printed), QStringList { u"0552600005"_s });

    // Nothing of the dialog goes back to the database.
    Connection c(testsupport::serverParams(database));
    QCOMPARE(c.scalar(u"select POPIS from skarta where PARTIECELA = '552600005' and STREDISKO = '102'"_s).toString(),
        QStringLiteral("Výkrmová směs, pytle 25 kg"));
}

void TestLabels::palletTotalAndPackagingLine()
{
    MainWindowRun run;
    QVERIFY(run.selectDocument(demoDocument));
    QStringList totals;
    QStringList lines;
    onWindow(QStringLiteral("TFstitPal"), [&totals, &lines](QWidget *w) {
        QLineEdit *count = edit(w, u"DBEditPOCETO1"_s);
        QLineEdit *weight = edit(w, u"DBEditVAHAO1"_s);
        QLineEdit *total = edit(w, u"DBEditSMESI"_s);
        auto print = [w, &lines] {
            std::optional<PreviewSeen> seen;
            capturePreview(&seen);
            button(w, u"suiButton1"_s)->click();
            lines << (seen ? seen->report.pages.value(0).texts(u"popis"_s).value(0) : u"<no preview>"_s);
        };
        // A text that is no number is refused and the field's value shown again.
        typeAndLeave(count, u"dvacet"_s);
        totals << count->text() + u" / "_s + total->text();
        typeAndLeave(count, u"18"_s);
        totals << total->text(); // 450
        typeAndLeave(total, u"449,5"_s);
        totals << total->text(); // overwritten by hand
        print(); // prints the typed total
        typeAndLeave(count, u"2,5"_s);
        totals << total->text(); // halves to even: 2 packages of 25
        typeAndLeave(weight, u"12,5"_s);
        totals << total->text(); // 25
        print(); // rebuilt from the current values
        typeAndLeave(count, u"3,5"_s);
        totals << total->text(); // 4 × 12,5
        print();
        button(w, u"suiButton2"_s)->click();
    });
    run.trigger(PalletAction);
    QCOMPARE(totals, (QStringList { u"20 / 500"_s, u"450"_s, u"449,5"_s, u"50"_s, u"25"_s, u"50"_s }));
    QCOMPARE(lines,
        (QStringList { u"18  x  25 kg  =  449,5 kg"_s, u"2  x  12,5 kg  =  25 kg"_s, u"4  x  12,5 kg  =  50 kg"_s }));
    QCOMPARE(run.recorder->shown.size(), 1);
    QVERIFY(run.recorder->last().contains(u"dvacet"_s));

    // The pallet-label table keeps the last label's row after the dialog.
    WorkTable table(QString::fromUtf16(labels::PalletTable));
    table.open();
    QCOMPARE(table.recordCount(), 1);
    QCOMPARE(table.asString(u"popis"_s), u"4  x  12,5 kg  =  50 kg"_s);
    QCOMPARE(table.asFloat(u"smesi"_s), 50.0);
}

void TestLabels::palletSavedTextsFillFields()
{
    {
        QFile f(QDir::current().filePath(QStringLiteral("NAZ_DRU.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(cp1250::encode(QStringLiteral("Kompletní krmná směs\r\n")));
    }
    MainWindowRun run;
    QVERIFY(run.selectDocument(demoDocument));
    QString druh;
    QString popis;
    QString rejected;
    std::optional<PreviewSeen> seen;
    onWindow(QStringLiteral("TFstitPal"), [&](QWidget *w) {
        // "T" of Druh: the saved text replaces the field.
        onWindow(QStringLiteral("TftextUloz"), [](QWidget *p) {
            p->findChild<QListWidget *>(QStringLiteral("ListBox1"))->setCurrentRow(0);
            button(p, u"suiButton3"_s)->click();
        });
        button(w, u"suiButton3"_s)->click();
        druh = edit(w, u"DBEditNAZ_DRU"_s)->text();
        // "T" of Popis: a new text, longer than the column, is cut to the column's width.
        onWindow(QStringLiteral("TftextUloz"), [](QWidget *p) {
            button(p, u"suiButton1"_s)->click();
            p->findChild<QLineEdit *>(QStringLiteral("suiEdit1"))
                ->setText(QStringLiteral("Odběratel: Zemědělské družstvo Horní Lhota"));
            button(p, u"suiButton4"_s)->click();
            p->findChild<QListWidget *>(QStringLiteral("ListBox1"))->setCurrentRow(0);
            button(p, u"suiButton3"_s)->click();
        });
        button(w, u"suiButton5"_s)->click();
        popis = edit(w, u"DBEditSIDLO"_s)->text();
        // "T" of Odrůda left without a choice keeps the field.
        onWindow(QStringLiteral("TftextUloz"), [](QWidget *p) { p->close(); });
        button(w, u"suiButton4"_s)->click();
        rejected = edit(w, u"DBEditNAZ_ODRU"_s)->text();
        capturePreview(&seen);
        button(w, u"suiButton1"_s)->click();
        button(w, u"suiButton2"_s)->click();
    });
    run.trigger(PalletAction);
    QCOMPARE(druh, QStringLiteral("Kompletní krmná směs"));
    QCOMPARE(popis, QStringLiteral("Odběratel: Zemědělské družstvo")); // 30 characters
    QCOMPARE(rejected, QStringLiteral("výkrm I"));
    QVERIFY(seen.has_value());
    QCOMPARE(seen->report.pages.value(0).texts(u"naz_dru"_s), QStringList { druh });
    QCOMPARE(seen->report.pages.value(0).texts(u"sidlo"_s), QStringList { popis });
    QCOMPARE(fileBytes(QDir::current().filePath(QStringLiteral("SIDLO.txt"))),
        cp1250::encode(QStringLiteral("Odběratel: Zemědělské družstvo Horní Lhota\r\n")));
    QVERIFY(QFile::exists(QDir::current().filePath(QStringLiteral("NAZ_ODRU.txt"))));
}

void TestLabels::palletWithoutStockCard()
{
    MainWindowRun run;
    QVERIFY(run.selectDocument(noCardDocument));
    QStringList texts;
    std::optional<PreviewSeen> seen;
    onWindow(QStringLiteral("TFstitPal"), [&texts, &seen](QWidget *w) {
        for (const char *name : { "DBEditNAZ_DRU", "DBEditNAZ_ODRU", "DBEditPARTIECELA", "DBEditPOCETO1",
                 "DBEditVAHAO1", "DBEditMJ", "DBEditSMESI", "DBEditSIDLO" })
            texts << edit(w, QString::fromLatin1(name))->text();
        capturePreview(&seen);
        button(w, u"suiButton1"_s)->click();
        button(w, u"suiButton2"_s)->click();
    });
    run.trigger(PalletAction);
    QCOMPARE(
        texts, (QStringList { QString(), QString(), QString(), QString(), QString(), QString(), u"0"_s, QString() }));
    QVERIFY(seen.has_value());
    const ReportPage &page = seen->report.pages.value(0);
    QCOMPARE(page.texts(u"partiecela"_s).join(QString()), QString());
    QCOMPARE(page.texts(u"popis"_s), QStringList { u"0  x  0   =  0 "_s });
    // The barcode of the content "0" alone.
    QCOMPARE(decodeBarcodes(seen->pages.value(0)), QStringList { u"0"_s });

    WorkTable table(QString::fromUtf16(labels::PalletTable));
    table.open();
    QCOMPARE(table.recordCount(), 1);
    QCOMPARE(table.asFloat(u"smesi"_s), 0.0);
}

void TestLabels::labelsWhileDocumentOpen()
{
    MainWindowRun run;
    QVERIFY(run.selectDocument(demoDocument));
    // The editor holds its line table open with the document's lines.
    Connection c(testsupport::serverParams(database));
    const ResultSet lines = c.query(u"select * from pelmixi where cislodokla = '2601020001' and smes = 0"_s);
    WorkTable lineTable(u"pelmixi"_s);
    lineTable.create(lines.columns());
    lineTable.open();
    lineTable.appendRows(lines);
    run.window->setEditing(true);
    QVERIFY(run.window->findChild<QAction *>(SampleAction)->isEnabled());
    QVERIFY(run.window->findChild<QAction *>(PalletAction)->isEnabled());

    answerSampleDialog(1, 2);
    std::optional<PreviewSeen> sample;
    capturePreview(&sample);
    run.trigger(SampleAction);
    QVERIFY(sample.has_value());
    QCOMPARE(printedPositions(sample->report), QList<QList<int>> { { 2 } });

    std::optional<PreviewSeen> pallet;
    onWindow(QStringLiteral("TFstitPal"), [&pallet](QWidget *w) {
        capturePreview(&pallet);
        button(w, u"suiButton1"_s)->click();
        button(w, u"suiButton2"_s)->click();
    });
    run.trigger(PalletAction);
    QVERIFY(pallet.has_value());
    QCOMPARE(pallet->report.pages.value(0).texts(u"popis"_s), QStringList { u"20  x  25 kg  =  500 kg"_s });

    QVERIFY(run.recorder->shown.isEmpty());
    QVERIFY(lineTable.isOpen());
    QCOMPARE(lineTable.recordCount(), int(lines.rowCount()));
    QCOMPARE(lineTable.columns().size(), lines.columns().size());
}

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
