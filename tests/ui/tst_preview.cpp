// The preview hub TForm6 against the demo plant: the archive on close (one row per kind, a valid
// PDF, the old row kept on every failure, two workstations of one number at once, "DU"), the
// mail button's rule, mailing through a stand-in xdg-email, "do složky", printing without a
// printer, the printer remembered by name, clamped stored values, paging and zoom, and the
// main window's menu entries with the list put back on the document.
#include "archive.h"
#include "connection.h"
#include "documentpreview.h"
#include "inifile.h"
#include "mail.h"
#include "paths.h"
#include "printing/pdfwriter.h"
#include "reportdata.h"
#include "resulttablemodel.h"
#include "settings.h"
#include "testsupport.h"
#include "windowtest.h"
#include "tform1.h"
#include "tform6.h"
#include "wiring.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <latch>
#include <memory>
#include <thread>

using namespace pelmixi::printing;

using testsupport::clickButton;
using testsupport::onWindow;

namespace {

const QString database = QStringLiteral("t_ui_preview");

std::unique_ptr<Connection> openConnection()
{
    auto c = std::make_unique<Connection>(testsupport::serverParams(database));
    c->execute(QStringLiteral("set @@session.sql_mode=\"\""));
    c->execute(QStringLiteral("SET names cp1250;"));
    return c;
}

int pdfPages(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), { path });
    p.waitForFinished(30000);
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromLatin1(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

bool qpdfClean(const QByteArray &bytes, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    QProcess p;
    p.start(QStringLiteral("qpdf"), { QStringLiteral("--check"), path });
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct BusyRecord {
    QStringList texts;
    QList<QPointer<QWidget>> windows;
};

BusyWindowFactory recordingBusyWindow(BusyRecord *record)
{
    return [record](QWidget *parent, const QString &text) -> QWidget * {
        auto *w = new QLabel(text, parent, Qt::Tool);
        w->setObjectName(QStringLiteral("busyStandIn"));
        w->show();
        record->texts << text;
        record->windows << QPointer<QWidget>(w);
        return w;
    };
}

QStringList readNulSeparated(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QByteArray &part : f.readAll().split('\0'))
        out << QString::fromUtf8(part);
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

} // namespace

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void archiveOneRowPerKind();
    void workstationDUArchivesNothing();
    void archiveKeepsOldRow_data();
    void archiveKeepsOldRow();
    void archiveWaitsForSameDocument();
    void twoWorkstationsSameNumberAtOnce();

    void mailButtonRule_data();
    void mailButtonRule();
    void mailThroughClient_data();
    void mailThroughClient();

    void saveToFolder();
    void folderDialog();
    void printWithoutPrinter();
    void printerRememberedByName_data();
    void printerRememberedByName();
    void storedValuesClamped_data();
    void storedValuesClamped();
    void pagingAndZoom();

    void mainWindowMenus();

private:
    std::unique_ptr<TForm6> form(ReportKind kind, const QString &number, const QString &cisloPC = QStringLiteral("00"));
    QList<QVariantList> archived(const QString &number);
    void execute(const QString &sql) { db->execute(sql); }

    std::unique_ptr<testsupport::Installation> inst;
    std::unique_ptr<testsupport::MessageRecorder> messages;
    std::unique_ptr<Connection> db;
    BusyRecord busy;
};

void TestPreview::initTestCase()
{
    testsupport::createDatabase(database, true);
    db = openConnection();
}

void TestPreview::init()
{
    inst.reset();
    inst = std::make_unique<testsupport::Installation>(database);
    messages = std::make_unique<testsupport::MessageRecorder>();
    busy = BusyRecord();
    execute(QStringLiteral("DELETE FROM doklady"));
}

void TestPreview::cleanup()
{
    messages.reset();
}

std::unique_ptr<TForm6> TestPreview::form(ReportKind kind, const QString &number, const QString &cisloPC)
{
    auto f = std::make_unique<TForm6>();
    f->setPrinterNames({});
    f->setDocument(kind, number);
    f->setWorkstation(cisloPC);
    f->setConnection(db.get());
    f->setBusyWindowFactory(recordingBusyWindow(&busy));
    f->setReport(documentReport(kind, loadReportRows(*db, kind, number)));
    return f;
}

QList<QVariantList> TestPreview::archived(const QString &number)
{
    return db
        ->query(QStringLiteral("SELECT typ, cislodokladu, objednavka, popis, obsah FROM doklady WHERE cislodokladu = ")
            + QLatin1Char('\'') + number + QStringLiteral("' ORDER BY typ"))
        .rows();
}

void TestPreview::archiveOneRowPerKind()
{
    const QString number = QStringLiteral("2601010001");
    const QString transfer = inst->programDir() + QStringLiteral("/data/dok.pdf");
    QDir().mkpath(QFileInfo(transfer).path());
    int pages[2] = {};
    for (int round = 0; round < 2; ++round) {
        for (ReportKind kind : { ReportKind::RecipeDocument, ReportKind::MixingProtocol }) {
            // A transfer file left behind by a crash goes when the window opens.
            QFile stale(transfer);
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("stale");
            stale.close();
            auto f = form(kind, number);
            f->show();
            QVERIFY(!QFileInfo::exists(transfer));
            pages[kind == ReportKind::MixingProtocol] = f->pageCount();
            f->findChild<QPushButton *>(QStringLiteral("suiButtonZpet"))->click();
            QVERIFY(!f->isVisible());
        }
    }
    QVERIFY2(messages->shown.isEmpty(), qPrintable(messages->texts().join(u'|')));
    QVERIFY(!QFileInfo::exists(transfer));
    QCOMPARE(busy.texts, QStringList(4, QStringLiteral("Tavrix05 - odesílám doklad PDF")));
    for (const QPointer<QWidget> &w : busy.windows)
        QVERIFY(w.isNull());

    const QList<QVariantList> rows = archived(number);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).at(0).toInt(), 30);
    QCOMPARE(rows.at(0).at(3).toString(), QStringLiteral("míchací protokol krmné směsi"));
    QCOMPARE(rows.at(1).at(0).toInt(), 37);
    QCOMPARE(rows.at(1).at(3).toString(), QStringLiteral("kalkulace krmné směsi"));
    QTemporaryDir dir;
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(rows.at(i).at(1).toString(), number);
        QCOMPARE(rows.at(i).at(2).toString(), QString());
        const QString path = dir.filePath(QStringLiteral("a%1.pdf").arg(i));
        QVERIFY(qpdfClean(rows.at(i).at(4).toByteArray(), path));
        QCOMPARE(pdfPages(path), pages[i == 0 ? 1 : 0]);
    }
}

void TestPreview::workstationDUArchivesNothing()
{
    auto f = form(ReportKind::RecipeDocument, QStringLiteral("2601010002"), QStringLiteral("DU"));
    f->show();
    f->close();
    QVERIFY(!f->isVisible());
    QVERIFY(archived(QStringLiteral("2601010002")).isEmpty());
    QVERIFY(busy.texts.isEmpty());
    QVERIFY(messages->shown.isEmpty());
}

void TestPreview::archiveKeepsOldRow_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("export fails") << QStringLiteral("export");
    QTest::newRow("insert refused") << QStringLiteral("insert");
}

void TestPreview::archiveKeepsOldRow()
{
    QFETCH(QString, failure);
    const QString number = QStringLiteral("2601010004");
    execute(QStringLiteral("INSERT INTO doklady (typ, cislodokladu, objednavka, popis, obsah) VALUES "
                           "(37, '2601010004', '', 'kalkulace krmné směsi', '%PDF-old')"));
    const QString blocker = inst->programDir() + QStringLiteral("/data/dok.pdf");
    if (failure == QLatin1String("export")) {
        // The transfer file's name taken by a folder: nothing can be written there.
        QVERIFY(QDir().mkpath(blocker + QStringLiteral("/x")));
    } else {
        // As a file over max_allowed_packet would be: the server refuses the insert.
        execute(QStringLiteral("CREATE TRIGGER doklady_refuse BEFORE INSERT ON doklady FOR EACH ROW BEGIN "
                               "IF NEW.cislodokladu = '2601010004' THEN "
                               "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF; END"));
    }
    auto f = form(ReportKind::RecipeDocument, number);
    f->show();
    f->close();
    if (failure == QLatin1String("insert"))
        execute(QStringLiteral("DROP TRIGGER doklady_refuse"));
    else
        QDir(blocker).removeRecursively();

    QVERIFY(!f->isVisible());
    QCOMPARE(messages->texts(), QStringList { QStringLiteral("Chyba při exportu tisku") });
    QCOMPARE(messages->shown.first().icon, MessageIcon::Stop);
    QCOMPARE(busy.windows.size(), 1);
    QVERIFY(busy.windows.first().isNull());
    const QList<QVariantList> rows = archived(number);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(4).toByteArray(), QByteArray("%PDF-old"));
    QVERIFY(!QFileInfo(blocker).isFile());
}

void TestPreview::archiveWaitsForSameDocument()
{
    const QString number = QStringLiteral("2601010003");
    execute(QStringLiteral("INSERT INTO doklady (typ, cislodokladu, popis, obsah) VALUES "
                           "(30, '2601010003', 'míchací protokol krmné směsi', '%PDF-old')"));
    // Another workstation is replacing the same document's protocol right now.
    auto other = openConnection();
    QCOMPARE(other
                 ->scalar(QStringLiteral("SELECT GET_LOCK(") + QLatin1Char('\'')
                     + archiveLockName(ReportKind::MixingProtocol, number) + QStringLiteral("', 0)"))
                 .toInt(),
        1);
    ArchiveRequest request;
    request.kind = ReportKind::MixingProtocol;
    request.documentNumber = number;
    request.pdf = QByteArray("%PDF-new");
    request.lockTimeoutSeconds = 1;
    QVERIFY(!archivePdf(*db, request).ok);
    QCOMPARE(archived(number).first().at(4).toByteArray(), QByteArray("%PDF-old"));
    // The recipe document of the same number is not held up.
    ArchiveRequest recipe = request;
    recipe.kind = ReportKind::RecipeDocument;
    QVERIFY(archivePdf(*db, recipe).ok);

    other->execute(QStringLiteral("SELECT RELEASE_LOCK('") + archiveLockName(ReportKind::MixingProtocol, number)
        + QStringLiteral("')"));
    QVERIFY(archivePdf(*db, request).ok);
    const QList<QVariantList> rows = archived(number);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.first().at(4).toByteArray(), QByteArray("%PDF-new"));

    // Not a PDF: nothing is touched.
    request.pdf = QByteArray("<html>");
    QVERIFY(!archivePdf(*db, request).ok);
    request.pdf.clear();
    QVERIFY(!archivePdf(*db, request).ok);
    QCOMPARE(archived(number).first().at(4).toByteArray(), QByteArray("%PDF-new"));
}

void TestPreview::twoWorkstationsSameNumberAtOnce()
{
    // Two workstations left at the default number "00" close previews of different documents
    // at the same moment, round after round.
    const QStringList numbers { QStringLiteral("2601010001"), QStringLiteral("2601020001") };
    QList<QByteArray> pdfs;
    QTemporaryDir dir;
    for (const QString &n : numbers) {
        const QString path = dir.filePath(n + QStringLiteral(".pdf"));
        QVERIFY(writeReportPdf(path,
            documentReport(ReportKind::RecipeDocument, loadReportRows(*db, ReportKind::RecipeDocument, n)).layout())
                    .ok);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        pdfs << f.readAll();
    }
    constexpr int kRounds = 15;
    std::latch start(2);
    QString errors[2];
    auto workstation = [&](int i) {
        Connection c(testsupport::serverParams(database));
        c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
        start.arrive_and_wait();
        for (int round = 0; round < kRounds; ++round) {
            ArchiveRequest r;
            r.documentNumber = numbers.at(i);
            r.pdf = pdfs.at(i) + "%round " + QByteArray::number(round) + '\n';
            const ArchiveResult result = archivePdf(c, r);
            if (!result.ok)
                errors[i] += result.error + QLatin1Char('|');
        }
    };
    std::thread a(workstation, 0);
    std::thread b(workstation, 1);
    a.join();
    b.join();
    QVERIFY2(errors[0].isEmpty(), qPrintable(errors[0]));
    QVERIFY2(errors[1].isEmpty(), qPrintable(errors[1]));
    for (int i = 0; i < 2; ++i) {
        const QList<QVariantList> rows = archived(numbers.at(i));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().at(4).toByteArray(), pdfs.at(i) + "%round " + QByteArray::number(kRounds - 1) + '\n');
    }
}

void TestPreview::mailButtonRule_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("name@domain.tld") << QStringLiteral("name@domain.tld") << true;
    QTest::newRow("dotted name") << QStringLiteral("jan.novak@farma-lhota.cz") << true;
    QTest::newRow("leading dot") << QStringLiteral(".x@y") << false;
    QTest::newRow("no at-sign") << QStringLiteral("name.domain.tld") << false;
    QTest::newRow("two adjacent at-signs") << QStringLiteral("a@@b.cz") << false;
    QTest::newRow("ends in its only at-sign") << QStringLiteral("a@") << false;
    QTest::newRow("ends in at-sign after a dot") << QStringLiteral("a.b@") << false;
    QTest::newRow("no dot at all") << QStringLiteral("a@b") << false;
    QTest::newRow("two at-signs apart") << QStringLiteral("a@b.cz@c") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestPreview::mailButtonRule()
{
    QFETCH(QString, address);
    QFETCH(bool, enabled);

    QCOMPARE(isMailAddressUsable(address), enabled);
    auto f = form(ReportKind::RecipeDocument, QStringLiteral("2601010001"), QStringLiteral("DU"));
    auto *edit = f->findChild<QLineEdit *>(QStringLiteral("suiEditEmail"));
    auto *button = f->findChild<QPushButton *>(QStringLiteral("suiButtonEmail"));
    QCOMPARE(button->text(), QStringLiteral("odeslat e-mail\npoštovním klientem"));
    edit->setText(QStringLiteral("someone@else.cz"));
    f->show();
    // Showing clears the address and disables the button.
    QCOMPARE(edit->text(), QString());
    QVERIFY(!button->isEnabled());
    edit->setText(address);
    QCOMPARE(button->isEnabled(), enabled);
    f->close();
}

void TestPreview::mailThroughClient_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QString>("clientExit"); // empty: no xdg-email installed
    QTest::addColumn<bool>("exportBlocked");
    QTest::addColumn<QStringList>("expectedMessages");

    const QString ok = QStringLiteral("0");
    QTest::newRow("recipe") << int(ReportKind::RecipeDocument) << QStringLiteral("odberatel@farma.cz") << ok << false
                            << QStringList();
    QTest::newRow("protocol, no recipient")
        << int(ReportKind::MixingProtocol) << QString() << ok << false << QStringList();
    QTest::newRow("client fails") << int(ReportKind::RecipeDocument) << QStringLiteral("a@b.cz") << QStringLiteral("3")
                                  << false << QStringList { QStringLiteral("Chyba při odesílání e-mailu!") };
    QTest::newRow("no xdg-email") << int(ReportKind::RecipeDocument) << QStringLiteral("a@b.cz") << QString() << false
                                  << QStringList { QStringLiteral("Chyba při odesílání e-mailu!") };
    QTest::newRow("export fails") << int(ReportKind::RecipeDocument) << QStringLiteral("a@b.cz") << ok << true
                                  << QStringList { QStringLiteral("Chyba při exportu tisku") };
}

void TestPreview::mailThroughClient()
{
    QFETCH(int, kind);
    QFETCH(QString, recipient);
    QFETCH(QString, clientExit);
    QFETCH(bool, exportBlocked);
    QFETCH(QStringList, expectedMessages);

    const QString number = QStringLiteral("2601010002");
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("args"));
    if (!clientExit.isEmpty()) {
        QFile script(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" + record.toUtf8() + "\"\nexit "
            + clientExit.toUtf8() + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + (clientExit.isEmpty() ? QByteArray() : ":" + oldPath));
    inst->writeModuleIni(
        QStringLiteral("TFmozno"), QStringLiteral("EditEmail_Text"), QStringLiteral("micharna@lhota.cz"));

    // The mail folder does not exist yet; or the attachment's name is taken by a folder.
    const QString attachment = inst->programDir() + QStringLiteral("/pdf/") + number + QStringLiteral("KS.pdf");
    if (exportBlocked)
        QVERIFY(QDir().mkpath(attachment + QStringLiteral("/x")));
    auto f = form(ReportKind(kind), number, QStringLiteral("DU"));
    f->show();
    f->findChild<QLineEdit *>(QStringLiteral("suiEditEmail"))->setText(recipient);
    f->sendMail();
    qputenv("PATH", oldPath);

    QCOMPARE(messages->texts(), expectedMessages);
    QCOMPARE(QDir::currentPath(), QDir(inst->programDir()).canonicalPath());
    if (exportBlocked || clientExit.isEmpty()) {
        QVERIFY(!QFileInfo::exists(record)); // never called
        return;
    }
    QFile pdf(attachment);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(4) == "%PDF");
    const bool protocol = ReportKind(kind) == ReportKind::MixingProtocol;
    const QStringList args = readNulSeparated(record);
    QStringList expected { QStringLiteral("--utf8"), QStringLiteral("--subject"),
        (protocol ? QStringLiteral("Michaci protokol ") : QStringLiteral("Smes ")) + number, QStringLiteral("--body") };
    QCOMPARE(args.mid(0, 4), expected);
    const QString body = args.value(4);
    QVERIFY2(body.startsWith((protocol ? QStringLiteral("V priloze zasiláme michaci protokol cislo: ")
                                       : QStringLiteral("V priloze zasiláme smes cislo: "))
                 + number + QStringLiteral("\r\n\r\nGenerovano systemem Tavrix05 - ")),
        qPrintable(body));
    QVERIFY(QRegularExpression(QStringLiteral("Tavrix05 - \\d\\d\\.\\d\\d\\.\\d{4} \\d{1,2}:\\d\\d:\\d\\d$"))
                .match(body)
                .hasMatch());
    QCOMPARE(args.mid(5, 2), QStringList({ QStringLiteral("--attach"), attachment }));
    QCOMPARE(args.mid(7), recipient.isEmpty() ? QStringList() : QStringList { recipient });
    // xdg-email has no sender: the client's default account is used.
    QVERIFY(!args.join(u' ').contains(QStringLiteral("micharna@lhota.cz")));
    f->close();
}

void TestPreview::saveToFolder()
{
    const QString number = QStringLiteral("2601010003");
    QTemporaryDir target;
    auto f = form(ReportKind::MixingProtocol, number, QStringLiteral("DU"));
    f->show();
    QVERIFY(f->saveToFolder(target.path()));
    QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList { number + QStringLiteral("MP.PDF") });
    QFile saved(target.filePath(number + QStringLiteral("MP.PDF")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.read(4) == "%PDF");
    QCOMPARE(messages->texts(), QStringList { QStringLiteral("Protokol uložen do 2601010003mp.pdf!") });
    QCOMPARE(messages->shown.first().icon, MessageIcon::Information);
    QCOMPARE(QDir::currentPath(), QDir(inst->programDir()).canonicalPath());

    // A folder that cannot take the file: the error, and no claim that it was saved.
    messages->shown.clear();
    QVERIFY(!f->saveToFolder(target.filePath(QStringLiteral("missing"))));
    QCOMPARE(messages->texts(), QStringList { QStringLiteral("Chyba při exportu tisku") });
    f->close();

    auto recipe = form(ReportKind::RecipeDocument, number, QStringLiteral("DU"));
    recipe->show();
    QVERIFY(recipe->saveToFolder(target.path() + QLatin1Char('/')));
    QVERIFY(QFileInfo::exists(target.filePath(number + QStringLiteral("KS.PDF"))));
    QCOMPARE(messages->texts().last(), QStringLiteral("Protokol uložen do 2601010003ks.pdf!"));
    recipe->close();
}

void TestPreview::folderDialog()
{
    const QString number = QStringLiteral("2601010001");
    QTemporaryDir target;
    auto f = form(ReportKind::RecipeDocument, number, QStringLiteral("DU"));
    f->show();
    auto caption = std::make_shared<QString>();
    onWindow(QStringLiteral("LMDDirDlg1"), [caption](QWidget *w) {
        *caption = w->windowTitle();
        static_cast<QDialog *>(w)->reject();
    });
    f->chooseFolderAndSave();
    QCOMPARE(*caption, QStringLiteral("Tavrix05 - složka pro doklad"));
    QVERIFY(messages->shown.isEmpty());
    QCOMPARE(QDir::currentPath(), QDir(inst->programDir()).canonicalPath());

    const QString folder = target.path();
    onWindow(QStringLiteral("LMDDirDlg1"), [folder](QWidget *w) {
        auto *dialog = static_cast<QFileDialog *>(w);
        dialog->setDirectory(folder);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    f->chooseFolderAndSave();
    QVERIFY(QFileInfo::exists(target.filePath(number + QStringLiteral("KS.PDF"))));
    QCOMPARE(QDir::currentPath(), QDir(inst->programDir()).canonicalPath());
    f->close();
    // The folder is offered again next time.
    QCOMPARE(QDir::fromNativeSeparators(
                 settings::readWindowValue(QStringLiteral("TForm6"), QStringLiteral("LMDDirDlg1_Path"))),
        folder);
}

void TestPreview::printWithoutPrinter()
{
    auto f = form(ReportKind::RecipeDocument, QStringLiteral("2601010001"), QStringLiteral("DU"));
    f->setPrinterNames({ QStringLiteral("Laser v kanceláři") });
    f->show();
    f->findChild<QPushButton *>(QStringLiteral("suiButtonTisk"))->click();
    QCOMPARE(messages->texts(), QStringList { QStringLiteral("Není vybrána tiskárna.") });
    QCOMPARE(messages->shown.first().icon, MessageIcon::Warning);
    f->close();
}

void TestPreview::printerRememberedByName_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("storedIndex");
    QTest::addColumn<int>("selected");

    const QStringList three { QStringLiteral("Laser A"), QStringLiteral("Laser B"), QStringLiteral("Štítky C") };
    QTest::newRow("by name, not by index") << three << QStringLiteral("Laser B") << QStringLiteral("0") << 1;
    QTest::newRow("printer added before it")
        << QStringList { QStringLiteral("Fax"), QStringLiteral("Laser A"), QStringLiteral("Laser B") }
        << QStringLiteral("Laser A") << QStringLiteral("0") << 1;
    QTest::newRow("printer gone") << QStringList { QStringLiteral("Laser A"), QStringLiteral("Štítky C") }
                                  << QStringLiteral("Laser B") << QStringLiteral("1") << -1;
    QTest::newRow("nothing stored") << three << QString() << QStringLiteral("2") << -1;
    QTest::newRow("no printers") << QStringList() << QStringLiteral("Laser B") << QStringLiteral("0") << -1;
}

void TestPreview::printerRememberedByName()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, storedName);
    QFETCH(QString, storedIndex);
    QFETCH(int, selected);

    inst->writeModuleIni(QStringLiteral("TForm6"), QStringLiteral("suiComboBox1_Text"), storedName);
    inst->writeModuleIni(QStringLiteral("TForm6"), QStringLiteral("suiComboBox1_ItemIndex"), storedIndex);
    auto f = form(ReportKind::RecipeDocument, QStringLiteral("2601010001"), QStringLiteral("DU"));
    f->setPrinterNames(installed);
    f->show();
    auto *combo = f->findChild<QComboBox *>(QStringLiteral("suiComboBox1"));
    QCOMPARE(combo->currentIndex(), selected);
    if (installed.size() > 1)
        combo->setCurrentIndex(int(installed.size()) - 1);
    f->close();
    const QString expected = installed.size() > 1 ? installed.last() : QString();
    QCOMPARE(settings::readWindowValue(QStringLiteral("TForm6"), QStringLiteral("suiComboBox1_Text")), expected);
}

void TestPreview::storedValuesClamped_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<int>("expectedSlider");
    QTest::addColumn<int>("expectedZoom");
    QTest::addColumn<int>("expectedCopies");

    QTest::newRow("nothing stored") << QString() << QString() << QString() << 50 << 90 << 1;
    QTest::newRow("in range") << QStringLiteral("120") << QStringLiteral("150") << QStringLiteral("3") << 120 << 150
                              << 3;
    QTest::newRow("too high") << QStringLiteral("999") << QStringLiteral("5000") << QStringLiteral("1000") << 300 << 300
                              << 9;
    QTest::newRow("too low") << QStringLiteral("-4") << QStringLiteral("0") << QStringLiteral("0") << 30 << 30 << 1;
    QTest::newRow("not numbers") << QStringLiteral("velký") << QStringLiteral("x") << QStringLiteral("dva") << 50 << 90
                                 << 1;
}

void TestPreview::storedValuesClamped()
{
    QFETCH(QString, slider);
    QFETCH(QString, zoom);
    QFETCH(QString, copies);
    QFETCH(int, expectedSlider);
    QFETCH(int, expectedZoom);
    QFETCH(int, expectedCopies);

    const QString section = QStringLiteral("TForm6");
    if (!slider.isEmpty()) {
        inst->writeModuleIni(section, QStringLiteral("suiTrackBar1_Position"), slider);
        inst->writeModuleIni(section, QStringLiteral("QRPreview1_Zoom"), zoom);
        inst->writeModuleIni(section, QStringLiteral("suiSpinEdit1_Value"), copies);
    }
    auto f = form(ReportKind::RecipeDocument, QStringLiteral("2601010001"), QStringLiteral("DU"));
    f->show();
    QCOMPARE(f->findChild<QSlider *>(QStringLiteral("suiTrackBar1"))->value(), expectedSlider);
    QCOMPARE(f->previewZoom(), expectedZoom);
    QCOMPARE(f->findChild<QSpinBox *>(QStringLiteral("suiSpinEdit1"))->value(), expectedCopies);
    QVERIFY(f->isMaximized());
    f->close();
    QCOMPARE(settings::readWindowValue(section, QStringLiteral("QRPreview1_Zoom")), QString::number(expectedZoom));
}

void TestPreview::pagingAndZoom()
{
    // A document long enough for several pages.
    const ReportRows one = loadReportRows(*db, ReportKind::RecipeDocument, QStringLiteral("2601010003"));
    ReportRows rows = one;
    for (int i = 0; i < 8; ++i)
        rows += one.mid(1);
    TForm6 f;
    f.setPrinterNames({});
    f.setDocument(ReportKind::RecipeDocument, QStringLiteral("2601010003"));
    f.setWorkstation(QStringLiteral("DU"));
    f.setReport(recipeDocumentReport(rows));
    f.show();
    const int pages = f.pageCount();
    QVERIFY(pages >= 3);
    auto *current = f.findChild<QLabel *>(QStringLiteral("LabelStrana"));
    auto *count = f.findChild<QLabel *>(QStringLiteral("LabelPocet"));
    auto click = [&f](const char *name) { f.findChild<QToolButton *>(QString::fromLatin1(name))->click(); };
    auto shown = [&] { return QStringList { current->text(), count->text() }; };
    QCOMPARE(shown(), QStringList({ QStringLiteral("1"), QString::number(pages) }));
    click("suiButtonPredesla");
    QCOMPARE(f.currentPage(), 1);
    click("suiButtonDalsi");
    QCOMPARE(shown(), QStringList({ QStringLiteral("2"), QString::number(pages) }));
    click("suiButtonPosledni");
    QCOMPARE(f.currentPage(), pages);
    click("suiButtonDalsi");
    QCOMPARE(shown(), QStringList({ QString::number(pages), QString::number(pages) }));
    click("suiButtonPredesla");
    QCOMPARE(f.currentPage(), pages - 1);
    click("suiButtonPrvni");
    QCOMPARE(shown(), QStringList({ QStringLiteral("1"), QString::number(pages) }));
    QCOMPARE(f.findChild<QToolButton *>(QStringLiteral("suiButtonPrvni"))->toolTip(), QStringLiteral("první"));

    // The preview starts at 90 %; the slider sets it.
    QCOMPARE(f.shownPage().width(), qRound(210.0 / 25.4 * 96 * 0.9));
    auto *slider = f.findChild<QSlider *>(QStringLiteral("suiTrackBar1"));
    QCOMPARE(slider->minimum(), 30);
    QCOMPARE(slider->maximum(), 300);
    QCOMPARE(slider->pageStep(), 30);
    QCOMPARE(slider->singleStep(), 2);
    slider->setValue(200);
    QCOMPARE(f.previewZoom(), 200);
    QCOMPARE(f.shownPage().width(), qRound(210.0 / 25.4 * 96 * 2.0));
    f.close();
}

void TestPreview::mainWindowMenus()
{
    inst->writeModuleIni(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
    messages.reset();
    TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
    wireAll(w);
    QVERIFY(w.startUp());
    messages = std::make_unique<testsupport::MessageRecorder>();
    const int row = [&w] {
        for (int r = 0; r < w.listModel()->rowCount(); ++r) {
            if (w.listModel()->value(r, QStringLiteral("cislodokla")).toString() == QLatin1String("2601010002"))
                return r;
        }
        return -1;
    }();
    QVERIFY(row > 0);
    w.listGrid()->setCurrentIndex(w.listModel()->index(row, 0));

    struct Seen {
        int kind = 0;
        QString number;
        Qt::WindowModality modality = Qt::NonModal;
        bool modal = false;
        QString busyClass;
        QString busyText;
        bool busyVisible = false;
        QString title;
    };
    for (const QString &action : { QStringLiteral("Tiskdokladu1"), QStringLiteral("Tiskmchachoprotokolu1") }) {
        auto seen = std::make_shared<Seen>();
        onWindow(QStringLiteral("TForm6"), [seen](QWidget *window) {
            auto *f = static_cast<TForm6 *>(window);
            seen->kind = int(f->kind());
            seen->number = f->documentNumber();
            seen->modality = f->windowModality();
            seen->modal = QApplication::activeModalWidget() == f;
            seen->title = f->windowTitle();
            f->findChild<QPushButton *>(QStringLiteral("suiButtonZpet"))->click();
        });
        // The program's busy window, as the wiring installed it, seen when the archive opens it.
        PreviewOptions defaults = previewDefaults();
        const BusyWindowFactory programs = defaults.busyWindow;
        QVERIFY(programs);
        defaults.busyWindow = [programs, seen](QWidget *parent, const QString &text) {
            QWidget *busyWindow = programs(parent, text);
            seen->busyClass = QString::fromLatin1(busyWindow->metaObject()->className());
            seen->busyText = busyWindow->findChild<QLabel *>(QStringLiteral("textLabel"))->text();
            seen->busyVisible = busyWindow->isVisible();
            return busyWindow;
        };
        setPreviewDefaults(defaults);
        w.findChild<QAction *>(action)->trigger();
        QCOMPARE(seen->number, QStringLiteral("2601010002"));
        QCOMPARE(seen->kind, action == QLatin1String("Tiskdokladu1") ? 37 : 30);
        QCOMPARE(seen->modality, Qt::WindowModal);
        QVERIFY(seen->modal);
        QCOMPARE(seen->title, QStringLiteral("Tavrix05 tisk - náhled výstupu"));
        QCOMPARE(seen->busyClass, QStringLiteral("Tpracuji"));
        QCOMPARE(seen->busyText, QStringLiteral("Tavrix05 - odesílám doklad PDF"));
        QVERIFY(seen->busyVisible);
    }
    QCOMPARE(archived(QStringLiteral("2601010002")).size(), 2);

    // The editor's save previews the new number with the list rebuilt onto its first row; the
    // list stands on the document afterwards.
    w.listGrid()->setCurrentIndex(w.listModel()->index(0, 0));
    onWindow(QStringLiteral("TForm6"), [](QWidget *window) { window->close(); });
    QVERIFY(showRecipeDocument(&w, appConnection(), QStringLiteral("2601010003")));
    QCOMPARE(w.currentDocumentNumber(), QStringLiteral("2601010003"));
    QVERIFY(messages->shown.isEmpty());
    w.close();
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
