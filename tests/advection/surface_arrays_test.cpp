#include "advection/surface_arrays.h"

#include <gtest/gtest.h>

#include <vector>

#include "advection/surface_opacity.h"

namespace {

constexpr int32_t M = 0x7FFFFFFE;   // strip marker
constexpr int32_t M2 = 0x7FFFFFFF;  // the other marker value

struct TRunsCase {
  const char* name;
  std::vector<int32_t> strips;
  bool keep_open_tail;
  std::vector<int32_t> counts;
  std::vector<int64_t> firsts;
  std::vector<uint32_t> triangles;  // the runs as separate triangles
};

TMesh StripMesh(const std::vector<int32_t>& strips) {
  TMesh m;
  m.strips = strips;
  m.strips.push_back(99);  // past strip_len: never read
  m.strip_len = static_cast<int32_t>(strips.size());
  return m;
}

// The one array of `which` (0 positions, 1 normals, 2 tex, 3 tex0, 4 data
// coordinates, 5 colours) packed alone.
std::vector<float> PackOne(const TMesh& m, int which, bool use_adv = false, const float* colour = nullptr,
                           double alpha = 1.0, bool inverse = false, const TVertexOrder& order = {}) {
  std::vector<float> out;
  TPackTargets t;
  t.use_adv = use_adv;
  std::vector<float>** slots[] = {&t.positions, &t.normals, &t.tex, &t.tex0, &t.data_coords, &t.colours};
  *slots[which] = &out;
  t.colour = colour;
  t.alpha = alpha;
  t.inverse = inverse;
  PackArrays(m, t, order);
  return out;
}

}  // namespace

// The runs match what the immediate-mode walks draw: runs under 3 indices
// draw nothing, the textured walk leaves an unclosed tail out, the shaded walk
// draws it, and both marker values close a run; as separate triangles every
// other one swaps its first two corners, keeping the strip's winding.
TEST(SurfaceArrays, StripRunsAreTheStripsTheWalksDraw) {
  const TRunsCase cases[] = {
      {"empty", {}, true, {}, {}, {}},
      {"one closed strip", {0, 1, 2, 3, 4, M}, false, {5}, {0}, {0, 1, 2, 2, 1, 3, 2, 3, 4}},
      {"short runs dropped", {0, 1, M, 2, M, 0, 1, 2, M}, false, {3}, {5}, {0, 1, 2}},
      {"either marker", {0, 1, 2, M2, 3, 4, 5, M}, false, {3, 3}, {0, 4}, {0, 1, 2, 3, 4, 5}},
      {"open tail left out", {0, 1, 2, M, 3, 4, 5, 6}, false, {3}, {0}, {0, 1, 2}},
      {"open tail kept", {0, 1, 2, M, 3, 4, 5, 6}, true, {3, 4}, {0, 4}, {0, 1, 2, 3, 4, 5, 5, 4, 6}},
      {"short open tail", {0, 1, 2, M, 3, 4}, true, {3}, {0}, {0, 1, 2}},
  };
  for (const TRunsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TMesh m = StripMesh(c.strips);
    const TStripRuns r = SplitStripRuns(m, c.keep_open_tail);
    EXPECT_EQ(r.counts, c.counts);
    EXPECT_EQ(r.firsts, c.firsts);
    std::vector<uint32_t> triangles;
    StripTriangles(m, r, triangles);
    EXPECT_EQ(triangles, c.triangles);
  }
}

// Vertices are numbered by their first use; the arrays packed in that order
// hold, at each index, the vertex the index named before.
TEST(SurfaceArrays, VerticesNumberedByFirstUse) {
  TMesh m;
  m.vertices.resize(6);
  m.vertex_count = 6;
  for (int i = 0; i < 6; ++i) m.vertices[i].pos = {float(i), 0, 0};
  const std::vector<uint32_t> before = {4, 1, 5, 1, 4, 2, 2, 5, 4};  // vertices 0 and 3 unused
  std::vector<uint32_t> indices = before;
  TVertexOrder order;
  NumberByFirstUse(m.vertex_count, indices, order);
  EXPECT_EQ(indices, (std::vector<uint32_t>{0, 1, 2, 1, 0, 3, 3, 2, 0}));
  EXPECT_EQ(order, (TVertexOrder{4, 1, 5, 2}));
  const std::vector<float> positions = PackOne(m, 0, false, nullptr, 1.0, false, order);
  ASSERT_EQ(positions.size(), 12u);
  for (size_t k = 0; k < indices.size(); ++k) EXPECT_EQ(positions[3 * indices[k]], float(before[k]));
}

// Each array holds the record's field in record order, converted as the
// immediate-mode calls convert it; colours take the opacity of each vertex.
TEST(SurfaceArrays, PackedArraysFollowTheRecords) {
  TMesh m;
  m.vertices.resize(3);
  m.vertex_count = 3;
  for (int i = 0; i < 3; ++i) {
    TVertex& v = m.vertices[i];
    v.pos = {float(i), float(i) + 0.5f, -float(i)};
    v.adv_pos = {float(i) * 2, 1, 2};
    v.normal = {0, 0, float(i % 2 ? 1 : -1)};
    v.tex[0] = 0.1f * i;
    v.tex[1] = 0.2f * i;
    v.tex0[0] = 0.3f * i;
    v.tex0[1] = 0.4f * i;
    v.norm_value = 0.5 * i - 0.25;  // -0.25, 0.25, 0.75
  }
  m.faces.resize(1);
  m.faces[0].v[0] = 2;
  m.faces[0].v[1] = 0;
  m.faces[0].v[2] = 1;
  m.face_count = 1;
  EXPECT_EQ(PackOne(m, 0), (std::vector<float>{0, 0.5f, 0, 1, 1.5f, -1, 2, 2.5f, -2}));
  EXPECT_EQ(PackOne(m, 0, true), (std::vector<float>{0, 1, 2, 2, 1, 2, 4, 1, 2}));
  EXPECT_EQ(PackOne(m, 1), (std::vector<float>{0, 0, -1, 0, 0, 1, 0, 0, -1}));
  EXPECT_EQ(PackOne(m, 2), (std::vector<float>{0, 0, 0.1f, 0.2f, 0.2f, 0.4f}));
  EXPECT_EQ(PackOne(m, 3), (std::vector<float>{0, 0, 0.3f, 0.4f, 0.6f, 0.8f}));
  EXPECT_EQ(PackOne(m, 4), (std::vector<float>{-0.25f, 0.25f, 0.75f}));
  const float colour[4] = {0.25f, 0.5f, 0.75f, 1};
  for (bool inverse : {false, true}) {
    const std::vector<float> out = PackOne(m, 5, false, colour, 0.4, inverse);
    ASSERT_EQ(out.size(), 12u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(out[i * 4 + 1], 0.5f);
      EXPECT_EQ(out[i * 4 + 3], static_cast<float>(SurfaceOpacity(0.4, m.vertices[i].norm_value, inverse)));
    }
  }
  std::vector<uint32_t> faces;
  PackFaceIndices(m, faces);
  EXPECT_EQ(faces, (std::vector<uint32_t>{2, 0, 1}));

  // One sweep that packs every array gives each as packing it alone does.
  TPackTargets t;
  std::vector<float> all[6];
  t.use_adv = true;
  t.positions = &all[0];
  t.normals = &all[1];
  t.tex = &all[2];
  t.tex0 = &all[3];
  t.data_coords = &all[4];
  t.colours = &all[5];
  t.colour = colour;
  t.alpha = 0.4;
  PackArrays(m, t);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(all[k], PackOne(m, k, true, colour, 0.4)) << k;
}
