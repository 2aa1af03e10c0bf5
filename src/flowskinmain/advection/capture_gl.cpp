#include "advection/capture_gl.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "advection/frame_sized.h"

void DiscardFrameTexture() {
  const GLuint id = kFrameTexture;
  glDeleteTextures(1, &id);
}

namespace {

// True while the window's own framebuffer is read from (no framebuffer
// object bound).
bool ReadingTheWindow() {
  GLint bound = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  return bound == 0;
}

// The frame's pixels through client memory into the texture. Only the part
// of the texture that lies on the panel is written, as a copy clipped to the
// panel leaves the rest. Pixel transfer is the identity here (the contrast
// stretch restores it), so both steps carry the bytes unchanged.
void ReadBackInto(const TView& view, TFrameCapture& capture) {
  const GLsizei w = std::min(view.tex_width, capture.panel_w);
  const GLsizei h = std::min(view.tex_height, capture.panel_h);
  if (w <= 0 || h <= 0) return;
  SizeForFrame(capture.pixels, static_cast<size_t>(w) * h * 4);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, capture.pixels.data());
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, capture.pixels.data());
}

// The texels of a new texture that lie beyond the panel take the noise's mean
// grey: the copy leaves them undefined (on some drivers, whatever memory a
// texture freed before held), and a coordinate that reaches past the panel's
// edge would show it.
void FillBeyondPanel(const TView& view, const TFrameCapture& capture) {
  const GLsizei w = std::min(view.tex_width, capture.panel_w);
  const GLsizei h = std::min(view.tex_height, capture.panel_h);
  if (w >= view.tex_width && h >= view.tex_height) return;
  const std::vector<uint8_t> grey(static_cast<size_t>(view.tex_width) * view.tex_height * 4, 128);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  if (w < view.tex_width)
    glTexSubImage2D(GL_TEXTURE_2D, 0, w, 0, view.tex_width - w, view.tex_height, GL_RGBA, GL_UNSIGNED_BYTE,
                    grey.data());
  if (h < view.tex_height)
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, h, w, view.tex_height - h, GL_RGBA, GL_UNSIGNED_BYTE, grey.data());
}

}  // namespace

bool ReadBackIsQuicker() {
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  return renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"));
}

void CaptureFrame(const TView& view, TFrameCapture& capture) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  // A texture that already has this size and format is overwritten in place:
  // the same texels, without giving the texture new storage every frame.
  GLint width = 0, height = 0, format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  // Only the part of the texture that lies on the frame is copied: a copy
  // reaching past a framebuffer object's edge is not clipped alike by every
  // driver.
  const GLsizei w = std::min(view.tex_width, capture.panel_w);
  const GLsizei h = std::min(view.tex_height, capture.panel_h);
  if (width != view.tex_width || height != view.tex_height || format != GL_RGB) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, view.tex_width, view.tex_height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    FillBeyondPanel(view, capture);
    if (w > 0 && h > 0) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
  } else if (capture.read_back_window && ReadingTheWindow()) {
    ReadBackInto(view, capture);
  } else if (w > 0 && h > 0) {
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
  }
}
