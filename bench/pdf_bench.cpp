// PDF export of a recipe-document-like report, 1 and 10 pages: our writer (rendering included,
// and from ready page pictures) beside img2pdf turning the same page PNGs into a PDF, run by run
// in turn (ours, img2pdf, ours, ...). Each run of either side is checked: exit status, a file of
// the right page count (qpdf --show-npages); a side that fails ends the bench with status 1.
//
// Usage: pdf_bench [runs]   (default 7)
#include "printing/documentreports.h"
#include "printing/pdfwriter.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace pelmixi::printing;

namespace {

ReportRow row(const QString &smes, int i)
{
    ReportRow r;
    r.insert(QStringLiteral("cislodokla"), QStringLiteral("2401000012"));
    r.insert(QStringLiteral("datum"), QDate(2024, 3, 14));
    r.insert(QStringLiteral("stredisko"), QStringLiteral("010"));
    r.insert(QStringLiteral("nazevstr"), QStringLiteral("Středisko Žďár – míchárna"));
    r.insert(QStringLiteral("smes"), smes);
    r.insert(QStringLiteral("partiecela"), QStringLiteral("1200%1").arg(i, 5, 10, QLatin1Char('0')));
    r.insert(QStringLiteral("podnik"), i % 2 ? QStringLiteral("0101") : QString());
    r.insert(QStringLiteral("lomeni"), i % 7);
    r.insert(QStringLiteral("nomenkla"), QStringLiteral("1001%1").arg(i, 4, 10, QLatin1Char('0')));
    r.insert(QStringLiteral("naz_dru"), QStringLiteral("Pšenice ozimá"));
    r.insert(QStringLiteral("naz_odru"), QStringLiteral("Bohemia"));
    r.insert(QStringLiteral("stupen"), QStringLiteral("C2"));
    r.insert(QStringLiteral("mnozstvi"), 0.25 + i * 0.01);
    r.insert(QStringLiteral("mj"), QStringLiteral("t"));
    r.insert(QStringLiteral("pr"), 4.5);
    r.insert(QStringLiteral("nc"), 5234.75 + i);
    r.insert(QStringLiteral("popis"), QStringLiteral("Čištěné zrno, vlhkost 13 %"));
    r.insert(QStringLiteral("ulc"), QStringLiteral("Š-%1").arg(i));
    return r;
}

LaidOutReport reportOfPages(int pages)
{
    QImage logo(180, 60, QImage::Format_RGB32);
    logo.fill(QColor(30, 90, 160));
    DocumentReportOptions options;
    options.logo = logo;
    ReportRows rows{row(QStringLiteral("1"), 0)};
    for (int i = 1;; ++i) {
        rows << row(QStringLiteral("0"), i);
        LaidOutReport laid = recipeDocumentReport(rows, options).layout();
        if (laid.pages.size() > pages) {
            rows.removeLast();
            return recipeDocumentReport(rows, options).layout();
        }
    }
}

struct Stats {
    double min = 0, median = 0, max = 0;
};

Stats stats(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return { v.first(), v.at(v.size() / 2), v.last() };
}

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "pdf_bench: %s\n", qPrintable(what));
    std::exit(1);
}

int pdfPages(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("qpdf"), { QStringLiteral("--show-npages"), file });
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return -1;
    return p.readAllStandardOutput().trimmed().toInt();
}

void checkPdf(const char *side, const QString &file, int pages)
{
    const int found = pdfPages(file);
    if (found != pages)
        fail(QStringLiteral("%1 wrote %2 pages, not %3 (%4)").arg(QString::fromLatin1(side)).arg(found).arg(pages).arg(file));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    registerReportFonts();
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 7;
    QTemporaryDir dir;
    const QString peer = QStandardPaths::findExecutable(QStringLiteral("img2pdf"));
    if (peer.isEmpty())
        fail(QStringLiteral("img2pdf is not installed (scripts/install-deps.sh installs it)"));
    if (QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
        fail(QStringLiteral("qpdf is not installed"));

    std::printf("%d runs of each side in turn; ms per page min / median / max, bytes per page\n", runs);
    std::printf("%-38s %6s %8s %8s %8s %12s\n", "case", "pages", "min", "median", "max", "bytes/page");
    for (int pages : { 1, 10 }) {
        const LaidOutReport report = reportOfPages(pages);
        const int n = int(report.pages.size());

        // Rendering and writing in one, on its own.
        QList<double> rendered;
        qint64 renderedBytes = 0;
        for (int run = 0; run < runs; ++run) {
            const QString out = dir.filePath(QStringLiteral("ours.pdf"));
            QElapsedTimer t;
            t.start();
            const PdfResult r = writeReportPdf(out, report);
            rendered << t.nsecsElapsed() / 1e6 / n;
            if (!r.ok)
                fail(QStringLiteral("our writer failed: ") + r.errorMessage);
            checkPdf("our writer", out, n);
            renderedBytes = QFileInfo(out).size();
        }

        QList<QImage> pictures;
        QStringList pngs;
        for (int i = 0; i < n; ++i) {
            pictures << renderPage(report, i);
            pngs << dir.filePath(QStringLiteral("page%1.png").arg(i + 1));
            if (!pictures.last().save(pngs.last()))
                fail(QStringLiteral("cannot write ") + pngs.last());
        }
        // The same page pictures, ours and img2pdf in turn.
        QList<double> ours, theirs;
        qint64 oursBytes = 0, theirBytes = 0;
        for (int run = 0; run < runs; ++run) {
            const QString a = dir.filePath(QStringLiteral("ours2.pdf"));
            QElapsedTimer t;
            t.start();
            const PdfResult r = writePdf(a, pictures, PdfOptions {});
            ours << t.nsecsElapsed() / 1e6 / n;
            if (!r.ok)
                fail(QStringLiteral("our writer failed: ") + r.errorMessage);
            checkPdf("our writer", a, n);
            oursBytes = QFileInfo(a).size();

            const QString b = dir.filePath(QStringLiteral("peer.pdf"));
            QFile::remove(b);
            QProcess p;
            t.restart();
            p.start(peer, QStringList(pngs) << QStringLiteral("-o") << b);
            const bool finished = p.waitForFinished(600000);
            theirs << t.nsecsElapsed() / 1e6 / n;
            if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
                fail(QStringLiteral("img2pdf failed: ") + QString::fromLocal8Bit(p.readAllStandardError()));
            checkPdf("img2pdf", b, n);
            theirBytes = QFileInfo(b).size();
        }
        const Stats r = stats(rendered), o = stats(ours), t = stats(theirs);
        std::printf("%-38s %6d %8.1f %8.1f %8.1f %12lld\n", "pelmixi: render + write", n, r.min, r.median, r.max,
            renderedBytes / n);
        std::printf("%-38s %6d %8.1f %8.1f %8.1f %12lld\n", "pelmixi: write from page pictures", n, o.min, o.median,
            o.max, oursBytes / n);
        std::printf("%-38s %6d %8.1f %8.1f %8.1f %12lld\n", "img2pdf: PNGs to PDF (process)", n, t.min, t.median,
            t.max, theirBytes / n);
    }
    // The peer's share that is only its process start-up (interpreter and imports).
    QList<double> start;
    for (int run = 0; run < runs; ++run) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(peer, { QStringLiteral("--version") });
        p.waitForFinished(60000);
        start << t.nsecsElapsed() / 1e6;
        if (p.exitCode() != 0)
            fail(QStringLiteral("img2pdf --version failed"));
    }
    const Stats s = stats(start);
    std::printf("img2pdf process start-up alone: min %.1f median %.1f max %.1f ms\n", s.min, s.median, s.max);
    return 0;
}
