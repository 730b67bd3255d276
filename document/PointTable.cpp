#include "document/PointTable.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vexa {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Splits a line at its separator: ';' if it has one, else a tab, else ',', else blanks.
std::vector<std::string_view> SplitFields(std::string_view line, bool& decimalComma) {
  std::vector<std::string_view> fields;
  char sep = 0;
  if (line.find(';') != std::string_view::npos) sep = ';';
  else if (line.find('\t') != std::string_view::npos) sep = '\t';
  else if (line.find(',') != std::string_view::npos) sep = ',';
  decimalComma = sep == ';' || sep == '\t';
  if (sep) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t at = line.find(sep, start);
      fields.push_back(Trim(line.substr(start, at == std::string_view::npos ? at : at - start)));
      if (at == std::string_view::npos) break;
      start = at + 1;
    }
    // A separator at the end of the line (as some spreadsheets write) adds no field.
    if (fields.size() > 1 && fields.back().empty()) fields.pop_back();
  } else {
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && IsBlank(line[i])) ++i;
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i])) ++i;
      if (i > start) fields.push_back(line.substr(start, i - start));
    }
  }
  return fields;
}

} // namespace

bool ParseTableNumber(std::string_view text, bool decimalComma, double& value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.size() > 64) return false;
  std::string buffer(text);
  for (char& c : buffer) {
    if (c == ',' && decimalComma) c = '.';
    // Only plain decimal notation: no "inf", "nan" or hexadecimal.
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+'))
      return false;
  }
  const char* end = buffer.data() + buffer.size();
  const auto [ptr, ec] = std::from_chars(buffer.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool ParsePointTable(std::string_view text, std::vector<TablePoint>& points, TableError* error) {
  auto fail = [&](int line, std::string message) {
    if (error) {
      error->line = line;
      error->message = std::move(message);
    }
    return false;
  };
  points.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3); // a UTF-8 byte-order mark
  bool seenContent = false;
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::string_view raw = text.substr(pos, nl == std::string_view::npos ? nl : nl - pos);
    pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
    ++lineNo;
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') continue;

    bool decimalComma = false;
    const auto fields = SplitFields(line, decimalComma);
    double v = 0, ph = 0;
    const bool numbers = fields.size() >= 2 && ParseTableNumber(fields[0], decimalComma, v) &&
                         ParseTableNumber(fields[1], decimalComma, ph);
    if (!seenContent) {
      seenContent = true;
      if (!numbers) {
        bool anyNumber = false;
        for (auto f : fields) {
          double x;
          anyNumber = anyNumber || ParseTableNumber(f, decimalComma, x);
        }
        if (!anyNumber) continue; // a header line
      }
    }
    if (fields.size() != 2)
      return fail(lineNo, "expected two values (V and pH), found " + std::to_string(fields.size()));
    if (!ParseTableNumber(fields[0], decimalComma, v))
      return fail(lineNo, "the volume \"" + std::string(fields[0]) + "\" is not a number");
    if (!ParseTableNumber(fields[1], decimalComma, ph))
      return fail(lineNo, "the pH \"" + std::string(fields[1]) + "\" is not a number");
    v += 0.0; // "-0" reads as zero
    ph += 0.0;
    if (!std::isfinite(v) || v < 0)
      return fail(lineNo, "the volume " + std::string(fields[0]) + " is not a finite number >= 0");
    if (!std::isfinite(ph) || ph < 0)
      return fail(lineNo, "the pH " + std::string(fields[1]) + " is not a finite number >= 0");
    if (static_cast<int>(points.size()) >= kMaxImportedPoints)
      return fail(lineNo, "more than " + std::to_string(kMaxImportedPoints) + " points");
    points.push_back({v, ph});
  }
  if (points.empty()) return fail(0, "no titration points");
  return true;
}

} // namespace vexa
