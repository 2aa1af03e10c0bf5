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
