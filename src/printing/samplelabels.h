// The sample label sheet TTiskForS2: four labels on an A4 sheet, two columns filled downwards.
#pragma once

#include "printing/reportengine.h"
#include "printing/reportrow.h"

namespace pelmixi::printing {

// Supplier data and the batch separator (smesi.ini, section TFmozno), read when the label
// report is created.
struct SampleLabelSupplier {
    QString nazev;     // Editnazev_Text
    QString sidlo;     // Editsidlo_Text
    QString ulice;     // Editulice_Text
    QString psc;       // EditPSC_Text
    QString posta;     // Editposta_Text
    QString ico;       // EditICO_Text
    QString kdeVysta;  // EditKDEVYSTA_Text: place of sampling
    QString separator = QStringLiteral("/"); // suiComboBoxOddDiluPartie_Text
};

struct SampleLabelOptions {
    ReportFormats formats;
    QString makerCredit; // empty: defaultLabelMakerCredit()
};

// The rows of the label sheet: startPosition − 1 blank rows (every column of `labelRow`
// present and null), then `count` copies of `labelRow`. count is kept within 1..6 and
// startPosition within 1..4, the ranges the dialog offers.
ReportRows sampleLabelSheetRows(int count, int startPosition, const ReportRow &labelRow);

// The batch number as the label prints it: unchanged with the separator "-"; otherwise the
// characters 2 to 13 of the code, the separator, and the code's last two characters.
// Trailing blanks of the stored code are ignored.
QString batchDisplay(const QString &partiecela, const QString &separator);

// Label row columns: stredisko, partiecela, nazevosiva, popis, cinnost, mnozstvi, mj, poceto1,
// mo1, navesky, datum (the label query: pelmixi.* with skarta.navesky, poceto1, mo1).
// A row with an empty partiecela prints as a blank label.
Report sampleLabelReport(const ReportRows &sheetRows, const SampleLabelSupplier &supplier,
                         const SampleLabelOptions &options = {});

QString defaultLabelMakerCredit();

} // namespace pelmixi::printing
