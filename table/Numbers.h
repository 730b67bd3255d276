#pragma once
// Numbers as the grid reads and shows them. Both directions ignore the user's locale: the
// decimal separator is always a point.
#include <QString>

// Reads the whole text as a decimal number: optional leading blanks, an optional sign, digits
// with an optional decimal point, an optional exponent, nothing after it. An empty text reads
// as 0. A single comma in a text without a point is a decimal comma ("1,5" is 1.5): in a cell
// it cannot be a separator. Infinities, NaN, hexadecimal numbers and out-of-range values are
// refused.
bool ParseNumber(const QString& text, double& value);

// Formats one double with a printf format. A format that is not a single conversion of one
// double is never handed to the formatter: "%g" is used instead.
QString FormatNumber(const QString& format, double value);
