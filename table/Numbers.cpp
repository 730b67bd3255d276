#include "table/Numbers.h"

#include "gui/DrawSettings.h"
#include "table/DecimalText.h"

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

bool ParseNumber(const QString& text, double& value) {
  return ParseDecimalText(text.toStdString(), value, true);
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
