#include "render/camera_gl.h"

#include "advection/capture_gl.h"
#include "colorconversion/colorconversion.h"

namespace {

void ColourToGL(int32_t colour, float out[4]) {
  const TRGBInt rgb = SplitColor(colour);
  out[0] = rgb.red / 255.0f;
  out[1] = rgb.green / 255.0f;
  out[2] = rgb.blue / 255.0f;
  out[3] = 1.0f;
}

void LoadProjection(const TView& view) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (view.isometric) {
    glOrtho(view.frustum_left, view.frustum_right, view.frustum_bottom, view.frustum_top, view.frustum_near,
            view.frustum_far);
  } else {
    glFrustum(view.frustum_left, view.frustum_right, view.frustum_bottom, view.frustum_top, view.frustum_near,
              view.frustum_far);
  }
}

// Turntable model-view after the light has been placed in eye space.
void LoadTurntable(const TView& view, UpAxis up) {
  glTranslatef(0, 0, static_cast<float>(-view.distance));
  glRotatef(static_cast<float>(-view.rot_x), 1, 0, 0);
  glRotatef(static_cast<float>(-view.rot_y), 0, 1, 0);
  if (up == UpAxis::X) {
    glRotatef(-90, 0, 0, 1);
  } else if (up == UpAxis::Z) {
    glRotatef(-90, 1, 0, 0);
  }
  glTranslatef(-view.center[0], -view.center[1], -view.center[2]);
}

}  // namespace

void InitGLState(TFrameState& frame, int32_t panel_w, int32_t panel_h) {
  glViewport(0, 0, panel_w, panel_h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-0.5, 0.5, -0.5, 0.5, 1, 100);
  if (frame.lighting_on) glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  frame.capture.read_back_window = ReadBackIsQuicker();
  frame.gl_ready = true;
  frame.scene_dirty = true;
  frame.surface_drawings.reset();  // a new context: buffer names of an earlier one mean nothing here
  frame.composite_program = 0;
}

bool SetupCamera(TView& view, TStoredMatrices& m, const TCameraControls& c, int32_t panel_w, int32_t panel_h) {
  const TViewportRect vp = MarginViewport(panel_w, panel_h, view.margin);
  if (vp.Empty()) return false;
  glViewport(vp.x, vp.y, vp.width, vp.height);
  ComputeProjection(view, c, vp.width, vp.height);
  LoadProjection(view);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  SetupLight(view, m, c, DegToRad(c.lr_light), DegToRad(c.ud_light));
  LoadTurntable(view, c.up_axis);
  glGetDoublev(GL_MODELVIEW_MATRIX, m.modelview_matrix);
  glGetDoublev(GL_PROJECTION_MATRIX, m.projection_matrix);
  GLint rect[4];
  glGetIntegerv(GL_VIEWPORT, rect);
  for (int i = 0; i < 4; ++i) m.viewport_rect[i] = rect[i];
  return true;
}

void SetupLight(const TView& view, TStoredMatrices& m, const TCameraControls& c, double a, double e) {
  LightPosition(a, e, view.distance, c.dir_light, m.light_position);
  glLightfv(GL_LIGHT0, GL_POSITION, m.light_position);
  float colour[4];
  ColourToGL(c.ambient, colour);
  glLightfv(GL_LIGHT0, GL_AMBIENT, colour);
  ColourToGL(c.light, colour);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, colour);
  glLightfv(GL_LIGHT0, GL_SPECULAR, colour);
}

void PushMatrixOf(GLenum mode) {
  glMatrixMode(mode);
  glPushMatrix();
}

void PopMatrixOf(GLenum mode) {
  glMatrixMode(mode);
  glPopMatrix();
}
