// A small banded report engine: bands of items in millimetres, laid out into pages and painted
// onto any QPainter (a QImage for the preview and the PDF writer, a QPrinter for printing).
#pragma once

#include "printing/reportfonts.h"
#include "printing/reportrow.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QPainter;
class QPagedPaintDevice;

namespace pelmixi::printing {

// Pictures have a natural size of one pixel per 1/96 inch on paper: the screen resolution the
// reports were designed at, so a 96-pixel logo is one inch wide whatever the target.
inline constexpr double kScreenDpi = 96.0;
inline constexpr double kMmPerInch = 25.4;

enum class TextAnchor {
    Left,   // x is the left edge; the text grows to the right
    Right,  // x is the right edge; the text grows to the left
    Center, // x is the centre
    Box,    // fixed box x..x+width, text aligned inside it by `alignment`
};

enum class HAlign { Left, Right, Center };

// One printable thing of a band. Positions are millimetres from the band's top-left corner.
struct ReportItem {
    enum class Kind { Text, Line, Rectangle, Picture };

    Kind kind = Kind::Text;
    QString name;   // for events and tests; unique within its band
    double x = 0;   // left edge, or right edge / centre for right and centre anchored text
    double y = 0;
    double width = 0;  // Box text, lines, rectangles, picture boxes
    double height = 0; // Box text (0: one line), rectangles, picture boxes
    bool visible = true;

    // Text
    QString text;
    std::function<QString(const ReportRow &)> value; // filled from the row before the band's event
    TextAnchor anchor = TextAnchor::Left;
    HAlign alignment = HAlign::Left;
    bool wordWrap = false;
    int rotation = 0; // 0, or 90 to read from bottom to top inside the box
    FontSpec font;
    // Long texts (0: off): the font shrinks step by step, down to this floor, until the text fits
    // its room; what still does not fit at the floor is cut with "…". The room is fitWidth
    // millimetres for anchored text, the box (width, and height with word wrap) for box text.
    // A fitted text never reaches beyond its room, so it cannot run into a neighbouring item.
    double minPointSize = 0;
    double fitWidth = 0;

    // Lines and rectangles
    QColor penColor = Qt::black;
    double penWidth = kMmPerInch / kScreenDpi; // one screen pixel
    bool border = true;
    QColor fillColor; // invalid: not filled

    // Pictures: natural size from the top-left corner, clipped to the box; or stretched into it.
    // A picture box with no width/height takes the picture's natural size.
    QImage picture;
    bool stretch = false;

    static ReportItem textAt(const QString &name, double x, double y, const QString &text, const FontSpec &font);
    static ReportItem textRightAt(const QString &name, double rightX, double y, const QString &text,
                                  const FontSpec &font);
    static ReportItem textCenteredAt(const QString &name, double centerX, double y, const QString &text,
                                     const FontSpec &font);
    static ReportItem textBox(const QString &name, double x, double y, double width, double height, HAlign align,
                              const QString &text, const FontSpec &font);
    static ReportItem hLine(const QString &name, double x, double y, double width);
    static ReportItem rectangle(const QString &name, double x, double y, double width, double height,
                                bool border, const QColor &fill = QColor());
    static ReportItem image(const QString &name, double x, double y, double width, double height,
                            const QImage &picture = QImage(), bool stretch = false);

    // Binds the text to a column of the row (rowText) or to a computed value.
    ReportItem &bind(const QString &column);
    ReportItem &bind(std::function<QString(const ReportRow &)> fn);
    // Shrink-then-elide for long texts: room (anchored text only; box text uses its box) and floor.
    ReportItem &fit(double room, double floorPointSize);
};

enum class BandKind { PageHeader, Title, Detail, Summary, PageFooter };

struct Band;

// What a before-print event sees and may change. Changes apply to this printing of the band only.
struct BandEvent {
    Band &band;
    const ReportRow &row; // the detail's row; for other bands the row current at that moment
    int pageNumber;       // 1-based page being produced
    int rowIndex;         // detail: index of the row; otherwise -1
    bool print = true;    // set to false to suppress the band (it then takes no space)

    ReportItem *item(const QString &name);
};

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 0;
    QList<ReportItem> items;
    std::function<void(BandEvent &)> beforePrint;

    ReportItem &add(const ReportItem &item);
};

struct PageSetup {
    bool landscape = false;
    double paperWidth = 210.0; // A4, portrait measures; swapped for landscape
    double paperHeight = 297.0;
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    int columns = 1;
    double columnSpacing = 0;

    QSizeF paperSize() const; // in the page's orientation
};

// A resolved item on a page: absolute millimetres on the paper, everything decided.
struct DrawItem {
    ReportItem::Kind kind = ReportItem::Kind::Text;
    QString name;
    BandKind band = BandKind::Detail;
    QRectF rect; // mm on the paper
    QString text;
    FontSpec font;
    HAlign alignment = HAlign::Left;
    bool wordWrap = false;
    bool clip = false; // fixed boxes clip their contents to the box
    bool fitted = false; // fitted to its room: drawn no wider than laid out on any target
    int rotation = 0;
    QColor penColor;
    double penWidth = 0;
    bool border = false;
    QColor fillColor;
    QImage picture;
    bool stretch = false;
};

struct ReportPage {
    QList<DrawItem> items;

    // Texts of the items with this name on the page (helps the windows' tests and the preview).
    QStringList texts(const QString &name) const;
    const DrawItem *find(const QString &name) const;
};

struct LaidOutReport {
    PageSetup setup;
    QList<ReportPage> pages;
    int copies = 1;

    QSizeF paperSize() const { return setup.paperSize(); }
};

class Report {
public:
    PageSetup page;
    ReportRows rows;
    int copies = 1;
    bool printIfEmpty = true; // produce title, summary and footer when there are no rows

    // Creates the band on first use. The reference stays valid while the report lives, also when
    // further bands are added.
    Band &band(BandKind kind);
    bool hasBand(BandKind kind) const;

    // Runs the events and places every band; events see fresh copies of the bands each time,
    // so a report can be laid out again (for the printer after the preview).
    LaidOutReport layout() const;

private:
    std::array<std::optional<Band>, 5> m_bands; // indexed by BandKind
    const Band *findBand(BandKind kind) const;
};

// Width in millimetres of a single line of text in the font (as laid out, device independent).
double textWidthMm(const QString &text, const FontSpec &font);
// Height of one line of the font in millimetres.
double lineHeightMm(const FontSpec &font);

// A text fitted into a room of width × height millimetres (height 0: one line) with the font
// shrunk no lower than floorPointSize, then cut with "…"; wrap: word wrapped over several lines.
struct FittedText {
    QString text;
    double pointSize = 0;
    bool shrunk = false;
    bool elided = false;
};
FittedText fitText(const QString &text, const FontSpec &font, double floorPointSize, double width, double height,
                   bool wrap);

// Paints a page with the paper's top-left corner at the painter's origin; dpiX/dpiY are the
// target's dots per inch (a QImage's or QPrinter's resolution, or a preview zoom).
void paintPage(QPainter &painter, const ReportPage &page, double dpiX, double dpiY);

// The page as an RGB picture of the paper at the given resolution, white background.
// At kScreenDpi this is the "100 % zoom" picture the preview and the PDF writer use.
QImage renderPage(const LaidOutReport &report, int pageIndex, double dpi = kScreenDpi);

// Prints every page `copies` times (collated) on a paged device such as a QPrinter set to full
// page mode. The page layout of the device is set to A4 in the report's orientation.
// Returns false when the device refuses a new page or painting cannot start.
bool printReport(QPagedPaintDevice &device, const LaidOutReport &report);

} // namespace pelmixi::printing
