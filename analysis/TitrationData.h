#pragma once
// A titration as the analysis reads it: the points (V, pH and G, in table order) and the three
// system parameters. The record hands this view of itself to the methods that only read it.
#include <cmath>
#include <span>

namespace vexa {

struct TitrationData {
  std::span<const double> volume, pH, g;
  double initialVolume = 50;
  double pKw = 14;
  double cTit = 0.01;

  int Count() const { return static_cast<int>(volume.size()); }
  // G = (V0 + V)·(10^-pH − 10^(pH − pKw)).
  double LinearisedValue(double v, double ph) const {
    return (initialVolume + v) * (std::pow(10.0, -ph) - std::pow(10.0, ph - pKw));
  }
};

} // namespace vexa
