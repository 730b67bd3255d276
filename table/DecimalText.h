#pragma once
// A cell's text read as a number, in plain C++: the grid's text reader and the fuzz target of
// pasted text share it.
#include <string_view>

// Reads the whole text as a decimal number: optional leading blanks, an optional sign, digits
// with an optional decimal point, an optional exponent, nothing after it. An empty text reads
// as 0. Infinities, NaN, hexadecimal numbers, out-of-range values and a decimal comma are
// refused. The decimal separator is a point, whatever the locale says; with decimalComma a
// single comma in a text without a point is read as the decimal separator too ("1,5").
bool ParseDecimalText(std::string_view text, double& value, bool decimalComma = false);
