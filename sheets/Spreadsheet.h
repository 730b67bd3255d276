#pragma once
// Reads one sheet of a workbook (.xlsx, .ods or the older binary .xls) into rows of text cells,
// which the point importer then takes like the lines of a CSV file. Plain C++ at this boundary;
// texts are UTF-8.
//
// Cells come out as text:
//  - numbers in the shortest form that reads back to the same double, with a point as the
//    decimal separator and no thousands separators ("0.07", "2.0000000000000004", "1e-05");
//  - dates and times as .xlsx files keep them, numbers (days since the workbook's epoch); as
//    text in .ods ("2024-03-01", "PT12H30M00S") and .xls ("2024-03-01 12:30:00") files;
//  - strings as they are (several paragraphs of one cell joined by '\n');
//  - booleans as "TRUE" / "FALSE" (.xls: "1" / "0");
//  - formulas as the value the spreadsheet program stored when it last computed them, except
//    in .xls files, whose formula cells come out empty (FreeXL keeps no formula results);
//  - error values as their text ("#DIV/0!").
// rows[i] is the sheet's row i + 1 and rows[i][j] its column j + 1, so positions are kept: an
// empty cell is an empty string and an empty row an empty vector. Trailing empty cells of a row
// and trailing empty rows are left out.
//
// Messages start with the path as the caller gave it: "book.xlsx: no sheet named "Run 2"; the
// sheets are: Sheet1, Sheet2".
//
// The functions share nothing and may run on any thread. An .xls file is read in a child
// process (fork), so that a damaged file cannot harm this one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexa {

struct Sheet {
  std::string name;
  std::vector<std::vector<std::string>> rows;
};

enum class SpreadsheetFormat { None, Xlsx, Ods, Xls };

// What the file holds, by its content (never by its name): a zip package whose content types
// name a workbook (.xlsx, .xlsm, .xltx) or whose "mimetype" entry names an OpenDocument
// spreadsheet, or a compound file (.xls; any compound file counts, and ReadSheet says "not a
// spreadsheet file" for one without a workbook). None for anything else, a damaged zip
// included.
SpreadsheetFormat DetectSpreadsheet(const std::string& path);
bool IsSpreadsheetFile(const std::string& path);

// True for the names a spreadsheet file goes by (.xlsx .xlsm .xltx .xltm .ods .ots .xls .xlt),
// any case. A caller may send such a file to ReadSheet even when DetectSpreadsheet says None, to
// get the reader's own message ("the file is damaged", "not a spreadsheet file").
bool HasSpreadsheetExtension(const std::string& path);

// The names of the workbook's sheets of cells, in the workbook's order (chart sheets are left
// out). Empty with *error filled when the file cannot be read or holds no sheet.
std::vector<std::string> SheetNames(const std::string& path, std::string* error);

// Reads the sheet named sheetName, or the first sheet when sheetName is empty. The name is
// matched exactly, else ignoring case when that picks a single sheet. nullopt with *error
// filled when the file cannot be read, has no such sheet, or passes one of the limits below.
std::optional<Sheet> ReadSheet(const std::string& path, const std::string& sheetName,
                               std::string* error);

// The text a number cell becomes: the shortest form that reads back to the same double.
std::string SheetNumberText(double value);

// Limits: a file beyond them is refused with a message, never read in part.
inline constexpr std::int64_t kMaxSheetRows = 10'000'000; // rows up to the last used one
inline constexpr std::int64_t kMaxSheetColumns = 16'384;  // columns A to XFD
inline constexpr std::int64_t kMaxSheetCells = 8'388'608; // cells kept (empty ones too) + rows
inline constexpr std::int64_t kMaxSheetTextBytes = 256LL << 20; // text of all cells together
inline constexpr std::int64_t kMaxCellBytes = 1 << 20;          // text of one cell
inline constexpr std::int64_t kMaxPartBytes = 256LL << 20;      // one XML part, unpacked

} // namespace vexa
