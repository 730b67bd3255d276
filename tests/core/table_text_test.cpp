// Text of a table into rows of cells: encodings, line ends, separators and quotes.
#include "document/TableText.h"

#include <gtest/gtest.h>

using vexa::SplitTableText;
using vexa::TableRow;
using vexa::TableText;

namespace {

std::vector<std::string> Cells(const TableRow& row) {
  std::vector<std::string> cells;
  for (const auto& c : row.cells)
    cells.push_back(c.text);
  return cells;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(TableText, LineEndsOfEveryKindAndTheLinesTheyNumber) {
  for (const std::string end : {"\n", "\r\n", "\r"}) {
    const TableText t = SplitTableText("V,pH" + end + end + "1,2" + end + "3,4");
    ASSERT_TRUE(t.ok);
    ASSERT_EQ(t.rows.size(), 3u) << end.size();
    // The blank line is left out but still counted.
    EXPECT_EQ(t.rows[1].line, 3);
    EXPECT_EQ(t.rows[2].line, 4);
    EXPECT_EQ(Cells(t.rows[2]), (Strings{"3", "4"}));
  }
  // A CR LF is one line end, a LF CR two.
  EXPECT_EQ(SplitTableText("a\n\rb").rows.back().line, 3);
  EXPECT_EQ(SplitTableText("a\r\nb").rows.back().line, 2);
}

TEST(TableText, EncodingsByTheirMark) {
  const std::string utf8 = "V;\xC2\xB0"
                           "C\n";
  const TableText plain = SplitTableText(utf8);
  EXPECT_EQ(plain.encoding, "UTF-8");
  EXPECT_EQ(Cells(plain.rows[0]), (Strings{"V", "\xC2\xB0"
                                                "C"}));
  const TableText bom = SplitTableText("\xEF\xBB\xBF" + utf8);
  EXPECT_EQ(bom.encoding, "UTF-8 with BOM");
  EXPECT_EQ(Cells(bom.rows[0]), Cells(plain.rows[0]));

  // "V;°C\n" and a character beyond the basic plane (U+1D400) in UTF-16 both ways.
  const std::string le("\xFF\xFEV\0;\0\xB0\0C\0\x35\xD8\x00\xDC\n\0", 14);
  const std::string be("\xFE\xFF\0V\0;\0\xB0\0C\xD8\x35\xDC\x00\0\n", 14);
  for (const std::string& bytes : {le, be}) {
    const TableText t = SplitTableText(bytes);
    ASSERT_TRUE(t.ok);
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_EQ(Cells(t.rows[0]), (Strings{"V", "\xC2\xB0"
                                              "C\xF0\x9D\x90\x80"}));
  }
  EXPECT_EQ(SplitTableText(le).encoding, "UTF-16LE");
  EXPECT_EQ(SplitTableText(be).encoding, "UTF-16BE");
  // Without a mark, by its zero bytes; a lone surrogate and an odd last byte are replaced.
  const TableText bare = SplitTableText(std::string("V\0;\0\x00\xD8p\0H", 9));
  EXPECT_EQ(bare.encoding, "UTF-16LE");
  EXPECT_EQ(Cells(bare.rows[0]), (Strings{"V", "\xEF\xBF\xBDp\xEF\xBF\xBD"}));
  // Zero bytes in what is not UTF-16 are no text.
  const TableText binary = SplitTableText(std::string("\x89PNG\0\0\0\rIHDR", 12));
  EXPECT_FALSE(binary.ok);
  EXPECT_FALSE(binary.error.empty());
}

TEST(TableText, SeparatorsQuotesAndDecimalCommas) {
  const auto row = [](const std::string& line) { return SplitTableText(line).rows.at(0); };
  // The first separator the line holds outside quotes: ';', then a tab, then ','.
  EXPECT_EQ(Cells(row("1,5;2,5")), (Strings{"1,5", "2,5"}));
  EXPECT_TRUE(row("1,5;2,5").cells[0].decimalComma);
  EXPECT_EQ(Cells(row("1,5\t2,5")), (Strings{"1,5", "2,5"}));
  EXPECT_EQ(Cells(row("1.5, 2.5")), (Strings{"1.5", "2.5"}));
  EXPECT_FALSE(row("1.5,2.5").cells[0].decimalComma);
  EXPECT_EQ(Cells(row("  1.5   2.5 ")), (Strings{"1.5", "2.5"}));
  // Quotes: a separator inside does not split, "" is one quote, and a comma inside quotes is
  // a decimal comma even where the comma separates.
  const TableRow q = row("\"Volume; ml\";\"say \"\"hi\"\"\";\"0,5\"");
  EXPECT_EQ(Cells(q), (Strings{"Volume; ml", "say \"hi\"", "0,5"}));
  const TableRow c = row("\"0,5\",\"3,1\",x");
  EXPECT_EQ(Cells(c), (Strings{"0,5", "3,1", "x"}));
  EXPECT_TRUE(c.cells[0].decimalComma);
  EXPECT_FALSE(c.cells[2].decimalComma);
  // An unclosed quote ends with its line; blanks separate quoted fields too.
  EXPECT_EQ(Cells(row("\"a,b")), (Strings{"a,b"}));
  EXPECT_EQ(Cells(row("\"V ml\"  \"pH\"")), (Strings{"V ml", "pH"}));
  // A separator at the end adds no field; empty fields between separators are kept.
  EXPECT_EQ(Cells(row("1;;2;")), (Strings{"1", "", "2"}));
  // A comment keeps its text and has no cells.
  const TableRow comment = row("  # V0 = 50 ml");
  EXPECT_TRUE(comment.comment);
  EXPECT_EQ(comment.text, "# V0 = 50 ml");
  EXPECT_TRUE(comment.cells.empty());
}

TEST(TableText, SheetRowsKeepTheirNumbersAndColumnsHaveLetters) {
  const auto rows = vexa::SheetRows(
      {{"Sample volume", "25", "ml"}, {}, {"", ""}, {"V", "pH"}, {"0,5", "3"}, {"# note", "x"}});
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].line, 4);
  EXPECT_EQ(rows[0].text, "Sample volume, 25, ml");
  EXPECT_TRUE(rows[2].cells[0].decimalComma);
  EXPECT_TRUE(rows[3].comment);
  EXPECT_EQ(vexa::ColumnLetters(0), "A");
  EXPECT_EQ(vexa::ColumnLetters(25), "Z");
  EXPECT_EQ(vexa::ColumnLetters(26), "AA");
  EXPECT_EQ(vexa::ColumnLetters(701), "ZZ");
  EXPECT_EQ(vexa::ColumnLetters(702), "AAA");
  EXPECT_EQ(vexa::ColumnLetters(16383), "XFD");
}
