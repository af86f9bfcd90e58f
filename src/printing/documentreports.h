// Layouts of the recipe document (TfTpelmixi, report kind 37) and the mixing protocol
// (TfTpelmixiM, report kind 30), built from the rows of the report query.
#pragma once

#include "printing/reportengine.h"
#include "printing/reportrow.h"

#include <QDateTime>
#include <QImage>

#include <functional>

namespace pelmixi::printing {

enum class ReportKind { MixingProtocol = 30, RecipeDocument = 37 };

struct DocumentReportOptions {
    QImage logo;                       // "logo.bmp" of the current directory; null: the slot stays empty
    std::function<QDateTime()> clock;  // time printed after "Vytištěno:"; empty: the current time
    ReportFormats formats;
    QString footerCredit;              // empty: defaultFooterCredit()
};

// The firm's data printed in the protocol's supplier box, and the kilogram switch
// (pelmixi.ini, section TFmozno: Editnazev_Text ... EditFax_Text, suiCheckBoxTnaKG_Checked == "True").
struct CompanyData {
    QString nazev;   // Editnazev_Text
    QString sidlo;   // Editsidlo_Text
    QString ulice;   // Editulice_Text
    QString psc;     // EditPSC_Text
    QString posta;   // Editposta_Text
    QString ico;     // EditICO_Text
    QString telefon; // EditTelefon_Text
    QString fax;     // EditFax_Text
    bool tonsToKilograms = false;
};
// Asked each time the protocol's title band is produced, so a settings change shows at the next
// generation (also when the report is laid out again for the printer).
using CompanyDataSource = std::function<CompanyData()>;

// Rows: every pelmixi row of the document, ordered by smes descending, then id (mix row first),
// with the joined columns (nazevstr, ...). The recipe document prints every row as a detail.
Report recipeDocumentReport(const ReportRows &rows, const DocumentReportOptions &options = {});
// The protocol shows the first row in its title and suppresses detail rows whose smes is "1".
Report mixingProtocolReport(const ReportRows &rows, const CompanyDataSource &company,
                            const DocumentReportOptions &options = {});

// Recipe detail's batch suffix: " /" + lomeni when podnik is not blank, else three blanks.
QString batchSuffix(const ReportRow &row, const ReportFormats &formats = {});

// A quantity and unit as the protocol prints them. With the switch on, a quantity whose unit is
// "t" (blanks and letter case ignored) is printed × 1000 in "kg"; any other unit stays as stored,
// since multiplying kilograms or pieces by 1000 would print a false weight.
struct PrintedQuantity {
    QString amount;
    QString unit;
};
PrintedQuantity protocolQuantity(const QVariant &mnozstvi, const QString &mj, bool tonsToKilograms,
                                 const ReportFormats &formats = {});

// Footer line of both reports and the product picture beside it (our own, drawn by code).
QString defaultFooterCredit();
QImage productLogoPicture();

} // namespace pelmixi::printing
