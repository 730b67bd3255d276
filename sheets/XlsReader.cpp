// The older binary workbook (.xls), read by FreeXL. FreeXL reads the whole workbook when it
// opens the file and keeps no formula results: a formula's cell comes out empty.
#include "sheets/Spreadsheet.h"
#include "sheets/Workbook.h"

#include <freexl.h>

#include <fstream>

namespace vexa::sheets {

namespace {

// A password-protected .xlsx is a compound file too, holding an "EncryptedPackage" stream in
// place of the workbook: its name stands in the compound file's directory in UTF-16.
bool HoldsEncryptedPackage(const std::string& path) {
  std::string needle;
  for (const char c : std::string("EncryptedPackage")) {
    needle += c;
    needle += '\0';
  }
  std::ifstream in(path, std::ios::binary);
  std::string window;
  std::string piece(1 << 20, '\0');
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    // Keep the end of the window so that a name split between two pieces is found.
    window = window.substr(window.size() > needle.size() ? window.size() - needle.size() : 0);
    window.append(piece, 0, got);
    if (window.find(needle) != std::string::npos) return true;
  }
  return false;
}

SheetError OpenFailure(int code, const std::string& path) {
  switch (code) {
  case FREEXL_INSUFFICIENT_MEMORY: return TooLarge("a sheet claims more cells than can be held");
  case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    return HoldsEncryptedPackage(path) ? Encrypted() : NotASpreadsheet();
  case FREEXL_UNSUPPORTED_CHARSET:
  case FREEXL_INVALID_CHARACTER:
    return SheetError("the workbook's text is in a character set that cannot be read");
  case FREEXL_INVALID_CFBF_HEADER:
  case FREEXL_CFBF_INVALID_SIGNATURE:
  case FREEXL_CFBF_INVALID_SECTOR_SIZE: return Damaged("its compound-file header is not valid");
  case FREEXL_CFBF_READ_ERROR:
  case FREEXL_CFBF_SEEK_ERROR: return Damaged("it ends early or cannot be read");
  case FREEXL_CFBF_EMPTY_FAT_CHAIN:
  case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
  case FREEXL_INVALID_MINI_STREAM:
  case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY: return Damaged("its sector tables are not valid");
  default:
    // FreeXL gives no code for some failures of its record reader (even "no error").
    return Damaged("its workbook records are not valid");
  }
}

class XlsWorkbook : public Workbook {
public:
  explicit XlsWorkbook(const std::string& path) {
    const int code = freexl_open(path.c_str(), &handle_);
    if (code != FREEXL_OK || !handle_) {
      if (handle_) freexl_close(handle_);
      handle_ = nullptr;
      throw OpenFailure(code, path);
    }
    unsigned int protection = 0;
    if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &protection) == FREEXL_OK &&
        protection == FREEXL_BIFF_OBFUSCATED) {
      freexl_close(handle_);
      throw Encrypted();
    }
  }
  ~XlsWorkbook() override { freexl_close(handle_); }
  XlsWorkbook(const XlsWorkbook&) = delete;
  XlsWorkbook& operator=(const XlsWorkbook&) = delete;

  std::vector<std::string> SheetNames() override {
    unsigned int count = 0;
    if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
      throw Damaged("its list of sheets cannot be read");
    std::vector<std::string> names;
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
      const char* name = nullptr;
      if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) != FREEXL_OK)
        throw Damaged("its list of sheets cannot be read");
      names.emplace_back(name ? name : "");
    }
    return names;
  }

  std::vector<std::vector<std::string>> ReadRows(std::size_t index) override {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK)
      throw Damaged("the sheet cannot be read");
    SheetBuilder builder;
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(handle_, r, c, &cell) != FREEXL_OK)
          throw Damaged("a cell of the sheet cannot be read");
        switch (cell.type) {
        case FREEXL_CELL_INT: builder.SetCell(c, std::to_string(cell.value.int_value)); break;
        case FREEXL_CELL_DOUBLE:
          builder.SetCell(c, SheetNumberText(cell.value.double_value));
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
          if (cell.value.text_value) builder.SetCell(c, cell.value.text_value);
          break;
        default: break;
        }
      }
      builder.EndRow(r);
    }
    return builder.Take();
  }

private:
  const void* handle_ = nullptr;
};

} // namespace

std::unique_ptr<Workbook> OpenXls(const std::string& path) {
  return std::make_unique<XlsWorkbook>(path);
}

} // namespace vexa::sheets
