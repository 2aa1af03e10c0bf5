#pragma once
// An offscreen compatibility-profile GL context for the GL tests: the
// context batch runs draw with (EGL, no window system), current, and a
// framebuffer object of fixed size (8-bit RGBA colour, 24-bit depth) bound as
// the draw and read target, so drawing, glCopyTexImage2D and glReadPixels act
// on it as on a panel's back buffer.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "glpanel/framebuffer.h"

class TEglContext;

struct TPixel {
  int r = 0, g = 0, b = 0;
};

class TGLTestContext {
 public:
  explicit TGLTestContext(int width = 512, int height = 512);
  ~TGLTestContext();
  TGLTestContext(const TGLTestContext&) = delete;
  TGLTestContext& operator=(const TGLTestContext&) = delete;

  bool Ok() const { return ok_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // RGB bytes of the whole framebuffer, rows from the bottom (glReadPixels order).
  std::vector<uint8_t> ReadRGB() const;
  // One pixel, (0, 0) at the lower left.
  static TPixel At(const std::vector<uint8_t>& rgb, int width, int x, int y);

 private:
  int width_, height_;
  bool ok_ = false;
  std::unique_ptr<TEglContext> context_;
  TFramebufferNames framebuffer_;
};

// Names of all pending GL errors ("" when none); clears the error queue.
std::string TakeGLErrors();
