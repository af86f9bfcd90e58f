// The quoting routine, the number writers and the script splitter: pure text, checked exactly.
#include "script.h"
#include "sqltext.h"

#include <QTest>

class TestSqlText : public QObject {
    Q_OBJECT

private slots:
    void quoting_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << QStringLiteral("101") << QStringLiteral("'101'");
        QTest::newRow("empty") << QString() << QStringLiteral("''");
        QTest::newRow("single quote") << QStringLiteral("O'Neil") << QStringLiteral("'O''Neil'");
        QTest::newRow("backslash") << QStringLiteral("a\\b") << QStringLiteral("'a\\\\b'");
        QTest::newRow("escaped quote attempt") << QStringLiteral("\\' or 1=1 -- ")
                                               << QStringLiteral("'\\\\'' or 1=1 -- '");
        QTest::newRow("double quote") << QStringLiteral("5\"") << QStringLiteral("'5\"'");
        QTest::newRow("czech") << QStringLiteral("Kůň") << QStringLiteral("'Kůň'");
    }
    void quoting()
    {
        QFETCH(QString, value);
        QFETCH(QString, quoted);
        QCOMPARE(sqlQuote(value), quoted);
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
