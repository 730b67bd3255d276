#pragma once
// The graph on a printed page. The window's drawing code paints it at the size of a window
// showing the same area on a common screen, and the painter scales that picture into the
// page's rectangle as a whole: fonts, pens and markers keep their proportions, so the page
// looks like the window's graph, only sharper. Lines, markers and texts stay vector strokes and
// text on a PDF or a printer, anti-aliased. Qt Gui only.
#include "plot/GraphPlot.h"
#include "plot/ScaledDC.h"

#include <QRectF>

class QPainter;

// The dots per inch of the screen a printed graph stands for.
inline constexpr double kGraphScreenDpi = 96;

// The window client size (in screen pixels, at least 16 × 16) that a graph printed in `rect`
// stands for, rect being in device units of a device of `deviceDpi` dots per inch.
CSize GraphClientForRect(const QRectF& rect, double deviceDpi);

// Paints a plot prepared for `client` (PreparePlot) into `rect`, clipped to it, on the
// paper's white. Returns false when there is nothing to paint into.
bool PaintGraphInRect(QPainter& painter, const QRectF& rect, const GraphPlot& plot,
                      const vexa::TitrationSystem& sys, const DrawSettings& settings, CSize client);
