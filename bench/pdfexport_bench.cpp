// PDF export of the recipe document of a demo document (1 page) and of a long document (10
// pages), beside img2pdf turning the same page pictures into a PDF. Our side is timed three ways:
// the command line `pelmixi --pdf` as a process (connect, query, layout, render, write), the same
// steps in-process, and the writer alone from ready page pictures. Prints ms and bytes per page,
// and the ratio to img2pdf. Needs the private server; the database "b_pdfexport" is rebuilt.
//
// Usage: pdfexport_bench [runs]   (default 5; the best run counts)
#include "connection.h"
#include "pdfcli.h"
#include "printing/pdfwriter.h"
#include "reportdata.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace pelmixi::printing;

namespace {

const QString Db = QStringLiteral("b_pdfexport");
const QString ShortDocument = QStringLiteral("2601010003");
const QString LongDocument = QStringLiteral("2601019999");

double bestMs(int runs, const std::function<bool()> &step)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!step())
            return -1;
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

int recipePages(Connection &db, const QString &number)
{
    return int(documentReport(ReportKind::RecipeDocument, loadReportRows(db, ReportKind::RecipeDocument, number))
                   .layout()
                   .pages.size());
}

// The long document: the composition lines of the short one over and over, as many as fit on
// ten pages.
void createLongDocument(Connection &db)
{
    const QString columns = QStringLiteral(
        "stredisko, partie, podnik, lomeni, partiecela, nomenkla, nazevosiva, mj, mnozstvi, pr, nc, pc, datum, ulc, "
        "smes, druh, odruda, stupen, naz_dru, naz_odru, datumzauct, rokd, popis, cinnost, jazyk");
    auto copyRows = [&](const QString &condition) {
        db.execute(QStringLiteral("insert into pelmixi (cislodokla, ") + columns + QStringLiteral(") select ")
            + sqlQuote(LongDocument) + QStringLiteral(", ") + columns
            + QStringLiteral(" from pelmixi where cislodokla = ") + sqlQuote(ShortDocument) + QStringLiteral(" and ")
            + condition + QStringLiteral(" order by id"));
    };
    copyRows(QStringLiteral("smes = '1'"));
    while (recipePages(db, LongDocument) <= 10)
        copyRows(QStringLiteral("smes <> '1'"));
    // One batch of lines too many: remove lines from the end until it is ten pages again.
    while (recipePages(db, LongDocument) > 10)
        db.execute(QStringLiteral("delete from pelmixi where cislodokla = ") + sqlQuote(LongDocument)
            + QStringLiteral(" and smes <> '1' order by id desc limit 1"));
}

bool runProgram(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void row(const char *what, int pages, double ms, qint64 bytes)
{
    if (ms < 0) {
        std::printf("%-44s %5d %10s %12s\n", what, pages, "failed", "-");
        return;
    }
    std::printf("%-44s %5d %10.1f %12lld\n", what, pages, ms / pages, bytes / pages);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;

    testsupport::createDatabase(Db, true);
    testsupport::Installation inst(Db);
    Connection db(testsupport::serverParams(Db));
    db.execute(QStringLiteral("set @@session.sql_mode=\"\""));
    db.execute(QStringLiteral("SET names cp1250;"));
    createLongDocument(db);

    // The command line runs a copy of the program inside the installation, where its INI lies.
    const QString built
        = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../src/app/pelmixi"));
    const QString program = inst.programDir() + QStringLiteral("/pelmixi");
    const bool haveProgram = QFile::copy(built, program);
    const QString img2pdf = QStandardPaths::findExecutable(QStringLiteral("img2pdf"));
    QTemporaryDir dir;

    std::printf("PDF export of the recipe document, best of %d runs\n", runs);
    std::printf("%-44s %5s %10s %12s\n", "case", "pages", "ms/page", "bytes/page");
    for (const QString &number : { ShortDocument, LongDocument }) {
        const ReportRows rows = loadReportRows(db, ReportKind::RecipeDocument, number);
        const LaidOutReport laid = documentReport(ReportKind::RecipeDocument, rows).layout();
        const int pages = int(laid.pages.size());
        const QString ours = dir.filePath(number + QStringLiteral("KS.pdf"));

        double ms = -1;
        if (haveProgram) {
            ms = bestMs(runs, [&] {
                return runProgram(program,
                    { QStringLiteral("--pdf"), number, QStringLiteral("--report"), QStringLiteral("recipe"),
                        QStringLiteral("--out"), ours });
            });
        }
        row("pelmixi --pdf (process: connect..write)", pages, ms, QFileInfo(ours).size());
        const double processMs = ms;

        ms = bestMs(runs, [&] {
            const QStringList args { QStringLiteral("pelmixi"), QStringLiteral("--pdf"), number,
                QStringLiteral("--out"), ours };
            return pdfcli::run(args) == pdfcli::Success;
        });
        row("pelmixi --pdf in-process (query..write)", pages, ms, QFileInfo(ours).size());

        QList<QImage> pictures;
        QStringList pngs;
        for (int i = 0; i < pages; ++i) {
            pictures << renderPage(laid, i);
            pngs << dir.filePath(QStringLiteral("%1-%2.png").arg(number).arg(i + 1));
            pictures.last().save(pngs.last());
        }
        qint64 bytes = 0;
        ms = bestMs(runs, [&] {
            const PdfResult r = writePdf(dir.filePath(QStringLiteral("pictures.pdf")), pictures, PdfOptions {});
            bytes = r.bytes;
            return r.ok;
        });
        row("pelmixi writer from page pictures", pages, ms, bytes);
        const double writerMs = ms;

        if (img2pdf.isEmpty()) {
            std::printf("%-44s %5d %10s %12s\n", "img2pdf: not installed", pages, "-", "-");
            continue;
        }
        const QString peer = dir.filePath(QStringLiteral("peer.pdf"));
        ms = bestMs(runs, [&] { return runProgram(img2pdf, QStringList(pngs) << QStringLiteral("-o") << peer); });
        row("img2pdf: page PNGs to PDF (process)", pages, ms, QFileInfo(peer).size());
        if (ms > 0) {
            std::printf(
                "%-44s %5d %10.2f\n", "  ratio pelmixi --pdf / img2pdf", pages, processMs > 0 ? processMs / ms : -1.0);
            std::printf("%-44s %5d %10.2f\n", "  ratio writer / img2pdf", pages, writerMs / ms);
        }
    }
    testsupport::dropDatabase(Db);
    return 0;
}
