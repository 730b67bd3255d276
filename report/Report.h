#pragma once
// The printable report of one or more titration systems, and the one renderer of every printed
// page of the program: the command-line tool writes it as a PDF, the window program prints and
// previews it through a printer, which is a paged paint device like the PDF writer. Qt Gui
// only: no widgets, no display.
//
// What a system's pages hold, in this order (each part can be left out):
//   - the parameters: V0, pKw, Ctit, the number of points and of lines;
//   - the lines' results: a table of every line in use (its number and first/end point counted
//     from 1, its status, A ± ΔA, B ± ΔB, Veq ± ΔV, Csub ± ΔC, ΔpH, ρxy; a failed line says why
//     in the results page's own words), the page's note on the risk level, and the checks of
//     the robust line search when the caller has them;
//   - the classic and the linearised graph, drawn by the window's own drawing code, together
//     on one page when both are asked for;
//   - the whole points table (number from 1, V, pH, G in the table's number format), every
//     row, over as many pages as it needs, its header repeated on every page; it starts on a
//     page of its own.
// Every page has a running header (the system's title, its file name) and a footer (the date,
// "Page N of M", counted over the whole report). Every system starts on a new page.
//
// The report works on a copy of each system with every line in use refitted (as the graph
// view does when it is shown and the command-line report does), so the table and the graphs
// always agree; the caller's records are not touched.
#include "gui/DrawSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <span>
#include <string>

class QPagedPaintDevice;

namespace vexa {
class TitrationSystem;
struct RobustAnalysis;
} // namespace vexa

// The parts a report holds.
struct ReportParts {
  bool parameters = true;      // V0, pKw, Ctit, the numbers of points and lines
  bool results = true;         // the lines' results, and the checks when given
  bool classicGraph = true;    // pH against V with the derivative
  bool linearisedGraph = true; // G against V with the lines
  bool pointsTable = true;     // every point

  static ReportParts All() { return {}; }
  static ReportParts None() { return {false, false, false, false, false}; }
  // The results page: parameters, the lines' results and the checks.
  static ReportParts Results() { return {true, true, false, false, false}; }
  // One graph alone.
  static ReportParts Graph(bool linearised) {
    return {false, false, !linearised, linearised, false};
  }
  // The points table alone.
  static ReportParts PointsTable() { return {false, false, false, false, true}; }
  bool Any() const {
    return parameters || results || classicGraph || linearisedGraph || pointsTable;
  }
};

enum class ReportPaper { A4, Letter };

struct ReportOptions {
  ReportPaper paper = ReportPaper::A4; // the page of a PDF written here (a printer keeps its own)
  double marginMm = 15;                // each of the four margins of a PDF written here, in mm
  bool landscape = false;              // the orientation of a PDF written here
  ReportParts parts;
  // The printf format of the points table's numbers, as the table shows them; a format that
  // is not one conversion of one double reads as "%g".
  std::string numberFormat = "%g";
  DrawSettings draw = DrawSettings::Defaults(); // the graphs' colours and marker
  int resolution = 1200;                        // dots per inch of a PDF written here
  QString date;                                 // the date printed; empty: now, "yyyy-MM-dd HH:mm"
  // The pages painted, counted from 1 over the whole report (a print dialog's range); the
  // footers keep their numbers. 0: from the first, to the last.
  int fromPage = 0;
  int toPage = 0;
};

// One system to print. The record and the checks are read during the call only.
struct ReportSystem {
  const vexa::TitrationSystem& system;
  QString name;                                 // the file name shown in the header
  const vexa::RobustAnalysis* checks = nullptr; // the robust search's checks, when there are any
  int currentLine = 0; // the line the linearised graph marks as current (from 0), as in the view
  QString note{}; // a line about the data under the parameters (how pH was computed); may be empty
};

// Told after each page is painted: pages done, pages in all. Returning false stops the report.
using ReportProgress = std::function<bool(int done, int total)>;

// The fixed sizes of the page furniture and the points table, in points (1/72 inch), for
// callers that need to know how many rows a page holds: on every page the content runs from
// kReportHeaderPt below the paint rectangle's top to kReportFooterPt above its bottom, and the
// points table takes kReportTableHeadPt for its header and kReportTableRowPt for each row.
inline constexpr double kReportHeaderPt = 28;
inline constexpr double kReportFooterPt = 22;
inline constexpr double kReportTableHeadPt = 18;
inline constexpr double kReportTableRowPt = 13;

// Sets the device's page size, orientation and margins from the options (a PDF writer's or a
// printer's). False when the device refuses them.
bool SetReportPageLayout(QPagedPaintDevice& device, const ReportOptions& options);

// Paints the report of `systems` onto the device, inside its paint rectangle (the page less the
// device's own margins; SetReportPageLayout sets those from the options), the pages of
// options.fromPage ... toPage only. Returns the number of pages painted; 0 when nothing was
// painted or the report was stopped, with *error saying why ("no system to print", "nothing to
// print: no part of the report is chosen", "no page in the range asked for: ...", "stopped",
// "cannot paint on the device"). Progress counts the pages of the range. When it stops, the
// pages already painted are on the device: a printer's caller aborts the job.
int RenderReport(QPagedPaintDevice& device, std::span<const ReportSystem> systems,
                 const ReportOptions& options, const ReportProgress& progress = {},
                 std::string* error = nullptr);

// The number of pages RenderReport would paint on the device in all (the range not applied),
// laid out without painting: for a print dialog's page range. 0, with *error filled, when
// RenderReport would refuse.
int CountReportPages(QPagedPaintDevice& device, std::span<const ReportSystem> systems,
                     const ReportOptions& options, std::string* error = nullptr);

// The single parts the window prints from its views: one graph on a page, the whole points
// table, the results page. They are RenderReport with options.parts set accordingly.
int RenderGraphPage(QPagedPaintDevice& device, const ReportSystem& system, bool linearised,
                    const ReportOptions& options, std::string* error = nullptr);
int RenderPointsTable(QPagedPaintDevice& device, const ReportSystem& system,
                      const ReportOptions& options, std::string* error = nullptr);
int RenderResults(QPagedPaintDevice& device, const ReportSystem& system,
                  const ReportOptions& options, std::string* error = nullptr);

// The report as the bytes of a PDF file, made in memory (paper, orientation, margins and
// resolution from the options), so the caller writes the file whole or not at all. Empty, with
// *error filled, on failure. *pages, when given, gets the page count.
QByteArray ReportPdf(std::span<const ReportSystem> systems, const ReportOptions& options,
                     const ReportProgress& progress = {}, std::string* error = nullptr,
                     int* pages = nullptr);

// ReportPdf written to `path` atomically: the file is replaced only by a complete PDF. False,
// with *error filled, on failure; the file is then as it was.
bool WriteReportPdf(const std::string& path, std::span<const ReportSystem> systems,
                    const ReportOptions& options, std::string* error = nullptr,
                    int* pages = nullptr);
