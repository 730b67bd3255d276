#include "analysis/RobustLines.h"

#include "analysis/Quantile.h"
#include "document/TitrationSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <numeric>
#include <utility>

namespace vexa {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The shortest window that the lack-of-fit test judges: a quadratic through fewer points
// leaves too few degrees of freedom for the test to reject anything.
constexpr int kShortestTested = 5;
// The fewest residuals from which the noise of the pH readings is judged, and the largest
// noise of a reading that the lines' error floor assumes.
constexpr int kFewestForNoise = 10;
constexpr double kNoisiestElectrode = 0.02;
// The scatter of the best pH readings, assumed where the points are too few to show theirs.
constexpr double kQuietestElectrode = 0.005;
// The least scatter a glass electrode's readings are held to: their reproducibility at best.
constexpr double kSteadiestElectrode = 0.002;
// The relative error at or above which a line is kept but marked.
constexpr double kMarkedError = 10;

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

const char* BranchName(Branch branch) {
  return branch == Branch::AcidExcess ? "acid-excess" : "base-excess";
}

// A range of point numbers, both included.
struct Run {
  int lo;
  int hi;
};

// What a window must satisfy to count as a line of its branch.
struct WindowRules {
  int slopeSign = -1;  // the sign the slope must have
  double slopeMin = 0; // bounds of |B|
  double slopeMax = kInf;
  double veqMin = -kInf; // where Veq may lie
  double veqMax = kInf;
};

// The noise of G per unit of scale² that the whole curve shows, with its degrees of freedom.
struct NoiseFloor {
  double factor = 0;
  int df = 1;
  bool measured = false; // read from the curve, not assumed
  // What the scatter of a window is held against: the measured noise with its degrees of
  // freedom, or, where the points are too few to show it, the noisiest electrode's (df 0: taken
  // as known).
  double testFactor = 0;
  int testDf = 0;
};

struct Window {
  bool found = false;
  int first = 0, last = 0;
  double a = 0, b = 0, veq = 0, halfWidth = 0, relativeError = 0;
  int df = 0;
  bool tested = false;
  bool quiet = true; // its points scatter no more than the readings' noise explains
};

// The lack-of-fit verdict of a window whose sums are known. Returns true when the straight
// line is not rejected against the quadratic at the 0.05 level.
struct Sums {
  double n = 0, su = 0, suu = 0, suuu = 0, suuuu = 0, sw = 0, suw = 0, suuw = 0, sww = 0;
};

bool Straight(const Sums& s, double sxx, double sxy, double syy, double ssr) {
  // Points on a line to the last digits: no test can tell anything from round-off.
  if (ssr <= 1e-20 * syy) return true;
  const double n = s.n;
  const double s12 = s.suuu - s.su * s.suu / n;
  const double s22 = s.suuuu - s.suu * s.suu / n;
  const double r2 = s.suuw - s.suu * s.sw / n;
  const double spread = s22 - s12 * s12 / sxx; // what u² adds beyond 1 and u
  if (!(spread > 0)) return true;
  const double lift = r2 - s12 * sxy / sxx;
  const double reduction = lift * lift / spread;
  const double rest = ssr - reduction;
  if (!(rest > 1e-20 * syy)) return false; // a quadratic fits to round-off, a line does not
  const int df = static_cast<int>(s.n) - 3;
  const double f = static_cast<double>(reduction / (rest / df));
  const double t = Student95(df);
  return f <= t * t;
}

// The window of contiguous points inside the runs that gives the smallest relative error of
// Veq among those the rules and the lack-of-fit test accept, and whose points scatter about the
// line no more than the readings' noise explains (an F test of the window's weighted residual
// variance against the curve's noise at the 0.05 level): three or four points curving away from
// a line pass the lack-of-fit test, which has no degrees of freedom left for them, but not this
// one. Only when no window is that quiet does the smallest error among the rest win (marked).
// The line is the ordinary least-squares line (the one the line table fits); its Veq's variance
// follows the noise of the readings: the scatter of G at a point is taken as proportional to
// `scale` there (the electrode's noise in pH makes the scatter of G proportional to the ions'
// own concentration), with the factor from the window's residuals, or from the noise of the
// whole curve when the window scatters less than that (a few points may lie on a line by
// chance). Sums are taken about the first point of each window, so the fit stays exact wherever
// the window lies.
Window BestWindow(const std::vector<double>& x, const std::vector<double>& y,
                  const std::vector<double>& scale, const NoiseFloor& floor,
                  const std::vector<Run>& runs, const WindowRules& rules) {
  // [0]: the best of the quiet windows, [1]: the best of all.
  Window best[2];
  double bestScore[2] = {kInf, kInf}; // squared relative error
  int bestCount[2] = {0, 0};
  // The scatter a window may show, for each of its possible degrees of freedom.
  int longest = 0;
  for (const Run& run : runs)
    longest = std::max(longest, run.hi - run.lo + 1);
  std::vector<double> allowed(static_cast<std::size_t>(std::max(longest - 1, 1)));
  for (std::size_t df = 1; df < allowed.size(); ++df)
    allowed[df] = floor.testFactor * Fisher95(static_cast<int>(df), floor.testDf) * (1 + 1e-9);
  for (const Run& run : runs) {
    for (int i = run.lo; i + 2 <= run.hi; ++i) {
      const double x0 = x[static_cast<std::size_t>(i)];
      const double y0 = y[static_cast<std::size_t>(i)];
      Sums s;
      // Sums with the variance weight v = scale² and its inverse.
      double v0 = 0, v1 = 0, v2 = 0, p0 = 0, p1 = 0, p2 = 0, py = 0, puy = 0, pyy = 0;
      for (int j = i; j <= run.hi; ++j) {
        const double u = x[static_cast<std::size_t>(j)] - x0;
        const double w = y[static_cast<std::size_t>(j)] - y0;
        const double uu = u * u;
        s.n += 1;
        s.su += u;
        s.suu += uu;
        s.suuu += uu * u;
        s.suuuu += uu * uu;
        s.sw += w;
        s.suw += u * w;
        s.suuw += uu * w;
        s.sww += w * w;
        const double q = scale[static_cast<std::size_t>(j)];
        const double var = q * q, inv = 1 / var;
        v0 += var;
        v1 += u * var;
        v2 += uu * var;
        p0 += inv;
        p1 += u * inv;
        p2 += uu * inv;
        py += w * inv;
        puy += u * w * inv;
        pyy += w * w * inv;
        if (j - i < 2) continue;
        const double n = s.n;
        const double sxx = s.suu - s.su * s.su / n;
        if (!(sxx > 0)) continue;
        const double sxy = s.suw - s.su * s.sw / n;
        const double b = sxy / sxx;
        if (!(b * rules.slopeSign > 0)) continue;
        const double absB = std::fabs(b);
        if (absB < rules.slopeMin || absB > rules.slopeMax) continue;
        const double ub = s.su / n, wb = s.sw / n;
        const double u0 = ub - (y0 + wb) / b; // where the line meets G = 0, about x0
        const double veq = x0 + u0;
        if (!(veq >= rules.veqMin && veq <= rules.veqMax)) continue;
        const int df = j - i - 1;
        // The noise factor: the scaled residuals' mean square.
        const double a0 = wb - b * ub; // the line about the window's first point
        double scaled =
            pyy - 2 * a0 * py - 2 * b * puy + a0 * a0 * p0 + 2 * a0 * b * p1 + b * b * p2;
        if (scaled < 0) scaled = 0;
        const double own = scaled / df;
        const bool curveNoise = own < floor.factor;
        const double c = curveNoise ? floor.factor : own;
        // A floor that was not measured (too few points) guards the window against lying on a
        // line by chance but lends it no degrees of freedom.
        const int tdf = curveNoise && floor.measured ? floor.df : df;
        const double d = u0 - ub;
        const double varMean = c * v0 / (n * n);
        const double varSlope = c * (v2 - 2 * ub * v1 + ub * ub * v0) / (sxx * sxx);
        const double covMeanSlope = c * (v1 - ub * v0) / (n * sxx);
        double variance = (varMean + d * d * varSlope + 2 * d * covMeanSlope) / (b * b);
        if (variance < 0) variance = 0;
        const double t = Student95(tdf);
        const double score = t * t * variance / (veq * veq);
        const int count = j - i + 1;
        // The best of all is never behind the best of the quiet ones: a window that cannot
        // better the latter betters neither.
        if (!(score < bestScore[0] || (score == bestScore[0] && count > bestCount[0]))) continue;
        // The scatter about the weighted line, against the noise of the curve.
        const double pxx = p2 - p1 * p1 / p0, pxy = puy - p1 * py / p0;
        double weightedRss = pyy - py * py / p0 - (pxx > 0 ? pxy * pxy / pxx : 0);
        if (weightedRss < 0) weightedRss = 0;
        const bool quiet =
            !(floor.testFactor > 0) || weightedRss / df <= allowed[static_cast<std::size_t>(df)];
        const bool tested = count >= kShortestTested;
        int straight = -1; // not yet known
        for (int tier = quiet ? 0 : 1; tier < 2; ++tier) {
          if (!(score < bestScore[tier] || (score == bestScore[tier] && count > bestCount[tier])))
            continue;
          if (tested && straight < 0) {
            const double syy = s.sww - s.sw * s.sw / n;
            double ssr = syy - b * sxy;
            if (ssr < 0) ssr = 0;
            straight = Straight(s, sxx, sxy, syy, ssr) ? 1 : 0;
          }
          if (straight == 0) break;
          bestScore[tier] = score;
          bestCount[tier] = count;
          Window& kept = best[tier];
          kept.found = true;
          kept.first = i;
          kept.last = j;
          kept.b = static_cast<double>(b);
          kept.a = static_cast<double>(y0 + wb - b * (ub + x0));
          kept.veq = static_cast<double>(veq);
          kept.halfWidth = static_cast<double>(t * std::sqrt(variance));
          kept.relativeError = static_cast<double>(std::sqrt(score) * 100);
          kept.df = tdf;
          kept.tested = tested;
          kept.quiet = quiet;
        }
      }
    }
  }
  return best[0].found ? best[0] : best[1];
}

// The maximal runs of points for which `keep` holds.
template <class Keep> std::vector<Run> RunsWhere(int count, Keep keep) {
  std::vector<Run> runs;
  int start = -1;
  for (int i = 0; i <= count; ++i) {
    const bool in = i < count && keep(i);
    if (in && start < 0) start = i;
    if (!in && start >= 0) {
      runs.push_back({start, i - 1});
      start = -1;
    }
  }
  return runs;
}

// Points in rising volume, with the pH noise and the derivative.
struct Curve {
  std::vector<double> v, pH;
  std::vector<int> index; // the point numbers in the record
};

Curve SortedCurve(const TitrationSystem& sys) {
  std::vector<int> order;
  for (int i = 0; i < sys.pointCount; ++i)
    if (std::isfinite(sys.volume[i]) && std::isfinite(sys.pH[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int l, int r) { return sys.volume[l] < sys.volume[r]; });
  Curve c;
  for (int i : order) {
    // Of several readings at one volume the last one stands.
    if (!c.v.empty() && c.v.back() == sys.volume[i]) {
      c.pH.back() = sys.pH[i];
      c.index.back() = i;
      continue;
    }
    c.v.push_back(sys.volume[i]);
    c.pH.push_back(sys.pH[i]);
    c.index.push_back(i);
  }
  return c;
}

double Median(std::vector<double> values) {
  if (values.empty()) return kNaN;
  const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

// The standard deviation of the pH readings: the robust spread of each point about the cubic
// through its two neighbours on either side (smooth parts of the curve leave almost nothing),
// and no less than the rounding of the readings allows.
double PHNoise(const Curve& c, double* rounding) {
  std::vector<double> scaled;
  for (std::size_t i = 2; i + 2 < c.v.size(); ++i) {
    const std::size_t nodes[4] = {i - 2, i - 1, i + 1, i + 2};
    double predicted = 0, weights = 1;
    for (std::size_t a = 0; a < 4; ++a) {
      double l = 1;
      for (std::size_t b = 0; b < 4; ++b)
        if (a != b) l *= (c.v[i] - c.v[nodes[b]]) / (c.v[nodes[a]] - c.v[nodes[b]]);
      predicted += l * c.pH[nodes[a]];
      weights += l * l;
    }
    scaled.push_back(std::fabs(c.pH[i] - predicted) / std::sqrt(weights));
  }
  if (scaled.empty())
    for (std::size_t i = 1; i + 1 < c.v.size(); ++i) {
      const double span = c.v[i + 1] - c.v[i - 1];
      const double w1 = (c.v[i + 1] - c.v[i]) / span, w2 = (c.v[i] - c.v[i - 1]) / span;
      const double r = c.pH[i] - (w1 * c.pH[i - 1] + w2 * c.pH[i + 1]);
      scaled.push_back(std::fabs(r) / std::sqrt(1 + w1 * w1 + w2 * w2));
    }
  // The median of a few large residuals (the jumps) and many small ones overstates the small
  // ones' spread: leave out what lies far beyond it, and take the median again.
  double sigma = scaled.empty() ? 0 : 1.4826 * Median(scaled);
  for (int pass = 0; pass < 4 && sigma > 0; ++pass) {
    std::vector<double> kept;
    for (double r : scaled)
      if (r <= 3 * sigma) kept.push_back(r);
    // A cut at three standard deviations leaves the median 0.997 of what it was.
    sigma = 1.4826 * Median(kept) / 0.9973;
  }
  double step = 0; // the last digit of the readings
  for (int digits = 0; digits <= 4 && step == 0; ++digits) {
    const double scale = std::pow(10.0, digits);
    bool whole = true;
    for (double p : c.pH)
      if (std::fabs(p * scale - std::round(p * scale)) >
          1e-6 * std::max(1.0, std::fabs(p * scale))) {
        whole = false;
        break;
      }
    if (whole) step = 1 / scale;
  }
  *rounding = step / std::sqrt(12.0);
  return std::max(sigma, *rounding);
}

// The jumps of the curve: peaks of |dpH/dV| in the direction of the titration that stand well
// above their surroundings and carry a pH change beyond the noise.
std::vector<EndPoint> FindEndPoints(const Curve& c, bool titrantIsBase, double noise) {
  std::vector<EndPoint> found;
  const std::size_t m = c.v.size() < 2 ? 0 : c.v.size() - 1;
  if (m < 3) return found;
  const double sign = titrantIsBase ? 1 : -1;
  std::vector<double> slope(m), mid(m), width(m);
  for (std::size_t k = 0; k < m; ++k) {
    width[k] = c.v[k + 1] - c.v[k];
    mid[k] = (c.v[k] + c.v[k + 1]) / 2;
    slope[k] = std::max(0.0, sign * (c.pH[k + 1] - c.pH[k]) / width[k]);
  }
  const double least = std::max(0.2, 10 * noise);
  for (std::size_t k = 1; k + 1 < m; ++k) {
    const double top = slope[k];
    if (!(top > slope[k - 1] && top >= slope[k + 1])) continue;
    double leftMin = top, rightMin = top;
    for (std::size_t l = k; l-- > 0 && slope[l] <= top;)
      leftMin = std::min(leftMin, slope[l]);
    for (std::size_t r = k + 1; r < m && slope[r] <= top; ++r)
      rightMin = std::min(rightMin, slope[r]);
    const double base = std::max(leftMin, rightMin);
    const double prominence = top - base;
    if (prominence < 0.5 * top) continue;
    std::size_t lo = k, hi = k;
    while (lo > 0 && slope[lo - 1] > base + prominence / 2)
      --lo;
    while (hi + 1 < m && slope[hi + 1] > base + prominence / 2)
      ++hi;
    double excess = 0;
    for (std::size_t i = lo; i <= hi; ++i)
      excess += (slope[i] - base) * width[i];
    if (excess < least) continue;

    EndPoint e;
    const double x0 = mid[k - 1], x1 = mid[k], x2 = mid[k + 1];
    const double y0 = slope[k - 1], y1 = top, y2 = slope[k + 1];
    const double denom = (x0 - x1) * (x0 - x2) * (x1 - x2);
    const double qa = (x2 * (y1 - y0) + x1 * (y0 - y2) + x0 * (y2 - y1)) / denom;
    const double qb = (x2 * x2 * (y0 - y1) + x1 * x1 * (y2 - y0) + x0 * x0 * (y1 - y2)) / denom;
    e.volume = qa < 0 ? std::clamp(-qb / (2 * qa), x0, x2) : x1;
    // The pH at that volume, on the polyline of the points.
    std::size_t at = k;
    while (at > 0 && c.v[at] > e.volume)
      --at;
    while (at + 1 < c.v.size() - 1 && c.v[at + 1] < e.volume)
      ++at;
    const double f = (e.volume - c.v[at]) / (c.v[at + 1] - c.v[at]);
    e.pH = c.pH[at] + f * (c.pH[at + 1] - c.pH[at]);
    e.slope = top;
    e.jump = excess;
    e.before = c.index[k];
    e.after = c.index[k + 1];
    found.push_back(e);
  }
  return found;
}

// The best window of a branch. The reading just after a jump's steepest step is the least
// trustworthy of all: it was taken right after the largest change of pH, before the electrode
// had settled, and any error in the volume counts most where the curve is steepest. It stays
// out of the windows; where the titrant's branch then holds no window, it is taken back. The
// reading before the step never joins the titrant's windows, so that none spans the step.
Window FitBranch(const TitrationSystem& sys, const std::vector<double>& v,
                 const std::vector<double>& g, const std::vector<double>& scale,
                 const NoiseFloor& floor, Branch branch, bool titrantSide,
                 const std::vector<EndPoint>& jumps, WindowRules rules) {
  const double sign = branch == Branch::AcidExcess ? 1 : -1;
  std::vector<char> left(static_cast<std::size_t>(std::max(sys.pointCount, 0)), 0);
  Window w;
  for (int pass = 0; pass < 2 && !w.found; ++pass) {
    if (pass > 0 && (jumps.empty() || !titrantSide)) break;
    std::fill(left.begin(), left.end(), 0);
    for (const EndPoint& e : jumps) {
      // The reading after the step; the one before it stays out of the titrant's windows so
      // that none spans the step.
      if (pass == 0 || !titrantSide) left[static_cast<std::size_t>(e.after)] = 1;
      if (titrantSide) left[static_cast<std::size_t>(e.before)] = 1;
    }
    const auto runs = RunsWhere(sys.pointCount, [&](int i) {
      const auto k = static_cast<std::size_t>(i);
      return !left[k] && std::isfinite(v[k]) && std::isfinite(g[k]) && sign * g[k] > 0 &&
             scale[k] > 0;
    });
    w = BestWindow(v, g, scale, floor, runs, rules);
  }
  return w;
}

BranchLine MakeLine(const Window& w, Branch branch, bool titrantExcess) {
  BranchLine line;
  line.branch = branch;
  line.titrantExcess = titrantExcess;
  line.firstPoint = w.first;
  line.endPoint = w.last;
  line.a = w.a;
  line.b = w.b;
  line.veq = w.veq;
  line.halfWidth = w.halfWidth;
  line.relativeError = w.relativeError;
  line.degreesOfFreedom = w.df;
  line.straightnessTested = w.tested;
  line.withinNoise = w.quiet;
  return line;
}

} // namespace

RobustAnalysis AnalyseChecks(const TitrationSystem& sys) {
  RobustAnalysis out;
  out.veq = kNaN;
  out.halfWidth = kNaN;
  const int n = std::max(sys.pointCount, 0);
  std::vector<double> v(static_cast<std::size_t>(n)), g(static_cast<std::size_t>(n));
  // The scatter of G at a point, up to the electrode's noise: (V0 + V)·(10^-pH + 10^(pH-pKw)).
  std::vector<double> scale(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    v[static_cast<std::size_t>(i)] = sys.volume[i];
    g[static_cast<std::size_t>(i)] = sys.g[i];
    scale[static_cast<std::size_t>(i)] =
        std::fabs(sys.initialVolume + sys.volume[i]) *
        (std::pow(10.0, -sys.pH[i]) + std::pow(10.0, sys.pH[i] - sys.pKw));
  }

  const Curve curve = SortedCurve(sys);
  if (curve.v.size() < 3) {
    out.warnings.push_back("Too few points for the checks");
    return out;
  }
  // The direction of the titration: does the pH rise with the volume?
  {
    const double mv =
        std::accumulate(curve.v.begin(), curve.v.end(), 0.0) / static_cast<double>(curve.v.size());
    const double mp = std::accumulate(curve.pH.begin(), curve.pH.end(), 0.0) /
                      static_cast<double>(curve.pH.size());
    double cov = 0;
    for (std::size_t i = 0; i < curve.v.size(); ++i)
      cov += (curve.v[i] - mv) * (curve.pH[i] - mp);
    out.titrantIsBase = !(cov < 0);
  }
  out.noisePH = PHNoise(curve, &out.roundingPH);
  NoiseFloor floor;
  // A pH noise of sigma scatters G by ln 10 * sigma * scale.
  // Few points tell little of the noise (their spread about each other is mostly the curve's
  // own bend): the floor then is what a good electrode shows at best, or the readings'
  // rounding if that is more. No electrode is held to be noisier than kNoisiestElectrode.
  const int noiseResiduals = static_cast<int>(curve.v.size()) - 4;
  floor.measured = noiseResiduals >= kFewestForNoise;
  const double floorNoise = floor.measured ? std::min(out.noisePH, kNoisiestElectrode)
                                           : std::max(out.roundingPH, kQuietestElectrode);
  floor.factor = std::pow(std::log(10.0) * floorNoise, 2);
  floor.df = std::max(1, noiseResiduals);
  // A window's scatter is held against the measured noise (no less than the steadiest
  // electrode's: smooth readings show less than any electrode reproduces); where the points are
  // too few to show it, against the noisiest electrode's, so that only a plain bend is taken for
  // one.
  const double testNoise = floor.measured ? std::max(floorNoise, kSteadiestElectrode)
                                          : std::max(out.roundingPH, kNoisiestElectrode);
  floor.testFactor = std::pow(std::log(10.0) * testNoise, 2);
  floor.testDf = floor.measured ? floor.df : 0;
  // Few points overstate the noise (their spread is mostly the curve's bend); many show it.
  const bool noiseMeasured = static_cast<int>(curve.v.size()) - 4 >= kFewestForNoise;
  out.endPoints =
      FindEndPoints(curve, out.titrantIsBase,
                    noiseMeasured ? out.noisePH : std::min(out.noisePH, kNoisiestElectrode));
  if (out.endPoints.empty())
    out.warnings.push_back("No jump of the pH curve stands clearly above the noise");

  const double vMin = curve.v.front(), vMax = curve.v.back();
  const double margin = 0.25 * (vMax - vMin);
  WindowRules rules;
  rules.slopeSign = out.titrantIsBase ? -1 : 1;
  rules.veqMin = vMin - margin;
  rules.veqMax = vMax + margin;
  const Branch titrantBranch = out.titrantIsBase ? Branch::BaseExcess : Branch::AcidExcess;
  const Branch analyteBranch = out.titrantIsBase ? Branch::AcidExcess : Branch::BaseExcess;
  const bool cTitKnown = std::isfinite(sys.cTit) && sys.cTit > 0;

  // The branch of the titrant's excess: its line's slope is the titrant concentration.
  std::vector<BranchLine> found;
  WindowRules titrantRules = rules;
  if (cTitKnown) {
    titrantRules.slopeMin = sys.cTit / 4;
    titrantRules.slopeMax = sys.cTit * 4;
  }
  Window titrant =
      FitBranch(sys, v, g, scale, floor, titrantBranch, true, out.endPoints, titrantRules);
  bool titrantSlopeChecked = cTitKnown;
  if (!titrant.found && cTitKnown) {
    titrant = FitBranch(sys, v, g, scale, floor, titrantBranch, true, out.endPoints, rules);
    titrantSlopeChecked = false;
  }
  if (titrant.found) {
    found.push_back(MakeLine(titrant, titrantBranch, true));
    found.back().slopeChecked = titrantSlopeChecked;
    if (cTitKnown && !titrantSlopeChecked)
      found.back().warnings.push_back(Format(
          "its slope %g is not within a factor of 4 of the titrant concentration %g: check Ctit",
          std::fabs(titrant.b), sys.cTit));
  }

  // The analyte's branch: a strong acid or base gives a line of the same slope there.
  const double reference = titrant.found ? std::fabs(titrant.b) : (cTitKnown ? sys.cTit : kNaN);
  WindowRules analyteRules = rules;
  if (std::isfinite(reference)) {
    analyteRules.slopeMin = reference / 2;
    analyteRules.slopeMax = reference * 2;
  }
  Window analyte =
      FitBranch(sys, v, g, scale, floor, analyteBranch, false, out.endPoints, analyteRules);
  bool analyteSlopeChecked = std::isfinite(reference);
  if (!analyte.found && !titrant.found && std::isfinite(reference)) {
    analyte = FitBranch(sys, v, g, scale, floor, analyteBranch, false, out.endPoints, rules);
    analyteSlopeChecked = false;
  }
  if (analyte.found) {
    found.push_back(MakeLine(analyte, analyteBranch, false));
    found.back().slopeChecked = analyteSlopeChecked;
    if (!analyteSlopeChecked && std::isfinite(reference))
      found.back().warnings.push_back(
          Format("its slope %g is not within a factor of 2 of the titrant concentration %g",
                 std::fabs(analyte.b), reference));
  }

  std::sort(found.begin(), found.end(),
            [](const BranchLine& l, const BranchLine& r) { return l.firstPoint < r.firstPoint; });
  for (std::size_t k = 0; k < found.size(); ++k) {
    BranchLine& line = found[k];
    if (line.relativeError >= kMarkedError)
      line.warnings.push_back(
          Format("the relative error of Veq is %.3g %% (10 %% or more)", line.relativeError));
    if (!line.straightnessTested)
      line.warnings.push_back(Format("%d points: too few to test that they lie on a straight line",
                                     line.endPoint - line.firstPoint + 1));
    if (!line.withinNoise)
      line.warnings.push_back("its points scatter about it more than the readings' noise explains");
  }
  out.lines = found;

  // Agreement of the two lines, and the estimate of the method. (The end points are known by
  // now: a disagreement is settled by them.)
  const BranchLine* titrantLine = nullptr;
  for (const BranchLine& line : out.lines)
    if (line.titrantExcess) titrantLine = &line;
  if (out.lines.size() == 2) {
    const BranchLine& l1 = out.lines[0];
    const BranchLine& l2 = out.lines[1];
    if (std::fabs(l1.veq - l2.veq) <= l1.halfWidth + l2.halfWidth) {
      out.agreement = Agreement::Agree;
      const double s1 = l1.halfWidth / Student95(l1.degreesOfFreedom);
      const double s2 = l2.halfWidth / Student95(l2.degreesOfFreedom);
      if (s1 > 0 && s2 > 0) {
        const double w1 = 1 / (s1 * s1), w2 = 1 / (s2 * s2);
        out.combinedVeq = (w1 * l1.veq + w2 * l2.veq) / (w1 + w2);
        out.combinedHalfWidth =
            Student95(l1.degreesOfFreedom + l2.degreesOfFreedom) / std::sqrt(w1 + w2);
      } else {
        // A line through its points exactly: its Veq stands as it is.
        const BranchLine& exact = s1 > 0 ? l2 : l1;
        out.combinedVeq = exact.veq;
        out.combinedHalfWidth = 0;
      }
      out.veq = out.combinedVeq;
      out.halfWidth = out.combinedHalfWidth;
    } else {
      out.agreement = Agreement::Disagree;
      out.warnings.push_back(Format("The two lines disagree: Veq = %g +/- %g and %g +/- %g do not "
                                    "overlap at the 0.05 level",
                                    l1.veq, l1.halfWidth, l2.veq, l2.halfWidth));
      // The line nearer a jump of the curve is the likelier one; without a jump, the line of
      // the titrant's excess, which holds for weak analytes too.
      auto offJump = [&](const BranchLine& l) {
        double best = kInf;
        for (const EndPoint& e : out.endPoints)
          best = std::min(best, std::fabs(l.veq - e.volume));
        return best;
      };
      const BranchLine& chosen = !out.endPoints.empty() ? (offJump(l1) <= offJump(l2) ? l1 : l2)
                                                        : (titrantLine ? *titrantLine : l1);
      out.veq = chosen.veq;
      out.halfWidth = chosen.halfWidth;
    }
  } else if (out.lines.size() == 1) {
    out.veq = out.lines[0].veq;
    out.halfWidth = out.lines[0].halfWidth;
  }

  // A weak analyte: its branch holds no line, and its first points lie far below the line a
  // strong one would give.
  const double veqGuess = titrant.found            ? titrant.veq
                          : !out.endPoints.empty() ? out.endPoints.back().volume
                                                   : kNaN;
  if (!analyte.found && std::isfinite(veqGuess) && std::isfinite(reference)) {
    const double v0 = curve.v.front();
    const double gFirst = sys.LinearisedValue(v0, curve.pH.front());
    const double strong = reference * std::fabs(veqGuess - v0);
    const double inBranch = analyteBranch == Branch::AcidExcess ? gFirst : -gFirst;
    if (v0 < veqGuess && inBranch < 0.3 * strong) out.weakAnalyte = true;
  }
  if (!analyte.found)
    out.warnings.push_back(
        out.weakAnalyte
            ? Format("The %s branch holds no straight line of the titrant's "
                     "slope: a weak %s",
                     BranchName(analyteBranch), out.titrantIsBase ? "acid" : "base")
            : Format("No straight line found in the %s branch", BranchName(analyteBranch)));
  if (!titrant.found)
    out.warnings.push_back(
        Format("No straight line found in the %s branch", BranchName(titrantBranch)));

  // The buffer-region function of a weak acid or base, before the first jump.
  if (out.weakAnalyte) {
    const double limit = !out.endPoints.empty() ? out.endPoints.front().volume : veqGuess;
    std::vector<double> f(static_cast<std::size_t>(n), kNaN);
    for (int i = 0; i < n; ++i) {
      const double vi = sys.volume[i], p = sys.pH[i];
      if (!(vi > 0 && vi < limit)) continue;
      f[static_cast<std::size_t>(i)] =
          out.titrantIsBase ? vi * std::pow(10.0, -p) : vi * std::pow(10.0, p - sys.pKw);
    }
    const auto runs = RunsWhere(n, [&](int i) {
      const double fi = f[static_cast<std::size_t>(i)];
      return std::isfinite(fi) && fi > 0;
    });
    WindowRules bufferRules = rules;
    bufferRules.slopeSign = -1;
    const Window w = BestWindow(v, f, f, floor, runs, bufferRules);
    if (w.found) {
      out.buffer.present = true;
      out.buffer.acid = out.titrantIsBase;
      out.buffer.firstPoint = w.first;
      out.buffer.endPoint = w.last;
      out.buffer.veq = w.veq;
      out.buffer.halfWidth = w.halfWidth;
      out.buffer.relativeError = w.relativeError;
      if (std::isfinite(out.veq) && out.endPoints.size() <= 1 &&
          std::fabs(w.veq - out.veq) > w.halfWidth + out.halfWidth)
        out.warnings.push_back(
            Format("The buffer-region function gives Veq = %g +/- %g, which does "
                   "not overlap the lines' Veq",
                   w.veq, w.halfWidth));
    } else {
      out.warnings.push_back("The buffer-region function holds no straight window");
    }
  }

  // Every line's warnings join the list, named by the line.
  std::vector<std::string> all;
  for (std::size_t k = 0; k < out.lines.size(); ++k)
    for (const std::string& w : out.lines[k].warnings)
      all.push_back(Format("Line %zu (%s): %s", k + 1, BranchName(out.lines[k].branch), w.c_str()));
  all.insert(all.end(), out.warnings.begin(), out.warnings.end());
  out.warnings = std::move(all);
  return out;
}

RobustAnalysis FindLines(TitrationSystem& sys) {
  RobustAnalysis analysis = AnalyseChecks(sys);
  if (analysis.lines.empty()) {
    sys.lineCount = 1;
    sys.lines[0].firstPoint = 0;
    sys.lines[0].endPoint = 0;
    sys.lines[0].status = kLineFewPoints;
    return analysis;
  }
  sys.lineCount = static_cast<int>(analysis.lines.size());
  for (std::size_t k = 0; k < analysis.lines.size(); ++k) {
    BranchLine& line = analysis.lines[k];
    ApproxLine& record = sys.lines[k];
    record.firstPoint = line.firstPoint;
    record.endPoint = line.endPoint;
    record.status = sys.FitLine(static_cast<int>(k));
    line.lineIndex = static_cast<int>(k);
  }
  return analysis;
}

std::string RobustSummary(const RobustAnalysis& analysis) {
  if (analysis.lines.empty()) return "No straight line found";
  switch (analysis.agreement) {
  case Agreement::Agree:
    return Format("Veq = %g +/- %g ml: the two lines agree", analysis.combinedVeq,
                  analysis.combinedHalfWidth);
  case Agreement::Disagree:
    return Format("The two lines disagree: Veq = %g +/- %g and %g +/- %g", analysis.lines[0].veq,
                  analysis.lines[0].halfWidth, analysis.lines[1].veq, analysis.lines[1].halfWidth);
  case Agreement::NotTested: break;
  }
  const BranchLine& line = analysis.lines[0];
  return Format("Veq = %g +/- %g ml: one line (%s)%s", line.veq, line.halfWidth,
                BranchName(line.branch),
                line.relativeError >= kMarkedError ? ", 10 % or more" : "");
}

} // namespace vexa
