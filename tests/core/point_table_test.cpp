#include "document/PointTable.h"

#include <gtest/gtest.h>

using vexa::ParsePointTable;
using vexa::TableError;
using vexa::TablePoint;

namespace {

std::vector<TablePoint> Parse(const std::string& text) {
  std::vector<TablePoint> points;
  TableError error;
  EXPECT_TRUE(ParsePointTable(text, points, &error)) << error.line << ": " << error.message;
  return points;
}

TableError Fail(const std::string& text) {
  std::vector<TablePoint> points;
  TableError error;
  EXPECT_FALSE(ParsePointTable(text, points, &error)) << text;
  return error;
}

} // namespace

TEST(PointTable, SeparatorsHeadersCommentsAndDecimalCommas) {
  const auto comma = Parse("# V0 = 50 ml\nV_ml,pH\n0,2.5\n\n1.5 , 3\r\n");
  ASSERT_EQ(comma.size(), 2u);
  EXPECT_EQ(comma[1].volume, 1.5);
  EXPECT_EQ(comma[1].pH, 3);

  const auto semicolon = Parse("\xEF\xBB\xBFV;pH\n0,5;7,25\n1;8;\n");
  ASSERT_EQ(semicolon.size(), 2u);
  EXPECT_EQ(semicolon[0].volume, 0.5);
  EXPECT_EQ(semicolon[0].pH, 7.25);

  const auto tab = Parse("1,25\t9,5\n2\t10");
  ASSERT_EQ(tab.size(), 2u);
  EXPECT_EQ(tab[0].volume, 1.25);

  const auto blanks = Parse("  0.0   2.1\n1e-1 2.2\n+3 4\n");
  ASSERT_EQ(blanks.size(), 3u);
  EXPECT_EQ(blanks[1].volume, 0.1);
  EXPECT_EQ(blanks[2].volume, 3);
}

TEST(PointTable, BadLinesAreNamed) {
  EXPECT_EQ(Fail("V,pH\n1,2\n3,x\n").line, 3);
  EXPECT_EQ(Fail("1,2\nV,pH\n").line, 2); // only the first line may be a header
  EXPECT_EQ(Fail("1,2,3\n").line, 1);
  EXPECT_EQ(Fail("1\n").line, 1);
  const TableError negative = Fail("0,1\n-1,2\n");
  EXPECT_EQ(negative.line, 2);
  EXPECT_NE(negative.message.find(">= 0"), std::string::npos);
  EXPECT_EQ(Fail("1,inf\n").line, 1);
  EXPECT_EQ(Fail("nan,1\n").line, 1);
  EXPECT_EQ(Fail("0x10,1\n").line, 1);
  EXPECT_EQ(Fail("1e999,1\n").line, 1);
  EXPECT_EQ(Fail("1,5 2\n").line, 1); // a decimal comma needs ';' or a tab
  EXPECT_EQ(Fail("").line, 0);
  EXPECT_EQ(Fail("# only a comment\nV,pH\n").line, 0);
}
