#pragma once
// The titration the benchmarks work on: n points of a smooth curve around an equivalence at
// 5 ml, with a little ripple so that no two differences are equal.
#include "document/TitrationSystem.h"

#include <cmath>
#include <cstdint>

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

// n points of a measured titration: 0.1 M acid, volumes read to 0.01 ml when that keeps them
// apart, pH read to 0.01 with noise of 0.005.
inline void MakeMeasuredTitration(TitrationSystem& sys, int n) {
  sys.pointCount = n;
  sys.AllocatePointArrays();
  std::uint64_t state = 12345;
  for (int i = 0; i < n; ++i) {
    const double v = 10.0 * i / (n - 1);
    sys.volume[i] = n <= 1000 ? std::round(v * 100) / 100 : v;
    state = state * 6364136223846793005u + 1442695040888963407u; // a plain LCG: same on every run
    const double noise = 0.005 * (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5);
    sys.pH[i] = std::round((7 + 4 * std::tanh((v - 5) * 1.5) + noise) * 100) / 100;
  }
  sys.RecomputeLinearised();
}

} // namespace vexa::bench
