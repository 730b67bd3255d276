// The graph's ranges, layout and drawing, checked on the calls a recording context receives.
#include "document/TitrationSystem.h"
#include "plot/GraphExport.h"
#include "plot/GraphPlot.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

void VexaTestSetUp(int& argc, char** argv) {
  new QGuiApplication(argc, argv);
}

namespace {

using vexa::TitrationSystem;

// A system of points (V, pH) with G computed.
void Fill(TitrationSystem& sys, const std::vector<std::pair<double, double>>& points) {
  sys.pointCount = static_cast<int>(points.size());
  sys.AllocatePointArrays();
  for (int i = 0; i < sys.pointCount; ++i) {
    sys.volume[i] = points[static_cast<std::size_t>(i)].first;
    sys.pH[i] = points[static_cast<std::size_t>(i)].second;
  }
  sys.RecomputeLinearised();
}

// A system whose G values are given directly.
void FillG(TitrationSystem& sys, const std::vector<std::pair<double, double>>& points) {
  Fill(sys, std::vector<std::pair<double, double>>(points.size(), {0, 7}));
  for (int i = 0; i < sys.pointCount; ++i) {
    sys.volume[i] = points[static_cast<std::size_t>(i)].first;
    sys.g[i] = points[static_cast<std::size_t>(i)].second;
  }
}

std::vector<QString> Texts(const CRecordingDC& dc) {
  std::vector<QString> out;
  for (const auto& c : dc.Calls("TextOut"))
    out.push_back(c.text);
  return out;
}

const DrawCall* FindText(const std::vector<DrawCall>& calls, const QString& text) {
  for (const auto& c : calls)
    if (c.op == "TextOut" && c.text == text) return &c;
  return nullptr;
}

// The number of a line: a text drawn just after its circle.
const DrawCall* LineLabel(const std::vector<DrawCall>& calls, const QString& text) {
  for (std::size_t i = 1; i < calls.size(); ++i)
    if (calls[i].op == "TextOut" && calls[i].text == text && calls[i - 1].op == "Ellipse")
      return &calls[i];
  return nullptr;
}

// The rectangle drawn just before the text (a title box).
const DrawCall* BoxOf(const std::vector<DrawCall>& calls, const QString& text) {
  for (std::size_t i = 1; i < calls.size(); ++i)
    if (calls[i].op == "TextOut" && calls[i].text == text && calls[i - 1].op == "Rectangle")
      return &calls[i - 1];
  return nullptr;
}

std::vector<DrawCall> LinesIn(const CRecordingDC& dc, COLORREF color) {
  std::vector<DrawCall> out;
  for (const auto& c : dc.Calls("Line"))
    if (c.pen.color == color) out.push_back(c);
  return out;
}

class GraphDraw : public testing::Test {
protected:
  GraphDraw() { settings = DrawSettings::Defaults(); }
  void Prepare(bool linearised, int cx = 1000, int cy = 700) {
    plot.linearised = linearised;
    plot.CreateGraphFont(cx, cy);
    plot.ComputeRanges(sys);
    plot.ComputeLayout(cx, cy);
    client = CSize{cx, cy};
  }
  void Draw() {
    dc.clear();
    if (plot.linearised)
      plot.DrawLinearised(&dc, sys, settings, client);
    else
      plot.DrawClassic(&dc, sys, settings, client);
  }
  TitrationSystem sys;
  GraphPlot plot;
  DrawSettings settings;
  CRecordingDC dc;
  CSize client{1000, 700};
};

// ------------------------------------------------------------------ ranges and ticks

TEST_F(GraphDraw, AbscissaRangeAndStepFollowTheLargestVolume) {
  struct Case {
    double largest;
    double xMax;
    double step;
    std::vector<QString> labels;
  };
  const Case cases[] = {
      {23.4, 24, 5, {"0", "5", "10", "15", "20"}},
      {12, 12, 1, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}},
      {4.2, 5, 0.5, {"0", "0.5", "1", "1.5", "2", "2.5", "3", "3.5", "4", "4.5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.largest);
    Fill(sys, {{0, 3}, {c.largest / 2, 5}, {c.largest, 9}});
    Prepare(false);
    EXPECT_EQ(plot.xMin, 0);
    EXPECT_EQ(plot.xMax, c.xMax);
    EXPECT_DOUBLE_EQ(plot.xStep, c.step);
    Draw();
    // The abscissa labels stand below the plot; xMax itself has none.
    std::vector<QString> below;
    for (const auto& call : dc.Calls("TextOut"))
      if (call.args[1] > plot.plotBottom && call.args[1] < plot.plotBottom + 20 &&
          call.text != "Titrant volume")
        below.push_back(call.text);
    EXPECT_EQ(below, c.labels);
  }
}

TEST_F(GraphDraw, ClassicOrdinateIsWidenedToWholePH) {
  Fill(sys, {{0, 2.3}, {5, 7}, {10, 11.8}});
  Prepare(false);
  EXPECT_EQ(plot.yMin, 2);
  EXPECT_EQ(plot.yMax, 12);
  EXPECT_EQ(plot.yStep, 1);

  Fill(sys, {{0, 3.1}, {5, 4}, {10, 4.9}});
  Prepare(false);
  EXPECT_EQ(plot.yMin, 3);
  EXPECT_EQ(plot.yMax, 5);
  EXPECT_DOUBLE_EQ(plot.yStep, 0.2); // the span 2 is not above 2
  Draw();
  const std::vector<QString> texts = Texts(dc);
  for (const char* label : {"3", "3.2", "3.4", "4", "4.8"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), QString(label)), texts.end()) << label;
}

TEST_F(GraphDraw, ClassicViewFillsTheDerivative) {
  Fill(sys, {{0, 3}, {1, 4}, {3, 8}, {4, 8.5}});
  Prepare(false);
  EXPECT_DOUBLE_EQ(sys.dpHdV[0], 1);
  EXPECT_DOUBLE_EQ(sys.dpHdV[1], 2);
  EXPECT_DOUBLE_EQ(sys.dpHdV[2], 0.5);
  EXPECT_EQ(plot.derivMin, 0.5);
  EXPECT_EQ(plot.derivMax, 2);
  Draw();
  // Drawn at the middle of each interval, from the bottom for the smallest slope.
  const auto deriv = LinesIn(dc, settings.derivColor);
  ASSERT_EQ(deriv.size(), 2u);
  EXPECT_EQ(deriv[0].args[0], plot.Column(0.5));
  EXPECT_EQ(deriv[0].args[1], plot.DerivRow(1));
  EXPECT_EQ(deriv[1].args[2], plot.Column(3.5));
  EXPECT_EQ(deriv[1].args[3], plot.plotBottom);
}

TEST_F(GraphDraw, RangeSpanningZeroSplitsTheScale) {
  FillG(sys, {{0, -0.004}, {5, 0.002}, {10, 0.01}});
  Prepare(true);
  EXPECT_TRUE(plot.SplitScale());
  EXPECT_DOUBLE_EQ(plot.yStep, 0.001);
  EXPECT_DOUBLE_EQ(plot.yStepNeg, -0.0004);
  EXPECT_EQ(plot.ZeroRow(), (630 + 35) / 2);
  EXPECT_EQ(plot.Row(0), plot.ZeroRow());
  EXPECT_EQ(plot.Row(0.01), 35);
  EXPECT_EQ(plot.Row(-0.004), 332 + 297); // 297.5 truncated

  EXPECT_EQ(plot.Row(0.005), plot.ZeroRow() - static_cast<int>(0.005 * plot.yScale));
  EXPECT_EQ(plot.Row(-0.002), plot.ZeroRow() - static_cast<int>(-0.002 * plot.yScaleNeg));
}

TEST_F(GraphDraw, LayoutAndFontFollowTheClientSize) {
  Fill(sys, {{0, 3}, {10, 9}});
  Prepare(false, 1000, 700);
  EXPECT_EQ(plot.plotLeft, 100);
  EXPECT_EQ(plot.plotRight, 950);
  EXPECT_EQ(plot.plotTop, 35);
  EXPECT_EQ(plot.plotBottom, 630);
  EXPECT_EQ(plot.font.height, -17);
  EXPECT_EQ(plot.font.face, "Arial");
  EXPECT_EQ(plot.font.weight, 400);
  EXPECT_DOUBLE_EQ(plot.xScale, 85);
  // Truncation toward zero in every conversion.
  EXPECT_EQ(plot.Column(0.019), 101);
  EXPECT_EQ(plot.Row(3.001), 630);

  for (auto [side, height] : {std::pair{350, -10}, {600, -15}, {100, -5}, {374, -10}}) {
    plot.CreateGraphFont(side, side + 200);
    EXPECT_EQ(plot.font.height, height) << side;
  }
}

TEST_F(GraphDraw, RangesOfNoSpanAreWidenedAroundTheValue) {
  // One point at V 0: the abscissa and the ordinate are widened, the point in the middle.
  Fill(sys, {{0, 7}});
  for (bool lin : {false, true}) {
    SCOPED_TRACE(lin);
    Prepare(lin);
    EXPECT_GT(plot.xMax, plot.xMin);
    EXPECT_GT(plot.yMax, plot.yMin);
    EXPECT_TRUE(std::isfinite(plot.xScale) && std::isfinite(plot.yScale));
    EXPECT_EQ(plot.Column(0), (plot.plotLeft + plot.plotRight) / 2);
    Draw();
    ASSERT_FALSE(dc.Calls("Ellipse").empty());
  }
  // All G equal: a flat row in the middle.
  FillG(sys, {{1, 0.005}, {2, 0.005}, {3, 0.005}});
  Prepare(true);
  EXPECT_NEAR(plot.Row(0.005), (plot.plotTop + plot.plotBottom) / 2, 1);
  // All pH the same whole number: one unit either side.
  Fill(sys, {{1, 7}, {2, 7}});
  Prepare(false);
  EXPECT_EQ(plot.yMin, 6);
  EXPECT_EQ(plot.yMax, 8);
  EXPECT_TRUE(std::isfinite(plot.derivScale));
}

// ------------------------------------------------------------------ classic drawing

TEST_F(GraphDraw, ClassicCurveIsOneUnbrokenPolylineWithPlusMarkers) {
  Fill(sys, {{0, 3}, {2, 4}, {4, 6}, {6, 10}, {8, 11}});
  settings.markerType = 6;
  settings.plotColor = RGB(1, 2, 3);
  settings.markerOutlineColor = RGB(9, 9, 9);
  Prepare(false);
  Draw();
  const auto curve = LinesIn(dc, settings.plotColor);
  ASSERT_EQ(curve.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(curve[i].args[0], plot.Column(sys.volume[i]));
    EXPECT_EQ(curve[i].args[1], plot.Row(sys.pH[i]));
    EXPECT_EQ(curve[i].args[2], plot.Column(sys.volume[i + 1]));
    EXPECT_EQ(curve[i].args[3], plot.Row(sys.pH[i + 1]));
    EXPECT_EQ(curve[i].pen.width, 1);
  }
  // Each segment comes after the marker of its end point.
  const auto& calls = dc.calls();
  std::size_t lastMarker = 0, firstSegment = calls.size();
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].op != "Line") continue;
    if (calls[i].pen.color == settings.markerOutlineColor) lastMarker = i;
    if (calls[i].pen.color == settings.plotColor && firstSegment == calls.size()) firstSegment = i;
  }
  EXPECT_LT(firstSegment, lastMarker);
  EXPECT_EQ(LinesIn(dc, settings.markerOutlineColor).size(), 10u); // two strokes per point
}

TEST_F(GraphDraw, ClassicFrameTitlesAndTheirPlaces) {
  Fill(sys, {{0, 12}, {5, 11}, {10, 3}});
  sys.SetTitle("NaOH");
  Prepare(false);
  Draw();
  const auto& calls = dc.calls();
  const auto frame = LinesIn(dc, settings.borderColor);
  // The frame: down, right, up and back, with the black default pen (the grid is grey).
  std::vector<std::vector<int>> frameArgs;
  for (const auto& c : frame)
    if (c.args == std::vector<int>{100, 35, 100, 630}) frameArgs.push_back(c.args);
  EXPECT_EQ(frameArgs.size(), 1u);

  const DrawCall* phBox = BoxOf(calls, "pH");
  ASSERT_TRUE(phBox);
  CRecordingDC probe;
  probe.SelectObject(plot.font);
  const CSize e = probe.GetTextExtent("pH");
  EXPECT_EQ(phBox->args, (std::vector<int>{(100 - e.cx) / 2 - 4, 35 - e.cy / 2 - 2,
                                           (100 + e.cx) / 2 + 4, 35 + e.cy / 2 + 2}));
  EXPECT_EQ(phBox->pen, CPen{});
  EXPECT_EQ(phBox->brush, CBrush{});

  const CSize v = probe.GetTextExtent("Titrant volume");
  const DrawCall* vBox = BoxOf(calls, "Titrant volume");
  ASSERT_TRUE(vBox);
  EXPECT_EQ(vBox->args,
            (std::vector<int>{950 - v.cx - 4, 630 + v.cy / 2 - 2, 951, 630 + 3 * v.cy / 2 + 2}));

  // Starting at pH 12: the title box at the top right, drawn last.
  const CSize t = probe.GetTextExtent("Titration curve (classic view)");
  const DrawCall* tBox = BoxOf(calls, "Titration curve (classic view)");
  ASSERT_TRUE(tBox);
  EXPECT_EQ(tBox->args,
            (std::vector<int>{950 - t.cx - 12, 35 + t.cy / 2 - 3, 944, 35 + 3 * t.cy / 2 + 3}));
  EXPECT_EQ(calls.back().text, "Titration curve (classic view)");
  const DrawCall* title = FindText(calls, "NaOH");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->args[0], (1000 - probe.GetTextExtent("NaOH").cx) / 2);

  // Starting at pH 2.5: at the top left.
  sys.pH[0] = 2.5;
  Prepare(false);
  Draw();
  tBox = BoxOf(dc.calls(), "Titration curve (classic view)");
  ASSERT_TRUE(tBox);
  EXPECT_EQ(tBox->args[0], 106);
  EXPECT_EQ(tBox->args[2], 100 + t.cx + 12);
  EXPECT_EQ(dc.calls().back().args, (std::vector<int>{109, 35 + t.cy / 2}));
}

TEST_F(GraphDraw, DrawingLeavesTheContextAsItFoundIt) {
  Fill(sys, {{0, 3}, {5, 9}});
  for (bool lin : {false, true}) {
    Prepare(lin);
    Draw();
    EXPECT_EQ(dc.GetCurrentPen(), CPen{});
    EXPECT_EQ(dc.GetCurrentBrush(), CBrush{});
    EXPECT_EQ(dc.GetCurrentFont(), CFont{});
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    for (const auto& c : dc.Calls("TextOut")) {
      EXPECT_EQ(c.bkMode, TRANSPARENT);
      EXPECT_EQ(c.font, plot.font);
    }
  }
}

// ------------------------------------------------------------------ linearised drawing

TEST_F(GraphDraw, SmallOrdinatesGetAMultiplier) {
  FillG(sys, {{0, 0.0012}, {5, 0.005}, {10, 0.0087}});
  Prepare(true);
  EXPECT_FALSE(plot.SplitScale());
  Draw();
  const auto texts = Texts(dc);
  for (const char* label : {"1.20", "1.95", "2.70", "8.70" /* absent: yMax has no tick */})
    EXPECT_EQ(std::find(texts.begin(), texts.end(), QString(label)) != texts.end(),
              std::string(label) != "8.70")
        << label;
  EXPECT_TRUE(FindText(dc.calls(), "G x 1000"));
  EXPECT_FALSE(FindText(dc.calls(), "G"));

  // Ordinates of 1 or more: no multiplier.
  FillG(sys, {{0, 1.5}, {10, 40}});
  Prepare(true);
  Draw();
  EXPECT_TRUE(FindText(dc.calls(), "G"));
  EXPECT_TRUE(FindText(dc.calls(), "1.50"));
}

TEST_F(GraphDraw, SplitScaleHasASecondTitleBoxAtTheZeroRow) {
  FillG(sys, {{0, -0.004}, {5, 0.002}, {10, 0.01}});
  Prepare(true);
  Draw();
  CRecordingDC probe;
  probe.SelectObject(plot.font);
  const auto& calls = dc.calls();
  const DrawCall* top = BoxOf(calls, "G x 100");
  const DrawCall* zero = BoxOf(calls, "G x 1000");
  ASSERT_TRUE(top && zero);
  const CSize e = probe.GetTextExtent("G x 1000");
  const int half = (100 - e.cx) / 2;
  const int l = half <= 3 ? 2 : half - 4;
  EXPECT_EQ(zero->args,
            (std::vector<int>{l, 332 - e.cy / 2 - 2, l + e.cx + 4, 332 + e.cy / 2 + 2}));
  EXPECT_EQ(top->args[1], 35 - e.cy / 2 - 2);
  // Negative labels with their own multiplier, positive with theirs, zero unlabelled.
  const auto texts = Texts(dc);
  for (const char* label : {"-0.40", "-3.60", "0.10", "0.90"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), QString(label)), texts.end()) << label;
  EXPECT_EQ(std::find(texts.begin(), texts.end(), QString("0.00")), texts.end());
  // The zero line with the default pen.
  bool zeroLine = false;
  for (const auto& c : dc.Calls("Line"))
    zeroLine |= c.args == std::vector<int>{100, 332, 950, 332} && c.pen == CPen{};
  EXPECT_TRUE(zeroLine);
}

TEST_F(GraphDraw, NewLineShowsOnlyItsPointCircles) {
  Fill(sys, {{0, 3}, {1, 3.2}, {2, 3.5}, {3, 4}, {4, 7}, {5, 10}});
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = 2;
  sys.lines[0].status = sys.FitLine(0);
  sys.AddLine(); // line 2, status -2, both points 0
  plot.currentLine = 1;
  Prepare(true);
  Draw();
  // The two rings of the current line, both at point 0, the end ring on top.
  std::vector<DrawCall> rings;
  for (const auto& c : dc.Calls("Ellipse"))
    if (c.pen.width == 2 && c.brush.color == c.pen.color &&
        (c.pen.color == settings.beginColor || c.pen.color == settings.endColor) &&
        c.args[2] - c.args[0] == 2 * settings.markerSize)
      rings.push_back(c);
  ASSERT_EQ(rings.size(), 2u);
  const int x = plot.Column(0), y = plot.Row(sys.g[0]);
  const int ms = settings.markerSize;
  EXPECT_EQ(rings[0].args, (std::vector<int>{x - ms, y - ms, x + ms, y + ms}));
  EXPECT_EQ(rings[0].brush.color, settings.beginColor);
  EXPECT_EQ(rings[1].args, rings[0].args);
  EXPECT_EQ(rings[1].brush.color, settings.endColor);
  // Only line 1 has its number; line 2 has neither segment nor number.
  EXPECT_TRUE(LineLabel(dc.calls(), "1"));
  EXPECT_FALSE(LineLabel(dc.calls(), "2"));
  EXPECT_TRUE(FindText(dc.calls(), "Line 2. Note: Few point!"));
  const DrawCall* status = FindText(dc.calls(), "Line 2. Note: Few point!");
  EXPECT_EQ(status->args[0], 5);
  CRecordingDC probe;
  probe.SelectObject(plot.font);
  EXPECT_EQ(status->args[1], 700 - probe.GetTextExtent("Line 2. Note: Few point!").cy - 5);
}

TEST_F(GraphDraw, LineNumberCircleIsRedForTheCurrentLine) {
  Fill(sys, {{0, 3}, {1, 3.2}, {2, 3.5}, {3, 4}, {4, 7}, {5, 10}, {6, 11}, {7, 11.3}});
  sys.lines[0] = {};
  sys.lines[0].firstPoint = 0, sys.lines[0].endPoint = 2;
  sys.lines[1].firstPoint = 5, sys.lines[1].endPoint = 7;
  sys.lineCount = 2;
  sys.RefitAllLines();
  ASSERT_EQ(sys.lines[0].status, 0);
  ASSERT_EQ(sys.lines[1].status, 0);
  Prepare(true);
  plot.currentLine = 1;
  Draw();
  CRecordingDC probe;
  probe.SelectObject(plot.font);
  for (int j = 0; j < 2; ++j) {
    const auto& line = sys.lines[static_cast<std::size_t>(j)];
    const QString text = QString::number(j + 1);
    const CSize e = probe.GetTextExtent(text);
    const int d = std::max(e.cx, e.cy);
    const int mid = (line.firstPoint + line.endPoint) / 2;
    // Line 1 (mid 1 of 8) to the left, line 2 (mid 6 of 8) to the right.
    const int dx = mid / 8.0 > 0.49 ? d : -d;
    const int dy = (mid / 8.0 > 0.49) == (line.b > 0) ? d : -d;
    const int cx = plot.Column(sys.volume[mid]) + dx;
    const int cy = plot.Row(line.a + line.b * sys.volume[mid]) + dy;
    const int r = d / 2 + 3;
    const DrawCall* label = LineLabel(dc.calls(), text);
    ASSERT_TRUE(label);
    const DrawCall& circle = *(label - 1);
    EXPECT_EQ(circle.op, "Ellipse");
    EXPECT_EQ(circle.args, (std::vector<int>{cx - r, cy - r, cx + r, cy + r}));
    EXPECT_EQ(circle.pen.color, j == 1 ? RGB(255, 0, 0) : RGB(0, 0, 0));
    EXPECT_EQ(circle.brush, CBrush{});
    EXPECT_EQ(label->args, (std::vector<int>{cx - e.cx / 2, cy - e.cy / 2}));
  }
}

TEST_F(GraphDraw, LineSegmentsStayInsideTheEnlargedBox) {
  FillG(sys, {{0, 0.001}, {1, 0.002}, {2, 0.003}, {10, 0.0031}, {20, 0.0032}});
  sys.lineCount = 2;
  sys.lines[0].firstPoint = 0, sys.lines[0].endPoint = 2; // steep
  sys.lines[1].firstPoint = 3, sys.lines[1].endPoint = 4; // nearly flat
  sys.RefitAllLines();
  Prepare(true);
  Draw();
  const int left = 50, right = 950 + 25, top = 17, bottom = 630 + 35;
  int segments = 0;
  for (const auto& c : dc.Calls("Line")) {
    if (c.pen != CPen{} || c.args[0] == c.args[2] || c.args[1] == c.args[3]) continue;
    ++segments;
    for (int k = 0; k < 4; k += 2) {
      EXPECT_GE(c.args[k], left);
      EXPECT_LE(c.args[k], right);
      EXPECT_GE(c.args[k + 1], top);
      EXPECT_LE(c.args[k + 1], bottom);
    }
  }
  EXPECT_EQ(segments, 2);
  // The steep line starts on the bottom edge at the column of its crossing.
  const auto& steep = sys.lines[0];
  const double gBottom = plot.yMin + (630 - bottom) / plot.yScale;
  bool found = false;
  for (const auto& c : dc.Calls("Line"))
    found |= c.args[1] == bottom && c.args[0] == plot.Column((gBottom - steep.a) / steep.b);
  EXPECT_TRUE(found);
}

TEST(ClipSegmentTest, CutsToTheBoxKeepsWhatIsInsideAndDropsTheRest) {
  const ClipBox box{0, 10, 0, 5};
  // Inside: unchanged.
  double x0 = 1, y0 = 1, x1 = 9, y1 = 4;
  ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, box));
  EXPECT_EQ(x0, 1);
  EXPECT_EQ(y1, 4);
  // Crossing two sides: both ends land on the box, in their order.
  x0 = -10, y0 = 2.5, x1 = 20, y1 = 2.5;
  ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, box));
  EXPECT_EQ(x0, 0);
  EXPECT_EQ(x1, 10);
  EXPECT_EQ(y0, 2.5);
  // A diagonal through a corner region: cut at the top and at the right.
  x0 = 5, y0 = 0, x1 = 15, y1 = 10;
  ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, box));
  EXPECT_DOUBLE_EQ(x1, 10);
  EXPECT_DOUBLE_EQ(y1, 5);
  // Wholly outside, and parallel to an edge outside it.
  x0 = 11, y0 = 0, x1 = 20, y1 = 5;
  EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, box));
  x0 = -1, y0 = -1, x1 = -1, y1 = 6;
  EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, box));
  // Touching a corner only: kept as that point.
  x0 = 10, y0 = 5, x1 = 12, y1 = 7;
  ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, box));
  EXPECT_EQ(x0, 10);
  EXPECT_EQ(x1, 10);
  // Reversed direction gives the same piece, ends swapped.
  x0 = 20, y0 = 2.5, x1 = -10, y1 = 2.5;
  ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, box));
  EXPECT_EQ(x0, 10);
  EXPECT_EQ(x1, 0);
  // NaN ends never pass.
  x0 = std::nan(""), y0 = 1, x1 = 5, y1 = 1;
  EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, box));
}

TEST_F(GraphDraw, SplitScaleLinesMeetAtTheEquivalencePoint) {
  // All on one line, which reaches yMax and yMin inside the plot.
  FillG(sys, {{0, -0.004}, {1, -0.0005}, {2, 0.003}, {3, 0.0065}, {4, 0.01}});
  sys.lines[0].firstPoint = 0, sys.lines[0].endPoint = 4;
  sys.RefitAllLines();
  Prepare(true);
  Draw();
  const auto& line = sys.lines[0];
  const CPoint q{plot.Column(line.veq), plot.ZeroRow()};
  std::vector<DrawCall> toQ;
  for (const auto& c : dc.Calls("Line"))
    if (c.args[2] == q.x && c.args[3] == q.y) toQ.push_back(c);
  ASSERT_EQ(toQ.size(), 2u);
  EXPECT_EQ(toQ[0].args[1], 35);
  EXPECT_EQ(toQ[0].args[0], plot.Column((plot.yMax - line.a) / line.b));
  EXPECT_EQ(toQ[1].args[1], plot.Row(plot.yMin));
  EXPECT_EQ(toQ[1].args[0], plot.Column((plot.yMin - line.a) / line.b));
}

TEST_F(GraphDraw, PointNumbersOutsideTheTableAreClamped) {
  Fill(sys, {{0, 3}, {1, 4}, {2, 6}});
  sys.lines[0].firstPoint = 7;
  sys.lines[0].endPoint = -3;
  sys.lines[0].status = 0;
  Prepare(true);
  Draw(); // reads nothing outside the arrays (checked by the sanitizers)
  EXPECT_EQ(GraphPlot::ClampPoint(sys, 7), 2);
  EXPECT_EQ(GraphPlot::ClampPoint(sys, -3), 0);
  EXPECT_FALSE(dc.Calls("Ellipse").empty());
}

// ------------------------------------------------------------------ hit testing

TEST_F(GraphDraw, HitTestTakesTwiceTheMarkerSizeButNeverBeyond1000) {
  FillG(sys, {{0, 0}, {5, 5}, {10, 10}});
  Prepare(true);
  const int x = plot.Column(5), y = plot.Row(5);
  EXPECT_EQ(plot.HitTest(sys, 6, x + 11, y), 1);
  EXPECT_EQ(plot.HitTest(sys, 6, x + 12, y), -1);      // 144 is not below 144
  EXPECT_EQ(plot.HitTest(sys, 6, x + 8, y + 8), 1);    // 128
  EXPECT_EQ(plot.HitTest(sys, 16, x + 31, y + 6), 1);  // 997
  EXPECT_EQ(plot.HitTest(sys, 16, x + 31, y + 7), -1); // 1010: below 1024 but not 1000
  EXPECT_EQ(plot.HitTest(sys, 16, x + 32, y), -1);
}

TEST_F(GraphDraw, HitTestPrefersTheNearestThenTheLowestNumber) {
  FillG(sys, {{0, 0}, {5, 5}, {5, 5}, {10, 10}});
  Prepare(true);
  const int x = plot.Column(5), y = plot.Row(5);
  EXPECT_EQ(plot.HitTest(sys, 6, x, y), 1);
  sys.volume[2] = 5.05; // a little to the right
  EXPECT_EQ(plot.HitTest(sys, 6, x + 5, y), 2);
}

// ------------------------------------------------------------------ markers

TEST(DrawMarkerTest, EightShapes) {
  CRecordingDC dc;
  const int x = 50, y = 60; // size 9: f 4, h 3, l 6
  auto draw = [&](int type, int size = 9) {
    dc.clear();
    DrawMarker(&dc, x, y, size, RGB(1, 1, 1), RGB(2, 2, 2), type);
    return dc.Dump();
  };
  EXPECT_EQ(draw(0), "Ellipse (46, 56, 54, 64)\n");
  EXPECT_EQ(draw(1), "Rectangle (46, 56, 54, 64)\n");
  EXPECT_EQ(draw(2), "Polygon (46, 57) (54, 57) (50, 66)\n");
  EXPECT_EQ(draw(3), "Polygon (46, 63) (54, 63) (50, 54)\n");
  // m = (int)(9 × 0.87) / 2 = 3, q = 2
  EXPECT_EQ(draw(4), "Line (50, 56) -> (50, 64)\nLine (53, 58) -> (47, 62)\n"
                     "Line (53, 62) -> (47, 58)\n");
  EXPECT_EQ(draw(5), "Polygon (50, 56) (54, 60) (50, 64) (46, 60)\n");
  EXPECT_EQ(draw(6), "Line (50, 56) -> (50, 64)\nLine (46, 60) -> (54, 60)\n");
  // g = (int)(4 × 0.7) = 2
  EXPECT_EQ(draw(7), "Line (52, 58) -> (48, 62)\nLine (48, 58) -> (52, 62)\n");
  EXPECT_EQ(draw(8), "");
  EXPECT_EQ(draw(-1), "");
  EXPECT_EQ(draw(0, 0), "Ellipse (45, 55, 55, 65)\n"); // size 0 counts as 10
  EXPECT_EQ(draw(1, -4), "Rectangle (45, 55, 55, 65)\n");
}

TEST_F(GraphDraw, MarkerSizesFarOutsideTheDialogsRangeStayInBounds) {
  // The stored size is taken as it is; a hand-edited one must not overflow a coordinate.
  Fill(sys, {{0, 3}, {1, 4}, {2, 6}});
  for (int size : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
    SCOPED_TRACE(size);
    settings.markerSize = size;
    for (int type = 0; type < 8; ++type) {
      settings.markerType = type;
      for (bool lin : {false, true}) {
        Prepare(lin);
        Draw();
        for (const auto& c : dc.calls())
          for (int v : c.args)
            EXPECT_LT(std::abs(static_cast<long long>(v)), 100000000LL) << c.Describe();
      }
    }
  }
  dc.clear();
  DrawMarker(&dc, 50, 60, std::numeric_limits<int>::max(), 0, 0, 2);
  EXPECT_EQ(dc.Dump(), "Polygon (-4950, -3273) (5050, -3273) (50, 6726)\n");
}

TEST(DrawMarkerTest, PensAndStateAreRestored) {
  CRecordingDC dc;
  dc.MoveTo(3, 4);
  const CPen pen{PS_SOLID, 1, RGB(7, 7, 7)};
  dc.SelectObject(pen);
  DrawMarker(&dc, 10, 10, 6, RGB(255, 0, 0), RGB(0, 0, 255), 0);
  const DrawCall& c = dc.calls().front();
  EXPECT_EQ(c.pen, (CPen{PS_SOLID, 2, RGB(0, 0, 255)}));
  EXPECT_EQ(c.brush, (CBrush{RGB(255, 0, 0), false}));
  DrawMarker(&dc, 10, 10, 6, RGB(255, 0, 0), RGB(0, 0, 255), 6);
  EXPECT_EQ(dc.calls().back().pen.color, RGB(0, 0, 255)); // strokes: the outline colour
  EXPECT_EQ(dc.GetCurrentPen(), pen);
  EXPECT_EQ(dc.GetCurrentBrush(), CBrush{});
  EXPECT_EQ(dc.GetCurrentPosition(), (CPoint{3, 4}));
}

// ------------------------------------------------------------------ painting and export

TEST_F(GraphDraw, PaintGoesThroughTheBitmapInOneBlock) {
  Fill(sys, {{0, 3}, {5, 9}});
  Prepare(false);
  plot.Paint(&dc, sys, settings, client);
  ASSERT_EQ(dc.calls().size(), 1u);
  EXPECT_EQ(dc.calls()[0].Describe(), "BitBlt (0, 0) (1000, 700) (0, 0)");
  ASSERT_TRUE(plot.cacheBitmap);
  EXPECT_EQ(plot.cacheBitmap->image().size(), QSize(1000, 700));
  EXPECT_EQ(plot.cacheBitmap->image().pixel(2, 2), qRgb(255, 255, 255));
  // The frame's left edge is black.
  EXPECT_EQ(plot.cacheBitmap->image().pixel(100, 300), qRgb(0, 0, 0));
  plot.DeleteCache();
  dc.clear();
  plot.Paint(&dc, sys, settings, client, false);
  EXPECT_GT(dc.calls().size(), 10u);
  EXPECT_FALSE(plot.cacheBitmap);
}

TEST_F(GraphDraw, StampedMarkersGiveTheSamePixelsAsDrawnOnes) {
  Fill(sys, {{0, 3},
             {0.5, 3.4},
             {1, 3.9},
             {1.5, 5},
             {2, 8},
             {2.5, 10.2},
             {3, 10.9},
             {3, 10.9},
             {3, 10.9},
             {3.5, 11.2}});
  sys.lines[0].firstPoint = 5, sys.lines[0].endPoint = 9;
  sys.RefitAllLines();
  for (int type = 0; type < 8; ++type) {
    for (int size : {3, 6, 11, 16}) {
      for (bool lin : {false, true}) {
        SCOPED_TRACE(testing::Message() << "type " << type << " size " << size << " " << lin);
        settings.markerType = type;
        settings.markerSize = size;
        Prepare(lin, 400, 300);
        CImageDC direct(400, 300), buffered(400, 300);
        plot.Paint(&direct, sys, settings, client, false);
        plot.Paint(&buffered, sys, settings, client, true);
        ASSERT_TRUE(direct.image() == buffered.image());
      }
    }
  }
}

TEST_F(GraphDraw, ExportWritesPngAndSvg) {
  Fill(sys, {{0, 3}, {1, 3.2}, {2, 3.5}, {3, 4}, {4, 7}, {5, 10}});
  sys.lines[0].firstPoint = 0, sys.lines[0].endPoint = 3;
  sys.lines[0].status = -2;
  plot.linearised = true;
  PreparePlot(plot, sys, 640, 480);
  EXPECT_EQ(sys.lines[0].status, 0); // refitted
  const QByteArray png = RenderGraph(plot, sys, settings, CSize{640, 480}, GraphFormat::Png);
  QImage image;
  ASSERT_TRUE(image.loadFromData(png, "PNG"));
  EXPECT_EQ(image.size(), QSize(640, 480));
  const QByteArray svg = RenderGraph(plot, sys, settings, CSize{640, 480}, GraphFormat::Svg);
  EXPECT_TRUE(svg.contains("<svg"));
  EXPECT_TRUE(svg.contains("Titration curve (Vexa view)"));
  EXPECT_EQ(GraphFormatForPath("a/b.PNG"), GraphFormat::Png);
  EXPECT_EQ(GraphFormatForPath("b.svg"), GraphFormat::Svg);
  EXPECT_FALSE(GraphFormatForPath("b.jpg"));
}

} // namespace
