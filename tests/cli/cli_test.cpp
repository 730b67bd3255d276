#include "cli/CliRun.h"
#include "common/TempDir.h"
#include "document/PointTable.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

using vexa::TitrationSystem;
using vexa::test::ReadFile;
using vexa::test::Vexa;
using vexa::test::TempDir;
using vexa::test::WriteFile;

namespace {


std::string Example(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/examples/" + name;
}

std::size_t FilesIn(const std::string& dir) {
  std::size_t n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) n += e.is_regular_file();
  return n;
}

} // namespace

TEST(Cli, AutoLinesFindTheStoichiometricEquivalence) {
  struct Case {
    const char* file;
    double veq;
  };
  for (const Case c : {Case{"strong-acid-hcl-naoh", 5.0}, Case{"weak-acid-acetic-naoh", 5.0},
                       Case{"weak-base-ammonia-hcl", 10.0}}) {
    TempDir dir;
    const auto r = Vexa({"report", "--auto-lines", "--save", dir / "out.vexa", "-o",
                        dir / "out.html", Example(std::string(c.file) + ".vexa")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("out.html"), std::string::npos); // says where the page went
    TitrationSystem sys;
    std::string error;
    ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "out.vexa", &error)) << error;
    int fitted = 0;
    for (int j = 0; j < sys.lineCount; ++j) {
      const auto& l = sys.lines[j];
      if (l.status != vexa::kLineFitted) continue;
      ++fitted;
      EXPECT_LE(std::fabs(l.veq - c.veq), l.deltaVeq) << c.file << " line " << j + 1;
    }
    EXPECT_GE(fitted, 1) << c.file;
    const std::string page = ReadFile(dir / "out.html");
    EXPECT_EQ(page.rfind("<html>", 0), 0u);
  }
}

TEST(Cli, ImportExportRoundTrip) {
  TempDir dir;
  const auto imported = Vexa({"import", "--v0", "25", "--pkw", "13.8", "--ctit", "0.2", "--title",
                             "Уксусная & co", "-o", dir / "a.vexa", "-"},
                            "V;pH\n0;3,1\n0,5;3,3\n1;3,9\n");
  ASSERT_EQ(imported.code, 0) << imported.err;
  TitrationSystem sys;
  ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "a.vexa", nullptr));
  EXPECT_EQ(sys.pointCount, 3);
  EXPECT_EQ(sys.initialVolume, 25);
  EXPECT_EQ(sys.pKw, 13.8);
  EXPECT_EQ(sys.cTit, 0.2);
  EXPECT_EQ(sys.Title(), "\xD3\xEA\xF1\xF3\xF1\xED\xE0\xFF & co");
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);

  const auto exported = Vexa({"export", dir / "a.vexa"});
  ASSERT_EQ(exported.code, 0);
  std::istringstream rows(exported.out);
  std::string row;
  std::getline(rows, row);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(std::getline(rows, row));
    double v, ph, g;
    ASSERT_EQ(std::sscanf(row.c_str(), "%lf,%lf,%lf", &v, &ph, &g), 3);
    EXPECT_EQ(v, sys.volume[i]); // %.17g reads back exactly
    EXPECT_EQ(ph, sys.pH[i]);
    EXPECT_EQ(g, sys.g[i]);
  }
  EXPECT_EQ(exported.out.substr(0, 10), "V_ml,pH,G\n");
}

TEST(Cli, WrongCommandLinesExitWithTwoAndWriteNothing) {
  TempDir dir;
  WriteFile(dir / "in.csv", "0,1\n1,2\n");
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"report"},
      {"report", "--font-size", "120", dir / "in.csv"},
      {"report", "-o"},
      {"import", dir / "in.csv"}, // no -o
      {"import", "--pkw", "16.01", "-o", dir / "x.vexa", dir / "in.csv"},
      {"import", "--pkw", "11.99", "-o", dir / "x.vexa", dir / "in.csv"},
      {"import", "--v0", "3000.5", "-o", dir / "x.vexa", dir / "in.csv"},
      {"import", "--ctit", "-0.01", "-o", dir / "x.vexa", dir / "in.csv"},
      {"import", "--ctit", "abc", "-o", dir / "x.vexa", dir / "in.csv"},
      {"import", "--title", std::string(200, 'x'), "-o", dir / "x.vexa", dir / "in.csv"},
      {"export", "--bogus", dir / "in.csv"},
  };
  for (const auto& args : bad) {
    const auto r = Vexa(args);
    EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  // The limits themselves are accepted, and so is a title of 199 Cyrillic letters.
  std::string title;
  for (int i = 0; i < 199; ++i) title += "ж";
  EXPECT_EQ(Vexa({"import", "--pkw", "16", "--v0", "3000", "--ctit", "0", "--title", title, "-o",
                 dir / "x.vexa", dir / "in.csv"})
                .code,
            0);
}

TEST(Cli, BadInputExitsWithOneAndWritesNothing) {
  TempDir dir;
  std::string good;
  {
    TitrationSystem sys;
    ASSERT_TRUE(vexa::SaveSystemFile(sys, dir / "good.vexa", nullptr));
    good = ReadFile(dir / "good.vexa");
  }
  WriteFile(dir / "short.vexa", good.substr(0, 700));
  std::string huge = good;
  huge[236] = huge[237] = huge[238] = '\xff';
  huge[239] = '\x7f';
  WriteFile(dir / "huge.vexa", huge);
  WriteFile(dir / "empty.vexa", "");
  WriteFile(dir / "bad.csv", "V,pH\n1,2\n2,-3\n");
  const std::size_t before = FilesIn(dir.path());

  for (const char* f : {"short.vexa", "huge.vexa", "empty.vexa", "missing.vexa"}) {
    const auto r = Vexa({"report", "--save", dir / "o.vexa", "-o", dir / "o.html", dir / f});
    EXPECT_EQ(r.code, 1) << f;
    EXPECT_NE(r.err.find(f), std::string::npos) << r.err;
  }
  const auto csv = Vexa({"import", "-o", dir / "o.vexa", dir / "bad.csv"});
  EXPECT_EQ(csv.code, 1);
  EXPECT_NE(csv.err.find("bad.csv:3:"), std::string::npos) << csv.err;
  EXPECT_EQ(Vexa({"export", "-o", dir / "o.csv", dir / "bad.csv"}).code, 1);
  // An output that cannot be written is an error too, and leaves nothing behind.
  EXPECT_EQ(Vexa({"report", "-o", dir / "no/such/dir.html", dir / "good.vexa"}).code, 1);
  EXPECT_EQ(FilesIn(dir.path()), before);
}

TEST(Cli, ReportToStandardOutputWithFontSize) {
  const auto r = Vexa({"report", "--font-size", "200", Example("strong-acid-hcl-naoh.vexa")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("style=\"font-size: 200%\""), std::string::npos);
  EXPECT_NE(r.out.find("System: <b>HCl 0.01 M with NaOH 0.1 M</b>"), std::string::npos);
  EXPECT_EQ(Vexa({"--version"}).code, 0);
  EXPECT_EQ(Vexa({"--help"}).code, 0);
}

TEST(Cli, AutoLinesThatKeepNoLineSaySoOnStandardError) {
  TempDir dir;
  // Twelve points whose pH jumps up and down: no line comes near a relative error of 10 %.
  const auto imported =
      Vexa({"import", "-o", dir / "wild.vexa", "-"},
           "0,3\n1,11\n2,4\n3,10\n4,3.5\n5,12\n6,2.5\n7,9\n8,4\n9,11.5\n10,3\n11,10\n");
  ASSERT_EQ(imported.code, 0) << imported.err;
  const auto r = Vexa({"report", "--auto-lines", "--save", dir / "out.vexa", "-o", dir / "out.html",
                       dir / "wild.vexa"});
  EXPECT_EQ(r.code, 0); // the exit status is that of a report that worked
  EXPECT_EQ(
      r.err.rfind("vexa: No line reached a relative error below 10 %; the best, over points ", 0),
      0u)
      << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err; // one line
  // The record is kept as automatic placement leaves it: the one empty line.
  TitrationSystem sys;
  ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "out.vexa", nullptr));
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);

  // A titration whose lines are found says nothing.
  const auto good = Vexa(
      {"report", "--auto-lines", "-o", dir / "good.html", Example("weak-acid-acetic-naoh.vexa")});
  EXPECT_EQ(good.code, 0);
  EXPECT_EQ(good.err, "");
}
