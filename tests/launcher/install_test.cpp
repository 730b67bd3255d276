// From installation to uninstallation: the install step lays out a folder with its
// Uninstall.log, and the installed zelstart, run unattended, removes all of it.
#include "common/TempDir.h"
#include "platform/PendingFileOperations.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vexa::platform::RegistryStore;
using vexa::platform::RegRoot;
using vexa::platform::RegValue;
using vexa::test::ReadFile;
using vexa::test::TempDir;

struct Finished {
  int exitCode = -1;
  std::string output; // standard output and error of the program and of all it started
};

// Runs a program and reads its output until every process holding it has ended: a detached
// uninstaller keeps the launcher's standard error open until it is done.
Finished RunToTheEnd(const std::vector<std::string>& argv, bool unattended,
                     const std::string& destdir = "") {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::dup2(pipeFds[1], STDERR_FILENO);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    if (unattended) ::setenv("VEXA_UNATTENDED", "1", 1);
    if (!destdir.empty()) ::setenv("DESTDIR", destdir.c_str(), 1);
    std::vector<char*> args;
    for (const auto& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  Finished result;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    result.output.append(buffer, static_cast<size_t>(got));
  }
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::vector<std::string> SectionOf(const std::string& log, const std::string& header) {
  std::vector<std::string> entries;
  bool inside = false;
  size_t pos = 0;
  while (pos < log.size()) {
    const size_t end = log.find("\r\n", pos);
    if (end == std::string::npos) break;
    const std::string line = log.substr(pos, end - pos);
    pos = end + 2;
    if (!line.empty() && line[0] == '[') {
      inside = line == header;
    } else if (inside) {
      entries.push_back(line);
    }
  }
  return entries;
}

std::vector<std::string> PendingOperations() {
  const auto value = RegistryStore::Default().QueryValue(
      RegRoot::LocalMachine, vexa::platform::kSessionManagerKey, "PendingFileRenameOperations");
  return value ? value->multiString : std::vector<std::string>{};
}

TEST(Installation, IsRemovedWholeByItsLauncher) {
  TempDir dir;
  const std::string prefix = dir / "Program Files/VEXA 0.5";
  const Finished install =
      RunToTheEnd({VEXA_CMAKE_COMMAND, "--install", VEXA_BINARY_DIR, "--prefix", prefix}, false);
  ASSERT_EQ(install.exitCode, 0) << install.output;

  // The installation folder and its log.
  const std::string log = ReadFile(prefix + "/Uninstall.log");
  ASSERT_FALSE(log.empty());
  const auto files = SectionOf(log, "[HOME]");
  ASSERT_GE(files.size(), 3u);
  EXPECT_EQ(files.back(), prefix + "/Uninstall.log");
  for (const auto& f : files)
    EXPECT_TRUE(fs::is_regular_file(f)) << f;
  // The programs built, and the help page when there is one.
  const std::string expected = VEXA_INSTALLED_FILES; // "/orlith,/vexa,/zelstart,"
  for (size_t pos = 0, comma; (comma = expected.find(',', pos)) != std::string::npos;
       pos = comma + 1) {
    const std::string name = expected.substr(pos, comma - pos);
    EXPECT_NE(std::find(files.begin(), files.end(), prefix + name), files.end()) << name;
  }
  EXPECT_NE(expected.find("/zelstart,"), std::string::npos);
  EXPECT_NE(std::find(files.begin(), files.end(), prefix + "/examples/weak-acid-acetic-naoh.vexa"),
            files.end());
  EXPECT_EQ(SectionOf(log, "[REGISTRY]"),
            (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Dorvik Software\\VEXA",
                                      "HKEY_CURRENT_USER\\Software\\Dorvik Software"}));
  EXPECT_EQ(SectionOf(log, "[DIRS]"), (std::vector<std::string>{prefix + "/examples", prefix}));

#ifdef VEXA_INSTALLS_CLI
  // The installed vexa works from its folder: it reports without its Qt module and finds the
  // module beside itself to draw.
  const Finished report = RunToTheEnd(
      {prefix + "/vexa", "report", "--format", "csv", prefix + "/examples/weak-acid-acetic-naoh.vexa"},
      false);
  EXPECT_EQ(report.exitCode, 0) << report.output;
#ifdef VEXA_INSTALLS_QT_MODULE
  const Finished plot =
      RunToTheEnd({prefix + "/vexa", "plot", "-o", dir / "graph.png",
                   prefix + "/examples/weak-acid-acetic-naoh.vexa"},
                  false);
  EXPECT_EQ(plot.exitCode, 0) << plot.output;
  EXPECT_TRUE(fs::is_regular_file(dir / "graph.png"));
#endif
#endif

  // The keys the log lists were made, as an installer makes them: an uninstall before the
  // program ever ran finds them and reports no trouble.
  RegistryStore registry = RegistryStore::Default();
  EXPECT_TRUE(registry.KeyExists(RegRoot::CurrentUser, "Software\\Dorvik Software\\VEXA"));

  // The program's settings.
  const std::string settings = "Software\\Dorvik Software\\VEXA\\Settings\\Draw";
  ASSERT_TRUE(
      registry.SetValue(RegRoot::CurrentUser, settings, "grid_color", RegValue::Dword(0xc8c8c8)));

  // Uninstall.
  const Finished uninstall = RunToTheEnd({prefix + "/zelstart"}, true);
  EXPECT_EQ(uninstall.exitCode, 0);
  EXPECT_NE(uninstall.output.find("VEXA v.0.5 program is deleted complete."), std::string::npos)
      << uninstall.output;
  EXPECT_EQ(uninstall.output.find("troubles"), std::string::npos) << uninstall.output;
  for (const auto& f : files)
    EXPECT_FALSE(fs::exists(f)) << f;
  EXPECT_FALSE(fs::exists(prefix));
  EXPECT_TRUE(fs::exists(dir / "Program Files"));
  EXPECT_FALSE(registry.KeyExists(RegRoot::CurrentUser, "Software\\Dorvik Software"));

  // The uninstaller was written into the Windows folder's TEMP, and goes at the next restart.
  const std::string windows = std::getenv("VEXA_WINDOWS_DIR");
  const std::string copy = windows + "/TEMP/zelcor.exe";
  ASSERT_TRUE(fs::is_regular_file(copy));
  EXPECT_EQ(ReadFile(copy), ReadFile(VEXA_ZELCOR_FILE));
  EXPECT_EQ(PendingOperations(), (std::vector<std::string>{"\\??\\" + copy, ""}));

  // A second launch (from elsewhere: the first is gone) first carries out what is pending.
  const std::string second = dir / "second";
  fs::create_directories(second);
  fs::copy_file(VEXA_ZELSTART_FILE, second + "/zelstart");
  const std::string marker = dir / "pending marker";
  vexa::test::WriteFile(marker, "x");
  ASSERT_TRUE(vexa::platform::DeleteFileAtRestart(registry, marker));
  const Finished again = RunToTheEnd({second + "/zelstart"}, true);
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_FALSE(fs::exists(marker));
  EXPECT_NE(again.output.find("Can't find <Uninstall.log> file." + second + "/Uninstall.log"),
            std::string::npos)
      << again.output;
  // Only the new copy's own deletion is pending now.
  EXPECT_EQ(PendingOperations(), (std::vector<std::string>{"\\??\\" + copy, ""}));
  EXPECT_TRUE(fs::is_regular_file(copy));
}

TEST(Installation, RefusesAFolderWhosePathTheUninstallerWouldTakeForAHeader) {
  TempDir dir;
  const std::string prefix = dir / "[HOME] of vexa";
  const Finished install =
      RunToTheEnd({VEXA_CMAKE_COMMAND, "--install", VEXA_BINARY_DIR, "--prefix", prefix}, false);
  EXPECT_NE(install.exitCode, 0);
  EXPECT_NE(install.output.find("Cannot install into"), std::string::npos) << install.output;
  EXPECT_FALSE(fs::exists(prefix));
}

TEST(Installation, RefusesAFolderWhosePathHoldsASemicolon) {
  // The install step's lists are split at ";": the log would name the part before it (here a
  // file of the user's) instead of the installed files.
  TempDir dir;
  vexa::test::WriteFile(dir / "Chem", "the user's");
  const std::string prefix = dir / "Chem;Lab";
  Finished install =
      RunToTheEnd({VEXA_CMAKE_COMMAND, "--install", VEXA_BINARY_DIR, "--prefix", prefix}, false);
  EXPECT_NE(install.exitCode, 0);
  EXPECT_NE(install.output.find("Cannot install into"), std::string::npos) << install.output;
  EXPECT_NE(install.output.find("\";\""), std::string::npos) << install.output;
  EXPECT_FALSE(fs::exists(prefix));
  EXPECT_EQ(ReadFile(dir / "Chem"), "the user's");

  // Nor into a staging folder whose path holds one.
  const std::string stage = dir / "stage;1";
  install = RunToTheEnd(
      {VEXA_CMAKE_COMMAND, "--install", VEXA_BINARY_DIR, "--prefix", dir / "VEXA"}, false, stage);
  EXPECT_NE(install.exitCode, 0);
  EXPECT_NE(install.output.find("Cannot install into"), std::string::npos) << install.output;
  EXPECT_FALSE(fs::exists(stage));
}

TEST(Installation, TheLogHoldsNormalisedPathsForAFolderGivenWithDotDot) {
  TempDir dir;
  fs::create_directories(dir / "elsewhere");
  const std::string prefix = dir / "VEXA";
  const Finished install = RunToTheEnd(
      {VEXA_CMAKE_COMMAND, "--install", VEXA_BINARY_DIR, "--prefix", dir / "elsewhere/../VEXA"},
      false);
  ASSERT_EQ(install.exitCode, 0) << install.output;
  const std::string log = ReadFile(prefix + "/Uninstall.log");
  const auto files = SectionOf(log, "[HOME]");
  ASSERT_GE(files.size(), 3u);
  for (const auto& f : files) {
    EXPECT_EQ(f.rfind(prefix + "/", 0), 0u) << f;
    EXPECT_EQ(f.find("/../"), std::string::npos) << f;
    EXPECT_EQ(f.find("/./"), std::string::npos) << f;
    EXPECT_TRUE(fs::is_regular_file(f)) << f;
  }
  // Each file once, the log itself last.
  EXPECT_EQ(std::count(files.begin(), files.end(), prefix + "/Uninstall.log"), 1);
  EXPECT_EQ(files.back(), prefix + "/Uninstall.log");
  EXPECT_EQ(SectionOf(log, "[DIRS]"), (std::vector<std::string>{prefix + "/examples", prefix}));
}

} // namespace
