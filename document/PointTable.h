#pragma once
// The importer of titration points from tables, as instruments and spreadsheets write them.
//
// The table comes as rows of text cells (document/TableText.h: from a text file, or from a
// sheet). Blank rows are skipped. Lines starting with '#' are comments; a comment may state
// the system's parameters in the form "name = value unit" ("# V0 = 50 ml, Ctit = 0.1 mol/l,
// pKw = 14").
//
// The header is the first row that names a volume column and a reading column (pH, or a
// potential when the caller asks for pH from potentials); the columns are chosen by their
// names (a column headed G, as written by the export, is left out without a word, any other
// column with a warning). Rows under the header that hold no number in those columns are
// its units line(s): a volume in l or µl and a potential in V are converted. Rows before the
// header are the preamble: a row "name<sep>value[<sep>unit]" whose name is a parameter's
// (V0, initial or sample volume; Ctit, titrant concentration; pKw) states that parameter.
// Without a header the table has two columns, V then pH, and the last text row before the
// points, if any, is taken for a header that names no column.
//
// The caller may choose the columns itself (by header name or by number) and ask for pH from
// potentials, pH = (E0 − E)/slope with E in mV.
//
// The importer only reads: it returns what it found and what it chose, and leaves it to the
// caller to tell the user.
#include "document/TableText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

struct TablePoint {
  double volume;
  double pH;
};

// What would have helped, for a caller that can suggest it.
enum class ImportRemedy {
  kNone,
  kColumns,    // choose the columns (the header names no usable column, or too many columns)
  kPotentials, // the table holds potentials, not pH: give the calibration
  kEmptyCell,  // a value's cell is empty (a formula whose result the file does not keep?)
};

struct TableError {
  int line = 0;        // 1-based line (or sheet row); 0 when the error is about the whole table
  int column = -1;     // the cell's column from 0, when the error is about one cell
  std::string message; // "expected two values (V and pH), found 3"
  ImportRemedy remedy = ImportRemedy::kNone;
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
  std::string text; // as written: "Ctit = 0.1 mol/l", or the preamble row "Sample volume;25;ml"
  bool preamble = false; // read from a preamble row (by its name), not from a comment
};

struct TableWarning {
  int line = 0;
  std::string message; // "the column \"T\" is left out"
};

// A column of the table chosen by the caller: by its header name, or by its number from 1.
struct ColumnChoice {
  std::string name;
  int number = 0; // from 1; 0 when chosen by name
};

// pH from potentials: pH = (e0 − E)/slope, both in mV.
struct PotentialCalibration {
  static constexpr double kNernstSlope25 = 59.16; // mV per pH at 25 °C
  double e0 = 0;
  double slope = kNernstSlope25;
};

struct ImportOptions {
  // The volume column and the reading column (pH, or E with potentials); both or neither.
  std::optional<ColumnChoice> volumeColumn;
  std::optional<ColumnChoice> readingColumn;
  // Given: the reading column holds potentials in mV (or V, by its unit), turned into pH.
  std::optional<PotentialCalibration> potentials;
};

struct PointTableImport {
  bool ok = false;
  TableError error; // when !ok: the first line that could not be read

  std::vector<TablePoint> points;

  // The parameters stated in comment lines or the preamble, by SystemParameter.
  std::optional<FoundParameter> parameters[3];
  const std::optional<FoundParameter>& parameter(SystemParameter p) const {
    return parameters[static_cast<int>(p)];
  }

  // The header, if any: its line (0 when there is none) and its column names as written.
  int headerLine = 0;
  std::vector<std::string> columns;
  int unitsLine = 0; // the units line under the header, 0 when there is none
  // The columns read, counted from 0.
  int volumeColumn = 0;
  int pHColumn = 1;
  // Factors that bring the columns to ml and mV (from their units).
  double volumeFactor = 1;
  double potentialFactor = 1;
  // pH computed from the potentials of column pHColumn.
  bool fromPotentials = false;
  PotentialCalibration calibration;

  std::vector<TableWarning> warnings;
};

// Finds the points in the rows of a table (see above). Every value must be a finite number
// >= 0 (a potential may have any sign, the pH made from it may not), and a stated parameter
// must lie within its limits. On failure the result is !ok with error filled at the first bad
// row, or with line 0 when the table holds no point at all.
PointTableImport ImportPointRows(const std::vector<TableRow>& rows,
                                 const ImportOptions& options = {});

// The text of a file: SplitTableText, then ImportPointRows.
PointTableImport ImportPointTable(std::string_view text, const ImportOptions& options = {});

// The points alone, as ImportPointTable reads them. Returns false with *error filled.
bool ParsePointTable(std::string_view text, std::vector<TablePoint>& points, TableError* error);

class TitrationSystem;

// Puts imported points into a record: its points replaced (G computed with its parameters) and
// its line table back to the one empty line of a new system.
void PutImportedPoints(TitrationSystem& sys, const std::vector<TablePoint>& points);

// Sets one of the three parameters of a record (G is not recomputed).
void SetParameter(TitrationSystem& sys, SystemParameter which, double value);
double ParameterOf(const TitrationSystem& sys, SystemParameter which);

// Reads one number in the C locale, the whole text consumed (blanks around it allowed).
bool ParseTableNumber(std::string_view text, bool decimalComma, double& value);

} // namespace vexa
