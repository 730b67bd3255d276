#pragma once
// Text and tables on a printed page, laid out in the device's own units (a PDF writer's or a
// printer's dots). Fonts are given in points and measured against the device, so what is
// measured is what is painted at any resolution. Qt Gui only.
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>

#include <vector>

class QPaintDevice;
class QPainter;

// --- captions with the program's mark-up: "_" lowers and "^" raises the one character after
// it or a braced group, as in "V_{eq}" and "pK_{w}"; a marker at the very end is dropped ---

struct CaptionRun {
  QString text;
  int shift = 0; // 0 on the baseline, -1 lowered, +1 raised
  bool operator==(const CaptionRun&) const = default;
};

// The runs of a caption in order; neighbouring runs of the same shift are joined.
std::vector<CaptionRun> ParseCaption(const QString& caption);
// The text of a caption without its mark-up ("V_{eq}" reads "Veq").
QString CaptionPlainText(const QString& caption);

// The smaller font of the lowered and raised parts.
QFont ScriptFont(const QFont& font);
// The width of a caption in device units.
double CaptionWidth(const QString& caption, const QFont& font, QPaintDevice* device);
// Draws a caption with its baseline starting at `baseline`, in the painter's pen colour.
void DrawCaption(QPainter& painter, QPointF baseline, const QString& caption, const QFont& font);

// A font of the family every printed text uses, at `points` (bold when asked).
QFont PageFont(double points, bool bold = false);

// --- tables ---

struct TableCell {
  QString text; // lines separated by "\n"; mark-up unless wrap is set
  QColor color = Qt::black;
  bool bold = false;
  bool wrap = false;  // plain text broken into lines to fit the cell (no mark-up)
  int span = 1;       // the columns the cell covers, from its own
  bool right = false; // aligned to the right (numbers)
};
using TableRow = std::vector<TableCell>;

// A table laid out for one device: column widths and row heights in device units.
struct PageTable {
  QFont font;                 // the body
  QFont headFont;             // the header row
  std::vector<double> widths; // one per column
  TableRow head;              // repeated at the top of every page the table reaches
  std::vector<TableRow> rows;
  double padX = 0, padY = 0; // space inside each cell
  double headHeight = 0;
  std::vector<double> rowHeights; // one per row; empty: every row is fixedRowHeight high
  double fixedRowHeight = 0;
  bool borders = true; // a thin frame around every cell; else banded rows
  QColor headFill = QColor(230, 230, 230);
  QColor bandFill = QColor(244, 244, 244);

  double Width() const;
  double RowHeight(int row) const;
};

// The widest line of a cell in device units (of a wrapping cell: its longest word), without
// the padding.
double CellTextWidth(const TableCell& cell, const QFont& font, QPaintDevice* device);
// The height a cell needs at its width, padding not included.
double CellTextHeight(const TableCell& cell, double width, const QFont& font, QPaintDevice* device);
// Fills headHeight and rowHeights from the cells at the table's column widths.
void MeasureTable(PageTable& table, QPaintDevice* device);
// Column widths that hold every cell plus the padding, at least `minimum` where given, and
// widened in proportion to fill `width` when they need less. Spanning cells are not counted; a
// wrapping cell counts with its longest word.
std::vector<double> FitColumns(const PageTable& table, double width, QPaintDevice* device,
                               const std::vector<double>& minimum = {});

// Paints the header row (when withHead) and rows [from, to) with the top-left corner at
// `topLeft`. Returns the height painted.
double PaintTable(QPainter& painter, const PageTable& table, QPointF topLeft, int from, int to,
                  bool withHead);
