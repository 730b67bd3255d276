#include "analysis/Quantile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vexa {

namespace {

// Beyond this many degrees of freedom the expansion about the normal quantile is exact to
// far better than any use here, and the finite series would take thousands of terms.
constexpr int kSeriesLimit = 300;

// The normal quantile z with P(|Z| <= z) = level, by safeguarded Newton steps on erf.
double NormalTwoSidedQuantile(double level) {
  double lo = 0, hi = 40, z = 2;
  for (int i = 0; i < 200; ++i) {
    const double f = std::erf(z / std::numbers::sqrt2) - level;
    if (f > 0)
      hi = z;
    else
      lo = z;
    const double slope = std::sqrt(2 / std::numbers::pi) * std::exp(-z * z / 2);
    double next = z - f / slope;
    if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    if (std::fabs(next - z) < 1e-15 * (1 + z)) return next;
    z = next;
  }
  return z;
}

// The expansion of the t quantile in powers of 1/df about the normal quantile z.
double CornishFisher(double z, double df) {
  const double z2 = z * z, z3 = z2 * z, z5 = z3 * z2, z7 = z5 * z2, z9 = z7 * z2;
  return z + (z3 + z) / (4 * df) + (5 * z5 + 16 * z3 + 3 * z) / (96 * df * df) +
         (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / (384 * df * df * df) +
         (79 * z9 + 776 * z7 + 1482 * z5 - 1920 * z3 - 945 * z) / (92160 * df * df * df * df);
}

// Density of |T| at t.
double TwoSidedDensity(double t, int df) {
  const double v = df;
  const double logC =
      std::lgamma((v + 1) / 2) - std::lgamma(v / 2) - 0.5 * std::log(v * std::numbers::pi);
  return 2 * std::exp(logC - (v + 1) / 2 * std::log1p(t * t / v));
}

} // namespace

double StudentTwoSidedProbability(double t, int df) {
  if (!(t > 0)) return 0;
  if (std::isinf(t)) return 1;
  if (df > kSeriesLimit) {
    // The normal limit corrected to first order; used only for the lack-of-fit level.
    const double v = df;
    const double z = t * (1 - 1 / (4 * v)) / std::sqrt(1 + t * t / (2 * v));
    return std::erf(z / std::numbers::sqrt2);
  }
  // The finite series for whole degrees of freedom.
  const double theta = std::atan(t / std::sqrt(static_cast<double>(df)));
  const double c2 = std::cos(theta) * std::cos(theta);
  const double s = std::sin(theta);
  if (df % 2 == 1) {
    double sum = 0;
    if (df > 1) {
      double term = 1;
      sum = 1;
      for (int k = 2; k <= df - 3; k += 2) {
        term *= c2 * k / (k + 1);
        sum += term;
      }
      sum *= s * std::cos(theta);
    }
    return 2 / std::numbers::pi * (theta + sum);
  }
  double term = 1, sum = 1;
  for (int k = 1; k <= df - 3; k += 2) {
    term *= c2 * k / (k + 1);
    sum += term;
  }
  return s * sum;
}

double StudentTwoSidedQuantile(double level, int df) {
  if (!(level > 0)) return 0;
  if (!(level < 1)) return INFINITY;
  if (df < 1) df = 1;
  if (df == 1) return std::tan(std::numbers::pi * level / 2);
  if (df == 2) return level * std::sqrt(2 / (1 - level * level));
  const double z = NormalTwoSidedQuantile(level);
  double t = CornishFisher(z, df);
  if (df > kSeriesLimit) return t;
  // Newton steps on the exact distribution, kept inside a bracket.
  double lo = 0, hi = 2 * t + 10;
  for (int i = 0; i < 100; ++i) {
    const double f = StudentTwoSidedProbability(t, df) - level;
    if (f > 0)
      hi = t;
    else
      lo = t;
    double next = t - f / TwoSidedDensity(t, df);
    if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    if (std::fabs(next - t) < 1e-13 * (1 + t)) return next;
    t = next;
  }
  return t;
}

double Student95(int df) {
  constexpr int kTable = 256;
  static const std::array<double, kTable> table = [] {
    std::array<double, kTable> values{};
    for (int k = 1; k < kTable; ++k)
      values[static_cast<std::size_t>(k)] = StudentTwoSidedQuantile(0.95, k);
    return values;
  }();
  if (df < 1) df = 1;
  if (df < kTable) return table[static_cast<std::size_t>(df)];
  return CornishFisher(1.959963984540054, df);
}

double Fisher95(int d1, int d2) {
  constexpr double kZ = 1.6448536269514722; // the one-sided 0.05 normal quantile
  if (d1 < 1) d1 = 1;
  const bool finite = d2 >= 1;
  if (d1 == 1) {
    const double t = finite ? Student95(d2) : 1.959963984540054;
    return t * t;
  }
  if (d1 == 2) {
    const double v = d2;
    return finite ? v / 2 * (std::pow(0.05, -2 / v) - 1) : -std::log(0.05);
  }
  // ((1 - b) y - (1 - a)) / sqrt(b y^2 + a) = z for y = F^(1/3), solved for its larger root.
  const double a = 2.0 / (9.0 * d1), b = finite ? 2.0 / (9.0 * d2) : 0.0;
  const double qa = (1 - b) * (1 - b) - kZ * kZ * b;
  const double qb = (1 - a) * (1 - b);
  const double qc = (1 - a) * (1 - a) - kZ * kZ * a;
  const double y = (qb + std::sqrt(std::max(0.0, qb * qb - qa * qc))) / qa;
  return y * y * y;
}

} // namespace vexa
