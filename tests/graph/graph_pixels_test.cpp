// The fast drawing of large titrations gives the pixels of the plain drawing: columns of points
// merged, hidden markers left out, the background kept between paints. Checked on rendered
// images and on the calls a recording context receives, over many random titrations.
#include "document/TitrationSystem.h"
#include "plot/GraphExport.h"
#include "plot/GraphPlot.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using vexa::TitrationSystem;
using Pixel = std::pair<int, int>;

// ------------------------------------------------------------------ references

// The pixels a one-pixel line from a to b sets, its end left out (the classic line rule).
void LinePixelsInto(CPoint a, CPoint b, std::set<Pixel>& out) {
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int err = dx + dy, x = a.x, y = a.y;
  while (x != b.x || y != b.y) {
    out.insert({x, y});
    const int e2 = 2 * err;
    if (e2 >= dy) err += dy, x += sx;
    if (e2 <= dx) err += dx, y += sy;
  }
}

std::set<Pixel> WalkPixels(const std::vector<CPoint>& walk) {
  std::set<Pixel> out;
  for (std::size_t i = 1; i < walk.size(); ++i)
    LinePixelsInto(walk[i - 1], walk[i], out);
  return out;
}

// The classic view's data as it was drawn point by point: the derivative segment by segment,
// then for every point its marker and the segment to it; then the two titles.
void PlainClassicData(CDC* dc, const GraphPlot& plot, const TitrationSystem& sys,
                      const DrawSettings& s, CSize client) {
  const int n = GraphPlot::PointCount(sys);
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const CFont oldFont = dc->SelectObject(plot.font);
  const CPen defaultPen = dc->SelectObject(CPen{PS_SOLID, 1, s.derivColor});
  bool started = false;
  for (int i = 1; i < n; ++i) {
    const double d = sys.dpHdV[i - 1];
    if (!std::isfinite(d)) {
      started = false;
      continue;
    }
    const int x = plot.Column((sys.volume[i - 1] + sys.volume[i]) * 0.5);
    const int y = plot.DerivRow(d);
    if (started)
      dc->LineTo(x, y);
    else
      dc->MoveTo(x, y), started = true;
  }
  dc->SelectObject(CPen{PS_SOLID, 1, s.plotColor});
  for (int i = 0; i < n; ++i) {
    const int x = plot.Column(sys.volume[i]), y = plot.Row(sys.pH[i]);
    DrawMarker(dc, x, y, s.markerSize, s.markerFillColor, s.markerOutlineColor, s.markerType);
    if (i == 0)
      dc->MoveTo(x, y);
    else
      dc->LineTo(x, y);
  }
  dc->SelectObject(defaultPen);
  const QString title = QString::fromStdString(sys.Title());
  const CSize t = dc->GetTextExtent(title);
  dc->TextOut((client.cx - t.cx) / 2, (plot.plotTop - t.cy) / 2, title);
  const QString text = QStringLiteral("Titration curve (classic view)");
  const CSize e = dc->GetTextExtent(text);
  const int top = plot.plotTop + e.cy / 2;
  if (n > 0 && sys.pH[0] >= 7) {
    dc->Rectangle(plot.plotRight - e.cx - 12, top - 3, plot.plotRight - 6, top + e.cy + 3);
    dc->TextOut(plot.plotRight - e.cx - 9, top, text);
  } else {
    dc->Rectangle(plot.plotLeft + 6, top - 3, plot.plotLeft + e.cx + 12, top + e.cy + 3);
    dc->TextOut(plot.plotLeft + 9, top, text);
  }
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldBk);
}

// The linearised view's data for a system without a line to draw, every marker drawn: the
// rings of the current line, the markers, the status text and the title.
void PlainLinearisedData(CDC* dc, const GraphPlot& plot, const TitrationSystem& sys,
                         const DrawSettings& s, CSize client) {
  const int n = GraphPlot::PointCount(sys);
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const CFont oldFont = dc->SelectObject(plot.font);
  const vexa::ApproxLine& line = sys.lines[0];
  for (auto [point, color] :
       {std::pair{line.firstPoint, s.beginColor}, {line.endPoint, s.endColor}}) {
    const int i = GraphPlot::ClampPoint(sys, point);
    const int x = plot.Column(sys.volume[i]), y = plot.Row(sys.g[i]);
    const CPen oldPen = dc->SelectObject(CPen{PS_SOLID, 2, color});
    const CBrush oldBrush = dc->SelectObject(CBrush{color, false});
    dc->Ellipse(x - s.markerSize, y - s.markerSize, x + s.markerSize, y + s.markerSize);
    dc->SelectObject(oldBrush);
    dc->SelectObject(oldPen);
  }
  for (int i = 0; i < n; ++i)
    DrawMarker(dc, plot.Column(sys.volume[i]), plot.Row(sys.g[i]), s.markerSize, s.markerFillColor,
               s.markerOutlineColor, s.markerType);
  const QString status = QString::fromStdString(sys.StatusText(0));
  const CSize e = dc->GetTextExtent(status);
  dc->TextOut(5, client.cy - e.cy - 5, status);
  const QString title = QString::fromStdString(sys.Title());
  const CSize t = dc->GetTextExtent(title);
  dc->TextOut((client.cx - t.cx) / 2, (plot.plotTop - t.cy) / 2, title);
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldBk);
}

// Paints the recorded calls again, each with the state it was made with.
void Replay(const std::vector<DrawCall>& calls, CDC* dc) {
  for (const DrawCall& c : calls) {
    dc->SelectObject(c.pen);
    dc->SelectObject(c.brush);
    dc->SelectObject(c.font);
    dc->SetBkMode(c.bkMode);
    dc->SetTextColor(c.textColor);
    dc->SetBkColor(c.bkColor);
    dc->SetROP2(c.rop2);
    const auto& a = c.args;
    if (c.op == "Line") {
      dc->MoveTo(a[0], a[1]);
      dc->LineTo(a[2], a[3]);
    } else if (c.op == "Rectangle") {
      dc->Rectangle(a[0], a[1], a[2], a[3]);
    } else if (c.op == "Ellipse") {
      dc->Ellipse(a[0], a[1], a[2], a[3]);
    } else if (c.op == "Polygon" || c.op == "Polyline") {
      std::vector<CPoint> pts;
      for (std::size_t i = 0; i + 1 < a.size(); i += 2)
        pts.push_back(CPoint{a[i], a[i + 1]});
      if (c.op == "Polygon")
        dc->Polygon(pts.data(), static_cast<int>(pts.size()));
      else
        dc->Polyline(pts.data(), static_cast<int>(pts.size()));
    } else if (c.op == "TextOut") {
      dc->SetTextAlign(c.format);
      dc->TextOut(a[0], a[1], c.text);
    } else if (c.op == "FillSolidRect") {
      dc->FillSolidRect(CRect{a[0], a[1], a[2], a[3]}, c.brush.color);
    } else {
      ADD_FAILURE() << "cannot replay " << c.Describe();
    }
  }
  dc->SelectObject(CPen{});
  dc->SelectObject(CBrush{});
  dc->SelectObject(CFont{});
}

// Where two pictures first differ, for the failure message.
std::string FirstDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return "sizes differ";
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y))
        return "first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
  return "none";
}

// ------------------------------------------------------------------ random titrations

struct Shape {
  int n;
  bool dense;     // all points within a few ml, many in one pixel column
  double noise;   // pH noise
  bool jitter;    // volumes out of order
  bool repeated;  // volumes rounded, so that many are equal
  bool roundedPH; // pH to 0.01
  bool gaps;      // a few values that are not numbers
};

Shape RandomShape(std::mt19937& rng) {
  std::uniform_int_distribution<int> coin(0, 1);
  std::uniform_int_distribution<int> sizes(0, 4);
  const int ns[] = {2, 7, 60, 600, 3000};
  Shape s{};
  s.n = ns[sizes(rng)];
  s.dense = coin(rng);
  const double noises[] = {0, 0.002, 0.03, 0.4};
  s.noise = noises[std::uniform_int_distribution<int>(0, 3)(rng)];
  s.jitter = coin(rng) && coin(rng);
  s.repeated = coin(rng) && coin(rng);
  s.roundedPH = coin(rng);
  s.gaps = coin(rng) && coin(rng) && coin(rng);
  return s;
}

void FillRandom(TitrationSystem& sys, const Shape& shape, std::mt19937& rng) {
  sys.lineCount = 1;
  sys.lines = {};
  sys.SetTitle("Random titration");
  sys.SetPointCount(shape.n);
  std::normal_distribution<double> noise(0, shape.noise > 0 ? shape.noise : 1);
  std::uniform_real_distribution<double> unit(0, 1);
  const double span = shape.dense ? 0.3 + 2 * unit(rng) : 10;
  const double veq = span * (0.3 + 0.4 * unit(rng));
  const bool acid = unit(rng) < 0.5;
  for (int i = 0; i < shape.n; ++i) {
    double v = span * i / std::max(shape.n - 1, 1);
    if (shape.jitter) v += span * 0.02 * (unit(rng) - 0.5);
    if (shape.repeated) v = std::round(v * 20) / 20;
    double ph = 7 + (acid ? 4 : -4) * std::tanh((v - veq) * 8 / span);
    if (shape.noise > 0) ph += noise(rng);
    if (shape.roundedPH) ph = std::round(ph * 100) / 100;
    sys.volume[i] = v;
    sys.pH[i] = ph;
  }
  if (shape.gaps && shape.n > 4) {
    sys.pH[shape.n / 3] = std::numeric_limits<double>::quiet_NaN();
    sys.volume[shape.n / 2] = std::numeric_limits<double>::infinity();
  }
  sys.RecomputeLinearised();
}

class GraphPixels : public testing::Test {
protected:
  void Prepare(bool linearised, CSize size) {
    client = size;
    plot.linearised = linearised;
    plot.CreateGraphFont(size.cx, size.cy);
    plot.ComputeRanges(sys);
    plot.ComputeLayout(size.cx, size.cy);
  }
  // The whole view drawn unbuffered, as the tests of the drawing do.
  QImage Direct() {
    CImageDC dc(client.cx, client.cy);
    if (plot.linearised)
      plot.DrawLinearised(&dc, sys, settings, client);
    else
      plot.DrawClassic(&dc, sys, settings, client);
    return dc.image();
  }
  // What the window shows: through the bitmap, markers stamped, the background kept.
  QImage Painted() {
    CImageDC window(client.cx, client.cy);
    plot.Paint(&window, sys, settings, client);
    return window.image();
  }
  QImage Plain() {
    CImageDC dc(client.cx, client.cy);
    plot.DrawBackground(&dc, settings, client);
    if (plot.linearised)
      PlainLinearisedData(&dc, plot, sys, settings, client);
    else
      PlainClassicData(&dc, plot, sys, settings, client);
    return dc.image();
  }
  QImage Replayed() {
    CRecordingDC rec;
    if (plot.linearised)
      plot.DrawLinearised(&rec, sys, settings, client);
    else
      plot.DrawClassic(&rec, sys, settings, client);
    CImageDC dc(client.cx, client.cy);
    Replay(rec.calls(), &dc);
    return dc.image();
  }

  TitrationSystem sys;
  GraphPlot plot;
  // Markers of two colours, so that the order of overlapping ones shows.
  DrawSettings settings = [] {
    DrawSettings s = DrawSettings::Defaults();
    s.markerFillColor = RGB(0, 0, 255);
    s.markerOutlineColor = RGB(200, 0, 100);
    return s;
  }();
  CSize client{400, 300};
};

// ------------------------------------------------------------------ merging columns

TEST(MergePixelColumnsTest, RandomWalksKeepTheirPixelsAndEnds) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    const int length = std::uniform_int_distribution<int>(1, 120)(rng);
    const int width = std::uniform_int_distribution<int>(1, 6)(rng);
    const int height = std::uniform_int_distribution<int>(1, 40)(rng);
    std::uniform_int_distribution<int> dx(0, width - 1), dy(0, height - 1);
    std::uniform_int_distribution<int> stay(0, 3);
    std::vector<CPoint> walk;
    int x = 0;
    for (int i = 0; i < length; ++i) {
      // Mostly staying in the column, sometimes moving on or back.
      if (i > 0 && stay(rng) == 0) x += dx(rng) - width / 3;
      walk.push_back(CPoint{x, dy(rng)});
    }
    std::vector<CPoint> merged;
    MergePixelColumns(walk.data(), walk.size(), merged);
    SCOPED_TRACE(round);
    ASSERT_FALSE(merged.empty());
    EXPECT_EQ(merged.front(), walk.front());
    EXPECT_EQ(merged.back(), walk.back());
    ASSERT_EQ(WalkPixels(merged), WalkPixels(walk));
    // At most five vertices for every run of points in one column.
    std::size_t runs = 1;
    for (std::size_t i = 1; i < walk.size(); ++i)
      runs += walk[i].x != walk[i - 1].x;
    EXPECT_LE(merged.size(), 5 * runs);
  }
}

TEST(MergePixelColumnsTest, AColumnOfManyPointsBecomesAFewVertices) {
  std::vector<CPoint> walk{{9, 50}};
  for (int i = 0; i < 1000; ++i)
    walk.push_back(CPoint{10, 40 + (i * 7919) % 23});
  walk.push_back(CPoint{11, 45});
  std::vector<CPoint> merged;
  MergePixelColumns(walk.data(), walk.size(), merged);
  EXPECT_LE(merged.size(), 7u);
  EXPECT_EQ(WalkPixels(merged), WalkPixels(walk));

  // The walk ends on its highest row, which it met before and left again: that row is set,
  // and stays set in the merged walk.
  const std::vector<CPoint> back{{3, 5}, {3, 2}, {3, 9}, {3, 4}, {3, 9}};
  merged.clear();
  MergePixelColumns(back.data(), back.size(), merged);
  EXPECT_TRUE(WalkPixels(merged).count({3, 9}));
  EXPECT_EQ(WalkPixels(merged), WalkPixels(back));
  // Reached only at the end, it is left out as the line's end pixel.
  const std::vector<CPoint> end{{3, 5}, {3, 2}, {3, 4}, {3, 9}};
  merged.clear();
  MergePixelColumns(end.data(), end.size(), merged);
  EXPECT_FALSE(WalkPixels(merged).count({3, 9}));
  EXPECT_EQ(WalkPixels(merged), WalkPixels(end));
  // One point, and points on one pixel.
  const std::vector<CPoint> one{{1, 1}, {1, 1}, {1, 1}};
  merged.clear();
  MergePixelColumns(one.data(), one.size(), merged);
  EXPECT_EQ(merged, (std::vector<CPoint>{{1, 1}}));
}

TEST(LastOnEachPixelTest, KeepsTheLastOfEachPixelAndEverythingFarOutside) {
  const std::vector<CPoint> pts{{1, 1}, {2, 2}, {1, 1}, {500, 500}, {500, 500}, {-3, 0}, {2, 2}};
  const std::vector<char> keep = LastOnEachPixel(pts.data(), pts.size(), CSize{10, 10}, 5);
  EXPECT_EQ(keep, (std::vector<char>{0, 0, 1, 1, 1, 1, 1}));
}

// ------------------------------------------------------------------ the same pixels

TEST_F(GraphPixels, ClassicViewOfRandomTitrationsHasThePixelsOfThePlainDrawing) {
  std::mt19937 rng(2024);
  const int sizes[] = {0, 2, 5, 6, 9, 16};
  const CSize clients[] = {{240, 180}, {400, 300}, {333, 211}};
  for (int round = 0; round < 160; ++round) {
    const Shape shape = RandomShape(rng);
    FillRandom(sys, shape, rng);
    settings.markerType = round % 9; // 8 draws nothing
    settings.markerSize = sizes[round % 6];
    Prepare(false, clients[round % 3]);
    SCOPED_TRACE(testing::Message()
                 << "round " << round << ", " << shape.n << " points, dense " << shape.dense
                 << ", noise " << shape.noise << ", jitter " << shape.jitter << ", repeated "
                 << shape.repeated << ", gaps " << shape.gaps << ", marker " << settings.markerType
                 << "/" << settings.markerSize);
    const QImage plain = Plain();
    const QImage direct = Direct();
    ASSERT_TRUE(direct == plain) << FirstDifference(direct, plain);
    const QImage painted = Painted();
    ASSERT_TRUE(painted == plain) << FirstDifference(painted, plain);
    if (round % 4 == 0) {
      const QImage replayed = Replayed();
      ASSERT_TRUE(replayed == plain) << FirstDifference(replayed, plain);
    }
  }
}

TEST_F(GraphPixels, LinearisedViewOfRandomTitrationsHasThePixelsOfThePlainDrawing) {
  std::mt19937 rng(99);
  for (int round = 0; round < 60; ++round) {
    const Shape shape = RandomShape(rng);
    FillRandom(sys, shape, rng);
    sys.lines[0].firstPoint = shape.n / 4;
    sys.lines[0].endPoint = shape.n / 2;
    sys.lines[0].status = vexa::kLineFewPoints; // no line to draw
    settings.markerType = round % 8;
    settings.markerSize = 3 + round % 9;
    Prepare(true, CSize{360, 270});
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << shape.n << " points");
    const QImage plain = Plain();
    const QImage direct = Direct();
    ASSERT_TRUE(direct == plain) << FirstDifference(direct, plain);
    const QImage painted = Painted();
    ASSERT_TRUE(painted == plain) << FirstDifference(painted, plain);
    const QImage replayed = Replayed();
    ASSERT_TRUE(replayed == plain) << FirstDifference(replayed, plain);
  }
}

TEST_F(GraphPixels, ADenseTitrationIsDrawnWithFewCalls) {
  std::mt19937 rng(5);
  FillRandom(sys, Shape{20000, false, 0.002, false, false, true, false}, rng);
  Prepare(false, CSize{400, 300});
  CRecordingDC rec;
  plot.DrawClassic(&rec, sys, settings, client);
  // A few vertices and markers for each of the plot's 340 columns, not 20 000 of each.
  EXPECT_LT(rec.Calls("Line").size(), 8000u);
  EXPECT_LT(rec.Calls("Ellipse").size(), 4000u);
  const QImage plain = Plain();
  EXPECT_TRUE(Direct() == plain);
}

// ------------------------------------------------------------------ line numbers

TEST_F(GraphPixels, LineNumbersAreDrawnOverTheMarkers) {
  // Dense points along the line, so that markers lie where its number goes.
  const int n = 400;
  sys.SetPointCount(n);
  for (int i = 0; i < n; ++i) {
    sys.volume[i] = 10.0 * i / (n - 1);
    sys.pH[i] = 3 + 0.8 * sys.volume[i];
  }
  sys.RecomputeLinearised();
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = n - 1;
  sys.RefitAllLines();
  ASSERT_EQ(sys.lines[0].status, vexa::kLineFitted);
  settings.markerSize = 30;
  Prepare(true, CSize{400, 300});
  CRecordingDC rec;
  plot.DrawLinearised(&rec, sys, settings, client);
  const auto& calls = rec.calls();
  std::size_t lastMarker = 0, label = 0;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].op == "Ellipse" && calls[i].brush.color == settings.markerFillColor)
      lastMarker = i;
    if (calls[i].op == "TextOut" && calls[i].text == "1" && calls[i - 1].op == "Ellipse") label = i;
  }
  ASSERT_GT(label, 0u);
  EXPECT_GT(label - 1, lastMarker);
  // In the window too: the number's circle is white inside, over the big markers.
  const DrawCall& circle = calls[label - 1];
  const int cx = (circle.args[0] + circle.args[2]) / 2;
  const int cy = (circle.args[1] + circle.args[3]) / 2;
  const QImage shown = Painted();
  const QRgb inside = shown.pixel(cx - (circle.args[2] - circle.args[0]) / 2 + 2, cy);
  EXPECT_EQ(inside, qRgb(255, 255, 255));
}

// ------------------------------------------------------------------ the kept background

TEST_F(GraphPixels, TheBackgroundIsKeptWhileOnlyTheDataChange) {
  std::mt19937 rng(11);
  FillRandom(sys, Shape{300, false, 0.01, false, false, false, false}, rng);
  sys.lineCount = 2;
  sys.lines[0].firstPoint = 0, sys.lines[0].endPoint = 60;
  sys.lines[1].firstPoint = 200, sys.lines[1].endPoint = 299;
  sys.RefitAllLines();
  for (bool lin : {false, true}) {
    SCOPED_TRACE(lin);
    plot.DeleteCache();
    Prepare(lin, CSize{400, 300});
    EXPECT_TRUE(Painted() == Direct());
    EXPECT_TRUE(plot.BackgroundRedrawn());
    auto same = [&](const char* what) {
      SCOPED_TRACE(what);
      const QImage shown = Painted();
      EXPECT_FALSE(plot.BackgroundRedrawn());
      EXPECT_TRUE(shown == Direct()) << FirstDifference(shown, Direct());
    };
    same("again");
    plot.currentLine = 1;
    same("another current line");
    sys.lines[1].firstPoint = 150;
    sys.lines[1].status = sys.FitLine(1);
    same("a line's end moved");
    sys.SetTitle("Another title");
    same("a new title");
    sys.pH[10] += 0.05;
    sys.RecomputeLinearised();
    same("a point moved within the ranges");
  }
}

TEST_F(GraphPixels, TheBackgroundIsDrawnAgainWhenWhatItShowsChanges) {
  std::mt19937 rng(12);
  FillRandom(sys, Shape{300, false, 0.01, false, false, false, false}, rng);
  Prepare(false, CSize{400, 300});
  Painted();
  auto anew = [&](const char* what) {
    SCOPED_TRACE(what);
    const QImage shown = Painted();
    EXPECT_TRUE(plot.BackgroundRedrawn());
    EXPECT_TRUE(shown == Direct()) << FirstDifference(shown, Direct());
  };
  Prepare(false, CSize{420, 300});
  anew("a new size");
  Prepare(true, CSize{420, 300});
  anew("the other view");
  sys.volume[299] = 14; // beyond the abscissa
  plot.ComputeRanges(sys);
  plot.ComputeLayout(client.cx, client.cy);
  anew("new ranges");
  settings.gridColor = RGB(0, 200, 0);
  anew("a new grid colour");
  settings.markerSize += 6; // moves the ordinate labels
  anew("a new marker size");
  plot.CreateGraphFont(900, 900);
  anew("a new font");
  plot.DeleteCache();
  anew("the cache deleted");
}

// ------------------------------------------------------------------ export

// The mean of each k × k block.
QImage Shrink(const QImage& big, int k) {
  QImage small(big.width() / k, big.height() / k, QImage::Format_RGB32);
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x) {
      int r = 0, g = 0, b = 0;
      for (int j = 0; j < k; ++j)
        for (int i = 0; i < k; ++i) {
          const QRgb p = big.pixel(x * k + i, y * k + j);
          r += qRed(p), g += qGreen(p), b += qBlue(p);
        }
      const int kk = k * k;
      small.setPixel(x, y, qRgb(r / kk, g / kk, b / kk));
    }
  return small;
}

// The mean difference of two pictures of one size, over the three channels.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}

int Ink(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      dark += qGray(image.pixel(x, y)) < 160;
  return dark;
}

TEST(GraphExportTest, ScaleFollowsThePictureSize) {
  EXPECT_EQ(DefaultGraphScale(CSize{800, 600}), 1);
  EXPECT_EQ(DefaultGraphScale(CSize{320, 240}), 1);
  EXPECT_EQ(DefaultGraphScale(CSize{2400, 1800}), 3);
  EXPECT_DOUBLE_EQ(DefaultGraphScale(CSize{4000, 1200}), 2);
  EXPECT_EQ(GraphLayoutFor(CSize{2400, 1800}, 3), (CSize{800, 600}));
  EXPECT_EQ(GraphLayoutFor(CSize{4000, 1200}, 2), (CSize{2000, 600}));
  EXPECT_EQ(GraphLayoutFor(CSize{100, 100}, 16), (CSize{16, 16}));
}

TEST(GraphExportTest, ALargePictureIsTheSmallOneDrawnFiner) {
  TitrationSystem sys;
  std::mt19937 rng(3);
  FillRandom(sys, Shape{40, false, 0.02, false, false, false, false}, rng);
  sys.lines[0].firstPoint = 25, sys.lines[0].endPoint = 39;
  const DrawSettings s = DrawSettings::Defaults();
  for (bool lin : {false, true}) {
    SCOPED_TRACE(lin);
    GraphPlot plot;
    plot.linearised = lin;
    QImage small, big;
    ASSERT_TRUE(small.loadFromData(ExportGraph(plot, sys, s, CSize{800, 600}, GraphFormat::Png)));
    ASSERT_TRUE(big.loadFromData(ExportGraph(plot, sys, s, CSize{2400, 1800}, GraphFormat::Png)));
    ASSERT_EQ(big.size(), QSize(2400, 1800));
    // Laid out as the small one: the same plot rectangle and font in the same place.
    EXPECT_EQ(plot.plotRight, 760);
    EXPECT_EQ(plot.font.height, -15);
    // Shrunk back, nearly the small one; and it carries about nine times its ink.
    EXPECT_LT(MeanDifference(Shrink(big, 3), small), 1.5);
    const double ratio = static_cast<double>(Ink(big)) / Ink(small);
    EXPECT_GT(ratio, 6.5);
    EXPECT_LT(ratio, 11.5);
  }
}

TEST(GraphExportTest, PicturesAreAntiAliasedWithCrispFrames) {
  TitrationSystem sys;
  sys.SetPointCount(3);
  const double v[] = {0, 4, 10}, ph[] = {3, 5.3, 11.7};
  for (int i = 0; i < 3; ++i)
    sys.volume[i] = v[i], sys.pH[i] = ph[i];
  sys.RecomputeLinearised();
  DrawSettings s = DrawSettings::Defaults();
  s.markerType = 0;
  s.markerSize = 12;
  s.markerFillColor = s.markerOutlineColor = RGB(0, 0, 255);
  GraphPlot plot;
  QImage image;
  ASSERT_TRUE(image.loadFromData(ExportGraph(plot, sys, s, CSize{800, 600}, GraphFormat::Png)));
  // The marker's rim blends blue into white.
  const int x = plot.Column(4), y = plot.Row(5.3);
  int blends = 0;
  for (int j = -8; j <= 8; ++j)
    for (int i = -8; i <= 8; ++i) {
      const QRgb p = image.pixel(x + i, y + j);
      blends += qBlue(p) == 255 && qRed(p) > 30 && qRed(p) < 225 && qRed(p) == qGreen(p);
    }
  EXPECT_GT(blends, 4);
  // The frame stays one whole black pixel wide.
  const int mid = (plot.plotTop + plot.plotBottom) / 2 + 7;
  EXPECT_EQ(image.pixel(plot.plotLeft, mid), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(plot.plotLeft - 1, mid), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(plot.plotLeft + 1, mid), qRgb(255, 255, 255));
}

} // namespace
