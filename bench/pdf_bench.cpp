// PDF export of a recipe-document-like report, 1, 10, 100 and 500 pages: our writer rendering and
// writing page by page beside img2pdf turning the same page pictures (saved as PNGs beforehand)
// into a PDF, run by run in turn (ours, img2pdf, ours, ...). Our side is reported twice: render +
// write, and the writer alone (the same runs less the time spent rendering pictures). Each run of
// either side is checked: exit status, a file of the right page count (qpdf --show-npages); a side
// that fails ends the bench with status 1. After each size the bench's peak RSS is printed: the
// writer keeps one page at a time, so it stays flat in the page count (the laid-out report itself,
// a list of texts and lines, is the only part that grows). img2pdf's process start-up alone is
// measured at the end.
//
// Usage: pdf_bench [runs [keep-dir]]   (default 7 runs; with keep-dir the last PDF of either side
// at each size is kept there as ours-<pages>.pdf and img2pdf-<pages>.pdf)
#include "benchstats.h"
#include "printing/documentreports.h"
#include "printing/pdfwriter.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

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

LaidOutReport reportOfLines(int lines)
{
    QImage logo(180, 60, QImage::Format_RGB32);
    logo.fill(QColor(30, 90, 160));
    DocumentReportOptions options;
    options.logo = logo;
    ReportRows rows{row(QStringLiteral("1"), 0)};
    for (int i = 1; i <= lines; ++i)
        rows << row(QStringLiteral("0"), i);
    return recipeDocumentReport(rows, options).layout();
}

// The most composition lines that still fit on `pages` pages.
LaidOutReport reportOfPages(int pages)
{
    int lo = 0, hi = 1;
    while (reportOfLines(hi).pages.size() <= pages)
        hi *= 2;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        (reportOfLines(mid).pages.size() <= pages ? lo : hi) = mid;
    }
    return reportOfLines(lo);
}

double peakRssMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
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
    const QString keep = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTemporaryDir dir;
    const QString peer = QStandardPaths::findExecutable(QStringLiteral("img2pdf"));
    if (peer.isEmpty())
        fail(QStringLiteral("img2pdf is not installed (scripts/install-deps.sh installs it)"));
    if (QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
        fail(QStringLiteral("qpdf is not installed"));

    std::printf("%d runs of each side in turn; ms per page min / median / max, bytes per page\n", runs);
    std::printf("%-38s %6s %8s %8s %8s %12s\n", "case", "pages", "min", "median", "max", "bytes/page");
    for (int pages : { 1, 10, 100, 500 }) {
        const LaidOutReport report = reportOfPages(pages);
        const int n = int(report.pages.size());

        // The page pictures for img2pdf, rendered once and saved one at a time.
        QStringList pngs;
        for (int i = 0; i < n; ++i) {
            pngs << dir.filePath(QStringLiteral("page%1.png").arg(i + 1));
            if (!renderPage(report, i).save(pngs.last()))
                fail(QStringLiteral("cannot write ") + pngs.last());
        }
        const double rssBefore = peakRssMb();

        QList<double> rendered, written, theirs;
        qint64 oursBytes = 0, theirBytes = 0;
        for (int run = 0; run < runs; ++run) {
            const QString a = dir.filePath(QStringLiteral("ours.pdf"));
            qint64 renderNs = 0;
            QElapsedTimer t;
            t.start();
            const PdfResult r = writePdf(
                a, n,
                [&report, &renderNs](int i) {
                    QElapsedTimer rt;
                    rt.start();
                    QImage picture = renderPage(report, i, kScreenDpi);
                    renderNs += rt.nsecsElapsed();
                    return picture;
                },
                PdfOptions {});
            const qint64 totalNs = t.nsecsElapsed();
            rendered << totalNs / 1e6 / n;
            written << (totalNs - renderNs) / 1e6 / n;
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
        for (const QString &png : pngs)
            QFile::remove(png);
        if (!keep.isEmpty()) {
            const QString a = QDir(keep).filePath(QStringLiteral("ours-%1.pdf").arg(n));
            const QString b = QDir(keep).filePath(QStringLiteral("img2pdf-%1.pdf").arg(n));
            QFile::remove(a);
            QFile::remove(b);
            QFile::copy(dir.filePath(QStringLiteral("ours.pdf")), a);
            QFile::copy(dir.filePath(QStringLiteral("peer.pdf")), b);
        }
        const Stats r = stats(rendered), w = stats(written), t = stats(theirs);
        std::printf("%-38s %6d %8.2f %8.2f %8.2f %12lld\n", "pelmixi: render + write", n, r.min, r.median, r.max,
            oursBytes / n);
        std::printf("%-38s %6d %8.2f %8.2f %8.2f %12lld\n", "pelmixi: writer alone (less rendering)", n, w.min,
            w.median, w.max, oursBytes / n);
        std::printf("%-38s %6d %8.2f %8.2f %8.2f %12lld\n", "img2pdf: PNGs to PDF (process)", n, t.min, t.median,
            t.max, theirBytes / n);
        std::printf("%-38s %6d peak RSS %.1f MB before our runs, %.1f MB after\n", "pelmixi bench process", n,
            rssBefore, peakRssMb());
        std::fflush(stdout);
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
