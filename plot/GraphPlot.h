#pragma once
// The picture of a titration: axis ranges and tick steps, the plot rectangle and scales, the
// graph font, the value-to-pixel mappings, and the drawing of the classic view (pH against V
// with the derivative) and the linearised view (G against V with the approximating lines).
// Plain drawing through CDC with Qt Gui only: the graph view draws with it, and so does the
// command-line export, without a display.
#include "gui/DrawSettings.h"
#include "gui/DC.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace vexa {
class TitrationSystem;
}

// Draws one point marker of `type` (0 ... 7) centred at (x, y): a solid brush of the fill
// colour and a 2-pixel pen of the outline colour; a size of 0 or less counts as 10. The pen,
// brush and current position of dc are left as they were.
void DrawMarker(CDC* dc, int x, int y, int size, COLORREF fill, COLORREF outline, int type);

// A marker size as the drawing uses it: a stored size far beyond any window (the settings are
// taken as they are) is held at 10 000 pixels either way, so no coordinate overflows.
int MarkerExtent(int size);

// Converts a pixel distance to int, truncating toward zero. Values far outside any window
// (and NaN) are held at a bound, so a degenerate scale never asks for an undefined conversion.
int ToPixel(double v);

// A rectangle in unrounded pixels: left < right, bottom < top (values grow upwards).
struct ClipBox {
  double left, right, bottom, top;
};
// Cuts the segment (x0, y0)–(x1, y1) to the box, in place; false when nothing of it lies
// inside or an end is not a finite number. A segment that only touches the box is kept as the
// point it touches.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const ClipBox& box);

// A walk through pixels (MoveTo the first, LineTo each next) with the same pixels for a pen of
// one pixel but fewer vertices: where consecutive points share a column, the steps inside the
// column become at most first, lowest, highest (in the order met), last. Appends to out.
void MergePixelColumns(const CPoint* walk, std::size_t count, std::vector<CPoint>& out);

// For each of the n positions, whether it is the last one on its pixel: a marker stamped at an
// earlier position that a later one repeats can never show, whatever is drawn in between.
// Only positions within `client` widened by `margin` on every side are compared; the others
// are all kept.
std::vector<char> LastOnEachPixel(const CPoint* pts, std::size_t n, CSize client, int margin);

// A picture of one point marker, put for every point instead of drawing each one.
class MarkerStamp {
public:
  virtual ~MarkerStamp() = default;
  // Puts the marker centred on (x, y) into dc.
  virtual void Put(CDC* dc, int x, int y) const = 0;
};

namespace vexa {
struct ApproxLine;
}

class GraphPlot {
public:
  // --- the view's drawing state ---
  double xMin = 0;
  double xMax = 1;
  double yMin = 0;
  double yMax = 1;
  int plotLeft = 0;
  int plotRight = 0;
  int plotTop = 0;
  int plotBottom = 0;
  double xScale = 1;
  double yScale = 1;
  double yScaleNeg = 1; // below the zero row, used only when the range spans zero
  int currentLine = 0;
  double derivMax = 1;
  double derivMin = 0;
  double derivScale = 1;
  CFont font;
  int hoverPoint = -1;
  double yStep = 0.1;
  double xStep = 0.1;
  double yStepNeg = -0.1; // negative, used only when the range spans zero
  std::unique_ptr<CImageDC> cacheBitmap;
  bool linearised = false;
  // A line of text the linearised view shows above the current line's status text: what an
  // automatic placement found (or that it found nothing). Empty: none.
  QString notice;

  GraphPlot();
  ~GraphPlot();
  GraphPlot(const GraphPlot&) = delete;
  GraphPlot& operator=(const GraphPlot&) = delete;

  // Ranges and tick steps of the current view; in the classic view also the derivative array
  // of the system and its extremes. A range of zero span is widened so that it can be drawn.
  void ComputeRanges(vexa::TitrationSystem& sys);
  // Plot rectangle and scales for a client of cx × cy pixels.
  void ComputeLayout(int cx, int cy);
  // The graph font for a client of cx × cy pixels.
  void CreateGraphFont(int cx, int cy);

  // --- value to pixel ---
  bool SplitScale() const { return yMin * yMax < 0; }
  int ZeroRow() const { return (plotBottom + plotTop) / 2; }
  int Column(double v) const { return ToPixel((v - xMin) * xScale) + plotLeft; }
  // The row of an ordinate value, with the single or split scale.
  int Row(double value) const;
  int DerivRow(double d) const { return plotBottom - ToPixel((d - derivMin) * derivScale); }
  // Point number clamped to 0 ... N−1 (0 when there are no points).
  static int ClampPoint(const vexa::TitrationSystem& sys, int point);
  // The number of points that can be read safely.
  static int PointCount(const vexa::TitrationSystem& sys);

  // The point under the client position (mx, my), or −1: within twice the marker size and a
  // squared distance below 1000, the nearest, the lowest number on ties.
  int HitTest(const vexa::TitrationSystem& sys, int markerSize, int mx, int my) const;

  // --- drawing ---
  // The whole view. With a stamp the markers are put from it instead of being drawn.
  void DrawClassic(CDC* dc, const vexa::TitrationSystem& sys, const DrawSettings& s, CSize client,
                   const MarkerStamp* stamp = nullptr) const;
  void DrawLinearised(CDC* dc, const vexa::TitrationSystem& sys, const DrawSettings& s,
                      CSize client, const MarkerStamp* stamp = nullptr) const;
  // The part of the view that depends on the ranges, the layout, the font and the settings
  // only: ticks, grid, frame and axis titles (and the linearised view's title box).
  void DrawBackground(CDC* dc, const DrawSettings& s, CSize client) const;
  // The rest, drawn over the background: the data, the lines, the status and the titles.
  void DrawData(CDC* dc, const vexa::TitrationSystem& sys, const DrawSettings& s, CSize client,
                const MarkerStamp* stamp = nullptr) const;
  // The whole paint: into cacheBitmap (made at the client's size when there is none, filled
  // white) and copied to target in one block; without buffering straight to target. The
  // background is kept in a picture of its own between paints and drawn again only when
  // something it shows has changed.
  void Paint(CDC* target, const vexa::TitrationSystem& sys, const DrawSettings& s, CSize client,
             bool buffered = true);
  void DeleteCache();
  // Whether the last paint drew the background anew (for tests).
  bool BackgroundRedrawn() const { return backgroundRedrawn_; }

private:
  void DrawAbscissaTicks(CDC* dc) const;
  void DrawFrame(CDC* dc, const DrawSettings& s) const;
  void DrawAbscissaTitle(CDC* dc) const;
  void DrawSystemTitle(CDC* dc, const vexa::TitrationSystem& sys, CSize client) const;
  void DrawClassicBackground(CDC* dc, const DrawSettings& s) const;
  void DrawClassicData(CDC* dc, const vexa::TitrationSystem& sys, const DrawSettings& s,
                       CSize client, const MarkerStamp* stamp) const;
  void DrawLinearisedBackground(CDC* dc, const DrawSettings& s, CSize client) const;
  void DrawLinearisedData(CDC* dc, const vexa::TitrationSystem& sys, const DrawSettings& s,
                          CSize client, const MarkerStamp* stamp) const;
  // The derivative as one walk per stretch of finite values, columns merged.
  void DrawDerivative(CDC* dc, const vexa::TitrationSystem& sys, int n) const;
  // The titration curve: each segment after the marker of its end point. Only the last marker
  // on each pixel is put, and the segments between two markers put are drawn as one walk with
  // its columns merged: the same pixels as marker, segment, marker, ... for every point.
  void DrawCurve(CDC* dc, const vexa::TitrationSystem& sys, int n, const DrawSettings& s,
                 CSize client, const MarkerStamp* stamp) const;
  // The approximating lines, cut to the plot box enlarged halfway into the margins.
  void DrawLines(CDC* dc, const vexa::TitrationSystem& sys, CSize client) const;
  // Their numbers in circles, over the lines and the markers.
  void DrawLineNumbers(CDC* dc, const vexa::TitrationSystem& sys) const;
  // One line in the single scale: from where it crosses the box's bottom value to where it
  // crosses its top value, both held to the box's sides.
  void DrawSingleScaleLine(CDC* dc, const vexa::ApproxLine& line, CSize client) const;
  // One line in the split scale: two segments meeting at (Veq, zero row).
  void DrawSplitScaleLine(CDC* dc, const vexa::ApproxLine& line, CSize client) const;
  // The number of line j in its circle, beside the middle of the line's points; red for the
  // current line.
  void DrawLineNumber(CDC* dc, const vexa::TitrationSystem& sys, int j) const;
  // The plot box enlarged halfway into the margins, in pixels.
  CRect EnlargedBox(CSize client) const;
  // One point marker: put from the stamp when there is one, drawn otherwise.
  static void PutMarker(CDC* dc, int x, int y, const DrawSettings& s, const MarkerStamp* stamp);

  // What the background shows depends on these alone.
  struct BackgroundKey {
    CSize client;
    bool linearised = false;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, xStep = 0, yStep = 0, yStepNeg = 0;
    double xScale = 0, yScale = 0, yScaleNeg = 0;
    int plotLeft = 0, plotRight = 0, plotTop = 0, plotBottom = 0;
    CFont font;
    DrawSettings settings;
    bool operator==(const BackgroundKey&) const = default;
  };
  BackgroundKey MakeBackgroundKey(const DrawSettings& s, CSize client) const;

  class PixelStamp;
  std::unique_ptr<CImageDC> background_;
  BackgroundKey backgroundKey_;
  bool backgroundRedrawn_ = false;
};
