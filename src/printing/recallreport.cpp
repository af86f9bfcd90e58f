// Layout of the recall overview: A4 landscape, one detail band whose row kind decides which
// cells print and how; measures in millimetres.
#include "printing/recallreport.h"

namespace pelmixi::printing {

namespace {

FontSpec tahoma(double pt, bool bold = false, const QColor &color = Qt::black)
{
    FontSpec f;
    f.family = QStringLiteral("Tahoma");
    f.pointSize = pt;
    f.bold = bold;
    f.color = color;
    return f;
}

const QColor kNavy(0, 0, 128);
constexpr double kWidth = 277.0;

struct Cell {
    const char *name;
    double x;
    double width;
    HAlign align;
};

// partner/section, document, date, batch, name, quantity, unit, suspect quantity
const Cell kCells[] = {
    {"c0", 0.0, 61.0, HAlign::Left},    {"c1", 62.0, 27.0, HAlign::Left},  {"c2", 90.0, 19.0, HAlign::Left},
    {"c3", 110.0, 37.0, HAlign::Left},  {"c4", 148.0, 61.0, HAlign::Left}, {"c5", 210.0, 24.0, HAlign::Right},
    {"c6", 236.0, 9.0, HAlign::Left},   {"c7", 246.0, 31.0, HAlign::Right},
};

ReportRow row(const QString &kind, const QStringList &cells = {})
{
    ReportRow r;
    r.insert(QStringLiteral("kind"), kind);
    for (int i = 0; i < cells.size(); ++i)
        r.insert(QStringLiteral("c%1").arg(i), cells.at(i));
    return r;
}

} // namespace

QString recallReportTitle()
{
    return QStringLiteral("Stažení partie – přehled odběratelů");
}

ReportRows recallReportRows(const RecallReportData &data)
{
    ReportRows rows;
    const QStringList head{QStringLiteral("Odběratel"), QStringLiteral("Doklad"), QStringLiteral("Datum"),
                           QStringLiteral("Partie"), QStringLiteral("Název"), QStringLiteral("Množství"),
                           QStringLiteral("MJ"), QStringLiteral("Podezřelé množství")};
    rows << row(QStringLiteral("section"), {QStringLiteral("Odběratelé – dodávky")});
    if (data.deliveries.isEmpty()) {
        rows << row(QStringLiteral("note"), {QStringLiteral("Partie ani výrobky z ní nebyly vydány.")});
    } else {
        rows << row(QStringLiteral("head"), head);
        for (const RecallLine &l : data.deliveries)
            rows << row(QStringLiteral("delivery"),
                        {l.partner, l.document, l.date, l.batch, l.name, l.quantity, l.unit, l.suspect});
    }
    if (!data.totals.isEmpty()) {
        rows << row(QStringLiteral("empty"));
        rows << row(QStringLiteral("section"), {QStringLiteral("Odběratelé – součty podezřelého množství")});
        rows << row(QStringLiteral("head"), {QStringLiteral("Odběratel"), QStringLiteral("Doklady"), QString(),
                                             QString(), QString(), QString(), QStringLiteral("MJ"),
                                             QStringLiteral("Podezřelé množství")});
        for (const RecallTotal &t : data.totals)
            rows << row(QStringLiteral("total"),
                        {t.partner, t.documents, QString(), QString(), QString(), QString(), t.unit, t.suspect});
    }
    rows << row(QStringLiteral("empty"));
    rows << row(QStringLiteral("section"), {QStringLiteral("Směsi a kalkulace mezi partií a odběrateli")});
    if (data.mixes.isEmpty()) {
        rows << row(QStringLiteral("note"), {QStringLiteral("Partie nebyla zpracována v žádné směsi ani kalkulaci.")});
    } else {
        QStringList mixHead = head;
        mixHead[0] = QString();
        rows << row(QStringLiteral("head"), mixHead);
        for (const RecallLine &l : data.mixes)
            rows << row(QStringLiteral("mix"),
                        {QString(), l.document, l.date, l.batch, l.name, l.quantity, l.unit, l.suspect});
    }
    if (!data.notes.isEmpty()) {
        rows << row(QStringLiteral("empty"));
        rows << row(QStringLiteral("section"), {QStringLiteral("Upozornění")});
        for (const QString &n : data.notes)
            rows << row(QStringLiteral("note"), {n});
    }
    return rows;
}

Report recallReport(const RecallReportData &data, const DocumentReportOptions &options)
{
    Report report;
    report.page.landscape = true;
    report.page.marginLeft = report.page.marginTop = report.page.marginRight = report.page.marginBottom = 10.0;
    report.rows = recallReportRows(data);

    Band &title = report.band(BandKind::Title);
    title.height = 30.0;
    title.add(ReportItem::textAt(QStringLiteral("heading"), 0.0, 0.0, recallReportTitle(), tahoma(16, true, kNavy)));
    title.add(ReportItem::textAt(QStringLiteral("batchCaption"), 0.0, 10.5, QStringLiteral("Partie:"), tahoma(9)));
    title.add(ReportItem::textAt(QStringLiteral("batch"), 22.0, 10.0, data.batch, tahoma(11, true)));
    title.add(ReportItem::textAt(QStringLiteral("nameCaption"), 0.0, 16.0, QStringLiteral("Název:"), tahoma(9)));
    title.add(ReportItem::textAt(QStringLiteral("name"), 22.0, 16.0, data.name, tahoma(9, true)));
    title.add(ReportItem::textAt(QStringLiteral("originCaption"), 0.0, 21.0, QStringLiteral("Původ:"), tahoma(9)));
    title.add(ReportItem::textBox(QStringLiteral("origin"), 22.0, 21.0, kWidth - 22.0, 0, HAlign::Left, data.origin,
                                  tahoma(9)));
    title.add(ReportItem::hLine(QStringLiteral("titleRule"), 0.0, 27.5, kWidth));

    Band &detail = report.band(BandKind::Detail);
    detail.height = 5.0;
    detail.add(ReportItem::textBox(QStringLiteral("line"), 0.0, 0.4, kWidth, 0, HAlign::Left, QString(), tahoma(9)))
        .bind(QStringLiteral("c0"));
    for (const Cell &cell : kCells) {
        const QString name = QString::fromLatin1(cell.name);
        detail.add(ReportItem::textBox(name, cell.x, 0.4, cell.width, 0, cell.align, QString(), tahoma(9)))
            .bind(name);
    }
    detail.add(ReportItem::hLine(QStringLiteral("headRule"), 0.0, 4.7, kWidth));
    detail.beforePrint = [](BandEvent &e) {
        const QString kind = e.row.value(QStringLiteral("kind")).toString();
        const bool whole = kind == QLatin1String("section") || kind == QLatin1String("note");
        ReportItem *line = e.item(QStringLiteral("line"));
        line->visible = whole;
        line->font = kind == QLatin1String("section") ? tahoma(10, true, kNavy) : tahoma(9);
        for (const Cell &cell : kCells) {
            ReportItem *item = e.item(QString::fromLatin1(cell.name));
            item->visible = !whole && kind != QLatin1String("empty");
            item->font = tahoma(kind == QLatin1String("head") ? 8 : 9,
                                kind == QLatin1String("head") || kind == QLatin1String("total"));
        }
        e.item(QStringLiteral("headRule"))->visible = kind == QLatin1String("head");
    };

    Band &summary = report.band(BandKind::Summary);
    summary.height = 10.0;
    summary.add(ReportItem::hLine(QStringLiteral("summaryRule"), 0.0, 2.0, kWidth));
    summary.add(ReportItem::textAt(QStringLiteral("printedCaption"), 215.0, 4.0, QStringLiteral("Vytištěno:"),
                                   tahoma(8)));
    summary.add(ReportItem::textAt(QStringLiteral("printedAt"), 231.0, 4.0, QString(), tahoma(8)));
    const ReportFormats formats = options.formats;
    const auto clock = options.clock;
    summary.beforePrint = [formats, clock](BandEvent &e) {
        const QDateTime when = clock ? clock() : QDateTime::currentDateTime();
        e.item(QStringLiteral("printedAt"))->text = formatPrintedAt(when, formats);
    };

    Band &footer = report.band(BandKind::PageFooter);
    footer.height = 7.9;
    footer.add(ReportItem::hLine(QStringLiteral("footerRule"), 0.0, 0.3, kWidth));
    footer.add(ReportItem::textAt(QStringLiteral("footerCredit"), 1.3, 2.6,
                                  options.footerCredit.isEmpty() ? defaultFooterCredit() : options.footerCredit,
                                  tahoma(7)));
    footer.add(ReportItem::textAt(QStringLiteral("pageNumber"), 130.0, 2.6, QString(), tahoma(7)));
    footer.add(ReportItem::image(QStringLiteral("footerLogo"), kWidth - 18.0, 2.6, 17.2, 4.8, productLogoPicture(),
                                 true));
    footer.beforePrint = [](BandEvent &e) {
        e.item(QStringLiteral("pageNumber"))->text = QStringLiteral("Strana %1").arg(e.pageNumber);
    };
    return report;
}

} // namespace pelmixi::printing
