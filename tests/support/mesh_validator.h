#pragma once
// Structural checks of a mesh, used by the tests after every preparation pass.
//
//   EXPECT_EQ(ValidateMesh(mesh), "");                 // indices only
//   EXPECT_EQ(ValidateMesh(mesh, kCheckAdjacency), ""); // plus nb / vface
//
// The result is empty when every check passes, otherwise one line per fault
// (at most 20 lines), naming the vertex or face.
#include <string>

#include "mesh/mesh_model.h"

enum MeshCheck : unsigned {
  kCheckIndices = 0,     // counts agree with the arrays; face indices in 0..vertex_count-1
  kCheckAdjacency = 1,   // nb / vface: counts 0..15, entries in range, no duplicate (a face that
                         // repeats a vertex is listed once per corner), listed faces use the vertex,
                         // every face edge and face listed at its corners unless the list is full,
                         // adjacency symmetric unless one side's list is full
  kCheckNormals = 2,     // normal and fnormal unit length or zero
  kCheckStrips = 4,      // strips cover every face once with its own winding
  kCheckStripCover = 8,  // strips cover every face once, winding not checked (a mesh whose faces
                         // are not consistently oriented cannot keep every winding)
  kCheckFinite = 16,     // positions, normals, texture coordinates, curvatures and the box finite
  kCheckCurvature = 32,  // e1, e2 and the four curvature directions unit length or zero; kmax >= kmin
};

std::string ValidateMesh(const TMesh& mesh, unsigned checks = kCheckIndices);

// Empty when the two meshes hold the same bytes in every field (counts, flags,
// box, every vertex and face record, strips, time steps, ranges); otherwise
// the first field that differs.
std::string MeshDifference(const TMesh& a, const TMesh& b);
