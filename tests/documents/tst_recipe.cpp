// Recipe files: separators, columns, commercial name, the clear errors for unreadable lines, the
// code-list and price-list look-ups against the real server, and a bounded random-input run.
#include "connection.h"
#include "cp1250.h"
#include "recipe.h"
#include "testsupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace recipe;
using namespace Qt::StringLiterals;

namespace {

const QString Database = QStringLiteral("t_documents_recipe");

QString repeated(QChar c, int n)
{
    return QString(n, c);
}

QString dots(int n = 79)
{
    return repeated(QLatin1Char('.'), n);
}

QString dashes(int n = 79)
{
    return repeated(QChar(0x2014), n);
}

// A line in the recipe program's columns: code 1-6, name 8-31, percentage 33-39, quantity 50-59.
QString component(const QString &code, const QString &name, const QString &pr, const QString &qty)
{
    return code.leftJustified(6, QLatin1Char(' ')) + QLatin1Char(' ') + name.leftJustified(24, QLatin1Char(' ')) +
           QLatin1Char(' ') + pr.rightJustified(7, QLatin1Char(' ')) + QString(10, QLatin1Char(' ')) +
           qty.rightJustified(10, QLatin1Char(' '));
}

QStringList recipeLines(const QStringList &components, const QString &totals,
                        const QString &separator = dots())
{
    QStringList lines{QStringLiteral("Receptura"), separator, QStringLiteral("Kód    Název"), separator};
    lines += components;
    lines += separator;
    if (!totals.isEmpty())
        lines += totals;
    lines += separator;
    return lines;
}

QString recipeFile(const QString &name)
{
    return testsupport::sourceDir() + QStringLiteral("/tests/documents/recipes/") + name;
}

} // namespace

class TestRecipe : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void separator_data();
    void separator();
    void lineBreaks_data();
    void lineBreaks();
    void number_data();
    void number();

    void sections_data();
    void sections();
    void unreadableLine_data();
    void unreadableLine();
    void commercialName();

    void goldenFile();
    void lookups_data();
    void lookups();
    void valuesReachSqlQuoted();
    void unreadableFileKeepsEarlierLines();
    void missingFile();
    void undefinedByteNamesFileAndLine();
    void componentLimit_data();
    void componentLimit();
    void oneQueryPerTable();
    void cancelledImportTakesNothing();

    void randomInput();

private:
    std::unique_ptr<Connection> m_db;
};

void TestRecipe::initTestCase()
{
    testsupport::createDatabase(Database);
    m_db = std::make_unique<Connection>(testsupport::serverParams(Database));
    m_db->execute(QStringLiteral("insert into ksciselnik (kod, nomenkla) values ('A12', 'N-PSE'), ('B7', 'N-JEC'), "
                                 "('C3', 'N-SOJ'), ('X9', 'N-CHYBI'), ('Q''1', 'N-Q')"));
    m_db->execute(QStringLiteral("insert into cenik (NOMENKLA, NAZEVOSIVA, MJ, PC) values "
                                 "('N-PSE', 'Pšenice krmná', 'kg', 6.1), ('N-JEC', 'Ječmen krmný', 'kg', 5.6), "
                                 "('N-SOJ', 'Sójový šrot', 'kg', 13.2), ('N-Q', 'Kód s apostrofem', 'kg', 1)"));
}

void TestRecipe::cleanupTestCase()
{
    m_db.reset();
    testsupport::dropDatabase(Database);
}

void TestRecipe::separator_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("expected");
    QTest::newRow("79 full stops") << dots() << true;
    QTest::newRow("79 em dashes") << dashes() << true;
    QTest::newRow("78 full stops") << dots(78) << false;
    QTest::newRow("80 full stops") << dots(80) << false;
    QTest::newRow("78 em dashes") << dashes(78) << false;
    QTest::newRow("80 em dashes") << dashes(80) << false;
    QTest::newRow("79 hyphens") << repeated(QLatin1Char('-'), 79) << false;
    QTest::newRow("79 en dashes") << repeated(QChar(0x2013), 79) << false;
    QTest::newRow("dots and dashes") << dots(40) + dashes(39) << false;
    QTest::newRow("78 dots and a blank") << dots(78) + QLatin1Char(' ') << false;
    QTest::newRow("empty") << QString() << false;
}

void TestRecipe::separator()
{
    QFETCH(QString, line);
    QFETCH(bool, expected);
    QCOMPARE(isSeparator(line), expected);
}

void TestRecipe::lineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("LF") << QStringLiteral("a\nb") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone CR") << QStringLiteral("a\rb\r") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("empty lines kept") << QStringLiteral("a\r\n\r\nb\n\n") << QStringList{u"a"_s, u""_s, u"b"_s, u""_s};
    QTest::newRow("empty text") << QString() << QStringList{};
}

void TestRecipe::lineBreaks()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitLines(text), lines);
}

void TestRecipe::number_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("point") << QStringLiteral("  40.00") << true << 40.0;
    QTest::newRow("comma") << QStringLiteral("  35,50") << true << 35.5;
    QTest::newRow("right-aligned quantity") << QStringLiteral("   400.000") << true << 400.0;
    QTest::newRow("blanks on both sides") << QStringLiteral(" 12,5  ") << true << 12.5;
    QTest::newRow("negative") << QStringLiteral("-1.25") << true << -1.25;
    QTest::newRow("exponent") << QStringLiteral("1,5E2") << true << 150.0;
    QTest::newRow("fraction only") << QStringLiteral(",5") << true << 0.5;
    QTest::newRow("blank") << QStringLiteral("       ") << false << 0.0;
    QTest::newRow("letters") << QStringLiteral("  4O,00") << false << 0.0;
    QTest::newRow("two separators") << QStringLiteral("1.234,5") << false << 0.0;
    QTest::newRow("inner blank") << QStringLiteral("40 00") << false << 0.0;
    QTest::newRow("sign only") << QStringLiteral("-") << false << 0.0;
    QTest::newRow("overflow") << QStringLiteral("9E999") << false << 0.0;
}

void TestRecipe::number()
{
    QFETCH(QString, column);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> read = readNumber(column);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, value);
}

void TestRecipe::sections_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<int>("totalsItems");

    const QString a12 = component(u"A12"_s, u"Pšenice"_s, u"40.00"_s, u"400.000"_s);
    const QString b7 = component(u"B7"_s, u"Ječmen"_s, u"60,00"_s, u"600,000"_s);
    const QString total = component(QString(), u"Celkem"_s, u"100.00"_s, u"1000.000"_s);

    QTest::newRow("dots") << recipeLines({a12, b7}, total) << QStringList{u"A12"_s, u"B7"_s} << 1;
    QTest::newRow("em dashes") << recipeLines({a12, b7}, total, dashes()) << QStringList{u"A12"_s, u"B7"_s} << 1;
    {
        QStringList lines = recipeLines({a12}, total);
        lines.insert(lines.size() - 1, total);
        QTest::newRow("each totals line counts") << lines << QStringList{u"A12"_s} << 2;
    }
    // A separator of the wrong length is free text: the first real pair opens the components.
    for (const int length : {78, 80}) {
        const QStringList lines{QStringLiteral("Receptura"), dots(), QStringLiteral("Kód"), dots(length), a12, dots(), b7,
                                dots(), total, dots()};
        QTest::addRow("%d dots are no separator", length) << lines << QStringList{u"B7"_s} << 1;
    }
    QTest::newRow("one separator") << QStringList{u"Receptura"_s, dots(), a12, b7} << QStringList{} << 0;
    QTest::newRow("no separator") << QStringList{a12, b7, total} << QStringList{} << 0;
    {
        // After the 4th separator everything is free text again.
        QStringList lines = recipeLines({a12}, total);
        lines += QStringList{b7, dots(), b7, dots(), b7};
        QTest::newRow("after the 4th separator") << lines << QStringList{u"A12"_s} << 1;
    }
}

void TestRecipe::sections()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, codes);
    QFETCH(int, totalsItems);
    const ParsedRecipe parsed = parse(lines, u"r.txt"_s);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QStringList found;
    int totals = 0;
    for (const Item &item : parsed.items) {
        if (item.kind == ItemKind::Component)
            found += item.code;
        else if (item.kind == ItemKind::Totals)
            ++totals;
    }
    QCOMPARE(found, codes);
    QCOMPARE(totals, totalsItems);
}

void TestRecipe::unreadableLine_data()
{
    QTest::addColumn<QString>("badLine");
    QTest::addColumn<bool>("inTotals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("garbage") << QStringLiteral("%%% nic ###") << false
                             << QStringLiteral("Receptura r.txt, řádek 6: řádek má jen 11 znaků, množství se čte od 50. znaku.");
    QTest::newRow("blank line") << QString() << false
                                << QStringLiteral("Receptura r.txt, řádek 6: řádek má jen 0 znaků, množství se čte od 50. znaku.");
    QTest::newRow("percentage not a number")
        << component(u"B7"_s, u"Ječmen"_s, u"60,x0"_s, u"600"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: procento (znaky 33–39) není číslo: \"  60,x0\".");
    QTest::newRow("quantity not a number")
        << component(u"B7"_s, u"Ječmen"_s, u"60"_s, u"šest set"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: množství (znaky 50–59) není číslo: \"  šest set\".");
    QTest::newRow("quantity missing") << component(u"B7"_s, u"Ječmen"_s, u"60"_s, QString()).left(49) << false
                                      << QStringLiteral(
                                             "Receptura r.txt, řádek 6: řádek má jen 49 znaků, množství se čte od 50. znaku.");
    QTest::newRow("negative percentage")
        << component(u"B7"_s, u"Ječmen"_s, u"-40"_s, u"600"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: procento (znaky 33–39) musí být mezi 0 a 100: \"    -40\".");
    QTest::newRow("percentage 1e300")
        << component(u"B7"_s, u"Ječmen"_s, u"1e300"_s, u"600"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: procento (znaky 33–39) musí být mezi 0 a 100: \"  1e300\".");
    QTest::newRow("percentage over 100")
        << component(u"B7"_s, u"Ječmen"_s, u"100,5"_s, u"600"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: procento (znaky 33–39) musí být mezi 0 a 100: \"  100,5\".");
    QTest::newRow("negative quantity")
        << component(u"B7"_s, u"Ječmen"_s, u"60"_s, u"-600"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: množství (znaky 50–59) musí být mezi 0 a 9 999 999,99: \"      -600\".");
    QTest::newRow("quantity 1e300")
        << component(u"B7"_s, u"Ječmen"_s, u"60"_s, u"1e300"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: množství (znaky 50–59) musí být mezi 0 a 9 999 999,99: \"     1e300\".");
    QTest::newRow("quantity beyond the column")
        << component(u"B7"_s, u"Ječmen"_s, u"60"_s, u"1,5E7"_s) << false
        << QStringLiteral("Receptura r.txt, řádek 6: množství (znaky 50–59) musí být mezi 0 a 9 999 999,99: \"     1,5E7\".");
    QTest::newRow("negative totals")
        << component(QString(), u"Celkem"_s, u"100"_s, u"-1000"_s) << true
        << QStringLiteral("Receptura r.txt, řádek 7: množství (znaky 50–59) musí být mezi 0 a 9 999 999,99: \"     -1000\".");
    QTest::newRow("totals not a number")
        << component(QString(), u"Celkem"_s, u"sto"_s, u"1000"_s) << true
        << QStringLiteral("Receptura r.txt, řádek 7: procento (znaky 33–39) není číslo: \"    sto\".");
}

void TestRecipe::unreadableLine()
{
    QFETCH(QString, badLine);
    QFETCH(bool, inTotals);
    QFETCH(QString, expected);
    const QString a12 = component(u"A12"_s, u"Pšenice"_s, u"40.00"_s, u"400.000"_s);
    QStringList lines{u"Obchodní název: před chybou"_s, dots(), u"Kód"_s, dots(), a12};
    if (inTotals)
        lines += QStringList{dots(), badLine};
    else
        lines += QStringList{badLine, dots(), a12};
    lines += QStringList{dots(), u"Obchodní název: po chybě"_s};

    const ParsedRecipe parsed = parse(lines, u"r.txt"_s);
    QCOMPARE(parsed.error, expected);
    QCOMPARE(parsed.errorLine, inTotals ? 7 : 6);
    // What came before the line stays; nothing after it is read.
    QCOMPARE(parsed.items.size(), 2);
    QCOMPARE(parsed.items.at(0).kind, ItemKind::CommercialName);
    QCOMPARE(parsed.items.at(0).name, u" před chybou"_s);
    QCOMPARE(parsed.items.at(1).code, u"A12"_s);
}

void TestRecipe::commercialName()
{
    const QString a12 = component(u"A12"_s, u"Pšenice č.1. jakost"_s, u"40.00"_s, u"400.000"_s);
    QStringList lines = recipeLines({a12}, QString());
    lines.prepend(u"Obchodní název:První název, který je delší než dvacet čtyři znaky"_s);
    lines.insert(1, u"Obchodní název: Krátký"_s);
    lines.append(u"   Obchodní název: Směs N.1 poslední       ,,,"_s);
    const ParsedRecipe parsed = parse(lines, u"r.txt"_s);
    QVERIFY(parsed.error.isEmpty());
    QStringList names;
    for (const Item &item : parsed.items) {
        if (item.kind == ItemKind::CommercialName)
            names += item.name;
        else
            QCOMPARE(item.name, u"Pšenice č,1, jakost"_s.leftJustified(24)); // points become commas
    }
    QCOMPARE(names, (QStringList{u"První název, který je de"_s, u" Krátký"_s, u" Směs N.1 poslední      "_s}));
}

void TestRecipe::goldenFile()
{
    // The golden file is code page 1250 with CR LF, em-dash separators and a name containing "č.1".
    const Proposal p = importFile(*m_db, recipeFile(u"nosnice.txt"_s));
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.lines.size(), 3);
    const QVariantMap &first = p.lines.at(0);
    QCOMPARE(first.value(u"nomenkla"_s).toString(), u"N-PSE"_s);
    QCOMPARE(first.value(u"nazevosiva"_s).toString(), u"Pšenice ozimá č,1"_s.leftJustified(24));
    QCOMPARE(first.value(u"pr"_s).toDouble(), 40.0);
    QCOMPARE(first.value(u"mnozstvi"_s).toDouble(), 400.0);
    QCOMPARE(first.keys(), (QStringList{u"mnozstvi"_s, u"nazevosiva"_s, u"nomenkla"_s, u"pr"_s}));
    QCOMPARE(p.lines.at(1).value(u"nomenkla"_s).toString(), u"N-JEC"_s);
    QCOMPARE(p.lines.at(1).value(u"pr"_s).toDouble(), 35.5);
    QCOMPARE(p.lines.at(1).value(u"mnozstvi"_s).toDouble(), 355.0);
    QCOMPARE(p.lines.at(2).value(u"nomenkla"_s).toString(), u"N-SOJ"_s);
    QCOMPARE(p.lines.at(2).value(u"mnozstvi"_s).toDouble(), 245.0);
    QCOMPARE(p.header.value(u"pr"_s).toDouble(), 100.0);
    QCOMPARE(p.header.value(u"mnozstvi"_s).toDouble(), 1000.0);
    // The last commercial-name line wins: 24 characters from right after the colon.
    QCOMPARE(p.header.value(u"nazevosiva"_s).toString(), u" KS nosnice N1 – jaro   "_s);
}

void TestRecipe::lookups_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("linesKept");
    QTest::newRow("known") << u"C3"_s << QString() << 4;
    QTest::newRow("unknown code") << u"Z99"_s << u"Nenalezen kod Z99 v číselníku!"_s << 2;
    QTest::newRow("code differs in case") << u"a12"_s << u"Nenalezen kod a12 v číselníku!"_s << 2;
    QTest::newRow("empty code") << QString() << u"Nenalezen kod  v číselníku!"_s << 2;
    QTest::newRow("nomenclature not priced") << u"X9"_s << u"Nenalezena nomenklatura N-CHYBI v ceníku!"_s << 2;
}

void TestRecipe::lookups()
{
    QFETCH(QString, code);
    QFETCH(QString, error);
    QFETCH(int, linesKept);
    const QStringList lines = recipeLines({component(u"A12"_s, u"Pšenice"_s, u"40"_s, u"400"_s),
                                           component(u"B7"_s, u"Ječmen"_s, u"30"_s, u"300"_s),
                                           component(code, u"Třetí"_s, u"30"_s, u"300"_s),
                                           component(u"A12"_s, u"Pšenice"_s, u"0"_s, u"0"_s)},
                                          component(QString(), u"Celkem"_s, u"100"_s, u"1000"_s)) +
                              QStringList{u"Obchodní název: Směs"_s};
    const Proposal p = propose(*m_db, parse(lines, u"r.txt"_s));
    QCOMPARE(p.error, error);
    QVERIFY(!p.databaseError);
    QCOMPARE(p.lines.size(), linesKept);
    QCOMPARE(p.lines.at(0).value(u"nomenkla"_s).toString(), u"N-PSE"_s);
    QCOMPARE(p.lines.at(1).value(u"nomenkla"_s).toString(), u"N-JEC"_s);
    // The totals and the name stand after the failing line and are not taken over then.
    QCOMPARE(p.header.contains(u"mnozstvi"_s), error.isEmpty());
    QCOMPARE(p.header.contains(u"nazevosiva"_s), error.isEmpty());
}

void TestRecipe::valuesReachSqlQuoted()
{
    // Codes from a file travel only inside quoted literals: quotes and backslashes find nothing
    // (or exactly their own row) and never break the statement.
    const QStringList codes{u"Q'1"_s, u"A' OR '1'='1"_s, u"\\'"_s, u"A12\\"_s, u"x';--"_s};
    for (const QString &code : codes) {
        const std::optional<QString> n = nomenclatureForCode(*m_db, code);
        if (code == u"Q'1"_s)
            QCOMPARE(n.value_or(QString()), u"N-Q"_s);
        else
            QVERIFY2(!n, qPrintable(code));
    }
    QVERIFY(!priceListItem(*m_db, u"N-PSE' OR ''='"_s));
    const std::optional<QVariantMap> item = priceListItem(*m_db, u"N-PSE"_s);
    QVERIFY(item);
    QCOMPARE(item->value(u"nazevosiva"_s).toString(), u"Pšenice krmná"_s);
    QCOMPARE(item->value(u"mj"_s).toString(), u"kg"_s);
}

void TestRecipe::unreadableFileKeepsEarlierLines()
{
    const Proposal p = importFile(*m_db, recipeFile(u"chybne_cislo.TXT"_s));
    QCOMPARE(p.error, u"Receptura chybne_cislo.TXT, řádek 7: procento (znaky 33–39) není číslo: \"  35,x0\"."_s);
    QVERIFY(!p.databaseError);
    QCOMPARE(p.lines.size(), 1);
    QCOMPARE(p.lines.at(0).value(u"nomenkla"_s).toString(), u"N-PSE"_s);
    // The name before the error was set; the totals after it were not.
    QCOMPARE(p.header.value(u"nazevosiva"_s).toString(), u" Směs N1 předběžná      "_s);
    QVERIFY(!p.header.contains(u"pr"_s));
}

void TestRecipe::missingFile()
{
    const Proposal p = importFile(*m_db, recipeFile(u"neni.txt"_s));
    QVERIFY(p.error.startsWith(u"Recepturu neni.txt nelze přečíst"_s));
    QVERIFY(p.lines.isEmpty());
    QVERIFY(p.header.isEmpty());
}

void TestRecipe::undefinedByteNamesFileAndLine()
{
    // Byte 0x98 is undefined in code page 1250 (another editor's UTF-8 or a damaged file).
    QTemporaryDir dir;
    const QString path = dir.filePath(u"vadna.txt"_s);
    QStringList lines = recipeLines({component(u"A12"_s, u"Pšenice"_s, u"40"_s, u"400"_s),
                                     component(u"B7"_s, u"JecXmen"_s, u"60"_s, u"600"_s)},
                                    component(QString(), u"Celkem"_s, u"100"_s, u"1000"_s));
    QByteArray bytes = cp1250::encode(lines.join(u"\r\n"_s) + u"\r\n"_s);
    const qsizetype at = bytes.indexOf("JecXmen");
    QVERIFY(at > 0);
    bytes[at + 3] = char(0x98);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const Proposal p = importFile(*m_db, path);
    QCOMPARE(p.error, u"Receptura vadna.txt, řádek 6: znak na 11. pozici není znakem kódování cp1250 "
                      u"(soubor byl zřejmě uložen v jiném kódování)."_s);
    QVERIFY(!p.databaseError);
    QCOMPARE(p.lines.size(), 1); // the line before it stays
}

void TestRecipe::componentLimit_data()
{
    QTest::addColumn<int>("components");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("at the limit") << MaxComponents << true;
    QTest::newRow("one over") << MaxComponents + 1 << false;
    QTest::newRow("300 000 lines") << 300000 << false;
}

void TestRecipe::componentLimit()
{
    QFETCH(int, components);
    QFETCH(bool, accepted);
    const QString a12 = component(u"A12"_s, u"Pšenice"_s, u"0,01"_s, u"0,1"_s);
    QStringList list;
    list.reserve(components);
    for (int i = 0; i < components; ++i)
        list << a12;
    const ParsedRecipe parsed = parse(recipeLines(list, component(QString(), u"Celkem"_s, u"100"_s, u"1000"_s)),
                                      u"velka.txt"_s);
    if (accepted) {
        QVERIFY(parsed.error.isEmpty());
        QCOMPARE(parsed.items.size(), components + 1);
    } else {
        QCOMPARE(parsed.error, u"Receptura velka.txt má víc než 10 000 řádků složek (řádek 10005). Tak velký "
                               u"soubor nelze převzít."_s);
        QVERIFY(parsed.items.isEmpty()); // nothing of such a file is taken over
    }
}

void TestRecipe::oneQueryPerTable()
{
    // 10 000 components of three codes: the server is asked twice, not 20 000 times.
    QStringList list;
    for (int i = 0; i < MaxComponents; ++i)
        list << component(i % 3 == 0 ? u"A12"_s : i % 3 == 1 ? u"B7"_s : u"C3"_s, u"Složka"_s, u"0,01"_s, u"0,1"_s);
    const ParsedRecipe parsed = parse(recipeLines(list, QString()), u"r.txt"_s);
    QVERIFY(parsed.error.isEmpty());
    Connection c(testsupport::serverParams(Database));
    const auto selects = [&c] {
        return c.query(u"show session status like 'Com_select'"_s).value(0, 1).toLongLong();
    };
    // Whatever reading the counter itself adds is measured first.
    const qlonglong first = selects();
    const qlonglong before = selects();
    const qlonglong own = before - first;
    int calls = 0;
    const Proposal p = propose(c, parsed, [&calls](int, int) {
        ++calls;
        return true;
    });
    QCOMPARE(selects() - before - own, 2);
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.lines.size(), MaxComponents);
    QCOMPARE(p.lines.at(1).value(u"nomenkla"_s).toString(), u"N-JEC"_s);
    QVERIFY(calls > 2);
}

void TestRecipe::cancelledImportTakesNothing()
{
    QStringList list;
    for (int i = 0; i < 2000; ++i)
        list << component(u"A12"_s, u"Pšenice"_s, u"0,01"_s, u"0,1"_s);
    const ParsedRecipe parsed = parse(recipeLines(list, component(QString(), u"Celkem"_s, u"100"_s, u"1000"_s)),
                                      u"r.txt"_s);
    int lastDone = -1;
    const Proposal p = propose(*m_db, parsed, [&lastDone](int done, int) {
        lastDone = done;
        return done < 1000; // the operator presses "Přerušit" half-way
    });
    QVERIFY(p.cancelled);
    QVERIFY(p.lines.isEmpty());
    QVERIFY(p.header.isEmpty());
    QVERIFY(p.error.isEmpty());
    QCOMPARE(lastDone, 1000);
}

void TestRecipe::randomInput()
{
    // Random lines made of the pieces a recipe file is built from, plus raw bytes of every value.
    const QStringList pieces{dots(), dashes(), dots(78), dots(80), dashes(80), u"Obchodní název:"_s,
                             component(u"A12"_s, u"Pšenice"_s, u"40.00"_s, u"400.000"_s),
                             component(u"B7"_s, u"x"_s, u"1,5E3"_s, u"-,5"_s), u"."_s, u","_s, u"E"_s,
                             u" "_s, u"9"_s, u"č.1"_s};
    QRandomGenerator random(20240611);
    for (int round = 0; round < 3000; ++round) {
        QStringList lines;
        const int count = random.bounded(0, 24);
        for (int l = 0; l < count; ++l) {
            QString line;
            const int parts = random.bounded(0, 5);
            for (int p = 0; p < parts; ++p) {
                if (random.bounded(4) == 0) {
                    QByteArray bytes;
                    for (int b = random.bounded(0, 70); b > 0; --b)
                        bytes.append(char(random.bounded(256)));
                    line += cp1250::decode(bytes);
                } else {
                    line += pieces.at(random.bounded(int(pieces.size())));
                }
            }
            // A line of random bytes may carry line breaks: split them as a file read would.
            lines += splitLines(line).isEmpty() ? QStringList{QString()} : splitLines(line);
        }
        const ParsedRecipe parsed = parse(lines, u"n.txt"_s);
        int separators = 0;
        int previous = 0;
        for (const Item &item : parsed.items) {
            QVERIFY(item.lineNumber >= previous && item.lineNumber <= lines.size());
            previous = item.lineNumber;
            const QString &line = lines.at(item.lineNumber - 1);
            if (item.kind == ItemKind::CommercialName) {
                QVERIFY(line.contains(u"Obchodní název:"_s));
                QVERIFY(item.name.size() <= 24);
            } else {
                QVERIFY(line.size() >= 50);
                QVERIFY(!isSeparator(line));
            }
            if (item.kind == ItemKind::Component)
                QVERIFY(item.code.size() <= 6 && item.name.size() <= 24);
        }
        for (const QString &line : lines)
            separators += isSeparator(line) ? 1 : 0;
        if (separators < 2)
            for (const Item &item : parsed.items)
                QCOMPARE(item.kind, ItemKind::CommercialName);
        if (!parsed.error.isEmpty()) {
            QVERIFY(parsed.errorLine >= previous && parsed.errorLine <= lines.size());
            QVERIFY(parsed.error.startsWith(QStringLiteral("Receptura n.txt, řádek %1: ").arg(parsed.errorLine)));
        }
    }
}

QTEST_GUILESS_MAIN(TestRecipe)
#include "tst_recipe.moc"
