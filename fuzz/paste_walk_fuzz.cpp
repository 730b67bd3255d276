// Pasted text on the grid: the walk from the start cell hands over exactly the fields an
// independent reading of the text expects, each inside the table and none twice, and every
// field the cell reader accepts is a finite number that the C library reads the same way.
//
// Input: four bytes choose the table and the start cell, the rest is the pasted text.
#include "table/DecimalText.h"
#include "table/PasteWalk.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Store {
  int column;
  int row;
  std::string field;
  bool operator==(const Store&) const = default;
};

// The fields as a plain reading of the text places them: CR LF is LF; tabs separate fields,
// LF ends a line; an empty remainder after the last separator is no field.
std::vector<Store> Expected(std::string_view pasted, int startColumn, int startRow, int columns,
                            int rows) {
  std::vector<Store> out;
  if (startColumn >= columns || startRow >= rows) return out;
  std::string text;
  for (std::size_t i = 0; i < pasted.size(); ++i)
    if (!(pasted[i] == '\r' && i + 1 < pasted.size() && pasted[i + 1] == '\n'))
      text.push_back(pasted[i]);
  struct Token {
    std::string field;
    char separator; // '\t', '\n' or 0 for the last one
  };
  std::vector<Token> tokens;
  std::string field;
  for (char c : text) {
    if (c == '\t' || c == '\n') {
      tokens.push_back({field, c});
      field.clear();
    } else {
      field.push_back(c);
    }
  }
  if (!field.empty()) tokens.push_back({field, 0});
  int row = startRow, column = startColumn;
  for (const Token& t : tokens) {
    if (row >= rows) break;
    if (column < columns) out.push_back({column, row, t.field});
    if (t.separator == '\n') {
      ++row;
      column = startColumn;
    } else {
      ++column;
    }
  }
  return out;
}

void CheckNumber(const std::string& field) {
  double value = -1.0;
  if (!ParseDecimalText(field, value)) return;
  if (!std::isfinite(value) || std::signbit(value) != (value < 0)) std::abort();
  if (field.empty()) {
    if (value != 0.0) std::abort();
    return;
  }
  char* end = nullptr;
  const double c = std::strtod(field.c_str(), &end);
  if (end != field.c_str() + field.size() || c != value) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int columns = 1 + data[2] % 5;
  const int rows = 1 + data[3] % 40;
  const int startColumn = data[0] % (columns + 1); // one past the last: nothing is stored
  const int startRow = data[1] % (rows + 1);
  const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);

  std::vector<Store> got;
  const int count = WalkPastedText(
      text, startColumn, startRow, columns, rows, [&](int column, int row, std::string_view field) {
        if (column < startColumn || column >= columns || row < startRow || row >= rows)
          std::abort();
        if (field.find_first_of("\t\n") != std::string_view::npos) std::abort();
        got.push_back({column, row, std::string(field)});
      });
  if (count != static_cast<int>(got.size())) std::abort();
  for (std::size_t i = 1; i < got.size(); ++i) // in reading order, no cell twice
    if (got[i].row < got[i - 1].row ||
        (got[i].row == got[i - 1].row && got[i].column <= got[i - 1].column))
      std::abort();
  if (got != Expected(text, startColumn, startRow, columns, rows)) std::abort();
  for (const Store& s : got)
    CheckNumber(s.field);
  return 0;
}
