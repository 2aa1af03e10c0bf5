#pragma once
// ASCII PLY text of a mesh in the layout the reader takes: a header declaring
// "vertex" with the properties x y z, then vx vy vz when has_user_velo, then
// tx ty when has_tex0, "face" with a list property, "ntime" when time_count > 0,
// and the body in that fixed order; time steps follow the faces as one time
// value and vertex_count vectors each. Numbers are written in their shortest
// form that reads back to the same single-precision value. Lines end in LF.
// Used by the sample-file tool, the benchmark and the tests.
#include <string>

#include "mesh/mesh_model.h"

std::string FormatPly(const TMesh& mesh);

// Binary PLY of the mesh in little- or big-endian byte order: the same header
// with "format binary_little_endian 1.0" or "format binary_big_endian 1.0",
// every vertex property a float, the face list a uchar count and int corners.
// Time steps are not written (binary files carry none).
std::string FormatPlyBinary(const TMesh& mesh, bool big_endian);
