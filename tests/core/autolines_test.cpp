#include "core/Points.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using vexa::TitrationSystem;
using vexa::test::SetPoints;

namespace {

// Three points around G = 10 - 2V whose residuals (+d, -2d, +d) leave A and B exact, so the
// relative error of Veq grows with d alone.
void ThreePoints(TitrationSystem& sys, double d, double a = 10, double b = -2) {
  SetPoints(sys, {0, 1, 2}, {a + d, a + b - 2 * d, a + 2 * b + d});
}

double RelativeErrorOfThree(double d, double a = 10, double b = -2) {
  TitrationSystem sys;
  ThreePoints(sys, d, a, b);
  sys.lines[0].endPoint = 2;
  sys.FitLine(0);
  return std::fabs(TitrationSystem::RelativeError(sys.lines[0]));
}

} // namespace

TEST(SetAutoLines, TwoPointsGiveOneEmptyLine) {
  TitrationSystem sys;
  SetPoints(sys, {0, 1}, {1, 0});
  sys.lineCount = 4;
  sys.SetAutoLines();
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);
  EXPECT_EQ(sys.lines[0].firstPoint, 0);
  EXPECT_EQ(sys.lines[0].endPoint, 0);
}

TEST(SetAutoLines, ThreePointsOneLineOrNone) {
  TitrationSystem sys;
  ThreePoints(sys, 0.001);
  sys.SetAutoLines();
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFitted);
  EXPECT_EQ(sys.lines[0].firstPoint, 0);
  EXPECT_EQ(sys.lines[0].endPoint, 2);

  ThreePoints(sys, 1.0); // far too scattered
  ASSERT_GT(RelativeErrorOfThree(1.0), 10);
  sys.SetAutoLines();
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);
  EXPECT_EQ(sys.lines[0].endPoint, 0);
}

TEST(SetAutoLines, ExactlyTenPercentIsNotAccepted) {
  // Around G = 3 - 3V this scatter gives a relative error of exactly 10 (found by search).
  const double a = 3, b = -3;
  double d = 0.016809194481455139;
  ASSERT_EQ(RelativeErrorOfThree(d, a, b), 10);

  TitrationSystem sys;
  ThreePoints(sys, d, a, b);
  sys.SetAutoLines();
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);

  d = std::nextafter(d, 0.0);
  while (RelativeErrorOfThree(d, a, b) >= 10) d = std::nextafter(d, 0.0);
  ThreePoints(sys, d, a, b); // just below 10 %
  sys.SetAutoLines();
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFitted);
  EXPECT_EQ(sys.lines[0].endPoint, 2);
}

TEST(SetAutoLines, TiesKeepTheShorterLines) {
  // Points exactly on a line: every trial has relative error 0. The head line keeps the
  // smallest end (2), the tail line the largest (N-3).
  TitrationSystem sys;
  SetPoints(sys, {0, 1, 2, 3, 4, 5, 6}, {10, 8, 6, 4, 2, 0, -2});
  sys.SetAutoLines();
  ASSERT_EQ(sys.lineCount, 2);
  EXPECT_EQ(sys.lines[0].firstPoint, 0);
  EXPECT_EQ(sys.lines[0].endPoint, 2);
  EXPECT_EQ(sys.lines[1].firstPoint, 6);
  EXPECT_EQ(sys.lines[1].endPoint, 4);
  EXPECT_EQ(sys.lines[1].status, vexa::kLineFitted);
  EXPECT_DOUBLE_EQ(sys.lines[1].veq, 5);
}

TEST(SetAutoLines, HeadAndTailOfATitration) {
  // A bent curve: G falls steeply to point 5, then slowly. The head line covers 0..4 or so,
  // the tail line ends at the last point.
  TitrationSystem sys;
  std::vector<double> v, g;
  for (int i = 0; i < 12; ++i) {
    v.push_back(i);
    g.push_back(i <= 5 ? 10 - 2.0 * i + ((i % 2) ? 0.01 : -0.01) : -0.5 * (i - 5) + ((i % 2) ? 0.01 : -0.01));
  }
  SetPoints(sys, v, g);
  sys.SetAutoLines();
  ASSERT_EQ(sys.lineCount, 2);
  EXPECT_EQ(sys.lines[0].firstPoint, 0);
  EXPECT_GE(sys.lines[0].endPoint, 2);
  EXPECT_LE(sys.lines[0].endPoint, 5);
  EXPECT_EQ(sys.lines[1].firstPoint, 11);
  EXPECT_GE(sys.lines[1].endPoint, 5);
  EXPECT_NEAR(sys.lines[0].veq, 5, 0.05);
  EXPECT_NEAR(sys.lines[1].veq, 5, 0.2);
}

TEST(SetAutoLines, ALineThroughTheOriginNeverCounts) {
  // Veq = 0 makes the relative error infinite or not a number: no line is accepted.
  TitrationSystem sys;
  SetPoints(sys, {0, 1, 2, 3}, {0, -2, -4, -6});
  sys.SetAutoLines();
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);
}
