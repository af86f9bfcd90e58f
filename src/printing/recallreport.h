// The recall overview of one batch: who received how much of it (delivery notes, issue slips,
// transfers, with the suspect quantity each carried) and the mixes and calculations in between.
// Plain texts in, a banded report out; the caller formats the figures.
#pragma once

#include "printing/documentreports.h"
#include "printing/reportengine.h"

#include <QString>
#include <QStringList>

namespace pelmixi::printing {

struct RecallLine {
    QString partner;  // deliveries: customer; mixes: empty
    QString document; // "DL 2601010001"
    QString date;
    QString batch;    // "552600003/0"
    QString name;
    QString quantity;
    QString unit;
    QString suspect;  // empty: could not be determined
    QString note;
};

struct RecallTotal {
    QString partner;
    QString documents;
    QString suspect;
    QString unit;
};

struct RecallReportData {
    QString batch;  // "250000101-0441/0"
    QString name;
    QString origin; // "PV 2601010001 z 06.07.2026, dodavatel ZZN Polabí a.s."
    QList<RecallLine> deliveries;
    QList<RecallTotal> totals;
    QList<RecallLine> mixes;
    QStringList notes; // cycles, missing indexes, shares that could not be determined
};

// "Stažení partie – přehled odběratelů"
QString recallReportTitle();

// One detail band serves every line; each row's "kind" says how it prints: section, head,
// delivery, total, mix, note, empty.
ReportRows recallReportRows(const RecallReportData &data);
Report recallReport(const RecallReportData &data, const DocumentReportOptions &options = {});

} // namespace pelmixi::printing
