#include "cli/Commands.h"

#include "cli/Batch.h"
#include "cli/Common.h"
#include "cli/Formats.h"
#include "cli/QtSide.h"
#include "cli/Systems.h"
#include "platform/CodePage.h"
#include "results/ResultsLog.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <unistd.h>

#ifndef VEXA_VERSION
#define VEXA_VERSION "0.5.0"
#endif

namespace vexa::cli {

namespace {

constexpr const char* kUsage =
    "usage: vexa report [--format html|csv|json|pdf] [--auto-lines[=robust]] [--line "
    "FIRST-END]...\n"
    "                   [--v0 ML] [--pkw X] [--ctit MOL_L] [--title TEXT] [--font-size PCT]\n"
    "                   [--save OUT.vexa] [-o OUT] IN...\n"
    "       vexa import [--v0 ML] [--pkw X] [--ctit MOL_L] [--title TEXT] -o OUT.vexa IN.csv\n"
    "       vexa export [-o OUT.csv] IN.vexa\n"
    "       vexa plot [--linearised] [--size WxH] [--format png|svg] -o OUT.png|OUT.svg IN.vexa\n"
    "       vexa batch [--format csv|json] [-o OUT] [--pages DIR] [--plots DIR] [--jobs N] "
    "TABLE.csv\n"
    "       vexa --help | --version | COMMAND --help\n";

constexpr const char* kHelp =
    "vexa - titration analysis by the linearised titration-function method\n"
    "\n"
    "Commands:\n"
    "  report   the results of one or more titrations: the HTML results page, CSV or JSON\n"
    "           (one row per line / one object per system) or a printable PDF report\n"
    "  import   make a .vexa file from a table of points (CSV or text as instruments write\n"
    "           it, or a spreadsheet)\n"
    "  export   write the points of a titration as CSV (V_ml,pH,G)\n"
    "  plot     draw the graph of a titration as PNG or SVG\n"
    "  batch    analyse every titration a table lists, in parallel, into one results table\n"
    "\n"
    "An input is a .vexa file, a table of points (text: ',', ';', tab or blanks between the\n"
    "values; UTF-8 or UTF-16; a header naming the columns, units, comment lines and a\n"
    "preamble of name;value rows) or a spreadsheet (.xlsx, .ods, .xls). - is standard input.\n"
    "Point numbers count from 1, as the table's rows do. A decimal comma is accepted in\n"
    "option values. 'vexa COMMAND --help' tells the options of each command.\n"
    "\n"
    "An output named - is standard output. A link is followed to its target; a device\n"
    "or a FIFO is written directly. When a command fails, none of its outputs is written.\n"
    "Results go to standard output (or -o), messages to standard error.\n"
    "\n"
    "Exit status: 0 success, 1 unreadable or invalid input (for batch: a row failed), 2\n"
    "wrong command line.\n";

// The help of a command: our usage line first, then CLI11's list of the options.
class Help : public CLI::Formatter {
public:
  explicit Help(std::string usage) : usage_(std::move(usage)) {
    column_width(32);
    label("OPTIONS", "options");
  }
  std::string make_description(const CLI::App*) const override { return {}; }
  std::string make_usage(const CLI::App* app, std::string) const override {
    return usage_ + "\n" + app->get_description() + "\n";
  }

private:
  std::string usage_;
};

// One command's command line: the CLI11 application and what the options hold.
struct Command {
  std::unique_ptr<CLI::App> app;
  std::string usage;

  Command(const std::string& name, const std::string& description, std::string usageText)
      : app(std::make_unique<CLI::App>(description, "vexa " + name)), usage(std::move(usageText)) {
    app->formatter(std::make_shared<Help>(usage));
  }
};

// The options every command that reads a titration shares.
struct InputOptions {
  std::optional<std::string> v0, ctit, pkw, title, columns, mv, sheet;

  void Add(CLI::App& app, bool withTitle = true) {
    app.add_option("--v0", v0, "initial volume V0, 0 ... 3000 ml (default: the file's, else 50)")
        ->type_name("ML");
    app.add_option("--pkw", pkw, "pKw, 12 ... 16 (default: the file's, else 14)")->type_name("X");
    app.add_option("--ctit", ctit,
                   "titrant concentration, 0 ... 10 mol/l (default: the file's, else 0.01)")
        ->type_name("MOL_L");
    if (withTitle)
      app.add_option("--title", title,
                     "the system's title, at most 199 characters of Windows-1251 (an imported "
                     "system's default is its file's name)")
          ->type_name("TEXT");
    app.add_option("--columns", columns,
                   "the volume and the pH (or potential) columns of a table, by header name or "
                   "number from 1: V,pH or 2,4 (';' between names that hold a comma)")
        ->type_name("V,PH");
    app.add_option("--mv", mv,
                   "the table holds potentials E in mV: pH = (E0 - E)/SLOPE; SLOPE defaults to "
                   "59.16 mV (25 \xC2\xB0"
                   "C); with decimal commas write E0;SLOPE")
        ->type_name("E0[,SLOPE]");
    app.add_option("--sheet", sheet, "the sheet of a spreadsheet (default: the first)")
        ->type_name("NAME");
  }
};

// The options that place the lines.
struct LineOptions {
  std::optional<std::string> autoLines;
  std::vector<std::string> lines;

  void Add(CLI::App& app) {
    app.add_flag("--auto-lines{auto}", autoLines,
                 "place the lines automatically first; --auto-lines=robust: by the robust "
                 "line search, with its checks")
        ->check(CLI::IsMember({"auto", "robust"}))
        ->option_text("[=robust]");
    app.add_option("--line", lines,
                   "a line through the points FIRST to END, counted from 1 (repeat for more "
                   "lines, up to ten)")
        ->type_name("FIRST-END")
        ->allow_extra_args(false)
        ->expected(1)
        ->take_all();
  }
};

InputSettings SettingsOf(const InputOptions& o, bool batch = false) {
  InputSettings s;
  s.batch = batch;
  const auto number = [](const char* option, const std::optional<std::string>& text,
                         SystemParameter p) -> std::optional<double> {
    if (!text) return std::nullopt;
    const ParameterInfo& info = InfoOf(p);
    return NumberValue(option, *text, info.lowest, info.highest);
  };
  s.v0 = number("--v0", o.v0, SystemParameter::kInitialVolume);
  s.ctit = number("--ctit", o.ctit, SystemParameter::kTitrantConcentration);
  s.pkw = number("--pkw", o.pkw, SystemParameter::kPKw);
  if (o.title) s.title = StoredTitle("--title", *o.title);
  if (o.columns) s.import = ParseColumnsValue("--columns", *o.columns);
  if (o.mv) s.import.potentials = CalibrationValue("--mv", *o.mv);
  if (o.sheet) s.sheet = *o.sheet;
  return s;
}

LineSettings LinesOf(const LineOptions& o) {
  LineSettings s;
  if (o.autoLines && !o.lines.empty())
    throw UsageError{"--line and --auto-lines cannot be given together"};
  if (o.lines.size() > static_cast<std::size_t>(TitrationSystem::kMaxLines))
    throw UsageError{"--line: at most ten lines"};
  for (const std::string& l : o.lines)
    s.lines.push_back(LineValue("--line", l));
  if (!s.lines.empty()) s.method = LineMethod::kManual;
  if (o.autoLines) s.method = *o.autoLines == "robust" ? LineMethod::kRobust : LineMethod::kAuto;
  return s;
}

void OutputNameOption(CLI::App& app, const char* name, std::optional<std::string>& value,
                      const char* help, const char* type) {
  app.add_option(name, value, help)->type_name(type)->check([name](const std::string& v) {
    return v.empty() ? std::string(name) + " needs a file name (- for standard output)"
                     : std::string();
  });
}

// Says what was said about a system, on standard error.
void Tell(std::ostream& err, const AnalysedSystem& s) {
  std::string said;
  for (const std::string& m : s.messages)
    said += "vexa: " + m + "\n";
  err << said; // at once: standard error writes each piece it is given
}

AnalysedSystem Analysed(const std::string& path, std::istream& in, const InputSettings& input,
                        const LineSettings& lines, std::ostream& err) {
  AnalysedSystem s = OpenSystem(path, in, input);
  PlaceLines(s, lines);
  Tell(err, s);
  return s;
}

std::string PageOf(const AnalysedSystem& s, int font) {
  return WriteResultsLog(*s.system, font, s.checks ? &*s.checks : nullptr,
                         platform::Utf8ToAnsi(s.dataNote));
}

enum class Format { kHtml, kCsv, kJson, kPdf };

std::optional<Format> FormatOfName(const std::string& path) {
  const auto ext = std::filesystem::path(path).extension().string();
  std::string lower;
  for (const char c : ext)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == ".csv") return Format::kCsv;
  if (lower == ".json") return Format::kJson;
  if (lower == ".pdf") return Format::kPdf;
  if (lower == ".html" || lower == ".htm") return Format::kHtml;
  return std::nullopt;
}

int Report(Command& cmd, std::vector<std::string> args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  CLI::App& app = *cmd.app;
  InputOptions input;
  LineOptions lineOptions;
  std::optional<std::string> format, save, output, paper;
  int font = 100;
  std::vector<std::string> inputs;
  app.add_option("--format", format,
                 "html (the results page, the default), csv (one row per line), json (one object "
                 "per system) or pdf (a printable report); by default the extension of -o "
                 "(.csv, .json, .pdf) chooses")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"html", "csv", "json", "pdf"}));
  lineOptions.Add(app);
  input.Add(app);
  app.add_option("--font-size", font, "the page's table font size: 25, 50, 75, 100, 150, 200, 300")
      ->type_name("PCT")
      ->check(CLI::IsMember(
          std::vector<int>(std::begin(kLogFontPercents), std::end(kLogFontPercents))));
  OutputNameOption(app, "--save", save, "also store the system with its fitted lines (one input)",
                   "OUT.vexa");
  OutputNameOption(app, "-o", output,
                   "the output (default: standard output); with several inputs and html, a "
                   "folder that gets one page NAME.html per input",
                   "OUT");
  app.add_option("--paper", paper, "the paper of a PDF report: a4 (the default) or letter")
      ->type_name("PAPER")
      ->check(CLI::IsMember({"a4", "letter"}));
  app.add_option("inputs", inputs,
                 ".vexa files, tables of points or spreadsheets (- for standard "
                 "input)")
      ->type_name("IN")
      ->required();
  app.footer("Every line in use is refitted first, as the graph does. The CSV and JSON fields: "
             "the file, title, V0, pKw, Ctit, number of points, how the lines were placed, and "
             "per line its number, first and end point (counted from 1, as the table counts "
             "rows), status code and text, A, B, their half-widths, rho, Veq, its half-width "
             "and relative error (%), Csub, its half-width, the pH jump, the warnings and, with "
             "--auto-lines=robust, the checks.\n\nWith several inputs every one must be read "
             "and analysed, or nothing is written (vexa batch goes on past a bad file).");
  app.parse(args);

  Format fmt = Format::kHtml;
  if (format)
    fmt = *format == "csv"    ? Format::kCsv
          : *format == "json" ? Format::kJson
          : *format == "pdf"  ? Format::kPdf
                              : Format::kHtml;
  else if (output)
    fmt = FormatOfName(*output).value_or(Format::kHtml);
  if (std::count(inputs.begin(), inputs.end(), "-") > 1)
    throw UsageError{"standard input (-) can be read once"};
  const bool several = inputs.size() > 1;
  if (save && several) throw UsageError{"--save takes one input"};
  if (save && SameOutput(*save, output.value_or("")))
    throw UsageError{ToStandardOutput(*save)
                         ? "--save - and the page cannot both go to standard output"
                         : "--save and -o name the same file: " + *save};
  if (fmt == Format::kPdf && !output)
    throw UsageError{"a PDF report needs -o OUT.pdf (or -o - for standard output)"};
  // Several pages go into a folder, one page each, named after their inputs.
  std::vector<std::string> pageNames;
  if (fmt == Format::kHtml && several) {
    if (!output || ToStandardOutput(*output))
      throw UsageError{"several results pages need -o FOLDER (or --format csv or json)"};
    std::map<std::string, std::string> seen;
    for (const std::string& path : inputs) {
      const std::string name =
          (path == "-" ? std::string("standard-input") : TitleOfFile(path)) + ".html";
      if (const auto [it, fresh] = seen.emplace(name, path); !fresh)
        throw UsageError{"two inputs would both write " + name + ": " + it->second + " and " +
                         path};
      pageNames.push_back(name);
    }
  }
  const InputSettings settings = SettingsOf(input);
  const LineSettings lines = LinesOf(lineOptions);

  std::vector<AnalysedSystem> systems;
  systems.reserve(inputs.size());
  for (const std::string& path : inputs)
    systems.push_back(Analysed(path, in, settings, lines, err));

  std::vector<Output> outputs;
  if (save) outputs.push_back({*save, StoredSystem(*systems.front().system)});
  bool madeFolder = false;
  switch (fmt) {
  case Format::kHtml:
    if (!several) {
      outputs.push_back({output.value_or(""), PageOf(systems.front(), font)});
      break;
    }
    {
      std::error_code ec;
      madeFolder = std::filesystem::create_directory(*output, ec);
      if (ec || !std::filesystem::is_directory(*output))
        throw InputError{"-o " + *output + ": not a folder the pages can go into" +
                         (ec ? " (" + ec.message() + ")" : "")};
    }
    for (std::size_t k = 0; k < systems.size(); ++k)
      outputs.push_back(
          {(std::filesystem::path(*output) / pageNames[k]).string(), PageOf(systems[k], font)});
    break;
  case Format::kCsv: {
    std::string csv = CsvHeader(false);
    for (const AnalysedSystem& s : systems)
      csv += CsvRows(s);
    outputs.push_back({output.value_or(""), std::move(csv)});
    break;
  }
  case Format::kJson: {
    std::vector<const AnalysedSystem*> list;
    for (const AnalysedSystem& s : systems)
      list.push_back(&s);
    outputs.push_back({output.value_or(""), JsonDocument(list)});
    break;
  }
  case Format::kPdf: {
    PdfRequest request;
    request.letter = paper && *paper == "letter";
    for (const AnalysedSystem& s : systems)
      request.systems.push_back(
          {s.system.get(), s.name, s.checks ? &*s.checks : nullptr, s.dataNote});
    std::string pdf, error;
    if (!DrawReportPdf(request, &pdf, &error)) throw InputError{error};
    outputs.push_back({*output, std::move(pdf)});
    break;
  }
  }
  try {
    WriteOutputs(outputs, out);
  } catch (...) {
    if (madeFolder) std::filesystem::remove(*output);
    throw;
  }
  const Output& results = outputs.back();
  if (fmt == Format::kHtml && several)
    err << "Results pages written to " << *output << "\n";
  else if (!ToStandardOutput(results.path) && !results.direct)
    err << (fmt == Format::kHtml ? "Results page written to " : "Results written to ")
        << results.path << "\n";
  return kOk;
}

int Import(Command& cmd, std::vector<std::string> args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  CLI::App& app = *cmd.app;
  InputOptions input;
  std::optional<std::string> output;
  std::string path;
  input.Add(app);
  OutputNameOption(app, "-o", output, "the .vexa file to make (- for standard output)", "OUT.vexa");
  app.add_option("input", path, "the table of points or spreadsheet (- for standard input)")
      ->type_name("IN")
      ->required();
  app.footer(
      "A table: one point a line, its values separated by ',', ';', a tab or blanks (a decimal "
      "comma with ';' or a tab, or inside quotes). A header names the columns (V, V_ml, "
      "volume, ml...; pH; E, mV, potential with --mv); other columns are left out; a units line "
      "may follow it. A comment line may state the parameters: # V0 = 50 ml, Ctit = 0.1 mol/l, "
      "pKw = 14; so may preamble rows before the header (Sample volume;50;ml). An option "
      "overrides the file; a parameter that neither gives takes its default, and import says "
      "so.");
  app.parse(args);
  if (!output) throw UsageError{"import needs -o OUT.vexa"};
  const InputSettings settings = SettingsOf(input);
  AnalysedSystem s = OpenSystem(path, in, settings);
  Tell(err, s);
  std::vector<Output> outputs{{*output, StoredSystem(*s.system)}};
  WriteOutputs(outputs, out);
  return kOk;
}

int Export(Command& cmd, std::vector<std::string> args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  CLI::App& app = *cmd.app;
  InputOptions input;
  std::optional<std::string> output;
  std::string path;
  input.Add(app, false);
  OutputNameOption(app, "-o", output, "the CSV file (default: standard output)", "OUT.csv");
  app.add_option("input", path, "a .vexa file or a table of points (- for standard input)")
      ->type_name("IN")
      ->required();
  app.footer("The CSV has the header V_ml,pH,G and numbers that read back exactly; vexa import "
             "reads it again.");
  app.parse(args);
  AnalysedSystem s = OpenSystem(path, in, SettingsOf(input));
  Tell(err, s);
  const TitrationSystem& sys = *s.system;
  std::string csv = "V_ml,pH,G\n";
  char row[128];
  for (int i = 0; i < sys.pointCount; ++i) {
    std::snprintf(row, sizeof row, "%.17g,%.17g,%.17g\n", sys.volume[i], sys.pH[i], sys.g[i]);
    csv += row;
  }
  std::vector<Output> outputs{{output.value_or(""), std::move(csv)}};
  WriteOutputs(outputs, out);
  return kOk;
}

constexpr int kMinSide = 16;
constexpr int kMaxSide = 8000;

int Plot(Command& cmd, std::vector<std::string> args, std::istream& in, std::ostream& out,
         std::ostream& err) {
  CLI::App& app = *cmd.app;
  InputOptions input;
  LineOptions lineOptions;
  bool linearised = false;
  std::optional<std::string> size, format, output, scale;
  std::string path;
  app.add_flag("--linearised", linearised,
               "the linearised view (G against V with the lines) instead of pH against V");
  app.add_option("--size", size,
                 "the picture's size in pixels (default 800x600); a larger picture is the "
                 "800x600 graph drawn finer")
      ->type_name("WxH");
  app.add_option("--scale", scale,
                 "the graph as the window shows it at --size, drawn at F times its pixels, for "
                 "print (--scale 3: an 800x600 graph in 2400x1800 pixels); 0.5 ... 10")
      ->type_name("F");
  app.add_option("--format", format, "png or svg (default: by the extension of -o; PNG for -)")
      ->type_name("FORMAT");
  lineOptions.Add(app);
  input.Add(app);
  OutputNameOption(app, "-o", output, "the picture's file (- for standard output)",
                   "OUT.png|OUT.svg");
  app.add_option("input", path, "a .vexa file, a table of points or a spreadsheet")
      ->type_name("IN")
      ->required();
  app.footer("The lines are refitted as the graph does when it is shown. The colours and the "
             "marker are the window program's (its Preferences).");
  app.parse(args);

  PlotRequest request;
  if (size) {
    const auto x = size->find_first_of("xX");
    const auto side = [](const std::string& s, int& v) {
      if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
      v = std::stoi(s);
      return v >= kMinSide && v <= kMaxSide;
    };
    if (x == std::string::npos || !side(size->substr(0, x), request.width) ||
        !side(size->substr(x + 1), request.height))
      throw UsageError{"--size: \"" + *size + "\" is not WIDTHxHEIGHT, each " +
                       std::to_string(kMinSide) + " to " + std::to_string(kMaxSide)};
  }
  if (scale) request.scale = NumberValue("--scale", *scale, 0.5, 10);
  if (request.width * request.scale > kMaxSide * 2 || request.height * request.scale > kMaxSide * 2)
    throw UsageError{"--scale: the picture would be larger than " + std::to_string(kMaxSide * 2) +
                     " pixels a side"};
  if (!output) throw UsageError{"plot needs -o OUT.png or -o OUT.svg"};
  if (format && *format != "png" && *format != "svg")
    throw UsageError{"--format: \"" + *format + "\" is not png or svg"};
  const auto lower = [](std::string s) {
    for (char& c : s)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string name = lower(*output);
  std::optional<bool> svgByName;
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) svgByName = false;
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".svg") == 0) svgByName = true;
  if (*output == "-") {
    request.svg = format && *format == "svg";
  } else if (!svgByName && !format) {
    throw UsageError{"-o: " + *output + " does not end in .png or .svg (or give --format)"};
  } else if (svgByName && format && *svgByName != (*format == "svg")) {
    throw UsageError{"--format and the extension of " + *output + " disagree"};
  } else {
    request.svg = format ? *format == "svg" : *svgByName;
  }
  request.linearised = linearised;
  const InputSettings settings = SettingsOf(input);
  const LineSettings lines = LinesOf(lineOptions);
  AnalysedSystem s = Analysed(path, in, settings, lines, err);
  request.system = s.system.get();
  std::string picture, error;
  if (!DrawPlot(request, &picture, &error)) throw InputError{error};
  std::vector<Output> outputs{{*output, std::move(picture)}};
  WriteOutputs(outputs, out);
  // A device or a descriptor such as /dev/stdout gets the picture alone.
  if (*output != "-" && !outputs.front().direct) err << "Graph written to " << *output << "\n";
  return kOk;
}

int Batch(Command& cmd, std::vector<std::string> args, std::istream& in, std::ostream& out,
          std::ostream& err) {
  CLI::App& app = *cmd.app;
  BatchSettings b;
  InputOptions input;
  LineOptions lineOptions;
  std::optional<std::string> format, output, pages, plots;
  std::optional<unsigned> jobs;
  app.add_option("--format", format,
                 "the results table: csv (the default) or json; by default "
                 "the extension of -o chooses")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"csv", "json"}));
  OutputNameOption(app, "-o", output, "the results table (default: standard output)", "OUT");
  app.add_option("--pages", pages, "also write each titration's results page into this folder")
      ->type_name("DIR");
  app.add_option("--plots", plots,
                 "also write each titration's two graphs (NAME.png and NAME-linearised.png) into "
                 "this folder")
      ->type_name("DIR");
  app.add_option("--jobs", jobs, "rows analysed at once (default: one per core)")
      ->type_name("N")
      ->check(CLI::Range(1u, 256u));
  app.add_option("--font-size", b.font, "the pages' table font size")
      ->type_name("PCT")
      ->check(CLI::IsMember(
          std::vector<int>(std::begin(kLogFontPercents), std::end(kLogFontPercents))));
  app.add_flag("--no-progress", b.noProgress, "no progress bar on standard error");
  lineOptions.Add(app);
  input.Add(app, false);
  app.add_option("table", b.table, "the batch table (- for standard input)")
      ->type_name("TABLE.csv")
      ->required();
  app.footer(
      "The batch table is a CSV (or text) table with a header and one titration a row. Its "
      "columns: file (the titration's file, relative to the table's folder; required), and any "
      "of v0, ctit, pkw, title, method (stored, auto or robust), lines (FIRST-END ranges "
      "separated by blanks, such as \"2-9 14-20\"), columns, mv, sheet. A cell left empty takes "
      "the option's value, else what the file holds. Other columns are left out.\n\nEvery row "
      "gives its lines in the results table (as vexa report --format csv|json, with the row "
      "number first), a row that fails gives one row with the reason, and the others go on. "
      "The exit status is 1 when a row failed. The results do not depend on --jobs.");
  app.parse(args);
  b.format = format ? *format : output && FormatOfName(*output) == Format::kJson ? "json" : "csv";
  b.output = output.value_or("");
  b.pages = pages.value_or("");
  b.plots = plots.value_or("");
  b.jobs = jobs.value_or(0);
  b.input = SettingsOf(input, true);
  b.lines = LinesOf(lineOptions);
  // The bar only on a terminal, and only when this is the program's own standard error.
  b.progress = !b.noProgress && &err == &std::cerr && ::isatty(STDERR_FILENO);
  return RunBatch(b, in, out, err);
}

// Help text wrapped at 100 columns: an option's description continues under itself, a
// paragraph at the margin.
std::string Wrapped(const std::string& help) {
  constexpr std::size_t kWidth = 100, kColumn = 32;
  std::string out;
  std::size_t pos = 0;
  while (pos < help.size()) {
    const std::size_t nl = help.find('\n', pos);
    std::string line = help.substr(pos, nl == std::string::npos ? nl : nl - pos);
    pos = nl == std::string::npos ? help.size() : nl + 1;
    const std::size_t indent = line.size() > kColumn && line.compare(0, 2, "  ") == 0 ? kColumn : 0;
    while (line.size() > kWidth) {
      std::size_t cut = line.rfind(' ', kWidth);
      if (cut == std::string::npos || cut <= indent) break;
      out += line.substr(0, cut) + "\n";
      line = std::string(indent, ' ') + line.substr(cut + 1);
    }
    out += line + "\n";
  }
  return out;
}

struct Entry {
  const char* description;
  const char* usage;
  int (*run)(Command&, std::vector<std::string>, std::istream&, std::ostream&, std::ostream&);
};

const std::map<std::string, Entry>& Commands() {
  static const std::map<std::string, Entry> commands = {
      {"report",
       {"The results of titrations: the HTML results page, CSV, JSON or a PDF report.",
        "usage: vexa report [options] IN...\n", &Report}},
      {"import",
       {"Makes a .vexa file from a table of points or a spreadsheet.",
        "usage: vexa import [--v0 ML] [--pkw X] [--ctit MOL_L] [--title TEXT] -o OUT.vexa "
        "IN.csv\n",
        &Import}},
      {"export",
       {"Writes the points of a titration as CSV.", "usage: vexa export [-o OUT.csv] IN.vexa\n",
        &Export}},
      {"plot",
       {"Draws the graph of a titration as a PNG or SVG picture, without a display.",
        "usage: vexa plot [--linearised] [--size WxH] [--format png|svg] -o OUT.png|OUT.svg "
        "IN.vexa\n       (and [--scale F] [--auto-lines[=robust]] [--line FIRST-END]...)\n",
        &Plot}},
      {"batch",
       {"Analyses every titration a table lists, in parallel, into one results table.",
        "usage: vexa batch [--format csv|json] [-o OUT] [--pages DIR] [--plots DIR] [--jobs N] "
        "TABLE.csv\n",
        &Batch}},
  };
  return commands;
}

} // namespace

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return kBadUsage;
  }
  const std::string& name = args[0];
  if (name == "--help" || name == "-h" || name == "help") {
    out << kUsage << "\n" << kHelp;
    return kOk;
  }
  if (name == "--version") {
    out << "vexa " VEXA_VERSION "\n";
    return kOk;
  }
  const auto found = Commands().find(name);
  if (found == Commands().end()) {
    err << "vexa: unknown command " << name << "\n" << kUsage;
    return kBadUsage;
  }
  const Entry& entry = found->second;
  Command cmd(name, entry.description, entry.usage);
  // CLI11 takes the arguments last first.
  std::vector<std::string> rest(args.rbegin(), args.rend() - 1);
  try {
    return entry.run(cmd, std::move(rest), in, out, err);
  } catch (const CLI::CallForHelp&) {
    out << Wrapped(cmd.app->help());
    return kOk;
  } catch (const CLI::ParseError& e) {
    err << "vexa " << name << ": " << e.what() << "\n"
        << cmd.usage << "('vexa " << name << " --help' tells more)\n";
    return kBadUsage;
  } catch (const UsageError& e) {
    err << "vexa: " << e.message << "\n" << cmd.usage;
    return kBadUsage;
  } catch (const InputError& e) {
    err << "vexa: " << e.message << "\n";
    return kBadInput;
  } catch (const Unavailable& e) {
    err << "vexa: " << e.message << "\n";
    return kBadUsage;
  } catch (const std::bad_alloc&) {
    err << "vexa: out of memory\n";
    return kBadInput;
  }
}

} // namespace vexa::cli
