#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vexa::platform {

namespace {

void Fail(FileError* error, const std::string& what, const std::string& path, int err) {
  if (error) error->message = what + " " + path + ": " + std::strerror(err);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, FileError* error) {
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
  }
  ::close(fd);
  return bytes;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, FileError* error,
                         unsigned mode) {
  std::string temp = FolderOf(path) + "/.vexa-XXXXXX";
  const int fd = ::mkstemp(temp.data());
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
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t put = ::write(fd, p, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      return abandon(errno);
    }
    p += put;
    left -= static_cast<size_t>(put);
  }
  // Keep the mode an existing target had; a new file gets the given mode less the umask.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, static_cast<mode_t>(mode) & ~mask);
  }
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    Fail(error, "cannot write", path, err);
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    Fail(error, "cannot write", path, err);
    return false;
  }
  return true;
}

} // namespace vexa::platform
