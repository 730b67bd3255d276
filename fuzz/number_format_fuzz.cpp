// The stored number format of the points table on arbitrary text: only a format that is one
// conversion of one double is accepted, and formatting any double with it stays in bounds.
#include "gui/DrawSettings.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#pragma GCC diagnostic ignored "-Wformat-nonliteral"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string format(reinterpret_cast<const char*>(data), size);
  if (!IsSafeNumberFormat(format)) return 0;
  if (std::memchr(format.data(), '\0', format.size())) return 0; // a C format ends at a NUL
  for (double v : {0.0, -1.5, 7.5049, 1e300, -1e-300, std::numeric_limits<double>::infinity(),
                   std::nan("")}) {
    const int n = std::snprintf(nullptr, 0, format.c_str(), v);
    if (n < 0 || n > 4096) std::abort(); // widths and precisions are at most three digits
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format.c_str(), v);
  }
  return 0;
}
