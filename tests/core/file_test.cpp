#include "common/TempDir.h"
#include "platform/Archive.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using vexa::Archive;
using vexa::ArchiveException;
using vexa::TitrationSystem;

namespace {

std::string Store(const TitrationSystem& sys) {
  Archive ar;
  sys.WriteTo(ar);
  return ar.TakeStored();
}

// Reads bytes; returns the archive exception's cause, or -1 when the file was accepted.
int Load(TitrationSystem& sys, const std::string& bytes) {
  Archive ar(bytes);
  try {
    sys.ReadFrom(ar);
  } catch (const ArchiveException& e) {
    return e.cause();
  }
  return -1;
}

void Put32(std::string& bytes, std::size_t at, std::int32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
}

std::string Hex(const std::string& s) {
  std::string out;
  char b[4];
  for (unsigned char c : s) {
    std::snprintf(b, sizeof b, "%02x ", c);
    out += b;
  }
  return out;
}

TitrationSystem* ThreePointsTwoLines() {
  auto* sys = new TitrationSystem;
  sys->InsertPoint(1);
  sys->InsertPoint(2);
  for (int i = 0; i < 3; ++i) {
    sys->volume[i] = i;
    sys->pH[i] = 3 + i;
  }
  sys->RecomputeLinearised();
  sys->AddLine();
  return sys;
}

} // namespace

TEST(VexaFile, NewSystemIsExactly1300Bytes) {
  TitrationSystem sys;
  const std::string bytes = Store(sys);
  ASSERT_EQ(bytes.size(), 1300u);
  std::string expected = "VEXA";
  expected += std::string("\x00\x10\x00\x00", 4);
  expected += std::string(4, '\0');
  std::string title(200, '\0');
  std::memcpy(title.data(), "Untitled system", 15);
  expected += title;
  expected += std::string("\x00\x00\x00\x00\x00\x00\x49\x40", 8);
  expected += std::string("\x00\x00\x00\x00\x00\x00\x2c\x40", 8);
  expected += std::string("\x7b\x14\xae\x47\xe1\x7a\x84\x3f", 8);
  expected += std::string("\x01\x00\x00\x00", 4);
  expected += std::string(16, '\0');
  expected += std::string("\x01\x00\x00\x00", 4);
  std::string table(1040, '\0');
  table[80] = table[81] = table[82] = table[83] = '\xff';
  table[80] = '\xfe'; // status -2 of line 0
  expected += table;
  ASSERT_EQ(expected.size(), 1300u);
  EXPECT_EQ(Hex(bytes), Hex(expected));
  EXPECT_EQ(static_cast<unsigned char>(bytes[340]), 0xfe);

  TitrationSystem back;
  ASSERT_EQ(Load(back, bytes), -1);
  EXPECT_EQ(back.Title(), "Untitled system");
  EXPECT_EQ(back.pointCount, 1);
  EXPECT_EQ(back.lineCount, 1);
  EXPECT_EQ(back.lines[0].status, -2);
}

TEST(VexaFile, ThreePointsTwoLinesLayout) {
  std::unique_ptr<TitrationSystem> sys(ThreePointsTwoLines());
  sys->lines[1].firstPoint = 2;
  sys->lines[1].endPoint = 0;
  sys->lines[1].reserved72[3] = 0x5a; // reserved bytes travel with the record
  sys->lines[9].reserved92[11] = 0xa5;
  const std::string bytes = Store(*sys);
  ASSERT_EQ(bytes.size(), 1332u);
  EXPECT_EQ(bytes.substr(288, 4), std::string("\x02\x00\x00\x00", 4)); // lineCount
  EXPECT_EQ(static_cast<unsigned char>(bytes[292 + 104 + 84]), 2);     // line 1 firstPoint
  EXPECT_EQ(static_cast<unsigned char>(bytes[292 + 104 + 75]), 0x5a);
  EXPECT_EQ(static_cast<unsigned char>(bytes[292 + 9 * 104 + 103]), 0xa5);

  TitrationSystem back;
  back.pKw = 12; // G follows the loaded parameters, not the ones before
  ASSERT_EQ(Load(back, bytes), -1);
  EXPECT_EQ(back.pointCount, 3);
  EXPECT_EQ(back.pKw, 14);
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(back.g[i], sys->g[i]);
  for (int j = 0; j < 10; ++j) EXPECT_EQ(back.lines[j], sys->lines[j]) << j;
  EXPECT_EQ(Store(back), bytes); // carried unchanged from file to file
}

TEST(VexaFile, HeaderIsRefusedOnlyWhenBothFieldsAreWrong) {
  TitrationSystem sys;
  const std::string good = Store(sys);
  TitrationSystem back;

  std::string otherVersion = good;
  Put32(otherVersion, 4, 4097);
  EXPECT_EQ(Load(back, otherVersion), -1);

  std::string otherMagic = good;
  otherMagic.replace(0, 4, "ABCD");
  EXPECT_EQ(Load(back, otherMagic), -1);

  std::string neither = otherMagic;
  Put32(neither, 4, 4097);
  back.SetTitle("before");
  EXPECT_EQ(Load(back, neither), ArchiveException::badSchema);
  EXPECT_EQ(back.Title(), "Untitled system"); // a new system is left behind
  EXPECT_EQ(back.pointCount, 1);
}

TEST(VexaFile, ImpossibleFilesAreRefusedWithTheFormatError) {
  std::unique_ptr<TitrationSystem> sys(ThreePointsTwoLines());
  const std::string good = Store(*sys);
  auto refused = [](std::string bytes) {
    TitrationSystem back;
    back.InsertPoint(0);
    back.lineCount = 4;
    const int cause = Load(back, bytes);
    EXPECT_EQ(back.pointCount, 1);
    EXPECT_EQ(back.lineCount, 1);
    EXPECT_EQ(back.Title(), "Untitled system");
    return cause;
  };
  const int bad = ArchiveException::badSchema;
  EXPECT_EQ(refused(""), bad);                       // length 0
  EXPECT_EQ(refused(good.substr(0, 100)), bad);      // inside the title
  EXPECT_EQ(refused(good.substr(0, good.size() - 1)), bad); // one byte short
  for (std::int32_t n : {0, -1, 4, 0x7fffffff, static_cast<std::int32_t>(0x80000000)}) {
    std::string b = good;
    Put32(b, 236, n);
    EXPECT_EQ(refused(b), bad) << "n = " << n;
  }
  for (std::int32_t l : {0, 11, -3}) {
    std::string b = good;
    Put32(b, 288, l);
    EXPECT_EQ(refused(b), bad) << "lineCount = " << l;
  }
}

TEST(VexaFile, OddButHarmlessContentIsKept) {
  std::unique_ptr<TitrationSystem> sys(ThreePointsTwoLines());
  sys->lines[0].firstPoint = 57; // left behind by deleted points: kept, clamped before use
  sys->lines[0].endPoint = -4;
  std::string bytes = Store(*sys);
  std::memset(bytes.data() + 12, 'T', 200); // a title without a terminator
  TitrationSystem back;
  ASSERT_EQ(Load(back, bytes), -1);
  EXPECT_EQ(back.Title(), std::string(199, 'T'));
  EXPECT_EQ(back.lines[0].firstPoint, 57);
  EXPECT_EQ(back.lines[0].endPoint, -4);
  back.RefitAllLines();
  EXPECT_EQ(back.lines[0].firstPoint, 0);
  EXPECT_EQ(back.lines[0].status, vexa::kLineFewPoints);

  bytes += "trailing bytes are ignored";
  EXPECT_EQ(Load(back, bytes), -1);
}

TEST(VexaFile, SaveIsAtomicAndLoadReportsErrors) {
  vexa::test::TempDir dir;
  std::unique_ptr<TitrationSystem> sys(ThreePointsTwoLines());
  std::string error;
  ASSERT_TRUE(vexa::SaveSystemFile(*sys, dir / "a.vexa", &error)) << error;
  EXPECT_EQ(vexa::test::ReadFile(dir / "a.vexa").size(), 1332u);

  // A folder that does not exist: nothing is written, the message names the file.
  EXPECT_FALSE(vexa::SaveSystemFile(*sys, dir / "missing/a.vexa", &error));
  EXPECT_NE(error.find("missing/a.vexa"), std::string::npos);

  TitrationSystem back;
  EXPECT_TRUE(vexa::LoadSystemFile(back, dir / "a.vexa", &error));
  EXPECT_EQ(back.pointCount, 3);
  vexa::test::WriteFile(dir / "bad.vexa", "not a titration");
  EXPECT_FALSE(vexa::LoadSystemFile(back, dir / "bad.vexa", &error));
  EXPECT_EQ(back.pointCount, 1);
  EXPECT_FALSE(vexa::LoadSystemFile(back, dir / "none.vexa", &error));
}
