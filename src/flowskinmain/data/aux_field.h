#pragma once
// The auxiliary field: the free per-vertex scalar `aux` shown as the "Aux"
// channel, with its working copy `aux_base`, and the operations of the "Aux"
// group ("Cur -> Aux", "Smooth Aux", "Add shade to Aux", "Clear Aux", "F lines")
// and of "Replace with Grad Aux" on the "Flow" tab. Every operation works on
// vertices 0 .. vertex_count-1; none refreshes or redraws (the window does).
#include <cstdint>

#include "mesh/mesh_model.h"
#include "view_record.h"

// "Cur -> Aux": aux := aux_base := cur_value, and the Aux range
// data_range[5] := data_range[channel] (channel: the code shown, 0..9; any
// other code leaves the range as it is).
void CopyChannelToAux(TMesh& mesh, int channel);

// "Clear Aux": aux := aux_base := 0.
void ClearAux(TMesh& mesh);

// "Smooth Aux" parameters.
struct TAuxSmoothing {
  int32_t passes = 10;   // udnsmooth "N"; 0 or less: no pass
  double weight = 0.25;  // ud_asmooth "A" / 100: share of the neighbour mean
};

// `passes` Jacobi passes over nb: each vertex with neighbours takes
// (1 - w) aux + w * (mean of its neighbours' aux clamped into data_range[5]);
// its own value is not clamped; a vertex without neighbours keeps its value.
// Each pass writes aux_base from the previous aux, then copies it into aux.
void SmoothAux(TMesh& mesh, const TAuxSmoothing& s);

// "Add shade to Aux" parameters.
struct TAuxShade {
  double sh_min = 10;       // ed_sh_min: added where the surface faces away from the light
  double sh_max = 0;        // ed_sh_max: added where it faces the light
  bool directional = true;  // cb_dir_light "Directional light"
};

// The stored light position brought back into model coordinates with the
// transposed stored modelview: l_i = sum_j M[4i + j] * light_position[j]
// (undoes the rotation, not the translation). Normalised for a directional
// light only.
TVec3 LightInModelSpace(const TStoredMatrices& m, bool directional);

// aux := (1 - a) sh_min + aux_base + a sh_max with a in 0..1 the lighting
// factor: normal . l for a directional light, normal . normalise(l - pos) for a
// point light (l from LightInModelSpace). Starts from aux_base every time, so
// shading twice gives what shading once gives. Reads pos, normal, aux_base.
void ShadeAux(TMesh& mesh, const TStoredMatrices& m, const TAuxShade& p);

// "Replace with Grad Aux": per vertex the tangential gradient of aux in the
// frame e1, e2, each component a sum of signed aux differences to the
// neighbours over the sum of the absolute offsets along that axis (0 when that
// sum is 0); dir_max := dir_min := a1 e1 + a2 e2, not normalised. Reads pos, e1,
// e2, nb, aux. The computed dir_max0 / dir_min0 stay.
void ReplaceDirectionsWithAuxGradient(TMesh& mesh);

// Distance in window pixels from vertex V to the apparent contour of its
// local minimum-curvature cylinder seen from `eye` (object space): the circle
// of radius R = -1/kmin about C = pos - R normal in the plane of dir_max0 and
// normal, touched by a line from the eye; the contour runs through the touching
// point along dir_min0. aux := the distance, dir_max := dir_min := the
// object-space offset from pos to the foot of the perpendicular on the
// projected contour. Where no contour exists (kmin >= 0; the eye inside or on
// the circle, including the eye exactly on the cylinder axis; a point the
// projection cannot map) aux := 1000 and both directions are zero. aux_base is
// not touched. m: the stored matrices of the last frame.
void SilhouetteDistance(TVertex& v, const double eye[3], const TStoredMatrices& m);

// "F lines": the eye point is the centre of the stored viewport at window
// depth 0 (the near plane) unprojected; then SilhouetteDistance for every vertex. Returns false
// and changes nothing when the stored matrices cannot be inverted or the
// viewport is empty (no frame drawn yet).
bool FeatureLineDistances(TMesh& mesh, const TStoredMatrices& m);
