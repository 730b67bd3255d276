// Captions with mark-up, the tables of the printed page, and the graph's drawing scaled onto a
// device of any resolution.
#include "report/GraphPrint.h"
#include "report/PageText.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace {

using Runs = std::vector<CaptionRun>;

TEST(Caption, MarkUpLowersAndRaisesOneCharacterOrABracedGroup) {
  EXPECT_EQ(ParseCaption(QStringLiteral("V_{tit}")),
            (Runs{{QStringLiteral("V"), 0}, {QStringLiteral("tit"), -1}}));
  EXPECT_EQ(
      ParseCaption(QStringLiteral("pK_w = 14")),
      (Runs{{QStringLiteral("pK"), 0}, {QStringLiteral("w"), -1}, {QStringLiteral(" = 14"), 0}}));
  EXPECT_EQ(ParseCaption(QStringLiteral("V·10^{-pH}")),
            (Runs{{QStringLiteral("V·10"), 0}, {QStringLiteral("-pH"), 1}}));
  EXPECT_EQ(ParseCaption(QStringLiteral("x_1_2")),
            (Runs{{QStringLiteral("x"), 0}, {QStringLiteral("12"), -1}}));
  EXPECT_EQ(ParseCaption(QStringLiteral("plain")), (Runs{{QStringLiteral("plain"), 0}}));
  EXPECT_TRUE(ParseCaption(QString()).empty());
}

TEST(Caption, AMarkerAtTheEndOrAnUnclosedGroupEndsTheCaptionQuietly) {
  EXPECT_EQ(ParseCaption(QStringLiteral("G_")), (Runs{{QStringLiteral("G"), 0}}));
  EXPECT_EQ(ParseCaption(QStringLiteral("G^{")), (Runs{{QStringLiteral("G"), 0}}));
  EXPECT_EQ(ParseCaption(QStringLiteral("C_{sub")),
            (Runs{{QStringLiteral("C"), 0}, {QStringLiteral("sub"), -1}}));
  EXPECT_EQ(ParseCaption(QStringLiteral("a_{}b")), (Runs{{QStringLiteral("ab"), 0}}));
  EXPECT_EQ(CaptionPlainText(QStringLiteral("C_{sub} ± ΔC")), QStringLiteral("Csub ± ΔC"));
}

TEST(Caption, ScriptsAreNarrowerThanTheSameTextOnTheBaseline) {
  QImage image(10, 10, QImage::Format_RGB32);
  const QFont font = PageFont(20);
  const double plain = CaptionWidth(QStringLiteral("Vtit"), font, &image);
  const double marked = CaptionWidth(QStringLiteral("V_{tit}"), font, &image);
  EXPECT_GT(marked, CaptionWidth(QStringLiteral("V"), font, &image));
  EXPECT_LT(marked, plain);
}

// ------------------------------------------------------------------ tables

PageTable TwoColumns() {
  PageTable t;
  t.font = PageFont(10);
  t.headFont = PageFont(10, true);
  t.padX = 2;
  t.padY = 1;
  t.head = {TableCell{QStringLiteral("A")}, TableCell{QStringLiteral("B")}};
  return t;
}

TEST(PageTable, ColumnsHoldTheirWidestCellAndShareWhatIsLeft) {
  QImage device(10, 10, QImage::Format_RGB32);
  PageTable t = TwoColumns();
  t.rows = {{TableCell{QStringLiteral("wide text here")}, TableCell{QStringLiteral("x")}},
            {TableCell{QStringLiteral("a")}, TableCell{QStringLiteral("y")}}};
  const std::vector<double> natural = FitColumns(t, 0, &device);
  ASSERT_EQ(natural.size(), 2u);
  EXPECT_NEAR(natural[0], CellTextWidth(t.rows[0][0], t.font, &device) + 2 * t.padX, 1e-9);
  EXPECT_GT(natural[0], natural[1]);
  // Widened to the page in proportion.
  const std::vector<double> wide = FitColumns(t, 1000, &device);
  EXPECT_NEAR(wide[0] + wide[1], 1000, 1e-6);
  EXPECT_NEAR(wide[0] / wide[1], natural[0] / natural[1], 1e-9);
  // A minimum holds.
  const std::vector<double> held = FitColumns(t, 0, &device, {0, 300});
  EXPECT_EQ(held[1], 300);
}

TEST(PageTable, AWrappingCellCountsItsLongestWordAndGrowsDownwards) {
  QImage device(10, 10, QImage::Format_RGB32);
  PageTable t = TwoColumns();
  TableCell wrap{QStringLiteral("Too few points for the least squares method!")};
  wrap.wrap = true;
  t.rows = {{TableCell{QStringLiteral("1")}, wrap}};
  const std::vector<double> widths = FitColumns(t, 0, &device);
  const QFontMetricsF fm(t.font, &device);
  double longest = 0;
  for (const QString& word : wrap.text.split(QLatin1Char(' ')))
    longest = std::max(longest, fm.horizontalAdvance(word));
  EXPECT_NEAR(widths[1], longest + 2 * t.padX, 1e-9);
  EXPECT_LT(widths[1], fm.horizontalAdvance(wrap.text) / 3);
  t.widths = widths;
  MeasureTable(t, &device);
  ASSERT_EQ(t.rowHeights.size(), 1u);
  EXPECT_GT(t.rowHeights[0], 4 * fm.height()); // a word a line
  // Explicit lines count too, and a spanning cell is not counted against one column.
  t.rows = {{TableCell{QStringLiteral("a\nb\nc")}, TableCell{QStringLiteral("d")}}};
  MeasureTable(t, &device);
  EXPECT_NEAR(t.rowHeights[0], fm.height() + 2 * fm.lineSpacing() + 2 * t.padY, 1e-9);
  TableCell span{QStringLiteral("a text far wider than both columns together")};
  span.span = 2;
  t.rows = {{span}};
  EXPECT_EQ(FitColumns(t, 0, &device), FitColumns(TwoColumns(), 0, &device));
}

// ------------------------------------------------------------------ the graph on a page

// The dark pixels of one column of an image between two rows.
int DarkRun(const QImage& image, int x, int y0, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    if (qGray(image.pixel(x, y)) < 128) ++n;
  return n;
}

TEST(GraphPrint, PensAndShapesScaleWithThePicture) {
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.scale(4, 4);
    CScaledDC dc(&painter);
    dc.SelectObject(CPen{PS_SOLID, 1, RGB(0, 0, 0)});
    dc.MoveTo(10, 20);
    dc.LineTo(90, 20); // one window pixel: four image pixels
    dc.SelectObject(CPen{PS_SOLID, 2, RGB(0, 0, 0)});
    dc.MoveTo(10, 50);
    dc.LineTo(90, 50); // two window pixels: eight
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
    dc.SelectObject(CBrush::Hollow());
    dc.Rectangle(10, 70, 90, 95); // its frame scales as well
  }
  EXPECT_NEAR(DarkRun(image, 200, 60, 100), 4, 1);
  EXPECT_NEAR(DarkRun(image, 200, 180, 220), 8, 1);
  EXPECT_NEAR(DarkRun(image, 200, 270, 290), 4, 1);
  // A line is one stroke, not pixel steps: the middle of a diagonal is as thick as its ends.
}

TEST(GraphPrint, AMarkerKeepsItsSizeAgainstThePicture) {
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.scale(4, 4);
    CScaledDC dc(&painter);
    DrawMarker(&dc, 50, 50, 10, RGB(0, 0, 0), RGB(0, 0, 0), 0);
  }
  // A 10-pixel circle of the window is 40 pixels across here.
  EXPECT_NEAR(DarkRun(image, 200, 100, 300), 40, 6);
}

TEST(GraphPrint, TheClientIsTheAreaAsAScreenShowsIt) {
  // 180 × 120 mm on a 1200-dot device: 680 × 454 window pixels.
  const double mm = 1200 / 25.4;
  const CSize client = GraphClientForRect(QRectF(0, 0, 180 * mm, 120 * mm), 1200);
  EXPECT_EQ(client.cx, 680);
  EXPECT_EQ(client.cy, 454);
  EXPECT_EQ(GraphClientForRect(QRectF(0, 0, 1, 1), 1200), (CSize{16, 16}));
}

} // namespace
