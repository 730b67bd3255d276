#pragma once
// The titration the benchmarks work on: n points of a smooth curve around an equivalence at
// 5 ml, with a little ripple so that no two differences are equal.
#include "document/TitrationSystem.h"

#include <cmath>

namespace vexa::bench {

inline void MakeTitration(TitrationSystem& sys, int n) {
  sys.pointCount = n;
  sys.AllocatePointArrays();
  for (int i = 0; i < n; ++i) {
    const double v = 10.0 * i / (n - 1);
    sys.volume[i] = v;
    sys.pH[i] = 7 + 4 * std::tanh((v - 5) * 1.5) + 0.01 * std::sin(i * 0.7);
  }
  sys.RecomputeLinearised();
}

} // namespace vexa::bench
