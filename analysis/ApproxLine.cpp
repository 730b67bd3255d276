#include "analysis/ApproxLine.h"

#include "platform/Archive.h"

#include <cstring>

namespace vexa {

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
