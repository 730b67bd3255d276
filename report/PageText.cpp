#include "report/PageText.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QStringList>

#include <algorithm>
#include <numeric>

namespace {

constexpr double kScriptScale = 0.7; // script size against the base size
constexpr double kLowered = 0.22;    // baseline shift of a lowered part, in base ascents
constexpr double kRaised = 0.42;     // ... of a raised part
constexpr double kRulePoints = 0.5;  // cell frames
constexpr double kHeadRulePoints = 0.8;

double PointsToDevice(QPaintDevice* device, double points) {
  return points * (device ? device->logicalDpiY() : 72) / 72.0;
}

int TextFlags(const TableCell& cell) {
  return (cell.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextWordWrap;
}

} // namespace

std::vector<CaptionRun> ParseCaption(const QString& caption) {
  std::vector<CaptionRun> runs;
  auto add = [&runs](const QString& text, int shift) {
    if (text.isEmpty()) return;
    if (!runs.empty() && runs.back().shift == shift)
      runs.back().text += text;
    else
      runs.push_back(CaptionRun{text, shift});
  };
  const qsizetype n = caption.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = caption[i];
    if (c != QLatin1Char('_') && c != QLatin1Char('^')) {
      add(QString(c), 0);
      continue;
    }
    const int shift = c == QLatin1Char('_') ? -1 : 1;
    if (i + 1 >= n) break; // a marker at the end ends the caption
    if (caption[i + 1] == QLatin1Char('{')) {
      if (i + 2 >= n) break;
      qsizetype close = caption.indexOf(QLatin1Char('}'), i + 2);
      if (close < 0) close = n;
      add(caption.mid(i + 2, close - i - 2), shift);
      i = close;
    } else {
      add(QString(caption[i + 1]), shift);
      ++i;
    }
  }
  return runs;
}

QString CaptionPlainText(const QString& caption) {
  QString out;
  for (const CaptionRun& run : ParseCaption(caption))
    out += run.text;
  return out;
}

QFont ScriptFont(const QFont& font) {
  QFont script = font;
  script.setPointSizeF(font.pointSizeF() * kScriptScale);
  return script;
}

QFont PageFont(double points, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setKerning(false); // measured and painted advances then agree on every device
  return font;
}

double CaptionWidth(const QString& caption, const QFont& font, QPaintDevice* device) {
  const QFontMetricsF base(font, device);
  const QFontMetricsF script(ScriptFont(font), device);
  double width = 0;
  for (const CaptionRun& run : ParseCaption(caption))
    width += (run.shift == 0 ? base : script).horizontalAdvance(run.text);
  return width;
}

void DrawCaption(QPainter& painter, QPointF baseline, const QString& caption, const QFont& font) {
  QPaintDevice* device = painter.device();
  const QFont scriptFont = ScriptFont(font);
  const QFontMetricsF base(font, device);
  const QFontMetricsF script(scriptFont, device);
  double x = baseline.x();
  for (const CaptionRun& run : ParseCaption(caption)) {
    if (run.shift == 0) {
      painter.setFont(font);
      painter.drawText(QPointF(x, baseline.y()), run.text);
      x += base.horizontalAdvance(run.text);
    } else {
      const double dy = run.shift < 0 ? kLowered * base.ascent() : -kRaised * base.ascent();
      painter.setFont(scriptFont);
      painter.drawText(QPointF(x, baseline.y() + dy), run.text);
      x += script.horizontalAdvance(run.text);
    }
  }
}

// ------------------------------------------------------------------ tables

double PageTable::Width() const {
  return std::accumulate(widths.begin(), widths.end(), 0.0);
}

double PageTable::RowHeight(int row) const {
  if (rowHeights.empty()) return fixedRowHeight;
  return rowHeights[static_cast<std::size_t>(row)];
}

double CellTextWidth(const TableCell& cell, const QFont& font, QPaintDevice* device) {
  if (cell.wrap) {
    const QFontMetricsF fm(font, device);
    double width = 0;
    for (const QString& word : cell.text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
      width = std::max(width, fm.horizontalAdvance(word));
    return width;
  }
  double width = 0;
  for (const QString& line : cell.text.split(QLatin1Char('\n')))
    width = std::max(width, CaptionWidth(line, font, device));
  return width;
}

double CellTextHeight(const TableCell& cell, double width, const QFont& font,
                      QPaintDevice* device) {
  const QFontMetricsF fm(font, device);
  if (cell.text.isEmpty()) return fm.height();
  if (cell.wrap)
    return fm.boundingRect(QRectF(0, 0, std::max(width, 1.0), 1e9), TextFlags(cell), cell.text)
        .height();
  const auto lines = cell.text.count(QLatin1Char('\n')) + 1;
  return fm.height() + static_cast<double>(lines - 1) * fm.lineSpacing();
}

namespace {

// The width of the cell starting at column `col` of a row.
double SpanWidth(const PageTable& table, std::size_t col, int span) {
  double w = 0;
  for (std::size_t k = col; k < table.widths.size() && k < col + static_cast<std::size_t>(span);
       ++k)
    w += table.widths[k];
  return w;
}

double RowTextHeight(const PageTable& table, const TableRow& row, const QFont& font,
                     QPaintDevice* device) {
  double h = 0;
  std::size_t col = 0;
  for (const TableCell& cell : row) {
    const double w = SpanWidth(table, col, cell.span) - 2 * table.padX;
    h = std::max(h, CellTextHeight(cell, w, cell.bold ? table.headFont : font, device));
    col += static_cast<std::size_t>(std::max(cell.span, 1));
  }
  return h + 2 * table.padY;
}

} // namespace

void MeasureTable(PageTable& table, QPaintDevice* device) {
  table.headHeight =
      table.head.empty() ? 0 : RowTextHeight(table, table.head, table.headFont, device);
  table.rowHeights.clear();
  table.rowHeights.reserve(table.rows.size());
  for (const TableRow& row : table.rows)
    table.rowHeights.push_back(RowTextHeight(table, row, table.font, device));
}

std::vector<double> FitColumns(const PageTable& table, double width, QPaintDevice* device,
                               const std::vector<double>& minimum) {
  std::size_t columns = table.head.size();
  for (const TableRow& row : table.rows) {
    std::size_t n = 0;
    for (const TableCell& cell : row)
      n += static_cast<std::size_t>(std::max(cell.span, 1));
    columns = std::max(columns, n);
  }
  std::vector<double> widths(columns, 0.0);
  auto take = [&](const TableRow& row, const QFont& font) {
    std::size_t col = 0;
    for (const TableCell& cell : row) {
      if (cell.span <= 1 && col < columns)
        widths[col] =
            std::max(widths[col], CellTextWidth(cell, cell.bold ? table.headFont : font, device));
      col += static_cast<std::size_t>(std::max(cell.span, 1));
    }
  };
  take(table.head, table.headFont);
  for (const TableRow& row : table.rows)
    take(row, table.font);
  double total = 0;
  for (std::size_t c = 0; c < columns; ++c) {
    widths[c] += 2 * table.padX;
    if (c < minimum.size()) widths[c] = std::max(widths[c], minimum[c]);
    total += widths[c];
  }
  if (total > 0 && total < width)
    for (double& w : widths)
      w *= width / total;
  return widths;
}

double PaintTable(QPainter& painter, const PageTable& table, QPointF topLeft, int from, int to,
                  bool withHead) {
  QPaintDevice* device = painter.device();
  const double width = table.Width();
  double y = topLeft.y();
  QPen rule(QColor(120, 120, 120));
  rule.setWidthF(PointsToDevice(device, kRulePoints));
  QPen headRule(Qt::black);
  headRule.setWidthF(PointsToDevice(device, kHeadRulePoints));

  auto paintRow = [&](const TableRow& row, double height, const QFont& font, bool head, bool band) {
    if (head && table.headFill.isValid())
      painter.fillRect(QRectF(topLeft.x(), y, width, height), table.headFill);
    else if (band && !table.borders)
      painter.fillRect(QRectF(topLeft.x(), y, width, height), table.bandFill);
    double x = topLeft.x();
    std::size_t col = 0;
    for (const TableCell& cell : row) {
      const double w = SpanWidth(table, col, cell.span);
      const QFont& f = cell.bold || head ? table.headFont : font;
      const QRectF box(x + table.padX, y + table.padY, std::max(w - 2 * table.padX, 0.0),
                       std::max(height - 2 * table.padY, 0.0));
      painter.setPen(cell.color);
      if (cell.wrap) {
        painter.setFont(f);
        painter.drawText(box, TextFlags(cell), cell.text);
      } else {
        const QFontMetricsF fm(f, device);
        double baseline = box.top() + fm.ascent();
        for (const QString& line : cell.text.split(QLatin1Char('\n'))) {
          const bool markup = line.contains(QLatin1Char('_')) || line.contains(QLatin1Char('^'));
          QString shown = line;
          double lw = markup ? CaptionWidth(line, f, device) : fm.horizontalAdvance(line);
          if (!markup && lw > box.width()) { // too wide for its column: it ends in an ellipsis
            shown = fm.elidedText(line, Qt::ElideRight, box.width());
            lw = fm.horizontalAdvance(shown);
          }
          const double lx = cell.right ? box.right() - lw : box.left();
          if (markup) {
            DrawCaption(painter, QPointF(lx, baseline), line, f);
          } else {
            painter.setFont(f);
            painter.drawText(QPointF(lx, baseline), shown);
          }
          baseline += fm.lineSpacing();
        }
      }
      if (table.borders) {
        painter.setPen(rule);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(x, y, w, height));
      }
      x += w;
      col += static_cast<std::size_t>(std::max(cell.span, 1));
    }
    if (head && !table.borders) {
      painter.setPen(headRule);
      painter.drawLine(QPointF(topLeft.x(), y + height), QPointF(topLeft.x() + width, y + height));
    }
    y += height;
  };

  if (withHead && !table.head.empty())
    paintRow(table.head, table.headHeight, table.headFont, true, false);
  for (int r = from; r < to; ++r)
    paintRow(table.rows[static_cast<std::size_t>(r)], table.RowHeight(r), table.font, false,
             r % 2 == 1);
  return y - topLeft.y();
}
