#define GL_GLEXT_PROTOTYPES 1
#include "support/gl_context_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

#include "glpanel/egl_context.h"
#include "glpanel/framebuffer.h"

TGLTestContext::TGLTestContext(int width, int height) : width_(width), height_(height) {
  context_ = std::make_unique<TEglContext>();
  std::string error;
  if (!context_->Create(error)) {
    std::fprintf(stderr, "no GL context: %s\n", error.c_str());
    return;
  }
  ok_ = MakeFramebuffer(width, height, framebuffer_);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glViewport(0, 0, width, height);
  TakeGLErrors();
}

TGLTestContext::~TGLTestContext() {
  if (!context_ || !context_->MakeCurrent()) return;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  DeleteFramebuffer(framebuffer_);
}

std::vector<uint8_t> TGLTestContext::ReadRGB() const {
  std::vector<uint8_t> rgb(static_cast<size_t>(width_) * height_ * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

TPixel TGLTestContext::At(const std::vector<uint8_t>& rgb, int width, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

std::string TakeGLErrors() {
  std::string names;
  for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
    if (!names.empty()) names += ", ";
    switch (e) {
      case GL_INVALID_ENUM:
        names += "GL_INVALID_ENUM";
        break;
      case GL_INVALID_VALUE:
        names += "GL_INVALID_VALUE";
        break;
      case GL_INVALID_OPERATION:
        names += "GL_INVALID_OPERATION";
        break;
      case GL_STACK_OVERFLOW:
        names += "GL_STACK_OVERFLOW";
        break;
      case GL_STACK_UNDERFLOW:
        names += "GL_STACK_UNDERFLOW";
        break;
      case GL_OUT_OF_MEMORY:
        names += "GL_OUT_OF_MEMORY";
        break;
      default:
        names += "GL error " + std::to_string(e);
        break;
    }
    if (names.size() > 200) break;
  }
  return names;
}
