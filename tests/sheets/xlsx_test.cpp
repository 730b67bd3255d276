// .xlsx workbooks put together by the tests: cell references, value types, the workbook's
// structure, and damaged or hostile parts.
#include "SheetFiles.h"
#include "common/TempDir.h"
#include "sheets/Spreadsheet.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using test::Rows;

class Xlsx : public testing::Test {
protected:
  // Reads the sheet "Data" holding the given <sheetData> content.
  Rows Read(const std::string& sheetData, const std::string& sharedStrings = "") {
    test::WriteXlsx(path_, {{"Data", test::Worksheet(sheetData)}}, sharedStrings);
    std::string error;
    const auto sheet = ReadSheet(path_, "", &error);
    EXPECT_TRUE(sheet) << error;
    return sheet ? sheet->rows : Rows{};
  }
  // The message for a sheet that cannot be read.
  std::string Refusal(const std::string& sheetData, const std::string& sharedStrings = "") {
    test::WriteXlsx(path_, {{"Data", test::Worksheet(sheetData)}}, sharedStrings);
    return Refusal();
  }
  std::string Refusal() {
    std::string error;
    EXPECT_FALSE(ReadSheet(path_, "", &error));
    return error;
  }

  test::TempDir dir_;
  const std::string path_ = dir_ / "book.xlsx";
};

TEST_F(Xlsx, SparseCellsKeepTheirRowsAndColumns) {
  std::vector<std::string> wide(27);
  wide[26] = "27";
  EXPECT_EQ(Read("<row r=\"2\"><c r=\"C2\"><v>3</v></c><c r=\"A2\"><v>1</v></c></row>"
                 "<row r=\"5\"><c r=\"B5\" t=\"inlineStr\"><is><t>x</t></is></c></row>"
                 "<row r=\"6\"><c r=\"AA6\"><v>27</v></c></row>"),
            (Rows{{}, {"1", "", "3"}, {}, {}, {"", "x"}, wide}));
}

TEST_F(Xlsx, CellsAndRowsWithoutReferencesFollowThePreviousOnes) {
  EXPECT_EQ(Read("<row><c><v>1</v></c><c><v>2</v></c></row>"
                 "<row r=\"4\"><c r=\"B4\"><v>3</v></c><c><v>4</v></c></row>"
                 "<row><c><v>5</v></c></row>"),
            (Rows{{"1", "2"}, {}, {}, {"", "3", "4"}, {"5"}}));
}

TEST_F(Xlsx, EveryKindOfValueBecomesText) {
  const std::string strings = "<si><t>plain</t></si>"
                              "<si><r><rPr><b/></rPr><t xml:space=\"preserve\">V, </t></r>"
                              "<r><t>ml</t></r><rPh><t>PHONETIC</t></rPh></si>"
                              "<si><t/></si>";
  EXPECT_EQ(Read("<row><c t=\"s\"><v>0</v></c><c t=\"s\"><v> 1 </v></c><c t=\"s\"><v>2</v></c>"
                 "<c t=\"s\"><v>0</v></c></row>"
                 "<row><c t=\"b\"><v>1</v></c><c t=\"b\"><v>0</v></c><c t=\"e\"><v>#DIV/0!</v></c>"
                 "<c t=\"str\"><f>A1&amp;\"!\"</f><v>plain!</v></c><c t=\"d\"><v>2024-03-01</v></c>"
                 "</row>"
                 "<row><c t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r></is></c>"
                 "<c><f>1/0</f></c><c><v></v></c><c><v>  1.5 </v></c><c><v>n/a</v></c></row>",
                 strings),
            (Rows{{"plain", "V, ml", "", "plain"},
                  {"TRUE", "FALSE", "#DIV/0!", "plain!", "2024-03-01"},
                  {"inline", "", "", "1.5", "n/a"}}));
}

TEST_F(Xlsx, NumbersComeOutInTheirShortestExactForm) {
  EXPECT_EQ(Read("<row><c><v>7.0000000000000007E-2</v></c><c><v>1.0000000000000001E-5</v></c>"
                 "<c><v>-0</v></c><c><v>1E+22</v></c><c><v>123456789012</v></c>"
                 "<c><v>0.30000000000000004</v></c></row>"),
            (Rows{{"0.07", "1e-05", "0", "1e+22", "123456789012", "0.30000000000000004"}}));
}

TEST_F(Xlsx, SheetsAreFoundThroughTheWorkbooksRelationships) {
  auto entries = test::XlsxEntries({{"First", test::Worksheet("<row><c><v>1</v></c></row>")},
                                    {"Chart", "<chartsheet/>"},
                                    {"Third", test::Worksheet("<row><c><v>3</v></c></row>")}});
  // The second sheet is a chart sheet, which holds no cells and is not listed.
  auto& rels = test::Entry(entries, "xl/_rels/workbook.xml.rels").bytes;
  rels.replace(rels.find("/worksheet\" Target=\"worksheets/sheet2.xml"), 10, "/chartsheet");
  // An absolute target, and a relative one that climbs.
  rels.replace(rels.find("worksheets/sheet1.xml"), 21, "/xl/worksheets/sheet1.xml");
  rels.replace(rels.find("worksheets/sheet3.xml"), 21, "../xl/worksheets/sheet3.xml");
  test::WriteZip(path_, entries);
  std::string error;
  EXPECT_EQ(SheetNames(path_, &error), (std::vector<std::string>{"First", "Third"})) << error;
  const auto third = ReadSheet(path_, "Third", &error);
  ASSERT_TRUE(third) << error;
  EXPECT_EQ(third->rows, (Rows{{"3"}}));
  EXPECT_FALSE(ReadSheet(path_, "Chart", &error));
  EXPECT_EQ(error, path_ + ": no sheet named \"Chart\"; the sheets are: First, Third");
}

TEST_F(Xlsx, TheStrictFormsNamespacesAreUnderstood) {
  auto entries = test::XlsxEntries({{"Data", test::Worksheet("<row><c><v>1</v></c></row>")}});
  auto& workbook = test::Entry(entries, "xl/workbook.xml").bytes;
  const std::string transitional =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  workbook.replace(workbook.find(transitional), transitional.size(),
                   "http://purl.oclc.org/ooxml/officeDocument/relationships");
  test::WriteZip(path_, entries);
  std::string error;
  EXPECT_EQ(SheetNames(path_, &error), (std::vector<std::string>{"Data"})) << error;
}

TEST_F(Xlsx, ManySheetsAreNamedInPart) {
  std::vector<std::pair<std::string, std::string>> sheets;
  for (int i = 1; i <= 25; ++i)
    sheets.push_back({"S" + std::to_string(i), test::Worksheet("")});
  test::WriteXlsx(path_, sheets);
  std::string error;
  EXPECT_FALSE(ReadSheet(path_, "T", &error));
  EXPECT_EQ(error, path_ + ": no sheet named \"T\"; the sheets are: S1, S2, S3, S4, S5, S6, S7, "
                           "S8, S9, S10, S11, S12, S13, S14, S15, S16, S17, S18, S19, S20 and 5 "
                           "more");
}

TEST_F(Xlsx, ANameMatchingSeveralSheetsButNoneExactlyIsRefused) {
  test::WriteXlsx(path_, {{"Run", test::Worksheet("")}, {"RUN", test::Worksheet("")}});
  std::string error;
  EXPECT_TRUE(ReadSheet(path_, "RUN", &error)) << error;
  EXPECT_FALSE(ReadSheet(path_, "run", &error));
  EXPECT_EQ(error, path_ + ": no sheet named \"run\"; the sheets are: Run, RUN");
}

TEST_F(Xlsx, AWorkbookWithoutSheetsSaysSo) {
  test::WriteXlsx(path_, {});
  std::string error;
  EXPECT_TRUE(SheetNames(path_, &error).empty());
  EXPECT_EQ(error, path_ + ": the workbook holds no sheet");
  EXPECT_FALSE(ReadSheet(path_, "", &error));
  EXPECT_EQ(error, path_ + ": the workbook holds no sheet");
}

TEST_F(Xlsx, MissingPartsAreDamage) {
  auto entries = test::XlsxEntries({{"Data", test::Worksheet("")}});
  entries.erase(entries.begin() + 1); // the sheet's part
  test::WriteZip(path_, entries);
  EXPECT_EQ(Refusal(), path_ + ": sheet \"Data\": the file is damaged (the part of sheet "
                               "\"Data\" is missing)");
  entries = test::XlsxEntries({{"Data", test::Worksheet("")}});
  auto& rels = test::Entry(entries, "xl/_rels/workbook.xml.rels").bytes;
  rels.replace(rels.find("rId1"), 4, "rId9");
  test::WriteZip(path_, entries);
  EXPECT_EQ(Refusal(), path_ + ": the file is damaged (xl/workbook.xml lists sheet \"Data\" "
                               "without a part)");
}

TEST_F(Xlsx, ABadSharedStringIndexIsDamage) {
  EXPECT_EQ(Refusal("<row r=\"3\"><c r=\"B3\" t=\"s\"><v>1</v></c></row>", "<si><t>a</t></si>"),
            path_ + ": sheet \"Data\": the file is damaged (xl/worksheets/sheet1.xml: cell B3 "
                    "refers to shared string 1, which does not exist)");
  EXPECT_EQ(Refusal("<row><c t=\"s\"><v>-1</v></c></row>", "<si><t>a</t></si>"),
            path_ + ": sheet \"Data\": the file is damaged (xl/worksheets/sheet1.xml: cell A1 "
                    "refers to shared string -1, which does not exist)");
}

TEST_F(Xlsx, BadReferencesAreDamage) {
  EXPECT_EQ(Refusal("<row><c r=\"1A\"><v>1</v></c></row>"),
            path_ + ": sheet \"Data\": the file is damaged (xl/worksheets/sheet1.xml: \"1A\" is "
                    "not a cell reference)");
  EXPECT_EQ(Refusal("<row r=\"0\"><c><v>1</v></c></row>"),
            path_ + ": sheet \"Data\": the file is damaged (xl/worksheets/sheet1.xml: \"0\" is "
                    "not a row number)");
}

TEST_F(Xlsx, SheetsBeyondTheLimitsAreRefusedBeforeAnythingIsHeld) {
  EXPECT_EQ(Refusal("<row r=\"10000001\"><c><v>1</v></c></row>"),
            path_ + ": sheet \"Data\": too large to read (more than 10000000 rows)");
  EXPECT_EQ(Refusal("<row><c r=\"A99999999999999999999\"><v>1</v></c></row>"),
            path_ + ": sheet \"Data\": too large to read (more than 10000000 rows)");
  EXPECT_EQ(Refusal("<row><c r=\"XFE1\"><v>1</v></c></row>"),
            path_ + ": sheet \"Data\": too large to read (more than 16384 columns)");
  // The last column is still a column.
  const auto rows = Read("<row><c r=\"XFD1\"><v>1</v></c></row>");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].size(), 16384u);
}

TEST_F(Xlsx, ACellBeyondTheTextLimitIsRefused) {
  const std::string big(600 * 1024, 'x');
  EXPECT_EQ(Refusal("<row><c t=\"inlineStr\"><is><t>" + big + big + "</t></is></c></row>"),
            path_ + ": sheet \"Data\": too large to read (a cell holds more than 1 MB of text)");
  // In runs, and as a shared string.
  EXPECT_EQ(Refusal("<row><c t=\"s\"><v>0</v></c></row>",
                    "<si><r><t>" + big + "</t></r><r><t>" + big + "</t></r></si>"),
            path_ + ": sheet \"Data\": too large to read (a cell holds more than 1 MB of text)");
}

TEST_F(Xlsx, MalformedXmlIsDamage) {
  const std::string error = Refusal("<row><c><v>1</v></row>");
  EXPECT_EQ(error.rfind(path_ + ": sheet \"Data\": the file is damaged "
                                "(xl/worksheets/sheet1.xml: not well-formed XML at line 2: ",
                        0),
            0u)
      << error;
}

TEST_F(Xlsx, ADocumentTypeDeclarationIsRefused) {
  // Entity declarations would let a few bytes stand for any amount of text.
  auto entries = test::XlsxEntries({{"Data", ""}});
  test::Entry(entries, "xl/worksheets/sheet1.xml").bytes =
      "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY a \"aaaaaaaaaa\">]>"
      "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>&a;&a;</t></is></c></row>"
      "</sheetData></worksheet>";
  test::WriteZip(path_, entries);
  EXPECT_EQ(Refusal(), path_ + ": sheet \"Data\": the file is damaged (xl/worksheets/sheet1.xml: "
                               "it has a document type declaration)");
}

TEST_F(Xlsx, AnEntryEncryptedByTheArchiverIsRefused) {
  auto entries = test::XlsxEntries({{"Data", test::Worksheet("<row><c><v>1</v></c></row>")}});
  test::Entry(entries, "xl/worksheets/sheet1.xml").encrypted = true;
  test::WriteZip(path_, entries);
  EXPECT_EQ(Refusal(), path_ + ": sheet \"Data\": the file is protected by a password "
                               "(encrypted) and cannot be read; save it without the password "
                               "and try again");
}

TEST_F(Xlsx, ABinaryWorkbookIsNamedAsSuch) {
  test::WriteZip(path_, {{"[Content_Types].xml",
                          "<Types><Override PartName=\"/xl/workbook.bin\" ContentType=\""
                          "application/vnd.ms-excel.sheet.binary.macroEnabled.main\"/></Types>"}});
  EXPECT_FALSE(IsSpreadsheetFile(path_));
  EXPECT_EQ(Refusal(), path_ + ": binary workbooks (.xlsb) cannot be read; save the workbook "
                               "as .xlsx and try again");
}

TEST_F(Xlsx, AWorkbookWithMacrosIsAWorkbook) {
  auto entries = test::XlsxEntries({{"Data", test::Worksheet("<row><c><v>1</v></c></row>")}});
  auto& types = test::Entry(entries, "[Content_Types].xml").bytes;
  const std::string plain =
      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
  types.replace(types.find(plain), plain.size(),
                "application/vnd.ms-excel.sheet.macroEnabled.main+xml");
  test::WriteZip(path_, entries);
  EXPECT_EQ(DetectSpreadsheet(path_), SpreadsheetFormat::Xlsx);
  std::string error;
  const auto sheet = ReadSheet(path_, "", &error);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->rows, (Rows{{"1"}}));
}

} // namespace
} // namespace vexa
