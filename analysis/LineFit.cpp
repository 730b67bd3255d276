#include "analysis/LineFit.h"

#include "analysis/Student.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vexa {

void LineFit::WriteTo(ApproxLine& line) const {
  switch (status) {
  case kLineFitted:
    line.rhoXY = rhoXY;
    line.rhoAB = rhoAB;
    [[fallthrough]];
  case kLineTwoPoints:
    line.a = a;
    line.b = b;
    line.veq = veq;
    line.sigmaVeq = sigmaVeq;
    line.deltaA = deltaA;
    line.deltaB = deltaB;
    line.deltaVeq = deltaVeq;
    break;
  case kLineFitFailed:
    if (hasSlope) {
      line.a = a;
      line.b = b;
    }
    break;
  default: break;
  }
}

LineFit FitLeastSquares(std::span<const double> volume, std::span<const double> g, int firstPoint,
                        int endPoint) {
  LineFit fit;
  // The fit takes the points from the smaller to the larger number, both included.
  const long lo = std::min(firstPoint, endPoint);
  const long hi = std::max(firstPoint, endPoint);
  const auto size = static_cast<long>(std::min(volume.size(), g.size()));
  if (lo < 0 || hi >= size) { // callers clamp first; never read outside
    fit.status = kLineFitFailed;
    return fit;
  }
  const long n = hi - lo + 1;
  const double* x = volume.data();
  const double* y = g.data();

  if (n == 1) {
    fit.status = kLineFewPoints;
    return fit;
  }
  if (n == 2) {
    // Equal abscissas would give an infinite slope: nothing is computed.
    if (x[lo] == x[hi]) {
      fit.status = kLineFitFailed;
      return fit;
    }
    const long double b =
        (static_cast<long double>(y[lo]) - y[hi]) / (static_cast<long double>(x[lo]) - x[hi]);
    const long double a = y[lo] - b * x[lo];
    fit.status = kLineTwoPoints;
    fit.hasSlope = true;
    fit.b = static_cast<double>(b);
    fit.a = static_cast<double>(a);
    fit.veq = static_cast<double>(-a / b);
    return fit; // the error estimates stay 0
  }

  long double sx = 0, sy = 0, sxx = 0, sxy = 0;
  bool oneVolume = true;
  for (long i = lo; i <= hi; ++i) {
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
  fit.status = kLineFitFailed;
  if (oneVolume || d == 0) return fit;
  const long double a = (sy * sxx - sx * sxy) / d;
  const long double b = (nn * sxy - sx * sy) / d;
  fit.hasSlope = true;
  fit.a = static_cast<double>(a);
  fit.b = static_cast<double>(b);
  // The residuals are taken with the stored (double) A and B.
  const long double storedA = fit.a, storedB = fit.b;

  const long double mx = sx / nn, my = sy / nn;
  long double dxx = 0, dyy = 0, dxy = 0, sr = 0;
  for (long i = lo; i <= hi; ++i) {
    const long double dx = mx - x[i], dy = my - y[i];
    dxx += dx * dx;
    dyy += dy * dy;
    dxy += dx * dy;
    const long double r = y[i] - storedA - storedB * x[i];
    sr += r * r;
  }
  const long double s = std::sqrt(sr / (nn - 2));
  if (d * sxx < 0) return fit; // failed, with A and B computed

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

  fit.status = kLineFitted;
  fit.deltaA = static_cast<double>(deltaA);
  fit.deltaB = static_cast<double>(deltaB);
  fit.rhoAB = static_cast<double>(rhoAB);
  fit.rhoXY = static_cast<double>(rhoXY);
  fit.veq = static_cast<double>(veq);
  fit.deltaVeq = static_cast<double>(deltaVeq);
  fit.sigmaVeq = static_cast<double>(deltaVeq / t);
  return fit;
}

} // namespace vexa
