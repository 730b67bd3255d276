#include "table/TableGrid.h"

#include "gui/DrawSettings.h"
#include "gui/Profile.h"
#include "gui/Strings.h"
#include "table/LabelRenderer.h"
#include "table/Numbers.h"
#include "table/PasteWalk.h"
#include "resources/Ids.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
} // namespace

TableGrid::TableGrid() = default;

TableGrid::~TableGrid() = default;

// ================================================================ the derived grid's operations

int TableGrid::GetColCount() const {
  return 0;
}
int TableGrid::GetRowCount() const {
  return 0;
}

bool TableGrid::GetRowHeader(int row, QString& text) const {
  text = QString::number(row + 1);
  return false;
}

bool TableGrid::GetColHeader(int column, QString& text) const {
  text = QStringLiteral("Column %1").arg(column);
  return false;
}

bool TableGrid::GetCellText(int column, int row, QString& text) const {
  text = QStringLiteral("(%1, %2)").arg(column).arg(row);
  return false;
}

int TableGrid::GetColWidth(int slot) const {
  (void)slot;
  return 60;
}

int TableGrid::GetRowHeight(int slot) const {
  (void)slot;
  return rowHeight;
}

void TableGrid::SetColWidth(int slot, int width) {
  (void)slot, (void)width;
}

void TableGrid::DrawCell(CDC* dc, int x, int y, int w, int h, int column, int row, bool current) {
  if (x > dataArea.right || y > dataArea.bottom) return;
  if (row >= GetRowCount() || column >= GetColCount()) return;
  std::unique_ptr<CDC> window;
  if (!dc) {
    window = GetWindowDC();
    if (!window) return;
    dc = window.get();
    dc->SelectObject(LargeFont());
    dc->SelectObject(CPen{PS_SOLID, 1, kBlack});
    dc->SetBkColor(kWhite);
  }
  bool cutRight = false, cutBottom = false;
  if (x + w > dataArea.right) {
    w = dataArea.right - x;
    cutRight = true;
  }
  if (y + h > dataArea.bottom) {
    h = dataArea.bottom - y;
    cutBottom = true;
  }
  dc->FillSolidRect(CRect{x, y, x + w, y + h}, kWhite);
  const CPen oldPen = dc->SelectObject(CPen{PS_SOLID, 1, kBlack});
  if (!cutBottom) {
    dc->MoveTo(x, y + h - 1);
    dc->LineTo(x + w - 1, y + h - 1);
  }
  if (!cutRight) {
    dc->MoveTo(x + w - 1, y + h - 1);
    dc->LineTo(x + w - 1, y - 1);
  }

  QString text;
  if (!GetCellText(column, row, text)) {
    CRect box{x + 1, y + 1, x + w - 1, y + h - 1};
    dc->DrawText(text, box, cellTextLayout);
  } else {
    const CSize size = MeasureLabel(dc, text, LargeFont(), SmallFont());
    CRect box{x + (w - size.cx) / 2, y + (h - size.cy) / 2, 0, 0};
    box.right = box.left + size.cx;
    box.bottom = box.top + size.cy;
    if (box.left < x + 1) box.left = x + 1, box.right = x + w - 1;
    if (box.top < y + 1) box.top = y + 1, box.bottom = y + h - 1;
    DrawLabel(dc, text, box, LargeFont(), SmallFont(), false);
  }

  if (current) {
    // The frame of the current cell, one pixel inside the grid lines; a cut side is left out.
    dc->MoveTo(x, y);
    dc->LineTo(x + w - 1, y);
    dc->MoveTo(x, y);
    dc->LineTo(x, y + h - 1);
    if (!cutRight) {
      dc->MoveTo(x + w - 2, y);
      dc->LineTo(x + w - 2, y + h - 1);
    }
    if (!cutBottom) {
      dc->MoveTo(x, y + h - 2);
      dc->LineTo(x + w - 1, y + h - 2);
    }
  }
  dc->SelectObject(oldPen);
}

bool TableGrid::CanEditCell(int column, int row) const {
  (void)column, (void)row;
  return true;
}

void TableGrid::BeginEdit() {
  KeepCurrentCellInside();
  if (GetColCount() <= 0 || GetRowCount() <= 0) return;
  QString text;
  GetCellText(currentColumn, currentRow, text);
  ShowEditor(EditorBox(), text);
}

void TableGrid::DrawCorner(CDC* dc, COLORREF fill, COLORREF light, COLORREF dark) {
  const CRect box{0, 0, GetColWidth(0), GetRowHeight(0)};
  dc->FillSolidRect(box, fill);
  dc->Draw3dRect(box, light, dark);
}

namespace {
// A header box: filled, framed in 3-D, its text centred; a caption with mark-up is centred
// when it fits and otherwise starts at the left edge of the box.
void DrawHeaderBox(CDC* dc, const CRect& frame, const QString& text, bool markup, unsigned layout,
                   COLORREF fill, COLORREF light, COLORREF dark, const CFont& large,
                   const CFont& small) {
  CRect box = frame;
  dc->FillSolidRect(box, fill);
  dc->Draw3dRect(box, light, dark);
  dc->SetBkColor(fill);
  if (!markup) {
    dc->DrawText(text, box, layout);
    return;
  }
  const CSize size = MeasureLabel(dc, text, large, small);
  if (size.cx < box.Width()) box.left = (box.left + box.right - size.cx) / 2;
  DrawLabel(dc, text, box, large, small, false);
}
} // namespace

void TableGrid::DrawColHeader(CDC* dc, int column, int left, int top, int right, int bottom,
                              COLORREF fill, COLORREF light, COLORREF dark) {
  QString text;
  const bool markup = GetColHeader(column, text);
  DrawHeaderBox(dc, CRect{left, top, right, bottom}, text, markup, cellTextLayout, fill, light,
                dark, LargeFont(), SmallFont());
}

void TableGrid::DrawRowHeader(CDC* dc, int row, int left, int top, int right, int bottom,
                              COLORREF fill, COLORREF light, COLORREF dark) {
  QString text;
  const bool markup = GetRowHeader(row, text);
  DrawHeaderBox(dc, CRect{left, top, right, bottom}, text, markup, rowHeaderTextLayout, fill, light,
                dark, LargeFont(), SmallFont());
}

bool TableGrid::CreateEditor() {
  return CreateEditorWindow();
}

void TableGrid::HideEditor() {
  HideEditorWindow();
}

void TableGrid::GetColWidthLimits(int& min, int& max) const {
  min = kMinColumnWidth;
  max = kMaxColumnWidth;
}

bool TableGrid::SetCellText(const QString& text) {
  (void)text;
  return true;
}

void TableGrid::LoadNumberFormat() {
  SetNumberFormat(QString::fromStdString(ReadNumberFormat(Profile(), SettingsName())));
}

void TableGrid::LoadColWidths() {}
void TableGrid::ResetColWidths() {}

CProfile TableGrid::Profile() const {
  return ProgramProfile();
}

const CFont& TableGrid::LargeFont() const {
  static const CFont font{QStringLiteral("Arial"), -14};
  return font;
}

const CFont& TableGrid::SmallFont() const {
  static const CFont font{QStringLiteral("Arial"), -10};
  return font;
}

// ================================================================ positions

int TableGrid::ColumnLeft(int column) const {
  int x = GetColWidth(0);
  for (int k = firstColumn; k < column; ++k)
    x += GetColWidth(k + 1);
  for (int k = column; k < firstColumn; ++k)
    x -= GetColWidth(k + 1);
  return x;
}

int TableGrid::RowTop(int row) const {
  int y = GetRowHeight(0);
  for (int k = firstRow; k < row; ++k)
    y += GetRowHeight(k + 1);
  for (int k = row; k < firstRow; ++k)
    y -= GetRowHeight(k + 1);
  return y;
}

bool TableGrid::IsColumnFullyVisible(int column) const {
  if (column < firstColumn) return false;
  int x = GetColWidth(0);
  for (int k = firstColumn; k <= column; ++k) {
    x += GetColWidth(k + 1);
    if (x > dataArea.right) return false;
  }
  return true;
}

bool TableGrid::IsRowFullyVisible(int row) const {
  if (row < firstRow) return false;
  int y = GetRowHeight(0);
  for (int k = firstRow; k <= row; ++k) {
    y += GetRowHeight(k + 1);
    if (y > dataArea.bottom) return false;
  }
  return true;
}

// ================================================================ painting

void TableGrid::EnsureSettingsLoaded() {
  if (!numberFormat.isEmpty()) return;
  LoadNumberFormat();
  LoadColWidths();
}

void TableGrid::OnDraw(CDC* target) {
  EnsureSettingsLoaded();
  if (KeepCurrentCellInside()) UpdateScrollBars();

  CDC* back = BackBuffer();
  CDC* dc = back ? back : target;
  const int saved = dc->SaveDC();
  dc->SelectObject(LargeFont());
  const COLORREF menu = MenuColor();
  dc->FillSolidRect(clientRect, kWhite);

  const int cols = GetColCount();
  const int rows = GetRowCount();
  if (cols <= 0 || rows <= 0) {
    dc->RestoreDC(saved);
    // "NO DATA" goes straight to the window, centred in the client area.
    const int savedTarget = target->SaveDC();
    if (back) target->FillSolidRect(clientRect, kWhite);
    target->SelectObject(LargeFont());
    target->SetBkColor(kWhite);
    CRect box = clientRect;
    target->DrawText(LoadStr(ids::IDS_NO_DATA), box, cellTextLayout);
    target->RestoreDC(savedTarget);
    return;
  }

  DrawCorner(dc, menu, kWhite, kBlack);
  dc->SetBkColor(menu);
  const int headerHeight = GetRowHeight(0);
  const int headerWidth = GetColWidth(0);
  int x = headerWidth;
  for (int j = firstColumn; j < cols && x < clientRect.right; ++j) {
    const int w = GetColWidth(j + 1);
    DrawColHeader(dc, j, x, 0, x + w, headerHeight, menu, kWhite, kBlack);
    x += w;
  }
  int y = headerHeight;
  for (int r = firstRow; r < rows && y < clientRect.bottom; ++r) {
    const int h = GetRowHeight(r + 1);
    DrawRowHeader(dc, r, 0, y, headerWidth, y + h, menu, kWhite, kBlack);
    y += h;
  }

  dc->SetBkColor(kWhite);
  dc->SelectObject(CPen{PS_SOLID, 1, kBlack});
  x = headerWidth;
  for (int j = firstColumn; j < cols && x <= clientRect.right; ++j) {
    const int w = GetColWidth(j + 1);
    y = headerHeight;
    for (int r = firstRow; r < rows && y <= clientRect.bottom; ++r) {
      const int h = GetRowHeight(r + 1);
      DrawCell(dc, x, y, w, GetRowHeight(r + 1), j, r, j == currentColumn && r == currentRow);
      y += h;
    }
    x += w;
  }
  dc->RestoreDC(saved);
  if (back) target->BitBlt(0, 0, dataArea.right, dataArea.bottom, back, 0, 0, SRCCOPY);
}

void TableGrid::RedrawCell(int column, int row, bool current) {
  if (column < 0 || row < 0 || column >= GetColCount() || row >= GetRowCount()) return;
  if (column < firstColumn || row < firstRow) return;
  int x = GetColWidth(0);
  for (int k = firstColumn; k < column; ++k) {
    x += GetColWidth(k + 1);
    if (x > dataArea.right) return; // out of view: nothing to draw
  }
  int y = GetRowHeight(0);
  for (int k = firstRow; k < row; ++k) {
    y += GetRowHeight(k + 1);
    if (y > dataArea.bottom) return;
  }
  DrawCell(nullptr, x, y, GetColWidth(column + 1), GetRowHeight(row + 1), column, row, current);
}

void TableGrid::UpdateScrollBars() {
  const int cols = GetColCount();
  int sum = GetColWidth(0);
  int k = firstColumn;
  for (; k < cols; ++k) {
    sum += GetColWidth(k + 1);
    if (sum > dataArea.right) break;
  }
  if (k >= cols && firstColumn == 0) {
    horzBar.enabled = false;
  } else {
    horzBar = ScrollBarState{true, 0, firstColumn + cols - k, firstColumn};
  }
  ApplyScrollBar(SB_HORZ, horzBar);

  const int rows = GetRowCount();
  sum = GetRowHeight(0);
  k = firstRow;
  for (; k < rows; ++k) {
    sum += GetRowHeight(k + 1);
    if (sum > dataArea.bottom) break;
  }
  if (k >= rows && firstRow == 0) {
    vertBar.enabled = false;
  } else {
    vertBar = ScrollBarState{true, 0, firstRow + rows - k, firstRow};
  }
  ApplyScrollBar(SB_VERT, vertBar);
}

bool TableGrid::FitFirstPositions() {
  bool changed = false;
  // Columns: while the columns from the first one on leave room, bring back the one before.
  const int cols = GetColCount();
  if (firstColumn > cols) firstColumn = std::max(cols, 0), changed = true;
  if (firstColumn > 0) {
    const int room = dataArea.right - GetColWidth(0);
    int sum = 0;
    for (int k = firstColumn; k < cols && sum < room; ++k)
      sum += GetColWidth(k + 1);
    if (sum < room) {
      while (firstColumn > 0 && sum + GetColWidth(firstColumn) <= room) {
        sum += GetColWidth(firstColumn);
        --firstColumn;
        changed = true;
      }
    }
  }
  const int rows = GetRowCount();
  if (firstRow > rows) firstRow = std::max(rows, 0), changed = true;
  if (firstRow > 0) {
    const int room = dataArea.bottom - GetRowHeight(0);
    int sum = 0;
    for (int k = firstRow; k < rows && sum < room; ++k)
      sum += GetRowHeight(k + 1);
    if (sum < room) {
      while (firstRow > 0 && sum + GetRowHeight(firstRow) <= room) {
        sum += GetRowHeight(firstRow);
        --firstRow;
        changed = true;
      }
    }
  }
  return changed;
}

bool TableGrid::FitScrollPosition() {
  if (!FitFirstPositions()) return false;
  InvalidateDataArea(false);
  UpdateWindow();
  FollowEditor();
  return true;
}

bool TableGrid::KeepCurrentCellInside() {
  const int cols = GetColCount();
  const int rows = GetRowCount();
  currentColumn = std::clamp(currentColumn, 0, std::max(cols - 1, 0));
  currentRow = std::clamp(currentRow, 0, std::max(rows - 1, 0));
  // The scroll position is fitted to the table only when its counts changed; between changes
  // it is where the user scrolled it.
  if (cols == fittedColumns && rows == fittedRows) return false;
  fittedColumns = cols;
  fittedRows = rows;
  return FitFirstPositions();
}

void TableGrid::LayOut(int clientWidth, int clientHeight) {
  clientRect = CRect{0, 0, clientWidth, clientHeight};
  dataArea = CRect{0, 0, clientWidth - vertBarWidth, clientHeight - horzBarHeight};
  RebuildBackBuffer(dataArea.right, dataArea.bottom);
}

void TableGrid::OnShow() {
  LayOut(clientRect.Width(), clientRect.Height());
  UpdateScrollBars();
}

void TableGrid::OnSize(int clientWidth, int clientHeight, bool visible) {
  clientRect = CRect{0, 0, clientWidth, clientHeight};
  if (!visible) return;
  HideEditor();
  LayOut(clientWidth, clientHeight);
  FitScrollPosition();
  UpdateScrollBars();
}

void TableGrid::ScrollTo(ScrollBarId bar, int pos) {
  int& first = bar == SB_HORZ ? firstColumn : firstRow;
  if (pos == first) return;
  first = pos;
  UpdateScrollBars();
  InvalidateDataArea(false);
  UpdateWindow();
  FollowEditor();
}

void TableGrid::OnScroll(ScrollBarId bar, int code, int thumbPos) {
  const ScrollBarState& s = bar == SB_HORZ ? horzBar : vertBar;
  if (!s.enabled) return;
  int pos = bar == SB_HORZ ? firstColumn : firstRow;
  const int page = bar == SB_HORZ ? PageColumns() : PageRows();
  switch (code) {
  case SB_LINEUP: pos = std::max(pos - 1, s.min); break;
  case SB_LINEDOWN: pos = std::min(pos + 1, s.max); break;
  // A click in the trough moves a page.
  case SB_PAGEUP: pos = std::max(pos - page, s.min); break;
  case SB_PAGEDOWN: pos = std::min(pos + page, s.max); break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION: pos = std::clamp(thumbPos, s.min, std::max(s.min, s.max)); break;
  default: return;
  }
  ScrollTo(bar, pos);
}

void TableGrid::OnMouseWheel(bool control, int delta) {
  const ScrollBarId bar = control ? SB_HORZ : SB_VERT;
  if (!ScrollBar(bar).enabled) return;
  OnScroll(bar, delta <= 0 ? SB_LINEDOWN : SB_LINEUP, 0);
}

// ================================================================ the current cell

void TableGrid::SetCurrentCell(int column, int row) {
  const int cols = GetColCount();
  const int rows = GetRowCount();
  if (cols <= 0 || rows <= 0) return;
  column = std::clamp(column, 0, cols - 1);
  row = std::clamp(row, 0, rows - 1);
  if (column == currentColumn && row == currentRow) return;
  if (IsCellFullyVisible(column, row) || (column == firstColumn && row == firstRow)) {
    RedrawCell(currentColumn, currentRow, false);
    RedrawCell(column, row, true);
    currentColumn = column;
    currentRow = row;
    UpdateScrollBars();
  } else {
    ScrollToCell(column, row);
    UpdateScrollBars();
  }
}

bool TableGrid::ScrollToCell(int column, int row) {
  column = std::max(column, 0);
  row = std::max(row, 0);
  // The column becomes the rightmost fully visible one (or the first one shown, when it is
  // wider than the data area).
  if (column < firstColumn) {
    firstColumn = column;
  } else if (!IsColumnFullyVisible(column)) {
    int sum = GetColWidth(0);
    int k = column, last = -1;
    while (sum < dataArea.right && k >= 0) {
      sum += GetColWidth(k + 1);
      last = k--;
    }
    firstColumn = last < 0 ? column : std::min(last + (sum > dataArea.right ? 1 : 0), column);
    firstColumn = std::min(firstColumn, GetColCount());
  }
  if (row < firstRow) {
    firstRow = row;
  } else if (!IsRowFullyVisible(row)) {
    int sum = GetRowHeight(0);
    int k = row, last = -1;
    while (sum < dataArea.bottom && k >= 0) {
      sum += GetRowHeight(k + 1);
      last = k--;
    }
    firstRow = last < 0 ? row : std::min(last + (sum > dataArea.bottom ? 1 : 0), row);
    firstRow = std::min(firstRow, GetRowCount());
  }
  currentColumn = column;
  currentRow = row;
  InvalidateDataArea(true);
  UpdateWindow();
  FollowEditor();
  return ColumnLeft(column) + GetColWidth(column + 1) < dataArea.right &&
         RowTop(row) + GetRowHeight(row + 1) < dataArea.bottom;
}

bool TableGrid::HitTestSelect(int x, int y) {
  if (x < GetColWidth(0) || y < rowHeight || rowHeight <= 0) return false;
  const int cols = GetColCount();
  int column = cols;
  int right = GetColWidth(0);
  for (int k = firstColumn; k < cols; ++k) {
    right += GetColWidth(k + 1);
    if (right > x) {
      column = k;
      break;
    }
  }
  const int row = y / rowHeight + firstRow - 1;
  if (column >= cols || row < 0 || row >= GetRowCount()) return false;
  if (column != currentColumn || row != currentRow) SetCurrentCell(column, row);
  return true;
}

// ================================================================ keys, mouse and the editor

void TableGrid::OnKeyDown(GridKey key) {
  if (GetColCount() <= 0 || GetRowCount() <= 0) return;
  KeepCurrentCellInside();
  switch (key) {
  case GridKey::Left: SetCurrentCell(currentColumn - 1, currentRow); break;
  case GridKey::Right: SetCurrentCell(currentColumn + 1, currentRow); break;
  case GridKey::Up: SetCurrentCell(currentColumn, currentRow - 1); break;
  case GridKey::Down: SetCurrentCell(currentColumn, currentRow + 1); break;
  case GridKey::PageUp: SetCurrentCell(currentColumn, currentRow - PageRows()); break;
  case GridKey::PageDown: SetCurrentCell(currentColumn, currentRow + PageRows()); break;
  case GridKey::Home: SetCurrentCell(0, currentRow); break;
  case GridKey::End: SetCurrentCell(GetColCount() - 1, currentRow); break;
  case GridKey::CtrlHome: SetCurrentCell(0, 0); break;
  case GridKey::CtrlEnd: SetCurrentCell(GetColCount() - 1, GetRowCount() - 1); break;
  case GridKey::Enter:
  case GridKey::F2:
    if (!IsCellFullyVisible(currentColumn, currentRow)) ScrollToCell(currentColumn, currentRow);
    if (CanEditCell(currentColumn, currentRow)) BeginEdit();
    break;
  case GridKey::Other: break;
  }
}

void TableGrid::OnChar(const QString& typed) {
  if (GetColCount() <= 0 || GetRowCount() <= 0) return;
  KeepCurrentCellInside();
  if (!IsCellFullyVisible(currentColumn, currentRow)) ScrollToCell(currentColumn, currentRow);
  if (!CanEditCell(currentColumn, currentRow)) return;
  BeginEdit();
  if (EditorVisible()) ReplaceEditorText(typed);
}

CRect TableGrid::EditorBox() const {
  const int left = ColumnLeft(currentColumn);
  const int top = RowTop(currentRow);
  CRect box{left, top, left + GetColWidth(currentColumn + 1) - 1,
            top + GetRowHeight(currentRow + 1) - 1};
  box.right = std::min(box.right, dataArea.right);
  box.bottom = std::min(box.bottom, dataArea.bottom);
  return box;
}

void TableGrid::FollowEditor() {
  if (!EditorVisible()) return;
  const bool inView = currentColumn >= firstColumn && currentRow >= firstRow &&
                      ColumnLeft(currentColumn) < dataArea.right &&
                      RowTop(currentRow) < dataArea.bottom;
  if (inView)
    MoveEditor(EditorBox());
  else
    HideEditor();
}

void TableGrid::CommitEdit() {
  if (!EditorVisible()) return;
  if (GetColCount() <= 0 || GetRowCount() <= 0) {
    HideEditor();
    return;
  }
  KeepCurrentCellInside();
  BeginChange();
  const bool stored = SetCellText(EditorText());
  EndChange(ChangeKind::Typing, stored ? 1 : 0);
  if (!stored) { // refused: the editor stays open with its text
    ShowRefusal();
    return;
  }
  HideEditor();
  FocusGrid();
  if (currentRow + 1 < GetRowCount()) {
    RedrawCell(currentColumn, currentRow, false);
    ++currentRow;
  }
  RedrawCell(currentColumn, currentRow, true);
}

bool TableGrid::StorePendingEdit() {
  if (!EditorVisible()) return true;
  if (GetColCount() <= 0 || GetRowCount() <= 0) {
    HideEditor();
    return true;
  }
  KeepCurrentCellInside();
  BeginChange();
  const bool stored = SetCellText(EditorText());
  EndChange(ChangeKind::Typing, stored ? 1 : 0);
  if (!stored) {
    ShowRefusal();
    return false;
  }
  HideEditor();
  RedrawCell(currentColumn, currentRow, true);
  return true;
}

void TableGrid::ShowRefusal() {
  const QString why = RefusalReason();
  ShowMessage(why.isEmpty() ? QStringLiteral("The value was not stored.")
                            : QStringLiteral("The value was not stored: %1").arg(why));
  FocusEditor();
}

void TableGrid::CancelEdit() {
  HideEditor();
  FocusGrid();
  RedrawCell(currentColumn, currentRow, true);
}

void TableGrid::DrawTrackLine(int x) {
  auto dc = GetWindowDC();
  if (!dc) return;
  // A dotted line drawn by exclusive-or: drawing it a second time at the same place erases it.
  dc->SelectObject(CPen{PS_DOT, 1, kWhite});
  dc->SetROP2(R2_XORPEN);
  dc->MoveTo(x, dataArea.top);
  dc->LineTo(x, dataArea.bottom);
}

void TableGrid::OnMouseMove(int x, int y, MouseButtons buttons) {
  if (buttons == MouseButtons::LeftOnly) {
    if (resizeMode == 1) {
      DrawTrackLine(lastTrackLine.x);
      DrawTrackLine(x);
      lastTrackLine = CPoint{x, y};
    }
    return;
  }
  if (buttons != MouseButtons::None) return;
  resizeMode = 0;
  ShowSizeCursor(false);
  if (y >= rowHeight) return;
  int border = GetColWidth(0);
  int hit = -2;
  if (std::abs(x - border) < 2) {
    hit = -1;
  } else if (border <= x) {
    const int cols = GetColCount();
    for (int k = firstColumn; k < cols; ++k) {
      border += GetColWidth(k + 1);
      if (std::abs(x - border) < 2) {
        hit = k;
        break;
      }
      if (border > x) break;
    }
  }
  if (hit == -2) return;
  resizeColumn = hit;
  ShowSizeCursor(true);
  resizeMode = 1;
}

void TableGrid::OnLButtonDown(int x, int y) {
  HideEditor();
  if (resizeMode == 1) {
    CaptureMouse(true);
    DrawTrackLine(x);
    lastTrackLine = CPoint{x, y};
    ShowSizeCursor(true);
  } else {
    HitTestSelect(x, y);
  }
}

void TableGrid::OnLButtonUp(int x, int y) {
  (void)y;
  if (resizeMode != 1) return;
  CaptureMouse(false);
  int width = resizeColumn < 0 ? x : x - ColumnLeft(resizeColumn);
  int min = 0, max = 0;
  GetColWidthLimits(min, max);
  width = std::clamp(width, min, std::max(min, max));
  SetColWidth(resizeColumn + 1, width);
  if (!FitScrollPosition()) {
    InvalidateDataArea(false);
    UpdateWindow();
  }
  UpdateScrollBars();
  resizeMode = 0;
}

void TableGrid::OnLButtonDblClk(int x, int y) {
  HideEditor();
  // On a border of the header row: the column left of it fits its widest text.
  OnMouseMove(x, y, MouseButtons::None);
  if (resizeMode == 1) {
    resizeMode = 0;
    FitColumnWidth(resizeColumn + 1);
    if (!FitScrollPosition()) {
      InvalidateAll(false);
      UpdateWindow();
    }
    UpdateScrollBars();
    return;
  }
  if (HitTestSelect(x, y) && CanEditCell(currentColumn, currentRow)) BeginEdit();
}

int TableGrid::PageRows() const {
  const int h = GetRowHeight(1);
  return std::max(1, h > 0 ? (dataArea.bottom - dataArea.top) / h : 1);
}

int TableGrid::PageColumns() const {
  int fit = 0, x = dataArea.left;
  for (int j = firstColumn; j < GetColCount(); ++j) {
    x += GetColWidth(j + 1);
    if (x > dataArea.right) break;
    ++fit;
  }
  return std::max(fit, 1);
}

void TableGrid::FitColumnWidth(int slot) {
  const int cols = GetColCount();
  if (slot < 0 || slot > cols) return;
  CRecordingDC measure;
  measure.SelectObject(LargeFont());
  QString text;
  int widest = 0;
  const int rows = GetRowCount();
  if (slot == 0) {
    GetRowHeader(std::max(rows - 1, 0), text);
    widest = measure.GetTextExtent(text).cx;
  } else {
    const int column = slot - 1;
    if (GetColHeader(column, text)) {
      widest = MeasureLabel(&measure, text, LargeFont(), SmallFont()).cx;
    } else {
      widest = measure.GetTextExtent(text).cx;
    }
    for (int r = 0; r < rows; ++r) {
      GetCellText(column, r, text);
      widest = std::max(widest, measure.GetTextExtent(text).cx);
    }
  }
  int min = 0, max = 0;
  GetColWidthLimits(min, max);
  // The text, its edges and a little air on either side.
  SetColWidth(slot, std::clamp(widest + 4 * edge + 6, min, std::max(min, max)));
}

void TableGrid::InitRowHeight(CDC* screen) {
  const CFont old = screen->SelectObject(CFont{});
  rowHeight = screen->GetTextExtent(QStringLiteral("Mg")).cy + 2 * edge;
  screen->SelectObject(old);
}

// ================================================================ clipboard, fill, format

QString TableGrid::CopyText() const {
  QString out;
  const int cols = GetColCount();
  const int rows = GetRowCount();
  QString text;
  for (int r = 0; r < rows; ++r) {
    for (int j = 0; j < cols; ++j) {
      text.clear();
      GetCellText(j, r, text);
      out += text;
      out += QLatin1Char('\t');
    }
    out += QLatin1String("\r\n");
  }
  return out;
}

bool TableGrid::StoreCellText(int column, int row, const QString& text) {
  const int oldColumn = currentColumn, oldRow = currentRow;
  currentColumn = column;
  currentRow = row;
  const bool stored = SetCellText(text);
  currentColumn = oldColumn;
  currentRow = oldRow;
  return stored;
}

namespace {

// The number of lines that carry something, a last empty line not counted.
int LineCount(const QString& text) {
  QString t = text;
  t.remove(QLatin1Char('\r'));
  while (t.endsWith(QLatin1Char('\n')))
    t.chop(1);
  return t.isEmpty() ? 0 : static_cast<int>(t.count(QLatin1Char('\n'))) + 1;
}

} // namespace

TableGrid::PasteResult TableGrid::PasteText(const QString& pasted) {
  const int cols = GetColCount();
  int rows = GetRowCount();
  PasteResult result;
  const QString text = PastedFields(pasted, result.headerSkipped);
  BeginChange();
  if (cols > 0 && rows > 0) {
    KeepCurrentCellInside();
    // A block longer than the table adds the rows it needs.
    const int needed = currentRow + LineCount(text);
    if (needed > rows) {
      const int grown = GrowRows(needed);
      result.rowsAdded = std::max(grown - rows, 0);
      rows = std::max(grown, rows);
    }
    const QStringView view(text);
    WalkPastedText(
        std::u16string_view(view.utf16(), static_cast<std::size_t>(view.size())), currentColumn,
        currentRow, cols, rows, [this, &result](int j, int r, std::u16string_view field) {
          // A refused field leaves its cell as it was; the walk goes on. Cells that cannot be
          // edited (computed values) are passed over.
          if (!CanEditCell(j, r)) return;
          if (StoreCellText(j, r,
                            QString::fromUtf16(field.data(), static_cast<qsizetype>(field.size())))) {
            ++result.stored;
          } else if (++result.refused == 1) {
            result.firstRefusal = RefusalReason();
          }
        });
  }
  EndChange(ChangeKind::Paste, result.stored);
  if (result.rowsAdded > 0) {
    UpdateScrollBars();
  }
  InvalidateAll(true);
  UpdateWindow();
  // The cells mark the document modified themselves, and only when a value changed.
  QString message = result.stored == 1 ? QStringLiteral("1 cell pasted")
                                        : QStringLiteral("%1 cells pasted").arg(result.stored);
  if (result.rowsAdded > 0)
    message += result.rowsAdded == 1 ? QStringLiteral(", 1 row added")
                                     : QStringLiteral(", %1 rows added").arg(result.rowsAdded);
  if (result.headerSkipped) message += QStringLiteral(", the header line skipped");
  if (result.refused > 0) {
    message += QStringLiteral(", %1 refused").arg(result.refused);
    if (!result.firstRefusal.isEmpty()) message += QStringLiteral(" (%1)").arg(result.firstRefusal);
  }
  ShowMessage(message + QLatin1Char('.'));
  return result;
}

void TableGrid::Fill(bool column, double value1, double value2, bool startAtCurrent, bool evenly) {
  const int cols = GetColCount();
  const int rows = GetRowCount();
  if (cols <= 0 || rows <= 0) return;
  KeepCurrentCellInside();
  const int start = startAtCurrent ? (column ? currentRow : currentColumn) : 0;
  const int end = column ? rows : cols;
  double step = value2;
  if (evenly) step = end - start - 1 > 0 ? (value2 - value1) / (end - start - 1) : 0.0;
  double v = value1;
  int stored = 0;
  BeginChange();
  for (int i = start; i < end; ++i) {
    const int j = column ? currentColumn : i;
    const int r = column ? i : currentRow;
    if (CanEditCell(j, r) && StoreCellText(j, r, FormatNumber(QStringLiteral("%g"), v))) ++stored;
    v += step;
  }
  EndChange(ChangeKind::Fill, stored);
  InvalidateAll(true);
  UpdateWindow();
}

bool TableGrid::CurrentCellNumber(double& value) const {
  QString text;
  GetCellText(currentColumn, currentRow, text);
  return ParseNumber(text, value);
}

QString TableGrid::FormatValue(double value) const {
  return FormatNumber(numberFormat, value);
}

void TableGrid::SetNumberFormat(const QString& format) {
  numberFormat = IsSafeNumberFormat(format.toStdString()) ? format : QStringLiteral("%g");
}
