// The line table of a titration system and the automatic placement of its lines; the fit
// itself is FitLeastSquares (LineFit.h).
#include "analysis/LineFit.h"
#include "document/TitrationSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vexa {

int TitrationSystem::FitLine(int index) {
  ApproxLine& line = lines[static_cast<std::size_t>(index)];
  const auto n = static_cast<std::size_t>(std::max(pointCount, 0));
  const LineFit fit =
      FitLeastSquares({volume.data(), volume.present() ? n : 0}, {g.data(), g.present() ? n : 0},
                      line.firstPoint, line.endPoint);
  fit.WriteTo(line);
  return fit.status;
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
