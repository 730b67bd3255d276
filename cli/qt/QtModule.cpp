// vexa-qt.so: the Qt side of vexa (see cli/QtModule.h). Draws with the window program's own
// graph code on the offscreen platform; prints the report and reads spreadsheets when the
// build has those libraries.
#include "cli/QtModule.h"

#include "document/TitrationSystem.h"
#include "plot/GraphExport.h"
#include "gui/DrawSettings.h"
#include "gui/Profile.h"

#include <QGuiApplication>

#ifdef VEXA_WITH_REPORT
#include "report/Report.h"
#endif
#ifdef VEXA_WITH_SHEETS
#include "sheets/Spreadsheet.h"
#endif

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>

#ifndef VEXA_VERSION
#define VEXA_VERSION "0.5.0"
#endif

namespace {

using namespace vexa::cli;

// The toolkit's application object, made once, on the offscreen platform unless another is
// asked for.
void Prepare() {
  static std::once_flag once;
  std::call_once(once, [] {
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
    static QGuiApplication* app = new QGuiApplication(argc, argv); // lives to the end
    (void)app;
    std::setlocale(LC_ALL, "C"); // the toolkit takes the locale from the environment
  });
}

bool DoPlot(const PlotRequest& r, std::string* bytes, std::string* error) {
  if (!r.system) {
    if (error) *error = "no system to draw";
    return false;
  }
  Prepare();
  // The colours and marker the user chose for the window program.
  const DrawSettings settings = ReadDrawSettings(ProgramProfile());
  GraphPlot plot;
  plot.linearised = r.linearised;
  // Without a scale a picture larger than 800x600 is that graph drawn finer; with one, the
  // graph as the window shows it at width x height, drawn at scale times its pixels.
  const CSize size = r.scale > 0 ? CSize{static_cast<int>(r.width * r.scale + 0.5),
                                         static_cast<int>(r.height * r.scale + 0.5)}
                                 : CSize{r.width, r.height};
  const QByteArray picture = ExportGraph(plot, *r.system, settings, size,
                                         r.svg ? GraphFormat::Svg : GraphFormat::Png, r.scale);
  if (picture.isEmpty()) {
    if (error)
      *error = "cannot draw a picture of " + std::to_string(size.cx) + "x" +
               std::to_string(size.cy) + " pixels";
    return false;
  }
  bytes->assign(picture.constData(), static_cast<std::size_t>(picture.size()));
  return true;
}

#ifdef VEXA_WITH_REPORT
bool DoPdf(const PdfRequest& r, std::string* bytes, std::string* error) {
  Prepare();
  std::vector<ReportSystem> systems;
  systems.reserve(r.systems.size());
  for (const ReportEntry& e : r.systems) {
    if (!e.system) continue;
    systems.push_back(ReportSystem{*e.system, QString::fromStdString(e.name), e.checks, 0,
                                   QString::fromStdString(e.note)});
  }
  ReportOptions options;
  options.paper = r.letter ? ReportPaper::Letter : ReportPaper::A4;
  options.draw = ReadDrawSettings(ProgramProfile());
  const QByteArray pdf = ReportPdf(systems, options, {}, error);
  if (pdf.isEmpty()) return false;
  bytes->assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
  return true;
}
#endif

#ifdef VEXA_WITH_SHEETS
bool DoSheet(const std::string& path, const std::string& sheet,
             std::vector<std::vector<std::string>>* rows, std::string* sheetName,
             std::string* error) {
  std::optional<vexa::Sheet> read = vexa::ReadSheet(path, sheet, error);
  if (!read) return false;
  *rows = std::move(read->rows);
  *sheetName = read->name;
  return true;
}

bool DoIsSheet(const std::string& path) {
  return vexa::IsSpreadsheetFile(path);
}
#endif

// Nothing thrown in here reaches the program, which has a C++ library of its own: every entry
// catches what its work throws and says it as an error.
template <typename Work> bool Guarded(std::string* error, Work&& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    if (error) *error = "out of memory";
  } catch (const std::exception& e) {
    if (error) *error = std::string("the Qt module failed: ") + e.what();
  } catch (...) {
    if (error) *error = "the Qt module failed";
  }
  return false;
}

void PrepareGuarded() {
  std::string ignored;
  Guarded(&ignored, [] {
    Prepare();
    return true;
  });
}

bool Plot(const PlotRequest& r, std::string* bytes, std::string* error) {
  return Guarded(error, [&] { return DoPlot(r, bytes, error); });
}

#ifdef VEXA_WITH_REPORT
bool Pdf(const PdfRequest& r, std::string* bytes, std::string* error) {
  return Guarded(error, [&] { return DoPdf(r, bytes, error); });
}
#endif

#ifdef VEXA_WITH_SHEETS
bool Sheet(const std::string& path, const std::string& sheet,
           std::vector<std::vector<std::string>>* rows, std::string* sheetName,
           std::string* error) {
  return Guarded(error, [&] { return DoSheet(path, sheet, rows, sheetName, error); });
}

bool IsSheet(const std::string& path) {
  std::string ignored;
  return Guarded(&ignored, [&] { return DoIsSheet(path); });
}
#endif

const QtModule kModule = {
    kQtModuleInterface,
    sizeof(vexa::TitrationSystem),
    VEXA_VERSION,
    &PrepareGuarded,
    &Plot,
#ifdef VEXA_WITH_REPORT
    &Pdf,
#else
    nullptr,
#endif
#ifdef VEXA_WITH_SHEETS
    &Sheet,
    &IsSheet,
#else
    nullptr,
    nullptr,
#endif
};

} // namespace

extern "C" __attribute__((visibility("default"))) const QtModule* VexaQtModule() {
  return &kModule;
}
