#include "document/PointTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace vexa {

namespace {

constexpr ParameterInfo kInfo[] = {
    {SystemParameter::kInitialVolume, "V0", "ml", 50.0, 0.0, 3000.0},
    {SystemParameter::kTitrantConcentration, "Ctit", "mol/l", 0.01, 0.0, 10.0},
    {SystemParameter::kPKw, "pKw", "", 14.0, 12.0, 16.0},
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '{' ||
         c == '}';
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

std::string Number(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// Splits a line at its separator: ';' if it has one, else a tab, else ',', else blanks.
std::vector<std::string_view> SplitFields(std::string_view line, bool& decimalComma) {
  std::vector<std::string_view> fields;
  char sep = 0;
  if (line.find(';') != std::string_view::npos)
    sep = ';';
  else if (line.find('\t') != std::string_view::npos)
    sep = '\t';
  else if (line.find(',') != std::string_view::npos)
    sep = ',';
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
      while (i < line.size() && IsBlank(line[i]))
        ++i;
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i]))
        ++i;
      if (i > start) fields.push_back(line.substr(start, i - start));
    }
  }
  return fields;
}

// A name reduced for comparison: lower case, without blanks, brackets and punctuation, so
// that "V (ml)", "V_ml", "V, ml" and "v/ml" are all "vml".
std::string Reduced(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (IsBlank(c) || std::string_view("_-()[]{}/,.:\"'").find(c) != std::string_view::npos)
      continue;
    out += Lower(c);
  }
  return out;
}

enum class ColumnKind { kVolume, kPH, kG, kOther };

ColumnKind KindOf(std::string_view name) {
  const std::string r = Reduced(name);
  for (const char* v : {"v", "vml", "ml", "volume", "volumeml", "vol", "volml", "vtit", "vtitml",
                        "vtitrant", "vtitrantml", "titrantvolume", "titrantvolumeml"})
    if (r == v) return ColumnKind::kVolume;
  if (r == "ph") return ColumnKind::kPH;
  if (r == "g" || r == "fvexa") return ColumnKind::kG;
  return ColumnKind::kOther;
}

constexpr const char* kVolumeNames = "V, V_ml, volume, ml";

// Units a parameter may be stated in, with the factor to the document's unit.
struct Unit {
  const char* name; // reduced: lower case
  SystemParameter of;
  double factor;
};
constexpr Unit kUnits[] = {
    {"ml", SystemParameter::kInitialVolume, 1.0},
    {"cm3", SystemParameter::kInitialVolume, 1.0},
    {"l", SystemParameter::kInitialVolume, 1000.0},
    {"dm3", SystemParameter::kInitialVolume, 1000.0},
    {"litre", SystemParameter::kInitialVolume, 1000.0},
    {"litres", SystemParameter::kInitialVolume, 1000.0},
    {"liter", SystemParameter::kInitialVolume, 1000.0},
    {"liters", SystemParameter::kInitialVolume, 1000.0},
    {"ul", SystemParameter::kInitialVolume, 0.001},
    {"\xC2\xB5l", SystemParameter::kInitialVolume, 0.001},
    {"mol/l", SystemParameter::kTitrantConcentration, 1.0},
    {"mol/dm3", SystemParameter::kTitrantConcentration, 1.0},
    {"m", SystemParameter::kTitrantConcentration, 1.0},
    {"mmol/l", SystemParameter::kTitrantConcentration, 0.001},
    {"mm", SystemParameter::kTitrantConcentration, 0.001},
};

const Unit* FindUnit(std::string_view word) {
  std::string lower;
  for (const char c : word)
    lower += Lower(c);
  for (const Unit& u : kUnits)
    if (lower == u.name) return &u;
  return nullptr;
}

std::optional<SystemParameter> ParameterNamed(std::string_view word) {
  const std::string r = Reduced(word);
  if (r == "v0") return SystemParameter::kInitialVolume;
  if (r == "ctit") return SystemParameter::kTitrantConcentration;
  if (r == "pkw") return SystemParameter::kPKw;
  return std::nullopt;
}

// Reads the parameters a comment line states ("... V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14").
// Returns false with the error filled when a statement is not a valid value.
bool ReadParameters(std::string_view comment, int lineNo, PointTableImport& result) {
  auto fail = [&](std::string message) {
    result.error = {lineNo, std::move(message)};
    return false;
  };
  for (std::size_t eq = comment.find('='); eq != std::string_view::npos;
       eq = comment.find('=', eq + 1)) {
    // The word just before the '='.
    std::size_t end = eq;
    while (end > 0 && IsBlank(comment[end - 1]))
      --end;
    std::size_t begin = end;
    while (begin > 0 && IsWordChar(comment[begin - 1]))
      --begin;
    const auto which = ParameterNamed(comment.substr(begin, end - begin));
    if (!which) continue;
    const ParameterInfo& info = InfoOf(*which);

    // The number after it: digits with a decimal point, or a decimal comma when a digit
    // follows it directly ("V0 = 50,5 ml"; "V0 = 50, Ctit = ..." is a list).
    std::size_t i = eq + 1;
    while (i < comment.size() && IsBlank(comment[i]))
      ++i;
    const std::size_t numberBegin = i;
    auto digitAt = [&](std::size_t k) { return k < comment.size() && IsDigit(comment[k]); };
    if (i < comment.size() && (comment[i] == '+' || comment[i] == '-')) ++i;
    while (digitAt(i))
      ++i;
    if (i < comment.size() && (comment[i] == '.' || comment[i] == ',') && digitAt(i + 1)) {
      ++i;
      while (digitAt(i))
        ++i;
    }
    if (i < comment.size() && (comment[i] == 'e' || comment[i] == 'E')) {
      std::size_t k = i + 1;
      if (k < comment.size() && (comment[k] == '+' || comment[k] == '-')) ++k;
      if (digitAt(k)) {
        i = k;
        while (digitAt(i))
          ++i;
      }
    }
    const std::string_view numberText = comment.substr(numberBegin, i - numberBegin);
    double value = 0;
    if (numberText.empty() || !ParseTableNumber(numberText, true, value))
      return fail(std::string(info.name) + " = is not followed by a number");

    // The unit: the word after the number, when it is a unit.
    std::size_t u = i;
    while (u < comment.size() && IsBlank(comment[u]))
      ++u;
    std::size_t uEnd = u;
    while (uEnd < comment.size() && !IsBlank(comment[uEnd]) &&
           std::string_view(",;)]").find(comment[uEnd]) == std::string_view::npos)
      ++uEnd;
    std::string_view unitText = comment.substr(u, uEnd - u);
    while (!unitText.empty() && unitText.back() == '.')
      unitText.remove_suffix(1);
    std::size_t statementEnd = i;
    if (const Unit* unit = FindUnit(unitText)) {
      if (unit->of != *which)
        return fail(std::string(info.name) + " cannot be in " + std::string(unitText) +
                    (*info.unit ? std::string(" (its unit is ") + info.unit + ")" : ""));
      value *= unit->factor;
      statementEnd = u + unitText.size();
    }
    value += 0.0; // "-0" is zero
    const std::string statement(Trim(comment.substr(begin, statementEnd - begin)));
    if (!(value >= info.lowest && value <= info.highest))
      return fail(statement + ": " + info.name + " must be between " + Number(info.lowest) +
                  " and " + Number(info.highest) + (*info.unit ? " " : "") + info.unit);

    auto& slot = result.parameters[static_cast<int>(*which)];
    if (slot) {
      if (slot->value != value)
        return fail(statement + " contradicts " + slot->text + " on line " +
                    std::to_string(slot->line));
      continue;
    }
    slot = FoundParameter{value, lineNo, statement};
  }
  return true;
}

// Chooses the volume and pH columns of a header. Returns false with the error filled when it
// names no volume or no pH column, or two of either.
bool ChooseColumns(const std::vector<std::string_view>& fields, std::string_view line, int lineNo,
                   PointTableImport& result) {
  int volume = -1, ph = -1;
  for (int c = 0; c < static_cast<int>(fields.size()); ++c) {
    const std::string_view name = fields[static_cast<std::size_t>(c)];
    int* chosen = nullptr;
    switch (KindOf(name)) {
    case ColumnKind::kVolume: chosen = &volume; break;
    case ColumnKind::kPH: chosen = &ph; break;
    case ColumnKind::kG: continue; // derived: the export writes it, the import recomputes it
    case ColumnKind::kOther:
      result.warnings.push_back({lineNo, "the column \"" + std::string(name) + "\" is left out"});
      continue;
    }
    if (*chosen >= 0) {
      result.error = {lineNo,
                      "the header names two " + std::string(chosen == &volume ? "volume" : "pH") +
                          " columns: \"" + std::string(fields[static_cast<std::size_t>(*chosen)]) +
                          "\" and \"" + std::string(name) + "\""};
      return false;
    }
    *chosen = c;
  }
  if (volume < 0 || ph < 0) {
    std::string what;
    if (volume < 0 && ph < 0)
      what = std::string("neither a volume column (") + kVolumeNames + ") nor a pH column (pH)";
    else if (volume < 0)
      what = std::string("no volume column (") + kVolumeNames + ")";
    else
      what = "no pH column (pH)";
    result.error = {lineNo, "the header \"" + std::string(line) + "\" names " + what};
    return false;
  }
  result.volumeColumn = volume;
  result.pHColumn = ph;
  result.columns.assign(fields.begin(), fields.end());
  result.headerLine = lineNo;
  return true;
}

} // namespace

const ParameterInfo& InfoOf(SystemParameter which) {
  return kInfo[static_cast<int>(which)];
}

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

PointTableImport ImportPointTable(std::string_view text) {
  PointTableImport result;
  auto fail = [&](int line, std::string message) {
    result.error = {line, std::move(message)};
    result.points.clear();
    return result;
  };
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3); // a UTF-8 byte-order mark
  bool seenContent = false;
  std::size_t headerFields = 0; // 0: no header
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::string_view raw = text.substr(pos, nl == std::string_view::npos ? nl : nl - pos);
    pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
    ++lineNo;
    const std::string_view line = Trim(raw);
    if (line.empty()) continue;
    if (line.front() == '#') {
      if (!ReadParameters(line, lineNo, result)) return fail(lineNo, result.error.message);
      continue;
    }

    bool decimalComma = false;
    const auto fields = SplitFields(line, decimalComma);
    if (!seenContent) {
      seenContent = true;
      bool anyNumber = false;
      for (auto f : fields) {
        double x;
        anyNumber = anyNumber || ParseTableNumber(f, decimalComma, x);
      }
      if (!anyNumber) { // the header
        if (!ChooseColumns(fields, line, lineNo, result)) return fail(lineNo, result.error.message);
        headerFields = fields.size();
        continue;
      }
    }
    const auto vCol = static_cast<std::size_t>(result.volumeColumn);
    const auto phCol = static_cast<std::size_t>(result.pHColumn);
    if (headerFields == 0 && fields.size() != 2)
      return fail(lineNo, "expected two values (V and pH), found " + std::to_string(fields.size()));
    if (headerFields != 0 &&
        (fields.size() <= std::max(vCol, phCol) || fields.size() > headerFields))
      return fail(lineNo, "expected " + std::to_string(headerFields) +
                              " values as the header names, found " +
                              std::to_string(fields.size()));
    double v = 0, ph = 0;
    if (!ParseTableNumber(fields[vCol], decimalComma, v))
      return fail(lineNo, "the volume \"" + std::string(fields[vCol]) + "\" is not a number");
    if (!ParseTableNumber(fields[phCol], decimalComma, ph))
      return fail(lineNo, "the pH \"" + std::string(fields[phCol]) + "\" is not a number");
    v += 0.0; // "-0" reads as zero
    ph += 0.0;
    if (!std::isfinite(v) || v < 0)
      return fail(lineNo,
                  "the volume " + std::string(fields[vCol]) + " is not a finite number >= 0");
    if (!std::isfinite(ph) || ph < 0)
      return fail(lineNo, "the pH " + std::string(fields[phCol]) + " is not a finite number >= 0");
    if (static_cast<int>(result.points.size()) >= kMaxImportedPoints)
      return fail(lineNo, "more than " + std::to_string(kMaxImportedPoints) + " points");
    result.points.push_back({v, ph});
  }
  if (result.points.empty()) return fail(0, "no titration points");
  result.ok = true;
  return result;
}

bool ParsePointTable(std::string_view text, std::vector<TablePoint>& points, TableError* error) {
  PointTableImport result = ImportPointTable(text);
  points = std::move(result.points);
  if (!result.ok && error) *error = result.error;
  return result.ok;
}

} // namespace vexa
