// The line table of a titration system and the automatic placement of its lines; the fit
// itself is FitLeastSquares (LineFit.h).
#include "analysis/AutoPlacement.h"
#include "analysis/LineFit.h"
#include "document/TitrationSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

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

AutoLinesOutcome TitrationSystem::SetAutoLines() {
  const int n = std::max(pointCount, 0);
  AutoLinesOutcome outcome;
  outcome.pointCount = n;
  auto emptyLine0 = [this] {
    lineCount = 1;
    lines[0].endPoint = 0;
    lines[0].firstPoint = 0;
    lines[0].status = kLineFewPoints;
  };
  if (n <= 2) {
    emptyLine0();
    return outcome;
  }
  const std::span<const double> v(volume.data(), static_cast<std::size_t>(n));
  const std::span<const double> gs(g.data(), static_cast<std::size_t>(n));

  // The head line starts at point 0 and is as long as gives the smallest relative error.
  // Its trials all use line 0; a failed trial never counts as better.
  lineCount = 1;
  lines[0].firstPoint = 0;
  LineFit fit;
  outcome.head = BestHeadTrial(v, gs, &fit);
  const bool headKept = outcome.head.found && outcome.head.relativeError < kAutoLineErrorLimit;
  if (headKept) {
    lines[0].endPoint = outcome.head.endPoint;
    fit.WriteTo(lines[0]); // as FitLine(0) would
    lines[0].status = fit.status;
    if (outcome.head.endPoint == n - 1) { // one line covers all points
      outcome.linesPlaced = 1;
      return outcome;
    }
    lineCount = 2;
  }

  // The tail line ends at the last point; its trials use the next line (line 0 when no head
  // line was kept). Ties keep the larger end, the shorter line.
  const int k = lineCount - 1;
  ApproxLine& tail = lines[static_cast<std::size_t>(k)];
  tail.firstPoint = n - 1;
  outcome.tail = BestTailTrial(v, gs, &fit);
  if (outcome.tail.found && outcome.tail.relativeError < kAutoLineErrorLimit &&
      outcome.tail.endPoint > 0) {
    tail.endPoint = outcome.tail.endPoint;
    fit.WriteTo(tail);
    tail.status = fit.status;
  } else {
    // The record keeps what the trial fits left in it, the last trial's end included.
    TrialReplay replay;
    replay.AddTailTrials(v, gs);
    if (!headKept) replay.AddHeadTrials(v, gs);
    replay.WriteTo(tail);
    tail.endPoint = 0;
    --lineCount;
  }
  outcome.linesPlaced = lineCount;
  if (lineCount == 0) emptyLine0();
  return outcome;
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
