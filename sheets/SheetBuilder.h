#pragma once
// Inside the spreadsheet reader: the failure every reader throws, and the grid of text cells the
// readers fill row by row within the limits. Plain C++.
#include "sheets/Spreadsheet.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::sheets {

// A failure to read; what() is the message without the file's name in front.
class SheetError : public std::runtime_error {
public:
  explicit SheetError(const std::string& message) : std::runtime_error(message) {}
};

SheetError Damaged(const std::string& detail);      // "the file is damaged (detail)"
SheetError TooLarge(const std::string& detail);     // "too large to read (detail)"
SheetError FileTooLarge(const std::string& detail); // "the file is too large to read (detail)"
[[noreturn]] void CellTooLong();                    // a cell beyond kMaxCellBytes
SheetError NotASpreadsheet();                       // "not a spreadsheet file"
SheetError Encrypted();                             // the file is protected by a password

// A number's text from a file ("1.0900000000000001", "7.0000000000000007E-2") in its shortest
// round-trip form ("1.09", "0.07"); a text that is not a finite number is returned trimmed.
std::string NumberText(std::string_view text);

struct SheetLimits {
  std::int64_t rows = kMaxSheetRows;
  std::int64_t columns = kMaxSheetColumns;
  std::int64_t cells = kMaxSheetCells;
  std::int64_t textBytes = kMaxSheetTextBytes;
  std::int64_t cellBytes = kMaxCellBytes;
};

// Collects a sheet's rows. A reader fills one row at a time: SetCell for each cell that holds
// text, then EndRow with the row's position. Every step checks the limits and throws
// TooLarge when one is passed, so memory stays bounded whatever the file claims.
class SheetBuilder {
public:
  explicit SheetBuilder(SheetLimits limits = {}) : limits_(limits) {}

  // Sets the cell in column col (0-based) of the row being built; an empty text changes nothing.
  void SetCell(std::int64_t col, std::string text);
  // Stores the row being built as row `row` (0-based) and the `repeat` - 1 rows after it (the
  // same content each time), then starts an empty row. A row with no text stores nothing.
  // Cells of a row stored before at the same position are kept unless overwritten.
  void EndRow(std::int64_t row, std::int64_t repeat = 1);
  // The rows, trailing empty ones left out.
  std::vector<std::vector<std::string>> Take();

private:
  SheetLimits limits_;
  std::vector<std::vector<std::string>> rows_;
  std::vector<std::string> current_;
  std::int64_t currentBytes_ = 0;
  std::int64_t cells_ = 0; // cells stored, empty ones included, and one for every row
  std::int64_t textBytes_ = 0;
};

} // namespace vexa::sheets
