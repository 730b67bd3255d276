#include "platform/Archive.h"

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


ArchiveException::ArchiveException(Cause cause, const std::string& what)
    : std::runtime_error(what.empty() ? "archive exception" : what), cause_(cause) {}

Archive::Archive() : storing_(true) {}

Archive::Archive(std::string_view bytes) : storing_(false), in_(bytes) {}

void Archive::WriteInt32(std::int32_t v) {
  std::uint8_t b[4];
  PutLE32(b, static_cast<std::uint32_t>(v));
  WriteBytes(b, 4);
}

void Archive::WriteDouble(double v) {
  std::uint8_t b[8];
  PutLEDouble(b, v);
  WriteBytes(b, 8);
}

void Archive::WriteBytes(const void* data, std::size_t size) {
  if (!storing_) throw ArchiveException(ArchiveException::readOnly, "archive is loading");
  out_.append(static_cast<const char*>(data), size);
}

const std::uint8_t* Archive::Take(std::size_t size) {
  if (storing_) throw ArchiveException(ArchiveException::writeOnly, "archive is storing");
  if (size > Remaining())
    throw ArchiveException(ArchiveException::endOfFile, "unexpected end of file");
  const auto* p = reinterpret_cast<const std::uint8_t*>(in_.data()) + pos_;
  pos_ += size;
  return p;
}

std::int32_t Archive::ReadInt32() { return static_cast<std::int32_t>(GetLE32(Take(4))); }

double Archive::ReadDouble() { return GetLEDouble(Take(8)); }

void Archive::ReadBytes(void* data, std::size_t size) {
  const auto* p = Take(size);
  if (size) std::memcpy(data, p, size);
}

} // namespace vexa
