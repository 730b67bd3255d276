#pragma once
// Whole-file reads and writes.
//
// A write never damages what it replaces. A new file, or a regular file (a symbolic link is
// followed to its target), is written to a temporary file in the target's folder, every write
// checked, synced to disk, and only then renamed over the target; a failure leaves the target
// byte for byte as it was and no temporary behind. A device, a FIFO or another special file
// (/dev/null, /dev/stdout, /proc/self/fd/N) is never replaced: the bytes are written to it
// directly.
//
// The temporary is named ".NAME.vexa-tmp-XXXXXX" beside the target NAME. One that a killed
// program left behind is removed by the next write to the same target, once it is older than
// a day and belongs to the user who writes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vexa::platform {

struct FileError {
  std::string message; // "cannot write /tmp/a.vexa: No space left on device"
};

// Reads the whole file. Returns nullopt and fills *error when it cannot be read.
// A file larger than maxBytes (a device that never ends, such as /dev/zero) is refused once that
// much has been read: no input of the programs comes near it.
inline constexpr std::size_t kMaxReadBytes = std::size_t{512} << 20;
std::optional<std::string> ReadWholeFile(const std::string& path, FileError* error = nullptr,
                                         std::size_t maxBytes = kMaxReadBytes);

// Replaces the file at path by bytes, as described above: Prepare, then Commit. Returns false
// and fills *error on failure; the target is then unchanged and no temporary file is left.
// A new file gets mode less the umask; a file replaced keeps its mode (and, where the writer
// may set it, its owner and group).
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         FileError* error = nullptr, unsigned mode = 0644);

// One write in two steps, so that several outputs can be put in place together or not at all:
// Prepare does everything that can fail for a regular target (the temporary written and
// synced), Commit renames it over the target. For a special file Prepare only checks that it
// is there and keeps a copy of the bytes; Commit writes them to it.
// Destroying or abandoning a write that was not committed removes its temporary file.
class PreparedWrite {
public:
  PreparedWrite() = default;
  ~PreparedWrite();
  PreparedWrite(PreparedWrite&& other) noexcept;
  PreparedWrite& operator=(PreparedWrite&& other) noexcept;
  PreparedWrite(const PreparedWrite&) = delete;
  PreparedWrite& operator=(const PreparedWrite&) = delete;

  // Stages bytes for path. Returns false and fills *error when the target cannot be written
  // (a folder, a missing folder, a full disk, ...); nothing is then left behind.
  bool Prepare(const std::string& path, std::string_view bytes, FileError* error = nullptr,
               unsigned mode = 0644);
  // Puts the bytes in place. Returns false and fills *error on failure (the temporary is
  // then removed). A write is committed once.
  bool Commit(FileError* error = nullptr);
  // Removes the temporary file of a prepared write that is not to be committed.
  void Abandon() noexcept;

  bool prepared() const { return state_ == State::kPrepared; }
  // True when the target is a special file, written directly by Commit.
  bool direct() const { return direct_; }
  // The file the bytes go to: the path given, symbolic links followed.
  const std::string& target() const { return target_; }

private:
  enum class State { kEmpty, kPrepared, kCommitted };
  State state_ = State::kEmpty;
  bool direct_ = false;
  std::string path_;   // as given, for messages
  std::string target_; // symbolic links followed
  std::string temp_;   // the temporary of a regular target
  std::string bytes_;  // the bytes of a special target
};

// Commits several prepared writes: the special files first (a write to them cannot be taken
// back), then the renames. At the first failure every write not yet committed is abandoned and
// false returned with *error filled. The renames themselves only fail in unusual cases (the
// folder removed meanwhile), so in practice either every output is in place or none is.
bool CommitAll(std::span<PreparedWrite> writes, FileError* error = nullptr);

// The name of the temporary files of a target named name (its file name, no folder) begin
// with this prefix; six characters follow it.
std::string TemporaryPrefix(std::string_view name);

} // namespace vexa::platform
