// The grid the readers fill, with small limits, and the numbers' text.
#include "sheets/SheetBuilder.h"
#include "sheets/Spreadsheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>

namespace vexa::sheets {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string TooLargeMessage(SheetBuilder& builder, const std::function<void(SheetBuilder&)>& step) {
  try {
    step(builder);
  } catch (const SheetError& e) {
    return e.what();
  }
  return "no refusal";
}

TEST(SheetBuilder, KeepsPositionsAndLeavesOutTheEmptyEnd) {
  SheetBuilder builder;
  builder.SetCell(2, "c");
  builder.SetCell(0, "a");
  builder.SetCell(5, ""); // empty text changes nothing, not even the width
  builder.EndRow(1);
  builder.EndRow(3); // a row with no text is not stored
  builder.SetCell(0, "x");
  builder.EndRow(4);
  EXPECT_EQ(builder.Take(), (Rows{{}, {"a", "", "c"}, {}, {}, {"x"}}));
}

TEST(SheetBuilder, ARowGivenTwiceKeepsTheEarlierCellsUnlessOverwritten) {
  SheetBuilder builder;
  builder.SetCell(0, "a");
  builder.SetCell(1, "b");
  builder.EndRow(0);
  builder.SetCell(1, "B");
  builder.SetCell(3, "D");
  builder.EndRow(0);
  EXPECT_EQ(builder.Take(), (Rows{{"a", "B", "", "D"}}));
}

TEST(SheetBuilder, RepeatsCopyTheRow) {
  SheetBuilder builder;
  builder.SetCell(1, "v");
  builder.EndRow(2, 3);
  EXPECT_EQ(builder.Take(), (Rows{{}, {}, {"", "v"}, {"", "v"}, {"", "v"}}));
}

TEST(SheetBuilder, LimitsAreCheckedBeforeAnythingIsStored) {
  SheetLimits limits;
  limits.rows = 10;
  limits.columns = 4;
  limits.cells = 20;
  limits.textBytes = 12;
  limits.cellBytes = 5;
  {
    SheetBuilder builder(limits);
    EXPECT_EQ(TooLargeMessage(builder, [](auto& b) { b.SetCell(4, "x"); }),
              "too large to read (more than 4 columns)");
    EXPECT_EQ(TooLargeMessage(builder, [](auto& b) { b.SetCell(0, "123456"); }),
              "too large to read (a cell holds more than 5 bytes of text)");
    builder.SetCell(0, "x");
    EXPECT_EQ(TooLargeMessage(builder, [](auto& b) { b.EndRow(9, 2); }),
              "too large to read (more than 10 rows)");
    EXPECT_EQ(TooLargeMessage(builder, [](auto& b) { b.EndRow(-1); }),
              "too large to read (more than 10 rows)");
  }
  {
    // Five rows of four cells, and the rows themselves: more than 20.
    SheetBuilder builder(limits);
    builder.SetCell(3, "x");
    EXPECT_EQ(TooLargeMessage(builder, [](auto& b) { b.EndRow(0, 5); }),
              "too large to read (more than 20 cells)");
    builder.SetCell(3, "x");
    builder.EndRow(0, 4); // 4 rows + 16 cells
    EXPECT_EQ(builder.Take().size(), 4u);
  }
  {
    // Empty rows before a row count too.
    SheetBuilder builder(limits);
    builder.SetCell(0, "x");
    builder.EndRow(9);
    EXPECT_EQ(builder.Take().size(), 10u);
    limits.cells = 10;
    SheetBuilder small(limits);
    small.SetCell(0, "x");
    EXPECT_EQ(TooLargeMessage(small, [](auto& b) { b.EndRow(9); }),
              "too large to read (more than 10 cells)");
  }
  {
    SheetBuilder builder(limits);
    builder.SetCell(0, "abcde");
    builder.SetCell(1, "abcde");
    EXPECT_EQ(TooLargeMessage(builder, [](auto& b) { b.SetCell(2, "abc"); }),
              "too large to read (more than 12 bytes of text)");
    // Overwriting a cell counts the new text in place of the old.
    builder.SetCell(1, "ab");
    builder.SetCell(2, "ab");
    builder.EndRow(0);
    builder.SetCell(0, "xy");
    EXPECT_EQ(TooLargeMessage(builder, [](auto& b) { b.EndRow(1, 2); }),
              "too large to read (more than 12 bytes of text)");
  }
}

TEST(SheetNumbers, TheShortestTextThatReadsBackTheSameNumber) {
  EXPECT_EQ(NumberText("7.0000000000000007E-2"), "0.07");
  EXPECT_EQ(NumberText(" 1.0900000000000001\n"), "1.09");
  EXPECT_EQ(NumberText("2.0000000000000004"), "2.0000000000000004");
  EXPECT_EQ(NumberText("1E+22"), "1e+22");
  EXPECT_EQ(NumberText("-0"), "0");
  EXPECT_EQ(NumberText("12345678"), "12345678");
  // Not a finite number: the text as it is.
  EXPECT_EQ(NumberText(" n/a "), "n/a");
  EXPECT_EQ(NumberText("inf"), "inf");
  EXPECT_EQ(NumberText("NaN"), "NaN");
  EXPECT_EQ(NumberText("1e999"), "1e999");
  EXPECT_EQ(NumberText("1,5"), "1,5");
  EXPECT_EQ(NumberText("+1"), "+1");
  EXPECT_EQ(NumberText(""), "");
}

TEST(SheetNumbers, EveryDoubleReadsBackExactly) {
  std::mt19937_64 random(20240301);
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = SheetNumberText(value);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    const double back = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(back, value) << text;
    // Written the way a spreadsheet program writes it (17 digits), it comes out the same.
    char seventeen[64];
    std::snprintf(seventeen, sizeof seventeen, "%.17E", value);
    ASSERT_EQ(NumberText(seventeen), text) << seventeen;
  }
}

} // namespace
} // namespace vexa::sheets
