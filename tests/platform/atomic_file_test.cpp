// The file writer: links followed, special files written in place, temporaries recognisable
// and cleaned up, and several outputs put in place together or not at all.
#include "common/TempDir.h"
#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vexa::platform;
using vexa::test::ReadFile;
using vexa::test::TempDir;
using vexa::test::WriteFile;

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool HasTemporary(const std::string& dir) {
  for (const auto& name : Names(dir))
    if (name.find(".vexa-tmp-") != std::string::npos) return true;
  return false;
}

// Reads what is waiting in a non-blocking descriptor.
std::string Drain(int fd) {
  std::string got;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

void SetAge(const std::string& path, int seconds) {
  const timespec then{::time(nullptr) - seconds, 0};
  const timespec times[2] = {then, then};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

} // namespace

TEST(AtomicFile, ALinkIsFollowedToItsTarget) {
  TempDir dir;
  fs::create_directory(dir / "real");
  WriteFile(dir / "real/page.html", "old");
  ::chmod((dir / "real/page.html").c_str(), 0600);
  fs::create_symlink("real/page.html", dir / "link.html");   // relative
  fs::create_symlink(dir / "link.html", dir / "chain.html"); // absolute, to a link

  FileError error;
  ASSERT_TRUE(WriteFileAtomically(dir / "link.html", "new", &error)) << error.message;
  EXPECT_TRUE(fs::is_symlink(dir / "link.html"));
  EXPECT_EQ(ReadFile(dir / "real/page.html"), "new");
  ASSERT_TRUE(WriteFileAtomically(dir / "chain.html", "newer", &error)) << error.message;
  EXPECT_TRUE(fs::is_symlink(dir / "chain.html"));
  EXPECT_EQ(ReadFile(dir / "real/page.html"), "newer");
  // The file replaced keeps its mode, and no temporary is left in either folder.
  struct stat st {};
  ASSERT_EQ(::stat((dir / "real/page.html").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(HasTemporary(dir.path()));
  EXPECT_FALSE(HasTemporary(dir / "real"));

  // A dangling link makes its target, as a shell's redirection does.
  fs::create_symlink("made.html", dir / "dangling.html");
  ASSERT_TRUE(WriteFileAtomically(dir / "dangling.html", "made", &error)) << error.message;
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.html"));
  EXPECT_EQ(ReadFile(dir / "made.html"), "made");

  // A loop of links is an error, not a hang.
  fs::create_symlink("loop-b", dir / "loop-a");
  fs::create_symlink("loop-a", dir / "loop-b");
  EXPECT_FALSE(WriteFileAtomically(dir / "loop-a", "x", &error));
  EXPECT_NE(error.message.find("loop-a"), std::string::npos);
}

TEST(AtomicFile, AFifoIsWrittenNotReplaced) {
  TempDir dir;
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  FileError error;
  EXPECT_TRUE(WriteFileAtomically(fifo, "through the pipe", &error)) << error.message;
  EXPECT_EQ(Drain(reader), "through the pipe");
  ::close(reader);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"fifo"});
}

TEST(AtomicFile, AnOpenDescriptorIsWrittenThroughProc) {
  // /dev/stdout is a link to /proc/self/fd/1: such a path names an open file.
  TempDir dir;
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK), 0);
  FileError error;
  EXPECT_TRUE(WriteFileAtomically("/dev/fd/" + std::to_string(pipeFds[1]), "piped", &error))
      << error.message;
  EXPECT_EQ(Drain(pipeFds[0]), "piped");
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);

  // A regular file behind such a link is the caller's redirection: added to, not replaced.
  WriteFile(dir / "out.txt", "head ");
  const int fd = ::open((dir / "out.txt").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  struct stat before {};
  ASSERT_EQ(::stat((dir / "out.txt").c_str(), &before), 0);
  EXPECT_TRUE(WriteFileAtomically("/proc/self/fd/" + std::to_string(fd), "tail", &error))
      << error.message;
  ::close(fd);
  struct stat after {};
  ASSERT_EQ(::stat((dir / "out.txt").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ReadFile(dir / "out.txt"), "head tail");
}

TEST(AtomicFile, DevicesAreWrittenInPlace) {
  if (::geteuid() != 0) GTEST_SKIP() << "making device nodes needs root";
  TempDir dir;
  // Nodes of the null and the full device, made here so that no test touches /dev.
  ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  ASSERT_EQ(::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
  FileError error;
  EXPECT_TRUE(WriteFileAtomically(dir / "null", "gone", &error)) << error.message;
  EXPECT_TRUE(fs::is_character_file(dir / "null"));
  EXPECT_FALSE(WriteFileAtomically(dir / "full", "no room", &error));
  EXPECT_NE(error.message.find("No space left on device"), std::string::npos) << error.message;
  EXPECT_TRUE(fs::is_character_file(dir / "full"));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"full", "null"}));
}

TEST(AtomicFile, AFailedWriteLeavesTheTargetAndNoTemporary) {
  TempDir dir;
  WriteFile(dir / "doc.vexa", "the old document");
  // Writes beyond the file-size limit fail part-way, as on a full disk.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &old);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  FileError error;
  const bool written = WriteFileAtomically(dir / "doc.vexa", std::string(100000, 'x'), &error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_FALSE(written);
  EXPECT_NE(error.message.find("doc.vexa"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "doc.vexa"), "the old document");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"doc.vexa"});

  // A folder is no file to write; a missing folder neither.
  fs::create_directory(dir / "folder");
  EXPECT_FALSE(WriteFileAtomically(dir / "folder", "x", &error));
  EXPECT_NE(error.message.find("Is a directory"), std::string::npos);
  EXPECT_FALSE(WriteFileAtomically(dir / "missing/doc.vexa", "x", &error));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"doc.vexa", "folder"}));
}

TEST(AtomicFile, TemporariesAreNamedAfterTheTargetAndStaleOnesRemoved) {
  TempDir dir;
  EXPECT_EQ(TemporaryPrefix("doc.vexa"), ".doc.vexa.vexa-tmp-");
  // A long name is cut between characters, so the temporary's name stays a valid name.
  const std::string longName = std::string(199, 'a') + "ж" + ".vexa";
  EXPECT_EQ(TemporaryPrefix(longName), "." + std::string(199, 'a') + ".vexa-tmp-");
  FileError error;
  ASSERT_TRUE(WriteFileAtomically(dir / longName, "long", &error)) << error.message;
  EXPECT_EQ(ReadFile(dir / longName), "long");

  // Left by killed saves: two old ones of doc.vexa, a fresh one (perhaps a save running now),
  // an old one of another file, and a file of the user's that only looks alike.
  const std::string prefix = TemporaryPrefix("doc.vexa");
  for (const char* name : {"Ab12Cd", "zzzzzz", "Fresh1"})
    WriteFile(dir / (prefix + name), "x");
  WriteFile(dir / (TemporaryPrefix("other.vexa") + "Old123"), "x");
  WriteFile(dir / (prefix + "notes.txt"), "mine");
  SetAge(dir / (prefix + "Ab12Cd"), 2 * 24 * 3600);
  SetAge(dir / (prefix + "zzzzzz"), 24 * 3600 + 60);
  SetAge(dir / (prefix + "Fresh1"), 3600);
  SetAge(dir / (TemporaryPrefix("other.vexa") + "Old123"), 3 * 24 * 3600);
  SetAge(dir / (prefix + "notes.txt"), 3 * 24 * 3600);

  ASSERT_TRUE(WriteFileAtomically(dir / "doc.vexa", "saved", &error)) << error.message;
  EXPECT_EQ(ReadFile(dir / "doc.vexa"), "saved");
  EXPECT_FALSE(fs::exists(dir / (prefix + "Ab12Cd")));
  EXPECT_FALSE(fs::exists(dir / (prefix + "zzzzzz")));
  EXPECT_TRUE(fs::exists(dir / (prefix + "Fresh1")));
  EXPECT_TRUE(fs::exists(dir / (TemporaryPrefix("other.vexa") + "Old123")));
  EXPECT_EQ(ReadFile(dir / (prefix + "notes.txt")), "mine");
}

TEST(AtomicFile, PreparedWritesGoInPlaceTogetherOrNotAtAll) {
  TempDir dir;
  WriteFile(dir / "a.vexa", "old a");
  {
    PreparedWrite a, b;
    FileError error;
    ASSERT_TRUE(a.Prepare(dir / "a.vexa", "new a", &error)) << error.message;
    ASSERT_TRUE(b.Prepare(dir / "b.html", "new b", &error)) << error.message;
    // Prepared, nothing is in place yet: the temporaries stand beside the targets.
    EXPECT_EQ(ReadFile(dir / "a.vexa"), "old a");
    EXPECT_FALSE(fs::exists(dir / "b.html"));
    EXPECT_EQ(Names(dir.path()).size(), 3u);
    b.Abandon();
    // Destroying a prepared write removes its temporary too.
  }
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.vexa"});
  EXPECT_EQ(ReadFile(dir / "a.vexa"), "old a");

  std::vector<PreparedWrite> writes(2);
  FileError error;
  ASSERT_TRUE(writes[0].Prepare(dir / "a.vexa", "new a", &error));
  ASSERT_TRUE(writes[1].Prepare(dir / "b.html", "new b", &error));
  ASSERT_TRUE(CommitAll(writes, &error)) << error.message;
  EXPECT_EQ(ReadFile(dir / "a.vexa"), "new a");
  EXPECT_EQ(ReadFile(dir / "b.html"), "new b");
  EXPECT_FALSE(writes[0].Commit(&error)); // once only
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a.vexa", "b.html"}));
}

TEST(AtomicFile, AFailingSpecialFileKeepsTheOtherOutputsOut) {
  if (::geteuid() != 0) GTEST_SKIP() << "making device nodes needs root";
  TempDir dir;
  ASSERT_EQ(::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
  WriteFile(dir / "a.vexa", "old a");
  std::vector<PreparedWrite> writes(2);
  FileError error;
  ASSERT_TRUE(writes[0].Prepare(dir / "a.vexa", "new a", &error));
  ASSERT_TRUE(writes[1].Prepare(dir / "full", "page", &error));
  EXPECT_TRUE(writes[1].direct());
  EXPECT_FALSE(CommitAll(writes, &error));
  EXPECT_NE(error.message.find("full"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "a.vexa"), "old a");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a.vexa", "full"}));
}

TEST(AtomicFile, AFileReplacedKeepsItsOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
  TempDir dir;
  WriteFile(dir / "theirs.vexa", "old");
  ASSERT_EQ(::chown((dir / "theirs.vexa").c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod((dir / "theirs.vexa").c_str(), 0640), 0);
  FileError error;
  ASSERT_TRUE(WriteFileAtomically(dir / "theirs.vexa", "new", &error)) << error.message;
  struct stat st {};
  ASSERT_EQ(::stat((dir / "theirs.vexa").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFile(dir / "theirs.vexa"), "new");
}

// Reading stops at a size no input comes near: a device that never ends is refused instead of
// filling the memory, and a file just at the limit is still read.
TEST(AtomicFile, ReadingRefusesInputsBeyondTheLimit) {
  TempDir dir;
  const std::string path = dir.path() + "/big.csv";
  WriteFile(path, std::string(4096, 'x'));

  EXPECT_EQ(ReadWholeFile(path, nullptr, 4096).value_or(""), std::string(4096, 'x'));

  FileError error;
  EXPECT_FALSE(ReadWholeFile(path, &error, 4095));
  EXPECT_NE(error.message.find("File too large"), std::string::npos);

  FileError endless;
  EXPECT_FALSE(ReadWholeFile("/dev/zero", &endless, 1 << 20));
  EXPECT_NE(endless.message.find("File too large"), std::string::npos);
  EXPECT_NE(endless.message.find("/dev/zero"), std::string::npos);
}
