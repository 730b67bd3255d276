#include "cli/Plot.h"

#include <istream>
#include <ostream>

#ifdef VEXA_WITH_PLOT
#include "gui/DrawSettings.h"
#include "platform/Archive.h"
#include "document/TitrationSystem.h"
#include "gui/Profile.h"
#include "graph/GraphExport.h"
#include "platform/AtomicFile.h"

#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#endif

namespace vexa::cli {

#ifndef VEXA_WITH_PLOT

int Plot(const std::vector<std::string>&, std::istream&, std::ostream&, std::ostream& err) {
  err << "vexa: plot is not available: this vexa was built without the graph (Qt)\n";
  return 2;
}

#else

namespace {

struct PlotUsageError {
  std::string message;
};
struct PlotInputError {
  std::string message;
};

constexpr const char* kPlotUsage = "usage: vexa plot [--linearised] [--size WxH] [--format "
                                   "png|svg] -o OUT.png|OUT.svg|- IN.vexa\n";
constexpr int kMinSide = 16;
constexpr int kMaxSide = 8000;

struct PlotArgs {
  bool linearised = false;
  int width = 800;
  int height = 600;
  std::string output; // "-": standard output
  std::string input;
  GraphFormat format = GraphFormat::Png;
};

// "800x600": two whole numbers of kMinSide ... kMaxSide pixels.
bool ParseSize(const std::string& text, int& w, int& h) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  auto side = [](const std::string& s, int& v) {
    if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos)
      return false;
    v = std::stoi(s);
    return v >= kMinSide && v <= kMaxSide;
  };
  return side(text.substr(0, x), w) && side(text.substr(x + 1), h);
}

PlotArgs ParseArgs(const std::vector<std::string>& args) {
  PlotArgs p;
  bool sizeSeen = false;
  std::optional<GraphFormat> format;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--linearised") {
      p.linearised = true;
    } else if (a == "--size" || a == "-o" || a == "--format") {
      if (i + 1 >= args.size()) throw PlotUsageError{"option " + a + " needs a value"};
      const std::string& v = args[++i];
      if (a == "-o") {
        if (!p.output.empty()) throw PlotUsageError{"option -o given twice"};
        if (v.empty()) throw PlotUsageError{"-o needs a file name"};
        p.output = v;
      } else if (a == "--format") {
        if (format) throw PlotUsageError{"option --format given twice"};
        if (v == "png")
          format = GraphFormat::Png;
        else if (v == "svg")
          format = GraphFormat::Svg;
        else
          throw PlotUsageError{"--format: \"" + v + "\" is not png or svg"};
      } else {
        if (sizeSeen) throw PlotUsageError{"option --size given twice"};
        sizeSeen = true;
        if (!ParseSize(v, p.width, p.height))
          throw PlotUsageError{"--size: \"" + v + "\" is not WIDTHxHEIGHT, each " +
                               std::to_string(kMinSide) + " to " + std::to_string(kMaxSide)};
      }
    } else if (a.size() > 1 && a[0] == '-') {
      throw PlotUsageError{"unknown option " + a};
    } else {
      if (!p.input.empty()) throw PlotUsageError{"more than one input file: " + p.input + ", " + a};
      p.input = a;
    }
  }
  if (p.input.empty()) throw PlotUsageError{"no input file"};
  if (p.output.empty()) throw PlotUsageError{"plot needs -o OUT.png or -o OUT.svg"};
  // The format: --format, else the file's extension; standard output is PNG by default.
  const auto byName = GraphFormatForPath(QString::fromStdString(p.output));
  if (p.output == "-") {
    p.format = format.value_or(GraphFormat::Png);
  } else if (!byName && !format) {
    throw PlotUsageError{"-o: " + p.output + " does not end in .png or .svg (or give --format)"};
  } else if (byName && format && *byName != *format) {
    throw PlotUsageError{"--format and the extension of " + p.output + " disagree"};
  } else {
    p.format = format ? *format : *byName;
  }
  return p;
}

// The graph needs a GUI application object; the offscreen platform unless another is asked
// for. Made once and only for this command.
void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The toolkit's notes about the session (no runtime folder, no display) mean nothing here.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "vexa: %s\n", msg.toLocal8Bit().constData());
  });
  static int argc = 1;
  static char name[] = "vexa";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
  std::setlocale(LC_ALL, "C"); // the toolkit takes the locale from the environment
}

int RunPlot(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
  const PlotArgs p = ParseArgs(args);

  std::string bytes;
  if (p.input == "-") {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    platform::FileError fe;
    auto read = platform::ReadWholeFile(p.input, &fe);
    if (!read) throw PlotInputError{fe.message};
    bytes = std::move(*read);
  }
  TitrationSystem sys;
  try {
    Archive ar(bytes);
    sys.ReadFrom(ar);
  } catch (const ArchiveException& e) {
    throw PlotInputError{p.input + ": not a VEXA file, or a damaged one (" + e.what() + ")"};
  }

  EnsureGuiApplication();
  // The colours and marker the user chose for the window program.
  const CProfile profile = ProgramProfile();
  const DrawSettings settings = ReadDrawSettings(profile);
  GraphPlot plot;
  plot.linearised = p.linearised;
  // A picture larger than 800x600 is that graph drawn finer, not a larger graph.
  const QByteArray picture = ExportGraph(plot, sys, settings, CSize{p.width, p.height}, p.format);
  if (picture.isEmpty())
    throw PlotInputError{"cannot draw a picture of " + std::to_string(p.width) + "x" +
                         std::to_string(p.height) + " pixels"};
  const std::string_view image(picture.constData(), static_cast<std::size_t>(picture.size()));
  if (p.output == "-") {
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    out.flush();
    if (!out) throw PlotInputError{"cannot write to standard output"};
    return 0;
  }
  platform::FileError fe;
  platform::PreparedWrite file;
  if (!file.Prepare(p.output, image, &fe) || !file.Commit(&fe)) throw PlotInputError{fe.message};
  // A device or a descriptor such as /dev/stdout gets the picture alone.
  if (!file.direct()) out << "Graph written to " << p.output << "\n";
  return 0;
}

} // namespace

int Plot(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
         std::ostream& err) {
  try {
    return RunPlot(args, in, out);
  } catch (const PlotUsageError& e) {
    err << "vexa: " << e.message << "\n" << kPlotUsage;
    return 2;
  } catch (const PlotInputError& e) {
    err << "vexa: " << e.message << "\n";
    return 1;
  } catch (const std::bad_alloc&) {
    err << "vexa: out of memory\n";
    return 1;
  }
}

#endif

} // namespace vexa::cli
