// The quoting routines, the number writers and the script splitter: the exact text, and what the
// private server reads back from the quoted literals.
#include "connection.h"
#include "script.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

class TestSqlText : public QObject {
    Q_OBJECT

    std::unique_ptr<Connection> m_db;

private slots:
    void initTestCase()
    {
        testsupport::createDatabase(u"t_db_sqltext"_s);
        m_db = std::make_unique<Connection>(testsupport::serverParams(u"t_db_sqltext"_s));
        m_db->execute(u"set @@session.sql_mode=\"\""_s);
        m_db->execute(u"SET names cp1250"_s);
    }
    void cleanupTestCase()
    {
        m_db.reset();
        testsupport::dropDatabase(u"t_db_sqltext"_s);
    }

    // Both quoted literals over one table: the exact text each writes, then the server reads each
    // back as the value itself, and neither ever spans lines.
    void quoting_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("single");
        QTest::addColumn<QString>("twice");
        QTest::newRow("plain") << u"101"_s << u"'101'"_s << u"\"101\""_s;
        QTest::newRow("empty") << QString() << u"''"_s << u"\"\""_s;
        QTest::newRow("single quote") << u"O'Neil"_s << u"'O''Neil'"_s << u"\"O'Neil\""_s;
        QTest::newRow("double quote") << u"5\""_s << u"'5\"'"_s << u"\"5\\\"\""_s;
        QTest::newRow("backslash") << u"a\\b"_s << u"'a\\\\b'"_s << u"\"a\\\\b\""_s;
        QTest::newRow("escaped quote attempt")
            << u"\\' or 1=1 -- "_s << u"'\\\\'' or 1=1 -- '"_s << u"\"\\\\' or 1=1 -- \""_s;
        QTest::newRow("escaped double quote attempt")
            << u"\\\" or 1=1 -- "_s << u"'\\\\\" or 1=1 -- '"_s << u"\"\\\\\\\" or 1=1 -- \""_s;
        QTest::newRow("NUL") << QString(QChar(0)) + u"x"_s << u"'\\0x'"_s << u"\"\\0x\""_s;
        QTest::newRow("CR LF and a statement")
            << u"x\r\nwhere 1=1 or 1=1 #"_s << u"'x\\r\\nwhere 1=1 or 1=1 #'"_s << u"\"x\\r\\nwhere 1=1 or 1=1 #\""_s;
        QTest::newRow("CR LF in a word") << u"ra\r\ndek"_s << u"'ra\\r\\ndek'"_s << u"\"ra\\r\\ndek\""_s;
        QTest::newRow("lone LF and CR") << u"a\nb\rc"_s << u"'a\\nb\\rc'"_s << u"\"a\\nb\\rc\""_s;
        QTest::newRow("Ctrl-Z") << u"a\x1a"_s << u"'a\\Z'"_s << u"\"a\\Z\""_s;
        QTest::newRow("czech") << u"Kůň"_s << u"'Kůň'"_s << u"\"Kůň\""_s;
        QTest::newRow("all of them") << u"'\"\\\r\n"_s + QChar(0) << u"'''\"\\\\\\r\\n\\0'"_s
                                     << u"\"'\\\"\\\\\\r\\n\\0\""_s;
    }
    void quoting()
    {
        QFETCH(QString, value);
        QFETCH(QString, single);
        QFETCH(QString, twice);
        QCOMPARE(sqlQuote(value), single);
        QCOMPARE(sqlDoubleQuote(value), twice);
        for (const QString &literal : { single, twice }) {
            QVERIFY(!literal.contains(u'\n'));
            QVERIFY(!literal.contains(u'\r'));
            QVERIFY(!literal.contains(QChar(0)));
        }
        // The server, in the program's session (empty SQL mode, cp1250), reads the value back.
        const ResultSet r
            = m_db->query(u"select "_s + sqlQuote(value) + u" as a, "_s + sqlDoubleQuote(value) + u" as b"_s);
        QCOMPARE(r.text(0, u"a"_s), value);
        QCOMPARE(r.text(0, u"b"_s), value);
    }

    void numbers_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("saved");
        QTest::newRow("decimal") << QVariant(12.5) << QStringLiteral("12.5") << QStringLiteral("012.5");
        QTest::newRow("zero") << QVariant(0.0) << QStringLiteral("0") << QStringLiteral("00");
        QTest::newRow("large") << QVariant(1234567.891) << QStringLiteral("1234567.891") << QStringLiteral("01234567.891");
        QTest::newRow("fifteen digits") << QVariant(0.1 + 0.2) << QStringLiteral("0.3") << QStringLiteral("00.3");
        QTest::newRow("huge") << QVariant(1.5e20) << QStringLiteral("150000000000000000000")
                              << QStringLiteral("0150000000000000000000");
        QTest::newRow("negative") << QVariant(-2.25) << QStringLiteral("-2.25") << QStringLiteral("0-2.25");
        QTest::newRow("integer") << QVariant(qlonglong(42)) << QStringLiteral("42") << QStringLiteral("042");
        QTest::newRow("null") << QVariant() << QStringLiteral("0") << QStringLiteral("00");
        QTest::newRow("empty text") << QVariant(QString()) << QStringLiteral("0") << QStringLiteral("00");
        QTest::newRow("comma text") << QVariant(QStringLiteral("12,5")) << QStringLiteral("12.5")
                                    << QStringLiteral("012.5");
    }
    void numbers()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, plain);
        QFETCH(QString, saved);
        QCOMPARE(sqlNumber(value), plain);
        QCOMPARE(sqlSavedFloat(value), saved);
    }

    void dates()
    {
        QCOMPARE(sqlDate(QDate(2026, 3, 7)), QStringLiteral("'2026-03-07'"));
    }

    void scriptSplitting_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("one per line") << QStringLiteral("BEGIN;\nSET @a = 1;\nCOMMIT;")
                                      << QStringList{QStringLiteral("BEGIN"), QStringLiteral("SET @a = 1"),
                                                     QStringLiteral("COMMIT")};
        QTest::newRow("statement over lines")
            << QStringLiteral("INSERT INTO t (a, b)\n VALUES (1, 2);\nCOMMIT;")
            << QStringList{QStringLiteral("INSERT INTO t (a, b)\n VALUES (1, 2)"), QStringLiteral("COMMIT")};
        QTest::newRow("semicolon at line end inside quotes")
            << QStringLiteral("insert into t set s = 'a;\nb';\nselect 1;")
            << QStringList{QStringLiteral("insert into t set s = 'a;\nb'"), QStringLiteral("select 1")};
        QTest::newRow("semicolon inside the line") << QStringLiteral("insert into t set s = 'x;y', u = \"p;\";")
                                                   << QStringList{QStringLiteral("insert into t set s = 'x;y', u = \"p;\"")};
        QTest::newRow("doubled and escaped quotes")
            << QStringLiteral("set @a = 'it''s;\n';\nset @b = 'c:\\\\';\nset @c = '\\';\n';")
            << QStringList{QStringLiteral("set @a = 'it''s;\n'"), QStringLiteral("set @b = 'c:\\\\'"),
                           QStringLiteral("set @c = '\\';\n'")};
        QTest::newRow("empty lines and CRLF") << QStringLiteral("\r\nBEGIN;\r\n\r\nCOMMIT;\r\n")
                                              << QStringList{QStringLiteral("BEGIN"), QStringLiteral("COMMIT")};
        QTest::newRow("double-quoted empty literal")
            << QStringLiteral("SET @PoDo = \"\";\nselect 2;")
            << QStringList{QStringLiteral("SET @PoDo = \"\""), QStringLiteral("select 2")};
    }
    void scriptSplitting()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, statements);
        QCOMPARE(splitScript(script), statements);
    }
};

QTEST_GUILESS_MAIN(TestSqlText)
#include "tst_sqltext.moc"
