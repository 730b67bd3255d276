#include "gui/DC.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

// ---------------------------------------------------------------- fonts

QFont CFont::ToQFont() const {
  QFont f(face);
  f.setWeight(weight >= 600 ? QFont::Bold : QFont::Normal);
  f.setItalic(italic);
  f.setUnderline(underline);
  f.setStyleHint(QFont::SansSerif);
  f.setHintingPreference(QFont::PreferFullHinting);
  if (height < 0) {
    f.setPixelSize(-height);
  } else if (height > 0) {
    // A cell height: the pixel size whose ascent plus descent makes that height.
    QFont ref = f;
    ref.setPixelSize(100);
    const QFontMetricsF fm(ref);
    const double cell = fm.ascent() + fm.descent();
    const int px = cell > 0 ? static_cast<int>(std::lround(height * 100.0 / cell)) : height;
    f.setPixelSize(px < 1 ? 1 : px);
  } else {
    f.setPixelSize(13);
  }
  return f;
}

// ---------------------------------------------------------------- the description of a call

std::string DrawCall::Describe() const {
  char buf[160];
  std::string s = op;
  auto pt = [&](std::size_t i) {
    std::snprintf(buf, sizeof buf, "(%d, %d)", args[i], args[i + 1]);
    return std::string(buf);
  };
  if (op == "Line" && args.size() == 4) {
    s += " " + pt(0) + " -> " + pt(2);
  } else if ((op == "Rectangle" || op == "Ellipse" || op == "FillSolidRect" ||
              op == "DrawFocusRect" || op == "DrawText") &&
             args.size() >= 4) {
    std::snprintf(buf, sizeof buf, " (%d, %d, %d, %d)", args[0], args[1], args[2], args[3]);
    s += buf;
  } else {
    for (std::size_t i = 0; i + 1 < args.size(); i += 2)
      s += " " + pt(i);
  }
  if (!text.isNull()) s += " \"" + text.toStdString() + "\"";
  return s;
}

// ---------------------------------------------------------------- the common state

CDC::CDC() = default;
CDC::~CDC() = default;

CPen CDC::SelectObject(const CPen& pen) {
  CPen old = s_.pen;
  s_.pen = pen;
  return old;
}
CBrush CDC::SelectObject(const CBrush& brush) {
  CBrush old = s_.brush;
  s_.brush = brush;
  return old;
}
CFont CDC::SelectObject(const CFont& font) {
  CFont old = s_.font;
  s_.font = font;
  return old;
}
COLORREF CDC::SetTextColor(COLORREF c) {
  return std::exchange(s_.textColor, c);
}
COLORREF CDC::SetBkColor(COLORREF c) {
  return std::exchange(s_.bkColor, c);
}
int CDC::SetBkMode(int mode) {
  return std::exchange(s_.bkMode, mode);
}
int CDC::SetROP2(int rop) {
  return std::exchange(s_.rop2, rop);
}
unsigned CDC::SetTextAlign(unsigned align) {
  return std::exchange(s_.textAlign, align);
}

int CDC::SaveDC() {
  saved_.push_back(s_);
  return static_cast<int>(saved_.size());
}

bool CDC::RestoreDC(int saved) {
  if (saved < 0) saved = static_cast<int>(saved_.size()) + 1 + saved;
  if (saved < 1 || saved > static_cast<int>(saved_.size())) return false;
  s_ = saved_[static_cast<std::size_t>(saved - 1)];
  saved_.resize(static_cast<std::size_t>(saved - 1));
  DoClipChanged();
  return true;
}

void CDC::IntersectClipRect(const CRect& r) {
  if (!s_.clipped) {
    s_.clip = r;
  } else {
    s_.clip = CRect{std::max(s_.clip.left, r.left), std::max(s_.clip.top, r.top),
                    std::min(s_.clip.right, r.right), std::min(s_.clip.bottom, r.bottom)};
  }
  s_.clipped = true;
  DoClipChanged();
}

CPoint CDC::MoveTo(int x, int y) {
  return std::exchange(s_.pos, CPoint{x, y});
}

bool CDC::LineTo(int x, int y) {
  const CPoint from = s_.pos;
  s_.pos = CPoint{x, y};
  if (s_.pen.style != PS_NULL) DoLine(from, s_.pos);
  return true;
}

static CRect Normalised(int l, int t, int r, int b) {
  return CRect{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

bool CDC::Rectangle(int l, int t, int r, int b) {
  DoRectangle(Normalised(l, t, r, b));
  return true;
}

bool CDC::Ellipse(int l, int t, int r, int b) {
  DoEllipse(Normalised(l, t, r, b));
  return true;
}

bool CDC::Polygon(const CPoint* pts, int count) {
  if (count < 2) return false;
  DoPolygon(std::vector<CPoint>(pts, pts + count), true);
  return true;
}

bool CDC::Polyline(const CPoint* pts, int count) {
  if (count < 2) return false;
  DoPolygon(std::vector<CPoint>(pts, pts + count), false);
  return true;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF c) {
  DoSetPixel(x, y, c);
  return c;
}

void CDC::FillSolidRect(const CRect& r, COLORREF c) {
  // As the classic call does, this leaves the background colour set to c.
  s_.bkColor = c;
  DoFillSolidRect(r, c);
}

void CDC::FillRect(const CRect& r, const CBrush& brush) {
  if (!brush.null) DoFillSolidRect(r, brush.color);
}

void CDC::Draw3dRect(const CRect& r, COLORREF topLeft, COLORREF bottomRight) {
  const int w = r.Width(), h = r.Height();
  const COLORREF bk = s_.bkColor;
  FillSolidRect(CRect{r.left, r.top, r.left + w - 1, r.top + 1}, topLeft);
  FillSolidRect(CRect{r.left, r.top, r.left + 1, r.top + h - 1}, topLeft);
  FillSolidRect(CRect{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  FillSolidRect(CRect{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  s_.bkColor = bk;
}

void CDC::DrawFocusRect(const CRect& r) {
  DoFocusRect(r);
}

bool CDC::TextOut(int x, int y, const QString& text) {
  DoTextOut(x, y, text);
  return true;
}

int CDC::DrawText(const QString& text, CRect& rect, unsigned format) {
  const QFontMetrics fm(s_.font.ToQFont());
  QString shown = text;
  int width = fm.horizontalAdvance(text);
  int height = fm.height();
  if (!(format & DT_SINGLELINE) && (format & DT_WORDBREAK)) {
    const QRect br =
        fm.boundingRect(QRect(0, 0, std::max(1, rect.Width()), 100000), Qt::TextWordWrap, text);
    width = br.width();
    height = br.height();
  }
  if ((format & DT_END_ELLIPSIS) && width > rect.Width()) {
    shown = fm.elidedText(text, Qt::ElideRight, rect.Width());
    width = fm.horizontalAdvance(shown);
  }
  if (format & DT_CALCRECT) {
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return height;
  }
  DoDrawText(text, rect, format, shown);
  return height;
}

bool CDC::BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, unsigned rop) {
  if (!src) return false;
  DoBitBlt(x, y, w, h, src, sx, sy, rop);
  return true;
}

CSize CDC::GetTextExtent(const QString& text) const {
  const QFontMetrics fm(s_.font.ToQFont());
  return CSize{fm.horizontalAdvance(text), fm.height()};
}

bool CDC::GetTextMetrics(TEXTMETRIC* tm) const {
  if (!tm) return false;
  const QFontMetrics fm(s_.font.ToQFont());
  tm->tmAscent = fm.ascent();
  tm->tmDescent = fm.descent();
  tm->tmHeight = fm.ascent() + fm.descent();
  tm->tmExternalLeading = std::max(0, fm.leading());
  tm->tmInternalLeading = std::max(0, tm->tmHeight - s_.font.ToQFont().pixelSize());
  tm->tmAveCharWidth = fm.averageCharWidth();
  tm->tmMaxCharWidth = fm.maxWidth();
  return true;
}

int CDC::GetDeviceCaps(int index) const {
  if (index == LOGPIXELSX || index == LOGPIXELSY) return DpiY();
  return 0;
}

// ---------------------------------------------------------------- painting

namespace {

// The pixels of a line from a to b without the end pixel, as the classic line drawing sets them.
QPolygon LinePixels(CPoint a, CPoint b) {
  QPolygon pts;
  int x = a.x, y = a.y;
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int err = dx + dy;
  while (!(x == b.x && y == b.y)) {
    pts << QPoint(x, y);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  return pts;
}

// The pixels of LinePixels(a, b) as the horizontal and vertical runs they form, each given as
// its top-left and bottom-right pixel, without making the list of pixels.
template <typename Run> void ForEachLineRun(CPoint a, CPoint b, Run run) {
  int x = a.x, y = a.y;
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int err = dx + dy;
  int startX = x, startY = y, lastX = x, lastY = y;
  bool open = false;
  auto flush = [&] {
    run(std::min(startX, lastX), std::min(startY, lastY), std::max(startX, lastX),
        std::max(startY, lastY));
  };
  while (!(x == b.x && y == b.y)) {
    if (!open) {
      startX = lastX = x, startY = lastY = y;
      open = true;
    } else if ((x == startX && lastX == startX && std::abs(y - lastY) == 1) ||
               (y == startY && lastY == startY && std::abs(x - lastX) == 1)) {
      lastX = x, lastY = y;
    } else {
      flush();
      startX = lastX = x, startY = lastY = y;
    }
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  if (open) flush();
}

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

QRect ToQRect(const CRect& r) {
  return QRect(r.left, r.top, r.Width(), r.Height());
}

} // namespace

CPainterDC::CPainterDC(QPainter* painter) : p_(painter) {
  if (p_) p_->setRenderHint(QPainter::Antialiasing, false);
}

CPainterDC::~CPainterDC() = default;

int CPainterDC::DpiY() const {
  return p_ && p_->device() ? p_->device()->logicalDpiY() : 96;
}

void CPainterDC::ApplyPen() {
  const CPen& pen = state().pen;
  QPen qp(ToQColor(pen.color));
  qp.setStyle(QtPenStyle(pen.style));
  qp.setWidth(pen.width <= 1 ? 1 : pen.width);
  qp.setCosmetic(pen.width <= 1);
  qp.setCapStyle(Qt::FlatCap);
  qp.setJoinStyle(Qt::MiterJoin);
  p_->setPen(qp);
}

void CPainterDC::ApplyRop() {
  switch (state().rop2) {
  case R2_XORPEN: p_->setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
  case R2_NOTXORPEN: p_->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
  case R2_NOT: p_->setCompositionMode(QPainter::RasterOp_NotDestination); break;
  default: p_->setCompositionMode(QPainter::CompositionMode_SourceOver); break;
  }
}

void CPainterDC::DoClipChanged() {
  if (!p_) return;
  if (state().clipped)
    p_->setClipRect(ToQRect(state().clip));
  else
    p_->setClipping(false);
}

void CPainterDC::DoLine(CPoint a, CPoint b) {
  if (!p_ || a == b) return;
  ApplyPen();
  ApplyRop();
  if (state().pen.width <= 1 && state().pen.style == PS_SOLID) {
    if (state().rop2 != R2_COPYPEN) {
      p_->drawPoints(LinePixels(a, b));
    } else {
      // The same pixels, filled as the horizontal and vertical runs they form: a long steep or
      // flat line is then a few rectangles instead of hundreds of points.
      const QColor color = ToQColor(state().pen.color);
      ForEachLineRun(a, b, [&](int x0, int y0, int x1, int y1) {
        p_->fillRect(QRect(QPoint(x0, y0), QPoint(x1, y1)), color);
      });
    }
  } else {
    p_->drawLine(QPoint(a.x, a.y), LinePixels(a, b).back());
  }
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CPainterDC::DoRectangle(const CRect& r) {
  if (!p_ || r.IsRectEmpty()) return;
  ApplyRop();
  const bool noPen = state().pen.style == PS_NULL;
  if (!state().brush.null) {
    const QRect fill = noPen ? QRect(r.left, r.top, r.Width() - 1, r.Height() - 1) : ToQRect(r);
    p_->fillRect(fill, ToQColor(state().brush.color));
  }
  if (!noPen) {
    ApplyPen();
    p_->setBrush(Qt::NoBrush);
    p_->drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
  }
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CPainterDC::DoEllipse(const CRect& r) {
  if (!p_ || r.IsRectEmpty()) return;
  ApplyRop();
  ApplyPen();
  if (state().brush.null)
    p_->setBrush(Qt::NoBrush);
  else
    p_->setBrush(ToQColor(state().brush.color));
  p_->drawEllipse(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
  p_->setBrush(Qt::NoBrush);
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CPainterDC::DoPolygon(const std::vector<CPoint>& pts, bool closed) {
  if (!p_) return;
  if (!closed) {
    for (std::size_t i = 1; i < pts.size(); ++i)
      DoLine(pts[i - 1], pts[i]);
    return;
  }
  QPolygon poly;
  for (const auto& p : pts)
    poly << QPoint(p.x, p.y);
  ApplyRop();
  ApplyPen();
  if (state().brush.null)
    p_->setBrush(Qt::NoBrush);
  else
    p_->setBrush(ToQColor(state().brush.color));
  p_->drawPolygon(poly);
  p_->setBrush(Qt::NoBrush);
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CPainterDC::DoSetPixel(int x, int y, COLORREF c) {
  if (!p_) return;
  p_->setPen(QPen(ToQColor(c), 1));
  p_->drawPoint(x, y);
}

void CPainterDC::DoFillSolidRect(const CRect& r, COLORREF c) {
  if (p_ && !r.IsRectEmpty()) p_->fillRect(ToQRect(r), ToQColor(c));
}

void CPainterDC::DoFocusRect(const CRect& r) {
  if (!p_ || r.IsRectEmpty()) return;
  QPen pen(Qt::white, 1, Qt::DotLine);
  pen.setCosmetic(true);
  p_->setPen(pen);
  p_->setBrush(Qt::NoBrush);
  p_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p_->drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CPainterDC::DoTextOut(int x, int y, const QString& text) {
  if (!p_) return;
  const QFont font = state().font.ToQFont();
  const QFontMetrics fm(font);
  const int w = fm.horizontalAdvance(text);
  const unsigned align = state().textAlign;
  if ((align & TA_CENTER) == TA_CENTER)
    x -= w / 2;
  else if (align & TA_RIGHT)
    x -= w;
  if ((align & TA_BASELINE) == TA_BASELINE)
    y -= fm.ascent();
  else if (align & TA_BOTTOM)
    y -= fm.height();
  if (state().bkMode == OPAQUE)
    p_->fillRect(QRect(x, y, w, fm.height()), ToQColor(state().bkColor));
  p_->setFont(font);
  p_->setPen(ToQColor(state().textColor));
  p_->drawText(x, y + fm.ascent(), text);
}

void CPainterDC::DoDrawText(const QString& text, const CRect& rect, unsigned format,
                            const QString& shown) {
  (void)text;
  if (!p_) return;
  int flags = 0;
  flags |= (format & DT_CENTER)  ? Qt::AlignHCenter
           : (format & DT_RIGHT) ? Qt::AlignRight
                                 : Qt::AlignLeft;
  if (format & DT_SINGLELINE)
    flags |= (format & DT_VCENTER)  ? Qt::AlignVCenter
             : (format & DT_BOTTOM) ? Qt::AlignBottom
                                    : Qt::AlignTop;
  else
    flags |= Qt::AlignTop;
  if (format & DT_WORDBREAK) flags |= Qt::TextWordWrap;
  if (format & DT_NOCLIP) flags |= Qt::TextDontClip;
  const QFont font = state().font.ToQFont();
  p_->setFont(font);
  if (state().bkMode == OPAQUE) {
    const QRect br = p_->boundingRect(ToQRect(rect), flags, shown);
    p_->fillRect(br.intersected(ToQRect(rect)), ToQColor(state().bkColor));
  }
  p_->setPen(ToQColor(state().textColor));
  p_->drawText(ToQRect(rect), flags, shown);
}

void CPainterDC::DoBitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, unsigned rop) {
  if (!p_ || !src->Image()) return;
  if (rop == SRCINVERT) p_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p_->drawImage(QRect(x, y, w, h), *src->Image(), QRect(sx, sy, w, h));
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

CImageDC::CImageDC(int width, int height)
    : image_(std::max(1, width), std::max(1, height), QImage::Format_RGB32) {
  image_.fill(Qt::white);
  painter_ = std::make_unique<QPainter>(&image_);
  SetPainter(painter_.get());
  painter_->setRenderHint(QPainter::Antialiasing, false);
}

CImageDC::~CImageDC() {
  SetPainter(nullptr);
  painter_.reset();
}

// ---------------------------------------------------------------- recording

CRecordingDC::CRecordingDC() = default;

DrawCall CRecordingDC::Make(std::string op, std::vector<int> args) const {
  DrawCall c;
  c.op = std::move(op);
  c.args = std::move(args);
  c.pen = state().pen;
  c.brush = state().brush;
  c.font = state().font;
  c.textColor = state().textColor;
  c.bkColor = state().bkColor;
  c.bkMode = state().bkMode;
  c.rop2 = state().rop2;
  c.format = state().textAlign;
  return c;
}

void CRecordingDC::DoLine(CPoint a, CPoint b) {
  calls_.push_back(Make("Line", {a.x, a.y, b.x, b.y}));
}
void CRecordingDC::DoRectangle(const CRect& r) {
  calls_.push_back(Make("Rectangle", {r.left, r.top, r.right, r.bottom}));
}
void CRecordingDC::DoEllipse(const CRect& r) {
  calls_.push_back(Make("Ellipse", {r.left, r.top, r.right, r.bottom}));
}
void CRecordingDC::DoPolygon(const std::vector<CPoint>& pts, bool closed) {
  std::vector<int> args;
  for (const auto& p : pts)
    args.insert(args.end(), {p.x, p.y});
  calls_.push_back(Make(closed ? "Polygon" : "Polyline", std::move(args)));
}
void CRecordingDC::DoSetPixel(int x, int y, COLORREF c) {
  auto call = Make("SetPixel", {x, y});
  call.textColor = c;
  calls_.push_back(std::move(call));
}
void CRecordingDC::DoFillSolidRect(const CRect& r, COLORREF c) {
  auto call = Make("FillSolidRect", {r.left, r.top, r.right, r.bottom});
  call.brush = CBrush{c, false};
  calls_.push_back(std::move(call));
}
void CRecordingDC::DoFocusRect(const CRect& r) {
  calls_.push_back(Make("DrawFocusRect", {r.left, r.top, r.right, r.bottom}));
}
void CRecordingDC::DoTextOut(int x, int y, const QString& text) {
  auto call = Make("TextOut", {x, y});
  call.text = text;
  calls_.push_back(std::move(call));
}
void CRecordingDC::DoDrawText(const QString& text, const CRect& rect, unsigned format,
                              const QString& shown) {
  (void)text;
  auto call = Make("DrawText", {rect.left, rect.top, rect.right, rect.bottom});
  call.text = shown;
  call.format = format;
  calls_.push_back(std::move(call));
}
void CRecordingDC::DoBitBlt(int x, int y, int w, int h, CDC*, int sx, int sy, unsigned rop) {
  auto call = Make("BitBlt", {x, y, w, h, sx, sy});
  call.format = rop;
  calls_.push_back(std::move(call));
}

std::vector<DrawCall> CRecordingDC::Calls(const std::string& op) const {
  std::vector<DrawCall> out;
  for (const auto& c : calls_)
    if (c.op == op) out.push_back(c);
  return out;
}

std::string CRecordingDC::Dump() const {
  std::string s;
  for (const auto& c : calls_)
    s += c.Describe() + "\n";
  return s;
}
