#pragma once
// The logic of a custom-drawn grid: a header row, a row-header column and a rectangle of text
// cells, two scroll positions, one current cell, column borders dragged in the header row and
// an in-place editor over the current cell. A derived grid supplies the sizes and the texts and
// stores edited texts through the virtual operations. Painting goes through CDC; everything a
// window does (scroll bars, the editor control, invalidation, the cursor) is reached through
// the protected window operations, which the window class (CTableView) supplies and a test can
// record. No widgets here.
#include "gui/DC.h"
#include "gui/Profile.h"

#include <QString>

#include <memory>
#include <string>

// The state of one scroll bar as the grid sets it.
struct ScrollBarState {
  bool enabled = false;
  int min = 0;
  int max = 0;
  int pos = 0;
  bool operator==(const ScrollBarState&) const = default;
};

// Scroll requests, numbered as the classic scroll messages number them.
enum ScrollCode {
  SB_LINEUP = 0,
  SB_LINEDOWN = 1,
  SB_PAGEUP = 2,
  SB_PAGEDOWN = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_BOTTOM = 7,
  SB_ENDSCROLL = 8
};
enum ScrollBarId { SB_HORZ = 0, SB_VERT = 1 };

// The keys the grid acts on.
enum class GridKey {
  Left, Right, Up, Down, Enter, F2,
  PageUp, PageDown,  // a page of rows up and down
  Home, End,         // the first and the last column of the row
  CtrlHome, CtrlEnd, // the first cell and the last cell of the table
  Other
};
// The mouse buttons held during a move.
enum class MouseButtons { None, LeftOnly, Other };

class TableGrid {
public:
  TableGrid();
  virtual ~TableGrid();
  TableGrid(const TableGrid&) = delete;
  TableGrid& operator=(const TableGrid&) = delete;

  // ---- the operations a derived grid supplies, in their order ----
  virtual int GetColCount() const;
  virtual int GetRowCount() const;
  // Texts; the result says whether the text carries caption mark-up.
  virtual bool GetRowHeader(int row, QString& text) const;
  virtual bool GetColHeader(int column, QString& text) const;
  virtual bool GetCellText(int column, int row, QString& text) const;
  // Sizes by slot: slot 0 is the row-header column (or the header row), slot j + 1 column j.
  virtual int GetColWidth(int slot) const;
  virtual int GetRowHeight(int slot) const;
  virtual void SetColWidth(int slot, int width);
  // Draws one cell; a null dc draws it at once into the window.
  virtual void DrawCell(CDC* dc, int x, int y, int width, int height, int column, int row,
                        bool current);
  virtual bool CanEditCell(int column, int row) const;
  virtual void BeginEdit();
  virtual void DrawCorner(CDC* dc, COLORREF fill, COLORREF light, COLORREF dark);
  virtual void DrawColHeader(CDC* dc, int column, int left, int top, int right, int bottom,
                             COLORREF fill, COLORREF light, COLORREF dark);
  virtual void DrawRowHeader(CDC* dc, int row, int left, int top, int right, int bottom,
                             COLORREF fill, COLORREF light, COLORREF dark);
  virtual bool CreateEditor();
  // Hides the editor; its text is not stored.
  virtual void HideEditor();
  virtual void GetColWidthLimits(int& min, int& max) const;
  // Stores a text into the current cell; false when the text is refused.
  virtual bool SetCellText(const QString& text);
  virtual void LoadNumberFormat();
  virtual void LoadColWidths();
  virtual void ResetColWidths();

  // ---- painting, layout and scrolling ----
  void OnDraw(CDC* dc);
  // The number format and the column widths are read once, before they are first needed.
  void EnsureSettingsLoaded();
  void RedrawCell(int column, int row, bool current);
  void UpdateScrollBars();
  // After a size or column-width change: brings hidden columns and rows back from the left and
  // the top when there is room. Returns whether the scroll position changed.
  bool FitScrollPosition();
  // The data area and the back buffer for a client area of this size.
  void LayOut(int clientWidth, int clientHeight);
  // Window messages: shown, resized (visible or not).
  void OnShow();
  void OnSize(int clientWidth, int clientHeight, bool visible);
  void OnScroll(ScrollBarId bar, int code, int thumbPos);
  void OnMouseWheel(bool control, int delta);

  // ---- the current cell, the mouse, the keys and the editor ----
  void SetCurrentCell(int column, int row);
  bool ScrollToCell(int column, int row);
  bool HitTestSelect(int x, int y);
  void CommitEdit();
  void CancelEdit();
  // Stores an edit left open in its cell, which stays current. True when there was none or it
  // was stored; a refused text keeps the editor open with it, and the refusal is shown.
  bool StorePendingEdit();
  void OnKeyDown(GridKey key);
  void OnChar(const QString& typed);
  void OnMouseMove(int x, int y, MouseButtons buttons);
  void OnLButtonDown(int x, int y);
  void OnLButtonUp(int x, int y);
  void OnLButtonDblClk(int x, int y);
  // Fits a column (slot 1 ... count; 0 the row headers) to its widest text, header included,
  // within the width limits.
  void FitColumnWidth(int slot);
  // The rows, or the columns, that fit wholly into the data area: one page.
  int PageRows() const;
  int PageColumns() const;
  void OnRightButtonClick(int x, int y) { HitTestSelect(x, y); }
  // Keeps the current cell inside the table, and after a change of its counts the scroll
  // position too. Returns whether the scroll position moved.
  bool KeepCurrentCellInside();

  // ---- the clipboard, fill and number-format commands ----
  // The whole table as text: every cell followed by a tab, every row ended by CR LF.
  QString CopyText() const;
  // What a paste did: cells stored, texts refused (and why the first one was).
  struct PasteResult {
    int stored = 0;
    int refused = 0;
    int rowsAdded = 0;
    bool headerSkipped = false;
    QString firstRefusal;
  };
  // Stores lines of fields from the current cell on: fields separated by tabs (or, in text
  // without tabs, by semicolons, commas that cannot be decimal commas, or blanks). A first line
  // that names columns is skipped; a block longer than the table adds the rows it needs (when
  // the table can grow). Says in the message pane what it did.
  PasteResult PasteText(const QString& text);
  // Fills the current column (or row) from value 1 by repeated addition of the step (by step)
  // or of (value 2 - value 1) / (cells - 1) (evenly); every value is stored as its "%g" text.
  void Fill(bool column, double value1, double value2, bool startAtCurrent, bool evenly);
  // Stores a text into any cell by making it current for the call; nothing is redrawn.
  bool StoreCellText(int column, int row, const QString& text);
  // The current cell's text read as a number; false when it is none.
  bool CurrentCellNumber(double& value) const;
  // A value as the grid's number format shows it.
  QString FormatValue(double value) const;
  const QString& NumberFormat() const { return numberFormat; }
  // Takes a format for the cells; one that is not a single conversion of a double gives "%g".
  void SetNumberFormat(const QString& format);

  // ---- state ----
  int CurrentColumn() const { return currentColumn; }
  int CurrentRow() const { return currentRow; }
  int FirstColumn() const { return firstColumn; }
  int FirstRow() const { return firstRow; }
  const CRect& DataArea() const { return dataArea; }
  int RowHeight() const { return rowHeight; }
  int ResizeMode() const { return resizeMode; }
  const ScrollBarState& ScrollBar(ScrollBarId bar) const {
    return bar == SB_HORZ ? horzBar : vertBar;
  }
  bool IsEditing() const { return EditorVisible(); }
  // The left edge of column j and the top edge of row r (from the first column or row shown).
  int ColumnLeft(int column) const;
  int RowTop(int row) const;
  bool IsColumnFullyVisible(int column) const;
  bool IsRowFullyVisible(int row) const;
  bool IsCellFullyVisible(int column, int row) const {
    return IsColumnFullyVisible(column) && IsRowFullyVisible(row);
  }
  // The cell texts: centred, vertically centred, one line, ellipsis at the end.
  static constexpr unsigned kCellTextLayout =
      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
  static constexpr unsigned kRowHeaderLayout = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

protected:
  // ---- what the window supplies (the defaults do nothing) ----
  virtual std::unique_ptr<CDC> GetWindowDC() { return nullptr; }
  virtual void InvalidateDataArea(bool erase) { (void)erase; }
  virtual void InvalidateAll(bool erase) { (void)erase; }
  virtual void UpdateWindow() {}
  virtual void ApplyScrollBar(ScrollBarId bar, const ScrollBarState& state) {
    (void)bar, (void)state;
  }
  // The off-screen picture painting goes through; null draws straight into the target.
  virtual CDC* BackBuffer() { return nullptr; }
  virtual void RebuildBackBuffer(int width, int height) { (void)width, (void)height; }
  virtual const CFont& LargeFont() const;
  virtual const CFont& SmallFont() const;
  virtual COLORREF MenuColor() const { return RGB(212, 208, 200); }
  // The editor control.
  virtual bool CreateEditorWindow() { return true; }
  virtual bool EditorVisible() const { return false; }
  // Shows the editor over `box` with `text`, all of it selected, and gives it the focus.
  virtual void ShowEditor(const CRect& box, const QString& text) { (void)box, (void)text; }
  virtual void MoveEditor(const CRect& box) { (void)box; }
  virtual void HideEditorWindow() {}
  virtual QString EditorText() const { return {}; }
  // Selects the editor's whole text and replaces it with `typed`.
  virtual void ReplaceEditorText(const QString& typed) { (void)typed; }
  virtual void FocusGrid() {}
  // Gives the keyboard to the open editor.
  virtual void FocusEditor() {}
  virtual void ShowSizeCursor(bool on) { (void)on; }
  virtual void CaptureMouse(bool on) { (void)on; }
  // Marks the document modified.
  virtual void SetModified() {}
  // The values stored between BeginChange and EndChange are one change for the user (one step
  // of the document's history): a typed value, a paste, a fill.
  enum class ChangeKind { Typing, Paste, Fill };
  // Pasted text as fields separated by tabs, lines by line feeds (as it is, in the grid
  // itself); headerSkipped tells whether a first line naming columns was left out.
  virtual QString PastedFields(const QString& text, bool& headerSkipped) const {
    headerSkipped = false;
    return text;
  }
  virtual void BeginChange() {}
  // Adds rows at the end until the table has `rows`; returns the row count it then has (the
  // grid itself never grows).
  virtual int GrowRows(int rows) { (void)rows; return GetRowCount(); }
  virtual void EndChange(ChangeKind kind, int cells) { (void)kind, (void)cells; }
  // Why the last text was refused by SetCellText, for the user ("\"abc\" is not a number.").
  virtual QString RefusalReason() const { return {}; }
  // A short message to the user (the status bar's message pane in the window).
  virtual void ShowMessage(const QString& text) { (void)text; }
  // The run-time class name the settings are stored under, and the profile that holds them.
  virtual std::string SettingsName() const { return "CTableView"; }
  virtual CProfile Profile() const;

  // Sets the row height from the default font and the edge (at window creation).
  void InitRowHeight(CDC* screen);
  // Keeps the open editor over its cell after the grid scrolled; hides it when the cell left
  // the data area.
  void FollowEditor();
  // Tells why a text was refused and gives the editor the keyboard again.
  void ShowRefusal();
  // The editor's box over the current cell, inside the grid lines and the data area.
  CRect EditorBox() const;

  // ---- state, as the grid keeps it ----
  int resizeColumn = 0; // column whose right border is dragged; -1: the row headers
  CRect dataArea;       // the client area less the scroll bars
  CPoint lastTrackLine; // where the last resize line was drawn
  int resizeMode = 0;   // 1: the mouse is over (or dragging) a column border
  unsigned rowHeaderTextLayout = kRowHeaderLayout;
  unsigned cellTextLayout = kCellTextLayout;
  int currentColumn = 0;
  int currentRow = 0;
  int edge = 2; // the system's edge height
  ScrollBarState horzBar;
  ScrollBarState vertBar;
  int firstColumn = 0; // the first column shown (horizontal scroll position)
  int firstRow = 0;    // the first row shown (vertical scroll position)
  int horzBarHeight = 17;
  int vertBarWidth = 17;
  QString numberFormat; // a printf format of one double; empty until the first paint
  int rowHeight = -1;
  CRect clientRect;

private:
  bool FitFirstPositions();
  // The counts the scroll position was last fitted to.
  int fittedColumns = -1;
  int fittedRows = -1;
  void DrawTrackLine(int x);
  void ScrollTo(ScrollBarId bar, int pos);
};
