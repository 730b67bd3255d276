#include "document/PointRows.h"

#include "document/TitrationSystem.h"

#include <algorithm>

namespace vexa {

std::vector<PointRow> PointRows(const TitrationSystem& sys, int index, int count) {
  const int n = std::max(sys.pointCount, 0);
  index = std::clamp(index, 0, n);
  count = std::clamp(count, 0, n - index);
  std::vector<PointRow> rows;
  rows.reserve(static_cast<std::size_t>(count));
  for (int i = index; i < index + count; ++i)
    rows.push_back({sys.volume[i], sys.pH[i]});
  return rows;
}

void ReplacePointRows(TitrationSystem& sys, int index, int removeCount,
                      std::span<const PointRow> rows) {
  const int old = std::max(sys.pointCount, 0);
  index = std::clamp(index, 0, old);
  removeCount = std::clamp(removeCount, 0, old - index);
  const int put = static_cast<int>(rows.size());
  const int tail = old - index - removeCount; // rows after the replaced ones
  const int n = old - removeCount + put;
  if (n > old) sys.SetPointCount(n);
  // Move the tail to its new place; the derivative scratch array is the graph's to refill.
  for (PointArray* a : {&sys.volume, &sys.pH, &sys.g}) {
    double* from = a->data() + index + removeCount;
    double* to = a->data() + index + put;
    if (to < from)
      std::copy(from, from + tail, to);
    else if (to > from)
      std::copy_backward(from, from + tail, to + tail);
  }
  sys.pointCount = n;
  for (int k = 0; k < put; ++k) {
    const int i = index + k;
    sys.volume[i] = rows[static_cast<std::size_t>(k)].volume;
    sys.pH[i] = rows[static_cast<std::size_t>(k)].pH;
    sys.g[i] = sys.LinearisedValue(sys.volume[i], sys.pH[i]);
  }
}

} // namespace vexa
