#pragma once
// Velocity synthesis: recomputes `velo` and `speed` of every vertex from the
// file velocities (interpolated in time), curvature flow, the uniform flow, the
// point and line sources, normal flow and a final rotation in the tangent plane.
//
// Lengths: the uniform flow and the source strengths are multiples of
// `box_size`; curvature flow is a multiple of the view size, so its on-screen
// speed does not change with zooming. All positions are object space.
#include <cstdint>
#include <vector>

#include "flow/flow_source.h"
#include "mesh/mesh_model.h"

// The control values the synthesis reads. The window fills this from the
// "Flow" tab and the view record; the defaults are the controls' defaults.
struct TFlowParams {
  bool usr_flow = false;           // cb_usr_flow "Flow data": base field from the file velocities
  bool shcurvature = false;        // cb_shcurvature "Curvature flow"
  bool curv_sh_max = true;         // cb_curv_sh_max "Use Kmax": curvature flow along dir_max, else dir_min
  bool shpotflow = true;           // cb_shpotflow "Potential flow": uniform flow, sources, normal flow
  bool project = true;             // cb_project "Project velocity on surface"
  int32_t vx = 0, vy = 0, vz = 0;  // ud_vx/ud_vy/ud_vz "Linear", -100..100, multiples of box_size
  int32_t normal_flow = 0;         // ud_normal_flow "Normal", -100..100, tenths of box_size
  int32_t angle = 0;               // ud_angle "Angle", degrees, -360..360
  double view_size = 0;            // view.size: visible width, scales curvature flow
  double view_time = 0;            // view.time: time of time-dependent file velocities
};

// Two neighbouring time steps and their weights: the base velocity is
// w_lo * time_velo[lo] + w_hi * time_velo[hi].
struct TTimeInterval {
  int32_t lo = 0, hi = 0;
  double w_lo = 1, w_hi = 0;
};

// Locates time t in the increasing list time_values[0 .. time_count-1]:
// t not above the first time gives step 0, t at or above the last gives the
// last step, otherwise the two steps around t with linear weights. An empty
// list gives step 0 with weight 1 (no entry is read).
TTimeInterval FindTimeInterval(const std::vector<double>& time_values, int32_t time_count, double t);

// Recomputes velo and speed of vertices 0..vertex_count-1, term by term:
//   1. base: file velocities when has_user_velo and usr_flow (user_velo with at
//      most one time step, else time_velo interpolated at view_time), else 0;
//   2. curvature flow (shcurvature): += 0.1 * view_size * dir_max (or dir_min);
//   3. source flow (shpotflow): v = U + sum of sources, with U = (vx, vy, vz) *
//      box_size; point sources add box_size * strength * r / (0.001 + |r|^2),
//      line sources see AddLineSource; velo += 0.02 * v (normal part removed
//      when project); then normal flow: += normal_flow * box_size / 10 * normal;
//   4. rotation of the tangential part by `angle` degrees about the normal,
//      from e1 towards e2; the normal part is kept;
//   5. speed := |velo|.
// Reads pos, normal, e1, e2, user_velo, dir_max, dir_min, the mesh's time data
// and box_size; writes velo and speed. Writes `axis` (unit p0 -> p1, zero when
// p0 = p1) of the sources 1..source_count. One pass over the vertices.
// Time rows shorter than vertex_count are treated as missing (zero base field).
void SynthesizeVelocity(TMesh& mesh, TFlowSourceTable& table, const TFlowParams& params);
