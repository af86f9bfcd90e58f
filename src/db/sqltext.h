// The only ways values enter SQL text: one quoting routine for texts, one writer for numbers and
// one for dates. Nothing is pasted into a statement any other way.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// The two quoted literals a value can become. Both write the backslash as \\, NUL as \0, CR as
// \r, LF as \n and Ctrl-Z as \Z (the server's string escapes, the session runs without
// NO_BACKSLASH_ESCAPES), so a literal never spans lines, whatever the value holds: statements are
// built and stored line by line (filter files, save scripts, the SQL log).
// 'text', an inner single quote doubled.
QString sqlQuote(const QString &text);
// "text", an inner double quote written \", for the statements whose templates write values
// between double quotes.
QString sqlDoubleQuote(const QString &text);

// C locale, up to 15 significant digits, never an exponent for ordinary magnitudes, never a
// grouping or decimal comma: 1234567.891 -> "1234567.891", 12.5 -> "12.5". NULL/empty -> "0".
QString sqlNumber(double value);
QString sqlNumber(const QVariant &value);

// Floating-point values in saved rows: "0" followed by the number's text (12,5 -> 012.5, 0 -> 00).
QString sqlSavedFloat(double value);
QString sqlSavedFloat(const QVariant &value);

// 'yyyy-mm-dd'
QString sqlDate(const QDate &date);
