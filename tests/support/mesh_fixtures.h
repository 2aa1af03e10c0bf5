#pragma once
// Small meshes built in code for the tests of every subsystem, and helpers to
// turn a mesh into ASCII PLY text or a temporary file.
//
// Every builder returns a raw mesh: vertex_count, face_count, vertices[].pos and
// faces[].v are set, all other fields are zero (no adjacency, normals, box...).
// Call fixtures::Prepare(mesh) to run the preparation passes of a load on it.
// Faces are counter-clockwise seen from outside, so normals point outwards.
//
//   TMesh m = fixtures::Octahedron();
//   fixtures::Prepare(m);                       // everything a load does after reading
//   std::string path = fixtures::WriteTempFile("octa.ply", fixtures::PlyText(m));
#include <string>

#include "mesh/mesh_model.h"

namespace fixtures {

// Closed; vertices (1,1,1), (1,-1,-1), (-1,1,-1), (-1,-1,1); 4 faces.
TMesh Tetrahedron();
// Closed; vertices +-r on the axes in the order +x, -x, +y, -y, +z, -z; 8 faces.
TMesh Octahedron(double r = 1);
// Closed cube of 12 triangles with corners +-half; vertex i has x = +half when
// bit 0 of i is set, y when bit 1, z when bit 2.
TMesh Cube(double half = 1);
// One triangle (0,0,0), (1,0,0), (0,1,0).
TMesh SingleTriangle();
// Flat square 0..1 x 0..1 in z = 0 of two triangles sharing an edge; vertices
// (0,0), (1,0), (0,1), (1,1) in that order.
TMesh TwoTriangles();
// Flat grid in z = 0 over 0..width x 0..height with nx by ny cells.
TMesh Grid(int nx, int ny, double width = 1, double height = 1);
// Geodesic sphere of radius r about the origin (octahedron split `levels` times).
TMesh Sphere(double r, int levels);
// Latitude-longitude sphere of radius r, poles on z.
TMesh UvSphere(double r, int slices, int stacks);
// Ring torus around z with major radius R and tube radius r.
TMesh Torus(double R, double r, int nu, int nv);
// Vertex 0 at the origin surrounded by n ring vertices on the unit circle in
// z = 0, with n faces (0, i, i+1); closed=false leaves out the last face, so
// the fan has two boundary edges. With n = 20 vertex 0 has 20 incident faces.
TMesh Fan(int n, bool closed = true);
// Open band around the z axis (cylinder of radius r, height h) with n faces
// around; a closed ring of 2n faces.
TMesh Band(double r, double h, int n);

// Prepares the mesh as a first load with the default options does after
// reading: adjacency, normals, bounding box, strips, tex0 (unless has_tex0),
// curvature (not scaled by box_size), directions towards +y, data ranges.
void Prepare(TMesh& mesh);

// ASCII PLY text of the mesh (header declares vx/tx/ntime as the mesh has them).
std::string PlyText(const TMesh& mesh);
// Writes `text` to a file named `name` in a per-process temporary folder and
// returns its path.
std::string WriteTempFile(const std::string& name, const std::string& text);

}  // namespace fixtures
