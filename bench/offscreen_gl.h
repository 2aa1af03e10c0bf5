#pragma once
// The GL benchmarks' drawing target: an offscreen compatibility-profile
// context of the panel's format made current, with a size x size framebuffer object
// bound for drawing and reading, so frames draw into it as into a panel's
// back buffer. Needs a QGuiApplication and an X display.

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "glpanel/glpanel.h"
#include "mesh/heap_limits.h"

class TBenchGL {
 public:
  explicit TBenchGL(int size) {
    SetHeapLimits();  // the heap as the program's
    const QSurfaceFormat format = TGLPanel::ContextFormat();
    surface_.setFormat(format);
    surface_.create();
    context_.setFormat(format);
    if (!context_.create() || !context_.makeCurrent(&surface_)) {
      std::fprintf(stderr, "no GL context\n");
      return;
    }
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(size, size, QOpenGLFramebufferObject::Depth);
    fbo_->bind();
  }
  ~TBenchGL() {
    if (!fbo_) return;
    fbo_->release();
    fbo_.reset();
    context_.doneCurrent();
  }
  TBenchGL(const TBenchGL&) = delete;
  TBenchGL& operator=(const TBenchGL&) = delete;
  bool Ok() const { return fbo_ != nullptr; }
  // Makes the context current on `window` (drawing into its back buffer, as a
  // panel draws); Target makes the framebuffer object current again.
  // The framebuffer binding is the context's own state, kept across
  // makeCurrent: the window's default framebuffer is bound explicitly.
  bool OnWindow(QWindow& window) {
    if (!context_.makeCurrent(&window)) return false;
    QOpenGLFramebufferObject::bindDefault();
    return true;
  }
  void Target() {
    context_.makeCurrent(&surface_);
    fbo_->bind();
  }
  QSurfaceFormat Format() const { return context_.format(); }

 private:
  QOffscreenSurface surface_;
  QOpenGLContext context_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};

// Milliseconds per call of `frame` over n calls, after one call to warm up,
// each finished with glFinish.
inline double MsPerFrame(int n, const std::function<void()>& frame) {
  frame();
  glFinish();
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    frame();
    glFinish();
  }
  const std::chrono::duration<double, std::milli> dt = std::chrono::steady_clock::now() - t0;
  return dt.count() / n;
}
