// Shading normals split at sharp edges: a box keeps a normal per side at each
// corner, smooth and gently bent surfaces keep their vertex normals, and the
// split never moves a corner off its own vertex.
#include "mesh/sharp_edges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "mesh/mesh_shapes.h"
#include "support/mesh_fixtures.h"

namespace {

double Dot(const TVec3& a, const TVec3& b) { return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z; }

// Two squares of two triangles each meeting along x = 0 (x from -1 to 1,
// y from 0 to 1), the right one bent up by `degrees`.
TMesh Hinge(double degrees) {
  const double r = degrees * M_PI / 180.0;
  const float cx = float(std::cos(r)), cz = float(std::sin(r));
  return MakeMeshFromArrays({{-1, 0, 0}, {0, 0, 0}, {cx, 0, cz}, {-1, 1, 0}, {0, 1, 0}, {cx, 1, cz}},
                            {0, 1, 4, 0, 4, 3, 1, 2, 5, 1, 5, 4});
}

TEST(SharpEdges, BoxesSplitAndSmoothSurfacesDoNot) {
  struct Row {
    std::string name;
    std::function<TMesh()> make;
    double angle;
    bool split;
    int32_t drawn;  // drawn vertices; -1: the vertex count
  };
  const Row rows[] = {
      {"cube at 30 degrees: three sides at each corner", [] { return fixtures::Cube(); }, 30, true, 24},
      {"cube at 95 degrees: its 90-degree edges are smooth", [] { return fixtures::Cube(); }, 95, false, -1},
      {"hinge bent by 40 at 30: two sides along the fold", [] { return Hinge(40); }, 30, true, 8},
      {"hinge bent by 20 at 30: smooth", [] { return Hinge(20); }, 30, false, -1},
      {"flat grid", [] { return MakeGridMesh(6, 5, 2, 1); }, 30, false, -1},
      {"fine sphere", [] { return MakeGeodesicSphereMesh(1, 3); }, 30, false, -1},
      {"octahedron at 30: every edge is sharp", [] { return fixtures::Octahedron(); }, 30, true, 24},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TMesh m = row.make();
    fixtures::Prepare(m);
    const TSplitNormals s = SplitNormalsAt(m, row.angle);
    EXPECT_EQ(s.split, row.split);
    EXPECT_EQ(int32_t(s.source.size()), row.drawn < 0 ? m.vertex_count : row.drawn);
    ASSERT_EQ(s.normals.size(), s.source.size());
    ASSERT_EQ(s.corners.size(), size_t(m.face_count) * 3);
    for (int32_t f = 0; f < m.face_count; ++f) {
      const TFace& face = m.faces[size_t(f)];
      for (int k = 0; k < 3; ++k) {
        const uint32_t d = s.corners[size_t(f) * 3 + size_t(k)];
        ASSERT_LT(d, s.source.size());
        EXPECT_EQ(s.source[d], uint32_t(face.v[k]));  // the corner stays on its vertex
        const TVec3& n = s.normals[d];
        EXPECT_NEAR(Dot(n, n), 1.0, 1e-5);
        // A split corner is shaded within the feature angle of its own face;
        // an unsplit surface keeps the vertex normals exactly.
        if (row.split) {
          EXPECT_GE(Dot(n, face.fnormal), std::cos(row.angle * M_PI / 180.0) - 1e-5);
        } else {
          EXPECT_EQ(Dot(n, m.vertices[size_t(face.v[k])].normal), Dot(n, n));
        }
      }
    }
  }
}

}  // namespace
