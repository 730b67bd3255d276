#pragma once
// One approximating straight line G = A + B·V and the results of its last fit. The table of
// ten of these is stored in document files byte for byte, so the record has an exact 104-byte
// image (little-endian), reserved bytes included.
#include <array>
#include <cstddef>
#include <cstdint>

namespace vexa {

// Result codes of the fit, kept in ApproxLine::status by its callers.
enum LineStatus : int32_t {
  kLineFitted = 0,      // least squares with error estimates (3 or more points)
  kLineTwoPoints = 1,   // exact line through two points, no error estimates
  kLineFitFailed = -1,  // least squares failed (degenerate abscissas)
  kLineFewPoints = -2,  // the line holds one point
};

struct ApproxLine {
  double sigmaVeq = 0; // deltaVeq divided by the Student coefficient used
  double a = 0;        // intercept A
  double b = 0;        // slope B
  double deltaA = 0;
  double deltaB = 0;
  double deltaVeq = 0;
  double veq = 0;      // equivalence volume -A/B, ml
  double rhoXY = 0;    // correlation coefficient of the points (V, G)
  double rhoAB = 0;    // correlation coefficient of the estimates A and B
  std::array<std::uint8_t, 8> reserved72{};  // never computed; carried from file to file
  std::int32_t status = 0;
  std::int32_t firstPoint = 0; // point numbers counted from 0, in either order
  std::int32_t endPoint = 0;
  std::array<std::uint8_t, 12> reserved92{}; // never computed; carried from file to file

  static constexpr std::size_t kBytes = 104;

  // The file image of the record.
  void Encode(std::uint8_t* out) const;
  static ApproxLine Decode(const std::uint8_t* in);

  bool operator==(const ApproxLine&) const = default;
};

} // namespace vexa
