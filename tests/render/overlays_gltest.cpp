// The scene overlays and the paint blobs on an offscreen 512 x 512 Mesa
// context: each "Show" overlay puts its colour where its geometry projects,
// the glyph colours follow sign and selection, paint blobs blink with the
// frame counter and the advected texture carries their colour downstream.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "advection/advection_pass.h"
#include "advection/capture_gl.h"
#include "colorconversion/colorconversion.h"
#include "flow/view_unproject.h"
#include "render/overlay_passes_gl.h"
#include "render/overlays_gl.h"
#include "render/source_glyphs_gl.h"
#include "support/frame_meshes.h"
#include "support/gl_scene_gl.h"

namespace {

constexpr int kSize = TGLTestScene::kSize;
const int32_t kBackground = MakeColor(20, 40, 90);

// The overlay passes on the scene's own state, as the window installs them.
struct OverlayScene : TGLTestScene {
  explicit OverlayScene(TMesh mesh) : TGLTestScene(std::move(mesh), kBackground) {
    InstallScenePasses(p, app, quadric, [this] { return lines; });
  }
  // Pixel where the last frame showed object point q (origin lower left).
  std::pair<int, int> PixelOf(TVec3 q) const {
    const double obj[3] = {q.x, q.y, q.z};
    double win[3] = {0, 0, 0};
    EXPECT_TRUE(ProjectObjectPoint(obj, app.matrices, win));
    return {int(std::lround(win[0] - 0.5)), int(std::lround(win[1] - 0.5))};
  }
  TFramePasses p;
  TGlyphQuadric quadric;
  TMeshLineMaterial lines;
};

bool Near(const TPixel& px, int r, int g, int b, int tol = 3) {
  return std::abs(px.r - r) <= tol && std::abs(px.g - g) <= tol && std::abs(px.b - b) <= tol;
}

// Pixels of colour (r, g, b) among those where `where`(x, y) holds.
int Count(const TGLTestScene& s, const std::vector<uint8_t>& px, TPixel c, const std::function<bool(int, int)>& where) {
  int n = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) n += where(x, y) && Near(s.At(px, x, y), c.r, c.g, c.b);
  return n;
}

TFlowSource Source(TVec3 p0, double strength) {
  TFlowSource s;
  s.p0 = s.p1 = p0;
  s.strength = strength;
  return s;
}

// Radius of the unit sphere's disc in the default view, pixels.
const double kDisc = 150.9;
bool Outside(int x, int y, double margin) { return std::hypot(x + 0.5 - 256, y + 0.5 - 256) > kDisc + margin; }

}  // namespace

TEST(Overlays, EachShowOverlayDrawsItsColourWhereItsGeometryLies) {
  enum Where { kOutsideDisc, kRightOfDisc, kOnDisc, kBoxEdge };
  const struct {
    const char* name;
    std::function<void(OverlayScene&, TVertex&)> show;  // check box and vertex fields
    TPixel colour;
    Where where;
    int at_least;
  } cases[] = {
      {"normals", [](OverlayScene& s, TVertex&) { s.c.overlays.shnormals = true; }, {255, 255, 0}, kOutsideDisc, 200},
      {"velocity along +x",
       [](OverlayScene& s, TVertex& v) {
         s.c.overlays.shvelo = true;
         v.adv_pos = {v.pos.x + 0.01f, v.pos.y, v.pos.z};
       },
       {255, 0, 0},
       kRightOfDisc,
       40},
      {"box", [](OverlayScene& s, TVertex&) { s.c.overlays.shbox = true; }, {0, 0, 0}, kBoxEdge, 100},
      {"mesh lines",
       [](OverlayScene& s, TVertex&) { s.c.overlays.shline = true, s.lines.diffuse = MakeColor(0, 200, 0); },
       {0, 200, 0},
       kOnDisc,
       2000},
      {"frames",
       [](OverlayScene& s, TVertex& v) {
         s.c.overlays.shframes = true, v.e1 = {1, 0, 0}, v.e2 = {0, 1, 0};
       },
       {51, 77, 255},
       kOnDisc,
       1000},
      {"max curvature",
       [](OverlayScene& s, TVertex& v) {
         s.c.overlays.shmaxcurv = true, v.dir_max = {1, 0, 0};
       },
       {255, 26, 26},
       kOnDisc,
       500},
      {"min curvature",
       [](OverlayScene& s, TVertex& v) {
         s.c.overlays.shmincurv = true, v.dir_min = {0, 1, 0};
       },
       {255, 26, 26},
       kOnDisc,
       500},
  };
  for (const auto& k : cases) {
    OverlayScene s(frame_meshes::Sphere(1, 48, 24));
    s.Frame(s.p);
    const std::vector<uint8_t> none = s.Pixels();
    for (TVertex& v : s.app.mesh.vertices) k.show(s, v);
    s.app.frame.scene_dirty = true;
    s.Frame(s.p);
    EXPECT_EQ(TakeGLErrors(), "") << k.name;
    const std::vector<uint8_t> px = s.Pixels();
    const auto [ex, ey] = s.PixelOf({1, 0, 1});  // on the box edge x = 1, z = 1
    auto where = [&](int x, int y) {
      switch (k.where) {
        case kOutsideDisc:
          return Outside(x, y, 2);
        case kRightOfDisc:
          return Outside(x, y, 2) && x > 256;
        case kOnDisc:
          return !Outside(x, y, -20);
        case kBoxEdge:
          return std::abs(x - ex) <= 1 && std::abs(y - ey) <= 60;
      }
      return false;
    };
    EXPECT_GE(Count(s, px, k.colour, where), k.at_least) << k.name;
    EXPECT_EQ(Count(s, none, k.colour, [](int, int) { return true; }), 0) << k.name;
    if (k.where == kRightOfDisc) {  // and none left of the disc, upstream
      EXPECT_EQ(Count(s, px, k.colour, [&](int x, int y) { return Outside(x, y, 2) && x < 256; }), 0);
    }
  }
}

TEST(Overlays, GlyphsAreYellowishOrBluishByStrengthAndTheGrabbedPartIsBrightest) {
  OverlayScene s(frame_meshes::Sphere(1, 48, 24));
  TFlowSourceTable& t = s.app.sources;
  t.source_count = 2;
  t.flow_sources[1] = Source({-1.4f, 0, 0}, -5);  // a sink, not selected
  t.flow_sources[2] = Source({1.4f, -0.5f, 0}, 10);
  t.flow_sources[2].p1 = {1.4f, 0.5f, 0};
  t.flow_sources[2].is_line = true;
  t.selected_source = 2;
  t.selected_handle = 2;
  s.Frame(s.p);
  ASSERT_EQ(TakeGLErrors(), "");
  EXPECT_DOUBLE_EQ(t.flow_sources[1].radius, s.app.mesh.box_size / 75);
  EXPECT_DOUBLE_EQ(t.flow_sources[2].cyl_radius, 0.6 * s.app.mesh.box_size / 75);
  const std::vector<uint8_t> px = s.Pixels();
  auto at = [&](TVec3 q) {
    const auto [x, y] = s.PixelOf(q);
    return s.At(px, x + 2, y);  // beside the vertical guide line through the centre
  };
  const TPixel sink = at({-1.4f, 0, 0}), end0 = at({1.4f, -0.5f, 0}), end1 = at({1.4f, 0.5f, 0});
  const TPixel segment = at({1.4f, 0, 0});
  EXPECT_GT(sink.b, sink.r);
  EXPECT_GT(end0.r, end0.b);
  auto sum = [](TPixel p) { return p.r + p.g + p.b; };
  EXPECT_GT(sum(end0), sum(sink) * 1.2);  // selected (0.75) over not selected (0.5)
  // The grabbed p1 sphere (1.0) over the other parts of its source (0.75), in every channel.
  for (const TPixel& other : {end0, segment}) {
    EXPECT_GT(end1.r, other.r + 10);
    EXPECT_GT(end1.g, other.g + 10);
    EXPECT_GT(end1.b, other.b + 10);
  }
}

TEST(PaintBlobs, OnTwoOffThreeShowInFramesZeroAndOneOfEveryFive) {
  OverlayScene s(frame_meshes::Sphere(1, 48, 24));
  TFlowSourceTable& t = s.app.sources;
  t.source_count = 1;
  t.flow_sources[1] = Source({1.4f, 0, 0}, 0);
  TFlowSource& paint = t.flow_sources[1];
  paint.paint = true;
  paint.paint_on = 2;
  paint.paint_off = 3;
  paint.paint_colour = MakeColor(255, 0, 0);
  s.Frame(s.p);              // the glyph pass writes the radius the blobs use
  s.c.showelements = false;  // no guide lines over the blob from here on
  s.app.frame.scene_dirty = true;
  for (int fc = 0; fc < 10; ++fc) {
    s.app.frame.frame_counter = fc;
    s.Frame(s.p);
    const auto [x, y] = s.PixelOf(paint.p0);
    EXPECT_EQ(Near(s.At(s.Pixels(), x, y), 255, 0, 0), fc % 5 < 2) << "frame " << fc;
  }
  EXPECT_TRUE(PaintBlobShown(5, 1, 0));
  EXPECT_FALSE(PaintBlobShown(0, 0, 0));  // no period at all: never drawn, no division by zero
}

TEST(PaintBlobs, AdvectionCarriesThePaintDownstreamInTheCapturedImage) {
  OverlayScene s(frame_meshes::Square(1, 32));
  s.c.shtexture = true;
  TFlowSourceTable& t = s.app.sources;
  t.source_count = 1;
  t.flow_sources[1] = Source({0, 0, 0}, 0);
  TFlowSource& paint = t.flow_sources[1];
  paint.paint = true;
  paint.paint_on = 1;
  paint.paint_colour = MakeColor(255, 0, 0);
  paint.radius = s.app.mesh.box_size / 75;
  s.p.source_glyphs = nullptr;
  s.p.advection_step = [&] {
    for (TVertex& v : s.app.mesh.vertices) v.velo = {1, 0, 0};  // uniform flow along +x
    DisplaceVertices(s.app.mesh, 0.01);
  };
  s.p.compute_tex_coords = [&] {
    ComputeTexCoords(s.app.mesh, s.app.matrices, s.app.view, s.app.frame.texture_dragged, TTexCoordParams());
  };
  for (int fc = 0; fc < 20; ++fc) {
    s.app.frame.frame_counter = fc;
    ASSERT_TRUE(s.Frame(s.p).captured);
  }
  ASSERT_EQ(TakeGLErrors(), "");
  std::vector<uint8_t> tex(size_t(kSize) * kSize * 3);
  glBindTexture(GL_TEXTURE_2D, kFrameTexture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, tex.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  const auto [cx, cy] = s.PixelOf(paint.p0);
  const int r = 12;  // beyond the blob's radius of about 7 pixels
  auto red_in = [&](int x0, int x1) {
    int n = 0;
    for (int y = cy - 2; y <= cy + 2; ++y)
      for (int x = x0; x <= x1; ++x) n += Near(TGLTestContext::At(tex, kSize, x, y), 255, 0, 0, 40);
    return n;
  };
  EXPECT_GT(red_in(cx + r, cx + r + 30), 100);  // 3 pixels a frame for 20 frames
  EXPECT_EQ(red_in(cx - r - 30, cx - r), 0);
}
