#pragma once
// A mesh in the default view on an offscreen size x size context, GL state
// initialised, drawn unlit in white without the frame texture, so that every
// surface pixel is white and every other one the background colour.
#include <cstdint>
#include <utility>
#include <vector>

#include "colorconversion/colorconversion.h"
#include "render/camera_gl.h"
#include "render/frame_gl.h"
#include "support/gl_context_gl.h"

struct TGLTestScene {
  static constexpr int kSize = 512;
  TGLTestContext ctx{kSize, kSize};
  TAppState app;
  TFrameControls c;

  TGLTestScene(TMesh mesh, int32_t background) {
    app.mesh = std::move(mesh);
    ResetView(app.mesh, app.view);
    c.background = background;
    c.lighting = false;
    c.shtexture = false;
    c.surface.diffuse = MakeColor(255, 255, 255);
    InitGLState(app.frame, kSize, kSize);
  }
  // One whole frame with the given passes.
  TFrameReport Frame(const TFramePasses& p = TFramePasses()) { return DrawFrame(app, c, p, kSize, kSize); }
  // Clear, camera and light only; a test then draws one pass itself.
  bool Begin() { return BeginFrame(app, c, kSize, kSize); }
  std::vector<uint8_t> Pixels() const { return ctx.ReadRGB(); }
  TPixel At(const std::vector<uint8_t>& rgb, int x, int y) const { return TGLTestContext::At(rgb, kSize, x, y); }
};
