// Surface passes on an offscreen Mesa context: the data pass through the
// colour map, the textured strip walk against the face list, and the
// translucent overlay in its deeper projection.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "advection/capture_gl.h"
#include "advection/surface_passes_gl.h"
#include "colorconversion/colorconversion.h"
#include "data/colour_map_gl.h"
#include "data/data_channels.h"
#include "render/camera_gl.h"
#include "render/frame_gl.h"
#include "support/frame_meshes.h"
#include "support/gl_context_gl.h"
#include "support/gl_scene_gl.h"
#include "support/mesh_fixtures.h"

namespace {

constexpr int kSize = TGLTestScene::kSize;
const int32_t kBlack = MakeColor(0, 0, 0);

// The shared scene on a black background; Covered counts the non-black pixels.
struct PassScene : TGLTestScene {
  explicit PassScene(TMesh mesh) : TGLTestScene(std::move(mesh), kBlack) {}
  void Begin() { ASSERT_TRUE(TGLTestScene::Begin()); }
  int64_t Covered() const {
    const std::vector<uint8_t> px = Pixels();
    int64_t n = 0;
    for (size_t i = 0; i < px.size(); i += 3) n += (px[i] | px[i + 1] | px[i + 2]) != 0;
    return n;
  }
};

void ExpectTexel(const TPixel& p, const TColourMapTexels& t, int i) {
  EXPECT_EQ(p.r, t[3 * i]) << "texel " << i;
  EXPECT_EQ(p.g, t[3 * i + 1]) << "texel " << i;
  EXPECT_EQ(p.b, t[3 * i + 2]) << "texel " << i;
}

// A 4 x 4 frame texture of one colour in texture object 8.
void UniformFrameTexture(uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> texels;
  for (int i = 0; i < 16; ++i) texels.insert(texels.end(), {r, g, b});
  glBindTexture(GL_TEXTURE_2D, kFrameTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
}

}  // namespace

TEST(DataPass, MinColourAtTheChannelMinimumAndMaxColourAtItsMaximum) {
  PassScene s(frame_meshes::Square(1, 16));
  ComputeDataRanges(s.app.mesh, true);
  TRenderStateControls rc;
  rc.radios.px = true;
  const TRangeTexts texts = RefreshRenderState(s.app, rc, true);
  EXPECT_EQ(s.app.frame.data_channel, kChanX);
  EXPECT_EQ(texts.min, "-1");
  EXPECT_EQ(texts.max, "1");
  ASSERT_EQ(TakeGLErrors(), "");
  s.c.surface.tex_data = true;
  s.app.frame.scene_dirty = true;
  ASSERT_TRUE(DrawFrame(s.app, s.c, TFramePasses(), kSize, kSize).composed);
  ASSERT_EQ(TakeGLErrors(), "");

  // The square spans x = -1 .. 1 over 2 / box_size of the 512 pixels.
  const double half = kSize / 2.0 * 2 / s.app.mesh.box_size;
  const std::vector<uint8_t> px = s.ctx.ReadRGB();
  const TColourMapTexels t = ColourMapTexels(rc.datamin, rc.datamax, rc.long_way);
  // The outermost pixel columns whose centres lie on the square: the colour
  // map's first and last texel cover a 256th of the range each.
  const int left = static_cast<int>(std::ceil(256 - half)), right = static_cast<int>(std::floor(256 + half - 0.5));
  const TPixel min_px = s.At(px, left, 256), max_px = s.At(px, right, 256);
  EXPECT_NEAR(min_px.r, 0, 4);  // aqua
  EXPECT_NEAR(min_px.g, 255, 4);
  EXPECT_NEAR(min_px.b, 255, 4);
  EXPECT_NEAR(max_px.r, 255, 4);  // (255, 128, 128)
  EXPECT_NEAR(max_px.g, 128, 4);
  EXPECT_NEAR(max_px.b, 128, 4);
  ExpectTexel(min_px, t, 0);
  ExpectTexel(max_px, t, 255);

  // A narrower range clamps the outer parts to the end colours exactly, and
  // the middle of the range shows the middle of the map.
  s.app.mesh.data_range[kChanX] = {-0.5, 0.5};
  RefreshRenderState(s.app, rc, true);
  DrawFrame(s.app, s.c, TFramePasses(), kSize, kSize);
  const std::vector<uint8_t> px2 = s.ctx.ReadRGB();
  ExpectTexel(s.At(px2, static_cast<int>(256 - 0.8 * half), 200), t, 0);
  ExpectTexel(s.At(px2, static_cast<int>(256 + 0.8 * half), 300), t, 255);
  const TPixel mid = s.At(px2, 256, 256);
  EXPECT_NEAR(mid.g, t[3 * 128 + 1], 3);
  EXPECT_NEAR(mid.r, t[3 * 128 + 0], 3);
  EXPECT_EQ(TakeGLErrors(), "");
}

TEST(TexturedPass, StripWalkCoversTheSameSurfaceAsTheFaceList) {
  PassScene s(frame_meshes::Sphere(1, 64, 32));
  for (TVertex& v : s.app.mesh.vertices) v.tex[0] = v.tex[1] = 0.5f;
  int tex_calls = 0;
  auto count = [&] { ++tex_calls; };
  TSurfaceFrame f;
  int64_t covered[2];
  for (int smooth = 0; smooth < 2; ++smooth) {
    s.Begin();
    UniformFrameTexture(0, 200, 0);
    s.c.surface.smooth = smooth == 1;
    EnableSurfaceArrays(s.app.mesh);
    DrawTexturedSurface(s.app.mesh, s.c.surface, f, count);
    DisableSurfaceArrays();
    ASSERT_EQ(TakeGLErrors(), "");
    const std::vector<uint8_t> px = s.ctx.ReadRGB();
    const TPixel centre = s.At(px, 256, 256);
    EXPECT_EQ(centre.r, 0);
    EXPECT_EQ(centre.g, 200);  // GL_REPLACE: texel colour, unlit
    covered[smooth] = s.Covered();
  }
  EXPECT_EQ(tex_calls, 2);
  EXPECT_GT(covered[0], 70000);
  EXPECT_NEAR(static_cast<double>(covered[1]) / covered[0], 1.0, 0.002);
  // While locked the texture coordinates are not recomputed.
  f.tex_lock_state = 1;
  DrawTexturedSurface(s.app.mesh, s.c.surface, f, count);
  EXPECT_EQ(tex_calls, 2);
}

TEST(TexturedPass, StripsOfAPreparedMeshDrawExactlyThePixelsOfItsFaceList) {
  TMesh mesh = fixtures::Sphere(1, 4);  // 2048 faces, strips from the load's strip builder
  fixtures::Prepare(mesh);
  for (int i = 0; i < mesh.vertex_count; ++i) {
    mesh.vertices[i].adv_pos = mesh.vertices[i].pos;
    mesh.vertices[i].tex[0] = mesh.vertices[i].tex[1] = 0.5f;
  }
  PassScene s(std::move(mesh));
  std::vector<uint8_t> image[2];
  for (int smooth = 0; smooth < 2; ++smooth) {
    s.Begin();
    UniformFrameTexture(255, 255, 255);
    s.c.surface.smooth = smooth == 1;
    EnableSurfaceArrays(s.app.mesh);
    DrawTexturedSurface(s.app.mesh, s.c.surface, TSurfaceFrame(), nullptr);
    DisableSurfaceArrays();
    ASSERT_EQ(TakeGLErrors(), "");
    image[smooth] = s.ctx.ReadRGB();
  }
  int64_t covered = 0, differ = 0;
  for (size_t i = 0; i < image[0].size(); i += 3) {
    covered += image[0][i] != 0;
    differ += (image[0][i] != 0) != (image[1][i] != 0);
  }
  EXPECT_GT(covered, 60000);
  EXPECT_LE(differ, 20);  // the same triangles; at most a few pixels on shared edges
}

TEST(TexturedPass, RunsShorterThanThreeAndAnUnclosedTailAreSkipped) {
  PassScene s(frame_meshes::Square(1, 1));  // vertices (-1,-1), (1,-1), (-1,1), (1,1)
  const int32_t end = 0x7FFFFFFF;
  s.app.mesh.strips = {2, 0, end, 2, 0, 3, end, 1, 3};  // a 2-run, one triangle, an open tail
  s.app.mesh.strip_len = static_cast<int32_t>(s.app.mesh.strips.size());
  s.Begin();
  UniformFrameTexture(255, 255, 255);
  EnableSurfaceArrays(s.app.mesh);
  DrawTexturedSurface(s.app.mesh, s.c.surface, TSurfaceFrame(), nullptr);
  DisableSurfaceArrays();
  ASSERT_EQ(TakeGLErrors(), "");
  const double half = kSize / 2.0 * 2 / s.app.mesh.box_size;
  const double triangle = 2 * half * half;  // half of the square
  EXPECT_NEAR(s.Covered() / triangle, 1.0, 0.02);
  const std::vector<uint8_t> px = s.ctx.ReadRGB();
  EXPECT_EQ(s.At(px, 256 - 60, 256 + 60).r, 255);  // upper-left half: triangle (2, 0, 3)
  EXPECT_EQ(s.At(px, 256 + 60, 256 - 60).r, 0);    // lower-right half: not drawn
  s.app.mesh.strip_len = 0;
  s.Begin();
  EnableSurfaceArrays(s.app.mesh);
  DrawTexturedSurface(s.app.mesh, s.c.surface, TSurfaceFrame(), nullptr);
  DisableSurfaceArrays();
  EXPECT_EQ(s.Covered(), 0);
  EXPECT_EQ(TakeGLErrors(), "");
}

TEST(OverlayPass, BlendsOverTheSameSurfaceInTheDeeperProjectionAndRestoresIt) {
  PassScene s(frame_meshes::Sphere(1, 48, 24));
  s.Begin();
  TSurfaceFrame f;
  TSurfaceControls red = s.c.surface;
  red.diffuse = MakeColor(255, 0, 0);
  DrawShadedSurface(s.app.mesh, red, f, false, 1.0);
  GLdouble before[16], after[16];
  glGetDoublev(GL_PROJECTION_MATRIX, before);
  BeginOverlayProjection(s.app.view);
  GLdouble overlay[16];
  glGetDoublev(GL_PROJECTION_MATRIX, overlay);
  {  // the frame's frustum with the far plane moved out to 1.01 frustum_far (the GL keeps floats)
    const double n = s.app.view.frustum_near, far_plane = 1.01 * s.app.view.frustum_far;
    EXPECT_DOUBLE_EQ(overlay[0], before[0]);
    EXPECT_NEAR(overlay[10], -(far_plane + n) / (far_plane - n), 1e-6);
    EXPECT_NEAR(overlay[14], -2 * far_plane * n / (far_plane - n), 1e-6);
    EXPECT_GT(std::fabs(overlay[10] - before[10]), 1e-4);
  }
  TSurfaceControls blue = s.c.surface;
  blue.diffuse = MakeColor(0, 0, 255);
  blue.alpha_shade = 60;
  DrawOverlaySurface(s.app.mesh, blue, f);
  EndOverlayProjection();
  glGetDoublev(GL_PROJECTION_MATRIX, after);
  ASSERT_EQ(TakeGLErrors(), "");
  for (int i = 0; i < 16; ++i) EXPECT_EQ(before[i], after[i]);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  const std::vector<uint8_t> px = s.ctx.ReadRGB();
  for (int dx : {-100, 0, 60, 120}) {
    const TPixel p = s.At(px, 256 + dx, 256);
    EXPECT_NEAR(p.r, 0.4 * 255, 2) << dx;  // 40 % of the red surface below
    EXPECT_NEAR(p.b, 0.6 * 255, 2) << dx;  // 60 % of the blue overlay
  }
  EXPECT_EQ(s.At(px, 3, 3).b, 0);  // the overlay adds nothing beside the surface
}

TEST(ShadedPass, AlphaModulationMakesLowDataOpaqueAndHighDataTranslucent) {
  PassScene s(frame_meshes::Square(1, 8));
  ComputeDataRanges(s.app.mesh, true);
  TRenderStateControls rc;
  rc.radios.px = true;
  RefreshRenderState(s.app, rc, true);
  s.Begin();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  TSurfaceControls c = s.c.surface;
  c.alpha_mod = true;
  DrawShadedSurface(s.app.mesh, c, TSurfaceFrame(), false, 0.5);  // over black: colour = opacity
  glDisable(GL_BLEND);
  ASSERT_EQ(TakeGLErrors(), "");
  const double half = kSize / 2.0 * 2 / s.app.mesh.box_size;
  const std::vector<uint8_t> px = s.ctx.ReadRGB();
  EXPECT_NEAR(s.At(px, static_cast<int>(256 - half + 2), 256).r, 255, 3);        // norm 0: opaque
  EXPECT_NEAR(s.At(px, 256, 256).r, 0.75 * 255, 3);                              // norm 0.5: 1 - 0.5 * 0.5
  EXPECT_NEAR(s.At(px, static_cast<int>(256 + half - 2), 256).r, 0.5 * 255, 3);  // norm 1: a
}

TEST(ShadedPass, ShininessBeyondWhatTheGLAcceptsKeepsThePreviousOneWithoutAnError) {
  PassScene s(frame_meshes::Square(1, 1));
  s.Begin();
  TSurfaceControls c = s.c.surface;
  c.shininess = 100;
  DrawShadedSurface(s.app.mesh, c, TSurfaceFrame(), false, 1.0);
  c.shininess = 500;
  DrawShadedSurface(s.app.mesh, c, TSurfaceFrame(), false, 1.0);
  EXPECT_EQ(TakeGLErrors(), "");
  GLfloat shine = 0;
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &shine);
  EXPECT_EQ(shine, 100);
}

TEST(DataPass, AlphaModulationPerVertexWhenSmoothInvertedWithInverseAndOneAlphaWhenFlat) {
  PassScene s(frame_meshes::Square(1, 8));
  ComputeDataRanges(s.app.mesh, true);
  TRenderStateControls rc;
  rc.radios.px = true;  // norm_value runs from 0 at the left edge to 1 at the right
  RefreshRenderState(s.app, rc, true);
  const TColourMapTexels t = ColourMapTexels(rc.datamin, rc.datamax, rc.long_way);
  const double half = kSize / 2.0 * 2 / s.app.mesh.box_size;
  const int left = static_cast<int>(256 - half + 2), right = static_cast<int>(256 + half - 2);
  // Over black with blending, a pixel is the map colour times its opacity: blue
  // of the aqua end at the left, red of the light-red end at the right.
  auto draw = [&](bool smooth, bool inverse, double& left_opacity, double& right_opacity) {
    s.Begin();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    TSurfaceControls c = s.c.surface;
    c.alpha_mod = true;
    c.alpha_mod_inverse = inverse;
    c.smooth = smooth;
    DrawDataSurface(s.app.mesh, c, TSurfaceFrame(), false, 0.5);
    glDisable(GL_BLEND);
    ASSERT_EQ(TakeGLErrors(), "");
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_1D));
    const std::vector<uint8_t> px = s.ctx.ReadRGB();
    left_opacity = s.At(px, left, 256).b / static_cast<double>(t[2]);
    right_opacity = s.At(px, right, 256).r / static_cast<double>(t[3 * 255]);
  };
  double l = 0, r = 0;
  draw(true, false, l, r);
  EXPECT_NEAR(l, 1.0, 0.02);
  EXPECT_NEAR(r, 0.5, 0.02);
  draw(true, true, l, r);
  EXPECT_NEAR(l, 0.5, 0.02);
  EXPECT_NEAR(r, 1.0, 0.02);
  draw(false, false, l, r);  // flat: no per-vertex opacity, the pass alpha everywhere
  EXPECT_NEAR(l, 0.5, 0.02);
  EXPECT_NEAR(r, 0.5, 0.02);
}

TEST(OverlayPass, BlendWithStreaksMultipliesWhatLiesBelowByTwiceTheDataColour) {
  // Grey map over x of the square, laid on the surface shaded in three greys:
  // each pixel becomes 2 x data x below (each 0..1), clamped at white.
  for (const int below : {64, 128, 192}) {
    SCOPED_TRACE(below);
    PassScene s(frame_meshes::Square(1, 16));
    ComputeDataRanges(s.app.mesh, true);
    TRenderStateControls rc;
    rc.radios.px = true;
    rc.colour_map = kMapGrey;
    RefreshRenderState(s.app, rc, true);
    s.Begin();
    TSurfaceFrame f;
    TSurfaceControls grey = s.c.surface;
    grey.diffuse = MakeColor(below, below, below);
    DrawShadedSurface(s.app.mesh, grey, f, false, 1.0);
    BeginOverlayProjection(s.app.view);
    TSurfaceControls data = s.c.surface;  // white material, unlit: the map's colours as they are
    data.tex_data = true;
    data.blend_streaks = true;
    data.alpha_shade = 30;  // not used by the blend
    DrawOverlaySurface(s.app.mesh, data, f);
    EndOverlayProjection();
    ASSERT_EQ(TakeGLErrors(), "");
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);  // the overlay's usual blending is back for what follows
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    const std::vector<uint8_t> px = s.ctx.ReadRGB();
    const double half = kSize / 2.0 * 2 / s.app.mesh.box_size;
    for (const double t : {0.1, 0.3, 0.5, 0.7, 0.9}) {
      const TPixel p = s.At(px, static_cast<int>(256 + (2 * t - 1) * half), 256);
      const double want = std::min(255.0, 2 * (t * 255) * below / 255);
      EXPECT_NEAR(p.r, want, 4) << t;
      EXPECT_EQ(p.r, p.g);
      EXPECT_EQ(p.g, p.b);
    }
    EXPECT_EQ(s.At(px, 3, 3).r, 0);  // nothing beside the surface
  }
}
