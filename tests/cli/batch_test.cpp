// vexa batch: a table of titrations into one results table.
#include "cli/CliData.h"
#include "cli/CliRun.h"
#include "cli/Program.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>

using vexa::test::CsvRecords;
using vexa::test::ExampleFile;
using vexa::test::ReadFile;
using vexa::test::ShapeFile;
using vexa::test::TempDir;
using vexa::test::Vexa;
using vexa::test::WriteFile;

namespace {

namespace fs = std::filesystem;

// A folder with a dozen titrations, one of them broken, and the table that lists them (files
// named relative to it). Every row places one line by hand, so each gives one results row.
struct DozenRows {
  TempDir dir;
  std::string table = dir / "runs/table.csv";

  DozenRows() {
    fs::create_directories(dir / "runs/data");
    std::string text = "file;v0;ctit;pkw;title;method;lines;mv;sample\n";
    const char* shapes[] = {"extra-columns.csv",
                            "units-line.csv",
                            "several-headers.txt",
                            "preamble.csv",
                            "quoted.csv",
                            "utf16le-bom.csv",
                            "cr.csv",
                            "crlf.csv"};
    for (const char* name : shapes) {
      fs::copy_file(ShapeFile(name), dir / "runs/data/" + name);
      text += std::string("data/") + name + ";50;0,1;14;;;1-8;;S\n";
    }
    fs::copy_file(ShapeFile("potentials-mv.csv"), dir / "runs/data/potentials-mv.csv");
    text += "data/potentials-mv.csv;50;0,1;14;;;1-8;400;S\n";
    WriteFile(dir / "runs/data/broken.csv", "V;pH\n0;2\n1;three\n");
    text += "data/broken.csv;50;0,1;14;Broken;;1-2;;S\n";
    for (const char* e : {"strong-acid-hcl-naoh.vexa", "weak-acid-acetic-naoh.vexa"}) {
      fs::copy_file(ExampleFile(e), dir / "runs/data/" + e);
      text += std::string("data/") + e + ";;;;;;1-8;;S\n";
    }
    WriteFile(table, text);
  }
};

std::map<std::string, int> RowsByNumber(const std::vector<std::map<std::string, std::string>>& r) {
  std::map<std::string, int> rows;
  for (const auto& record : r)
    ++rows[record.at("row")];
  return rows;
}

} // namespace

TEST(Batch, ADozenRowsWithOneBrokenFile) {
  DozenRows runs;
  const auto r = Vexa({"batch", "--jobs", "3", runs.table});
  EXPECT_EQ(r.code, 1) << r.err;
  const auto records = CsvRecords(r.out);
  ASSERT_EQ(records.size(), 12u);
  int results = 0, errors = 0;
  for (const auto& record : records) {
    EXPECT_EQ(record.count("<fields>"), 0u) << record.at("row");
    if (record.at("error").empty()) {
      ++results;
      EXPECT_EQ(record.at("status"), "0") << record.at("file");
      EXPECT_EQ(record.at("first"), "1");
      EXPECT_EQ(record.at("end"), "8");
    } else {
      ++errors;
      EXPECT_EQ(record.at("row"), "11");
      EXPECT_EQ(record.at("file"), "data/broken.csv");
      EXPECT_NE(record.at("error").find("broken.csv:3: the pH \"three\" is not a number"),
                std::string::npos)
          << record.at("error");
      EXPECT_EQ(record.at("veq"), "");
    }
  }
  EXPECT_EQ(results, 11);
  EXPECT_EQ(errors, 1);
  // The rows keep the table's order, counted as its lines are (the header is line 1).
  for (std::size_t k = 0; k < records.size(); ++k)
    EXPECT_EQ(records[k].at("row"), std::to_string(k + 2));
  // The table's values are used: the same line gives the same Veq in every shaped copy.
  EXPECT_EQ(records[0].at("veq"), records[1].at("veq"));
  EXPECT_EQ(records[0].at("ctit"), "0.1");
  EXPECT_EQ(records[8].at("e0_mv"), "400");
  EXPECT_NE(r.err.find("vexa: 11 of 12 titrations analysed, 1 failed\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("the column \"sample\" is left out"), std::string::npos);
}

TEST(Batch, ResultsDoNotDependOnTheNumberOfThreads) {
  DozenRows runs;
  const auto one = Vexa({"batch", "--jobs", "1", runs.table});
  for (const char* jobs : {"2", "5", "12", "64"}) {
    const auto many = Vexa({"batch", "--jobs", jobs, runs.table});
    EXPECT_EQ(many.code, one.code);
    EXPECT_EQ(many.out, one.out) << jobs;
    EXPECT_EQ(many.err, one.err) << jobs;
  }
  const auto json1 = Vexa({"batch", "--jobs", "1", "--format", "json", runs.table});
  const auto json4 = Vexa({"batch", "--jobs", "4", "--format", "json", runs.table});
  EXPECT_EQ(json1.out, json4.out);
  const auto doc = nlohmann::json::parse(json1.out);
  ASSERT_EQ(doc.at("systems").size(), 12u);
  EXPECT_EQ(doc.at("systems")[9].at("status"), "error");
  EXPECT_EQ(doc.at("systems")[9].at("row"), 11);
}

TEST(Batch, MethodsPagesAndPlots) {
  TempDir dir;
  for (const char* e :
       {"strong-acid-hcl-naoh.vexa", "weak-acid-acetic-naoh.vexa", "weak-base-ammonia-hcl.csv"})
    fs::copy_file(ExampleFile(e), dir / e);
  fs::create_directory(dir / "other");
  fs::copy_file(ExampleFile("weak-acid-acetic-naoh.vexa"),
                dir / "other/weak-acid-acetic-naoh.vexa");
  WriteFile(dir / "t.csv", "# the batch\nFile,Method,Title\n"
                           "strong-acid-hcl-naoh.vexa,auto,\n"
                           "weak-acid-acetic-naoh.vexa,robust,\"Acetic, robust\"\n"
                           "other/weak-acid-acetic-naoh.vexa,stored,\n"
                           "weak-base-ammonia-hcl.csv,,\n");
  std::vector<std::string> args = {"batch", "--pages",           dir / "pages",
                                   "-o",    dir / "results.csv", dir / "t.csv"};
#ifdef VEXA_WITH_PLOT
  args.insert(args.begin() + 1, {"--plots", dir / "plots"});
#endif
  const auto r = Vexa(args);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const auto records = CsvRecords(ReadFile(dir / "results.csv"));
  const auto rows = RowsByNumber(records);
  EXPECT_EQ(rows.size(), 4u);
  std::set<std::string> methods;
  for (const auto& record : records)
    methods.insert(record.at("method"));
  EXPECT_EQ(methods, (std::set<std::string>{"auto", "robust", "stored"}));
  // The page of each row is the report's page of the same input, its checks included; two
  // rows of one name get their row number.
  std::set<std::string> pages;
  for (const auto& e : fs::directory_iterator(dir / "pages"))
    pages.insert(e.path().filename());
  EXPECT_EQ(pages, (std::set<std::string>{
                       "strong-acid-hcl-naoh.html", "weak-acid-acetic-naoh-row4.html",
                       "weak-acid-acetic-naoh-row5.html", "weak-base-ammonia-hcl.html"}));
  EXPECT_EQ(ReadFile(dir / "pages/strong-acid-hcl-naoh.html"),
            Vexa({"report", "--auto-lines", dir / "strong-acid-hcl-naoh.vexa"}).out);
  EXPECT_EQ(ReadFile(dir / "pages/weak-acid-acetic-naoh-row4.html"),
            Vexa({"report", "--auto-lines=robust", "--title", "Acetic, robust",
                  dir / "weak-acid-acetic-naoh.vexa"})
                .out);
  EXPECT_NE(ReadFile(dir / "pages/weak-acid-acetic-naoh-row4.html").find("<b>Checks</b>"),
            std::string::npos);
#ifdef VEXA_WITH_PLOT
  for (const char* name : {"strong-acid-hcl-naoh", "weak-base-ammonia-hcl"})
    for (const char* view : {"", "-linearised"}) {
      const std::string png = ReadFile(dir / "plots/" + name + view + ".png");
      EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << name << view;
    }
#endif
}

TEST(Batch, TableProblems) {
  TempDir dir;
  fs::copy_file(ExampleFile("strong-acid-hcl-naoh.vexa"), dir / "a.vexa");
  // No column "file", an empty table, a table that lists nothing: nothing is written.
  WriteFile(dir / "nofile.csv", "name,v0\na.vexa,50\n");
  const auto nofile = Vexa({"batch", "-o", dir / "out.csv", dir / "nofile.csv"});
  EXPECT_EQ(nofile.code, 1);
  EXPECT_NE(nofile.err.find("names no column \"file\""), std::string::npos) << nofile.err;
  WriteFile(dir / "empty.csv", "# nothing\n");
  EXPECT_EQ(Vexa({"batch", dir / "empty.csv"}).code, 1);
  WriteFile(dir / "header.csv", "file\n");
  EXPECT_EQ(Vexa({"batch", dir / "header.csv"}).code, 1);
  EXPECT_EQ(Vexa({"batch", dir / "missing.csv"}).code, 1);
  EXPECT_FALSE(fs::exists(dir / "out.csv"));
  // Cells that cannot be used fail their row only, with the reason.
  WriteFile(dir / "cells.csv", "file,v0,method,lines,title\n"
                               "a.vexa,abc,,,\n"
                               "a.vexa,,fast,,\n"
                               "a.vexa,,auto,1-3,\n"
                               "a.vexa,,,1-99,\n"
                               ",,,,\n"
                               "a.vexa,,,,Essigs\xC3\xA4ure\n"
                               "a.vexa,20,,,\n");
  const auto cells = Vexa({"batch", dir / "cells.csv"});
  EXPECT_EQ(cells.code, 1);
  const auto records = CsvRecords(cells.out);
  ASSERT_EQ(records.size(), 6u); // the empty row is no titration
  const char* reasons[] = {"v0: \"abc\" is not a number", "method \"fast\" is not stored, auto",
                           "method auto and lines cannot be given together",
                           "the line 1-99 of the batch table names a point beyond the last",
                           "title: \"\xC3\xA4\" (U+00E4) cannot be stored"};
  for (std::size_t k = 0; k < 5; ++k)
    EXPECT_NE(records[k].at("error").find(reasons[k]), std::string::npos) << records[k].at("error");
  EXPECT_EQ(records[5].at("error"), "");
  EXPECT_EQ(records[5].at("v0"), "20");
  EXPECT_EQ(records[5].at("row"), "8");
  // The table from standard input: files relative to the working folder.
  const auto cwd = fs::current_path();
  fs::current_path(dir.path());
  const auto piped = Vexa({"batch", "--format", "json", "-"}, "file\na.vexa\n");
  fs::current_path(cwd);
  ASSERT_EQ(piped.code, 0) << piped.err;
  EXPECT_EQ(nlohmann::json::parse(piped.out).at("systems")[0].at("file"), "a.vexa");
  // Wrong command lines.
  EXPECT_EQ(Vexa({"batch"}).code, 2);
  EXPECT_EQ(Vexa({"batch", "--jobs", "0", dir / "cells.csv"}).code, 2);
  EXPECT_EQ(Vexa({"batch", "--format", "html", dir / "cells.csv"}).code, 2);
}

// The program itself, as a user starts it: the progress bar, and which libraries it loads.
TEST(Program, AProgressBarOnlyOnATerminal) {
  DozenRows runs;
  const auto terminal = vexa::test::RunProgramOnTerminal({VEXA_CLI_FILE, "batch", runs.table});
  EXPECT_EQ(terminal.code, 1);
  EXPECT_EQ(CsvRecords(terminal.out).size(), 12u);
  EXPECT_NE(terminal.err.find("] 12/12 rows, 1 failed"), std::string::npos) << terminal.err;
  EXPECT_NE(terminal.err.find("\r\x1b[K"), std::string::npos);
  const auto quiet =
      vexa::test::RunProgramOnTerminal({VEXA_CLI_FILE, "batch", "--no-progress", runs.table});
  EXPECT_EQ(quiet.err.find("rows"), std::string::npos) << quiet.err;
  const auto piped = vexa::test::RunProgram({VEXA_CLI_FILE, "batch", runs.table});
  EXPECT_EQ(piped.err.find("\r["), std::string::npos);
  EXPECT_EQ(piped.out, terminal.out);
}

namespace {

// The shared libraries a run of vexa loads, as the dynamic loader tells them.
std::string LoadedLibraries(const std::vector<std::string>& args, const std::string& input = {}) {
  std::vector<std::string> argv = {VEXA_CLI_FILE};
  argv.insert(argv.end(), args.begin(), args.end());
  const auto r = vexa::test::RunProgram(argv, input, {"LD_DEBUG=files", "VEXA_QT_MODULE="});
  EXPECT_EQ(r.code, 0) << args[0] << ": " << r.err;
  return r.err;
}

} // namespace

TEST(Program, LoadsNoQtLibraryExceptToDraw) {
  TempDir dir;
  const std::string example = ExampleFile("weak-acid-acetic-naoh.vexa");
  // Not linked...
  const auto ldd = vexa::test::RunProgram({"/usr/bin/ldd", VEXA_CLI_FILE});
  ASSERT_EQ(ldd.code, 0);
  EXPECT_EQ(ldd.out.find("Qt"), std::string::npos) << ldd.out;
  // ...and not loaded by the commands that do not draw.
  WriteFile(dir / "t.csv", "file\n" + example + "\n" + ShapeFile("quoted.csv") + "\n");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"report", example},
           {"report", "--format", "json", "--auto-lines=robust", example},
           {"report", "--format", "csv", ShapeFile("utf16be-bom.csv")},
           {"import", "-o", dir / "x.vexa", ShapeFile("preamble.csv")},
           {"export", example},
           {"batch", "--pages", dir / "pages", dir / "t.csv"}}) {
    const std::string loaded = LoadedLibraries(args);
    EXPECT_NE(loaded.find("libc.so"), std::string::npos); // the loader did report
    EXPECT_EQ(loaded.find("libQt"), std::string::npos) << args[0];
    EXPECT_EQ(loaded.find("vexa-qt.so"), std::string::npos) << args[0];
  }
#ifdef VEXA_WITH_PLOT
  // Drawing loads the module beside the program, and Qt with it.
  const std::string plot = LoadedLibraries({"plot", "-o", dir / "g.png", example});
  EXPECT_NE(plot.find("vexa-qt.so"), std::string::npos);
  EXPECT_NE(plot.find("libQt6Gui"), std::string::npos);
#endif
}

TEST(Program, SaysWhenTheModuleIsMissingOrWrong) {
  TempDir dir;
  const std::string example = ExampleFile("weak-acid-acetic-naoh.vexa");
#ifndef VEXA_WITH_PLOT
  // A build without the module says what it cannot do.
  const auto none = vexa::test::RunProgram({VEXA_CLI_FILE, "plot", "-o", dir / "g.png", example});
  EXPECT_EQ(none.code, 2);
  EXPECT_EQ(none.err, "vexa: plot is not available: this vexa was built without its Qt module\n");
  return;
#endif
  const auto missing = vexa::test::RunProgram({VEXA_CLI_FILE, "plot", "-o", dir / "g.png", example},
                                              {}, {"VEXA_QT_MODULE=" + dir / "vexa-qt.so"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("plot needs vexa's Qt module: cannot load " + dir / "vexa-qt.so"),
            std::string::npos)
      << missing.err;
  // A library that is not the module.
  const auto wrong = vexa::test::RunProgram({VEXA_CLI_FILE, "plot", "-o", dir / "g.png", example},
                                            {}, {"VEXA_QT_MODULE=/lib/x86_64-linux-gnu/libm.so.6"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find("is not the module of this vexa"), std::string::npos) << wrong.err;
  EXPECT_FALSE(fs::exists(dir / "g.png"));
  // The report does not need it.
  const auto report = vexa::test::RunProgram({VEXA_CLI_FILE, "report", example}, {},
                                             {"VEXA_QT_MODULE=" + dir / "vexa-qt.so"});
  EXPECT_EQ(report.code, 0);
}

TEST(Program, BashCompletion) {
  const std::string script = std::string(VEXA_SOURCE_DIR) + "/cli/vexa.bash-completion";
  const auto complete = [&](const std::string& words, int cword) {
    const auto r = vexa::test::RunProgram({"/bin/bash", "-c",
                                           "source '" + script + "'; COMP_WORDS=(" + words +
                                               "); COMP_CWORD=" + std::to_string(cword) +
                                               "; _vexa; echo \"${COMPREPLY[*]}\""});
    EXPECT_EQ(r.err, "");
    return r.out;
  };
  EXPECT_EQ(complete("vexa ba", 1), "batch\n");
  EXPECT_EQ(complete("vexa report --format ''", 3), "html csv json pdf\n");
  EXPECT_EQ(complete("vexa plot --format ''", 3), "png svg\n");
  EXPECT_EQ(complete("vexa report --auto", 2), "--auto-lines --auto-lines=robust\n");
  EXPECT_EQ(complete("vexa batch --pl", 2), "--plots\n");
}
