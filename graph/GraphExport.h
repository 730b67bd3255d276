#pragma once
// The graph as a picture file: PNG through an image, SVG through the SVG generator, both
// drawn by the same code as the window. Qt Gui only.
#include "graph/GraphPlot.h"

#include <QByteArray>
#include <QString>

#include <optional>

enum class GraphFormat { Png, Svg };

// The format a file name asks for by its extension (".png" or ".svg", in any case).
std::optional<GraphFormat> GraphFormatForPath(const QString& path);

// Brings a plot up to date as the graph view does when it is shown at width × height: the
// font, the ranges and the layout, and every line in use clamped and refitted.
void PreparePlot(GraphPlot& plot, vexa::TitrationSystem& sys, int width, int height);

// The picture of the plot's view at the client size, on white. Empty when it cannot be made.
// A PNG at a scale other than 1 has scale times the client's pixels a side, the view drawn
// into it as into the client (lines as smooth lines, text at the finer resolution), and says
// so in its resolution (96 × scale dots per inch), so that it prints at the client's size.
QByteArray RenderGraph(const GraphPlot& plot, const vexa::TitrationSystem& sys,
                       const DrawSettings& s, CSize client, GraphFormat format,
                       double scale = 1.0);
