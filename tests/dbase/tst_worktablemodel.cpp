// The models over working tables: what a grid shows follows the table, edits made in a grid or
// an edit reach the table file, and wrong input is reported instead of written.
#include "connection.h"
#include "displayformat.h"
#include "testsupport.h"
#include "worktable.h"
#include "worktablemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString Db = u"t_dbase_worktablemodel"_s;
}

class TestWorkTableModel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void gridColumnsCaptionsAndFormats();
    void followsTableChanges();
    void editsWriteThrough();
    void editOfRowBeingEditedStaysInBuffer();
    void wrongInputIsReported();
    void readOnlyColumns();
    void recreatedTableResetsModel();

private:
    QList<Column> pelmixiColumns() { return m_conn->query(u"select * from pelmixi limit 0,1"_s).columns(); }
    std::unique_ptr<testsupport::Installation> m_inst;
    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<WorkTable> m_table;
};

void TestWorkTableModel::initTestCase()
{
    testsupport::createDatabase(Db);
    m_conn = std::make_unique<Connection>(testsupport::serverParams(Db));
}

void TestWorkTableModel::cleanupTestCase()
{
    m_conn.reset();
    testsupport::dropDatabase(Db);
}

void TestWorkTableModel::init()
{
    m_inst = std::make_unique<testsupport::Installation>(Db);
    m_table = std::make_unique<WorkTable>(u"pelmixi"_s);
    m_table->create(pelmixiColumns());
    m_table->open();
}

void TestWorkTableModel::cleanup()
{
    m_table.reset();
    m_inst.reset();
}

void TestWorkTableModel::gridColumnsCaptionsAndFormats()
{
    m_table->appendRecord({{u"partiecela"_s, u"250000101"_s}, {u"mnozstvi"_s, 1500.5}, {u"nc"_s, 5.2},
                           {u"datum"_s, QDate(2026, 8, 5)}});
    m_table->setDisplayFormat(u"mnozstvi"_s, QString::fromUtf16(displayformat::Quantity));
    m_table->setDisplayFormat(u"nc"_s, QString::fromUtf16(displayformat::Price));

    WorkTableModel model(m_table.get());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.columnCount(), m_table->columns().size());
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"cislodokla"_s);

    model.setColumns({{u"PARTIECELA"_s, u"Partie"_s}, {u"MNOZSTVI"_s, u"Množství"_s}, {u"NC"_s, {}},
                      {u"DATUM"_s, {}}, {u"chybi"_s, u"Chybí"_s}});
    QCOMPARE(model.columnCount(), 5);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Partie"_s);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), u"nc"_s);
    QCOMPARE(model.headerData(1, Qt::Horizontal, WorkTableModel::FieldNameRole).toString(), u"mnozstvi"_s);
    QCOMPARE(model.fieldColumn(u"Mnozstvi"_s), 1);
    QCOMPARE(model.fieldColumn(u"pc"_s), -1);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data().toString(), u"250000101"_s);
    QCOMPARE(model.index(0, 1).data().toString(), u"1 500,5"_s);
    QCOMPARE(model.index(0, 1).data(Qt::EditRole), QVariant(1500.5));
    QCOMPARE(model.index(0, 1).data(WorkTableModel::EditTextRole).toString(), u"1500,5"_s);
    QCOMPARE(model.index(0, 2).data().toString(), u"5,20"_s);
    QCOMPARE(model.index(0, 3).data().toString(), u"05.08.2026"_s);
    QCOMPARE(model.index(0, 3).data(Qt::EditRole), QVariant(QDate(2026, 8, 5)));
    QVERIFY(!model.index(0, 4).data().isValid());
    QVERIFY(!(model.flags(model.index(0, 4)) & Qt::ItemIsEditable));
    QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
}

void TestWorkTableModel::followsTableChanges()
{
    WorkTableModel model(m_table.get());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const int col = model.fieldColumn(u"partiecela"_s);

    // An appended record shows in the grid before it is posted, as in the header's edits.
    m_table->append();
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(model.rowCount(), 1);
    m_table->setString(u"partiecela"_s, u"A"_s);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(model.index(0, col).data().toString(), u"A"_s);
    m_table->post();
    QCOMPARE(model.rowCount(), 1);

    m_table->append();
    m_table->cancel();
    QCOMPARE(removed.size(), 1);
    QCOMPARE(model.rowCount(), 1);

    m_table->appendRecord({{u"partiecela"_s, u"B"_s}});
    m_table->appendRecord({{u"partiecela"_s, u"C"_s}});
    QCOMPARE(model.rowCount(), 3);
    QVERIFY(m_table->locate(u"partiecela"_s, u"B"_s));
    m_table->deleteRecord();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, col).data().toString(), u"C"_s);

    m_table->empty();
    QCOMPARE(model.rowCount(), 0);
    m_table->close();
    QCOMPARE(model.rowCount(), 0);
}

void TestWorkTableModel::editsWriteThrough()
{
    m_table->appendRecord({{u"partiecela"_s, u"A"_s}, {u"mnozstvi"_s, 1}});
    m_table->appendRecord({{u"partiecela"_s, u"B"_s}, {u"mnozstvi"_s, 2}});
    WorkTableModel model(m_table.get());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy current(&model, &WorkTableModel::currentRowChanged);

    QVERIFY(model.setData(model.index(0, model.fieldColumn(u"mnozstvi"_s)), u"12,75"_s));
    QVERIFY(model.setData(model.index(1, model.fieldColumn(u"datum"_s)), QDate(2026, 9, 9)));
    QCOMPARE(m_table->state(), WorkTable::State::Browse);
    QVERIFY(!current.isEmpty());
    QCOMPARE(m_table->recNo(), 1);

    m_table->close();
    m_table->open();
    m_table->first();
    QCOMPARE(m_table->asFloat(u"mnozstvi"_s), 12.75);
    m_table->next();
    QCOMPARE(m_table->asDate(u"datum"_s), QDate(2026, 9, 9));
}

void TestWorkTableModel::editOfRowBeingEditedStaysInBuffer()
{
    m_table->append();
    m_table->setInteger(u"lomeni"_s, 0);
    WorkTableModel model(m_table.get());
    QVERIFY(model.setData(model.index(0, model.fieldColumn(u"popis"_s)), u"Směs pro nosnice"_s));
    // The header row of a new document stays in insert state until its set-up posts it.
    QCOMPARE(m_table->state(), WorkTable::State::Insert);
    QCOMPARE(m_table->asString(u"popis"_s), u"Směs pro nosnice"_s);
    m_table->post();
    m_table->close();
    m_table->open();
    QCOMPARE(m_table->asString(u"popis"_s), u"Směs pro nosnice"_s);
}

void TestWorkTableModel::wrongInputIsReported()
{
    m_table->appendRecord({{u"mnozstvi"_s, 5}});
    WorkTableModel model(m_table.get());
    testsupport::MessageRecorder recorder;
    QVERIFY(!model.setData(model.index(0, model.fieldColumn(u"mnozstvi"_s)), u"pět"_s));
    QCOMPARE(recorder.shown.size(), 1);
    QVERIFY2(recorder.last().contains(u"není číslo"_s), qPrintable(recorder.last()));
    QCOMPARE(m_table->state(), WorkTable::State::Browse);
    QCOMPARE(m_table->asFloat(u"mnozstvi"_s), 5.0);
}

void TestWorkTableModel::readOnlyColumns()
{
    m_table->appendRecord({{u"partiecela"_s, u"A"_s}});
    WorkTableModel model(m_table.get());
    model.setColumns({{u"partiecela"_s, u"Partie"_s, true}, {u"popis"_s, {}, false}});
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(!model.setData(model.index(0, 0), u"B"_s));
    QCOMPARE(m_table->asString(u"partiecela"_s), u"A"_s);
    model.setReadOnly(true);
    QVERIFY(!model.setData(model.index(0, 1), u"x"_s));
    QCOMPARE(m_table->asString(u"popis"_s), QString());
}

void TestWorkTableModel::recreatedTableResetsModel()
{
    WorkTableModel model(m_table.get());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    m_table->appendRecord({{u"partiecela"_s, u"A"_s}});
    const QList<Column> two = m_conn->query(u"select partiecela, lomeni from pelmixi limit 0,1"_s).columns();
    m_table->create(two);
    m_table->open();
    QVERIFY(resets.size() >= 2);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestWorkTableModel)
#include "tst_worktablemodel.moc"
