#pragma once
// The settings store: the drawing colours and marker (section "Settings\Draw"), the column
// widths of a table view ("Settings\Sizes") and its number format ("Settings\Formats"), all
// through the profile functions. Plain C++, no Qt.
#include <array>
#include <cstdint>
#include <string>

class CProfile;

// Colours are 0x00BBGGRR values.
struct DrawSettings {
  std::uint32_t gridColor = 0;
  std::uint32_t borderColor = 0;
  std::uint32_t derivColor = 0;
  std::uint32_t plotColor = 0;
  std::uint32_t markerFillColor = 0;
  std::uint32_t markerOutlineColor = 0;
  std::uint32_t beginColor = 0;
  std::uint32_t endColor = 0;
  std::int32_t markerType = 0; // 0 ... 7
  std::int32_t markerSize = 0;

  // The values on a machine with nothing stored.
  static DrawSettings Defaults();
  bool operator==(const DrawSettings&) const = default;
};

inline constexpr const char* kDrawSection = "Settings\\Draw";
inline constexpr const char* kSizesSection = "Settings\\Sizes";
inline constexpr const char* kFormatsSection = "Settings\\Formats";

// Ten integer reads with their defaults, taken as they are.
DrawSettings ReadDrawSettings(const CProfile& profile);
// Ten integer writes in the same order; failures are ignored.
void WriteDrawSettings(const CProfile& profile, const DrawSettings& s);

// --- the column widths of a table view (its run-time class name) ---
inline constexpr int kColumnCount = 4;
inline constexpr int kMinColumnWidth = 40;
inline constexpr int kMaxColumnWidth = 150;
using ColumnWidths = std::array<int, kColumnCount>;
int ClampColumnWidth(int width);
// The stored widths; a value that is not exactly 16 bytes gives the defaults (four widths of 40
// without any), which are written back at once. Widths are clamped to 40 ... 150.
ColumnWidths ReadColumnWidths(const CProfile& profile, const std::string& viewClass,
                              const ColumnWidths* defaults = nullptr);
void WriteColumnWidths(const CProfile& profile, const std::string& viewClass,
                       const ColumnWidths& widths);

// --- the number format of a table view ---
// True for a single printf conversion of one double: optional flags, width and precision, then
// one of e E f F g G; "%%" may stand anywhere. Anything else could read past the arguments.
bool IsSafeNumberFormat(const std::string& format);
// The stored format; a missing, empty or unsafe value gives "%g", which is written back.
std::string ReadNumberFormat(const CProfile& profile, const std::string& viewClass);
void WriteNumberFormat(const CProfile& profile, const std::string& viewClass,
                       const std::string& format);
