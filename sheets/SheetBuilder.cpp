#include "sheets/SheetBuilder.h"

#include "sheets/Spreadsheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace vexa {

std::string SheetNumberText(double value) {
  if (value == 0) return "0"; // also for -0, which a sheet shows as 0
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

namespace sheets {

SheetError Damaged(const std::string& detail) {
  return SheetError("the file is damaged (" + detail + ")");
}

SheetError TooLarge(const std::string& detail) {
  return SheetError("too large to read (" + detail + ")");
}

SheetError FileTooLarge(const std::string& detail) {
  return SheetError("the file is too large to read (" + detail + ")");
}

void CellTooLong() {
  throw TooLarge("a cell holds more than " + std::to_string(kMaxCellBytes >> 20) + " MB of text");
}

SheetError NotASpreadsheet() {
  return SheetError("not a spreadsheet file");
}

SheetError Encrypted() {
  return SheetError("the file is protected by a password (encrypted) and cannot be read; "
                    "save it without the password and try again");
}

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string NumberText(std::string_view text) {
  while (!text.empty() && IsSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back()))
    text.remove_suffix(1);
  double value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec == std::errc() && result.ptr == end && std::isfinite(value))
    return SheetNumberText(value);
  return std::string(text);
}

namespace {

std::string Count(std::int64_t n) {
  return std::to_string(n);
}
std::string Megabytes(std::int64_t bytes) {
  return bytes >= (1 << 20) ? std::to_string(bytes >> 20) + " MB"
                            : std::to_string(bytes) + " bytes";
}

} // namespace

void SheetBuilder::SetCell(std::int64_t col, std::string text) {
  if (text.empty()) return;
  if (col < 0 || col >= limits_.columns)
    throw TooLarge("more than " + Count(limits_.columns) + " columns");
  if (static_cast<std::int64_t>(text.size()) > limits_.cellBytes)
    throw TooLarge("a cell holds more than " + Megabytes(limits_.cellBytes) + " of text");
  const auto at = static_cast<std::size_t>(col);
  const std::int64_t replaced =
      at < current_.size() ? static_cast<std::int64_t>(current_[at].size()) : 0;
  const std::int64_t bytes = currentBytes_ + static_cast<std::int64_t>(text.size()) - replaced;
  if (textBytes_ + bytes > limits_.textBytes)
    throw TooLarge("more than " + Megabytes(limits_.textBytes) + " of text");
  if (at >= current_.size()) current_.resize(at + 1);
  currentBytes_ = bytes;
  current_[at] = std::move(text);
}

void SheetBuilder::EndRow(std::int64_t row, std::int64_t repeat) {
  if (current_.empty() || repeat < 1) {
    current_.clear();
    currentBytes_ = 0;
    return;
  }
  if (row < 0 || row > limits_.rows - repeat)
    throw TooLarge("more than " + Count(limits_.rows) + " rows");
  // Upper bounds first, before anything is stored (a repeat may be large): a row merged into
  // one stored before adds less.
  const auto width = static_cast<std::int64_t>(current_.size());
  const std::int64_t newRows =
      std::max<std::int64_t>(0, row + repeat - static_cast<std::int64_t>(rows_.size()));
  if (cells_ + newRows + width * repeat > limits_.cells)
    throw TooLarge("more than " + Count(limits_.cells) + " cells");
  if (textBytes_ + currentBytes_ * repeat > limits_.textBytes)
    throw TooLarge("more than " + Megabytes(limits_.textBytes) + " of text");

  const auto first = static_cast<std::size_t>(row);
  const auto end = static_cast<std::size_t>(row + repeat);
  if (rows_.size() < end) rows_.resize(end);
  cells_ += newRows;
  for (std::size_t r = first; r < end; ++r) {
    auto& target = rows_[r];
    if (target.empty()) {
      cells_ += width;
      textBytes_ += currentBytes_;
      if (r + 1 == end)
        target = std::move(current_);
      else
        target = current_;
      continue;
    }
    // The same row given twice: the later cells win.
    if (target.size() < current_.size()) {
      cells_ += width - static_cast<std::int64_t>(target.size());
      target.resize(current_.size());
    }
    for (std::size_t c = 0; c < current_.size(); ++c) {
      if (current_[c].empty()) continue;
      textBytes_ += static_cast<std::int64_t>(current_[c].size()) -
                    static_cast<std::int64_t>(target[c].size());
      target[c] = current_[c];
    }
  }
  current_.clear();
  currentBytes_ = 0;
}

std::vector<std::vector<std::string>> SheetBuilder::Take() {
  while (!rows_.empty() && rows_.back().empty())
    rows_.pop_back();
  cells_ = 0;
  textBytes_ = 0;
  return std::move(rows_);
}

} // namespace sheets
} // namespace vexa
