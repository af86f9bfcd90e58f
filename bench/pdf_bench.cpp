// PDF export of a recipe-document-like report, 1 and 10 pages: our writer (rendering included,
// and from ready page pictures) beside ImageMagick's convert turning the same page PNGs into a PDF.
#include "printing/documentreports.h"
#include "printing/pdfwriter.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

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

bool realImageMagick(const QString &convert)
{
    if (convert.isEmpty())
        return false;
    QProcess p;
    p.start(convert, {QStringLiteral("-version")});
    p.waitForFinished(10000);
    return p.readAllStandardOutput().contains("Version: ImageMagick");
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    registerReportFonts();
    QTemporaryDir dir;
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    const bool havePeer = realImageMagick(convert);
    constexpr int kRuns = 3;

    std::printf("%-34s %6s %12s %14s\n", "case", "pages", "ms/page", "bytes/page");
    for (int pages : {1, 10}) {
        const LaidOutReport report = reportOfPages(pages);
        const int n = int(report.pages.size());

        double best = 1e18;
        qint64 bytes = 0;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer t;
            t.start();
            const PdfResult r = writeReportPdf(dir.filePath(QStringLiteral("ours.pdf")), report);
            best = std::min(best, t.nsecsElapsed() / 1e6);
            bytes = r.ok ? r.bytes : -1;
        }
        std::printf("%-34s %6d %12.1f %14lld\n", "pelmixi: render + write", n, best / n, bytes / n);

        QList<QImage> pictures;
        QStringList pngs;
        for (int i = 0; i < n; ++i) {
            pictures << renderPage(report, i);
            pngs << dir.filePath(QStringLiteral("page%1.png").arg(i + 1));
            pictures.last().save(pngs.last());
        }
        best = 1e18;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer t;
            t.start();
            const PdfResult r = writePdf(dir.filePath(QStringLiteral("ours2.pdf")), pictures, PdfOptions{});
            best = std::min(best, t.nsecsElapsed() / 1e6);
            bytes = r.ok ? r.bytes : -1;
        }
        std::printf("%-34s %6d %12.1f %14lld\n", "pelmixi: write from page pictures", n, best / n, bytes / n);

        if (!havePeer) {
            std::printf("%-34s %6d %12s %14s\n", "ImageMagick convert: peer missing", n, "-", "-");
            continue;
        }
        best = 1e18;
        const QString out = dir.filePath(QStringLiteral("peer.pdf"));
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer t;
            t.start();
            QProcess p;
            p.start(convert, QStringList(pngs) << out);
            p.waitForFinished(600000);
            best = std::min(best, t.nsecsElapsed() / 1e6);
        }
        std::printf("%-34s %6d %12.1f %14lld\n", "ImageMagick convert: PNGs to PDF", n, best / n,
                    QFileInfo(out).size() / n);
    }
    if (!havePeer)
        std::printf("ImageMagick convert is not installed (or only a stand-in is on PATH): peer missing.\n");
    return 0;
}
