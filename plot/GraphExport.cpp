#include "plot/GraphExport.h"

#include "document/TitrationSystem.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

Qt::PenStyle QtPenStyle(int style) {
  switch (style) {
  case PS_DASH: return Qt::DashLine;
  case PS_DOT: return Qt::DotLine;
  case PS_DASHDOT: return Qt::DashDotLine;
  case PS_DASHDOTDOT: return Qt::DashDotDotLine;
  case PS_NULL: return Qt::NoPen;
  default: return Qt::SolidLine;
  }
}

// The centre of a pixel: a pen of one pixel through it sets that pixel and no other.
QPointF Centre(CPoint p) {
  return QPointF(p.x + 0.5, p.y + 0.5);
}

// Draws through a painter that may scale: shapes and lines as smooth strokes whose widths
// scale with the painter (a one-pixel pen is one pixel of the window's graph), anti-aliased.
// Lines drawn end to end with one pen are stroked as one path, so their joins are clean.
class ExportDC : public CPainterDC {
public:
  explicit ExportDC(QPainter* painter) : CPainterDC(painter) {
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
  }
  ~ExportDC() override { Flush(); }

  // Copies a stamp made at the painter's scale with its pixel (0, 0) corner at (offset,
  // offset) so that its corner falls on the pixel (x, y) of the graph.
  void Stamp(const QImage& image, int x, int y, int offset) {
    Flush();
    QPainter* p = painter();
    const QTransform t = p->worldTransform();
    p->setWorldTransform(QTransform());
    p->drawImage(QPoint(static_cast<int>(std::lround(x * t.m11() + t.dx())) - offset,
                        static_cast<int>(std::lround(y * t.m22() + t.dy())) - offset),
                 image);
    p->setWorldTransform(t);
  }

  void Flush() {
    if (walk_.size() < 2) {
      walk_.clear();
      return;
    }
    bool straight = true;
    for (std::size_t i = 1; i < walk_.size(); ++i)
      straight = straight && (walk_[i].x == walk_[i - 1].x || walk_[i].y == walk_[i - 1].y);
    // Lines along the axes keep square ends and corners, so the frame and the grid are crisp;
    // a curve gets round joins.
    UsePen(walkPen_, straight ? Qt::SquareCap : Qt::RoundCap,
           straight ? Qt::MiterJoin : Qt::RoundJoin);
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(walk_.size()));
    for (const CPoint& p : walk_)
      poly << Centre(p);
    // In pieces of a few segments: one stroke of a long zigzag (a noisy derivative) is very
    // slow to fill at a pen wider than a pixel, and the pieces' round ends join them as well.
    constexpr qsizetype kPiece = 16;
    for (qsizetype i = 0; i + 1 < poly.size(); i += kPiece)
      painter()->drawPolyline(poly.constData() + i,
                              static_cast<int>(std::min(kPiece + 1, poly.size() - i)));
    walk_.clear();
  }

protected:
  void DoLine(CPoint a, CPoint b) override {
    if (!painter() || a == b || state().pen.style == PS_NULL) return;
    if (!walk_.empty() && walk_.back() == a && walkPen_ == state().pen) {
      walk_.push_back(b);
      return;
    }
    Flush();
    walkPen_ = state().pen;
    walk_ = {a, b};
  }
  void DoRectangle(const CRect& r) override {
    if (!painter() || r.IsRectEmpty()) return;
    Flush();
    QPainter* p = painter();
    const bool noPen = state().pen.style == PS_NULL;
    if (!state().brush.null)
      p->fillRect(noPen ? QRectF(r.left, r.top, r.Width() - 1, r.Height() - 1)
                        : QRectF(r.left, r.top, r.Width(), r.Height()),
                  ToQColor(state().brush.color));
    if (!noPen) {
      UsePen(state().pen, Qt::SquareCap, Qt::MiterJoin);
      p->setBrush(Qt::NoBrush);
      p->drawRect(QRectF(r.left + 0.5, r.top + 0.5, r.Width() - 1, r.Height() - 1));
    }
  }
  void DoEllipse(const CRect& r) override {
    if (!painter() || r.IsRectEmpty()) return;
    Flush();
    UsePen(state().pen, Qt::FlatCap, Qt::RoundJoin);
    UseBrush();
    painter()->drawEllipse(QRectF(r.left + 0.5, r.top + 0.5, r.Width() - 1, r.Height() - 1));
    painter()->setBrush(Qt::NoBrush);
  }
  void DoPolygon(const std::vector<CPoint>& pts, bool closed) override {
    if (!painter() || pts.size() < 2) return;
    if (!closed) {
      for (std::size_t i = 1; i < pts.size(); ++i)
        DoLine(pts[i - 1], pts[i]);
      return;
    }
    Flush();
    QPolygonF poly;
    for (const CPoint& p : pts)
      poly << Centre(p);
    UsePen(state().pen, Qt::FlatCap, Qt::MiterJoin);
    UseBrush();
    painter()->drawPolygon(poly);
    painter()->setBrush(Qt::NoBrush);
  }
  void DoSetPixel(int x, int y, COLORREF c) override {
    Flush();
    if (painter()) painter()->fillRect(QRectF(x, y, 1, 1), ToQColor(c));
  }
  void DoFillSolidRect(const CRect& r, COLORREF c) override {
    Flush();
    CPainterDC::DoFillSolidRect(r, c);
  }
  void DoFocusRect(const CRect& r) override {
    Flush();
    CPainterDC::DoFocusRect(r);
  }
  void DoTextOut(int x, int y, const QString& text) override {
    Flush();
    CPainterDC::DoTextOut(x, y, text);
  }
  void DoDrawText(const QString& text, const CRect& rect, unsigned format,
                  const QString& shown) override {
    Flush();
    CPainterDC::DoDrawText(text, rect, format, shown);
  }
  void DoBitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, unsigned rop) override {
    Flush();
    CPainterDC::DoBitBlt(x, y, w, h, src, sx, sy, rop);
  }

private:
  void UsePen(const CPen& pen, Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
    if (pen.style == PS_NULL) {
      painter()->setPen(Qt::NoPen);
      return;
    }
    QPen qp(ToQColor(pen.color));
    qp.setStyle(QtPenStyle(pen.style));
    qp.setWidthF(std::max(pen.width, 1));
    qp.setCosmetic(false);
    qp.setCapStyle(cap);
    qp.setJoinStyle(join);
    painter()->setPen(qp);
  }
  void UseBrush() {
    if (state().brush.null)
      painter()->setBrush(Qt::NoBrush);
    else
      painter()->setBrush(ToQColor(state().brush.color));
  }

  std::vector<CPoint> walk_; // lines drawn end to end, not yet stroked
  CPen walkPen_;
};

// The marker drawn once, anti-aliased at the picture's scale, and copied for every point.
class ExportStamp : public MarkerStamp {
public:
  static constexpr int kMaxSize = 64;
  static bool Suits(const DrawSettings& s) { return s.markerSize <= kMaxSize; }

  ExportStamp(const DrawSettings& s, double sx, double sy) : s_(s) {
    const int reach = (s.markerSize <= 0 ? 10 : s.markerSize) + 4;
    offset_ = static_cast<int>(std::ceil(std::max(sx, sy) * (reach + 1))) + 2;
    image_ = QImage(2 * offset_ + 1, 2 * offset_ + 1, QImage::Format_ARGB32_Premultiplied);
    if (image_.isNull()) return;
    image_.fill(Qt::transparent);
    QPainter painter(&image_);
    painter.translate(offset_, offset_);
    painter.scale(sx, sy);
    ExportDC dc(&painter);
    DrawMarker(&dc, 0, 0, s.markerSize, s.markerFillColor, s.markerOutlineColor, s.markerType);
  }

  void Put(CDC* dc, int x, int y) const override {
    auto* exportDc = dynamic_cast<ExportDC*>(dc);
    if (exportDc && !image_.isNull()) {
      exportDc->Stamp(image_, x, y, offset_);
      return;
    }
    DrawMarker(dc, x, y, s_.markerSize, s_.markerFillColor, s_.markerOutlineColor, s_.markerType);
  }

private:
  DrawSettings s_;
  int offset_ = 0;
  QImage image_;
};

void Draw(const GraphPlot& plot, CDC* dc, const vexa::TitrationSystem& sys, const DrawSettings& s,
          CSize client, const MarkerStamp* stamp) {
  dc->FillSolidRect(CRect{0, 0, client.cx, client.cy}, RGB(255, 255, 255));
  if (plot.linearised)
    plot.DrawLinearised(dc, sys, s, client, stamp);
  else
    plot.DrawClassic(dc, sys, s, client, stamp);
}

} // namespace

std::optional<GraphFormat> GraphFormatForPath(const QString& path) {
  if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) return GraphFormat::Png;
  if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) return GraphFormat::Svg;
  return std::nullopt;
}

void PreparePlot(GraphPlot& plot, vexa::TitrationSystem& sys, int width, int height) {
  plot.CreateGraphFont(width, height);
  plot.ComputeRanges(sys);
  plot.ComputeLayout(width, height);
  sys.RefitAllLines();
  plot.hoverPoint = -1;
}

double DefaultGraphScale(CSize picture) {
  const double k = std::min(static_cast<double>(picture.cx) / kGraphLayoutSize.cx,
                            static_cast<double>(picture.cy) / kGraphLayoutSize.cy);
  return std::clamp(k, 1.0, kMaxGraphScale);
}

CSize GraphLayoutFor(CSize picture, double scale) {
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  constexpr int kMinSide = 16;
  auto side = [&](int pixels) {
    return std::max(kMinSide, static_cast<int>(std::lround(pixels / scale)));
  };
  return CSize{side(picture.cx), side(picture.cy)};
}

QByteArray RenderGraph(const GraphPlot& plot, const vexa::TitrationSystem& sys,
                       const DrawSettings& s, CSize client, GraphFormat format) {
  return RenderGraph(plot, sys, s, client, format, client);
}

QByteArray RenderGraph(const GraphPlot& plot, const vexa::TitrationSystem& sys,
                       const DrawSettings& s, CSize client, GraphFormat format, CSize picture) {
  QByteArray bytes;
  if (client.cx <= 0 || client.cy <= 0 || picture.cx <= 0 || picture.cy <= 0) return bytes;
  const double sx = static_cast<double>(picture.cx) / client.cx;
  const double sy = static_cast<double>(picture.cy) / client.cy;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (format == GraphFormat::Png) {
    QImage image(picture.cx, picture.cy, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.scale(sx, sy);
      // The markers are stamped, as in the window.
      std::unique_ptr<ExportStamp> stamp;
      if (ExportStamp::Suits(s)) stamp = std::make_unique<ExportStamp>(s, sx, sy);
      ExportDC dc(&painter);
      Draw(plot, &dc, sys, s, client, stamp.get());
    }
    if (!image.save(&buffer, "PNG")) return {};
  } else {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(picture.cx, picture.cy));
    generator.setViewBox(QRect(0, 0, picture.cx, picture.cy));
    generator.setTitle(QStringLiteral("Titration curve"));
    QPainter painter;
    if (!painter.begin(&generator)) return {};
    painter.scale(sx, sy);
    {
      // Markers stay shapes in a vector picture.
      ExportDC dc(&painter);
      Draw(plot, &dc, sys, s, client, nullptr);
    }
    painter.end();
  }
  buffer.close();
  return bytes;
}

QByteArray ExportGraph(GraphPlot& plot, vexa::TitrationSystem& sys, const DrawSettings& s,
                       CSize picture, GraphFormat format, double scale) {
  if (picture.cx <= 0 || picture.cy <= 0) return {};
  if (scale == 0) scale = DefaultGraphScale(picture);
  if (!(scale >= kMinGraphScale && scale <= kMaxGraphScale)) return {};
  const CSize layout = GraphLayoutFor(picture, scale);
  PreparePlot(plot, sys, layout.cx, layout.cy);
  return RenderGraph(plot, sys, s, layout, format, picture);
}
