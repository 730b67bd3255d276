// The searches of automatic placement in linear time.
//
// A search tries the lines over points p0..p2, p0..p3, ... p0..pN-1, where the points are
// taken in table order (the head line) or backwards (the tail line), and keeps the first trial
// with the smallest relative error of Veq as the fit computes it. Refitting every trial costs
// time in the square of the number of points. Instead the points are added one at a time to
// running statistics: compensated sums of the volumes and G about the first point, and the
// residual sum of squares of the exact least-squares line, updated with the residual of each
// new point from the line of the points before it (a sum of non-negative terms, free of the
// cancellation of Σy² − ...). From these each trial's squared relative error is bounded from
// below and above, in double, allowing for every rounding the fit itself makes (its raw sums,
// its determinant, A and B stored as doubles, its residual sum) and for the rounding of the
// running statistics. Only the trials whose lower bound reaches the smallest upper bound can
// be the best; those few are refitted with the fit itself and compared as a full refit would
// compare them, so near-ties are decided exactly as before.
#include "analysis/AutoPlacement.h"
#include "analysis/LineFit.h"
#include "analysis/Student.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

namespace vexa {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// Unit roundoffs. The bounds below are first-order: they neglect products of two roundings.
// The long double one is taken eight times over to leave room for what they neglect; the
// double one appears with generous counts of operations.
constexpr double kUL = 8 * (static_cast<double>(LDBL_EPSILON) / 2);
constexpr double kUD = DBL_EPSILON / 2;

// Neumaier's compensated sum: the rounding of every addition is carried along.
struct CompensatedSum {
  long double sum = 0, carry = 0;
  void Add(long double v) {
    const long double t = sum + v;
    if (std::fabs(sum) >= std::fabs(v))
      carry += (sum - t) + v;
    else
      carry += (v - t) + sum;
    sum = t;
  }
  long double Value() const { return sum + carry; }
};

// The bounds of one trial's squared relative error.
struct TrialBounds {
  double lo2 = 0;    // never above the fit's value squared
  double hi2 = kInf; // never below it (infinite: it may fail or be infinite)
};

// What the running statistics hold for the k points of a trial, the first point p0 taken as
// origin (x0, y0): all but k in double, as the screening uses them.
struct TrialStats {
  double k;        // number of points
  double x0, y0;   // volume and G of the first point
  double mx, my;   // means of x - x0 and y - y0
  double sxx, sxy; // Σ(x - x̄)², Σ(x - x̄)(y - ȳ)
  double rss;      // residual sum of squares of the exact least-squares line
  double rssError; // a bound on the error of rss
  double xm, ym;   // max |x - x0|, max |y - y0|
};

// Bounds on the squared relative error (in per cent) that the fit computes for these points.
TrialBounds Bound(const TrialStats& s) {
  TrialBounds out;
  const double n = s.k;
  const double sxx = s.sxx, sxy = s.sxy;
  const double b = sxy / sxx, absB = std::fabs(b);
  const double xbar = s.x0 + s.mx, ybar = s.y0 + s.my;
  const double a = ybar - b * xbar;
  const double rss = s.rss, rssError = s.rssError + kUD * rss;

  // The raw sums the fit works with, and how far the fit's own can be from the exact ones:
  // any order of summation is within γ·Σ|term| of the exact sum.
  const double rawXX = sxx + n * xbar * xbar;
  const double rawYY = rss + b * sxy + n * ybar * ybar;
  const double rawX = n * xbar, rawY = n * ybar;
  const double rawXY = sxy + n * xbar * ybar;
  const double gamma = (n + 2) * kUL;
  const double eX = gamma * n * (std::fabs(s.x0) + s.xm);
  const double eY = gamma * n * (std::fabs(s.y0) + s.ym);
  const double eXX = gamma * rawXX;
  const double eXY = gamma * std::sqrt(rawXX * rawYY);
  // The fit's determinant n·Σx² − (Σx)² (exactly n·Sxx) and the numerators of B and A.
  const double d = n * sxx;
  const double ed = n * eXX + 2 * std::fabs(rawX) * eX + 3 * kUL * (n * rawXX + rawX * rawX);
  const double ebn = n * eXY + std::fabs(rawX) * eY + std::fabs(rawY) * eX +
                     3 * kUL * (n * std::fabs(rawXY) + std::fabs(rawX * rawY));
  const double ean = rawXX * eY + std::fabs(rawY) * eXX + std::fabs(rawX) * eXY +
                     std::fabs(rawXY) * eX +
                     3 * kUL * (std::fabs(rawY) * rawXX + std::fabs(rawX * rawXY));
  if (!(ed < 0.5 * d)) return out; // the fit's determinant may be anything: refit it

  // The running statistics against the exact values.
  const double relS = 14 * kUL * n * s.xm * s.xm / sxx + 2 * kUD;
  const double eSxy = 14 * kUL * n * s.xm * s.ym + kUD * std::fabs(sxy);
  const double eb = (eSxy + absB * relS * sxx) / sxx + 2 * kUD * absB;
  const double exbar = 4 * kUL * s.xm + 2 * kUD * std::fabs(xbar);
  const double eybar = 4 * kUL * s.ym + 2 * kUD * std::fabs(ybar);
  const double ea = eybar + std::fabs(xbar) * eb + absB * exbar +
                    3 * kUD * (std::fabs(ybar) + std::fabs(b * xbar));

  // The fit's B and A (rounded to double) against the exact ones, then against ours.
  const double bMax = absB + eb, aMax = std::fabs(a) + ea;
  const double dBFit = 2 * (ebn + bMax * ed) / d + (2 * kUL + kUD) * bMax;
  const double dAFit = 2 * (ean + aMax * ed) / d + (2 * kUL + kUD) * aMax;
  const double dB = dBFit + eb, dA = dAFit + ea;
  const double bLo = absB - dB, bHi = absB + dB;

  // Veq = −A/B.
  double veqLo = 0, veqHi = kInf;
  if (bLo > 0) {
    const double veq = std::fabs(xbar - ybar / b);
    const double ev =
        (dA + veq * dB) / bLo + 4 * kUD * (std::fabs(xbar) + std::fabs(ybar / b)) + 2 * kUD * veq;
    veqLo = std::max(0.0, veq - ev);
    veqHi = veq + ev;
  }

  // The fit's residual sum, taken with its own A and B: the exact minimum, plus what the
  // distance of its line from the exact one adds, give or take the rounding of its terms.
  const double offset = dAFit + std::fabs(xbar) * dBFit; // at the mean volume
  const double srLoExact = std::max(0.0, rss - rssError);
  const double srHiExact = rss + rssError + n * offset * offset + sxx * (1 + relS) * dBFit * dBFit;
  const double aFit = aMax + dAFit;
  const double termRounding =
      2 * kUL * std::sqrt(3 * (rawYY + n * aFit * aFit + bHi * bHi * rawXX));
  const double rootLo = std::max(0.0, std::sqrt(srLoExact) - termRounding);
  const double rootHi = std::sqrt(srHiExact) + termRounding;
  const double srLo = rootLo * rootLo * (1 - (n + 2) * kUL);
  const double srHi = rootHi * rootHi * (1 + (n + 2) * kUL);

  // Σx² and the determinant as the fit has them.
  const double eXXOurs = relS * sxx + 2 * n * std::fabs(xbar) * exbar + 3 * kUD * rawXX;
  const double xxLo = rawXX - eXX - eXXOurs, xxHi = rawXX + eXX + eXXOurs;
  const double dLo = d * (1 - relS) - ed, dHi = d * (1 + relS) + ed;

  // r² = 10⁴·t²·(Sr/(n−2))·(Σx²/Veq² + n)/(D·B²), from ΔV² = t²s²(Σx² + n·Veq²)/(D·B²).
  const long points = static_cast<long>(n);
  const double t = StudentCoefficient(static_cast<int>(std::min<long>(points - 2, 1000000)));
  const double scale = 1e4 * t * t / (n - 2);
  const double pLo = xxLo / (veqHi * veqHi) + n;
  const double pHi = veqLo > 0 ? xxHi / (veqLo * veqLo) + n : kInf;
  out.lo2 = scale * srLo * pLo / (dHi * bHi * bHi) * (1 - 64 * kUD);
  if (dLo > 0 && bLo > 0 && pHi < kInf)
    out.hi2 = scale * srHi * pHi / (dLo * bLo * bLo) * (1 + 64 * kUD);
  if (std::isnan(out.lo2) || std::isnan(out.hi2)) return TrialBounds{};
  return out;
}

struct Candidate {
  int j;      // the trial over the first j + 1 points
  double lo2; // its lower bound
};

// One search: points taken from the start or from the end of the table.
class Search {
public:
  Search(std::span<const double> volume, std::span<const double> g, bool fromEnd)
      : x_(volume), y_(g), fromEnd_(fromEnd),
        n_(static_cast<int>(std::min(volume.size(), g.size()))) {}

  int Point(int j) const { return fromEnd_ ? n_ - 1 - j : j; }

  PlacementTrial Run() {
    PlacementTrial best;
    if (n_ < 3) return best;
    Screen();
    // The candidates in the order of their lower bounds; a refit beats the best so far only
    // when smaller, or equal and tried earlier.
    std::sort(candidates_.begin(), candidates_.end(), [](const Candidate& l, const Candidate& r) {
      return l.lo2 < r.lo2 || (l.lo2 == r.lo2 && l.j < r.j);
    });
    double bestError = kInf;
    int bestJ = -1;
    for (const Candidate& c : candidates_) {
      if (c.lo2 > minHi2_) break;
      if (bestJ >= 0 && c.lo2 > bestError * bestError * (1 + 8 * kUD)) break;
      const LineFit fit = FitLeastSquares(x_, y_, Point(0), Point(c.j));
      const double r = fit.status == kLineFitted ? PlacementError(fit.deltaVeq, fit.veq) : kInf;
      if (r < bestError || (r == bestError && r < kInf && c.j < bestJ)) {
        bestError = r;
        bestJ = c.j;
      }
    }
    if (bestJ < 0) return best;
    best.found = true;
    best.firstPoint = Point(0);
    best.endPoint = Point(bestJ);
    best.relativeError = bestError;
    return best;
  }

private:
  void Consider(int j, const TrialBounds& bounds) {
    if (bounds.lo2 <= minHi2_) candidates_.push_back({j, bounds.lo2});
    if (bounds.hi2 < minHi2_) {
      minHi2_ = bounds.hi2;
      // Drop the candidates that can no longer win, now and then: linear time overall.
      if (candidates_.size() >= 2 * kept_ + 64) {
        std::erase_if(candidates_, [&](const Candidate& c) { return c.lo2 > minHi2_; });
        kept_ = candidates_.size();
      }
    }
  }

  void Screen() {
    const double x0 = x_[Point(0)], y0 = y_[Point(0)];
    // Every trial holds the first point; once a point is not finite, neither is any fit that
    // holds it (its sums, A or B become infinite or not a number): no such trial counts.
    if (!std::isfinite(x0) || !std::isfinite(y0)) return;
    CompensatedSum sumX, sumY, sumXX, sumXY;
    long double meanX = 0, meanY = 0; // of the points so far, about the first one
    long double sxx = 0, sxy = 0;
    long double rss = 0;
    double rssError = 0, xm = 0, ym = 0;
    bool oneVolume = true;
    for (int j = 1; j < n_; ++j) {
      const int p = Point(j);
      if (!std::isfinite(x_[p]) || !std::isfinite(y_[p])) break;
      const long double dxr = static_cast<long double>(x_[p]) - x0;
      const long double dyr = static_cast<long double>(y_[p]) - y0;
      oneVolume = oneVolume && x_[p] == x0;
      xm = std::max(xm, static_cast<double>(std::fabs(dxr)));
      ym = std::max(ym, static_cast<double>(std::fabs(dyr)));
      // The new point's distance from the means of the points before it.
      const long double dx = dxr - meanX, dy = dyr - meanY;
      sumX.Add(dxr);
      sumY.Add(dyr);
      sumXX.Add(dxr * dxr);
      sumXY.Add(dxr * dyr);
      const long double k = j + 1, kOld = j;
      const long double invK = 1 / k;
      const long double x1 = sumX.Value(), y1 = sumY.Value();
      meanX = x1 * invK;
      meanY = y1 * invK;
      const long double sxxNew = sumXX.Value() - x1 * meanX;
      const long double sxyNew = sumXY.Value() - x1 * meanY;
      const long double f = kOld * invK;

      // The residual sum grows by f·e²·Sxx/Sxx', e = dy − B·dx being the new point's residual
      // from the line of the points before it; while they all share one volume it is their
      // spread in G, which the first point of another volume leaves as it is.
      const double u = kUL;
      const double ddx = 6 * u * xm, ddy = 6 * u * ym;
      long double grow = 0;
      double growError = 0;
      if (sxx > 0) {
        const long double num = dy * sxx - sxy * dx;
        grow = f * num * num / (sxx * sxxNew);
        const double sO = static_cast<double>(sxx), sN = static_cast<double>(sxxNew);
        const double cO = static_cast<double>(std::fabs(sxy));
        const double adx = static_cast<double>(std::fabs(dx)),
                     ady = static_cast<double>(std::fabs(dy));
        const double eSO = 14 * u * static_cast<double>(kOld) * xm * xm;
        const double eSN = 14 * u * static_cast<double>(k) * xm * xm;
        const double eCO = 14 * u * static_cast<double>(kOld) * xm * ym;
        const double eNum =
            sO * ddy + ady * eSO + cO * ddx + adx * eCO + 3 * u * (ady * sO + cO * adx);
        const double aNum = static_cast<double>(std::fabs(num));
        const double g = static_cast<double>(grow);
        growError = static_cast<double>(f) * (2 * aNum * eNum + eNum * eNum) / (sO * sN) +
                    g * (eSO / sO + eSN / sN + 6 * u);
      } else if (dx == 0) {
        grow = f * dy * dy;
        const double ady = static_cast<double>(std::fabs(dy));
        growError = static_cast<double>(f) * (2 * ady * ddy + ddy * ddy) +
                    3 * u * static_cast<double>(grow);
      }
      rss += grow;
      rssError += growError + u * static_cast<double>(rss);
      sxx = sxxNew;
      sxy = sxyNew;

      if (j < 2 || oneVolume) continue; // a line over one volume fails: it never counts
      TrialStats s;
      s.k = static_cast<double>(k);
      s.x0 = x0;
      s.y0 = y0;
      s.mx = static_cast<double>(meanX);
      s.my = static_cast<double>(meanY);
      s.sxx = static_cast<double>(sxx);
      s.sxy = static_cast<double>(sxy);
      s.rss = static_cast<double>(rss);
      s.rssError = rssError;
      s.xm = xm;
      s.ym = ym;
      Consider(j, Bound(s));
    }
  }

  std::span<const double> x_, y_;
  bool fromEnd_;
  int n_;
  std::vector<Candidate> candidates_;
  std::size_t kept_ = 0;
  double minHi2_ = kInf;
};

} // namespace

PlacementTrial BestHeadTrial(std::span<const double> volume, std::span<const double> g) {
  return Search(volume, g, false).Run();
}

PlacementTrial BestTailTrial(std::span<const double> volume, std::span<const double> g) {
  return Search(volume, g, true).Run();
}

void TrialReplay::AddHeadTrials(std::span<const double> volume, std::span<const double> g) {
  AddTrials(volume, g, false);
}

void TrialReplay::AddTailTrials(std::span<const double> volume, std::span<const double> g) {
  AddTrials(volume, g, true);
}

void TrialReplay::AddTrials(std::span<const double> volume, std::span<const double> g,
                            bool fromEnd) {
  if (complete_) return;
  const int n = static_cast<int>(std::min(volume.size(), g.size()));
  if (n < 3) return;
  auto point = [&](int j) { return fromEnd ? n - 1 - j : j; };
  // Trials over points that all share the first one's volume fail and write nothing.
  int firstOther = 1;
  while (firstOther < n && volume[point(firstOther)] == volume[point(0)])
    ++firstOther;
  for (int j = n - 1; j >= std::max(2, firstOther); --j) {
    const LineFit fit = FitLeastSquares(volume, g, point(0), point(j));
    if (fit.status == kLineFitted) {
      fit.WriteTo(full_);
      hasFull_ = true;
      complete_ = true;
      return;
    }
    if (fit.status == kLineFitFailed && fit.hasSlope && !hasSlope_) {
      hasSlope_ = true;
      a_ = fit.a;
      b_ = fit.b;
    }
  }
}

void TrialReplay::WriteTo(ApproxLine& line) const {
  if (hasFull_) {
    const ApproxLine keep = line;
    line = full_;
    line.reserved72 = keep.reserved72;
    line.status = keep.status;
    line.firstPoint = keep.firstPoint;
    line.endPoint = keep.endPoint;
    line.reserved92 = keep.reserved92;
  }
  if (hasSlope_) {
    line.a = a_;
    line.b = b_;
  }
}

} // namespace vexa
