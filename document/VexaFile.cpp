// The .vexa file: a fixed little-endian layout of 1284 + 16·n bytes.
#include "platform/Archive.h"
#include "document/TitrationSystem.h"
#include "platform/AtomicFile.h"

#include <cstring>
#include <vector>

namespace vexa {

namespace {

constexpr char kMagic[4] = {'V', 'E', 'X', 'A'};
constexpr std::int32_t kVersion = 4096;
constexpr std::size_t kLineTableBytes = ApproxLine::kBytes * TitrationSystem::kMaxLines;

[[noreturn]] void Refuse(const char* why) {
  throw ArchiveException(ArchiveException::badSchema, why);
}

} // namespace

void TitrationSystem::WriteTo(Archive& ar) const {
  ar.WriteBytes(kMagic, 4);
  ar.WriteInt32(kVersion);
  ar.WriteInt32(reservedWord);
  ar.WriteBytes(title, kTitleBytes);
  ar.WriteDouble(initialVolume);
  ar.WriteDouble(pKw);
  ar.WriteDouble(cTit);
  ar.WriteInt32(pointCount);
  for (int i = 0; i < pointCount; ++i) ar.WriteDouble(volume[i]);
  for (int i = 0; i < pointCount; ++i) ar.WriteDouble(pH[i]);
  ar.WriteInt32(lineCount);
  std::uint8_t table[kLineTableBytes];
  for (int j = 0; j < kMaxLines; ++j)
    lines[static_cast<std::size_t>(j)].Encode(table + ApproxLine::kBytes * static_cast<std::size_t>(j));
  ar.WriteBytes(table, sizeof table);
}

void TitrationSystem::ReadFrom(Archive& ar) {
  try {
    char magic[4];
    ar.ReadBytes(magic, 4);
    const std::int32_t version = ar.ReadInt32();
    // A file is refused only when both the magic and the version are wrong.
    if (std::memcmp(magic, kMagic, 4) != 0 && version != kVersion) Refuse("bad header");

    const std::int32_t reserved = ar.ReadInt32();
    char newTitle[kTitleBytes];
    ar.ReadBytes(newTitle, kTitleBytes);
    const double v0 = ar.ReadDouble();
    const double newPKw = ar.ReadDouble();
    const double newCTit = ar.ReadDouble();
    const std::int32_t n = ar.ReadInt32();
    // Check the count against what the file holds before allocating anything.
    if (n < 1) Refuse("no points");
    if (static_cast<std::uint64_t>(n) * 16 + 4 + kLineTableBytes > ar.Remaining())
      Refuse("file shorter than its point count");

    std::vector<double> v(static_cast<std::size_t>(n)), ph(static_cast<std::size_t>(n));
    for (auto& x : v) x = ar.ReadDouble();
    for (auto& x : ph) x = ar.ReadDouble();
    const std::int32_t newLineCount = ar.ReadInt32();
    if (newLineCount < 1 || newLineCount > kMaxLines) Refuse("bad line count");
    std::uint8_t table[kLineTableBytes];
    ar.ReadBytes(table, sizeof table);

    // Everything is read: take it over.
    reservedWord = reserved;
    std::memcpy(title, newTitle, kTitleBytes);
    title[kTitleBytes - 1] = '\0'; // a title without a terminator is cut at 200 bytes
    initialVolume = v0;
    pKw = newPKw;
    cTit = newCTit;
    pointCount = n;
    AllocatePointArrays();
    std::copy(v.begin(), v.end(), volume.data());
    std::copy(ph.begin(), ph.end(), pH.data());
    RecomputeLinearised();
    lineCount = newLineCount;
    for (int j = 0; j < kMaxLines; ++j)
      lines[static_cast<std::size_t>(j)] =
          ApproxLine::Decode(table + ApproxLine::kBytes * static_cast<std::size_t>(j));
    // Point numbers outside 0 … n−1 stay as stored: they are clamped before any use.
  } catch (const ArchiveException& e) {
    // Whatever was wrong (a bad header, a short file, impossible counts) the caller gets the
    // same format error and a new, untitled system.
    Clear();
    ResetToNew(kNewTitleId);
    if (e.cause() == ArchiveException::badSchema) throw;
    throw ArchiveException(ArchiveException::badSchema, e.what());
  }
}

bool SaveSystemFile(const TitrationSystem& sys, const std::string& path, std::string* error) {
  platform::FileError fe;
  if (!platform::WriteFileAtomically(path, StoredSystem(sys), &fe)) {
    if (error) *error = fe.message;
    return false;
  }
  return true;
}

bool LoadSystemBytes(TitrationSystem& sys, std::string_view bytes, const std::string& name,
                     std::string* error) {
  try {
    Archive ar(bytes);
    sys.ReadFrom(ar);
  } catch (const ArchiveException& e) {
    if (error) *error = name + ": not a VEXA file, or a damaged one (" + e.what() + ")";
    return false;
  }
  return true;
}

bool LoadSystemFile(TitrationSystem& sys, const std::string& path, std::string* error) {
  platform::FileError fe;
  const auto bytes = platform::ReadWholeFile(path, &fe);
  if (!bytes) {
    if (error) *error = fe.message;
    sys.Clear();
    sys.ResetToNew(TitrationSystem::kNewTitleId);
    return false;
  }
  return LoadSystemBytes(sys, *bytes, path, error);
}

std::string StoredSystem(const TitrationSystem& sys) {
  Archive ar;
  sys.WriteTo(ar);
  return ar.TakeStored();
}

} // namespace vexa
