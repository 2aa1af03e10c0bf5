#include "support/gl_context_gl.h"

#include <GL/gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include "glpanel/glpanel.h"

TGLTestContext::TGLTestContext(int width, int height) : width_(width), height_(height) {
  const QSurfaceFormat format = TGLPanel::ContextFormat();
  surface_ = std::make_unique<QOffscreenSurface>();
  surface_->setFormat(format);
  surface_->create();
  context_ = std::make_unique<QOpenGLContext>();
  context_->setFormat(format);
  if (!context_->create() || !context_->makeCurrent(surface_.get())) return;
  QOpenGLFramebufferObjectFormat fbo_format;
  fbo_format.setAttachment(QOpenGLFramebufferObject::Depth);
  fbo_format.setInternalTextureFormat(GL_RGBA8);
  fbo_ = std::make_unique<QOpenGLFramebufferObject>(width, height, fbo_format);
  ok_ = fbo_->isValid() && fbo_->bind();
  glViewport(0, 0, width, height);
  TakeGLErrors();
}

TGLTestContext::~TGLTestContext() {
  if (context_ && surface_) context_->makeCurrent(surface_.get());
  fbo_.reset();
  if (context_) context_->doneCurrent();
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
