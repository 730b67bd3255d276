#include "cli/QtSide.h"

#include "cli/Common.h"

#include "document/TitrationSystem.h"
#include "platform/DynamicLibrary.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#ifndef VEXA_VERSION
#define VEXA_VERSION "0.5.0"
#endif

namespace vexa::cli {

namespace {

struct Loaded {
  std::once_flag once;
  const QtModule* module = nullptr;
  std::string path;
  std::string error; // why it could not be loaded
};

Loaded& State() {
  static Loaded* state = new Loaded; // never destroyed: the module stays loaded to the end
  return *state;
}

void Load(Loaded& s) {
  const char* given = std::getenv("VEXA_QT_MODULE");
  s.path = given && *given ? given : platform::ProgramFolder() + kQtModuleFile;
  std::string why;
  auto library = platform::DynamicLibrary::Load(s.path, &why);
  if (!library) {
    s.error = "cannot load " + s.path + " (" + why + ")";
    return;
  }
  const auto entry = reinterpret_cast<QtModuleEntry>(library->Find(kQtModuleSymbol));
  const QtModule* module = entry ? entry() : nullptr;
  if (!module) {
    s.error = s.path + " is not the module of this vexa";
    return;
  }
  if (module->interface != kQtModuleInterface || module->systemSize != sizeof(TitrationSystem) ||
      std::string(module->version) != VEXA_VERSION) {
    s.error = s.path + " belongs to another build of vexa (" + module->version + ")";
    return;
  }
  library.release(); // kept loaded: the toolkit cannot be unloaded once it has run
  s.module = module;
}

std::mutex& DrawingLock() {
  static std::mutex lock;
  return lock;
}

} // namespace

const QtModule* QtSide(const std::string& what, std::string* error) {
#ifndef VEXA_HAS_QT_MODULE
  throw Unavailable{what + " is not available: this vexa was built without its Qt module"};
#endif
  Loaded& s = State();
  std::call_once(s.once, [&] { Load(s); });
  if (!s.module && error) *error = what + " needs vexa's Qt module: " + s.error;
  return s.module;
}

bool DrawPlot(const PlotRequest& request, std::string* bytes, std::string* error) {
  const QtModule* m = QtSide("plot", error);
  if (!m) return false;
  std::lock_guard<std::mutex> hold(DrawingLock());
  return m->plot(request, bytes, error);
}

bool DrawReportPdf(const PdfRequest& request, std::string* bytes, std::string* error) {
  const QtModule* m = QtSide("the PDF report", error);
  if (!m) return false;
  if (!m->reportPdf) {
    if (error) *error = "the PDF report is not available: this vexa was built without it";
    return false;
  }
  std::lock_guard<std::mutex> hold(DrawingLock());
  return m->reportPdf(request, bytes, error);
}

bool ReadSpreadsheet(const std::string& path, const std::string& sheet,
                     std::vector<std::vector<std::string>>* rows, std::string* sheetName,
                     std::string* error) {
  const QtModule* m = QtSide("reading spreadsheets", error);
  if (!m) return false;
  if (!m->readSheet) {
    if (error)
      *error = path + ": spreadsheets cannot be read: this vexa was built without the reader "
                      "(save the sheet as CSV)";
    return false;
  }
  return m->readSheet(path, sheet, rows, sheetName, error);
}

bool HasSpreadsheetName(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* known : {"xlsx", "xlsm", "xltx", "xltm", "ods", "ots", "xls", "xlt"})
    if (ext == known) return true;
  return false;
}

} // namespace vexa::cli
