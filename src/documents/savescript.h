// The save script of a feed-mix document as a value: pure functions that turn the mix row, the
// composition lines and the stored copy into the ordered statement lines of one transaction
// (new document or correction). Executing it is posting.h's business.
#pragma once

#include "history.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace numbering {
struct Series;
}

namespace posting {

// The seven packaging values of the hidden page "Obal" (EditMNOMENKLA, EditMO, CurrencyEdit2,
// EditEK, EditVAHAO, EditPOCETO, EditNAVESKY): loaded from the mix card on correction, empty
// texts and zeros for a new document.
struct Packaging {
    QString mnomenkla; // MNOMENKLA1
    QString mo; // MO1
    double vahaObalu = 0; // VAHAOBALU, 4 decimals
    QString ek; // EK1
    double vahaO = 0; // VAHAO1 and VAHACELKO1, 4 decimals
    double pocetO = 0; // POCETO1, whole number
    QString navesky; // NAVESKY, at most 70 characters
};

// Everything the save reads besides the rows.
struct SaveContext {
    QString stredisko; // the current cost centre
    QString cisloPC = QStringLiteral("00");
    QString mode = QStringLiteral("N"); // "N" new document, "O" correction
    int correctionState = 0; // 0 card recreated, 1 card kept, 9 saving refused
    QString loadedPartiecela; // the stored mix batch of a correction
    qlonglong loadedLomeni = 0;
    int ksJakNc = 0; // KS_JAKNC
    bool ksVyrobky = true; // KS_vyrobky is not "N": works costed, mixes are own products
    bool confirmed = false; // "Potvrzená KS"
    QString ucetniRok = QStringLiteral("1"); // settings row; the runner reads them again under the lock
    int cislovaniD = 0;
    Packaging packaging;
    WorkstationIdentity identity; // for the history row; zapsat() collects it when empty
    QDateTime now; // history time; invalid: the clock at build time
    QString workDir; // where "asm.txt" goes; empty: the program folder

    bool isCorrection() const { return mode == QLatin1String("O"); }
};

// The document as the working tables hand it over: lower-case column names.
struct Document {
    QVariantMap mix; // the header table's single row
    QList<QVariantMap> lines; // the line table, in table order
    QList<QVariantMap> stored; // the stored copy: every row as loaded (empty for a new document)
};

// --- field values as the statements write them ---------------------------------------------

// The field's plain text (numbers without grouping, whole numbers without decimals).
QString fieldText(const QVariant &value);
// A row's column as a quoted text value.
QString quotedField(const QVariantMap &row, const char16_t *column);
// "0" + the number with a decimal point: 12,5 -> 012.5, 0 -> 00, empty -> 0.
QString savedNumber(const QVariant &value);
// The number with a decimal point, no leading "0".
QString pointNumber(const QVariant &value);
// Whole number (lomeni), bare.
qlonglong wholeNumber(const QVariant &value);
// A date field (QDate, QDateTime or text "yyyy-mm-dd", "dd.mm.yyyy", "yyyymmdd").
QDate dateValue(const QVariant &value);
// The mix row is the row whose smes is "1"; everything else (empty included) is a line.
bool isMixRow(const QVariantMap &row);
// smes as written: "0" + its digits ("1" -> 01, "" -> 0). A line never becomes a mix row.
QString smesValue(const QVariant &value, bool mixRow);

// The document as the script writes it: every line takes the mix row's stredisko, datum and
// jazyk; the unconfirmed mix gets nc 0 when KS_JAKNC > 0.
Document documentAsSaved(const Document &doc, const SaveContext &ctx);

// --- statements ----------------------------------------------------------------------------

QStringList lineInsert(const QVariantMap &line);
QStringList mixInsert(const QVariantMap &mix);
QStringList stockMovement(const QVariantMap &line);
QString historyLine(const SaveContext &ctx);

// The document statements (lines, stock movements, history row, mix row, mix card) for the
// document as it comes from the working tables.
QStringList ZapisSM(const Document &doc, const SaveContext &ctx);

// A new document's whole script: numbering head, ZapisSM, "COMMIT;".
QStringList novyScript(const Document &doc, const SaveContext &ctx, const numbering::Series &series);

// A correction's whole script: "BEGIN;", the stored number and year, the removal of the stored
// rows and the reversal of their stock movements, ZapisSM, "COMMIT;".
QStringList opravaScript(const Document &doc, const SaveContext &ctx);
QStringList reversal(const QList<QVariantMap> &stored, int correctionState);

} // namespace posting
