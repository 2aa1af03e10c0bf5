#pragma once
// Principal curvatures and directions per vertex from a least-squares fit of
// the cubic height function
//   z = A u^2/2 + B u v + C v^2/2 + D u^3 + E u^2 v + F u v^2 + G v^3
// over the vertex's tangent plane (local frame e1, e2, normal) to the
// positions and normals of its neighbours.
#include "mesh/mesh_model.h"

struct TCurvatureOptions {
  bool use_neighbors = false;  // "Use more neighbors for curvature": add the second ring
};

// For every vertex: e1 := normalise(normal x (0,1,0)) (or x (0,0,1) when that is
// zero) and e2 := normalise(normal x e1). For vertices with at least 3
// neighbours also kmax >= kmin (curvature in 1/length, object space; negative
// where the surface bends away from the normal, so -1/R on a sphere with outward
// normals) and their unit directions into dir_max / dir_max0 and dir_min /
// dir_min0. Vertices with fewer neighbours keep their curvature fields. A fit
// whose coefficients are not finite or beyond 1e100 (a degenerate
// neighbourhood) gives kmax = kmin = 0 and zero directions.
// Needs current normals and nb lists.
void ComputeCurvature(TMesh& mesh, const TCurvatureOptions& opt);

// "Norm. K": multiplies kmax and kmin of every vertex by box_size, making the
// curvatures dimensionless.
void NormalizeCurvature(TMesh& mesh);
