// The save script as text: value formats, the document statements, the mix card and whole
// scripts of a new document and of corrections, compared with the golden files beside this test.
#include "mixcard.h"
#include "numbering.h"
#include "savescript.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace posting;

namespace {

QString goldenPath(const QString &name)
{
    return testsupport::sourceDir() + u"/tests/documents/golden/"_s + name;
}

// Compares line by line so that a failure names the first differing line. With
// PELMIXI_WRITE_GOLDEN set the file is written instead (then reviewed by hand).
void compareWithGolden(const QStringList &script, const QString &name)
{
    const QString path = goldenPath(name);
    if (!qEnvironmentVariableIsEmpty("PELMIXI_WRITE_GOLDEN")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write((script.join(u'\n') + u'\n').toUtf8());
        return;
    }
    QFile in(path);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(path));
    QStringList expected = QString::fromUtf8(in.readAll()).split(u'\n');
    if (!expected.isEmpty() && expected.last().isEmpty())
        expected.removeLast();
    for (int i = 0; i < std::min(script.size(), expected.size()); ++i)
        QVERIFY2(script.at(i) == expected.at(i),
            qPrintable(u"line %1:\n got      %2\n expected %3"_s.arg(i + 1).arg(script.at(i), expected.at(i))));
    QCOMPARE(script.size(), expected.size());
}

WorkstationIdentity fixedIdentity()
{
    WorkstationIdentity id;
    id.ipAddress = u"10.0.0.7"_s;
    id.userName = u"jnovak"_s;
    id.computerName = u"MICHARNA1"_s;
    id.programTime = u"2026-01-02 03:04:05"_s;
    id.programVersion = u"1.0.0.1"_s;
    return id;
}

SaveContext fixedContext(const QString &stredisko)
{
    SaveContext ctx;
    ctx.stredisko = stredisko;
    ctx.cisloPC = u"07"_s;
    ctx.identity = fixedIdentity();
    ctx.now = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    ctx.ksJakNc = 1;
    ctx.confirmed = true;
    ctx.ksVyrobky = true;
    return ctx;
}

// A new document as the working tables hand it over: a batch line whose quantity is the text
// of a decimal-comma field, a second batch line as a number, and a costed work line.
Document newDocument(const QString &stredisko, const QDate &datum)
{
    Document doc;
    doc.mix = { { u"cislodokla"_s, QVariant() }, { u"stredisko"_s, stredisko }, { u"partie"_s, u"552600101"_s },
        { u"podnik"_s, u""_s }, { u"lomeni"_s, qlonglong(0) }, { u"partiecela"_s, u"552600101"_s },
        { u"nomenkla"_s, u"150001"_s }, { u"nazevosiva"_s, u"Krmná směs KS-1"_s }, { u"mj"_s, u"kg"_s },
        { u"mnozstvi"_s, 1000.0 }, { u"pr"_s, 100.0 }, { u"nc"_s, 5.28 }, { u"pc"_s, 7.9 }, { u"ulc"_s, u""_s },
        { u"smes"_s, u"1"_s }, { u"datum"_s, datum }, { u"druh"_s, u"KS"_s }, { u"odruda"_s, u""_s },
        { u"stupen"_s, u""_s }, { u"naz_dru"_s, u"Krmná směs"_s }, { u"naz_odru"_s, u""_s },
        { u"popis"_s, u"Směs pro O'Briena"_s }, { u"cinnost"_s, u"zemědělská výroba"_s }, { u"jazyk"_s, u"C"_s } };
    QVariantMap a { { u"partie"_s, u"250000101"_s }, { u"podnik"_s, u"0441"_s }, { u"lomeni"_s, 0.0 },
        { u"partiecela"_s, u"250000101-0441"_s }, { u"nomenkla"_s, u"111001"_s },
        { u"nazevosiva"_s, u"Pšenice krmná"_s }, { u"mnozstvi"_s, u"12,5"_s }, { u"mj"_s, u"kg"_s },
        { u"pc"_s, QVariant() }, { u"nc"_s, 5.2 }, { u"pr"_s, 1.25 }, { u"ulc"_s, u"L25-0811"_s }, { u"smes"_s, u""_s },
        { u"datum"_s, QVariant() }, { u"stredisko"_s, QVariant() }, { u"jazyk"_s, QVariant() }, { u"druh"_s, u"PS"_s },
        { u"odruda"_s, u"BOH"_s }, { u"stupen"_s, u"C1"_s }, { u"naz_dru"_s, u"pšenice ozimá"_s },
        { u"naz_odru"_s, u"Bohemia"_s } };
    QVariantMap b = a;
    b[u"partie"_s] = u"250000103"_s;
    b[u"partiecela"_s] = u"250000103-0441"_s;
    b[u"lomeni"_s] = qlonglong(1);
    b[u"mnozstvi"_s] = 987.5;
    b[u"pr"_s] = 98.75;
    b[u"nc"_s] = 5.0;
    b[u"pc"_s] = 0.0;
    b[u"smes"_s] = u"0"_s;
    QVariantMap work { { u"partie"_s, u"P01"_s }, { u"podnik"_s, u""_s }, { u"lomeni"_s, qlonglong(0) },
        { u"partiecela"_s, u"P01"_s }, { u"nomenkla"_s, u"900001"_s }, { u"nazevosiva"_s, u"Míchání"_s },
        { u"mnozstvi"_s, 1000.0 }, { u"mj"_s, u"kg"_s }, { u"nc"_s, 0.4 }, { u"pr"_s, 0.0 }, { u"smes"_s, u"0"_s } };
    doc.lines = { a, b, work };
    return doc;
}

// The stored copy of a document as the opening copies it from the database.
Document correction()
{
    Document doc = newDocument(u"12"_s, QDate(2024, 9, 30));
    doc.mix[u"cislodokla"_s] = u"2024120007"_s;
    doc.mix[u"rokd"_s] = u"2024"_s;
    doc.mix[u"mnozstvi"_s] = 1100.0;
    QVariantMap storedMix = doc.mix;
    storedMix[u"mnozstvi"_s] = 1000.0;
    storedMix[u"id"_s] = qlonglong(41);
    QVariantMap storedLine = doc.lines.at(0);
    storedLine[u"cislodokla"_s] = u"2024120007"_s;
    storedLine[u"stredisko"_s] = u"12"_s;
    storedLine[u"mnozstvi"_s] = 300.0;
    storedLine[u"lomeni"_s] = qlonglong(0);
    storedLine[u"smes"_s] = u"0"_s;
    storedLine[u"id"_s] = qlonglong(39);
    QVariantMap storedWork = doc.lines.at(2);
    storedWork[u"stredisko"_s] = u"12"_s;
    storedWork[u"id"_s] = qlonglong(40);
    doc.stored = { storedLine, storedWork, storedMix };
    return doc;
}

} // namespace

class TestSaveScript : public QObject {
    Q_OBJECT

private slots:
    void numberFormats_data();
    void numberFormats();
    void smesAndLomeni();
    void editTexts_data();
    void editTexts();
    void documentAsSavedCopiesHeader();
    void historyLineIsOneStatement();
    void newDocumentScripts_data();
    void newDocumentScripts();
    void correctionScripts_data();
    void correctionScripts();
    void packagingZeroOnInsertAndUpdate();
};

void TestSaveScript::numberFormats_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("point");
    QTest::newRow("decimal comma text") << QVariant(u"12,5"_s) << u"012.5"_s << u"12.5"_s;
    QTest::newRow("double") << QVariant(12.5) << u"012.5"_s << u"12.5"_s;
    QTest::newRow("zero") << QVariant(0.0) << u"00"_s << u"0"_s;
    QTest::newRow("empty text") << QVariant(u""_s) << u"0"_s << u"0"_s;
    QTest::newRow("null") << QVariant() << u"0"_s << u"0"_s;
    QTest::newRow("whole") << QVariant(qlonglong(1200)) << u"01200"_s << u"1200"_s;
    QTest::newRow("no grouping") << QVariant(1234567.891) << u"01234567.891"_s << u"1234567.891"_s;
    QTest::newRow("tiny price") << QVariant(0.0001) << u"00.0001"_s << u"0.0001"_s;
}

void TestSaveScript::numberFormats()
{
    QFETCH(QVariant, value);
    QFETCH(QString, saved);
    QFETCH(QString, point);
    QCOMPARE(savedNumber(value), saved);
    QCOMPARE(pointNumber(value), point);
}

void TestSaveScript::smesAndLomeni()
{
    QCOMPARE(smesValue(u"1"_s, true), u"01"_s);
    QCOMPARE(smesValue(u""_s, false), u"0"_s);
    QCOMPARE(smesValue(QVariant(), false), u"0"_s);
    QCOMPARE(smesValue(u"0"_s, false), u"00"_s);
    QCOMPARE(smesValue(qlonglong(2), false), u"02"_s);
    // A line never becomes a second mix row, and no text can break the statement.
    QCOMPARE(smesValue(u"1"_s, false), u"00"_s);
    QCOMPARE(smesValue(u"x'"_s, false), u"00"_s);

    QVERIFY(isMixRow({ { u"smes"_s, u"1"_s } }));
    QVERIFY(isMixRow({ { u"smes"_s, qlonglong(1) } }));
    QVERIFY(!isMixRow({ { u"smes"_s, u""_s } }));
    QVERIFY(!isMixRow({ { u"smes"_s, QVariant() } }));
    QVERIFY(!isMixRow({ { u"smes"_s, u"0"_s } }));

    // lomeni: bare whole number in a stock movement, quoted text in the reversal.
    const QVariantMap line { { u"partiecela"_s, u"X'1"_s }, { u"lomeni"_s, 3.0 }, { u"stredisko"_s, u"012"_s },
        { u"mnozstvi"_s, u"2,25"_s } };
    QCOMPARE(stockMovement(line),
        (QStringList { u"update skarta"_s, u" set zustatek = zustatek - "_s, u"02.25"_s, u", smesi = smesi + "_s,
            u"02.25"_s, u" where partiecela = 'X''1'"_s, u" and lomeni = 3"_s, u" and stredisko = '012'"_s, u";"_s }));
    QCOMPARE(reversal({ line }, 0),
        (QStringList { u"update skarta"_s, u" set zustatek = zustatek + "_s, u"02.25"_s, u", smesi = smesi - "_s,
            u"02.25"_s, u" where partiecela = 'X''1'"_s, u" and lomeni = '3'"_s, u" and stredisko = '012'"_s,
            u";"_s }));
}

void TestSaveScript::editTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("number");
    QTest::newRow("zero") << 0.0 << 4 << u""_s << u"0"_s;
    QTest::newRow("whole weight") << 25.0 << 4 << u"25"_s << u"025"_s;
    QTest::newRow("fraction") << 0.18 << 4 << u"0,18"_s << u"00.18"_s;
    QTest::newRow("four places") << 1.23456 << 4 << u"1,2346"_s << u"01.2346"_s;
    QTest::newRow("count") << 48.0 << 0 << u"48"_s << u"048"_s;
    QTest::newRow("count zero") << 0.0 << 0 << u""_s << u"0"_s;
}

void TestSaveScript::editTexts()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QFETCH(QString, number);
    QCOMPARE(editText(value, decimals), text);
    QCOMPARE(editNumber(value, decimals), number);
}

void TestSaveScript::documentAsSavedCopiesHeader()
{
    SaveContext ctx = fixedContext(u"12"_s);
    const Document doc = newDocument(u"12"_s, QDate(2024, 9, 30));
    ctx.confirmed = false;
    ctx.ksJakNc = 1;
    Document saved = documentAsSaved(doc, ctx);
    QCOMPARE(saved.mix.value(u"nc"_s).toDouble(), 0.0);
    for (const QVariantMap &line : saved.lines) {
        QCOMPARE(line.value(u"stredisko"_s).toString(), u"12"_s);
        QCOMPARE(line.value(u"datum"_s).toDate(), QDate(2024, 9, 30));
        QCOMPARE(line.value(u"jazyk"_s).toString(), u"C"_s);
    }
    ctx.confirmed = true;
    QCOMPARE(documentAsSaved(doc, ctx).mix.value(u"nc"_s).toDouble(), 5.28);
    ctx.confirmed = false;
    ctx.ksJakNc = 0;
    QCOMPARE(documentAsSaved(doc, ctx).mix.value(u"nc"_s).toDouble(), 5.28);
}

void TestSaveScript::historyLineIsOneStatement()
{
    const QString line = historyLine(fixedContext(u"12"_s));
    QCOMPARE(line,
        u"insert into historied set modul = \"KR směsi\", pc = \"07\", stredisko = \"12\",datumcas = \"2026-03-04 "
        u"05:06:07\",ipadr = \"10.0.0.7\", computeruser = \"jnovak\", computername = \"MICHARNA1\",mdatumcas = "
        u"\"2026-01-02 03:04:05\", mverze=\"1.0.0.1\",doklad = \"KS\", cislodokla=@CiDo,misto=\"\","
        u"identifik=\"0707260304050607\";"_s);
}

void TestSaveScript::newDocumentScripts_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("stredisko");
    QTest::addColumn<QString>("ucetniRok");
    QTest::addColumn<QDate>("datum");
    QTest::addColumn<QString>("golden");
    QTest::newRow("mode 0, 12, year rule 1, 2015")
        << 0 << u"12"_s << u"1"_s << QDate(2015, 3, 1) << u"new_mode0_12_rok1_2015.sql"_s;
    QTest::newRow("mode 1, 012, year rule 2, 2024")
        << 1 << u"012"_s << u"2"_s << QDate(2024, 3, 1) << u"new_mode1_012_rok2_2024.sql"_s;
}

void TestSaveScript::newDocumentScripts()
{
    QFETCH(int, mode);
    QFETCH(QString, stredisko);
    QFETCH(QString, ucetniRok);
    QFETCH(QDate, datum);
    QFETCH(QString, golden);
    const SaveContext ctx = fixedContext(stredisko);
    QString error;
    const auto series = numbering::series(ucetniRok, mode, stredisko, datum, &error);
    QVERIFY2(series.has_value(), qPrintable(error));
    compareWithGolden(novyScript(newDocument(stredisko, datum), ctx, *series), golden);
}

void TestSaveScript::correctionScripts_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("ownProduct");
    QTest::addColumn<QString>("golden");
    QTest::newRow("state 0: card recreated") << 0 << true << u"correction_state0.sql"_s;
    QTest::newRow("state 1: card kept") << 1 << false << u"correction_state1.sql"_s;
}

void TestSaveScript::correctionScripts()
{
    QFETCH(int, state);
    QFETCH(bool, ownProduct);
    QFETCH(QString, golden);
    SaveContext ctx = fixedContext(u"12"_s);
    ctx.mode = u"O"_s;
    ctx.correctionState = state;
    ctx.ksVyrobky = ownProduct;
    ctx.loadedPartiecela = u"552600101"_s;
    ctx.packaging = Packaging { u"195025"_s, u"Pytel 25 kg"_s, 0.18, u"F00123456"_s, 25, 48, u"Návěsky 1–20"_s };
    compareWithGolden(opravaScript(correction(), ctx), golden);
}

void TestSaveScript::packagingZeroOnInsertAndUpdate()
{
    // A new document's page "Obal" is empty: zero is the edit's empty text behind a "0".
    SaveContext ctx = fixedContext(u"12"_s);
    ctx.ksVyrobky = false;
    const QVariantMap mix = newDocument(u"12"_s, QDate(2024, 9, 30)).mix;
    const QStringList insert = ZapisNovSkl(mix, ctx);
    const qsizetype values = insert.indexOf(u" values ("_s);
    QVERIFY(values > 0);
    QCOMPARE(insert.mid(values + 14),
        (QStringList { u"05.28,"_s, u"07.9,"_s, u"01000,"_s, u"'Směs pro O''Briena',"_s, u"' ',"_s, u"'',"_s, u"'',"_s,
            u"0,"_s, u"'',"_s, u"0,"_s, u"0,"_s, u"'',"_s, u"'2024-09-30',"_s, u"0)"_s, u";"_s }));
    ctx.mode = u"O"_s;
    ctx.correctionState = 1;
    const QStringList update = ZapisNovSkl(mix, ctx);
    QVERIFY(update.contains(u"VLAST_VYRO=' '"_s));
    QVERIFY(update.contains(u"POCETO1='',"_s));
    QVERIFY(update.contains(u"VAHAO1=0,"_s));
    QVERIFY(update.contains(u"VAHAOBALU=0,"_s));
    QVERIFY(update.contains(u"vahacelko1=0"_s));
}

QTEST_GUILESS_MAIN(TestSaveScript)
#include "tst_savescript.moc"
