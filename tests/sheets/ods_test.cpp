// OpenDocument spreadsheets put together by the tests: repeated rows and cells, value types,
// paragraphs, and damaged or hostile content.
#include "SheetFiles.h"
#include "common/TempDir.h"
#include "sheets/Spreadsheet.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using test::Rows;

std::string Table(const std::string& name, const std::string& rows) {
  return "<table:table table:name=\"" + name + "\">" + rows + "</table:table>";
}

std::string Cell(const std::string& text) {
  return "<table:table-cell office:value-type=\"string\"><text:p>" + text +
         "</text:p></table:table-cell>";
}

std::string Row(const std::string& cells, const std::string& attributes = "") {
  return "<table:table-row" + attributes + ">" + cells + "</table:table-row>";
}

class Ods : public testing::Test {
protected:
  Rows Read(const std::string& rows) {
    test::WriteOds(path_, Table("Data", rows));
    std::string error;
    const auto sheet = ReadSheet(path_, "", &error);
    EXPECT_TRUE(sheet) << error;
    return sheet ? sheet->rows : Rows{};
  }
  std::string Refusal(const std::string& rows) {
    test::WriteOds(path_, Table("Data", rows));
    return Refusal();
  }
  std::string Refusal() {
    std::string error;
    EXPECT_FALSE(ReadSheet(path_, "", &error));
    return error;
  }

  test::TempDir dir_;
  const std::string path_ = dir_ / "book.ods";
};

TEST_F(Ods, RepeatedEmptyRowsAndCellsOnlyMoveThePositionOn) {
  // As a spreadsheet program writes the unused rest of a sheet, and more.
  const std::string emptyRest = "<table:table-cell table:number-columns-repeated=\"2147483647\"/>";
  EXPECT_EQ(
      Read(Row("<table:table-cell table:number-columns-repeated=\"3\"/>" + Cell("x") + emptyRest) +
           Row(emptyRest, " table:number-rows-repeated=\"1048575\"") +
           Row(emptyRest, " table:number-rows-repeated=\"9223372036854775807\"") +
           Row(emptyRest, " table:number-rows-repeated=\"99999999999999999999999\"")),
      (Rows{{"", "", "", "x"}}));
  // Rows after a long empty stretch keep their place.
  const auto rows = Read(Row(Cell("a")) + Row(emptyRest, " table:number-rows-repeated=\"100000\"") +
                         Row(Cell("b")));
  ASSERT_EQ(rows.size(), 100002u);
  EXPECT_EQ(rows.front(), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(rows[50000].empty());
  EXPECT_EQ(rows.back(), (std::vector<std::string>{"b"}));
}

TEST_F(Ods, RepeatedCellsAndRowsWithTextAreCopied) {
  EXPECT_EQ(Read(Row("<table:table-cell table:number-columns-repeated=\"3\" "
                     "office:value-type=\"float\" office:value=\"5\"><text:p>5</text:p>"
                     "</table:table-cell>") +
                 Row(Cell("r") + Cell("s"), " table:number-rows-repeated=\"2\"") + Row(Cell("t"))),
            (Rows{{"5", "5", "5"}, {"r", "s"}, {"r", "s"}, {"t"}}));
}

TEST_F(Ods, RepeatedTextBeyondTheLimitsIsRefusedBeforeItIsHeld) {
  EXPECT_EQ(Refusal(Row("<table:table-cell table:number-columns-repeated=\"16385\" "
                        "office:value-type=\"float\" office:value=\"1\"/>")),
            path_ + ": sheet \"Data\": too large to read (more than 16384 columns)");
  EXPECT_EQ(Refusal(Row("<table:table-cell table:number-columns-repeated=\"1000\" "
                        "office:value-type=\"float\" office:value=\"1\"/>",
                        " table:number-rows-repeated=\"1000000\"")),
            path_ + ": sheet \"Data\": too large to read (more than 8388608 cells)");
  EXPECT_EQ(Refusal(Row(Cell("x")) + Row("", " table:number-rows-repeated=\"10000000\"") +
                    Row(Cell("y"))),
            path_ + ": sheet \"Data\": too large to read (more than 10000000 rows)");
}

TEST_F(Ods, ValuesComeFromTheAttributesAndTextFromTheParagraphs) {
  const std::string cells =
      // The shown text follows the user's language; the value does not.
      "<table:table-cell office:value-type=\"float\" office:value=\"1.0900000000000001\">"
      "<text:p>1,09</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"percentage\" office:value=\"0.15\">"
      "<text:p>15 %</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"currency\" office:currency=\"EUR\" "
      "office:value=\"1234.5\"><text:p>1.234,50 €</text:p></table:table-cell>"
      // A formula's cell holds the value computed last.
      "<table:table-cell table:formula=\"of:=[.A1]*2\" office:value-type=\"float\" "
      "office:value=\"2.18\"><text:p>2,18</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-03-01\">"
      "<text:p>01.03.24</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"time\" office:time-value=\"PT12H30M00S\">"
      "<text:p>12:30</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"false\">"
      "<text:p>FALSCH</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"string\" office:string-value=\"given\">"
      "<text:p>shown</text:p></table:table-cell>";
  EXPECT_EQ(Read(Row(cells)), (Rows{{"1.09", "0.15", "1234.5", "2.18", "2024-03-01", "PT12H30M00S",
                                     "FALSE", "given"}}));
}

TEST_F(Ods, ParagraphsSpacesAndNotes) {
  const std::string cells =
      Cell("two<text:s text:c=\"2\"/>spaces,<text:tab/>a tab") +
      "<table:table-cell office:value-type=\"string\"><text:p>first</text:p>"
      "<text:p>second<text:line-break/>line</text:p></table:table-cell>" +
      // Runs of white space in the XML are one space; notes and annotations are no text.
      "<table:table-cell office:value-type=\"string\"><office:annotation><text:p>a remark"
      "</text:p></office:annotation><text:p>\n   V,\n   <text:span>ml</text:span>"
      "<text:note><text:note-body><text:p>1</text:p></text:note-body></text:note>   </text:p>"
      "</table:table-cell>" +
      // A shape anchored in a cell is no part of its text.
      "<table:table-cell><draw:frame><draw:text-box><text:p>shape</text:p></draw:text-box>"
      "</draw:frame></table:table-cell>" +
      Cell("<text:a xlink:href=\"x\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">link</text:a>");
  EXPECT_EQ(Read(Row(cells)),
            (Rows{{"two  spaces,\ta tab", "first\nsecond\nline", "V, ml", "", "link"}}));
}

TEST_F(Ods, RowsInGroupsAndCoveredCellsCount) {
  EXPECT_EQ(Read("<table:table-column table:number-columns-repeated=\"3\"/>"
                 "<table:table-header-rows>" +
                 Row(Cell("V") + Cell("pH")) + "</table:table-header-rows><table:table-row-group>" +
                 Row("<table:table-cell table:number-columns-spanned=\"2\">"
                     "<text:p>merged</text:p></table:table-cell><table:covered-table-cell/>" +
                     Cell("c")) +
                 "<table:table-row-group>" + Row(Cell("deep")) +
                 "</table:table-row-group></table:table-row-group>" +
                 Row("<table:covered-table-cell office:value-type=\"float\" office:value=\"4\"/>")),
            (Rows{{"V", "pH"}, {"merged", "", "c"}, {"deep"}, {"4"}}));
}

TEST_F(Ods, TablesAreListedInOrderAndOnlyTheWantedOneIsRead) {
  test::WriteOds(path_, Table("One", Row(Cell("1"))) +
                            Table("Two", Row(Cell("2") + Cell(Table("Inner", Row(Cell("i")))))) +
                            "<table:named-expressions/>" + Table("Three", Row(Cell("3"))));
  std::string error;
  EXPECT_EQ(SheetNames(path_, &error), (std::vector<std::string>{"One", "Two", "Three"})) << error;
  const auto sheet = ReadSheet(path_, "Three", &error);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->rows, (Rows{{"3"}}));
}

TEST_F(Ods, APackageWithoutItsMimetypeEntryIsKnownByItsManifest) {
  test::WriteZip(path_, {{"META-INF/manifest.xml",
                          "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:"
                          "xmlns:manifest:1.0\"><manifest:file-entry manifest:full-path=\"/\" "
                          "manifest:media-type=\"application/vnd.oasis.opendocument."
                          "spreadsheet\"/></manifest:manifest>"},
                         {"content.xml", test::OdsContent(Table("T", Row(Cell("x"))))}});
  EXPECT_EQ(DetectSpreadsheet(path_), SpreadsheetFormat::Ods);
  std::string error;
  const auto sheet = ReadSheet(path_, "", &error);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->rows, (Rows{{"x"}}));
}

TEST_F(Ods, AnEncryptedDocumentIsRefused) {
  test::WriteOds(path_, Table("T", ""),
                 "<manifest:file-entry manifest:full-path=\"content.xml\" "
                 "manifest:media-type=\"text/xml\"><manifest:encryption-data "
                 "manifest:checksum-type=\"SHA1/1K\" manifest:checksum=\"x\"/>"
                 "</manifest:file-entry>");
  EXPECT_EQ(Refusal(), path_ + ": the file is protected by a password (encrypted) and cannot "
                               "be read; save it without the password and try again");
}

TEST_F(Ods, MissingOrBrokenContentIsDamage) {
  test::WriteZip(path_, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}});
  EXPECT_EQ(Refusal(), path_ + ": the file is damaged (content.xml is missing)");
  test::WriteZip(path_,
                 {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                  {"content.xml", test::OdsContent(Table("T", Row(Cell("x")))).substr(0, 300)}});
  EXPECT_EQ(Refusal(), path_ + ": the file is damaged (content.xml: it ends early)");
}

TEST_F(Ods, HugeTextIsRefused) {
  EXPECT_EQ(Refusal(Row(Cell("<text:s text:c=\"2000000000\"/>"))),
            path_ + ": sheet \"Data\": too large to read (a cell holds more than 1 MB of text)");
  std::string many;
  for (int i = 0; i < 3000; ++i)
    many += "<text:s text:c=\"1000\"/>";
  EXPECT_EQ(Refusal(Row(Cell(many))),
            path_ + ": sheet \"Data\": too large to read (a cell holds more than 1 MB of text)");
}

TEST_F(Ods, ANameWithSpecialCharactersIsKept) {
  test::WriteOds(path_, Table("Проба &amp; 2", Row(Cell("x"))));
  std::string error;
  EXPECT_EQ(SheetNames(path_, &error), (std::vector<std::string>{"Проба & 2"})) << error;
  const auto sheet = ReadSheet(path_, "проба & 2", &error); // any case, Cyrillic too
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->name, "Проба & 2");
}

} // namespace
} // namespace vexa
