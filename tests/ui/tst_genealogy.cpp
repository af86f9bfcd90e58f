// Batch genealogy on a small fixture with known answers: a received wheat lot at 40 % in a feed
// mix, that mix at 50 % in a mix of the other module (tonnes into kilograms) delivered to two
// customers and issued, a calculation on another branch, a batch reached along two paths, a
// cycle through a wrong product row, units that cannot be reconciled, and a second fraction
// that must stay out. Checked: every CSV row, the upstream rows, the customer totals, the
// window's trees, the recall report and its PDF, the command line and its exit codes, and a
// database without the batch indexes.
#include "connection.h"
#include "genealogy.h"
#include "genealogywindow.h"
#include "paths.h"
#include "pdfcli.h"
#include "printing/pdfwriter.h"
#include "printing/recallreport.h"
#include "testsupport.h"
#include "tform6.h"
#include "tform1.h"
#include "windowtest.h"
#include "wiring.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;
using namespace pelmixi::printing;

namespace {

const QString database = u"t_ui_genealogy"_s;

const QStringList fixture{
    u"INSERT INTO tavrix (UcetniRok, CislovaniD, KS_JAKNC, KS_vyrobky, zakl_mj, kontejnery_DO, uzavreneuo, ks_partie)"
    " VALUES ('1', 0, 1, 'A', 't', 'N', '202606', '5510')"_s,
    // Receipts: the wheat lot in two fractions, soy and barley.
    u"INSERT INTO pv (cislodokla, stredisko, dp, datum, datumzauct, nazevpodni) VALUES"
    " ('2601010001', '101', '01', '2026-07-01', '2026-07-31', 'Statek Novák'),"
    " ('2601010002', '101', '01', '2026-07-02', NULL, 'Sója a.s.')"_s,
    u"INSERT INTO pvrad (cislodokla, partie, partiecela, lomeni, hmotnostpv, nazevosiva, mj) VALUES"
    " ('2601010001', 'WHEAT-01', 'WHEAT-01', 0, 100, 'Pšenice potravinářská', 't'),"
    " ('2601010001', 'WHEAT-01', 'WHEAT-01', 1, 20, 'Pšenice potravinářská', 't'),"
    " ('2601010002', 'SOY-01', 'SOY-01', 0, 60, 'Sójový šrot', 't'),"
    " ('2601010002', 'BARLEY-01', 'BARLEY-01', 0, 40000, 'Ječmen krmný', 'kg')"_s,
    // Calculation: 10 t of the wheat become fraction 60.
    u"INSERT INTO pv9 (cislodokla, stredisko, pohyb, datum, datumzauct, mnozstvi, partie, partiecela, lomeni,"
    " nazevosiva, mj) VALUES"
    " ('2601010001', '101', '1', '2026-07-15', NULL, 10, 'WHEAT-01', 'WHEAT-01', 0, 'Pšenice potravinářská', 't'),"
    " ('2601010001', '101', '9', '2026-07-15', NULL, 10, 'WHEAT-01', 'WHEAT-01', 60, 'Pšenice sušená', 't'),"
    // Calculation into bags: tonnes cannot become pieces.
    " ('2601010002', '101', '1', '2026-08-12', NULL, 5, '551000001', '551000001', 0, 'KS Výkrm A', 't'),"
    " ('2601010002', '101', '9', '2026-08-12', NULL, 200, '551000001', '551000001', 61, 'KS Výkrm A – pytle', 'ks')"_s,
    // Feed mixes: M1 = 40 % wheat; M3 from M1 and the dried wheat (two paths); M4 from M3; and
    // a wrong product row that makes M4 produce M3 again (the cycle).
    u"INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nazevosiva, mj, mnozstvi,"
    " datum, smes, datumzauct, rokd) VALUES"
    " ('2601010001', '101', 'WHEAT-01', '', 0, 'WHEAT-01', 'Pšenice potravinářská', 't', 40, '2026-08-01', '0', NULL, '2026'),"
    " ('2601010001', '101', 'SOY-01', '', 0, 'SOY-01', 'Sójový šrot', 't', 60, '2026-08-01', '0', NULL, '2026'),"
    " ('2601010001', '101', '551000001', '', 0, '551000001', 'KS Výkrm A', 't', 100, '2026-08-01', '1', NULL, '2026'),"
    " ('2601010003', '101', '551000001', '', 0, '551000001', 'KS Výkrm A', 't', 10, '2026-08-15', '0', NULL, '2026'),"
    " ('2601010003', '101', 'WHEAT-01', '', 60, 'WHEAT-01', 'Pšenice sušená', 't', 2, '2026-08-15', '0', NULL, '2026'),"
    " ('2601010003', '101', 'SOY-01', '', 0, 'SOY-01', 'Sójový šrot', 't', 8, '2026-08-15', '0', NULL, '2026'),"
    " ('2601010003', '101', 'MIC', '', 0, 'MIC', 'Míchání', 't', 20, '2026-08-15', '0', NULL, '2026'),"
    " ('2601010003', '101', '551000003', '', 0, '551000003', 'KS Odchov C', 't', 20, '2026-08-15', '1', NULL, '2026'),"
    " ('2601010004', '101', '551000003', '', 0, '551000003', 'KS Odchov C', 't', 5, '2026-09-01', '0', NULL, '2026'),"
    " ('2601010004', '101', '551000004', '', 0, '551000004', 'KS Odchov D', 't', 5, '2026-09-01', '1', NULL, '2026'),"
    " ('2601010005', '101', '551000004', '', 0, '551000004', 'KS Odchov D', 't', 1, '2026-09-05', '0', NULL, '2026'),"
    " ('2601010005', '101', '551000003', '', 0, '551000003', 'KS Odchov C', 't', 1, '2026-09-05', '1', NULL, '2026')"_s,
    // The other module's mix: 40 t of M1 and 40 000 kg of barley make 80 000 kg.
    u"INSERT INTO smesi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nazevosiva, mj, mnozstvi,"
    " datum, smes, datumzauct, rokd) VALUES"
    " ('2601010001', '101', '551000001', '', 0, '551000001', 'KS Výkrm A', 't', 40, '2026-08-10', '0', NULL, '2026'),"
    " ('2601010001', '101', 'BARLEY-01', '', 0, 'BARLEY-01', 'Ječmen krmný', 'kg', 40000, '2026-08-10', '0', NULL, '2026'),"
    " ('2601010001', '101', '553000001', '', 0, '553000001', 'Směs Výkrm B', 'kg', 80000, '2026-08-10', '1', NULL, '2026')"_s,
    u"INSERT INTO dl (cislodokla, stredisko, datumvn1, datumzauct, nazevpodni) VALUES"
    " ('2601010001', '101', '2026-08-20', NULL, 'Farma Alfa'),"
    " ('2601010002', '101', '2026-08-21', '2026-08-31', 'Farma Beta; Horní Ves'),"
    " ('2601010003', '101', '2026-08-23', NULL, 'Farma Alfa'),"
    " ('2601010004', '101', '2026-08-24', NULL, 'Farma Gama'),"
    " ('2601010009', '101', '2026-08-30', NULL, 'Cizí odběratel')"_s,
    u"INSERT INTO dlrad (cislodokla, partie, partiecela, lomeni, hmotnostvn, nazevosiva, mj) VALUES"
    " ('2601010001', '553000001', '553000001', 0, 20000, 'Směs Výkrm B', 'kg'),"
    " ('2601010002', '553000001', '553000001', 0, 10000, 'Směs Výkrm B', 'kg'),"
    " ('2601010002', '553000001', '553000001', 0, 20000, 'Směs Výkrm B', 'kg'),"
    " ('2601010003', 'WHEAT-01', 'WHEAT-01', 60, 4, 'Pšenice sušená', 't'),"
    " ('2601010004', '551000001', '551000001', 61, 50, 'KS Výkrm A – pytle', 'ks'),"
    " ('2601010009', 'WHEAT-01', 'WHEAT-01', 1, 5, 'Pšenice potravinářská', 't')"_s,
    u"INSERT INTO vn (cislodokla, stredisko, druhvydeje, datumvn1, datumzauct, nazevpodni) VALUES"
    " ('2601010001', '101', '02', '2026-08-22', NULL, 'Vlastní výkrm')"_s,
    u"INSERT INTO vnrad (cislodokla, partie, partiecela, lomeni, hmotnostvn, nazevosiva, mj) VALUES"
    " ('2601010001', '553000001', '553000001', 0, 10000, 'Směs Výkrm B', 'kg')"_s,
    u"INSERT INTO vp (cislodokla, stredisko, nastredisko, pohyb, datum, datumzauct, mnozstvi, partie, partiecela,"
    " lomeni, nazevosiva, mj) VALUES"
    " ('2601010001', '101', '102', '31', '2026-08-25', NULL, 5, '551000003', '551000003', 0, 'KS Odchov C', 't')"_s,
};

const QString header = u"level;direction;doc_type;doc_number;date;batch;fraction;name;quantity;unit;suspect_quantity;partner"_s;

// The wheat lot downstream, row by row.
const QStringList wheatDown{
    header,
    u"0;down;PV;2601010001;2026-07-01;WHEAT-01;0;Pšenice potravinářská;100;t;100;Statek Novák"_s,
    u"1;down;KA;2601010001;2026-07-15;WHEAT-01;60;Pšenice sušená;10;t;10;"_s,
    u"2;down;DL;2601010003;2026-08-23;WHEAT-01;60;Pšenice sušená;4;t;4;Farma Alfa"_s,
    u"1;down;KS;2601010001;2026-08-01;551000001;0;KS Výkrm A;100;t;40;"_s,
    u"2;down;SM;2601010001;2026-08-10;553000001;0;Směs Výkrm B;80000;kg;16000;"_s,
    u"3;down;DL;2601010001;2026-08-20;553000001;0;Směs Výkrm B;20000;kg;4000;Farma Alfa"_s,
    u"3;down;DL;2601010002;2026-08-21;553000001;0;Směs Výkrm B;30000;kg;6000;\"Farma Beta; Horní Ves\""_s,
    u"3;down;VN;2601010001;2026-08-22;553000001;0;Směs Výkrm B;10000;kg;2000;Vlastní výkrm"_s,
    u"2;down;KA;2601010002;2026-08-12;551000001;61;KS Výkrm A – pytle;200;ks;;"_s,
    u"3;down;DL;2601010004;2026-08-24;551000001;61;KS Výkrm A – pytle;50;ks;;Farma Gama"_s,
    u"2;down;KS;2601010003;2026-08-15;551000003;0;KS Odchov C;20;t;6;"_s,
    u"3;down;VP;2601010001;2026-08-25;551000003;0;KS Odchov C;5;t;1.5;102"_s,
    u"3;down;KS;2601010004;2026-09-01;551000004;0;KS Odchov D;5;t;1.5;"_s,
};

std::unique_ptr<Connection> openConnection()
{
    auto c = std::make_unique<Connection>(testsupport::serverParams(database));
    c->execute(u"set @@session.sql_mode=\"\""_s);
    c->execute(u"SET names cp1250;"_s);
    return c;
}

QStringList csvLines(const QByteArray &bytes)
{
    QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList treeLines(QTreeWidgetItem *item, int depth = 0)
{
    // depth, document type and number, batch, suspect quantity (column 9 downstream)
    QStringList out{QString::number(depth) + u' ' + item->text(0) + u' ' + item->text(1) + u' ' + item->text(4)
                    + u' ' + item->text(9)};
    for (int i = 0; i < item->childCount(); ++i)
        out << treeLines(item->child(i), depth + 1);
    return out;
}

bool runTool(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class TestGenealogy : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void unitFactors_data();
    void unitFactors();
    void downstreamCsvRowByRow();
    void suspectTotalsPerCustomer();
    void cycleIsReportedOnce();
    void upstreamTwoLevelsWithMergedPaths();
    void upstreamThroughTheCycle();
    void onlyTheAskedFraction();
    void bothDirectionsInOneFile();
    void windowTrees();
    void recallReportAndPdf();
    void commandLine_data();
    void commandLine();
    void missingIndexesStillTraceAndWarn();
    void demoDeliveredMixTracesTwoLevelsUp();
    void popupMenusOpenTheWindow();

private:
    std::unique_ptr<testsupport::Installation> inst;
    std::unique_ptr<Connection> db;
};

void TestGenealogy::initTestCase()
{
    testsupport::createDatabase(database, false);
    db = openConnection();
    for (const QString &statement : fixture)
        db->execute(statement);
    inst = std::make_unique<testsupport::Installation>(database);
}

void TestGenealogy::cleanupTestCase()
{
    db.reset();
    inst.reset();
    testsupport::dropDatabase(database);
}

void TestGenealogy::unitFactors_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("factor"); // -1: cannot be reconciled
    QTest::newRow("t to kg") << u"t"_s << u"kg"_s << 1000.0;
    QTest::newRow("kg to t") << u"kg"_s << u"t"_s << 0.001;
    QTest::newRow("same, case and blanks") << u" KG"_s << u"kg "_s << 1.0;
    QTest::newRow("pieces to t") << u"ks"_s << u"t"_s << -1.0;
    QTest::newRow("empty to t") << QString() << u"t"_s << -1.0;
}

void TestGenealogy::unitFactors()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, factor);
    const std::optional<double> f = genealogy::unitFactor(from, to);
    if (factor < 0)
        QVERIFY(!f.has_value());
    else
        QCOMPARE(f.value_or(-2), factor);
}

void TestGenealogy::downstreamCsvRowByRow()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Down);
    QCOMPARE(csvLines(genealogy::csv(t)), wheatDown);
    QCOMPARE(t.downNodes, 7); // wheat, dried wheat, M1, M2, bags, M3, M4
}

void TestGenealogy::suspectTotalsPerCustomer()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Down);
    QStringList totals;
    for (const genealogy::PartnerTotal &p : t.partners)
        totals << QStringList{p.partner, p.documents.join(u','), genealogy::formatQuantity(p.suspect), p.unit,
                              p.incomplete ? u"neúplné"_s : QString()}
                      .join(u'|');
    const QStringList expected{
        u"Farma Alfa|DL 2601010003,DL 2601010001|8|t|"_s,
        u"Farma Beta; Horní Ves|DL 2601010002|6|t|"_s,
        u"Vlastní výkrm|VN 2601010001|2|t|"_s,
        u"Farma Gama|DL 2601010004|0|ks|neúplné"_s,
        u"středisko 102|VP 2601010001|1.5|t|"_s,
    };
    QCOMPARE(totals, expected);
    // The rows that lack a share say why.
    for (const genealogy::Row &row : t.down) {
        if (row.fraction == 61)
            QVERIFY2(row.note.contains(u"podíl nelze určit"_s), qPrintable(row.note));
    }
    const genealogy::Row &bags = t.down.at(7);
    QCOMPARE(bags.docNumber, u"2601010002"_s);
    QVERIFY2(bags.note.contains(u"jednotky nelze převést (t → ks)"_s), qPrintable(bags.note));
    const genealogy::Row &m3 = t.down.at(9);
    QCOMPARE(m3.batch, u"551000003"_s);
    QVERIFY2(m3.note.contains(u"sloučeno z 2 cest"_s), qPrintable(m3.note));
}

void TestGenealogy::cycleIsReportedOnce()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Down);
    QCOMPARE(t.cycles,
             QStringList{u"Cyklus: partie 551000003/0 se vrací do vlastní historie dokladem KS 2601010005 (spotřeba "
                         "partie 551000004/0)."_s});
    const genealogy::Row &m3 = t.down.at(9);
    QVERIFY2(m3.note.contains(u"cyklus: KS 2601010005 spotřebovává partii 551000004/0, nezapočteno"_s),
             qPrintable(m3.note));
    QVERIFY2(m3.note.contains(u"partii vyrábí také doklad KS 2601010005"_s), qPrintable(m3.note));
}

void TestGenealogy::upstreamTwoLevelsWithMergedPaths()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"553000001"_s, 0}, genealogy::Direction::Up);
    const QStringList expected{
        header,
        u"0;up;SM;2601010001;2026-08-10;553000001;0;Směs Výkrm B;80000;kg;80000;"_s,
        u"1;up;KS;2601010001;2026-08-01;551000001;0;KS Výkrm A;40;t;;"_s,
        u"2;up;PV;2601010002;2026-07-02;SOY-01;0;Sójový šrot;60;t;;Sója a.s."_s,
        u"2;up;PV;2601010001;2026-07-01;WHEAT-01;0;Pšenice potravinářská;40;t;;Statek Novák"_s,
        u"1;up;PV;2601010002;2026-07-02;BARLEY-01;0;Ječmen krmný;40000;kg;;Sója a.s."_s,
    };
    QCOMPARE(csvLines(genealogy::csv(t)), expected);
    QVERIFY(t.down.isEmpty());
    QVERIFY(t.cycles.isEmpty());
}

void TestGenealogy::upstreamThroughTheCycle()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"551000003"_s, 0}, genealogy::Direction::Up);
    const QStringList expected{
        header,
        u"0;up;KS;2601010003;2026-08-15;551000003;0;KS Odchov C;20;t;20;"_s,
        u"1;up;KS;2601010001;2026-08-01;551000001;0;KS Výkrm A;10;t;;"_s,
        u"2;up;PV;2601010001;2026-07-01;WHEAT-01;0;Pšenice potravinářská;50;t;;Statek Novák"_s,
        u"1;up;KS;2601010004;2026-09-01;551000004;0;KS Odchov D;1;t;;"_s,
        u"1;up;PV;2601010002;2026-07-02;SOY-01;0;Sójový šrot;68;t;;Sója a.s."_s,
        u"1;up;KA;2601010001;2026-07-15;WHEAT-01;60;Pšenice sušená;2;t;;"_s,
    };
    QCOMPARE(csvLines(genealogy::csv(t)), expected);
    QCOMPARE(t.origin.note, u"další doklady původu: KS 2601010005"_s);
    QCOMPARE(t.cycles,
             QStringList{u"Cyklus: partie 551000003/0 se vrací do vlastní historie dokladem KS 2601010004 (výroba "
                         "partie 551000004/0)."_s});
    QVERIFY2(t.up.at(1).note.contains(u"sloučeno z 2 cest"_s), qPrintable(t.up.at(1).note));
    QVERIFY2(t.up.at(3).note.contains(u"sloučeno z 2 cest"_s), qPrintable(t.up.at(3).note));
}

void TestGenealogy::onlyTheAskedFraction()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"WHEAT-01"_s, 1}, genealogy::Direction::Both);
    const QStringList expected{
        header,
        u"0;both;PV;2601010001;2026-07-01;WHEAT-01;1;Pšenice potravinářská;20;t;20;Statek Novák"_s,
        u"1;down;DL;2601010009;2026-08-30;WHEAT-01;1;Pšenice potravinářská;5;t;5;Cizí odběratel"_s,
    };
    QCOMPARE(csvLines(genealogy::csv(t)), expected);
    // And fraction 0 never meets the customer of fraction 1.
    const QByteArray zero = genealogy::csv(genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Both));
    QVERIFY(!zero.contains("2601010009"));
}

void TestGenealogy::bothDirectionsInOneFile()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"551000001"_s, 0}, genealogy::Direction::Both);
    const QStringList lines = csvLines(genealogy::csv(t));
    QCOMPARE(lines.at(1), u"0;both;KS;2601010001;2026-08-01;551000001;0;KS Výkrm A;100;t;100;"_s);
    // M1 itself is wholly suspect: its mix of the other module carries the full 40 t.
    QVERIFY(lines.contains(u"1;down;SM;2601010001;2026-08-10;553000001;0;Směs Výkrm B;80000;kg;40000;"_s));
    QVERIFY(lines.contains(u"2;down;DL;2601010001;2026-08-20;553000001;0;Směs Výkrm B;20000;kg;10000;Farma Alfa"_s));
    QVERIFY(lines.contains(u"1;up;PV;2601010001;2026-07-01;WHEAT-01;0;Pšenice potravinářská;40;t;;Statek Novák"_s));
    QVERIFY(lines.contains(u"1;up;PV;2601010002;2026-07-02;SOY-01;0;Sójový šrot;60;t;;Sója a.s."_s));
    // Downstream rows come before upstream rows.
    int lastDown = -1;
    int firstUp = int(lines.size());
    for (int i = 2; i < lines.size(); ++i) {
        if (lines.at(i).section(u';', 1, 1) == u"down"_s)
            lastDown = i;
        else if (firstUp == lines.size())
            firstUp = i;
    }
    QVERIFY(lastDown < firstUp);
}

void TestGenealogy::windowTrees()
{
    GenealogyWindow window(*db, {u"WHEAT-01"_s, 0});
    QVERIFY(window.load());
    window.show();
    QCOMPARE(window.downTree()->topLevelItemCount(), 1);
    const QStringList expected{
        u"0 PV 2601010001 WHEAT-01/0 100"_s,
        u"1 KA 2601010001 WHEAT-01/60 10"_s,
        u"2 DL 2601010003 WHEAT-01/60 4"_s,
        u"1 KS 2601010001 551000001/0 40"_s,
        u"2 SM 2601010001 553000001/0 16 000"_s,
        u"3 DL 2601010001 553000001/0 4 000"_s,
        u"3 DL 2601010002 553000001/0 6 000"_s,
        u"3 VN 2601010001 553000001/0 2 000"_s,
        u"2 KA 2601010002 551000001/61 "_s,
        u"3 DL 2601010004 551000001/61 "_s,
        u"2 KS 2601010003 551000003/0 6"_s,
        u"3 VP 2601010001 551000003/0 1,5"_s,
        u"3 KS 2601010004 551000004/0 1,5"_s,
    };
    QCOMPARE(treeLines(window.downTree()->topLevelItem(0)), expected);
    QCOMPARE(window.downTree()->headerItem()->text(9), u"Podezřelé množství"_s);
    QCOMPARE(window.downTree()->headerItem()->text(8), u"Dodavatel / odběratel"_s);
    // Upstream the wheat has only its receipt.
    QCOMPARE(window.upTree()->topLevelItemCount(), 1);
    QCOMPARE(window.upTree()->topLevelItem(0)->childCount(), 0);
    QCOMPARE(window.upTree()->topLevelItem(0)->text(8), u"Statek Novák"_s);
    // Totals per customer.
    QTreeWidget *partners = window.partnersTable();
    QCOMPARE(partners->topLevelItemCount(), 5);
    QCOMPARE(partners->topLevelItem(0)->text(0), u"Farma Alfa"_s);
    QCOMPARE(partners->topLevelItem(0)->text(1), u"DL 2601010003, DL 2601010001"_s);
    QCOMPARE(partners->topLevelItem(0)->text(2), u"8"_s);
    QCOMPARE(partners->topLevelItem(0)->text(3), u"t"_s);
    QCOMPARE(partners->topLevelItem(3)->text(2), u"0 (neúplné)"_s);
    // The cycle is shown; the indexes exist, so no warning about speed.
    QVERIFY(window.warningLabel()->isVisible());
    QVERIFY(window.warningLabel()->text().contains(u"Cyklus: partie 551000003/0"_s));
    QVERIFY(!window.warningLabel()->text().contains(u"pomalé"_s));
    // The overview goes to the preview hub, unarchived.
    testsupport::MessageRecorder messages;
    QStringList previewTexts;
    int pages = 0;
    testsupport::onWindow(u"TForm6"_s, [&](QWidget *w) {
        auto *preview = static_cast<TForm6 *>(w);
        pages = preview->pageCount();
        for (const ReportPage &page : preview->laidOut().pages)
            for (const DrawItem &item : page.items)
                previewTexts << item.text;
        preview->reject();
    });
    window.showPreview();
    testsupport::stopWindowWatchers();
    QVERIFY(pages >= 1);
    QVERIFY(previewTexts.contains(recallReportTitle()));
    QVERIFY(previewTexts.contains(u"Farma Beta; Horní Ves"_s));
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(db->scalar(u"select count(*) from doklady"_s).toLongLong(), 0);
    // The CSV export writes the trace of both directions.
    const QString csvPath = inst->programDir() + u"/window.csv"_s;
    QVERIFY(window.exportCsv(csvPath));
    QFile csvFile(csvPath);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    QCOMPARE(csvFile.readAll(),
             genealogy::csv(genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Both)));
    QVERIFY(!window.exportCsv(inst->programDir() + u"/missing/window.csv"_s));
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.last().contains(u"nelze zapsat"_s));

    const QString shot = qEnvironmentVariable("PELMIXI_GENEALOGY_SCREENSHOT");
    if (!shot.isEmpty())
        window.grab().save(shot);
}

void TestGenealogy::recallReportAndPdf()
{
    const genealogy::Trace t = genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Down);
    DocumentReportOptions options;
    options.clock = [] { return QDateTime(QDate(2026, 9, 10), QTime(14, 5, 0)); };
    const LaidOutReport laid = recallReport(recallReportData(t), options).layout();
    QVERIFY(!laid.pages.isEmpty());
    QStringList all;
    for (const ReportPage &page : laid.pages)
        for (const DrawItem &item : page.items)
            if (!item.text.isEmpty())
                all << item.text;
    for (const QString &text :
         {u"Stažení partie – přehled odběratelů"_s, u"WHEAT-01/0"_s, u"Pšenice potravinářská"_s,
          u"PV 2601010001 z 01.07.2026, dodavatel Statek Novák, 100 t"_s, u"Farma Beta; Horní Ves"_s,
          u"DL 2601010002"_s, u"6 000"_s, u"SM 2601010001"_s, u"16 000"_s, u"středisko 102"_s,
          u"DL 2601010003, DL 2601010001"_s, u"nelze určit"_s, u"10.09.2026 14:05:00"_s})
        QVERIFY2(all.contains(text), qPrintable(text));
    QVERIFY(std::any_of(all.begin(), all.end(), [](const QString &s) { return s.startsWith(u"Cyklus: partie 551000003/0"_s); }));

    const QString pdf = inst->programDir() + u"/recall.pdf"_s;
    QVERIFY(writeReportPdf(pdf, laid, {}, {}, true).ok);
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils, scripts/install-deps.sh) is missing");
    QByteArray extracted;
    QVERIFY(runTool(pdftotext, {u"-layout"_s, u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s}, &extracted));
    const QString text = QString::fromUtf8(extracted);
    for (const QString &expected :
         {u"Stažení partie – přehled odběratelů"_s, u"WHEAT-01/0"_s, u"Pšenice potravinářská"_s, u"Farma Alfa"_s,
          u"Farma Beta; Horní Ves"_s, u"DL 2601010002"_s, u"Vlastní výkrm"_s, u"SM 2601010001"_s,
          u"středisko 102"_s, u"Podezřelé množství"_s, u"Vytištěno:"_s, u"10.09.2026 14:05:00"_s})
        QVERIFY2(text.contains(expected), qPrintable(expected + u" not in:\n"_s + text));
    QVERIFY(runTool(QStandardPaths::findExecutable(u"qpdf"_s), {u"--check"_s, pdf}));
    QByteArray info;
    QVERIFY(runTool(QStandardPaths::findExecutable(u"pdfinfo"_s), {pdf}, &info));
    const QRegularExpression pages(u"^Pages:\\s+(\\d+)$"_s, QRegularExpression::MultilineOption);
    QCOMPARE(pages.match(QString::fromUtf8(info)).captured(1), QString::number(laid.pages.size()));
}

void TestGenealogy::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("firstLines"); // expected start of the CSV, lines joined by '|'

    QTest::newRow("csv down by default")
        << QStringList{u"--trace"_s, u"WHEAT-01"_s, u"--out"_s, u"@DIR@/w.csv"_s} << int(pdfcli::Success)
        << (wheatDown.mid(0, 3).join(u'|'));
    QTest::newRow("fraction and direction")
        << QStringList{u"--trace"_s, u"WHEAT-01"_s, u"--lomeni"_s, u"1"_s, u"--direction"_s, u"up"_s, u"--out"_s,
                       u"@DIR@/w1.csv"_s}
        << int(pdfcli::Success)
        << (header + u"|0;up;PV;2601010001;2026-07-01;WHEAT-01;1;Pšenice potravinářská;20;t;20;Statek Novák"_s);
    QTest::newRow("pdf") << QStringList{u"--trace"_s, u"WHEAT-01"_s, u"--out"_s, u"@DIR@/w.pdf"_s}
                         << int(pdfcli::Success) << QString();
    QTest::newRow("no movements") << QStringList{u"--trace"_s, u"NOTHING"_s, u"--out"_s, u"@DIR@/n.csv"_s}
                                  << int(pdfcli::UnknownDocument) << QString();
    QTest::newRow("bad direction")
        << QStringList{u"--trace"_s, u"WHEAT-01"_s, u"--direction"_s, u"sideways"_s, u"--out"_s, u"@DIR@/b.csv"_s}
        << int(pdfcli::UsageError) << QString();
    QTest::newRow("bad fraction")
        << QStringList{u"--trace"_s, u"WHEAT-01"_s, u"--lomeni"_s, u"x"_s, u"--out"_s, u"@DIR@/b.csv"_s}
        << int(pdfcli::UsageError) << QString();
    QTest::newRow("unknown suffix") << QStringList{u"--trace"_s, u"WHEAT-01"_s, u"--out"_s, u"@DIR@/b.txt"_s}
                                    << int(pdfcli::UsageError) << QString();
    QTest::newRow("no output") << QStringList{u"--trace"_s, u"WHEAT-01"_s} << int(pdfcli::UsageError) << QString();
    QTest::newRow("folder missing")
        << QStringList{u"--trace"_s, u"WHEAT-01"_s, u"--out"_s, u"@DIR@/missing/w.csv"_s} << int(pdfcli::ExportError)
        << QString();
}

void TestGenealogy::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, firstLines);
    QString out;
    for (QString &a : args) {
        if (a.startsWith(u"@DIR@"_s)) {
            a.replace(u"@DIR@"_s, inst->programDir());
            out = a;
        }
    }
    if (!out.isEmpty())
        QFile::remove(out);
    args.prepend(u"pelmixi"_s);
    QVERIFY(pdfcli::wanted(args));
    QCOMPARE(pdfcli::run(args), exitCode);
    if (exitCode != pdfcli::Success) {
        if (!out.isEmpty())
            QVERIFY(!QFileInfo::exists(out));
        return;
    }
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    if (out.endsWith(u".pdf"_s)) {
        QVERIFY(bytes.startsWith("%PDF-"));
        return;
    }
    const QStringList lines = csvLines(bytes);
    const QStringList want = firstLines.split(u'|');
    QCOMPARE(lines.mid(0, want.size()), want);
}

void TestGenealogy::missingIndexesStillTraceAndWarn()
{
    const QByteArray before = genealogy::csv(genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Both));
    db->execute(u"ALTER TABLE vp DROP INDEX vp_partie"_s);
    db->execute(u"ALTER TABLE smesi DROP INDEX pelmixi_partie"_s);
    const auto restore = qScopeGuard([this] {
        db->execute(u"ALTER TABLE vp ADD INDEX vp_partie (partiecela, lomeni)"_s);
        db->execute(u"ALTER TABLE smesi ADD INDEX pelmixi_partie (partiecela, lomeni)"_s);
    });
    QCOMPARE(genealogy::tablesWithoutBatchIndex(*db), (QStringList{u"smesi"_s, u"vp"_s}));
    const genealogy::Trace t = genealogy::trace(*db, {u"WHEAT-01"_s, 0}, genealogy::Direction::Both);
    QCOMPARE(genealogy::csv(t), before);
    GenealogyWindow window(*db, {u"WHEAT-01"_s, 0});
    QVERIFY(window.load());
    window.show();
    QVERIFY(window.warningLabel()->isVisible());
    QVERIFY2(window.warningLabel()->text().contains(
                 u"Tabulky bez indexu (partiecela, lomeni): smesi, vp. Sledování partie bude pomalé."_s),
             qPrintable(window.warningLabel()->text()));
}

void TestGenealogy::demoDeliveredMixTracesTwoLevelsUp()
{
    const QString demo = u"t_ui_genealogy_demo"_s;
    testsupport::createDatabase(demo, true);
    const auto drop = qScopeGuard([demo] { testsupport::dropDatabase(demo); });
    Connection c(testsupport::serverParams(demo));
    c.execute(u"set @@session.sql_mode=\"\""_s);
    // The other module's mix is delivered; its components come from a feed mix and a receipt,
    // and the feed mix's components from receipts.
    const genealogy::Trace t = genealogy::trace(c, {u"553000001"_s, 0}, genealogy::Direction::Both);
    QVERIFY(t.originFound);
    QCOMPARE(t.origin.docType, u"SM"_s);
    bool delivered = false;
    for (const genealogy::Row &row : t.down)
        delivered = delivered || row.docType == u"DL"_s;
    QVERIFY(delivered);
    int deepest = 0;
    for (const genealogy::Row &row : t.up) {
        deepest = std::max(deepest, row.level);
        QVERIFY2(!row.docType.isEmpty(), qPrintable(row.batch + u": "_s + row.note));
    }
    QVERIFY(deepest >= 2);
}

void TestGenealogy::popupMenusOpenTheWindow()
{
    inst->writeModuleIni(u"TForm1"_s, u"Label1_Caption"_s, u"101"_s);
    testsupport::MessageRecorder messages;
    TForm1 w(StartOptions{u"modul"_s, 0});
    wireGenealogy(w);
    wireGenealogy(w); // wiring twice adds nothing
    QVERIFY(w.startUp());
    QAction *fromList = w.listPopupMenu()->findChild<QAction *>(u"RodokmenPartieSeznam"_s);
    QAction *fromLine = w.linesPopupMenu()->findChild<QAction *>(u"RodokmenPartieRadek"_s);
    QVERIFY(fromList && fromLine);
    QCOMPARE(fromList->text(), u"Rodokmen partie…"_s);
    QCOMPARE(fromLine->text(), u"Rodokmen partie…"_s);
    QCOMPARE(w.listPopupMenu()->findChildren<QAction *>(u"RodokmenPartieSeznam"_s).size(), 1);

    // The list's entry traces the selected document's mix batch.
    bool found = false;
    for (int r = 0; r < w.listGrid()->model()->rowCount() && !found; ++r) {
        w.listGrid()->setCurrentIndex(w.listGrid()->model()->index(r, 0));
        found = w.currentListValue(u"cislodokla"_s).toString() == u"2601010001"_s;
    }
    QVERIFY(found);
    QString title;
    int downRows = -1;
    testsupport::onWindow(u"GenealogyWindow"_s, [&](QWidget *window) {
        title = window->windowTitle();
        downRows = window->findChild<QTreeWidget *>(u"downTree"_s)->topLevelItem(0)->childCount();
        static_cast<QDialog *>(window)->accept();
    });
    fromList->trigger();
    QCOMPARE(title, u"Rodokmen partie 551000001/0"_s);
    QCOMPARE(downRows, 3); // SM, KA and KS that consumed the mix

    // The lines' entry traces the selected composition line's batch.
    if (!w.showLines())
        w.showLinesAction()->trigger();
    w.refreshLines();
    const QVariantMap line = w.currentLine();
    QVERIFY(!line.isEmpty());
    testsupport::onWindow(u"GenealogyWindow"_s, [&](QWidget *window) {
        title = window->windowTitle();
        static_cast<QDialog *>(window)->accept();
    });
    fromLine->trigger();
    QCOMPARE(title, u"Rodokmen partie "_s + line.value(u"partiecela"_s).toString() + u'/'
                        + QString::number(line.value(u"lomeni"_s).toLongLong()));
    testsupport::stopWindowWatchers();
    QCOMPARE(messages.texts(), QStringList());
}

QTEST_MAIN(TestGenealogy)
#include "tst_genealogy.moc"
