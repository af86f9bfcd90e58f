// The only ways values enter SQL text: one quoting routine for texts, one writer for numbers and
// one for dates. Nothing is pasted into a statement any other way.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// 'text' with inner single quotes doubled and backslashes doubled (the server's default string
// syntax treats the backslash as an escape character).
QString sqlQuote(const QString &text);

// The inside of a double-quoted literal, for the statements whose templates write values
// between double quotes: backslash and double quote escaped.
QString sqlEscapeDoubleQuoted(const QString &text);

// C locale, up to 15 significant digits, never an exponent for ordinary magnitudes, never a
// grouping or decimal comma: 1234567.891 -> "1234567.891", 12.5 -> "12.5". NULL/empty -> "0".
QString sqlNumber(double value);
QString sqlNumber(const QVariant &value);

// Floating-point values in saved rows: "0" followed by the number's text (12,5 -> 012.5, 0 -> 00).
QString sqlSavedFloat(double value);
QString sqlSavedFloat(const QVariant &value);

// 'yyyy-mm-dd'
QString sqlDate(const QDate &date);
