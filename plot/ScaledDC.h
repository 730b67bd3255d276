#pragma once
// A device context for pictures of any size and for paged devices: lines are strokes (not
// pixel by pixel) through the pixels' centres, every pen scales with the painter's transform
// (a one-pixel pen stays one pixel of the window's graph), everything is anti-aliased. Lines
// drawn end to end with one pen are stroked as one path, so their joins are clean. The exported
// pictures and the printed report draw the graph through it. Qt Gui only.
#include "gui/DC.h"

#include <QImage>

#include <vector>

class QPainter;

class CScaledDC : public CPainterDC {
public:
  explicit CScaledDC(QPainter* painter);
  ~CScaledDC() override;

  // Copies a stamp made at the painter's scale with its pixel (0, 0) corner at (offset,
  // offset) so that its corner falls on the pixel (x, y) of the graph.
  void Stamp(const QImage& image, int x, int y, int offset);
  // Strokes the lines drawn end to end so far.
  void Flush();

protected:
  void DoLine(CPoint a, CPoint b) override;
  void DoRectangle(const CRect& r) override;
  void DoEllipse(const CRect& r) override;
  void DoPolygon(const std::vector<CPoint>& pts, bool closed) override;
  void DoSetPixel(int x, int y, COLORREF c) override;
  void DoFillSolidRect(const CRect& r, COLORREF c) override;
  void DoFocusRect(const CRect& r) override;
  void DoTextOut(int x, int y, const QString& text) override;
  void DoDrawText(const QString& text, const CRect& rect, unsigned format,
                  const QString& shown) override;
  void DoBitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, unsigned rop) override;

private:
  void UsePen(const CPen& pen, Qt::PenCapStyle cap, Qt::PenJoinStyle join);
  void UseBrush();

  std::vector<CPoint> walk_; // lines drawn end to end, not yet stroked
  CPen walkPen_;
};
