#pragma once
// Orientation of the working curvature directions `dir_max` / `dir_min`.
// A principal direction is a line with an arbitrary sign; curvature flow and the
// curvature-vector overlays need arrows that agree between neighbours. The
// computed directions `dir_max0` / `dir_min0` are never changed here.
//
// None of these set `scene_dirty`: the caller (the "Align:" buttons, the mesh
// loader) sets it, or requests a redraw, after the call.
#include "mesh/mesh_model.h"

// Working directions from the computed ones, for vertices 0..vertex_count-1.
// sort_max_abs false ("sort max abs" unchecked): dir_max := dir_max0, dir_min := dir_min0.
// sort_max_abs true: the same unless |kmax| <= |kmin|, where the copies cross
// (dir_max := dir_min0, dir_min := dir_max0), so dir_max belongs to the
// curvature of larger magnitude. Reads kmax, kmin, dir_max0, dir_min0; writes
// dir_max, dir_min. "Max val" button: this call, then a redraw request.
void ResetCurvatureDirections(TMesh& mesh, bool sort_max_abs);

// Flips dir_max and dir_min of every vertex whose dot product with the
// normalised axis (x, y, z) is negative; a direction perpendicular to the axis
// keeps its sign. A zero axis changes nothing. Writes dir_max, dir_min.
void AlignWithAxis(TMesh& mesh, double x, double y, double z);

// AlignWithAxis with a coordinate axis: 0 x ("X"), 1 y ("Y", also applied after
// every mesh load), 2 z ("Z"). Any other value changes nothing.
void AlignDirectionsWithAxis(TMesh& mesh, int axis);

// Consistent orientation by a breadth-first walk over `nb` ("Align neighbor"):
// ResetCurvatureDirections(sort_max_abs), then from vertex vertex_count / 2 each
// reached vertex turns dir_max and dir_min to agree with the sum of those of its
// already oriented neighbours. Vertices not connected to the start vertex keep
// the reset directions. Writes dir_max, dir_min, align_mark (2 on reached
// vertices, 0 elsewhere). With no vertices it does nothing. Neighbour indices
// outside 0..vertex_count-1 are skipped.
void AlignNeighbours(TMesh& mesh, bool sort_max_abs);

// Consistent orientation of every connected piece, for the curvature looks:
// ResetCurvatureDirections(sort_max_abs), then the walk of AlignNeighbours
// through the piece of vertex vertex_count / 2 and then through each piece not
// reached yet, starting at its lowest vertex; afterwards each direction field
// of a piece is turned round as a whole when its y components sum to less than
// 0, so most of it still points up as after a load. Unlike an alignment with an
// axis this never flips a field along the line where it crosses the axis at a
// right angle (on a ring that is a seam across which the flow runs both ways).
// Writes dir_max, dir_min, align_mark (2 everywhere).
void OrientPiecesConsistently(TMesh& mesh, bool sort_max_abs);
