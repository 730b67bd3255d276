#include "plot/GraphExport.h"

#include "plot/ScaledDC.h"

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
    CScaledDC dc(&painter);
    DrawMarker(&dc, 0, 0, s.markerSize, s.markerFillColor, s.markerOutlineColor, s.markerType);
  }

  void Put(CDC* dc, int x, int y) const override {
    auto* exportDc = dynamic_cast<CScaledDC*>(dc);
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
      CScaledDC dc(&painter);
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
      CScaledDC dc(&painter);
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
