// The approximating lines of a titration system: the least-squares fit with its error
// estimates, the line table operations and the automatic placement.
#include "analysis/Student.h"
#include "document/TitrationSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vexa {

int TitrationSystem::FitLine(int index) {
  ApproxLine& line = lines[static_cast<std::size_t>(index)];
  // The fit takes the points from the smaller to the larger number, both included.
  const int lo = std::min(line.firstPoint, line.endPoint);
  const int hi = std::max(line.firstPoint, line.endPoint);
  if (lo < 0 || hi >= pointCount) return kLineFitFailed; // callers clamp first; never read outside
  const long n = static_cast<long>(hi) - lo + 1;
  const double* x = volume.data();
  const double* y = g.data();

  if (n == 1) return kLineFewPoints;
  if (n == 2) {
    // Equal abscissas would give an infinite slope: nothing is written.
    if (x[lo] == x[hi]) return kLineFitFailed;
    const long double b =
        (static_cast<long double>(y[lo]) - y[hi]) / (static_cast<long double>(x[lo]) - x[hi]);
    const long double a = y[lo] - b * x[lo];
    line.b = static_cast<double>(b);
    line.a = static_cast<double>(a);
    line.veq = static_cast<double>(-a / b);
    line.sigmaVeq = 0;
    line.deltaA = 0;
    line.deltaB = 0;
    line.deltaVeq = 0;
    return kLineTwoPoints;
  }

  long double sx = 0, sy = 0, sxx = 0, sxy = 0;
  bool oneVolume = true;
  for (int i = lo; i <= hi; ++i) {
    const long double xi = x[i], yi = y[i];
    oneVolume = oneVolume && x[i] == x[lo];
    sx += xi;
    sy += yi;
    sxx += xi * xi;
    sxy += xi * yi;
  }
  const long double nn = static_cast<long double>(n);
  const long double d = nn * sxx - sx * sx;
  // Points that all share one volume have no slope. The determinant says so only when the
  // sums happen to be exact: for a volume such as 41.77 it is a rounding residue instead.
  if (oneVolume || d == 0) return kLineFitFailed;
  const long double a = (sy * sxx - sx * sxy) / d;
  const long double b = (nn * sxy - sx * sy) / d;
  line.a = static_cast<double>(a);
  line.b = static_cast<double>(b);
  // The residuals are taken with the stored (double) A and B.
  const long double storedA = line.a, storedB = line.b;

  const long double mx = sx / nn, my = sy / nn;
  long double dxx = 0, dyy = 0, dxy = 0, sr = 0;
  for (int i = lo; i <= hi; ++i) {
    const long double dx = mx - x[i], dy = my - y[i];
    dxx += dx * dx;
    dyy += dy * dy;
    dxy += dx * dy;
    const long double r = y[i] - storedA - storedB * x[i];
    sr += r * r;
  }
  const long double s = std::sqrt(sr / (nn - 2));
  if (d * sxx < 0) return kLineFitFailed;

  const long double t = StudentCoefficient(static_cast<int>(std::min<long>(n - 2, 1000000)));
  const long double deltaA = t * s * std::sqrt(sxx / d);
  const long double deltaB = t * s * std::sqrt(nn / d);
  const long double rhoAB = -sx / std::sqrt(nn * sxx);
  // All G equal gives 0/0: the correlation is then not a number.
  const long double rhoXY = dxy / std::sqrt(dxx * dyy);
  const long double veq = -storedA / storedB;
  // A horizontal line never meets G = 0: its Veq and ΔV are infinite.
  const long double deltaVeq =
      storedB == 0 ? std::numeric_limits<long double>::infinity()
                   : std::sqrt(deltaA * deltaA + veq * veq * deltaB * deltaB) / std::fabs(storedB);

  line.deltaA = static_cast<double>(deltaA);
  line.deltaB = static_cast<double>(deltaB);
  line.rhoAB = static_cast<double>(rhoAB);
  line.rhoXY = static_cast<double>(rhoXY);
  line.veq = static_cast<double>(veq);
  line.deltaVeq = static_cast<double>(deltaVeq);
  line.sigmaVeq = static_cast<double>(deltaVeq / t);
  return kLineFitted;
}

void TitrationSystem::ClampLinePoints(int index) {
  ApproxLine& line = lines[static_cast<std::size_t>(index)];
  if (line.firstPoint < 0 || line.firstPoint >= pointCount) line.firstPoint = 0;
  if (line.endPoint < 0 || line.endPoint >= pointCount) line.endPoint = 0;
}

void TitrationSystem::RefitAllLines() {
  for (int j = 0; j < std::clamp(lineCount, 0, kMaxLines); ++j) {
    ClampLinePoints(j);
    lines[static_cast<std::size_t>(j)].status = FitLine(j);
  }
}

void TitrationSystem::AddLine() {
  if (lineCount >= kMaxLines) return;
  ApproxLine& line = lines[static_cast<std::size_t>(lineCount)];
  line.endPoint = 0;
  line.firstPoint = 0;
  line.status = kLineFewPoints;
  ++lineCount;
}

int TitrationSystem::DeleteLine(int index) {
  if (lineCount < 2) return -1;
  if (index < 0 || index >= lineCount) return -1;
  // The records behind move down whole; the last one stays in its slot as a stale copy.
  std::copy(lines.begin() + index + 1, lines.begin() + lineCount, lines.begin() + index);
  --lineCount;
  return 0;
}

double TitrationSystem::RelativeError(const ApproxLine& line) {
  return line.deltaVeq / line.veq * 100;
}

namespace {

// The measure automatic placement minimises. A ratio that is not a finite number (Veq = 0,
// NaN) is never better than anything.
double PlacementError(const ApproxLine& line) {
  const double r = std::fabs(TitrationSystem::RelativeError(line));
  return std::isfinite(r) ? r : std::numeric_limits<double>::infinity();
}

} // namespace

void TitrationSystem::SetAutoLines() {
  const int n = pointCount;
  auto emptyLine0 = [this] {
    lineCount = 1;
    lines[0].endPoint = 0;
    lines[0].firstPoint = 0;
    lines[0].status = kLineFewPoints;
  };
  if (n <= 2) {
    emptyLine0();
    return;
  }

  lineCount = 1;
  lines[0].firstPoint = 0;
  double best = 10000;
  int bestEnd = 0;
  for (int e = 2; e <= n - 1; ++e) {
    lines[0].endPoint = e;
    FitLine(0); // judged by what the record holds afterwards, whatever the fit returned
    const double r = PlacementError(lines[0]);
    if (r < best) {
      best = r;
      bestEnd = e;
    }
  }
  if (best < 10) {
    lines[0].endPoint = bestEnd;
    lines[0].status = FitLine(0);
    if (bestEnd == n - 1) return; // one line covers all points
    lineCount = 2;
  }

  const int k = lineCount - 1;
  ApproxLine& tail = lines[static_cast<std::size_t>(k)];
  tail.firstPoint = n - 1;
  best = 10000;
  bestEnd = 0;
  for (int e = n - 3; e >= 0; --e) {
    tail.endPoint = e;
    FitLine(k);
    const double r = PlacementError(tail);
    if (r < best) { // ties keep the larger end, the shorter line
      best = r;
      bestEnd = e;
    }
  }
  if (best < 10 && bestEnd > 0) {
    tail.endPoint = bestEnd;
    tail.status = FitLine(k);
  } else {
    --lineCount;
  }
  if (lineCount == 0) emptyLine0();
}

std::string TitrationSystem::StatusText(int index) const {
  const ApproxLine& line = lines[static_cast<std::size_t>(index)];
  char text[512];
  switch (line.status) {
  case kLineFitted:
    std::snprintf(text, sizeof text, "Line %d: Veq = %g ± %g (%g%%; %d-%d)", index + 1, line.veq,
                  line.deltaVeq, RelativeError(line), line.firstPoint, line.endPoint);
    break;
  case kLineTwoPoints:
    std::snprintf(text, sizeof text, "Line %d:Veq = %g (%d-%d)", index + 1, line.veq,
                  line.firstPoint, line.endPoint);
    break;
  case kLineFewPoints:
    std::snprintf(text, sizeof text, "Line %d. Note: Few point!", index + 1);
    break;
  default:
    std::snprintf(text, sizeof text, "Line %d. Error: Least Squares procedure is failed!",
                  index + 1);
    break;
  }
  return text;
}

} // namespace vexa
