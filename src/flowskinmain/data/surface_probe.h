#pragma once
// The probe: what the surface holds at a point of a face, as the status line
// shows it for the point under the mouse.
#include <string>

#include "mesh/mesh_model.h"
#include "mesh/ray_grid.h"

struct TSurfaceProbe {
  bool on_surface = false;
  double position[3] = {0, 0, 0};
  double value = 0;            // the data channel's value (cur_value)
  double flow[3] = {0, 0, 0};  // the flow vector (velo)
};

// The point of `hit` on its face, its values taken between the face's
// corners by the hit's weights.
TSurfaceProbe ProbeAt(const TMesh& mesh, const TRayHit& hit);

// "x 1.25  y -0.5  z 3 · Kmax 0.125 · flow 0.25 along (0.6, 0.8, 0)": the
// position, the channel's value under its title, the flow's magnitude (four
// significant digits) and direction (two; none for a zero flow).
std::string ProbeText(const TSurfaceProbe& probe, const std::string& channel_title);
