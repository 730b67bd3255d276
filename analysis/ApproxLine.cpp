#include "analysis/ApproxLine.h"

#include <bit>
#include <cstring>

namespace vexa {

void PutLE32(std::uint8_t* out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetLE32(const std::uint8_t* in) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(in[i]) << (8 * i);
  return v;
}

void PutLEDouble(std::uint8_t* out, double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

double GetLEDouble(const std::uint8_t* in) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

void ApproxLine::Encode(std::uint8_t* out) const {
  const double doubles[] = {sigmaVeq, a, b, deltaA, deltaB, deltaVeq, veq, rhoXY, rhoAB};
  for (int i = 0; i < 9; ++i) PutLEDouble(out + 8 * i, doubles[i]);
  std::memcpy(out + 72, reserved72.data(), reserved72.size());
  PutLE32(out + 80, static_cast<std::uint32_t>(status));
  PutLE32(out + 84, static_cast<std::uint32_t>(firstPoint));
  PutLE32(out + 88, static_cast<std::uint32_t>(endPoint));
  std::memcpy(out + 92, reserved92.data(), reserved92.size());
}

ApproxLine ApproxLine::Decode(const std::uint8_t* in) {
  ApproxLine line;
  double* doubles[] = {&line.sigmaVeq, &line.a,        &line.b,     &line.deltaA, &line.deltaB,
                       &line.deltaVeq, &line.veq,      &line.rhoXY, &line.rhoAB};
  for (int i = 0; i < 9; ++i) *doubles[i] = GetLEDouble(in + 8 * i);
  std::memcpy(line.reserved72.data(), in + 72, line.reserved72.size());
  line.status = static_cast<std::int32_t>(GetLE32(in + 80));
  line.firstPoint = static_cast<std::int32_t>(GetLE32(in + 84));
  line.endPoint = static_cast<std::int32_t>(GetLE32(in + 88));
  std::memcpy(line.reserved92.data(), in + 92, line.reserved92.size());
  return line;
}

} // namespace vexa
