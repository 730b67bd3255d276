#include "table/Numbers.h"

#include "app/DrawSettings.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The length of the decimal number at the start of s (sign excluded), or 0 when there is none.
std::size_t DecimalLength(const std::string& s, std::size_t i) {
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

bool ParseNumber(const QString& text, double& value) {
  const std::string s = text.toStdString();
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

QString FormatNumber(const QString& format, double value) {
  std::string f = format.toStdString();
  if (!IsSafeNumberFormat(f)) f = "%g";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  char small[64];
  const int n = std::snprintf(small, sizeof small, f.c_str(), value);
  std::string out;
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(n));
  } else {
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), f.c_str(), value);
    out.assign(big.data(), static_cast<std::size_t>(n));
  }
#pragma GCC diagnostic pop
  // The decimal separator is a point whatever the user's locale says.
  const char* point = std::localeconv()->decimal_point;
  if (point && *point && std::string(point) != ".") {
    const std::string p(point);
    for (std::size_t at = out.find(p); at != std::string::npos; at = out.find(p, at + 1))
      out.replace(at, p.size(), ".");
  }
  return QString::fromStdString(out);
}
