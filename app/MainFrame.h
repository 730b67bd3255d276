#pragma once
// The main window: menu, toolbar with the line-selection box, status bar, and two columns —
// the category tree on the left, one of the category views on the right.
#include "framework/DocView.h"

#include <QString>

#include <array>

class CLeftView;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

class CMainFrame : public CFrameWnd {
public:
  static constexpr int kViewSlots = 10;
  static constexpr int kMinWidth = 600;
  static constexpr int kMinHeight = 450;

  // The views are created with the context, which the frame completes with its line list and
  // menus.
  CMainFrame(CDocument* doc, const ViewContext& context);
  ~CMainFrame() override;

  // Shows view n in the right column. False when the view in sight holds an edit it cannot
  // store (it stays in sight, with its editor open).
  bool SwitchView(int n);
  CView* View(int n) const {
    return n >= 0 && n < kViewSlots ? views[static_cast<std::size_t>(n)] : nullptr;
  }
  // The view now in the right column.
  CView* RightPaneView() const { return current_; }
  CLeftView* LeftView() const { return leftView_; }

  // The line-selection box.
  void FillLineCombo(int selection);
  void SelectLineInCombo(int selection);
  void EnableLineCombo(bool enable);
  void FillLines(int count, int selection);
  // A loaded system refills the line box, which stays disabled until the graph is in sight.
  void OnDocumentUpdate(CView* sender, long hint) override;
  QComboBox* LineCombo() const { return combo_; }

  // The message pane: a text, or the idle prompt.
  void ShowStatusText(const QString& text);
  void ShowStatusText();
  QString StatusText() const;

  // The pop-up at position index of the "Operation" menu (0 General, 1 Data, 2 Graphics,
  // 3 Results).
  QMenu* OperationSubMenu(int index) const;
  QMenu* OperationMenu() const { return operationMenu_; }
  QMenu* TopMenu(int index) const;
  QToolBar* ToolBar() const { return toolbar_; }
  QSplitter* Splitter() const { return splitter_; }
  QLabel* Indicator(int index) const { return indicators_[static_cast<std::size_t>(index)]; }

  void SetActiveView(CView* view) override;
  // The window's size, place and column widths, as the user left them ("Settings\\Window").
  void RestoreLayout();
  void SaveLayout() const;
  void OnIdle() override;
  void SetMessageText(const QString& text) override {
    text.isEmpty() ? ShowStatusText() : ShowStatusText(text);
  }
  void InitialUpdateFrame(CDocument* doc, bool makeVisible) override;

protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateClient(CDocument* doc, const ViewContext& context);
  void RebuildRecentFiles();
  void NextPane(bool forward);

  std::array<CView*, kViewSlots> views{};
  QSplitter* splitter_ = nullptr;
  QWidget* rightPane_ = nullptr;
  CLeftView* leftView_ = nullptr;
  CView* current_ = nullptr;
  QComboBox* combo_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* operationMenu_ = nullptr;
  QAction* recentAnchor_ = nullptr;
  std::array<QLabel*, 3> indicators_{};
  bool caps_ = false, num_ = false, scroll_ = false;
  QString status_;
};
