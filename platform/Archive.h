#pragma once
// A little-endian binary archive over a byte buffer. Every field is packed byte by byte, so
// the layout of a file never depends on the compiler. Reading past the end throws the archive
// exception with the cause endOfFile; a reader that finds a file it cannot accept throws it
// with badSchema.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vexa {

// Little-endian packing of single fields, shared by the archive and the records it carries.
void PutLE32(std::uint8_t* out, std::uint32_t v);
void PutLEDouble(std::uint8_t* out, double v);
std::uint32_t GetLE32(const std::uint8_t* in);
double GetLEDouble(const std::uint8_t* in);

class ArchiveException : public std::runtime_error {
public:
  // The causes, numbered as the document framework numbers them.
  enum Cause {
    none = 0,
    genericException = 1,
    readOnly = 2,
    endOfFile = 3,
    writeOnly = 4,
    badIndex = 5,
    badClass = 6,
    badSchema = 7,
  };
  explicit ArchiveException(Cause cause, const std::string& what = {});
  Cause cause() const noexcept { return cause_; }

private:
  Cause cause_;
};

class Archive {
public:
  // An archive that stores into an empty buffer.
  Archive();
  // An archive that loads from the given bytes (they must outlive the archive).
  explicit Archive(std::string_view bytes);

  bool IsStoring() const noexcept { return storing_; }
  bool IsLoading() const noexcept { return !storing_; }

  void WriteInt32(std::int32_t v);
  void WriteDouble(double v);
  void WriteBytes(const void* data, std::size_t size);

  std::int32_t ReadInt32();
  double ReadDouble();
  void ReadBytes(void* data, std::size_t size);

  // Loading: bytes not read yet. Storing: bytes written so far.
  std::size_t Remaining() const noexcept { return in_.size() - pos_; }
  // Loading: the bytes not read yet.
  std::string_view Unread() const noexcept { return in_.substr(pos_); }
  const std::string& Stored() const noexcept { return out_; }
  std::string TakeStored() { return std::move(out_); }

private:
  const std::uint8_t* Take(std::size_t size);
  bool storing_;
  std::string out_;
  std::string_view in_;
  std::size_t pos_ = 0;
};

} // namespace vexa
