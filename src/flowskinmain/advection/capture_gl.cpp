#include "advection/capture_gl.h"

#include <GL/gl.h>

void DiscardFrameTexture() {
  const GLuint id = kFrameTexture;
  glDeleteTextures(1, &id);
}

void CaptureFrame(const TView& view) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, view.tex_width, view.tex_height, 0);
}
