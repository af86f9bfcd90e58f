// Layout of bands into pages and painting of the laid-out pages.
#include "printing/reportengine.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QPagedPaintDevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pelmixi::printing {

namespace {

// Text is measured at a fine resolution so layout decisions do not depend on screen hinting.
constexpr double kMeasureDpi = 1200.0;

const QImage &measureDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dpm = qRound(kMeasureDpi / 0.0254);
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        return image;
    }();
    return device;
}

QFont measureFont(const FontSpec &fontSpec)
{
    // QImage reports its logical dpi from dots per metre, rounded; scale the point size by the
    // exact ratio so measurements stay in step with kMeasureDpi.
    const double ratio = kMeasureDpi / measureDevice().logicalDpiY();
    return reportFont(fontSpec, fontSpec.pointSize * ratio);
}

constexpr double kEpsilon = 0.001;

} // namespace

// ---------------------------------------------------------------- items and bands

ReportItem ReportItem::textAt(const QString &name, double x, double y, const QString &text, const FontSpec &font)
{
    ReportItem item;
    item.name = name;
    item.x = x;
    item.y = y;
    item.text = text;
    item.font = font;
    item.anchor = TextAnchor::Left;
    return item;
}

ReportItem ReportItem::textRightAt(const QString &name, double rightX, double y, const QString &text,
                                   const FontSpec &font)
{
    ReportItem item = textAt(name, rightX, y, text, font);
    item.anchor = TextAnchor::Right;
    item.alignment = HAlign::Right;
    return item;
}

ReportItem ReportItem::textCenteredAt(const QString &name, double centerX, double y, const QString &text,
                                      const FontSpec &font)
{
    ReportItem item = textAt(name, centerX, y, text, font);
    item.anchor = TextAnchor::Center;
    item.alignment = HAlign::Center;
    return item;
}

ReportItem ReportItem::textBox(const QString &name, double x, double y, double width, double height, HAlign align,
                               const QString &text, const FontSpec &font)
{
    ReportItem item = textAt(name, x, y, text, font);
    item.anchor = TextAnchor::Box;
    item.alignment = align;
    item.width = width;
    item.height = height;
    return item;
}

ReportItem ReportItem::hLine(const QString &name, double x, double y, double width)
{
    ReportItem item;
    item.kind = Kind::Line;
    item.name = name;
    item.x = x;
    item.y = y;
    item.width = width;
    return item;
}

ReportItem ReportItem::rectangle(const QString &name, double x, double y, double width, double height, bool border,
                                 const QColor &fill)
{
    ReportItem item;
    item.kind = Kind::Rectangle;
    item.name = name;
    item.x = x;
    item.y = y;
    item.width = width;
    item.height = height;
    item.border = border;
    item.fillColor = fill;
    return item;
}

ReportItem ReportItem::image(const QString &name, double x, double y, double width, double height,
                             const QImage &picture, bool stretch)
{
    ReportItem item;
    item.kind = Kind::Picture;
    item.name = name;
    item.x = x;
    item.y = y;
    item.width = width;
    item.height = height;
    item.picture = picture;
    item.stretch = stretch;
    return item;
}

ReportItem &ReportItem::bind(const QString &column)
{
    value = [column](const ReportRow &row) { return rowText(row, column); };
    return *this;
}

ReportItem &ReportItem::bind(std::function<QString(const ReportRow &)> fn)
{
    value = std::move(fn);
    return *this;
}

ReportItem &ReportItem::fit(double room, double floorPointSize)
{
    fitWidth = room;
    minPointSize = floorPointSize;
    return *this;
}

ReportItem *BandEvent::item(const QString &name)
{
    for (ReportItem &it : band.items)
        if (it.name == name)
            return &it;
    return nullptr;
}

ReportItem &Band::add(const ReportItem &item)
{
    items.append(item);
    return items.last();
}

QSizeF PageSetup::paperSize() const
{
    return landscape ? QSizeF(paperHeight, paperWidth) : QSizeF(paperWidth, paperHeight);
}

QStringList ReportPage::texts(const QString &name) const
{
    QStringList result;
    for (const DrawItem &item : items)
        if (item.name == name)
            result << item.text;
    return result;
}

const DrawItem *ReportPage::find(const QString &name) const
{
    for (const DrawItem &item : items)
        if (item.name == name)
            return &item;
    return nullptr;
}

Band &Report::band(BandKind kind)
{
    std::optional<Band> &slot = m_bands[static_cast<size_t>(kind)];
    if (!slot) {
        slot.emplace();
        slot->kind = kind;
    }
    return *slot;
}

bool Report::hasBand(BandKind kind) const
{
    return findBand(kind) != nullptr;
}

const Band *Report::findBand(BandKind kind) const
{
    const std::optional<Band> &slot = m_bands[static_cast<size_t>(kind)];
    return slot ? &*slot : nullptr;
}

// ---------------------------------------------------------------- measuring

double textWidthMm(const QString &text, const FontSpec &font)
{
    const QFontMetricsF metrics(measureFont(font), &measureDevice());
    return metrics.horizontalAdvance(text) / kMeasureDpi * kMmPerInch;
}

double lineHeightMm(const FontSpec &font)
{
    const QFontMetricsF metrics(measureFont(font), &measureDevice());
    return metrics.height() / kMeasureDpi * kMmPerInch;
}

namespace {

double mmToMeasure(double mm)
{
    return mm / kMmPerInch * kMeasureDpi;
}

FontSpec withSize(const FontSpec &font, double pointSize)
{
    FontSpec f = font;
    f.pointSize = pointSize;
    return f;
}

bool fitsAt(const QString &text, const FontSpec &font, double width, double height, bool wrap)
{
    const QFontMetricsF metrics(measureFont(font), &measureDevice());
    const double w = mmToMeasure(width);
    if (!wrap)
        return metrics.horizontalAdvance(text) <= w;
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, w, 1e9), Qt::TextWordWrap, text);
    const double h = height > 0 ? mmToMeasure(height) : metrics.height();
    return needed.width() <= w && needed.height() <= h;
}

// The text cut to the room at the font's size: whole lines as far as they fit, the last one
// ending in "…". A small reserve keeps a target whose hinting draws a little wider inside.
QString elideTo(const QString &text, const FontSpec &font, double width, double height, bool wrap)
{
    const QFont f = measureFont(font);
    const QFontMetricsF metrics(f, &measureDevice());
    const double w = mmToMeasure(width) * 0.97;
    if (!wrap)
        return metrics.elidedText(text, Qt::ElideRight, w);
    const int lineRoom = std::max(1, int((height > 0 ? mmToMeasure(height) : metrics.height()) / metrics.height()));
    QTextLayout layout(text, f, &measureDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(w);
        if (lines.size() + 1 == lineRoom) {
            lines << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, w);
            break;
        }
        lines << metrics.elidedText(text.mid(line.textStart(), line.textLength()).trimmed(), Qt::ElideRight, w);
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

} // namespace

FittedText fitText(const QString &text, const FontSpec &font, double floorPointSize, double width, double height,
                   bool wrap)
{
    FittedText out;
    out.text = text;
    out.pointSize = font.pointSize;
    if (text.isEmpty() || width <= 0 || fitsAt(text, font, width, height, wrap))
        return out;
    const double floor = std::min(font.pointSize, std::max(1.0, floorPointSize));
    // Half-point steps, as a font size dialog offers them.
    for (double size = font.pointSize - 0.5; size >= floor - kEpsilon; size -= 0.5) {
        out.pointSize = std::max(size, floor);
        out.shrunk = true;
        if (fitsAt(text, withSize(font, out.pointSize), width, height, wrap))
            return out;
    }
    out.pointSize = floor;
    out.shrunk = floor < font.pointSize;
    out.text = elideTo(text, withSize(font, floor), width, height, wrap);
    out.elided = true;
    return out;
}

// ---------------------------------------------------------------- layout

namespace {

struct PrintedBand {
    bool printed = false;
    Band band;
};

// Runs binding and event on a fresh copy of the band.
PrintedBand prepareBand(const Band &source, const ReportRow &row, int pageNumber, int rowIndex)
{
    PrintedBand result;
    result.band = source;
    for (ReportItem &item : result.band.items)
        if (item.value)
            item.text = item.value(row);
    if (source.beforePrint) {
        BandEvent event{result.band, row, pageNumber, rowIndex};
        source.beforePrint(event);
        result.printed = event.print;
    } else {
        result.printed = true;
    }
    return result;
}

void placeBand(ReportPage &page, const Band &band, double left, double top)
{
    for (const ReportItem &item : band.items) {
        if (!item.visible)
            continue;
        DrawItem d;
        d.kind = item.kind;
        d.name = item.name;
        d.band = band.kind;
        switch (item.kind) {
        case ReportItem::Kind::Text: {
            if (item.text.isEmpty())
                continue;
            d.text = item.text;
            d.font = item.font;
            d.alignment = item.alignment;
            d.wordWrap = item.wordWrap;
            d.rotation = item.rotation;
            if (item.minPointSize > 0 && item.rotation == 0) {
                const bool box = item.anchor == TextAnchor::Box;
                const FittedText fitted = fitText(item.text, item.font, item.minPointSize,
                                                  box ? item.width : item.fitWidth, box ? item.height : 0,
                                                  box && item.wordWrap);
                d.text = fitted.text;
                d.font.pointSize = fitted.pointSize;
                d.fitted = true;
            }
            const double lineHeight = lineHeightMm(d.font);
            if (item.anchor == TextAnchor::Box) {
                d.rect = QRectF(left + item.x, top + item.y, item.width, item.height > 0 ? item.height : lineHeight);
                d.clip = true;
            } else {
                const double width = textWidthMm(d.text, d.font);
                double x = left + item.x;
                if (item.anchor == TextAnchor::Right)
                    x -= width;
                else if (item.anchor == TextAnchor::Center)
                    x -= width / 2.0;
                d.rect = QRectF(x, top + item.y, width, lineHeight);
            }
            break;
        }
        case ReportItem::Kind::Line:
            d.rect = QRectF(left + item.x, top + item.y, item.width, item.penWidth);
            d.penColor = item.penColor;
            d.penWidth = item.penWidth;
            break;
        case ReportItem::Kind::Rectangle:
            d.rect = QRectF(left + item.x, top + item.y, item.width, item.height);
            d.penColor = item.penColor;
            d.penWidth = item.penWidth;
            d.border = item.border;
            d.fillColor = item.fillColor;
            break;
        case ReportItem::Kind::Picture: {
            if (item.picture.isNull())
                continue;
            d.picture = item.picture;
            d.stretch = item.stretch;
            double w = item.width;
            double h = item.height;
            if (w <= 0 || h <= 0) {
                w = item.picture.width() / kScreenDpi * kMmPerInch;
                h = item.picture.height() / kScreenDpi * kMmPerInch;
            }
            d.rect = QRectF(left + item.x, top + item.y, w, h);
            // A picture never reaches beyond its band.
            const double bandBottom = top + band.height;
            if (d.rect.bottom() > bandBottom && !d.stretch)
                d.rect.setBottom(std::max(d.rect.top(), bandBottom));
            d.clip = true;
            break;
        }
        }
        page.items.append(d);
    }
}

} // namespace

LaidOutReport Report::layout() const
{
    LaidOutReport out;
    out.setup = page;
    out.copies = std::max(1, copies);

    if (rows.isEmpty() && !printIfEmpty)
        return out;

    const QSizeF paper = page.paperSize();
    const int columns = std::max(1, page.columns);
    const double contentLeft = page.marginLeft;
    const double contentWidth = paper.width() - page.marginLeft - page.marginRight;
    const double columnWidth = (contentWidth - page.columnSpacing * (columns - 1)) / columns;

    const Band *header = findBand(BandKind::PageHeader);
    const Band *title = findBand(BandKind::Title);
    const Band *detail = findBand(BandKind::Detail);
    const Band *summary = findBand(BandKind::Summary);
    const Band *footer = findBand(BandKind::PageFooter);

    const ReportRow emptyRow;
    const double footerTop = paper.height() - page.marginBottom - (footer ? footer->height : 0.0);

    ReportPage current;
    int pageNumber = 0;
    double y = 0;
    double columnTop = 0;
    double lowest = 0;
    int column = 0;

    auto startPage = [&](const ReportRow &row) {
        current = ReportPage();
        ++pageNumber;
        y = page.marginTop;
        if (header) {
            PrintedBand b = prepareBand(*header, row, pageNumber, -1);
            if (b.printed) {
                placeBand(current, b.band, contentLeft, y);
                y += header->height;
            }
        }
        if (pageNumber == 1 && title) {
            PrintedBand b = prepareBand(*title, row, pageNumber, -1);
            if (b.printed) {
                placeBand(current, b.band, contentLeft, y);
                y += title->height;
            }
        }
        columnTop = y;
        lowest = y;
        column = 0;
    };
    auto finishPage = [&](const ReportRow &row) {
        if (footer) {
            PrintedBand b = prepareBand(*footer, row, pageNumber, -1);
            if (b.printed)
                placeBand(current, b.band, contentLeft, footerTop);
        }
        out.pages.append(current);
    };

    startPage(rows.isEmpty() ? emptyRow : rows.first());
    bool pageHasBody = false;

    if (detail) {
        for (int i = 0; i < rows.size(); ++i) {
            const ReportRow &row = rows.at(i);
            PrintedBand b = prepareBand(*detail, row, pageNumber, i);
            if (!b.printed)
                continue;
            if (y + detail->height > footerTop + kEpsilon && pageHasBody) {
                if (column + 1 < columns) {
                    ++column;
                    y = columnTop;
                } else {
                    finishPage(row);
                    startPage(row);
                    pageHasBody = false;
                    // The row's event ran for the previous page number; run it again for the new one.
                    b = prepareBand(*detail, row, pageNumber, i);
                }
            }
            placeBand(current, b.band, contentLeft + column * (columnWidth + page.columnSpacing), y);
            y += detail->height;
            lowest = std::max(lowest, y);
            pageHasBody = true;
        }
    }

    const ReportRow &lastRow = rows.isEmpty() ? emptyRow : rows.last();
    if (summary) {
        PrintedBand b = prepareBand(*summary, lastRow, pageNumber, -1);
        if (b.printed) {
            double top = lowest;
            if (top + summary->height > footerTop + kEpsilon && pageHasBody) {
                finishPage(lastRow);
                startPage(lastRow);
                top = y;
                b = prepareBand(*summary, lastRow, pageNumber, -1);
            }
            placeBand(current, b.band, contentLeft, top);
        }
    }
    finishPage(lastRow);
    return out;
}

// ---------------------------------------------------------------- painting

namespace {

void fillSnapped(QPainter &painter, const QRectF &mm, double sx, double sy, const QColor &color)
{
    const int left = qRound(mm.left() * sx);
    const int top = qRound(mm.top() * sy);
    const int right = std::max(left + 1, qRound(mm.right() * sx));
    const int bottom = std::max(top + 1, qRound(mm.bottom() * sy));
    painter.fillRect(QRect(left, top, right - left, bottom - top), color);
}

void paintText(QPainter &painter, const DrawItem &item, double sx, double sy, double fontScale)
{
    painter.setFont(reportFont(item.font, item.font.pointSize * fontScale));
    painter.setPen(item.font.color);
    const QRectF rect(item.rect.left() * sx, item.rect.top() * sy, item.rect.width() * sx, item.rect.height() * sy);

    int flags = Qt::AlignTop;
    switch (item.alignment) {
    case HAlign::Left: flags |= Qt::AlignLeft; break;
    case HAlign::Right: flags |= Qt::AlignRight; break;
    case HAlign::Center: flags |= Qt::AlignHCenter; break;
    }
    flags |= item.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine;
    if (!item.clip)
        flags |= Qt::TextDontClip;

    painter.save();
    if (item.clip) {
        // Clip sideways to the box; leave room below for descenders of the last line and above
        // for the accents of capitals ("Ú", "Č"), which rise above the font's ascent.
        QRectF clip = rect;
        if (item.rotation == 0) {
            clip.setBottom(clip.bottom() + rect.height() * 0.1);
            clip.setTop(clip.top() - QFontMetricsF(painter.font()).height() * 0.35);
        }
        painter.setClipRect(clip);
    }
    if (item.rotation == 90) {
        painter.translate(rect.left(), rect.bottom());
        painter.rotate(-90);
        painter.drawText(QRectF(0, 0, rect.height(), rect.width()), flags, item.text);
    } else if (item.fitted) {
        // A target's font may be set a little larger than asked (pixel sizes are rounded on a
        // screen-resolution picture): a text fitted to its room is narrowed to its laid-out width,
        // so it neither reaches the next item nor wraps differently.
        const QString oneLine = QString(item.text).replace(QLatin1Char('\n'), QLatin1Char(' '));
        const double drawn = QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(oneLine);
        const double laidOut = textWidthMm(oneLine, item.font) * sx;
        if (drawn > laidOut && drawn > 0) {
            const double k = laidOut / drawn;
            painter.translate(rect.left(), rect.top());
            painter.scale(k, 1.0);
            painter.drawText(QRectF(0, 0, rect.width() / k, rect.height()), flags, item.text);
        } else {
            painter.drawText(rect, flags, item.text);
        }
    } else {
        painter.drawText(rect, flags, item.text);
    }
    painter.restore();
}

void paintPicture(QPainter &painter, const DrawItem &item, double sx, double sy)
{
    const QRectF box(item.rect.left() * sx, item.rect.top() * sy, item.rect.width() * sx, item.rect.height() * sy);
    painter.save();
    if (item.stretch) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(box, item.picture);
    } else {
        painter.setClipRect(box);
        // Natural size: one picture pixel per screen pixel at kScreenDpi. Scaled without
        // smoothing so bar edges stay sharp at any resolution.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const double w = item.picture.width() * sx * kMmPerInch / kScreenDpi;
        const double h = item.picture.height() * sy * kMmPerInch / kScreenDpi;
        const QRectF target(std::round(box.left()), std::round(box.top()), std::round(w), std::round(h));
        painter.drawImage(target, item.picture);
    }
    painter.restore();
}

} // namespace

void paintPage(QPainter &painter, const ReportPage &page, double dpiX, double dpiY)
{
    const double sx = dpiX / kMmPerInch;
    const double sy = dpiY / kMmPerInch;
    const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    const double fontScale = dpiY / (deviceDpi > 0 ? deviceDpi : 96);

    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const DrawItem &item : page.items) {
        switch (item.kind) {
        case ReportItem::Kind::Text:
            paintText(painter, item, sx, sy, fontScale);
            break;
        case ReportItem::Kind::Line:
            fillSnapped(painter, item.rect, sx, sy, item.penColor);
            break;
        case ReportItem::Kind::Rectangle: {
            if (item.fillColor.isValid())
                fillSnapped(painter, item.rect, sx, sy, item.fillColor);
            if (item.border) {
                const QRectF r = item.rect;
                const double pw = item.penWidth;
                fillSnapped(painter, QRectF(r.left(), r.top(), r.width(), pw), sx, sy, item.penColor);
                fillSnapped(painter, QRectF(r.left(), r.bottom() - pw, r.width(), pw), sx, sy, item.penColor);
                fillSnapped(painter, QRectF(r.left(), r.top(), pw, r.height()), sx, sy, item.penColor);
                fillSnapped(painter, QRectF(r.right() - pw, r.top(), pw, r.height()), sx, sy, item.penColor);
            }
            break;
        }
        case ReportItem::Kind::Picture:
            paintPicture(painter, item, sx, sy);
            break;
        }
    }
    painter.restore();
}

QImage renderPage(const LaidOutReport &report, int pageIndex, double dpi)
{
    const QSizeF paper = report.paperSize();
    const QSize size(qRound(paper.width() / kMmPerInch * dpi), qRound(paper.height() / kMmPerInch * dpi));
    QImage image(size, QImage::Format_RGB32);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    if (pageIndex < 0 || pageIndex >= report.pages.size())
        return image;
    QPainter painter(&image);
    paintPage(painter, report.pages.at(pageIndex), dpi, dpi);
    painter.end();
    return image;
}

bool printReport(QPagedPaintDevice &device, const LaidOutReport &report)
{
    QPageLayout layout(QPageSize(QPageSize::A4),
                       report.setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    device.setPageLayout(layout);

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool first = true;
    for (int copy = 0; copy < std::max(1, report.copies); ++copy) {
        for (const ReportPage &page : report.pages) {
            if (!first && !device.newPage()) {
                painter.end();
                return false;
            }
            first = false;
            paintPage(painter, page, device.logicalDpiX(), device.logicalDpiY());
        }
    }
    return painter.end();
}

} // namespace pelmixi::printing
