#pragma once
// The table of titration points: one row per point, the columns titrant volume, pH and the
// linearised value G. Volume and pH are edited in place; G is computed.
#include "resources/Ids.h"
#include "table/TableView.h"

#include "document/PointRows.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

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

  // Prints every point, over as many pages as needed, the header on each.
  int OnPrintPages(QPagedPaintDevice& device, QString* error) override;
  QString PdfName() const override;

  void OnAddPoint();
  void OnDeletePoint();
  void OnAddSeveralPoints();

  // The document's titration system; null without a document.
  vexa::TitrationSystem* System() const;

  // Widths of the row headers and of the three columns, in pixels.
  std::array<std::int32_t, 4> colWidths{40, 40, 40, 40};

protected:
  // Text from a file or a page is taken as a spreadsheet's would be: semicolons, commas that
  // cannot be decimal commas, or blanks separate its fields, and a header line is skipped.
  QString PastedFields(const QString& text, bool& headerSkipped) const override;
  void BeginChange() override;
  void EndChange(ChangeKind kind, int cells) override;
  int GrowRows(int rows) override;

private:
  // Puts rows [index, index + before.size()) → after on the document's history and redraws.
  void PointsChanged(const QString& what, int index, std::vector<vexa::PointRow> before,
                     std::vector<vexa::PointRow> after);
  // Tells in the status bar which lines cover the point that was added or deleted at `row`:
  // their point numbers stay as they were.
  void TellLinesAround(int row, bool inserted);

  QString refusal_;
  // The values being stored as one change: the point count when it began and the rows as
  // they were before their first change.
  struct Gathering {
    int oldCount = 0;
    std::map<int, vexa::PointRow> before;
  };
  std::optional<Gathering> gathering_;
};
