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
        QVERIFY(files.load(f));
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
        QVERIFY(files.load(loaded));
        QCOMPARE(loaded.condition(), f.condition());

        files.dropLast(loaded); // three steps -> the first two remain
        QCOMPARE(loaded.condition(), QStringLiteral("where cislodokla <> '2026101001' AND cislodokla <> '2026101002'"));
        QCOMPARE(numbersMatching(loaded), QStringList{QStringLiteral("2026101003")});
        files.dropLast(loaded);
        files.dropLast(loaded); // one step -> no filter, both files empty
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
        QVERIFY(!files.load(loaded));
        QVERIFY(loaded.condition().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestListFilter)
#include "tst_listfilter.moc"
