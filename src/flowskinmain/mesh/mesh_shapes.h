#pragma once
// Procedurally generated closed and open surfaces, used by the sample-file tool,
// the loading benchmark and the tests. Each result holds positions and faces
// only: vertex_count, face_count, vertices[].pos (object space, absolute
// lengths) and faces[].v; every other field is zero. Faces are counter-clockwise
// seen from outside (from +z for the flat grid), so the face normals of the
// preparation pass point outwards.
#include <vector>

#include "mesh/mesh_model.h"

// Builds a mesh from a flat list of positions and a flat list of triangle
// corner indices (three per face).
TMesh MakeMeshFromArrays(const std::vector<TVec3>& positions, const std::vector<int32_t>& corners);

// Ring torus around the z axis: major radius `major_r`, tube radius `minor_r`;
// `nu` steps around z, `nv` around the tube. nu*nv vertices, 2*nu*nv faces.
TMesh MakeTorusMesh(double major_r, double minor_r, int nu, int nv);

// Sphere of radius r about the origin with poles on the z axis: `slices`
// steps in longitude, `stacks` in latitude (>= 2). 2 + slices*(stacks-1)
// vertices, 2*slices*(stacks-1) faces.
TMesh MakeUvSphereMesh(double r, int slices, int stacks);

// Sphere of radius r made by splitting an octahedron `levels` times at edge
// midpoints pushed onto the sphere: 8*4^levels faces, 4*4^levels + 2 vertices.
TMesh MakeGeodesicSphereMesh(double r, int levels);

// Flat grid in the plane z = 0 covering x 0..width, y 0..height with nx by ny
// cells of two triangles; vertex (i, j) has index j*(nx+1) + i.
TMesh MakeGridMesh(int nx, int ny, double width, double height);
