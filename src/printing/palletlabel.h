// The pallet label TFtiskStitP: five big lines and a Code 128 barcode on A4 landscape.
#pragma once

#include "printing/reportengine.h"
#include "printing/reportrow.h"

namespace pelmixi::printing {

// Number of packages as printed: poceto1 rounded to the nearest whole number, halves to even.
qint64 palletPackageCount(double poceto1);
// The total weight the dialog shows in smesi: rounded package count × weight of one package.
double palletTotal(double poceto1, double vahao1);
// The packaging line stored in popis: "20  x  25 kg  =  500 kg" (count, two blanks, "x", two
// blanks, weight, blank, unit, two blanks, "=", two blanks, total, blank, unit). Weights in
// general number format; the unit without its trailing blanks.
QString packagingLine(double poceto1, double vahao1, double total, const QString &mj,
                      QChar decimalSeparator = QLatin1Char(','));

// Rows: the pallet-label table (one row with naz_dru, naz_odru, partiecela, popis, sidlo).
// No rows: the report has no pages. The footer's barcode is drawn from "0" + partiecela each
// time the footer is produced; copies is the "Počet štítků" value.
Report palletLabelReport(const ReportRows &rows, int copies = 1);

} // namespace pelmixi::printing
