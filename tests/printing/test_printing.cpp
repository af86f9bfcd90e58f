// Tests of the printing library: PDF files read back by our parser and by qpdf/poppler,
// report layouts checked on the laid-out pages, barcodes decoded by zbarimg.
#include "printing/barcode.h"
#include "printing/documentreports.h"
#include "printing/palletlabel.h"
#include "printing/pdfwriter.h"
#include "printing/reportengine.h"
#include "printing/samplelabels.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

#include <cmath>

using namespace pelmixi::printing;

namespace {

const QDateTime kPrintedAt(QDate(2024, 3, 15), QTime(9, 5, 7));

ReportRow documentRow(const QString &smes, const QString &partie, double mnozstvi, const QString &mj)
{
    ReportRow r;
    r.insert(QStringLiteral("cislodokla"), QStringLiteral("2401000012"));
    r.insert(QStringLiteral("datum"), QDate(2024, 3, 14));
    r.insert(QStringLiteral("stredisko"), QStringLiteral("010"));
    r.insert(QStringLiteral("nazevstr"), QStringLiteral("Středisko Žďár"));
    r.insert(QStringLiteral("smes"), smes);
    r.insert(QStringLiteral("partiecela"), partie);
    r.insert(QStringLiteral("podnik"), QString());
    r.insert(QStringLiteral("lomeni"), 0);
    r.insert(QStringLiteral("nomenkla"), QStringLiteral("10012000"));
    r.insert(QStringLiteral("naz_dru"), QStringLiteral("Pšenice ozimá"));
    r.insert(QStringLiteral("naz_odru"), QStringLiteral("Bohemia"));
    r.insert(QStringLiteral("stupen"), QStringLiteral("C2"));
    r.insert(QStringLiteral("mnozstvi"), mnozstvi);
    r.insert(QStringLiteral("mj"), mj);
    r.insert(QStringLiteral("pr"), 10.0);
    r.insert(QStringLiteral("nc"), 5234.75);
    r.insert(QStringLiteral("popis"), QStringLiteral("Čištěné zrno"));
    r.insert(QStringLiteral("ulc"), QStringLiteral("Š-1"));
    return r;
}

// The mix row first, then `lines` composition lines, as the report query orders them.
ReportRows documentRows(int lines)
{
    ReportRows rows;
    rows << documentRow(QStringLiteral("1"), QStringLiteral("551240012"), 2.5, QStringLiteral("t"));
    for (int i = 0; i < lines; ++i)
        rows << documentRow(QStringLiteral("0"), QStringLiteral("12000%1").arg(i, 3, 10, QLatin1Char('0')),
                            0.25, QStringLiteral("t"));
    return rows;
}

DocumentReportOptions fixedOptions()
{
    DocumentReportOptions options;
    options.clock = [] { return kPrintedAt; };
    return options;
}

QList<const DrawItem *> itemsNamed(const ReportPage &page, const QString &name, BandKind band)
{
    QList<const DrawItem *> found;
    for (const DrawItem &item : page.items)
        if (item.name == name && item.band == band)
            found << &item;
    return found;
}

QStringList detailTexts(const LaidOutReport &report, const QString &name)
{
    QStringList texts;
    for (const ReportPage &page : report.pages)
        for (const DrawItem *item : itemsNamed(page, name, BandKind::Detail))
            texts << item->text;
    return texts;
}

ReportRow labelRow(const QString &partie)
{
    ReportRow r;
    r.insert(QStringLiteral("stredisko"), QStringLiteral("010"));
    r.insert(QStringLiteral("partiecela"), partie);
    r.insert(QStringLiteral("nazevosiva"), QStringLiteral("Krmná směs pro nosnice"));
    r.insert(QStringLiteral("popis"), QStringLiteral("sypká"));
    r.insert(QStringLiteral("cinnost"), QStringLiteral("nosnice"));
    r.insert(QStringLiteral("mnozstvi"), 2500.0);
    r.insert(QStringLiteral("mj"), QStringLiteral("kg"));
    r.insert(QStringLiteral("poceto1"), 100.0);
    r.insert(QStringLiteral("mo1"), QStringLiteral("pytel"));
    r.insert(QStringLiteral("navesky"), QStringLiteral("1-100"));
    r.insert(QStringLiteral("datum"), QDate(2024, 3, 14));
    return r;
}

ReportRow palletRow(const QString &partie)
{
    ReportRow r;
    r.insert(QStringLiteral("naz_dru"), QStringLiteral("Krmná směs KN-1"));
    r.insert(QStringLiteral("naz_odru"), QStringLiteral("nosnice"));
    r.insert(QStringLiteral("partiecela"), partie);
    r.insert(QStringLiteral("popis"), packagingLine(20, 25, palletTotal(20, 25), QStringLiteral("kg")));
    r.insert(QStringLiteral("sidlo"), QStringLiteral("Skladovat v suchu"));
    return r;
}

// ---- a small reader of the PDFs this writer produces

struct PdfObject {
    QByteArray dictionary;
    QByteArray stream; // raw (still compressed)
};

QByteArray inflate(const QByteArray &data)
{
    QByteArray out;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return {};
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    char buffer[65536];
    int rc = Z_OK;
    do {
        zs.next_out = reinterpret_cast<Bytef *>(buffer);
        zs.avail_out = sizeof buffer;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        out.append(buffer, qsizetype(sizeof buffer - zs.avail_out));
    } while (rc != Z_STREAM_END);
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? out : QByteArray();
}

// Objects by number, found through the cross-reference table (which this also checks).
QMap<int, PdfObject> readPdf(const QByteArray &pdf, QString *error)
{
    QMap<int, PdfObject> objects;
    const qsizetype sx = pdf.lastIndexOf("startxref\n");
    if (sx < 0) {
        *error = QStringLiteral("no startxref");
        return {};
    }
    const qsizetype xref = pdf.mid(sx + 10).split('\n').first().toLongLong();
    if (pdf.mid(xref, 5) != "xref\n") {
        *error = QStringLiteral("startxref does not point at the xref table");
        return {};
    }
    const QList<QByteArray> lines = pdf.mid(xref).split('\n');
    const int count = lines.at(1).split(' ').at(1).toInt();
    for (int n = 1; n < count; ++n) {
        const qint64 offset = lines.at(2 + n).left(10).toLongLong();
        const QByteArray head = QByteArray::number(n) + " 0 obj\n";
        if (pdf.mid(offset, head.size()) != head) {
            *error = QStringLiteral("xref entry %1 points elsewhere").arg(n);
            return {};
        }
        const qsizetype bodyStart = offset + head.size();
        const qsizetype streamAt = pdf.indexOf(">>\nstream\n", bodyStart);
        const qsizetype endAt = pdf.indexOf("\nendobj\n", bodyStart);
        PdfObject object;
        if (streamAt >= 0 && streamAt < endAt) {
            object.dictionary = pdf.mid(bodyStart, streamAt + 2 - bodyStart);
            static const QRegularExpression lengthRe(QStringLiteral("/Length (\\d+)"));
            const auto m = lengthRe.match(QString::fromLatin1(object.dictionary));
            const qsizetype length = m.captured(1).toLongLong();
            object.stream = pdf.mid(streamAt + 10, length);
            if (pdf.mid(streamAt + 10 + length, 11) != "\nendstream\n") {
                *error = QStringLiteral("stream %1 has a wrong /Length").arg(n);
                return {};
            }
        } else {
            object.dictionary = pdf.mid(bodyStart, endAt - bodyStart);
        }
        objects.insert(n, object);
    }
    return objects;
}

QString tool(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

int runTool(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return -1;
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// zbarimg needs a quiet zone; the label gives the bars a white surround the same way.
QString saveWithQuietZone(const QImage &bars, const QString &path)
{
    QImage padded(bars.width() * 3 + 60, bars.height() * 3 + 60, QImage::Format_RGB32);
    padded.fill(Qt::white);
    QPainter p(&padded);
    p.drawImage(QRect(30, 30, bars.width() * 3, bars.height() * 3), bars);
    p.end();
    padded.save(path);
    return path;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void pdfPortraitStructure();
    void pdfLandscapePage();
    void pdfPaletteAndPixels();
    void pdfReadableByTools_data();
    void pdfReadableByTools();
    void pdfFailureAndProgress();
    void pdfManyPagesPageByPage();

    void pageHeaderHiddenOnFirstPage();
    void emptyDocumentStillPrints();
    void mixRowInRecipeNotInProtocolDetails();
    void batchSuffix_data();
    void batchSuffix();
    void kilogramRule_data();
    void kilogramRule();
    void companyDataReadAtEachLayout();
    void printedAtAndFooter();

    void sampleSheetRows_data();
    void sampleSheetRows();
    void sampleSheetPlacement_data();
    void sampleSheetPlacement();
    void batchDisplay_data();
    void batchDisplay();

    void palletNumbers_data();
    void palletNumbers();
    void palletLabelLayout();

    void barcodeDecodes_data();
    void barcodeDecodes();
    void barcodeFromPdfPage();
    void barcodeErrorPicture();

    void fontsAndDiacritics();
    void fitTextShrinksThenElides_data();
    void fitTextShrinksThenElides();
    void longTextsStayInTheirRoom_data();
    void longTextsStayInTheirRoom();
    void numberFormats_data();
    void numberFormats();
    void printingRepeatsCopies();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestPrinting::initTestCase()
{
    QVERIFY(m_dir.isValid());
    registerReportFonts();
}

void TestPrinting::pdfPortraitStructure()
{
    const LaidOutReport report = recipeDocumentReport(documentRows(3), fixedOptions()).layout();
    QCOMPARE(report.pages.size(), 1);
    const QString file = path(QStringLiteral("portrait.PDF"));
    const PdfResult result = writeReportPdf(file, report, {}, kPrintedAt);
    QVERIFY2(result.ok, qPrintable(result.errorMessage));

    const QByteArray pdf = readFile(file);
    QVERIFY(pdf.startsWith("%PDF-1.4\n"));
    QCOMPARE(result.bytes, pdf.size());
    QVERIFY2(pdf.size() < 80 * 1024, QByteArray::number(pdf.size()).constData());
    QString error;
    const QMap<int, PdfObject> objects = readPdf(pdf, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QList<int> pages, images, contents;
    QByteArray catalog, info, pageTree, outlines;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const QByteArray &d = it->dictionary;
        if (d.contains("/Type /Page ") || d.contains("/Type /Page>"))
            pages << it.key();
        else if (d.contains("/Subtype /Image"))
            images << it.key();
        else if (d.contains("/Type /Catalog"))
            catalog = d;
        else if (d.contains("/Type /Pages"))
            pageTree = d;
        else if (d.contains("/Type /Outlines"))
            outlines = d;
        else if (d.contains("/CreationDate"))
            info = d;
        else if (!it->stream.isEmpty())
            contents << it.key();
    }
    QCOMPARE(pages.size(), 1);
    QCOMPARE(images.size(), 1);
    QCOMPARE(contents.size(), 1);
    QVERIFY(pageTree.contains("/Count 1"));
    QVERIFY(objects.value(pages.first()).dictionary.contains("/MediaBox [0 0 612 792]"));
    QVERIFY(catalog.contains("/Outlines"));
    QVERIFY(outlines.contains("/Count 0"));
    QVERIFY(info.contains("/CreationDate (D:20240315090507)"));
    for (const char *key : {"/Producer ()", "/Author ()", "/Creator ()", "/Keywords ()", "/Subject ()", "/Title ()",
                            "/ModDate ()"})
        QVERIFY2(info.contains(key), key);

    // The page picture: A4 at 96 dpi, placed by the fixed Letter-page formulas.
    const PdfObject image = objects.value(images.first());
    QVERIFY(image.dictionary.contains("/Width 794 /Height 1123"));
    QVERIFY(image.dictionary.contains("/BitsPerComponent 8"));
    QVERIFY(image.dictionary.contains("/Filter /FlateDecode"));
    QCOMPARE(inflate(image.stream).size(), 794 * 1123);
    const int w = int(std::floor(794.0 * 612 / (96 * 10)));
    const int h = int(std::floor(1123.0 * 792 / (96 * 11.9)));
    const QByteArray expected =
        "q\n" + QByteArray::number(w) + " 0 0 " + QByteArray::number(h) + " 52 " + QByteArray::number(792 - h)
        + " cm\n/Im1 Do\nQ\n";
    QCOMPARE(inflate(objects.value(contents.first()).stream), expected);
    QCOMPARE(expected, QByteArray("q\n506 0 0 778 52 14 cm\n/Im1 Do\nQ\n"));
}

void TestPrinting::pdfLandscapePage()
{
    const LaidOutReport report = palletLabelReport({palletRow(QStringLiteral("551240012"))}).layout();
    QCOMPARE(report.pages.size(), 1);
    QVERIFY(report.setup.landscape);
    const QString file = path(QStringLiteral("landscape.PDF"));
    QVERIFY(writeReportPdf(file, report).ok);
    QString error;
    const QMap<int, PdfObject> objects = readPdf(readFile(file), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    bool sawPage = false, sawContent = false;
    for (const PdfObject &o : objects) {
        if (o.dictionary.contains("/Type /Page ")) {
            QVERIFY(o.dictionary.contains("/MediaBox [0 0 792 612]"));
            sawPage = true;
        }
        if (o.dictionary.contains("/Width"))
            QVERIFY(o.dictionary.contains("/Width 1123 /Height 794"));
        if (!o.stream.isEmpty() && !o.dictionary.contains("/Subtype /Image")) {
            const int w = int(std::floor(1123.0 * 792 / (96 * 13)));
            const int h = int(std::floor(794.0 * 612 / (96 * 8)));
            QCOMPARE(inflate(o.stream), "q\n" + QByteArray::number(w) + " 0 0 " + QByteArray::number(h) + " 52 "
                                            + QByteArray::number(612 - h) + " cm\n/Im1 Do\nQ\n");
            sawContent = true;
        }
    }
    QVERIFY(sawPage && sawContent);
}

void TestPrinting::pdfPaletteAndPixels()
{
    // Few colours: exact. A photo-like gradient: 256 colours close to the original.
    QImage few(40, 30, QImage::Format_RGB32);
    few.fill(Qt::white);
    for (int x = 0; x < 40; ++x)
        few.setPixel(x, 10, qRgb(x * 6, 0, 128));
    IndexedPicture exact = quantizeTo256(few);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            QCOMPARE(exact.palette.at(uchar(exact.indices.at(y * 40 + x))), few.pixel(x, y));

    QImage rich(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            rich.setPixel(x, y, qRgb(x, y, (x + y) / 2));
    const IndexedPicture reduced = quantizeTo256(rich);
    QCOMPARE(reduced.palette.size(), 256);
    int worst = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const QRgb got = reduced.palette.at(uchar(reduced.indices.at(y * 256 + x)));
            const QRgb want = rich.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                              std::abs(qBlue(got) - qBlue(want))});
        }
    QVERIFY2(worst <= 40, QByteArray::number(worst).constData());

    // The palette written into the PDF is the 256-entry hex string the image indexes.
    const QString file = path(QStringLiteral("palette.PDF"));
    QVERIFY(writePdf(file, QList<QImage>{few}, PdfOptions{}).ok);
    const QByteArray pdf = readFile(file);
    static const QRegularExpression re(QStringLiteral("/Indexed /DeviceRGB 255 <([0-9A-F ]*)>"));
    const auto m = re.match(QString::fromLatin1(pdf));
    QVERIFY(m.hasMatch());
    const QStringList entries = m.captured(1).split(QLatin1Char(' '));
    QCOMPARE(entries.size(), 256);
    QCOMPARE(entries.first().size(), 6);
    QVERIFY(entries.contains(QStringLiteral("FFFFFF")));
    QVERIFY(entries.contains(QStringLiteral("1E0080"))); // qRgb(30, 0, 128)
}

void TestPrinting::pdfReadableByTools_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("lines");
    QTest::newRow("recipe, one page") << QStringLiteral("recipe") << 3;
    QTest::newRow("recipe, three pages") << QStringLiteral("recipe") << 60;
    QTest::newRow("protocol") << QStringLiteral("protocol") << 20;
    QTest::newRow("sample labels") << QStringLiteral("labels") << 6;
    QTest::newRow("pallet label") << QStringLiteral("pallet") << 1;
}

void TestPrinting::pdfReadableByTools()
{
    QFETCH(QString, kind);
    QFETCH(int, lines);
    if (tool(QStringLiteral("qpdf")).isEmpty())
        QSKIP("qpdf is not installed");
    LaidOutReport report;
    if (kind == u"recipe")
        report = recipeDocumentReport(documentRows(lines), fixedOptions()).layout();
    else if (kind == u"protocol")
        report = mixingProtocolReport(documentRows(lines), [] { return CompanyData(); }, fixedOptions()).layout();
    else if (kind == u"labels")
        report = sampleLabelReport(sampleLabelSheetRows(lines, 4, labelRow(QStringLiteral("551240012"))), {}).layout();
    else
        report = palletLabelReport({palletRow(QStringLiteral("551240012"))}).layout();
    QVERIFY(!report.pages.isEmpty());

    const QString file = path(kind + QString::number(lines) + QStringLiteral(".PDF"));
    QVERIFY(writeReportPdf(file, report).ok);
    QByteArray out;
    QCOMPARE(runTool(tool(QStringLiteral("qpdf")), {QStringLiteral("--check"), file}, &out), 0);
    QVERIFY2(out.contains("No syntax or stream encoding errors"), out.constData());
    QCOMPARE(runTool(tool(QStringLiteral("qpdf")), {QStringLiteral("--show-npages"), file}, &out), 0);
    QCOMPARE(out.trimmed().toInt(), int(report.pages.size()));
    if (!tool(QStringLiteral("pdfinfo")).isEmpty()) {
        QCOMPARE(runTool(tool(QStringLiteral("pdfinfo")), {file}, &out), 0);
        QVERIFY(QString::fromLatin1(out).contains(QRegularExpression(QStringLiteral("PDF version:\\s+1\\.4"))));
    }
}

void TestPrinting::pdfFailureAndProgress()
{
    QList<QImage> pages;
    for (int i = 0; i < 3; ++i) {
        QImage page(100, 140, QImage::Format_RGB32);
        page.fill(Qt::white);
        pages << page;
    }
    QList<QPair<int, int>> calls;
    const QString file = path(QStringLiteral("progress.PDF"));
    const PdfResult ok = writePdf(file, pages, PdfOptions{}, [&calls](int i, int n) { calls.append({i, n}); });
    QVERIFY(ok.ok);
    QCOMPARE(ok.pageCount, 3);
    QCOMPARE(calls, (QList<QPair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));

    const QString missingFolder = path(QStringLiteral("no/such/folder/x.PDF"));
    const PdfResult failed = writePdf(missingFolder, pages, PdfOptions{});
    QVERIFY(!failed.ok);
    QVERIFY(!failed.errorMessage.isEmpty());
    QVERIFY(!QFile::exists(missingFolder));
    QCOMPARE(pdfExportErrorText(), QStringLiteral("Chyba při exportu tisku"));
    QCOMPARE(pdfFileName(QStringLiteral("C:/pdf/2401000012KS")), QStringLiteral("C:/pdf/2401000012KS.PDF"));

    // A failing page leaves an earlier file of that name untouched.
    pages[1] = QImage();
    const PdfResult broken = writePdf(file, pages, PdfOptions{});
    QVERIFY(!broken.ok);
    QCOMPARE(readFile(file).size(), ok.bytes);
}

void TestPrinting::pdfManyPagesPageByPage()
{
    // Page i carries a black bar of i + 1 pixels at the top left. The writer asks for each page
    // once, in order, and has let go of the previous picture when it asks for the next one.
    constexpr int kPages = 300;
    QImage previous;
    QList<int> asked;
    int stillHeld = 0;
    const PdfPageSource source = [&](int i) {
        asked << i;
        if (!previous.isNull() && !previous.isDetached())
            ++stillHeld;
        QImage page(794, 1123, QImage::Format_RGB32);
        page.fill(Qt::white);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x <= i; ++x)
                page.setPixel(x, y, qRgb(0, 0, 0));
        previous = page;
        return page;
    };
    const QString file = path(QStringLiteral("many.PDF"));
    const PdfResult result = writePdf(file, kPages, source, PdfOptions{});
    QVERIFY2(result.ok, qPrintable(result.errorMessage));
    QCOMPARE(result.pageCount, kPages);
    QCOMPARE(asked.size(), kPages);
    for (int i = 0; i < kPages; ++i)
        QCOMPARE(asked.at(i), i);
    QCOMPARE(stillHeld, 0);

    if (!tool(QStringLiteral("qpdf")).isEmpty()) {
        QByteArray out;
        QCOMPARE(runTool(tool(QStringLiteral("qpdf")), {QStringLiteral("--check"), file}, &out), 0);
        QVERIFY2(out.contains("No syntax or stream encoding errors"), out.constData());
        QCOMPARE(runTool(tool(QStringLiteral("qpdf")), {QStringLiteral("--show-npages"), file}, &out), 0);
        QCOMPARE(out.trimmed().toInt(), kPages);
    }
    if (!tool(QStringLiteral("pdfinfo")).isEmpty()) {
        QByteArray out;
        QCOMPARE(runTool(tool(QStringLiteral("pdfinfo")), {file}, &out), 0);
        QVERIFY2(QString::fromLatin1(out).contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(kPages))),
                 out.constData());
    }

    // Every page in the page tree, in order, with its own picture.
    QString error;
    const QMap<int, PdfObject> objects = readPdf(readFile(file), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QByteArray tree;
    for (const PdfObject &o : objects)
        if (o.dictionary.contains("/Type /Pages"))
            tree = o.dictionary;
    QVERIFY(tree.contains("/Count " + QByteArray::number(kPages) + " "));
    static const QRegularExpression kidRe(QStringLiteral("(\\d+) 0 R"));
    const QString kidsText = QString::fromLatin1(tree.mid(tree.indexOf("/Kids ["), tree.indexOf("]") - tree.indexOf("/Kids [")));
    QList<int> kids;
    for (auto it = kidRe.globalMatch(kidsText); it.hasNext();)
        kids << it.next().captured(1).toInt();
    QCOMPARE(kids.size(), kPages);
    static const QRegularExpression imageRe(QStringLiteral("/Im1 (\\d+) 0 R"));
    for (int i = 0; i < kPages; ++i) {
        const PdfObject page = objects.value(kids.at(i));
        QVERIFY(page.dictionary.contains("/Type /Page "));
        const auto m = imageRe.match(QString::fromLatin1(page.dictionary));
        QVERIFY(m.hasMatch());
        const PdfObject image = objects.value(m.captured(1).toInt());
        QVERIFY(image.dictionary.contains("/Width 794 /Height 1123"));
        const QByteArray pixels = inflate(image.stream);
        QCOMPARE(pixels.size(), 794 * 1123);
        const char black = pixels.at(0);
        int bar = 0;
        while (bar < 794 && pixels.at(bar) == black)
            ++bar;
        QCOMPARE(bar, i + 1);
        QCOMPARE(pixels.at(4 * 794), pixels.at(793)); // below the bar: white
    }
}

void TestPrinting::pageHeaderHiddenOnFirstPage()
{
    const LaidOutReport report = recipeDocumentReport(documentRows(40), fixedOptions()).layout();
    QVERIFY(report.pages.size() >= 2);
    const ReportPage &first = report.pages.at(0);
    const ReportPage &second = report.pages.at(1);
    QVERIFY(first.texts(QStringLiteral("headerCaption")).isEmpty());
    QVERIFY(first.texts(QStringLiteral("headerNumber")).isEmpty());
    QCOMPARE(second.texts(QStringLiteral("headerCaption")), QStringList{QStringLiteral("Protokol")});
    QCOMPARE(second.texts(QStringLiteral("headerNumber")), QStringList{QStringLiteral("2401000012")});
    // The header keeps its height on page 1: details start below title at 10 + 6.1 + 39.7.
    const DrawItem *firstDetail = first.find(QStringLiteral("partiecela"));
    QVERIFY(firstDetail);
    QVERIFY(std::abs(firstDetail->rect.top() - (10 + 6.1 + 39.7 + 0.5)) < 0.01);
    // Column headings belong to the title band: page 1 only.
    QCOMPARE(first.texts(QStringLiteral("colPartie")), QStringList{QStringLiteral("Partie")});
    QVERIFY(second.texts(QStringLiteral("colPartie")).isEmpty());
    // Every row printed once, in order, and each page ends with the footer inside the margin.
    QCOMPARE(detailTexts(report, QStringLiteral("partiecela")).size(), 41);
    for (const ReportPage &page : report.pages) {
        const DrawItem *rule = page.find(QStringLiteral("footerRule"));
        QVERIFY(rule);
        QVERIFY(std::abs(rule->rect.top() - (297 - 10 - 7.9 + 0.3)) < 0.01);
        for (const DrawItem *d : itemsNamed(page, QStringLiteral("partiecela"), BandKind::Detail))
            QVERIFY(d->rect.top() < 297 - 10 - 7.9);
    }
}

void TestPrinting::emptyDocumentStillPrints()
{
    for (const LaidOutReport &report :
         {recipeDocumentReport({}, fixedOptions()).layout(),
          mixingProtocolReport({}, [] { return CompanyData(); }, fixedOptions()).layout()}) {
        QCOMPARE(report.pages.size(), 1);
        const ReportPage &page = report.pages.first();
        QVERIFY(!page.texts(QStringLiteral("heading")).isEmpty());
        QVERIFY(page.texts(QStringLiteral("titleNumber")).isEmpty());
        QCOMPARE(page.texts(QStringLiteral("printedCaption")), QStringList{QStringLiteral("Vytištěno:")});
        QVERIFY(page.find(QStringLiteral("footerCredit")));
    }
    QVERIFY(palletLabelReport({}).layout().pages.isEmpty());
}

void TestPrinting::mixRowInRecipeNotInProtocolDetails()
{
    ReportRows rows = documentRows(2);
    rows << documentRow(QString(), QStringLiteral("EMPTYSMES"), 1, QStringLiteral("kg"));
    rows << documentRow(QStringLiteral(" 1"), QStringLiteral("SPACEDSMES"), 1, QStringLiteral("kg"));

    const LaidOutReport recipe = recipeDocumentReport(rows, fixedOptions()).layout();
    const QStringList kinds = detailTexts(recipe, QStringLiteral("smes"));
    QCOMPARE(kinds.value(0), QStringLiteral("1"));
    QCOMPARE(detailTexts(recipe, QStringLiteral("partiecela")).value(0), QStringLiteral("551240012"));
    QCOMPARE(detailTexts(recipe, QStringLiteral("partiecela")).size(), rows.size());

    const LaidOutReport protocol = mixingProtocolReport(rows, [] { return CompanyData(); }, fixedOptions()).layout();
    const QStringList batches = detailTexts(protocol, QStringLiteral("partiecela"));
    QCOMPARE(batches, (QStringList{QStringLiteral("12000000"), QStringLiteral("12000001"), QStringLiteral("EMPTYSMES"),
                                   QStringLiteral("SPACEDSMES")}));
    const ReportPage &page = protocol.pages.first();
    const QList<const DrawItem *> title = itemsNamed(page, QStringLiteral("partiecela"), BandKind::Title);
    QCOMPARE(title.size(), 1);
    QCOMPARE(title.first()->text, QStringLiteral("551240012"));
    QCOMPARE(detailTexts(protocol, QStringLiteral("komponenty")).value(0), QStringLiteral("Pšenice ozimá,  Bohemia"));
    // The detail rows start right below the title band: the suppressed mix row takes no room.
    QVERIFY(std::abs(itemsNamed(page, QStringLiteral("partiecela"), BandKind::Detail).first()->rect.top()
                     - (10 + 6.1 + 75.4 + 0.5))
            < 0.01);
}

void TestPrinting::batchSuffix_data()
{
    QTest::addColumn<QVariant>("podnik");
    QTest::addColumn<QVariant>("lomeni");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no podnik") << QVariant(QString()) << QVariant(3) << QStringLiteral("   ");
    QTest::newRow("null podnik") << QVariant() << QVariant(3) << QStringLiteral("   ");
    QTest::newRow("blank podnik") << QVariant(QStringLiteral("   ")) << QVariant(3) << QStringLiteral("   ");
    QTest::newRow("podnik, fraction 3") << QVariant(QStringLiteral("0101")) << QVariant(3) << QStringLiteral(" /3");
    QTest::newRow("podnik, fraction 0") << QVariant(QStringLiteral("0101")) << QVariant(0) << QStringLiteral(" /0");
    QTest::newRow("podnik, fraction 61") << QVariant(QStringLiteral("A")) << QVariant(61.0) << QStringLiteral(" /61");
}

void TestPrinting::batchSuffix()
{
    QFETCH(QVariant, podnik);
    QFETCH(QVariant, lomeni);
    QFETCH(QString, expected);
    ReportRows rows = documentRows(0);
    ReportRow line = documentRow(QStringLiteral("0"), QStringLiteral("12000001"), 1, QStringLiteral("t"));
    line.insert(QStringLiteral("podnik"), podnik);
    line.insert(QStringLiteral("lomeni"), lomeni);
    rows << line;
    const LaidOutReport report = recipeDocumentReport(rows, fixedOptions()).layout();
    QCOMPARE(detailTexts(report, QStringLiteral("batchSuffix")).value(1), expected);
}

void TestPrinting::kilogramRule_data()
{
    QTest::addColumn<bool>("kilograms");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<QString>("protocolAmount");
    QTest::addColumn<QString>("protocolUnit");
    QTest::addColumn<QString>("recipeAmount");
    QTest::newRow("on, tonnes") << true << QStringLiteral("t") << 1.25 << QStringLiteral("1250")
                                << QStringLiteral("kg") << QStringLiteral("1,25");
    QTest::newRow("on, padded upper-case T") << true << QStringLiteral(" T ") << 0.5 << QStringLiteral("500")
                                             << QStringLiteral("kg") << QStringLiteral("0,5");
    QTest::newRow("on, kilograms stay") << true << QStringLiteral("kg") << 1.25 << QStringLiteral("1,25")
                                        << QStringLiteral("kg") << QStringLiteral("1,25");
    QTest::newRow("on, pieces stay") << true << QStringLiteral("ks") << 3.0 << QStringLiteral("3")
                                     << QStringLiteral("ks") << QStringLiteral("3");
    QTest::newRow("off, tonnes stay") << false << QStringLiteral("t") << 1.25 << QStringLiteral("1,25")
                                      << QStringLiteral("t") << QStringLiteral("1,25");
}

void TestPrinting::kilogramRule()
{
    QFETCH(bool, kilograms);
    QFETCH(QString, unit);
    QFETCH(double, quantity);
    QFETCH(QString, protocolAmount);
    QFETCH(QString, protocolUnit);
    QFETCH(QString, recipeAmount);

    ReportRows rows;
    rows << documentRow(QStringLiteral("1"), QStringLiteral("551240012"), quantity, unit);
    rows << documentRow(QStringLiteral("0"), QStringLiteral("12000001"), quantity, unit);
    CompanyData company;
    company.tonsToKilograms = kilograms;

    const LaidOutReport protocol = mixingProtocolReport(rows, [company] { return company; }, fixedOptions()).layout();
    const ReportPage &page = protocol.pages.first();
    QCOMPARE(detailTexts(protocol, QStringLiteral("mnozstvi")), QStringList{protocolAmount});
    QCOMPARE(detailTexts(protocol, QStringLiteral("mj")), QStringList{protocolUnit});
    QCOMPARE(itemsNamed(page, QStringLiteral("mnozstvi"), BandKind::Title).first()->text, protocolAmount);
    QCOMPARE(itemsNamed(page, QStringLiteral("mj"), BandKind::Title).first()->text, protocolUnit);

    const LaidOutReport recipe = recipeDocumentReport(rows, fixedOptions()).layout();
    QCOMPARE(detailTexts(recipe, QStringLiteral("mnozstvi")), (QStringList{recipeAmount, recipeAmount}));
    QCOMPARE(detailTexts(recipe, QStringLiteral("mj")), (QStringList{unit, unit}));
}

void TestPrinting::companyDataReadAtEachLayout()
{
    int reads = 0;
    const Report report = mixingProtocolReport(documentRows(1), [&reads] {
        CompanyData data;
        data.nazev = QStringLiteral("Firma %1").arg(++reads);
        data.ico = QStringLiteral("12345678");
        return data;
    }, fixedOptions());
    QCOMPARE(report.layout().pages.first().texts(QStringLiteral("Editnazev_Text")),
             QStringList{QStringLiteral("Firma 1")});
    const LaidOutReport again = report.layout();
    QCOMPARE(again.pages.first().texts(QStringLiteral("Editnazev_Text")), QStringList{QStringLiteral("Firma 2")});
    QCOMPARE(again.pages.first().texts(QStringLiteral("EditICO_Text")), QStringList{QStringLiteral("12345678")});
}

void TestPrinting::printedAtAndFooter()
{
    const LaidOutReport report = recipeDocumentReport(documentRows(1), fixedOptions()).layout();
    const ReportPage &page = report.pages.first();
    QCOMPARE(page.texts(QStringLiteral("printedAt")), QStringList{QStringLiteral("15.03.2024 9:05:07")});
    QCOMPARE(page.texts(QStringLiteral("datum")), QStringList{QStringLiteral("14.03.2024")});
    QCOMPARE(page.texts(QStringLiteral("nc")).value(0), QStringLiteral("5 234,75"));
    // No logo given: the slot stays empty. With one: natural size at 96 dpi from 2.6/1.3.
    QVERIFY(!page.find(QStringLiteral("logo")));
    DocumentReportOptions options = fixedOptions();
    options.logo = QImage(192, 48, QImage::Format_RGB32);
    options.logo.fill(Qt::red);
    const ReportPage withLogo = recipeDocumentReport(documentRows(1), options).layout().pages.first();
    const DrawItem *logo = withLogo.find(QStringLiteral("logo"));
    QVERIFY(logo);
    QCOMPARE(logo->rect, QRectF(12.6, 10 + 6.1 + 1.3, 50.8, 12.7));
    const QImage rendered = renderPage(recipeDocumentReport(documentRows(1), options).layout(), 0);
    QCOMPARE(rendered.size(), QSize(794, 1123));
    QCOMPARE(QColor(rendered.pixel(qRound(12.6 / 25.4 * 96) + 5, qRound(17.4 / 25.4 * 96) + 5)), QColor(Qt::red));
}

void TestPrinting::sampleSheetRows_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("blanks");
    QTest::addColumn<int>("labels");
    QTest::newRow("1 from 1") << 1 << 1 << 0 << 1;
    QTest::newRow("2 from 3") << 2 << 3 << 2 << 2;
    QTest::newRow("6 from 4") << 6 << 4 << 3 << 6;
    QTest::newRow("count above 6") << 9 << 1 << 0 << 6;
    QTest::newRow("start below 1") << 1 << 0 << 0 << 1;
}

void TestPrinting::sampleSheetRows()
{
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(int, blanks);
    QFETCH(int, labels);
    const ReportRow row = labelRow(QStringLiteral("551240012"));
    const ReportRows rows = sampleLabelSheetRows(count, start, row);
    QCOMPARE(rows.size(), blanks + labels);
    for (int i = 0; i < rows.size(); ++i) {
        if (i < blanks) {
            QCOMPARE(rows.at(i).keys(), row.keys());
            for (const QVariant &v : rows.at(i))
                QVERIFY(v.isNull());
        } else {
            QCOMPARE(rows.at(i), row);
        }
    }
}

void TestPrinting::sampleSheetPlacement_data()
{
    // Positions 1..4: left top, left bottom, right top, right bottom; "-" a blank position.
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("sheets");
    QTest::newRow("two from position 3") << 2 << 3 << QStringList{QStringLiteral("--XX")};
    QTest::newRow("six from position 4")
        << 6 << 4 << QStringList{QStringLiteral("---X"), QStringLiteral("XXXX"), QStringLiteral("X---")};
    QTest::newRow("one from position 1") << 1 << 1 << QStringList{QStringLiteral("X---")};
}

void TestPrinting::sampleSheetPlacement()
{
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QStringList, sheets);
    const LaidOutReport report =
        sampleLabelReport(sampleLabelSheetRows(count, start, labelRow(QStringLiteral("551240012"))), {}).layout();
    QCOMPARE(report.pages.size(), sheets.size());
    QVERIFY(!report.setup.landscape);
    const double columnWidth = (210.0 - 5.0) / 2;
    for (int p = 0; p < sheets.size(); ++p) {
        QString seen = QStringLiteral("----");
        for (const DrawItem &item : report.pages.at(p).items) {
            const int column = item.rect.left() < 5.0 + columnWidth ? 0 : 1;
            const int row = item.rect.top() < 147.9 ? 0 : 1;
            seen[column * 2 + row] = QLatin1Char('X');
            if (item.name == u"partiecela") {
                QVERIFY(std::abs(item.rect.left() - (5.0 + column * columnWidth + 33.1)) < 0.01);
                QVERIFY(std::abs(item.rect.top() - (row * 147.9 + 29.1)) < 0.01);
                QCOMPARE(item.text, QStringLiteral("51240012/12"));
            }
        }
        QCOMPARE(seen, sheets.at(p));
        // A printed label carries every caption and the turned maker credit.
        for (int position = 0; position < 4; ++position) {
            if (sheets.at(p).at(position) != QLatin1Char('X'))
                continue;
            int captions = 0;
            bool credit = false;
            for (const DrawItem &item : report.pages.at(p).items) {
                const int column = item.rect.left() < 5.0 + columnWidth ? 0 : 1;
                const int row = item.rect.top() < 147.9 ? 0 : 1;
                if (column * 2 + row != position)
                    continue;
                captions += item.font.italic ? 1 : 0;
                if (item.name == u"makerCredit") {
                    credit = item.rotation == 90 && !item.text.isEmpty();
                    QCOMPARE(item.rect.size(), QSizeF(3.4, 70.4));
                }
            }
            QCOMPARE(captions, 13);
            QVERIFY(credit);
        }
    }
}

void TestPrinting::batchDisplay_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("mix code, /") << QStringLiteral("551240012") << QStringLiteral("/") << QStringLiteral("51240012/12");
    QTest::newRow("mix code, -") << QStringLiteral("551240012") << QStringLiteral("-") << QStringLiteral("551240012");
    QTest::newRow("mix code, other") << QStringLiteral("551240012") << QStringLiteral(".")
                                     << QStringLiteral("51240012.12");
    QTest::newRow("16 characters") << QStringLiteral("1234567890ABCDEF") << QStringLiteral("/")
                                   << QStringLiteral("234567890ABC/EF");
    QTest::newRow("padded code") << QStringLiteral("551240012       ") << QStringLiteral("/")
                                 << QStringLiteral("51240012/12");
    QTest::newRow("two characters") << QStringLiteral("12") << QStringLiteral("/") << QStringLiteral("2/12");
    QTest::newRow("one character") << QStringLiteral("7") << QStringLiteral("/") << QStringLiteral("/7");
}

void TestPrinting::batchDisplay()
{
    QFETCH(QString, code);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    QCOMPARE(pelmixi::printing::batchDisplay(code, separator), expected);
    SampleLabelSupplier supplier;
    supplier.separator = separator;
    const LaidOutReport report = sampleLabelReport(sampleLabelSheetRows(1, 1, labelRow(code)), supplier).layout();
    QCOMPARE(report.pages.first().texts(QStringLiteral("partiecela")), QStringList{expected});
}

void TestPrinting::palletNumbers_data()
{
    QTest::addColumn<double>("packages");
    QTest::addColumn<double>("weight");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("total");
    QTest::addColumn<QString>("line");
    QTest::newRow("20 x 25 kg") << 20.0 << 25.0 << QStringLiteral("kg") << 500.0
                                << QStringLiteral("20  x  25 kg  =  500 kg");
    QTest::newRow("half rounds to even, down") << 2.5 << 10.0 << QStringLiteral("kg") << 20.0
                                               << QStringLiteral("2  x  10 kg  =  20 kg");
    QTest::newRow("half rounds to even, up") << 3.5 << 10.0 << QStringLiteral("kg") << 40.0
                                             << QStringLiteral("4  x  10 kg  =  40 kg");
    QTest::newRow("decimal weight, padded unit") << 40.0 << 12.5 << QStringLiteral("kg ") << 500.0
                                                 << QStringLiteral("40  x  12,5 kg  =  500 kg");
    QTest::newRow("no stock card") << 0.0 << 0.0 << QString() << 0.0 << QStringLiteral("0  x  0   =  0 ");
}

void TestPrinting::palletNumbers()
{
    QFETCH(double, packages);
    QFETCH(double, weight);
    QFETCH(QString, unit);
    QFETCH(double, total);
    QFETCH(QString, line);
    QCOMPARE(palletTotal(packages, weight), total);
    QCOMPARE(packagingLine(packages, weight, palletTotal(packages, weight), unit), line);
}

void TestPrinting::palletLabelLayout()
{
    ReportRow row = palletRow(QStringLiteral("551240012"));
    // A total typed over in the dialog is what prints.
    row.insert(QStringLiteral("popis"), packagingLine(20, 25, 480, QStringLiteral("kg")));
    const LaidOutReport report = palletLabelReport({row}, 3).layout();
    QCOMPARE(report.copies, 3);
    QCOMPARE(report.pages.size(), 1);
    const ReportPage &page = report.pages.first();
    const struct {
        const char16_t *name;
        double top, height, size;
    } lines[] = {{u"naz_dru", 5.3, 22.8, 48}, {u"naz_odru", 34.4, 31.0, 60}, {u"partiecela", 71.4, 31.0, 60},
                 {u"popis", 108.5, 22.8, 48}, {u"sidlo", 138.9, 16.1, 32}};
    for (const auto &l : lines) {
        const DrawItem *item = page.find(QString::fromUtf16(l.name));
        QVERIFY(item);
        QCOMPARE(item->rect, QRectF(14.0, 10.0 + l.top, 264.3, l.height));
        QCOMPARE(item->font.pointSize, l.size);
        QCOMPARE(item->alignment, HAlign::Center);
        QVERIFY(item->wordWrap);
    }
    QCOMPARE(page.texts(QStringLiteral("popis")), QStringList{QStringLiteral("20  x  25 kg  =  480 kg")});
    const DrawItem *bars = page.find(QStringLiteral("barcode"));
    QVERIFY(bars);
    QCOMPARE(bars->rect, QRectF(12.6, 210 - 10 - 27.8 + 2.6, 178.9, 21.4));
    QVERIFY(!bars->stretch);
    // Natural size at 96 dpi: each module is one pixel of the 96 dpi page picture.
    const QImage rendered = renderPage(report, 0, kScreenDpi);
    const QImage expected = barcodePicture(QStringLiteral("0551240012")).image;
    const QPoint origin(qRound(12.6 / 25.4 * 96), qRound((210 - 10 - 27.8 + 2.6) / 25.4 * 96));
    QCOMPARE(rendered.copy(QRect(origin, expected.size())), expected.convertToFormat(rendered.format()));
    QCOMPARE(QColor(rendered.pixel(origin + QPoint(expected.width() + 2, 5))), QColor(Qt::white));
}

void TestPrinting::barcodeDecodes_data()
{
    QTest::addColumn<QString>("content");
    QTest::newRow("0 + mix batch code") << QStringLiteral("0551240012");
    QTest::newRow("no stock card: 0 alone") << QStringLiteral("0");
    QTest::newRow("letters and a dash") << QStringLiteral("0AB-12");
}

void TestPrinting::barcodeDecodes()
{
    QFETCH(QString, content);
    const BarcodePicture picture = barcodePicture(content, 25);
    QVERIFY(picture.ok);
    QCOMPARE(picture.image.height(), 25);
    // Black bars touch both ends: no quiet zone, as wide as the symbol.
    QCOMPARE(QColor(picture.image.pixel(0, 0)), QColor(Qt::black));
    QCOMPARE(QColor(picture.image.pixel(picture.image.width() - 1, 24)), QColor(Qt::black));
    if (content == u"0551240012")
        QCOMPARE(picture.image.width(), 11 + 5 * 11 + 11 + 13); // start C, five digit pairs, check, stop
    const QString zbar = tool(QStringLiteral("zbarimg"));
    if (zbar.isEmpty())
        QSKIP("zbarimg is not installed");
    const QString png = saveWithQuietZone(picture.image, path(QStringLiteral("bars.png")));
    QByteArray out;
    QCOMPARE(runTool(zbar, {QStringLiteral("--raw"), QStringLiteral("--nodbus"), QStringLiteral("-q"), png}, &out), 0);
    QCOMPARE(QString::fromUtf8(out).trimmed(), content);
}

void TestPrinting::barcodeFromPdfPage()
{
    const QString zbar = tool(QStringLiteral("zbarimg"));
    const QString pdftoppm = tool(QStringLiteral("pdftoppm"));
    if (zbar.isEmpty() || pdftoppm.isEmpty())
        QSKIP("zbarimg or pdftoppm is not installed");
    const LaidOutReport report = palletLabelReport({palletRow(QStringLiteral("551240012"))}).layout();
    const QString file = path(QStringLiteral("pallet.PDF"));
    QVERIFY(writeReportPdf(file, report).ok);
    const QString prefix = path(QStringLiteral("pallet-page"));
    QCOMPARE(runTool(pdftoppm, {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                QStringLiteral("-singlefile"), file, prefix}),
             0);
    QByteArray out;
    QCOMPARE(runTool(zbar, {QStringLiteral("--raw"), QStringLiteral("--nodbus"), QStringLiteral("-q"),
                            prefix + QStringLiteral(".png")},
                     &out),
             0);
    QVERIFY2(QString::fromUtf8(out).split(QLatin1Char('\n')).contains(QStringLiteral("0551240012")), out.constData());
}

void TestPrinting::barcodeErrorPicture()
{
    const BarcodePicture empty = barcodePicture(QString(), 25);
    QVERIFY(!empty.ok);
    QCOMPARE(empty.image.size(), QSize(200, 50));
    QCOMPARE(empty.image, pelmixi::printing::barcodeErrorPicture());
    int grey = 0, other = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x) {
            const QColor c(empty.image.pixel(x, y));
            if (c == QColor(128, 128, 128))
                ++grey;
            else if (c != QColor(Qt::white) && (c.red() != c.green() || c.green() != c.blue() || c.red() < 128))
                ++other;
        }
    QVERIFY(grey > 50);  // the text is there, in grey
    QCOMPARE(other, 0); // and nothing darker or coloured
    // Text starts at 10/10: the rows and columns above and left of it stay white.
    for (int x = 0; x < 200; ++x)
        QCOMPARE(QColor(empty.image.pixel(x, 5)), QColor(Qt::white));
    // Characters zint cannot put into Code 128 give the error picture as well.
    QVERIFY(!barcodePicture(QStringLiteral("0Ř"), 25).ok);
}

void TestPrinting::fontsAndDiacritics()
{
    QCOMPARE(resolvedFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")))
        QCOMPARE(resolvedFamily(QStringLiteral("Tahoma")), QStringLiteral("Tahoma"));
    const QString czech = QStringLiteral("ěščřžýáíéůúťďňóĚŠČŘŽÝÁÍÉŮÚŤĎŇÓ");
    for (const QString &family : {QStringLiteral("Tahoma"), QStringLiteral("Arial")}) {
        FontSpec fontSpec;
        fontSpec.family = family;
        const QFontMetricsF metrics(reportFont(fontSpec, 10));
        for (const QChar c : czech)
            QVERIFY2(metrics.inFont(c), qPrintable(family + QLatin1Char(' ') + c));
        QCOMPARE(QFontInfo(reportFont(fontSpec, 10)).family(), resolvedFamily(family));
    }
    // Bold text really prints heavier than regular.
    auto ink = [](bool bold) {
        QImage image(200, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        FontSpec fontSpec;
        fontSpec.bold = bold;
        p.setFont(reportFont(fontSpec, 14));
        p.drawText(QRect(0, 0, 200, 40), Qt::AlignLeft, QStringLiteral("Míchání KS"));
        p.end();
        qint64 sum = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x)
                sum += 255 - qGray(image.pixel(x, y));
        return sum;
    };
    QVERIFY(ink(true) > ink(false) * 1.2);
}

void TestPrinting::fitTextShrinksThenElides_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<bool>("shrunk");
    QTest::addColumn<bool>("elided");
    const QString name = QStringLiteral("Krmná směs pro výkrm brojlerů ŽŠČŘ");
    QTest::newRow("fits as it is") << name << 120.0 << 0.0 << false << false << false;
    QTest::newRow("shrinks") << name << 55.0 << 0.0 << false << true << false;
    QTest::newRow("elided at the floor") << name << 20.0 << 0.0 << false << true << true;
    QTest::newRow("wrapped box, one line room") << name << 30.0 << 5.0 << true << true << true;
    QTest::newRow("wrapped box, three lines room") << name << 30.0 << 15.0 << true << false << false;
}

void TestPrinting::fitTextShrinksThenElides()
{
    QFETCH(QString, text);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(bool, wrap);
    QFETCH(bool, shrunk);
    QFETCH(bool, elided);
    FontSpec font;
    font.pointSize = 10;
    const double floor = 6.5;
    const FittedText fitted = fitText(text, font, floor, width, height, wrap);
    QCOMPARE(fitted.shrunk, shrunk);
    QCOMPARE(fitted.elided, elided);
    QVERIFY(fitted.pointSize >= floor && fitted.pointSize <= 10);
    if (!shrunk)
        QCOMPARE(fitted.pointSize, 10.0);
    FontSpec at = font;
    at.pointSize = fitted.pointSize;
    const QStringList lines = fitted.text.split(QLatin1Char('\n'));
    // Lines of a wrapped text that fits are broken when it is drawn; an elided one is cut here.
    for (const QString &line : lines)
        QVERIFY2(textWidthMm(line, at) <= width || (wrap && !elided), qPrintable(line));
    if (height > 0)
        QVERIFY(lines.size() * lineHeightMm(at) <= height + 0.01);
    else
        QCOMPARE(lines.size(), 1);
    if (elided) {
        QVERIFY2(fitted.text.endsWith(QChar(0x2026)), qPrintable(fitted.text));
        QVERIFY(QString(fitted.text).remove(QLatin1Char('\n')).size() < text.size() + lines.size());
    } else {
        QCOMPARE(QString(fitted.text).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified(), text);
    }
}

void TestPrinting::longTextsStayInTheirRoom_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("left");   // paper millimetres the text must stay within
    QTest::addColumn<double>("right");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("bottom"); // 0: one line
    QTest::addColumn<double>("floor");
    QTest::addColumn<double>("nominal"); // the item's size in the layout
    // Forty characters, as the columns hold them: capitals with accents, and the widest letter.
    const QString czech = QStringLiteral("ŽLUŤOUČKÝ ŘEPKOVÝ ŠROT PRO DOJNICE, ÚSTÍ");
    const QString wide = QString(40, QLatin1Char('W'));
    for (const auto &[tag, text] : {std::pair{"capitals", czech}, std::pair{"widest", wide}}) {
        const QByteArray t(tag);
        // Sample label: left column from 5 mm, 102.4 mm wide; the neighbouring label follows.
        QTest::newRow(("sample popis, " + t).constData()) << u"sample"_qs << u"popis"_qs << text << 5.0 + 33.1 << 5.0 + 102.4
                                            << 0.0 << 0.0 << 6.5 << 10.0;
        QTest::newRow(("sample nazevosiva, " + t).constData()) << u"sample"_qs << u"nazevosiva"_qs << text << 5.0 + 33.1
                                                 << 5.0 + 102.4 << 0.0 << 0.0 << 6.5 << 10.0;
        // Beside the turned maker credit (93.9 mm into the label).
        QTest::newRow(("sample navesky, " + t).constData()) << u"sample"_qs << u"navesky"_qs << text << 5.0 + 22.5 << 5.0 + 93.9
                                              << 0.0 << 0.0 << 6.5 << 9.0;
        // Pallet label: the boxes 264.3 mm wide from 14 mm, Druh 22.8 mm high from 15.3 mm.
        QTest::newRow(("pallet naz_dru, " + t).constData()) << u"pallet"_qs << u"naz_dru"_qs << text << 14.0 << 14.0 + 264.3
                                              << 15.3 << 15.3 + 22.8 << 24.0 << 48.0;
        QTest::newRow(("pallet sidlo, " + t).constData()) << u"pallet"_qs << u"sidlo"_qs << text << 14.0 << 14.0 + 264.3
                                            << 148.9 << 148.9 + 16.1 << 16.0 << 32.0;
        // Protocol: the mix names end before the supplier box (96.6 mm, band from 10 mm).
        QTest::newRow(("protocol naz_dru, " + t).constData()) << u"protocol"_qs << u"naz_dru"_qs << text << 10.0 + 21.4
                                                << 10.0 + 96.6 << 0.0 << 0.0 << 6.5 << 10.0;
        QTest::newRow(("protocol popis, " + t).constData()) << u"protocol"_qs << u"popis"_qs << text << 10.0 + 21.4
                                              << 10.0 + 96.6 << 0.0 << 0.0 << 6.5 << 10.0;
        // Supplier values stay inside the box.
        QTest::newRow(("protocol firm, " + t).constData()) << u"protocol"_qs << u"Editnazev_Text"_qs << text << 10.0 + 115.4
                                             << 10.0 + 96.6 + 88.9 << 0.0 << 0.0 << 6.5 << 10.0;
    }
}

void TestPrinting::longTextsStayInTheirRoom()
{
    QFETCH(QString, report);
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(double, left);
    QFETCH(double, right);
    QFETCH(double, top);
    QFETCH(double, bottom);
    QFETCH(double, floor);
    QFETCH(double, nominal);
    QCOMPARE(text.size(), 40);

    LaidOutReport laid;
    if (report == u"sample") {
        ReportRow row = labelRow(QStringLiteral("551240012"));
        row.insert(item, text);
        laid = sampleLabelReport(sampleLabelSheetRows(1, 1, row), {}).layout();
    } else if (report == u"pallet") {
        ReportRow row = palletRow(QStringLiteral("551240012"));
        row.insert(item, text);
        laid = palletLabelReport({row}).layout();
    } else {
        ReportRows rows = documentRows(1);
        CompanyData company;
        if (item.startsWith(u"Edit"))
            company.nazev = text;
        else
            rows[0].insert(item, text);
        laid = mixingProtocolReport(rows, [company] { return company; }, fixedOptions()).layout();
    }
    QVERIFY(!laid.pages.isEmpty());
    const DrawItem *drawn = laid.pages.first().find(item);
    QVERIFY(drawn);
    const QRectF rect = drawn->rect;
    const QString where = QStringLiteral("%1: %2..%3 × %4..%5 at %6 pt")
                              .arg(drawn->text)
                              .arg(rect.left())
                              .arg(rect.right())
                              .arg(rect.top())
                              .arg(rect.bottom())
                              .arg(drawn->font.pointSize);
    QVERIFY2(drawn->font.pointSize >= floor, qPrintable(where));
    QVERIFY2(rect.left() >= left - 0.01, qPrintable(where));
    // What is drawn, measured line by line, ends inside the room.
    const QStringList lines = drawn->text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const double width = textWidthMm(line, drawn->font);
        double lineLeft = rect.left();
        if (drawn->alignment == HAlign::Center)
            lineLeft = rect.center().x() - width / 2;
        else if (drawn->alignment == HAlign::Right)
            lineLeft = rect.right() - width;
        QVERIFY2(lineLeft >= left - 0.01 && lineLeft + width <= right + 0.01, qPrintable(where + u" / "_qs + line));
    }
    if (bottom > 0)
        QVERIFY2(rect.top() >= top - 0.01 && rect.top() + lines.size() * lineHeightMm(drawn->font) <= bottom + 0.01,
                 qPrintable(where));
    else
        QCOMPARE(lines.size(), 1);
    // No other item of the page is overlapped, except the band's own frames.
    for (const DrawItem &other : laid.pages.first().items) {
        if (&other == drawn || other.kind == ReportItem::Kind::Line || other.name == drawn->name)
            continue;
        if (other.kind == ReportItem::Kind::Rectangle && other.rect.contains(rect))
            continue;
        if (other.kind == ReportItem::Kind::Text && other.band != drawn->band)
            continue;
        QRectF ink = rect;
        ink.setWidth(std::min(rect.width(), right - rect.left()));
        QVERIFY2(!ink.intersects(other.rect), qPrintable(where + u" overlaps "_qs + other.name));
    }
    // Drawn at screen resolution (the preview and the PDF pages), its ink stays in the room too.
    LaidOutReport hidden = laid;
    for (DrawItem &other : hidden.pages.first().items)
        if (other.name == drawn->name && other.band == drawn->band)
            other.font.color = Qt::transparent;
    const QImage withText = renderPage(laid, 0);
    const QImage without = renderPage(hidden, 0);
    const double px = kScreenDpi / kMmPerInch;
    int inkLeft = withText.width(), inkRight = -1, inkTop = withText.height(), inkBottom = -1;
    for (int y = 0; y < withText.height(); ++y)
        for (int x = 0; x < withText.width(); ++x)
            if (withText.pixel(x, y) != without.pixel(x, y)) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
    QVERIFY2(inkRight >= 0, "the item draws nothing");
    // Not even touching: half a millimetre stays free before the neighbour.
    QVERIFY2(inkLeft >= std::floor(left * px) - 1 && inkRight < (right - 0.5) * px,
             qPrintable(where + QStringLiteral(" / ink %1..%2 px").arg(inkLeft).arg(inkRight)));
    if (bottom > 0)
        QVERIFY2(inkBottom <= std::ceil(bottom * px), qPrintable(where + QStringLiteral(" / ink bottom %1").arg(inkBottom)));

    // Unchanged only when it fits as laid out; otherwise it gave way, smaller or cut with "…".
    FontSpec atNominal = drawn->font;
    atNominal.pointSize = nominal;
    if (bottom <= 0 && textWidthMm(text, atNominal) > right - rect.left())
        QVERIFY2(drawn->font.pointSize < nominal || drawn->text.endsWith(QChar(0x2026)), qPrintable(where));
    if (drawn->font.pointSize == nominal)
        QCOMPARE(drawn->text, text);
    QVERIFY(text != QString(40, QLatin1Char('W')) || drawn->font.pointSize < nominal);
}

void TestPrinting::numberFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("general");
    QTest::addColumn<QString>("price");
    QTest::newRow("whole") << 1250.0 << QStringLiteral("1250") << QStringLiteral("1 250,00");
    QTest::newRow("fraction") << 1.25 << QStringLiteral("1,25") << QStringLiteral("1,25");
    QTest::newRow("millions") << 1234567.891 << QStringLiteral("1234567,891") << QStringLiteral("1 234 567,89");
    QTest::newRow("below one") << 0.5 << QStringLiteral("0,5") << QStringLiteral(",50");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0") << QStringLiteral(",00");
    QTest::newRow("negative") << -8450.5 << QStringLiteral("-8450,5") << QStringLiteral("-8 450,50");
    QTest::newRow("binary fraction") << 0.1 + 0.2 << QStringLiteral("0,3") << QStringLiteral(",30");
}

void TestPrinting::numberFormats()
{
    QFETCH(double, value);
    QFETCH(QString, general);
    QFETCH(QString, price);
    QCOMPARE(formatGeneral(value), general);
    QCOMPARE(formatPriceMask(value), price);
}

void TestPrinting::printingRepeatsCopies()
{
    // Any paged device works as a printer does; QPdfWriter stands in for a QPrinter here.
    const LaidOutReport report = palletLabelReport({palletRow(QStringLiteral("551240012"))}, 2).layout();
    const QString file = path(QStringLiteral("printed.pdf"));
    {
        QPdfWriter writer(file);
        writer.setResolution(300);
        QVERIFY(printReport(writer, report));
    }
    const QString qpdf = tool(QStringLiteral("qpdf"));
    if (qpdf.isEmpty())
        QSKIP("qpdf is not installed");
    QByteArray out;
    QCOMPARE(runTool(qpdf, {QStringLiteral("--show-npages"), file}, &out), 0);
    QCOMPARE(out.trimmed().toInt(), 2);
    const QString pdftoppm = tool(QStringLiteral("pdftoppm"));
    const QString zbar = tool(QStringLiteral("zbarimg"));
    if (pdftoppm.isEmpty() || zbar.isEmpty())
        return;
    // The printed page is A4 landscape and its barcode reads back.
    QCOMPARE(runTool(tool(QStringLiteral("pdfinfo")), {file}, &out), 0);
    QVERIFY2(out.contains("841.89 x 595.276") || out.contains("842 x 595"), out.constData());
    const QString prefix = path(QStringLiteral("printed-page"));
    QCOMPARE(runTool(pdftoppm, {QStringLiteral("-r"), QStringLiteral("200"), QStringLiteral("-png"),
                                QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-singlefile"), file, prefix}),
             0);
    QCOMPARE(runTool(zbar, {QStringLiteral("--raw"), QStringLiteral("--nodbus"), QStringLiteral("-q"),
                            prefix + QStringLiteral(".png")},
                     &out),
             0);
    QVERIFY(QString::fromUtf8(out).split(QLatin1Char('\n')).contains(QStringLiteral("0551240012")));
}

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
