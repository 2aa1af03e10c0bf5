#pragma once
// Shading normals split at sharp edges: where two faces meet at a vertex
// across an edge bent by more than the feature angle, each side is shaded
// with a normal of its own, so that a box is shaded as a box. Only the
// shading uses the split; the vertex records (and so the flow and the
// texture) stay as they are.
#include <cstdint>
#include <vector>

#include "mesh/mesh_model.h"

// The surface as the shading draws it. Drawn vertex i copies the record
// source[i]; the first vertex_count drawn vertices are the records
// themselves, in order, and a vertex whose faces fall into more than one
// smooth group gains one drawn vertex per further group.
struct TSplitNormals {
  std::vector<uint32_t> source;   // record of each drawn vertex
  std::vector<TVec3> normals;     // unit normal of each drawn vertex
  std::vector<uint32_t> corners;  // three drawn vertices per face, in face order
  bool split = false;             // some vertex has more than one group (else the vertex normals hold)
  // What it was made from: the mesh's face count and first face address, and the angle.
  int32_t face_count = -1;
  const TFace* faces = nullptr;
  double angle = -1;
};

// The faces around each vertex fall into groups joined across the edges
// through the vertex where their normals differ by at most `feature_angle`
// degrees; each group is shaded with the corner-angle weighted mean of its
// face normals. A vertex with one group keeps its vertex normal. Faces
// beyond the vertex's adjacency list are shaded with the vertex normal.
TSplitNormals SplitNormalsAt(const TMesh& mesh, double feature_angle);
