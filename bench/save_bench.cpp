// "Zapsat" of a new 30-line document against the private server, side by side with the mariadb
// command-line client running the same save script (each run opens its own connection, as the
// client does); then saves per second with 1, 4 and 8 workstations saving at the same time, with
// the invariants checked: unique, gap-free numbers and ZUSTATEK + SMESI conserved on every card.
// Usage: save_bench [runs] [documents per workstation]
#include "connection.h"
#include "cp1250.h"
#include "linerules.h"
#include "messages.h"
#include "numbering.h"
#include "posting.h"
#include "recalc.h"
#include "savescript.h"
#include "script.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <latch>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString database = u"bench_posting_save"_s;
const QString cc = u"35"_s;
constexpr int lines = 30;
constexpr double stock = 1e9;

class Yes final : public MessagePort {
public:
    int show(const Message &message) override
    {
        if (message.buttons == 1) {
            QMutexLocker lock(&mutex);
            std::fprintf(stderr, "message: %s\n", qPrintable(message.text));
        }
        return 1;
    }
    QMutex mutex;
};

QString source(int i)
{
    return u"2500350"_s + QString::number(i).rightJustified(2, u'0') + u"-0441"_s;
}

posting::Document document(const QString &mixBatch, int shift = 0)
{
    posting::Document doc;
    doc.mix = { { u"stredisko"_s, cc }, { u"partie"_s, mixBatch }, { u"partiecela"_s, mixBatch },
        { u"lomeni"_s, qlonglong(0) }, { u"nomenkla"_s, u"150001"_s }, { u"nazevosiva"_s, u"Krmná směs"_s },
        { u"mj"_s, u"kg"_s }, { u"pc"_s, 7.5 }, { u"smes"_s, u"1"_s }, { u"datum"_s, QDate(2026, 12, 1) },
        { u"popis"_s, u"Výkrm"_s }, { u"jazyk"_s, u"C"_s } };
    for (int i = 0; i < lines; ++i) {
        doc.lines << QVariantMap { { u"partie"_s, source((i + shift) % lines).left(9) }, { u"podnik"_s, u"0441"_s },
            { u"lomeni"_s, qlonglong(0) }, { u"partiecela"_s, source((i + shift) % lines) },
            { u"nomenkla"_s, u"111001"_s }, { u"nazevosiva"_s, u"Pšenice krmná"_s }, { u"mnozstvi"_s, 10.5 + i },
            { u"mj"_s, u"kg"_s }, { u"nc"_s, 5.2 }, { u"pr"_s, 3.0 }, { u"smes"_s, u"0"_s } };
    }
    return doc;
}

posting::SaveContext context(const QString &workDir, int workstation)
{
    posting::SaveContext ctx;
    ctx.stredisko = cc;
    ctx.cisloPC = QString::number(workstation).rightJustified(2, u'0');
    ctx.ksJakNc = 1;
    ctx.confirmed = true;
    ctx.identity = WorkstationIdentity::collect();
    ctx.workDir = workDir;
    return ctx;
}

std::unique_ptr<Connection> session(const ConnectionParams &params)
{
    auto c = std::make_unique<Connection>(params);
    c->execute(u"set @@session.sql_mode=\"\""_s);
    c->execute(u"SET names cp1250"_s);
    return c;
}

void reset(Connection &c)
{
    for (const QString &table : { u"pelmixi"_s, u"skarta"_s, u"cisdokl"_s, u"cisdokl_rada"_s, u"historied"_s })
        c.execute(u"delete from "_s + table + u" where stredisko = '35'"_s);
    for (int i = 0; i < lines; ++i)
        c.execute(u"insert into skarta (PARTIE, STREDISKO, PODNIK, LOMENI, PARTIECELA, NOMENKLA, MJ, NC, ZUSTATEK)"
                  u" values ("_s
            + sqlQuote(source(i).left(9)) + u", '35', '0441', 0, "_s + sqlQuote(source(i))
            + u", '111001', 'kg', 5.2, "_s + sqlNumber(stock) + u")"_s);
}

// Numbers unique and gap-free, every source card's ZUSTATEK + SMESI unchanged.
bool invariantsHold(Connection &c, int expected)
{
    const ResultSet numbers
        = c.query(u"select cislodokla from pelmixi where stredisko = '35' and smes = '1' order by cislodokla"_s);
    bool ok = numbers.rowCount() == expected;
    for (qsizetype i = 0; ok && i < numbers.rowCount(); ++i)
        ok = numbers.text(i, u"cislodokla"_s) == u"202635"_s + QString::number(i + 1).rightJustified(4, u'0');
    const ResultSet cards = c.query(u"select zustatek + smesi from skarta where stredisko = '35'"
                                    u" and partiecela like '2500350%'"_s);
    for (qsizetype i = 0; ok && i < cards.rowCount(); ++i)
        ok = std::fabs(cards.value(i, 0).toDouble() - stock) < 1e-6;
    return ok;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;
    const int perWorkstation = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 25;
    testsupport::createDatabase(database, true);
    const ConnectionParams params = testsupport::serverParams(database);
    Yes yes;
    messages::install(&yes);
    script::setTerminateHandler([] { std::fprintf(stderr, "the save script failed\n"); });
    QTemporaryDir dir;

    {
        auto c = session(params);
        c->execute(u"update tavrix set UcetniRok = '1', CislovaniD = 0, KS_JAKNC = 1, uzavreneuo = ''"_s);
        reset(*c);
    }

    // One save of a 30-line document: the whole click, on a connection of its own.
    QList<double> ours;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        auto c = session(params);
        const posting::SaveOutcome out = posting::zapsat(
            *c, document(u"5535"_s + QString::number(i).rightJustified(5, u'0')), context(dir.path(), 1));
        ours << double(timer.nsecsElapsed()) / 1e6;
        if (out.result != posting::SaveResult::Saved) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(out.message));
            return 1;
        }
    }

    // The same script for the client, each with a batch of its own, written beforehand.
    QStringList files;
    for (int i = 0; i < runs; ++i) {
        posting::Document doc = document(u"5536"_s + QString::number(i).rightJustified(5, u'0'));
        const linerules::MixTotals totals = linerules::mixTotals(doc.lines);
        doc.mix.insert(u"mnozstvi"_s, totals.mnozstvi);
        doc.mix.insert(u"pr"_s, totals.pr);
        recalc::spoctiKC(doc.mix, doc.lines, true);
        const auto series = numbering::series(u"1"_s, 0, cc, QDate(2026, 12, 1), nullptr);
        const QStringList script = posting::novyScript(doc, context(dir.path(), 1), *series);
        QFile f(dir.filePath(u"script%1.sql"_s.arg(i)));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(cp1250::encode(u"set @@session.sql_mode=\"\";\nSET names cp1250;\nSET @pomCis = NULL, @CiDo = NULL;\n"_s
            + script.join(u'\n') + u"\n"_s));
        files << f.fileName();
    }
    const QStringList args { u"--no-defaults"_s, u"-h"_s + params.host, u"-P"_s + QString::number(params.port),
        u"-uroot"_s, u"--compress"_s, u"--default-character-set=cp1250"_s, database };
    QList<double> client;
    for (const QString &file : files) {
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.setStandardInputFile(file);
        p.start(u"mariadb"_s, args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            std::fprintf(stderr, "mariadb client failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        client << double(timer.nsecsElapsed()) / 1e6;
    }
    const double a = median(ours);
    const double b = median(client);
    std::printf("one save of a %d-line document (median of %d): Zapsat %.1f ms, mariadb client %.1f ms, "
                "ratio %.2f (target <= 1.5)\n",
        lines, runs, a, b, a / b);

    // Throughput with several workstations at once.
    for (int workstations : { 1, 4, 8 }) {
        {
            auto c = session(params);
            reset(*c);
        }
        std::atomic<int> failed { 0 };
        std::latch start(workstations + 1);
        std::vector<std::thread> threads;
        for (int w = 0; w < workstations; ++w) {
            threads.emplace_back([&, w] {
                QTemporaryDir own;
                auto c = session(params);
                const posting::SaveContext ctx = context(own.path(), w + 1);
                start.arrive_and_wait();
                for (int d = 0; d < perWorkstation; ++d) {
                    const QString batch = u"55"_s + QString::number(w + 1).rightJustified(2, u'0')
                        + QString::number(d).rightJustified(5, u'0');
                    if (posting::zapsat(*c, document(batch, w + d), ctx).result != posting::SaveResult::Saved)
                        ++failed;
                }
            });
        }
        QElapsedTimer timer;
        start.arrive_and_wait();
        timer.start();
        for (std::thread &t : threads)
            t.join();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        const int total = workstations * perWorkstation;
        auto c = session(params);
        const bool ok = failed == 0 && invariantsHold(*c, total);
        std::printf("%d workstation(s) x %d documents: %.1f saves/s, invariants %s\n", workstations, perWorkstation,
            total / seconds, ok ? "hold" : "BROKEN");
        if (!ok)
            return 1;
    }
    testsupport::dropDatabase(database);
    return 0;
}
