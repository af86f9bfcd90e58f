// The recipe document and the mixing protocol from their real queries on the demo plant: row
// order, joined columns read from pelmixi, one protocol line per composition line whatever
// cenikcj holds, the printed batch suffix, kilogram rule and company data, and the command-line
// PDF export (in-process and as the built program without a display).
#include "connection.h"
#include "paths.h"
#include "pdfcli.h"
#include "printing/pdfwriter.h"
#include "reportdata.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace pelmixi::printing;

namespace {

const QString database = QStringLiteral("t_ui_reports");

std::unique_ptr<Connection> openConnection()
{
    auto c = std::make_unique<Connection>(testsupport::serverParams(database));
    c->execute(QStringLiteral("set @@session.sql_mode=\"\""));
    c->execute(QStringLiteral("SET names cp1250;"));
    return c;
}

// Texts of the named items of one band, page after page.
QStringList texts(const LaidOutReport &report, const QString &name, BandKind band)
{
    QStringList out;
    for (const ReportPage &page : report.pages) {
        for (const DrawItem &item : page.items) {
            if (item.name == name && item.band == band)
                out << item.text;
        }
    }
    return out;
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

bool qpdfClean(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("qpdf"), { QStringLiteral("--check"), path });
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void recipeRowsMixFirst();
    void quotedNumberStaysOneValue();
    void joinedColumnsReadFromPelmixi();
    void protocolOneRowPerLine();
    void protocolDetailsWithoutMixRow();
    void batchSuffix();
    void kilogramRule_data();
    void kilogramRule();
    void companyDataReadAtEachGeneration();
    void documentWithoutRows();

    void cliWritesPdf_data();
    void cliWritesPdf();
    void cliFailsClearly_data();
    void cliFailsClearly();
    void cliProgramWithoutDisplay();

private:
    std::unique_ptr<testsupport::Installation> inst;
    std::unique_ptr<Connection> db;
};

void TestReports::initTestCase()
{
    testsupport::createDatabase(database, true);
    db = openConnection();
}

void TestReports::init()
{
    inst.reset();
    inst = std::make_unique<testsupport::Installation>(database);
}

void TestReports::recipeRowsMixFirst()
{
    const ReportRows rows = loadReportRows(*db, ReportKind::RecipeDocument, QStringLiteral("2601010001"));
    QCOMPARE(rows.size(), 8);
    QCOMPARE(rows.first().value(QStringLiteral("smes")).toString(), QStringLiteral("1"));
    QCOMPARE(rows.first().value(QStringLiteral("partiecela")).toString(), QStringLiteral("552600001"));
    QCOMPARE(rows.first().value(QStringLiteral("nazevstr")).toString(), QStringLiteral("Míchárna krmiv Horní Lhota"));
    // The lines follow in the order they were stored.
    QStringList batches;
    for (const ReportRow &r : rows.mid(1))
        batches << r.value(QStringLiteral("partiecela")).toString();
    QCOMPARE(batches,
        QStringList({ QStringLiteral("250000101-0441"), QStringLiteral("250000103-0441"),
            QStringLiteral("250000105-0441"), QStringLiteral("250000108-0733"), QStringLiteral("250000107-0733"),
            QStringLiteral("250000109-0733"), QStringLiteral("MIC") }));

    const LaidOutReport laid = recipeDocumentReport(rows).layout();
    QCOMPARE(laid.pages.size(), 1);
    const QStringList kinds = texts(laid, QStringLiteral("smes"), BandKind::Detail);
    QCOMPARE(kinds.size(), 8);
    QCOMPARE(kinds.first(), QStringLiteral("1"));
    QCOMPARE(kinds.mid(1), QStringList(7, QStringLiteral("0")));
    QCOMPARE(texts(laid, QStringLiteral("partiecela"), BandKind::Detail).first(), QStringLiteral("552600001"));
}

void TestReports::quotedNumberStaysOneValue()
{
    // A number that closes the literal and adds a condition would list every document.
    for (ReportKind kind : { ReportKind::RecipeDocument, ReportKind::MixingProtocol }) {
        QCOMPARE(loadReportRows(*db, kind, QStringLiteral("x' or '1'='1")).size(), 0);
        QCOMPARE(loadReportRows(*db, kind, QStringLiteral("x\\' or 1=1 -- ")).size(), 0);
    }
}

void TestReports::joinedColumnsReadFromPelmixi()
{
    // cenikcj repeats popis, mnozstvi, naz_dru and stupen; skarta repeats NC, MJ and the names.
    db->execute(QStringLiteral("UPDATE skarta SET NC = 99.99, NAZ_DRU = 'karta' WHERE PARTIECELA = '250000101-0441'"));
    const ReportRows protocol = loadReportRows(*db, ReportKind::MixingProtocol, QStringLiteral("2601010001"));
    const ReportRow &mix = protocol.first();
    QCOMPARE(mix.value(QStringLiteral("popis")).toString(), QStringLiteral("Sypká směs, balení 25 kg"));
    QCOMPARE(mix.value(QStringLiteral("mnozstvi")).toDouble(), 1000.0);
    QCOMPARE(mix.value(QStringLiteral("naz_dru")).toString(), QStringLiteral("Krmná směs pro drůbež"));
    const LaidOutReport laid = mixingProtocolReport(protocol, [] { return CompanyData(); }).layout();
    QCOMPARE(texts(laid, QStringLiteral("popis"), BandKind::Title),
        QStringList { QStringLiteral("Sypká směs, balení 25 kg") });
    QCOMPARE(texts(laid, QStringLiteral("mnozstvi"), BandKind::Title), QStringList { QStringLiteral("1000") });

    const ReportRows recipe = loadReportRows(*db, ReportKind::RecipeDocument, QStringLiteral("2601010001"));
    QCOMPARE(recipe.at(1).value(QStringLiteral("partiecela")).toString(), QStringLiteral("250000101-0441"));
    QCOMPARE(recipe.at(1).value(QStringLiteral("nc")).toDouble(), 5.2);
    QCOMPARE(recipe.at(1).value(QStringLiteral("naz_dru")).toString(), QStringLiteral("Pšenice ozimá"));
    db->execute(
        QStringLiteral("UPDATE skarta SET NC = 5.2, NAZ_DRU = 'Pšenice ozimá' WHERE PARTIECELA = '250000101-0441'"));
}

void TestReports::protocolOneRowPerLine()
{
    // Plants keep several price rows for one species; the demo table has a key, the plants' not.
    db->execute(QStringLiteral("ALTER TABLE cenikcj DROP PRIMARY KEY"));
    db->execute(QStringLiteral("INSERT INTO cenikcj (druh, naz_dru, mj, mnozstvi, cenajedn, popis) VALUES "
                               "('PSE', 'Pšenice ozimá', 'kg', 1000, 5.40, 'Obiloviny 2026'),"
                               "('PSE', 'Pšenice ozimá', 't', 1, 5400, 'Obiloviny po tunách'),"
                               "('KSD', 'Krmná směs pro drůbež', 'kg', 25, 0, 'Kompletní krmné směsi II')"));
    const QString number = QStringLiteral("2601010001");
    const qlonglong stored
        = db->scalar(QStringLiteral("SELECT COUNT(*) FROM pelmixi WHERE cislodokla = '2601010001'")).toLongLong();
    // The join as it stood multiplies the wheat line and the mix row.
    const QString plainJoin = protocolReportQuery(number).replace(
        QStringLiteral("(select * from cenikcj group by druh) cenikcj"), QStringLiteral("cenikcj"));
    QCOMPARE(db->query(plainJoin).rowCount(), stored + 3);

    const ReportRows rows = loadReportRows(*db, ReportKind::MixingProtocol, number);
    QCOMPARE(rows.size(), int(stored));
    const LaidOutReport laid = mixingProtocolReport(rows, [] { return CompanyData(); }).layout();
    QCOMPARE(texts(laid, QStringLiteral("partiecela"), BandKind::Detail).count(QStringLiteral("250000101-0441")), 1);

    db->execute(QStringLiteral("DELETE FROM cenikcj WHERE popis IN ('Obiloviny 2026', 'Obiloviny po tunách', "
                               "'Kompletní krmné směsi II')"));
    db->execute(QStringLiteral("ALTER TABLE cenikcj ADD PRIMARY KEY (druh)"));
}

void TestReports::protocolDetailsWithoutMixRow()
{
    const ReportRows rows = loadReportRows(*db, ReportKind::MixingProtocol, QStringLiteral("2601010003"));
    QCOMPARE(rows.first().value(QStringLiteral("smes")).toString(), QStringLiteral("1"));
    const LaidOutReport laid = mixingProtocolReport(rows, [] { return CompanyData(); }).layout();
    QCOMPARE(texts(laid, QStringLiteral("partiecela"), BandKind::Title), QStringList { QStringLiteral("552600003") });
    const QStringList details = texts(laid, QStringLiteral("partiecela"), BandKind::Detail);
    QCOMPARE(details.size(), rows.size() - 1);
    QVERIFY(!details.contains(QStringLiteral("552600003")));
    QCOMPARE(details.first(), QStringLiteral("250000104-0512"));
    QCOMPARE(texts(laid, QStringLiteral("komponenty"), BandKind::Detail).first(),
        QStringLiteral("Ječmen jarní,  Laudis 550"));
}

void TestReports::batchSuffix()
{
    const ReportRows rows = loadReportRows(*db, ReportKind::RecipeDocument, QStringLiteral("2601020001"));
    const QStringList suffixes
        = texts(recipeDocumentReport(rows).layout(), QStringLiteral("batchSuffix"), BandKind::Detail);
    // Mix row (no podnik), four lines with podnik, fraction 1 on the last line.
    QCOMPARE(suffixes,
        QStringList({ QStringLiteral("   "), QStringLiteral(" /0"), QStringLiteral(" /0"), QStringLiteral(" /0"),
            QStringLiteral(" /1") }));
}

void TestReports::kilogramRule_data()
{
    QTest::addColumn<QString>("switchValue");
    QTest::addColumn<QStringList>("protocolAmounts");
    QTest::addColumn<QStringList>("protocolUnits");

    // Lines of 2601020001 after the wheat line went to 1.25 t and the barley line to " T ":
    // wheat, barley, soya, mineral; the mix (500 kg) is in the title.
    QTest::newRow("on")
        << QStringLiteral("True")
        << QStringList({ QStringLiteral("1250"), QStringLiteral("150"), QStringLiteral("85"), QStringLiteral("15") })
        << QStringList({ QStringLiteral("kg"), QStringLiteral("kg"), QStringLiteral("kg"), QStringLiteral("kg") });
    QTest::newRow("off")
        << QStringLiteral("False")
        << QStringList({ QStringLiteral("1,25"), QStringLiteral("0,15"), QStringLiteral("85"), QStringLiteral("15") })
        << QStringList({ QStringLiteral("t"), QStringLiteral(" T "), QStringLiteral("kg"), QStringLiteral("kg") });
    QTest::newRow("only exactly True")
        << QStringLiteral("true")
        << QStringList({ QStringLiteral("1,25"), QStringLiteral("0,15"), QStringLiteral("85"), QStringLiteral("15") })
        << QStringList({ QStringLiteral("t"), QStringLiteral(" T "), QStringLiteral("kg"), QStringLiteral("kg") });
}

void TestReports::kilogramRule()
{
    QFETCH(QString, switchValue);
    QFETCH(QStringList, protocolAmounts);
    QFETCH(QStringList, protocolUnits);

    inst->writeModuleIni(QStringLiteral("TFmozno"), QStringLiteral("suiCheckBoxTnaKG_Checked"), switchValue);
    db->execute(QStringLiteral("UPDATE pelmixi SET mnozstvi = 1.25, mj = 't' WHERE cislodokla = '2601020001' "
                               "AND partiecela = '250000201-0441'"));
    db->execute(QStringLiteral("UPDATE pelmixi SET mnozstvi = 0.15, mj = ' T ' WHERE cislodokla = '2601020001' "
                               "AND partiecela = '250000202-0441'"));
    const QString number = QStringLiteral("2601020001");

    const LaidOutReport protocol
        = documentReport(ReportKind::MixingProtocol, loadReportRows(*db, ReportKind::MixingProtocol, number)).layout();
    QCOMPARE(texts(protocol, QStringLiteral("mnozstvi"), BandKind::Detail), protocolAmounts);
    QCOMPARE(texts(protocol, QStringLiteral("mj"), BandKind::Detail), protocolUnits);
    // The mix is stored in kg and stays as it is.
    QCOMPARE(texts(protocol, QStringLiteral("mnozstvi"), BandKind::Title), QStringList { QStringLiteral("500") });
    QCOMPARE(texts(protocol, QStringLiteral("mj"), BandKind::Title), QStringList { QStringLiteral("kg") });

    // The recipe document never converts.
    const LaidOutReport recipe
        = documentReport(ReportKind::RecipeDocument, loadReportRows(*db, ReportKind::RecipeDocument, number)).layout();
    QCOMPARE(texts(recipe, QStringLiteral("mnozstvi"), BandKind::Detail).mid(1, 2),
        QStringList({ QStringLiteral("1,25"), QStringLiteral("0,15") }));
    QCOMPARE(texts(recipe, QStringLiteral("mj"), BandKind::Detail).mid(1, 2),
        QStringList({ QStringLiteral("t"), QStringLiteral(" T ") }));

    db->execute(QStringLiteral("UPDATE pelmixi SET mnozstvi = 250, mj = 'kg' WHERE cislodokla = '2601020001' "
                               "AND partiecela = '250000201-0441'"));
    db->execute(QStringLiteral("UPDATE pelmixi SET mnozstvi = 150, mj = 'kg' WHERE cislodokla = '2601020001' "
                               "AND partiecela = '250000202-0441'"));
}

void TestReports::companyDataReadAtEachGeneration()
{
    inst->writeModuleIni(QStringLiteral("TFmozno"), QStringLiteral("Editnazev_Text"), QStringLiteral("ZD Horní Lhota"));
    inst->writeModuleIni(QStringLiteral("TFmozno"), QStringLiteral("EditICO_Text"), QStringLiteral("00123456"));
    const Report report = documentReport(
        ReportKind::MixingProtocol, loadReportRows(*db, ReportKind::MixingProtocol, QStringLiteral("2601010001")));
    LaidOutReport laid = report.layout();
    QCOMPARE(texts(laid, QStringLiteral("Editnazev_Text"), BandKind::Title),
        QStringList { QStringLiteral("ZD Horní Lhota") });
    QCOMPARE(texts(laid, QStringLiteral("EditICO_Text"), BandKind::Title), QStringList { QStringLiteral("00123456") });

    // A change in the settings dialog shows at the next generation (the printer's, for one).
    inst->writeModuleIni(
        QStringLiteral("TFmozno"), QStringLiteral("Editnazev_Text"), QStringLiteral("Agro Újezd a.s."));
    laid = report.layout();
    QCOMPARE(texts(laid, QStringLiteral("Editnazev_Text"), BandKind::Title),
        QStringList { QStringLiteral("Agro Újezd a.s.") });
}

void TestReports::documentWithoutRows()
{
    for (ReportKind kind : { ReportKind::RecipeDocument, ReportKind::MixingProtocol }) {
        const ReportRows rows = loadReportRows(*db, kind, QStringLiteral("2699999999"));
        QVERIFY(rows.isEmpty());
        const LaidOutReport laid = documentReport(kind, rows).layout();
        QCOMPARE(laid.pages.size(), 1);
        QVERIFY(laid.pages.first().find(QStringLiteral("heading")));
        QVERIFY(laid.pages.first().find(QStringLiteral("printedCaption")));
        QVERIFY(texts(laid, QStringLiteral("partiecela"), BandKind::Detail).isEmpty());
    }
}

void TestReports::cliWritesPdf_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("kind");

    QTest::newRow("recipe") << QStringLiteral("2601010003") << QStringLiteral("recipe")
                            << int(ReportKind::RecipeDocument);
    QTest::newRow("protocol") << QStringLiteral("2601010003") << QStringLiteral("protocol")
                              << int(ReportKind::MixingProtocol);
    QTest::newRow("recipe by default") << QStringLiteral("2601020001") << QString() << int(ReportKind::RecipeDocument);
}

void TestReports::cliWritesPdf()
{
    QFETCH(QString, number);
    QFETCH(QString, report);
    QFETCH(int, kind);

    const QString out = inst->programDir() + QStringLiteral("/out/") + number + QStringLiteral(".pdf");
    QDir().mkpath(QFileInfo(out).path());
    QStringList args { QStringLiteral("pelmixi"), QStringLiteral("--pdf"), number };
    if (!report.isEmpty())
        args << QStringLiteral("--report") << report;
    args << QStringLiteral("--out") << out;
    QVERIFY(pdfcli::wanted(args));
    QCOMPARE(pdfcli::run(args), int(pdfcli::Success));

    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(5).startsWith("%PDF-"));
    QVERIFY(qpdfClean(out));
    const LaidOutReport laid = documentReport(ReportKind(kind), loadReportRows(*db, ReportKind(kind), number)).layout();
    QCOMPARE(pdfPages(out), int(laid.pages.size()));
    // Nothing is archived by the command line.
    QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM doklady WHERE cislodokladu = ") + QLatin1Char('\'')
                   + number + QLatin1Char('\''))
                 .toLongLong(),
        0);
}

void TestReports::cliFailsClearly_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("databaseReachable");

    const QString out = QStringLiteral("@OUT@");
    QTest::newRow("unknown document") << QStringList(
        { QStringLiteral("--pdf"), QStringLiteral("2699999999"), QStringLiteral("--out"), out })
                                      << int(pdfcli::UnknownDocument) << true;
    QTest::newRow("unknown report") << QStringList({ QStringLiteral("--pdf"), QStringLiteral("2601010001"),
        QStringLiteral("--report"), QStringLiteral("invoice"), QStringLiteral("--out"), out })
                                    << int(pdfcli::UsageError) << true;
    QTest::newRow("no output") << QStringList({ QStringLiteral("--pdf"), QStringLiteral("2601010001") })
                               << int(pdfcli::UsageError) << true;
    QTest::newRow("no number") << QStringList({ QStringLiteral("--out"), out, QStringLiteral("--pdf") })
                               << int(pdfcli::UsageError) << true;
    QTest::newRow("stray argument") << QStringList({ QStringLiteral("--pdf"), QStringLiteral("2601010001"),
        QStringLiteral("modul"), QStringLiteral("--out"), out })
                                    << int(pdfcli::UsageError) << true;
    QTest::newRow("server unreachable") << QStringList(
        { QStringLiteral("--pdf"), QStringLiteral("2601010001"), QStringLiteral("--out"), out })
                                        << int(pdfcli::DatabaseError) << false;
    QTest::newRow("output folder missing") << QStringList({ QStringLiteral("--pdf"), QStringLiteral("2601010001"),
        QStringLiteral("--out"), QStringLiteral("@OUT@/missing/x.pdf") })
                                           << int(pdfcli::ExportError) << true;
}

void TestReports::cliFailsClearly()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(bool, databaseReachable);

    if (!databaseReachable)
        inst->writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("SQLport"), QStringLiteral("1"));
    const QString out = inst->programDir() + QStringLiteral("/x.pdf");
    for (QString &a : args)
        a.replace(QStringLiteral("@OUT@"), a == QLatin1String("@OUT@") ? out : inst->programDir());
    args.prepend(QStringLiteral("pelmixi"));
    QCOMPARE(pdfcli::run(args), exitCode);
    QVERIFY(!QFileInfo::exists(out));
}

void TestReports::cliProgramWithoutDisplay()
{
    const QString built
        = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../../src/app/pelmixi"));
    if (!QFileInfo::exists(built))
        QSKIP("the program is not built beside the tests");
    // The program reads its INI files beside itself: run a copy inside the test installation.
    const QString program = inst->programDir() + QStringLiteral("/pelmixi");
    QVERIFY(QFile::copy(built, program));
    QTemporaryDir caller;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        env.remove(QString::fromLatin1(name));

    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(caller.path());
    p.start(program,
        { QStringLiteral("--pdf"), QStringLiteral("2601010002"), QStringLiteral("--report"), QStringLiteral("protocol"),
            QStringLiteral("--out"), QStringLiteral("protokol.pdf") });
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), 0);
    // A relative name is taken from where the command was given.
    const QString out = caller.filePath(QStringLiteral("protokol.pdf"));
    QVERIFY(qpdfClean(out));
    QCOMPARE(pdfPages(out), 1);

    p.start(program,
        { QStringLiteral("--pdf"), QStringLiteral("2699999999"), QStringLiteral("--out"), QStringLiteral("nic.pdf") });
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), int(pdfcli::UnknownDocument));
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(QStringLiteral("doklad 2699999999 neexistuje")));
    QVERIFY(!QFileInfo::exists(caller.filePath(QStringLiteral("nic.pdf"))));

    p.start(program, { QStringLiteral("--help") });
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput())
                .contains(QStringLiteral("--pdf <číslo dokladu> [--report recipe|protocol] --out <soubor>")));
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
