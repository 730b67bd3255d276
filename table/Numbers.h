#pragma once
// Numbers as the grid reads and shows them. Both directions ignore the user's locale: the
// decimal separator is always a point.
#include <QString>

// Reads the whole text as a decimal number: optional leading blanks, an optional sign, digits
// with an optional decimal point, an optional exponent, nothing after it. An empty text reads
// as 0. Infinities, NaN, hexadecimal numbers, out-of-range values and a decimal comma are
// refused.
bool ParseNumber(const QString& text, double& value);

// Formats one double with a printf format. A format that is not a single conversion of one
// double is never handed to the formatter: "%g" is used instead.
QString FormatNumber(const QString& format, double value);
