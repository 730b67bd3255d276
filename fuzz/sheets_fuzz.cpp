// The spreadsheet reader on arbitrary bytes. The first byte picks what the rest is: a whole
// file (zip package or compound file), a worksheet part, a shared-strings part, or the
// content part of an OpenDocument spreadsheet. Nothing may crash, every refusal says why,
// and every row read keeps within the limits.
#include "sheets/Spreadsheet.h"
#include "sheets/Workbook.h"
#include "sheets/XmlPart.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void Check(const std::vector<std::vector<std::string>>& rows) {
  if (static_cast<std::int64_t>(rows.size()) > vexa::kMaxSheetRows) std::abort();
  if (!rows.empty() && rows.back().empty()) std::abort(); // trailing empty rows are left out
  for (const auto& row : rows) {
    if (static_cast<std::int64_t>(row.size()) > vexa::kMaxSheetColumns) std::abort();
    if (!row.empty() && row.back().empty()) std::abort(); // so are trailing empty cells
  }
}

const std::string& TempPath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/vexa-sheets-fuzz-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) std::abort();
    ::close(fd);
    static std::string made = pattern;
    std::atexit([] { ::unlink(made.c_str()); });
    return made;
  }();
  return path;
}

void WholeFile(const std::uint8_t* data, std::size_t size) {
  const std::string& path = TempPath();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) std::abort();
  vexa::DetectSpreadsheet(path);
  std::string error;
  const auto names = vexa::SheetNames(path, &error);
  if (names.empty() && error.rfind(path + ": ", 0) != 0) std::abort();
  error.clear();
  const auto sheet = vexa::ReadSheet(path, names.empty() ? "" : names.back(), &error);
  if (sheet)
    Check(sheet->rows);
  else if (error.rfind(path + ": ", 0) != 0)
    std::abort();
}

template <typename Parse> void Part(const std::uint8_t* data, std::size_t size, Parse parse) {
  // Small pieces, so that tokens are split between them as in a real archive.
  vexa::sheets::XmlPart part(
      std::make_unique<vexa::sheets::MemorySource>(
          QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), 61),
      QStringLiteral("part.xml"));
  try {
    parse(part);
  } catch (const vexa::sheets::SheetError& e) {
    if (std::string(e.what()).empty()) std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0] % 4;
  ++data;
  --size;
  using namespace vexa::sheets;
  switch (mode) {
  case 0: WholeFile(data, size); break;
  case 1:
    Part(data, size, [](XmlPart& part) {
      SharedStrings strings;
      strings.push_back("V, ml");
      strings.push_back("pH");
      SheetBuilder builder;
      ParseWorksheet(part, strings, builder);
      Check(builder.Take());
    });
    break;
  case 2:
    Part(data, size, [](XmlPart& part) {
      const auto strings = ParseSharedStrings(part);
      for (std::size_t i = 0; i < strings.size(); ++i)
        if (static_cast<std::int64_t>(strings.at(i).size()) > vexa::kMaxCellBytes) std::abort();
    });
    break;
  default:
    Part(data, size, [](XmlPart& part) {
      SheetBuilder builder;
      ParseOdsContent(part, 0, &builder);
      Check(builder.Take());
    });
    break;
  }
  return 0;
}
