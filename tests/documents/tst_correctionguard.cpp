// The guards of a correction: posting dates as the server returns them (NULL, the zero date and
// the thresholds), and the later use of the mix batch under each KS_JAKNC rule.
#include "connection.h"
#include "correctionguard.h"
#include "testsupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace correctionguard;

namespace {

const QString Db = u"t_documents_correctionguard"_s;

// A movement of the mix batch: doklad, cislodokla, datumzauct ("" = NULL), nc (< 0 = NULL).
struct Move {
    QString doklad;
    QString cislodokla;
    QString datumzauct;
    double nc;
};

} // namespace

Q_DECLARE_METATYPE(Move)

namespace {

ResultSet history(const QList<Move> &moves)
{
    QList<Column> columns;
    for (const auto &[name, kind] : {std::pair{u"doklad"_s, FieldKind::Text}, {u"cislodokla"_s, FieldKind::Text},
                                     {u"datumzauct"_s, FieldKind::Date}, {u"nc"_s, FieldKind::Float}}) {
        Column c;
        c.name = name;
        c.kind = kind;
        columns << c;
    }
    QList<QVariantList> rows;
    for (const Move &m : moves) {
        rows << QVariantList{m.doklad, m.cislodokla,
                             m.datumzauct.isEmpty() ? QVariant() : QVariant(QDate::fromString(m.datumzauct, Qt::ISODate)),
                             m.nc < 0 ? QVariant() : QVariant(m.nc)};
    }
    return ResultSet(columns, rows);
}

const QString Shipped = u"Nelze opravit! Partie byla již expedována\nna dokladu "_s;
const QString ShippedPosted = u"Nelze opravit! Partie byla již expedována\na zaúčtována na dokladu "_s;
const QString Processed = u"Nelze opravit! Partie byla již potvrzena\na zpracována na dokladu "_s;

} // namespace

class TestCorrectionGuard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void postingState_data();
    void postingState();
    void laterUseOfTheBatch_data();
    void laterUseOfTheBatch();
    void refusalMessagesUseZpetAndStop();

private:
    std::unique_ptr<Connection> m_conn;
};

void TestCorrectionGuard::initTestCase()
{
    testsupport::createDatabase(Db);
    m_conn = std::make_unique<Connection>(testsupport::serverParams(Db));
    m_conn->execute(u"set @@session.sql_mode=\"\""_s);
}

void TestCorrectionGuard::cleanupTestCase()
{
    m_conn.reset();
    testsupport::dropDatabase(Db);
}

void TestCorrectionGuard::postingState_data()
{
    QTest::addColumn<QString>("stored"); // the SQL value of the mix row's datumzauct
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    const int none = -1;
    QTest::newRow("NULL") << u"NULL"_s << 0 << QString() << none;
    QTest::newRow("zero date") << u"'0000-00-00'"_s << 0 << QString() << none;
    QTest::newRow("before 1900") << u"'1899-12-30'"_s << 0 << QString() << none;
    QTest::newRow("exactly 1900-01-01") << u"'1900-01-01'"_s << 0 << QString() << none;
    QTest::newRow("1900-01-02") << u"'1900-01-02'"_s << 9 << u"Nelze opravit! Doklad je právě účtován!"_s
                                << int(MessageIcon::Information);
    QTest::newRow("exactly 2002-11-11") << u"'2002-11-11'"_s << 9 << u"Nelze opravit! Doklad je právě účtován!"_s
                                        << int(MessageIcon::Information);
    QTest::newRow("2002-11-12") << u"'2002-11-12'"_s << 9 << u"Nelze opravit! Doklad je již zaúčtován."_s
                                << int(MessageIcon::Stop);
    QTest::newRow("posted 2026") << u"'2026-08-31'"_s << 9 << u"Nelze opravit! Doklad je již zaúčtován."_s
                                 << int(MessageIcon::Stop);
}

void TestCorrectionGuard::postingState()
{
    QFETCH(QString, stored);
    QFETCH(int, state);
    QFETCH(QString, message);
    QFETCH(int, icon);
    m_conn->execute(u"delete from pelmixi"_s);
    m_conn->execute(u"insert into pelmixi (cislodokla, smes, datumzauct) values ('2601010001', '1', "_s + stored + u")"_s);
    const QVariant datumzauct =
        m_conn->query(u"select * from pelmixi where smes = \"1\" AND cislodokla = '2601010001'"_s).value(0, u"datumzauct"_s);

    const Outcome o = postingGuard(datumzauct);
    QCOMPARE(o.state, state);
    QCOMPARE(o.saveEnabled(), state == 0);
    if (message.isEmpty()) {
        QVERIFY(o.messages.isEmpty());
    } else {
        QCOMPARE(o.messages.size(), 1);
        QCOMPARE(o.messages.at(0).text, message);
        QCOMPARE(o.messages.at(0).firstButton, u"OK"_s);
        QCOMPARE(int(o.messages.at(0).icon), icon);
    }
}

void TestCorrectionGuard::laterUseOfTheBatch_data()
{
    QTest::addColumn<int>("ksJaknc");
    QTest::addColumn<bool>("posted"); // the document itself is posted
    QTest::addColumn<double>("mixNc");
    QTest::addColumn<QList<Move>>("moves");
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("messages");

    const Move dlOpen{u"DL"_s, u"2601010001"_s, {}, -1};
    const Move vnPosted{u"VN"_s, u"2601010002"_s, u"2026-10-31"_s, -1};
    const Move pvPosted{u"PV"_s, u"2601010003"_s, u"2026-10-31"_s, 6};

    QTest::newRow("0: no movements") << 0 << false << 0.0 << QList<Move>{} << 0 << QStringList{};
    QTest::newRow("0: an unposted delivery note refuses")
        << 0 << false << 0.0 << QList<Move>{dlOpen} << 9 << QStringList{Shipped + u"DL 2601010001"_s};
    QTest::newRow("0: only the first row is reported")
        << 0 << false << 0.0 << QList<Move>{vnPosted, dlOpen} << 9 << QStringList{Shipped + u"VN 2601010002"_s};
    QTest::newRow("0: a posted document shows it too")
        << 0 << true << 0.0 << QList<Move>{dlOpen} << 9 << QStringList{Shipped + u"DL 2601010001"_s};

    QTest::newRow("1: no movements") << 1 << false << 5.0 << QList<Move>{} << 0 << QStringList{};
    QTest::newRow("1: an unposted later document locks the batch code")
        << 1 << false << 0.0 << QList<Move>{dlOpen} << 1 << QStringList{};
    QTest::newRow("1: posted on 1988-12-12 is not yet posted")
        << 1 << false << 0.0 << QList<Move>{{u"DL"_s, u"2601010001"_s, u"1988-12-12"_s, -1}} << 1 << QStringList{};
    QTest::newRow("1: posted on 1988-12-13 refuses")
        << 1 << false << 0.0 << QList<Move>{{u"DL"_s, u"2601010001"_s, u"1988-12-13"_s, -1}} << 9
        << QStringList{ShippedPosted + u"DL 2601010001"_s};
    QTest::newRow("1: the scan ends after the refusing row")
        << 1 << false << 0.0 << QList<Move>{dlOpen, vnPosted, pvPosted} << 9
        << QStringList{ShippedPosted + u"VN 2601010002"_s};
    QTest::newRow("1: a posted document stays refused")
        << 1 << true << 0.0 << QList<Move>{dlOpen} << 9 << QStringList{};

    for (const QString &type : {u"KA"_s, u"SM"_s, u"KS"_s}) {
        const Move priced{type, u"2601010004"_s, {}, 3};
        QTest::addRow("1: confirmed mix, priced %s refuses", qPrintable(type))
            << 1 << false << 5.0 << QList<Move>{priced} << 9 << QStringList{Processed + type + u" 2601010004"_s};
        QTest::addRow("1: unconfirmed mix, priced %s locks only", qPrintable(type))
            << 1 << false << 0.0 << QList<Move>{priced} << 1 << QStringList{};
        QTest::addRow("1: confirmed mix, unpriced %s locks only", qPrintable(type))
            << 1 << false << 5.0 << QList<Move>{{type, u"2601010004"_s, {}, 0}} << 1 << QStringList{};
        QTest::addRow("1: confirmed mix, %s without price locks only", qPrintable(type))
            << 1 << false << 5.0 << QList<Move>{{type, u"2601010004"_s, {}, -1}} << 1 << QStringList{};
    }
    for (const QString &type : {u"PV"_s, u"DL"_s, u"VN"_s, u"VP"_s}) {
        QTest::addRow("1: confirmed mix, priced %s never refuses by price", qPrintable(type))
            << 1 << false << 5.0 << QList<Move>{{type, u"2601010005"_s, {}, 8}} << 1 << QStringList{};
    }
    QTest::newRow("1: one row with both messages")
        << 1 << false << 5.0 << QList<Move>{{u"SM"_s, u"2601010006"_s, u"2026-10-31"_s, 9.5}, dlOpen} << 9
        << QStringList{ShippedPosted + u"SM 2601010006"_s, Processed + u"SM 2601010006"_s};

    QTest::newRow("2: a moved batch keeps its card") << 2 << false << 5.0 << QList<Move>{vnPosted, pvPosted} << 1
                                                     << QStringList{};
    QTest::newRow("2: no movements") << 2 << false << 5.0 << QList<Move>{} << 0 << QStringList{};
    QTest::newRow("-1: a moved batch keeps its card") << -1 << false << 0.0 << QList<Move>{dlOpen} << 1
                                                      << QStringList{};
    QTest::newRow("2: a posted document stays refused") << 2 << true << 0.0 << QList<Move>{dlOpen} << 9
                                                        << QStringList{};
}

void TestCorrectionGuard::laterUseOfTheBatch()
{
    QFETCH(int, ksJaknc);
    QFETCH(bool, posted);
    QFETCH(double, mixNc);
    QFETCH(QList<Move>, moves);
    QFETCH(int, state);
    QFETCH(QStringList, messages);

    const QVariant datumzauct = posted ? QVariant(QDate(2026, 8, 31)) : QVariant();
    const Outcome o = evaluate(datumzauct, mixNc, ksJaknc, history(moves));
    QCOMPARE(o.state, state);
    QStringList shown;
    for (const Message &m : o.messages)
        shown << m.text;
    if (posted)
        QCOMPARE(shown.takeFirst(), u"Nelze opravit! Doklad je již zaúčtován."_s);
    QCOMPARE(shown, messages);
    QCOMPARE(o.batchCodeReadOnly(), state == 1);
    QCOMPARE(o.saveEnabled(), state != 9);
}

void TestCorrectionGuard::refusalMessagesUseZpetAndStop()
{
    const Outcome o = evaluate(QVariant(), 5, 1, history({{u"KS"_s, u"2601010004"_s, u"2026-01-01"_s, 2}}));
    QCOMPARE(o.messages.size(), 2);
    for (const Message &m : o.messages) {
        QCOMPARE(m.buttons, 1);
        QCOMPARE(m.firstButton, u"Zpět"_s);
        QCOMPARE(int(m.icon), int(MessageIcon::Stop));
    }
}

QTEST_GUILESS_MAIN(TestCorrectionGuard)
#include "tst_correctionguard.moc"
