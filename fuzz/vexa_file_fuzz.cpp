// The .vexa reader on arbitrary bytes: it either reads a system whose arrays and lines are
// safe to use, or refuses the file and leaves a new system.
#include "platform/Archive.h"
#include "document/TitrationSystem.h"
#include "results/ResultsLog.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vexa::TitrationSystem sys;
  vexa::Archive ar(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    sys.ReadFrom(ar);
  } catch (const vexa::ArchiveException&) {
    if (sys.pointCount != 1 || sys.lineCount != 1) std::abort();
    return 0;
  }
  if (sys.pointCount < 1 || sys.lineCount < 1 || sys.lineCount > 10) std::abort();
  // What the programs do with a file they have read: refit, report, store again.
  sys.RefitAllLines();
  if (sys.pointCount < 5000) sys.SetAutoLines();
  (void)vexa::WriteResultsLog(sys, 100);
  vexa::Archive out;
  sys.WriteTo(out);
  if (out.Stored().size() != static_cast<std::size_t>(vexa::TitrationSystem::FileSize(sys.pointCount)))
    std::abort();
  return 0;
}
