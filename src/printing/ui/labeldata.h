// The database and file side of the sample and pallet labels: the label queries, the working
// tables the labels print from, the supplier data of smesi.ini and the saved-text files.
#pragma once

#include "printing/reportrow.h"
#include "printing/samplelabels.h"
#include "resultset.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class WorkTable;

namespace labels {

// The working tables of the labels in the data folder. They are tables of their own, so both
// labels can be printed while the editor holds its line table open.
inline constexpr char16_t LabelSheetTable[] = u"stitky";
inline constexpr char16_t PalletTable[] = u"paleta";

// Supplier name, address, place of sampling and batch separator from ./smesi.ini, section
// TFmozno; a missing file or key gives empty texts and the separator "/".
pelmixi::printing::SampleLabelSupplier readSampleLabelSupplier();

// The label query: the document's mix row with three columns of the batch's stock card, by the
// list row's id written as a whole number. An id that is not a whole number gives an empty text.
QString sampleLabelSql(const QVariant &id);

// The stock card of a batch on a cost centre; every value quoted, the fraction too.
QString palletCardSql(const QString &partiecela, const QString &lomeni, const QString &costCentre);

// Creates the label sheet table anew with the columns of the label query and fills it: a blank
// row for each position skipped on the sheet, then `count` copies of the label row (count within
// 1..6, startPosition within 1..4). `label` must hold one row. The table stays open.
void fillLabelSheet(WorkTable &table, const ResultSet &label, int count, int startPosition);

// Creates the pallet-label table anew with the stock card's columns and puts one row in it: a
// copy of the card, or a row of empty fields when there is no card. The table stays open.
void fillPalletTable(WorkTable &table, const ResultSet &card);

// Every row of an open working table as report rows (lower-case column names).
pelmixi::printing::ReportRows tableRows(const WorkTable &table);

// Saved texts of a field F: the file F + ".txt" in the current folder (an existing file of that
// name in any letter case), one text a line, code page 1250.
QString savedTextsPath(const QString &field);
QStringList loadSavedTexts(const QString &field);
// Replaces the file with the list. A text that code page 1250 cannot hold throws
// cp1250::EncodingError before anything is written; a file that cannot be written throws
// std::runtime_error with an operator message.
void saveSavedTexts(const QString &field, const QStringList &texts);

} // namespace labels
