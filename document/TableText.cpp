#include "document/TableText.h"

#include "platform/CodePage.h"

#include <cstdint>

namespace vexa {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}


// UTF-16 to UTF-8; a lone surrogate or a last odd byte becomes U+FFFD.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) -> char16_t {
    const auto hi = static_cast<std::uint8_t>(bytes[bigEndian ? i : i + 1]);
    const auto lo = static_cast<std::uint8_t>(bytes[bigEndian ? i + 1 : i]);
    return static_cast<char16_t>(hi << 8 | lo);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        platform::AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    platform::AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
  }
  if (i < bytes.size()) platform::AppendUtf8(out, 0xFFFD);
  return out;
}

// The separator of a line: ';' outside quotes, else a tab, else ',', else 0 (blanks).
char SeparatorOf(std::string_view line) {
  bool quoted = false, semicolon = false, tab = false, comma = false;
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    semicolon = semicolon || c == ';';
    tab = tab || c == '\t';
    comma = comma || c == ',';
  }
  return semicolon ? ';' : tab ? '\t' : comma ? ',' : 0;
}

// The fields of a line split at sep (0: runs of blanks), quotes taken off.
std::vector<TableCell> SplitLine(std::string_view line, char sep) {
  std::vector<TableCell> cells;
  const bool commaDecimal = sep == ';' || sep == '\t';
  std::size_t i = 0;
  const auto isSep = [&](char c) { return sep ? c == sep : IsBlank(c); };
  for (;;) {
    while (i < line.size() && IsBlank(line[i]) && !isSep(line[i]))
      ++i;
    if (!sep)
      while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (!sep && i >= line.size()) break;
    TableCell cell;
    if (i < line.size() && line[i] == '"') {
      // A quoted field: up to the closing quote ("" is one quote), then up to the separator.
      ++i;
      std::string text;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += line[i++];
      }
      const std::size_t rest = i;
      while (i < line.size() && !isSep(line[i]))
        ++i;
      text += Trim(line.substr(rest, i - rest));
      cell.text = std::string(Trim(text));
      cell.decimalComma = true; // a comma inside quotes cannot be the separator
    } else {
      const std::size_t start = i;
      while (i < line.size() && !isSep(line[i]))
        ++i;
      cell.text = std::string(Trim(line.substr(start, i - start)));
      cell.decimalComma = commaDecimal;
    }
    cells.push_back(std::move(cell));
    if (i >= line.size()) break;
    ++i; // the separator
    // A separator at the end of the line adds no field (as some spreadsheets write).
    if (sep && i >= line.size()) break;
  }
  return cells;
}

} // namespace

std::string ColumnLetters(int column) {
  std::string letters;
  for (int c = column + 1; c > 0; c = (c - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  return letters;
}

TableText SplitTableText(std::string_view bytes) {
  TableText result;
  std::string decoded;
  std::string_view text = bytes;
  const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    result.encoding = "UTF-8 with BOM";
    text.remove_prefix(3);
  } else if (bytes.size() >= 2 &&
             ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF))) {
    const bool big = at(0) == 0xFE;
    result.encoding = big ? "UTF-16BE" : "UTF-16LE";
    decoded = FromUtf16(bytes.substr(2), big);
    text = decoded;
  } else if (bytes.size() >= 4 && at(0) != 0 && at(1) == 0 && at(2) != 0 && at(3) == 0) {
    result.encoding = "UTF-16LE";
    decoded = FromUtf16(bytes, false);
    text = decoded;
  } else if (bytes.size() >= 4 && at(0) == 0 && at(1) != 0 && at(2) == 0 && at(3) != 0) {
    result.encoding = "UTF-16BE";
    decoded = FromUtf16(bytes, true);
    text = decoded;
  } else {
    result.encoding = "UTF-8";
  }
  if (text.find('\0') != std::string_view::npos) {
    result.ok = false;
    result.error = "the file holds NUL bytes: it is not a text table";
    return result;
  }

  // The lines, numbered; then the separator most of them use, for all of them: a line of
  // prose in the preamble ("pKw: 13,8" in a table separated by ';') is not split at its comma.
  std::vector<std::pair<int, std::string_view>> lines;
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    // A line ends at LF, CR LF or CR.
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
      ++end;
    const std::string_view raw = text.substr(pos, end - pos);
    if (end == text.size())
      pos = end;
    else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      pos = end + 2;
    else
      pos = end + 1;
    ++lineNo;
    const std::string_view line = Trim(raw);
    if (!line.empty()) lines.emplace_back(lineNo, line);
  }
  int votes[4] = {}; // ';', tab, ',', blanks
  constexpr char kSeparators[4] = {';', '\t', ',', 0};
  for (const auto& [number, line] : lines) {
    if (line.front() == '#') continue;
    const char sep = SeparatorOf(line);
    for (int k = 0; k < 4; ++k)
      votes[k] += sep == kSeparators[k];
  }
  int best = 0;
  for (int k = 1; k < 4; ++k)
    if (votes[k] > votes[best]) best = k;
  const char sep = kSeparators[best];

  for (const auto& [number, line] : lines) {
    TableRow row;
    row.line = number;
    row.text = std::string(line);
    if (line.front() == '#')
      row.comment = true;
    else
      row.cells = SplitLine(line, sep);
    result.rows.push_back(std::move(row));
  }
  return result;
}

std::vector<TableRow> SheetRows(const std::vector<std::vector<std::string>>& rows) {
  std::vector<TableRow> out;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    TableRow row;
    row.line = static_cast<int>(r + 1);
    for (const std::string& cell : rows[r]) {
      const std::string_view text = Trim(cell);
      if (!text.empty()) row.text += std::string(row.text.empty() ? "" : ", ") + std::string(text);
      row.cells.push_back({std::string(text), true});
    }
    if (row.text.empty()) continue;
    const std::string_view first = Trim(row.text);
    if (!first.empty() && first.front() == '#') {
      row.comment = true;
      row.cells.clear();
    }
    out.push_back(std::move(row));
  }
  return out;
}

} // namespace vexa
