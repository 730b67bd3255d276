#pragma once
// The graph of the titration: classic view (pH against V with its derivative) and linearised
// view (G against V with the approximating lines), and the work on the lines with the mouse,
// the keys and the Graphics commands. The drawing itself is GraphPlot's; this view holds it,
// keeps it up to date and paints through its off-screen bitmap.
#include "framework/BaseView.h"
#include "resources/Ids.h"
#include "plot/GraphPlot.h"

#include <QImage>

#include <memory>

class CDoc;
struct LineTable;

namespace vexa {
class TitrationSystem;
struct RobustAnalysis;
}


class CRView7 : public CBaseView {
public:
  explicit CRView7(const ViewContext& context, QWidget* parent = nullptr);
  ~CRView7() override;
  const char* GetRuntimeClassName() const override { return "CRView7"; }
  int GetCategoryNameId() const override { return ids::IDS_CATEGORY_GRAPHICS; }

  void OnInitialUpdate() override;
  void OnUpdate(CView* sender, long hint) override;
  // Draws the current view; with no context, on the window at once.
  void OnDraw(CDC* pDC) override;
  void RedrawNow() override { OnDraw(nullptr); }
  // Prints the graph in its present view, one page.
  int OnPrintPages(QPagedPaintDevice& device, QString* error) override;
  QString PdfName() const override;

  // --- the view's operations ---
  void ComputeRanges();
  void ComputeLayout(int cx, int cy) { plot.ComputeLayout(cx, cy); }
  void CreateGraphFont(int cx, int cy) { plot.CreateGraphFont(cx, cy); }

  // --- commands ---
  void OnViewClassic() { SetMode(false); }
  void OnViewVexa() { SetMode(true); }
  void OnSetAutoLines();
  // The second automatic method: the straightest window of each branch, wherever it lies,
  // with its checks (shown on the results page).
  void OnFindLines();
  void OnAddLine();
  void OnSelectLine(int id);
  void OnDeleteLine();
  void OnSaveGraph();

  // --- state, for the frame and for tests ---
  GraphPlot& Plot() { return plot; }
  const GraphPlot& Plot() const { return plot; }
  bool IsLinearised() const { return plot.linearised; }
  int CurrentLine() const { return plot.currentLine; }
  int HoverPoint() const { return plot.hoverPoint; }
  // What the window shows: the last picture drawn on it, hover ring included.
  const QImage& WindowImage() const { return screen_; }

  void setVisible(bool visible) override;

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

private:
  CDoc* Doc() const;
  vexa::TitrationSystem* System() const;
  const DrawSettings& Settings() const;
  CSize ClientSize() const { return CSize{width(), height()}; }
  // The current line's index within the table (0 when the table is empty).
  int LineIndex() const;
  void SetMode(bool linearised);
  // The steps of being shown: ranges, layout, every line refitted, no hovered point.
  void BringUpToDate();
  // The toolbar's line list, kept in step through the line selector.
  void EnableLineList(bool enable);
  void FillLineList(int selection);
  void SelectLineInList(int selection);
  void SayInStatusBar(const QString& text = {});
  // Draws an exclusive-or ring of radius markerSize around a point, on the window.
  void XorRing(int point);
  // Refits the current line, puts the change of the lines since `before` on the history and
  // redraws. moveOfLine: the line whose ends a key moved (such steps merge), or -1.
  void RefitCurrentLine(const LineTable& before, const QString& what, int moveOfLine);
  // Puts the change of the line table since `before` on the history, if there is one.
  // `found`: what Find lines found, when that placed them.
  void LinesChanged(const LineTable& before, const QString& what, int moveOfLine = -1,
                    std::shared_ptr<const vexa::RobustAnalysis> found = nullptr);
  // The line commands' work, without the history (the caller puts the step on it).
  void AddLineNow();
  bool DeleteCurrentLine();

  GraphPlot plot;
  QImage screen_; // the window's pixels
  bool explicitShow_ = false;
  bool painting_ = false;
};
