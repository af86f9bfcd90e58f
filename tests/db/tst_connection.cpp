// The connection against the private server: cp1250 both ways, refused characters, the SQL log,
// the script runner's error step, the start-up connection step and the history rows.
#include "connection.h"
#include "cp1250.h"
#include "history.h"
#include "paths.h"
#include "script.h"
#include "session.h"
#include "settings.h"
#include "sqllog.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <thread>

using namespace testsupport;

namespace {
const QString kDb = QStringLiteral("t_db_connection");
const QString kSentence = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? cp1250::decode(f.readAll()) : QString();
}

// A port on loopback where nothing listens.
int closedPort()
{
    return 1;
}
} // namespace

class TestConnection : public QObject {
    Q_OBJECT

    std::unique_ptr<Installation> m_install;
    std::unique_ptr<Connection> m_db;
    int m_terminations = 0;

    qlonglong count(const QString &sql) { return m_db->scalar(sql).toLongLong(); }

private slots:
    void initTestCase()
    {
        createDatabase(kDb);
        script::setTerminateHandler([this] { ++m_terminations; });
    }
    void init()
    {
        m_install = std::make_unique<Installation>(kDb);
        m_db = std::make_unique<Connection>(serverParams(kDb));
        m_db->execute(QStringLiteral("set @@session.sql_mode=\"\""));
        m_db->execute(QStringLiteral("create table if not exists t_text (id int auto_increment primary key, "
                                     "s varchar(80)) engine=InnoDB default charset=cp1250"));
        m_db->execute(QStringLiteral("delete from t_text"));
        m_terminations = 0;
    }
    void cleanup()
    {
        m_db.reset();
        m_install.reset();
    }
    void cleanupTestCase() { dropDatabase(kDb); }

    void czechTextTravelsAsCodePage1250()
    {
        m_db->execute(QStringLiteral("insert into t_text (s) values (%1)").arg(sqlQuote(kSentence)));
        QCOMPARE(m_db->scalar(QStringLiteral("select s from t_text")).toString(), kSentence);
        QCOMPARE(m_db->scalar(QStringLiteral("select hex(s) from t_text")).toString(),
                 QString::fromLatin1(cp1250::encode(kSentence).toHex().toUpper()));
        // A client of another character set reads the same text.
        Connection utf(serverParams(kDb));
        utf.execute(QStringLiteral("set names utf8mb4"));
        QCOMPARE(utf.scalar(QStringLiteral("select hex(convert(s using utf8mb4)) from t_text")).toString(),
                 QString::fromLatin1(kSentence.toUtf8().toHex().toUpper()));
    }

    void quotedValuesArriveUnchanged_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("quote") << QStringLiteral("O'Brien");
        QTest::newRow("backslash quote") << QStringLiteral("a\\'; drop table t_text; -- ");
        QTest::newRow("trailing backslash") << QStringLiteral("c:\\");
        QTest::newRow("double quote") << QStringLiteral("5\" hřebík");
    }
    void quotedValuesArriveUnchanged()
    {
        QFETCH(QString, value);
        m_db->execute(QStringLiteral("insert into t_text (s) values (%1)").arg(sqlQuote(value)));
        QCOMPARE(m_db->scalar(QStringLiteral("select s from t_text")).toString(), value);
        QCOMPARE(count(QStringLiteral("select count(*) from t_text")), 1);
    }

    void characterOutsideTheCodePageIsRefusedBeforeSending()
    {
        try {
            m_db->execute(QStringLiteral("insert into t_text (s) values (%1)").arg(sqlQuote(QStringLiteral("Señor"))));
            QFAIL("the statement was sent");
        } catch (const cp1250::EncodingError &e) {
            QCOMPARE(e.character(), QChar(u'ñ'));
            QVERIFY(e.message().contains(QStringLiteral("Señor")));
        }
        QCOMPARE(count(QStringLiteral("select count(*) from t_text")), 0);
    }

    void resultColumnsCarryTheServerTypes()
    {
        const ResultSet r = m_db->query(QStringLiteral("select cislodokla, lomeni, mnozstvi, datum, datumzauct from pelmixi limit 0"));
        QCOMPARE(r.columnCount(), 5);
        QCOMPARE(r.columns().at(0).kind, FieldKind::Text);
        QCOMPARE(r.columns().at(0).length, 10);
        QCOMPARE(r.columns().at(1).kind, FieldKind::Integer);
        QCOMPARE(r.columns().at(2).kind, FieldKind::Float);
        QCOMPARE(r.columns().at(3).kind, FieldKind::Date);
        const ResultSet v = m_db->query(QStringLiteral("select null as n, cast('0000-00-00' as date) as z, "
                                                       "date'2026-03-07' as d, 12.5e0 as f"));
        QVERIFY(!v.value(0, QStringLiteral("n")).isValid());
        QVERIFY(v.value(0, QStringLiteral("z")).isValid() || !v.value(0, QStringLiteral("z")).toDate().isValid());
        QCOMPARE(v.value(0, QStringLiteral("D")).toDate(), QDate(2026, 3, 7));
        QCOMPARE(v.value(0, QStringLiteral("f")).toDouble(), 12.5);
        // An empty text is not NULL, and every cell of a row reads back from its own bytes.
        const ResultSet e = m_db->query(QStringLiteral("select '' as e, null as n, 'Kůň' as k, 7 as i union all "
                                                       "select 'x', 'y', null, null"));
        QCOMPARE(e.rowCount(), 2);
        QVERIFY(e.value(0, QStringLiteral("e")).isValid());
        QCOMPARE(e.value(0, QStringLiteral("e")).toString(), QString());
        QVERIFY(!e.value(0, QStringLiteral("n")).isValid());
        QCOMPARE(e.value(0, QStringLiteral("k")).toString(), QStringLiteral("Kůň"));
        QCOMPARE(e.value(0, QStringLiteral("i")).toLongLong(), 7);
        QCOMPARE(e.rows().at(1), (QVariantList{QStringLiteral("x"), QStringLiteral("y"), QVariant(), QVariant()}));
    }

    void lostConnectionIsNotSilentlyReopened()
    {
        m_db->execute(QStringLiteral("set @CiDo = '1234567890'"));
        const qlonglong id = m_db->scalar(QStringLiteral("select connection_id()")).toLongLong();
        Connection killer(serverParams(kDb));
        killer.execute(QStringLiteral("kill connection %1").arg(id));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->scalar(QStringLiteral("select @CiDo")));
        // The next statement starts on a fresh session: the variable is gone, not silently kept,
        // and the new session is set up as every session of the program is.
        QVERIFY(!m_db->scalar(QStringLiteral("select @CiDo")).isValid());
        QCOMPARE(m_db->scalar(QStringLiteral("select @@session.sql_mode")).toString(), QString());
        QCOMPARE(m_db->scalar(QStringLiteral("select @@session.character_set_client")).toString(), QStringLiteral("cp1250"));
    }

    void logLinesHaveTheFixedFormat()
    {
        SqlLog log;
        const QString dir = m_install->suiteDir() + QStringLiteral("/sqllog");
        QVERIFY(!QDir(dir).exists());
        log.setFileName(SqlLog::fileNameFor(dir, QDate(2020, 3, 31)));
        QCOMPARE(log.fileName(), dir + QStringLiteral("/ks202003.log"));
        log.setActive(true);
        m_db->setLog(&log);
        m_db->execute(QStringLiteral("select 1"));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("select * from neni_tabulka")));
        m_db->close();
        m_db->setLog(nullptr);

        // Whatever today's date, the run keeps writing to its start month's file.
        const QStringList lines = readText(log.fileName()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d cat: "));
        for (const QString &l : lines)
            QVERIFY2(stamp.match(l).hasMatch(), qPrintable(l));
        QVERIFY(lines.at(0).endsWith(QStringLiteral(" cat: Execute, proto: mysql, msg: select 1")));
        QVERIFY2(QRegularExpression(QStringLiteral(" cat: Execute, proto: mysql, msg: select \\* from neni_tabulka, "
                                                   "errcode: 1146, error: Table '.*neni_tabulka' doesn't exist$"))
                     .match(lines.at(1))
                     .hasMatch(),
                 qPrintable(lines.at(1)));
        QVERIFY(lines.at(2).contains(QStringLiteral(" cat: Disconnect, proto: mysql, msg: ")));
    }

    void unwritableLogNeverBreaksTheStatement()
    {
        SqlLog log;
        const QString blocker = m_install->suiteDir() + QStringLiteral("/blocked");
        QFile(blocker).open(QIODevice::WriteOnly); // a file where the log folder should be
        log.setFileName(blocker + QStringLiteral("/ks202612.log"));
        log.setActive(true);
        m_db->setLog(&log);
        QCOMPARE(m_db->scalar(QStringLiteral("select 7")).toInt(), 7);
        m_db->setLog(nullptr);
    }

    void failingScriptRollsBackRecordsAndEnds()
    {
        MessageRecorder messages;
        const QString script = QStringLiteral("BEGIN;\ninsert into t_text (s) values ('první');\n"
                                              "insert into t_text (s) values ('druhý');\n"
                                              "insert into neni_tabulka values (1);\ninsert into t_text (s) values ('čtvrtý');\nCOMMIT;");
        for (int run = 1; run <= 2; ++run) {
            try {
                script::run(*m_db, script);
                QFAIL("the script did not fail");
            } catch (const ScriptFailed &f) {
                QCOMPARE(f.index(), 3);
                QCOMPARE(f.code(), 1146);
            }
            QVERIFY(!m_db->isOpen());
            QCOMPARE(m_terminations, run);
            QCOMPARE(messages.last(), QStringLiteral("Nastala chyba SQL. Program bude ukončen."));
            QCOMPARE(messages.shown.last().icon, MessageIcon::Warning);
            QCOMPARE(count(QStringLiteral("select count(*) from t_text")), 0);
        }
        const QStringList lines = readText(paths::inProgramDir(QStringLiteral("pelmi.err"))).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.count(QString(57, QLatin1Char('-'))), 2);
        const int first = int(lines.indexOf(QString(57, QLatin1Char('-'))));
        QVERIFY(QRegularExpression(QStringLiteral("^PelMixi \\d\\d\\.\\d\\d\\.\\d{4} \\d{1,2}:\\d\\d:\\d\\d$"))
                    .match(lines.at(first + 1))
                    .hasMatch());
        QCOMPARE(lines.at(first + 2), QStringLiteral("radek 3"));
        QVERIFY(lines.at(first + 3).startsWith(QStringLiteral("chyba Table ")));
        QCOMPARE(lines.at(first + 4), QStringLiteral("--"));
        QCOMPARE(lines.mid(first + 5, 6), script.split(QLatin1Char('\n')));
    }

    void errorBlockTimeHasNoLeadingZeroHour_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("morning") << QDateTime(QDate(2026, 3, 1), QTime(9, 5, 3)) << QStringLiteral("PelMixi 01.03.2026 9:05:03");
        QTest::newRow("midnight") << QDateTime(QDate(2026, 12, 31), QTime(0, 0, 7)) << QStringLiteral("PelMixi 31.12.2026 0:00:07");
        QTest::newRow("afternoon") << QDateTime(QDate(2026, 7, 9), QTime(14, 30, 59)) << QStringLiteral("PelMixi 09.07.2026 14:30:59");
    }

    void errorBlockTimeHasNoLeadingZeroHour()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, stamp);
        const QString file = m_install->programDir() + QStringLiteral("/stamp.err");
        QFile::remove(file);
        QVERIFY(script::appendErrorBlock(file, QStringLiteral("BEGIN;\nCOMMIT;"), 1, QStringLiteral("x"), when));
        const QStringList lines = readText(file).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.value(1), stamp);
    }

    // A session killed from another connection in the middle of a script: the error step asks
    // the check what became of the work instead of showing the generic message; any other
    // failure keeps the generic message and never asks.
    void lostConnectionAsksTheCheck_data()
    {
        QTest::addColumn<bool>("kill");
        QTest::newRow("killed during the script") << true;
        QTest::newRow("statement error") << false;
    }

    void lostConnectionAsksTheCheck()
    {
        QFETCH(bool, kill);
        MessageRecorder messages;
        Connection victim(serverParams(kDb));
        const qlonglong id = victim.scalar(QStringLiteral("select connection_id()")).toLongLong();
        std::thread killer;
        if (kill) {
            killer = std::thread([id] {
                Connection k(serverParams(kDb));
                const QString waiting = QStringLiteral("select count(*) from information_schema.processlist where id = %1"
                                                       " and info like 'select sleep%'")
                                            .arg(id);
                for (int i = 0; i < 600 && k.scalar(waiting).toLongLong() == 0; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                k.execute(QStringLiteral("KILL %1").arg(id));
            });
        }
        int asked = 0;
        QString askedWith;
        qlonglong rowsSeen = -1;
        const auto check = [&](Connection &c, const QString &error) {
            ++asked;
            askedWith = error;
            c.open(); // reconnects once, as a save's lookup does
            rowsSeen = c.scalar(QStringLiteral("select count(*) from t_text")).toLongLong();
            return Message { QStringLiteral("Výsledek ověřen."), 1, QStringLiteral("OK"), MessageIcon::Information };
        };
        const QString script = kill ? QStringLiteral("BEGIN;\ninsert into t_text (s) values ('x');\nselect sleep(30);\nCOMMIT;")
                                    : QStringLiteral("BEGIN;\ninsert into t_text (s) values ('x');\nselect nonsense from;\nCOMMIT;");
        try {
            script::run(victim, script, {}, check);
            QFAIL("the script did not fail");
        } catch (const ScriptFailed &f) {
            QCOMPARE(f.index(), 2);
            QCOMPARE(Connection::isConnectionLost(f.code()), kill);
        }
        if (killer.joinable())
            killer.join();
        QVERIFY(!victim.isOpen());
        QCOMPARE(m_terminations, 1);
        QCOMPARE(asked, kill ? 1 : 0);
        QCOMPARE(messages.last(), kill ? QStringLiteral("Výsledek ověřen.") : QStringLiteral("Nastala chyba SQL. Program bude ukončen."));
        if (kill) {
            QVERIFY(!askedWith.isEmpty());
            QCOMPARE(rowsSeen, 0);
        }
        QCOMPARE(count(QStringLiteral("select count(*) from t_text")), 0);
        QVERIFY(readText(paths::inProgramDir(QStringLiteral("pelmi.err"))).contains(QStringLiteral("\r\nradek 2\r\n")));
    }

    // Real failures of the server and the system reach the operator with their own text, led by a
    // Czech sentence that says what failed.
    void errorsLeadWithCzech_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("lead");
        QTest::newRow("access refused") << QStringLiteral("user") << QStringLiteral("Databázový server odmítl přístup.");
        QTest::newRow("no server") << QStringLiteral("port") << QStringLiteral("Nelze se připojit k databázovému serveru.");
        QTest::newRow("connection killed") << QStringLiteral("kill")
                                           << QStringLiteral("Spojení s databázovým serverem bylo přerušeno.");
        QTest::newRow("file not written") << QStringLiteral("file") << QStringLiteral("Soubor nelze zapsat.");
        QTest::newRow("program not started") << QStringLiteral("exec") << QStringLiteral("Program nelze spustit.");
        QTest::newRow("plain statement error") << QStringLiteral("sql") << QString();
    }

    void errorsLeadWithCzech()
    {
        QFETCH(QString, kind);
        QFETCH(QString, lead);
        QString original;
        if (kind == QLatin1String("file")) {
            QFile f(m_install->programDir() + QStringLiteral("/chybi/slozka/soubor.pdf"));
            QVERIFY(!f.open(QIODevice::WriteOnly));
            original = f.errorString();
        } else if (kind == QLatin1String("exec")) {
            // A program file without the execute permission, as a module copied without it.
            const QString program = m_install->programDir() + QStringLiteral("/pelskl");
            QFile f(program);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n");
            f.close();
            QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            QProcess process;
            process.start(program, {});
            QVERIFY(!process.waitForStarted(5000));
            original = process.errorString();
        } else {
            ConnectionParams p = serverParams(kDb);
            if (kind == QLatin1String("user"))
                p.user = QStringLiteral("nikdo_takovy");
            if (kind == QLatin1String("port"))
                p.port = closedPort();
            Connection c(p);
            try {
                if (kind == QLatin1String("kill")) {
                    m_db->execute(QStringLiteral("KILL %1").arg(c.scalar(QStringLiteral("select connection_id()")).toLongLong()));
                    c.scalar(QStringLiteral("select 1"));
                } else if (kind == QLatin1String("sql")) {
                    c.scalar(QStringLiteral("select nonsense from"));
                } else {
                    c.open();
                }
                QFAIL("no failure");
            } catch (const DbError &e) {
                original = e.message();
            }
        }
        QVERIFY(!original.isEmpty());
        MessageRecorder messages;
        messages::standardError(original);
        QCOMPARE(messages.last(), lead.isEmpty() ? original : lead + QLatin1Char('\n') + original);
        // A text that already says in Czech what failed is left alone.
        const QString czech = QStringLiteral("Soubor x.pdf nelze zapsat: ") + original;
        QCOMPARE(messages::withCzechLead(czech), czech);
    }

    void thirdStatementFailingIsRadek2()
    {
        MessageRecorder messages;
        try {
            script::run(*m_db, QStringLiteral("BEGIN;\ninsert into t_text (s) values ('x');\nselect nonsense from;\nCOMMIT;"));
            QFAIL("no failure");
        } catch (const ScriptFailed &f) {
            QCOMPARE(f.index(), 2);
        }
        QVERIFY(readText(paths::inProgramDir(QStringLiteral("pelmi.err"))).contains(QStringLiteral("\r\nradek 2\r\n")));
        QCOMPARE(count(QStringLiteral("select count(*) from t_text")), 0);
    }

    void errorStepStillEndsWhenPelmiErrCannotBeWritten()
    {
        MessageRecorder messages;
        QVERIFY(QDir().mkpath(paths::inProgramDir(QStringLiteral("pelmi.err")))); // a folder in its place
        QVERIFY_THROWS_EXCEPTION(ScriptFailed, script::run(*m_db, QStringLiteral("BEGIN;\ninsert into t_text (s) values ('x');\n"
                                                                                 "insert into neni values (1);\nCOMMIT;")));
        QCOMPARE(m_terminations, 1);
        QCOMPARE(messages.last(), QStringLiteral("Nastala chyba SQL. Program bude ukončen."));
        QCOMPARE(count(QStringLiteral("select count(*) from t_text")), 0);
    }

    void connectStepSetsUpTheSessionAndWritesTheStartRow()
    {
        Connection c;
        settings::ConnectionSettings s = settings::readConnectionSettings();
        QCOMPARE(s.database, kDb);
        s.cisloPC = QStringLiteral("07");
        QVERIFY(connectStep(c, s, QStringLiteral("Krmné směsi"), QString()));
        QCOMPARE(c.scalar(QStringLiteral("select @@session.sql_mode")).toString(), QString());
        QCOMPARE(c.scalar(QStringLiteral("select @@session.character_set_client")).toString(), QStringLiteral("cp1250"));
        QCOMPARE(c.scalar(QStringLiteral("show session status like 'Compression'")).isValid(), true);
        const ResultSet r = c.query(QStringLiteral("select * from historiem order by id desc limit 1"));
        QCOMPARE(r.text(0, QStringLiteral("modul")), QStringLiteral("Krmné směsi"));
        QCOMPARE(r.text(0, QStringLiteral("pc")), QStringLiteral("07"));
        QCOMPARE(r.text(0, QStringLiteral("stredisko")), QString());
        QVERIFY(!r.text(0, QStringLiteral("ipadr")).isEmpty());
        QCOMPARE(r.text(0, QStringLiteral("mverze")).count(QLatin1Char('.')), 3);
    }

    void connectStepPorts_data()
    {
        QTest::addColumn<QString>("sqlPort");
        QTest::addColumn<QString>("openPort");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("message");
        const QString port = QString::number(serverParams().port);
        QTest::newRow("alternative port first") << QString::number(closedPort()) << port << true << QString();
        QTest::newRow("alternative port closed") << port << QString::number(closedPort()) << true << QString();
        QTest::newRow("server down") << QString::number(closedPort()) << QString() << false << QString();
        QTest::newRow("port not a number")
            << QStringLiteral("33o6") << QString() << false << QStringLiteral("SQLport není celé číslo: „33o6“");
        QTest::newRow("alternative port not a number")
            << port << QStringLiteral("x") << true << QStringLiteral("OPENport není celé číslo: „x“");
        // A whole number the network has no port for is told as such, not as "not a number".
        QTest::newRow("port above 65535") << QStringLiteral("99999") << QString() << false
                                          << QStringLiteral("SQLport je mimo rozsah 1 až 65535: „99999“");
        QTest::newRow("port zero") << QStringLiteral("0") << QString() << false
                                   << QStringLiteral("SQLport je mimo rozsah 1 až 65535: „0“");
        QTest::newRow("port negative") << QStringLiteral("-3306") << QString() << false
                                       << QStringLiteral("SQLport je mimo rozsah 1 až 65535: „-3306“");
        QTest::newRow("port of twenty digits") << QStringLiteral("99999999999999999999") << QString() << false
                                               << QStringLiteral("SQLport je mimo rozsah 1 až 65535");
        QTest::newRow("port with a decimal comma")
            << QStringLiteral("3306,5") << QString() << false << QStringLiteral("SQLport není celé číslo: „3306,5“");
        QTest::newRow("alternative port above 65535")
            << port << QStringLiteral("65536") << true << QStringLiteral("OPENport je mimo rozsah 1 až 65535: „65536“");
    }
    void connectStepPorts()
    {
        QFETCH(QString, sqlPort);
        QFETCH(QString, openPort);
        QFETCH(bool, connected);
        QFETCH(QString, message);
        MessageRecorder messages;
        const qlonglong before = count(QStringLiteral("select count(*) from historiem"));
        settings::ConnectionSettings s = settings::readConnectionSettings();
        s.sqlPort = sqlPort;
        s.openPort = openPort;
        Connection c;
        QCOMPARE(connectStep(c, s, QStringLiteral("Krmné směsi"), QString()), connected);
        QCOMPARE(count(QStringLiteral("select count(*) from historiem")), before + (connected ? 1 : 0));
        if (connected) // the session of an alternative-port connection is set up as well
            QCOMPARE(c.scalar(QStringLiteral("select @@session.character_set_client")).toString(), QStringLiteral("cp1250"));
        if (message.isEmpty()) {
            QVERIFY(messages.shown.isEmpty());
        } else {
            QCOMPARE(messages.shown.size(), 1);
            QVERIFY(messages.last().contains(message));
        }
    }

    void historyValuesWithQuotesAndBackslashes()
    {
        const WorkstationIdentity id{QStringLiteral("10.1.2.3"), QStringLiteral("jana"), QStringLiteral("VAHA1"),
                                     QStringLiteral("2026-12-01 08:00:00"), QStringLiteral("1.0.0.1")};
        const QString tricky = QStringLiteral("\"\\1"); // fits the three characters of stredisko
        m_db->execute(moduleStartStatement(QStringLiteral("Krmné směsi"), QStringLiteral("00"), tricky, id,
                                           QDateTime(QDate(2026, 12, 11), QTime(9, 5, 7))));
        QCOMPARE(m_db->scalar(QStringLiteral("select stredisko from historiem order by id desc limit 1")).toString(), tricky);

        const QDateTime now(QDate(2026, 12, 11), QTime(9, 5, 7));
        const QString row = documentRowStatement(QStringLiteral("00"), QStringLiteral("101"), QStringLiteral("KR směsi"),
                                                 QStringLiteral("KS"), QStringLiteral("@CiDo"), QString(),
                                                 historyIdentifier(QStringLiteral("00"), now), id, now);
        QCOMPARE(row, QStringLiteral("insert into historied set modul = \"KR směsi\", pc = \"00\", stredisko = \"101\","
                                     "datumcas = \"2026-12-11 09:05:07\",ipadr = \"10.1.2.3\", computeruser = \"jana\", "
                                     "computername = \"VAHA1\",mdatumcas = \"2026-12-01 08:00:00\", mverze=\"1.0.0.1\","
                                     "doklad = \"KS\", cislodokla=@CiDo,misto=\"\",identifik=\"0000261211090507\";"));
        script::run(*m_db, QStringLiteral("BEGIN;\nSET @CiDo = '2026101001';\n") + row + QStringLiteral("\nCOMMIT;"));
        const ResultSet r = m_db->query(QStringLiteral("select cislodokla, identifik, modul from historied"));
        QCOMPARE(r.rowCount(), 1);
        QCOMPARE(r.text(0, QStringLiteral("cislodokla")), QStringLiteral("2026101001"));
        QCOMPARE(r.text(0, QStringLiteral("modul")), QStringLiteral("KR směsi"));
    }

    void moduleStartStatementLayout()
    {
        const WorkstationIdentity id{QStringLiteral("10.1.2.3"), QStringLiteral("jana"), QStringLiteral("VAHA1"),
                                     QStringLiteral("2026-12-01 08:00:00"), QStringLiteral("-1.0.0.0")};
        QCOMPARE(moduleStartStatement(QStringLiteral("Krmné směsi"), QStringLiteral("00"), QString(), id,
                                      QDateTime(QDate(2026, 12, 11), QTime(9, 5, 7))),
                 QStringLiteral("insert into historiem \nset modul = \"Krmné směsi\", pc = \"00\", stredisko = \"\",\n"
                                "datumcas = \"2026-12-11 09:05:07\",\nipadr = \"10.1.2.3\", computeruser = \"jana\", "
                                "computername = \"VAHA1\",\nmdatumcas = \"2026-12-01 08:00:00\", mverze=\"-1.0.0.0\""));
        QCOMPARE(firstIPv4Address(QStringLiteral("neexistuje.invalid")), QStringLiteral("255.255.255.255"));
        QCOMPARE(firstIPv4Address(QStringLiteral("localhost")), QStringLiteral("127.0.0.1"));
        const WorkstationIdentity here = WorkstationIdentity::collect();
        QVERIFY(here.computerName.size() <= 15 && !here.computerName.isEmpty());
        QVERIFY(here.userName.size() <= 63 && !here.userName.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
