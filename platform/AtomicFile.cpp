#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vexa::platform {

namespace {

// A temporary left by a killed writer is removed once it is this old.
constexpr std::time_t kStaleSeconds = 24 * 60 * 60;
// The part of the target's name kept in a temporary's name: room for the dot before it and
// the suffix after it within the 255 bytes of a file name.
constexpr std::size_t kNameBytesInTemporary = 200;
constexpr std::string_view kTemporaryTag = ".vexa-tmp-";
constexpr int kMaxLinks = 40;

void Fail(FileError* error, const std::string& what, const std::string& path, int err) {
  if (error) error->message = what + " " + path + ": " + std::strerror(err);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// True for a folder of the kernel's own file systems, whose links (/proc/self/fd/1) name open
// files rather than paths, and whose files cannot be replaced by a rename.
bool InKernelFolder(const std::string& folder) {
  char buffer[PATH_MAX];
  if (!::realpath(folder.c_str(), buffer)) return false;
  const std::string_view real(buffer);
  for (const std::string_view root : {std::string_view("/proc"), std::string_view("/sys")}) {
    if (real == root) return true;
    if (real.size() > root.size() && real.substr(0, root.size()) == root &&
        real[root.size()] == '/')
      return true;
  }
  return false;
}

struct Target {
  std::string path;
  bool exists = false;
  bool direct = false; // a special file, written in place
  struct stat st {};
};

// Follows symbolic links from path to the file a write must reach. Returns 0 or an errno.
int Resolve(const std::string& path, Target& out) {
  std::string p = path;
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) {
      if (errno != ENOENT) return errno;
      out = Target{p, false, false, {}}; // a new file (perhaps the target of a dangling link)
      return 0;
    }
    if (S_ISLNK(st.st_mode)) {
      if (InKernelFolder(FolderOf(p))) {
        struct stat opened {};
        if (::stat(p.c_str(), &opened) != 0) return errno;
        if (S_ISDIR(opened.st_mode)) return EISDIR;
        out = Target{p, true, true, opened};
        return 0;
      }
      if (hops >= kMaxLinks) return ELOOP;
      std::string link(PATH_MAX, '\0');
      const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
      if (n < 0) return errno;
      if (static_cast<std::size_t>(n) >= link.size()) return ENAMETOOLONG;
      link.resize(static_cast<std::size_t>(n));
      p = !link.empty() && link.front() == '/' ? link : FolderOf(p) + "/" + link;
      continue;
    }
    if (S_ISDIR(st.st_mode)) return EISDIR;
    const bool direct = !S_ISREG(st.st_mode) || InKernelFolder(FolderOf(p));
    out = Target{p, true, direct, st};
    return 0;
  }
}

// Removes the temporaries of this target that a killed writer of this user left behind.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const int dfd = ::dirfd(dir);
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
    bool random = true;
    for (const char c : name.substr(prefix.size()))
      random =
          random && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    if (!random) continue;
    struct stat st {};
    if (::fstatat(dfd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    if (now - st.st_mtime < kStaleSeconds) continue;
    ::unlinkat(dfd, entry->d_name, 0);
  }
  ::closedir(dir);
}

// Writes all bytes, retrying interrupted and short writes. Returns 0 or an errno.
int WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t put = ::write(fd, p, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (put == 0) return EIO;
    p += put;
    left -= static_cast<std::size_t>(put);
  }
  return 0;
}

// Makes a rename in folder durable; a failure here changes nothing that was written.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

} // namespace

std::string TemporaryPrefix(std::string_view name) {
  std::size_t keep = std::min(name.size(), kNameBytesInTemporary);
  // Cut between characters, not inside a UTF-8 sequence.
  while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
    --keep;
  std::string prefix = ".";
  prefix += name.substr(0, keep);
  prefix += kTemporaryTag;
  return prefix;
}

std::optional<std::string> ReadWholeFile(const std::string& path, FileError* error,
                                         std::size_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Fail(error, "cannot open", path, errno);
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    Fail(error, "cannot read", path, EISDIR);
    return std::nullopt;
  }
  std::string bytes;
  if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    Fail(error, "cannot read", path, EFBIG);
    return std::nullopt;
  }
  if (st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      Fail(error, "cannot read", path, err);
      return std::nullopt;
    }
    bytes.append(buffer, static_cast<size_t>(got));
    if (bytes.size() > maxBytes) {
      ::close(fd);
      Fail(error, "cannot read", path, EFBIG);
      return std::nullopt;
    }
  }
  ::close(fd);
  return bytes;
}

PreparedWrite::~PreparedWrite() {
  Abandon();
}

PreparedWrite::PreparedWrite(PreparedWrite&& other) noexcept
    : state_(std::exchange(other.state_, State::kEmpty)), direct_(other.direct_),
      path_(std::move(other.path_)), target_(std::move(other.target_)),
      temp_(std::move(other.temp_)), bytes_(std::move(other.bytes_)) {}

PreparedWrite& PreparedWrite::operator=(PreparedWrite&& other) noexcept {
  if (this != &other) {
    Abandon();
    state_ = std::exchange(other.state_, State::kEmpty);
    direct_ = other.direct_;
    path_ = std::move(other.path_);
    target_ = std::move(other.target_);
    temp_ = std::move(other.temp_);
    bytes_ = std::move(other.bytes_);
  }
  return *this;
}

void PreparedWrite::Abandon() noexcept {
  if (state_ == State::kPrepared && !temp_.empty()) ::unlink(temp_.c_str());
  if (state_ == State::kPrepared) state_ = State::kEmpty;
  temp_.clear();
  bytes_.clear();
}

bool PreparedWrite::Prepare(const std::string& path, std::string_view bytes, FileError* error,
                            unsigned mode) {
  Abandon();
  state_ = State::kEmpty;
  path_ = path;
  Target t;
  if (const int err = Resolve(path, t)) {
    Fail(error, "cannot write", path, err);
    return false;
  }
  target_ = t.path;
  direct_ = t.direct;
  if (direct_) {
    if (::access(target_.c_str(), W_OK) != 0) {
      Fail(error, "cannot write", path, errno);
      return false;
    }
    bytes_.assign(bytes);
    state_ = State::kPrepared;
    return true;
  }

  const std::string folder = FolderOf(target_);
  const std::string prefix = TemporaryPrefix(NameOf(target_));
  RemoveStaleTemporaries(folder, prefix);
  std::string temp = folder + "/" + prefix + "XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    Fail(error, "cannot write", path, errno);
    return false;
  }
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(error, "cannot write", path, err);
    return false;
  };
  if (t.exists) {
    // The replacement keeps the owner (where this user may give it) and the mode.
    if (t.st.st_uid != ::geteuid() || t.st.st_gid != ::getegid())
      (void)::fchown(fd, t.st.st_uid, t.st.st_gid);
    ::fchmod(fd, t.st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, static_cast<mode_t>(mode) & ~mask);
  }
  if (const int err = WriteAll(fd, bytes)) return abandon(err);
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    Fail(error, "cannot write", path, err);
    return false;
  }
  temp_ = std::move(temp);
  state_ = State::kPrepared;
  return true;
}

bool PreparedWrite::Commit(FileError* error) {
  if (state_ != State::kPrepared) {
    Fail(error, "cannot write", path_, EINVAL);
    return false;
  }
  if (direct_) {
    struct stat st {};
    const bool regular = ::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    // A regular file reached through /proc/self/fd is a redirection the caller's shell
    // opened: add to it rather than cut what is there.
    const int fd =
        ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (regular ? O_APPEND : 0));
    if (fd < 0) {
      const int err = errno;
      Abandon();
      Fail(error, "cannot write", path_, err);
      return false;
    }
    int err = WriteAll(fd, bytes_);
    if (!err && regular && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    Abandon();
    if (err) {
      Fail(error, "cannot write", path_, err);
      return false;
    }
    state_ = State::kCommitted;
    return true;
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    Abandon();
    Fail(error, "cannot write", path_, err);
    return false;
  }
  temp_.clear();
  state_ = State::kCommitted;
  SyncFolder(FolderOf(target_));
  return true;
}

bool CommitAll(std::span<PreparedWrite> writes, FileError* error) {
  bool ok = true;
  for (const bool directPass : {true, false}) {
    for (PreparedWrite& w : writes) {
      if (!ok || !w.prepared() || w.direct() != directPass) continue;
      ok = w.Commit(error);
    }
  }
  if (!ok)
    for (PreparedWrite& w : writes)
      w.Abandon();
  return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, FileError* error,
                         unsigned mode) {
  PreparedWrite write;
  return write.Prepare(path, bytes, error, mode) && write.Commit(error);
}

} // namespace vexa::platform
