#pragma once
// Test helpers: zip packages written entry by entry, and the smallest .xlsx and .ods packages
// around a given sheet.
#include <string>
#include <utility>
#include <vector>

namespace vexa::test {

using Rows = std::vector<std::vector<std::string>>;

struct ZipEntry {
  std::string name;
  std::string bytes;
  bool encrypted = false; // with a password, as an archiver can encrypt an entry
  bool stored = false;    // kept as it is instead of compressed
};

void WriteZip(const std::string& path, const std::vector<ZipEntry>& entries);

// The entries of a workbook with the given sheets (name, worksheet XML) and shared strings
// (the <sst> element's content, none when empty), in the order: content types, the sheets'
// parts, the shared strings, the workbook, its relationships.
std::vector<ZipEntry> XlsxEntries(const std::vector<std::pair<std::string, std::string>>& sheets,
                                  const std::string& sharedStrings = "");
void WriteXlsx(const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& sheets,
               const std::string& sharedStrings = "");
ZipEntry& Entry(std::vector<ZipEntry>& entries, const std::string& name);
// A worksheet part holding the given <sheetData> content.
std::string Worksheet(const std::string& sheetData);

// An OpenDocument spreadsheet whose content.xml body holds the given tables.
void WriteOds(const std::string& path, const std::string& tables,
              const std::string& manifestExtra = "");
std::string OdsContent(const std::string& tables);

// The sample workbooks.
std::string SampleSheet(const std::string& name);

} // namespace vexa::test
