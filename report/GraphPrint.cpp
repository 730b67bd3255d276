#include "report/GraphPrint.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinClientSide = 16;

Qt::PenStyle QtStyle(int style) {
  switch (style) {
  case PS_DASH: return Qt::DashLine;
  case PS_DOT: return Qt::DotLine;
  case PS_DASHDOT: return Qt::DashDotLine;
  case PS_DASHDOTDOT: return Qt::DashDotDotLine;
  case PS_NULL: return Qt::NoPen;
  default: return Qt::SolidLine;
  }
}

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
    CVectorDC dc(&painter);
    if (plot.linearised)
      plot.DrawLinearised(&dc, sys, settings, client);
    else
      plot.DrawClassic(&dc, sys, settings, client);
  }
  painter.restore();
  return true;
}

CVectorDC::CVectorDC(QPainter* painter) : CPainterDC(painter) {
  painter->setRenderHint(QPainter::Antialiasing, true);
  painter->setRenderHint(QPainter::TextAntialiasing, true);
}

void CVectorDC::UsePen(Qt::PenCapStyle cap) {
  const CPen& pen = state().pen;
  if (pen.style == PS_NULL) {
    painter()->setPen(Qt::NoPen);
    return;
  }
  QPen qp(ToQColor(pen.color));
  qp.setStyle(QtStyle(pen.style));
  qp.setWidthF(std::max(pen.width, 1));
  qp.setCosmetic(false);
  qp.setCapStyle(cap);
  qp.setJoinStyle(Qt::RoundJoin);
  painter()->setPen(qp);
}

void CVectorDC::UseBrush() {
  if (state().brush.null)
    painter()->setBrush(Qt::NoBrush);
  else
    painter()->setBrush(ToQColor(state().brush.color));
}

void CVectorDC::DoLine(CPoint a, CPoint b) {
  if (!painter() || a == b) return;
  // Round ends join the segments of a curve drawn one by one without notches.
  UsePen(Qt::RoundCap);
  painter()->drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y));
}

void CVectorDC::DoRectangle(const CRect& r) {
  if (!painter() || r.IsRectEmpty()) return;
  UsePen(Qt::SquareCap);
  UseBrush();
  // The outline runs through the outermost pixels the window would set.
  painter()->drawRect(QRectF(r.left, r.top, r.Width() - 1, r.Height() - 1));
  painter()->setBrush(Qt::NoBrush);
}

void CVectorDC::DoEllipse(const CRect& r) {
  if (!painter() || r.IsRectEmpty()) return;
  UsePen(Qt::FlatCap);
  UseBrush();
  painter()->drawEllipse(QRectF(r.left, r.top, r.Width() - 1, r.Height() - 1));
  painter()->setBrush(Qt::NoBrush);
}

void CVectorDC::DoPolygon(const std::vector<CPoint>& pts, bool closed) {
  if (!painter() || pts.size() < 2) return;
  QPolygonF poly;
  poly.reserve(static_cast<qsizetype>(pts.size()));
  for (const CPoint& p : pts)
    poly << QPointF(p.x, p.y);
  UsePen(Qt::RoundCap);
  if (closed) {
    UseBrush();
    painter()->drawPolygon(poly);
    painter()->setBrush(Qt::NoBrush);
  } else {
    painter()->drawPolyline(poly);
  }
}
