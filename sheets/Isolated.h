#pragma once
// Inside the spreadsheet reader: work on untrusted bytes done by a library that cannot be
// trusted with them (FreeXL reads outside its buffers on crafted compound files) runs in a
// child process. A crash, a hang or an allocation beyond the limit there ends the child's
// output early; it never takes this process with it. Plain C++ and POSIX.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace vexa::sheets {

struct IsolationLimits {
  std::chrono::milliseconds time{30'000};           // the whole run, wall clock
  std::int64_t memoryBytes = std::int64_t{1} << 30; // address space the child may add
};

// The child's side: whole messages, each a type and a payload, gathered into pieces of 64 kB
// before they are sent (the child ends with a Flush).
class ChildChannel {
public:
  explicit ChildChannel(int fd) : fd_(fd) {}
  void Put(char type, const std::string& payload = {});
  void Flush();

private:
  int fd_;
  std::string pending_;
};

// The parent's side.
class ParentChannel {
public:
  ParentChannel(int fd, std::chrono::steady_clock::time_point deadline,
                std::chrono::milliseconds time)
      : fd_(fd), deadline_(deadline), time_(time) {}
  // The next message; false when the child's output ends cleanly between messages. Throws
  // SheetError when the time is up, when the output ends inside a message, or when a payload
  // is longer than maxPayload.
  bool Next(char& type, std::string& payload, std::size_t maxPayload);

private:
  bool Fill(std::size_t wanted); // false at the end of the output
  int fd_;
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::milliseconds time_;
  std::string buffer_;
  std::size_t at_ = 0;
};

// Runs child(channel) in a child process, which ends with it, and parent(channel) here on
// what the child writes. A SheetError the child throws is sent as a message of type 'E' with
// its text; any other exception as 'E' "the workbook cannot be read". The child is ended and
// reaped before this returns or throws what parent throws.
void RunIsolated(const std::function<void(ChildChannel&)>& child,
                 const std::function<void(ParentChannel&)>& parent,
                 const IsolationLimits& limits = {});

// Payload helpers: a 32-bit number in little-endian order.
void PutNumber(std::string& payload, std::uint32_t value);
std::uint32_t TakeNumber(const std::string& payload, std::size_t& at); // throws at the end

} // namespace vexa::sheets
