#pragma once
// The graph as a picture file: PNG through an image, SVG through the SVG generator, both
// drawn by the same code as the window, anti-aliased, with pens, markers and fonts scaled
// together with the picture. Qt Gui only.
#include "plot/GraphPlot.h"

#include <QByteArray>
#include <QString>

#include <optional>

enum class GraphFormat { Png, Svg };

// The format a file name asks for by its extension (".png" or ".svg", in any case).
std::optional<GraphFormat> GraphFormatForPath(const QString& path);

// Brings a plot up to date as the graph view does when it is shown at width × height: the
// font, the ranges and the layout, and every line in use clamped and refitted.
void PreparePlot(GraphPlot& plot, vexa::TitrationSystem& sys, int width, int height);

// The size of the window a picture's graph is laid out for: 800 × 600.
inline constexpr CSize kGraphLayoutSize{800, 600};
// The scales a picture may be drawn at.
inline constexpr double kMinGraphScale = 0.25;
inline constexpr double kMaxGraphScale = 16;

// The drawing scale of a picture of `picture` pixels when none is asked for: a picture larger
// than 800 × 600 is the 800 × 600 graph drawn finer (2400 × 1800 is drawn at 3, a wider one is
// laid out wider at the scale its height gives); one no larger is drawn at 1.
double DefaultGraphScale(CSize picture);

// The window size a graph is laid out for when it is drawn at `scale` into a picture of
// `picture` pixels: each side divided by the scale, at least 16 pixels.
CSize GraphLayoutFor(CSize picture, double scale);

// The picture of the plot's view, laid out for `client` (see PreparePlot) and drawn into a
// picture of `picture` pixels on white: scaled by picture / client, so lines, markers and
// texts keep their proportions, and anti-aliased. Empty when it cannot be made.
QByteArray RenderGraph(const GraphPlot& plot, const vexa::TitrationSystem& sys,
                       const DrawSettings& s, CSize client, GraphFormat format, CSize picture);
// The same at the client's own size (scale 1).
QByteArray RenderGraph(const GraphPlot& plot, const vexa::TitrationSystem& sys,
                       const DrawSettings& s, CSize client, GraphFormat format);

// The whole export of a picture of `picture` pixels: the plot laid out for the picture at
// `scale` (0: DefaultGraphScale), prepared as the graph view does, and drawn.
QByteArray ExportGraph(GraphPlot& plot, vexa::TitrationSystem& sys, const DrawSettings& s,
                       CSize picture, GraphFormat format, double scale = 0);
