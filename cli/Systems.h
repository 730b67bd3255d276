#pragma once
// How vexa makes the systems it reports on: reads an input (a .vexa file, or a table of points
// as text or as a spreadsheet), gives it the parameters and title asked for, places its lines
// (as stored, by hand, or by either automatic method) and fits them.
#include "analysis/RobustLines.h"
#include "cli/Common.h"
#include "document/PointTable.h"
#include "document/TitrationSystem.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexa::cli {

// What the user gives for an input, on the command line or in a row of a batch table.
struct InputSettings {
  std::optional<double> v0, ctit, pkw;
  std::optional<std::string> title; // Windows-1251, checked
  ImportOptions import;             // the columns, pH from potentials
  std::string sheet;                // a spreadsheet's sheet; empty: the first
  bool batch = false;               // for messages: the settings come from a batch table
};

enum class LineMethod {
  kStored, // the lines as the file holds them
  kManual, // the lines given (--line)
  kAuto,   // automatic placement
  kRobust, // the robust line search, with its checks
};

struct LineSettings {
  LineMethod method = LineMethod::kStored;
  std::vector<LineRange> lines; // for kManual, at most ten
};

// The name of a method in the output ("stored", "manual", "auto", "robust").
const char* MethodName(LineMethod method);

struct AnalysedSystem {
  std::unique_ptr<TitrationSystem> system;
  std::string path; // as given: "-" for standard input
  std::string name; // for messages and the results: the path, or "standard input"
  bool imported = false;
  // pH computed from potentials: the calibration and the column, and the line that says so.
  std::optional<PotentialCalibration> calibration;
  std::string potentialColumn;
  std::string dataNote; // UTF-8; empty unless pH came from potentials
  LineMethod method = LineMethod::kStored;
  std::optional<RobustAnalysis> checks;
  // What was said about the system, in order, each naming the input ("a.csv:3: the column
  // "T" is left out"); the caller prints them with "vexa: " before each.
  std::vector<std::string> messages;
};

// Reads an input. Throws InputError (a file that cannot be read or used) or UsageError.
AnalysedSystem OpenSystem(const std::string& path, std::istream& in, const InputSettings& settings);

// Places the lines as asked and fits every line in use. Throws InputError when a line given
// by hand names a point the system does not have.
void PlaceLines(AnalysedSystem& s, const LineSettings& lines, bool batch = false);

// The value of --columns (or a batch table's column "columns"): the volume's and the pH's (or
// potential's) column, by header name or number from 1, separated by ',' (or ';' for names
// that hold a comma). Throws UsageError naming the option.
ImportOptions ParseColumnsValue(const std::string& option, const std::string& text);

// The value of --mv: "E0,SLOPE", "E0;SLOPE" (decimal commas) or "E0" with the slope of 25 °C.
// Throws UsageError naming the option when a number is wrong or the slope is outside
// 40 ... 80 mV per pH.
PotentialCalibration CalibrationValue(const std::string& option, const std::string& text);

// The title of a system imported from path: the file's name without its folder and extension.
std::string TitleOfFile(const std::string& path);

} // namespace vexa::cli
