// Display formats of numeric fields, written the way the editor's field definitions give them
// ("### ### ##0.00", "### ### ##0.####", ",### ##0"): decimal comma, digits grouped by three.
#pragma once

#include <QString>

namespace displayformat {

inline constexpr char16_t Price[] = u"### ### ##0.00";     // nc, pc
inline constexpr char16_t Quantity[] = u"### ### ##0.####"; // mnozstvi

// '0' is a digit always shown, '#' a digit shown when significant, '.' the place of the decimal
// comma; a space or a comma in the integer part groups the digits by three with a space. The
// value is rounded to the digits the format allows; "-" only for a value that stays non-zero.
QString format(double value, const QString &format);

// A number typed by the operator: decimal comma or point, spaces (also no-break spaces) between
// digit groups ignored. Answers false for an empty or malformed text.
bool parseNumber(const QString &text, double *value);

} // namespace displayformat
