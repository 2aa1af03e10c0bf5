#pragma once
// Meshes ready to draw for the frame and surface-pass tests: positions,
// adv_pos = pos, unit normals, face normals, box and a strip stream whose
// runs are real triangle strips, all built here without the preparation
// passes so the drawing tests do not depend on them.
#include "mesh/mesh_model.h"

namespace frame_meshes {

// Sphere of radius r about the origin, poles on z: `slices` around, `stacks`
// from pole to pole (>= 2). Faces counter-clockwise from outside. Strips: one
// per band between two rings (2 * slices triangles), one per cap triangle.
TMesh Sphere(double r, int slices, int stacks);

// Square [-h, h] x [-h, h] in z = 0 facing +z, n x n cells, one strip per row.
TMesh Square(double h, int n);

}  // namespace frame_meshes
