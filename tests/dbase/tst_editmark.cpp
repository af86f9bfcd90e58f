// The mark of a document being edited in the working tables: what it keeps, values that could
// break its lines, marks that are not whole, and the time of the working copy's last change.
#include "editmark.h"
#include "worktable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestEditMark : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void damagedMarks_data();
    void damagedMarks();
    void lastChangeFollowsTheTables();
};

void TestEditMark::roundTrip_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("batch");
    QTest::addColumn<QString>("stredisko");
    QTest::newRow("new document") << u"N"_s << QString() << QString() << u"101"_s;
    QTest::newRow("correction") << u"O"_s << u"2601010003"_s << u"552600003"_s << u"101"_s;
    // Line breaks, "=" and other characters must not add lines or keys.
    QTest::newRow("hostile values") << u"O"_s << u"26\r\nmode=N"_s << u"ř=Ž%0A\n"_s << u"1'2"_s;
}

void TestEditMark::roundTrip()
{
    QFETCH(QString, mode);
    QFETCH(QString, number);
    QFETCH(QString, batch);
    QFETCH(QString, stredisko);
    QTemporaryDir dir;
    QVERIFY(!editmark::read(dir.path()));
    editmark::Mark m;
    m.mode = mode;
    m.documentNumber = number;
    m.loadedPartiecela = batch;
    m.loadedLomeni = 3;
    m.confirmed = true;
    m.stredisko = stredisko;
    m.opened = QDateTime(QDate(2026, 12, 11), QTime(9, 5, 3));
    editmark::write(dir.path(), m);
    const std::optional<editmark::Mark> back = editmark::read(dir.path());
    QVERIFY(back);
    QCOMPARE(back->mode, mode);
    QCOMPARE(back->documentNumber, number);
    QCOMPARE(back->loadedPartiecela, batch);
    QCOMPARE(back->loadedLomeni, 3);
    QVERIFY(back->confirmed);
    QCOMPARE(back->stredisko, stredisko);
    QCOMPARE(back->opened, m.opened);
    editmark::remove(dir.path());
    QVERIFY(!editmark::read(dir.path()));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestEditMark::damagedMarks_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("unknown mode") << QByteArray("mode=X\ncislodokla=1\n") << false;
    QTest::newRow("correction without number") << QByteArray("mode=O\ncislodokla=\n") << false;
    QTest::newRow("cut after the mode") << QByteArray("mode=N\n") << true;
    QTest::newRow("binary") << QByteArray("\x00\xff=\x01", 4) << false;
}

void TestEditMark::damagedMarks()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, valid);
    QTemporaryDir dir;
    QFile f(dir.path() + u"/"_s + QString::fromUtf16(editmark::MarkFileName));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QCOMPARE(editmark::read(dir.path()).has_value(), valid);
}

void TestEditMark::lastChangeFollowsTheTables()
{
    QTemporaryDir dir;
    QVERIFY(!editmark::lastChange(dir.path()).isValid());
    const QList<Column> columns{Column{u"partie"_s, FieldKind::Text, 16, 0, 0}};
    WorkTable lines(u"pelmixi"_s);
    lines.setDirectory(dir.path());
    lines.create(columns);
    lines.open();
    const QDateTime created = editmark::lastChange(dir.path());
    QVERIFY(created.isValid());
    // A record posted later moves the time on (file times have a resolution of a few ms at worst).
    QTest::qWait(1100);
    lines.appendRecord({{u"partie"_s, u"250000101"_s}});
    QVERIFY(editmark::lastChange(dir.path()) > created);
    lines.close();
}

QTEST_GUILESS_MAIN(TestEditMark)
#include "tst_editmark.moc"
