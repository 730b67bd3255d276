// Speed of the printed report: the whole PDF of one system (parameters, lines, both graphs and
// every point of the table), made in memory as `vexa report --format pdf` and the window's
// Export PDF make it. The goal is well under a second at 1 000 points.
#include "bench/BenchData.h"
#include "document/TitrationSystem.h"
#include "report/Report.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <clocale>
#include <cstdlib>

namespace {

void EnsureApplication() {
  static QGuiApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_report";
    static char* argv[] = {name, nullptr};
    auto* a = new QGuiApplication(argc, argv);
    std::setlocale(LC_ALL, "C");
    return a;
  }();
  (void)app;
}

void ReportOf(benchmark::State& state, ReportParts parts) {
  EnsureApplication();
  const int n = static_cast<int>(state.range(0));
  vexa::TitrationSystem sys;
  vexa::bench::MakeTitration(sys, n);
  sys.lineCount = 2;
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = n / 3;
  sys.lines[1].firstPoint = 2 * n / 3;
  sys.lines[1].endPoint = n - 1;
  ReportOptions options;
  options.parts = parts;
  options.date = QStringLiteral("2024-01-01 00:00");
  const ReportSystem one{sys, QStringLiteral("bench.vexa")};
  int pages = 0;
  qsizetype bytes = 0;
  for (auto _ : state) {
    const QByteArray pdf =
        ReportPdf(std::span<const ReportSystem>(&one, 1), options, {}, nullptr, &pages);
    bytes = pdf.size();
    benchmark::DoNotOptimize(pdf.constData());
  }
  state.counters["pages"] = pages;
  state.counters["kB"] = static_cast<double>(bytes) / 1024;
}

void BM_ReportPdf(benchmark::State& state) {
  ReportOf(state, ReportParts::All());
}
void BM_ReportPdfGraphs(benchmark::State& state) {
  ReportParts parts = ReportParts::None();
  parts.classicGraph = parts.linearisedGraph = true;
  ReportOf(state, parts);
}
void BM_ReportPdfTable(benchmark::State& state) {
  ReportOf(state, ReportParts::PointsTable());
}

} // namespace

BENCHMARK(BM_ReportPdf)->Arg(50)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPdfGraphs)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPdfTable)->Arg(1000)->Unit(benchmark::kMillisecond);
