// Layout of the pallet label and its packaging line.
#include "printing/palletlabel.h"

#include "printing/barcode.h"

#include <cmath>

namespace pelmixi::printing {

qint64 palletPackageCount(double poceto1)
{
    if (!std::isfinite(poceto1))
        return 0;
    const double floor = std::floor(poceto1);
    const double diff = poceto1 - floor;
    double rounded;
    if (diff > 0.5)
        rounded = floor + 1;
    else if (diff < 0.5)
        rounded = floor;
    else
        rounded = std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
    return static_cast<qint64>(rounded);
}

double palletTotal(double poceto1, double vahao1)
{
    return double(palletPackageCount(poceto1)) * vahao1;
}

QString packagingLine(double poceto1, double vahao1, double total, const QString &mj, QChar decimalSeparator)
{
    QString unit = mj;
    while (unit.endsWith(QLatin1Char(' ')))
        unit.chop(1);
    return QString::number(palletPackageCount(poceto1)) + QStringLiteral("  x  ")
        + formatGeneral(vahao1, decimalSeparator) + QLatin1Char(' ') + unit + QStringLiteral("  =  ")
        + formatGeneral(total, decimalSeparator) + QLatin1Char(' ') + unit;
}

Report palletLabelReport(const ReportRows &rows, int copies)
{
    Report report;
    report.page.landscape = true;
    report.page.marginLeft = report.page.marginTop = report.page.marginRight = report.page.marginBottom = 10.0;
    report.rows = rows;
    report.copies = copies;
    report.printIfEmpty = false;

    Band &detail = report.band(BandKind::Detail);
    detail.height = 160.9;
    struct Line {
        const char16_t *column;
        double top;
        double height;
        double size;
    };
    const Line lines[] = {
        {u"naz_dru", 5.3, 22.8, 48},
        {u"naz_odru", 34.4, 31.0, 60},
        {u"partiecela", 71.4, 31.0, 60},
        {u"popis", 108.5, 22.8, 48},
        {u"sidlo", 138.9, 16.1, 32},
    };
    for (const Line &line : lines) {
        FontSpec font;
        font.family = QStringLiteral("Tahoma");
        font.pointSize = line.size;
        const QString column = QString::fromUtf16(line.column);
        ReportItem item =
            ReportItem::textBox(column, 4.0, line.top, 264.3, line.height, HAlign::Center, QString(), font);
        item.wordWrap = true;
        // A long text shrinks to fit its box (down to half its size), then is cut: it never
        // spills a half-clipped line out of its box.
        item.minPointSize = line.size / 2;
        item.bind(column);
        detail.add(item);
    }

    Band &footer = report.band(BandKind::PageFooter);
    footer.height = 27.8;
    footer.add(ReportItem::image(QStringLiteral("barcode"), 2.6, 2.6, 178.9, 21.4));
    footer.beforePrint = [](BandEvent &e) {
        const QString content = QStringLiteral("0") + e.row.value(QStringLiteral("partiecela")).toString().trimmed();
        e.item(QStringLiteral("barcode"))->picture = barcodePicture(content, 25).image;
    };
    return report;
}

} // namespace pelmixi::printing
