// The curvature directions of a real ring torus: aligned with +y after a load
// they turn round along the two lines where the ring runs square to y (a seam
// of the curvature looks); oriented piece by piece they agree everywhere.
#include <gtest/gtest.h>

#include <cmath>

#include "flow/direction_alignment.h"
#include "mesh/curvature.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"

namespace {

int FlippedEdgesOf(const TMesh& mesh, TVec3 TVertex::*dir) {
  int flipped = 0;
  for (int i = 0; i < mesh.vertex_count; ++i)
    for (int j = 0; j < mesh.vertices[i].nb_count; ++j) {
      const int n = mesh.vertices[i].nb[j];
      if (n > i && vec_dot(mesh.vertices[i].*dir, mesh.vertices[n].*dir) < 0) ++flipped;
    }
  return flipped;
}

TMesh PreparedTorus() {
  TMesh mesh = MakeTorusMesh(1, 0.35, 96, 48);
  BuildAdjacency(mesh);
  ComputeNormals(mesh);
  ComputeBoundingBox(mesh);
  ComputeCurvature(mesh, TCurvatureOptions{});
  return mesh;
}

}  // namespace

TEST(CurvatureOrientation, TheTorusRingFieldHasASeamAfterTheYAlignmentAndNoneWhenOriented) {
  TMesh mesh = PreparedTorus();
  AlignDirectionsWithAxis(mesh, 1);  // as every load does
  // The ring direction is square to y on the meridians at x = 0: two rings of 48 flipped edges or more.
  EXPECT_GE(FlippedEdgesOf(mesh, &TVertex::dir_max), 2 * 48);
  OrientPiecesConsistently(mesh, false);
  EXPECT_EQ(FlippedEdgesOf(mesh, &TVertex::dir_max), 0);
  EXPECT_EQ(FlippedEdgesOf(mesh, &TVertex::dir_min), 0);
  for (int i = 0; i < mesh.vertex_count; ++i) ASSERT_EQ(mesh.vertices[i].align_mark, 2);
  // The computed directions stay as they were; only the signs of the working ones change.
  for (int i = 0; i < mesh.vertex_count; ++i) {
    const TVertex& v = mesh.vertices[i];
    EXPECT_NEAR(std::abs(vec_dot(v.dir_max, v.dir_max0)), vec_length(v.dir_max0) * vec_length(v.dir_max0), 1e-6);
  }
}
