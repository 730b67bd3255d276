#pragma once
// Puts points with the given V and G straight into a record: the fit reads only V and G.
#include "document/TitrationSystem.h"

#include <vector>

namespace vexa::test {

inline void SetPoints(TitrationSystem& sys, const std::vector<double>& v,
                      const std::vector<double>& g) {
  sys.pointCount = static_cast<int>(v.size());
  sys.AllocatePointArrays();
  for (std::size_t i = 0; i < v.size(); ++i) {
    sys.volume[static_cast<int>(i)] = v[i];
    sys.g[static_cast<int>(i)] = g[i];
  }
}

} // namespace vexa::test
