// The point-table importer on arbitrary text: it never crashes, every point it accepts holds
// finite values >= 0, the columns it chose are distinct, and every parameter it found lies
// within its limits.
#include "document/PointTable.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vexa::PointTableImport r =
      vexa::ImportPointTable(std::string_view(reinterpret_cast<const char*>(data), size));
  if (r.ok && r.points.empty()) std::abort();
  if (!r.ok && (r.error.message.empty() || !r.points.empty())) std::abort();
  if (r.ok && r.volumeColumn == r.pHColumn) std::abort();
  for (const auto& p : r.points)
    if (!std::isfinite(p.volume) || !std::isfinite(p.pH) || p.volume < 0 || p.pH < 0) std::abort();
  for (const auto which : vexa::kSystemParameters) {
    const auto& found = r.parameter(which);
    const vexa::ParameterInfo& info = vexa::InfoOf(which);
    if (r.ok && found && !(found->value >= info.lowest && found->value <= info.highest))
      std::abort();
  }
  return 0;
}
