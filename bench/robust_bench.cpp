// Speed of the robust line search with its checks on 100, 1 000 and 10 000 points.
#include "analysis/RobustLines.h"
#include "bench/BenchData.h"
#include "document/TitrationSystem.h"

#include <benchmark/benchmark.h>

namespace {

void BM_AnalyseChecks(benchmark::State& state) {
  vexa::TitrationSystem sys;
  vexa::bench::MakeTitration(sys, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
    benchmark::DoNotOptimize(a.veq);
  }
}
BENCHMARK(BM_AnalyseChecks)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FindLines(benchmark::State& state) {
  vexa::TitrationSystem sys;
  vexa::bench::MakeTitration(sys, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const vexa::RobustAnalysis a = vexa::FindLines(sys);
    benchmark::DoNotOptimize(sys.lineCount);
  }
}
BENCHMARK(BM_FindLines)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
