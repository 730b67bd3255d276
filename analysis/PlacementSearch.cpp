// The searches of automatic placement in linear time.
//
// A search tries the lines over points p0..p2, p0..p3, ... p0..pN-1, where the points are
// taken in table order (the head line) or backwards (the tail line), and keeps the first trial
// with the smallest relative error of Veq as the fit computes it. Refitting every trial costs
// time in the square of the number of points. Instead the points are added one at a time to
// running statistics: compensated sums of the volumes and G about the first point, and the
// residual sum of squares of the exact least-squares line, which grows with every new point by
// a non-negative term (its residual from the line of the points before it, weighted), free of
// the cancellation of Σy² − .... Every rounding of these is bounded as they run. From them
// each trial's squared relative error is bounded from below and above, allowing also for every
// rounding the fit itself makes (its raw sums and determinant, A and B stored as doubles, its
// residual sum). Only the trials whose lower bound reaches the smallest upper bound can be the
// best; those are refitted with the fit itself and compared as a refit of every trial compares
// them, so near-ties are decided exactly as before.
//
// The statistics run in double first. Where that leaves many trials undecided (a very smooth
// curve, or points lying on a line to the last bits), they run again in long double for
// those trials. The head line then also keeps the fit's own first-pass sums, which a running
// sum in table order reproduces bit for bit: its A and B are known exactly and only its
// residual sum is bounded. The tail line's fit sums from its end point on, which no running
// sum reproduces; where its points lie on a line to the last bits (long runs of one pH
// reading in a densely sampled titration) its trials stay near-ties and are all refitted.
#include "analysis/AutoPlacement.h"
#include "analysis/Student.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vexa {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// Unit roundoffs, doubled: the bounds below are first-order and neglect products of two
// roundings; the factor keeps them on the safe side of what they neglect.
constexpr double kUnitDouble = std::numeric_limits<double>::epsilon();
constexpr double kUnitFit = std::numeric_limits<long double>::epsilon(); // the fit's arithmetic

// The Student coefficient for n points, as the fit takes it.
double Student(double n) {
  if (n >= 242) return 1.64; // the value from 240 degrees of freedom on
  return StudentCoefficient(static_cast<int>(n) - 2);
}

// Kahan's compensated sum: the rounding of every addition is carried into the next one. Its
// error is within (2u + O(k·u²))·Σ|term|.
template <typename Real> struct CompensatedSum {
  Real sum = 0, carry = 0;
  void Add(Real v) {
    const Real y = v - carry;
    const Real t = sum + y;
    carry = (t - sum) - y;
    sum = t;
  }
  Real Value() const { return sum; }
};

// The running statistics of the points added so far, in Real (double or long double), about
// the first point (x0, y0), each with a bound on its rounding error. The statistics are those
// of the points as rounded about the first one (x0 + (x - x0)); the bounds say how far the
// computed values are from the exact values for those points.
template <typename Real> class Running {
public:
  static constexpr double kUnit = std::numeric_limits<Real>::epsilon(); // doubled roundoff

  Running(double x0, double y0) : x0_(x0), y0_(y0) {}

  // Adds the next point. Returns false (and adds nothing) when it is not finite.
  bool Add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    const double u = kUnit;
    const Real dxr = static_cast<Real>(x) - x0_, dyr = static_cast<Real>(y) - y0_;
    oneVolume_ = oneVolume_ && x == x0_;
    const double adxr = std::fabs(static_cast<double>(dxr)) * (1 + kUnitDouble);
    const double adyr = std::fabs(static_cast<double>(dyr)) * (1 + kUnitDouble);
    xm_ = std::max(xm_, adxr);
    ym_ = std::max(ym_, adyr);
    absX_ += adxr;
    absY_ += adyr;
    absXY_ += adxr * adyr;
    // The new point's distance from the means of the points before it.
    const Real dx = dxr - meanX_, dy = dyr - meanY_;
    sumX_.Add(dxr);
    sumY_.Add(dyr);
    sumXX_.Add(dxr * dxr);
    sumXY_.Add(dxr * dyr);
    const Real kOld = k_;
    k_ += 1;
    const Real invK = 1 / k_, f = kOld * invK;
    const Real x1 = sumX_.Value(), y1 = sumY_.Value(), x2 = sumXX_.Value();
    const Real meanX = x1 * invK, meanY = y1 * invK;
    const Real sxx = x2 - x1 * meanX;
    const Real sxy = sumXY_.Value() - x1 * meanY;

    // The rounding of the new statistics. A compensated sum of k terms is within
    // (2u + k²u²)·Σ|term| of the exact sum, its terms here rounded by u each.
    const double k = static_cast<double>(k_);
    const double uSum = u * (3 + k * k * u);
    const double eX1 = uSum * absX_, eY1 = uSum * absY_;
    const double amx = std::fabs(static_cast<double>(meanX));
    const double amy = std::fabs(static_cast<double>(meanY));
    const double invKd = static_cast<double>(invK) * (1 + kUnitDouble);
    const double eMx = eX1 * invKd + 2 * u * amx, eMy = eY1 * invKd + 2 * u * amy;
    const double eS = uSum * static_cast<double>(x2) + 2 * amx * eX1 + 3 * u * k * amx * amx +
                      u * std::fabs(static_cast<double>(sxx));
    const double eC = uSum * absXY_ + amx * eY1 + amy * eX1 + 3 * u * k * amx * amy +
                      u * std::fabs(static_cast<double>(sxy));

    // The residual sum grows by f·e²·Sxx/Sxx', e = dy − B·dx the new point's residual from the
    // line of the points before it: f·num²/(Sxx·Sxx'), num = dy·Sxx − Sxy·dx. While those all
    // share one volume it is their spread in G, which the first point of another volume keeps.
    if (!(sxx > kSmall || (sxx == 0 && oneVolume_)) || !(sxx < kLarge)) unsafe_ = true;
    if (sxx_ > 0) {
      const Real num = dy * sxx_ - sxy_ * dx;
      if (num != 0 && std::fabs(num) < kTiny) unsafe_ = true;
      const Real invNew = 1 / sxx;
      const Real q = f * invOld_ * invNew;
      const Real grow = num * num * q;
      rss_ += grow;
      const double adx = std::fabs(static_cast<double>(dx)),
                   ady = std::fabs(static_cast<double>(dy));
      const double sO = static_cast<double>(sxx_), acO = std::fabs(static_cast<double>(sxy_));
      const double aNum = std::fabs(static_cast<double>(num));
      const double ddx = eMx_ + u * adx, ddy = eMy_ + u * ady;
      const double eNum =
          sO * ddy + ady * eS_ + acO * ddx + adx * eC_ + u * (ady * sO + acO * adx + aNum);
      const double rel =
          eS_ * static_cast<double>(invOld_) + eS * static_cast<double>(invNew) + 8 * u;
      rssError_ += static_cast<double>(q) * (2 * aNum * eNum + eNum * eNum) +
                   static_cast<double>(grow) * rel + u * static_cast<double>(rss_);
      invOld_ = invNew;
    } else {
      if (dx == 0) {
        const Real grow = f * dy * dy;
        rss_ += grow;
        const double ady = std::fabs(static_cast<double>(dy)), ddy = eMy_ + u * ady;
        rssError_ += static_cast<double>(f) * (2 * ady * ddy + ddy * ddy) +
                     4 * u * static_cast<double>(grow) + u * static_cast<double>(rss_);
      }
      if (sxx > 0) invOld_ = 1 / sxx;
    }
    meanX_ = meanX;
    meanY_ = meanY;
    sxx_ = sxx;
    sxy_ = sxy;
    eMx_ = eMx;
    eMy_ = eMy;
    eS_ = eS;
    eC_ = eC;
    return true;
  }

  bool OneVolume() const { return oneVolume_; }
  // Something underflowed or came near it: the bounds no longer hold, now or later.
  bool Unsafe() const { return unsafe_; }
  double K() const { return static_cast<double>(k_); }
  double X0() const { return x0_; }
  double Y0() const { return y0_; }
  Real MeanX() const { return meanX_; } // of x - x0
  Real MeanY() const { return meanY_; }
  Real Sxx() const { return sxx_; }
  Real Sxy() const { return sxy_; }
  Real Rss() const { return rss_; }
  double RssError() const { return rssError_; }
  double MeanXError() const { return eMx_; }
  double MeanYError() const { return eMy_; }
  double SxxError() const { return eS_; }
  double SxyError() const { return eC_; }
  double Xm() const { return xm_; } // max |x - x0|
  double Ym() const { return ym_; }

private:
  double x0_, y0_;
  Real k_ = 1; // the first point is the origin
  CompensatedSum<Real> sumX_, sumY_, sumXX_, sumXY_;
  Real meanX_ = 0, meanY_ = 0, sxx_ = 0, sxy_ = 0, rss_ = 0, invOld_ = 0;
  double absX_ = 0, absY_ = 0, absXY_ = 0, xm_ = 0, ym_ = 0;
  double eMx_ = 0, eMy_ = 0, eS_ = 0, eC_ = 0, rssError_ = 0;
  bool oneVolume_ = true, unsafe_ = false;
  static constexpr Real kTiny = 1e-140, kSmall = 1e-200, kLarge = 1e200;
};

// The bounds of one trial's squared relative error, in per cent squared.
struct TrialBounds {
  double lo2 = 0;    // never above the fit's value squared
  double hi2 = kInf; // never below it (infinite: it may fail or be infinite)
};

// The running statistics of a block of trials, in double, one array per quantity so that
// the bounds of a whole block are worked out in one loop the compiler can vectorise.
struct TrialBlock {
  static constexpr int kSize = 64;
  int count = 0;
  double unit = 0, x0 = 0, y0 = 0;
  int j[kSize];
  double k[kSize], mx[kSize], my[kSize], sxx[kSize], sxy[kSize], rss[kSize], rssError[kSize];
  double xm[kSize], ym[kSize], eMx[kSize], eMy[kSize], eS[kSize], eC[kSize], t[kSize];
  double safe[kSize]; // 1 while the statistics are free of underflow, else 0
  double lo2[kSize], hi2[kSize];

  template <typename Real> void Add(int trial, const Running<Real>& run);
  void Bound();
};

template <typename Real> void TrialBlock::Add(int trial, const Running<Real>& run) {
  const int i = count++;
  j[i] = trial;
  k[i] = run.K();
  mx[i] = static_cast<double>(run.MeanX());
  my[i] = static_cast<double>(run.MeanY());
  sxx[i] = static_cast<double>(run.Sxx());
  sxy[i] = static_cast<double>(run.Sxy());
  rss[i] = static_cast<double>(run.Rss());
  rssError[i] = run.RssError();
  xm[i] = run.Xm();
  ym[i] = run.Ym();
  eMx[i] = run.MeanXError();
  eMy[i] = run.MeanYError();
  eS[i] = run.SxxError();
  eC[i] = run.SxyError();
  t[i] = Student(run.K());
  safe[i] = run.Unsafe() ? 0 : 1;
}

// Bounds the squared relative error that the fit computes for the points of each trial, from
// the running statistics alone. Where they cannot tell (the fit's determinant may be
// anything) the bounds are 0 and infinity: the trial is then refitted.
void TrialBlock::Bound() {
  const double u = unit, ud = kUnitDouble, uf = kUnitFit;
  const double ax0 = std::fabs(x0), ay0 = std::fabs(y0);
  for (int i = 0; i < count; ++i) {
    const double n = k[i], xmi = xm[i], ymi = ym[i], s = sxx[i], c = sxy[i];
    const double invS = 1 / s;
    const double b = c * invS, absB = std::fabs(b);
    const double xbar = x0 + mx[i], ybar = y0 + my[i];
    const double axbar = std::fabs(xbar), aybar = std::fabs(ybar);
    const double a = ybar - b * xbar, absA = std::fabs(a);
    const double r = rss[i];
    const double syy = r + b * c; // Σ(y - ȳ)²

    // Our values against those of the exact points: their rounding, the rounding of the
    // points about p0 (by u·xm and u·ym each), and of the conversion to double.
    const double eSxx = eS[i] + u * (s + n * xmi * xmi) + ud * s;
    const double relS = eSxx * invS;
    const double eSxy = eC[i] + u * (s + syy + n * (xmi * xmi + ymi * ymi)) / 2 + ud * std::fabs(c);
    const double eb = (eSxy + absB * eSxx) * invS + 2 * ud * absB;
    const double exbar = eMx[i] + u * xmi + 2 * ud * axbar;
    const double eybar = eMy[i] + u * ymi + 2 * ud * aybar;
    const double ea = eybar + axbar * eb + absB * exbar + 3 * ud * (aybar + absB * axbar);

    // The fit's own values against the exact ones. Its raw sums are within (n+2)·uf·Σ|term|
    // of the exact sums in any order; with |x| ≤ xa and |y| ≤ ya every term is bounded, so
    // its determinant D = n·Σx² − (Σx)² (exactly n·Sxx) is within 3η·D, and the numerators
    // of B and A within 3η·D·ya/xa and 4η·D·ya, η = (n+4)·uf·n·xa²/Sxx. B and A are then
    // rounded to long double and to double.
    const double xa = ax0 + xmi, ya = ay0 + ymi;
    const double etaPerXa2 = (n + 4) * uf * n * invS;
    const double eta = etaPerXa2 * xa * xa;
    // The statistics say nothing when the fit's determinant may be anything, when they
    // underflowed, or when the residual sum is out of all proportion. (One comparison for
    // each choice below keeps the loop vectorisable.)
    const double doubt =
        std::max(std::max(3 * eta + relS, 1 - safe[i]), std::max(r, rssError[i]) * 1e-200);
    const bool known = doubt < 0.25;
    const double bMax = absB + eb, aMax = absA + ea;
    const double dBFit = 6 * (etaPerXa2 * xa * ya + eta * bMax) + (2 * uf + ud) * bMax;
    const double dAFit = 8 * eta * ya + 6 * eta * aMax + (2 * uf + ud) * aMax;
    // |B| and |A| of the fit.
    const double bLo = std::max(0.0, absB - dBFit - eb), bHi = bMax + dBFit;
    const double aLo = std::max(0.0, absA - dAFit - ea), aHi = aMax + dAFit;

    // The fit's residual sum is taken with its own A and B: the exact minimum plus, by
    // Pythagoras, n·c² + Sxx·δB² for a line off by c at the mean volume and δB in slope;
    // give or take the rounding of the points about p0 (u·(ym + |B|·xm) each), of each
    // residual (2·uf·(|r| + |B·x|)) and of their sum. In the root: (p+q+r)² ≤ 3·(p²+q²+r²).
    const double e = rssError[i] + ud * r;
    const double offset = dAFit + axbar * dBFit;
    const double rawXX = s + n * xbar * xbar;
    const double pointError = u * (ymi + bHi * xmi);
    const double c2 = 3 * (n * pointError * pointError + n * offset * offset +
                           s * (1 + relS) * dBFit * dBFit + 4.04 * uf * uf * bHi * bHi * rawXX);
    const double relSum = (n + 6) * uf;
    // (√(r − e) − c)² ≥ r − e − 2c·√r, and (√(r + e) + c)² = r + e + 2c·√(r + e) + c².
    const double srLo = std::max(0.0, r - e - 2 * std::sqrt(r * c2)) * (1 - relSum);
    const double srHi = (r + e + 2 * std::sqrt((r + e) * c2) + c2) * (1 + relSum);

    // Σx² and D as the fit has them.
    const double eXX = (n + 2) * uf * rawXX + relS * s + 2 * n * axbar * exbar + 3 * ud * rawXX;
    const double xxLo = rawXX - eXX, xxHi = rawXX + eXX;
    const double d = n * s;
    const double dLo = d * (1 - relS - 3 * eta), dHi = d * (1 + relS + 3 * eta);

    // r² = 10⁴·t²·(Sr/(n−2))·(Σx²/Veq² + n)/(D·B²), from ΔV² = t²·s²·(Σx² + n·Veq²)/(D·B²),
    // with Veq = |A|/|B| (the fit rounds it twice): Σx²/Veq² = Σx²·B²/A².
    const double k2 = 1e4 * t[i] * t[i];
    const double vq = (1 + 4 * ud) * (1 + 4 * ud), wq = (1 - 4 * ud) * (1 - 4 * ud);
    const double lo = k2 * srLo * (xxLo * bLo * bLo + n * aHi * aHi * vq) /
                      ((n - 2) * aHi * aHi * vq * dHi * bHi * bHi) * (1 - 64 * ud);
    const double hiDen = (n - 2) * aLo * aLo * wq * dLo * bLo * bLo;
    const double hiAny =
        k2 * srHi * (xxHi * bHi * bHi + n * aLo * aLo * wq) / hiDen * (1 + 64 * ud);
    const double hi = hiDen > 0 ? hiAny : kInf;
    // A slope of 0 makes Veq and ΔV infinite: never better.
    // Either bound that is not a number is replaced by its trivial value (the trial is then
    // refitted), as are both when the fit's determinant may be anything.
    const double loKnown = lo == lo ? lo : 0.0, hiKnown = hi == hi ? hi : kInf;
    const double loSure = known ? loKnown : 0.0, hiSure = known ? hiKnown : kInf;
    lo2[i] = bHi == 0 ? kInf : loSure;
    hi2[i] = bHi == 0 ? kInf : hiSure;
  }
}

// The first-pass sums of the fit over points 0..j, added in the order the fit adds them.
struct FitSums {
  long double sx = 0, sy = 0, sxx = 0, sxy = 0;
  void Add(double x, double y) {
    const long double xi = x, yi = y;
    sx += xi;
    sy += yi;
    sxx += xi * xi;
    sxy += xi * yi;
  }
};

// Bounds for a head trial, whose fit is known up to its residual sum: D, A, B, Veq and t
// exactly as the fit computes them, and the relative error as the fit computes it from its
// residual sum, which it never decreases. Only the residual sum is bounded.
// The running statistics are of the points scaled by powers of two (scaleX, scaleY); the
// fit's sums are of the points themselves.
TrialBounds HeadBound(const Running<long double>& run, const FitSums& sums, double scaleX,
                      double scaleY) {
  if (run.Unsafe()) return {};
  const double n = run.K();
  const long double nn = n;
  const long double d = nn * sums.sxx - sums.sx * sums.sx;
  if (d == 0) return {kInf, kInf}; // the fit fails
  const long double aFit = (sums.sy * sums.sxx - sums.sx * sums.sxy) / d;
  const long double bFit = (nn * sums.sxy - sums.sx * sums.sy) / d;
  const double storedA = static_cast<double>(aFit), storedB = static_cast<double>(bFit);
  if (d * sums.sxx < 0 || storedB == 0) return {kInf, kInf}; // fails, or ΔV is infinite
  const long double A = storedA, B = storedB;
  const long double veq = -A / B;
  const double veqStored = static_cast<double>(veq);
  const long double t = Student(n);
  auto relativeError = [&](long double sr) {
    const long double s = std::sqrt(sr / (nn - 2));
    const long double deltaA = t * s * std::sqrt(sums.sxx / d);
    const long double deltaB = t * s * std::sqrt(nn / d);
    const long double deltaVeq =
        std::sqrt(deltaA * deltaA + veq * veq * deltaB * deltaB) / std::fabs(B);
    return PlacementError(static_cast<double>(deltaVeq), veqStored);
  };

  // The exact residual sum with the fit's A and B, for the points as rounded about p0: the
  // minimum plus n·c² + Sxx·δB², c the fit's line less the exact one at the mean volume.
  // Worked out in the scaled units of the statistics, where A and B are exactly A·scaleY and
  // B·scaleY/scaleX, and the residual sum is that of the points times scaleY².
  const long double u = Running<long double>::kUnit;
  const long double sA = A * scaleY, sB = B * scaleY / scaleX;
  const long double xbar = run.X0() + run.MeanX(), ybar = run.Y0() + run.MeanY();
  const long double exbar = run.MeanXError() + u * std::fabs(xbar);
  const long double eybar = run.MeanYError() + u * std::fabs(ybar);
  const long double c = (sA + sB * xbar) - ybar;
  const long double ec = std::fabs(sB) * exbar + eybar +
                         2 * u * (std::fabs(sA) + std::fabs(sB * xbar) + std::fabs(ybar));
  const long double sxx = run.Sxx(), eS = run.SxxError() + u * sxx;
  const long double bOurs = run.Sxy() / sxx;
  const long double eb = (run.SxyError() + std::fabs(bOurs) * eS) / sxx + 2 * u * std::fabs(bOurs);
  const long double dB = sB - bOurs;
  const long double edB = eb + u * (std::fabs(sB) + std::fabs(bOurs));
  const long double rss = run.Rss(), rssError = run.RssError();
  auto below = [](long double v, long double e) { return std::max(0.0L, std::fabs(v) - e); };
  const long double lowC = below(c, ec), lowB = below(dB, edB);
  const long double highC = std::fabs(c) + ec, highB = std::fabs(dB) + edB;
  const long double srLo =
      std::max(0.0L, rss - rssError) + nn * lowC * lowC + std::max(0.0L, sxx - eS) * lowB * lowB;
  const long double srHi = rss + rssError + nn * highC * highC + (sxx + eS) * highB * highB;
  // Then for the exact points (each moved by u·(ym + |B|·xm) at most), and as the fit rounds
  // each residual (2·uf·(|r| + |B·x|)) and their sum.
  const long double uf = kUnitFit;
  const long double moved = std::sqrt(nn) * u * (run.Ym() + std::fabs(sB) * run.Xm());
  const long double rounded = 2 * uf * std::fabs(B) * std::sqrt(sums.sxx) * scaleY * 1.01L;
  const long double rootLo = std::max(0.0L, (std::sqrt(srLo) - moved) * (1 - 2 * uf) - rounded);
  const long double rootHi = (std::sqrt(srHi) + moved) * (1 + 2 * uf) + rounded;
  const long double relSum = (nn + 2) * uf;
  const long double back = 1 / (static_cast<long double>(scaleY) * scaleY); // a power of two
  const double lo = relativeError(rootLo * rootLo * (1 - relSum) * back);
  const double hi = relativeError(rootHi * rootHi * (1 + relSum) * back);
  TrialBounds out;
  out.lo2 = lo * lo * (1 - 4 * kUnitDouble);
  out.hi2 = hi * hi * (1 + 4 * kUnitDouble);
  if (std::isnan(out.lo2) || std::isnan(out.hi2)) return {};
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

  PlacementTrial Run(LineFit* bestFit) {
    PlacementTrial best;
    if (n_ < 3) return best;
    // Every trial holds the first point; once a point is not finite, neither is any fit that
    // holds it (its sums, A or B become infinite or not a number): no such trial counts.
    if (!std::isfinite(x_[Point(0)]) || !std::isfinite(y_[Point(0)])) return best;
    // The statistics work on the points scaled by powers of two to magnitudes below 1, so that
    // nothing in them overflows or underflows. The bounds allow for the fit's rounding to
    // double of A, B, Veq and ΔV as for numbers of the normal range, which they are for points
    // within 1e-100 ... 1e100; beyond that every trial is refitted.
    double maxX = 0, maxY = 0, minX = kInf, minY = kInf; // the least of those not 0
    for (int j = 0; j < n_ && std::isfinite(x_[Point(j)]) && std::isfinite(y_[Point(j)]); ++j) {
      const double x = std::fabs(x_[Point(j)]), y = std::fabs(y_[Point(j)]);
      maxX = std::max(maxX, x);
      maxY = std::max(maxY, y);
      if (x > 0) minX = std::min(minX, x);
      if (y > 0) minY = std::min(minY, y);
    }
    if (maxX == 0 || maxY == 0) return best; // one volume, or G = 0: every fit fails or has B = 0
    int ex = 0, ey = 0;
    std::frexp(maxX, &ex);
    std::frexp(maxY, &ey);
    scaleX_ = std::ldexp(1.0, -ex);
    scaleY_ = std::ldexp(1.0, -ey);
    // Scaled, every value but 0 must stay far from underflow (so that it scales exactly and
    // no product of two differences underflows): the least at 1e-120 of the greatest.
    const bool inRange = maxX >= 1e-100 && maxX <= 1e100 && maxY >= 1e-100 && maxY <= 1e100 &&
                         minX * scaleX_ >= 1e-120 && minY * scaleY_ >= 1e-120;
    if (!inRange) {
      CandidatesAll();
    } else {
      ScreenAll();
      Prune();
      // Where refitting what is left costs more than running again in long double up to the
      // last of them, narrower bounds first. The head line gains most: its fit is then known
      // but for its residual sum. The tail line gains only where the rounding of the running
      // statistics in double was what kept its trials apart.
      const double rerun = (fromEnd_ ? 32 : 3) * static_cast<double>(LastCandidate());
      if (RefitCost() > rerun) {
        ScreenCandidates();
        Prune();
      }
    }

    // The candidates in the order of their lower bounds; a refit beats the best so far when
    // smaller, or equal and tried earlier.
    std::sort(candidates_.begin(), candidates_.end(), [](const Candidate& l, const Candidate& r) {
      return l.lo2 < r.lo2 || (l.lo2 == r.lo2 && l.j < r.j);
    });
    double bestError = kInf;
    int bestJ = -1;
    LineFit bestLine;
    for (const Candidate& c : candidates_) {
      if (bestJ >= 0 && c.lo2 > bestError * bestError * (1 + 8 * kUnitDouble)) break;
      const LineFit fit = FitLeastSquares(x_, y_, Point(0), Point(c.j));
      const double r = fit.status == kLineFitted ? PlacementError(fit.deltaVeq, fit.veq) : kInf;
      if (r < bestError || (r == bestError && r < kInf && c.j < bestJ)) {
        bestError = r;
        bestJ = c.j;
        bestLine = fit;
      }
    }
    if (bestJ < 0) return best;
    best.found = true;
    best.firstPoint = Point(0);
    best.endPoint = Point(bestJ);
    best.relativeError = bestError;
    if (bestFit) *bestFit = bestLine;
    return best;
  }

private:
  int Point(int j) const { return fromEnd_ ? n_ - 1 - j : j; }

  // Every trial that may count is a candidate.
  void CandidatesAll() {
    for (int j = 1; j < n_; ++j) {
      if (!std::isfinite(x_[Point(j)]) || !std::isfinite(y_[Point(j)])) break;
      if (j >= 2) Consider(j, {});
    }
  }

  // Adds point j, scaled, to running statistics.
  template <typename Real> bool AddScaled(Running<Real>& run, int j) const {
    return run.Add(x_[Point(j)] * scaleX_, y_[Point(j)] * scaleY_);
  }
  template <typename Real> Running<Real> StartRunning() const {
    return Running<Real>(x_[Point(0)] * scaleX_, y_[Point(0)] * scaleY_);
  }

  // Bounds every trial.
  void ScreenAll() {
    Running<double> run = StartRunning<double>();
    TrialBlock block;
    block.unit = Running<double>::kUnit;
    block.x0 = run.X0();
    block.y0 = run.Y0();
    const double x0 = x_[Point(0)];
    bool oneVolume = true;
    for (int j = 1; j < n_; ++j) {
      if (!AddScaled(run, j)) break;
      oneVolume = oneVolume && x_[Point(j)] == x0;
      if (j < 2 || oneVolume) continue; // a line over one volume fails: it never counts
      block.Add(j, run);
      if (block.count == TrialBlock::kSize) ConsiderBlock(block);
    }
    ConsiderBlock(block);
  }

  void ConsiderBlock(TrialBlock& block) {
    block.Bound();
    for (int i = 0; i < block.count; ++i)
      Consider(block.j[i], {block.lo2[i], block.hi2[i]});
    block.count = 0;
  }

  // Bounds again, more narrowly, the trials that are still candidates.
  void ScreenCandidates() {
    std::vector<Candidate> before;
    before.swap(candidates_);
    kept_ = 0;
    std::sort(before.begin(), before.end(),
              [](const Candidate& l, const Candidate& r) { return l.j < r.j; });
    Running<long double> run = StartRunning<long double>();
    FitSums sums;
    sums.Add(x_[Point(0)], y_[Point(0)]);
    std::size_t next = 0;
    for (int j = 1; j < n_ && next < before.size(); ++j) {
      if (!AddScaled(run, j)) break;
      if (!fromEnd_) sums.Add(x_[Point(j)], y_[Point(j)]);
      if (before[next].j != j) continue;
      TrialBounds narrow;
      if (fromEnd_) {
        TrialBlock one;
        one.unit = Running<long double>::kUnit;
        one.x0 = run.X0();
        one.y0 = run.Y0();
        one.Add(j, run);
        one.Bound();
        narrow = {one.lo2[0], one.hi2[0]};
      } else {
        narrow = HeadBound(run, sums, scaleX_, scaleY_);
      }
      narrow.lo2 = std::max(narrow.lo2, before[next].lo2); // both bounds hold
      Consider(j, narrow);
      ++next;
    }
  }

  void Consider(int j, const TrialBounds& bounds) {
    if (bounds.lo2 <= minHi2_) candidates_.push_back({j, bounds.lo2});
    if (bounds.hi2 < minHi2_) {
      minHi2_ = bounds.hi2;
      // Drop the candidates that can no longer win, now and then: linear time overall.
      if (candidates_.size() >= 2 * kept_ + 64) [[unlikely]]
        Prune();
    }
  }

  [[gnu::noinline]] void Prune() {
    std::erase_if(candidates_, [&](const Candidate& c) { return c.lo2 > minHi2_; });
    kept_ = candidates_.size();
  }

  // Points to refit for the candidates left, and the last candidate trial.
  double RefitCost() const {
    double cost = 0;
    for (const Candidate& c : candidates_)
      cost += c.j + 1;
    return cost;
  }
  int LastCandidate() const {
    int last = 0;
    for (const Candidate& c : candidates_)
      last = std::max(last, c.j);
    return last;
  }

  std::span<const double> x_, y_;
  bool fromEnd_;
  int n_;
  std::vector<Candidate> candidates_;
  std::size_t kept_ = 0;
  double minHi2_ = kInf;
  double scaleX_ = 1, scaleY_ = 1; // powers of two
};

} // namespace

PlacementTrial BestHeadTrial(std::span<const double> volume, std::span<const double> g,
                             LineFit* bestFit) {
  return Search(volume, g, false).Run(bestFit);
}

PlacementTrial BestTailTrial(std::span<const double> volume, std::span<const double> g,
                             LineFit* bestFit) {
  return Search(volume, g, true).Run(bestFit);
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
