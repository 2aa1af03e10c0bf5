#pragma once
// The arrays a simulation file brings (TMesh::file_arrays): which one is the
// flow, how its vectors become the file velocities, and the scalars they
// offer as data (each scalar array, and the magnitude of each vector array).
#include <string>
#include <string_view>
#include <vector>

#include "mesh/mesh_model.h"

// True for names solvers give velocities and wall shear stress: "U", "u",
// "v", "V", "vel", "velocity" and "Velocity" (and any name containing
// "velocity" in any case), "UMean", "wallShearStress" (any name containing
// "shearstress" in any case), "wss".
bool IsVelocityName(std::string_view name);

// True when the array has one value, or three, per vertex at every step.
bool FileArrayFits(const TMesh& mesh, const TFileArray& a);

// The flow array a load chooses among the 3-component arrays: the first
// named like a velocity where it is not zero everywhere; where it is (a
// no-slip wall), the first shear-stress array ("wallShearStress", "wss")
// that is not, else the first array that is not; where every array is zero,
// the velocity-like one or the first. -1 when there is none. `why`, when
// given, says for the status line which array was chosen and why when the
// velocity-like array was passed over ("flow array wallShearStress (U is
// zero on the surface)"), and is empty otherwise.
int DefaultFlowArray(const TMesh& mesh, std::string* why = nullptr);

// The 3-component arrays ("Flow array" list): indices into file_arrays.
std::vector<int> FlowArrayIndices(const TMesh& mesh);

// Writes the file velocities from mesh.flow_array: user_velo (step 0) and,
// when the array has as many steps as time_count > 1, every row of
// time_velo; has_user_velo := true. Each vector is turned round with
// "Reverse", loses its part along the vertex normal with "Tangential only"
// (reads normal: call after the normals are computed) and is scaled to
// length box_size with "Normalise" (vectors shorter than a millionth of the
// step's longest become zero). Without a
// fitting array (none chosen, or the vertices changed by subdivision or
// cracks) nothing changes and false is returned.
bool ApplyFlowArray(TMesh& mesh);

// One scalar the file offers as data: an array's values, or its magnitude.
struct TFileScalar {
  std::string label;  // the array's name, or "NAME magnitude"
  int array = 0;      // index into file_arrays
  bool magnitude = false;
};
std::vector<TFileScalar> FileScalars(const TMesh& mesh);

// The scalar's value at vertex `v` of time step `step` (clamped to the steps).
double FileScalarValue(const TMesh& mesh, const TFileScalar& s, int step, int32_t v);

// The range of `values` without the extreme `fraction` (0.01: 1 %) at each
// end: the values at ranks floor(fraction (n - 1)) and ceil((1 - fraction)
// (n - 1)) of the sorted values. A constant set gives (v, v + 1); an empty
// one (0, 1). Non-finite values are left out.
TRange TrimmedRange(std::vector<double> values, double fraction);
