#include "analysis/LineFit.h"
#include "analysis/Student.h"
#include "core/Points.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

using vexa::TitrationSystem;
using vexa::test::SetPoints;

TEST(Student, TableRowsInterpolationAndTail) {
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(1), 6.31);
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(20), 1.73);
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(30), 1.70);
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(40), 1.68);
  EXPECT_NEAR(vexa::StudentCoefficient(35), 1.69, 1e-12);
  EXPECT_NEAR(vexa::StudentCoefficient(239), 1.66 + (1.64 - 1.66) / 120 * 119, 1e-12);
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(240), 1.64);
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(100000), 1.64);
}

namespace {

// The NIST StRD "Norris" linear regression data, certified to 15 digits.
const std::vector<double> kNorrisX = {0.2,   337.4, 118.2, 884.6, 10.1,  226.5, 666.3, 996.3, 448.6,
                                      777.0, 558.2, 0.4,   0.6,   775.5, 666.9, 338.0, 447.5, 11.6,
                                      556.0, 228.1, 995.8, 887.6, 120.2, 0.3,   0.3,   556.8, 339.1,
                                      887.2, 999.0, 779.0, 11.1,  118.3, 229.2, 669.1, 448.9, 0.5};
const std::vector<double> kNorrisY = {0.1,   338.8, 118.1, 888.0, 9.2,   228.1, 668.5, 998.5, 449.1,
                                      778.9, 559.2, 0.3,   0.1,   778.1, 668.8, 339.3, 448.9, 10.8,
                                      557.7, 228.3, 998.0, 888.8, 119.6, 0.3,   0.6,   557.6, 339.3,
                                      888.0, 998.5, 778.9, 10.2,  117.6, 228.9, 668.4, 449.2, 0.2};
constexpr double kNorrisA = -0.262323073774029, kNorrisB = 1.00211681802045;
constexpr double kNorrisSdA = 0.232818234301152, kNorrisSdB = 0.429796848199937e-3;
constexpr double kNorrisR2 = 0.999993745883712;
constexpr double kT34 = 1.70 + (1.68 - 1.70) / 10 * 4; // Student coefficient at df = 34

} // namespace

TEST(FitLine, MatchesCertifiedNorrisRegression) {
  TitrationSystem sys;
  SetPoints(sys, kNorrisX, kNorrisY);
  sys.lines[0].firstPoint = 35;
  sys.lines[0].endPoint = 0; // either order
  ASSERT_EQ(sys.FitLine(0), vexa::kLineFitted);
  const auto& l = sys.lines[0];
  EXPECT_NEAR(l.a, kNorrisA, 1e-12);
  EXPECT_NEAR(l.b, kNorrisB, 1e-14);
  EXPECT_NEAR(l.deltaA, kT34 * kNorrisSdA, 1e-12);
  EXPECT_NEAR(l.deltaB, kT34 * kNorrisSdB, 1e-15);
  EXPECT_NEAR(l.rhoXY * l.rhoXY, kNorrisR2, 1e-12);
  EXPECT_DOUBLE_EQ(l.veq, -l.a / l.b);
  EXPECT_NEAR(l.deltaVeq,
              std::sqrt(l.deltaA * l.deltaA + l.veq * l.veq * l.deltaB * l.deltaB) / l.b, 1e-15);
  EXPECT_NEAR(l.sigmaVeq, l.deltaVeq / kT34, 1e-15);
}

TEST(FitLine, NorrisFarFromZeroKeepsItsDigitsInTheWideSums) {
  // The fit works on raw sums (Σx, Σx², ...), whose determinant n·Σx² − (Σx)² cancels as the
  // volumes move away from zero: the digits lost grow with the square of the offset. The
  // long double sums keep the certified slope to 1e-11 a million units out (sums in double
  // would give 2e-9), and still to 1e-7 at 1e8.
  struct Offset {
    double shift, slope, intercept, deltaB;
  };
  for (const Offset o : {Offset{0, 1e-14, 1e-13, 1e-13}, Offset{1e4, 1e-13, 1e-11, 1e-12},
                         Offset{1e6, 1e-11, 2e-9, 1e-10}, Offset{1e8, 1e-7, 1e-5, 1e-7}}) {
    std::vector<double> x = kNorrisX;
    for (double& v : x)
      v += o.shift;
    const vexa::LineFit fit = vexa::FitLeastSquares(x, kNorrisY, 0, 35);
    ASSERT_EQ(fit.status, vexa::kLineFitted) << o.shift;
    EXPECT_NEAR(fit.b / kNorrisB, 1, o.slope) << o.shift;
    EXPECT_NEAR(fit.a + fit.b * o.shift, kNorrisA, o.intercept) << o.shift; // G at V = 0
    EXPECT_NEAR(fit.deltaB / (kT34 * kNorrisSdB), 1, o.deltaB) << o.shift;
    EXPECT_NEAR(fit.rhoXY * fit.rhoXY, kNorrisR2, 1e-12) << o.shift; // centred second pass
  }
}

TEST(FitLine, WritesOnlyTheFieldsOfItsResultCode) {
  // Every range of a table with repeated volumes, ranges outside it included: FitLine returns
  // the free fit's code and the record changes only where that code says it may.
  const std::vector<double> v = {1, 2, 3, 3, 3, 3, 4, 5.5, 7};
  const std::vector<double> g = {4, 2, 7, 1, 2, 3, 0.5, -1, -2.5};
  TitrationSystem sys;
  SetPoints(sys, v, g);
  for (int first = -1; first <= 9; ++first) {
    for (int end = 0; end <= 9; ++end) {
      vexa::ApproxLine& l = sys.lines[0];
      l = vexa::ApproxLine{};
      l.a = l.b = l.deltaA = l.deltaB = l.deltaVeq = l.veq = l.sigmaVeq = 42;
      l.rhoXY = l.rhoAB = 0.5;
      l.reserved72.fill(7);
      l.reserved92.fill(9);
      l.firstPoint = first;
      l.endPoint = end;
      const vexa::ApproxLine before = l;
      const vexa::LineFit fit = vexa::FitLeastSquares(v, g, first, end);
      const int code = sys.FitLine(0);
      ASSERT_EQ(code, fit.status) << first << "-" << end;
      vexa::ApproxLine unchangedFields = l; // the fields the code leaves alone, put back
      switch (code) {
      case vexa::kLineFitted:
        EXPECT_EQ(l.a, fit.a);
        EXPECT_EQ(l.rhoXY, fit.rhoXY);
        EXPECT_EQ(l.deltaVeq, fit.deltaVeq);
        break;
      case vexa::kLineTwoPoints:
        EXPECT_EQ(l.deltaA, 0);
        EXPECT_EQ(l.sigmaVeq, 0);
        unchangedFields.a = before.a;
        unchangedFields.b = before.b;
        unchangedFields.veq = before.veq;
        unchangedFields.deltaA = before.deltaA;
        unchangedFields.deltaB = before.deltaB;
        unchangedFields.deltaVeq = before.deltaVeq;
        unchangedFields.sigmaVeq = before.sigmaVeq;
        break;
      case vexa::kLineFitFailed:
        EXPECT_TRUE(fit.hasSlope || (l.a == 42 && l.b == 42));
        unchangedFields.a = before.a;
        unchangedFields.b = before.b;
        break;
      default: break;
      }
      if (code != vexa::kLineFitted) {
        EXPECT_EQ(unchangedFields, before) << first << "-" << end;
      }
      EXPECT_EQ(l.reserved72, before.reserved72);
      EXPECT_EQ(l.reserved92, before.reserved92);
      const int lo = std::min(first, end), hi = std::max(first, end);
      if (lo < 0 || hi > 8) {
        EXPECT_EQ(code, vexa::kLineFitFailed);
      } else if (lo == hi) {
        EXPECT_EQ(code, vexa::kLineFewPoints);
      } else if (lo >= 2 && hi <= 5) {
        EXPECT_EQ(code, vexa::kLineFitFailed); // one volume
      } else {
        EXPECT_EQ(code, hi - lo == 1 ? vexa::kLineTwoPoints : vexa::kLineFitted);
      }
    }
  }
}

TEST(FitLine, ShortRangesAndDegenerateAbscissas) {
  TitrationSystem sys;
  SetPoints(sys, {1, 2, 3, 3, 3, 3}, {4, 2, 7, 1, 2, 3});
  auto& l = sys.lines[0];
  l.rhoXY = 0.5;
  l.rhoAB = -0.25;
  l.a = 99;

  // One point: -2, nothing written.
  l.firstPoint = l.endPoint = 1;
  EXPECT_EQ(sys.FitLine(0), vexa::kLineFewPoints);
  EXPECT_EQ(l.a, 99);

  // Two points: the exact line, zero errors, correlations untouched.
  l.deltaA = l.deltaB = l.deltaVeq = l.sigmaVeq = 7;
  l.firstPoint = 1;
  l.endPoint = 0;
  EXPECT_EQ(sys.FitLine(0), vexa::kLineTwoPoints);
  EXPECT_DOUBLE_EQ(l.b, -2);
  EXPECT_DOUBLE_EQ(l.a, 6);
  EXPECT_DOUBLE_EQ(l.veq, 3);
  EXPECT_EQ(l.deltaA, 0);
  EXPECT_EQ(l.deltaB, 0);
  EXPECT_EQ(l.deltaVeq, 0);
  EXPECT_EQ(l.sigmaVeq, 0);
  EXPECT_EQ(l.rhoXY, 0.5);
  EXPECT_EQ(l.rhoAB, -0.25);

  // Two points with equal V would need an infinite slope: -1, nothing written.
  const vexa::ApproxLine before = l;
  l.firstPoint = 2;
  l.endPoint = 3;
  EXPECT_EQ(sys.FitLine(0), vexa::kLineFitFailed);
  EXPECT_EQ(l.a, before.a);
  EXPECT_EQ(l.b, before.b);

  // Three or more points with the same V: -1, nothing written.
  l.firstPoint = 2;
  l.endPoint = 5;
  EXPECT_EQ(sys.FitLine(0), vexa::kLineFitFailed);
  EXPECT_EQ(l.a, before.a);
  EXPECT_EQ(l.veq, before.veq);
}

TEST(FitLine, ExactLineHasZeroErrorsAndUnitCorrelation) {
  TitrationSystem sys;
  SetPoints(sys, {0, 1, 2, 3, 4}, {10, 8, 6, 4, 2});
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = 4;
  ASSERT_EQ(sys.FitLine(0), vexa::kLineFitted);
  const auto& l = sys.lines[0];
  EXPECT_DOUBLE_EQ(l.a, 10);
  EXPECT_DOUBLE_EQ(l.b, -2);
  EXPECT_DOUBLE_EQ(l.veq, 5);
  EXPECT_EQ(l.deltaA, 0);
  EXPECT_EQ(l.deltaB, 0);
  EXPECT_EQ(l.deltaVeq, 0);
  EXPECT_DOUBLE_EQ(l.rhoXY, -1);
  EXPECT_DOUBLE_EQ(l.rhoAB, -10 / std::sqrt(5.0 * 30));
}

TEST(FitLine, FlatAndHorizontalLinesGiveNonFiniteValues) {
  TitrationSystem sys;
  SetPoints(sys, {0, 1, 2}, {3, 3, 3});
  sys.lines[0].firstPoint = 0;
  sys.lines[0].endPoint = 2;
  ASSERT_EQ(sys.FitLine(0), vexa::kLineFitted);
  const auto& l = sys.lines[0];
  EXPECT_EQ(l.b, 0);
  EXPECT_TRUE(std::isinf(l.veq));
  EXPECT_TRUE(std::isinf(l.deltaVeq));
  EXPECT_TRUE(std::isnan(l.rhoXY)); // all G equal: no correlation
}

TEST(FitLine, UsesTheStudentCoefficientOfNMinusTwo) {
  // Alternating residuals of ±1 around G = 100 - V; with n points s and the sums are known,
  // so ΔA / t depends on the data alone and the ratio for two sizes shows t.
  for (int n : {3, 32, 42}) {
    TitrationSystem sys;
    std::vector<double> v, g;
    for (int i = 0; i < n; ++i) {
      v.push_back(i);
      g.push_back(100 - i + ((i % 2) ? 1 : -1));
    }
    SetPoints(sys, v, g);
    sys.lines[0].endPoint = n - 1;
    ASSERT_EQ(sys.FitLine(0), vexa::kLineFitted);
    const auto& l = sys.lines[0];
    const double t = vexa::StudentCoefficient(n - 2);
    EXPECT_NEAR(l.deltaVeq / l.sigmaVeq, t, 1e-12) << n;
  }
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(1), 6.31);
  EXPECT_DOUBLE_EQ(vexa::StudentCoefficient(30), 1.70);
}

TEST(Lines, LinearisedValue) {
  TitrationSystem sys;
  EXPECT_DOUBLE_EQ(sys.LinearisedValue(12.5, 7), 0); // neutral at pKw 14
  EXPECT_NEAR(sys.LinearisedValue(0, 0), 50 * (1 - 1e-14), 1e-12);
  EXPECT_NEAR(sys.LinearisedValue(10, 3), 60 * (1e-3 - 1e-11), 1e-15);
  EXPECT_GT(sys.LinearisedValue(1, 6.9), 0);
  EXPECT_LT(sys.LinearisedValue(1, 7.1), 0);
}

TEST(Lines, AddDeleteAndClamp) {
  TitrationSystem sys;
  for (int i = 0; i < 12; ++i)
    sys.AddLine();
  EXPECT_EQ(sys.lineCount, 10);

  sys.lineCount = 5;
  for (int j = 0; j < 5; ++j)
    sys.lines[j].firstPoint = 100 + j;
  EXPECT_EQ(sys.DeleteLine(2), 0); // line 3 of 5
  EXPECT_EQ(sys.lineCount, 4);
  EXPECT_EQ(sys.lines[2].firstPoint, 103);
  EXPECT_EQ(sys.lines[3].firstPoint, 104);
  EXPECT_EQ(sys.lines[4].firstPoint, 104); // the stale copy stays

  sys.lineCount = 1;
  EXPECT_EQ(sys.DeleteLine(0), -1);
  EXPECT_EQ(sys.lineCount, 1);

  sys.lines[0].status = 0;
  sys.lines[0].a = 42;
  sys.AddLine();
  EXPECT_EQ(sys.lineCount, 2);
  EXPECT_EQ(sys.lines[1].status, vexa::kLineFewPoints);
  EXPECT_EQ(sys.lines[1].firstPoint, 0);

  sys.pointCount = 1; // one point: every number but 0 is out of range
  sys.lines[0].firstPoint = -3;
  sys.lines[0].endPoint = 1;
  sys.ClampLinePoints(0);
  EXPECT_EQ(sys.lines[0].firstPoint, 0);
  EXPECT_EQ(sys.lines[0].endPoint, 0);
}

TEST(Lines, StatusTexts) {
  TitrationSystem sys;
  auto& l = sys.lines[0];
  l.status = 0;
  l.veq = 10;
  l.deltaVeq = 0.2;
  l.firstPoint = 7;
  l.endPoint = 2;
  EXPECT_EQ(sys.StatusText(0), "Line 1: Veq = 10 ± 0.2 (2%; 7-2)");
  l.status = 1;
  EXPECT_EQ(sys.StatusText(0), "Line 1:Veq = 10 (7-2)");
  l.status = -2;
  EXPECT_EQ(sys.StatusText(0), "Line 1. Note: Few point!");
  l.status = -1;
  sys.lines[3] = l;
  EXPECT_EQ(sys.StatusText(3), "Line 4. Error: Least Squares procedure is failed!");
}

TEST(FitLine, OneVolumeForAllPointsIsAFailedFit) {
  // 41.77 is not exact in binary: the determinant of three such points is a rounding residue
  // rather than zero, and once gave a "fit" with Veq 32 ± 1e12.
  TitrationSystem sys;
  SetPoints(sys, {41.77, 41.77, 41.77}, {0.0123, 0.0119, 0.0131});
  auto& l = sys.lines[0];
  l.endPoint = 2;
  l.a = 5;
  l.veq = 7;
  std::uint8_t before[vexa::ApproxLine::kBytes], after[vexa::ApproxLine::kBytes];
  l.Encode(before);
  EXPECT_EQ(sys.FitLine(0), vexa::kLineFitFailed);
  l.Encode(after);
  EXPECT_EQ(0, std::memcmp(before, after, sizeof before)); // nothing written

  // Many lengths and volumes read from a table with two decimals: every one fails, and leaves
  // the record as it was, whatever the rounding of its sums.
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> centiMl(1, 5000), size(3, 40);
  std::uniform_real_distribution<double> gValue(-0.05, 0.05);
  for (int run = 0; run < 300; ++run) {
    const double v = centiMl(random) / 100.0;
    const int n = size(random);
    std::vector<double> vs(static_cast<std::size_t>(n) + 2), gs;
    for (auto& g : vs)
      g = gValue(random);
    gs = vs;
    std::fill(vs.begin() + 1, vs.end() - 1, v);
    vs.front() = v - 1; // neighbours with other volumes stay outside the range
    vs.back() = v + 1;
    SetPoints(sys, vs, gs);
    l.firstPoint = n;
    l.endPoint = 1;
    l.Encode(before);
    ASSERT_EQ(sys.FitLine(0), vexa::kLineFitFailed) << "V = " << v << ", " << n << " points";
    l.Encode(after);
    ASSERT_EQ(0, std::memcmp(before, after, sizeof before));
  }
}
