// Speed of the graph: one whole redraw into the off-screen bitmap and its copy to the window,
// as every key press, click and command on the graph does, and the export of a picture. The
// goal is one frame (16 ms) at 100 000 points.
#include "bench/BenchData.h"
#include "gui/DrawSettings.h"
#include "document/TitrationSystem.h"
#include "plot/GraphExport.h"
#include "plot/GraphPlot.h"

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

// A redraw as a key press, a click or a command makes it: the data drawn anew over the kept
// background. With `cold`, the first paint after a resize: bitmap and background made anew.
void Redraw(benchmark::State& state, bool linearised, bool cold) {
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
    if (cold) plot.DeleteCache();
    plot.Paint(&window, sys, settings, CSize{cx, cy});
    benchmark::DoNotOptimize(window.image().constBits());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_RedrawLinearised(benchmark::State& state) {
  Redraw(state, true, false);
}
void BM_RedrawClassic(benchmark::State& state) {
  Redraw(state, false, false);
}
void BM_RedrawLinearisedCold(benchmark::State& state) {
  Redraw(state, true, true);
}
void BM_RedrawClassicCold(benchmark::State& state) {
  Redraw(state, false, true);
}

// The picture file as vexa plot and Save graph make it: laid out, drawn anti-aliased, encoded.
void Export(benchmark::State& state, bool linearised, CSize picture) {
  EnsureApplication();
  vexa::TitrationSystem sys;
  MakeTitrationWithLines(sys, static_cast<int>(state.range(0)));
  const DrawSettings settings = DrawSettings::Defaults();
  for (auto _ : state) {
    GraphPlot plot;
    plot.linearised = linearised;
    const QByteArray png = ExportGraph(plot, sys, settings, picture, GraphFormat::Png);
    benchmark::DoNotOptimize(png.constData());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ExportClassicPng(benchmark::State& state) {
  Export(state, false, CSize{800, 600});
}
void BM_ExportLinearisedPng(benchmark::State& state) {
  Export(state, true, CSize{800, 600});
}
void BM_ExportClassicPngLarge(benchmark::State& state) {
  Export(state, false, CSize{2400, 1800});
}

} // namespace

#define SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_RedrawLinearised) SIZES;
BENCHMARK(BM_RedrawClassic) SIZES;
BENCHMARK(BM_RedrawLinearisedCold) SIZES;
BENCHMARK(BM_RedrawClassicCold) SIZES;
BENCHMARK(BM_ExportClassicPng)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportLinearisedPng)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportClassicPngLarge)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
