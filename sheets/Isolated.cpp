#include "sheets/Isolated.h"

#include "sheets/SheetBuilder.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VEXA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXA_ADDRESS_SANITIZER 1
#endif
#endif

namespace vexa::sheets {

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

#if !defined(VEXA_ADDRESS_SANITIZER)
// The address space the process holds now, from /proc/self/statm (in pages).
std::int64_t AddressSpace() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return -1;
  long long pages = -1;
  if (std::fscanf(statm, "%lld", &pages) != 1) pages = -1;
  std::fclose(statm);
  return pages < 0 ? -1 : static_cast<std::int64_t>(pages) * ::sysconf(_SC_PAGESIZE);
}
#endif

[[noreturn]] void RunChild(int fd, const std::function<void(ChildChannel&)>& child,
                           std::int64_t memoryBytes) {
  // Whatever this process does on a fault or a signal is not for the child to do.
  for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGPIPE, SIGTERM, SIGINT,
                           SIGHUP, SIGQUIT, SIGXCPU, SIGXFSZ})
    std::signal(signal, SIG_DFL);
  // Nothing of this process's files but the channel, and no terminal to write to.
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
  }
  if (fd > 3) ::close_range(3, static_cast<unsigned>(fd) - 1, 0);
  ::close_range(static_cast<unsigned>(fd) + 1, ~0U, 0);
#if !defined(VEXA_ADDRESS_SANITIZER)
  // (The address sanitizer reserves terabytes of address space up front.)
  if (const std::int64_t now = AddressSpace(); now > 0) {
    const rlimit limit{static_cast<rlim_t>(now + memoryBytes),
                       static_cast<rlim_t>(now + memoryBytes)};
    ::setrlimit(RLIMIT_AS, &limit);
  }
#else
  (void)memoryBytes;
#endif
  ChildChannel channel(fd);
  try {
    child(channel);
  } catch (const SheetError& e) {
    channel.Put('E', e.what());
  } catch (...) {
    channel.Put('E', "the workbook cannot be read");
  }
  channel.Flush();
  ::_exit(0);
}

} // namespace

void PutNumber(std::string& payload, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    payload += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t TakeNumber(const std::string& payload, std::size_t& at) {
  if (payload.size() < 4 || at > payload.size() - 4)
    throw Damaged("the workbook reader's answer is cut short");
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(payload[at + i])) << (8 * i);
  at += 4;
  return value;
}

void ChildChannel::Put(char type, const std::string& payload) {
  pending_ += type;
  PutNumber(pending_, static_cast<std::uint32_t>(payload.size()));
  pending_ += payload;
  if (pending_.size() >= 64 * 1024) Flush();
}

void ChildChannel::Flush() {
  if (!WriteAll(fd_, pending_.data(), pending_.size())) ::_exit(1); // the parent has gone
  pending_.clear();
}

bool ParentChannel::Fill(std::size_t wanted) {
  while (buffer_.size() - at_ < wanted) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%g", static_cast<double>(time_.count()) / 1000);
      throw Damaged(std::string("the workbook could not be read within ") + seconds + " s");
    }
    pollfd wait{fd_, POLLIN, 0};
    const int ready = ::poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
    if (ready < 0 && errno != EINTR) throw Damaged("the workbook reader cannot be heard");
    if (ready <= 0) continue;
    if (at_ > 0) {
      buffer_.erase(0, at_);
      at_ = 0;
    }
    char piece[64 * 1024];
    const ssize_t got = ::read(fd_, piece, sizeof piece);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Damaged("the workbook reader cannot be heard");
    }
    if (got == 0) return false;
    buffer_.append(piece, static_cast<std::size_t>(got));
  }
  return true;
}

bool ParentChannel::Next(char& type, std::string& payload, std::size_t maxPayload) {
  if (!Fill(5)) {
    if (buffer_.size() == at_) return false;
    throw Damaged("the workbook reader stopped");
  }
  type = buffer_[at_];
  std::size_t at = at_ + 1;
  const std::uint32_t size = TakeNumber(buffer_, at);
  if (size > maxPayload) throw Damaged("the workbook reader's answer is too long");
  if (!Fill(5 + size)) throw Damaged("the workbook reader stopped");
  payload.assign(buffer_, at_ + 5, size);
  at_ += 5 + size;
  return true;
}

void RunIsolated(const std::function<void(ChildChannel&)>& child,
                 const std::function<void(ParentChannel&)>& parent, const IsolationLimits& limits) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw SheetError("cannot start the workbook reader");
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    throw SheetError("cannot start the workbook reader");
  }
  if (pid == 0) {
    ::close(fds[0]);
    RunChild(fds[1], child, limits.memoryBytes);
  }
  ::close(fds[1]);
  const auto finish = [&] {
    ::close(fds[0]);
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == 0) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }
  };
  try {
    ParentChannel channel(fds[0], std::chrono::steady_clock::now() + limits.time, limits.time);
    parent(channel);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

} // namespace vexa::sheets
