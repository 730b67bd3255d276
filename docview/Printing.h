#pragma once
// What the window prints: the whole report of the system, or one part of it, through the one
// report renderer that the command-line tool's PDF uses too.
#include "report/Report.h"

#include <QString>

class QPagedPaintDevice;

namespace vexa {
class TitrationSystem;
struct RobustAnalysis;
} // namespace vexa

// The report options of the window: the graph's colours and markers and the points table's
// number format, as the settings store holds them.
ReportOptions WindowReportOptions(const ReportParts& parts);

// Paints `parts` of a system on a printer or PDF writer (its own page setup): `name` in the
// running header, the checks of Find lines when there are any; currentLine is the line the
// linearised graph marks. Returns the pages, 0 with *error.
int PaintSystem(QPagedPaintDevice& device, const vexa::TitrationSystem& system, const QString& name,
                const vexa::RobustAnalysis* checks, const ReportParts& parts, int currentLine,
                QString* error);
