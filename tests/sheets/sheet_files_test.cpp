// The sample workbooks (made by scripts/make-test-sheets.py) in each format, and whole files
// that are damaged, encrypted or no workbook at all.
#include "SheetFiles.h"
#include "common/TempDir.h"
#include "sheets/Spreadsheet.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vexa {
namespace {

using test::Rows;
using test::SampleSheet;

Rows Run1(bool xls) {
  return {
      {"Sample", "HCl with NaOH"},
      {"V0, ml", "20"},
      {},
      {"V, ml", "pH", "", "note"},
      {"0", "1.07"},
      {"0.5", "1.09"},
      {"1", "1.1"},
      // The cell holds the formula =A7+0.5; FreeXL keeps no formula results.
      {xls ? "" : "1.5", "1.15"},
      {"2.0000000000000004", "1.2"},
      {"2.5", "1.3333333333333333"},
      {"3", "12"},
  };
}

Rows Run2(bool xls) {
  return {
      {"V, ml", "pH"},
      {"0", "2.87"},
      {"1", "4.75"},
      {"2", "8.72"},
      {},
      {"checked", xls ? "1" : "TRUE"}, // a boolean
      {"label", "run 2"},              // a formula giving text (a plain text in the .xls)
  };
}

struct Sample {
  const char* file;
  SpreadsheetFormat format;
};

class SampleWorkbook : public testing::TestWithParam<Sample> {
protected:
  std::string path() const { return SampleSheet(GetParam().file); }
  bool xls() const { return GetParam().format == SpreadsheetFormat::Xls; }
};

TEST_P(SampleWorkbook, IsRecognisedByContent) {
  EXPECT_EQ(DetectSpreadsheet(path()), GetParam().format);
  EXPECT_TRUE(IsSpreadsheetFile(path()));
  // The name does not matter: the same bytes under another name are the same workbook.
  test::TempDir dir;
  const std::string renamed = dir / "export.dat";
  test::WriteFile(renamed, test::ReadFile(path()));
  EXPECT_EQ(DetectSpreadsheet(renamed), GetParam().format);
  std::string error;
  const auto sheet = ReadSheet(renamed, "", &error);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->rows, Run1(xls()));
}

TEST_P(SampleWorkbook, ListsItsSheetsInOrder) {
  std::string error;
  EXPECT_EQ(SheetNames(path(), &error), (std::vector<std::string>{"Run 1", "Run 2"})) << error;
}

TEST_P(SampleWorkbook, ReadsTheFirstSheetWhenNoneIsNamed) {
  std::string error;
  const auto sheet = ReadSheet(path(), "", &error);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->name, "Run 1");
  EXPECT_EQ(sheet->rows, Run1(xls()));
}

TEST_P(SampleWorkbook, ReadsASheetByName) {
  std::string error;
  auto sheet = ReadSheet(path(), "Run 2", &error);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->name, "Run 2");
  EXPECT_EQ(sheet->rows, Run2(xls()));
  // Case does not matter when it picks one sheet; the sheet keeps its own name.
  sheet = ReadSheet(path(), "run 2", &error);
  ASSERT_TRUE(sheet) << error;
  EXPECT_EQ(sheet->name, "Run 2");
}

TEST_P(SampleWorkbook, NamesTheSheetsWhenTheNamedOneIsMissing) {
  std::string error;
  EXPECT_FALSE(ReadSheet(path(), "Run 3", &error));
  EXPECT_EQ(error, path() + ": no sheet named \"Run 3\"; the sheets are: Run 1, Run 2");
}

TEST_P(SampleWorkbook, ATruncatedCopyIsRefusedAsDamaged) {
  test::TempDir dir;
  const std::string bytes = test::ReadFile(path());
  for (const std::size_t keep : {bytes.size() / 3, bytes.size() - 200}) {
    const std::string cut = dir / ("cut" + std::string(GetParam().file));
    test::WriteFile(cut, bytes.substr(0, keep));
    std::string error;
    EXPECT_FALSE(ReadSheet(cut, "", &error)) << keep;
    EXPECT_EQ(error.rfind(cut + ": the file is damaged (", 0), 0u) << error;
    EXPECT_TRUE(SheetNames(cut, &error).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, SampleWorkbook,
                         testing::Values(Sample{"titration.xlsx", SpreadsheetFormat::Xlsx},
                                         Sample{"titration.ods", SpreadsheetFormat::Ods},
                                         Sample{"titration.xls", SpreadsheetFormat::Xls}),
                         [](const auto& param) {
                           const std::string file = param.param.file;
                           return file.substr(file.find('.') + 1);
                         });

TEST(SpreadsheetFile, EncryptedWorkbooksAreRefusedWithTheReason) {
  // A password record in a binary workbook, and the compound file a protected .xlsx becomes.
  for (const char* name : {"password.xls", "encrypted.xlsx"}) {
    std::string error;
    EXPECT_FALSE(ReadSheet(SampleSheet(name), "", &error));
    EXPECT_EQ(error, SampleSheet(name) +
                         ": the file is protected by a password (encrypted) and cannot be read; "
                         "save it without the password and try again");
  }
}

TEST(SpreadsheetFile, ADamagedCompoundFileIsRefused) {
  // Its directory claims a name of 65535 bytes in a field of 64. FreeXL, which reads it in a
  // child process, reads beyond its buffer; this process only hears that it failed.
  const std::string path = SampleSheet("damaged.xls");
  EXPECT_TRUE(IsSpreadsheetFile(path)); // by its first bytes
  std::string error;
  EXPECT_FALSE(ReadSheet(path, "", &error));
  EXPECT_EQ(error.rfind(path + ": the file is damaged (", 0), 0u) << error;
}

TEST(SpreadsheetFile, TextAndOtherFilesAreNotSpreadsheets) {
  test::TempDir dir;
  const std::string csv = dir / "data.xlsx";
  test::WriteFile(csv, "V, ml;pH\n0;1.07\n");
  const std::string empty = dir / "empty.ods";
  test::WriteFile(empty, "");
  for (const auto& path : {csv, empty}) {
    EXPECT_FALSE(IsSpreadsheetFile(path));
    std::string error;
    EXPECT_FALSE(ReadSheet(path, "", &error));
    EXPECT_EQ(error, path + ": not a spreadsheet file");
  }
}

TEST(SpreadsheetFile, AZipThatIsNoWorkbookIsNotASpreadsheet) {
  test::TempDir dir;
  const std::string path = dir / "data.ods";
  test::WriteZip(path, {{"readme.txt", "hello"}, {"[Content_Types].xml", "<Types/>"}});
  EXPECT_FALSE(IsSpreadsheetFile(path));
  std::string error;
  EXPECT_FALSE(ReadSheet(path, "", &error));
  EXPECT_EQ(error, path + ": not a spreadsheet file");
  // An OpenDocument text document is a package of the same kind, but no spreadsheet.
  test::WriteZip(
      path, {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}});
  EXPECT_FALSE(IsSpreadsheetFile(path));
  EXPECT_FALSE(ReadSheet(path, "", &error));
  EXPECT_EQ(error, path + ": not a spreadsheet file");
}

TEST(SpreadsheetFile, AMissingFileOrAFolderSaysSo) {
  test::TempDir dir;
  std::string error;
  EXPECT_FALSE(ReadSheet(dir / "none.xlsx", "", &error));
  EXPECT_EQ(error, dir / "none.xlsx" + ": cannot read the file: No such file or directory");
  EXPECT_FALSE(ReadSheet(dir.path(), "", &error));
  EXPECT_EQ(error, dir.path() + ": cannot read the file: it is a folder");
  EXPECT_FALSE(IsSpreadsheetFile(dir / "none.xlsx"));
  // A named pipe would keep a reader waiting for a writer that never comes.
  const std::string fifo = dir / "pipe.xlsx";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(IsSpreadsheetFile(fifo));
  EXPECT_FALSE(ReadSheet(fifo, "", &error));
  EXPECT_EQ(error, fifo + ": cannot read the file: it is not a regular file");
}

TEST(SpreadsheetFile, ADamagedArchiveIsRefused) {
  test::TempDir dir;
  // The sample .xlsx with its end (the archive's directory) cut off.
  const std::string bytes = test::ReadFile(SampleSheet("titration.xlsx"));
  const std::string path = dir / "book.xlsx";
  test::WriteFile(path, bytes.substr(0, bytes.size() - 30));
  EXPECT_FALSE(IsSpreadsheetFile(path));
  EXPECT_TRUE(HasSpreadsheetExtension(path)); // so a caller still sends it here for the reason
  std::string error;
  EXPECT_FALSE(ReadSheet(path, "", &error));
  EXPECT_EQ(error, path + ": the file is damaged (the zip archive cannot be opened)");
}

TEST(SpreadsheetFile, ACorruptedEntryFailsItsChecksum) {
  test::TempDir dir;
  // A stored (uncompressed) content part with one digit changed after the checksum was taken:
  // the XML is still well-formed, so only the checksum can tell.
  const std::string path = dir / "book.ods";
  test::WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                        {"content.xml",
                         test::OdsContent("<table:table table:name=\"T\"><table:table-row>"
                                          "<table:table-cell office:value-type=\"float\" "
                                          "office:value=\"1.25\"/></table:table-row>"
                                          "</table:table>"),
                         false, true}});
  std::string error;
  ASSERT_TRUE(ReadSheet(path, "", &error)) << error;
  std::string bytes = test::ReadFile(path);
  const auto at = bytes.find("1.25");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 3] = '6';
  test::WriteFile(path, bytes);
  EXPECT_FALSE(ReadSheet(path, "", &error));
  EXPECT_EQ(error, path + ": the file is damaged (content.xml fails its checksum)");
}

TEST(SpreadsheetFile, ExtensionsOfSpreadsheetFiles) {
  for (const char* name : {"a.xlsx", "B.XLSX", "c.xlsm", "d.ods", "e.ots", "f.xls", "dir.x/g.Xls"})
    EXPECT_TRUE(HasSpreadsheetExtension(name)) << name;
  for (const char* name : {"a.csv", "xlsx", "dir.xlsx/file", "a.xlsx.txt", ""})
    EXPECT_FALSE(HasSpreadsheetExtension(name)) << name;
}

} // namespace
} // namespace vexa
