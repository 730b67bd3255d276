#include "document/Archive.h"

#include "analysis/ApproxLine.h"

#include <cstring>

namespace vexa {

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
