#include "analysis/AutoPlacement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vexa {

double PlacementError(double deltaVeq, double veq) {
  const double r = std::fabs(deltaVeq / veq * 100);
  return std::isfinite(r) ? r : std::numeric_limits<double>::infinity();
}

const PlacementTrial* AutoLinesOutcome::Best() const {
  if (head.found && (!tail.found || head.relativeError <= tail.relativeError)) return &head;
  if (tail.found) return &tail;
  return nullptr;
}

namespace {

std::string Percent(double r) {
  char text[64];
  std::snprintf(text, sizeof text, r < 1e6 ? "%.1f %%" : "%.3g %%", r);
  return text;
}

} // namespace

std::string AutoLinesMessage(const AutoLinesOutcome& outcome) {
  if (outcome.linesPlaced > 0) return {};
  if (outcome.pointCount < 3) return "No line placed: automatic placement needs at least 3 points.";
  const std::string lead = "No line reached a relative error below " +
                           std::to_string(static_cast<int>(kAutoLineErrorLimit)) + " %";
  const PlacementTrial* best = outcome.Best();
  if (!best) return lead + "; no trial line could be fitted.";
  // Point numbers as the table and the results page count them, from 1, the smaller first.
  const int from = std::min(best->firstPoint, best->endPoint) + 1;
  const int to = std::max(best->firstPoint, best->endPoint) + 1;
  return lead + "; the best, over points " + std::to_string(from) + " to " + std::to_string(to) +
         ", had " + Percent(best->relativeError) + ".";
}

} // namespace vexa
