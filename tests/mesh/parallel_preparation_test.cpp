// The preparation passes of a load give the same bits on any number of threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "data/data_channels.h"
#include "loading/mesh_loading.h"
#include "mesh/loop_subdivision.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/parallel_for.h"
#include "support/mesh_validator.h"

namespace {

// About 30,000 vertices on a torus with small holes all over it (boundary
// edges, vertices in no face), with texture coordinates, file velocities and
// two time steps that differ from vertex to vertex.
TMesh HoledTorus() {
  TMesh m = MakeTorusMesh(1.0, 0.35, 250, 121);
  FaceArray kept;
  auto isolated = [](int32_t i) { return i % 1009 == 0; };
  for (int32_t f = 0; f < m.face_count; ++f) {
    const int32_t* v = m.faces[f].v;
    if ((f / 7) % 50 != 0 && !isolated(v[0]) && !isolated(v[1]) && !isolated(v[2])) kept.push_back(m.faces[f]);
  }
  m.faces.swap(kept);
  m.face_count = static_cast<int32_t>(m.faces.size());
  m.has_tex0 = m.has_user_velo = true;
  m.time_count = 2;
  m.time_velo.assign(2, std::vector<TVec3>(m.vertex_count));
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    TVertex& v = m.vertices[i];
    v.tex0[0] = std::sin(0.003f * i);
    v.tex0[1] = std::cos(0.005f * i);
    v.user_velo = {std::sin(0.01f * i), std::cos(0.013f * i), 0.2f};
    m.time_velo[0][i] = {0.5f, std::sin(0.007f * i), 1.0f / (1 + i)};
    m.time_velo[1][i] = {std::cos(0.002f * i), -0.25f, 0.125f * (i % 9)};
  }
  BuildAdjacency(m);
  return m;
}

struct TPassCase {
  const char* name;
  std::function<void(TMesh&)> run;
  unsigned checks;  // what ValidateMesh checks afterwards
};

}  // namespace

TEST(ParallelPreparation, SameMeshOnOneTwoAndThreeThreads) {
  const std::vector<TPassCase> cases = {
      {"adjacency of the faces in reverse order",
       [](TMesh& m) {
         std::reverse(m.faces.begin(), m.faces.end());
         BuildAdjacency(m);
       },
       kCheckAdjacency},
      {"normals", [](TMesh& m) { ComputeNormals(m); }, kCheckAdjacency | kCheckNormals},
      {"box and texture coordinates",
       [](TMesh& m) {
         m.has_tex0 = false;
         ComputeBoundingBox(m);
         GenerateTexCoords(m);
       },
       kCheckAdjacency | kCheckFinite},
      {"data ranges",
       [](TMesh& m) {
         for (int32_t i = 0; i < m.vertex_count; ++i) m.vertices[i].aux = (i % 7 == 0 ? -1.0 : 1.0) * (i % 4001);
         ComputeDataRanges(m, true);
       },
       kCheckAdjacency},
      {"whole preparation of a load, the strips beside the other passes",
       [](TMesh& m) {
         std::string error;
         ASSERT_TRUE(PrepareLoadedMesh(m, TMesh(), TLoadOptions(), error, nullptr)) << error;
       },
       kCheckAdjacency | kCheckNormals | kCheckStrips},
      {"Loop step", [](TMesh& m) { LoopSubdivide(m); }, kCheckIndices},
      {"Loop step, then adjacency and normals of the result",
       [](TMesh& m) {
         LoopSubdivide(m);
         BuildAdjacency(m);
         ComputeNormals(m);
       },
       kCheckAdjacency | kCheckNormals},
  };
  const TMesh start = HoledTorus();
  ASSERT_GT(start.vertex_count, 3 * 8192);
  ASSERT_EQ(ValidateMesh(start, kCheckAdjacency), "");
  for (const TPassCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetParallelThreads(1);
    TMesh one = start;
    c.run(one);
    EXPECT_NE(MeshDifference(one, start), "");  // the pass wrote something
    EXPECT_EQ(ValidateMesh(one, c.checks), "");
    for (int threads : {2, 3}) {  // 3: blocks of uneven size
      SetParallelThreads(threads);
      TMesh many = start;
      c.run(many);
      EXPECT_EQ(MeshDifference(one, many), "") << threads << " threads";
    }
  }
  SetParallelThreads(0);
}
