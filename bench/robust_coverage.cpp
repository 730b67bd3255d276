// How often the robust method's 0.05 interval holds the true equivalence volume, over random
// simulated titrations of strong and weak acids and bases with electrode noise and drift.
// Usage: robust_coverage [count] [seed]
#include "analysis/RobustLines.h"
#include "core/TitrationSimulator.h"
#include "document/TitrationSystem.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  const int count = argc > 1 ? std::atoi(argv[1]) : 4000;
  const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20240601UL;
  std::mt19937_64 rng(seed);
  static const char* const kinds[] = {"strong acid", "strong base", "weak acid", "weak base"};
  int runs[4] = {}, covered[4] = {}, found[4] = {}, within2[4] = {}, agreeWrong = 0, tableHits[4] = {};
  double relWidth[4] = {};
  for (int k = 0; k < count; ++k) {
    const vexa::sim::Random r = vexa::sim::RandomTitration(rng);
    const vexa::sim::Reading reading =
        vexa::sim::Titrate(r.sample, r.titrant, r.volumes, r.electrode, rng);
    vexa::TitrationSystem sys;
    vexa::sim::Load(sys, reading, r.sample.volume, r.titrant.concentration);
    const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
    ++runs[r.kind];
    if (std::isfinite(a.veq)) {
      ++found[r.kind];
      if (std::fabs(a.veq - r.veq) <= a.halfWidth) ++covered[r.kind];
      if (std::fabs(a.veq - r.veq) <= 0.02 * r.veq) ++within2[r.kind];
      relWidth[r.kind] += a.halfWidth / r.veq;
    }
    if (a.agreement == vexa::Agreement::Agree && a.lines.size() == 2) {
      const auto& l1 = a.lines[0];
      const auto& l2 = a.lines[1];
      if (std::fabs(l1.veq - l2.veq) > l1.halfWidth + l2.halfWidth) ++agreeWrong;
    }
    vexa::TitrationSystem other;
    vexa::sim::Load(other, reading, r.sample.volume, r.titrant.concentration);
    other.SetAutoLines();
    for (int j = 0; j < other.lineCount; ++j) {
      const auto& l = other.lines[static_cast<std::size_t>(j)];
      if (l.status == vexa::kLineFitted && std::fabs(l.veq - r.veq) <= l.deltaVeq) {
        ++tableHits[r.kind];
        break;
      }
    }
  }
  int all = 0, allCovered = 0, allFound = 0;
  std::printf("%-12s %6s %6s %9s %9s %9s %12s\n", "kind", "runs", "found", "covered", "within2%",
              "relwidth", "table-dV");
  for (int k = 0; k < 4; ++k) {
    std::printf("%-12s %6d %6d %8.1f%% %8.1f%% %8.2f%% %11.1f%%\n", kinds[k], runs[k], found[k],
                found[k] ? 100.0 * covered[k] / found[k] : 0.0,
                found[k] ? 100.0 * within2[k] / found[k] : 0.0,
                found[k] ? 100.0 * relWidth[k] / found[k] : 0.0,
                runs[k] ? 100.0 * tableHits[k] / runs[k] : 0.0);
    all += runs[k];
    allCovered += covered[k];
    allFound += found[k];
  }
  std::printf("all: %d titrations, a Veq on %d, the 0.05 interval holds the truth on %.1f%%\n", all,
              allFound, allFound ? 100.0 * allCovered / allFound : 0.0);
  std::printf("lines reported as agreeing whose intervals do not overlap: %d\n", agreeWrong);
  return 0;
}
