#pragma once
// The device context the views draw through, with the classic conventions: integer pixels, a
// rectangle or ellipse leaves out its right and bottom edge, a line leaves out its end pixel,
// colours are 0x00BBGGRR values. Two kinds: CPainterDC paints through a QPainter (a window, a
// QImage, a printer or SVG), CRecordingDC lists the calls so tests can check geometry.
// Needs only Qt Gui.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using COLORREF = std::uint32_t;
constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) {
  return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
  return static_cast<int>((c >> 16) & 0xFF);
}

struct CPoint {
  int x = 0;
  int y = 0;
  bool operator==(const CPoint&) const = default;
};

struct CSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const CSize&) const = default;
};

struct CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool PtInRect(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
  void InflateRect(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  bool operator==(const CRect&) const = default;
};

enum PenStyle {
  PS_SOLID = 0,
  PS_DASH = 1,
  PS_DOT = 2,
  PS_DASHDOT = 3,
  PS_DASHDOTDOT = 4,
  PS_NULL = 5
};

struct CPen {
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
  bool operator==(const CPen&) const = default;
};

struct CBrush {
  COLORREF color = RGB(255, 255, 255);
  bool null = false; // the hollow brush: shapes are not filled
  static CBrush Hollow() { return CBrush{0, true}; }
  bool operator==(const CBrush&) const = default;
};

struct CFont {
  QString face = QStringLiteral("Arial");
  int height = 0;   // > 0: cell height; < 0: character height; 0: a default size
  int weight = 400; // 400 normal, 700 bold
  bool italic = false;
  bool underline = false;
  bool operator==(const CFont&) const = default;
  // The Qt font of the same size and style.
  QFont ToQFont() const;
};

struct TEXTMETRIC {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
};

enum BkMode { TRANSPARENT = 1, OPAQUE = 2 };
enum Rop2 {
  R2_BLACK = 1,
  R2_NOT = 6,
  R2_XORPEN = 7,
  R2_NOTXORPEN = 10,
  R2_COPYPEN = 13,
  R2_WHITE = 16
};
enum : unsigned {
  DT_TOP = 0,
  DT_LEFT = 0,
  DT_CENTER = 1,
  DT_RIGHT = 2,
  DT_VCENTER = 4,
  DT_BOTTOM = 8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_NOCLIP = 0x100,
  DT_CALCRECT = 0x400,
  DT_END_ELLIPSIS = 0x8000
};
enum : unsigned {
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24
};
enum : unsigned { SRCCOPY = 0x00CC0020, SRCINVERT = 0x00660046 };

// One drawing call as the recording context keeps it.
struct DrawCall {
  std::string op;        // "Line", "Rectangle", "Ellipse", "Polygon", "Polyline", "TextOut", ...
  std::vector<int> args; // coordinates in the order of the call
  QString text;
  CPen pen;
  CBrush brush;
  CFont font;
  COLORREF textColor = 0;
  COLORREF bkColor = 0;
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  unsigned format = 0; // DrawText format or text alignment
  // "Line (100, 630) -> (100, 35)", "Rectangle (0, 0, 10, 10)", "TextOut (5, 7) \"abc\""
  std::string Describe() const;
};

class CDC {
public:
  CDC();
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // --- state; each returns the previous setting ---
  CPen SelectObject(const CPen& pen);
  CBrush SelectObject(const CBrush& brush);
  CFont SelectObject(const CFont& font);
  const CPen& GetCurrentPen() const { return s_.pen; }
  const CBrush& GetCurrentBrush() const { return s_.brush; }
  const CFont& GetCurrentFont() const { return s_.font; }
  COLORREF SetTextColor(COLORREF c);
  COLORREF SetBkColor(COLORREF c);
  int SetBkMode(int mode);
  int SetROP2(int rop);
  unsigned SetTextAlign(unsigned align);
  COLORREF GetTextColor() const { return s_.textColor; }
  COLORREF GetBkColor() const { return s_.bkColor; }
  int GetBkMode() const { return s_.bkMode; }
  int GetROP2() const { return s_.rop2; }
  CPoint GetCurrentPosition() const { return s_.pos; }
  // Saves the whole state (and the clip); RestoreDC(-1) brings back the last saved one.
  int SaveDC();
  bool RestoreDC(int saved);
  // Narrows the clip rectangle.
  void IntersectClipRect(const CRect& r);

  // --- drawing ---
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
  bool LineTo(int x, int y);
  bool LineTo(CPoint p) { return LineTo(p.x, p.y); }
  bool Rectangle(int l, int t, int r, int b);
  bool Rectangle(const CRect& r) { return Rectangle(r.left, r.top, r.right, r.bottom); }
  bool Ellipse(int l, int t, int r, int b);
  bool Ellipse(const CRect& r) { return Ellipse(r.left, r.top, r.right, r.bottom); }
  bool Polygon(const CPoint* pts, int count);
  bool Polyline(const CPoint* pts, int count);
  COLORREF SetPixel(int x, int y, COLORREF c);
  void FillSolidRect(const CRect& r, COLORREF c);
  void FillRect(const CRect& r, const CBrush& brush);
  void Draw3dRect(const CRect& r, COLORREF topLeft, COLORREF bottomRight);
  void DrawFocusRect(const CRect& r);
  bool TextOut(int x, int y, const QString& text);
  // Draws text in a box with the DT_ flags; with DT_CALCRECT only measures (the rectangle's
  // right and bottom are set). Returns the text height.
  int DrawText(const QString& text, CRect& rect, unsigned format);
  // Copies a block from an off-screen context (CImageDC).
  bool BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, unsigned rop = SRCCOPY);

  // --- measuring ---
  CSize GetTextExtent(const QString& text) const;
  bool GetTextMetrics(TEXTMETRIC* tm) const;
  int GetDeviceCaps(int index) const;
  static constexpr int LOGPIXELSX = 88;
  static constexpr int LOGPIXELSY = 90;

  // The image behind an off-screen context; null for others.
  virtual const QImage* Image() const { return nullptr; }

protected:
  struct State {
    CPen pen;
    CBrush brush;
    CFont font;
    COLORREF textColor = 0;
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    unsigned textAlign = TA_LEFT | TA_TOP;
    CPoint pos;
    bool clipped = false;
    CRect clip;
  };
  const State& state() const { return s_; }

  // The primitives each kind implements. Coordinates are already in the classic conventions.
  virtual void DoLine(CPoint a, CPoint b) = 0; // end pixel excluded
  virtual void DoRectangle(const CRect& r) = 0;
  virtual void DoEllipse(const CRect& r) = 0;
  virtual void DoPolygon(const std::vector<CPoint>& pts, bool closed) = 0;
  virtual void DoSetPixel(int x, int y, COLORREF c) = 0;
  virtual void DoFillSolidRect(const CRect& r, COLORREF c) = 0;
  virtual void DoFocusRect(const CRect& r) = 0;
  virtual void DoTextOut(int x, int y, const QString& text) = 0; // x, y: top-left of the text
  virtual void DoDrawText(const QString& text, const CRect& rect, unsigned format,
                          const QString& shown) = 0;
  virtual void DoBitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, unsigned rop) = 0;
  virtual void DoClipChanged() {}
  virtual int DpiY() const { return 96; }

private:
  State s_;
  std::vector<State> saved_;
};

// Paints through a QPainter the caller owns.
class CPainterDC : public CDC {
public:
  explicit CPainterDC(QPainter* painter);
  ~CPainterDC() override;
  QPainter* painter() const { return p_; }

protected:
  CPainterDC() : p_(nullptr) {}
  void SetPainter(QPainter* painter) { p_ = painter; }
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
  void DoClipChanged() override;
  int DpiY() const override;

private:
  void ApplyPen();
  void ApplyRop();
  QPainter* p_;
};

// An off-screen context over an image of its own (a memory DC with its bitmap selected).
class CImageDC : public CPainterDC {
public:
  CImageDC(int width, int height);
  ~CImageDC() override;
  const QImage* Image() const override { return &image_; }
  QImage& image() { return image_; }

private:
  QImage image_;
  std::unique_ptr<QPainter> painter_; // ends before the image goes
};

// Records the calls instead of painting. Text is measured with the real fonts.
class CRecordingDC : public CDC {
public:
  CRecordingDC();
  const std::vector<DrawCall>& calls() const { return calls_; }
  void clear() { calls_.clear(); }
  // The calls of one kind ("Line", "TextOut", ...).
  std::vector<DrawCall> Calls(const std::string& op) const;
  // Every call described, one per line.
  std::string Dump() const;

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
  DrawCall Make(std::string op, std::vector<int> args) const;
  std::vector<DrawCall> calls_;
};

inline QColor ToQColor(COLORREF c) {
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline COLORREF FromQColor(const QColor& c) {
  return RGB(c.red(), c.green(), c.blue());
}
