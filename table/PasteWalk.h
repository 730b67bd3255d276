#pragma once
// The walk that pasted text takes through a grid, in plain C++ over any character type: the
// grid walks its UTF-16 text with it, and the fuzz target walks raw bytes the same way.
#include <cstddef>
#include <string>
#include <string_view>

// Hands every field of `pasted` that lands inside a table of columnCount × rowCount cells to
// store(column, row, field), starting at (startColumn, startRow):
// - CR LF pairs count as LF;
// - fields are separated by tabs; a LF ends a text line, and the next line goes to the next
//   row, back at the start column;
// - fields beyond the last column are skipped up to the next LF (with no LF left, the walk
//   ends there);
// - lines beyond the last row are ignored: the table never grows;
// - a last field without a separator after it is stored too; nothing is stored for an empty
//   remainder.
// A start cell outside the table stores nothing. Returns the number of fields handed over.
template <typename Char, typename Store>
int WalkPastedText(std::basic_string_view<Char> pasted, int startColumn, int startRow,
                   int columnCount, int rowCount, Store&& store) {
  if (startColumn < 0 || startRow < 0 || startColumn >= columnCount || startRow >= rowCount)
    return 0;
  const Char tab = static_cast<Char>('\t');
  const Char lf = static_cast<Char>('\n');
  const Char cr = static_cast<Char>('\r');
  std::basic_string<Char> text;
  text.reserve(pasted.size());
  for (std::size_t i = 0; i < pasted.size(); ++i)
    if (!(pasted[i] == cr && i + 1 < pasted.size() && pasted[i + 1] == lf))
      text.push_back(pasted[i]);

  const std::size_t n = text.size();
  std::size_t pos = 0;
  int stored = 0;
  int row = startRow, column = startColumn;
  while (pos < n && row < rowCount) {
    std::size_t sep = pos;
    while (sep < n && text[sep] != tab && text[sep] != lf)
      ++sep;
    store(column, row, std::basic_string_view<Char>(text.data() + pos, sep - pos));
    ++stored;
    if (sep >= n) break; // that was the last field
    pos = sep + 1;
    if (text[sep] == lf) {
      ++row;
      column = startColumn;
      continue;
    }
    if (++column < columnCount) continue;
    // Fields beyond the last column: skip the rest of the line.
    const std::size_t next = text.find(lf, pos);
    if (next == std::basic_string<Char>::npos) break;
    pos = next + 1;
    ++row;
    column = startColumn;
  }
  return stored;
}
