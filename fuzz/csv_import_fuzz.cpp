// The point-table importer on arbitrary text: it never crashes, and every point it accepts
// holds finite values >= 0.
#include "document/PointTable.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<vexa::TablePoint> points;
  vexa::TableError error;
  const bool ok = vexa::ParsePointTable(
      std::string_view(reinterpret_cast<const char*>(data), size), points, &error);
  if (ok && points.empty()) std::abort();
  if (!ok && error.message.empty()) std::abort();
  for (const auto& p : points)
    if (!std::isfinite(p.volume) || !std::isfinite(p.pH) || p.volume < 0 || p.pH < 0) std::abort();
  return 0;
}
