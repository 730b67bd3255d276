#include "table/PointsView.h"

#include "gui/DrawSettings.h"
#include "document/Doc.h"
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
  const ColumnWidths widths = ReadColumnWidths(Profile(), SettingsName());
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
  cell = value;
  sys->g[row] = sys->LinearisedValue(sys->volume[row], sys->pH[row]);
  RedrawCell(2, row, false);
  SetModified();
  return true;
}

void CRView1::PointsChanged() {
  SetModified();
  KeepCurrentCellInside();
  UpdateScrollBars();
  InvalidateAll(true);
  UpdateWindow();
}

void CRView1::OnAddPoint() {
  vexa::TitrationSystem* sys = System();
  if (!sys || !StorePendingEdit()) return;
  KeepCurrentCellInside();
  sys->InsertPoint(currentRow);
  PointsChanged();
}

void CRView1::OnDeletePoint() {
  vexa::TitrationSystem* sys = System();
  if (!sys || sys->pointCount <= 1 || !StorePendingEdit()) return;
  KeepCurrentCellInside();
  const int n = sys->pointCount;
  sys->DeletePoint(currentRow);
  if (n == currentRow + 1 && currentRow > 0) --currentRow;
  PointsChanged();
}

void CRView1::OnAddSeveralPoints() {
  vexa::TitrationSystem* sys = System();
  if (!sys || !StorePendingEdit()) return;
  CAddPointsDlg dlg(this);
  if (dlg.DoModal() != IDOK) return;
  KeepCurrentCellInside();
  for (int i = 0; i < dlg.m_count; ++i)
    sys->InsertPoint(currentRow);
  PointsChanged();
}
