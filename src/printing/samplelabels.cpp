// Layout of the sample label and the rows of a label sheet.
#include "printing/samplelabels.h"

#include <algorithm>

namespace pelmixi::printing {

namespace {

FontSpec tahoma(double pt, bool bold = false, bool italic = false)
{
    FontSpec f;
    f.family = QStringLiteral("Tahoma");
    f.pointSize = pt;
    f.bold = bold;
    f.italic = italic;
    return f;
}

QString numberText(const ReportRow &row, const QString &name, const ReportFormats &formats)
{
    const QVariant v = row.value(name);
    if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
        return {};
    return formatGeneral(rowNumber(row, name), formats.decimalSeparator);
}

} // namespace

QString defaultLabelMakerCredit()
{
    return QStringLiteral("Tisk: Tavrix05 – modul krmných směsí pelmixi");
}

ReportRows sampleLabelSheetRows(int count, int startPosition, const ReportRow &labelRow)
{
    count = std::clamp(count, 1, 6);
    startPosition = std::clamp(startPosition, 1, 4);
    ReportRow blank;
    for (auto it = labelRow.constBegin(); it != labelRow.constEnd(); ++it)
        blank.insert(it.key(), QVariant());
    ReportRows rows;
    for (int i = 1; i < startPosition; ++i)
        rows.append(blank);
    for (int i = 0; i < count; ++i)
        rows.append(labelRow);
    return rows;
}

QString batchDisplay(const QString &partiecela, const QString &separator)
{
    if (separator == u"-")
        return partiecela;
    QString code = partiecela;
    while (code.endsWith(QLatin1Char(' ')))
        code.chop(1);
    const QString tail = code.size() <= 2 ? code : code.right(2);
    return code.mid(1, 12) + separator + tail;
}

Report sampleLabelReport(const ReportRows &sheetRows, const SampleLabelSupplier &supplier,
                         const SampleLabelOptions &options)
{
    const ReportFormats fmt = options.formats;
    Report report;
    report.page.landscape = false;
    report.page.marginLeft = 5.0;
    report.page.marginTop = report.page.marginRight = report.page.marginBottom = 0.0;
    report.page.columns = 2;
    report.page.columnSpacing = 0.0;
    report.rows = sheetRows;
    report.printIfEmpty = false;

    Band &label = report.band(BandKind::Detail);
    label.height = 147.9;
    const FontSpec caption = tahoma(8, false, true);
    const FontSpec value = tahoma(10);
    const FontSpec small = tahoma(8);

    // Long values shrink, then are cut, before the right edge of the label (the neighbouring
    // label or the page edge) or, beside it, the maker credit.
    const double labelInside = 102.4 - 1.0;
    const double creditInside = 93.9 - 1.0;
    constexpr double kFloor = 6.5;
    auto roomAt = [labelInside, creditInside](double x, double y) {
        return (y + 6.0 > 68.8 ? creditInside : labelInside) - x;
    };
    auto text = [&label, roomAt](const QString &name, double x, double y, const QString &t, const FontSpec &f) {
        return &label.add(ReportItem::textAt(name, x, y, t, f).fit(roomAt(x, y), kFloor));
    };
    auto field = [&label, fmt, roomAt](const QString &name, double x, double y, const FontSpec &f) {
        label.add(ReportItem::textAt(name, x, y, QString(), f))
            .bind([name, fmt](const ReportRow &row) { return rowText(row, name, fmt); })
            .fit(roomAt(x, y), kFloor);
    };

    text(QStringLiteral("dodavatelCaption"), 2.6, 5.3, QStringLiteral("Dodavatel"), caption);
    text(QStringLiteral("Editnazev_Text"), 25.1, 5.3, supplier.nazev, small);
    text(QStringLiteral("Editsidlo_Text"), 25.1, 9.3, supplier.sidlo, small);
    label.add(ReportItem::textRightAt(QStringLiteral("EditICO_Text"), 18.5, 13.2, supplier.ico, small));
    text(QStringLiteral("Editulice_Text"), 25.1, 13.2, supplier.ulice, small);
    label.add(ReportItem::textBox(QStringLiteral("stredisko"), 10.6, 17.2, 18.5 - 10.6, 0, HAlign::Right, QString(),
                                  small))
        .bind(QStringLiteral("stredisko"));
    text(QStringLiteral("EditPSC_Text"), 25.1, 17.2, supplier.psc, small)->fit(41.0 - 1.0 - 25.1, kFloor);
    text(QStringLiteral("Editposta_Text"), 41.0, 17.2, supplier.posta, small);

    text(QStringLiteral("partieCaption"), 2.6, 29.1, QStringLiteral("Číslo partie"), caption);
    text(QStringLiteral("partiecela"), 33.1, 29.1, QString(), tahoma(10, true));
    text(QStringLiteral("nazevCaption"), 2.6, 35.7, QStringLiteral("Název směsi"), caption);
    field(QStringLiteral("nazevosiva"), 33.1, 35.7, value);
    field(QStringLiteral("popis"), 33.1, 41.0, value);
    text(QStringLiteral("cinnostCaption"), 2.6, 47.6, QStringLiteral("Směs pro"), caption);
    field(QStringLiteral("cinnost"), 33.1, 47.6, value);
    text(QStringLiteral("zemeCaption"), 2.6, 56.9, QStringLiteral("Země původu"), caption);
    text(QStringLiteral("zeme"), 33.1, 56.9, QStringLiteral("ČR"), value);
    text(QStringLiteral("hmotnostCaption"), 2.6, 62.2, QStringLiteral("Hmotnost partie"), caption);
    label.add(ReportItem::textAt(QStringLiteral("mnozstvi"), 33.1, 62.2, QString(), value).fit(51.6 - 1.0 - 33.1, kFloor))
        .bind([fmt](const ReportRow &row) { return numberText(row, QStringLiteral("mnozstvi"), fmt); });
    field(QStringLiteral("mj"), 51.6, 62.2, value);
    text(QStringLiteral("obalyCaption"), 2.6, 67.5, QStringLiteral("Počet obalů"), caption);
    label.add(ReportItem::textBox(QStringLiteral("poceto1"), 33.1, 67.5, 41.3 - 33.1, 0, HAlign::Left, QString(),
                                  value))
        .bind([fmt](const ReportRow &row) { return numberText(row, QStringLiteral("poceto1"), fmt); });
    field(QStringLiteral("mo1"), 42.3, 67.5, value);
    text(QStringLiteral("naveskyCaption"), 2.6, 78.1, QStringLiteral("Čísla návěsek"), caption);
    field(QStringLiteral("navesky"), 22.5, 78.1, tahoma(9));
    text(QStringLiteral("mistoCaption"), 2.6, 86.0, QStringLiteral("Místo vzorkování"), caption);
    text(QStringLiteral("EditKDEVYSTA_Text"), 33.1, 86.0, supplier.kdeVysta, value);
    text(QStringLiteral("datumCaption"), 2.6, 92.6, QStringLiteral("Datum vzorkování"), caption);
    label.add(ReportItem::textAt(QStringLiteral("datum"), 33.1, 92.6, QString(), value))
        .bind([fmt](const ReportRow &row) { return formatDate(row.value(QStringLiteral("datum")), fmt); });
    text(QStringLiteral("ucelCaption"), 2.6, 99.2, QStringLiteral("Účel vzorkování"), caption);
    text(QStringLiteral("ucel"), 33.1, 99.2, QStringLiteral("kontrolní"), value);
    text(QStringLiteral("vzorkovatelCaption"), 2.6, 117.7, QStringLiteral("Razítko a podpis vzorkovatele"), caption);
    text(QStringLiteral("dodavatelPodpisCaption"), 2.6, 133.6, QStringLiteral("Razítko a podpis dodavatele"),
         caption);

    ReportItem credit = ReportItem::textBox(QStringLiteral("makerCredit"), 93.9, 68.8, 3.4, 70.4, HAlign::Left,
                                            QString(), tahoma(7));
    credit.rotation = 90;
    label.add(credit);

    const QString separator = supplier.separator;
    const QString makerCredit = options.makerCredit.isEmpty() ? defaultLabelMakerCredit() : options.makerCredit;
    label.beforePrint = [separator, makerCredit](BandEvent &e) {
        const QString code = e.row.value(QStringLiteral("partiecela")).toString();
        if (code.trimmed().isEmpty()) {
            // A skipped position of a partly used sheet: the label stays blank.
            for (ReportItem &item : e.band.items)
                item.visible = false;
            return;
        }
        e.item(QStringLiteral("partiecela"))->text = batchDisplay(code, separator);
        e.item(QStringLiteral("makerCredit"))->text = makerCredit;
    };
    return report;
}

} // namespace pelmixi::printing
