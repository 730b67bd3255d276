// The grid's painting, scrolling, current cell, column resizing, paste and fill, checked on the
// calls a recording context receives and on the state of its scroll bars.
#include "table/TableGrid.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <algorithm>
#include <string>
#include <vector>

void VexaTestSetUp(int& argc, char** argv) {
  new QGuiApplication(argc, argv);
}
void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

// A context that hands its calls to a shared list when it goes (the window's own context).
class SharedRecordingDC : public CRecordingDC {
public:
  explicit SharedRecordingDC(std::vector<DrawCall>* sink) : sink_(sink) {}
  ~SharedRecordingDC() override { sink_->insert(sink_->end(), calls().begin(), calls().end()); }

private:
  std::vector<DrawCall>* sink_;
};

// A grid of cols × rows cells holding texts, the last column read-only, with fixed widths.
class TestGrid : public TableGrid {
public:
  TestGrid(int columns, int rowsCount) : cols(columns), rows(rowsCount) {
    rowHeight = 20;
    widths.assign(static_cast<std::size_t>(cols + 1), 60);
    widths[0] = 40;
    cells.assign(static_cast<std::size_t>(cols * rows), QString());
    for (int r = 0; r < rows; ++r)
      for (int j = 0; j < cols; ++j)
        Cell(j, r) = QStringLiteral("%1").arg(r * 10 + j);
    SetNumberFormat(QStringLiteral("%g"));
  }

  QString& Cell(int j, int r) { return cells[static_cast<std::size_t>(r * cols + j)]; }

  int GetColCount() const override { return cols; }
  int GetRowCount() const override { return rows; }
  bool GetColHeader(int j, QString& text) const override {
    text = QStringLiteral("C%1").arg(j);
    return false;
  }
  bool GetCellText(int j, int r, QString& text) const override {
    text = cells[static_cast<std::size_t>(r * cols + j)];
    return false;
  }
  int GetColWidth(int slot) const override { return widths[static_cast<std::size_t>(slot)]; }
  void SetColWidth(int slot, int width) override { widths[static_cast<std::size_t>(slot)] = width; }
  bool CanEditCell(int j, int) const override { return j != cols - 1; }
  bool SetCellText(const QString& text) override {
    if (text.contains(QLatin1Char('x'))) return false;
    Cell(currentColumn, currentRow) = text;
    ++stored;
    return true;
  }

  std::unique_ptr<CDC> GetWindowDC() override {
    return std::make_unique<SharedRecordingDC>(&window);
  }
  void InvalidateDataArea(bool erase) override {
    events.push_back(erase ? "inv-data-erase" : "inv-data");
  }
  void InvalidateAll(bool erase) override { events.push_back(erase ? "inv-all-erase" : "inv-all"); }
  void UpdateWindow() override { events.push_back("update"); }
  void SetModified() override { ++modified; }
  bool EditorVisible() const override { return editorShown; }
  void ShowEditor(const CRect& box, const QString& text) override {
    editorShown = true;
    editorBox = box;
    editorText = text;
  }
  void MoveEditor(const CRect& box) override { editorBox = box; }
  void HideEditorWindow() override { editorShown = false; }
  QString EditorText() const override { return editorText; }
  void ReplaceEditorText(const QString& typed) override { editorText = typed; }

  using TableGrid::OnDraw;
  void SetFirst(int column, int row) { firstColumn = column, firstRow = row; }
  void SetCurrent(int column, int row) { currentColumn = column, currentRow = row; }

  int cols, rows;
  std::vector<int> widths;
  std::vector<QString> cells;
  std::vector<DrawCall> window;
  std::vector<std::string> events;
  int modified = 0, stored = 0;
  bool editorShown = false;
  CRect editorBox;
  QString editorText;
};

std::vector<std::string> Lines(const std::vector<DrawCall>& calls) {
  std::vector<std::string> out;
  for (const auto& c : calls)
    if (c.op == "Line") out.push_back(c.Describe());
  return out;
}

bool Has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

std::vector<DrawCall> Texts(const CRecordingDC& dc) {
  return dc.Calls("DrawText");
}

TEST(GridPaint, DrawsHeadersAndCellsWithTheirGridLines) {
  TestGrid g(3, 4);
  g.LayOut(400 + 17, 300 + 17); // data area 400 × 300
  CRecordingDC dc;
  g.OnDraw(&dc);
  const auto texts = Texts(dc);
  // The corner, three column headers, four row headers, twelve cells.
  std::vector<QString> shown;
  for (const auto& t : texts)
    shown.push_back(t.text);
  EXPECT_EQ(shown.front(), "C0");
  EXPECT_EQ(std::count(shown.begin(), shown.end(), QStringLiteral("4")), 1); // row header 4
  EXPECT_EQ(texts.size(), 3u + 4u + 12u);

  // Column header 1: box (100, 0, 160, 20), filled in the menu colour, 3-D frame.
  const auto dump = dc.Dump();
  EXPECT_NE(dump.find("FillSolidRect (100, 0, 160, 20)"), std::string::npos) << dump;
  const auto header =
      std::find_if(texts.begin(), texts.end(), [](const DrawCall& c) { return c.text == "C1"; });
  ASSERT_NE(header, texts.end());
  EXPECT_EQ(header->args, (std::vector<int>{100, 0, 160, 20}));
  EXPECT_EQ(header->format, TableGrid::kCellTextLayout);
  EXPECT_EQ(header->format, 0x8025u);
  EXPECT_EQ(header->bkColor, RGB(212, 208, 200));

  // Cell (1, 2) at (100, 60): its text inside the grid lines, bottom and right grid lines.
  const auto cell =
      std::find_if(texts.begin(), texts.end(), [](const DrawCall& c) { return c.text == "21"; });
  ASSERT_NE(cell, texts.end());
  EXPECT_EQ(cell->args, (std::vector<int>{101, 61, 159, 79}));
  const auto lines = Lines(dc.calls());
  EXPECT_TRUE(Has(lines, "Line (100, 79) -> (159, 79)"));
  EXPECT_TRUE(Has(lines, "Line (159, 79) -> (159, 59)"));
  // The current cell (0, 0) has its frame one pixel inside the grid lines.
  EXPECT_TRUE(Has(lines, "Line (40, 20) -> (99, 20)"));
  EXPECT_TRUE(Has(lines, "Line (98, 20) -> (98, 39)"));
  EXPECT_TRUE(Has(lines, "Line (40, 38) -> (99, 38)"));
}

TEST(GridPaint, ShowsNoDataWithoutHeaders) {
  TestGrid g(3, 0);
  g.LayOut(300, 200);
  CRecordingDC dc;
  g.OnDraw(&dc);
  const auto texts = Texts(dc);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "NO DATA");
  EXPECT_EQ(texts[0].args, (std::vector<int>{0, 0, 300, 200}));
  EXPECT_EQ(texts[0].format, TableGrid::kCellTextLayout);
  EXPECT_TRUE(Lines(dc.calls()).empty());
  for (const auto& c : dc.calls())
    EXPECT_NE(c.brush.color, RGB(212, 208, 200)) << c.Describe();
}

TEST(GridPaint, CutCellHasNoRightLineAndNoRightFrameSide) {
  TestGrid g(3, 2);
  // Data area 190 wide: column 2 starts at 160 and is cut at 190.
  g.LayOut(190 + 17, 200);
  g.SetCurrent(2, 0);
  CRecordingDC dc;
  g.OnDraw(&dc);
  const auto lines = Lines(dc.calls());
  // Column 1 ends with its right line at 159; column 2 has its bottom line up to 189 only.
  EXPECT_TRUE(Has(lines, "Line (159, 39) -> (159, 19)"));
  EXPECT_TRUE(Has(lines, "Line (160, 39) -> (189, 39)"));
  EXPECT_FALSE(Has(lines, "Line (189, 39) -> (189, 19)"));
  // The frame: top, left and bottom sides, no right one.
  EXPECT_TRUE(Has(lines, "Line (160, 20) -> (189, 20)"));
  EXPECT_TRUE(Has(lines, "Line (160, 20) -> (160, 39)"));
  EXPECT_TRUE(Has(lines, "Line (160, 38) -> (189, 38)"));
  EXPECT_FALSE(Has(lines, "Line (188, 20) -> (188, 39)"));
  EXPECT_NE(dc.Dump().find("FillSolidRect (160, 20, 190, 40)"), std::string::npos);
}

TEST(GridPaint, DrawsOnlyTheVisibleRowsThroughTheBackBuffer) {
  class BufferedGrid : public TestGrid {
  public:
    using TestGrid::TestGrid;
    CDC* BackBuffer() override { return &buffer; }
    CRecordingDC buffer;
  };
  BufferedGrid g(3, 100000);
  g.LayOut(300, 217); // 200 high: the header and ten rows, the tenth just fitting
  CRecordingDC window;
  g.OnDraw(&window);
  ASSERT_EQ(window.calls().size(), 1u);
  EXPECT_EQ(window.calls()[0].op, "BitBlt");
  EXPECT_EQ(window.calls()[0].args, (std::vector<int>{0, 0, 283, 200, 0, 0}));
  int cells = 0;
  for (const auto& t : g.buffer.Calls("DrawText"))
    if (!t.text.startsWith(QLatin1Char('C'))) ++cells;
  // Rows 0 … 9 fully, row 10 starts at the bottom edge: ten or eleven rows of row header + 3.
  EXPECT_LE(cells, 11 * 4);
  EXPECT_GE(cells, 10 * 4);
}

TEST(GridScroll, HorizontalBarDisabledWhenAllColumnsFit) {
  TestGrid g(3, 50);
  g.LayOut(400, 300);
  g.UpdateScrollBars();
  EXPECT_FALSE(g.ScrollBar(SB_HORZ).enabled);
  EXPECT_TRUE(g.ScrollBar(SB_VERT).enabled);
  // Rows 0 … 12 fit in 283 - 20: 13 rows; range 0 … 50 - 13.
  EXPECT_EQ(g.ScrollBar(SB_VERT).max, 50 - 13);
  // Line-down on a disabled bar does nothing.
  g.OnScroll(SB_HORZ, SB_LINEDOWN, 0);
  EXPECT_EQ(g.FirstColumn(), 0);
  // A table whose rows all fit: the vertical bar is disabled too.
  TestGrid small(3, 5);
  small.LayOut(400, 300);
  small.UpdateScrollBars();
  EXPECT_FALSE(small.ScrollBar(SB_VERT).enabled);
  small.OnScroll(SB_VERT, SB_LINEDOWN, 0);
  EXPECT_EQ(small.FirstRow(), 0);
}

TEST(GridScroll, WheelMovesOneRowPerMessageAndControlOneColumn) {
  TestGrid g(6, 100);
  g.LayOut(200, 300); // 183 wide: the row headers and two columns
  g.UpdateScrollBars();
  g.OnMouseWheel(false, -120);
  EXPECT_EQ(g.FirstRow(), 1);
  g.OnMouseWheel(false, -960); // whatever the delta
  EXPECT_EQ(g.FirstRow(), 2);
  g.OnMouseWheel(false, 0);
  EXPECT_EQ(g.FirstRow(), 3);
  g.OnMouseWheel(false, 480);
  EXPECT_EQ(g.FirstRow(), 2);
  g.OnMouseWheel(true, -120);
  EXPECT_EQ(g.FirstColumn(), 1);
  EXPECT_EQ(g.FirstRow(), 2);
  EXPECT_EQ(g.ScrollBar(SB_HORZ).pos, 1);
  // Scrolling repaints the data area without erasing.
  EXPECT_EQ(g.events.back(), "update");
  EXPECT_EQ(g.events[g.events.size() - 2], "inv-data");
  // Up at the top stops at 0; a click in the trough moves a page of rows.
  ASSERT_GT(g.PageRows(), 1);
  g.OnScroll(SB_VERT, SB_PAGEDOWN, 0);
  EXPECT_EQ(g.FirstRow(), std::min(2 + g.PageRows(), g.ScrollBar(SB_VERT).max));
  g.OnScroll(SB_VERT, SB_PAGEUP, 0);
  EXPECT_EQ(g.FirstRow(), std::max(std::min(2 + g.PageRows(), g.ScrollBar(SB_VERT).max) - g.PageRows(), 0));
  g.OnScroll(SB_VERT, SB_THUMBTRACK, 1000);
  EXPECT_EQ(g.FirstRow(), g.ScrollBar(SB_VERT).max);
  g.OnScroll(SB_VERT, SB_THUMBPOSITION, 0);
  for (int i = 0; i < 3; ++i)
    g.OnScroll(SB_VERT, SB_LINEUP, 0);
  EXPECT_EQ(g.FirstRow(), 0);
}

TEST(GridScroll, FitScrollPositionBringsColumnsBackAfterWidening) {
  TestGrid g(4, 5);
  g.LayOut(200, 300); // 183 wide: row headers 40 + two columns of 60
  g.UpdateScrollBars();
  ASSERT_TRUE(g.ScrollBar(SB_HORZ).enabled);
  g.OnScroll(SB_HORZ, SB_LINEDOWN, 0);
  g.OnScroll(SB_HORZ, SB_LINEDOWN, 0);
  EXPECT_EQ(g.FirstColumn(), 2);
  // Wide enough for all four columns: they all come back.
  g.OnSize(40 + 4 * 60 + 17, 300, true);
  EXPECT_EQ(g.FirstColumn(), 0);
  EXPECT_FALSE(g.ScrollBar(SB_HORZ).enabled);
  // Room for three: column 0 stays hidden.
  g.OnSize(200, 300, true);
  g.OnScroll(SB_HORZ, SB_THUMBPOSITION, 2);
  EXPECT_EQ(g.FirstColumn(), 2);
  g.LayOut(40 + 3 * 60 + 17, 300);
  EXPECT_TRUE(g.FitScrollPosition());
  EXPECT_EQ(g.FirstColumn(), 1);
  EXPECT_FALSE(g.FitScrollPosition());
}

TEST(GridScroll, APaintKeepsTheScrollPositionUntilTheCountsChange) {
  TestGrid g(3, 5);
  g.widths = {40, 150, 60, 60};
  g.LayOut(40 + 200 + 17, 300); // room for 200 pixels of columns
  g.UpdateScrollBars();
  ASSERT_TRUE(g.ScrollBar(SB_HORZ).enabled);
  ASSERT_EQ(g.ScrollBar(SB_HORZ).max, 2);
  CRecordingDC first;
  g.OnDraw(&first);
  g.OnScroll(SB_HORZ, SB_THUMBPOSITION, 2);
  ASSERT_EQ(g.FirstColumn(), 2);
  CRecordingDC dc;
  g.OnDraw(&dc);
  // Columns 1 and 2 would fit again, but the position is where the user scrolled it.
  EXPECT_EQ(g.FirstColumn(), 2);
  g.SetCurrentCell(2, 0);
  g.OnKeyDown(GridKey::Down);
  EXPECT_EQ(g.CurrentRow(), 1);
  EXPECT_EQ(g.FirstColumn(), 2);
  // Fewer rows: the position is fitted to the table again.
  g.rows = 3;
  g.cells.resize(9);
  CRecordingDC again;
  g.OnDraw(&again);
  EXPECT_EQ(g.FirstColumn(), 1);
}

TEST(GridCells, RedrawCellGoesStraightToTheWindow) {
  TestGrid g(3, 40);
  g.LayOut(400, 200);
  g.RedrawCell(1, 2, true);
  ASSERT_FALSE(g.window.empty());
  EXPECT_TRUE(Has(Lines(g.window), "Line (100, 79) -> (159, 79)"));
  EXPECT_EQ(g.window.front().font, CFont({QStringLiteral("Arial"), -14}));
  // A cell below the data area, or before the first row shown, draws nothing.
  g.window.clear();
  g.RedrawCell(1, 30, true);
  g.SetFirst(0, 3);
  g.RedrawCell(1, 2, true);
  g.RedrawCell(3, 5, true);
  EXPECT_TRUE(g.window.empty());
}

TEST(GridCells, ArrowKeysClampAndScrollTheCurrentCellIntoView) {
  TestGrid g(5, 30);
  g.LayOut(200, 200); // 183 × 183: row headers + 2 columns, header + 8 rows
  g.UpdateScrollBars();
  g.OnKeyDown(GridKey::Up);
  g.OnKeyDown(GridKey::Left);
  EXPECT_EQ(g.CurrentColumn(), 0);
  EXPECT_EQ(g.CurrentRow(), 0);
  g.OnKeyDown(GridKey::Right);
  EXPECT_EQ(g.CurrentColumn(), 1);
  EXPECT_EQ(g.FirstColumn(), 0);
  // Column 2 is cut at the right: it becomes the rightmost fully visible column.
  g.OnKeyDown(GridKey::Right);
  EXPECT_EQ(g.CurrentColumn(), 2);
  EXPECT_EQ(g.FirstColumn(), 1);
  EXPECT_TRUE(g.IsColumnFullyVisible(2));
  for (int i = 0; i < 40; ++i)
    g.OnKeyDown(GridKey::Down);
  EXPECT_EQ(g.CurrentRow(), 29);
  EXPECT_TRUE(g.IsRowFullyVisible(29));
  EXPECT_FALSE(g.IsRowFullyVisible(29 - 8));
}

TEST(GridCells, ClickSelectsADataCellOnly) {
  TestGrid g(3, 10);
  g.LayOut(400, 300);
  EXPECT_TRUE(g.HitTestSelect(130, 65)); // column 1, row 2
  EXPECT_EQ(g.CurrentColumn(), 1);
  EXPECT_EQ(g.CurrentRow(), 2);
  EXPECT_FALSE(g.HitTestSelect(10, 65));   // a row header
  EXPECT_FALSE(g.HitTestSelect(130, 10));  // a column header
  EXPECT_FALSE(g.HitTestSelect(300, 65));  // right of the last column
  EXPECT_FALSE(g.HitTestSelect(130, 250)); // below the last row
  EXPECT_EQ(g.CurrentColumn(), 1);
  EXPECT_EQ(g.CurrentRow(), 2);
}

TEST(GridCells, BorderDragIsClampedAndDrawsAnExclusiveOrTrackLine) {
  TestGrid g(3, 10);
  g.LayOut(600, 300);
  // Over the right border of column 0 (x = 100) in the header row.
  g.OnMouseMove(101, 5, MouseButtons::None);
  ASSERT_EQ(g.ResizeMode(), 1);
  g.OnLButtonDown(101, 5);
  ASSERT_EQ(g.window.size(), 1u);
  EXPECT_EQ(g.window[0].Describe(), "Line (101, 0) -> (101, 283)");
  EXPECT_EQ(g.window[0].rop2, R2_XORPEN);
  EXPECT_EQ(g.window[0].pen.style, PS_DOT);
  g.OnMouseMove(120, 5, MouseButtons::LeftOnly);
  ASSERT_EQ(g.window.size(), 3u);
  EXPECT_EQ(g.window[1].Describe(), "Line (101, 0) -> (101, 283)"); // the old line erased
  EXPECT_EQ(g.window[2].Describe(), "Line (120, 0) -> (120, 283)");
  g.OnLButtonUp(300, 5); // 260 wide: clamped to 150
  EXPECT_EQ(g.widths[1], 150);
  EXPECT_EQ(g.ResizeMode(), 0);
  // The border of column 0 is now at 190; drag it to 45: 5 wide, clamped to 40.
  g.OnMouseMove(191, 3, MouseButtons::None);
  ASSERT_EQ(g.ResizeMode(), 1);
  g.OnLButtonDown(191, 3);
  g.OnLButtonUp(45, 3);
  EXPECT_EQ(g.widths[1], 40);
  // The row headers' border: the new width is x itself.
  g.OnMouseMove(40, 3, MouseButtons::None);
  g.OnLButtonDown(40, 3);
  g.OnLButtonUp(70, 3);
  EXPECT_EQ(g.widths[0], 70);
  // Away from a border, or below the header row, there is no resizing.
  g.OnMouseMove(130, 3, MouseButtons::None);
  EXPECT_EQ(g.ResizeMode(), 0);
  g.OnMouseMove(110, 30, MouseButtons::None);
  EXPECT_EQ(g.ResizeMode(), 0);
}

TEST(GridCells, DraggingAScrolledColumnResizesTheColumnUnderTheMouse) {
  TestGrid g(6, 5);
  g.LayOut(200, 300);
  g.UpdateScrollBars();
  g.OnScroll(SB_HORZ, SB_LINEDOWN, 0);
  g.OnScroll(SB_HORZ, SB_LINEDOWN, 0);
  ASSERT_EQ(g.FirstColumn(), 2);
  // Column 2 is shown first, from 40 to 100.
  g.OnMouseMove(100, 3, MouseButtons::None);
  ASSERT_EQ(g.ResizeMode(), 1);
  g.OnLButtonDown(100, 3);
  g.OnLButtonUp(130, 3);
  EXPECT_EQ(g.widths[3], 90);
  EXPECT_EQ(g.widths[1], 60);
}

TEST(GridEdit, EditorOpensOverTheCellAndCommitMovesDown) {
  TestGrid g(3, 3);
  g.LayOut(400, 300);
  g.OnKeyDown(GridKey::Enter);
  ASSERT_TRUE(g.editorShown);
  EXPECT_EQ(g.editorText, "0");
  EXPECT_EQ(g.editorBox, (CRect{40, 20, 99, 39}));
  g.editorText = QStringLiteral("1x"); // refused: the editor stays open with its text
  g.CommitEdit();
  EXPECT_TRUE(g.editorShown);
  EXPECT_EQ(g.editorText, "1x");
  g.editorText = QStringLiteral("5");
  g.CommitEdit();
  EXPECT_FALSE(g.editorShown);
  EXPECT_EQ(g.Cell(0, 0), "5");
  EXPECT_EQ(g.CurrentRow(), 1);
  // Typing over a cell starts with that character; Escape leaves the cell alone.
  g.OnChar(QStringLiteral("7"));
  EXPECT_TRUE(g.editorShown);
  EXPECT_EQ(g.editorText, "7");
  g.CancelEdit();
  EXPECT_FALSE(g.editorShown);
  EXPECT_EQ(g.Cell(0, 1), "10");
  // Committing in the last row keeps the current cell there.
  g.SetCurrentCell(0, 2);
  g.OnKeyDown(GridKey::F2);
  g.CommitEdit();
  EXPECT_EQ(g.CurrentRow(), 2);
  // The read-only column opens no editor.
  g.SetCurrentCell(2, 0);
  g.OnKeyDown(GridKey::Enter);
  g.OnChar(QStringLiteral("1"));
  g.OnLButtonDblClk(170, 25);
  EXPECT_FALSE(g.editorShown);
}

TEST(GridEdit, EditorFollowsItsCellAndHidesWhenItScrollsAway) {
  TestGrid g(3, 50);
  g.LayOut(400, 200);
  g.UpdateScrollBars();
  g.SetCurrentCell(1, 3);
  g.OnKeyDown(GridKey::Enter);
  ASSERT_TRUE(g.editorShown);
  EXPECT_EQ(g.editorBox.top, 80);
  g.OnMouseWheel(false, -120);
  EXPECT_TRUE(g.editorShown);
  EXPECT_EQ(g.editorBox.top, 60);
  for (int i = 0; i < 3; ++i)
    g.OnMouseWheel(false, -120);
  EXPECT_FALSE(g.editorShown);
  EXPECT_EQ(g.Cell(1, 3), "31"); // nothing stored
}

TEST(GridEdit, EnterOnACellOutOfViewScrollsItBackFirst) {
  TestGrid g(3, 50);
  g.LayOut(400, 200);
  g.UpdateScrollBars();
  g.SetCurrentCell(0, 2);
  for (int i = 0; i < 10; ++i)
    g.OnMouseWheel(false, -120);
  ASSERT_EQ(g.FirstRow(), 10);
  g.OnKeyDown(GridKey::Enter);
  ASSERT_TRUE(g.editorShown);
  EXPECT_EQ(g.FirstRow(), 2);
  EXPECT_EQ(g.editorBox, (CRect{40, 20, 99, 39}));
  EXPECT_EQ(g.editorText, "20");
}

TEST(GridEdit, CurrentCellStaysInsideWhenTheTableShrinks) {
  TestGrid g(3, 50);
  g.LayOut(400, 200);
  g.UpdateScrollBars();
  g.SetCurrentCell(1, 45);
  ASSERT_GT(g.FirstRow(), 30);
  g.rows = 4;
  g.cells.resize(12);
  CRecordingDC dc;
  g.OnDraw(&dc);
  EXPECT_EQ(g.CurrentRow(), 3);
  EXPECT_EQ(g.FirstRow(), 0);
  g.OnKeyDown(GridKey::Enter);
  EXPECT_EQ(g.editorText, "31");
}

TEST(GridCommands, CopyWritesEveryCellFollowedByATab) {
  TestGrid g(3, 2);
  EXPECT_EQ(g.CopyText(), "0\t1\t2\t\r\n10\t11\t12\t\r\n");
}

TEST(GridCommands, PasteWalksFromTheCurrentCellAndNeverGrows) {
  TestGrid g(3, 3);
  const auto pasted = g.PasteText(QStringLiteral("a\tb\r\nc\td\r\n"));
  EXPECT_EQ(pasted.stored, 4);
  EXPECT_EQ(pasted.refused, 0);
  EXPECT_EQ(g.Cell(0, 0), "a");
  EXPECT_EQ(g.Cell(1, 0), "b");
  EXPECT_EQ(g.Cell(0, 1), "c");
  EXPECT_EQ(g.Cell(1, 1), "d");
  EXPECT_EQ(g.Cell(0, 2), "20");
  // Marking the document modified is the cells' own business: only a changed value does.
  EXPECT_EQ(g.modified, 0);
  EXPECT_EQ(g.CurrentRow(), 0);

  // Surplus fields of a line are skipped, lines below the last row ignored, the read-only
  // column left alone, a refused field skipped.
  TestGrid h(3, 3);
  h.SetCurrent(1, 1);
  h.PasteText(QStringLiteral("p\tq\tr\ts\nt\tx\n\nu\tv\n"));
  EXPECT_EQ(h.Cell(1, 1), "p");
  EXPECT_EQ(h.Cell(2, 1), "12"); // read-only
  EXPECT_EQ(h.Cell(1, 2), "t");
  EXPECT_EQ(h.Cell(2, 2), "22");
  EXPECT_EQ(h.Cell(0, 2), "20");
  EXPECT_EQ(h.stored, 2);
  EXPECT_EQ(h.CurrentColumn(), 1);

  // A single field without a line end; an empty field is stored as it is.
  TestGrid k(3, 3);
  k.PasteText(QStringLiteral("1.5"));
  EXPECT_EQ(k.Cell(0, 0), "1.5");
  k.PasteText(QStringLiteral("\t9"));
  EXPECT_EQ(k.Cell(0, 0), "");
  EXPECT_EQ(k.Cell(1, 0), "9");
  // Copied text pasted back at the same place writes the table back.
  TestGrid m(3, 3);
  const QString copied = m.CopyText();
  m.Cell(0, 1) = "changed";
  m.PasteText(copied);
  EXPECT_EQ(m.CopyText(), copied);
  EXPECT_EQ(m.events.back(), "update");
}

TEST(GridCommands, PasteOfArbitraryTextStaysInsideTheTable) {
  // Texts of tabs, line ends, carriage returns, digits and other characters, pasted from every
  // cell: nothing outside the table is touched and the walk always ends.
  const QString alphabet = QStringLiteral("\t\t\n\r\r\n01.5-e,x \u00e9");
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 300; ++round) {
    TestGrid g(3, 4);
    QString text;
    const int length = static_cast<int>(next() % 60);
    for (int i = 0; i < length; ++i)
      text += alphabet[static_cast<int>(next() % alphabet.size())];
    g.SetCurrent(static_cast<int>(next() % 3), static_cast<int>(next() % 4));
    g.PasteText(text);
    EXPECT_EQ(g.cells.size(), 12u);
    EXPECT_LE(g.stored, 12);
    for (int r = 0; r < 4; ++r)
      EXPECT_EQ(g.Cell(2, r), QString::number(r * 10 + 2));
  }
}

TEST(GridCommands, FillBuildsTheSequenceByRepeatedAddition) {
  TestGrid g(3, 5);
  g.Fill(true, 10, 0.5, false, false);
  for (int r = 0; r < 5; ++r)
    EXPECT_EQ(g.Cell(0, r), QString::number(10 + 0.5 * r)) << r;
  g.SetCurrent(1, 0);
  g.Fill(true, 0, 1, true, true);
  EXPECT_EQ(g.Cell(1, 0), "0");
  EXPECT_EQ(g.Cell(1, 1), "0.25");
  EXPECT_EQ(g.Cell(1, 4), "1");
  // From the current row on; six significant digits.
  g.SetCurrent(0, 3);
  g.Fill(true, 1.23456789, 1, true, false);
  EXPECT_EQ(g.Cell(0, 2), "11");
  EXPECT_EQ(g.Cell(0, 3), "1.23457");
  EXPECT_EQ(g.Cell(0, 4), "2.23457");
  // A row: the read-only column is skipped.
  g.SetCurrent(0, 1);
  g.Fill(false, 5, 7, false, true);
  EXPECT_EQ(g.Cell(0, 1), "5");
  EXPECT_EQ(g.Cell(1, 1), "6");
  EXPECT_EQ(g.Cell(2, 1), "12");
  g.SetCurrent(1, 2);
  g.Fill(false, 3, 9, true, true);
  EXPECT_EQ(g.Cell(1, 2), "3");
  // Evenly over a single cell: it gets value 1.
  g.SetCurrent(0, 4);
  g.Fill(true, 8, 100, true, true);
  EXPECT_EQ(g.Cell(0, 4), "8");
  g.SetCurrent(1, 2);
  // The current cell is where it was.
  EXPECT_EQ(g.CurrentColumn(), 1);
  EXPECT_EQ(g.CurrentRow(), 2);
}

} // namespace
