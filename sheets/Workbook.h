#pragma once
// Inside the spreadsheet reader: one opened workbook of any of the three formats, and the
// readers of single XML parts that the formats are built from (the fuzz target and the tests
// drive those directly). Every function throws SheetError.
#include "sheets/SheetBuilder.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vexa::sheets {

class XmlPart;
class ZipPackage;

class Workbook {
public:
  virtual ~Workbook() = default;
  // The sheets of cells in the workbook's order.
  virtual std::vector<std::string> SheetNames() = 0;
  // The rows of the sheet at `index` in SheetNames().
  virtual std::vector<std::vector<std::string>> ReadRows(std::size_t index) = 0;
};

// The zip package's kind by its markers: the content types of a workbook, or the
// "mimetype" entry (or manifest) of an OpenDocument spreadsheet. Throws for a binary
// workbook (.xlsb), which is a zip package too but cannot be read here.
enum class PackageKind { Other, Xlsx, Ods };
PackageKind KindOfPackage(ZipPackage& zip);

std::unique_ptr<Workbook> OpenXlsx(std::unique_ptr<ZipPackage> zip);
std::unique_ptr<Workbook> OpenOds(std::unique_ptr<ZipPackage> zip);
std::unique_ptr<Workbook> OpenXls(const std::string& path);

// The shared strings of an .xlsx workbook: one text per <si>, kept in one buffer.
class SharedStrings {
public:
  std::size_t size() const { return ends_.size(); }
  std::string at(std::size_t i) const;
  void push_back(const std::string& text);

private:
  std::string texts_;
  std::vector<std::size_t> ends_;
};

// The single parts, read from any source.
SharedStrings ParseSharedStrings(XmlPart& part);
void ParseWorksheet(XmlPart& part, const SharedStrings& strings, SheetBuilder& builder);
// The names of the tables of an OpenDocument content part, and (with `wanted` below the
// number of tables) the rows of the table at that index.
std::vector<std::string> ParseOdsContent(XmlPart& part, std::size_t wanted, SheetBuilder* builder);

// "C7" -> column 2 (0-based) and row 6 (0-based). False for a text that is not a reference
// (columns beyond XFD or rows beyond the limit are references, but too large: TooLarge).
bool ParseCellReference(QStringView text, std::int64_t& col, std::int64_t& row);

} // namespace vexa::sheets
