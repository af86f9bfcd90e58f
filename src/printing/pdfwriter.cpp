// PDF 1.4 writer for page pictures: Flate-compressed indexed images drawn by a cm operator.
#include "printing/pdfwriter.h"

#include <QHash>
#include <QSaveFile>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace pelmixi::printing {

QString pdfExportErrorText()
{
    return QStringLiteral("Chyba při exportu tisku");
}

QString pdfFileName(const QString &baseName)
{
    return baseName + QStringLiteral(".PDF");
}

PdfPicturePlacement pdfPicturePlacement(int pixelWidth, int pixelHeight, const PdfOptions &options)
{
    PdfPicturePlacement p;
    const double pageWidth = options.landscape ? 792.0 : 612.0;
    const double pageHeight = options.landscape ? 612.0 : 792.0;
    // The picture is fitted onto a Letter-sized page with these fixed divisors; documents
    // archived over the years were all produced this way, so the geometry stays as it is.
    const double divX = options.landscape ? 13.0 : 10.0;
    const double divY = options.landscape ? 8.0 : 11.9;
    p.width = static_cast<int>(std::floor(pixelWidth * pageWidth / (options.screenDpiX * divX)));
    p.height = static_cast<int>(std::floor(pixelHeight * pageHeight / (options.screenDpiY * divY)));
    p.x = 52;
    p.y = static_cast<int>(pageHeight) - p.height;
    return p;
}

// ---------------------------------------------------------------- colour reduction

namespace {

struct ColorBox {
    int lo[3];
    int hi[3];
    quint64 count = 0;
};

constexpr int kBits = 5;
constexpr int kSide = 1 << kBits;
constexpr int kBins = kSide * kSide * kSide;

inline int binOf(QRgb c)
{
    return ((qRed(c) >> (8 - kBits)) << (2 * kBits)) | ((qGreen(c) >> (8 - kBits)) << kBits)
        | (qBlue(c) >> (8 - kBits));
}

inline int binIndex(int r, int g, int b)
{
    return (r << (2 * kBits)) | (g << kBits) | b;
}

struct Histogram {
    std::vector<quint32> count = std::vector<quint32>(kBins, 0);
    std::vector<quint64> sum[3] = {std::vector<quint64>(kBins, 0), std::vector<quint64>(kBins, 0),
                                   std::vector<quint64>(kBins, 0)};
};

void shrink(ColorBox &box, const Histogram &h)
{
    int lo[3] = {kSide, kSide, kSide};
    int hi[3] = {-1, -1, -1};
    quint64 total = 0;
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
        for (int g = box.lo[1]; g <= box.hi[1]; ++g)
            for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
                const quint32 n = h.count[binIndex(r, g, b)];
                if (!n)
                    continue;
                total += n;
                const int v[3] = {r, g, b};
                for (int a = 0; a < 3; ++a) {
                    lo[a] = std::min(lo[a], v[a]);
                    hi[a] = std::max(hi[a], v[a]);
                }
            }
    box.count = total;
    if (total) {
        std::copy(lo, lo + 3, box.lo);
        std::copy(hi, hi + 3, box.hi);
    }
}

// Splits the box at the weighted median of its longest side; false when it is a single bin.
bool split(ColorBox &box, ColorBox &second, const Histogram &h)
{
    int axis = 0;
    int longest = -1;
    for (int a = 0; a < 3; ++a)
        if (box.hi[a] - box.lo[a] > longest) {
            longest = box.hi[a] - box.lo[a];
            axis = a;
        }
    if (longest <= 0)
        return false;
    std::vector<quint64> plane(kSide, 0);
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
        for (int g = box.lo[1]; g <= box.hi[1]; ++g)
            for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
                const int v[3] = {r, g, b};
                plane[v[axis]] += h.count[binIndex(r, g, b)];
            }
    quint64 acc = 0;
    int cut = box.lo[axis];
    for (int i = box.lo[axis]; i < box.hi[axis]; ++i) {
        acc += plane[i];
        cut = i;
        if (acc * 2 >= box.count)
            break;
    }
    second = box;
    box.hi[axis] = cut;
    second.lo[axis] = cut + 1;
    shrink(box, h);
    shrink(second, h);
    return true;
}

IndexedPicture medianCut(const QImage &image)
{
    Histogram h;
    const int w = image.width();
    const int ht = image.height();
    for (int y = 0; y < ht; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x];
            const int bin = binOf(c);
            ++h.count[bin];
            h.sum[0][bin] += qRed(c);
            h.sum[1][bin] += qGreen(c);
            h.sum[2][bin] += qBlue(c);
        }
    }

    std::vector<ColorBox> boxes;
    ColorBox all;
    for (int a = 0; a < 3; ++a) {
        all.lo[a] = 0;
        all.hi[a] = kSide - 1;
    }
    shrink(all, h);
    boxes.push_back(all);
    std::vector<bool> final(1, false);
    while (boxes.size() < 256) {
        // The box with the most pixels times the widest spread gains most from a split.
        int best = -1;
        double bestScore = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (final[i])
                continue;
            const ColorBox &b = boxes[i];
            const int spread = std::max({b.hi[0] - b.lo[0], b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]});
            const double score = double(b.count) * spread;
            if (spread > 0 && score > bestScore) {
                bestScore = score;
                best = int(i);
            }
        }
        if (best < 0)
            break;
        ColorBox second;
        if (!split(boxes[best], second, h)) {
            final[best] = true;
            continue;
        }
        boxes.push_back(second);
        final.push_back(false);
    }

    IndexedPicture out;
    out.width = w;
    out.height = ht;
    std::vector<uchar> lut(kBins, 0);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const ColorBox &b = boxes[i];
        quint64 s[3] = {0, 0, 0};
        quint64 n = 0;
        for (int r = b.lo[0]; r <= b.hi[0]; ++r)
            for (int g = b.lo[1]; g <= b.hi[1]; ++g)
                for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
                    const int bin = binIndex(r, g, bl);
                    lut[bin] = uchar(i);
                    n += h.count[bin];
                    for (int a = 0; a < 3; ++a)
                        s[a] += h.sum[a][bin];
                }
        if (n == 0)
            n = 1;
        out.palette.append(qRgb(int((s[0] + n / 2) / n), int((s[1] + n / 2) / n), int((s[2] + n / 2) / n)));
    }
    out.indices.resize(qsizetype(w) * ht);
    uchar *dst = reinterpret_cast<uchar *>(out.indices.data());
    for (int y = 0; y < ht; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            *dst++ = lut[binOf(line[x])];
    }
    return out;
}

} // namespace

namespace {

// The exact palette's colour → index lookup: open addressing over 1024 slots (at most 256 are
// used, so probes stay short).
class ColourIndex {
public:
    ColourIndex() { m_keys.fill(kEmpty); }
    // The index of `c`, adding it to `palette` when new; -1 when the palette is full.
    int find(QRgb c, QVector<QRgb> &palette)
    {
        unsigned slot = (c * 0x9E3779B1u) >> (32 - kSlotBits);
        for (;;) {
            if (m_keys[slot] == c)
                return m_values[slot];
            if (m_keys[slot] == kEmpty) {
                if (palette.size() == 256)
                    return -1;
                m_keys[slot] = c;
                m_values[slot] = uchar(palette.size());
                palette.append(c);
                return m_values[slot];
            }
            slot = (slot + 1) & (kSlots - 1);
        }
    }

private:
    static constexpr int kSlotBits = 10;
    static constexpr unsigned kSlots = 1u << kSlotBits;
    static constexpr QRgb kEmpty = 0; // every key has its alpha byte set, so 0 never occurs
    std::array<QRgb, kSlots> m_keys;
    std::array<uchar, kSlots> m_values {};
};

} // namespace

IndexedPicture quantizeTo256(const QImage &picture)
{
    const QImage image = picture.format() == QImage::Format_RGB32 ? picture
                                                                  : picture.convertToFormat(QImage::Format_RGB32);
    IndexedPicture out;
    out.width = image.width();
    out.height = image.height();
    out.indices.resize(qsizetype(out.width) * out.height);
    out.palette.reserve(256);

    // Reports are mostly black, white and greys: try an exact palette first. Rows equal to the
    // one above (blank margins, ruled areas) reuse its indices.
    ColourIndex index;
    uchar *dst = reinterpret_cast<uchar *>(out.indices.data());
    const qsizetype rowBytes = qsizetype(out.width) * qsizetype(sizeof(QRgb));
    QRgb last = 0;
    uchar lastIndex = 0;
    const QRgb *previous = nullptr;
    for (int y = 0; y < out.height; ++y, dst += out.width) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        if (previous && std::memcmp(line, previous, size_t(rowBytes)) == 0) {
            std::memcpy(dst, dst - out.width, size_t(out.width));
            continue;
        }
        previous = line;
        for (int x = 0; x < out.width; ++x) {
            const QRgb c = line[x] | 0xff000000u;
            if (c != last) {
                const int i = index.find(c, out.palette);
                if (i < 0)
                    return medianCut(image);
                last = c;
                lastIndex = uchar(i);
            }
            dst[x] = lastIndex;
        }
    }
    if (out.palette.isEmpty())
        out.palette.append(qRgb(255, 255, 255));
    return out;
}

// ---------------------------------------------------------------- file writing

namespace {

// Page pictures are long runs of one colour and repeated rows, which the fast levels find too:
// on report pages level 2 takes half the time of the default level for about 1.5 times its size
// (27 KB rather than 18 KB a page), and level 1 is no faster but larger.
constexpr int kImageCompression = 2;

bool deflate(const QByteArray &in, QByteArray &out, int level = Z_DEFAULT_COMPRESSION)
{
    uLongf size = compressBound(uLong(in.size()));
    out.resize(qsizetype(size));
    const int rc = compress2(reinterpret_cast<Bytef *>(out.data()), &size,
                             reinterpret_cast<const Bytef *>(in.constData()), uLong(in.size()),
                             level);
    if (rc != Z_OK)
        return false;
    out.resize(qsizetype(size));
    return true;
}

QByteArray paletteHex(const QVector<QRgb> &palette)
{
    static const char digits[] = "0123456789ABCDEF";
    QByteArray hex;
    hex.reserve(256 * 7 + 2);
    hex += '<';
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette.at(i) : qRgb(0, 0, 0);
        if (i > 0)
            hex += ' ';
        for (int v : {qRed(c), qGreen(c), qBlue(c)}) {
            hex += digits[(v >> 4) & 0xf];
            hex += digits[v & 0xf];
        }
    }
    hex += '>';
    return hex;
}

QByteArray pdfDate(const QDateTime &when)
{
    return QByteArrayLiteral("D:") + when.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
}

class PdfFile {
public:
    explicit PdfFile(QSaveFile &file) : m_file(file) {}

    bool write(const QByteArray &bytes)
    {
        if (m_file.write(bytes) != bytes.size())
            return false;
        m_offset += bytes.size();
        return true;
    }
    bool beginObject(int number)
    {
        if (int(m_offsets.size()) <= number)
            m_offsets.resize(number + 1, -1);
        m_offsets[number] = m_offset;
        return write(QByteArray::number(number) + " 0 obj\n");
    }
    bool object(int number, const QByteArray &body)
    {
        return beginObject(number) && write(body + "\nendobj\n");
    }
    bool stream(int number, const QByteArray &dictionaryEntries, const QByteArray &data)
    {
        return beginObject(number)
            && write("<< " + dictionaryEntries + " /Filter /FlateDecode /Length " + QByteArray::number(data.size())
                     + " >>\nstream\n")
            && write(data) && write("\nendstream\nendobj\n");
    }
    bool finish(int infoObject, int rootObject)
    {
        const qint64 xref = m_offset;
        QByteArray table = "xref\n0 " + QByteArray::number(qsizetype(m_offsets.size())) + "\n";
        table += "0000000000 65535 f \n";
        for (size_t i = 1; i < m_offsets.size(); ++i)
            table += QByteArray::number(m_offsets[i]).rightJustified(10, '0') + " 00000 n \n";
        table += "trailer\n<< /Size " + QByteArray::number(qsizetype(m_offsets.size())) + " /Root "
            + QByteArray::number(rootObject) + " 0 R /Info " + QByteArray::number(infoObject) + " 0 R >>\n";
        table += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return write(table);
    }
    qint64 size() const { return m_offset; }

private:
    QSaveFile &m_file;
    qint64 m_offset = 0;
    std::vector<qint64> m_offsets;
};

// Object numbers: 1 catalogue, 2 page tree, 3 outline, 4 information, then three per page
// (page, content stream, image).
constexpr int kCatalog = 1;
constexpr int kPages = 2;
constexpr int kOutlines = 3;
constexpr int kInfo = 4;
inline int pageObject(int i) { return 5 + 3 * i; }
inline int contentObject(int i) { return 6 + 3 * i; }
inline int imageObject(int i) { return 7 + 3 * i; }

// Standard Helvetica with the Czech letters and a few signs added to WinAnsi above code 127
// (unused codes there), so the text layer needs no embedded font.
const char *const kExtraGlyphs[] = {
    "Aacute", "aacute", "Ccaron", "ccaron", "Dcaron", "dcaron", "Eacute", "eacute", "Ecaron", "ecaron",
    "Iacute", "iacute", "Ncaron", "ncaron", "Oacute", "oacute", "Rcaron", "rcaron", "Scaron", "scaron",
    "Tcaron", "tcaron", "Uacute", "uacute", "Uring", "uring", "Yacute", "yacute", "Zcaron", "zcaron",
    "endash", "quotedblbase", "quotedblleft", "multiply", "arrowright", "section", "Adieresis", "adieresis",
    "Odieresis", "odieresis", "Udieresis", "udieresis", "germandbls", "Lacute", "lacute", "Lcaron", "lcaron",
    "ocircumflex", "ellipsis",
};
const char16_t kExtraChars[] = u"ÁáČčĎďÉéĚěÍíŇňÓóŘřŠšŤťÚúŮůÝýŽž–„“×→§ÄäÖöÜüßĹĺĽľô…";
static_assert(std::size(kExtraChars) - 1 == std::size(kExtraGlyphs), "one glyph name per character");
constexpr int kFirstExtraCode = 128;

QByteArray textFontObject()
{
    QByteArray differences = QByteArray::number(kFirstExtraCode);
    for (const char *glyph : kExtraGlyphs)
        differences += " /" + QByteArray(glyph);
    return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /Type /Encoding /BaseEncoding"
           " /WinAnsiEncoding /Differences ["
        + differences + "] >> >>";
}

QByteArray pdfTextString(const QString &text)
{
    QByteArray out = "(";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'(' || u == u')' || u == u'\\') {
            out += '\\';
            out += char(u);
        } else if (u >= 32 && u < 127) {
            out += char(u);
        } else {
            const char16_t *hit = std::char_traits<char16_t>::find(kExtraChars, std::size(kExtraChars) - 1, u);
            out += hit ? char(kFirstExtraCode + (hit - kExtraChars)) : '?';
        }
    }
    return out + ")";
}

QByteArray textOperators(const QList<PdfTextRun> &runs, const PdfPicturePlacement &place)
{
    QByteArray ops = "BT\n3 Tr\n";
    for (const PdfTextRun &run : runs) {
        if (run.text.trimmed().isEmpty())
            continue;
        const double size = std::max(1.0, run.height * place.height * 0.8);
        const double x = place.x + run.x * place.width;
        const double y = place.y + place.height - (run.y + run.height * 0.8) * place.height;
        ops += "/F1 " + QByteArray::number(size, 'f', 2) + " Tf 1 0 0 1 " + QByteArray::number(x, 'f', 2) + " "
            + QByteArray::number(y, 'f', 2) + " Tm " + pdfTextString(run.text) + " Tj\n";
    }
    return ops + "ET\n";
}

PdfResult fail(const QString &message)
{
    PdfResult r;
    r.errorMessage = message;
    return r;
}

} // namespace

PdfResult writePdf(const QString &path, int pageCount, const PdfPageSource &pages, const PdfOptions &options,
                   const PdfProgress &progress)
{
    if (pageCount <= 0 || !pages)
        return fail(QStringLiteral("No pages to write."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    PdfFile pdf(file);

    const QByteArray mediaBox = options.landscape ? QByteArrayLiteral("[0 0 792 612]")
                                                  : QByteArrayLiteral("[0 0 612 792]");
    bool ok = pdf.write(QByteArrayLiteral("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"));
    for (int i = 0; ok && i < pageCount; ++i) {
        if (progress)
            progress(i + 1, pageCount);
        const QImage picture = pages(i);
        if (picture.isNull()) {
            file.cancelWriting();
            return fail(QStringLiteral("Page %1 has no picture.").arg(i + 1));
        }
        const IndexedPicture indexed = quantizeTo256(picture);
        const PdfPicturePlacement place = pdfPicturePlacement(indexed.width, indexed.height, options);

        QByteArray imageData;
        QByteArray content;
        QByteArray operators = "q\n" + QByteArray::number(place.width) + " 0 0 " + QByteArray::number(place.height)
            + " " + QByteArray::number(place.x) + " " + QByteArray::number(place.y) + " cm\n/Im1 Do\nQ\n";
        QByteArray fontResource;
        if (options.text) {
            operators += textOperators(options.text(i), place);
            fontResource = " /Font << /F1 " + QByteArray::number(pageObject(pageCount)) + " 0 R >>";
        }
        if (!deflate(indexed.indices, imageData, kImageCompression) || !deflate(operators, content)) {
            file.cancelWriting();
            return fail(QStringLiteral("Compression failed on page %1.").arg(i + 1));
        }
        ok = pdf.object(pageObject(i),
                        "<< /Type /Page /Parent 2 0 R /MediaBox " + mediaBox
                            + " /Resources << /ProcSet [/PDF /ImageC /ImageI" + (options.text ? " /Text" : "")
                            + "] /XObject << /Im1 " + QByteArray::number(imageObject(i)) + " 0 R >>" + fontResource
                            + " >> /Contents "
                            + QByteArray::number(contentObject(i)) + " 0 R >>")
            && pdf.stream(contentObject(i), QByteArray(), content)
            && pdf.stream(imageObject(i),
                          "/Type /XObject /Subtype /Image /Width " + QByteArray::number(indexed.width) + " /Height "
                              + QByteArray::number(indexed.height) + " /ColorSpace [/Indexed /DeviceRGB 255 "
                              + paletteHex(indexed.palette) + "] /BitsPerComponent 8",
                          imageData);
    }

    // The text layer's font follows the last page's objects.
    if (ok && options.text)
        ok = pdf.object(pageObject(pageCount), textFontObject());
    QByteArray kids;
    for (int i = 0; i < pageCount; ++i)
        kids += (i ? " " : "") + QByteArray::number(pageObject(i)) + " 0 R";
    const QDateTime created = options.creationDate.isValid() ? options.creationDate : QDateTime::currentDateTime();
    ok = ok && pdf.object(kCatalog, "<< /Type /Catalog /Pages 2 0 R /Outlines 3 0 R >>")
        && pdf.object(kPages, "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pageCount) + " >>")
        && pdf.object(kOutlines, "<< /Type /Outlines /Count 0 >>")
        && pdf.object(kInfo, "<< /CreationDate (" + pdfDate(created)
                                 + ") /Producer () /Author () /Creator () /Keywords () /Subject () /Title ()"
                                   " /ModDate () >>")
        && pdf.finish(kInfo, kCatalog);
    if (!ok) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    const qint64 bytes = pdf.size();
    if (!file.commit())
        return fail(file.errorString());
    PdfResult result;
    result.ok = true;
    result.pageCount = pageCount;
    result.bytes = bytes;
    return result;
}

PdfResult writePdf(const QString &path, const QList<QImage> &pages, const PdfOptions &options,
                   const PdfProgress &progress)
{
    return writePdf(
        path, int(pages.size()), [&pages](int i) { return pages.at(i); }, options, progress);
}

PdfResult writeReportPdf(const QString &path, const LaidOutReport &report, const PdfProgress &progress,
                         const QDateTime &creationDate, bool searchable)
{
    PdfOptions options;
    options.landscape = report.setup.landscape;
    options.creationDate = creationDate;
    if (searchable) {
        const QSizeF paper = report.paperSize();
        options.text = [&report, paper](int i) {
            QList<PdfTextRun> runs;
            for (const DrawItem &item : report.pages.at(i).items) {
                if (item.kind != ReportItem::Kind::Text || item.text.isEmpty() || item.rotation != 0)
                    continue;
                runs.append(PdfTextRun{item.rect.left() / paper.width(), item.rect.top() / paper.height(),
                                       lineHeightMm(item.font) / paper.height(), item.text});
            }
            return runs;
        };
    }
    return writePdf(
        path, int(report.pages.size()), [&report](int i) { return renderPage(report, i, kScreenDpi); }, options,
        progress);
}

} // namespace pelmixi::printing
