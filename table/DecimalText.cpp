#include "table/DecimalText.h"

#include <cctype>
#include <charconv>
#include <string>
#include <system_error>

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The length of the decimal number at the start of s (sign excluded), or 0 when there is none.
std::size_t DecimalLength(std::string_view s, std::size_t i) {
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i]))
    ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i]))
      ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j]))
        ++j;
      i = j;
    }
  }
  return i - start;
}

} // namespace

bool ParseDecimalText(std::string_view text, double& value, bool decimalComma) {
  std::string_view s = text;
  std::string withPoint;
  if (decimalComma) {
    const auto comma = text.find(',');
    if (comma != std::string_view::npos && text.find(',', comma + 1) == std::string_view::npos &&
        text.find('.') == std::string_view::npos) {
      withPoint.assign(text);
      withPoint[comma] = '.';
      s = withPoint;
    }
  }
  std::size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
    ++i;
  if (i == s.size()) {
    // Nothing but blanks: the empty text reads as 0; blanks alone are not a number.
    if (!s.empty()) return false;
    value = 0.0;
    return true;
  }
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  const std::size_t length = DecimalLength(s, i);
  if (length == 0 || i + length != s.size()) return false;
  double v = 0.0;
  const auto [end, ec] =
      std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  value = (negative ? -v : v) + 0.0; // no negative zero
  return true;
}
