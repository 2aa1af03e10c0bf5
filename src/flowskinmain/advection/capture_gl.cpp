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
  // A texture that already has this size and format is overwritten in place:
  // the same texels, without giving the texture new storage every frame.
  GLint width = 0, height = 0, format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  if (width == view.tex_width && height == view.tex_height && format == GL_RGB)
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, view.tex_width, view.tex_height);
  else
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, view.tex_width, view.tex_height, 0);
}
