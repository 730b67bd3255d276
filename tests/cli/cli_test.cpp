#include "cli/CliRun.h"
#include "common/TempDir.h"
#include "document/PointTable.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using vexa::TitrationSystem;
using vexa::test::ReadFile;
using vexa::test::TempDir;
using vexa::test::Vexa;
using vexa::test::WriteFile;

namespace {

std::string Example(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/examples/" + name;
}

std::size_t FilesIn(const std::string& dir) {
  std::size_t n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir))
    n += e.is_regular_file();
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
    // Says where the page went, on standard error with the other messages.
    EXPECT_NE(r.err.find("Results page written to " + dir / "out.html"), std::string::npos);
    EXPECT_EQ(r.out, "");
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
  for (int i = 0; i < 199; ++i)
    title += "ж";
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

namespace {

// A standard output that cannot be written (a full disk, a closed terminal).
struct FailingBuffer : std::streambuf {
  int overflow(int) override { return traits_type::eof(); }
};

vexa::test::CliResult VexaToFailingOutput(const std::vector<std::string>& args) {
  std::istringstream in;
  FailingBuffer buffer;
  std::ostream out(&buffer);
  std::ostringstream err;
  const int code = vexa::cli::Run(args, in, out, err);
  return {code, "", err.str()};
}

std::vector<std::string> NamesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Lines of text, without their ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream s(text);
  for (std::string line; std::getline(s, line);)
    lines.push_back(line);
  return lines;
}

} // namespace

TEST(Cli, OutputsFollowLinksAndWriteFifosAndStandardOutput) {
  TempDir dir;
  const std::string example = Example("weak-acid-acetic-naoh.vexa");
  // A link: its target gets the page, the link stays.
  WriteFile(dir / "real.html", "old");
  std::filesystem::create_symlink("real.html", dir / "link.html");
  ASSERT_EQ(Vexa({"report", "-o", dir / "link.html", example}).code, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.html"));
  EXPECT_EQ(ReadFile(dir / "real.html").rfind("<html>", 0), 0u);

  // A FIFO: the reader gets the table, the FIFO stays.
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const auto exported = Vexa({"export", "-o", fifo, example});
  EXPECT_EQ(exported.code, 0) << exported.err;
  std::string got;
  char buffer[4096];
  for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;)
    got.append(buffer, static_cast<std::size_t>(n));
  ::close(reader);
  EXPECT_EQ(got.rfind("V_ml,pH,G\n", 0), 0u);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));

  // A descriptor, as /dev/stdout is: the page alone goes there, and no "written to" line
  // that would land in the same stream.
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK), 0);
  const auto piped = Vexa({"report", "-o", "/dev/fd/" + std::to_string(pipeFds[1]), example});
  EXPECT_EQ(piped.code, 0) << piped.err;
  EXPECT_EQ(piped.out, "");
  got.clear();
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    got.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  EXPECT_EQ(got, Vexa({"report", example}).out);

  // "-" is standard output for every command.
  const auto csv = Vexa({"export", "-o", "-", example});
  EXPECT_EQ(csv.out.rfind("V_ml,pH,G\n", 0), 0u);
  const auto vexaFile = Vexa({"import", "-o", "-", "-"}, "0,1\n1,2\n");
  EXPECT_EQ(vexaFile.code, 0);
  EXPECT_EQ(vexaFile.out.substr(0, 4), "VEXA");
  EXPECT_EQ(vexaFile.out.size(), 1284u + 32u);
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"fifo", "link.html", "real.html"}));
}

TEST(Cli, AFailingOutputLeavesNoOtherOutputBehind) {
  TempDir dir;
  const std::string example = Example("strong-acid-hcl-naoh.vexa");
  std::filesystem::create_directory(dir / "folder");
  // The page cannot be written: the system is not saved either.
  for (const std::string& page :
       std::vector<std::string>{dir / "folder", dir / "missing/page.html"}) {
    const auto r = Vexa({"report", "--save", dir / "saved.vexa", "-o", page, example});
    EXPECT_EQ(r.code, 1) << page;
    EXPECT_NE(r.err.find(page), std::string::npos) << r.err;
  }
  // Standard output fails: the file output is not put in place, and the failure is said.
  const auto full = VexaToFailingOutput({"report", "--save", dir / "saved.vexa", example});
  EXPECT_EQ(full.code, 1);
  EXPECT_EQ(full.err, "vexa: cannot write to standard output\n");
  EXPECT_EQ(VexaToFailingOutput({"export", example}).code, 1);
  EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"folder"});

  // One file named twice would lose one output: refused before anything is written.
  const auto same = Vexa({"report", "--save", dir / "x", "-o", dir / "./x", example});
  EXPECT_EQ(same.code, 2);
  EXPECT_NE(same.err.find("--save and -o name the same file"), std::string::npos);
  EXPECT_EQ(Vexa({"report", "--save", dir / "x", "-o", dir / "x", dir / "missing.vexa"}).code, 2);
  EXPECT_EQ(Vexa({"report", "--save", "-", example}).code, 2);
  EXPECT_EQ(Vexa({"export", "-o", "", example}).code, 2);
  EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"folder"});
}

TEST(Cli, ImportTakesTheParametersTheExamplesState) {
  for (const char* name :
       {"strong-acid-hcl-naoh", "weak-acid-acetic-naoh", "weak-base-ammonia-hcl"}) {
    TempDir dir;
    const auto r = Vexa({"import", "-o", dir / "x.vexa", Example(std::string(name) + ".csv")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "") << name; // nothing taken by default
    TitrationSystem sys;
    ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "x.vexa", nullptr));
    EXPECT_EQ(sys.cTit, 0.1) << name;
    EXPECT_EQ(sys.initialVolume, 50) << name;
    EXPECT_EQ(sys.pKw, 14) << name;
    // The same points as the shipped .vexa made from it.
    TitrationSystem shipped;
    ASSERT_TRUE(vexa::LoadSystemFile(shipped, Example(std::string(name) + ".vexa"), nullptr));
    ASSERT_EQ(sys.pointCount, shipped.pointCount);
    for (int i = 0; i < sys.pointCount; ++i) {
      EXPECT_EQ(sys.volume[i], shipped.volume[i]);
      EXPECT_EQ(sys.pH[i], shipped.pH[i]);
    }
  }
  // The command line overrides the file.
  TempDir dir;
  ASSERT_EQ(Vexa({"import", "--ctit", "0.2", "--v0", "25", "-o", dir / "x.vexa",
                  Example("weak-acid-acetic-naoh.csv")})
                .code,
            0);
  TitrationSystem sys;
  ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "x.vexa", nullptr));
  EXPECT_EQ(sys.cTit, 0.2);
  EXPECT_EQ(sys.initialVolume, 25);
  EXPECT_EQ(sys.pKw, 14);
}

TEST(Cli, ImportSaysEachDefaultItTakes) {
  TempDir dir;
  const auto all = Vexa({"import", "-o", dir / "x.vexa", "-"}, "V,pH\n0,3\n1,4\n");
  ASSERT_EQ(all.code, 0) << all.err;
  EXPECT_EQ(
      Lines(all.err),
      (std::vector<std::string>{
          "vexa: no V0 in standard input or on the command line (--v0): using the default, 50 ml",
          "vexa: no Ctit in standard input or on the command line (--ctit): using the default, "
          "0.01 mol/l",
          "vexa: no pKw in standard input or on the command line (--pkw): using the default, 14"}));

  WriteFile(dir / "t.csv", "# Ctit = 0.1 mol/l\nV;pH;T\n0;3;25\n1;4;25\n");
  const auto some = Vexa({"import", "--pkw", "13.8", "-o", dir / "x.vexa", dir / "t.csv"});
  ASSERT_EQ(some.code, 0) << some.err;
  EXPECT_EQ(Lines(some.err), (std::vector<std::string>{
                                 "vexa: " + dir / "t.csv" + ":2: the column \"T\" is left out",
                                 "vexa: no V0 in " + dir / "t.csv" +
                                     " or on the command line (--v0): using the default, 50 ml"}));

  // A parameter the file states wrongly is an error of the input, at its line.
  WriteFile(dir / "bad.csv", "# V0 = 5000 ml\n1,2\n");
  const auto bad = Vexa({"import", "-o", dir / "y.vexa", dir / "bad.csv"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_EQ(bad.err,
            "vexa: " + dir / "bad.csv" + ":1: V0 = 5000 ml: V0 must be between 0 and 3000 ml\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "y.vexa"));
}

TEST(Cli, ImportChoosesColumnsByTheHeader) {
  TempDir dir;
  ASSERT_EQ(
      Vexa({"import", "--v0", "50", "--pkw", "14", "--ctit", "0.1", "-o", dir / "x.vexa", "-"},
           "pH,V_ml\n3.1,0\n3.5,0.5\n")
          .code,
      0);
  TitrationSystem sys;
  ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "x.vexa", nullptr));
  ASSERT_EQ(sys.pointCount, 2);
  EXPECT_EQ(sys.volume[1], 0.5);
  EXPECT_EQ(sys.pH[1], 3.5);

  const auto neither = Vexa({"import", "-o", dir / "y.vexa", "-"}, "a,b\n1,2\n");
  EXPECT_EQ(neither.code, 1);
  EXPECT_EQ(neither.err, "vexa: standard input:1: the header \"a,b\" names neither a volume column "
                         "(V, V_ml, volume, ml) nor a pH column (pH); use --columns V,pH to "
                         "choose the volume and pH columns (by header name or number from 1)\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "y.vexa"));
}

TEST(Cli, AnExportImportsAgainAsTheSameSystem) {
  TempDir dir;
  const std::string example = Example("weak-base-ammonia-hcl.vexa");
  TitrationSystem original;
  ASSERT_TRUE(vexa::LoadSystemFile(original, example, nullptr));
  const auto exported = Vexa({"export", example});
  ASSERT_EQ(exported.code, 0);
  const auto imported =
      Vexa({"import", "--v0", "50", "--ctit", "0.1", "--pkw", "14", "-o", dir / "back.vexa", "-"},
           exported.out);
  ASSERT_EQ(imported.code, 0) << imported.err;
  EXPECT_EQ(imported.err, "");
  TitrationSystem back;
  ASSERT_TRUE(vexa::LoadSystemFile(back, dir / "back.vexa", nullptr));
  ASSERT_EQ(back.pointCount, original.pointCount);
  for (int i = 0; i < back.pointCount; ++i) {
    EXPECT_EQ(back.volume[i], original.volume[i]);
    EXPECT_EQ(back.pH[i], original.pH[i]);
    EXPECT_EQ(back.g[i], original.g[i]);
  }
  // And the second export is the first, byte for byte.
  EXPECT_EQ(Vexa({"export", dir / "back.vexa"}).out, exported.out);
}

TEST(Cli, ATitleOutsideTheCodePageIsRefused) {
  TempDir dir;
  WriteFile(dir / "in.csv", "# V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14\n0,1\n1,2\n");
  const auto umlaut =
      Vexa({"import", "--title", "Essigsäure", "-o", dir / "x.vexa", dir / "in.csv"});
  EXPECT_EQ(umlaut.code, 2);
  EXPECT_EQ(Lines(umlaut.err).at(0),
            "vexa: --title: \"ä\" (U+00E4) cannot be stored: a title holds only characters of the "
            "Windows-1251 code page");
  const auto formula = Vexa({"import", "--title", "Na₂CO₃", "-o", dir / "x.vexa", dir / "in.csv"});
  EXPECT_EQ(formula.code, 2);
  EXPECT_NE(formula.err.find("\"₂\" (U+2082)"), std::string::npos) << formula.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "x.vexa"));
  // What the code page holds is stored as it is.
  ASSERT_EQ(
      Vexa({"import", "--title", "Уксусная кислота №2 ± 0,1", "-o", dir / "x.vexa", dir / "in.csv"})
          .code,
      0);
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
  EXPECT_EQ(r.err.rfind("vexa: " + dir / "wild.vexa" +
                            ": No line reached a relative error below 10 %; the best, over points ",
                        0),
            0u)
      << r.err;
  // One line, before the one that says where the page went.
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
  EXPECT_NE(r.err.find("\nResults page written to " + dir / "out.html" + "\n"), std::string::npos);
  // The record is kept as automatic placement leaves it: the one empty line.
  TitrationSystem sys;
  ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "out.vexa", nullptr));
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);

  // A titration whose lines are found says nothing.
  const auto good = Vexa(
      {"report", "--auto-lines", "-o", dir / "good.html", Example("weak-acid-acetic-naoh.vexa")});
  EXPECT_EQ(good.code, 0);
  EXPECT_EQ(good.err, "Results page written to " + dir / "good.html" + "\n");
}
