#include "sheets/Spreadsheet.h"

#include "sheets/Workbook.h"
#include "sheets/XmlPart.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>
#include <sys/stat.h>

namespace vexa {

namespace {

using sheets::SheetError;

enum class Container { Zip, Compound, Other };

Container ContainerOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    throw SheetError(std::string("cannot read the file: ") + std::strerror(errno));
  if (S_ISDIR(info.st_mode)) throw SheetError("cannot read the file: it is a folder");
  if (!S_ISREG(info.st_mode)) throw SheetError("cannot read the file: it is not a regular file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SheetError(std::string("cannot read the file: ") + std::strerror(errno));
  unsigned char magic[8] = {};
  in.read(reinterpret_cast<char*>(magic), sizeof magic);
  const auto got = in.gcount();
  static const unsigned char kCompound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (got == 8 && std::memcmp(magic, kCompound, 8) == 0) return Container::Compound;
  // A local file header, or the end record of an empty archive.
  if (got >= 4 && magic[0] == 'P' && magic[1] == 'K' &&
      ((magic[2] == 3 && magic[3] == 4) || (magic[2] == 5 && magic[3] == 6)))
    return Container::Zip;
  return Container::Other;
}

std::unique_ptr<sheets::Workbook> OpenWorkbook(const std::string& path) {
  switch (ContainerOf(path)) {
  case Container::Compound: return sheets::OpenXls(path);
  case Container::Zip: {
    auto zip = std::make_unique<sheets::ZipPackage>(path);
    switch (sheets::KindOfPackage(*zip)) {
    case sheets::PackageKind::Xlsx: return sheets::OpenXlsx(std::move(zip));
    case sheets::PackageKind::Ods: return sheets::OpenOds(std::move(zip));
    case sheets::PackageKind::Other: break;
    }
    break;
  }
  case Container::Other: break;
  }
  throw sheets::NotASpreadsheet();
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string NameList(const std::vector<std::string>& names) {
  constexpr std::size_t kShown = 20;
  std::string list;
  for (std::size_t i = 0; i < names.size() && i < kShown; ++i) {
    if (i > 0) list += ", ";
    list += names[i];
  }
  if (names.size() > kShown) list += " and " + std::to_string(names.size() - kShown) + " more";
  return list;
}

std::size_t SelectSheet(const std::vector<std::string>& names, const std::string& wanted) {
  if (wanted.empty()) return 0;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == wanted) return i;
  const QString key = sheets::FromUtf8(wanted);
  std::size_t found = names.size();
  std::size_t matches = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (sheets::FromUtf8(names[i]).compare(key, Qt::CaseInsensitive) == 0) {
      found = i;
      ++matches;
    }
  }
  if (matches == 1) return found;
  throw SheetError("no sheet named " + Quoted(wanted) + "; the sheets are: " + NameList(names));
}

std::vector<std::string> ListSheets(sheets::Workbook& book) {
  auto names = book.SheetNames();
  if (names.empty()) throw SheetError("the workbook holds no sheet");
  return names;
}

void Report(std::string* error, const std::string& path, const std::string& message) {
  if (error) *error = path + ": " + message;
}

} // namespace

SpreadsheetFormat DetectSpreadsheet(const std::string& path) {
  try {
    switch (ContainerOf(path)) {
    case Container::Compound: return SpreadsheetFormat::Xls;
    case Container::Zip: {
      sheets::ZipPackage zip(path);
      switch (sheets::KindOfPackage(zip)) {
      case sheets::PackageKind::Xlsx: return SpreadsheetFormat::Xlsx;
      case sheets::PackageKind::Ods: return SpreadsheetFormat::Ods;
      case sheets::PackageKind::Other: return SpreadsheetFormat::None;
      }
      break;
    }
    case Container::Other: break;
    }
  } catch (...) {
    // A file that cannot be read, a damaged archive, a binary workbook: not one we read.
  }
  return SpreadsheetFormat::None;
}

bool IsSpreadsheetFile(const std::string& path) {
  return DetectSpreadsheet(path) != SpreadsheetFormat::None;
}

bool HasSpreadsheetExtension(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  for (const char* known : {"xlsx", "xlsm", "xltx", "xltm", "ods", "ots", "xls", "xlt"})
    if (extension == known) return true;
  return false;
}

std::vector<std::string> SheetNames(const std::string& path, std::string* error) {
  try {
    const auto book = OpenWorkbook(path);
    return ListSheets(*book);
  } catch (const SheetError& e) {
    Report(error, path, e.what());
  } catch (const std::bad_alloc&) {
    Report(error, path, "not enough memory to read the file");
  } catch (...) {
    Report(error, path, "the file cannot be read");
  }
  return {};
}

std::optional<Sheet> ReadSheet(const std::string& path, const std::string& sheetName,
                               std::string* error) {
  try {
    const auto book = OpenWorkbook(path);
    const auto names = ListSheets(*book);
    const std::size_t index = SelectSheet(names, sheetName);
    Sheet sheet;
    sheet.name = names[index];
    try {
      sheet.rows = book->ReadRows(index);
    } catch (const SheetError& e) {
      throw SheetError("sheet " + Quoted(sheet.name) + ": " + e.what());
    }
    return sheet;
  } catch (const SheetError& e) {
    Report(error, path, e.what());
  } catch (const std::bad_alloc&) {
    Report(error, path, "not enough memory to read the file");
  } catch (...) {
    Report(error, path, "the file cannot be read");
  }
  return std::nullopt;
}

} // namespace vexa
