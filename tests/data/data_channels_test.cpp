#include <gtest/gtest.h>

#include "data/data_channels.h"

namespace {
TMesh FlatMesh(int n) {
  TMesh m;
  m.vertex_count = n;
  m.vertices.resize(n);
  for (int i = 0; i < n; ++i) {
    m.vertices[i] = TVertex{};
    m.vertices[i].pos = {float(i), float(2 * i), 0};
  }
  return m;
}
}  // namespace

TEST(DataRanges, ConstantChannelsGetDefaultRangesAndCurvatureChannelsFixedOnes) {
  TMesh m = FlatMesh(4);
  m.vertices[2].kmin = 99;  // fixed ranges ignore the data
  ComputeDataRanges(m, true);
  EXPECT_EQ(m.auto_range[kChanZ].min, 0);
  EXPECT_EQ(m.auto_range[kChanZ].max, 10);
  EXPECT_EQ(m.auto_range[kChanAux].max, 7);
  EXPECT_EQ(m.auto_range[kChanX].min, 0);
  EXPECT_EQ(m.auto_range[kChanX].max, 3);
  EXPECT_EQ(m.auto_range[kChanY].max, 6);
  EXPECT_EQ(m.auto_range[kChanKMin].min, -25);
  EXPECT_EQ(m.auto_range[kChanKMax].max, 25);
  EXPECT_EQ(m.auto_range[kChanKAvg].min, -20);
  EXPECT_EQ(m.data_range[kChanY].max, 6);
}

TEST(DataRanges, WithoutCopyFlagUserRangesSurviveAndVelocityCoversAllTimeSteps) {
  TMesh m = FlatMesh(3);
  m.data_range[kChanX] = {-1, 1};
  m.time_count = 2;
  m.time_velo = {std::vector<TVec3>(3), std::vector<TVec3>(3)};
  m.time_velo[1][2] = {3, 4, 0};  // length 5
  m.vertices[0].speed = 1;
  ComputeDataRanges(m, false);
  EXPECT_EQ(m.data_range[kChanX].min, -1);
  EXPECT_EQ(m.auto_range[kChanVelocity].min, 0);
  EXPECT_EQ(m.auto_range[kChanVelocity].max, 5);
}

TEST(DataRanges, EmptyMeshLeavesRangesAlone) {
  TMesh m;
  m.auto_range[3] = {1, 2};
  ComputeDataRanges(m, true);
  EXPECT_EQ(m.auto_range[3].max, 2);
}

TEST(RangeCommands, WidenNarrowAndShiftAsTheButtonsDo) {
  TRange w = ApplyRangeCommand({0, 10}, RangeCommand::Widen);
  EXPECT_EQ(w.min, -5);
  EXPECT_EQ(w.max, 15);
  TRange n = ApplyRangeCommand(w, RangeCommand::Narrow);
  EXPECT_EQ(n.min, 0);
  EXPECT_EQ(n.max, 10);
  TRange u = ApplyRangeCommand({0, 8}, RangeCommand::ShiftUp);
  EXPECT_EQ(u.min, 1);
  EXPECT_EQ(u.max, 9);
  TRange d = ApplyRangeCommand({0, 8}, RangeCommand::ShiftDown);
  EXPECT_EQ(d.min, -1);
  EXPECT_FALSE(AcceptTypedRange(5, 3));
  EXPECT_FALSE(AcceptTypedRange(3, 3));
  EXPECT_TRUE(AcceptTypedRange(3, 5));
}
