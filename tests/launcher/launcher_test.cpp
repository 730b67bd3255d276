#include "common/TempDir.h"
#include "launcher/ConsoleUi.h"
#include "launcher/Launcher.h"
#include "platform/PendingFileOperations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace vexa::launcher;
using vexa::platform::RegistryStore;
using vexa::test::ReadFile;
using vexa::test::TempDir;
using vexa::test::WriteFile;

class RecordingShell : public vexa::platform::Shell {
public:
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
  bool Start(const std::string& program, const std::string& parameters) override {
    started.push_back({program, parameters});
    return startWorks;
  }
  std::vector<std::string> opened;
  std::vector<std::pair<std::string, std::string>> started;
  bool startWorks = true;
};

class ScriptedUi : public LauncherUi {
public:
  bool Confirm() override {
    ++asked;
    return answer;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool answer = true;
  int asked = 0;
  std::vector<std::string> errors;
};

const std::uint8_t kProgram[] = {0x7F, 'E', 'L', 'F', 0, 1, 2, 0xFF, '\r', '\n'};

class Launcher : public testing::Test {
protected:
  Launcher() : registry_(dir_ / "registry") {
    env_.registry = &registry_;
    env_.windowsFolder = [this] { return std::optional<std::string>(windows_); };
    env_.uninstaller = std::span<const std::uint8_t>(kProgram);
    env_.ownFolder = dir_ / "Program Files/VEXA  0.5";
    env_.shell = &shell_;
    fs::create_directories(windows_);
  }
  std::string Target() const { return windows_ + "/TEMP/zelcor.exe"; }

  TempDir dir_;
  const std::string windows_ = dir_ / "windows";
  RegistryStore registry_;
  RecordingShell shell_;
  ScriptedUi ui_;
  LauncherEnvironment env_;
};

TEST_F(Launcher, WritesTheUninstallerAndStartsItForItsOwnFolder) {
  EXPECT_EQ(RunLauncher(ui_, env_), 0);
  EXPECT_EQ(ui_.asked, 1);
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_EQ(ReadFile(Target()),
            std::string(reinterpret_cast<const char*>(kProgram), sizeof kProgram));
  struct stat st {};
  ASSERT_EQ(::stat(Target().c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  // The whole folder, spaces kept, is the one parameter.
  ASSERT_EQ(shell_.started.size(), 1u);
  EXPECT_EQ(shell_.started[0].first, Target());
  EXPECT_EQ(shell_.started[0].second, dir_ / "Program Files/VEXA  0.5");
}

TEST_F(Launcher, AnsweringNoLeavesNothingBehind) {
  ui_.answer = false;
  EXPECT_EQ(RunLauncher(ui_, env_), 0);
  EXPECT_FALSE(fs::exists(windows_ + "/TEMP"));
  EXPECT_TRUE(shell_.started.empty());
  EXPECT_TRUE(ui_.errors.empty());
}

TEST_F(Launcher, AnEarlierCopyIsDeletedFirstAndReplaced) {
  fs::create_directories(windows_ + "/TEMP");
  WriteFile(Target(), "an older and much longer uninstaller");
  ::chmod(Target().c_str(), 0644);
  ASSERT_TRUE(vexa::platform::DeleteFileAtRestart(registry_, Target()));
  ui_.answer = false;
  EXPECT_EQ(RunLauncher(ui_, env_), 0);
  EXPECT_FALSE(fs::exists(Target())); // the pending deletion ran before the question

  WriteFile(Target(), "an older and much longer uninstaller");
  ::chmod(Target().c_str(), 0644);
  ui_.answer = true;
  EXPECT_EQ(RunLauncher(ui_, env_), 0);
  EXPECT_EQ(ReadFile(Target()).size(), sizeof kProgram);
  struct stat st {};
  ASSERT_EQ(::stat(Target().c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
}

TEST_F(Launcher, WithoutAWindowsFolderItCannotUninstall) {
  env_.windowsFolder = [] { return std::optional<std::string>(); };
  EXPECT_EQ(RunLauncher(ui_, env_), 1);
  EXPECT_EQ(ui_.errors, std::vector<std::string>{"WinAPI error.\nUninstall unaviable."});
  EXPECT_TRUE(shell_.started.empty());
}

TEST_F(Launcher, InternalErrors) {
  const std::vector<std::string> internal{"Uninstall internal error.\nUninstall unaviable."};
  // No resource.
  env_.uninstaller.reset();
  EXPECT_EQ(RunLauncher(ui_, env_), 1);
  EXPECT_EQ(ui_.errors, internal);
  EXPECT_FALSE(fs::exists(Target()));
  // The file cannot be written: a file stands where TEMP should be.
  env_.uninstaller = std::span<const std::uint8_t>(kProgram);
  ui_.errors.clear();
  WriteFile(windows_ + "/TEMP", "in the way");
  EXPECT_EQ(RunLauncher(ui_, env_), 1);
  EXPECT_EQ(ui_.errors, internal);
  fs::remove(windows_ + "/TEMP");
  // The launcher's own folder cannot be told: nothing is started.
  ui_.errors.clear();
  env_.ownFolder.clear();
  EXPECT_EQ(RunLauncher(ui_, env_), 1);
  EXPECT_EQ(ui_.errors, internal);
  EXPECT_TRUE(shell_.started.empty());
  env_.ownFolder = dir_ / "Program Files/VEXA  0.5";
  // The start fails: the written file stays.
  ui_.errors.clear();
  shell_.startWorks = false;
  EXPECT_EQ(RunLauncher(ui_, env_), 1);
  EXPECT_EQ(ui_.errors, internal);
  EXPECT_TRUE(fs::exists(Target()));
  EXPECT_TRUE(shell_.started.size() == 1);
}

TEST(LauncherFolder, IsThePathWithoutItsLastPart) {
  EXPECT_EQ(FolderOfProgram("/opt/my vexa/zelstart"), "/opt/my vexa");
  EXPECT_EQ(FolderOfProgram("/zelstart"), "/");
  EXPECT_EQ(FolderOfProgram("zelstart"), ".");
}

TEST(LauncherConsole, AsksOnlyWhereSomeoneCanAnswer) {
  std::istringstream noInput;
  std::ostringstream out;
  EXPECT_TRUE(ConsoleLauncherUi(true, false, noInput, out).Confirm());
  EXPECT_TRUE(out.str().empty());
  EXPECT_FALSE(ConsoleLauncherUi(false, false, noInput, out).Confirm());
  EXPECT_NE(out.str().find("You sure you want to uninstall VEXA v.0.5?"), std::string::npos);
  std::istringstream yes("y\n"), no("n\n"), nothing;
  EXPECT_TRUE(ConsoleLauncherUi(false, true, yes, out).Confirm());
  EXPECT_FALSE(ConsoleLauncherUi(false, true, no, out).Confirm());
  EXPECT_FALSE(ConsoleLauncherUi(false, true, nothing, out).Confirm());
  std::ostringstream errors;
  ConsoleLauncherUi(true, false, noInput, errors).ShowError("WinAPI error.\nUninstall unaviable.");
  EXPECT_EQ(errors.str(), "VEXA Uninstall: error: WinAPI error.\nUninstall unaviable.\n");
}

} // namespace
