// The per-vertex passes of a dirty frame give the same bits on any number of
// threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "advection/advection_pass.h"
#include "data/data_channels.h"
#include "data/render_state.h"
#include "flow/velocity_synthesis.h"
#include "mesh/curvature.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/parallel_for.h"

namespace {

// About 30,000 vertices with normals, frames and curvature directions, and
// velocities that differ from vertex to vertex.
TMesh PassMesh() {
  TMesh m = MakeTorusMesh(1.0, 0.35, 250, 121);
  BuildAdjacency(m);
  ComputeNormals(m);
  ComputeBoundingBox(m);
  ComputeCurvature(m, TCurvatureOptions());
  for (int i = 0; i < m.vertex_count; ++i) {
    TVertex& v = m.vertices[i];
    v.velo = {std::sin(0.001f * i), std::cos(0.002f * i), 0.5f};
    v.adv_pos = v.pos;
  }
  return m;
}

// A perspective view of the mesh on a 512 x 512 panel.
TStoredMatrices PassMatrices() {
  TStoredMatrices m;
  const double n = 1, f = 10;
  std::fill(std::begin(m.projection_matrix), std::end(m.projection_matrix), 0.0);
  m.projection_matrix[0] = m.projection_matrix[5] = 2.0;
  m.projection_matrix[10] = -(f + n) / (f - n);
  m.projection_matrix[11] = -1;
  m.projection_matrix[14] = -2 * f * n / (f - n);
  m.modelview_matrix[14] = -4;
  m.viewport_rect[2] = m.viewport_rect[3] = 512;
  return m;
}

bool SameRecords(const TMesh& a, const TMesh& b) {
  return a.vertices.size() == b.vertices.size() &&
         std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(TVertex)) == 0;
}

struct TPassCase {
  const char* name;
  std::function<void(TMesh&)> run;
};

}  // namespace

TEST(ParallelPasses, SameRecordsOnOneTwoAndThreeThreads) {
  TFlowParams flow;
  flow.vx = 10;
  flow.normal_flow = 3;
  flow.angle = 30;
  flow.shcurvature = true;
  flow.view_size = 2;
  TTexCoordParams geometry;
  geometry.warp_texture = false;
  geometry.scale_up = false;
  const TStoredMatrices matrices = PassMatrices();
  const std::vector<TPassCase> cases = {
      {"synthesis",
       [&](TMesh& m) {
         TFlowSourceTable sources;
         SynthesizeVelocity(m, sources, flow);
       }},
      {"displacement", [](TMesh& m) { DisplaceVertices(m, 0.02); }},
      {"data channel values",
       [](TMesh& m) {
         ComputeDataRanges(m, true);
         ComputeVertexData(m, kChanKMax);
       }},
      {"texture coordinates, texture warp",
       [&](TMesh& m) {
         DisplaceVertices(m, 0.02);
         TView view;
         view.tex_width = view.tex_height = 512;
         bool dragged = false;
         ComputeTexCoords(m, matrices, view, dragged, TTexCoordParams());
       }},
      {"texture coordinates, geometry warp",
       [&](TMesh& m) {
         DisplaceVertices(m, 0.02);
         TView view;
         view.tex_width = view.tex_height = 512;
         bool dragged = false;
         ComputeTexCoords(m, matrices, view, dragged, geometry);
       }},
  };
  const TMesh start = PassMesh();
  ASSERT_GT(start.vertex_count, 3 * 8192);
  for (const TPassCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetParallelThreads(1);
    TMesh one = start;
    c.run(one);
    EXPECT_FALSE(SameRecords(one, start));  // the pass wrote something
    for (int threads : {2, 3}) {
      SetParallelThreads(threads);
      TMesh many = start;
      c.run(many);
      EXPECT_TRUE(SameRecords(one, many)) << threads << " threads";
    }
  }
  SetParallelThreads(0);
}

// The curvature fits of a load, with and without the second ring.
TEST(ParallelPasses, CurvatureSameOnOneAndTwoThreads) {
  TMesh start = MakeTorusMesh(1.0, 0.35, 200, 101);
  BuildAdjacency(start);
  ComputeNormals(start);
  for (bool ring : {false, true}) {
    SCOPED_TRACE(ring ? "second ring" : "first ring");
    TCurvatureOptions opt;
    opt.use_neighbors = ring;
    SetParallelThreads(1);
    TMesh one = start;
    ComputeCurvature(one, opt);
    double largest = 0;
    for (const TVertex& v : one.vertices) largest = std::max({largest, std::abs(v.kmax), std::abs(v.kmin)});
    EXPECT_NEAR(largest, 1 / 0.35, 0.2);  // the tube's curvature
    SetParallelThreads(2);
    TMesh two = start;
    ComputeCurvature(two, opt);
    EXPECT_TRUE(SameRecords(one, two));
  }
  SetParallelThreads(0);
}
