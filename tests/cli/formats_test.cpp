// vexa report as data: CSV and JSON, the schema, many inputs, lines by hand and overrides.
#include "cli/CliData.h"
#include "cli/CliRun.h"
#include "cli/Program.h"
#include "common/TempDir.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using vexa::TitrationSystem;
using vexa::test::CsvRecords;
using vexa::test::ExampleFile;
using vexa::test::ReadFile;
using vexa::test::ShapeFile;
using vexa::test::TempDir;
using vexa::test::Vexa;
using vexa::test::WriteFile;

namespace {

const char* const kExamples[] = {"strong-acid-hcl-naoh.vexa", "weak-acid-acetic-naoh.vexa",
                                 "weak-base-ammonia-hcl.vexa"};

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Printf(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

double Read(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  EXPECT_TRUE(!text.empty() && *end == '\0') << "\"" << text << "\"";
  return v;
}

// Titrations whose lines cannot all be fitted: three equal volumes, then a rise.
constexpr const char* kEqualVolumes = "V,pH\n1,2\n1,2.1\n1,2.2\n2,3\n3,4\n4,5\n";

} // namespace

TEST(Formats, CsvReadsBackTheNumbersThePageShows) {
  for (const char* example : kExamples) {
    SCOPED_TRACE(example);
    TempDir dir;
    const auto csv = Vexa({"report", "--auto-lines", "--format", "csv", "--save", dir / "s.vexa",
                           ExampleFile(example)});
    ASSERT_EQ(csv.code, 0) << csv.err;
    const std::string page = Vexa({"report", "--auto-lines", ExampleFile(example)}).out;
    TitrationSystem sys;
    ASSERT_TRUE(vexa::LoadSystemFile(sys, dir / "s.vexa", nullptr));

    const auto records = CsvRecords(csv.out);
    ASSERT_EQ(static_cast<int>(records.size()), sys.lineCount);
    for (const auto& r : records) {
      EXPECT_EQ(r.count("<fields>"), 0u);
      const auto has = [&](const std::string& row) {
        EXPECT_NE(page.find(row), std::string::npos) << row;
      };
      has(Printf("Initial volume (V<sub>0</sub>): <b>%g</b>", Read(r.at("v0"))));
      has(Printf("pK<sub>w</sub> = <b>%g</b>", Read(r.at("pkw"))));
      has(Printf("(C<sub>tit</sub>), mol/l: <b>%g</b>", Read(r.at("ctit"))));
      has(Printf("(<i>n</i>): <b>%d</b>", std::stoi(r.at("points"))));
      const int k = std::stoi(r.at("line")) - 1;
      const vexa::ApproxLine& line = sys.lines[static_cast<std::size_t>(k)];
      ASSERT_EQ(std::stoi(r.at("status")), line.status);
      ASSERT_EQ(line.status, vexa::kLineFitted);
      // Exactly the doubles of the fit.
      EXPECT_EQ(Read(r.at("veq")), line.veq);
      EXPECT_EQ(Read(r.at("delta_v")), line.deltaVeq);
      EXPECT_EQ(Read(r.at("a")), line.a);
      EXPECT_EQ(Read(r.at("rho")), line.rhoXY);
      // And, printed as the page prints them, the page's own text.
      const int first = std::stoi(r.at("first")), end = std::stoi(r.at("end"));
      has(Printf("<td>first/end point (number)</td><td>%d/%d(%d)</td>", first, end,
                 std::abs(end - first) + 1));
      has(Printf("<td>A &plusmn; &Delta;A</td><td>%g &plusmn; %g</td>", Read(r.at("a")),
                 Read(r.at("delta_a"))));
      has(Printf("<td>B &plusmn; &Delta;B</td><td>%g &plusmn; %g</td>", Read(r.at("b")),
                 Read(r.at("delta_b"))));
      has(Printf("<td>V<sub>eq</sub> &plusmn; &Delta;V</td><td>%g &plusmn; %g</td>",
                 Read(r.at("veq")), Read(r.at("delta_v"))));
      has(Printf("<td>C<sub>sub</sub> &plusmn; &Delta;C, mol/l</td><td>%g &plusmn; %g</td>",
                 Read(r.at("csub")), Read(r.at("delta_c"))));
      has(Printf("<td>&Delta;pH</td><td>%g</td>", Read(r.at("delta_ph"))));
      has(Printf("(correlation coefficient)</td><td>%g</td>", Read(r.at("rho"))));
      EXPECT_DOUBLE_EQ(Read(r.at("relative_error")), 100 * line.deltaVeq / line.veq);
      EXPECT_EQ(r.at("status_text"), "fitted");
      EXPECT_EQ(r.at("method"), "auto");
      EXPECT_EQ(r.at("file"), ExampleFile(example));
    }
  }
}

TEST(Formats, LinesThatCannotBeFittedHaveNoNumbers) {
  TempDir dir;
  WriteFile(dir / "equal.csv", kEqualVolumes);
  const auto csv = Vexa({"report", "--format", "csv", "--line", "1-3", "--line", "4-5", "--line",
                         "3-6", dir / "equal.csv"});
  ASSERT_EQ(csv.code, 0) << csv.err;
  const auto records = CsvRecords(csv.out);
  ASSERT_EQ(records.size(), 3u);
  // A failed fit: the page's own words, no numbers.
  EXPECT_EQ(records[0].at("status"), "-1");
  EXPECT_EQ(records[0].at("status_text"), "The least squares method is failed!");
  for (const char* field : {"a", "b", "veq", "delta_v", "rho", "csub", "delta_ph"})
    EXPECT_EQ(records[0].at(field), "") << field;
  // Two points: the line's values, but no error estimates.
  EXPECT_EQ(records[1].at("status"), "1");
  EXPECT_NE(records[1].at("veq"), "");
  for (const char* field : {"delta_a", "delta_b", "delta_v", "rho", "relative_error", "delta_c"})
    EXPECT_EQ(records[1].at(field), "") << field;
  EXPECT_EQ(records[2].at("status"), "0");
  EXPECT_EQ(records[2].at("first"), "3");
  EXPECT_EQ(records[2].at("end"), "6");
  EXPECT_EQ(records[2].at("method"), "manual");
  // The imported system's title is its file's name; the defaults it took are its warnings.
  EXPECT_EQ(records[0].at("title"), "equal");
  EXPECT_NE(records[0].at("warnings").find("no V0 in"), std::string::npos);
}

TEST(Formats, JsonFollowsTheSchemaFile) {
  TempDir dir;
  WriteFile(dir / "equal.csv", kEqualVolumes);
  std::vector<std::string> documents;
  const auto keep = [&](const std::vector<std::string>& args) {
    const auto r = Vexa(args);
    ASSERT_EQ(r.code, 0) << r.err;
    documents.push_back(dir / ("doc" + std::to_string(documents.size()) + ".json"));
    WriteFile(documents.back(), r.out);
  };
  std::vector<std::string> stored = {"report", "--format", "json"};
  for (const char* e : kExamples)
    stored.push_back(ExampleFile(e));
  keep(stored);
  auto robust = stored;
  robust.insert(robust.begin() + 1, "--auto-lines=robust");
  robust.push_back(ShapeFile("preamble.csv"));
  keep(robust);
  keep({"report", "--format", "json", "--mv", "400", ShapeFile("potentials-mv.csv")});
  keep({"report", "--format", "json", "--line", "1-3", "--line", "4-5", dir / "equal.csv"});
  WriteFile(dir / "batch.csv", "file,lines\n" + ExampleFile(kExamples[0]) +
                                   ",1-20\nmissing.vexa,\n" + dir / "equal.csv" + ",1-3\n");
  const auto batch = Vexa({"batch", "--format", "json", dir / "batch.csv"});
  ASSERT_EQ(batch.code, 1) << batch.err;
  documents.push_back(dir / "batch.json");
  WriteFile(documents.back(), batch.out);

  const std::string schema = std::string(VEXA_SOURCE_DIR) + "/cli/vexa-report.schema.json";
  const std::string validator = std::string(VEXA_SOURCE_DIR) + "/tests/cli/validate_json.py";
  std::vector<std::string> command = {VEXA_PYTHON, validator, schema};
  command.insert(command.end(), documents.begin(), documents.end());
  const auto valid = vexa::test::RunProgram(command);
  EXPECT_EQ(valid.code, 0) << valid.out << valid.err;

  // The check itself finds a document that does not follow the schema.
  auto doc = nlohmann::json::parse(ReadFile(documents[0]));
  doc["systems"][0].erase("lines");
  doc["systems"][1]["lines"][0]["status"] = "0";
  WriteFile(dir / "wrong.json", doc.dump());
  const auto wrong = vexa::test::RunProgram({VEXA_PYTHON, validator, schema, dir / "wrong.json"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.out.find("'lines' is a required property"), std::string::npos) << wrong.out;
  EXPECT_NE(wrong.out.find("/systems/1/lines/0/status"), std::string::npos) << wrong.out;
}

TEST(Formats, JsonAndCsvHoldTheSameNumbers) {
  std::vector<std::string> args = {"report", "--auto-lines=robust", "--format"};
  for (const char* e : kExamples)
    args.push_back(ExampleFile(e));
  auto json = args, csv = args;
  json.insert(json.begin() + 3, "json");
  csv.insert(csv.begin() + 3, "csv");
  const auto j = nlohmann::json::parse(Vexa(json).out);
  const auto records = CsvRecords(Vexa(csv).out);
  std::size_t r = 0;
  for (const auto& system : j.at("systems")) {
    EXPECT_EQ(system.at("method"), "robust");
    ASSERT_FALSE(system.at("checks").is_null());
    for (const auto& line : system.at("lines")) {
      ASSERT_LT(r, records.size());
      const auto& record = records[r++];
      EXPECT_EQ(record.at("file"), system.at("file").get<std::string>());
      for (const char* field : {"a", "b", "delta_a", "delta_b", "rho", "veq", "delta_v",
                                "relative_error", "csub", "delta_c", "delta_ph"}) {
        if (line.at(field).is_null()) {
          EXPECT_EQ(record.at(field), "") << field;
        } else {
          EXPECT_EQ(Read(record.at(field)), line.at(field).get<double>()) << field;
        }
      }
      const auto& checks = system.at("checks");
      if (!checks.at("veq").is_null()) {
        EXPECT_EQ(Read(record.at("robust_veq")), checks.at("veq").get<double>());
      }
      EXPECT_EQ(record.at("agreement"), checks.at("agreement").get<std::string>());
    }
  }
  EXPECT_EQ(r, records.size());
}

TEST(Report, ManyInputs) {
  TempDir dir;
  std::vector<std::string> inputs;
  for (const char* e : kExamples)
    inputs.push_back(ExampleFile(e));
  // CSV: one header, the rows of every input in order.
  auto args = std::vector<std::string>{"report", "--format", "csv"};
  args.insert(args.end(), inputs.begin(), inputs.end());
  const auto csv = Vexa(args);
  ASSERT_EQ(csv.code, 0) << csv.err;
  const auto records = CsvRecords(csv.out);
  ASSERT_EQ(records.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k)
    EXPECT_EQ(records[k].at("file"), inputs[k]);
  EXPECT_EQ(csv.out.find("file,title"), 0u);
  EXPECT_EQ(csv.out.find("file,title", 1), std::string::npos);

  // HTML: -o is a folder with one page each, as the page of that input alone.
  args = {"report", "-o", dir / "pages"};
  args.insert(args.end(), inputs.begin(), inputs.end());
  const auto html = Vexa(args);
  ASSERT_EQ(html.code, 0) << html.err;
  EXPECT_EQ(html.err, "Results pages written to " + dir / "pages" + "\n");
  for (const char* e : kExamples) {
    const std::string name = std::filesystem::path(e).stem().string() + ".html";
    EXPECT_EQ(ReadFile(dir / "pages/" + name), Vexa({"report", ExampleFile(e)}).out) << name;
  }
  // The format from the extension of -o.
  args = {"report", "-o", dir / "all.json"};
  args.insert(args.end(), inputs.begin(), inputs.end());
  ASSERT_EQ(Vexa(args).code, 0);
  EXPECT_EQ(nlohmann::json::parse(ReadFile(dir / "all.json")).at("systems").size(), 3u);

  // Several pages need a folder; two inputs of one name would share a page; standard input
  // is read once; --save takes one input.
  EXPECT_EQ(Vexa({"report", inputs[0], inputs[1]}).code, 2);
  EXPECT_EQ(Vexa({"report", "-o", dir / "x", inputs[0], inputs[0]}).code, 2);
  EXPECT_EQ(Vexa({"report", "--format", "csv", "-", "-"}).code, 2);
  EXPECT_EQ(
      Vexa({"report", "--save", dir / "s.vexa", "--format", "csv", inputs[0], inputs[1]}).code, 2);

  // One input that cannot be read: nothing is written at all, no folder made.
  const auto bad = Vexa({"report", "-o", dir / "bad", inputs[0], dir / "missing.vexa"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("missing.vexa"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "bad"));
  const auto badCsv =
      Vexa({"report", "--format", "csv", "-o", dir / "r.csv", inputs[0], dir / "missing.vexa"});
  EXPECT_EQ(badCsv.code, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "r.csv"));
}

TEST(Report, LinesByHandAndTheParametersGiven) {
  const std::string in = ExampleFile(kExamples[0]); // 41 points, V0 50, Ctit 0.1
  const auto base = CsvRecords(Vexa({"report", "--format", "csv", "--line", "2-15", in}).out);
  ASSERT_EQ(base.size(), 1u);
  EXPECT_EQ(base[0].at("first"), "2");
  EXPECT_EQ(base[0].at("end"), "15");
  // V0 given (with a decimal comma): Csub = Ctit·Veq/V0 follows; G changes, and so the fit.
  const auto v0 = CsvRecords(
      Vexa({"report", "--format", "csv", "--line", "2-15", "--v0", "25,5", "--ctit", "0.2", in})
          .out);
  EXPECT_EQ(v0[0].at("v0"), "25.5");
  EXPECT_EQ(v0[0].at("ctit"), "0.2");
  EXPECT_NE(v0[0].at("veq"), base[0].at("veq"));
  EXPECT_DOUBLE_EQ(Read(v0[0].at("csub")), 0.2 * Read(v0[0].at("veq")) / 25.5);
  // The title given replaces the file's in the page.
  const auto titled = Vexa({"report", "--title", "Probe 7", in});
  EXPECT_NE(titled.out.find("System: <b>Probe 7</b>"), std::string::npos);
  // Reversed points are kept as given, as the table of lines keeps them.
  const auto reversed = CsvRecords(Vexa({"report", "--format", "csv", "--line", "15-2", in}).out);
  EXPECT_EQ(reversed[0].at("first"), "15");
  EXPECT_EQ(reversed[0].at("veq"), base[0].at("veq"));

  // Wrong lines.
  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{"--line", "0-3"},
                                             {"--line", "3-3"},
                                             {"--line", "3"},
                                             {"--line", "a-b"},
                                             {"--line", "1-3", "--auto-lines"},
                                             {"--v0", "abc"},
                                             {"--v0", "4000"},
                                             {"--mv", "400,5"},
                                             {"--columns", "V"},
                                             {"--auto-lines=fast"}}) {
    std::vector<std::string> args = {"report"};
    args.insert(args.end(), wrong.begin(), wrong.end());
    args.push_back(in);
    const auto r = Vexa(args);
    EXPECT_EQ(r.code, 2) << wrong[0] << " " << r.err;
    EXPECT_NE(r.err.find("usage: vexa report"), std::string::npos) << r.err;
  }
  std::vector<std::string> eleven = {"report"};
  for (int k = 0; k < 11; ++k) {
    eleven.push_back("--line");
    eleven.push_back("1-2");
  }
  eleven.push_back(in);
  EXPECT_EQ(Vexa(eleven).code, 2);
  // The slope's message tells how to write decimal commas.
  EXPECT_NE(Vexa({"report", "--mv", "400,5", in}).err.find("\"412,5;59,16\""), std::string::npos);
  // A point the system does not have is an error of the input.
  const auto beyond = Vexa({"report", "--line", "30-42", in});
  EXPECT_EQ(beyond.code, 1);
  EXPECT_EQ(beyond.err, "vexa: " + in + ": the line 30-42 names a point beyond the last, 41\n");
}

TEST(Report, EveryShapedTableGivesTheSameResults) {
  const auto results = [](const std::string& file, const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"report", "--format", "csv",   "--v0", "50",
                                     "--ctit", "0.1",      "--pkw", "14",   "--line",
                                     "1-8",    "--line",   "14-21"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(file);
    const auto r = Vexa(args);
    EXPECT_EQ(r.code, 0) << file << ": " << r.err;
    auto records = CsvRecords(r.out);
    for (auto& record : records) {
      record.erase("file");
      record.erase("title");
      record.erase("warnings");
    }
    return records;
  };
  const auto expected = results(ShapeFile("lf.csv"), {});
  ASSERT_EQ(expected.size(), 2u);
  for (const char* name :
       {"extra-columns.csv", "units-line.csv", "several-headers.txt", "preamble.csv", "quoted.csv",
        "semicolon-decimal-comma.csv", "tab-decimal-comma.txt", "utf8.csv", "utf8-bom.csv",
        "utf16le-bom.csv", "utf16be-bom.csv", "crlf.csv", "cr.csv"})
    EXPECT_EQ(results(ShapeFile(name), {}), expected) << name;
  // From potentials: nearly the same pH (the potentials are rounded to 0.1 mV), and the page
  // and the results say how pH was computed.
  const auto mv = results(ShapeFile("potentials-mv.csv"), {"--mv", "400;59,16"});
  ASSERT_EQ(mv.size(), 2u);
  EXPECT_NEAR(Read(mv[0].at("veq")), Read(expected[0].at("veq")), 0.005);
  EXPECT_EQ(mv[0].at("e0_mv"), "400");
  EXPECT_EQ(mv[0].at("slope_mv"), "59.16");
  const auto page = Vexa({"report", "--mv", "400", ShapeFile("potentials-mv.csv")});
  EXPECT_NE(
      page.out.find("<tr><td colspan=2>pH computed from the potentials of &quot;E (mV)&quot;: "
                    "pH = (400 - E)/59.16 (E0 = 400 mV, slope 59.16 mV per pH)</td></tr>"),
      std::string::npos);
  EXPECT_NE(page.err.find("pH computed from the potentials"), std::string::npos);
  // Without the calibration: refused, saying what would help.
  const auto refused = Vexa({"report", ShapeFile("potentials-mv.csv")});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find(":1: the header \"V (ml);E (mV)\" names no pH column (pH); for "
                             "potentials give --mv E0,SLOPE"),
            std::string::npos)
      << refused.err;
  // Columns chosen by the caller, by name or by number.
  const auto named = results(ShapeFile("extra-columns.csv"), {"--columns", "V (ml),pH"});
  EXPECT_EQ(named, expected);
  EXPECT_EQ(results(ShapeFile("extra-columns.csv"), {"--columns", "2,3"}), expected);
}

TEST(Cli, HabitsOfACommandLineTool) {
  TempDir dir;
  // Every command has its help, on standard output, exit 0.
  for (const char* command : {"report", "import", "export", "plot", "batch"}) {
    const auto help = Vexa({command, "--help"});
    EXPECT_EQ(help.code, 0) << command;
    EXPECT_EQ(help.out.find(std::string("usage: vexa ") + command), 0u) << help.out;
    EXPECT_EQ(help.err, "");
  }
  EXPECT_NE(Vexa({"report", "--help"}).out.find("counted from 1"), std::string::npos);
  // "--" ends the options: a file whose name starts with "-".
  WriteFile(dir / "-odd.csv", "V,pH\n0,2\n1,3\n2,4\n");
  ASSERT_EQ(std::filesystem::current_path().string().empty(), false);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const auto odd = Vexa({"report", "--format", "csv", "--", "-odd.csv"});
  std::filesystem::current_path(cwd);
  EXPECT_EQ(odd.code, 0) << odd.err;
  EXPECT_NE(odd.out.find("-odd.csv,-odd,"), std::string::npos) << odd.out;
  // "-" is standard input; results on standard output, what was said on standard error.
  const auto piped =
      Vexa({"report", "--format", "csv", "--v0", "50", "-"}, "V;pH\n0;2\n1;3\n2;4\n");
  ASSERT_EQ(piped.code, 0);
  EXPECT_EQ(piped.out.find("file,"), 0u);
  EXPECT_NE(piped.out.find("\nstandard input,Untitled system,50,"), std::string::npos) << piped.out;
  EXPECT_EQ(piped.err.find("no Ctit in standard input"), 6u) << piped.err;
  // Unknown options and commands.
  EXPECT_EQ(Vexa({"report", "--frobnicate", ExampleFile(kExamples[0])}).code, 2);
  const auto unknown = Vexa({"frobnicate"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_EQ(unknown.err.find("vexa: unknown command frobnicate\nusage:"), 0u);
}

TEST(Report, PdfOfManySystems) {
  TempDir dir;
  std::vector<std::string> args = {"report", "--format",   "pdf", "--auto-lines=robust",
                                   "-o",     dir / "r.pdf"};
  for (const char* e : kExamples)
    args.push_back(ExampleFile(e));
  const auto r = Vexa(args);
#ifdef VEXA_WITH_REPORT
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(dir / "r.pdf").substr(0, 5), "%PDF-");
#else
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.err.find("not available"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "r.pdf"));
#endif
  // A PDF needs a file (or - for standard output).
  EXPECT_EQ(Vexa({"report", "--format", "pdf", ExampleFile(kExamples[0])}).code, 2);
}

#ifdef VEXA_WITH_SHEETS
TEST(Report, SpreadsheetsThroughTheModule) {
  const auto sheet = [](const std::string& name) {
    return std::string(VEXA_SOURCE_DIR) + "/tests/data/sheets/" + name;
  };
  // The first sheet of each kind: the same points; V0 from its preamble row, said where.
  std::string expected;
  for (const char* name : {"titration.xlsx", "titration.ods"}) {
    const auto r = Vexa({"report", "--format", "csv", "--line", "1-4", sheet(name)});
    ASSERT_EQ(r.code, 0) << name << ": " << r.err;
    EXPECT_NE(r.err.find(sheet(name) + ":Run 1 row 2: V0 = 20 ml, from \"V0, ml, 20\""),
              std::string::npos)
        << r.err;
    const auto records = CsvRecords(r.out);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].at("v0"), "20");
    EXPECT_EQ(records[0].at("points"), "7");
    EXPECT_EQ(records[0].at("title"), "titration");
    if (expected.empty()) expected = records[0].at("veq");
    EXPECT_EQ(records[0].at("veq"), expected);
  }
  // A sheet by name; a name the workbook lacks, with the names it has.
  const auto second = Vexa(
      {"report", "--format", "csv", "--sheet", "Run 2", "--line", "1-3", sheet("titration.xlsx")});
  EXPECT_EQ(second.code, 1);
  EXPECT_NE(second.err.find("titration.xlsx:Run 2!A6: the volume \"checked\" is not a number"),
            std::string::npos)
      << second.err;
  const auto missing = Vexa({"report", "--sheet", "Run 3", sheet("titration.xlsx")});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("no sheet named \"Run 3\"; the sheets are: Run 1, Run 2"),
            std::string::npos);
  // An .xls formula's cell is empty: the message says why that may be.
  const auto xls = Vexa({"report", sheet("titration.xls")});
  EXPECT_EQ(xls.code, 1);
  EXPECT_NE(xls.err.find("titration.xls:Run 1!A8: the volume is missing: its cell is empty (an "
                         ".xls file keeps no results of formulas"),
            std::string::npos)
      << xls.err;
  // A workbook under another name is known by its content, but not from standard input.
  TempDir dir;
  WriteFile(dir / "export.dat", ReadFile(sheet("titration.ods")));
  EXPECT_EQ(Vexa({"report", "--line", "1-4", dir / "export.dat"}).code, 0);
  const auto piped = Vexa({"report", "-"}, ReadFile(sheet("titration.xlsx")));
  EXPECT_EQ(piped.code, 1);
  EXPECT_NE(piped.err.find("standard input holds a spreadsheet"), std::string::npos);
}
#endif
