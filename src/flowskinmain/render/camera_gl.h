#pragma once
// GL half of the camera: the one-time GL state, the per-frame viewport,
// projection, light and model-view set-up, and the matrix-stack helpers.
// Everything draws into the current context.
#include <GL/gl.h>

#include "app_state.h"
#include "render/camera_math.h"

// One-time GL state of the panel (its OnGLInit): viewport, a provisional
// frustum, light 0, depth test LEQUAL, REPEAT/LINEAR on the default 2-D
// texture, back-face culling, colour material for ambient and diffuse of both
// faces. Sets frame.gl_ready and frame.scene_dirty.
void InitGLState(TFrameState& frame, int32_t panel_w, int32_t panel_h);

// Per-frame camera: viewport inset by view.margin, projection volume (written
// into view), light 0 fixed to the eye, then the turntable model-view
// (distance, tilt rot_x, turn rot_y, up axis, -center), and stores the
// resulting model-view, projection and viewport into `m`.
// Returns false, touching nothing, when the margin leaves no viewport (or the
// panel has no area): the frame then shows only the cleared background.
bool SetupCamera(TView& view, TStoredMatrices& m, const TCameraControls& c, int32_t panel_w, int32_t panel_h);

// Light 0 from the left/right angle a and up/down angle e (radians) at
// view.distance, in eye coordinates: call while the model-view is the
// identity. Writes m.light_position; ambient, diffuse and specular from the
// colour values of the controls.
void SetupLight(const TView& view, TStoredMatrices& m, const TCameraControls& c, double a, double e);

// glMatrixMode(mode) then glPushMatrix / glPopMatrix.
void PushMatrixOf(GLenum mode);
void PopMatrixOf(GLenum mode);
