#include "cli/Commands.h"
#include "cli/Plot.h"

#include "platform/Archive.h"
#include "document/PointTable.h"
#include "document/TitrationSystem.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "results/ResultsLog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <sys/stat.h>

#ifndef VEXA_VERSION
#define VEXA_VERSION "0.5.0"
#endif

namespace vexa::cli {

namespace {

constexpr const char* kUsage =
    "usage: vexa report [--auto-lines] [--font-size PCT] [--save OUT.vexa] [-o OUT.html] IN.vexa\n"
    "       vexa import [--v0 ML] [--pkw X] [--ctit MOL_L] [--title TEXT] -o OUT.vexa IN.csv\n"
    "       vexa export [-o OUT.csv] IN.vexa\n"
    "       vexa plot [--linearised] [--size WxH] [--format png|svg] -o OUT.png|OUT.svg IN.vexa\n"
    "       vexa --help | --version\n";

constexpr const char* kHelp =
    "vexa - titration analysis by the linearised titration-function method\n"
    "\n"
    "Commands:\n"
    "  report   write the HTML results page of a .vexa file\n"
    "           --auto-lines      place the lines automatically first\n"
    "           --font-size PCT   table font size: 25, 50, 75, 100 (default), 150, 200, 300\n"
    "           --save OUT.vexa   also store the system with its fitted lines\n"
    "           -o OUT.html       the page's file (default: standard output)\n"
    "  import   make a .vexa file from a table of points (V then pH on each line,\n"
    "           separated by ',', ';', tab or blanks; IN may be - for standard input);\n"
    "           a header line chooses the columns by name (V or V_ml, and pH), and a\n"
    "           comment line may state the parameters: # V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14\n"
    "           --v0 ML           initial volume, 0 ... 3000 ml (default 50)\n"
    "           --pkw X           pKw, 12 ... 16 (default 14)\n"
    "           --ctit MOL_L      titrant concentration, 0 ... 10 mol/l (default 0.01)\n"
    "                             (an option overrides the file; a default is said)\n"
    "           --title TEXT      system title, at most 199 characters of Windows-1251\n"
    "  export   write the points of a .vexa file as CSV (V_ml,pH,G)\n"
    "           -o OUT.csv        the CSV file (default: standard output)\n"
    "  plot     draw the graph of a .vexa file, its lines refitted, as PNG or SVG\n"
    "           --linearised      the linearised view (G against V) instead of pH against V\n"
    "           --size WxH        the picture's size in pixels (default 800x600)\n"
    "           --format png|svg  the picture's format (default: by the extension)\n"
    "           -o OUT.png|OUT.svg  the picture's file (- for standard output, PNG unless\n"
    "                             --format svg)\n"
    "\n"
    "An output named - is standard output. A link is followed to its target; a device\n"
    "or a FIFO is written directly. When a command fails, none of its outputs is written.\n"
    "\n"
    "Exit status: 0 success, 1 unreadable or invalid input, 2 wrong command line.\n";

struct UsageError {
  std::string message;
};
struct InputError {
  std::string message;
};

// The arguments of one command: options with values, flags and one input.
class ArgList {
public:
  ArgList(const std::vector<std::string>& args, std::vector<std::string> withValue,
          std::vector<std::string> flags) {
    for (std::size_t i = 1; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (std::find(withValue.begin(), withValue.end(), a) != withValue.end()) {
        if (i + 1 >= args.size()) throw UsageError{"option " + a + " needs a value"};
        if (values_.count(a)) throw UsageError{"option " + a + " given twice"};
        values_[a] = args[++i];
        if (values_[a].empty() && (a == "-o" || a == "--save"))
          throw UsageError{"option " + a + " needs a file name (- for standard output)"};
      } else if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
        flags_.push_back(a);
      } else if (a.size() > 1 && a[0] == '-') {
        throw UsageError{"unknown option " + a};
      } else {
        if (!input_.empty()) throw UsageError{"more than one input file: " + input_ + ", " + a};
        input_ = a;
      }
    }
    if (input_.empty()) throw UsageError{"no input file"};
  }
  const std::string& input() const { return input_; }
  bool flag(const std::string& f) const {
    return std::find(flags_.begin(), flags_.end(), f) != flags_.end();
  }
  std::optional<std::string> value(const std::string& opt) const {
    auto it = values_.find(opt);
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }

private:
  std::map<std::string, std::string> values_;
  std::vector<std::string> flags_;
  std::string input_;
};

double NumberOption(const ArgList& args, const std::string& opt, double fallback, double lo,
                    double hi) {
  const auto text = args.value(opt);
  if (!text) return fallback;
  double v = 0;
  if (!ParseTableNumber(*text, false, v))
    throw UsageError{opt + ": \"" + *text + "\" is not a number"};
  if (!(v >= lo && v <= hi)) {
    char range[128];
    std::snprintf(range, sizeof range, "%g and %g", lo, hi);
    throw UsageError{opt + ": " + *text + " is not between " + range};
  }
  return v;
}

std::string ReadInput(const std::string& path, std::istream& in) {
  if (path == "-") {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  platform::FileError fe;
  auto bytes = platform::ReadWholeFile(path, &fe);
  if (!bytes) throw InputError{fe.message};
  return std::move(*bytes);
}

void LoadSystem(TitrationSystem& sys, const std::string& path, std::istream& in) {
  const std::string bytes = ReadInput(path, in);
  try {
    Archive ar(bytes);
    sys.ReadFrom(ar);
  } catch (const ArchiveException& e) {
    throw InputError{path + ": not a VEXA file, or a damaged one (" + e.what() + ")"};
  }
}

struct Output {
  std::string path; // empty or "-": standard output
  std::string bytes;
  bool direct = false; // set when written: the path is a device, a FIFO or a descriptor
};

bool ToStandardOutput(const std::string& path) {
  return path.empty() || path == "-";
}

// True when two output paths reach the same file, so that one output would replace the
// other. Special files (/dev/null) may be named twice.
bool SameOutput(const std::string& a, const std::string& b) {
  if (ToStandardOutput(a) || ToStandardOutput(b)) return ToStandardOutput(a) && ToStandardOutput(b);
  struct stat st {};
  if (::stat(a.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
  std::error_code ec1, ec2;
  const auto ca = std::filesystem::weakly_canonical(a, ec1);
  const auto cb = std::filesystem::weakly_canonical(b, ec2);
  return !ec1 && !ec2 && ca == cb;
}

// Puts every output in place, or none: each file is first written beside its target and
// synced, then standard output is written, and only then are the files renamed into place.
// Marks the outputs that went to a device, a FIFO or a descriptor such as /dev/stdout (a
// line on standard output could garble those).
void WriteOutputs(std::vector<Output>& outputs, std::ostream& out) {
  std::vector<platform::PreparedWrite> files;
  files.reserve(outputs.size());
  platform::FileError fe;
  for (Output& o : outputs) {
    if (ToStandardOutput(o.path)) continue;
    files.emplace_back();
    if (!files.back().Prepare(o.path, o.bytes, &fe)) throw InputError{fe.message};
    o.direct = files.back().direct();
  }
  for (const Output& o : outputs) {
    if (!ToStandardOutput(o.path)) continue;
    out.write(o.bytes.data(), static_cast<std::streamsize>(o.bytes.size()));
    out.flush();
    if (!out) throw InputError{"cannot write to standard output"};
  }
  if (!platform::CommitAll(files, &fe)) throw InputError{fe.message};
}

void WriteOutput(const std::string& path, std::string bytes, std::ostream& out) {
  std::vector<Output> outputs{{path, std::move(bytes)}};
  WriteOutputs(outputs, out);
}

std::string StoreSystem(const TitrationSystem& sys) {
  Archive ar;
  sys.WriteTo(ar);
  return ar.TakeStored();
}

int Report(const std::vector<std::string>& argv, std::istream& in, std::ostream& out,
           std::ostream& err) {
  const ArgList args(argv, {"--font-size", "--save", "-o"}, {"--auto-lines"});
  int font = 100;
  if (const auto f = args.value("--font-size")) {
    const auto& allowed = kLogFontPercents;
    const auto it = std::find_if(std::begin(allowed), std::end(allowed),
                                 [&](int p) { return std::to_string(p) == *f; });
    if (it == std::end(allowed))
      throw UsageError{"--font-size: " + *f + " is not one of 25, 50, 75, 100, 150, 200, 300"};
    font = *it;
  }
  const auto save = args.value("--save");
  const auto html = args.value("-o");
  if (save && SameOutput(*save, html.value_or("")))
    throw UsageError{ToStandardOutput(*save)
                         ? "--save - and the page cannot both go to standard output"
                         : "--save and -o name the same file: " + *save};
  TitrationSystem sys;
  LoadSystem(sys, args.input(), in);
  if (args.flag("--auto-lines")) {
    // When no line is kept the page shows one empty line: say why, without failing.
    const std::string note = AutoLinesMessage(sys.SetAutoLines());
    if (!note.empty()) err << "vexa: " << note << "\n";
  }
  // As the graph does each time it is shown: every line in use clamped and refitted.
  sys.RefitAllLines();
  std::vector<Output> outputs;
  if (save) outputs.push_back({*save, StoreSystem(sys)});
  outputs.push_back({html.value_or(""), WriteResultsLog(sys, font)});
  WriteOutputs(outputs, out);
  if (html && !ToStandardOutput(*html) && !outputs.back().direct)
    out << "Results page written to " << *html << "\n";
  return kOk;
}

// The title given on the command line, as the document stores it.
std::string TitleOption(const std::string& title) {
  if (const auto bad = platform::FirstUnstorableCharacter(title))
    throw UsageError{"--title: " + bad->Describe() +
                     " cannot be stored: a title holds only characters of the Windows-1251 "
                     "code page"};
  const std::string ansi = platform::Utf8ToAnsi(title);
  if (ansi.size() > TitrationSystem::kTitleBytes - 1)
    throw UsageError{"--title: the title is longer than 199 characters"};
  return ansi;
}

int Import(const std::vector<std::string>& argv, std::istream& in, std::ostream& out,
           std::ostream& err) {
  const ArgList args(argv, {"--v0", "--pkw", "--ctit", "--title", "-o"}, {});
  const auto target = args.value("-o");
  if (!target) throw UsageError{"import needs -o OUT.vexa"};
  struct Given {
    SystemParameter which;
    const char* option;
    std::optional<double> value;
  };
  Given given[] = {{SystemParameter::kInitialVolume, "--v0", {}},
                   {SystemParameter::kTitrantConcentration, "--ctit", {}},
                   {SystemParameter::kPKw, "--pkw", {}}};
  for (Given& g : given) {
    const ParameterInfo& info = InfoOf(g.which);
    if (args.value(g.option))
      g.value = NumberOption(args, g.option, info.defaultValue, info.lowest, info.highest);
  }
  std::optional<std::string> title;
  if (const auto t = args.value("--title")) title = TitleOption(*t);

  const std::string name = args.input() == "-" ? "standard input" : args.input();
  const std::string text = ReadInput(args.input(), in);
  const PointTableImport table = ImportPointTable(text);
  if (!table.ok)
    throw InputError{name + (table.error.line ? ":" + std::to_string(table.error.line) : "") +
                     ": " + table.error.message};
  for (const TableWarning& w : table.warnings)
    err << "vexa: " << name << ":" << w.line << ": " << w.message << "\n";

  TitrationSystem sys;
  for (const Given& g : given) {
    const ParameterInfo& info = InfoOf(g.which);
    double value = info.defaultValue;
    if (g.value) {
      value = *g.value; // the command line overrides the file
    } else if (const auto& found = table.parameter(g.which)) {
      value = found->value;
    } else {
      char shown[64];
      std::snprintf(shown, sizeof shown, "%g", info.defaultValue);
      err << "vexa: no " << info.name << " in " << name << " or on the command line (" << g.option
          << "): using the default, " << shown << (*info.unit ? " " : "") << info.unit << "\n";
    }
    switch (g.which) {
    case SystemParameter::kInitialVolume: sys.initialVolume = value; break;
    case SystemParameter::kTitrantConcentration: sys.cTit = value; break;
    case SystemParameter::kPKw: sys.pKw = value; break;
    }
  }
  if (title) sys.SetTitle(*title);
  sys.pointCount = static_cast<int>(table.points.size());
  sys.AllocatePointArrays();
  for (int i = 0; i < sys.pointCount; ++i) {
    sys.volume[i] = table.points[static_cast<std::size_t>(i)].volume;
    sys.pH[i] = table.points[static_cast<std::size_t>(i)].pH;
  }
  sys.RecomputeLinearised();
  sys.lineCount = 1;
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = 0;
  sys.lines[0].status = kLineFewPoints;
  WriteOutput(*target, StoreSystem(sys), out);
  return kOk;
}

int Export(const std::vector<std::string>& argv, std::istream& in, std::ostream& out) {
  const ArgList args(argv, {"-o"}, {});
  TitrationSystem sys;
  LoadSystem(sys, args.input(), in);
  std::string csv = "V_ml,pH,G\n";
  char row[128];
  for (int i = 0; i < sys.pointCount; ++i) {
    std::snprintf(row, sizeof row, "%.17g,%.17g,%.17g\n", sys.volume[i], sys.pH[i], sys.g[i]);
    csv += row;
  }
  WriteOutput(args.value("-o").value_or(""), std::move(csv), out);
  return kOk;
}

} // namespace

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return kBadUsage;
  }
  const std::string& command = args[0];
  try {
    if (command == "--help" || command == "-h" || command == "help") {
      out << kUsage << "\n" << kHelp;
      return kOk;
    }
    if (command == "--version") {
      out << "vexa " VEXA_VERSION "\n";
      return kOk;
    }
    if (command == "report") return Report(args, in, out, err);
    if (command == "import") return Import(args, in, out, err);
    if (command == "export") return Export(args, in, out);
    if (command == "plot") return Plot(args, in, out, err);
    throw UsageError{"unknown command " + command};
  } catch (const UsageError& e) {
    err << "vexa: " << e.message << "\n" << kUsage;
    return kBadUsage;
  } catch (const InputError& e) {
    err << "vexa: " << e.message << "\n";
    return kBadInput;
  } catch (const std::bad_alloc&) {
    err << "vexa: "
        << "out of memory\n";
    return kBadInput;
  }
}

} // namespace vexa::cli
