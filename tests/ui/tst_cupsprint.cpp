// "tisk" of the preview hub through a real print system: a private CUPS scheduler started by
// scripts/cups.sh with a virtual PDF queue. One job per "tisk", carrying the chosen number of
// copies, and the printed file holds the report. Skips (saying why) only when the scheduler
// cannot start; the scheduler is stopped again at the end.
#include "connection.h"
#include "documentpreview.h"
#include "reportdata.h"
#include "testsupport.h"
#include "tform6.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace pelmixi::printing;

namespace {

const QString database = QStringLiteral("t_ui_cupsprint");

QString runTool(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PageLogEntry {
    QString queue;
    QString job;
    int copies = 0;
};

// The scheduler's page log, one line per finished job:
// queue user job [date zone] total pages-printed job-copies name.
QList<PageLogEntry> pageLog(const QString &path)
{
    QList<PageLogEntry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QStringList f = QString::fromUtf8(raw).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.size() < 8)
            continue;
        // "-": the job names no copy count, which in IPP means one copy.
        entries.append({f.at(0), f.at(2), f.at(7) == u"-" ? 1 : f.at(7).toInt()});
    }
    return entries;
}

} // namespace

class TestCupsPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void tiskSendsOneJobWithCopies_data();
    void tiskSendsOneJobWithCopies();

private:
    QProcessEnvironment cupsEnvironment() const;
    QString cupsScript() const { return testsupport::sourceDir() + QStringLiteral("/scripts/cups.sh"); }

    bool m_started = false;
    QString m_queue, m_out, m_logs;
    std::unique_ptr<Connection> m_db;
};

QProcessEnvironment TestCupsPrint::cupsEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A folder and port of this test's own, apart from a scheduler started by hand (.run/cups).
    env.insert(QStringLiteral("PELMIXI_CUPS_DIR"), testsupport::sourceDir() + QStringLiteral("/.run/cups-test"));
    env.insert(QStringLiteral("PELMIXI_CUPS_PORT"), QString::number(testsupport::serverParams().port + 3225));
    return env;
}

void TestCupsPrint::initTestCase()
{
    testsupport::createDatabase(database, true);
    m_db = std::make_unique<Connection>(testsupport::serverParams(database));
    m_db->execute(QStringLiteral("set @@session.sql_mode=\"\""));

    QProcess start;
    start.setProcessEnvironment(cupsEnvironment());
    start.start(QStringLiteral("bash"), {cupsScript(), QStringLiteral("start")});
    const bool finished = start.waitForFinished(60000);
    const QString out = QString::fromUtf8(start.readAllStandardOutput());
    const QString err = QString::fromUtf8(start.readAllStandardError()).trimmed();
    if (!finished || start.exitStatus() != QProcess::NormalExit || start.exitCode() != 0) {
        const QString reason = QStringLiteral("the private CUPS scheduler cannot start: ")
            + (err.isEmpty() ? QStringLiteral("scripts/cups.sh start failed") : err);
        QSKIP(qPrintable(reason));
    }
    m_started = true;
    QString socket;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        if (key == u"CUPS_SERVER")
            socket = value;
        else if (key == u"PELMIXI_CUPS_QUEUE")
            m_queue = value;
        else if (key == u"PELMIXI_CUPS_OUT")
            m_out = value;
        else if (key == u"PELMIXI_CUPS_LOGS")
            m_logs = value;
    }
    QVERIFY2(!socket.isEmpty() && !m_queue.isEmpty() && !m_out.isEmpty(), qPrintable(out));
    // The print system's client library reads the server once, at its first use in the process.
    qputenv("CUPS_SERVER", socket.toLocal8Bit());
    QVERIFY2(QPrinterInfo::availablePrinterNames().contains(m_queue),
             qPrintable(QPrinterInfo::availablePrinterNames().join(u", ")));
}

void TestCupsPrint::cleanupTestCase()
{
    m_db.reset();
    if (!m_started)
        return;
    QProcess stop;
    stop.setProcessEnvironment(cupsEnvironment());
    stop.start(QStringLiteral("bash"), {cupsScript(), QStringLiteral("stop")});
    QVERIFY(stop.waitForFinished(30000));
    QCOMPARE(stop.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(testsupport::sourceDir() + QStringLiteral("/.run/cups-test/cupsd.pid")));
}

void TestCupsPrint::tiskSendsOneJobWithCopies_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("heading");
    QTest::newRow("recipe document, 2 copies") << int(ReportKind::RecipeDocument) << 2 << QStringLiteral("Míchání KS");
    QTest::newRow("mixing protocol, 1 copy") << int(ReportKind::MixingProtocol) << 1
                                             << QStringLiteral("Míchací protokol KS");
}

void TestCupsPrint::tiskSendsOneJobWithCopies()
{
    QFETCH(int, kind);
    QFETCH(int, copies);
    QFETCH(QString, heading);
    const QString number = QStringLiteral("2601010001");
    testsupport::Installation inst(database);
    testsupport::MessageRecorder messages;

    const QStringList before = QDir(m_out).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    const int jobsBefore = pageLog(m_logs + QStringLiteral("/page_log")).size();

    TForm6 form;
    form.setPrinterNames(QPrinterInfo::availablePrinterNames());
    form.setDocument(ReportKind(kind), number);
    form.setWorkstation(QStringLiteral("DU")); // no archive on close: this test is about printing
    form.setConnection(m_db.get());
    form.setReport(documentReport(ReportKind(kind), loadReportRows(*m_db, ReportKind(kind), number)));
    form.show();
    const int reportPages = form.pageCount();
    QVERIFY(reportPages >= 1);
    auto *printers = form.findChild<QComboBox *>(QStringLiteral("suiComboBox1"));
    QVERIFY(printers);
    printers->setCurrentIndex(printers->findText(m_queue));
    QCOMPARE(printers->currentText(), m_queue);
    form.findChild<QSpinBox *>(QStringLiteral("suiSpinEdit1"))->setValue(copies);
    form.findChild<QPushButton *>(QStringLiteral("suiButtonTisk"))->click();
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));

    // The queue finishes the job: one line in the page log, one file in the output folder.
    QTRY_VERIFY_WITH_TIMEOUT(pageLog(m_logs + QStringLiteral("/page_log")).size() > jobsBefore, 90000);
    QTRY_VERIFY_WITH_TIMEOUT(QDir(m_out).entryList({QStringLiteral("*.pdf")}, QDir::Files).size() > before.size(),
                             30000);
    const QList<PageLogEntry> jobs = pageLog(m_logs + QStringLiteral("/page_log")).mid(jobsBefore);
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().queue, m_queue);
    QCOMPARE(jobs.first().copies, copies);

    QStringList printed = QDir(m_out).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
    for (const QString &old : before)
        printed.removeAll(old);
    QCOMPARE(printed.size(), 1);
    const QString file = m_out + QLatin1Char('/') + printed.first();
    // The virtual printer writes the file after the job has been reported; wait until it is whole.
    QTRY_VERIFY_WITH_TIMEOUT(runTool(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("Pages:")), 30000);
    int rc = 0;
    const QString info = runTool(QStringLiteral("pdfinfo"), {file}, &rc);
    QCOMPARE(rc, 0);
    const QString pagesLine = info.section(QStringLiteral("Pages:"), 1).section(QLatin1Char('\n'), 0, 0).trimmed();
    // Every copy is in the file, as it would be on paper.
    QCOMPARE(pagesLine.toInt(), copies * reportPages);
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file,
                                                              QStringLiteral("-")},
                                 &rc);
    QCOMPARE(rc, 0);
    QVERIFY2(text.contains(number), qPrintable(text.left(400)));
    QVERIFY2(text.contains(heading), qPrintable(text.left(400)));
    QCOMPARE(text.count(number) % copies, 0);
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
