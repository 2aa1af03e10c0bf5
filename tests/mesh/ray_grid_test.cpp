// The probe's ray grid finds the face a ray meets first exactly as testing
// every face does, on closed, open and flat surfaces and for rays from inside,
// outside, grazing and missing.
#include "mesh/ray_grid.h"

#include <gtest/gtest.h>

#include <random>

#include "mesh/mesh_shapes.h"
#include "support/mesh_fixtures.h"

namespace {

TRayHit EveryFace(const TMesh& m, const TVec3& o, const TVec3& d) {
  TRayHit best;
  for (int32_t f = 0; f < m.face_count; ++f) {
    const TRayHit h = RayFace(m, f, o, d);
    if (h.face >= 0 && (best.face < 0 || h.t < best.t)) best = h;
  }
  return best;
}

TMesh Sheet(int n) {  // a flat square of 2 n^2 triangles in z = 0.5
  TMesh m = fixtures::Torus(4, 1, n, n);
  for (int32_t v = 0; v < m.vertex_count; ++v) {
    TVertex& p = m.vertices[v];
    p.pos = {static_cast<float>(v % n), static_cast<float>(v / n), 0.5f};
  }
  return m;
}

}  // namespace

TEST(RayGrid, FirstHitIsTheNearestFaceOfAll) {
  const struct {
    const char* name;
    TMesh mesh;
    float spread;  // ray origins within this distance of the box's centre
  } shapes[] = {
      {"sphere", fixtures::Sphere(1, 4), 3}, {"torus", MakeTorusMesh(4, 1, 60, 30), 8}, {"flat sheet", Sheet(40), 60}};
  std::mt19937 random(7);
  for (const auto& s : shapes) {
    TRayGrid grid;
    grid.Build(s.mesh);
    ASSERT_TRUE(grid.Built()) << s.name;
    std::uniform_real_distribution<float> coord(-s.spread, s.spread), dir(-1, 1);
    int hits = 0;
    for (int k = 0; k < 3000; ++k) {
      const TVec3 o{coord(random), coord(random), coord(random)};
      // Every third ray aims at a vertex, so that most rays meet the surface.
      const TVertex& aim = s.mesh.vertices[random() % s.mesh.vertex_count];
      const TVec3 d = k % 3 ? TVec3{dir(random), dir(random), dir(random)}
                            : TVec3{aim.pos.x - o.x, aim.pos.y - o.y, aim.pos.z - o.z};
      const TRayHit want = EveryFace(s.mesh, o, d), got = grid.FirstHit(s.mesh, o, d);
      ASSERT_EQ(got.face >= 0, want.face >= 0) << s.name << " ray " << k;
      if (want.face < 0) continue;
      ++hits;
      EXPECT_NEAR(got.t, want.t, 1e-9 * (1 + want.t)) << s.name << " ray " << k;  // the same face, or one as near
    }
    EXPECT_GT(hits, 1000) << s.name;
  }
}
