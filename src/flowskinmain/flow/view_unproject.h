#pragma once
// Window pixels back to object space with the matrices stored by the camera
// set-up of the last frame (column-major 4x4, as the GL matrix stacks hold them).
#include <cstdint>

#include "mesh/mesh_model.h"
#include "view_record.h"

// The object-space point that the projection maps to window position
// (win_x, win_y) at depth win_z (0 near plane, 1 far plane), window y counted
// upwards from the bottom of the viewport. Returns false (out untouched) when
// projection * modelview is singular, the viewport is empty or the point lies
// at infinity.
bool UnprojectWindowPoint(double win_x, double win_y, double win_z, const TStoredMatrices& m, double out[3]);

// The window position of the object-space point `obj`: x, y in pixels of the
// stored viewport (y upwards from the bottom), z the window depth (0 near
// plane, 1 far plane). Returns false (win untouched) when the point maps to
// infinity (clip w = 0, a point in the eye's plane).
bool ProjectObjectPoint(const double obj[3], const TStoredMatrices& m, double win[3]);

// An eye ray through the pixel (x, y) of a panel `panel_height` pixels high
// (y counted downwards from the top): origin A at window depth 0.1, direction
// B - A with B at depth 0.2, both object space, the direction not normalised.
// Returns false (origin and direction zero) when either point cannot be
// unprojected.
bool UnprojectViewRay(const TStoredMatrices& m, int32_t panel_height, int32_t x, int32_t y, TVec3& origin,
                      TVec3& direction);

// Object-space length that `pixels` window pixels span at the window depth of
// the object point p: the distance between the unprojections of p's window
// position and of that position moved `pixels` along x. 0 when p cannot be
// projected or unprojected.
double PixelSpanAt(const TStoredMatrices& m, const TVec3& p, double pixels);
