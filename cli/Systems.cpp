#include "cli/Systems.h"

#include "analysis/AutoPlacement.h"
#include "cli/QtSide.h"
#include "platform/CodePage.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vexa::cli {

namespace {

std::string Shown(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

const char* OptionOf(SystemParameter p) {
  switch (p) {
  case SystemParameter::kInitialVolume: return "v0";
  case SystemParameter::kTitrantConcentration: return "ctit";
  case SystemParameter::kPKw: return "pkw";
  }
  return "";
}

std::optional<double> Given(const InputSettings& s, SystemParameter p) {
  switch (p) {
  case SystemParameter::kInitialVolume: return s.v0;
  case SystemParameter::kTitrantConcentration: return s.ctit;
  case SystemParameter::kPKw: return s.pkw;
  }
  return std::nullopt;
}


bool EndsWith(std::string text, const char* ending) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::size_t n = std::strlen(ending);
  return text.size() >= n && text.compare(text.size() - n, n, ending) == 0;
}

bool StartsWith(const std::string& bytes, std::string_view magic) {
  return bytes.compare(0, magic.size(), magic) == 0;
}

// Where an error of the table stands: "a.csv:12" for a text file, "b.xlsx:Sheet1!C12" (or
// "b.xlsx:Sheet1 row 12") for a sheet.
std::string Where(const std::string& name, const std::string& sheet, const TableError& e) {
  if (e.line <= 0) return name;
  if (sheet.empty()) return name + ":" + std::to_string(e.line);
  if (e.column >= 0)
    return name + ":" + sheet + "!" + ColumnLetters(e.column) + std::to_string(e.line);
  return name + ":" + sheet + " row " + std::to_string(e.line);
}

std::string Remedy(ImportRemedy remedy, bool batch, const std::string& path) {
  switch (remedy) {
  case ImportRemedy::kNone: return "";
  case ImportRemedy::kEmptyCell: {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".xls" || ext == ".xlt"
               ? " (an .xls file keeps no results of formulas: save the sheet as .xlsx, .ods or "
                 "CSV)"
               : "";
  }
  case ImportRemedy::kColumns:
    return batch ? "; name the columns in the batch table's column \"columns\" (such as V,pH, by "
                   "header name or number from 1)"
                 : "; use --columns V,pH to choose the volume and pH columns (by header name or "
                   "number from 1)";
  case ImportRemedy::kPotentials:
    return batch ? "; for potentials give the calibration in the batch table's column \"mv\" "
                   "(E0,SLOPE in mV)"
                 : "; for potentials give --mv E0,SLOPE (pH = (E0 - E)/SLOPE, in mV)";
  }
  return "";
}

void ApplyOverrides(AnalysedSystem& s, const InputSettings& settings) {
  TitrationSystem& sys = *s.system;
  if (settings.v0) sys.initialVolume = *settings.v0;
  if (settings.ctit) sys.cTit = *settings.ctit;
  if (settings.pkw) sys.pKw = *settings.pkw;
  if (settings.title) sys.SetTitle(*settings.title);
  sys.RecomputeLinearised();
}

void Import(AnalysedSystem& s, const std::vector<TableRow>& rows, const std::string& sheet,
            const InputSettings& settings) {
  const PointTableImport table = ImportPointRows(rows, settings.import);
  if (!table.ok)
    throw InputError{Where(s.name, sheet, table.error) + ": " + table.error.message +
                     Remedy(table.error.remedy, settings.batch, s.path)};
  for (const TableWarning& w : table.warnings)
    s.messages.push_back(Where(s.name, sheet, {w.line, -1, {}, {}}) + ": " + w.message);

  TitrationSystem& sys = *s.system;
  for (const SystemParameter p : kSystemParameters) {
    const ParameterInfo& info = InfoOf(p);
    double value = info.defaultValue;
    const std::string unit = *info.unit ? std::string(" ") + info.unit : std::string();
    if (const auto given = Given(settings, p)) {
      value = *given; // the command line (or the batch table) overrides the file
    } else if (const auto& found = table.parameter(p)) {
      value = found->value;
      // A parameter read from a preamble row is a guess by its name: say what was taken.
      if (found->preamble)
        s.messages.push_back(Where(s.name, sheet, {found->line, -1, {}, {}}) + ": " + info.name +
                             " = " + Shown(value) + unit + ", from \"" + found->text + "\"");
    } else {
      s.messages.push_back(std::string("no ") + info.name + " in " + s.name +
                           (settings.batch
                                ? std::string(" or in the batch table (column ") + OptionOf(p) + ")"
                                : std::string(" or on the command line (--") + OptionOf(p) + ")") +
                           ": using the default, " + Shown(info.defaultValue) + unit);
    }
    SetParameter(sys, p, value);
  }
  if (settings.title) {
    sys.SetTitle(*settings.title);
  } else if (s.path != "-") {
    // The file's name; a character the code page cannot hold becomes "?", with a word.
    const std::string title = TitleOfFile(s.path);
    if (const auto bad = platform::FirstUnstorableCharacter(title))
      s.messages.push_back(
          s.name + ": the title \"" + title + "\" is stored with \"?\" for " + bad->Describe() +
          (settings.batch ? " (give a title in the batch table)" : " (give --title)"));
    sys.SetTitle(platform::Utf8ToAnsi(title));
  }
  PutImportedPoints(sys, table.points);

  if (table.fromPotentials) {
    s.calibration = table.calibration;
    s.potentialColumn = table.pHColumn < static_cast<int>(table.columns.size())
                            ? table.columns[static_cast<std::size_t>(table.pHColumn)]
                            : "column " + std::to_string(table.pHColumn + 1);
    s.dataNote = "pH computed from the potentials of \"" + s.potentialColumn + "\": pH = (" +
                 Shown(table.calibration.e0) + " - E)/" + Shown(table.calibration.slope) +
                 " (E0 = " + Shown(table.calibration.e0) + " mV, slope " +
                 Shown(table.calibration.slope) + " mV per pH)";
    s.messages.push_back(s.name + ": " + s.dataNote);
  }
}

} // namespace

const char* MethodName(LineMethod method) {
  switch (method) {
  case LineMethod::kStored: return "stored";
  case LineMethod::kManual: return "manual";
  case LineMethod::kAuto: return "auto";
  case LineMethod::kRobust: return "robust";
  }
  return "";
}

ImportOptions ParseColumnsValue(const std::string& option, const std::string& text) {
  const char sep = text.find(';') != std::string::npos ? ';' : ',';
  const auto at = text.find(sep);
  const auto bad = [&] {
    return UsageError{option + ": \"" + text +
                      "\" is not two columns, the volume's and the pH's (or potential's), such "
                      "as V,pH or 1,3"};
  };
  if (at == std::string::npos || text.find(sep, at + 1) != std::string::npos) throw bad();
  const auto choice = [&](std::string part) {
    while (!part.empty() && part.front() == ' ')
      part.erase(part.begin());
    while (!part.empty() && part.back() == ' ')
      part.pop_back();
    if (part.empty()) throw bad();
    ColumnChoice c;
    if (part.find_first_not_of("0123456789") == std::string::npos && part.size() <= 5) {
      c.number = std::stoi(part);
      if (c.number < 1) throw bad();
    } else {
      c.name = part;
    }
    return c;
  };
  ImportOptions o;
  o.volumeColumn = choice(text.substr(0, at));
  o.readingColumn = choice(text.substr(at + 1));
  return o;
}

PotentialCalibration CalibrationValue(const std::string& option, const std::string& text) {
  // "E0,SLOPE", "E0;SLOPE" (decimal commas), or "E0" alone.
  const char sep = text.find(';') != std::string::npos ? ';' : ',';
  const auto at = text.find(sep);
  PotentialCalibration c;
  const std::string e0 = text.substr(0, at);
  c.e0 = NumberValue(option + " E0", e0, -5000, 5000);
  if (at != std::string::npos) {
    const std::string slope = text.substr(at + 1);
    double v = 0;
    if (!ParseTableNumber(slope, sep == ';', v))
      throw UsageError{option + ": the slope \"" + slope + "\" is not a number"};
    if (!(v >= 40 && v <= 80))
      throw UsageError{option + ": the slope " + slope +
                       " mV per pH is not between 40 and 80 (with decimal commas, separate E0 "
                       "and SLOPE by ';': " +
                       option + " \"412,5;59,16\")"};
    c.slope = v;
  }
  return c;
}

std::string TitleOfFile(const std::string& path) {
  return std::filesystem::path(path).stem().string();
}

AnalysedSystem OpenSystem(const std::string& path, std::istream& in,
                          const InputSettings& settings) {
  AnalysedSystem s;
  s.path = path;
  s.name = InputName(path);
  s.system = std::make_unique<TitrationSystem>();

  // A workbook, by its name or (under another name) by its first bytes: read by the module.
  const auto fromSheet = [&] {
    std::vector<std::vector<std::string>> cells;
    std::string sheet, error;
    if (!ReadSpreadsheet(path, settings.sheet, &cells, &sheet, &error)) throw InputError{error};
    s.imported = true;
    Import(s, SheetRows(cells), sheet.empty() ? "sheet" : sheet, settings);
  };
  if (path != "-" && HasSpreadsheetName(path)) {
    fromSheet();
    return s;
  }
  const std::string bytes = ReadInput(path, in);
  if (StartsWith(bytes, "PK\x03\x04") || StartsWith(bytes, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
    if (path == "-")
      throw InputError{"standard input holds a spreadsheet: give the file's name instead"};
    fromSheet();
    return s;
  }
  if (EndsWith(path, ".vexa") || StartsWith(bytes, "VEXA")) {
    std::string error;
    if (!LoadSystemBytes(*s.system, bytes, s.name, &error)) throw InputError{error};
    ApplyOverrides(s, settings);
    return s;
  }
  const TableText text = SplitTableText(bytes);
  if (!text.ok) throw InputError{s.name + ": " + text.error};
  s.imported = true;
  Import(s, text.rows, {}, settings);
  return s;
}

void PlaceLines(AnalysedSystem& s, const LineSettings& settings, bool batch) {
  TitrationSystem& sys = *s.system;
  s.method = settings.method;
  switch (settings.method) {
  case LineMethod::kStored: break;
  case LineMethod::kManual: {
    for (const LineRange& r : settings.lines)
      if (r.first > sys.pointCount || r.end > sys.pointCount)
        throw InputError{s.name + ": the line " + std::to_string(r.first) + "-" +
                         std::to_string(r.end) + (batch ? " of the batch table" : "") +
                         " names a point beyond the last, " + std::to_string(sys.pointCount)};
    sys.lineCount = static_cast<int>(settings.lines.size());
    for (std::size_t j = 0; j < settings.lines.size(); ++j) {
      ApproxLine line;
      line.firstPoint = settings.lines[j].first - 1;
      line.endPoint = settings.lines[j].end - 1;
      sys.lines[j] = line;
    }
    break;
  }
  case LineMethod::kAuto: {
    // When no line is kept the results show one empty line: say why, without failing.
    const std::string note = AutoLinesMessage(sys.SetAutoLines());
    if (!note.empty()) s.messages.push_back(s.name + ": " + note);
    break;
  }
  case LineMethod::kRobust: {
    s.checks = FindLines(sys);
    s.messages.push_back(s.name + ": robust lines: " + RobustSummary(*s.checks));
    for (const std::string& w : s.checks->warnings)
      s.messages.push_back(s.name + ": " + w);
    break;
  }
  }
  // As the graph does each time it is shown: every line in use clamped and refitted.
  sys.RefitAllLines();
}

} // namespace vexa::cli
