#pragma once
// The table of titration points: one row per point, the columns titrant volume, pH and the
// linearised value G. Volume and pH are edited in place; G is computed.
#include "resources/Ids.h"
#include "table/TableView.h"

#include <array>
#include <cstdint>

namespace vexa {
class TitrationSystem;
}

class CRView1 : public CTableView {
public:
  explicit CRView1(const ViewContext& context, QWidget* parent = nullptr);
  const char* GetRuntimeClassName() const override { return "CRView1"; }
  int GetCategoryNameId() const override { return ids::IDS_CATEGORY_DATA; }

  int GetColCount() const override { return 3; }
  int GetRowCount() const override;
  bool GetColHeader(int column, QString& text) const override;
  bool GetCellText(int column, int row, QString& text) const override;
  int GetColWidth(int slot) const override;
  void SetColWidth(int slot, int width) override;
  bool CanEditCell(int column, int row) const override { return (void)row, column != 2; }
  bool SetCellText(const QString& text) override;
  QString RefusalReason() const override { return refusal_; }
  void LoadColWidths() override;
  void ResetColWidths() override;

  void OnAddPoint();
  void OnDeletePoint();
  void OnAddSeveralPoints();

  // The document's titration system; null without a document.
  vexa::TitrationSystem* System() const;

  // Widths of the row headers and of the three columns, in pixels.
  std::array<std::int32_t, 4> colWidths{40, 40, 40, 40};

private:
  void PointsChanged();
  QString refusal_;
};
