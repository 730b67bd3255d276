// Work done in a child process: what it sends arrives in order, and its crash, hang or hunger
// for memory never reaches this process.
#include "sheets/Isolated.h"
#include "sheets/SheetBuilder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vexa::sheets {
namespace {

using namespace std::chrono_literals;

struct Message {
  char type;
  std::string payload;
  bool operator==(const Message&) const = default;
};

// Every message until the output ends; the refusal text when reading throws.
std::vector<Message> Collect(const std::function<void(ChildChannel&)>& child,
                             std::string* refusal = nullptr, IsolationLimits limits = {},
                             std::size_t maxPayload = 1 << 20) {
  std::vector<Message> messages;
  try {
    RunIsolated(
        child,
        [&](ParentChannel& in) {
          Message m{};
          while (in.Next(m.type, m.payload, maxPayload))
            messages.push_back(m);
        },
        limits);
  } catch (const SheetError& e) {
    if (refusal) *refusal = e.what();
  }
  return messages;
}

bool NoChildLeft() {
  return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

TEST(Isolated, MessagesArriveWholeAndInOrder) {
  const std::string big(200 * 1024, 'x'); // more than one pipe's worth
  const auto messages = Collect([&](ChildChannel& out) {
    out.Put('N', "Run 1");
    out.Put('C', big);
    out.Put('N', std::string("a\0b", 3));
    out.Put('D');
  });
  EXPECT_EQ(messages, (std::vector<Message>{
                          {'N', "Run 1"}, {'C', big}, {'N', std::string("a\0b", 3)}, {'D', ""}}));
  EXPECT_TRUE(NoChildLeft());
}

TEST(Isolated, TheChildsRefusalsAreSentAsMessages) {
  EXPECT_EQ(Collect([](ChildChannel&) { throw Damaged("its sector tables are not valid"); }),
            (std::vector<Message>{{'E', "the file is damaged (its sector tables are not valid)"}}));
  EXPECT_EQ(Collect([](ChildChannel&) { throw 42; }),
            (std::vector<Message>{{'E', "the workbook cannot be read"}}));
}

TEST(Isolated, ACrashEndsOnlyTheChildsOutput) {
  // The output just ends (without its last message, here 'D'), and the reader decides what
  // that means.
  for (const int signal : {SIGSEGV, SIGABRT, SIGKILL}) {
    std::string refusal;
    const auto messages = Collect(
        [signal](ChildChannel& out) {
          out.Put('N', "first");
          out.Flush();
          std::raise(signal);
          out.Put('D');
        },
        &refusal);
    EXPECT_EQ(messages, (std::vector<Message>{{'N', "first"}})) << signal;
    EXPECT_EQ(refusal, "") << signal;
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(Isolated, MessagesWaitingToBeSentAreSentAtTheEnd) {
  EXPECT_EQ(Collect([](ChildChannel& out) { out.Put('N', "only"); }),
            (std::vector<Message>{{'N', "only"}}));
}

TEST(Isolated, OutputCutInsideAMessageIsDamage) {
  std::string refusal;
  Collect(
      [](ChildChannel&) {
        // A header that promises 100 bytes, then the end. The channel is the child's only
        // file beyond the standard three.
        int fd = 3;
        while (fd < 4096 && ::fcntl(fd, F_GETFD) < 0)
          ++fd;
        const char header[] = {'C', 100, 0, 0, 0, 'x'};
        if (::write(fd, header, sizeof header) < 0) std::_Exit(2);
        std::_Exit(0);
      },
      &refusal);
  EXPECT_EQ(refusal, "the file is damaged (the workbook reader stopped)");
}

TEST(Isolated, AHangingChildIsEndedAtTheTimeLimit) {
  std::string refusal;
  IsolationLimits limits;
  limits.time = 300ms;
  const auto start = std::chrono::steady_clock::now();
  Collect(
      [](ChildChannel& out) {
        out.Put('N', "first");
        for (;;)
          ::pause();
      },
      &refusal, limits);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(refusal, "the file is damaged (the workbook could not be read within 0.3 s)");
  EXPECT_TRUE(NoChildLeft());
}

TEST(Isolated, AnAnswerLongerThanAllowedEndsTheRun) {
  std::string refusal;
  const auto start = std::chrono::steady_clock::now();
  Collect(
      [](ChildChannel& out) {
        for (;;)
          out.Put('C', std::string(4096, 'x')); // until the parent goes
      },
      &refusal, {}, 1000);
  EXPECT_EQ(refusal, "the file is damaged (the workbook reader's answer is too long)");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_TRUE(NoChildLeft());
}

#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER 1
#endif
#endif

TEST(Isolated, TheChildsMemoryIsLimited) {
#if defined(UNDER_ADDRESS_SANITIZER)
  GTEST_SKIP() << "the address sanitizer needs its address space";
#endif
  IsolationLimits limits;
  limits.memoryBytes = 64LL << 20;
  const auto messages = Collect(
      [](ChildChannel& out) {
        std::vector<char> hog(512LL << 20, 'x'); // throws: beyond the limit
        out.Put('N', std::to_string(hog.size()));
      },
      nullptr, limits);
  EXPECT_EQ(messages, (std::vector<Message>{{'E', "the workbook cannot be read"}}));
}

TEST(Isolated, NumbersInPayloads) {
  std::string payload;
  PutNumber(payload, 0);
  PutNumber(payload, 0xDEADBEEF);
  std::size_t at = 0;
  EXPECT_EQ(TakeNumber(payload, at), 0u);
  EXPECT_EQ(TakeNumber(payload, at), 0xDEADBEEFu);
  EXPECT_THROW(TakeNumber(payload, at), SheetError);
  at = 6;
  EXPECT_THROW(TakeNumber(payload, at), SheetError);
}

} // namespace
} // namespace vexa::sheets
