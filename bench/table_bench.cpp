// The points table: painting a table of 100 000 points (only the rows in view are drawn, so
// the place scrolled to does not matter) and pasting 10 000 rows of text into it.
#include "docview/Doc.h"
#include "gui/DC.h"
#include "document/PointTable.h"
#include "table/PointsView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace {

// A headless application, and settings kept away from the user's.
void EnsureApp() {
  static std::unique_ptr<QApplication> app;
  if (app) return;
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static char dirTemplate[] = "/tmp/vexa-bench-XXXXXX";
  if (!std::getenv("VEXA_REGISTRY_DIR") && ::mkdtemp(dirTemplate)) {
    ::setenv("VEXA_REGISTRY_DIR", dirTemplate, 1);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(dirTemplate, ec);
    });
  }
  static int argc = 1;
  static char name[] = "bench_table";
  static char* argv[] = {name, nullptr};
  app = std::make_unique<QApplication>(argc, argv);
}

// A document of n points and the table showing it, 640 × 800 pixels.
struct Table {
  explicit Table(int n) {
    auto& sys = doc.System();
    sys.SetPointCount(n);
    for (int i = 0; i < n; ++i) {
      sys.volume[i] = 0.01 * i;
      sys.pH[i] = 2 + 10.0 * i / n;
    }
    sys.RecomputeLinearised();
    view.SetDocument(&doc);
    view.SetNumberFormat(QStringLiteral("%g"));
    view.colWidths = {40, 80, 80, 100};
    view.resize(640, 800);
    view.show();
    QApplication::processEvents();
  }
  bool ready = (EnsureApp(), true); // the application before any widget
  CDoc doc;
  CRView1 view{ViewContext{}};
};

void BM_PaintTable100k(benchmark::State& state) {
  Table t(100000);
  t.view.ScrollToCell(1, static_cast<int>(state.range(0)));
  CImageDC target(640, 800);
  for (auto _ : state) {
    t.view.OnDraw(&target);
    benchmark::ClobberMemory();
  }
  state.counters["rows_drawn"] = static_cast<double>(t.view.DataArea().bottom / t.view.RowHeight());
}
BENCHMARK(BM_PaintTable100k)->Arg(0)->Arg(50000)->Arg(99999)->Unit(benchmark::kMillisecond);

// The same picture through the recording context: the drawing calls alone, no pixels.
void BM_PaintTable100kCalls(benchmark::State& state) {
  Table t(100000);
  CRecordingDC target;
  std::size_t calls = 0;
  for (auto _ : state) {
    target.clear();
    t.view.OnDraw(&target);
    calls = target.calls().size();
  }
  state.counters["calls"] = static_cast<double>(calls);
}
BENCHMARK(BM_PaintTable100kCalls)->Unit(benchmark::kMillisecond);

void BM_Paste10kRows(benchmark::State& state) {
  Table t(10000);
  QString text;
  for (int i = 0; i < 10000; ++i)
    text += QStringLiteral("%1\t%2\t0\t\r\n").arg(0.02 * i).arg(3 + 0.0005 * i);
  for (auto _ : state) {
    t.view.SetCurrentCell(0, 0);
    t.view.PasteText(text);
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Paste10kRows)->Unit(benchmark::kMillisecond);

// A 100 000-point CSV as an instrument writes it: read by the importer, put into the record,
// and the table's first picture painted.
void BM_ImportAndFirstPaint100k(benchmark::State& state) {
  EnsureApp();
  std::string csv = "# V0 = 50 ml, Ctit = 0.1 mol/l\nV_ml;pH\n";
  char line[64];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(line, sizeof line, "%.4f;%.3f\n", 0.0001 * i, 2 + 10.0 * i / 100000);
    csv += line;
  }
  for (auto _ : state) {
    const vexa::PointTableImport table = vexa::ImportPointTable(csv);
    CDoc doc;
    vexa::PutImportedPoints(doc.System(), table.points);
    CRView1 view{ViewContext{}};
    view.SetDocument(&doc);
    view.resize(640, 800);
    CImageDC target(640, 800);
    view.OnDraw(&target);
    benchmark::DoNotOptimize(doc.System().pointCount);
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_ImportAndFirstPaint100k)->Unit(benchmark::kMillisecond);

} // namespace
