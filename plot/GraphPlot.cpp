#include "plot/GraphPlot.h"

#include "document/TitrationSystem.h"
#include "resources/Ids.h"
#include "platform/CodePage.h"
#include "resources/Texts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

using vexa::TitrationSystem;

namespace {

constexpr double kPixelBound = 1e7;
constexpr int kMaxTicks = 10000;

// "%g" of a tick value; a value that is zero but for the sums' rounding reads 0.
QString TickG(double v, double step) {
  if (std::fabs(v) < std::fabs(step) * 1e-9) v = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return QString::fromLatin1(buf);
}

// "%.2f" of a scaled tick value.
QString TickF2(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  QString s = QString::fromLatin1(buf);
  if (s == QLatin1String("-0.00")) s = QStringLiteral("0.00");
  return s;
}

QString Number(int v) {
  return QString::number(v);
}

// Runs body(v) for v = from, from + step, ... while more(v), and never forever: a step that no
// longer moves v, or that is not a number, ends the walk.
template <typename More, typename Body> void Walk(double from, double step, More more, Body body) {
  if (!std::isfinite(from) || !std::isfinite(step) || step == 0) return;
  double v = from;
  for (int i = 0; i < kMaxTicks && more(v); ++i) {
    body(v);
    const double next = v + step;
    if (next == v) break;
    v = next;
  }
}

// The label multiplier of an ordinate of magnitude a: 10^−floor(log10 a), rounded up, at
// least 1 (ordinates of order 0.001 give 1000, of 1 or more give 1).
int Multiplier(double a) {
  if (!(a > 0) || !std::isfinite(a)) return 1;
  const int e = static_cast<int>(std::floor(std::log10(a)));
  if (e >= 0) return 1;
  const double m = std::ceil(std::pow(10.0, -std::max(e, -9)));
  return std::max(1, static_cast<int>(m));
}

// A range that has no span (or none at all) gets one around its value, so the points sit in
// the middle of the plot: around zero a span of 1, else half the value on either side.
void Widen(double& lo, double& hi, double fallbackLo, double fallbackHi) {
  if (hi > lo) return;
  if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi)) {
    lo = fallbackLo;
    hi = fallbackHi;
    return;
  }
  const double c = lo;
  const double half = c == 0 ? 0.5 : std::fabs(c) * 0.5;
  lo = c - half;
  hi = c + half;
}

// The title box: a rectangle in the default pen and brush and a text in it.
void TitleBox(CDC* dc, int l, int t, int r, int b, int tx, int ty, const QString& text) {
  dc->Rectangle(l, t, r, b);
  dc->TextOut(tx, ty, text);
}

} // namespace

int MarkerExtent(int size) {
  constexpr int kMaxMarkerExtent = 10000;
  return std::clamp(size, -kMaxMarkerExtent, kMaxMarkerExtent);
}

int ToPixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, -kPixelBound, kPixelBound));
}

void DrawMarker(CDC* dc, int x, int y, int size, COLORREF fill, COLORREF outline, int type) {
  const CBrush oldBrush = dc->SelectObject(CBrush{fill, false});
  const CPen oldPen = dc->SelectObject(CPen{PS_SOLID, 2, outline});
  const CPoint oldPos = dc->GetCurrentPosition();
  if (size <= 0) size = 10;
  size = MarkerExtent(size);
  const int f = size / 2;
  const int h = size / 3;
  const int l = 2 * size / 3;
  auto stroke = [dc](int x1, int y1, int x2, int y2) {
    dc->MoveTo(x1, y1);
    dc->LineTo(x2, y2);
  };
  switch (type) {
  case 0: dc->Ellipse(x - f, y - f, x + f, y + f); break;
  case 1: dc->Rectangle(x - f, y - f, x + f, y + f); break;
  case 2: {
    const CPoint pts[] = {{x - f, y - h}, {x + f, y - h}, {x, y + l}};
    dc->Polygon(pts, 3);
    break;
  }
  case 3: {
    const CPoint pts[] = {{x - f, y + h}, {x + f, y + h}, {x, y - l}};
    dc->Polygon(pts, 3);
    break;
  }
  case 4: {
    const int m = static_cast<int>(size * 0.87) / 2;
    const int q = size / 4;
    stroke(x, y - f, x, y + f);
    stroke(x + m, y - q, x - m, y + q);
    stroke(x + m, y + q, x - m, y - q);
    break;
  }
  case 5: {
    const CPoint pts[] = {{x, y - f}, {x + f, y}, {x, y + f}, {x - f, y}};
    dc->Polygon(pts, 4);
    break;
  }
  case 6:
    stroke(x, y - f, x, y + f);
    stroke(x - f, y, x + f, y);
    break;
  case 7: {
    const int g = static_cast<int>(f * 0.7);
    stroke(x + g, y - g, x - g, y + g);
    stroke(x - g, y - g, x + g, y + g);
    break;
  }
  default: break;
  }
  dc->MoveTo(oldPos);
  dc->SelectObject(oldPen);
  dc->SelectObject(oldBrush);
}

// A picture of one marker on a transparent ground, drawn once by DrawMarker itself and copied
// for every point: the same pixels at a fraction of the cost.
class GraphPlot::PixelStamp : public MarkerStamp {
public:
  static constexpr int kMaxSize = 64;
  explicit PixelStamp(const DrawSettings& s)
      : centre_((s.markerSize <= 0 ? 10 : s.markerSize) + 4),
        image_(2 * centre_ + 1, 2 * centre_ + 1, QImage::Format_ARGB32_Premultiplied) {
    image_.fill(Qt::transparent);
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    ImageView view(&painter, &image_);
    DrawMarker(&view, centre_, centre_, s.markerSize, s.markerFillColor, s.markerOutlineColor,
               s.markerType);
  }
  static bool Suits(const DrawSettings& s) { return s.markerSize <= kMaxSize; }
  void Put(CDC* dc, int x, int y) const override {
    dc->BitBlt(x - centre_, y - centre_, 2 * centre_ + 1, 2 * centre_ + 1, &source_, 0, 0, SRCCOPY);
  }

private:
  // A context over the stamp's picture: what DrawMarker draws into, and what BitBlt copies from.
  class ImageView : public CPainterDC {
  public:
    ImageView(QPainter* painter, const QImage* image) : CPainterDC(painter), image_(image) {}
    const QImage* Image() const override { return image_; }

  private:
    const QImage* image_;
  };
  int centre_;
  QImage image_;
  mutable ImageView source_{nullptr, &image_};
};

void GraphPlot::PutMarker(CDC* dc, int x, int y, const DrawSettings& s, const MarkerStamp* stamp) {
  if (stamp) {
    stamp->Put(dc, x, y);
    return;
  }
  DrawMarker(dc, x, y, s.markerSize, s.markerFillColor, s.markerOutlineColor, s.markerType);
}

// ------------------------------------------------------------------ pixel walks

namespace {

// The rows that the vertical steps of a walk in one column cover, each step leaving out its end
// row: every row from the lowest to the highest, but for the last row when no step covers it.
struct ColumnCover {
  bool any = false;
  int lo = 0, hi = 0;
  bool lastCovered = false;
  bool operator==(const ColumnCover&) const = default;
};

// Whether the step from row a to row b (its end left out) covers row r.
bool StepCovers(int a, int b, int r) {
  return a < b ? (a <= r && r < b) : (b < r && r <= a);
}

template <typename RowAt> ColumnCover CoverOf(std::size_t k, RowAt row) {
  ColumnCover c;
  const int last = row(k - 1);
  c.lo = c.hi = row(0);
  for (std::size_t i = 0; i + 1 < k; ++i) {
    const int a = row(i), b = row(i + 1);
    c.lo = std::min(c.lo, b);
    c.hi = std::max(c.hi, b);
    if (a != b) c.any = true;
    if (a != b && StepCovers(a, b, last)) c.lastCovered = true;
  }
  if (!c.any) return ColumnCover{};
  return c;
}

} // namespace

void MergePixelColumns(const CPoint* walk, std::size_t count, std::vector<CPoint>& out) {
  if (count == 0) return;
  auto push = [&](CPoint p, bool first) {
    if (first || out.back() != p) out.push_back(p);
  };
  bool firstOfWalk = true;
  std::size_t g = 0;
  while (g < count) {
    // The points g ... e - 1 share a column.
    std::size_t e = g + 1;
    while (e < count && walk[e].x == walk[g].x)
      ++e;
    const int x = walk[g].x;
    push(walk[g], firstOfWalk);
    firstOfWalk = false;
    const std::size_t k = e - g;
    if (k > 1) {
      // The lowest and highest rows where they are first met.
      std::size_t iLo = g, iHi = g;
      for (std::size_t i = g + 1; i < e; ++i) {
        if (walk[i].y < walk[iLo].y) iLo = i;
        if (walk[i].y > walk[iHi].y) iHi = i;
      }
      const int first = walk[g].y, last = walk[e - 1].y;
      const int e1 = walk[std::min(iLo, iHi)].y, e2 = walk[std::max(iLo, iHi)].y;
      const ColumnCover want = CoverOf(k, [&](std::size_t i) { return walk[g + i].y; });
      const int shortWalk[] = {first, e1, e2, last};
      const int longerWalk[] = {first, e1, e2, e1, last};
      auto append = [&](const int* rows, std::size_t m) {
        for (std::size_t i = 1; i < m; ++i)
          push(CPoint{x, rows[i]}, false);
      };
      if (CoverOf(4, [&](std::size_t i) { return shortWalk[i]; }) == want) {
        append(shortWalk, 4);
      } else if (CoverOf(5, [&](std::size_t i) { return longerWalk[i]; }) == want) {
        append(longerWalk, 5);
      } else {
        for (std::size_t i = g + 1; i < e; ++i)
          push(walk[i], false);
      }
    }
    g = e;
  }
}

std::vector<char> LastOnEachPixel(const CPoint* pts, std::size_t n, CSize client, int margin) {
  std::vector<char> keep(n, 1);
  margin = std::clamp(margin, 0, 100000);
  const long long w = std::max(client.cx, 0) + 2LL * margin;
  const long long h = std::max(client.cy, 0) + 2LL * margin;
  if (w <= 0 || h <= 0 || w * h > (1LL << 31)) return keep;
  std::vector<std::uint64_t> seen(static_cast<std::size_t>((w * h + 63) / 64), 0);
  for (std::size_t i = n; i-- > 0;) {
    const long long x = static_cast<long long>(pts[i].x) + margin;
    const long long y = static_cast<long long>(pts[i].y) + margin;
    if (x < 0 || y < 0 || x >= w || y >= h) continue;
    const std::size_t bit = static_cast<std::size_t>(y * w + x);
    std::uint64_t& word = seen[bit / 64];
    const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
    if (word & mask) keep[i] = 0;
    word |= mask;
  }
  return keep;
}

GraphPlot::GraphPlot() = default;
GraphPlot::~GraphPlot() = default;

int GraphPlot::PointCount(const TitrationSystem& sys) {
  int n = std::max(sys.pointCount, 0);
  for (const vexa::PointArray* a : {&sys.volume, &sys.pH, &sys.g})
    n = a->present() ? std::min(n, a->capacity()) : 0;
  return n;
}

int GraphPlot::ClampPoint(const TitrationSystem& sys, int point) {
  const int n = PointCount(sys);
  return n == 0 ? 0 : std::clamp(point, 0, n - 1);
}

void GraphPlot::ComputeRanges(TitrationSystem& sys) {
  const int n = PointCount(sys);
  constexpr double kBig = 1e30;

  xMin = 0;
  double vMax = -kBig;
  double vMin = kBig;
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(sys.volume[i])) continue;
    vMax = std::max(vMax, sys.volume[i]);
    vMin = std::min(vMin, sys.volume[i]);
  }
  xMax = std::ceil(vMax);
  if (!(xMax > xMin)) {
    // No volume above zero: the range reaches down to the smallest one instead.
    if (vMin <= vMax && vMin < 0) {
      xMin = std::floor(vMin);
      xMax = 0;
    } else if (vMin <= vMax) {
      xMin = vMin;
      xMax = vMin;
      Widen(xMin, xMax, 0, 1);
    } else {
      xMin = 0;
      xMax = 1;
    }
  }
  const double s = xMax - xMin;
  xStep = s > 20 ? 5 : s > 5 ? 1 : s * 0.1;

  if (linearised) {
    yMin = kBig;
    yMax = -kBig;
    for (int i = 0; i < n; ++i) {
      if (!std::isfinite(sys.g[i])) continue;
      yMin = std::min(yMin, sys.g[i]);
      yMax = std::max(yMax, sys.g[i]);
    }
    Widen(yMin, yMax, 0, 1);
    if (yMin * yMax >= 0) {
      yStep = (yMax - yMin) * 0.1;
    } else {
      yStep = yMax * 0.1;
      yStepNeg = yMin * 0.1;
    }
    return;
  }

  yMin = kBig;
  yMax = -kBig;
  derivMin = kBig;
  derivMax = -kBig;
  if (n > 1 && (!sys.dpHdV.present() || sys.dpHdV.capacity() < n - 1)) sys.dpHdV.Allocate(n);
  for (int i = 0; i < n; ++i) {
    if (std::isfinite(sys.pH[i])) {
      yMin = std::min(yMin, sys.pH[i]);
      yMax = std::max(yMax, sys.pH[i]);
    }
    if (i == 0) continue;
    const double d = (sys.pH[i] - sys.pH[i - 1]) / (sys.volume[i] - sys.volume[i - 1]);
    sys.dpHdV[i - 1] = d;
    if (!std::isfinite(d)) continue;
    derivMin = std::min(derivMin, d);
    derivMax = std::max(derivMax, d);
  }
  if (yMin <= yMax) {
    yMin = std::floor(yMin);
    yMax = std::ceil(yMax);
    // All pH the same whole number: one unit either side keeps whole-number bounds.
    if (yMax == yMin) --yMin, ++yMax;
  } else {
    yMin = 0;
    yMax = 1;
  }
  yStep = yMax - yMin > 2 ? 1 : (yMax - yMin) * 0.1;
  Widen(derivMin, derivMax, 0, 1);
}

void GraphPlot::ComputeLayout(int cx, int cy) {
  plotLeft = static_cast<int>(cx * 0.1);
  plotRight = static_cast<int>(cx * 0.95);
  plotTop = static_cast<int>(cy * 0.05);
  plotBottom = static_cast<int>(cy * 0.9);
  xScale = (plotRight - plotLeft) / (xMax - xMin);
  if (yMin * yMax >= 0) {
    yScale = (plotBottom - plotTop) / (yMax - yMin);
  } else {
    yScale = (plotBottom - plotTop) / yMax * 0.5;
    yScaleNeg = (plotTop - plotBottom) / yMin * 0.5;
  }
  derivScale = (plotBottom - plotTop) / (derivMax - derivMin);
}

void GraphPlot::CreateGraphFont(int cx, int cy) {
  font = CFont{};
  font.face = QStringLiteral("Arial");
  font.weight = 400;
  font.height = -10 - (std::min(cx, cy) - 350) / 50;
}

int GraphPlot::Row(double value) const {
  if (yMin * yMax >= 0) return plotBottom - ToPixel((value - yMin) * yScale);
  if (value > 0) return ZeroRow() - ToPixel(value * yScale);
  return ZeroRow() - ToPixel(value * yScaleNeg);
}

int GraphPlot::HitTest(const TitrationSystem& sys, int markerSize, int mx, int my) const {
  const int n = PointCount(sys);
  const double limit = 4.0 * markerSize * markerSize;
  double best = 1000;
  int hit = -1;
  for (int i = 0; i < n; ++i) {
    const double dx = double(Column(sys.volume[i])) - mx;
    const double dy = double(Row(linearised ? sys.g[i] : sys.pH[i])) - my;
    const double d2 = dx * dx + dy * dy;
    if (d2 < limit && d2 < best) {
      best = d2;
      hit = i;
    }
  }
  return hit;
}

// ------------------------------------------------------------------ the drawing steps

void GraphPlot::DrawAbscissaTicks(CDC* dc) const {
  Walk(
      xMin, xStep, [&](double v) { return v < xMax; },
      [&](double v) {
        const QString text = TickG(v, xStep);
        const CSize e = dc->GetTextExtent(text);
        const int x = Column(v);
        dc->TextOut(x - e.cx / 2, plotBottom + e.cy / 2, text);
        dc->MoveTo(x, plotBottom);
        dc->LineTo(x, plotTop);
      });
}

void GraphPlot::DrawFrame(CDC* dc, const DrawSettings& s) const {
  const CPen old = dc->SelectObject(CPen{PS_SOLID, 1, s.borderColor});
  dc->MoveTo(plotLeft, plotTop);
  dc->LineTo(plotLeft, plotBottom);
  dc->LineTo(plotRight, plotBottom);
  dc->LineTo(plotRight, plotTop);
  dc->LineTo(plotLeft, plotTop);
  dc->SelectObject(old);
}

void GraphPlot::DrawAbscissaTitle(CDC* dc) const {
  const QString text = QString::fromUtf8(vexa::ProgramString(ids::IDS_TITRANT_VOLUME));
  const CSize e = dc->GetTextExtent(text);
  TitleBox(dc, plotRight - e.cx - 4, plotBottom + e.cy / 2 - 2, plotRight + 1,
           plotBottom + 3 * e.cy / 2 + 2, plotRight - e.cx - 2, plotBottom + e.cy / 2, text);
}

void GraphPlot::DrawSystemTitle(CDC* dc, const TitrationSystem& sys, CSize client) const {
  const QString text = QString::fromStdString(vexa::platform::AnsiToUtf8(sys.Title()));
  const CSize e = dc->GetTextExtent(text);
  dc->TextOut((client.cx - e.cx) / 2, (plotTop - e.cy) / 2, text);
}

void GraphPlot::DrawClassic(CDC* dc, const TitrationSystem& sys, const DrawSettings& s,
                            CSize client, const MarkerStamp* stamp) const {
  DrawClassicBackground(dc, s);
  DrawClassicData(dc, sys, s, client, stamp);
}

void GraphPlot::DrawClassicBackground(CDC* dc, const DrawSettings& s) const {
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const CFont oldFont = dc->SelectObject(font);
  const CPen defaultPen = dc->SelectObject(CPen{PS_SOLID, 1, s.gridColor});

  // The ticks with their labels and grid lines.
  DrawAbscissaTicks(dc);
  Walk(
      yMin, yStep, [&](double v) { return v < yMax; },
      [&](double v) {
        const QString text = TickG(v, yStep);
        const CSize e = dc->GetTextExtent(text);
        const int y = Row(v);
        dc->TextOut(plotLeft - e.cx - MarkerExtent(s.markerSize) / 2, y - e.cy / 2, text);
        dc->MoveTo(plotLeft, y);
        dc->LineTo(plotRight, y);
      });
  dc->SelectObject(defaultPen);

  // The frame.
  DrawFrame(dc, s);

  // The axis titles.
  {
    const QString text = QString::fromUtf8(vexa::ProgramString(ids::IDS_PH));
    const CSize e = dc->GetTextExtent(text);
    TitleBox(dc, (plotLeft - e.cx) / 2 - 4, plotTop - e.cy / 2 - 2, (plotLeft + e.cx) / 2 + 4,
             plotTop + e.cy / 2 + 2, (plotLeft - e.cx) / 2, plotTop - e.cy / 2, text);
  }
  DrawAbscissaTitle(dc);

  dc->SelectObject(defaultPen);
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldBk);
}

void GraphPlot::DrawDerivative(CDC* dc, const TitrationSystem& sys, int n) const {
  if (n < 2 || !sys.dpHdV.present() || sys.dpHdV.capacity() < n - 1) return;
  // Drawn at the middle of each interval; a value that is not a number breaks the curve.
  std::vector<CPoint> stretch, merged;
  auto flush = [&] {
    if (stretch.empty()) return;
    merged.clear();
    MergePixelColumns(stretch.data(), stretch.size(), merged);
    dc->MoveTo(merged[0]);
    for (std::size_t k = 1; k < merged.size(); ++k)
      dc->LineTo(merged[k]);
    stretch.clear();
  };
  for (int i = 1; i < n; ++i) {
    const double d = sys.dpHdV[i - 1];
    if (!std::isfinite(d)) {
      flush();
      continue;
    }
    stretch.push_back(CPoint{Column((sys.volume[i - 1] + sys.volume[i]) * 0.5), DerivRow(d)});
  }
  flush();
}

void GraphPlot::DrawCurve(CDC* dc, const TitrationSystem& sys, int n, const DrawSettings& s,
                          CSize client, const MarkerStamp* stamp) const {
  if (n <= 0) return;
  std::vector<CPoint> pts(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    pts[static_cast<std::size_t>(i)] = CPoint{Column(sys.volume[i]), Row(sys.pH[i])};
  const int reach = MarkerExtent(s.markerSize <= 0 ? 10 : s.markerSize) + 8;
  const std::vector<char> put = LastOnEachPixel(pts.data(), pts.size(), client, reach);
  // The segments since the last marker put: the walk from pts[from] to pts[to].
  std::vector<CPoint> merged;
  std::size_t from = 0;
  auto flush = [&](std::size_t to) {
    if (to <= from) return;
    merged.clear();
    MergePixelColumns(&pts[from], to - from + 1, merged);
    dc->MoveTo(merged[0]);
    for (std::size_t k = 1; k < merged.size(); ++k)
      dc->LineTo(merged[k]);
  };
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (!put[i]) continue;
    if (i > 0) flush(i - 1);
    PutMarker(dc, pts[i].x, pts[i].y, s, stamp);
    from = i > 0 ? i - 1 : 0;
  }
  flush(pts.size() - 1);
  dc->MoveTo(pts.back());
}

void GraphPlot::DrawClassicData(CDC* dc, const TitrationSystem& sys, const DrawSettings& s,
                                CSize client, const MarkerStamp* stamp) const {
  const int n = PointCount(sys);
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const CFont oldFont = dc->SelectObject(font);
  const CPen defaultPen = dc->SelectObject(CPen{PS_SOLID, 1, s.derivColor});

  // The derivative.
  DrawDerivative(dc, sys, n);

  // The curve over its markers.
  dc->SelectObject(CPen{PS_SOLID, 1, s.plotColor});
  DrawCurve(dc, sys, n, s, client, stamp);
  dc->SelectObject(defaultPen);

  // The system title.
  DrawSystemTitle(dc, sys, client);

  // The view's title, at the top on the side away from the curve's start.
  {
    const QString text = QString::fromUtf8(vexa::ProgramString(ids::IDS_CLASSIC_TITLE));
    const CSize e = dc->GetTextExtent(text);
    if (n > 0 && sys.pH[0] >= 7)
      TitleBox(dc, plotRight - e.cx - 12, plotTop + e.cy / 2 - 3, plotRight - 6,
               plotTop + 3 * e.cy / 2 + 3, plotRight - e.cx - 9, plotTop + e.cy / 2, text);
    else
      TitleBox(dc, plotLeft + 6, plotTop + e.cy / 2 - 3, plotLeft + e.cx + 12,
               plotTop + 3 * e.cy / 2 + 3, plotLeft + 9, plotTop + e.cy / 2, text);
  }

  dc->SelectObject(defaultPen);
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldBk);
}

bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const ClipBox& box) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
    return false;
  // Liang–Barsky: the part of the segment's parameter range that lies inside all four edges.
  double t0 = 0, t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {x0 - box.left, box.right - x0, y0 - box.bottom, box.top - y0};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false; // parallel to this edge and outside it
      continue;
    }
    const double r = q[k] / p[k];
    if (p[k] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
  }
  if (!(t0 <= t1)) return false;
  const double nx0 = x0 + t0 * dx, ny0 = y0 + t0 * dy;
  x1 = x0 + t1 * dx, y1 = y0 + t1 * dy;
  x0 = nx0, y0 = ny0;
  return true;
}

CRect GraphPlot::EnlargedBox(CSize client) const {
  return CRect{plotLeft / 2, plotTop / 2, plotRight + (client.cx - plotRight) / 2,
               plotBottom + (client.cy - plotBottom) / 2};
}

void GraphPlot::DrawSingleScaleLine(CDC* dc, const vexa::ApproxLine& line, CSize client) const {
  const CRect box = EnlargedBox(client);
  const double vLeft = xMin + (box.left - plotLeft) / xScale;
  const double vRight = xMin + (box.right - plotLeft) / xScale;
  const double gTop = yMin + (plotBottom - box.top) / yScale;
  const double gBottom = yMin + (plotBottom - box.bottom) / yScale;
  const double a = line.a, b = line.b;
  double lo, hi;
  const double vBottom = (gBottom - a) / b, vTop = (gTop - a) / b;
  if (b > 0) {
    lo = vBottom, hi = vTop;
  } else if (b < 0) {
    lo = vTop, hi = vBottom;
  } else if (a >= gBottom && a <= gTop) {
    lo = vLeft, hi = vRight;
  } else {
    return; // a horizontal line outside the box
  }
  const double from = std::max(lo, vLeft), to = std::min(hi, vRight);
  if (!(from <= to)) return;
  const double vStart = b < 0 ? to : from;
  const double vEnd = b < 0 ? from : to;
  auto at = [&](double v, double vCross, int crossRow) {
    if (b != 0 && v == vCross) return CPoint{Column(vCross), crossRow};
    return CPoint{v == vLeft ? box.left : box.right, Row(a + b * v)};
  };
  dc->MoveTo(at(vStart, vBottom, box.bottom));
  dc->LineTo(at(vEnd, vTop, box.top));
}

void GraphPlot::DrawSplitScaleLine(CDC* dc, const vexa::ApproxLine& line, CSize client) const {
  const double a = line.a, b = line.b;
  if (b == 0 || !std::isfinite(line.veq)) return;
  // Offsets from (plotLeft, zero row) in unrounded pixels; the two halves of the scale differ.
  const CRect box = EnlargedBox(client);
  const int zero = ZeroRow();
  const ClipBox clip{static_cast<double>(box.left - plotLeft),
                     static_cast<double>(box.right - plotLeft),
                     static_cast<double>(zero - box.bottom), static_cast<double>(zero - box.top)};
  auto segment = [&](double x0, double y0, double x1, double y1) {
    if (!ClipSegment(x0, y0, x1, y1, clip)) return;
    dc->MoveTo(ToPixel(x0) + plotLeft, zero - ToPixel(y0));
    dc->LineTo(ToPixel(x1) + plotLeft, zero - ToPixel(y1));
  };
  // From the top value and from the bottom one, both to the crossing of the zero row.
  const double qx = (line.veq - xMin) * xScale;
  segment(((yMax - a) / b - xMin) * xScale, yMax * yScale, qx, 0);
  segment(((yMin - a) / b - xMin) * xScale, yMin * yScaleNeg, qx, 0);
}

void GraphPlot::DrawLineNumber(CDC* dc, const TitrationSystem& sys, int j) const {
  const int n = PointCount(sys);
  const vexa::ApproxLine& line = sys.lines[static_cast<std::size_t>(j)];
  const int first = ClampPoint(sys, line.firstPoint);
  const int end = ClampPoint(sys, line.endPoint);
  const int mid = (first + end) / 2;
  const QString text = Number(j + 1);
  const CSize e = dc->GetTextExtent(text);
  const int d = std::max(e.cx, e.cy);
  // Away from the curve: right of the middle point in the second half, left in the first.
  int dx, dy;
  if (static_cast<double>(mid) / n > 0.49) {
    dx = d;
    dy = line.b > 0 ? d : -d;
  } else {
    dx = -d;
    dy = line.b > 0 ? -d : d;
  }
  const double value = line.a + line.b * sys.volume[mid];
  const int row = !SplitScale()
                      ? Row(value)
                      : ZeroRow() - ToPixel(value * (sys.g[mid] < 0 ? yScaleNeg : yScale));
  const int cx = Column(sys.volume[mid]) + dx;
  const int cy = row + dy;
  const int r = d / 2 + 3;
  const CPen red{PS_SOLID, 1, RGB(255, 0, 0)};
  const CPen oldPen = j == currentLine ? dc->SelectObject(red) : dc->GetCurrentPen();
  dc->Ellipse(cx - r, cy - r, cx + r, cy + r);
  dc->SelectObject(oldPen);
  dc->TextOut(cx - e.cx / 2, cy - e.cy / 2, text);
}

// A line in use that has a fit to draw.
static bool Drawable(const vexa::ApproxLine& line) {
  return (line.status == vexa::kLineFitted || line.status == vexa::kLineTwoPoints) &&
         std::isfinite(line.a) && std::isfinite(line.b);
}

void GraphPlot::DrawLines(CDC* dc, const TitrationSystem& sys, CSize client) const {
  if (PointCount(sys) == 0) return;
  const int lineCount = std::clamp(sys.lineCount, 0, TitrationSystem::kMaxLines);
  for (int j = 0; j < lineCount; ++j) {
    const vexa::ApproxLine& line = sys.lines[static_cast<std::size_t>(j)];
    if (!Drawable(line)) continue;
    if (SplitScale())
      DrawSplitScaleLine(dc, line, client);
    else
      DrawSingleScaleLine(dc, line, client);
  }
}

void GraphPlot::DrawLineNumbers(CDC* dc, const TitrationSystem& sys) const {
  if (PointCount(sys) == 0) return;
  const int lineCount = std::clamp(sys.lineCount, 0, TitrationSystem::kMaxLines);
  for (int j = 0; j < lineCount; ++j)
    if (Drawable(sys.lines[static_cast<std::size_t>(j)])) DrawLineNumber(dc, sys, j);
}

void GraphPlot::DrawLinearised(CDC* dc, const TitrationSystem& sys, const DrawSettings& s,
                               CSize client, const MarkerStamp* stamp) const {
  DrawLinearisedBackground(dc, s, client);
  DrawLinearisedData(dc, sys, s, client, stamp);
}

void GraphPlot::DrawLinearisedBackground(CDC* dc, const DrawSettings& s, CSize client) const {
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const CFont oldFont = dc->SelectObject(font);
  const CPen defaultPen = dc->SelectObject(CPen{PS_SOLID, 1, s.gridColor});
  const bool split = SplitScale();
  const int zero = ZeroRow();

  // The label multipliers.
  const int m = Multiplier(yMax > 0 ? yMax : std::fabs(yMin));
  const int mNeg = Multiplier(std::fabs(yMin));

  // The ticks with their labels and grid lines.
  DrawAbscissaTicks(dc);
  auto ordinateTick = [&](double v, int mult) {
    const QString text = TickF2(v * mult);
    const CSize e = dc->GetTextExtent(text);
    const int y = Row(v);
    dc->TextOut(plotLeft - e.cx - MarkerExtent(s.markerSize) / 2, y - e.cy / 2, text);
    dc->MoveTo(plotLeft, y);
    dc->LineTo(plotRight, y);
  };
  if (!split) {
    Walk(
        yMin, yStep, [&](double v) { return v < yMax; }, [&](double v) { ordinateTick(v, m); });
  } else {
    if (yStepNeg > yMin)
      Walk(
          yStepNeg, yStepNeg, [&](double v) { return v > yMin; },
          [&](double v) { ordinateTick(v, mNeg); });
    Walk(
        yStep, yStep, [&](double v) { return v < yMax; }, [&](double v) { ordinateTick(v, m); });
    dc->SelectObject(defaultPen);
    dc->MoveTo(plotLeft, zero);
    dc->LineTo(plotRight, zero);
  }
  dc->SelectObject(defaultPen);

  // The frame.
  DrawFrame(dc, s);

  // The view's title, centred over the client.
  {
    const QString text = QString::fromUtf8(vexa::ProgramString(ids::IDS_VEXA_TITLE));
    const CSize e = dc->GetTextExtent(text);
    TitleBox(dc, (client.cx - e.cx) / 2 - 5, plotTop + e.cy / 2 - 3, (client.cx + e.cx) / 2 + 5,
             plotTop + 3 * e.cy / 2 + 3, (client.cx - e.cx) / 2, plotTop + e.cy / 2, text);
  }

  // The ordinate title with its multiplier; in split scale a second one at the zero row.
  auto ordinateTitle = [&](int mult, int row) {
    QString text = QString::fromUtf8(vexa::ProgramString(ids::IDS_G));
    if (mult != 1) text += QStringLiteral(" x %1").arg(mult);
    const CSize e = dc->GetTextExtent(text);
    const int half = (plotLeft - e.cx) / 2;
    const int l = half <= 3 ? 2 : half - 4;
    TitleBox(dc, l, row - e.cy / 2 - 2, l + e.cx + 4, row + e.cy / 2 + 2, l + 2, row - e.cy / 2,
             text);
  };
  ordinateTitle(m, plotTop);
  if (split) ordinateTitle(mNeg, zero);

  // The abscissa title.
  DrawAbscissaTitle(dc);

  dc->SelectObject(defaultPen);
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldBk);
}

void GraphPlot::DrawLinearisedData(CDC* dc, const TitrationSystem& sys, const DrawSettings& s,
                                   CSize client, const MarkerStamp* stamp) const {
  const int n = PointCount(sys);
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const CFont oldFont = dc->SelectObject(font);
  const CPen defaultPen = dc->GetCurrentPen();
  const CBrush defaultBrush = dc->GetCurrentBrush();

  // The first and end points of the current line.
  const int lineCount = std::clamp(sys.lineCount, 0, TitrationSystem::kMaxLines);
  const int current = std::clamp(currentLine, 0, std::max(lineCount - 1, 0));
  if (n > 0) {
    const vexa::ApproxLine& line = sys.lines[static_cast<std::size_t>(current)];
    auto ring = [&](int point, COLORREF color) {
      const int i = ClampPoint(sys, point);
      const int x = Column(sys.volume[i]);
      const int y = Row(sys.g[i]);
      const CPen oldPen = dc->SelectObject(CPen{PS_SOLID, 2, color});
      const CBrush oldBrush = dc->SelectObject(CBrush{color, false});
      const int r = MarkerExtent(s.markerSize);
      dc->Ellipse(x - r, y - r, x + r, y + r);
      dc->SelectObject(oldBrush);
      dc->SelectObject(oldPen);
    };
    ring(line.firstPoint, s.beginColor);
    ring(line.endPoint, s.endColor);
  }

  // The approximating lines.
  dc->SelectObject(defaultPen);
  dc->SelectObject(defaultBrush);
  DrawLines(dc, sys, client);

  // The points. Nothing else is drawn between the markers, so of the markers on one pixel only
  // the last one can show: dense titrations redraw quickly.
  if (n > 0) {
    std::vector<CPoint> pts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
      pts[static_cast<std::size_t>(i)] = CPoint{Column(sys.volume[i]), Row(sys.g[i])};
    const int reach = MarkerExtent(s.markerSize <= 0 ? 10 : s.markerSize) + 8;
    const std::vector<char> put = LastOnEachPixel(pts.data(), pts.size(), client, reach);
    for (std::size_t i = 0; i < pts.size(); ++i)
      if (put[i]) PutMarker(dc, pts[i].x, pts[i].y, s, stamp);
  }

  // The numbers of the lines, over the markers so that none hides them.
  DrawLineNumbers(dc, sys);

  // The status text of the current line, and above it what the last automatic placement said.
  int statusTop = client.cy - 5;
  if (lineCount > 0) {
    const QString text = QString::fromStdString(sys.StatusText(current));
    const CSize e = dc->GetTextExtent(text);
    statusTop -= e.cy;
    dc->TextOut(5, statusTop, text);
  }
  if (!notice.isEmpty()) {
    const CSize e = dc->GetTextExtent(notice);
    dc->TextOut(5, statusTop - e.cy - 2, notice);
  }

  // The system title.
  DrawSystemTitle(dc, sys, client);

  dc->SelectObject(defaultPen);
  dc->SelectObject(defaultBrush);
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldBk);
}

void GraphPlot::DrawBackground(CDC* dc, const DrawSettings& s, CSize client) const {
  if (linearised)
    DrawLinearisedBackground(dc, s, client);
  else
    DrawClassicBackground(dc, s);
}

void GraphPlot::DrawData(CDC* dc, const TitrationSystem& sys, const DrawSettings& s, CSize client,
                         const MarkerStamp* stamp) const {
  if (linearised)
    DrawLinearisedData(dc, sys, s, client, stamp);
  else
    DrawClassicData(dc, sys, s, client, stamp);
}

GraphPlot::BackgroundKey GraphPlot::MakeBackgroundKey(const DrawSettings& s, CSize client) const {
  BackgroundKey k;
  k.client = client;
  k.linearised = linearised;
  k.xMin = xMin, k.xMax = xMax, k.yMin = yMin, k.yMax = yMax;
  k.xStep = xStep, k.yStep = yStep, k.yStepNeg = yStepNeg;
  k.xScale = xScale, k.yScale = yScale, k.yScaleNeg = yScaleNeg;
  k.plotLeft = plotLeft, k.plotRight = plotRight, k.plotTop = plotTop, k.plotBottom = plotBottom;
  k.font = font;
  k.settings = s;
  return k;
}

void GraphPlot::DeleteCache() {
  cacheBitmap.reset();
  background_.reset();
}

void GraphPlot::Paint(CDC* target, const TitrationSystem& sys, const DrawSettings& s, CSize client,
                      bool buffered) {
  backgroundRedrawn_ = false;
  CDC* dc = target;
  if (buffered) {
    const int w = std::max(client.cx, 1), h = std::max(client.cy, 1);
    if (cacheBitmap && (cacheBitmap->image().width() != w || cacheBitmap->image().height() != h))
      cacheBitmap.reset();
    if (!cacheBitmap) cacheBitmap = std::make_unique<CImageDC>(w, h);
    if (cacheBitmap->image().isNull()) {
      cacheBitmap.reset(); // no bitmap: straight to the target, without the white fill
    } else {
      dc = cacheBitmap.get();
    }
  }
  // Into the bitmap the markers are stamped.
  std::unique_ptr<PixelStamp> stamp;
  if (dc != target && PixelStamp::Suits(s)) stamp = std::make_unique<PixelStamp>(s);
  if (dc == target) {
    if (linearised)
      DrawLinearised(dc, sys, s, client, stamp.get());
    else
      DrawClassic(dc, sys, s, client, stamp.get());
    return;
  }

  // The background from its own picture, drawn anew only when what it shows has changed.
  QImage& image = cacheBitmap->image();
  const BackgroundKey key = MakeBackgroundKey(s, client);
  if (!background_ || background_->image().size() != image.size() ||
      background_->image().format() != image.format() || !(backgroundKey_ == key)) {
    background_ = std::make_unique<CImageDC>(image.width(), image.height());
    if (background_->image().size() == image.size() &&
        background_->image().format() == image.format()) {
      background_->FillSolidRect(CRect{0, 0, image.width(), image.height()}, RGB(255, 255, 255));
      DrawBackground(background_.get(), s, client);
      backgroundKey_ = key;
      backgroundRedrawn_ = true;
    } else {
      background_.reset();
    }
  }
  if (background_) {
    const QImage& from = background_->image();
    std::memcpy(image.bits(), from.constBits(), static_cast<std::size_t>(from.sizeInBytes()));
    DrawData(dc, sys, s, client, stamp.get());
  } else {
    cacheBitmap->FillSolidRect(CRect{0, 0, image.width(), image.height()}, RGB(255, 255, 255));
    if (linearised)
      DrawLinearised(dc, sys, s, client, stamp.get());
    else
      DrawClassic(dc, sys, s, client, stamp.get());
  }
  target->BitBlt(0, 0, client.cx, client.cy, dc, 0, 0, SRCCOPY);
}
