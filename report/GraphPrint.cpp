#include "report/GraphPrint.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinClientSide = 16;

} // namespace

CSize GraphClientForRect(const QRectF& rect, double deviceDpi) {
  if (!(deviceDpi > 0)) deviceDpi = kGraphScreenDpi;
  const double k = kGraphScreenDpi / deviceDpi;
  return CSize{std::max(kMinClientSide, static_cast<int>(std::lround(rect.width() * k))),
               std::max(kMinClientSide, static_cast<int>(std::lround(rect.height() * k)))};
}

bool PaintGraphInRect(QPainter& painter, const QRectF& rect, const GraphPlot& plot,
                      const vexa::TitrationSystem& sys, const DrawSettings& settings,
                      CSize client) {
  if (rect.isEmpty() || client.cx <= 0 || client.cy <= 0) return false;
  painter.save();
  painter.translate(rect.topLeft());
  painter.scale(rect.width() / client.cx, rect.height() / client.cy);
  painter.setClipRect(QRectF(0, 0, client.cx, client.cy));
  {
    CScaledDC dc(&painter);
    if (plot.linearised)
      plot.DrawLinearised(&dc, sys, settings, client);
    else
      plot.DrawClassic(&dc, sys, settings, client);
  }
  painter.restore();
  return true;
}
