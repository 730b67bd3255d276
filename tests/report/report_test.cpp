// The printed report, checked on the PDFs it writes: read back with pdftotext and pdfinfo, as
// a reader of the file would see it.
#include "analysis/RobustLines.h"
#include "common/TempDir.h"
#include "document/TitrationSystem.h"
#include "platform/CodePage.h"
#include "report/Report.h"
#include "results/ResultsLog.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

void VexaTestSetUp(int& argc, char** argv) {
  new QGuiApplication(argc, argv);
}

namespace {

using vexa::TitrationSystem;
using vexa::test::TempDir;

// --- reading a PDF back ---

// The output of a shell command; the test fails when it does not run.
std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    ADD_FAILURE() << "cannot run " << command;
    return out;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.append(buffer, n);
  const int rc = ::pclose(pipe);
  if (status) *status = rc;
  return out;
}

// The poppler tools are part of the test set-up (scripts/setup.sh installs them): without them
// the checks cannot be made, and that is a failure, not a skip.
bool HaveTool(const char* tool) {
  int status = 0;
  Shell(std::string("command -v ") + tool + " >/dev/null 2>&1", &status);
  return status == 0;
}

// How pdftotext orders the text: in reading order, as the page is laid out (a table's rows on
// lines), or as it was drawn.
enum class Mode { Reading, Layout, Raw };

class Pdf {
public:
  explicit Pdf(const QByteArray& bytes) : path_(dir_ / "report.pdf") {
    std::ofstream(path_, std::ios::binary).write(bytes.constData(), bytes.size());
  }
  const std::string& path() const { return path_; }
  // The text of one page (from 1), or of every page when page is 0.
  std::string Text(int page = 0, Mode mode = Mode::Reading) const {
    EXPECT_TRUE(HaveTool("pdftotext")) << "pdftotext (poppler-utils) is needed by this test";
    std::string range = mode == Mode::Layout ? " -layout" : mode == Mode::Raw ? " -raw" : "";
    if (page > 0) range += " -f " + std::to_string(page) + " -l " + std::to_string(page);
    int status = 0;
    std::string text = Shell("pdftotext -enc UTF-8" + range + " '" + path_ + "' - 2>&1", &status);
    EXPECT_EQ(status, 0) << text;
    return text;
  }
  std::string Info() const {
    EXPECT_TRUE(HaveTool("pdfinfo")) << "pdfinfo (poppler-utils) is needed by this test";
    int status = 0;
    std::string info = Shell("pdfinfo '" + path_ + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << info;
    return info;
  }
  int Pages() const {
    std::smatch m;
    const std::string info = Info();
    if (!std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)"))) return -1;
    return std::stoi(m[1]);
  }
  std::string PageSize() const {
    std::smatch m;
    const std::string info = Info();
    if (!std::regex_search(info, m, std::regex("Page size:\\s+([^\\n]*)"))) return {};
    return m[1];
  }
  // The page's height in points, as pdfinfo reads it.
  double PageHeight() const {
    std::smatch m;
    const std::string size = PageSize();
    if (!std::regex_search(size, m, std::regex("x ([0-9.]+) pts"))) return 0;
    return std::stod(m[1]);
  }

private:
  TempDir dir_;
  std::string path_;
};

// The whitespace-separated words of a text.
std::set<std::string> Words(const std::string& text) {
  std::set<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;)
    words.insert(w);
  return words;
}

// The text without any white space: what a page shows in wrapped lines or with narrow gaps
// reads the same.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) out += c;
  return out;
}

bool Shows(const std::string& text, const std::string& what) {
  return Squeezed(text).find(Squeezed(what)) != std::string::npos;
}

// --- systems ---

void Fill(TitrationSystem& sys, const std::vector<std::pair<double, double>>& points) {
  sys.pointCount = static_cast<int>(points.size());
  sys.AllocatePointArrays();
  for (int i = 0; i < sys.pointCount; ++i) {
    sys.volume[i] = points[static_cast<std::size_t>(i)].first;
    sys.pH[i] = points[static_cast<std::size_t>(i)].second;
  }
  sys.RecomputeLinearised();
}

// A strong acid titrated with a strong base: n points over 0 ... 2·veq ml.
void Titration(TitrationSystem& sys, int n, double veq = 10, double v0 = 50, double c = 0.1) {
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < n; ++i) {
    const double v = 2 * veq * (i + 0.5) / n;
    const double excess = (c * v - c * veq) / (v0 + v); // base in excess when positive
    double h;
    if (std::fabs(excess) < 1e-7)
      h = 1e-7;
    else if (excess < 0)
      h = -excess;
    else
      h = 1e-14 / excess;
    points.emplace_back(v, -std::log10(h) + 0.004 * std::sin(1.7 * i)); // a reading's noise
  }
  sys.initialVolume = v0;
  sys.cTit = c;
  Fill(sys, points);
}

void SetTitle(TitrationSystem& sys, const std::string& utf8) {
  sys.SetTitle(vexa::platform::Utf8ToAnsi(utf8));
}

void SetLine(TitrationSystem& sys, int index, int first, int end) {
  sys.lineCount = std::max(sys.lineCount, index + 1);
  sys.lines[static_cast<std::size_t>(index)].firstPoint = first;
  sys.lines[static_cast<std::size_t>(index)].endPoint = end;
}

ReportOptions FixedOptions() {
  ReportOptions o;
  o.date = QStringLiteral("2024-05-06 07:08");
  return o;
}

QByteArray Render(const TitrationSystem& sys, const ReportOptions& options,
                  const QString& name = QStringLiteral("sample.vexa"), std::string* error = nullptr,
                  const vexa::RobustAnalysis* checks = nullptr) {
  const ReportSystem one{sys, name, checks};
  std::string e;
  const QByteArray pdf = ReportPdf(std::span<const ReportSystem>(&one, 1), options, {}, &e);
  if (error) *error = e;
  return pdf;
}

// The rows of the points table a page holds, as a reader would count them from the page's
// size: the content between the header and the footer, less the table's header row.
int RowsPerPage(double pageHeightPt, double marginMm) {
  const double margin = marginMm / 25.4 * 72;
  const double content = pageHeightPt - 2 * margin - kReportHeaderPt - kReportFooterPt;
  return static_cast<int>(std::floor((content - kReportTableHeadPt) / kReportTableRowPt));
}

constexpr double kA4HeightPt = 841.8898;
constexpr double kLetterHeightPt = 792;

// ------------------------------------------------------------------ the sample

// Writes the report of every example as one PDF; kept where VEXA_REPORT_SAMPLE says, so that
// a person can look at it.
TEST(Report, ExamplesMakeOneReport) {
  std::vector<std::unique_ptr<TitrationSystem>> systems;
  std::vector<ReportSystem> list;
  std::vector<vexa::RobustAnalysis> checks;
  const char* names[] = {"strong-acid-hcl-naoh.vexa", "weak-acid-acetic-naoh.vexa",
                         "weak-base-ammonia-hcl.vexa"};
  checks.reserve(3);
  for (const char* name : names) {
    auto sys = std::make_unique<TitrationSystem>();
    std::string error;
    ASSERT_TRUE(
        vexa::LoadSystemFile(*sys, std::string(VEXA_SOURCE_DIR "/examples/") + name, &error))
        << error;
    checks.push_back(vexa::FindLines(*sys));
    systems.push_back(std::move(sys));
    list.push_back(ReportSystem{*systems.back(), QString::fromLatin1(name), &checks.back()});
  }
  std::string error;
  int pages = 0;
  const QByteArray pdf = ReportPdf(list, FixedOptions(), {}, &error, &pages);
  ASSERT_FALSE(pdf.isEmpty()) << error;
  const Pdf file(pdf);
  EXPECT_EQ(file.Pages(), pages);
  // Each example's pages carry its own title and file name.
  std::set<std::string> named;
  for (int page = 1; page <= pages; ++page)
    for (const char* name : names)
      if (file.Text(page).find(name) != std::string::npos) named.insert(name);
  EXPECT_EQ(named.size(), 3u);
  if (const char* keep = std::getenv("VEXA_REPORT_SAMPLE"))
    std::ofstream(keep, std::ios::binary).write(pdf.constData(), pdf.size());
}

// ------------------------------------------------------------------ the points table

// A system whose volumes are 1000, 1001, ...: words no row number, page number or other text
// of the page can be taken for.
void CountedPoints(TitrationSystem& sys, int n) {
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < n; ++i)
    points.emplace_back(1000 + i, 3 + 0.01 * i);
  Fill(sys, points);
}

TEST(ReportTable, EveryRowOverAsManyPagesAsTheSizeOfThePageGives) {
  TitrationSystem sys;
  CountedPoints(sys, 200);
  for (const ReportPaper paper : {ReportPaper::A4, ReportPaper::Letter}) {
    SCOPED_TRACE(paper == ReportPaper::A4 ? "A4" : "Letter");
    ReportOptions options = FixedOptions();
    options.paper = paper;
    options.parts = ReportParts::PointsTable();
    const Pdf pdf(Render(sys, options));
    const double height = pdf.PageHeight();
    EXPECT_NEAR(height, paper == ReportPaper::A4 ? kA4HeightPt : kLetterHeightPt, 0.5);
    const int rows = RowsPerPage(height, options.marginMm);
    // 52 rows on A4 and 49 on Letter: four pages and five.
    EXPECT_EQ(rows, paper == ReportPaper::A4 ? 52 : 49);
    const int pages = (200 + rows - 1) / rows;
    ASSERT_EQ(pdf.Pages(), pages);
    for (int page = 1; page <= pages; ++page) {
      SCOPED_TRACE("page " + std::to_string(page));
      const std::string text = pdf.Text(page, Mode::Layout);
      const std::set<std::string> words = Words(text);
      // The header on every page, and exactly this page's rows.
      EXPECT_TRUE(words.count("#") && words.count("Vtit") && words.count("pH") &&
                  words.count("FVexa"))
          << text;
      EXPECT_NE(text.find("Page " + std::to_string(page) + " of " + std::to_string(pages)),
                std::string::npos);
      for (int i = 0; i < 200; ++i) {
        const bool here = i / rows == page - 1;
        EXPECT_EQ(words.count(std::to_string(1000 + i)), here ? 1u : 0u) << "point " << i + 1;
      }
      // A row reads: its number from 1, V, pH, G.
      const int first = (page - 1) * rows;
      char row[64];
      std::snprintf(row, sizeof row, "%d +%d +%g ", first + 1, 1000 + first, 3 + 0.01 * first);
      EXPECT_TRUE(std::regex_search(text, std::regex(row))) << row << "\n" << text;
    }
  }
}

// The layout is in points: the device's resolution changes the sharpness, not the pages.
TEST(ReportTable, TheSamePagesAtEveryResolution) {
  TitrationSystem sys;
  Titration(sys, 200);
  SetLine(sys, 0, 5, 60);
  SetLine(sys, 1, 140, 190);
  std::vector<std::string> texts;
  for (const int dpi : {150, 300, 1200, 2400}) {
    ReportOptions options = FixedOptions();
    options.resolution = dpi;
    options.parts.classicGraph = options.parts.linearisedGraph = false;
    const Pdf pdf(Render(sys, options));
    EXPECT_EQ(pdf.Pages(), 5) << dpi; // the results, and 52 rows a page
    texts.push_back(Squeezed(pdf.Text(0, Mode::Layout)));
  }
  for (const std::string& text : texts)
    EXPECT_EQ(text, texts.front());
}

TEST(ReportTable, NumbersTakeTheTablesFormatAndAnUnsafeFormatReadsAsG) {
  TitrationSystem sys;
  Fill(sys, {{1.5, 2.25}, {2.5, 3.125}});
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::PointsTable();
  options.numberFormat = "%.3f";
  std::set<std::string> words = Words(Pdf(Render(sys, options)).Text());
  EXPECT_TRUE(words.count("1.500") && words.count("2.250") && words.count("3.125"));
  for (const char* unsafe : {"%s", "%d", "%f %f", "%n", ""}) {
    SCOPED_TRACE(unsafe);
    options.numberFormat = unsafe;
    words = Words(Pdf(Render(sys, options)).Text());
    EXPECT_TRUE(words.count("1.5") && words.count("2.25") && words.count("3.125"));
  }
}

// ------------------------------------------------------------------ the page

TEST(Report, LetterAndA4PagesInEitherOrientation) {
  TitrationSystem sys;
  Titration(sys, 20);
  ReportOptions options = FixedOptions();
  options.paper = ReportPaper::Letter;
  EXPECT_EQ(Pdf(Render(sys, options)).PageSize(), "612 x 792 pts (letter)");
  options.paper = ReportPaper::A4;
  EXPECT_NE(Pdf(Render(sys, options)).PageSize().find("(A4)"), std::string::npos);
  options.landscape = true;
  options.parts = ReportParts::Graph(true);
  const Pdf landscape(Render(sys, options));
  EXPECT_EQ(landscape.Pages(), 1);
  EXPECT_TRUE(std::regex_search(landscape.PageSize(), std::regex("^842 x 595")))
      << landscape.PageSize();
}

TEST(Report, TitleInCyrillicFileNameDateAndPageNumbersOnEveryPage) {
  TitrationSystem sys;
  CountedPoints(sys, 120);
  const std::string title = "Титрование уксусной кислоты № 3";
  SetTitle(sys, title);
  const Pdf pdf(Render(sys, FixedOptions(), QStringLiteral("опыт-1.vexa")));
  const int pages = pdf.Pages();
  ASSERT_GE(pages, 3);
  for (int page = 1; page <= pages; ++page) {
    const std::string text = pdf.Text(page);
    EXPECT_NE(text.find(title), std::string::npos) << "page " << page << "\n" << text;
    EXPECT_NE(text.find("опыт-1.vexa"), std::string::npos) << "page " << page;
    EXPECT_NE(text.find("2024-05-06 07:08"), std::string::npos) << "page " << page;
    EXPECT_NE(text.find("Page " + std::to_string(page) + " of " + std::to_string(pages)),
              std::string::npos);
  }
}

TEST(Report, ALineFeedInATitleOrCaptionStaysOnItsLine) {
  TitrationSystem sys;
  CountedPoints(sys, 3);
  SetTitle(sys, "First half\nsecond half");
  std::strcpy(sys.quantityLabels[1], "p\nH");
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::PointsTable();
  const std::string text =
      Pdf(Render(sys, options, QStringLiteral("a\nb.vexa"))).Text(1, Mode::Layout);
  EXPECT_TRUE(std::regex_search(text, std::regex("First half second half +a b\\.vexa"))) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("# +Vtit +p ?H +FVexa"))) << text;
}

TEST(Report, ParametersAsTheResultsPageShowsThem) {
  TitrationSystem sys;
  Titration(sys, 30, 10, 25, 0.05);
  sys.pKw = 13.8;
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::Results();
  const std::string text = Pdf(Render(sys, options)).Text(0, Mode::Layout);
  EXPECT_TRUE(std::regex_search(text, std::regex("Number of experimental points \\(n\\) +30")));
  EXPECT_TRUE(std::regex_search(text, std::regex("concentration \\(Ctit\\), mol/l +0.05")));
  EXPECT_TRUE(std::regex_search(text, std::regex("pKw +13.8")));
  EXPECT_TRUE(std::regex_search(text, std::regex("Initial volume \\(V0\\) +25")));
  EXPECT_TRUE(std::regex_search(text, std::regex("Number of approximating lines +1")));
  EXPECT_NE(
      text.find("Note. All error estimates of parameters are calculated for 0.05 risk level."),
      std::string::npos);
}

TEST(Report, ANoteOnTheDataStandsUnderTheParameters) {
  TitrationSystem sys;
  Titration(sys, 30, 10, 25, 0.05);
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::Results();
  const QString note =
      QStringLiteral("pH computed from the potentials of \"E\": pH = (400 - E)/59.16");
  const ReportSystem noted{sys, QStringLiteral("e.csv"), nullptr, 0, note};
  const std::string text =
      Pdf(ReportPdf(std::span<const ReportSystem>(&noted, 1), options)).Text(0, Mode::Raw);
  const auto at = text.find(note.toStdString());
  EXPECT_NE(at, std::string::npos) << text;
  EXPECT_LT(text.find("Number of approximating lines"), at);
  EXPECT_GT(text.find("Approximating lines", at), at);
  // Without a note, nothing stands there.
  EXPECT_EQ(Pdf(Render(sys, options)).Text(0, Mode::Raw).find("computed from"), std::string::npos);
}

// ------------------------------------------------------------------ the lines

// "Veq ± ΔV" of every line as the results page prints it.
std::vector<std::pair<std::string, std::string>> PageVeq(const TitrationSystem& sys) {
  const std::string page = vexa::WriteResultsLog(sys);
  std::vector<std::pair<std::string, std::string>> out;
  const std::regex row("V<sub>eq</sub> &plusmn; &Delta;V</td><td>(\\S+) &plusmn; (\\S+)</td>");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), row); it != std::sregex_iterator();
       ++it)
    out.emplace_back((*it)[1], (*it)[2]);
  return out;
}

TEST(ReportLines, EveryLinesValuesAsTheResultsPageShowsThem) {
  TitrationSystem sys;
  Titration(sys, 60, 12.5, 50, 0.1);
  SetLine(sys, 0, 2, 20);
  SetLine(sys, 1, 36, 58);
  SetLine(sys, 2, 5, 25);
  SetLine(sys, 3, 40, 41); // two points
  sys.RefitAllLines();
  ASSERT_EQ(sys.lines[3].status, vexa::kLineTwoPoints);
  const auto veq = PageVeq(sys);
  ASSERT_EQ(veq.size(), 4u);
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::Results();
  const std::string text = Pdf(Render(sys, options)).Text();
  const std::set<std::string> words = Words(text);
  for (const auto& [value, delta] : veq) {
    EXPECT_TRUE(words.count(value)) << value;
    EXPECT_TRUE(Shows(text, value + " ± " + delta)) << value << " ± " << delta << "\n" << text;
  }
  // The first/end points from 1 and the count, as the page writes them.
  for (const char* range : {"3/21(19)", "37/59(23)", "6/26(21)", "41/42(2)"})
    EXPECT_NE(text.find(range), std::string::npos) << range;
  // The two-point line says what it lacks, in the page's words.
  EXPECT_TRUE(Shows(text, "Too few points for the least squares method!"));
}

TEST(ReportLines, AFailedLineSaysWhyInThePagesWords) {
  TitrationSystem sys;
  // Three points of one volume: the least squares fail on them.
  Fill(sys, {{1, 3}, {2, 3.1}, {2, 3.2}, {2, 3.3}, {3, 3.5}, {4, 3.7}});
  SetLine(sys, 0, 1, 3);
  SetLine(sys, 1, 4, 4); // one point
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::Results();
  const std::string text = Pdf(Render(sys, options)).Text(0, Mode::Layout);
  EXPECT_TRUE(
      std::regex_search(text, std::regex("1 +2/4\\(3\\) +The least squares method is failed!")))
      << text;
  EXPECT_TRUE(std::regex_search(
      text, std::regex("2 +5/5\\(1\\) +Too few points for the least squares method!")))
      << text;
}

// Ten lines of every kind still fit across the page: the table's type shrinks rather than
// running off its edge.
TEST(ReportLines, TenLinesOfEveryKindFitTheWidthOfThePage) {
  TitrationSystem sys;
  Titration(sys, 80, 12.5, 50, 0.1);
  for (int k = 0; k < 10; ++k)
    SetLine(sys, k, 2 + 7 * k, 8 + 7 * k);
  SetLine(sys, 7, 70, 72); // three points of one volume: the fit fails
  SetLine(sys, 8, 40, 40); // one point
  SetLine(sys, 9, 3, 4);   // two points
  sys.volume[70] = sys.volume[71] = sys.volume[72] = 23.1;
  sys.RecomputeLinearised();
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::Results();
  const Pdf pdf(Render(sys, options));
  EXPECT_EQ(pdf.Pages(), 1);
  const std::string text = pdf.Text(0, Mode::Layout);
  EXPECT_TRUE(
      std::regex_search(text, std::regex("8 +71/73\\(3\\) +The least squares method is failed!")));
  EXPECT_TRUE(std::regex_search(text, std::regex("9 +41/41\\(1\\) +Too few points")));
  for (int k = 1; k <= 10; ++k)
    EXPECT_TRUE(std::regex_search(text, std::regex("\\n *" + std::to_string(k) + " +\\d+/\\d+\\(")))
        << k << "\n"
        << text;
  if (const char* keep = std::getenv("VEXA_REPORT_LINES_SAMPLE"))
    std::ofstream(keep, std::ios::binary) << vexa::test::ReadFile(pdf.path());
}

TEST(ReportLines, TheReportRefitsItsOwnCopyAndLeavesTheRecordAlone) {
  TitrationSystem sys;
  Titration(sys, 40);
  SetLine(sys, 0, 2, 15);
  sys.lines[0].status = vexa::kLineFewPoints; // never fitted, as a line just added
  const vexa::ApproxLine before = sys.lines[0];
  const bool hadSlopes = sys.dpHdV.present();
  ReportOptions options = FixedOptions();
  const std::string text = Pdf(Render(sys, options)).Text();
  EXPECT_EQ(sys.lines[0], before);
  EXPECT_EQ(sys.dpHdV.present(), hadSlopes);
  // The table shows the line as its fit gives it.
  TitrationSystem fitted;
  Titration(fitted, 40);
  SetLine(fitted, 0, 2, 15);
  fitted.RefitAllLines();
  const auto veq = PageVeq(fitted);
  ASSERT_EQ(veq.size(), 1u);
  EXPECT_NE(text.find(veq[0].first), std::string::npos);
  EXPECT_EQ(text.find("Too few points"), std::string::npos);
}

// ------------------------------------------------------------------ checks

TEST(ReportChecks, PrintedWhenGivenAndOnlyThen) {
  TitrationSystem sys;
  Titration(sys, 50);
  const vexa::RobustAnalysis analysis = vexa::FindLines(sys);
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::Results();
  const std::string with =
      Pdf(Render(sys, options, QStringLiteral("a.vexa"), nullptr, &analysis)).Text(0, Mode::Layout);
  EXPECT_NE(with.find("Checks"), std::string::npos);
  EXPECT_NE(with.find("Consistency of the lines"), std::string::npos);
  EXPECT_NE(with.find("The intervals of the checks are two-sided, for 0.05 risk level."),
            std::string::npos);
  ASSERT_FALSE(analysis.lines.empty());
  char veq[64];
  std::snprintf(veq, sizeof veq, "Veq = %g ± %g", analysis.lines[0].veq,
                analysis.lines[0].halfWidth);
  EXPECT_NE(with.find(veq), std::string::npos) << veq << "\n" << with;
  const std::string without = Pdf(Render(sys, options)).Text();
  EXPECT_EQ(without.find("Consistency of the lines"), std::string::npos);
}

// ------------------------------------------------------------------ systems and parts

TEST(Report, EverySystemStartsOnANewPage) {
  TitrationSystem a, b, c;
  Titration(a, 10);
  Titration(b, 12);
  Titration(c, 14);
  SetTitle(a, "System Alpha");
  SetTitle(b, "System Beta");
  SetTitle(c, "System Gamma");
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::Results();
  const std::vector<ReportSystem> list{
      {a, QStringLiteral("a.vexa")}, {b, QStringLiteral("b.vexa")}, {c, QStringLiteral("c.vexa")}};
  const Pdf pdf(ReportPdf(list, options));
  ASSERT_EQ(pdf.Pages(), 3);
  const char* titles[] = {"System Alpha", "System Beta", "System Gamma"};
  for (int page = 1; page <= 3; ++page) {
    const std::string text = pdf.Text(page);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(text.find(titles[k]) != std::string::npos, k == page - 1)
          << "page " << page << ": " << titles[k];
    // Each starts with its own parameters.
    EXPECT_TRUE(std::regex_search(pdf.Text(page, Mode::Layout),
                                  std::regex("points \\(n\\) +" + std::to_string(8 + 2 * page))))
        << "page " << page;
  }
  // The whole report of several is the reports of each, page for page.
  options.parts = ReportParts::All();
  int pages = 0;
  for (const ReportSystem& one : list) {
    int n = 0;
    ReportPdf(std::span<const ReportSystem>(&one, 1), options, {}, nullptr, &n);
    pages += n;
  }
  int all = 0;
  ReportPdf(list, options, {}, nullptr, &all);
  EXPECT_EQ(all, pages);
}

TEST(Report, AOnePointSystemStillMakesEveryPart) {
  TitrationSystem sys; // a new system: one point at 0, one unfitted line
  int pages = 0;
  std::string error;
  const std::vector<ReportSystem> list{{sys, QStringLiteral("new.vexa")}};
  const QByteArray bytes = ReportPdf(list, FixedOptions(), {}, &error, &pages);
  ASSERT_FALSE(bytes.isEmpty()) << error;
  const Pdf pdf(bytes);
  EXPECT_EQ(pdf.Pages(), pages);
  const std::string text = pdf.Text();
  for (const char* part :
       {"Parameters", "Too few points for the least squares method!",
        "Titration curve (classic view)", "Titration curve (Vexa view)", "FVexa"})
    EXPECT_TRUE(Shows(text, part)) << part;
}

TEST(Report, GraphsDrawnByTheWindowsCodeTogetherOnOnePage) {
  TitrationSystem sys;
  Titration(sys, 40);
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::None();
  options.parts.classicGraph = options.parts.linearisedGraph = true;
  const Pdf pdf(Render(sys, options));
  ASSERT_EQ(pdf.Pages(), 1);
  const std::string text = pdf.Text();
  EXPECT_TRUE(Shows(text, "Titration curve (classic view)"));
  EXPECT_TRUE(Shows(text, "Titration curve (Vexa view)"));
  // The axis title covers the last ticks as in the window, so the text is read in the order
  // it was drawn.
  EXPECT_TRUE(Shows(pdf.Text(1, Mode::Raw), "Titrant volume")) << pdf.Text(1, Mode::Raw);
  // The linearised view's status text of the current line.
  EXPECT_NE(text.find("Line 1"), std::string::npos);
}

TEST(Report, RefusesWhatCannotBePrintedAndSaysWhy) {
  TitrationSystem sys;
  std::string error;
  EXPECT_TRUE(ReportPdf({}, FixedOptions(), {}, &error).isEmpty());
  EXPECT_EQ(error, "no system to print");
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::None();
  EXPECT_TRUE(Render(sys, options, QStringLiteral("x"), &error).isEmpty());
  EXPECT_EQ(error, "nothing to print: no part of the report is chosen");
}

TEST(Report, ProgressCountsThePagesAndCanStopTheReport) {
  TitrationSystem sys;
  CountedPoints(sys, 150);
  const std::vector<ReportSystem> list{{sys, QStringLiteral("s.vexa")}};
  std::vector<std::pair<int, int>> seen;
  int pages = 0;
  ReportPdf(
      list, FixedOptions(),
      [&](int done, int total) {
        seen.emplace_back(done, total);
        return true;
      },
      nullptr, &pages);
  ASSERT_GE(pages, 3);
  ASSERT_EQ(seen.size(), static_cast<std::size_t>(pages));
  for (int i = 0; i < pages; ++i)
    EXPECT_EQ(seen[static_cast<std::size_t>(i)], std::make_pair(i + 1, pages));
  std::string error;
  const QByteArray stopped = ReportPdf(
      list, FixedOptions(), [](int done, int) { return done < 2; }, &error, &pages);
  EXPECT_TRUE(stopped.isEmpty());
  EXPECT_EQ(pages, 0);
  EXPECT_EQ(error, "stopped");
}

// A print dialog asks for the page count and then for a range of pages.
TEST(Report, ARangeOfPagesKeepsTheirNumbers) {
  TitrationSystem sys;
  CountedPoints(sys, 150);
  const std::vector<ReportSystem> list{{sys, QStringLiteral("s.vexa")}};
  int pages = 0;
  ReportPdf(list, FixedOptions(), {}, nullptr, &pages);
  ASSERT_EQ(pages, 5); // the results, the graphs, 150 rows at 52 a page
  {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    ASSERT_TRUE(SetReportPageLayout(writer, FixedOptions()));
    EXPECT_EQ(CountReportPages(writer, list, FixedOptions()), pages);
  }
  ReportOptions options = FixedOptions();
  options.fromPage = 3;
  options.toPage = 4;
  int painted = 0;
  const Pdf range(ReportPdf(list, options, {}, nullptr, &painted));
  EXPECT_EQ(painted, 2);
  ASSERT_EQ(range.Pages(), 2);
  EXPECT_NE(range.Text(1).find("Page 3 of 5"), std::string::npos);
  EXPECT_NE(range.Text(2).find("Page 4 of 5"), std::string::npos);
  EXPECT_TRUE(Words(range.Text(1)).count("1000"));
  options.toPage = 99; // to the end
  ReportPdf(list, options, {}, nullptr, &painted);
  EXPECT_EQ(painted, 3);
  options.fromPage = 6;
  std::string error;
  EXPECT_TRUE(ReportPdf(list, options, {}, &error).isEmpty());
  EXPECT_EQ(error, "no page in the range asked for: the report has 5 pages");
}

TEST(Report, WrittenWholeOrNotAtAll) {
  TitrationSystem sys;
  Titration(sys, 20);
  TempDir dir;
  const std::string path = dir / "out.pdf";
  { std::ofstream(path) << "the old file"; }
  const std::vector<ReportSystem> list{{sys, QStringLiteral("s.vexa")}};
  ReportOptions options = FixedOptions();
  options.parts = ReportParts::None();
  std::string error;
  EXPECT_FALSE(WriteReportPdf(path, list, options, &error));
  EXPECT_EQ(vexa::test::ReadFile(path), "the old file");
  EXPECT_FALSE(WriteReportPdf(dir / "no/such/folder/out.pdf", list, FixedOptions(), &error));
  EXPECT_FALSE(error.empty());
  int pages = 0;
  ASSERT_TRUE(WriteReportPdf(path, list, FixedOptions(), &error, &pages)) << error;
  EXPECT_GT(pages, 0);
  EXPECT_EQ(vexa::test::ReadFile(path).rfind("%PDF-", 0), 0u);
  // Nothing but the file is left in the folder.
  EXPECT_EQ(Shell("ls -A '" + dir.path() + "'"), "out.pdf\n");
}

// The window hands a printer, a paged device like any other: the single parts paint on a
// device the caller set up.
TEST(Report, SinglePartsOnADeviceTheCallerSetUp) {
  TitrationSystem sys;
  CountedPoints(sys, 100);
  const ReportSystem one{sys, QStringLiteral("s.vexa")};
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    ReportOptions options = FixedOptions();
    options.paper = ReportPaper::Letter;
    ASSERT_TRUE(SetReportPageLayout(writer, options));
    std::string error;
    EXPECT_EQ(RenderPointsTable(writer, one, options, &error), 3) << error;
  }
  const Pdf pdf(bytes);
  EXPECT_EQ(pdf.Pages(), 3);
  EXPECT_EQ(pdf.PageSize(), "612 x 792 pts (letter)");
  const std::set<std::string> words = Words(pdf.Text());
  EXPECT_TRUE(words.count("1000") && words.count("1099"));
  EXPECT_EQ(words.count("Parameters"), 0u);
}

} // namespace
