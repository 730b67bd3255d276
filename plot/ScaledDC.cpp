#include "plot/ScaledDC.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

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

} // namespace

CScaledDC::CScaledDC(QPainter* painter) : CPainterDC(painter) {
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
  }

CScaledDC::~CScaledDC() {
  Flush();
}

void CScaledDC::Stamp(const QImage& image, int x, int y, int offset) {
    Flush();
    QPainter* p = painter();
    const QTransform t = p->worldTransform();
    p->setWorldTransform(QTransform());
    p->drawImage(QPoint(static_cast<int>(std::lround(x * t.m11() + t.dx())) - offset,
                        static_cast<int>(std::lround(y * t.m22() + t.dy())) - offset),
                 image);
    p->setWorldTransform(t);
  }

void CScaledDC::Flush() {
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

void CScaledDC::DoLine(CPoint a, CPoint b) {
    if (!painter() || a == b || state().pen.style == PS_NULL) return;
    if (!walk_.empty() && walk_.back() == a && walkPen_ == state().pen) {
      walk_.push_back(b);
      return;
    }
    Flush();
    walkPen_ = state().pen;
    walk_ = {a, b};
  }

void CScaledDC::DoRectangle(const CRect& r) {
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

void CScaledDC::DoEllipse(const CRect& r) {
    if (!painter() || r.IsRectEmpty()) return;
    Flush();
    UsePen(state().pen, Qt::FlatCap, Qt::RoundJoin);
    UseBrush();
    painter()->drawEllipse(QRectF(r.left + 0.5, r.top + 0.5, r.Width() - 1, r.Height() - 1));
    painter()->setBrush(Qt::NoBrush);
  }

void CScaledDC::DoPolygon(const std::vector<CPoint>& pts, bool closed) {
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

void CScaledDC::DoSetPixel(int x, int y, COLORREF c) {
    Flush();
    if (painter()) painter()->fillRect(QRectF(x, y, 1, 1), ToQColor(c));
  }

void CScaledDC::DoFillSolidRect(const CRect& r, COLORREF c) {
    Flush();
    CPainterDC::DoFillSolidRect(r, c);
  }

void CScaledDC::DoFocusRect(const CRect& r) {
    Flush();
    CPainterDC::DoFocusRect(r);
  }

void CScaledDC::DoTextOut(int x, int y, const QString& text) {
    Flush();
    CPainterDC::DoTextOut(x, y, text);
  }

void CScaledDC::DoDrawText(const QString& text, const CRect& rect, unsigned format,
                            const QString& shown) {
    Flush();
    CPainterDC::DoDrawText(text, rect, format, shown);
  }

void CScaledDC::DoBitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, unsigned rop) {
    Flush();
    CPainterDC::DoBitBlt(x, y, w, h, src, sx, sy, rop);
  }

void CScaledDC::UsePen(const CPen& pen, Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
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

void CScaledDC::UseBrush() {
    if (state().brush.null)
      painter()->setBrush(Qt::NoBrush);
    else
      painter()->setBrush(ToQColor(state().brush.color));
  }
