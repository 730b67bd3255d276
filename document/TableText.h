#pragma once
// A table as text files and spreadsheets hold it, turned into rows of text cells: the first
// half of the point importer. The second half (document/PointTable.h) finds the header, the
// columns and the points in those rows, whatever they came from.
//
// Text files: the encoding is read from the byte-order mark (UTF-8, UTF-16 little- or
// big-endian; UTF-16 without a mark is recognised by its zero bytes), and is UTF-8 otherwise.
// Lines end in LF, CR LF or CR alone. A line starting with '#' is a comment. The other lines
// are split at the separator most of them use, each line's own being ';' if it holds one
// outside quotes, else a tab, else ',', else runs of blanks; so a line of prose among them
// ("pKw: 13,8" in a table separated by ';') stays one cell. A field may be quoted ("V (ml)",
// "0,5"): the quotes are taken off, a doubled quote inside stands for one, and a separator inside
// does not split. A quoted field ends at its line's end at the latest. A separator at the end of a
// line adds no field.
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

struct TableCell {
  std::string text;          // UTF-8, blanks around it and its quotes taken off
  bool decimalComma = false; // a comma in it can only be a decimal comma
};

struct TableRow {
  int line = 0;         // the line of a text file, or the row of a sheet, counted from 1
  bool comment = false; // a '#' line: cells is empty and text holds the line
  std::string text;     // the line as written (UTF-8, blanks around it taken off)
  std::vector<TableCell> cells;
};

struct TableText {
  bool ok = true;
  std::string error;          // when !ok: why the bytes are no text
  std::string encoding;       // "UTF-8", "UTF-8 with BOM", "UTF-16LE", "UTF-16BE"
  std::vector<TableRow> rows; // blank lines are left out; every other line, comments included
};

// Decodes and splits the bytes of a text file.
TableText SplitTableText(std::string_view bytes);

// The rows of a sheet (rows[i] is the sheet's row i + 1). Empty rows are left out; every cell
// may hold a decimal comma.
std::vector<TableRow> SheetRows(const std::vector<std::vector<std::string>>& rows);

// The name of a spreadsheet column counted from 0: A ... Z, AA ...
std::string ColumnLetters(int column);

} // namespace vexa
