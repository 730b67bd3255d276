#include "common/TempDir.h"
#include "platform/PendingFileOperations.h"
#include "platform/Registry.h"
#include "uninstaller/Uninstaller.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace vexa::uninstaller;
using vexa::platform::RegistryStore;
using vexa::platform::RegRoot;
using vexa::platform::RegValue;
using vexa::test::ReadFile;
using vexa::test::TempDir;
using vexa::test::WriteFile;

// Records what the run shows and answers the shared-file question from a script.
class ScriptedUi : public UninstallUi {
public:
  void ShowProgress() override { events.push_back("progress"); }
  void ShowEntry(const std::string& entry) override { events.push_back("entry " + entry); }
  void CloseProgress() override { events.push_back("close"); }
  SharedAnswer AskRemoveSharedFile(const std::string& path) override {
    asked.push_back(path);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question for " << path;
      return SharedAnswer::No;
    }
    const SharedAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.push_back(text);
    events.push_back(icon == MessageIcon::Error ? "error" : "message");
  }
  void OpenReport(const std::string& path) override {
    reports.push_back(path);
    events.push_back("report");
  }

  std::vector<std::string> events;
  std::vector<std::string> messages;
  std::vector<std::string> reports;
  std::vector<std::string> asked;
  std::deque<SharedAnswer> answers;
};

class Uninstall : public testing::Test {
protected:
  Uninstall() : registry_(dir_ / "registry") {
    fs::create_directories(install_);
    fs::create_directories(windows_);
    env_.registry = &registry_;
    env_.windowsFolder = windows_;
    env_.selfPath = dir_ / "zelcor.exe";
    env_.wait = [this](int ms) { waits_.push_back(ms); };
  }

  // Writes Uninstall.log with every line ended by CR LF.
  void WriteLog(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
      text += l + "\r\n";
    WriteFile(install_ + "/Uninstall.log", text);
  }
  std::string File(const std::string& name, const std::string& bytes = "x") {
    const std::string path = install_ + "/" + name;
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, bytes);
    return path;
  }
  UninstallOutcome RunIt() { return RunUninstall(install_, ui_, env_); }
  void SetCount(const std::string& path, std::uint32_t count) {
    ASSERT_TRUE(
        registry_.SetValue(RegRoot::LocalMachine, kSharedDllsKey, path, RegValue::Dword(count)));
  }
  std::optional<RegValue> Count(const std::string& path) {
    return registry_.QueryValue(RegRoot::LocalMachine, kSharedDllsKey, path);
  }
  std::string Report() { return ReadFile(ReportPath()); }
  std::string ReportPath() const { return windows_ + "/TEMP/uninstall_troubles.txt"; }

  TempDir dir_;
  const std::string install_ = dir_ / "Program Files/VEXA dir";
  const std::string windows_ = dir_ / "windows";
  RegistryStore registry_;
  UninstallEnvironment env_;
  ScriptedUi ui_;
  std::vector<int> waits_;
};

TEST_F(Uninstall, RemovesFilesAndFoldersInFileOrder) {
  const std::string a = File("orlith"), b = File("examples/a.vexa"), c = File("Uninstall.log");
  WriteLog({"; made by the installer", "", "[HOME]", a, b, install_ + "/Uninstall.log", "[DIRS]",
            install_ + "/examples", install_});
  const UninstallOutcome outcome = RunIt();
  EXPECT_TRUE(outcome.logRead);
  EXPECT_FALSE(fs::exists(install_));
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"progress", "entry " + a, "entry " + b,
                                                  "entry " + install_ + "/Uninstall.log",
                                                  "entry " + install_ + "/examples",
                                                  "entry " + install_, "close", "message"}));
  EXPECT_EQ(ui_.messages, std::vector<std::string>{"VEXA v.0.5 program is deleted complete.\n"});
  EXPECT_TRUE(ui_.reports.empty());
  EXPECT_FALSE(fs::exists(ReportPath()));
  // One wait of a second first, then one of 200 ms before each entry.
  EXPECT_EQ(waits_, (std::vector<int>{1000, 200, 200, 200, 200, 200}));
}

TEST_F(Uninstall, TheFolderMayEndInASlash) {
  const std::string a = File("orlith");
  WriteLog({"[HOME]", a});
  RunUninstall(install_ + "/", ui_, env_);
  EXPECT_FALSE(fs::exists(a));
}

TEST_F(Uninstall, AnEmptyLogGivesTheNoTroubleMessage) {
  WriteFile(install_ + "/Uninstall.log", "");
  RunIt();
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"progress", "close", "message"}));
  EXPECT_EQ(ui_.messages, std::vector<std::string>{"VEXA v.0.5 program is deleted complete.\n"});
}

TEST_F(Uninstall, EntriesBeforeTheFirstHeaderAreShownButLeftAlone) {
  const std::string a = File("early"), b = File("late");
  WriteLog({a, "[HOME]", b});
  RunIt();
  EXPECT_TRUE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b));
  EXPECT_EQ(ui_.events[1], "entry " + a);
}

TEST_F(Uninstall, ALastLineWithoutCrLfIsNeitherShownNorRemoved) {
  const std::string a = File("a"), b = File("b");
  WriteFile(install_ + "/Uninstall.log", "[HOME]\r\n" + a + "\r\n" + b);
  RunIt();
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"progress", "entry " + a, "close", "message"}));
}

TEST_F(Uninstall, APathHoldingASectionNameIsAHeader) {
  fs::create_directories(install_ + "/[HOME]");
  const std::string plain = File("plain");
  WriteLog({"[DIRS]", install_ + "/[HOME]", plain});
  RunIt();
  // The folder's line switched to [HOME]; the next line was deleted as a file.
  EXPECT_TRUE(fs::exists(install_ + "/[HOME]"));
  EXPECT_FALSE(fs::exists(plain));
  EXPECT_EQ(ui_.events,
            (std::vector<std::string>{"progress", "entry " + plain, "close", "message"}));
}

TEST_F(Uninstall, AMissingLogIsReportedAndNothingIsRemoved) {
  const std::string a = File("orlith");
  const UninstallOutcome outcome = RunIt();
  EXPECT_FALSE(outcome.logRead);
  EXPECT_TRUE(fs::exists(a));
  EXPECT_EQ(ui_.events, std::vector<std::string>{"error"});
  EXPECT_EQ(ui_.messages, std::vector<std::string>{"Can't find <Uninstall.log> file." + install_ +
                                                   "/Uninstall.log"});
  // The uninstaller still goes at the next restart.
  EXPECT_EQ(registry_.QueryValue(RegRoot::LocalMachine, vexa::platform::kSessionManagerKey,
                                 "PendingFileRenameOperations"),
            RegValue::MultiString({"\\??\\" + dir_ / "zelcor.exe", ""}));
  // A folder where the log should be is no log either.
  fs::create_directories(install_ + "/Uninstall.log");
  ui_.messages.clear();
  RunIt();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].rfind("Can't find <Uninstall.log> file.", 0), 0u);
}

TEST_F(Uninstall, AnEmptyCommandLineGoesStraightToSelfRemoval) {
  File("Uninstall.log", "[HOME]\r\n");
  const UninstallOutcome outcome = RunUninstall("", ui_, env_);
  EXPECT_FALSE(outcome.logRead);
  EXPECT_TRUE(ui_.events.empty());
  EXPECT_TRUE(waits_.empty());
  EXPECT_TRUE(registry_.QueryValue(RegRoot::LocalMachine, vexa::platform::kSessionManagerKey,
                                   "PendingFileRenameOperations"));
}

TEST_F(Uninstall, SharedFilesAreReleasedByTheirCounts) {
  const std::string three = File("three.so"), untracked = File("untracked.so");
  SetCount(three, 3);
  WriteLog({"[SYSTEM]", three, untracked, "[SYSTEM]", install_ + "/never-counted.so"});
  const UninstallOutcome outcome = RunIt();
  // 3 → 2 without a question; a file without a count is left alone, and that is no trouble.
  EXPECT_EQ(Count(three), RegValue::Dword(2));
  EXPECT_TRUE(fs::exists(three));
  EXPECT_TRUE(fs::exists(untracked));
  EXPECT_TRUE(ui_.asked.empty());
  EXPECT_FALSE(outcome.fileTroubles);
  EXPECT_TRUE(ui_.reports.empty());
}

TEST_F(Uninstall, WithoutTheCountsKeySharedFilesStay) {
  const std::string a = File("a.so");
  WriteLog({"[SYSTEM]", a});
  const UninstallOutcome outcome = RunIt();
  EXPECT_TRUE(fs::exists(a));
  EXPECT_FALSE(outcome.fileTroubles);
}

TEST_F(Uninstall, YesAndNoAnswerForOneFileEach) {
  const std::string a = File("a.so"), b = File("b.so"), c = File("c.so");
  SetCount(a, 1);
  SetCount(b, 1);
  SetCount(c, 1);
  ui_.answers = {SharedAnswer::Yes, SharedAnswer::No, SharedAnswer::Yes};
  WriteLog({"[SYSTEM]", a, b, c});
  RunIt();
  EXPECT_EQ(ui_.asked, (std::vector<std::string>{a, b, c}));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(Count(a).has_value());
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(Count(b), RegValue::Dword(1));
  EXPECT_FALSE(fs::exists(c));
}

TEST_F(Uninstall, YesToAllRemovesLaterFilesWithoutAsking) {
  const std::string a = File("a.so"), b = File("b.so"), c = File("c.so");
  SetCount(a, 1);
  SetCount(b, 2);
  SetCount(c, 1);
  ui_.answers = {SharedAnswer::YesToAll};
  WriteLog({"[SYSTEM]", a, b, c});
  RunIt();
  EXPECT_EQ(ui_.asked, std::vector<std::string>{a});
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(Count(b), RegValue::Dword(1));
  EXPECT_FALSE(fs::exists(c));
  EXPECT_FALSE(Count(c).has_value());
}

TEST_F(Uninstall, NoToAllKeepsLaterFilesWithoutAsking) {
  const std::string a = File("a.so"), b = File("b.so");
  SetCount(a, 1);
  SetCount(b, 1);
  ui_.answers = {SharedAnswer::NoToAll};
  WriteLog({"[SYSTEM]", a, "[ActiveX]", b});
  const UninstallOutcome outcome = RunIt();
  EXPECT_EQ(ui_.asked, std::vector<std::string>{a});
  EXPECT_TRUE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(Count(a), RegValue::Dword(1));
  EXPECT_EQ(Count(b), RegValue::Dword(1));
  EXPECT_FALSE(outcome.fileTroubles);
}

TEST_F(Uninstall, TwoUninstallsAtOnceLoseNoReleaseOfACount) {
  // Two installations that each list the same shared file many times, removed at once.
  const std::string shared = File("shared.so");
  SetCount(shared, 1000);
  std::vector<std::string> lines{"[SYSTEM]"};
  lines.insert(lines.end(), 60, shared);
  WriteLog(lines);
  const std::string other = dir_ / "other";
  fs::create_directories(other);
  fs::copy_file(install_ + "/Uninstall.log", other + "/Uninstall.log");
  UninstallEnvironment env = env_;
  env.wait = nullptr;
  ScriptedUi firstUi, secondUi;
  std::thread first([&] { RunUninstall(install_, firstUi, env); });
  std::thread second([&] { RunUninstall(other, secondUi, env); });
  first.join();
  second.join();
  EXPECT_EQ(Count(shared), RegValue::Dword(880));
}

TEST_F(Uninstall, ASpentCountOfZeroDoesNotWrapRound) {
  const std::string a = File("a.so");
  SetCount(a, 0);
  ui_.answers = {SharedAnswer::No};
  WriteLog({"[SYSTEM]", a});
  RunIt();
  EXPECT_EQ(ui_.asked, std::vector<std::string>{a});
  EXPECT_EQ(Count(a), RegValue::Dword(0));
}

TEST_F(Uninstall, ASharedFileThatCannotBeDeletedKeepsItsCount) {
  const std::string gone = install_ + "/gone.so";
  SetCount(gone, 1);
  ui_.answers = {SharedAnswer::Yes};
  WriteLog({"[SYSTEM]", gone});
  const UninstallOutcome outcome = RunIt();
  EXPECT_TRUE(outcome.fileTroubles);
  EXPECT_EQ(Count(gone), RegValue::Dword(1));
}

TEST_F(Uninstall, ActiveXComponentsAreUnregisteredBeforeDeletion) {
  const std::string unregisterLog = dir_ / "unregistered.txt";
  ::setenv("VEXA_TEST_UNREGISTER_LOG", unregisterLog.c_str(), 1);
  const std::string with = install_ + "/control.so", without = install_ + "/plain.so";
  fs::copy_file(VEXA_TEST_ACTIVEX_LIBRARY, with);
  fs::copy_file(VEXA_TEST_PLAIN_LIBRARY, without);
  const std::string broken = File("broken.so", "not a library");
  SetCount(with, 1);
  SetCount(without, 1);
  SetCount(broken, 1);
  ui_.answers = {SharedAnswer::YesToAll};
  WriteLog({"[ActiveX]", with, without, broken});
  const UninstallOutcome outcome = RunIt();
  ::unsetenv("VEXA_TEST_UNREGISTER_LOG");

  EXPECT_EQ(ReadFile(unregisterLog), "unregistered\n");
  EXPECT_FALSE(fs::exists(with));
  EXPECT_FALSE(Count(with).has_value());
  // Without DllUnregisterServer, or not loadable: the file and its count stay; file troubles.
  EXPECT_TRUE(fs::exists(without));
  EXPECT_EQ(Count(without), RegValue::Dword(1));
  EXPECT_TRUE(fs::exists(broken));
  EXPECT_EQ(Count(broken), RegValue::Dword(1));
  EXPECT_TRUE(outcome.fileTroubles);
  EXPECT_EQ(Report(), std::string(kReportFirstLine) + kFileHeading + "\r\n" + without + "\r\n" +
                          broken + "\r\n");
}

TEST_F(Uninstall, TheMakersKeyStaysWhileAnotherProductsKeyIsInside) {
  const std::string maker = "Software\\Dorvik Software";
  ASSERT_TRUE(registry_.SetValue(RegRoot::CurrentUser, maker + "\\VEXA\\Settings\\Draw", "a",
                                 RegValue::Dword(1)));
  ASSERT_TRUE(registry_.SetValue(RegRoot::CurrentUser, maker + "\\Other", "b", RegValue::Dword(2)));
  WriteLog({"[REGISTRY]", "HKEY_CURRENT_USER\\" + maker + "\\VEXA", "HKEY_CURRENT_USER\\" + maker});
  UninstallOutcome outcome = RunIt();
  EXPECT_FALSE(outcome.registryTroubles);
  EXPECT_FALSE(registry_.KeyExists(RegRoot::CurrentUser, maker + "\\VEXA"));
  EXPECT_TRUE(registry_.KeyExists(RegRoot::CurrentUser, maker + "\\Other"));

  // Once the other product is gone, the same entry deletes the maker's key, values and all.
  ASSERT_TRUE(registry_.DeleteKeyTree(RegRoot::CurrentUser, maker + "\\Other"));
  ASSERT_TRUE(registry_.SetValue(RegRoot::CurrentUser, maker, "value", RegValue::Dword(3)));
  WriteLog({"[REGISTRY]", "HKEY_CURRENT_USER\\" + maker});
  outcome = RunIt();
  EXPECT_FALSE(outcome.registryTroubles);
  EXPECT_FALSE(registry_.KeyExists(RegRoot::CurrentUser, maker));
  EXPECT_TRUE(registry_.KeyExists(RegRoot::CurrentUser, "Software"));
}

TEST_F(Uninstall, RegistryEntriesNeedAKnownRootAndAnExistingKey) {
  ASSERT_TRUE(registry_.CreateKey(RegRoot::ClassesRoot, "Vexa.Document\\shell\\open"));
  ASSERT_TRUE(registry_.CreateKey(RegRoot::LocalMachine, "SOFTWARE\\Dorvik Software\\VEXA"));
  ASSERT_TRUE(registry_.CreateKey(RegRoot::CurrentUser, "Software\\Classes\\x"));
  WriteLog({"[REGISTRY]", "HKEY_CLASSES_ROOT\\Vexa.Document",
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Dorvik Software", "HKEY_USERS\\.DEFAULT\\Software\\VEXA",
            "Software\\Dorvik Software", "HKEY_CURRENT_USER\\Software\\Missing maker",
            "HKEY_CURRENT_USER\\", "HKEY_CURRENT_USER\\Software\\No\\Such"});
  const UninstallOutcome outcome = RunIt();
  EXPECT_FALSE(registry_.KeyExists(RegRoot::ClassesRoot, "Vexa.Document"));
  EXPECT_FALSE(registry_.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Dorvik Software"));
  // A root is never deleted whole.
  EXPECT_TRUE(registry_.KeyExists(RegRoot::CurrentUser, "Software\\Classes\\x"));
  EXPECT_TRUE(outcome.registryTroubles);
  EXPECT_FALSE(outcome.fileTroubles);
  EXPECT_EQ(Report(), std::string(kReportFirstLine) + kRegistryHeading + "\r\n" +
                          "HKEY_USERS\\.DEFAULT\\Software\\VEXA\r\n"
                          "Software\\Dorvik Software\r\n"
                          "HKEY_CURRENT_USER\\Software\\Missing maker\r\n"
                          "HKEY_CURRENT_USER\\\r\n"
                          "HKEY_CURRENT_USER\\Software\\No\\Such\r\n");
  EXPECT_EQ(ui_.messages, std::vector<std::string>{OutcomeMessage(false, true)});
}

TEST_F(Uninstall, ARegistryEntryNamesItsRootAtItsStart) {
  ASSERT_TRUE(registry_.SetValue(RegRoot::CurrentUser, "Software\\Other maker\\Tool", "a",
                                 RegValue::Dword(1)));
  ASSERT_TRUE(registry_.CreateKey(RegRoot::LocalMachine, "SOFTWARE\\Dorvik Software"));
  WriteLog({"[REGISTRY]", "HKEY_LOCAL_MACHINE\\SOFTWARE\\HKEY_CURRENT_USER\\Software",
            "x HKEY_CURRENT_USER\\Software\\Other maker",
            " HKEY_LOCAL_MACHINE\\SOFTWARE\\Dorvik Software"});
  const UninstallOutcome outcome = RunIt();
  // A root name further on in the line is part of the key path, or no root at all.
  EXPECT_TRUE(registry_.KeyExists(RegRoot::CurrentUser, "Software\\Other maker\\Tool"));
  EXPECT_TRUE(registry_.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Dorvik Software"));
  EXPECT_TRUE(outcome.registryTroubles);
  EXPECT_EQ(Report(), std::string(kReportFirstLine) + kRegistryHeading + "\r\n" +
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\HKEY_CURRENT_USER\\Software\r\n"
                          "x HKEY_CURRENT_USER\\Software\\Other maker\r\n"
                          " HKEY_LOCAL_MACHINE\\SOFTWARE\\Dorvik Software\r\n");
}

TEST_F(Uninstall, AKeyPathWithAnEmptyNameIsATroubleAndDeletesNothing) {
  // Spelt so, a maker's key would slip past the check that keeps it while a product's key is
  // inside it.
  ASSERT_TRUE(registry_.SetValue(RegRoot::CurrentUser, "Software\\Other maker\\Tool", "a",
                                 RegValue::Dword(1)));
  const std::vector<std::string> entries{"HKEY_CURRENT_USER\\Software\\\\Other maker",
                                         "HKEY_CURRENT_USER\\\\Software\\Other maker",
                                         "HKEY_CURRENT_USER\\Software\\Other maker\\"};
  std::vector<std::string> lines{"[REGISTRY]"};
  lines.insert(lines.end(), entries.begin(), entries.end());
  WriteLog(lines);
  const UninstallOutcome outcome = RunIt();
  EXPECT_TRUE(registry_.KeyExists(RegRoot::CurrentUser, "Software\\Other maker\\Tool"));
  EXPECT_TRUE(outcome.registryTroubles);
  std::string expected = std::string(kReportFirstLine) + kRegistryHeading + "\r\n";
  for (const auto& e : entries)
    expected += e + "\r\n";
  EXPECT_EQ(Report(), expected);
}

TEST_F(Uninstall, TheSoftwareKeysThatHoldEveryMakersKeysAreNeverDeletedWhole) {
  ASSERT_TRUE(registry_.SetValue(RegRoot::CurrentUser, "Software\\Other maker\\Tool", "a",
                                 RegValue::Dword(1)));
  ASSERT_TRUE(registry_.CreateKey(RegRoot::LocalMachine, "SOFTWARE\\Other maker"));
  const std::vector<std::string> entries{
      "HKEY_CURRENT_USER\\Software", "HKEY_CURRENT_USER\\software", "HKEY_LOCAL_MACHINE\\SOFTWARE"};
  std::vector<std::string> lines{"[REGISTRY]"};
  lines.insert(lines.end(), entries.begin(), entries.end());
  WriteLog(lines);
  const UninstallOutcome outcome = RunIt();
  EXPECT_TRUE(registry_.KeyExists(RegRoot::CurrentUser, "Software\\Other maker\\Tool"));
  EXPECT_TRUE(registry_.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Other maker"));
  EXPECT_TRUE(outcome.registryTroubles);
  std::string expected = std::string(kReportFirstLine) + kRegistryHeading + "\r\n";
  for (const auto& e : entries)
    expected += e + "\r\n";
  EXPECT_EQ(Report(), expected);
}

// Runs the test in the given folder and goes back to where it was.
class InFolder {
public:
  explicit InFolder(const std::string& folder) : old_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(old_); }

private:
  fs::path old_;
};

TEST_F(Uninstall, RelativeAndDotDotPathsAreTroublesAndNothingIsRemovedForThem) {
  // What lies where the uninstaller happens to be started, and beside the installation.
  const std::string here = dir_ / "here";
  fs::create_directories(here + "/folder");
  WriteFile(here + "/file", "x");
  WriteFile(here + "/shared.so", "x");
  const std::string beside = dir_ / "Program Files/beside";
  WriteFile(beside, "x");
  fs::create_directories(install_ + "/sub/..more");
  SetCount("shared.so", 1);
  SetCount(install_ + "/../beside", 1);
  ui_.answers = {};
  WriteLog({"[HOME]", "file", "./file", install_ + "/../beside", "[SYSTEM]", "shared.so",
            "[ActiveX]", install_ + "/../beside", "[DIRS]", "folder", install_ + "/sub/..",
            install_ + "/sub/..more", install_ + "/sub"});
  UninstallOutcome outcome;
  {
    InFolder in(here);
    outcome = RunIt();
  }
  EXPECT_TRUE(fs::exists(here + "/file"));
  EXPECT_TRUE(fs::exists(here + "/shared.so"));
  EXPECT_TRUE(fs::exists(here + "/folder"));
  EXPECT_TRUE(fs::exists(beside));
  // A name that only begins with two dots is an ordinary name.
  EXPECT_FALSE(fs::exists(install_ + "/sub"));
  // Their counts are not touched, and nobody is asked.
  EXPECT_EQ(Count("shared.so"), RegValue::Dword(1));
  EXPECT_EQ(Count(install_ + "/../beside"), RegValue::Dword(1));
  EXPECT_TRUE(ui_.asked.empty());
  EXPECT_TRUE(outcome.fileTroubles);
  EXPECT_EQ(Report(), std::string(kReportFirstLine) + kFileHeading + "\r\n" + "file\r\n" +
                          "./file\r\n" + install_ + "/../beside\r\n" + "shared.so\r\n" + install_ +
                          "/../beside\r\n" + kFolderHeading + "\r\n" + "folder\r\n" + install_ +
                          "/sub/..\r\n");
}

TEST_F(Uninstall, ANameThatOnlyBeginsWithTwoDotsIsAnOrdinaryName) {
  const std::string a = File("..a"), b = File("b..");
  WriteLog({"[HOME]", a, b});
  const UninstallOutcome outcome = RunIt();
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b));
  EXPECT_FALSE(outcome.fileTroubles);
}

TEST_F(Uninstall, AFolderThatStillHoldsAFileIsAFolderTrouble) {
  const std::string kept = File("data/user.vexa");
  fs::create_directories(install_ + "/empty");
  WriteLog({"[DIRS]", install_ + "/empty", install_ + "/data", install_});
  const UninstallOutcome outcome = RunIt();
  EXPECT_FALSE(fs::exists(install_ + "/empty"));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_TRUE(outcome.fileTroubles);
  EXPECT_EQ(Report(), std::string(kReportFirstLine) + kFolderHeading + "\r\n" + install_ +
                          "/data\r\n" + install_ + "\r\n");
  EXPECT_EQ(std::string(kFolderHeading),
            "\r\nSome folders can't be deleted. Maybe they consist files which were't setup. "
            "Delete their manually.");
}

TEST_F(Uninstall, EveryTroubleStandsUnderTheHeadingOfItsKind) {
  fs::create_directories(install_ + "/full");
  File("full/x");
  WriteLog({"[HOME]", "/no/such/1", "/no/such/2", "[REGISTRY]", "HKEY_USERS\\x", "[HOME]",
            "/no/such/3", "[DIRS]", install_ + "/full", "[HOME]", "/no/such/4"});
  const UninstallOutcome outcome = RunIt();
  EXPECT_EQ(Report(), "Following files, folders or registry keys can't delete:\r\n"
                      "\r\nSome files aren't deleted. They are busy or deleted earlier\r\n"
                      "/no/such/1\r\n"
                      "/no/such/2\r\n"
                      "\r\nThere were troubles during clearing registry keys. Following records "
                      "are't deleted:\r\n"
                      "HKEY_USERS\\x\r\n"
                      "\r\nSome files aren't deleted. They are busy or deleted earlier\r\n"
                      "/no/such/3\r\n"
                      "\r\nSome folders can't be deleted. Maybe they consist files which were't "
                      "setup. Delete their manually.\r\n" +
                          install_ + "/full\r\n" +
                          "\r\nSome files aren't deleted. They are busy or deleted earlier\r\n"
                          "/no/such/4\r\n");
  // The report is opened after the outcome message.
  EXPECT_EQ(outcome.reportPath, ReportPath());
  EXPECT_EQ(ui_.reports, std::vector<std::string>{ReportPath()});
  ASSERT_GE(ui_.events.size(), 2u);
  EXPECT_EQ(ui_.events[ui_.events.size() - 2], "message");
  EXPECT_EQ(ui_.events.back(), "report");
}

TEST_F(Uninstall, AnEarlierReportIsReplaced) {
  fs::create_directories(windows_ + "/TEMP");
  WriteFile(ReportPath(), "old report that is much longer than the new one\r\n\r\n\r\n\r\n");
  WriteLog({"[HOME]", "/no/such"});
  RunIt();
  EXPECT_EQ(Report(), std::string(kReportFirstLine) + kFileHeading + "\r\n/no/such\r\n");
}

TEST_F(Uninstall, ALogWithoutASectionHeaderIsATroubleAndTheUninstallDidNotComplete) {
  const std::string a = File("orlith");
  const std::string log = install_ + "/Uninstall.log";
  const std::string notComplete = std::string(kNotComplete) + kNoSectionFound + kPressOk;
  EXPECT_EQ(notComplete, "VEXA v.0.5 program uninstall did not complete.\n"
                         "No section header was found in <Uninstall.log> file.\n"
                         "Press OK to see list of uninstall troubles.");
  // Lines ended by line feeds alone, or by carriage returns alone, or no header at all.
  for (const std::string& text : {"[HOME]\n" + a + "\n", "[HOME]\r" + a + "\r",
                                  "; comment\r\n" + a + "\r\n", std::string(16, '\0')}) {
    SCOPED_TRACE(text);
    WriteFile(log, text);
    ui_.events.clear();
    ui_.messages.clear();
    const UninstallOutcome outcome = RunIt();
    EXPECT_TRUE(fs::exists(a));
    EXPECT_TRUE(outcome.logRead);
    EXPECT_TRUE(outcome.noSection);
    EXPECT_FALSE(outcome.fileTroubles);
    EXPECT_FALSE(outcome.registryTroubles);
    EXPECT_EQ(ui_.messages, std::vector<std::string>{notComplete});
    EXPECT_EQ(Report(), std::string(kReportFirstLine) + kNoSectionHeading + "\r\n" + log + "\r\n");
    ASSERT_GE(ui_.events.size(), 2u);
    EXPECT_EQ(ui_.events[ui_.events.size() - 2], "error");
    EXPECT_EQ(ui_.events.back(), "report");
  }
  EXPECT_EQ(std::string(kNoSectionHeading),
            "\r\nNo section header was found in <Uninstall.log> file. Nothing was deleted by it:");
}

TEST_F(Uninstall, TwoRunsAtOnceEachLeaveAWholeReport) {
  // While this run is between its two troubles, a second uninstall runs to its end.
  const std::string other = dir_ / "other";
  fs::create_directories(other);
  WriteFile(other + "/Uninstall.log", "[HOME]\r\n/no/such/b1\r\n");
  WriteLog({"[HOME]", "/no/such/a1", "/no/such/a2"});
  int waits = 0;
  ScriptedUi otherUi;
  UninstallEnvironment otherEnv = env_;
  otherEnv.wait = nullptr;
  std::string otherReport;
  env_.wait = [&](int) {
    if (++waits == 3) {
      RunUninstall(other, otherUi, otherEnv);
      otherReport = Report();
    }
  };
  RunIt();
  EXPECT_EQ(otherReport, std::string(kReportFirstLine) + kFileHeading + "\r\n/no/such/b1\r\n");
  EXPECT_EQ(Report(),
            std::string(kReportFirstLine) + kFileHeading + "\r\n/no/such/a1\r\n/no/such/a2\r\n");
}

TEST_F(Uninstall, TheReportIsReplacedNotRewrittenInPlace) {
  // A reader holding the earlier report keeps reading it whole.
  fs::create_directories(windows_ + "/TEMP");
  WriteFile(ReportPath(), "earlier report\r\n");
  fs::create_hard_link(ReportPath(), dir_ / "held");
  WriteLog({"[HOME]", "/no/such"});
  RunIt();
  EXPECT_EQ(ReadFile(dir_ / "held"), "earlier report\r\n");
  EXPECT_EQ(Report(), std::string(kReportFirstLine) + kFileHeading + "\r\n/no/such\r\n");
}

class UninstallInLittleMemory : public Uninstall {
protected:
  // Runs in a child of its own, with little memory and a time limit: a device that never
  // ends or a pipe nobody writes to must neither take the machine's memory nor hang the run.
  bool EveryLogIsRefusedAsMissing() {
#ifndef __SANITIZE_ADDRESS__ // the address checker keeps its own books of the memory
    const rlimit memory{1u << 30, 1u << 30};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
    ::alarm(20);
    const std::string a = File("orlith");
    const std::string log = install_ + "/Uninstall.log";
    const std::vector<std::string> missing{"Can't find <Uninstall.log> file." + log};
    bool right = true;
    auto run = [&] {
      ui_.messages.clear();
      ui_.events.clear();
      RunIt();
      right = right && ui_.messages == missing && ui_.events == std::vector<std::string>{"error"};
      fs::remove(log);
    };
    fs::create_symlink("/dev/zero", log);
    run();
    ::mkfifo(log.c_str(), 0644);
    run();
#ifndef __SANITIZE_ADDRESS__
    // A regular file too big for the memory there is cannot be read either.
    WriteFile(log, "");
    fs::resize_file(log, std::uintmax_t{4} << 30);
    run();
#endif
    return right && fs::exists(a);
  }
};

TEST_F(UninstallInLittleMemory, ALogThatIsNoRegularFileIsRefusedAsMissing) {
  EXPECT_EXIT(std::exit(EveryLogIsRefusedAsMissing() ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST_F(Uninstall, TheFourOutcomeMessages) {
  const std::string done = "VEXA v.0.5 program is deleted complete.\n";
  const std::string ok = "Press OK to see list of uninstall troubles.";
  EXPECT_EQ(OutcomeMessage(false, false), done);
  EXPECT_EQ(OutcomeMessage(true, false),
            done + "There were the troubles during deleting of the files or folders.\n" + ok);
  EXPECT_EQ(OutcomeMessage(false, true),
            done + "There were the troubles during clearing registry.\n" + ok);
  EXPECT_EQ(OutcomeMessage(true, true),
            done +
                "There were the troubles during deleting of the files/folders and clearing "
                "registry.\n" +
                ok);

  WriteLog({"[HOME]", "/no/such", "[REGISTRY]", "HKEY_USERS\\x"});
  RunIt();
  WriteLog({"[DIRS]", "/no/such"});
  RunIt();
  EXPECT_EQ(ui_.messages,
            (std::vector<std::string>{OutcomeMessage(true, true), OutcomeMessage(true, false)}));
}

TEST_F(Uninstall, WithoutAReportTheTroublesStillShowInTheMessage) {
  // The Windows folder's TEMP cannot be made: a file stands in its way.
  WriteFile(windows_ + "/TEMP", "in the way");
  WriteLog({"[HOME]", "/no/such"});
  const UninstallOutcome outcome = RunIt();
  EXPECT_TRUE(outcome.fileTroubles);
  EXPECT_TRUE(outcome.reportPath.empty());
  EXPECT_TRUE(ui_.reports.empty());
  EXPECT_EQ(ui_.messages, std::vector<std::string>{OutcomeMessage(true, false)});
}

} // namespace
