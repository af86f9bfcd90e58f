// Filter steps, their files and the order clause; conditions are run against the private server
// so a wrongly written value shows as wrong rows.
#include "connection.h"
#include "cp1250.h"
#include "listfilter.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;

namespace {
const QString kDb = QStringLiteral("t_documents_listfilter");

enum { Long = 3, Short = 2, VarString = 253, Double = 5, DateType = 10, DateTimeType = 12 };

Column column(const QString &name, FieldKind kind, int serverType)
{
    Column c;
    c.name = name;
    c.kind = kind;
    c.serverType = serverType;
    return c;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestListFilter : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_db;

    QStringList numbersMatching(const ListFilter &f)
    {
        QStringList out;
        const ResultSet r = m_db->query(QStringLiteral("select cislodokla from pelmixi ") + f.condition() +
                                        QStringLiteral(" order by cislodokla"));
        for (qsizetype i = 0; i < r.rowCount(); ++i)
            out << r.text(i, QStringLiteral("cislodokla"));
        return out;
    }

    QStringList listColumns()
    {
        QStringList names;
        const ResultSet r = m_db->query(QStringLiteral("select * from pelmixi limit 0"));
        for (const Column &c : r.columns())
            names << c.name;
        return names;
    }

private slots:
    void initTestCase()
    {
        createDatabase(kDb);
        m_db = std::make_unique<Connection>(serverParams(kDb));
        m_db->execute(QStringLiteral("set @@session.sql_mode=\"\""));
        m_db->execute(QStringLiteral(
            "insert into pelmixi (cislodokla, stredisko, partie, lomeni, nazevosiva, mnozstvi, datum, smes) values "
            "('2026101001', '101', '552600001', 0, 'Směs pro nosnice', 12.5, '2026-03-07', '1'),"
            "('2026101002', '101', '552600002', 1, 'Směs O''Brien', 125, '2026-03-08', '1'),"
            "('2026101003', '101', '552600003', 2, 'Směs pro brojlery', 1.25, '2026-04-01', '1')"));
    }
    void cleanupTestCase()
    {
        m_db.reset();
        dropDatabase(kDb);
    }

    void menuCaptionsCarryTheirBlanks()
    {
        QCOMPARE(filterMenuCaptions(QStringLiteral("Číslo dokladu"), QStringLiteral("2026101001")),
                 (QStringList{QStringLiteral("Číslo dokladu =  2026101001"), QStringLiteral("Číslo dokladu <> 2026101001"),
                              QStringLiteral("Číslo dokladu >  2026101001"), QStringLiteral("Číslo dokladu >= 2026101001"),
                              QStringLiteral("Číslo dokladu <  2026101001"), QStringLiteral("Číslo dokladu <= 2026101001")}));
    }

    void steps_data()
    {
        QTest::addColumn<Column>("first");
        QTest::addColumn<QVariant>("firstValue");
        QTest::addColumn<QString>("firstDisplay");
        QTest::addColumn<int>("firstOp");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("text equal")
            << column(QStringLiteral("cislodokla"), FieldKind::Text, VarString) << QVariant(QStringLiteral("2026101002"))
            << QStringLiteral("2026101002") << int(FilterOperator::Equal)
            << QStringLiteral("where cislodokla = '2026101002'") << QStringLiteral("Číslo = 2026101002")
            << QStringList{QStringLiteral("2026101002")};
        QTest::newRow("quote doubled")
            << column(QStringLiteral("nazevosiva"), FieldKind::Text, VarString) << QVariant(QStringLiteral("Směs O'Brien"))
            << QStringLiteral("Směs O'Brien") << int(FilterOperator::Equal)
            << QStringLiteral("where nazevosiva = 'Směs O''Brien'") << QStringLiteral("Číslo = Směs O'Brien")
            << QStringList{QStringLiteral("2026101002")};
        QTest::newRow("decimal with point")
            << column(QStringLiteral("mnozstvi"), FieldKind::Float, Double) << QVariant(12.5) << QStringLiteral("12,5")
            << int(FilterOperator::Equal) << QStringLiteral("where mnozstvi = '12.5'") << QStringLiteral("Číslo = 12,5")
            << QStringList{QStringLiteral("2026101001")};
        QTest::newRow("date")
            << column(QStringLiteral("datum"), FieldKind::Date, DateType) << QVariant(QDate(2026, 3, 8))
            << QStringLiteral("08.03.2026") << int(FilterOperator::GreaterOrEqual)
            << QStringLiteral("where datum >= '2026-03-08'") << QStringLiteral("Číslo >= 08.03.2026")
            << QStringList{QStringLiteral("2026101002"), QStringLiteral("2026101003")};
        QTest::newRow("small integer as text")
            << column(QStringLiteral("lomeni"), FieldKind::Integer, Short) << QVariant(qlonglong(1)) << QStringLiteral("1")
            << int(FilterOperator::Greater) << QStringLiteral("where lomeni > '1'") << QStringLiteral("Číslo > 1")
            << QStringList{QStringLiteral("2026101003")};
        QTest::newRow("whole number bare")
            << column(QStringLiteral("lomeni"), FieldKind::Integer, Long) << QVariant(qlonglong(1)) << QStringLiteral("1")
            << int(FilterOperator::LessOrEqual) << QStringLiteral("where lomeni <= 1") << QStringLiteral("Číslo <= 1")
            << QStringList{QStringLiteral("2026101001"), QStringLiteral("2026101002")};
    }
    void steps()
    {
        QFETCH(Column, first);
        QFETCH(QVariant, firstValue);
        QFETCH(QString, firstDisplay);
        QFETCH(int, firstOp);
        QFETCH(QString, condition);
        QFETCH(QString, description);
        QFETCH(QStringList, rows);
        ListFilter f;
        QVERIFY(f.addStep(QStringLiteral("Číslo"), first, firstValue, firstDisplay, FilterOperator(firstOp)));
        QCOMPARE(f.condition(), condition);
        QCOMPARE(f.description(), description);
        QCOMPARE(numbersMatching(f), rows);
    }

    void laterStepsJoinWithAnd()
    {
        ListFilter f;
        f.addStep(QStringLiteral("Datum"), column(QStringLiteral("datum"), FieldKind::Date, DateType),
                  QVariant(QDate(2026, 3, 7)), QStringLiteral("07.03.2026"), FilterOperator::GreaterOrEqual);
        f.addStep(QStringLiteral("Datum"), column(QStringLiteral("datum"), FieldKind::Date, DateType),
                  QVariant(QDate(2026, 4, 1)), QStringLiteral("01.04.2026"), FilterOperator::Less);
        f.addStep(QStringLiteral("Lom"), column(QStringLiteral("lomeni"), FieldKind::Integer, Long), QVariant(qlonglong(0)),
                  QStringLiteral("0"), FilterOperator::NotEqual);
        QCOMPARE(f.condition(), QStringLiteral("where datum >= '2026-03-07' AND datum < '2026-04-01' AND lomeni <> 0"));
        QCOMPARE(f.description(), QStringLiteral("Datum >= 07.03.2026, Datum < 2026-04-01, Lom <> 0"));
        QCOMPARE(numbersMatching(f), QStringList{QStringLiteral("2026101002")});
    }

    void fieldNamesMustBePlain()
    {
        ListFilter f;
        QVERIFY(!f.addStep(QStringLiteral("x"), column(QStringLiteral("a; drop table pelmixi"), FieldKind::Text, VarString),
                           QVariant(QStringLiteral("1")), QStringLiteral("1"), FilterOperator::Equal));
        QVERIFY(f.condition().isEmpty());
        QCOMPARE(orderClause(QStringLiteral("datum"), true), QStringLiteral("order by datum DESC"));
        QCOMPARE(orderClause(QStringLiteral("nc"), false), QStringLiteral("order by nc"));
        QCOMPARE(orderClause(QStringLiteral("x`y"), false), defaultOrderClause());
    }

    void filesKeepTheHistory()
    {
        const FilterFiles files(m_dir.path(), QStringLiteral("pelmixihla"));
        ListFilter f;
        QVERIFY(files.load(f, listColumns()));
        QVERIFY(f.condition().isEmpty());
        const Column num = column(QStringLiteral("cislodokla"), FieldKind::Text, VarString);
        for (const char *n : {"2026101001", "2026101002", "2026101003"}) {
            f.addStep(QStringLiteral("Číslo"), num, QVariant(QString::fromLatin1(n)), QString::fromLatin1(n),
                      FilterOperator::NotEqual);
            files.append(f);
        }
        QCOMPARE(fileBytes(files.descriptionFile()),
                 QByteArray("\xC8\xEDslo <> 2026101001\r\n\xC8\xEDslo <> 2026101001, \xC8\xEDslo <> 2026101002\r\n"
                            "\xC8\xEDslo <> 2026101001, \xC8\xEDslo <> 2026101002, \xC8\xEDslo <> 2026101003\r\n"));
        ListFilter loaded;
        QVERIFY(files.load(loaded, listColumns()));
        QCOMPARE(loaded.condition(), f.condition());

        QVERIFY(files.dropLast(loaded, listColumns())); // three steps -> the first two remain
        QCOMPARE(loaded.condition(), QStringLiteral("where cislodokla <> '2026101001' AND cislodokla <> '2026101002'"));
        QCOMPARE(numbersMatching(loaded), QStringList{QStringLiteral("2026101003")});
        QVERIFY(files.dropLast(loaded, listColumns()));
        QVERIFY(files.dropLast(loaded, listColumns())); // one step -> no filter, both files empty
        QVERIFY(loaded.condition().isEmpty());
        QCOMPARE(loaded.description(), QStringLiteral("Žádný filtr"));
        QCOMPARE(fileBytes(files.conditionFile()), QByteArray());
        QCOMPARE(fileBytes(files.descriptionFile()), QByteArray());
    }

    void savedLineNotBeginningWithWhereIsIgnored()
    {
        QTemporaryDir dir;
        const FilterFiles files(dir.path(), QStringLiteral("pelmixihla"));
        QFile f(files.conditionFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("where stredisko = '101'\r\n; delete from pelmixi\r\n");
        f.close();
        ListFilter loaded;
        QVERIFY(!files.load(loaded, listColumns()));
        QVERIFY(loaded.condition().isEmpty());
    }

    // What the steps write is accepted; a hand-edited line of any other shape is refused, over the
    // list's columns as the server reports them.
    void storedConditionShape_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("no filter") << QString() << true;
        QTest::newRow("text") << QStringLiteral("where cislodokla = '2026101002'") << true;
        QTest::newRow("column in capitals") << QStringLiteral("where CISLODOKLA <> '2026101002'") << true;
        QTest::newRow("doubled quote") << QStringLiteral("where nazevosiva = 'Směs O''Brien'") << true;
        QTest::newRow("escapes") << QStringLiteral("where popis >= 'x\\r\\nwhere 1=1 or 1=1 #\\\\\\0\\Z'") << true;
        QTest::newRow("whole numbers") << QStringLiteral("where lomeni <= 1 AND lomeni > -3") << true;
        QTest::newRow("all six operators") << QStringLiteral(
            "where lomeni = 1 AND lomeni <> 2 AND lomeni > 0 AND lomeni >= 1 AND lomeni < 9 AND "
            "datum <= '2026-03-08'") << true;
        QTest::newRow("quote inside, AND inside") << QStringLiteral("where nazevosiva = 'a'' AND 1=1 AND ''b'") << true;
        QTest::newRow("not where") << QStringLiteral("1=1 union select * from pelmixi") << false;
        QTest::newRow("always true") << QStringLiteral("where 1=1 or 1=1 #'") << false;
        QTest::newRow("half of a split literal") << QStringLiteral("where popis = 'x") << false;
        QTest::newRow("union") << QStringLiteral("where lomeni = 1 UNION select * from pelmixi") << false;
        QTest::newRow("union after a literal")
            << QStringLiteral("where stredisko = '101' union select * from skarta") << false;
        QTest::newRow("or") << QStringLiteral("where lomeni = 1 OR lomeni = 2") << false;
        QTest::newRow("subquery") << QStringLiteral("where cislodokla = (select max(cislodokla) from pelmixi)")
                                  << false;
        QTest::newRow("column of no list") << QStringLiteral("where zustatek = 1") << false;
        QTest::newRow("comment") << QStringLiteral("where lomeni = 1 #") << false;
        QTest::newRow("escaped quote") << QStringLiteral("where popis = 'a\\' or 1=1 #'") << false;
        QTest::newRow("double-quoted") << QStringLiteral("where popis = \"a\"") << false;
        QTest::newRow("operator without blanks") << QStringLiteral("where lomeni=1") << false;
        QTest::newRow("lower-case and") << QStringLiteral("where lomeni = 1 and lomeni = 2") << false;
        QTest::newRow("trailing AND") << QStringLiteral("where lomeni = 1 AND ") << false;
        QTest::newRow("number and more") << QStringLiteral("where lomeni = 1e3") << false;
        QTest::newRow("trailing blank") << QStringLiteral("where lomeni = 1 ") << false;
        QTest::newRow("where alone") << QStringLiteral("where ") << false;
    }
    void storedConditionShape()
    {
        QFETCH(QString, condition);
        QFETCH(bool, accepted);
        QCOMPARE(isStoredCondition(condition, listColumns()), accepted);
        // Every accepted shape is a condition the server runs.
        if (accepted)
            m_db->query(QStringLiteral("select cislodokla from pelmixi ") + condition);
    }

    // A cell holding a line break: the condition stays on one line and finds the row, the
    // description marks the break, and after a reload from the files the filter is the same.
    void lineBreakInAValue_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("description");
        QTest::newRow("a statement after the break")
            << QStringLiteral("x\r\nwhere 1=1 or 1=1 #") << QStringLiteral("where popis = 'x\\r\\nwhere 1=1 or 1=1 #'")
            << QStringLiteral("Popis = x¶where 1=1 or 1=1 #");
        QTest::newRow("a word broken") << QStringLiteral("ra\r\ndek") << QStringLiteral("where popis = 'ra\\r\\ndek'")
                                       << QStringLiteral("Popis = ra¶dek");
    }
    void lineBreakInAValue()
    {
        QFETCH(QString, value);
        QFETCH(QString, condition);
        QFETCH(QString, description);
        m_db->execute(QStringLiteral("delete from pelmixi where cislodokla = '2026109001'"));
        m_db->execute(QStringLiteral("insert into pelmixi (cislodokla, stredisko, popis, smes) values "
                                     "('2026109001', '109', %1, '1')")
                          .arg(sqlQuote(value)));
        const Column popis = column(QStringLiteral("popis"), FieldKind::Text, VarString);
        QTemporaryDir dir;
        const FilterFiles files(dir.path(), QStringLiteral("pelmixihla"));
        ListFilter f;
        QVERIFY(f.addStep(QStringLiteral("Popis"), popis, QVariant(value), value, FilterOperator::Equal));
        files.append(f);
        QVERIFY(f.addStep(QStringLiteral("Popis"), popis, QVariant(value), value, FilterOperator::Equal));
        files.append(f);
        QCOMPARE(f.condition(), condition + QStringLiteral(" AND popis = ") + condition.mid(14));
        QCOMPARE(f.description(), description + QStringLiteral(", ") + description);

        // One line per step in each file.
        QCOMPARE(fileBytes(files.conditionFile()).count('\n'), 2);
        QCOMPARE(fileBytes(files.conditionFile()).count('\r'), 2);
        QCOMPARE(fileBytes(files.descriptionFile()).count('\n'), 2);
        QCOMPARE(fileBytes(files.descriptionFile()).count('\r'), 2);

        ListFilter loaded;
        QVERIFY(files.load(loaded, listColumns()));
        QCOMPARE(loaded.condition(), f.condition());
        QCOMPARE(loaded.description(), f.description());
        QCOMPARE(numbersMatching(loaded), QStringList { QStringLiteral("2026109001") });
        QVERIFY(files.dropLast(loaded, listColumns()));
        QCOMPARE(loaded.condition(), condition);
        QCOMPARE(loaded.description(), description);
        QCOMPARE(numbersMatching(loaded), QStringList { QStringLiteral("2026109001") });
        m_db->execute(QStringLiteral("delete from pelmixi where cislodokla = '2026109001'"));
    }
};

QTEST_GUILESS_MAIN(TestListFilter)
#include "tst_listfilter.moc"
