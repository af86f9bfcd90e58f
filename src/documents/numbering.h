// Numbering of a new feed-mix document: the accounting year, the series (prefix and first number)
// and the head of the save script that lets the database compute the number into @CiDo.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

class Connection;

namespace numbering {

// One series of document numbers: 6-character prefix plus a 4-digit sequence.
struct Series {
    QString year; // accounting year Y, 4 digits (@RokDo, rokd)
    QString prefix; // 6 characters
    QString firstNumber; // prefix + "0001" (mode 0) or prefix + "6001" (mode 1)
};

// Y by the rule UcetniRok "1" (calendar year) or "2" (the year starts in July); empty for any
// other rule or an invalid date.
QString accountingYear(const QString &ucetniRok, const QDate &datum);

// The series for the settings, the cost centre and the document date. Settings outside "1"/"2"
// and 0/1 and cost centres that are not 2 or 3 digits are refused: nullopt and a Czech message
// in *error.
std::optional<Series> series(
    const QString &ucetniRok, int cislovaniD, const QString &stredisko, const QDate &datum, QString *error);

// The head of a new document's script: "BEGIN;", @RokDo, the register insert, @CiDo from the
// register and, for years before 2016, the @PoDo lines that continue the sequence of the
// existing documents; last the check of the number that fails the script when @CiDo is not a
// free 10-character number.
QStringList headLines(const Series &series, const QString &stredisko, const QString &cisloPC);

// The statement that fails (and so rolls the whole save back) unless @CiDo holds 10 characters
// not yet used by any row of pelmixi.
QString numberCheckLine();

// The highest sequence already used in the series (0 when none); a series whose highest
// sequence is 9999 is exhausted. For years before 2016 the sequence counts over all rows of the
// cost centre and year, as the @PoDo lines do; from 2016 over the numbers with the prefix.
int highestSequence(Connection &connection, const Series &series, const QString &stredisko);
bool isExhausted(int highestSequence);
QString exhaustedMessage(const Series &series);

} // namespace numbering
