// The older binary workbook (.xls), read by FreeXL. FreeXL reads the whole workbook when it
// opens the file and keeps no formula results: a formula's cell comes out empty. FreeXL reads
// outside its buffers on some damaged files, so it only ever runs in a child process (see
// Isolated.h), which sends the sheet names or the cells back.
#include "sheets/Isolated.h"
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
    return SheetError("the workbook's text is in a character set that cannot be read");
  case FREEXL_INVALID_CHARACTER:
    return Damaged("some of its text is not valid in its character set");
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

// The workbook opened by FreeXL (in the child).
class FreeXl {
public:
  explicit FreeXl(const std::string& path) {
    const int code = freexl_open(path.c_str(), &handle_);
    if (code != FREEXL_OK || !handle_) {
      if (handle_) freexl_close(handle_);
      handle_ = nullptr;
      throw OpenFailure(code, path);
    }
    unsigned int protection = 0;
    if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &protection) == FREEXL_OK &&
        protection == FREEXL_BIFF_OBFUSCATED)
      throw Encrypted();
  }
  ~FreeXl() {
    if (handle_) freexl_close(handle_);
  }
  FreeXl(const FreeXl&) = delete;
  FreeXl& operator=(const FreeXl&) = delete;
  const void* handle() const { return handle_; }

private:
  const void* handle_ = nullptr;
};

constexpr std::size_t kMaxNameBytes = 64 * 1024;
constexpr std::size_t kMaxSheets = 0x10000;

void SendNames(const std::string& path, ChildChannel& out) {
  const FreeXl book(path);
  unsigned int count = 0;
  if (freexl_get_info(book.handle(), FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
    throw Damaged("its list of sheets cannot be read");
  for (unsigned int i = 0; i < count && i < kMaxSheets; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(book.handle(), static_cast<unsigned short>(i), &name) !=
        FREEXL_OK)
      throw Damaged("its list of sheets cannot be read");
    out.Put('N', std::string(name ? name : "").substr(0, kMaxNameBytes));
  }
  out.Put('D');
}

void SendCells(const std::string& path, std::size_t index, ChildChannel& out) {
  const FreeXl book(path);
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (freexl_select_active_worksheet(book.handle(), static_cast<unsigned short>(index)) !=
          FREEXL_OK ||
      freexl_worksheet_dimensions(book.handle(), &rows, &columns) != FREEXL_OK)
    throw Damaged("the sheet cannot be read");
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < columns; ++c) {
      FreeXL_CellValue cell;
      if (freexl_get_cell_value(book.handle(), r, c, &cell) != FREEXL_OK)
        throw Damaged("a cell of the sheet cannot be read");
      std::string text;
      switch (cell.type) {
      case FREEXL_CELL_INT: text = std::to_string(cell.value.int_value); break;
      case FREEXL_CELL_DOUBLE: text = SheetNumberText(cell.value.double_value); break;
      case FREEXL_CELL_TEXT:
      case FREEXL_CELL_SST_TEXT:
      case FREEXL_CELL_DATE:
      case FREEXL_CELL_DATETIME:
      case FREEXL_CELL_TIME:
        if (cell.value.text_value) text = cell.value.text_value;
        break;
      default: break;
      }
      if (text.empty()) continue;
      if (static_cast<std::int64_t>(text.size()) > kMaxCellBytes) CellTooLong();
      std::string payload;
      PutNumber(payload, r);
      PutNumber(payload, c);
      out.Put('C', payload + text);
    }
  }
  out.Put('D');
}

// The parent's side: every message until 'D'; an 'E' carries the child's refusal.
void Receive(ParentChannel& in, std::size_t maxPayload,
             const std::function<void(char, const std::string&)>& take) {
  char type = 0;
  std::string payload;
  while (in.Next(type, payload, maxPayload)) {
    if (type == 'D') return;
    if (type == 'E') throw SheetError(payload);
    take(type, payload);
  }
  throw Damaged("the workbook cannot be read"); // the child ended early: FreeXL failed
}

class XlsWorkbook : public Workbook {
public:
  explicit XlsWorkbook(std::string path) : path_(std::move(path)) {
    RunIsolated([&](ChildChannel& out) { SendNames(path_, out); },
                [&](ParentChannel& in) {
                  Receive(in, kMaxNameBytes, [&](char type, const std::string& payload) {
                    if (type != 'N' || names_.size() >= kMaxSheets)
                      throw Damaged("the workbook cannot be read");
                    names_.push_back(payload);
                  });
                });
  }

  std::vector<std::string> SheetNames() override { return names_; }

  std::vector<std::vector<std::string>> ReadRows(std::size_t index) override {
    SheetBuilder builder;
    std::int64_t row = -1;
    RunIsolated([&](ChildChannel& out) { SendCells(path_, index, out); },
                [&](ParentChannel& in) {
                  Receive(in, 8 + static_cast<std::size_t>(kMaxCellBytes),
                          [&](char type, const std::string& payload) {
                            std::size_t at = 0;
                            if (type != 'C') throw Damaged("the workbook cannot be read");
                            const std::int64_t r = TakeNumber(payload, at);
                            const std::int64_t c = TakeNumber(payload, at);
                            if (r != row) {
                              if (row >= 0) builder.EndRow(row);
                              row = r;
                            }
                            builder.SetCell(c, payload.substr(at));
                          });
                  if (row >= 0) builder.EndRow(row);
                });
    return builder.Take();
  }

private:
  std::string path_;
  std::vector<std::string> names_;
};

} // namespace

std::unique_ptr<Workbook> OpenXls(const std::string& path) {
  return std::make_unique<XlsWorkbook>(path);
}

} // namespace vexa::sheets
