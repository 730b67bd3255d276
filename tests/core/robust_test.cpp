#include "analysis/Quantile.h"
#include "analysis/RobustLines.h"
#include "core/TitrationSimulator.h"
#include "document/TitrationSystem.h"
#include "results/ChecksSection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using vexa::TitrationSystem;
namespace sim = vexa::sim;

namespace {

// Exact readings (no noise, four decimals) of a titration.
void Exact(TitrationSystem& sys, const sim::Sample& s, const sim::Titrant& t,
           const std::vector<double>& volumes, int digits = 4) {
  std::mt19937_64 rng(1);
  sim::Electrode e;
  e.digits = digits;
  e.volumeDigits = -1;
  sim::Load(sys, sim::Titrate(s, t, volumes, e, rng), s.volume, t.concentration);
}

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& t : texts)
    if (t.find(part) != std::string::npos) return true;
  return false;
}

} // namespace

TEST(Quantile, TwoSidedStudentValues) {
  EXPECT_NEAR(vexa::Student95(1), 12.7062, 1e-4);
  EXPECT_NEAR(vexa::Student95(2), 4.3027, 1e-4);
  EXPECT_NEAR(vexa::Student95(3), 3.1824, 1e-4);
  EXPECT_NEAR(vexa::Student95(10), 2.2281, 1e-4);
  EXPECT_NEAR(vexa::Student95(30), 2.0423, 1e-4);
  EXPECT_NEAR(vexa::Student95(255), 1.9693, 1e-4);
  EXPECT_NEAR(vexa::Student95(1000), 1.9623, 1e-4);
  EXPECT_NEAR(vexa::StudentTwoSidedQuantile(0.99, 5), 4.0321, 1e-4);
  for (int df : {1, 2, 4, 7, 40, 299})
    for (double level : {0.5, 0.9, 0.95, 0.999})
      EXPECT_NEAR(vexa::StudentTwoSidedProbability(vexa::StudentTwoSidedQuantile(level, df), df),
                  level, 1e-9)
          << df << " " << level;
}

TEST(Quantile, UpperFisherValues) {
  // Exact for one and two numerator degrees of freedom, within a per cent beyond.
  EXPECT_NEAR(vexa::Fisher95(1, 10), 4.9646, 1e-4);
  EXPECT_NEAR(vexa::Fisher95(1, 0), 3.8415, 1e-4);
  EXPECT_NEAR(vexa::Fisher95(2, 10), 4.1028, 1e-4);
  EXPECT_NEAR(vexa::Fisher95(2, 0), 2.9957, 1e-4);
  EXPECT_NEAR(vexa::Fisher95(3, 10), 3.7083, 0.01 * 3.7083);
  EXPECT_NEAR(vexa::Fisher95(5, 20), 2.7109, 0.01 * 2.7109);
  EXPECT_NEAR(vexa::Fisher95(4, 0), 9.4877 / 4, 0.01 * 9.4877 / 4);
  EXPECT_NEAR(vexa::Fisher95(10, 0), 18.307 / 10, 0.01 * 18.307 / 10);
  EXPECT_NEAR(vexa::Fisher95(30, 60), 1.6491, 0.01 * 1.6491);
  // More denominator degrees of freedom, a smaller quantile.
  EXPECT_GT(vexa::Fisher95(3, 5), vexa::Fisher95(3, 50));
  EXPECT_GT(vexa::Fisher95(3, 50), vexa::Fisher95(3, 0));
}

TEST(RobustLines, StrongAcidGivesTwoAgreeingLines) {
  TitrationSystem sys;
  Exact(sys, {50, -0.01, {}}, {0.1, true}, sim::Steps(0, 10, 0.25));
  const vexa::RobustAnalysis a = vexa::FindLines(sys);
  ASSERT_EQ(a.lines.size(), 2u);
  EXPECT_EQ(a.lines[0].branch, vexa::Branch::AcidExcess);
  EXPECT_EQ(a.lines[1].branch, vexa::Branch::BaseExcess);
  EXPECT_TRUE(a.lines[1].titrantExcess);
  EXPECT_EQ(a.agreement, vexa::Agreement::Agree);
  EXPECT_NEAR(a.combinedVeq, 5, 0.01);
  EXPECT_NEAR(a.veq, a.combinedVeq, 0);
  // The lines are in the record, fitted as any line.
  ASSERT_EQ(sys.lineCount, 2);
  for (int k = 0; k < 2; ++k) {
    const vexa::ApproxLine& l = sys.lines[static_cast<std::size_t>(k)];
    EXPECT_EQ(l.status, vexa::kLineFitted);
    EXPECT_EQ(l.firstPoint, a.lines[static_cast<std::size_t>(k)].firstPoint);
    EXPECT_EQ(l.endPoint, a.lines[static_cast<std::size_t>(k)].endPoint);
    EXPECT_NEAR(l.veq, a.lines[static_cast<std::size_t>(k)].veq, 1e-9);
    EXPECT_EQ(a.lines[static_cast<std::size_t>(k)].lineIndex, k);
  }
  ASSERT_EQ(a.endPoints.size(), 1u);
  EXPECT_FALSE(a.buffer.present);
  // The reading just before the jump's steepest step may join the analyte's line; the one just
  // after it joins no line.
  EXPECT_EQ(a.lines[0].endPoint, a.endPoints[0].before);
  EXPECT_GT(a.lines[1].firstPoint, a.endPoints[0].after);
}

TEST(RobustLines, AFirstPointOffTheLineDoesNotLoseTheLine) {
  // An early reading far off (the electrode had not settled): the specified placement, whose
  // first line starts at point 0, finds no first line; the robust one starts after it.
  TitrationSystem sys;
  Exact(sys, {50, -0.01, {}}, {0.1, true}, sim::Steps(0, 10, 0.25));
  sys.pH[0] = 3.1;
  sys.RecomputeLinearised();
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  ASSERT_FALSE(a.lines.empty());
  EXPECT_EQ(a.lines[0].branch, vexa::Branch::AcidExcess);
  EXPECT_GT(a.lines[0].firstPoint, 0);
  EXPECT_NEAR(a.lines[0].veq, 5, 0.01);
}

TEST(RobustLines, CurvedEndIsLeftOut) {
  // Readings above pH 12 bend down (the electrode's alkaline error): the base-excess line keeps
  // to the straight part before them, and a window over the bend fails the lack-of-fit test.
  TitrationSystem sys;
  Exact(sys, {20, -0.05, {}}, {0.5, true}, sim::Steps(0, 6, 0.1));
  for (int i = 0; i < sys.pointCount; ++i)
    sys.pH[i] -= 0.6 * std::log10(1 + std::pow(10.0, sys.pH[i] - 12.3));
  sys.RecomputeLinearised();
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  EXPECT_NEAR(a.veq, 2, 0.02);
  for (const auto& l : a.lines)
    if (l.branch == vexa::Branch::BaseExcess) {
      EXPECT_LT(l.endPoint, sys.pointCount - 1);
    }
}

TEST(RobustLines, WeakAcidUsesTheTitrantLineAndTheBufferFunction) {
  TitrationSystem sys;
  Exact(sys, {50, 0, {{0.02, 0, {4.76}}}}, {0.1, true}, sim::Steps(0, 18, 0.5));
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  ASSERT_EQ(a.lines.size(), 1u);
  EXPECT_TRUE(a.lines[0].titrantExcess);
  EXPECT_TRUE(a.weakAnalyte);
  EXPECT_NEAR(a.veq, 10, 0.05);
  ASSERT_TRUE(a.buffer.present);
  EXPECT_TRUE(a.buffer.acid);
  EXPECT_NEAR(a.buffer.veq, 10, 0.1);
  EXPECT_TRUE(Contains(a.warnings, "a weak acid"));
}

TEST(RobustLines, WeakBaseBufferFunction) {
  TitrationSystem sys;
  Exact(sys, {50, 0, {{0.02, 1, {9.25}}}}, {0.1, false}, sim::Steps(0, 18, 0.5));
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  EXPECT_FALSE(a.titrantIsBase);
  EXPECT_TRUE(a.weakAnalyte);
  ASSERT_TRUE(a.buffer.present);
  EXPECT_FALSE(a.buffer.acid);
  EXPECT_NEAR(a.buffer.veq, 10, 0.1);
}

TEST(RobustLines, DiproticAcidShowsEachJump) {
  TitrationSystem sys;
  Exact(sys, {25, 0, {{0.04, 0, {2.9, 9.6}}}}, {0.1, true}, sim::Steps(0, 26, 0.25), 3);
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  ASSERT_EQ(a.endPoints.size(), 2u);
  EXPECT_NEAR(a.endPoints[0].volume, 10, 0.15);
  EXPECT_NEAR(a.endPoints[1].volume, 20, 0.15);
  EXPECT_LT(a.endPoints[0].pH, a.endPoints[1].pH);
}

TEST(RobustLines, NoiseAloneIsNoJump) {
  TitrationSystem sys;
  std::mt19937_64 rng(7);
  std::normal_distribution<double> noise(0, 0.01);
  std::vector<double> v = sim::Steps(0, 10, 0.2), p;
  for (double x : v)
    p.push_back(4 + 0.05 * x + noise(rng));
  sim::Load(sys, {v, p}, 50, 0.1);
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  EXPECT_TRUE(a.endPoints.empty());
  EXPECT_TRUE(Contains(a.warnings, "No jump"));
}

TEST(RobustLines, ShortBranchLineIsKeptAndMarked) {
  // Three scattered points past the jump of an alkalinity titration: the line stays, marked.
  TitrationSystem sys;
  const std::vector<double> v = {0, 0.25, 0.5, 0.75, 1.0, 1.25};
  const std::vector<double> p = {6.805, 5.758, 4.899, 3.715, 3.281, 3.084};
  sim::Load(sys, {v, p}, 50, 0.05);
  const vexa::RobustAnalysis a = vexa::FindLines(sys);
  ASSERT_EQ(a.lines.size(), 1u);
  EXPECT_GE(a.lines[0].relativeError, 10);
  EXPECT_FALSE(a.lines[0].straightnessTested);
  EXPECT_TRUE(Contains(a.warnings, "(10 % or more)"));
  EXPECT_TRUE(Contains(a.warnings, "too few to test"));
  EXPECT_NEAR(a.veq, 0.5959, 0.002);
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFitted);
}

namespace {

// A strong base (Veq = 2 ml) titrated with 0.1 M HCl: readings up to the jump, then the given
// volumes past it.
void FewExcessPoints(TitrationSystem& sys, const std::vector<double>& past) {
  std::vector<double> v = {0, 0.5, 1.0, 1.5, 1.8};
  v.insert(v.end(), past.begin(), past.end());
  Exact(sys, {50, 0.004, {}}, {0.1, false}, v, 3);
}

} // namespace

TEST(RobustLines, TheReadingAfterTheJumpIsLeftOut) {
  // The first reading past the jump was taken before the electrode had settled (0.15 too
  // high): the titrant's line keeps to the readings after it.
  TitrationSystem sys;
  FewExcessPoints(sys, {2.1, 2.3, 2.5, 2.7});
  sys.pH[5] += 0.15;
  sys.RecomputeLinearised();
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  ASSERT_EQ(a.endPoints.size(), 1u);
  EXPECT_EQ(a.endPoints[0].before, 4);
  EXPECT_EQ(a.endPoints[0].after, 5);
  const vexa::BranchLine* titrant = nullptr;
  for (const auto& l : a.lines)
    if (l.titrantExcess) titrant = &l;
  ASSERT_NE(titrant, nullptr);
  EXPECT_EQ(titrant->firstPoint, 6);
  EXPECT_EQ(titrant->endPoint, 8);
  EXPECT_NEAR(titrant->veq, 2, 0.005);
  EXPECT_NEAR(a.veq, 2, 0.01);
}

TEST(RobustLines, AShortBranchTakesBackItsReadingAtTheJump) {
  // Three readings past the jump: the one just after the steepest step is needed for a line,
  // and taken back; the reading before the step never joins it.
  TitrationSystem sys;
  FewExcessPoints(sys, {2.1, 2.3, 2.5});
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  const vexa::BranchLine* titrant = nullptr;
  for (const auto& l : a.lines) {
    if (l.titrantExcess) titrant = &l;
    EXPECT_FALSE(l.firstPoint <= 4 && l.endPoint >= 5) << "a line across the jump";
  }
  ASSERT_NE(titrant, nullptr);
  EXPECT_EQ(titrant->firstPoint, 5);
  EXPECT_EQ(titrant->endPoint, 7);
  EXPECT_NEAR(titrant->veq, 2, 0.01);
}

TEST(RobustLines, ABendBeyondTheNoiseIsMarkedWhenNothingElseIsLeft) {
  // Six readings whose titration function bends throughout (G grows as the cube of V): too
  // few for the lack-of-fit test on short windows, but every window scatters more than even a
  // noisy electrode explains. The best of them stays, marked.
  TitrationSystem sys;
  std::vector<double> v, p;
  for (int i = 1; i <= 6; ++i) {
    const double x = 0.1 * i;
    v.push_back(x);
    p.push_back(-std::log10(2 * std::pow(x - 0.05, 3) / (50 + x)));
  }
  sim::Load(sys, {v, p}, 50, 0.1);
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  ASSERT_EQ(a.lines.size(), 1u);
  EXPECT_FALSE(a.lines[0].withinNoise);
  EXPECT_TRUE(Contains(a.warnings, "scatter about it more than the readings' noise"));
}

TEST(RobustLines, DisagreeingLinesAreSaidToDisagree) {
  // The acid branch of one titration and the base branch of another with a different Veq.
  TitrationSystem first, second;
  Exact(first, {50, -0.01, {}}, {0.1, true}, sim::Steps(0, 4.5, 0.25));
  Exact(second, {50, -0.012, {}}, {0.1, true}, sim::Steps(6.5, 10, 0.25));
  std::vector<double> v, p;
  for (int i = 0; i < first.pointCount; ++i)
    v.push_back(first.volume[i]), p.push_back(first.pH[i]);
  for (int i = 0; i < second.pointCount; ++i)
    v.push_back(second.volume[i]), p.push_back(second.pH[i]);
  TitrationSystem sys;
  sim::Load(sys, {v, p}, 50, 0.1);
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  ASSERT_EQ(a.lines.size(), 2u);
  EXPECT_EQ(a.agreement, vexa::Agreement::Disagree);
  EXPECT_TRUE(Contains(a.warnings, "disagree"));
  EXPECT_NE(vexa::RobustSummary(a).find("disagree"), std::string::npos);
}

TEST(RobustLines, NothingToFindLeavesOneEmptyLine) {
  TitrationSystem sys;
  sim::Load(sys, {{0, 1, 2, 3}, {7, 7, 7, 7}}, 50, 0.1);
  sys.lineCount = 3;
  const vexa::RobustAnalysis a = vexa::FindLines(sys);
  EXPECT_TRUE(a.lines.empty());
  EXPECT_TRUE(std::isnan(a.veq));
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);
  EXPECT_EQ(vexa::RobustSummary(a), "No straight line found");
}

TEST(RobustLines, UnreadableValuesAreLeftOut) {
  TitrationSystem sys;
  Exact(sys, {50, -0.01, {}}, {0.1, true}, sim::Steps(0, 10, 0.25));
  sys.pH[5] = std::numeric_limits<double>::quiet_NaN();
  sys.volume[30] = std::numeric_limits<double>::infinity();
  sys.RecomputeLinearised();
  const vexa::RobustAnalysis a = vexa::FindLines(sys);
  ASSERT_FALSE(a.lines.empty());
  for (const auto& l : a.lines) {
    EXPECT_TRUE(l.firstPoint > 5 || l.endPoint < 5);
    EXPECT_TRUE(l.firstPoint > 30 || l.endPoint < 30);
  }
  EXPECT_NEAR(a.veq, 5, 0.02);
}

TEST(RobustLines, TooFewPoints) {
  TitrationSystem sys;
  sim::Load(sys, {{0, 1}, {3, 11}}, 50, 0.1);
  const vexa::RobustAnalysis a = vexa::FindLines(sys);
  EXPECT_TRUE(a.lines.empty());
  EXPECT_TRUE(Contains(a.warnings, "Too few points"));
  EXPECT_EQ(sys.lineCount, 1);
}

TEST(ChecksSection, PageOfAnAnalysis) {
  TitrationSystem sys;
  Exact(sys, {50, -0.01, {}}, {0.1, true}, sim::Steps(0, 10, 0.25));
  vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  a.warnings.push_back("a <b> & c");
  const std::string page = vexa::WriteChecksSection(a, 150);
  EXPECT_EQ(page.rfind("<table width=100% border=1 cols=2 style=\"font-size: 150%\">\r\n", 0), 0u);
  EXPECT_NE(page.find("<tr BGCOLOR=aqua><td colspan=2><b>Checks</b></td></tr>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td>Line # 1 (acid excess)</td>"), std::string::npos);
  EXPECT_NE(page.find("<tr><td>Line # 2 (base excess, titrant)</td>"), std::string::npos);
  EXPECT_NE(page.find("the two lines agree"), std::string::npos);
  EXPECT_NE(page.find("Combined V<sub>eq</sub> &plusmn; &Delta;V"), std::string::npos);
  EXPECT_NE(page.find("End point # 1"), std::string::npos);
  EXPECT_NE(page.find("<font color=red><b>a &lt;b&gt; &amp; c</b></font>"), std::string::npos);
  EXPECT_TRUE(page.ends_with("</table>\r\n"));
  for (char c : page)
    EXPECT_GT(static_cast<unsigned char>(c), 0) << "no NUL in the page";
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (page[i] == '\n') {
      EXPECT_EQ(page[i - 1], '\r') << "CR LF line ends";
    }
  }
}

TEST(ChecksSection, NoLinesAndDisagreement) {
  vexa::RobustAnalysis empty;
  const std::string page = vexa::WriteChecksSection(empty);
  EXPECT_NE(page.find("No straight line found"), std::string::npos);
  EXPECT_NE(page.find("not tested: fewer than two lines"), std::string::npos);
  EXPECT_NE(page.find("<td>none</td>"), std::string::npos);

  vexa::RobustAnalysis two;
  two.lines.resize(2);
  two.agreement = vexa::Agreement::Disagree;
  EXPECT_NE(vexa::WriteChecksSection(two).find("the two lines disagree"), std::string::npos);
}
