// The index check of a plant's database: the matching rule, the report with and without the
// indexes, the command line (in-process and as the built program without a display), which
// changes nothing, and the start-up line in the SQL log.
#include "checkdbcli.h"
#include "connection.h"
#include "indexcheck.h"
#include "paths.h"
#include "sqllog.h"
#include "testsupport.h"
#include "tform1.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <memory>

namespace {

const QString database = QStringLiteral("t_ui_checkdb");

// The guard's and the list's indexes that the test drops: a database "not made by our schema".
const QStringList dropped { QStringLiteral("ALTER TABLE pvrad DROP INDEX pvrad_partie"),
    QStringLiteral("ALTER TABLE pelmixi DROP INDEX pelmixi_seznam_vse") };

QStringList L(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *name : names)
        list << QString::fromLatin1(name);
    return list;
}

QString catalogue(Connection &c)
{
    const ResultSet rows = c.query(QStringLiteral(
        "select table_name, index_name, seq_in_index, column_name from information_schema.statistics"
        " where table_schema = database() order by 1, 2, 3"));
    QStringList lines;
    for (qsizetype r = 0; r < rows.rowCount(); ++r)
        lines << QStringLiteral("%1.%2.%3.%4")
                     .arg(rows.value(r, 0).toString(), rows.value(r, 1).toString(), rows.value(r, 2).toString(),
                         rows.value(r, 3).toString());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestCheckDb : public QObject {
    Q_OBJECT

private slots:
    void init();

    void servesByLeadingColumns_data();
    void servesByLeadingColumns();
    void completeSchemaLacksNothing();
    void missingIndexesReportedWithStatements();
    void commandLineChangesNothing();
    void builtProgramWithoutDisplay();
    void startUpLogsMissingGuardIndex();

private:
    std::unique_ptr<testsupport::Installation> inst;
};

void TestCheckDb::init()
{
    inst.reset();
    testsupport::createDatabase(database, true);
    inst = std::make_unique<testsupport::Installation>(database);
}

void TestCheckDb::servesByLeadingColumns_data()
{
    QTest::addColumn<QStringList>("index");
    QTest::addColumn<QStringList>("need");
    QTest::addColumn<int>("equality");
    QTest::addColumn<bool>("serves");
    QTest::newRow("same") << L({ "partiecela", "lomeni" }) << L({ "partiecela", "lomeni" }) << 2 << true;
    QTest::newRow("equality columns swapped") << L({ "lomeni", "partiecela" }) << L({ "partiecela", "lomeni" }) << 2
                                              << true;
    QTest::newRow("longer index") << L({ "partiecela", "lomeni", "stredisko" }) << L({ "partiecela", "lomeni" }) << 2
                                  << true;
    QTest::newRow("case") << L({ "PARTIECELA", "LOMENI" }) << L({ "partiecela", "lomeni" }) << 2 << true;
    QTest::newRow("only first column") << L({ "partiecela" }) << L({ "partiecela", "lomeni" }) << 2 << false;
    QTest::newRow("other leading column") << L({ "stredisko", "partiecela", "lomeni" }) << L({ "partiecela", "lomeni" })
                                          << 2 << false;
    QTest::newRow("order column after condition")
        << L({ "smes", "stredisko", "cislodokla" }) << L({ "stredisko", "smes", "cislodokla" }) << 2 << true;
    QTest::newRow("condition without order column")
        << L({ "stredisko", "smes", "rokd" }) << L({ "stredisko", "smes", "cislodokla" }) << 2 << false;
    QTest::newRow("order column not last of condition")
        << L({ "stredisko", "cislodokla", "smes" }) << L({ "stredisko", "smes", "cislodokla" }) << 2 << false;
}

void TestCheckDb::servesByLeadingColumns()
{
    QFETCH(QStringList, index);
    QFETCH(QStringList, need);
    QFETCH(int, equality);
    QFETCH(bool, serves);
    indexcheck::IndexNeed n;
    n.table = QStringLiteral("t");
    n.columns = need;
    n.equalityColumns = equality;
    QCOMPARE(indexcheck::serves(index, n), serves);
}

void TestCheckDb::completeSchemaLacksNothing()
{
    Connection c(testsupport::serverParams(database));
    const QList<indexcheck::Finding> findings = indexcheck::check(c);
    QCOMPARE(findings.size(), indexcheck::needs().size());
    for (const indexcheck::Finding &f : findings)
        QVERIFY2(!f.missing(), qPrintable(f.need.table + QLatin1Char(' ') + f.need.columns.join(QLatin1Char(','))));
    QCOMPARE(indexcheck::exitCode(findings), 0);
    QVERIFY(indexcheck::openingGuardWarning(findings).isEmpty());
    const QStringList report = indexcheck::reportLines(findings, database);
    QCOMPARE(report.last(), QStringLiteral("Žádný potřebný index nechybí."));
    QVERIFY(!report.join(QLatin1Char('\n')).contains(QStringLiteral("CREATE INDEX")));
}

void TestCheckDb::missingIndexesReportedWithStatements()
{
    Connection c(testsupport::serverParams(database));
    for (const QString &sql : dropped)
        c.execute(sql);
    c.execute(QStringLiteral("DROP TABLE vp"));

    QList<indexcheck::Finding> findings = indexcheck::check(c);
    QCOMPARE(indexcheck::exitCode(findings), 1);
    QStringList missing;
    for (const indexcheck::Finding &f : findings) {
        if (f.missing())
            missing << f.need.table + QLatin1Char('(') + f.need.columns.join(QLatin1Char(',')) + QLatin1Char(')')
                    + (f.tableMissing ? QStringLiteral(" table") : QString());
    }
    QCOMPARE(missing,
        QStringList({ QStringLiteral("pelmixi(stredisko,smes,cislodokla)"), QStringLiteral("pvrad(partiecela,lomeni)"),
            QStringLiteral("vp(partiecela,lomeni) table") }));
    const QString report = indexcheck::reportLines(findings, database).join(QLatin1Char('\n'));
    QVERIFY(report.contains(QStringLiteral("CREATE INDEX pelmixi_seznam_vse ON pelmixi (stredisko, smes, cislodokla);")));
    QVERIFY(report.contains(QStringLiteral("CREATE INDEX pvrad_partie ON pvrad (partiecela, lomeni);")));
    QVERIFY(report.contains(QStringLiteral("vp (partiecela, lomeni) – historie partie při otevření dokladu: CHYBÍ TABULKA")));
    const QString warning = indexcheck::openingGuardWarning(findings);
    QVERIFY(warning.contains(QStringLiteral("pvrad (partiecela,lomeni)")));
    // The pelmixi index dropped serves the list, not the guard.
    QVERIFY(!warning.contains(QStringLiteral("pelmixi (")));

    // The printed statements are what the administrator runs: afterwards only the table is missing.
    for (const indexcheck::Finding &f : findings) {
        if (f.missing() && !f.tableMissing)
            c.execute(indexcheck::createStatement(f.need));
    }
    findings = indexcheck::check(c);
    int stillMissing = 0;
    for (const indexcheck::Finding &f : findings)
        stillMissing += f.missing() ? 1 : 0;
    QCOMPARE(stillMissing, 1);
}

void TestCheckDb::commandLineChangesNothing()
{
    Connection c(testsupport::serverParams(database));
    QCOMPARE(checkdbcli::run(), 0);
    for (const QString &sql : dropped)
        c.execute(sql);
    const QString before = catalogue(c);
    QCOMPARE(checkdbcli::run(), 1);
    QCOMPARE(catalogue(c), before);

    inst->writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("SQLport"), QStringLiteral("1"));
    QCOMPARE(checkdbcli::run(), 3);
}

void TestCheckDb::builtProgramWithoutDisplay()
{
    const QString built
        = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../../src/app/pelmixi"));
    if (!QFileInfo::exists(built))
        QSKIP("the program is not built beside the tests");
    const QString program = inst->programDir() + QStringLiteral("/pelmixi");
    QVERIFY(QFile::copy(built, program));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, { QStringLiteral("--check-db") });
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(QStringLiteral("Žádný potřebný index nechybí.")));

    Connection c(testsupport::serverParams(database));
    for (const QString &sql : dropped)
        c.execute(sql);
    p.start(program, { QStringLiteral("--check-db") });
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("CREATE INDEX pvrad_partie ON pvrad (partiecela, lomeni);")), qPrintable(out));
}

void TestCheckDb::startUpLogsMissingGuardIndex()
{
    const QString logFile = SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate());
    auto warnings = [&logFile] {
        QFile f(logFile);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        return int(f.readAll().count("pvrad (partiecela,lomeni); seznam a p"));
    };
    testsupport::MessageRecorder rec;
    {
        TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
        QVERIFY(w.startUp());
    }
    QCOMPARE(warnings(), 0);
    Connection c(testsupport::serverParams(database));
    for (const QString &sql : dropped)
        c.execute(sql);
    {
        TForm1 w(StartOptions { QStringLiteral("modul"), 0 });
        QVERIFY(w.startUp());
    }
    QCOMPARE(warnings(), 1);
    // A line in the log, no dialog.
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.texts().join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestCheckDb)
#include "tst_checkdb.moc"
