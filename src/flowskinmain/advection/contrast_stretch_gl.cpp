#include "advection/contrast_stretch_gl.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

#include "advection/contrast_stretch.h"
#include "advection/frame_sized.h"

namespace {

void SetTransfer(const TContrastTransfer& t) {
  const GLenum scales[3] = {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE};
  const GLenum biases[3] = {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS};
  for (int i = 0; i < 3; ++i) {
    glPixelTransferf(scales[i], static_cast<float>(t.scale[i]));
    glPixelTransferf(biases[i], static_cast<float>(t.bias[i]));
  }
}

// Raster position at the lower-left pixel of the panel, just in front of the
// far plane: set inside the view volume (its centre at that depth, always a
// valid position) and moved in window pixels by an empty bitmap, which keeps
// it valid even where a position set there directly would be clipped.
void RasterAtPanelCorner(const TView& view) {
  const double r = view.isometric || view.frustum_near == 0 ? 1.0 : view.frustum_far / view.frustum_near;
  const double cx = r * (view.frustum_left + view.frustum_right) / 2;
  const double cy = r * (view.frustum_bottom + view.frustum_top) / 2;
  glRasterPos3d(cx, cy, -0.999 * view.frustum_far);
  GLfloat pos[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
  glBitmap(0, 0, 0, 0, -pos[0], -pos[1], nullptr);
}

}  // namespace

std::array<double, 3> ShownSurfaceMean(int32_t panel_w, int32_t panel_h, const std::array<double, 3>& fallback) {
  if (panel_w <= 0 || panel_h <= 0) return fallback;
  const size_t n = static_cast<size_t>(panel_w) * panel_h;
  static std::vector<uint8_t> rgb;  // kept between frames: one drawing thread
  static std::vector<float> depth;
  SizeForFrame(rgb, 3 * n);
  SizeForFrame(depth, n);
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, panel_w, panel_h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glReadPixels(0, 0, panel_w, panel_h, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  return SurfaceMeanColour(rgb.data(), depth.data(), static_cast<int64_t>(n), fallback);
}

void StretchContrast(const TView& view, double factor, const std::array<double, 3>& pivot, bool lighting_on,
                     int32_t panel_w, int32_t panel_h) {
  if (factor == 1 || panel_w <= 0 || panel_h <= 0) return;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glDepthFunc(GL_GREATER);
  RasterAtPanelCorner(view);
  SetTransfer(ContrastTransferFor(factor, pivot));
  glCopyPixels(0, 0, panel_w, panel_h, GL_COLOR);
  SetTransfer(TContrastTransfer());
  glPopMatrix();
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  if (lighting_on) glEnable(GL_LIGHTING);
}
