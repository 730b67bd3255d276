#include "core/ReferenceAutoLines.h"

#include <cmath>
#include <limits>

namespace vexa::test {

AutoLinesOutcome ReferenceSetAutoLines(TitrationSystem& sys, FailedTrials failed) {
  const int n = sys.pointCount;
  AutoLinesOutcome outcome;
  outcome.pointCount = n;
  auto emptyLine0 = [&sys] {
    sys.lineCount = 1;
    sys.lines[0].endPoint = 0;
    sys.lines[0].firstPoint = 0;
    sys.lines[0].status = kLineFewPoints;
  };
  if (n <= 2) {
    emptyLine0();
    return outcome;
  }
  auto trial = [&](int k) {
    const int code = sys.FitLine(k);
    if (code != kLineFitted && failed == FailedTrials::NeverCount)
      return std::numeric_limits<double>::infinity();
    const ApproxLine& line = sys.lines[static_cast<std::size_t>(k)];
    return PlacementError(line.deltaVeq, line.veq);
  };
  auto found = [](double best, int first, int end) {
    return std::isfinite(best) ? PlacementTrial{true, first, end, best} : PlacementTrial{};
  };

  sys.lineCount = 1;
  sys.lines[0].firstPoint = 0;
  double best = std::numeric_limits<double>::infinity();
  int bestEnd = 0;
  for (int e = 2; e <= n - 1; ++e) {
    sys.lines[0].endPoint = e;
    const double r = trial(0);
    if (r < best) {
      best = r;
      bestEnd = e;
    }
  }
  outcome.head = found(best, 0, bestEnd);
  if (best < kAutoLineErrorLimit) {
    sys.lines[0].endPoint = bestEnd;
    sys.lines[0].status = sys.FitLine(0);
    if (bestEnd == n - 1) {
      outcome.linesPlaced = 1;
      return outcome;
    }
    sys.lineCount = 2;
  }

  const int k = sys.lineCount - 1;
  ApproxLine& tail = sys.lines[static_cast<std::size_t>(k)];
  tail.firstPoint = n - 1;
  best = std::numeric_limits<double>::infinity();
  bestEnd = 0;
  for (int e = n - 3; e >= 0; --e) {
    tail.endPoint = e;
    const double r = trial(k);
    if (r < best) { // ties keep the larger end, the shorter line
      best = r;
      bestEnd = e;
    }
  }
  outcome.tail = found(best, n - 1, bestEnd);
  if (best < kAutoLineErrorLimit && bestEnd > 0) {
    tail.endPoint = bestEnd;
    tail.status = sys.FitLine(k);
  } else {
    --sys.lineCount;
  }
  outcome.linesPlaced = sys.lineCount;
  if (sys.lineCount == 0) emptyLine0();
  return outcome;
}

} // namespace vexa::test
