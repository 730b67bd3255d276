#include "graph/GraphExport.h"

#include "document/TitrationSystem.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>

namespace {

// Paints lines as lines rather than pixel by pixel, so a vector picture stays small and sharp.
class VectorDC : public CPainterDC {
public:
  explicit VectorDC(QPainter* painter) : CPainterDC(painter) {}

protected:
  void DoLine(CPoint a, CPoint b) override {
    if (a == b) return;
    const CPen& pen = state().pen;
    QPen qp(ToQColor(pen.color));
    qp.setWidth(std::max(pen.width, 1));
    qp.setCapStyle(Qt::FlatCap);
    painter()->setPen(qp);
    painter()->drawLine(QPoint(a.x, a.y), QPoint(b.x, b.y));
  }
  void DoPolygon(const std::vector<CPoint>& pts, bool closed) override {
    if (closed) return CPainterDC::DoPolygon(pts, closed);
    for (std::size_t i = 1; i < pts.size(); ++i)
      DoLine(pts[i - 1], pts[i]);
  }
};

void Draw(const GraphPlot& plot, CDC* dc, const vexa::TitrationSystem& sys, const DrawSettings& s,
          CSize client) {
  dc->FillSolidRect(CRect{0, 0, client.cx, client.cy}, RGB(255, 255, 255));
  if (plot.linearised)
    plot.DrawLinearised(dc, sys, s, client);
  else
    plot.DrawClassic(dc, sys, s, client);
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

QByteArray RenderGraph(const GraphPlot& plot, const vexa::TitrationSystem& sys,
                       const DrawSettings& s, CSize client, GraphFormat format, double scale) {
  QByteArray bytes;
  if (client.cx <= 0 || client.cy <= 0 || !(scale > 0)) return bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (format == GraphFormat::Png && scale != 1.0) {
    QImage image(static_cast<int>(client.cx * scale + 0.5), static_cast<int>(client.cy * scale + 0.5),
                 QImage::Format_RGB32);
    if (image.isNull()) return {};
    const int dotsPerMetre = static_cast<int>(96.0 * scale / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setRenderHint(QPainter::TextAntialiasing);
      painter.scale(scale, scale);
      VectorDC dc(&painter);
      Draw(plot, &dc, sys, s, client);
    }
    if (!image.save(&buffer, "PNG")) return {};
  } else if (format == GraphFormat::Png) {
    QImage image(client.cx, client.cy, QImage::Format_RGB32);
    if (image.isNull()) return {};
    {
      QPainter painter(&image);
      CPainterDC dc(&painter);
      Draw(plot, &dc, sys, s, client);
    }
    if (!image.save(&buffer, "PNG")) return {};
  } else {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(client.cx, client.cy));
    generator.setViewBox(QRect(0, 0, client.cx, client.cy));
    generator.setTitle(QStringLiteral("Titration curve"));
    QPainter painter;
    if (!painter.begin(&generator)) return {};
    {
      VectorDC dc(&painter);
      Draw(plot, &dc, sys, s, client);
    }
    painter.end();
  }
  buffer.close();
  return bytes;
}
