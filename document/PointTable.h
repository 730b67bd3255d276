#pragma once
// The importer of titration points from text, as instruments and spreadsheets export them.
//
// One point a line, separated by a semicolon, a tab, a comma or blanks (the first of these a
// line holds); a decimal comma is accepted where the separator is a semicolon or a tab. Blank
// lines are skipped. Lines starting with '#' are comments; a comment may state the system's
// parameters in the form "name = value unit" ("# V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14").
// The first line that is not numbers is the header: it names the columns, and the volume and
// the pH columns are chosen by their names (a column headed G, as written by the export, and
// any other column are left out). Without a header the two columns are V, then pH.
//
// The importer only reads: it returns what it found and what it chose, and leaves it to the
// caller to tell the user.
#include <optional>
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

// The three system parameters a table may state, with the names and limits the importer and
// its callers use.
enum class SystemParameter { kInitialVolume, kTitrantConcentration, kPKw };

struct ParameterInfo {
  SystemParameter which;
  const char* name; // as written in a table and in messages: "V0", "Ctit", "pKw"
  const char* unit; // the document's unit: "ml", "mol/l", "" for none
  double defaultValue;
  double lowest, highest; // inclusive
};

// V0, Ctit, pKw, in this order.
const ParameterInfo& InfoOf(SystemParameter which);
inline constexpr SystemParameter kSystemParameters[] = {
    SystemParameter::kInitialVolume, SystemParameter::kTitrantConcentration, SystemParameter::kPKw};

// A parameter the table states.
struct FoundParameter {
  double value = 0; // in the document's unit (a value in l or mmol/l is converted)
  int line = 0;     // 1-based line where it stands
  std::string text; // as written: "Ctit = 0.1 mol/l"
};

struct TableWarning {
  int line = 0;
  std::string message; // "the column \"T\" is left out"
};

struct PointTableImport {
  bool ok = false;
  TableError error; // when !ok: the first line that could not be read

  std::vector<TablePoint> points;

  // The parameters stated in comment lines, by SystemParameter.
  std::optional<FoundParameter> parameters[3];
  const std::optional<FoundParameter>& parameter(SystemParameter p) const {
    return parameters[static_cast<int>(p)];
  }

  // The header, if any: its line (0 when there is none) and its column names as written.
  int headerLine = 0;
  std::vector<std::string> columns;
  // The columns read, counted from 0.
  int volumeColumn = 0;
  int pHColumn = 1;

  std::vector<TableWarning> warnings;
};

// Reads the whole text. Every value must be a finite number >= 0, and a stated parameter must
// lie within its limits. On failure the result is !ok with error filled at the first bad line,
// or with line 0 when the text holds no point at all.
PointTableImport ImportPointTable(std::string_view text);

// The points alone, as ImportPointTable reads them. Returns false with *error filled.
bool ParsePointTable(std::string_view text, std::vector<TablePoint>& points, TableError* error);

// Reads one number in the C locale, the whole text consumed (blanks around it allowed).
bool ParseTableNumber(std::string_view text, bool decimalComma, double& value);

} // namespace vexa
