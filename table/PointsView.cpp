#include "table/PointsView.h"

#include "gui/DrawSettings.h"
#include "document/Changes.h"
#include "document/Doc.h"
#include "document/Printing.h"
#include "framework/UiSeam.h"
#include "platform/CodePage.h"
#include "table/LabelRenderer.h"
#include "table/Numbers.h"
#include "table/TableDialogs.h"

#include <algorithm>
#include <cstring>
#include <string>

using namespace ids;

CRView1::CRView1(const ViewContext& context, QWidget* parent) : CTableView(context, parent) {
  menuIndex = 1;
  OnCommand(ID_ADD_POINT, [this] { OnAddPoint(); });
  OnCommand(ID_DELETE_POINT, [this] { OnDeletePoint(); });
  OnCommand(ID_ADD_SEVERAL_POINTS, [this] { OnAddSeveralPoints(); });
  OnUpdateCommand(ID_ADD_POINT, [](CCmdUI& ui) { ui.Enable(true); });
  OnUpdateCommand(ID_ADD_SEVERAL_POINTS, [](CCmdUI& ui) { ui.Enable(true); });
  OnUpdateCommand(ID_DELETE_POINT, [this](CCmdUI& ui) {
    const vexa::TitrationSystem* sys = System();
    ui.Enable(sys && sys->pointCount > 1);
  });
}

vexa::TitrationSystem* CRView1::System() const {
  auto* doc = dynamic_cast<CDoc*>(GetDocument());
  return doc ? &doc->System() : nullptr;
}

int CRView1::GetRowCount() const {
  const vexa::TitrationSystem* sys = System();
  if (!sys || sys->pointCount <= 0 || !sys->volume.present() || !sys->pH.present() ||
      !sys->g.present())
    return 0;
  // Never more rows than the point arrays hold.
  return std::min({sys->pointCount, sys->volume.capacity(), sys->pH.capacity(), sys->g.capacity()});
}

bool CRView1::GetColHeader(int column, QString& text) const {
  const vexa::TitrationSystem* sys = System();
  text.clear();
  if (!sys) return false;
  const int label = std::clamp(column, 0, 2);
  const char* caption = sys->quantityLabels[label];
  // The captions are in the documents' code page.
  text = QString::fromStdString(
      vexa::platform::AnsiToUtf8(std::string(caption, strnlen(caption, sys->kLabelBytes))));
  return HasLabelMarkup(text);
}

bool CRView1::GetCellText(int column, int row, QString& text) const {
  const vexa::TitrationSystem* sys = System();
  if (!sys || row < 0 || row >= GetRowCount()) {
    text.clear();
    return false;
  }
  const double value = column == 0 ? sys->volume[row] : column == 1 ? sys->pH[row] : sys->g[row];
  text = FormatValue(value);
  return false;
}

int CRView1::GetColWidth(int slot) const {
  return colWidths[static_cast<std::size_t>(std::clamp(slot, 0, 3))];
}

void CRView1::SetColWidth(int slot, int width) {
  if (slot < 0 || slot > 3) return;
  colWidths[static_cast<std::size_t>(slot)] = ClampColumnWidth(width);
  ColumnWidths widths;
  std::copy(colWidths.begin(), colWidths.end(), widths.begin());
  WriteColumnWidths(Profile(), SettingsName(), widths);
}

void CRView1::LoadColWidths() {
  // A stored value that is not exactly 16 bytes gives the defaults, written back at once.
  // On the first start the columns are wide enough for the values of the default format: a pH
  // of 10 or a G such as -1.23457e-05 shows whole.
  CRecordingDC measure;
  measure.SelectObject(LargeFont());
  auto fit = [&](const char* sample) {
    return measure.GetTextExtent(QString::fromLatin1(sample)).cx + 4 * edge + 6;
  };
  const ColumnWidths firstStart{kMinColumnWidth, fit("88.8888"), fit("88.8888"),
                                fit("-8.88888e-88")};
  const ColumnWidths widths = ReadColumnWidths(Profile(), SettingsName(), &firstStart);
  std::copy(widths.begin(), widths.end(), colWidths.begin());
}

void CRView1::ResetColWidths() {
  colWidths.fill(kMinColumnWidth);
}

bool CRView1::SetCellText(const QString& text) {
  vexa::TitrationSystem* sys = System();
  const int row = currentRow;
  if (!sys || row < 0 || row >= GetRowCount()) return false;
  double value = 0;
  if (!ParseNumber(text, value)) {
    refusal_ = QStringLiteral("\"%1\" is not a number").arg(text.trimmed());
    return false;
  }
  if (value < 0.0) {
    refusal_ = currentColumn == 0 ? QStringLiteral("a volume cannot be negative")
                                  : QStringLiteral("a pH cannot be negative");
    return false;
  }
  double& cell = currentColumn == 0 ? sys->volume[row] : sys->pH[row];
  if (cell == value) return true; // the same value again changes nothing
  const bool single = !gathering_;
  if (single) BeginChange();
  if (row < gathering_->oldCount && !gathering_->before.count(row))
    gathering_->before[row] = {sys->volume[row], sys->pH[row]};
  cell = value;
  sys->g[row] = sys->LinearisedValue(sys->volume[row], sys->pH[row]);
  RedrawCell(2, row, false);
  if (single) EndChange(ChangeKind::Typing, 1);
  return true;
}

namespace {

// Pasted text as the walk takes it, with fields separated by tabs. Text from a spreadsheet
// already is; text from a file or a page may be separated by semicolons, by commas or by
// blanks instead. A comma is a separator only where it cannot be a decimal comma: when the
// text also has points, or a line holds more than one comma.
QString WithTabs(const QString& text) {
  if (text.contains(QLatin1Char('\t'))) return text;
  QString out = text;
  if (text.contains(QLatin1Char(';'))) {
    out.replace(QLatin1Char(';'), QLatin1Char('\t'));
    return out;
  }
  if (text.contains(QLatin1Char(','))) {
    bool separator = text.contains(QLatin1Char('.'));
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
      if (line.count(QLatin1Char(',')) > 1) separator = true;
    if (separator) out.replace(QLatin1Char(','), QLatin1Char('\t'));
    return out;
  }
  // Blanks between the values of a line.
  QStringList lines = text.split(QLatin1Char('\n'));
  bool any = false;
  for (QString& line : lines) {
    const QString trimmed = line.trimmed();
    if (!trimmed.contains(QLatin1Char(' '))) continue;
    line = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QLatin1Char('\t'));
    any = true;
  }
  return any ? lines.join(QLatin1Char('\n')) : text;
}

// Whether the first line of tab-separated text names its columns rather than holding values:
// a field that is no number, and more lines after it.
bool StartsWithHeader(const QString& text) {
  const qsizetype end = text.indexOf(QLatin1Char('\n'));
  if (end < 0 || text.mid(end + 1).trimmed().isEmpty()) return false;
  double v = 0;
  for (const QString& field : text.left(end).split(QLatin1Char('\t'))) {
    const QString f = field.trimmed();
    if (!f.isEmpty() && !ParseNumber(f, v)) return true;
  }
  return false;
}

} // namespace

QString CRView1::PastedFields(const QString& text, bool& headerSkipped) const {
  QString fields = WithTabs(text);
  headerSkipped = StartsWithHeader(fields);
  if (headerSkipped) fields = fields.mid(fields.indexOf(QLatin1Char('\n')) + 1);
  return fields;
}

void CRView1::BeginChange() {
  const vexa::TitrationSystem* sys = System();
  gathering_ = Gathering{sys ? sys->pointCount : 0, {}};
}

int CRView1::GrowRows(int rows) {
  vexa::TitrationSystem* sys = System();
  if (!sys || !gathering_) return GetRowCount();
  if (rows > sys->pointCount) {
    const std::vector<vexa::PointRow> added(static_cast<std::size_t>(rows - sys->pointCount));
    vexa::ReplacePointRows(*sys, sys->pointCount, 0, added);
  }
  return GetRowCount();
}

void CRView1::EndChange(ChangeKind kind, int cells) {
  vexa::TitrationSystem* sys = System();
  if (!gathering_ || !sys) return;
  const Gathering g = std::move(*gathering_);
  gathering_.reset();
  const int n = sys->pointCount;
  const bool grown = n > g.oldCount;
  if (g.before.empty() && !grown) return; // nothing changed
  // One block of rows replaced: from the first changed row to the last one (or to the end,
  // when rows were added).
  const int first = g.before.empty() ? g.oldCount : std::min(g.before.begin()->first, g.oldCount);
  const int lastOld = grown ? g.oldCount - 1 : g.before.rbegin()->first;
  const int lastNew = grown ? n - 1 : lastOld;
  std::vector<vexa::PointRow> before;
  for (int r = first; r <= lastOld; ++r) {
    const auto it = g.before.find(r);
    before.push_back(it != g.before.end() ? it->second : vexa::PointRow{sys->volume[r], sys->pH[r]});
  }
  std::vector<vexa::PointRow> after = vexa::PointRows(*sys, first, lastNew - first + 1);
  QString what;
  switch (kind) {
  case ChangeKind::Typing:
    what = QStringLiteral("entry in row %1").arg(first + 1);
    break;
  case ChangeKind::Paste:
    what = cells == 1 ? QStringLiteral("paste of 1 cell") : QStringLiteral("paste of %1 cells").arg(cells);
    break;
  case ChangeKind::Fill:
    what = cells == 1 ? QStringLiteral("fill of 1 cell") : QStringLiteral("fill of %1 cells").arg(cells);
    break;
  }
  if (auto* doc = dynamic_cast<CDoc*>(GetDocument()))
    doc->PushChange(new CPointsChange(*doc, what, first, std::move(before), std::move(after)));
}

void CRView1::PointsChanged(const QString& what, int index, std::vector<vexa::PointRow> before,
                            std::vector<vexa::PointRow> after) {
  if (auto* doc = dynamic_cast<CDoc*>(GetDocument()))
    doc->PushChange(new CPointsChange(*doc, what, index, std::move(before), std::move(after)));
  KeepCurrentCellInside();
  UpdateScrollBars();
  InvalidateAll(true);
  UpdateWindow();
}

void CRView1::TellLinesAround(int row, bool inserted) {
  const vexa::TitrationSystem* sys = System();
  if (!sys) return;
  QStringList covering;
  const int lines = std::clamp(sys->lineCount, 0, vexa::TitrationSystem::kMaxLines);
  for (int j = 0; j < lines; ++j) {
    const vexa::ApproxLine& line = sys->lines[static_cast<std::size_t>(j)];
    const int lo = std::min(line.firstPoint, line.endPoint);
    const int hi = std::max(line.firstPoint, line.endPoint);
    if (row < lo || row > hi || lo == hi) continue;
    covering << QStringLiteral("line %1 now covers rows %2-%3").arg(j + 1).arg(lo + 1).arg(hi + 1);
  }
  if (covering.isEmpty()) return;
  ShowMessage(QStringLiteral("Point %1 %2: %3 (lines keep their point numbers).")
                  .arg(row + 1)
                  .arg(inserted ? QStringLiteral("added") : QStringLiteral("deleted"))
                  .arg(covering.join(QStringLiteral("; "))));
}

int CRView1::OnPrintPages(QPagedPaintDevice& device, QString* error) {
  const auto* doc = dynamic_cast<const CDoc*>(GetDocument());
  if (!doc || !StorePendingEdit()) return 0;
  return PaintSystem(device, *doc, ReportParts::PointsTable(), 0, error);
}

QString CRView1::PdfName() const {
  const CDocument* doc = GetDocument();
  return (doc ? doc->GetTitle() : QString()) + QStringLiteral("-points.pdf");
}

void CRView1::OnAddPoint() {
  vexa::TitrationSystem* sys = System();
  if (!sys || !StorePendingEdit()) return;
  KeepCurrentCellInside();
  const int at = std::clamp(currentRow, 0, sys->pointCount);
  const std::vector<vexa::PointRow> added(1);
  vexa::ReplacePointRows(*sys, at, 0, added);
  PointsChanged(QStringLiteral("insertion of a point"), at, {}, added);
  TellLinesAround(at, true);
}

void CRView1::OnDeletePoint() {
  vexa::TitrationSystem* sys = System();
  if (!sys || sys->pointCount <= 1 || !StorePendingEdit()) return;
  KeepCurrentCellInside();
  const int n = sys->pointCount;
  const int at = std::clamp(currentRow, 0, n - 1);
  std::vector<vexa::PointRow> removed = vexa::PointRows(*sys, at, 1);
  vexa::ReplacePointRows(*sys, at, 1, {});
  if (n == currentRow + 1 && currentRow > 0) --currentRow;
  PointsChanged(QStringLiteral("deletion of point %1").arg(at + 1), at, std::move(removed), {});
  TellLinesAround(at, false);
}

void CRView1::OnAddSeveralPoints() {
  vexa::TitrationSystem* sys = System();
  if (!sys || !StorePendingEdit()) return;
  CAddPointsDlg dlg(this);
  if (dlg.DoModal() != IDOK) return;
  KeepCurrentCellInside();
  const int at = std::clamp(currentRow, 0, sys->pointCount);
  const std::vector<vexa::PointRow> added(static_cast<std::size_t>(std::max(dlg.m_count, 0)));
  vexa::ReplacePointRows(*sys, at, 0, added);
  PointsChanged(added.size() == 1 ? QStringLiteral("insertion of a point")
                                  : QStringLiteral("insertion of %1 points").arg(added.size()),
                at, {}, added);
  TellLinesAround(at, true);
}
