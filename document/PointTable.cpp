#include "document/PointTable.h"

#include "document/TitrationSystem.h"

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
std::string LowerCase(std::string_view s) {
  std::string out;
  for (const char c : s)
    out += Lower(c);
  return out;
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

// Text that is meant as a number, read or not: it starts like one ("1e999", "-2", ".5",
// "0x10") or is an infinity or a NaN. A cell like this is a value, never a name.
bool NumberLike(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return false;
  std::size_t i = 0;
  if (text[0] == '+' || text[0] == '-') i = 1;
  if (i < text.size() &&
      (IsDigit(text[i]) || (text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1]))))
    return true;
  const std::string rest = LowerCase(text.substr(i));
  return rest == "inf" || rest == "infinity" || rest == "nan";
}

// --- units ---

// Units a parameter may be stated in, with the factor to the document's unit.
struct Unit {
  const char* name; // lower case
  SystemParameter of;
  double factor;
};
constexpr Unit kUnits[] = {
    {"ml", SystemParameter::kInitialVolume, 1.0},
    {"cm3", SystemParameter::kInitialVolume, 1.0},
    {"cm\xC2\xB3", SystemParameter::kInitialVolume, 1.0},
    {"l", SystemParameter::kInitialVolume, 1000.0},
    {"dm3", SystemParameter::kInitialVolume, 1000.0},
    {"litre", SystemParameter::kInitialVolume, 1000.0},
    {"litres", SystemParameter::kInitialVolume, 1000.0},
    {"liter", SystemParameter::kInitialVolume, 1000.0},
    {"liters", SystemParameter::kInitialVolume, 1000.0},
    {"ul", SystemParameter::kInitialVolume, 0.001},
    {"\xC2\xB5l", SystemParameter::kInitialVolume, 0.001},
    {"\xCE\xBCl", SystemParameter::kInitialVolume, 0.001},
    {"mol/l", SystemParameter::kTitrantConcentration, 1.0},
    {"mol/dm3", SystemParameter::kTitrantConcentration, 1.0},
    {"mol\xC2\xB7l-1", SystemParameter::kTitrantConcentration, 1.0},
    {"m", SystemParameter::kTitrantConcentration, 1.0},
    {"mmol/l", SystemParameter::kTitrantConcentration, 0.001},
    {"mm", SystemParameter::kTitrantConcentration, 0.001},
};

const Unit* FindUnit(std::string_view word) {
  const std::string lower = LowerCase(Trim(word));
  for (const Unit& u : kUnits)
    if (lower == u.name) return &u;
  return nullptr;
}

// The factor of a volume unit to ml, or 0 when the text is not one.
double VolumeUnit(std::string_view word) {
  const Unit* u = FindUnit(word);
  return u && u->of == SystemParameter::kInitialVolume ? u->factor : 0;
}

// The factor of a potential unit to mV, or 0 when the text is not one.
double PotentialUnit(std::string_view word) {
  const std::string lower = LowerCase(Trim(word));
  if (lower == "mv") return 1;
  if (lower == "v") return 1000;
  return 0;
}

// A header cell as its name and its unit: "V (ml)", "Volume [mL]", "V/ml", "V_ml", "E, mV",
// "E mV". The unit is split off only when it is a volume or potential unit; otherwise the
// whole cell is the name.
struct NameAndUnit {
  std::string_view name;
  std::string_view unit;
};

NameAndUnit SplitNameUnit(std::string_view cell) {
  cell = Trim(cell);
  const auto known = [](std::string_view u) { return VolumeUnit(u) > 0 || PotentialUnit(u) > 0; };
  if (!cell.empty() && (cell.back() == ')' || cell.back() == ']')) {
    const char open = cell.back() == ')' ? '(' : '[';
    const std::size_t at = cell.rfind(open);
    if (at != std::string_view::npos && at > 0) {
      const std::string_view unit = Trim(cell.substr(at + 1, cell.size() - at - 2));
      if (known(unit)) return {Trim(cell.substr(0, at)), unit};
    }
  }
  const std::size_t at = cell.find_last_of("/_, ");
  if (at != std::string_view::npos && at > 0) {
    const std::string_view unit = Trim(cell.substr(at + 1));
    if (known(unit)) return {Trim(cell.substr(0, at)), unit};
  }
  return {cell, {}};
}

// --- column names ---

enum class ColumnKind { kVolume, kPH, kPotential, kG, kOther };

ColumnKind KindOfName(const std::string& r) {
  for (const char* v : {"v",
                        "vml",
                        "ml",
                        "volume",
                        "volumeml",
                        "vol",
                        "volml",
                        "vtit",
                        "vtitml",
                        "vtitrant",
                        "vtitrantml",
                        "titrantvolume",
                        "titrantvolumeml",
                        "vadded",
                        "addedvolume",
                        "volumeadded",
                        "titrantadded",
                        "dosedvolume",
                        "vdosed",
                        "dosed"})
    if (r == v) return ColumnKind::kVolume;
  for (const char* ph : {"ph", "phvalue", "measuredph"})
    if (r == ph) return ColumnKind::kPH;
  for (const char* e : {"e", "emf", "mv", "emv", "potential", "potentialmv", "u", "umv", "voltage",
                        "electrodepotential", "measuredpotential", "ecell"})
    if (r == e) return ColumnKind::kPotential;
  if (r == "g" || r == "fvexa") return ColumnKind::kG;
  return ColumnKind::kOther;
}

ColumnKind KindOf(std::string_view cell) {
  const NameAndUnit nu = SplitNameUnit(cell);
  if (!nu.unit.empty()) {
    const ColumnKind byName = KindOfName(Reduced(nu.name));
    if (byName != ColumnKind::kOther) return byName;
  }
  return KindOfName(Reduced(cell));
}

constexpr const char* kVolumeNames = "V, V_ml, volume, ml";
constexpr const char* kPotentialNames = "E, mV, potential";

// --- parameters ---

std::optional<SystemParameter> ParameterNamed(std::string_view word) {
  const std::string r = Reduced(word);
  if (r == "v0") return SystemParameter::kInitialVolume;
  if (r == "ctit") return SystemParameter::kTitrantConcentration;
  if (r == "pkw") return SystemParameter::kPKw;
  return std::nullopt;
}

// The names a preamble row may give a parameter, as instruments and lab sheets write them.
std::optional<SystemParameter> PreambleParameterNamed(std::string_view word) {
  const std::string r = Reduced(word);
  for (const char* v : {"v0", "initialvolume", "samplevolume", "volumeofsample", "vsample",
                        "aliquot", "aliquotvolume", "startvolume", "startingvolume", "vinitial"})
    if (r == v) return SystemParameter::kInitialVolume;
  for (const char* c : {"ctit", "titrantconcentration", "concentrationoftitrant", "titrantconc",
                        "ctitrant", "titrantmolarity", "concentrationtitrant"})
    if (r == c) return SystemParameter::kTitrantConcentration;
  if (r == "pkw") return SystemParameter::kPKw;
  return std::nullopt;
}

// Keeps a parameter found at lineNo. Returns false with the error filled when it lies outside
// its limits or contradicts one found before.
bool KeepParameter(SystemParameter which, double value, const std::string& statement, int lineNo,
                   bool preamble, PointTableImport& result) {
  const ParameterInfo& info = InfoOf(which);
  value += 0.0; // "-0" is zero
  if (!(value >= info.lowest && value <= info.highest)) {
    result.error = {lineNo, -1,
                    statement + ": " + info.name + " must be between " + Number(info.lowest) +
                        " and " + Number(info.highest) + (*info.unit ? " " : "") + info.unit};
    return false;
  }
  auto& slot = result.parameters[static_cast<int>(which)];
  if (slot) {
    if (slot->value != value) {
      result.error = {lineNo, -1,
                      statement + " contradicts " + slot->text + " on line " +
                          std::to_string(slot->line)};
      return false;
    }
    return true;
  }
  slot = FoundParameter{value, lineNo, statement, preamble};
  return true;
}

// Reads the parameters a comment line states ("... V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14").
// Returns false with the error filled when a statement is not a valid value.
bool ReadParameters(std::string_view comment, int lineNo, PointTableImport& result) {
  auto fail = [&](std::string message) {
    result.error = {lineNo, -1, std::move(message)};
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
    const std::string statement(Trim(comment.substr(begin, statementEnd - begin)));
    if (!KeepParameter(*which, value, statement, lineNo, false, result)) return false;
  }
  return true;
}

// Reads a preamble row "name<sep>value[<sep>unit]" (or "name: value unit" in one cell) whose
// name is a parameter's. Rows with other names, or no value, state nothing. Returns false
// with the error filled when a named value is out of its limits, in a wrong unit, or
// contradicts another statement.
bool ReadPreambleRow(const TableRow& row, PointTableImport& result) {
  std::vector<const TableCell*> cells;
  for (const TableCell& c : row.cells)
    if (!c.text.empty()) cells.push_back(&c);
  if (cells.empty() || NumberLike(cells[0]->text)) return true;
  std::string_view name = cells[0]->text;
  std::string_view valueText, unitText;
  bool decimalComma = true;
  if (cells.size() == 1) {
    // "Sample volume: 25 ml" or "V0 = 25 ml" in one cell.
    const std::size_t at = name.find_first_of(":=");
    if (at == std::string_view::npos) return true;
    valueText = Trim(name.substr(at + 1));
    name = Trim(name.substr(0, at));
  } else {
    valueText = cells[1]->text;
    decimalComma = cells[1]->decimalComma;
    if (cells.size() > 2) unitText = cells[2]->text;
  }
  // A unit may stand in the name: "Sample volume (ml)", "Ctit [mol/l]", "V0, ml",
  // "Titrant concentration / mol/l".
  std::string_view nameUnit;
  if (!name.empty() && (name.back() == ')' || name.back() == ']')) {
    const std::size_t open = name.rfind(name.back() == ')' ? '(' : '[');
    if (open != std::string_view::npos && open > 0) {
      nameUnit = Trim(name.substr(open + 1, name.size() - open - 2));
      name = Trim(name.substr(0, open));
    }
  } else {
    for (std::size_t at = name.find_first_of("/_, "); at != std::string_view::npos && at > 0;
         at = name.find_first_of("/_, ", at + 1)) {
      if (FindUnit(name.substr(at + 1))) {
        nameUnit = Trim(name.substr(at + 1));
        name = Trim(name.substr(0, at));
        while (!name.empty() && (name.back() == ',' || name.back() == '/'))
          name = Trim(name.substr(0, name.size() - 1));
        break;
      }
    }
  }
  const auto which = PreambleParameterNamed(name);
  if (!which) return true;
  const ParameterInfo& info = InfoOf(*which);

  // The value, and a unit written after it in the same cell ("25 ml").
  std::size_t numberEnd = 0;
  while (numberEnd < valueText.size() && !IsBlank(valueText[numberEnd]))
    ++numberEnd;
  double value = 0;
  if (!ParseTableNumber(valueText.substr(0, numberEnd), decimalComma, value)) {
    result.warnings.push_back(
        {row.line, "\"" + row.text + "\": " + info.name + " is not a number there; left out"});
    return true;
  }
  const std::string_view inlineUnit = Trim(valueText.substr(numberEnd));
  std::string_view unit = !inlineUnit.empty() ? inlineUnit
                          : !unitText.empty() ? unitText
                                              : nameUnit;
  if (!unit.empty()) {
    const Unit* u = FindUnit(unit);
    if (!u || u->of != *which) {
      std::string units;
      for (const Unit& k : kUnits)
        if (k.of == *which) units += std::string(units.empty() ? "" : ", ") + k.name;
      result.error = {row.line, -1,
                      "\"" + row.text + "\": " + info.name + " cannot be in " + std::string(unit) +
                          (units.empty() ? std::string(" (it has no unit)")
                                         : " (its units are " + units + ")")};
      return false;
    }
    value *= u->factor;
  }
  return KeepParameter(*which, value, row.text, row.line, true, result);
}

// What a row says as a header.
struct HeaderReading {
  enum Outcome {
    kNotHeader, // names no usable pair of columns; `message` says what is missing
    kHeader,    // names the volume and the reading column
    kWrong,     // a header, but one that cannot be used: `message` says why
  } outcome = kNotHeader;
  int volume = -1, reading = -1;
  double volumeFactor = 1, potentialFactor = 1;
  std::string message;
  ImportRemedy remedy = ImportRemedy::kNone;
  std::vector<int> leftOut; // columns left out with a warning
};

// A cell that names the caller's column: the same text, or the same name reduced.
bool Names(std::string_view cell, const ColumnChoice& choice) {
  return LowerCase(Trim(cell)) == LowerCase(Trim(choice.name)) ||
         (!Reduced(cell).empty() && Reduced(cell) == Reduced(choice.name));
}

HeaderReading ReadHeader(const TableRow& row, const ImportOptions& options) {
  HeaderReading h;
  const bool potentials = options.potentials.has_value();
  const auto& cells = row.cells;
  const int n = static_cast<int>(cells.size());
  const auto quoted = [&](int c) { return "\"" + cells[static_cast<std::size_t>(c)].text + "\""; };

  // The caller's names, when it chose the columns by name.
  const bool byName = (options.volumeColumn && options.volumeColumn->number == 0) ||
                      (options.readingColumn && options.readingColumn->number == 0);
  if (byName) {
    auto find = [&](const ColumnChoice& choice) {
      if (choice.number > 0) return choice.number - 1;
      for (int c = 0; c < n; ++c)
        if (Names(cells[static_cast<std::size_t>(c)].text, choice)) return c;
      return -1;
    };
    h.volume = find(*options.volumeColumn);
    h.reading = find(*options.readingColumn);
    if (h.volume < 0 || h.reading < 0) return h;
    h.outcome = HeaderReading::kHeader;
  } else {
    int volume = -1, ph = -1, potential = -1;
    std::string twice;
    for (int c = 0; c < n; ++c) {
      int* chosen = nullptr;
      switch (KindOf(cells[static_cast<std::size_t>(c)].text)) {
      case ColumnKind::kVolume: chosen = &volume; break;
      case ColumnKind::kPH: chosen = &ph; break;
      case ColumnKind::kPotential: chosen = &potential; break;
      case ColumnKind::kG: continue; // derived: the export writes it, the import recomputes it
      case ColumnKind::kOther: h.leftOut.push_back(c); continue;
      }
      if (*chosen >= 0) {
        if (twice.empty() && chosen != (potentials ? &ph : &potential))
          twice = std::string("the header names two ") +
                  (chosen == &volume ? "volume"
                   : chosen == &ph   ? "pH"
                                     : "potential") +
                  " columns: " + quoted(*chosen) + " and " + quoted(c);
        continue;
      }
      *chosen = c;
    }
    const int reading = potentials ? potential : ph;
    const int other = potentials ? ph : potential;
    const std::string line = "\"" + row.text + "\"";
    if (volume >= 0 && reading >= 0) {
      if (!twice.empty()) {
        h.outcome = HeaderReading::kWrong;
        h.message = twice;
        h.remedy = ImportRemedy::kColumns;
        return h;
      }
      h.outcome = HeaderReading::kHeader;
      h.volume = volume;
      h.reading = reading;
      if (other >= 0) h.leftOut.push_back(other);
      std::sort(h.leftOut.begin(), h.leftOut.end());
    } else if (volume >= 0 && !potentials && potential >= 0) {
      // Potentials where pH was expected: the header is read, and says what is needed.
      h.outcome = HeaderReading::kWrong;
      h.message = "the header " + line + " names no pH column (pH)";
      h.remedy = ImportRemedy::kPotentials;
      return h;
    } else {
      const char* readingNames = potentials ? kPotentialNames : "pH";
      const char* readingWhat = potentials ? "potential" : "pH";
      if (volume < 0 && reading < 0)
        h.message = "the header " + line + " names neither a volume column (" + kVolumeNames +
                    ") nor a " + readingWhat + " column (" + readingNames + ")";
      else if (volume < 0)
        h.message = "the header " + line + " names no volume column (" + kVolumeNames + ")";
      else
        h.message =
            "the header " + line + " names no " + readingWhat + " column (" + readingNames + ")";
      h.remedy = ImportRemedy::kColumns;
      return h;
    }
  }
  // The caller's numbers override what the names chose.
  if (options.volumeColumn && options.volumeColumn->number > 0)
    h.volume = options.volumeColumn->number - 1;
  if (options.readingColumn && options.readingColumn->number > 0)
    h.reading = options.readingColumn->number - 1;
  if (byName || options.volumeColumn) {
    h.leftOut.clear();
    for (int c = 0; c < n; ++c)
      if (c != h.volume && c != h.reading &&
          KindOf(cells[static_cast<std::size_t>(c)].text) != ColumnKind::kG)
        h.leftOut.push_back(c);
  }
  // Units written in the header's names.
  if (h.volume < n) {
    const NameAndUnit v = SplitNameUnit(cells[static_cast<std::size_t>(h.volume)].text);
    if (VolumeUnit(v.unit) > 0) h.volumeFactor = VolumeUnit(v.unit);
  }
  if (potentials && h.reading < n) {
    const NameAndUnit e = SplitNameUnit(cells[static_cast<std::size_t>(h.reading)].text);
    if (PotentialUnit(e.unit) > 0) h.potentialFactor = PotentialUnit(e.unit);
  }
  return h;
}

// True when a row has no text in any cell.
bool Empty(const TableRow& row) {
  return std::all_of(row.cells.begin(), row.cells.end(),
                     [](const TableCell& c) { return c.text.empty(); });
}

bool HasNumber(const TableRow& row) {
  return std::any_of(row.cells.begin(), row.cells.end(),
                     [](const TableCell& c) { return NumberLike(c.text); });
}

const std::string& CellText(const TableRow& row, int column) {
  static const std::string none;
  return column >= 0 && column < static_cast<int>(row.cells.size())
             ? row.cells[static_cast<std::size_t>(column)].text
             : none;
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

PointTableImport ImportPointRows(const std::vector<TableRow>& rows, const ImportOptions& options) {
  PointTableImport result;
  auto fail = [&](TableError error) {
    result.error = std::move(error);
    result.points.clear();
    result.ok = false;
    return result;
  };
  const bool potentials = options.potentials.has_value();
  if (potentials) {
    result.fromPotentials = true;
    result.calibration = *options.potentials;
  }
  const bool chosen = options.volumeColumn && options.readingColumn;
  const bool byName =
      chosen && (options.volumeColumn->number == 0 || options.readingColumn->number == 0);
  int vCol = chosen && options.volumeColumn->number > 0 ? options.volumeColumn->number - 1 : 0;
  int rCol = chosen && options.readingColumn->number > 0 ? options.readingColumn->number - 1 : 1;
  const char* readingWhat = potentials ? "potential" : "pH";

  // Whether a row starts the points: a value in each column read that the row reaches, and
  // it reaches one at least.
  const auto isData = [&](const TableRow& row) {
    const int n = static_cast<int>(row.cells.size());
    return (vCol < n || rCol < n) && (vCol >= n || NumberLike(CellText(row, vCol))) &&
           (rCol >= n || NumberLike(CellText(row, rCol)));
  };
  const auto takeHeader = [&](const TableRow& row, const std::vector<int>& leftOut) {
    result.headerLine = row.line;
    result.columns.clear();
    for (const TableCell& c : row.cells)
      result.columns.push_back(c.text);
    for (const int c : leftOut)
      if (!CellText(row, c).empty())
        result.warnings.push_back(
            {row.line, "the column \"" + CellText(row, c) + "\" is left out"});
  };

  enum class State { kHead, kUnderHeader, kPoints } state = State::kHead;
  std::vector<const TableRow*> head; // rows before the header (or the points)
  std::size_t headerCells = 0;       // 0: no header
  const auto readPreamble = [&]() {
    for (const TableRow* p : head)
      if (!ReadPreambleRow(*p, result)) return false;
    head.clear();
    return true;
  };

  for (const TableRow& row : rows) {
    if (row.comment) {
      if (!ReadParameters(row.text, row.line, result)) return fail(result.error);
      continue;
    }
    if (Empty(row)) continue;

    if (state == State::kHead) {
      const HeaderReading h = ReadHeader(row, options);
      if (h.outcome == HeaderReading::kWrong) return fail({row.line, -1, h.message, h.remedy});
      if (h.outcome == HeaderReading::kHeader) {
        if (!readPreamble()) return fail(result.error);
        takeHeader(row, h.leftOut);
        headerCells = row.cells.size();
        vCol = h.volume;
        rCol = h.reading;
        result.volumeFactor = h.volumeFactor;
        result.potentialFactor = h.potentialFactor;
        state = State::kUnderHeader;
        continue;
      }
      if (!isData(row)) {
        head.push_back(&row);
        continue;
      }
      // The points start without a header that names the columns.
      if (byName) {
        const ColumnChoice& missing =
            options.volumeColumn->number == 0 ? *options.volumeColumn : *options.readingColumn;
        return fail(
            {row.line, -1,
             "no header line names the column \"" + missing.name + "\" before the points start",
             ImportRemedy::kColumns});
      }
      // The last text row before them was meant as one, unless the caller chose the columns
      // by number: then it only names them.
      if (!head.empty() && !HasNumber(*head.back())) {
        const TableRow& failed = *head.back();
        if (!chosen) {
          const HeaderReading fh = ReadHeader(failed, options);
          return fail({failed.line, -1, fh.message, ImportRemedy::kColumns});
        }
        std::vector<int> leftOut;
        for (int c = 0; c < static_cast<int>(failed.cells.size()); ++c)
          if (c != vCol && c != rCol &&
              KindOf(failed.cells[static_cast<std::size_t>(c)].text) != ColumnKind::kG)
            leftOut.push_back(c);
        takeHeader(failed, leftOut);
        headerCells = failed.cells.size();
        head.pop_back();
      }
      if (!readPreamble()) return fail(result.error);
      state = State::kPoints;
    } else if (state == State::kUnderHeader) {
      if (!NumberLike(CellText(row, vCol)) && !NumberLike(CellText(row, rCol))) {
        // A units line: what the chosen columns are measured in.
        if (result.unitsLine == 0) {
          result.unitsLine = row.line;
          const std::string& v = CellText(row, vCol);
          if (!v.empty() && VolumeUnit(v) > 0)
            result.volumeFactor = VolumeUnit(v);
          else if (!v.empty())
            result.warnings.push_back({row.line, "the volume's unit \"" + v +
                                                     "\" is not one of ml, l, \xC2\xB5l: the "
                                                     "volumes are read as ml"});
          const std::string& e = CellText(row, rCol);
          if (potentials && !e.empty()) {
            if (PotentialUnit(e) > 0)
              result.potentialFactor = PotentialUnit(e);
            else
              result.warnings.push_back({row.line, "the potential's unit \"" + e +
                                                       "\" is not mV or V: the potentials are "
                                                       "read as mV"});
          }
        }
        continue;
      }
      state = State::kPoints;
    }

    // A point.
    const std::size_t n = row.cells.size();
    const auto needed = static_cast<std::size_t>(std::max(vCol, rCol)) + 1;
    if (headerCells != 0 && (n < needed || n > headerCells))
      return fail({row.line, -1,
                   "expected " + std::to_string(headerCells) +
                       " values as the header names, found " + std::to_string(n)});
    if (headerCells == 0 && !chosen && n != 2)
      return fail({row.line, -1,
                   std::string("expected two values (V and ") + (potentials ? "E" : "pH") +
                       "), found " + std::to_string(n),
                   ImportRemedy::kColumns});
    if (headerCells == 0 && n < needed)
      return fail({row.line, -1,
                   "expected at least " + std::to_string(needed) +
                       " values for the columns chosen, found " + std::to_string(n),
                   ImportRemedy::kColumns});
    const TableCell& vc = row.cells[static_cast<std::size_t>(vCol)];
    const TableCell& rc = row.cells[static_cast<std::size_t>(rCol)];
    double v = 0, reading = 0;
    if (vc.text.empty() || rc.text.empty())
      return fail({row.line, vc.text.empty() ? vCol : rCol,
                   std::string("the ") + (vc.text.empty() ? "volume" : readingWhat) +
                       " is missing: its cell is empty",
                   ImportRemedy::kEmptyCell});
    if (!ParseTableNumber(vc.text, vc.decimalComma, v))
      return fail({row.line, vCol, "the volume \"" + vc.text + "\" is not a number"});
    if (!ParseTableNumber(rc.text, rc.decimalComma, reading))
      return fail({row.line, rCol,
                   std::string("the ") + readingWhat + " \"" + rc.text + "\" is not a number"});
    v = v * result.volumeFactor + 0.0; // "-0" reads as zero
    if (!std::isfinite(v) || v < 0)
      return fail({row.line, vCol, "the volume " + vc.text + " is not a finite number >= 0"});
    double ph = reading + 0.0;
    if (potentials) {
      const double e = reading * result.potentialFactor;
      if (!std::isfinite(e))
        return fail({row.line, rCol, "the potential " + rc.text + " is not a finite number"});
      ph = (result.calibration.e0 - e) / result.calibration.slope + 0.0;
      if (!std::isfinite(ph) || ph < 0)
        return fail({row.line, rCol,
                     "the pH computed from the potential " + rc.text + " is " + Number(ph) +
                         ", not a finite number >= 0 (pH = (" + Number(result.calibration.e0) +
                         " - E)/" + Number(result.calibration.slope) + ")",
                     ImportRemedy::kPotentials});
    } else if (!std::isfinite(ph) || ph < 0) {
      return fail({row.line, rCol, "the pH " + rc.text + " is not a finite number >= 0"});
    }
    if (static_cast<int>(result.points.size()) >= kMaxImportedPoints)
      return fail({row.line, -1, "more than " + std::to_string(kMaxImportedPoints) + " points"});
    result.points.push_back({v, ph});
  }
  if (result.points.empty()) return fail({0, -1, "no titration points"});
  result.volumeColumn = vCol;
  result.pHColumn = rCol;
  result.ok = true;
  return result;
}

PointTableImport ImportPointTable(std::string_view text, const ImportOptions& options) {
  const TableText table = SplitTableText(text);
  if (!table.ok) {
    PointTableImport result;
    result.error = {0, -1, table.error};
    return result;
  }
  return ImportPointRows(table.rows, options);
}

bool ParsePointTable(std::string_view text, std::vector<TablePoint>& points, TableError* error) {
  PointTableImport result = ImportPointTable(text);
  points = std::move(result.points);
  if (!result.ok && error) *error = result.error;
  return result.ok;
}

void PutImportedPoints(TitrationSystem& sys, const std::vector<TablePoint>& points) {
  sys.pointCount = static_cast<int>(points.size());
  sys.AllocatePointArrays();
  for (int i = 0; i < sys.pointCount; ++i) {
    sys.volume[i] = points[static_cast<std::size_t>(i)].volume;
    sys.pH[i] = points[static_cast<std::size_t>(i)].pH;
  }
  sys.RecomputeLinearised();
  sys.lineCount = 1;
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = 0;
  sys.lines[0].status = kLineFewPoints;
}

void SetParameter(TitrationSystem& sys, SystemParameter which, double value) {
  switch (which) {
  case SystemParameter::kInitialVolume: sys.initialVolume = value; break;
  case SystemParameter::kTitrantConcentration: sys.cTit = value; break;
  case SystemParameter::kPKw: sys.pKw = value; break;
  }
}

double ParameterOf(const TitrationSystem& sys, SystemParameter which) {
  switch (which) {
  case SystemParameter::kInitialVolume: return sys.initialVolume;
  case SystemParameter::kTitrantConcentration: return sys.cTit;
  case SystemParameter::kPKw: return sys.pKw;
  }
  return 0;
}

} // namespace vexa
