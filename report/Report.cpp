#include "report/Report.h"

#include "analysis/RobustLines.h"
#include "document/TitrationSystem.h"
#include "plot/GraphExport.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "report/GraphPrint.h"
#include "report/PageText.h"
#include "resources/Texts.h"

#include <QBuffer>
#include <QDateTime>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using vexa::ApproxLine;
using vexa::TitrationSystem;

namespace {

// --- the page's sizes, in points ---
constexpr double kBodyPt = 9;  // parameters, notes
constexpr double kLinesPt = 8; // the lines' table, shrunk when it would not fit
constexpr double kLinesMinPt = 5.5;
constexpr double kHeadingPt = 11;
constexpr double kRunningTitlePt = 10;
constexpr double kRunningTextPt = 8;
constexpr double kTablePt = 9; // the points table
constexpr double kRulePt = 0.5;
constexpr double kHeaderRulePt = 17;  // the header's rule, below the paint rectangle's top
constexpr double kFooterRulePt = 15;  // the footer's rule, above the paint rectangle's bottom
constexpr double kSectionGapPt = 12;  // space above a heading or a graph that follows other content
constexpr double kGraphGapPt = 10;    // between two graphs
constexpr double kGraphAspect = 0.75; // a graph's height against its width, at most
constexpr double kMinContentPt = 72;  // a page with less room than this cannot hold the report
constexpr double kMaxMarginMm = 60;
constexpr int kMinResolution = 72;
constexpr int kMaxResolution = 4800;

// Failure texts and the note of the results page (its string table entries).
constexpr int kTextFitFailed = 32821;
constexpr int kTextFewPoints = 32822;
constexpr int kTextUnexpected = 32823;
constexpr int kTextRiskNote = 32824;

// --- numbers, written as the results page writes them ---

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
// One double through a printf format the caller has checked, with a point as decimal separator
// whatever the locale says.
QString FormatDouble(const char* format, double value) {
  char small[64];
  const int n = std::snprintf(small, sizeof small, format, value);
  if (n < 0) return {};
  std::string out;
  if (static_cast<std::size_t>(n) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(n));
  } else {
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), format, value);
    out.assign(big.data(), static_cast<std::size_t>(n));
  }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  const char* point = std::localeconv()->decimal_point;
  if (point && *point && std::strcmp(point, ".") != 0) {
    const std::string p(point);
    for (std::size_t at = out.find(p); at != std::string::npos; at = out.find(p, at + 1))
      out.replace(at, p.size(), ".");
  }
  return QString::fromStdString(out);
}

QString G(double v) {
  return FormatDouble("%g", v);
}

QString PlusMinus(double v, double delta) {
  return G(v) + QStringLiteral("\n\u00B1 ") + G(delta);
}

QString Text(int id) {
  return QString::fromUtf8(vexa::ProgramString(id));
}

// A text for one line of the page: control characters (a line feed typed into a title) become
// spaces.
QString OneLine(QString text) {
  for (QChar& c : text)
    if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
  return text;
}

// --- the working copy ---

void CopyArray(const vexa::PointArray& from, vexa::PointArray& to) {
  if (!from.present()) {
    to.Release();
    return;
  }
  to.Allocate(std::max(from.capacity(), 1));
  std::copy_n(from.data(), from.capacity(), to.data());
}

void CopySystem(const TitrationSystem& from, TitrationSystem& to) {
  to.cTit = from.cTit;
  to.initialVolume = from.initialVolume;
  to.pKw = from.pKw;
  to.defaultTitleId = from.defaultTitleId;
  to.reservedWord = from.reservedWord;
  std::memcpy(to.title, from.title, sizeof to.title);
  to.pointCount = from.pointCount;
  std::memcpy(to.quantityLabels, from.quantityLabels, sizeof to.quantityLabels);
  CopyArray(from.volume, to.volume);
  CopyArray(from.pH, to.pH);
  CopyArray(from.g, to.g);
  CopyArray(from.dpHdV, to.dpHdV);
  to.lineCount = from.lineCount;
  to.lines = from.lines;
  // Only the points the arrays hold are printed and fitted.
  to.pointCount = GraphPlot::PointCount(to);
  to.lineCount = std::clamp(to.lineCount, 0, TitrationSystem::kMaxLines);
}

QString Label(const TitrationSystem& sys, int column, const char* fallback) {
  const char* raw = sys.quantityLabels[column];
  const std::string ansi(raw, strnlen(raw, TitrationSystem::kLabelBytes));
  const QString label = QString::fromStdString(vexa::platform::AnsiToUtf8(ansi));
  return label.trimmed().isEmpty() ? QString::fromLatin1(fallback) : OneLine(label);
}

// One system as the report prints it.
struct Prepared {
  std::unique_ptr<TitrationSystem> sys = std::make_unique<TitrationSystem>();
  std::unique_ptr<GraphPlot> classic = std::make_unique<GraphPlot>();
  std::unique_ptr<GraphPlot> linearised = std::make_unique<GraphPlot>();
  QString title;
  QString name;
  const vexa::RobustAnalysis* checks = nullptr;
  int currentLine = 0;
  QString note;
};

// --- the layout: pages of painting steps, made before anything is painted so that every
// footer knows the page count ---

using Step = std::function<void(QPainter&)>;

struct PlannedPage {
  int system = 0;
  std::vector<Step> steps;
};

class Composer {
public:
  Composer(QPaintDevice& device, const ReportOptions& options)
      : device_(device), options_(options),
        dpi_(device.logicalDpiY() > 0 ? device.logicalDpiY() : 72), width_(device.width()),
        top_(Pt(kReportHeaderPt)), bottom_(device.height() - Pt(kReportFooterPt)) {}

  double Pt(double points) const { return points * dpi_ / 72.0; }
  bool Fits() const { return bottom_ - top_ >= Pt(kMinContentPt) && width_ >= Pt(kMinContentPt); }

  void Compose(Prepared& p, int index) {
    system_ = index;
    NewPage();
    const ReportParts& parts = options_.parts;
    if (parts.parameters) {
      Parameters(*p.sys);
      if (!p.note.isEmpty()) Paragraph(p.note, kBodyPt);
    }
    if (parts.results) {
      LinesTable(*p.sys);
      if (p.checks) Checks(*p.checks);
    }
    if (parts.classicGraph || parts.linearisedGraph) Graphs(p);
    if (parts.pointsTable) PointsTable(*p.sys);
  }

  std::vector<PlannedPage>& pages() { return pages_; }

private:
  void NewPage() {
    pages_.push_back(PlannedPage{system_, {}});
    y_ = top_;
    empty_ = true;
  }
  void Add(Step step, double height) {
    pages_.back().steps.push_back(std::move(step));
    y_ += height;
    empty_ = false;
  }
  double Remaining() const { return bottom_ - y_; }
  // Space above a block that follows other content on the page.
  void Gap(double points) {
    if (!empty_) y_ += Pt(points);
  }
  // A new page unless `height` fits below what the page holds (or the page holds nothing).
  void Keep(double height) {
    if (!empty_ && Remaining() + 1e-6 * Pt(1) < height) NewPage();
  }

  double HeadingHeight() const {
    return QFontMetricsF(PageFont(kHeadingPt, true), &device_).height() + Pt(4);
  }
  void Heading(const QString& text, double keepWithNext) {
    Gap(kSectionGapPt);
    Keep(HeadingHeight() + keepWithNext);
    const QFont font = PageFont(kHeadingPt, true);
    const double baseline = y_ + QFontMetricsF(font, &device_).ascent();
    Add(
        [font, baseline, text](QPainter& painter) {
          painter.setPen(Qt::black);
          DrawCaption(painter, QPointF(0, baseline), text, font);
        },
        HeadingHeight());
  }

  // A paragraph of plain text across the page.
  void Paragraph(const QString& text, double points) {
    const QFont font = PageFont(points);
    const QFontMetricsF fm(font, &device_);
    const QRectF box = fm.boundingRect(QRectF(0, 0, width_, 1e9), Qt::TextWordWrap, text);
    const double height = box.height() + Pt(3);
    Keep(height);
    const QRectF where(0, y_ + Pt(3), width_, box.height());
    Add(
        [font, where, text](QPainter& painter) {
          painter.setPen(Qt::black);
          painter.setFont(font);
          painter.drawText(where, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        },
        height);
  }

  // A table from the current position on, broken between rows over as many pages as it
  // needs, its header at the top of every piece.
  void PlaceTable(std::shared_ptr<const PageTable> table, double x) {
    const int n = static_cast<int>(table->rows.size());
    int row = 0;
    do {
      double height = table->headHeight;
      int end = row;
      while (end < n && height + table->RowHeight(end) <= Remaining() + 1e-6 * Pt(1))
        height += table->RowHeight(end++);
      if (end == row && n > 0) {
        if (!empty_) {
          NewPage();
          continue;
        }
        height += table->RowHeight(end++); // a row taller than a page: it is cut at the footer
      }
      const double y = y_;
      Add([table, x, y, row,
           end](QPainter& painter) { PaintTable(painter, *table, QPointF(x, y), row, end, true); },
          height);
      row = end;
      if (row < n) NewPage();
    } while (row < n);
  }

  std::shared_ptr<PageTable> NewTable(double points, bool borders) const {
    auto table = std::make_shared<PageTable>();
    table->font = PageFont(points);
    table->headFont = PageFont(points, true);
    table->padX = Pt(3);
    table->padY = Pt(2);
    table->borders = borders;
    return table;
  }

  // The first row's height with the header: what a heading keeps with it.
  static double Lead(const PageTable& table) {
    return table.headHeight + (table.rows.empty() ? 0 : table.RowHeight(0));
  }

  // --- the parts ---

  void Parameters(const TitrationSystem& sys) {
    auto table = NewTable(kBodyPt, true);
    table->headFill = QColor();
    auto row = [&](const char* caption, const QString& value) {
      TableCell v{value};
      v.right = true;
      table->rows.push_back({TableCell{QString::fromUtf8(caption)}, v});
    };
    row("Number of experimental points (n)", QString::number(sys.pointCount));
    row("The titrant concentration (C_{tit}), mol/l", G(sys.cTit));
    row("pK_{w}", G(sys.pKw));
    row("Initial volume (V_{0})", G(sys.initialVolume));
    row("Number of approximating lines", QString::number(sys.lineCount));
    table->widths = FitColumns(*table, 0, &device_, {0, Pt(60)});
    MeasureTable(*table, &device_);
    Heading(QStringLiteral("Parameters"), Lead(*table));
    PlaceTable(table, 0);
  }

  void LinesTable(const TitrationSystem& sys) {
    double points = kLinesPt;
    std::shared_ptr<PageTable> table;
    for (int attempt = 0; attempt < 4; ++attempt) {
      table = MakeLinesTable(sys, points);
      const double need = table->Width();
      if (need <= width_ + 1e-6 || points <= kLinesMinPt) break;
      points = std::max(kLinesMinPt, points * width_ / need * 0.98);
    }
    if (table->Width() > width_) // even the smallest font is too wide: the columns are shared
      for (double& w : table->widths)
        w *= width_ / table->Width();
    MeasureTable(*table, &device_);
    Heading(QStringLiteral("Approximating lines"), Lead(*table));
    PlaceTable(table, 0);
    Paragraph(Text(kTextRiskNote), kBodyPt);
  }

  std::shared_ptr<PageTable> MakeLinesTable(const TitrationSystem& sys, double points) const {
    auto table = NewTable(points, true);
    auto head = [](const char* text, bool right) {
      TableCell c{QString::fromUtf8(text)};
      c.bold = true;
      c.right = right;
      return c;
    };
    table->head = {head("Line", false),
                   head("First/end point\n(number)", false),
                   head("Status", false),
                   head("A \u00B1 \u0394A", true),
                   head("B \u00B1 \u0394B", true),
                   head("V_{eq} \u00B1 \u0394V", true),
                   head("C_{sub} \u00B1 \u0394C,\nmol/l", true),
                   head("\u0394pH", true),
                   head("\u03C1_{xy}", true)};
    const QColor red(220, 0, 0);
    for (int k = 0; k < sys.lineCount; ++k) {
      const ApproxLine& line = sys.lines[static_cast<std::size_t>(k)];
      const long long first = line.firstPoint, end = line.endPoint;
      const long long span = (first > end ? first - end : end - first) + 1;
      TableRow row{TableCell{QString::number(k + 1)},
                   TableCell{QStringLiteral("%1/%2(%3)").arg(first + 1).arg(end + 1).arg(span)}};
      if (line.status < 0) {
        TableCell failure{Text(line.status == vexa::kLineFitFailed   ? kTextFitFailed
                               : line.status == vexa::kLineFewPoints ? kTextFewPoints
                                                                     : kTextUnexpected),
                          red};
        failure.wrap = true;
        failure.span = 7;
        row.push_back(failure);
        table->rows.push_back(std::move(row));
        continue;
      }
      // Computed as the results page computes them, unguarded.
      const double csub = sys.cTit * line.veq / sys.initialVolume;
      const double deltaC = csub * line.deltaVeq / line.veq;
      const double deltaPH = std::log10(std::fabs(line.b) / sys.cTit);
      TableCell status{QStringLiteral("fitted")};
      if (line.status != vexa::kLineFitted) {
        status = TableCell{Text(kTextFewPoints), red};
        status.wrap = true;
      }
      row.push_back(status);
      for (const QString& value :
           {PlusMinus(line.a, line.deltaA), PlusMinus(line.b, line.deltaB),
            PlusMinus(line.veq, line.deltaVeq), PlusMinus(csub, deltaC), G(deltaPH),
            line.status == vexa::kLineFitted ? G(line.rhoXY) : QString()}) {
        TableCell cell{value};
        cell.right = true;
        row.push_back(cell);
      }
      table->rows.push_back(std::move(row));
    }
    // The status column is wide enough for a failure text in three lines or so.
    const double status =
        QFontMetricsF(table->font, &device_).horizontalAdvance(Text(kTextFewPoints)) / 2.5 +
        2 * table->padX;
    table->widths = FitColumns(*table, width_, &device_, {0, 0, status});
    return table;
  }

  void Checks(const vexa::RobustAnalysis& analysis) {
    auto table = NewTable(kBodyPt, true);
    table->headFill = QColor();
    const QColor red(220, 0, 0);
    auto row = [&](const QString& caption, const QString& value, QColor color = Qt::black) {
      table->rows.push_back({TableCell{caption}, TableCell{value, color}});
    };
    auto wide = [&](const QString& text, QColor color) {
      TableCell cell{text, color};
      cell.wrap = true;
      cell.span = 2;
      table->rows.push_back({cell});
    };
    auto range = [](int first, int end) {
      return QStringLiteral("%1/%2(%3)").arg(first + 1).arg(end + 1).arg(end - first + 1);
    };
    for (std::size_t k = 0; k < analysis.lines.size(); ++k) {
      const vexa::BranchLine& line = analysis.lines[k];
      row(QStringLiteral("Line # %1 (%2%3)")
              .arg(k + 1)
              .arg(line.branch == vexa::Branch::AcidExcess ? QStringLiteral("acid excess")
                                                           : QStringLiteral("base excess"))
              .arg(line.titrantExcess ? QStringLiteral(", titrant") : QString()),
          QStringLiteral("V_{eq} = %1 \u00B1 %2 (%3%; %4)")
              .arg(G(line.veq), G(line.halfWidth), FormatDouble("%.3g", line.relativeError),
                   range(line.firstPoint, line.endPoint)));
    }
    if (analysis.lines.empty()) wide(QStringLiteral("No straight line found"), red);
    const QString consistency = QStringLiteral("Consistency of the lines");
    switch (analysis.agreement) {
    case vexa::Agreement::Agree:
      row(consistency, QStringLiteral("the two lines agree"));
      row(QStringLiteral("Combined V_{eq} \u00B1 \u0394V"),
          G(analysis.combinedVeq) + QStringLiteral(" \u00B1 ") + G(analysis.combinedHalfWidth));
      break;
    case vexa::Agreement::Disagree:
      row(consistency, QStringLiteral("the two lines disagree"), red);
      break;
    case vexa::Agreement::NotTested:
      row(consistency, QStringLiteral("not tested: fewer than two lines"));
      break;
    }
    for (std::size_t k = 0; k < analysis.endPoints.size(); ++k) {
      const vexa::EndPoint& e = analysis.endPoints[k];
      row(QStringLiteral("End point # %1 (maximum of |dpH/dV|)").arg(k + 1),
          QStringLiteral("V = %1, pH = %2, dpH/dV = %3").arg(G(e.volume), G(e.pH), G(e.slope)));
    }
    if (analysis.endPoints.empty())
      row(QStringLiteral("End point (maximum of |dpH/dV|)"), QStringLiteral("none"));
    if (analysis.buffer.present) {
      const vexa::BufferEstimate& b = analysis.buffer;
      row(QStringLiteral("Buffer-region function ") +
              (b.acid ? QStringLiteral("V\u00B710^{-pH}") : QStringLiteral("V\u00B710^{pH-pKw}")),
          QStringLiteral("V_{eq} = %1 \u00B1 %2 (%3%; %4)")
              .arg(G(b.veq), G(b.halfWidth), FormatDouble("%.3g", b.relativeError),
                   range(b.firstPoint, b.endPoint)));
    }
    for (const std::string& warning : analysis.warnings)
      wide(QString::fromStdString(warning), red);
    wide(QStringLiteral("The intervals of the checks are two-sided, for 0.05 risk level."),
         Qt::black);
    table->widths = FitColumns(*table, width_, &device_);
    MeasureTable(*table, &device_);
    Heading(QStringLiteral("Checks"), Lead(*table));
    PlaceTable(table, 0);
  }

  void Graphs(Prepared& p) {
    std::vector<GraphPlot*> plots;
    if (options_.parts.classicGraph) plots.push_back(p.classic.get());
    if (options_.parts.linearisedGraph) plots.push_back(p.linearised.get());
    const double count = static_cast<double>(plots.size());
    const double content = bottom_ - top_;
    const double height =
        std::min(width_ * kGraphAspect, (content - Pt(kGraphGapPt) * (count - 1)) / count);
    // The graphs stay together: below what the page holds when they fit there.
    Gap(kSectionGapPt);
    Keep(height * count + Pt(kGraphGapPt) * (count - 1));
    for (GraphPlot* plot : plots) {
      if (!empty_) {
        y_ += Pt(kGraphGapPt);
        Keep(height);
      }
      const QRectF rect(0, y_, width_, height);
      const CSize client = GraphClientForRect(rect, dpi_);
      plot->linearised = plot == p.linearised.get();
      PreparePlot(*plot, *p.sys, client.cx, client.cy);
      plot->currentLine = std::clamp(p.currentLine, 0, std::max(p.sys->lineCount - 1, 0));
      const TitrationSystem* sys = p.sys.get();
      const DrawSettings settings = options_.draw;
      Add(
          [plot, sys, settings, rect, client](QPainter& painter) {
            PaintGraphInRect(painter, rect, *plot, *sys, settings, client);
          },
          height);
    }
  }

  void PointsTable(const TitrationSystem& sys) {
    if (!empty_) NewPage();
    auto table = NewTable(kTablePt, false);
    table->headHeight = Pt(kReportTableHeadPt);
    table->fixedRowHeight = Pt(kReportTableRowPt);
    table->padY = Pt(2);
    const std::string format =
        IsSafeNumberFormat(options_.numberFormat) ? options_.numberFormat : "%g";
    auto head = [](const QString& text) {
      TableCell c{text};
      c.bold = true;
      c.right = true;
      return c;
    };
    table->head = {head(QStringLiteral("#")), head(Label(sys, 0, "V_{tit}")),
                   head(Label(sys, 1, "pH")), head(Label(sys, 2, "F_{Vexa}"))};
    const int n = GraphPlot::PointCount(sys);
    table->rows.reserve(static_cast<std::size_t>(n));
    const QFontMetricsF fm(table->font, &device_);
    double widest = 0;
    for (int i = 0; i < n; ++i) {
      TableRow row{TableCell{QString::number(i + 1)},
                   TableCell{FormatDouble(format.c_str(), sys.volume[i])},
                   TableCell{FormatDouble(format.c_str(), sys.pH[i])},
                   TableCell{FormatDouble(format.c_str(), sys.g[i])}};
      for (TableCell& cell : row) {
        cell.right = true;
        if (&cell != &row[0]) widest = std::max(widest, fm.horizontalAdvance(cell.text));
      }
      table->rows.push_back(std::move(row));
    }
    for (const TableCell& cell : table->head)
      widest = std::max(widest, CaptionWidth(cell.text, table->headFont, &device_));
    // A narrow number column and three value columns as wide as their widest value (and at
    // least a comfortable reading width), the whole centred on the page.
    const double number =
        std::max(Pt(40), fm.horizontalAdvance(QString::number(n)) + 2 * table->padX);
    const double value = std::max(Pt(96), widest + 4 * table->padX);
    table->widths = {number, value, value, value};
    if (table->Width() > width_)
      for (double& w : table->widths)
        w *= width_ / table->Width();
    const double x = (width_ - table->Width()) / 2;
    PlaceTable(table, x);
  }

  QPaintDevice& device_;
  const ReportOptions& options_;
  double dpi_;
  double width_;
  double top_;
  double bottom_;
  double y_ = 0;
  bool empty_ = true;
  int system_ = 0;
  std::vector<PlannedPage> pages_;
};

// The running header and the footer of a page.
void PaintFurniture(QPainter& painter, QPaintDevice& device, const Prepared& p, const QString& date,
                    int page, int pages) {
  const double dpi = device.logicalDpiY() > 0 ? device.logicalDpiY() : 72;
  auto pt = [dpi](double v) { return v * dpi / 72.0; };
  const double width = device.width();
  const double height = device.height();
  QPen rule(Qt::black);
  rule.setWidthF(pt(kRulePt));

  const QFont titleFont = PageFont(kRunningTitlePt, true);
  const QFont textFont = PageFont(kRunningTextPt);
  const QFontMetricsF titleMetrics(titleFont, &device);
  const QFontMetricsF textMetrics(textFont, &device);

  // The header: the title on the left, the file name on the right.
  const double headerBaseline = pt(kHeaderRulePt) - pt(4);
  const double nameWidth = std::min(textMetrics.horizontalAdvance(p.name), width / 2);
  const QString name = textMetrics.elidedText(p.name, Qt::ElideMiddle, nameWidth + 1);
  const QString title =
      titleMetrics.elidedText(p.title, Qt::ElideRight, std::max(width - nameWidth - pt(12), 0.0));
  painter.setPen(Qt::black);
  painter.setFont(titleFont);
  painter.drawText(QPointF(0, headerBaseline), title);
  painter.setFont(textFont);
  painter.drawText(QPointF(width - textMetrics.horizontalAdvance(name), headerBaseline), name);
  painter.setPen(rule);
  painter.drawLine(QPointF(0, pt(kHeaderRulePt)), QPointF(width, pt(kHeaderRulePt)));

  // The footer: the date on the left, the page number on the right.
  const double footerRule = height - pt(kFooterRulePt);
  painter.drawLine(QPointF(0, footerRule), QPointF(width, footerRule));
  const double footerBaseline = footerRule + pt(4) + textMetrics.ascent();
  const QString number = QStringLiteral("Page %1 of %2").arg(page).arg(pages);
  painter.setPen(Qt::black);
  painter.setFont(textFont);
  painter.drawText(QPointF(0, footerBaseline), date);
  painter.drawText(QPointF(width - textMetrics.horizontalAdvance(number), footerBaseline), number);
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

} // namespace

bool SetReportPageLayout(QPagedPaintDevice& device, const ReportOptions& options) {
  const QPageSize size(options.paper == ReportPaper::Letter ? QPageSize::Letter : QPageSize::A4);
  const double m =
      std::isfinite(options.marginMm) ? std::clamp(options.marginMm, 0.0, kMaxMarginMm) : 15.0;
  const QPageLayout layout(size, options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                           QMarginsF(m, m, m, m), QPageLayout::Millimeter);
  return device.setPageLayout(layout);
}

namespace {

// Every page of a report, laid out for a device; nothing painted yet.
struct Plan {
  std::vector<Prepared> prepared;
  std::vector<PlannedPage> pages;
};

bool MakePlan(QPaintDevice& device, std::span<const ReportSystem> systems,
              const ReportOptions& options, Plan& plan, std::string* error) {
  if (systems.empty()) {
    SetError(error, "no system to print");
    return false;
  }
  if (!options.parts.Any()) {
    SetError(error, "nothing to print: no part of the report is chosen");
    return false;
  }
  plan.prepared = std::vector<Prepared>(systems.size());
  for (std::size_t i = 0; i < systems.size(); ++i) {
    Prepared& p = plan.prepared[i];
    CopySystem(systems[i].system, *p.sys);
    p.sys->RefitAllLines();
    p.title = OneLine(QString::fromStdString(vexa::platform::AnsiToUtf8(p.sys->Title())));
    p.name = OneLine(systems[i].name);
    p.checks = systems[i].checks;
    p.currentLine = systems[i].currentLine;
    p.note = systems[i].note;
  }
  Composer composer(device, options);
  if (!composer.Fits()) {
    SetError(error, "the page is too small for the report");
    return false;
  }
  for (std::size_t i = 0; i < plan.prepared.size(); ++i)
    composer.Compose(plan.prepared[i], static_cast<int>(i));
  plan.pages = std::move(composer.pages());
  return true;
}

} // namespace

int CountReportPages(QPagedPaintDevice& device, std::span<const ReportSystem> systems,
                     const ReportOptions& options, std::string* error) {
  Plan plan;
  if (!MakePlan(device, systems, options, plan, error)) return 0;
  return static_cast<int>(plan.pages.size());
}

int RenderReport(QPagedPaintDevice& device, std::span<const ReportSystem> systems,
                 const ReportOptions& options, const ReportProgress& progress, std::string* error) {
  Plan plan;
  if (!MakePlan(device, systems, options, plan, error)) return 0;
  const int total = static_cast<int>(plan.pages.size());
  const int from = std::max(options.fromPage, 1);
  const int to = options.toPage > 0 ? std::min(options.toPage, total) : total;
  if (from > to) {
    SetError(error, "no page in the range asked for: the report has " + std::to_string(total) +
                        (total == 1 ? " page" : " pages"));
    return 0;
  }
  const QString date =
      options.date.isEmpty()
          ? QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
          : options.date;

  QPainter painter;
  if (!painter.begin(&device)) {
    SetError(error, "cannot paint on the device");
    return 0;
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  for (int i = from; i <= to; ++i) {
    if (i > from && !device.newPage()) {
      painter.end();
      SetError(error, "cannot start a new page");
      return 0;
    }
    const PlannedPage& page = plan.pages[static_cast<std::size_t>(i - 1)];
    PaintFurniture(painter, device, plan.prepared[static_cast<std::size_t>(page.system)], date, i,
                   total);
    for (const Step& step : page.steps) {
      painter.save();
      step(painter);
      painter.restore();
    }
    if (progress && !progress(i - from + 1, to - from + 1)) {
      painter.end();
      SetError(error, "stopped");
      return 0;
    }
  }
  painter.end();
  return to - from + 1;
}

namespace {

int RenderParts(QPagedPaintDevice& device, const ReportSystem& system, ReportOptions options,
                ReportParts parts, std::string* error) {
  options.parts = parts;
  return RenderReport(device, std::span<const ReportSystem>(&system, 1), options, {}, error);
}

} // namespace

int RenderGraphPage(QPagedPaintDevice& device, const ReportSystem& system, bool linearised,
                    const ReportOptions& options, std::string* error) {
  return RenderParts(device, system, options, ReportParts::Graph(linearised), error);
}

int RenderPointsTable(QPagedPaintDevice& device, const ReportSystem& system,
                      const ReportOptions& options, std::string* error) {
  return RenderParts(device, system, options, ReportParts::PointsTable(), error);
}

int RenderResults(QPagedPaintDevice& device, const ReportSystem& system,
                  const ReportOptions& options, std::string* error) {
  return RenderParts(device, system, options, ReportParts::Results(), error);
}

QByteArray ReportPdf(std::span<const ReportSystem> systems, const ReportOptions& options,
                     const ReportProgress& progress, std::string* error, int* pages) {
  if (pages) *pages = 0;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) {
    SetError(error, "cannot make the PDF in memory");
    return {};
  }
  int count = 0;
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(std::clamp(options.resolution, kMinResolution, kMaxResolution));
    writer.setCreator(QStringLiteral("VEXA"));
    if (systems.size() == 1)
      writer.setTitle(
          QString::fromStdString(vexa::platform::AnsiToUtf8(systems[0].system.Title())));
    else
      writer.setTitle(QStringLiteral("VEXA report"));
    if (!SetReportPageLayout(writer, options)) {
      SetError(error, "the page layout is not possible");
      return {};
    }
    count = RenderReport(writer, systems, options, progress, error);
  }
  buffer.close();
  if (count <= 0) return {};
  if (pages) *pages = count;
  return bytes;
}

bool WriteReportPdf(const std::string& path, std::span<const ReportSystem> systems,
                    const ReportOptions& options, std::string* error, int* pages) {
  const QByteArray pdf = ReportPdf(systems, options, {}, error, pages);
  if (pdf.isEmpty()) return false;
  vexa::platform::FileError fileError;
  if (!vexa::platform::WriteFileAtomically(
          path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
          &fileError)) {
    SetError(error, fileError.message);
    if (pages) *pages = 0;
    return false;
  }
  return true;
}
