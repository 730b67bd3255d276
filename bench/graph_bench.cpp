// Speed of the graph: one whole redraw into the off-screen bitmap and its copy to the window,
// as every key press, click and command on the graph does. The goal is one frame (16 ms) at
// 10 000 points.
#include "bench/BenchData.h"
#include "gui/DrawSettings.h"
#include "document/TitrationSystem.h"
#include "graph/GraphPlot.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <clocale>
#include <cmath>
#include <cstdlib>

namespace {

void EnsureApplication() {
  static QGuiApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_graph";
    static char* argv[] = {name, nullptr};
    auto* a = new QGuiApplication(argc, argv);
    std::setlocale(LC_ALL, "C");
    return a;
  }();
  (void)app;
}

// A titration of n points around an equivalence at 5 ml, with two fitted lines.
void MakeTitrationWithLines(vexa::TitrationSystem& sys, int n) {
  vexa::bench::MakeTitration(sys, n);
  sys.lineCount = 2;
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = n / 3;
  sys.lines[1].firstPoint = 2 * n / 3;
  sys.lines[1].endPoint = n - 1;
  sys.RefitAllLines();
}

void Redraw(benchmark::State& state, bool linearised) {
  EnsureApplication();
  vexa::TitrationSystem sys;
  MakeTitrationWithLines(sys, static_cast<int>(state.range(0)));
  const DrawSettings settings = DrawSettings::Defaults();
  const int cx = 1000, cy = 700;
  GraphPlot plot;
  plot.linearised = linearised;
  plot.CreateGraphFont(cx, cy);
  plot.ComputeRanges(sys);
  plot.ComputeLayout(cx, cy);
  CImageDC window(cx, cy);
  for (auto _ : state) {
    plot.Paint(&window, sys, settings, CSize{cx, cy});
    benchmark::DoNotOptimize(window.image().constBits());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_RedrawLinearised(benchmark::State& state) {
  Redraw(state, true);
}
void BM_RedrawClassic(benchmark::State& state) {
  Redraw(state, false);
}

} // namespace

BENCHMARK(BM_RedrawLinearised)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawClassic)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
