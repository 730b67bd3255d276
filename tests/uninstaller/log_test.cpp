#include "uninstaller/UninstallLog.h"

#include <gtest/gtest.h>

namespace {

using vexa::uninstaller::LogEntry;
using vexa::uninstaller::LogSection;
using vexa::uninstaller::ParseUninstallLog;

using Entries = std::vector<LogEntry>;

TEST(UninstallLog, SkipsCommentsAndEmptyLinesAndFollowsSections) {
  EXPECT_EQ(ParseUninstallLog("; VEXA\r\n"
                              "\r\n"
                              "[HOME]\r\n"
                              "/opt/vexa/orlith\r\n"
                              " ; not a comment\r\n"
                              "\r\n"
                              "[DIRS]\r\n"
                              "/opt/vexa\r\n"
                              "[HOME]\r\n"
                              "/opt/vexa/late\r\n"),
            (Entries{{LogSection::Home, "/opt/vexa/orlith"},
                     {LogSection::Home, " ; not a comment"},
                     {LogSection::Dirs, "/opt/vexa"},
                     {LogSection::Home, "/opt/vexa/late"}}));
}

TEST(UninstallLog, ALastLineWithoutCrLfIsNotRead) {
  EXPECT_EQ(ParseUninstallLog("[HOME]\r\n/a\r\n/b"), (Entries{{LogSection::Home, "/a"}}));
  EXPECT_EQ(ParseUninstallLog("[HOME]\r\n/a\r\n/b\n"), (Entries{{LogSection::Home, "/a"}}));
  // Line feeds alone end no line; a lone carriage return stays in the entry.
  EXPECT_EQ(ParseUninstallLog("[HOME]\n/a\n/b\n"), Entries{});
  EXPECT_EQ(ParseUninstallLog("[HOME]\r\n/a\r\r\n"), (Entries{{LogSection::Home, "/a\r"}}));
  EXPECT_EQ(ParseUninstallLog(""), Entries{});
  EXPECT_EQ(ParseUninstallLog("\r\n"), Entries{});
}

TEST(UninstallLog, ASectionNameAnywhereInALineMakesItAHeader) {
  EXPECT_EQ(ParseUninstallLog("[HOME]\r\n"
                              "/opt/[DIRS]/file\r\n"
                              "/opt/x\r\n"
                              "junk [SYSTEM] junk\r\n"
                              "/lib/shared.so\r\n"
                              "[HOME][ActiveX][DIRS]\r\n"
                              "/lib/control.so\r\n"
                              "[REGISTRY] [HOME]\r\n"
                              "HKEY_CURRENT_USER\\Software\\x\r\n"
                              "[home]\r\n"),
            (Entries{{LogSection::Dirs, "/opt/x"},
                     {LogSection::System, "/lib/shared.so"},
                     {LogSection::ActiveX, "/lib/control.so"},
                     {LogSection::Registry, "HKEY_CURRENT_USER\\Software\\x"},
                     {LogSection::Registry, "[home]"}}));
}

TEST(UninstallLog, TellsWhetherAHeaderWasRead) {
  bool found = true;
  EXPECT_EQ(ParseUninstallLog("[HOME]\n/a\n", &found), Entries{});
  EXPECT_FALSE(found);
  EXPECT_EQ(ParseUninstallLog("; [HOME]\r\n/a\r\n[DIRS]", &found),
            (Entries{{LogSection::None, "/a"}}));
  EXPECT_FALSE(found);
  EXPECT_EQ(ParseUninstallLog("/a\r\n[DIRS]\r\n", &found), (Entries{{LogSection::None, "/a"}}));
  EXPECT_TRUE(found);
}

TEST(UninstallLog, EntriesBeforeTheFirstHeaderBelongToNoSection) {
  EXPECT_EQ(ParseUninstallLog("/early\r\n[HOME]\r\n/a\r\n"),
            (Entries{{LogSection::None, "/early"}, {LogSection::Home, "/a"}}));
}

TEST(UninstallLog, TheTextEndsAtAZeroByte) {
  EXPECT_EQ(ParseUninstallLog(std::string("[HOME]\r\n/a\r\n/b\0/c\r\n/d\r\n", 19)),
            (Entries{{LogSection::Home, "/a"}}));
}

TEST(UninstallLog, LongLinesAreWhole) {
  const std::string longPath = "/" + std::string(5000, 'x');
  EXPECT_EQ(ParseUninstallLog("[HOME]\r\n" + longPath + "\r\n"),
            (Entries{{LogSection::Home, longPath}}));
}

} // namespace
