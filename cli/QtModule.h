#pragma once
// The Qt side of vexa. Drawing (plot, the PDF report) and reading spreadsheets need Qt; every
// other command must start without loading a Qt library. So that part is a module of its own,
// "vexa-qt.so", installed beside the program and loaded the first time it is needed.
//
// The module is built from the same sources in the same build as the program, so the two
// share the engine's types as they are; the table below carries the build's version and the
// size of the titration record, and the program refuses a module that does not match.
#include <cstddef>
#include <string>
#include <vector>

namespace vexa {
class TitrationSystem;
struct RobustAnalysis;
} // namespace vexa

namespace vexa::cli {

inline constexpr int kQtModuleInterface = 1;
inline constexpr const char* kQtModuleFile = "vexa-qt.so";
inline constexpr const char* kQtModuleSymbol = "VexaQtModule";

// A picture of the graph. The drawing refits the system's lines (as the graph does when it
// is shown) and fills its derivative array.
struct PlotRequest {
  TitrationSystem* system = nullptr;
  bool linearised = false;
  int width = 800; // the picture's size in pixels
  int height = 600;
  // 0: a picture larger than 800x600 is that graph drawn finer. Else the graph as the window
  // shows it at width x height, drawn at scale times its pixels (print resolution).
  double scale = 0;
  bool svg = false;
};

// One system of a printed report.
struct ReportEntry {
  const TitrationSystem* system = nullptr;
  std::string name;                       // the file's name, for the running header
  const RobustAnalysis* checks = nullptr; // the robust method's checks, when it ran
  std::string note;                       // a line about the data, such as pH from potentials
};

struct PdfRequest {
  std::vector<ReportEntry> systems;
  bool letter = false; // US Letter instead of A4
};

struct QtModule {
  int interface;          // kQtModuleInterface
  std::size_t systemSize; // sizeof(TitrationSystem) in the module's build
  const char* version;    // the build's version

  // Makes what drawing needs (the toolkit's application object, on the offscreen platform
  // unless another is asked for), so that the thread that calls it is the toolkit's main
  // thread. The drawing functions call it themselves when it has not been called.
  void (*prepare)();
  // The picture's bytes (PNG or SVG). False with *error filled when it cannot be made.
  // Drawing is done by one thread at a time.
  bool (*plot)(const PlotRequest& request, std::string* bytes, std::string* error);
  // The bytes of a PDF report; null when the build has no report renderer.
  bool (*reportPdf)(const PdfRequest& request, std::string* bytes, std::string* error);
  // One sheet as rows of text cells (the first sheet when sheet is empty), and its name; null
  // when the build has no spreadsheet reader.
  bool (*readSheet)(const std::string& path, const std::string& sheet,
                    std::vector<std::vector<std::string>>* rows, std::string* sheetName,
                    std::string* error);
  // Whether the file is a spreadsheet, by its content; null as readSheet.
  bool (*isSpreadsheet)(const std::string& path);
};

// The function the module exports under kQtModuleSymbol.
using QtModuleEntry = const QtModule* (*)();

} // namespace vexa::cli
