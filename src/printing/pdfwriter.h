// The module's own PDF writer: PDF 1.4 files of page pictures, one 8-bit indexed image per page.
#pragma once

#include "printing/reportengine.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>
#include <QVector>

#include <functional>

namespace pelmixi::printing {

// A text of the page picture, placed by fractions of the picture's width and height (top-left
// origin). Written as invisible text over the picture, so the PDF can be searched and read back.
struct PdfTextRun {
    double x = 0;
    double y = 0;
    double height = 0;
    QString text;
};
using PdfTextSource = std::function<QList<PdfTextRun>(int index)>;

struct PdfOptions {
    bool landscape = false;    // 792 × 612 pages instead of 612 × 792
    double screenDpiX = kScreenDpi; // resolution the page pictures were rendered at
    double screenDpiY = kScreenDpi;
    QDateTime creationDate;    // invalid: the current local time
    PdfTextSource text;        // empty: pictures only
};

struct PdfResult {
    bool ok = false;
    QString errorMessage; // why it failed (for the log); the window shows pdfExportErrorText()
    int pageCount = 0;
    qint64 bytes = 0;
};

// Called before page `page` (1-based) of `pageCount` is written: the "Strana... i z N" progress.
using PdfProgress = std::function<void(int page, int pageCount)>;
// Supplies the picture of page `index` (0-based) when it is needed, so long reports are not
// held in memory as pictures all at once.
using PdfPageSource = std::function<QImage(int index)>;

// "Chyba při exportu tisku": the message the export window shows for any failure.
QString pdfExportErrorText();
// The file name the writer is asked for: base name + ".PDF".
QString pdfFileName(const QString &baseName);

// Writes exactly `path` (replacing it only when the whole file has been written).
PdfResult writePdf(const QString &path, int pageCount, const PdfPageSource &pages, const PdfOptions &options,
                   const PdfProgress &progress = {});
PdfResult writePdf(const QString &path, const QList<QImage> &pages, const PdfOptions &options,
                   const PdfProgress &progress = {});
// Renders every page of the report at 96 dpi (100 % zoom) and writes them.
// With `searchable`, the report's texts are laid invisibly over the pictures.
PdfResult writeReportPdf(const QString &path, const LaidOutReport &report, const PdfProgress &progress = {},
                         const QDateTime &creationDate = {}, bool searchable = false);

// The picture reduced to at most 256 colours: palette and one index byte per pixel, rows top
// first. Exact when the picture has 256 colours or fewer; otherwise a median cut of the
// colours weighted by how often they occur.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    QVector<QRgb> palette; // 1..256 entries
    QByteArray indices;    // width × height bytes
};
IndexedPicture quantizeTo256(const QImage &picture);

// The cm operands of the page picture: W, H, and Y (x is always 52).
struct PdfPicturePlacement {
    int width = 0;
    int height = 0;
    int x = 52;
    int y = 0;
};
PdfPicturePlacement pdfPicturePlacement(int pixelWidth, int pixelHeight, const PdfOptions &options);

} // namespace pelmixi::printing
