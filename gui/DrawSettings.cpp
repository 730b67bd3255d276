#include "gui/DrawSettings.h"

#include "gui/Profile.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace {
struct Entry {
  const char* name;
  std::uint32_t DrawSettings::*field;
  std::uint32_t def;
};
// In the order they are read and written.
const Entry kColours[] = {
    {"grid_color", &DrawSettings::gridColor, 0xC8C8C8},
    {"border_color", &DrawSettings::borderColor, 0x000000},
    {"deriv_color", &DrawSettings::derivColor, 0x808080},
    {"plot_color", &DrawSettings::plotColor, 0x0000FF},
    {"begin_color", &DrawSettings::beginColor, 0x0000FF},
    {"end_color", &DrawSettings::endColor, 0x00FF00},
    {"marker_fill_color", &DrawSettings::markerFillColor, 0xFF0000},
    {"marker_outline_color", &DrawSettings::markerOutlineColor, 0xFF0000},
};
constexpr int kDefaultMarkerType = 0;
constexpr int kDefaultMarkerSize = 6;
} // namespace

DrawSettings DrawSettings::Defaults() {
  DrawSettings s;
  for (const auto& e : kColours)
    s.*e.field = e.def;
  s.markerType = kDefaultMarkerType;
  s.markerSize = kDefaultMarkerSize;
  return s;
}

DrawSettings ReadDrawSettings(const CProfile& profile) {
  DrawSettings s;
  for (const auto& e : kColours)
    s.*e.field = static_cast<std::uint32_t>(
        profile.GetProfileInt(kDrawSection, e.name, static_cast<int>(e.def)));
  s.markerType = profile.GetProfileInt(kDrawSection, "marker_type", kDefaultMarkerType);
  s.markerSize = profile.GetProfileInt(kDrawSection, "marker_size", kDefaultMarkerSize);
  return s;
}

void WriteDrawSettings(const CProfile& profile, const DrawSettings& s) {
  for (const auto& e : kColours)
    profile.WriteProfileInt(kDrawSection, e.name, static_cast<int>(s.*e.field));
  profile.WriteProfileInt(kDrawSection, "marker_type", s.markerType);
  profile.WriteProfileInt(kDrawSection, "marker_size", s.markerSize);
}

int ClampColumnWidth(int width) {
  return width < kMinColumnWidth   ? kMinColumnWidth
         : width > kMaxColumnWidth ? kMaxColumnWidth
                                   : width;
}

ColumnWidths ReadColumnWidths(const CProfile& profile, const std::string& viewClass,
                              const ColumnWidths* defaults) {
  ColumnWidths widths;
  widths.fill(kMinColumnWidth);
  if (defaults)
    for (std::size_t i = 0; i < widths.size(); ++i)
      widths[i] = ClampColumnWidth((*defaults)[i]);
  std::vector<std::uint8_t> data;
  if (!profile.GetProfileBinary(kSizesSection, viewClass, data) ||
      data.size() != kColumnCount * 4) {
    WriteColumnWidths(profile, viewClass, widths);
    return widths;
  }
  for (int i = 0; i < kColumnCount; ++i) {
    const std::uint8_t* p = &data[static_cast<std::size_t>(i) * 4];
    const auto v = static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                             (static_cast<std::uint32_t>(p[3]) << 24));
    widths[static_cast<std::size_t>(i)] = ClampColumnWidth(v);
  }
  return widths;
}

void WriteColumnWidths(const CProfile& profile, const std::string& viewClass,
                       const ColumnWidths& widths) {
  std::vector<std::uint8_t> data;
  for (int w : widths) {
    const auto u = static_cast<std::uint32_t>(w);
    data.insert(data.end(),
                {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                 static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)});
  }
  profile.WriteProfileBinary(kSizesSection, viewClass, data);
}

bool IsSafeNumberFormat(const std::string& format) {
  int conversions = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    ++i;
    if (i < format.size() && format[i] == '%') continue;
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
      ++i;
    std::size_t digits = 0;
    while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
      ++i, ++digits;
    if (digits > 3) return false;
    if (i < format.size() && format[i] == '.') {
      ++i;
      digits = 0;
      while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
        ++i, ++digits;
      if (digits > 3) return false;
    }
    if (i >= format.size() || std::string_view("eEfFgG").find(format[i]) == std::string_view::npos)
      return false;
    ++conversions;
  }
  return conversions == 1;
}

std::string ReadNumberFormat(const CProfile& profile, const std::string& viewClass) {
  std::string format = profile.GetProfileString(kFormatsSection, viewClass);
  if (format.empty() || !IsSafeNumberFormat(format)) {
    format = "%g";
    WriteNumberFormat(profile, viewClass, format);
  }
  return format;
}

void WriteNumberFormat(const CProfile& profile, const std::string& viewClass,
                       const std::string& format) {
  profile.WriteProfileString(kFormatsSection, viewClass, format);
}
