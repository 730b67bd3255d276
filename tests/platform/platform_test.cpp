#include "common/TempDir.h"
#include "platform/DynamicLibrary.h"
#include "platform/Folders.h"
#include "platform/PendingFileOperations.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace vexa::platform;
using vexa::test::ReadFile;
using vexa::test::TempDir;
using vexa::test::WriteFile;

// Waits for a detached process to leave its file (it renames it into place when done).
bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 3000; ++i) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// A script that writes its arguments, one a line, to <its own path>.out.
std::string RecorderScript(const TempDir& dir, const std::string& name) {
  const std::string path = dir / name;
  WriteFile(path, "#!/bin/sh\n"
                  "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
                  "/bin/mv \"$0.tmp\" \"$0.out\"\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

TEST(Folders, ProgramFolderIsTheExecutablesFolder) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(ProgramPath().rfind(folder, 0), 0u);
  EXPECT_TRUE(fs::is_regular_file(ProgramPath()));
}

TEST(Folders, WindowsFolderIsTakenFromTheEnvironmentAndMade) {
  TempDir dir;
  ::setenv("VEXA_WINDOWS_DIR", (dir / "win/dows/").c_str(), 1);
  EXPECT_EQ(WindowsFolder(), dir / "win/dows");
  EXPECT_TRUE(fs::is_directory(dir / "win/dows"));
  ::unsetenv("VEXA_WINDOWS_DIR");
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  EXPECT_EQ(WindowsFolder(), dir / "data/vexa-windows");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", (dir / "home").c_str(), 1);
  EXPECT_EQ(WindowsFolder(), dir / "home/.local/share/vexa-windows");
  // A file where the folder should be: no Windows folder.
  WriteFile(dir / "file", "x");
  ::setenv("VEXA_WINDOWS_DIR", (dir / "file").c_str(), 1);
  EXPECT_FALSE(WindowsFolder().has_value());

  EXPECT_EQ(TempFolderOf("/w"), "/w/TEMP");
  EXPECT_EQ(TempFolderOf("/w/"), "/w/TEMP");
}

TEST(Shell, StartPassesTheWholeParameterAsOneArgument) {
  TempDir dir;
  const std::string script = RecorderScript(dir, "prog");
  SystemShell shell;
  ASSERT_TRUE(shell.Start(script, "/opt/my  programs/vexa dir"));
  ASSERT_TRUE(WaitForFile(script + ".out"));
  EXPECT_EQ(ReadFile(script + ".out"), "/opt/my  programs/vexa dir\n");
  EXPECT_FALSE(shell.Start(dir / "missing", "x"));
  EXPECT_FALSE(shell.Start("", "x"));
  WriteFile(dir / "not-executable", "#!/bin/sh\n");
  EXPECT_FALSE(shell.Start(dir / "not-executable", ""));
}

TEST(Shell, OpenUsesTheDesktopOpener) {
  TempDir dir;
  const std::string opener = RecorderScript(dir, "xdg-open");
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", dir.path().c_str(), 1);
  SystemShell shell;
  const bool opened = shell.Open("/tmp/a report.txt");
  const bool emptyOpened = shell.Open("");
  ::setenv("PATH", (dir / "nothing").c_str(), 1);
  const bool withoutOpener = shell.Open("/tmp/x");
  ::setenv("PATH", oldPath.c_str(), 1);
  ASSERT_TRUE(opened);
  EXPECT_FALSE(emptyOpened);
  EXPECT_FALSE(withoutOpener);
  ASSERT_TRUE(WaitForFile(opener + ".out"));
  EXPECT_EQ(ReadFile(opener + ".out"), "/tmp/a report.txt\n");
}

TEST(DynamicLibrary, FindsExportsAndReportsMissingOnes) {
  std::string error;
  auto lib = DynamicLibrary::Load(VEXA_TEST_ACTIVEX_LIBRARY, &error);
  ASSERT_TRUE(lib) << error;
  EXPECT_NE(lib->Find("DllUnregisterServer"), nullptr);
  EXPECT_EQ(lib->Find("NoSuchFunction"), nullptr);
  auto plain = DynamicLibrary::Load(VEXA_TEST_PLAIN_LIBRARY);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->Find("DllUnregisterServer"), nullptr);

  TempDir dir;
  EXPECT_FALSE(DynamicLibrary::Load(dir / "missing.so", &error));
  EXPECT_FALSE(error.empty());
  WriteFile(dir / "text.so", "not a library");
  EXPECT_FALSE(DynamicLibrary::Load(dir / "text.so"));
}

TEST(PendingFileOperations, DeletionsAreRecordedAsWindowsRecordsThem) {
  TempDir dir;
  RegistryStore registry(dir / "registry");
  ASSERT_TRUE(DeleteFileAtRestart(registry, "/tmp/a b/zelcor.exe"));
  ASSERT_TRUE(DeleteFileAtRestart(registry, "/tmp/other"));
  EXPECT_EQ(
      registry.QueryValue(RegRoot::LocalMachine, kSessionManagerKey, "PendingFileRenameOperations"),
      RegValue::MultiString({"\\??\\/tmp/a b/zelcor.exe", "", "\\??\\/tmp/other", ""}));
}

TEST(PendingFileOperations, AreCarriedOutInOrderAndCleared) {
  TempDir dir;
  RegistryStore registry(dir / "registry");
  WriteFile(dir / "doomed", "x");
  fs::create_directory(dir / "empty");
  WriteFile(dir / "from", "moved");
  WriteFile(dir / "old", "old");
  WriteFile(dir / "kept", "kept");
  ASSERT_TRUE(DeleteFileAtRestart(registry, dir / "doomed"));
  ASSERT_TRUE(DeleteFileAtRestart(registry, dir / "empty"));
  ASSERT_TRUE(DeleteFileAtRestart(registry, dir / "never-there"));
  auto key = registry.OpenKey(RegRoot::LocalMachine, kSessionManagerKey);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->UpdateValue(kPendingOperationsValue, [&](const std::optional<RegValue>& old) {
    auto list = old->multiString;
    list.push_back("\\??\\" + dir / "from");
    list.push_back("!\\??\\" + dir / "old");
    list.push_back("\\??\\" + dir / "kept");
    list.push_back("\\??\\" + dir / "doomed2");
    return RegValue::MultiString(list);
  }));
  WriteFile(dir / "doomed2", "y"); // a move onto an existing file without "!" fails

  const PendingOutcome outcome = RunPendingFileOperations(registry);
  EXPECT_EQ(outcome.done, 3);
  EXPECT_EQ(outcome.failed, 2);
  EXPECT_FALSE(fs::exists(dir / "doomed"));
  EXPECT_FALSE(fs::exists(dir / "empty"));
  EXPECT_FALSE(fs::exists(dir / "from"));
  EXPECT_EQ(ReadFile(dir / "old"), "moved");
  EXPECT_EQ(ReadFile(dir / "doomed2"), "y");
  EXPECT_TRUE(fs::exists(dir / "kept"));
  EXPECT_FALSE(
      registry.QueryValue(RegRoot::LocalMachine, kSessionManagerKey, "PendingFileRenameOperations")
          .has_value());
  // Nothing pending: nothing done.
  EXPECT_EQ(RunPendingFileOperations(registry).done, 0);
  RegistryStore user = RegistryStore::Default();
  EXPECT_EQ(RunPendingFileOperations(user).done, 0);
}

const std::uint8_t kBytes[] = {'M', 'Z', 0, 1, 2};
const ResourceRegistration kRegistered("EXE", 7103, kBytes, kBytes + sizeof kBytes);

TEST(Resources, AreFoundByTypeAndId) {
  auto found = FindResource("exe", 7103);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->size(), sizeof kBytes);
  EXPECT_EQ(found->data(), kBytes);
  EXPECT_FALSE(FindResource("EXE", 7104).has_value());
  EXPECT_FALSE(FindResource("ICON", 7103).has_value());
}

} // namespace
