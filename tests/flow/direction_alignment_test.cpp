#include "flow/direction_alignment.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

void Link(TMesh& mesh, int a, int b) {
  TVertex& va = mesh.vertices[a];
  TVertex& vb = mesh.vertices[b];
  va.nb[va.nb_count++] = b;
  vb.nb[vb.nb_count++] = a;
}

// Two separate chains of vertices: 0..first-1 and first..count-1. The computed
// directions all lie along x (dir_max0) and y (dir_min0) with signs that flip
// irregularly along the chain.
TMesh TwoChains(int first, int count) {
  TMesh mesh;
  mesh.vertices.assign(count, TVertex{});
  mesh.vertex_count = count;
  for (int i = 0; i < count; ++i) {
    const float sx = (i * 7 % 3 == 0) ? -1.f : 1.f;
    const float sy = (i % 4 < 2) ? -1.f : 1.f;
    mesh.vertices[i].dir_max0 = {sx, 0.1f * sx, 0};
    mesh.vertices[i].dir_min0 = {0.2f * sy, sy, 0};
    mesh.vertices[i].kmax = 1;
    mesh.vertices[i].kmin = 0.5;
    if (i > 0 && i != first) Link(mesh, i - 1, i);
  }
  return mesh;
}

}  // namespace

TEST(AlignWithAxis, PointsEveryDirectionIntoTheAxisHalfSpaceAndKeepsPerpendicularOnes) {
  TMesh mesh;
  mesh.vertices.assign(3, TVertex{});
  mesh.vertex_count = 3;
  mesh.vertices[0].dir_max = {0.3f, -0.9f, 0.1f};
  mesh.vertices[0].dir_min = {-1, 0, 0};
  mesh.vertices[1].dir_max = {0, 0.5f, 0};
  mesh.vertices[1].dir_min = {0, 0, -1};
  mesh.vertices[2].dir_max = {-1, 0, 0};
  mesh.vertices[2].dir_min = {-0.7f, -0.7f, 0};
  AlignDirectionsWithAxis(mesh, 0);  // "X"
  AlignDirectionsWithAxis(mesh, 1);  // then "Y": y wins, zero-y directions keep the x sign
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_max.y, 0.9f);
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_max.x, -0.3f);
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_min.x, 1);
  EXPECT_FLOAT_EQ(mesh.vertices[1].dir_max.y, 0.5f);
  EXPECT_FLOAT_EQ(mesh.vertices[1].dir_min.z, -1);  // perpendicular to both axes: unchanged
  EXPECT_FLOAT_EQ(mesh.vertices[2].dir_max.x, 1);
  EXPECT_FLOAT_EQ(mesh.vertices[2].dir_min.x, 0.7f);
  EXPECT_FLOAT_EQ(mesh.vertices[2].dir_min.y, 0.7f);
  AlignWithAxis(mesh, 0, 0, -5);  // any length: only the direction counts
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_max.z, -0.1f);
  EXPECT_FLOAT_EQ(mesh.vertices[1].dir_min.z, -1);
}

TEST(ResetCurvatureDirections, SortByMaxAbsCrossesTheCopiesWhereKminIsLarger) {
  TMesh mesh;
  mesh.vertices.assign(2, TVertex{});
  mesh.vertex_count = 2;
  for (TVertex& v : mesh.vertices) {
    v.dir_max0 = {1, 0, 0};
    v.dir_min0 = {0, 1, 0};
    v.dir_max = v.dir_min = {0, 0, -1};
  }
  mesh.vertices[0].kmax = 1;
  mesh.vertices[0].kmin = -3;
  mesh.vertices[1].kmax = 2;
  mesh.vertices[1].kmin = -1;
  ResetCurvatureDirections(mesh, false);
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_max.x, 1);
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_min.y, 1);
  ResetCurvatureDirections(mesh, true);
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_max.y, 1);  // dir_max := dir_min0
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_min.x, 1);
  EXPECT_FLOAT_EQ(mesh.vertices[1].dir_max.x, 1);   // |kmax| > |kmin|: straight copy
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_max0.x, 1);  // computed directions untouched
}

TEST(AlignNeighbours, OrientsOnlyThePieceOfTheStartVertexConsistently) {
  TMesh mesh = TwoChains(4, 12);  // start vertex 6 lies in the second chain
  const float start_sign = mesh.vertices[6].dir_max0.x;
  AlignNeighbours(mesh, false);
  for (int i = 4; i < 12; ++i) {
    EXPECT_EQ(mesh.vertices[i].align_mark, 2);
    EXPECT_EQ(mesh.vertices[i].dir_max.x, start_sign) << i;  // agrees with the start vertex
    EXPECT_EQ(mesh.vertices[i].dir_min.y, mesh.vertices[6].dir_min0.y) << i;
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(mesh.vertices[i].align_mark, 0);
    EXPECT_EQ(mesh.vertices[i].dir_max.x, mesh.vertices[i].dir_max0.x) << i;  // reset copy only
    EXPECT_EQ(mesh.vertices[i].dir_min.y, mesh.vertices[i].dir_min0.y) << i;
  }
}

TEST(AlignNeighbours, RunningTwiceGivesTheSameResultAndEmptyMeshIsHarmless) {
  TMesh mesh = TwoChains(5, 11);
  Link(mesh, 2, 8);  // join the pieces into one with a cycle
  AlignNeighbours(mesh, true);
  VertexArray once = mesh.vertices;
  AlignNeighbours(mesh, true);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(mesh.vertices[i].dir_max.x, once[i].dir_max.x);
    EXPECT_EQ(mesh.vertices[i].dir_min.y, once[i].dir_min.y);
    EXPECT_EQ(mesh.vertices[i].dir_max.x, mesh.vertices[5].dir_max0.x);
  }
  TMesh empty;
  AlignNeighbours(empty, false);
  EXPECT_EQ(empty.vertex_count, 0);
}

TEST(AlignNeighbours, FollowsTheSumOfAllOrientedNeighbours) {
  // Start vertex 2 (count 4). Vertex 3 is queued by 1 and visited after 0 and 1:
  // 1 alone would flip it, the sum of 0 and 1 keeps it.
  TMesh mesh;
  mesh.vertices.assign(4, TVertex{});
  mesh.vertex_count = 4;
  mesh.vertices[2].dir_max0 = {1, 0, 0};
  mesh.vertices[1].dir_max0 = {1, 0, 0};
  mesh.vertices[0].dir_max0 = {0, 0, 1};  // perpendicular to the start: keeps its sign
  mesh.vertices[3].dir_max0 = {-0.5f, 0, 1};
  Link(mesh, 2, 1);
  Link(mesh, 2, 0);
  Link(mesh, 1, 3);
  Link(mesh, 0, 3);
  AlignNeighbours(mesh, false);
  EXPECT_FLOAT_EQ(mesh.vertices[0].dir_max.z, 1);
  EXPECT_FLOAT_EQ(mesh.vertices[3].dir_max.x, -0.5f);
  EXPECT_FLOAT_EQ(mesh.vertices[3].dir_max.z, 1);
  mesh.vertices[0].dir_max0 = {0, 0, 0.2f};  // now 1 outweighs 0 and vertex 3 turns
  AlignNeighbours(mesh, false);
  EXPECT_FLOAT_EQ(mesh.vertices[3].dir_max.x, 0.5f);
  EXPECT_FLOAT_EQ(mesh.vertices[3].dir_max.z, -1);
}

TEST(OrientPiecesConsistently, EveryPieceAgreesWithinAndPointsUpInSum) {
  for (const int first : {4, 6, 9}) {
    TMesh mesh = TwoChains(first, 12);
    OrientPiecesConsistently(mesh, false);
    for (const auto& piece : {std::pair{0, first}, std::pair{first, 12}}) {
      double sum_max = 0, sum_min = 0;
      for (int i = piece.first; i < piece.second; ++i) {
        EXPECT_EQ(mesh.vertices[i].align_mark, 2) << i;
        // Along each chain every direction agrees with the chain's first vertex.
        EXPECT_EQ(mesh.vertices[i].dir_max.x, mesh.vertices[piece.first].dir_max.x) << first << " " << i;
        EXPECT_EQ(mesh.vertices[i].dir_min.y, mesh.vertices[piece.first].dir_min.y) << first << " " << i;
        sum_max += mesh.vertices[i].dir_max.y;
        sum_min += mesh.vertices[i].dir_min.y;
      }
      EXPECT_GE(sum_max, 0) << first;
      EXPECT_GE(sum_min, 0) << first;
    }
  }
}
