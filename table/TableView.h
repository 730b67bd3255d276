#pragma once
// The grid view: the grid's logic (TableGrid) in a window, with its own two scroll bars, the
// in-place editor CCellEdit, and the clipboard, fill and number-format commands.
#include "framework/BaseView.h"
#include "table/TableGrid.h"

#include <QImage>
#include <QLineEdit>
#include <QString>

#include <memory>

class CTableView;
class QScrollBar;

// The in-place editor: a borderless edit field over the current cell. Enter stores its text,
// Escape cancels; every other key is the edit field's own.
class CCellEdit : public QLineEdit {
public:
  explicit CCellEdit(CTableView* grid);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Tab does not leave the editor.
  bool focusNextPrevChild(bool next) override;

private:
  CTableView* grid_;
};

// The clipboard as the grid uses it: plain text. Tests put their own in its place.
class GridClipboard {
public:
  virtual ~GridClipboard() = default;
  virtual bool Open() = 0;
  virtual bool Empty() = 0;
  virtual bool SetText(const QString& text) = 0;
  virtual bool HasText() = 0;
  virtual QString Text() = 0;
  virtual void Close() = 0;
};
// The clipboard in use (the system's unless a test installed its own; nullptr restores it).
GridClipboard& Clipboard();
void SetClipboard(GridClipboard* clipboard);

class CTableView : public CBaseView, public TableGrid {
public:
  explicit CTableView(const ViewContext& context, QWidget* parent = nullptr);
  ~CTableView() override;
  const char* GetRuntimeClassName() const override { return "CTableView"; }

  void OnDraw(CDC* pDC) override { TableGrid::OnDraw(pDC); }
  void OnUpdate(CView* sender, long hint) override;
  bool CommitPendingEdit() override { return StorePendingEdit(); }
  void RedrawNow() override;
  void OnRightButtonHook(Qt::KeyboardModifiers flags, int x, int y) override;

  // The commands.
  void OnEditCopy();
  void OnEditCut();
  void OnEditPaste();
  void OnFillColumn();
  void OnFillRow();
  void OnNumberFormat();

  CCellEdit* Editor() const { return editor_; }
  QScrollBar* HorzBar() const { return horzBar_; }
  QScrollBar* VertBar() const { return vertBar_; }
  // The picture of the window as last drawn.
  const QImage& Surface() const { return surface_; }

protected:
  // ---- the window's side of the grid ----
  std::unique_ptr<CDC> GetWindowDC() override;
  void InvalidateDataArea(bool erase) override;
  void InvalidateAll(bool erase) override;
  void UpdateWindow() override;
  void ApplyScrollBar(ScrollBarId bar, const ScrollBarState& state) override;
  CDC* BackBuffer() override;
  void RebuildBackBuffer(int width, int height) override;
  const CFont& LargeFont() const override;
  const CFont& SmallFont() const override;
  bool CreateEditorWindow() override;
  bool EditorVisible() const override;
  void ShowEditor(const CRect& box, const QString& text) override;
  void MoveEditor(const CRect& box) override;
  void HideEditorWindow() override;
  QString EditorText() const override;
  void ReplaceEditorText(const QString& typed) override;
  void FocusGrid() override;
  void FocusEditor() override;
  void ShowMessage(const QString& text) override;
  void ShowSizeCursor(bool on) override;
  void SetModified() override;
  std::string SettingsName() const override { return GetRuntimeClassName(); }
  CProfile Profile() const override;

  // ---- window messages ----
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // Tab and Shift+Tab move to the next and previous cell: the keyboard stays in the table.
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void PlaceScrollBars();
  void OnBarAction(ScrollBarId bar, int action);
  void FillCommand(bool column);
  bool HasData() const { return GetColCount() > 0 && GetRowCount() > 0; }

  QScrollBar* horzBar_ = nullptr;
  QScrollBar* vertBar_ = nullptr;
  CCellEdit* editor_ = nullptr;
  QImage surface_;    // the window's picture: painting and immediate drawing go here
  bool dirty_ = true; // the picture must be painted again
  bool applyingBars_ = false;
};
