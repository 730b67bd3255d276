#pragma once
// What the window prints: the whole report of the system, or one part of it, through the one
// report renderer that the command-line tool's PDF uses too.
#include "report/Report.h"

#include <QString>

class CDoc;
class QPagedPaintDevice;

// The report options of the window: the graph's colours and markers and the points table's
// number format, as the settings store holds them.
ReportOptions WindowReportOptions(const ReportParts& parts);

// Paints `parts` of the document's system on a printer or PDF writer (its own page setup);
// currentLine is the line the linearised graph marks. Returns the pages, 0 with *error.
int PaintSystem(QPagedPaintDevice& device, const CDoc& doc, const ReportParts& parts,
                int currentLine, QString* error);
