// The printed report, checked on the PDFs it writes: read back with pdftotext and pdfinfo, as
// a reader of the file would see it.
#include "analysis/RobustLines.h"
#include "common/TempDir.h"
#include "document/TitrationSystem.h"
#include "platform/CodePage.h"
#include "report/Report.h"
#include "results/ResultsLog.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPdfWriter>

#include <cmath>
#include <cstdio>
#include <cstdlib>
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
std::string Run(const std::string& command, int* status = nullptr) {
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
  Run(std::string("command -v ") + tool + " >/dev/null 2>&1", &status);
  return status == 0;
}

class Pdf {
public:
  explicit Pdf(const QByteArray& bytes) : path_(dir_ / "report.pdf") {
    std::ofstream(path_, std::ios::binary).write(bytes.constData(), bytes.size());
  }
  const std::string& path() const { return path_; }
  // The text of one page (from 1), or of every page when page is 0.
  std::string Text(int page = 0) const {
    EXPECT_TRUE(HaveTool("pdftotext")) << "pdftotext (poppler-utils) is needed by this test";
    std::string range;
    if (page > 0) range = " -f " + std::to_string(page) + " -l " + std::to_string(page);
    int status = 0;
    std::string text = Run("pdftotext -enc UTF-8" + range + " '" + path_ + "' - 2>&1", &status);
    EXPECT_EQ(status, 0) << text;
    return text;
  }
  std::string Info() const {
    EXPECT_TRUE(HaveTool("pdfinfo")) << "pdfinfo (poppler-utils) is needed by this test";
    int status = 0;
    std::string info = Run("pdfinfo '" + path_ + "' 2>&1", &status);
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
    points.emplace_back(v, -std::log10(h));
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
  if (const char* keep = std::getenv("VEXA_REPORT_SAMPLE"))
    std::ofstream(keep, std::ios::binary).write(pdf.constData(), pdf.size());
}

} // namespace
