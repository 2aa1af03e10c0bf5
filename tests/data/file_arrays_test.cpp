#include "data/file_arrays.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/data_channels.h"
#include "data/render_state.h"
#include "support/mesh_fixtures.h"

namespace {

// One vertex with normal +z, carrying the vector (3, 0, 4), in a mesh of box size 2.
TMesh OneVector() {
  TMesh m = fixtures::SingleTriangle();
  m.vertices[0].normal = TVec3{0, 0, 1};
  m.box_size = 2;
  TFileArray u{"wallShearStress", 3, {std::vector<float>(9, 0.0f)}};
  u.steps[0][0] = 3;
  u.steps[0][2] = 4;
  // Vertex 1: almost along its normal; projected, only rounding-sized noise is left.
  m.vertices[1].normal = TVec3{0, 0, 1};
  u.steps[0][3] = 1e-7f;
  u.steps[0][5] = 5;
  m.file_arrays = {TFileArray{"p", 1, {{1, 2, 3}}}, u};
  m.flow_array.array = 1;
  return m;
}

}  // namespace

TEST(FileArrays, VelocityNamesAreRecognised) {
  const struct {
    const char* name;
    bool velocity;
  } cases[] = {{"U", true},
               {"u", true},
               {"v", true},
               {"velocity", true},
               {"Velocity", true},
               {"surfaceVelocity", true},
               {"wallShearStress", true},
               {"UMean", true},
               {"p", false},
               {"yPlus", false},
               {"Normals", false},
               {"Uniform", false}};
  for (const auto& c : cases) EXPECT_EQ(IsVelocityName(c.name), c.velocity) << c.name;
}

TEST(FileArrays, FlowOptionsTurnProjectAndScaleEachVector) {
  const struct {
    bool reverse, tangential, normalise;
    TVec3 want;
  } cases[] = {
      {false, false, false, {3, 0, 4}},      {true, false, false, {-3, 0, -4}}, {false, true, false, {3, 0, 0}},
      {false, false, true, {1.2f, 0, 1.6f}}, {false, true, true, {2, 0, 0}},    {true, true, true, {-2, 0, 0}},
  };
  for (const auto& c : cases) {
    TMesh m = OneVector();
    m.flow_array.reverse = c.reverse;
    m.flow_array.tangential = c.tangential;
    m.flow_array.normalise = c.normalise;
    ASSERT_TRUE(ApplyFlowArray(m));
    EXPECT_TRUE(m.has_user_velo);
    const TVec3& v = m.vertices[0].user_velo;
    EXPECT_NEAR(v.x, c.want.x, 1e-6) << c.reverse << c.tangential << c.normalise;
    EXPECT_NEAR(v.y, c.want.y, 1e-6);
    EXPECT_NEAR(v.z, c.want.z, 1e-6);
    // A zero vector stays zero, normalised or not; the noise left by the
    // projection is not blown up to full length.
    EXPECT_EQ(vec_length(m.vertices[2].user_velo), 0);
    const double residual = vec_length(m.vertices[1].user_velo);
    if (c.tangential && c.normalise) {
      EXPECT_EQ(residual, 0);
    }
    if (!c.tangential && c.normalise) {
      EXPECT_NEAR(residual, 2, 1e-6);
    }
  }
}

TEST(FileArrays, NoFittingArrayLeavesTheVelocitiesAlone) {
  TMesh scalar = OneVector();
  scalar.flow_array.array = 0;  // a scalar array
  TMesh none = OneVector();
  none.flow_array.array = -1;
  TMesh short_array = OneVector();
  short_array.file_arrays[1].steps[0].pop_back();  // the vertices changed since the file was read
  for (TMesh* m : {&scalar, &none, &short_array}) {
    EXPECT_FALSE(ApplyFlowArray(*m));
    EXPECT_FALSE(m->has_user_velo);
    EXPECT_EQ(vec_length(m->vertices[0].user_velo), 0);
  }
}

TEST(FileArrays, TrimmedRangeLeavesOutOnePercentAtEachEnd) {
  std::vector<double> ramp;
  for (int i = 0; i <= 1000; ++i) ramp.push_back(i);
  std::vector<double> outliers(1001, 5.0);
  for (int i = 0; i < 5; ++i) outliers[i] = -1e9, outliers[1000 - i] = 1e12;
  outliers[500] = NAN;
  const struct {
    const char* label;
    std::vector<double> values;
    TRange want;
  } cases[] = {
      {"ramp", ramp, {10, 990}},
      {"a few extreme values", outliers, {5, 5 + 1}},
      {"constant", std::vector<double>(7, 3.0), {3, 4}},
      {"empty", {}, {0, 1}},
  };
  for (const auto& c : cases) {
    const TRange r = TrimmedRange(c.values, 0.01);
    EXPECT_DOUBLE_EQ(r.min, c.want.min) << c.label;
    EXPECT_DOUBLE_EQ(r.max, c.want.max) << c.label;
  }
}

TEST(FileArrays, FileChannelShowsTheChosenScalarOrMagnitudeWithItsTrimmedRange) {
  TMesh m = OneVector();
  const std::vector<TFileScalar> scalars = FileScalars(m);
  ASSERT_EQ(scalars.size(), 2u);
  EXPECT_EQ(scalars[0].label, "p");
  EXPECT_EQ(scalars[1].label, "wallShearStress magnitude");
  const struct {
    int scalar;
    double values[3];
  } cases[] = {{0, {1, 2, 3}}, {1, {5, 5, 0}}};
  for (const auto& c : cases) {
    m.file_scalar = c.scalar;
    ComputeDataRanges(m, true);
    ComputeVertexData(m, kChanFile);
    for (int v = 0; v < 3; ++v) EXPECT_NEAR(m.vertices[v].cur_value, c.values[v], 1e-6);
    const TRange r = FileChannelRange(m);
    EXPECT_DOUBLE_EQ(m.auto_range[kChanFile].min, r.min);
    EXPECT_NEAR(r.min, *std::min_element(c.values, c.values + 3), 1e-6);
    EXPECT_NEAR(r.max, *std::max_element(c.values, c.values + 3), 1e-6);
  }
  TChannelRadios radios;
  radios.file = true;
  EXPECT_EQ(ChannelCode(radios), kChanFile);
}

TEST(FileArrays, VelocityChannelOfFileVectorsIsTheirMagnitudeNotTheNormalisedLength) {
  TMesh m = OneVector();
  ASSERT_TRUE(ApplyFlowArray(m));  // normalised: the velocity drawn is box_size long (vertex 1's projects to 0)
  for (int v = 0; v < 3; ++v) m.vertices[v].speed = vec_length(m.vertices[v].user_velo);
  EXPECT_NEAR(m.vertices[0].speed, 2, 1e-6);
  const struct {
    const char* what;
    int flow_array;
    double values[3];
  } cases[] = {{"the file's vectors", 1, {5, 5, 0}}, {"no flow array: the lengths drawn", -1, {2, 0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m.flow_array.array = c.flow_array;
    ComputeDataRanges(m, true);
    ComputeVertexData(m, kChanVelocity);
    for (int v = 0; v < 3; ++v) EXPECT_NEAR(m.vertices[v].cur_value, c.values[v], 1e-6);
    EXPECT_NEAR(m.data_range[kChanVelocity].min, 0, 1e-6);
    EXPECT_NEAR(m.data_range[kChanVelocity].max, c.values[0], 1e-6);
  }
}

TEST(FileArrays, TheLegendIsTitledWithTheArrayAChannelShows) {
  TMesh m = OneVector();
  const struct {
    int channel, file_scalar, flow_array;
    const char* title;
  } cases[] = {{kChanFile, 0, 1, "p"},
               {kChanFile, 1, 1, "wallShearStress magnitude"},
               {kChanVelocity, 0, 1, "wallShearStress magnitude"},
               {kChanVelocity, 0, -1, "Velocity"},
               {kChanKMax, 0, 1, "K max"}};
  for (const auto& c : cases) {
    m.file_scalar = c.file_scalar;
    m.flow_array.array = c.flow_array;
    EXPECT_EQ(ChannelTitle(m, c.channel), c.title) << c.channel << " " << c.file_scalar << " " << c.flow_array;
  }
}
