#pragma once
// Titration points as instruments and spreadsheets export them: one point a line, V then pH,
// separated by a comma, a semicolon, a tab or blanks. A decimal comma is accepted where the
// separator is a semicolon or a tab. Blank lines and lines starting with '#' are skipped, and
// so is a first line that is not numbers (a header).
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

struct TablePoint {
  double volume;
  double pH;
};

struct TableError {
  int line = 0;        // 1-based line number; 0 when the error is about the whole text
  std::string message; // "expected two values (V and pH), found 3"
};

inline constexpr int kMaxImportedPoints = 10'000'000;

// Parses the whole text. Every value must be a finite number >= 0. Returns false with *error
// filled at the first bad line, or when the text holds no point at all.
bool ParsePointTable(std::string_view text, std::vector<TablePoint>& points, TableError* error);

// Reads one number in the C locale, the whole text consumed (blanks around it allowed).
bool ParseTableNumber(std::string_view text, bool decimalComma, double& value);

} // namespace vexa
