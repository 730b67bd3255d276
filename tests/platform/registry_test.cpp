#include "common/TempDir.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace {

using vexa::platform::NamedValue;
using vexa::platform::ParseValuesFile;
using vexa::platform::RegistryStore;
using vexa::platform::RegRoot;
using vexa::platform::RegValue;
using vexa::test::ReadFile;
using vexa::test::TempDir;
using vexa::test::WriteFile;

const RegRoot kUser = RegRoot::CurrentUser;
const std::string kVexa = "Software\\Dorvik Software\\VEXA";

TEST(RegistryStore, DefaultFolderFollowsTheEnvironment) {
  ::setenv("VEXA_REGISTRY_DIR", "/somewhere/registry", 1);
  EXPECT_EQ(RegistryStore::DefaultFolder(), "/somewhere/registry");
  ::unsetenv("VEXA_REGISTRY_DIR");
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(RegistryStore::DefaultFolder(), "/cfg/vexa-registry");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/ann", 1);
  EXPECT_EQ(RegistryStore::DefaultFolder(), "/home/ann/.config/vexa-registry");
}

TEST(RegistryStore, EveryTypeRoundTripsThroughItsFile) {
  TempDir dir;
  RegistryStore store(dir.path());
  const RegValue values[] = {
      RegValue::Dword(0x00c8c8c8), RegValue::Dword(0xFFFFFFFF),
      RegValue::String("plain"),   RegValue::String("quote \" back\\slash\r\nline\ttab"),
      RegValue::String(""),        RegValue::Binary({0, 1, 0xFF, 0x10}),
      RegValue::Binary({}),        RegValue::MultiString({"\\??\\/tmp/a b", "", "third"}),
      RegValue::MultiString({}),   RegValue::MultiString({""})};
  int n = 0;
  for (const auto& v : values)
    ASSERT_TRUE(store.SetValue(kUser, kVexa, "v" + std::to_string(n++), v));
  RegistryStore again(dir.path());
  n = 0;
  for (const auto& v : values) {
    const auto got = again.QueryValue(kUser, kVexa, "v" + std::to_string(n++));
    ASSERT_TRUE(got.has_value()) << n;
    EXPECT_EQ(*got, v) << n;
  }
  // The file is text a person can read: one line per value.
  const std::string text =
      ReadFile(dir.path() + "/HKEY_CURRENT_USER/Software/Dorvik Software/VEXA/values.reg");
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Dorvik Software\\VEXA]\n"), std::string::npos);
  EXPECT_NE(text.find("\"v0\"=dword:00c8c8c8\n"), std::string::npos);
  EXPECT_NE(text.find("\"v2\"=\"plain\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"v3\"=\"quote \\\" back\\\\slash\\x0d\\x0aline\\x09tab\"\n"),
            std::string::npos);
  EXPECT_NE(text.find("\"v5\"=hex:00,01,ff,10\n"), std::string::npos);
  EXPECT_NE(text.find("; \"\\\\??\\\\/tmp/a b\", \"\", \"third\"\n"), std::string::npos);
}

TEST(RegistryStore, NamesCompareWithoutRegardToCase) {
  TempDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(store.SetValue(kUser, "Software\\Dorvik Software\\VEXA\\Settings", "Grid_Color",
                             RegValue::Dword(1)));
  EXPECT_TRUE(store.KeyExists(kUser, "SOFTWARE\\dorvik software\\vexa\\settings"));
  EXPECT_EQ(store.QueryValue(kUser, "software\\DORVIK SOFTWARE\\Vexa\\SETTINGS", "grid_color"),
            RegValue::Dword(1));
  // Setting through another spelling replaces the value and keeps the first spelling.
  ASSERT_TRUE(store.SetValue(kUser, "SOFTWARE\\Dorvik Software\\vexa\\settings", "GRID_COLOR",
                             RegValue::Dword(2)));
  EXPECT_EQ(store.EnumValueNames(kUser, kVexa + "\\Settings"),
            std::vector<std::string>{"Grid_Color"});
  EXPECT_EQ(store.QueryValue(kUser, kVexa + "\\Settings", "grid_color"), RegValue::Dword(2));
  EXPECT_EQ(store.EnumSubkeys(kUser, "software"), std::vector<std::string>{"Dorvik Software"});
  // Cyrillic and Latin-1 letters too.
  ASSERT_TRUE(store.SetValue(kUser, "Software\\Ключ", "/Файл/É", RegValue::Dword(3)));
  EXPECT_EQ(store.QueryValue(kUser, "software\\КЛЮЧ", "/файл/é"), RegValue::Dword(3));
}

TEST(RegistryStore, AnyCharacterOfANameIsStoredSafely) {
  TempDir dir;
  RegistryStore store(dir.path());
  const std::string path = "/usr/lib/x86_64-linux-gnu/libfoo.so.1";
  ASSERT_TRUE(store.SetValue(RegRoot::LocalMachine, "SOFTWARE\\Shared", path, RegValue::Dword(3)));
  ASSERT_TRUE(store.SetValue(RegRoot::LocalMachine, "SOFTWARE\\Shared", "a\"b\\c\nd=e",
                             RegValue::Dword(4)));
  ASSERT_TRUE(store.SetValue(RegRoot::LocalMachine, "SOFTWARE\\Shared", "", RegValue::String("d")));
  EXPECT_EQ(store.QueryValue(RegRoot::LocalMachine, "SOFTWARE\\Shared", path), RegValue::Dword(3));
  EXPECT_EQ(store.QueryValue(RegRoot::LocalMachine, "SOFTWARE\\Shared", "a\"b\\c\nd=e"),
            RegValue::Dword(4));
  EXPECT_EQ(store.QueryValue(RegRoot::LocalMachine, "SOFTWARE\\Shared", ""), RegValue::String("d"));

  // Key names with slashes, dots, percent signs and the values file's own name stay inside
  // the store and come back as they were written.
  const std::vector<std::string> keys = {"a/b",        "..",           ".",       ".hidden", "100%",
                                         "values.reg", "VALUES.REG.x", "tab\tkey"};
  for (const auto& k : keys)
    ASSERT_TRUE(store.CreateKey(kUser, "Odd\\" + k)) << k;
  auto listed = store.EnumSubkeys(kUser, "Odd");
  std::sort(listed.begin(), listed.end());
  auto expected = keys;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  ASSERT_TRUE(store.SetValue(kUser, "Odd\\values.reg", "x", RegValue::Dword(5)));
  EXPECT_EQ(store.QueryValue(kUser, "Odd\\values.reg", "x"), RegValue::Dword(5));
  EXPECT_FALSE(store.QueryValue(kUser, "Odd", "x").has_value());
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().string().rfind(dir.path(), 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "/HKEY_CURRENT_USER/Odd"));
}

TEST(RegistryStore, DeletesValuesAndWholeKeyTrees) {
  TempDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(store.SetValue(kUser, kVexa + "\\Settings\\Draw", "a", RegValue::Dword(1)));
  ASSERT_TRUE(store.SetValue(kUser, kVexa + "\\Recent File List", "File1", RegValue::String("x")));
  ASSERT_TRUE(store.SetValue(kUser, "Software\\Dorvik Software\\Other", "b", RegValue::Dword(2)));

  EXPECT_TRUE(store.DeleteValue(kUser, kVexa + "\\Settings\\Draw", "A"));
  EXPECT_FALSE(store.DeleteValue(kUser, kVexa + "\\Settings\\Draw", "a"));
  EXPECT_FALSE(store.DeleteValue(kUser, "No\\Such", "a"));

  EXPECT_TRUE(store.DeleteKeyTree(kUser, "software\\dorvik software\\vexa"));
  EXPECT_FALSE(store.KeyExists(kUser, kVexa));
  EXPECT_FALSE(store.QueryValue(kUser, kVexa + "\\Recent File List", "File1").has_value());
  EXPECT_EQ(store.EnumSubkeys(kUser, "Software\\Dorvik Software"),
            std::vector<std::string>{"Other"});
  EXPECT_FALSE(store.DeleteKeyTree(kUser, kVexa));
  // A root is never deleted.
  EXPECT_FALSE(store.DeleteKeyTree(kUser, ""));
  EXPECT_FALSE(store.DeleteKeyTree(kUser, "\\\\"));
  EXPECT_TRUE(store.KeyExists(kUser, "Software\\Dorvik Software\\Other"));
  // Nothing of the deletion is left behind in the parent's folder.
  for (const auto& entry : std::filesystem::directory_iterator(
           dir.path() + "/HKEY_CURRENT_USER/Software/Dorvik Software"))
    EXPECT_EQ(entry.path().filename(), "Other");
}

TEST(RegistryStore, RootsAreSeparate) {
  TempDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(store.SetValue(RegRoot::ClassesRoot, ".vexa", "", RegValue::String("Vexa.Document")));
  EXPECT_FALSE(store.KeyExists(kUser, ".vexa"));
  EXPECT_FALSE(store.KeyExists(RegRoot::LocalMachine, ".vexa"));
  EXPECT_EQ(store.QueryValue(RegRoot::ClassesRoot, ".VEXA", ""), RegValue::String("Vexa.Document"));
  EXPECT_TRUE(store.KeyExists(RegRoot::ClassesRoot, ""));
}

TEST(RegistryStore, AnOpenKeyWorksUntilItIsDeleted) {
  TempDir dir;
  RegistryStore store(dir.path());
  EXPECT_FALSE(store.OpenKey(RegRoot::LocalMachine, "SOFTWARE\\Shared").has_value());
  ASSERT_TRUE(store.CreateKey(RegRoot::LocalMachine, "SOFTWARE\\Shared\\Sub"));
  auto key = store.OpenKey(RegRoot::LocalMachine, "software\\shared");
  ASSERT_TRUE(key.has_value());
  EXPECT_TRUE(key->HasSubkeys());
  EXPECT_TRUE(key->SetValue("/lib/x.so", RegValue::Dword(3)));
  EXPECT_TRUE(key->UpdateValue("/lib/x.so", [](const std::optional<RegValue>& old) {
    return RegValue::Dword(old->dword - 1);
  }));
  EXPECT_EQ(store.QueryValue(RegRoot::LocalMachine, "SOFTWARE\\Shared", "/LIB/X.SO"),
            RegValue::Dword(2));
  ASSERT_TRUE(store.DeleteKeyTree(RegRoot::LocalMachine, "SOFTWARE\\Shared\\Sub"));
  EXPECT_FALSE(key->HasSubkeys());
  ASSERT_TRUE(store.DeleteKeyTree(RegRoot::LocalMachine, "SOFTWARE"));
  EXPECT_FALSE(key->QueryValue("/lib/x.so").has_value());
  EXPECT_FALSE(key->SetValue("/lib/x.so", RegValue::Dword(1)));
}

TEST(RegistryStore, WritersOfOneKeyDoNotLoseEachOthersChanges) {
  TempDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(store.SetValue(kUser, kVexa, "count", RegValue::Dword(0)));
  auto add = [&](const std::string& mine) {
    RegistryStore own(dir.path());
    auto key = own.OpenKey(kUser, kVexa);
    for (int i = 0; i < 50; ++i) {
      key->UpdateValue("count", [](const std::optional<RegValue>& old) {
        return RegValue::Dword(old->dword + 1);
      });
      key->SetValue(mine + std::to_string(i), RegValue::Dword(1));
    }
  };
  std::thread a(add, "a"), b(add, "b");
  a.join();
  b.join();
  EXPECT_EQ(store.QueryValue(kUser, kVexa, "count"), RegValue::Dword(100));
  EXPECT_EQ(store.EnumValueNames(kUser, kVexa).size(), 101u);
  // Every write went through a temporary file that is gone now.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(
           dir.path() + "/HKEY_CURRENT_USER/Software/Dorvik Software/VEXA"))
    files.push_back(entry.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"values.reg"});
}

TEST(RegistryValuesFile, ADamagedFileIsReadAsFarAsItIsSound) {
  TempDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(store.CreateKey(kUser, kVexa));
  const std::string file =
      dir.path() + "/HKEY_CURRENT_USER/Software/Dorvik Software/VEXA/values.reg";
  WriteFile(file, "Windows Registry Editor Version 5.00\r\n"
                  "\r\n"
                  "[HKEY_CURRENT_USER\\Software\\Dorvik Software\\VEXA]\r\n"
                  "\"good\"=dword:0000002a\r\n"
                  "\"toolong\"=dword:123456789\r\n"
                  "\"unclosed=dword:1\n"
                  "\"badescape\\q\"=dword:1\n"
                  "\"badhex\"=hex:0g,01\n"
                  "\"nolist\"=hex(7):61,00\n"
                  "\"other\"=hex(2):61,00\n"
                  "garbage line\n"
                  "  \"spaced\" = \"yes\"  \n"
                  "\"wrapped\"=hex:01,02,\\\n"
                  "  03,04\n"
                  "\"GOOD\"=dword:2b\n"
                  "\"cut\"=\"half a str");
  EXPECT_EQ(store.EnumValueNames(kUser, kVexa),
            (std::vector<std::string>{"good", "spaced", "wrapped"}));
  EXPECT_EQ(store.QueryValue(kUser, kVexa, "good"), RegValue::Dword(0x2b));
  EXPECT_EQ(store.QueryValue(kUser, kVexa, "spaced"), RegValue::String("yes"));
  EXPECT_EQ(store.QueryValue(kUser, kVexa, "wrapped"), RegValue::Binary({1, 2, 3, 4}));
  // Binary garbage reads as no values at all.
  WriteFile(file, std::string("\0\xff\"\\\n=\x01", 7));
  EXPECT_TRUE(store.EnumValueNames(kUser, kVexa).empty());
  EXPECT_TRUE(store.SetValue(kUser, kVexa, "fresh", RegValue::Dword(1)));
  EXPECT_EQ(ParseValuesFile(ReadFile(file)),
            (std::vector<NamedValue>{{"fresh", RegValue::Dword(1)}}));
}

} // namespace
