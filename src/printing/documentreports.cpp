// Band layouts of the recipe document and the mixing protocol; measures in millimetres.
#include "printing/documentreports.h"

#include <QPainter>
#include <QPainterPath>

#include <memory>

namespace pelmixi::printing {

namespace {

FontSpec tahoma(double pt, bool bold = false, bool italic = false, const QColor &color = Qt::black)
{
    FontSpec f;
    f.family = QStringLiteral("Tahoma");
    f.pointSize = pt;
    f.bold = bold;
    f.italic = italic;
    f.color = color;
    return f;
}

const QColor kNavy(0, 0, 128);
// Long values shrink to this size at least before they are cut, and keep this gap (mm) to the
// next item.
constexpr double kFitFloor = 6.5;
constexpr double kFitGap = 1.0;
const QColor kSilver(192, 192, 192);

std::function<QString(const ReportRow &)> column(const QString &name, const ReportFormats &formats)
{
    return [name, formats](const ReportRow &row) { return rowText(row, name, formats); };
}

QString number(const ReportRow &row, const QString &name, const ReportFormats &formats)
{
    const QVariant v = row.value(name);
    if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
        return {};
    return formatGeneral(rowNumber(row, name), formats.decimalSeparator);
}

void addPageHeader(Report &report, const ReportFormats &formats)
{
    Band &header = report.band(BandKind::PageHeader);
    header.height = 6.1;
    header.add(ReportItem::textAt(QStringLiteral("headerCaption"), 0.0, 0.0, QStringLiteral("Protokol"), tahoma(10)));
    header.add(ReportItem::textAt(QStringLiteral("headerNumber"), 16.9, 0.0, QString(), tahoma(10, true)))
        .bind(column(QStringLiteral("cislodokla"), formats));
    header.beforePrint = [](BandEvent &e) {
        const bool show = e.pageNumber > 1;
        e.item(QStringLiteral("headerCaption"))->visible = show;
        e.item(QStringLiteral("headerNumber"))->visible = show;
    };
}

void addPageFooter(Report &report, const DocumentReportOptions &options)
{
    Band &footer = report.band(BandKind::PageFooter);
    footer.height = 7.9;
    footer.add(ReportItem::hLine(QStringLiteral("footerRule"), 0.0, 0.3, 190.0));
    footer.add(ReportItem::textAt(QStringLiteral("footerCredit"), 1.3, 2.6,
                                  options.footerCredit.isEmpty() ? defaultFooterCredit() : options.footerCredit,
                                  tahoma(7)));
    footer.add(ReportItem::image(QStringLiteral("footerLogo"), 166.7, 2.6, 17.2, 4.8, productLogoPicture(), true));
}

ReportItem logoSlot(const DocumentReportOptions &options)
{
    // Natural size of logo.bmp from 2.6/1.3; an absent file leaves the slot empty.
    return ReportItem::image(QStringLiteral("logo"), 2.6, 1.3, 0, 0, options.logo);
}

void addPrintedAt(Band &summary, double top, const DocumentReportOptions &options)
{
    summary.add(ReportItem::textAt(QStringLiteral("printedCaption"), 147.1, top, QStringLiteral("Vytištěno:"),
                                   tahoma(8)));
    summary.add(ReportItem::textAt(QStringLiteral("printedAt"), 161.4, top, QString(), tahoma(8)));
    const ReportFormats formats = options.formats;
    const auto clock = options.clock;
    summary.beforePrint = [formats, clock](BandEvent &e) {
        const QDateTime when = clock ? clock() : QDateTime::currentDateTime();
        e.item(QStringLiteral("printedAt"))->text = formatPrintedAt(when, formats);
    };
}

PageSetup a4Portrait()
{
    PageSetup page;
    page.landscape = false;
    page.marginLeft = page.marginTop = page.marginRight = page.marginBottom = 10.0;
    return page;
}

} // namespace

QString defaultFooterCredit()
{
    return QStringLiteral("Zpracováno systémem Tavrix05 – modul krmných směsí pelmixi");
}

QImage productLogoPicture()
{
    // 17.2 × 4.8 mm drawn at four times the screen resolution, so it stays sharp when printed.
    const int w = 260;
    const int h = 72;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 96, 64));
    p.drawRoundedRect(QRectF(2, 2, w - 4, h - 4), 14, 14);
    // A grain ear: three leaves on a stalk.
    p.setBrush(QColor(230, 190, 60));
    for (int i = 0; i < 3; ++i) {
        QPainterPath leaf;
        const double cy = 18 + i * 16;
        leaf.addEllipse(QRectF(18, cy - 6, 26, 12));
        p.drawPath(leaf);
    }
    p.fillRect(QRectF(12, 14, 4, 46), QColor(230, 190, 60));
    FontSpec fontSpec;
    fontSpec.family = QStringLiteral("Tahoma");
    fontSpec.bold = true;
    QFont font = reportFont(fontSpec, 10);
    font.setPixelSize(44);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(54, 0, w - 60, h), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("pelmixi"));
    p.end();
    return image;
}

QString batchSuffix(const ReportRow &row, const ReportFormats &formats)
{
    if (rowText(row, QStringLiteral("podnik"), formats).trimmed().isEmpty())
        return QStringLiteral("   ");
    return QStringLiteral(" /") + number(row, QStringLiteral("lomeni"), formats);
}

PrintedQuantity protocolQuantity(const QVariant &mnozstvi, const QString &mj, bool tonsToKilograms,
                                 const ReportFormats &formats)
{
    ReportRow row;
    row.insert(QStringLiteral("q"), mnozstvi);
    PrintedQuantity out;
    if (tonsToKilograms && mj.trimmed().compare(u"t", Qt::CaseInsensitive) == 0) {
        const bool empty = !mnozstvi.isValid() || mnozstvi.isNull() || mnozstvi.toString().trimmed().isEmpty();
        out.amount = empty ? QString()
                           : formatGeneral(rowNumber(row, QStringLiteral("q")) * 1000.0, formats.decimalSeparator);
        out.unit = QStringLiteral("kg");
    } else {
        out.amount = number(row, QStringLiteral("q"), formats);
        out.unit = mj;
    }
    return out;
}

Report recipeDocumentReport(const ReportRows &rows, const DocumentReportOptions &options)
{
    const ReportFormats &fmt = options.formats;
    Report report;
    report.page = a4Portrait();
    report.rows = rows;
    addPageHeader(report, fmt);

    Band &title = report.band(BandKind::Title);
    title.height = 39.7;
    title.add(logoSlot(options));
    title.add(ReportItem::textCenteredAt(QStringLiteral("heading"), 86.6, 3.7, QStringLiteral("Míchání KS"),
                                         tahoma(18, true, false, kNavy)));
    title.add(ReportItem::textRightAt(QStringLiteral("titleNumber"), 91.5, 14.6, QString(), tahoma(12, true)))
        .bind(column(QStringLiteral("cislodokla"), fmt));
    title.add(ReportItem::rectangle(QStringLiteral("shadowBox"), 118.5, 3.4, 68.8, 19.8, false, kSilver));
    title.add(ReportItem::rectangle(QStringLiteral("headerBox"), 117.7, 2.6, 68.8, 19.8, true, Qt::white));
    title.add(ReportItem::textAt(QStringLiteral("centreCaption"), 125.1, 8.5, QStringLiteral("Stř. ČSO"), tahoma(8)));
    title.add(ReportItem::textBox(QStringLiteral("stredisko"), 140.5, 7.9, 6.6, 0, HAlign::Left, QString(),
                                  tahoma(10, true)))
        .bind(column(QStringLiteral("stredisko"), fmt));
    title.add(ReportItem::textAt(QStringLiteral("dateCaption"), 153.5, 8.5, QStringLiteral("Datum"), tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("datum"), 164.8, 7.9, QString(), tahoma(10, true)))
        .bind([fmt](const ReportRow &row) { return formatDate(row.value(QStringLiteral("datum")), fmt); });
    title.add(ReportItem::textBox(QStringLiteral("nazevstr"), 125.9, 14.6, 58.2, 0, HAlign::Left, QString(),
                                  tahoma(10)))
        .bind(column(QStringLiteral("nazevstr"), fmt));
    title.add(ReportItem::textAt(QStringLiteral("colPartie"), 8.7, 31.8, QStringLiteral("Partie"), tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("colNomenklatura"), 53.2, 31.8, QStringLiteral("Nomenklatura"),
                                 tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("colNazev"), 92.9, 31.8, QStringLiteral("Název"), tahoma(8)));
    title.add(ReportItem::textRightAt(QStringLiteral("colMnozstvi"), 150.0, 31.8, QStringLiteral("Množství"),
                                      tahoma(8)));
    title.add(ReportItem::textRightAt(QStringLiteral("colProcenta"), 165.9, 31.8, QStringLiteral("%"), tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("colCena"), 170.4, 31.8, QStringLiteral("Nákupní cena"), tahoma(8)));
    title.add(ReportItem::hLine(QStringLiteral("titleRule"), 0.0, 35.7, 189.4));

    Band &detail = report.band(BandKind::Detail);
    detail.height = 10.6;
    detail.add(ReportItem::textBox(QStringLiteral("smes"), 0.8, 0.5, 3.4, 0, HAlign::Left, QString(), tahoma(10)))
        .bind(column(QStringLiteral("smes"), fmt));
    detail.add(ReportItem::textAt(QStringLiteral("partiecela"), 7.7, 0.5, QString(), tahoma(9, true)))
        .bind(column(QStringLiteral("partiecela"), fmt));
    detail.add(ReportItem::textBox(QStringLiteral("batchSuffix"), 39.7, 0.5, 7.9, 0, HAlign::Left, QString(),
                                   tahoma(9, true)))
        .bind([fmt](const ReportRow &row) { return batchSuffix(row, fmt); });
    detail.add(ReportItem::textAt(QStringLiteral("nomenkla"), 51.3, 0.5, QString(), tahoma(9)))
        .bind(column(QStringLiteral("nomenkla"), fmt));
    detail.add(ReportItem::textAt(QStringLiteral("naz_dru"), 81.5, 0.5, QString(), tahoma(9)))
        .bind(column(QStringLiteral("naz_dru"), fmt));
    detail.add(ReportItem::textAt(QStringLiteral("naz_odru"), 81.5, 5.0, QString(), tahoma(9)))
        .bind([fmt](const ReportRow &row) {
            return rowText(row, QStringLiteral("naz_odru"), fmt) + QStringLiteral("  ")
                + rowText(row, QStringLiteral("stupen"), fmt);
        });
    detail.add(ReportItem::textRightAt(QStringLiteral("mnozstvi"), 151.3, 0.5, QString(), tahoma(9)))
        .bind([fmt](const ReportRow &row) { return number(row, QStringLiteral("mnozstvi"), fmt); });
    detail.add(ReportItem::textAt(QStringLiteral("mj"), 152.1, 0.5, QString(), tahoma(9)))
        .bind(column(QStringLiteral("mj"), fmt));
    detail.add(ReportItem::textRightAt(QStringLiteral("pr"), 166.2, 0.5, QString(), tahoma(9)))
        .bind([fmt](const ReportRow &row) { return number(row, QStringLiteral("pr"), fmt); });
    detail.add(ReportItem::textRightAt(QStringLiteral("nc"), 189.4, 0.5, QString(), tahoma(9)))
        .bind([fmt](const ReportRow &row) {
            const QVariant v = row.value(QStringLiteral("nc"));
            if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
                return QString();
            return formatPriceMask(rowNumber(row, QStringLiteral("nc")), fmt.decimalSeparator);
        });
    detail.add(ReportItem::textAt(QStringLiteral("popis"), 7.9, 5.0, QString(), tahoma(9)))
        .bind(column(QStringLiteral("popis"), fmt));

    Band &summary = report.band(BandKind::Summary);
    summary.height = 17.2;
    summary.add(ReportItem::rectangle(QStringLiteral("summaryBox"), 0.0, 0.0, 190.0, 13.5, true));
    addPrintedAt(summary, 7.9, options);

    addPageFooter(report, options);
    return report;
}

Report mixingProtocolReport(const ReportRows &rows, const CompanyDataSource &company,
                            const DocumentReportOptions &options)
{
    const ReportFormats &fmt = options.formats;
    Report report;
    report.page = a4Portrait();
    report.rows = rows;
    addPageHeader(report, fmt);

    Band &title = report.band(BandKind::Title);
    title.height = 75.4;
    title.add(logoSlot(options));
    title.add(ReportItem::textCenteredAt(QStringLiteral("heading"), 99.8, 3.7, QStringLiteral("Míchací protokol KS"),
                                         tahoma(18, true, false, kNavy)));
    title.add(ReportItem::textRightAt(QStringLiteral("titleNumber"), 174.8, 5.3, QString(), tahoma(12, true)))
        .bind(column(QStringLiteral("cislodokla"), fmt));
    title.add(ReportItem::rectangle(QStringLiteral("shadowBox"), 97.4, 16.7, 88.9, 43.9, false, kSilver));
    title.add(ReportItem::rectangle(QStringLiteral("supplierBox"), 96.6, 15.9, 88.9, 43.9, true, Qt::white));
    title.add(ReportItem::textRightAt(QStringLiteral("supplierCaption"), 182.6, 17.5, QStringLiteral("dodavatel"),
                                      tahoma(8, false, true)));

    auto caption = [&title](const QString &name, double top, const QString &text) {
        title.add(ReportItem::textRightAt(name, 113.0, top, text, tahoma(8)));
    };
    // Values stay inside the supplier box (and the postcode left of the post office).
    const double boxInside = 96.6 + 88.9 - kFitGap;
    auto value = [&title](const QString &name, double x, double top, double right) {
        title.add(ReportItem::textAt(name, x, top, QString(), tahoma(10))).fit(right - x, kFitFloor);
    };
    caption(QStringLiteral("icoCaption"), 22.0, QStringLiteral("IČO/stř."));
    value(QStringLiteral("EditICO_Text"), 115.4, 21.2, boxInside);
    caption(QStringLiteral("firmaCaption"), 27.0, QStringLiteral("Firma"));
    value(QStringLiteral("Editnazev_Text"), 115.4, 26.2, boxInside);
    value(QStringLiteral("Editsidlo_Text"), 115.4, 31.2, boxInside);
    caption(QStringLiteral("uliceCaption"), 37.0, QStringLiteral("Ulice a č."));
    value(QStringLiteral("Editulice_Text"), 115.4, 36.2, boxInside);
    caption(QStringLiteral("mistoCaption"), 42.1, QStringLiteral("Místo"));
    value(QStringLiteral("EditPSC_Text"), 115.4, 41.3, 132.6 - kFitGap);
    value(QStringLiteral("Editposta_Text"), 132.6, 41.3, boxInside);
    caption(QStringLiteral("strediskoCaption"), 46.8, QStringLiteral("Středisko"));
    title.add(ReportItem::textBox(QStringLiteral("stredisko"), 115.4, 46.3, 7.9, 0, HAlign::Left, QString(),
                                  tahoma(10)))
        .bind(column(QStringLiteral("stredisko"), fmt));
    title.add(ReportItem::textBox(QStringLiteral("nazevstr"), 124.6, 46.3, 58.2, 0, HAlign::Left, QString(),
                                  tahoma(10)).fit(0, kFitFloor))
        .bind(column(QStringLiteral("nazevstr"), fmt));
    caption(QStringLiteral("telefonCaption"), 52.7, QStringLiteral("Telefon,fax"));
    title.add(ReportItem::textBox(QStringLiteral("EditTelefon_Text"), 115.4, 51.9, 31.8, 0, HAlign::Left, QString(),
                                  tahoma(10)).fit(0, kFitFloor));
    title.add(ReportItem::textBox(QStringLiteral("EditFax_Text"), 149.8, 51.9, 31.8, 0, HAlign::Left, QString(),
                                  tahoma(10)).fit(0, kFitFloor));

    title.add(ReportItem::textAt(QStringLiteral("nameCaption"), 4.0, 29.6, QStringLiteral("Název směsi"), tahoma(8)));
    // The mix names end before the supplier box's shadow begins.
    const double nameRoom = 96.6 - kFitGap - 21.4;
    title.add(ReportItem::textAt(QStringLiteral("naz_dru"), 21.4, 29.1, QString(), tahoma(10)))
        .bind(column(QStringLiteral("naz_dru"), fmt))
        .fit(nameRoom, kFitFloor);
    title.add(ReportItem::textAt(QStringLiteral("naz_odru"), 21.4, 34.4, QString(), tahoma(10)))
        .bind(column(QStringLiteral("naz_odru"), fmt))
        .fit(nameRoom, kFitFloor);
    title.add(ReportItem::textAt(QStringLiteral("popis"), 21.4, 39.7, QString(), tahoma(10)))
        .bind(column(QStringLiteral("popis"), fmt))
        .fit(nameRoom, kFitFloor);
    title.add(ReportItem::textAt(QStringLiteral("partieCaption"), 4.0, 45.5, QStringLiteral("Číslo Partie"),
                                 tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("partiecela"), 21.4, 45.0, QString(), tahoma(10, true)))
        .bind(column(QStringLiteral("partiecela"), fmt));
    title.add(ReportItem::textAt(QStringLiteral("weightCaption"), 4.0, 50.8, QStringLiteral("Hmotnost"), tahoma(8)));
    title.add(ReportItem::textBox(QStringLiteral("mnozstvi"), 21.4, 50.3, 37.5 - 21.4, 0, HAlign::Right, QString(),
                                  tahoma(9, true)));
    title.add(ReportItem::textAt(QStringLiteral("mj"), 39.7, 50.3, QString(), tahoma(9, true)));
    title.add(ReportItem::textAt(QStringLiteral("dateCaption"), 2.6, 58.7, QStringLiteral("Datum míchání"),
                                 tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("datum"), 22.8, 58.2, QString(), tahoma(10)))
        .bind([fmt](const ReportRow &row) { return formatDate(row.value(QStringLiteral("datum")), fmt); });
    title.add(ReportItem::textAt(QStringLiteral("colPartie"), 8.7, 67.5, QStringLiteral("Partie"), tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("colKomponenty"), 36.0, 67.5, QStringLiteral("Komponenty"),
                                 tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("colGenerace"), 111.4, 67.5, QStringLiteral("Generace"), tahoma(8)));
    title.add(ReportItem::textRightAt(QStringLiteral("colPouzite"), 138.9, 63.5, QStringLiteral("Použité"),
                                      tahoma(8)));
    title.add(ReportItem::textRightAt(QStringLiteral("colMnozstvi"), 140.8, 67.5, QStringLiteral("množství"),
                                      tahoma(8)));
    title.add(ReportItem::textRightAt(QStringLiteral("colProcenta"), 155.3, 67.5, QStringLiteral("%"), tahoma(8)));
    title.add(ReportItem::textAt(QStringLiteral("colSarze"), 162.5, 67.5, QStringLiteral("Šarže"), tahoma(8)));
    title.add(ReportItem::hLine(QStringLiteral("titleRule"), 0.0, 71.4, 189.4));

    // Company data and the switch are read at every production of the title band.
    const auto tonsToKg = std::make_shared<bool>(false);
    title.beforePrint = [company, tonsToKg, fmt](BandEvent &e) {
        const CompanyData data = company ? company() : CompanyData();
        *tonsToKg = data.tonsToKilograms;
        e.item(QStringLiteral("EditICO_Text"))->text = data.ico;
        e.item(QStringLiteral("Editnazev_Text"))->text = data.nazev;
        e.item(QStringLiteral("Editsidlo_Text"))->text = data.sidlo;
        e.item(QStringLiteral("Editulice_Text"))->text = data.ulice;
        e.item(QStringLiteral("EditPSC_Text"))->text = data.psc;
        e.item(QStringLiteral("Editposta_Text"))->text = data.posta;
        e.item(QStringLiteral("EditTelefon_Text"))->text = data.telefon;
        e.item(QStringLiteral("EditFax_Text"))->text = data.fax;
        const PrintedQuantity q = protocolQuantity(e.row.value(QStringLiteral("mnozstvi")),
                                                   rowText(e.row, QStringLiteral("mj"), fmt), data.tonsToKilograms,
                                                   fmt);
        e.item(QStringLiteral("mnozstvi"))->text = q.amount;
        e.item(QStringLiteral("mj"))->text = e.row.isEmpty() ? QString() : q.unit;
    };

    Band &detail = report.band(BandKind::Detail);
    detail.height = 6.6;
    detail.add(ReportItem::textAt(QStringLiteral("partiecela"), 1.1, 0.5, QString(), tahoma(9)))
        .bind(column(QStringLiteral("partiecela"), fmt));
    detail.add(ReportItem::textAt(QStringLiteral("komponenty"), 32.5, 0.5, QString(), tahoma(9)));
    detail.add(ReportItem::textBox(QStringLiteral("stupen"), 113.5, 0.5, 122.0 - 113.5, 0, HAlign::Right, QString(),
                                   tahoma(9)))
        .bind(column(QStringLiteral("stupen"), fmt));
    detail.add(ReportItem::textRightAt(QStringLiteral("mnozstvi"), 139.4, 0.5, QString(), tahoma(9)));
    detail.add(ReportItem::textAt(QStringLiteral("mj"), 141.6, 0.5, QString(), tahoma(9)));
    detail.add(ReportItem::textRightAt(QStringLiteral("pr"), 155.6, 0.5, QString(), tahoma(9)))
        .bind([fmt](const ReportRow &row) { return number(row, QStringLiteral("pr"), fmt); });
    detail.add(ReportItem::textAt(QStringLiteral("ulc"), 161.1, 0.5, QString(), tahoma(9)))
        .bind(column(QStringLiteral("ulc"), fmt));
    detail.beforePrint = [tonsToKg, fmt](BandEvent &e) {
        if (e.row.value(QStringLiteral("smes")).toString() == u"1") {
            e.print = false;
            return;
        }
        e.item(QStringLiteral("komponenty"))->text = rowText(e.row, QStringLiteral("naz_dru"), fmt)
            + QStringLiteral(",  ") + rowText(e.row, QStringLiteral("naz_odru"), fmt);
        const PrintedQuantity q = protocolQuantity(e.row.value(QStringLiteral("mnozstvi")),
                                                   rowText(e.row, QStringLiteral("mj"), fmt), *tonsToKg, fmt);
        e.item(QStringLiteral("mnozstvi"))->text = q.amount;
        e.item(QStringLiteral("mj"))->text = q.unit;
    };

    Band &summary = report.band(BandKind::Summary);
    summary.height = 41.0;
    summary.add(ReportItem::rectangle(QStringLiteral("summaryBox"), 0.0, 0.0, 190.0, 12.2, true));
    addPrintedAt(summary, 5.3, options);
    summary.add(ReportItem::textAt(QStringLiteral("stampCaption"), 6.6, 28.3,
                                   QStringLiteral("Razítko a podpis dodavatele"), tahoma(8)));

    addPageFooter(report, options);
    return report;
}

} // namespace pelmixi::printing
