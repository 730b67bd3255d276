// The point-table importer on arbitrary text, with and without the caller's choices: it never
// crashes, every point it accepts holds finite values >= 0, the columns it chose are distinct
// unless the caller chose them so, every parameter it found lies within its limits, and the
// rows of the text keep their lines in order.
#include "document/PointTable.h"
#include "document/TableText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses the options, the rest is the text.
  vexa::ImportOptions options;
  if (size > 0) {
    const std::uint8_t choice = data[0];
    if (choice & 1) options.potentials = vexa::PotentialCalibration{400, 59.16};
    if (choice & 2) {
      options.volumeColumn = vexa::ColumnChoice{"", 1 + (choice >> 2 & 3)};
      options.readingColumn = vexa::ColumnChoice{"", 1 + (choice >> 4 & 3)};
    } else if (choice & 64) {
      options.volumeColumn = vexa::ColumnChoice{"V", 0};
      options.readingColumn = vexa::ColumnChoice{"pH", 0};
    }
    ++data;
    --size;
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const vexa::TableText table = vexa::SplitTableText(text);
  int last = 0;
  for (const auto& row : table.rows) {
    if (row.line <= last || row.text.empty()) std::abort();
    if (row.comment != row.cells.empty() && row.comment) std::abort();
    last = row.line;
  }

  const vexa::PointTableImport r = vexa::ImportPointTable(text, options);
  if (r.ok && r.points.empty()) std::abort();
  if (!r.ok && (r.error.message.empty() || !r.points.empty())) std::abort();
  if (r.ok && !options.volumeColumn && r.volumeColumn == r.pHColumn) std::abort();
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
