#include "document/PointRows.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>

#include <cmath>

using vexa::TitrationSystem;

TEST(TitrationSystem, NewSystem) {
  TitrationSystem sys;
  EXPECT_EQ(sys.Title(), "Untitled system");
  EXPECT_EQ(sys.cTit, 0.01);
  EXPECT_EQ(sys.initialVolume, 50.0);
  EXPECT_EQ(sys.pKw, 14.0);
  EXPECT_EQ(sys.pointCount, 1);
  EXPECT_EQ(sys.volume[0], 0);
  EXPECT_EQ(sys.pH[0], 0);
  EXPECT_DOUBLE_EQ(sys.g[0], 50 * (1 - 1e-14));
  EXPECT_GE(sys.volume.capacity(), 11);
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);
  EXPECT_STREQ(sys.quantityLabels[0], "V_{tit}");
  EXPECT_STREQ(sys.quantityLabels[1], "pH");
  EXPECT_STREQ(sys.quantityLabels[2], "F_{Vexa}");
}

TEST(TitrationSystem, FileNewKeepsTheParameters) {
  TitrationSystem sys;
  sys.cTit = 0.1;
  sys.initialVolume = 25;
  sys.pKw = 13.8;
  sys.SetTitle("Old");
  sys.InsertPoint(1);
  sys.lineCount = 3;
  sys.Clear();
  EXPECT_EQ(sys.pointCount, 0);
  EXPECT_FALSE(sys.volume.present());
  sys.ResetToNew(TitrationSystem::kNewTitleId);
  EXPECT_EQ(sys.Title(), "Untitled system");
  EXPECT_EQ(sys.pointCount, 1);
  EXPECT_EQ(sys.volume[0], 0);
  EXPECT_EQ(sys.pH[0], 0);
  EXPECT_EQ(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFewPoints);
  EXPECT_EQ(sys.cTit, 0.1);
  EXPECT_EQ(sys.initialVolume, 25);
  EXPECT_EQ(sys.pKw, 13.8);
  EXPECT_DOUBLE_EQ(sys.g[0], sys.LinearisedValue(0, 0));
}

TEST(TitrationSystem, InsertPointClampsAndKeepsLineNumbers) {
  TitrationSystem sys;
  for (int i = 0; i < 5; ++i) sys.InsertPoint(sys.pointCount);
  for (int i = 0; i < sys.pointCount; ++i) {
    sys.volume[i] = i;
    sys.pH[i] = 2 + i;
  }
  sys.RecomputeLinearised();
  sys.lines[0].firstPoint = 2;
  sys.lines[0].endPoint = 5;

  ASSERT_TRUE(sys.InsertPoint(-4)); // negative: at 0
  EXPECT_EQ(sys.pointCount, 7);
  EXPECT_EQ(sys.volume[0], 0);
  EXPECT_EQ(sys.pH[0], 0);
  EXPECT_DOUBLE_EQ(sys.g[0], sys.LinearisedValue(0, 0));
  EXPECT_EQ(sys.volume[1], 0);
  EXPECT_EQ(sys.pH[1], 2);
  EXPECT_EQ(sys.pH[6], 7);
  EXPECT_EQ(sys.lines[0].firstPoint, 2); // not renumbered
  EXPECT_EQ(sys.lines[0].endPoint, 5);

  ASSERT_TRUE(sys.InsertPoint(100)); // beyond the end: appended
  EXPECT_EQ(sys.pointCount, 8);
  EXPECT_EQ(sys.pH[7], 0);
  EXPECT_EQ(sys.pH[6], 7);

  // Many inserts grow the arrays and keep every value.
  for (int i = 0; i < 1000; ++i) sys.InsertPoint(3);
  EXPECT_EQ(sys.pointCount, 1008);
  EXPECT_EQ(sys.pH[2], 3);
  EXPECT_EQ(sys.pH[1002], 0); // the last of the new points
  EXPECT_EQ(sys.pH[1003], 4); // the point that was at 3
  EXPECT_EQ(sys.pH[1006], 7);
  EXPECT_GE(sys.g.capacity(), sys.pointCount + 1);
  EXPECT_GE(sys.dpHdV.capacity(), sys.pointCount + 1);
}

TEST(TitrationSystem, DeletePoint) {
  TitrationSystem sys;
  EXPECT_FALSE(sys.DeletePoint(0)); // never the last point
  EXPECT_EQ(sys.pointCount, 1);

  for (int i = 0; i < 3; ++i) sys.InsertPoint(sys.pointCount);
  for (int i = 0; i < 4; ++i) {
    sys.volume[i] = i;
    sys.pH[i] = 10 + i;
  }
  sys.RecomputeLinearised();
  EXPECT_TRUE(sys.DeletePoint(99)); // clamped to the last point
  EXPECT_EQ(sys.pointCount, 3);
  EXPECT_EQ(sys.pH[2], 12);
  EXPECT_TRUE(sys.DeletePoint(0));
  EXPECT_EQ(sys.pointCount, 2);
  EXPECT_EQ(sys.volume[0], 1);
  EXPECT_EQ(sys.pH[1], 12);
  EXPECT_DOUBLE_EQ(sys.g[1], sys.LinearisedValue(2, 12));
}

TEST(TitrationSystem, ParametersChangeEveryG) {
  TitrationSystem sys;
  sys.InsertPoint(1);
  sys.volume[1] = 4;
  sys.pH[1] = 11;
  sys.RecomputeLinearised();
  const double before = sys.g[1];
  sys.pKw = 13;
  sys.RecomputeLinearised();
  EXPECT_NE(sys.g[1], before);
  EXPECT_DOUBLE_EQ(sys.g[1], 54 * (1e-11 - 1e-2 * 1.0));
}

TEST(TitrationSystem, TitleIsCutTo199Bytes) {
  TitrationSystem sys;
  sys.SetTitle(std::string(250, 'x'));
  EXPECT_EQ(sys.Title().size(), 199u);
}

TEST(PointRowsTest, ReplacingRowsInsertsDeletesAndReplacesWithoutRenumberingLines) {
  using vexa::PointRow;
  TitrationSystem sys;
  const std::vector<PointRow> five = {{0, 2}, {1, 3}, {2, 4}, {3, 5}, {4, 6}};
  vexa::ReplacePointRows(sys, 0, 1, five); // the new system's one point replaced
  ASSERT_EQ(sys.pointCount, 5);
  EXPECT_EQ(vexa::PointRows(sys, 0, 5), five);
  sys.lines[0].firstPoint = 1;
  sys.lines[0].endPoint = 3;
  // Insert two in the middle: the tail moves up, G is computed for the new rows.
  const std::vector<PointRow> two = {{1.5, 3.5}, {1.7, 3.7}};
  vexa::ReplacePointRows(sys, 2, 0, two);
  ASSERT_EQ(sys.pointCount, 7);
  EXPECT_EQ(vexa::PointRows(sys, 0, 7),
            (std::vector<PointRow>{{0, 2}, {1, 3}, {1.5, 3.5}, {1.7, 3.7}, {2, 4}, {3, 5}, {4, 6}}));
  EXPECT_DOUBLE_EQ(sys.g[3], sys.LinearisedValue(1.7, 3.7));
  EXPECT_DOUBLE_EQ(sys.g[6], sys.LinearisedValue(4, 6));
  EXPECT_EQ(sys.lines[0].firstPoint, 1); // not renumbered
  EXPECT_EQ(sys.lines[0].endPoint, 3);
  // Delete three: the tail moves down.
  vexa::ReplacePointRows(sys, 1, 3, {});
  EXPECT_EQ(vexa::PointRows(sys, 0, 99), (std::vector<PointRow>{{0, 2}, {2, 4}, {3, 5}, {4, 6}}));
  // Replace two rows by one at the end, and a range cut to the table.
  const std::vector<PointRow> one = {{9, 9}};
  vexa::ReplacePointRows(sys, 3, 5, one);
  EXPECT_EQ(vexa::PointRows(sys, 0, 99), (std::vector<PointRow>{{0, 2}, {2, 4}, {3, 5}, {9, 9}}));
  // Undo-like round trip: what was removed, put back, restores the table exactly.
  const auto before = vexa::PointRows(sys, 0, 4);
  const auto removed = vexa::PointRows(sys, 1, 2);
  vexa::ReplacePointRows(sys, 1, 2, five);
  vexa::ReplacePointRows(sys, 1, 5, removed);
  EXPECT_EQ(vexa::PointRows(sys, 0, 99), before);
  // Growing far beyond the capacity keeps every value.
  std::vector<PointRow> many(10000);
  for (int i = 0; i < 10000; ++i) many[static_cast<std::size_t>(i)] = {0.01 * i, 7};
  vexa::ReplacePointRows(sys, 2, 0, many);
  EXPECT_EQ(sys.pointCount, 10004);
  EXPECT_EQ(sys.volume[10003], 9);
  EXPECT_EQ(sys.volume[2 + 9999], 0.01 * 9999);
  EXPECT_GE(sys.volume.capacity(), sys.pointCount);
}

TEST(TitrationSystem, ACopyHoldsEverythingAndIsIndependent) {
  TitrationSystem sys;
  sys.SetTitle("Acid");
  sys.pKw = 13.5;
  vexa::ReplacePointRows(sys, 0, 1, std::vector<vexa::PointRow>{{0, 3}, {1, 4}, {2, 11}});
  sys.AddLine();
  sys.lines[1].endPoint = 2;
  TitrationSystem copy;
  copy.CopyFrom(sys);
  EXPECT_EQ(copy.Title(), "Acid");
  EXPECT_EQ(copy.pKw, 13.5);
  EXPECT_EQ(vexa::PointRows(copy, 0, 9), vexa::PointRows(sys, 0, 9));
  EXPECT_EQ(copy.g[2], sys.g[2]);
  EXPECT_EQ(copy.lineCount, 2);
  EXPECT_EQ(copy.lines, sys.lines);
  copy.volume[0] = 42;
  copy.SetAutoLines();
  EXPECT_EQ(sys.volume[0], 0);
  EXPECT_EQ(sys.lineCount, 2);
}
