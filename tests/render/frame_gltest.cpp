// The frame on an offscreen 512 x 512 Mesa context: the default view of a
// sphere against the analytic disc, the background, the display-list caching
// and the texture-lock walk, the empty viewport.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "colorconversion/colorconversion.h"
#include "mesh/mesh_preparation.h"
#include "render/camera_gl.h"
#include "render/frame_gl.h"
#include "render/frame_math.h"
#include "support/frame_meshes.h"
#include "support/gl_context_gl.h"
#include "support/gl_scene_gl.h"

namespace {

constexpr int kSize = TGLTestScene::kSize;
const int32_t kBackground = MakeColor(20, 40, 90);

bool Same(const TPixel& p, int32_t colour) {
  const TRGBInt c = SplitColor(colour);
  return p.r == c.red && p.g == c.green && p.b == c.blue;
}

// The shared scene on the test's background colour.
struct Scene : TGLTestScene {
  explicit Scene(TMesh mesh) : TGLTestScene(std::move(mesh), kBackground) {}
};

// Radius in pixels of the disc a sphere of radius r shows at `distance` with
// focal length f on a viewport `width` pixels wide: the tangent cone's half
// angle asin(r / distance), over the half-angle of view atan(17.5 / f).
double DiscRadius(double r, double distance, double f, int width) {
  const double a = std::asin(r / distance);
  return std::tan(a) / (17.5 / f) * width / 2;
}

// Corner texel of the frame texture (object 8).
TPixel FrameTextureCorner() {
  std::vector<uint8_t> tex(static_cast<size_t>(kSize) * kSize * 3);
  glBindTexture(GL_TEXTURE_2D, 8);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, tex.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return {tex[0], tex[1], tex[2]};
}

}  // namespace

TEST(Frame, DefaultViewOfASphereFillsTheAnalyticDiscOnTheBackground) {
  Scene s(frame_meshes::Sphere(1, 96, 48));
  ASSERT_TRUE(s.ctx.Ok());
  const TFrameReport r = s.Frame();
  ASSERT_TRUE(r.composed);
  ASSERT_EQ(TakeGLErrors(), "");
  EXPECT_NEAR(s.app.view.distance, 2 * std::sqrt(3.0) * 50 / 35, 1e-5);
  const double radius = DiscRadius(1, s.app.view.distance, 50, kSize);
  EXPECT_NEAR(radius, 150.9, 0.1);

  const std::vector<uint8_t> px = s.Pixels();
  int64_t covered = 0;
  int outside_wrong = 0, inside_wrong = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const TPixel p = s.At(px, x, y);
      const bool surface = Same(p, MakeColor(255, 255, 255));
      covered += surface;
      const double d = std::hypot(x + 0.5 - kSize / 2.0, y + 0.5 - kSize / 2.0);
      if (d > radius + 1.5 && !Same(p, kBackground)) ++outside_wrong;
      if (d < radius - 1.5 && !surface) ++inside_wrong;
    }
  }
  const double disc = std::numbers::pi * radius * radius;
  EXPECT_NEAR(covered / disc, 1.0, 0.01);
  EXPECT_EQ(outside_wrong, 0);
  EXPECT_EQ(inside_wrong, 0);
}

TEST(Frame, LitSphereIsBrightestWhereTheLightFallsAndStaysInsideTheDisc) {
  Scene s(frame_meshes::Sphere(1, 96, 48));
  s.c.lighting = true;
  s.c.camera.lr_light = 0;
  s.c.camera.ud_light = 0;
  s.Frame();
  ASSERT_EQ(TakeGLErrors(), "");
  const std::vector<uint8_t> px = s.Pixels();
  // Light from the viewer: the centre faces it, a point near the rim does not.
  const TPixel centre = s.At(px, 256, 256), rim = s.At(px, 256 + 140, 256);
  EXPECT_GT(centre.r, rim.r + 60);
  EXPECT_TRUE(Same(s.At(px, 5, 5), kBackground));
}

TEST(Frame, ADisplayListKeepsItsContentUntilTheSceneIsDirty) {
  Scene s(frame_meshes::Sphere(1, 32, 16));
  s.Frame();
  s.c.surface.diffuse = MakeColor(255, 0, 0);
  s.Frame();  // nothing dirty: list 1 is replayed as compiled
  EXPECT_TRUE(Same(s.At(s.Pixels(), 256, 256), MakeColor(255, 255, 255)));
  s.app.frame.scene_dirty = true;
  s.Frame();
  EXPECT_TRUE(Same(s.At(s.Pixels(), 256, 256), MakeColor(255, 0, 0)));
  EXPECT_EQ(TakeGLErrors(), "");
}

TEST(Frame, PureRotationRecompilesTheSurfaceListOnlyAndIdleFramesNothing) {
  Scene s(frame_meshes::Sphere(1, 32, 16));
  s.c.shtexture = true;
  int advections = 0, noise = 0;
  TFramePasses p;
  p.advection_step = [&] { ++advections; };
  p.inject_noise = [&] { ++noise; };
  TListCompileCounts first;
  first.Add(s.Frame(p));  // GL initialisation left the scene dirty
  EXPECT_EQ(first.surface, 1);
  EXPECT_EQ(first.shading, 1);
  EXPECT_EQ(first.overlay, 1);

  TListCompileCounts turning;
  TRunControls run;
  run.rotate = 5;
  for (int i = 0; i < 6; ++i) {
    RunLoopStep(s.app, run);
    turning.Add(s.Frame(p));
  }
  EXPECT_DOUBLE_EQ(s.app.view.rot_y, 3.0);
  EXPECT_EQ(turning.surface, 6);
  EXPECT_EQ(turning.advections, 6);
  EXPECT_EQ(turning.shading, 0);
  EXPECT_EQ(turning.overlay, 0);
  EXPECT_EQ(turning.captures, 6);

  TListCompileCounts idle;
  for (int i = 0; i < 4; ++i) idle.Add(s.Frame(p));
  EXPECT_EQ(idle.surface + idle.shading + idle.overlay, 0);
  EXPECT_EQ(idle.captures, 4);  // the image keeps streaming from replayed lists
  EXPECT_EQ(advections, 7);     // the step runs only while list 1 is compiled
  EXPECT_EQ(noise, 11);
  EXPECT_EQ(TakeGLErrors(), "");
}

TEST(Frame, LockedTextureGoesThroughOneTwoZeroAndFreezesTheFrameTexture) {
  Scene s(frame_meshes::Sphere(1, 32, 16));
  s.c.shtexture = true;
  int advections = 0;
  TFramePasses p;
  p.advection_step = [&] { ++advections; };
  s.Frame(p);
  EXPECT_EQ(s.app.frame.tex_lock_state, 0);
  EXPECT_TRUE(Same(FrameTextureCorner(), kBackground));

  s.c.tex_lock = true;
  const int32_t other = MakeColor(200, 10, 10);
  s.c.background = other;
  std::vector<int> states;
  std::vector<TFrameReport> reports;
  for (int i = 0; i < 2; ++i) {
    s.app.frame.scene_dirty = true;  // a redraw request while locked
    reports.push_back(s.Frame(p));
    states.push_back(s.app.frame.tex_lock_state);
  }
  EXPECT_TRUE(Same(FrameTextureCorner(), kBackground));  // no capture while locked
  s.c.tex_lock = false;
  for (int i = 0; i < 3; ++i) {
    reports.push_back(s.Frame(p));
    states.push_back(s.app.frame.tex_lock_state);
  }
  EXPECT_EQ(states, (std::vector<int>{1, 1, 2, 0, 0}));
  EXPECT_FALSE(reports[0].compiled_surface || reports[0].compiled_overlay || reports[0].captured);
  EXPECT_TRUE(reports[2].compiled_surface && reports[2].captured && !reports[2].advected);
  EXPECT_TRUE(reports[3].compiled_surface && reports[3].advected);
  EXPECT_FALSE(reports[4].compiled_surface);
  EXPECT_EQ(advections, 2);  // first frame and the second frame after unlocking
  EXPECT_TRUE(Same(FrameTextureCorner(), other));
  EXPECT_EQ(TakeGLErrors(), "");
}

TEST(Frame, LockingWhileDraggingOnlyWithTheDragOption) {
  Scene s(frame_meshes::Sphere(1, 16, 8));
  s.c.shtexture = true;
  s.c.tex_lock_drag = true;
  s.Frame();
  s.app.mouse.mouse_mode = 1;
  s.Frame();
  EXPECT_EQ(s.app.frame.tex_lock_state, 1);
  s.app.mouse.mouse_mode = 0;
  s.Frame();
  EXPECT_EQ(s.app.frame.tex_lock_state, 2);
}

TEST(Frame, MarginLeavingNoViewportShowsTheBackgroundOnly) {
  Scene s(frame_meshes::Sphere(1, 16, 8));
  s.app.view.margin = kSize / 2;
  const TFrameReport r = s.Frame();
  EXPECT_FALSE(r.composed);
  EXPECT_EQ(TakeGLErrors(), "");
  EXPECT_TRUE(s.app.frame.scene_dirty);  // kept for the first frame with a viewport
  const std::vector<uint8_t> px = s.Pixels();
  for (int y = 0; y < kSize; y += 7)
    for (int x = 0; x < kSize; x += 7) ASSERT_TRUE(Same(s.At(px, x, y), kBackground)) << x << "," << y;
  s.app.view.margin = 20;
  EXPECT_TRUE(s.Frame().composed);
  EXPECT_EQ(s.app.matrices.viewport_rect[0], 20);
  EXPECT_EQ(s.app.matrices.viewport_rect[2], kSize - 40);
  EXPECT_TRUE(Same(s.At(s.Pixels(), 256, 256), MakeColor(255, 255, 255)));
}

TEST(Frame, NothingIsComposedBeforeTheGLStateIsInitialised) {
  TGLTestContext ctx(64, 64);
  TAppState app;
  TFrameControls c;
  c.background = kBackground;
  const TFrameReport r = DrawFrame(app, c, TFramePasses(), 64, 64);
  EXPECT_FALSE(r.composed);
  EXPECT_FALSE(glIsList(kSurfaceList));
  EXPECT_TRUE(Same(TGLTestContext::At(ctx.ReadRGB(), 64, 32, 32), kBackground));
}

TEST(Camera, StoredMatricesProjectTheCentreToTheViewportCentreAndUpAxisZPointsUp) {
  Scene s(frame_meshes::Sphere(1, 16, 8));
  s.c.camera.up_axis = UpAxis::Z;
  s.Frame();
  // Project (0, 0, 1): with Z up it must land above the centre.
  const double* mv = s.app.matrices.modelview_matrix;
  const double* pr = s.app.matrices.projection_matrix;
  auto project = [&](double x, double y, double z, double out[2]) {
    double e[4], c[4];
    for (int i = 0; i < 4; ++i) e[i] = mv[i] * x + mv[4 + i] * y + mv[8 + i] * z + mv[12 + i];
    for (int i = 0; i < 4; ++i) c[i] = pr[i] * e[0] + pr[4 + i] * e[1] + pr[8 + i] * e[2] + pr[12 + i] * e[3];
    out[0] = (c[0] / c[3] + 1) * kSize / 2;
    out[1] = (c[1] / c[3] + 1) * kSize / 2;
  };
  double o[2], up[2], y[2];
  project(0, 0, 0, o);
  project(0, 0, 1, up);
  project(0, 1, 0, y);
  EXPECT_NEAR(o[0], 256, 1e-3);
  EXPECT_NEAR(o[1], 256, 1e-3);
  EXPECT_NEAR(up[0], 256, 1e-3);
  EXPECT_GT(up[1], 300);
  EXPECT_NEAR(y[0], 256, 1e-3);  // +Y points away from the viewer
  EXPECT_NEAR(y[1], 256, 1e-3);
  EXPECT_EQ(s.app.matrices.viewport_rect[2], kSize);
  EXPECT_FLOAT_EQ(s.app.matrices.light_position[3], 0);
}

TEST(Camera, GLInitSetsTheOneTimeStateAndMarksTheSceneDirty) {
  TGLTestContext ctx(64, 48);
  TFrameState f;
  f.lighting_on = false;  // no frame has sampled "Lighting" yet: lighting is left off
  InitGLState(f, 64, 48);
  EXPECT_TRUE(f.gl_ready);
  EXPECT_TRUE(f.scene_dirty);
  EXPECT_EQ(TakeGLErrors(), "");
  GLint vp[4], i = 0;
  glGetIntegerv(GL_VIEWPORT, vp);
  EXPECT_EQ(vp[2], 64);
  EXPECT_EQ(vp[3], 48);
  GLdouble p[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);  // glFrustum(-0.5, 0.5, -0.5, 0.5, 1, 100)
  EXPECT_DOUBLE_EQ(p[0], 2.0);
  EXPECT_DOUBLE_EQ(p[5], 2.0);
  EXPECT_NEAR(p[10], -101.0 / 99, 1e-6);
  EXPECT_NEAR(p[14], -200.0 / 99, 1e-6);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
  glGetIntegerv(GL_DEPTH_FUNC, &i);
  EXPECT_EQ(i, GL_LEQUAL);
  glGetIntegerv(GL_CULL_FACE_MODE, &i);
  EXPECT_EQ(i, GL_BACK);
  glGetIntegerv(GL_COLOR_MATERIAL_FACE, &i);
  EXPECT_EQ(i, GL_FRONT_AND_BACK);
  glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &i);
  EXPECT_EQ(i, GL_AMBIENT_AND_DIFFUSE);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &i);
  EXPECT_EQ(i, GL_FASTEST);
  glGetIntegerv(GL_MATRIX_MODE, &i);
  EXPECT_EQ(i, GL_MODELVIEW);
  for (GLenum name : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
    glGetTexParameteriv(GL_TEXTURE_2D, name, &i);
    EXPECT_EQ(i, GL_REPEAT);
  }
  for (GLenum name : {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER}) {
    glGetTexParameteriv(GL_TEXTURE_2D, name, &i);
    EXPECT_EQ(i, GL_LINEAR);
  }
  f.lighting_on = true;
  InitGLState(f, 64, 48);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST(Camera, IsometricLoadsTheOrthographicBoxAndUpAxisXPointsDown) {
  TGLTestContext ctx(kSize, kSize);
  TAppState app;
  app.mesh = frame_meshes::Sphere(1, 16, 8);
  ResetView(app.mesh, app.view);
  TCameraControls c;
  c.iso = true;
  c.up_axis = UpAxis::X;
  ASSERT_TRUE(SetupCamera(app.view, app.matrices, c, kSize, kSize));
  ASSERT_EQ(TakeGLErrors(), "");
  const TView& v = app.view;
  EXPECT_NEAR(v.frustum_near, 0.01 * v.distance, 1e-12);
  const double* pr = app.matrices.projection_matrix;  // glOrtho over size x size (the GL keeps floats)
  EXPECT_NEAR(pr[0], 2 / v.size, 1e-6);
  EXPECT_NEAR(pr[5], 2 / v.size, 1e-6);
  EXPECT_NEAR(pr[10], -2 / (v.frustum_far - v.frustum_near), 1e-6);
  EXPECT_DOUBLE_EQ(pr[15], 1.0);
  // The light was placed while the model-view was the identity: GL holds it in eye space as given.
  GLfloat lp[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, lp);
  for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(lp[k], app.matrices.light_position[k]);
  // Up axis X: model +X maps to screen down, +Y to screen right (eye x, y of the model-view).
  const double* mv = app.matrices.modelview_matrix;
  EXPECT_NEAR(mv[0], 0, 1e-6);   // eye x of model +X
  EXPECT_NEAR(mv[1], -1, 1e-6);  // eye y of model +X
  EXPECT_NEAR(mv[4], 1, 1e-6);   // eye x of model +Y
  EXPECT_NEAR(mv[5], 0, 1e-6);
  EXPECT_NEAR(mv[14], -v.distance, 1e-5);
}

// The camera matrices computed without GL (used to shade Aux before the first
// frame) equal what a frame's camera set-up stores, for every up axis, turned
// and tilted, perspective and isometric.
TEST(Frame, CameraMatricesWithoutGLMatchTheFramesCameraSetUp) {
  Scene s(frame_meshes::Sphere(1, 16, 8));
  s.app.view.rot_x = 30;
  s.app.view.rot_y = -125;
  s.app.view.center[0] = 0.25f;
  s.app.view.margin = 7;
  for (UpAxis up : {UpAxis::X, UpAxis::Y, UpAxis::Z})
    for (bool iso : {false, true}) {
      s.c.camera.up_axis = up;
      s.c.camera.iso = iso;
      s.c.camera.lr_light = -35;
      ASSERT_TRUE(s.Begin());
      TStoredMatrices m;
      CameraMatricesOf(s.app.view, s.c.camera, kSize, kSize, m);
      for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.modelview_matrix[i], s.app.matrices.modelview_matrix[i], 1e-5) << i;
      for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(m.light_position[i], s.app.matrices.light_position[i]);
      for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m.projection_matrix[i], s.app.matrices.projection_matrix[i],
                    1e-5 * std::max(1.0, std::abs(m.projection_matrix[i])))
            << i;
      for (int i = 0; i < 4; ++i) EXPECT_EQ(m.viewport_rect[i], s.app.matrices.viewport_rect[i]) << i;
    }
}

TEST(Frame, ASurfaceWithABorderIsDrawnAndLitFromBothSidesAClosedOneFromOutside) {
  const struct {
    const char* what;
    bool closed;  // the border hidden from the adjacency: drawn as a closed surface is
    double turn;  // degrees about the vertical axis: 180 shows the square's back
    bool drawn;
  } cases[] = {
      {"border, front", false, 0, true},
      {"border, back", false, 180, true},
      {"closed, front", true, 0, true},
      {"closed, back", true, 180, false},
  };
  double front = -1;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    TMesh square = frame_meshes::Square(1, 8);
    BuildAdjacency(square);
    EXPECT_TRUE(square.open);
    if (k.closed) square.open = false;
    Scene s(std::move(square));
    ASSERT_TRUE(s.ctx.Ok());
    s.c.lighting = true;
    s.app.view.rot_y = k.turn;
    ASSERT_TRUE(s.Frame().composed);
    ASSERT_EQ(TakeGLErrors(), "");
    const TPixel p = s.At(s.Pixels(), kSize / 2, kSize / 2);
    EXPECT_EQ(!Same(p, kBackground), k.drawn);
    if (!k.drawn) continue;
    // Lit alike from either side: the light stands by the viewer.
    if (front < 0) front = p.r;
    EXPECT_GT(p.r, 100);
    EXPECT_NEAR(p.r, front, 2);
  }
  TMesh sphere = frame_meshes::Sphere(1, 24, 12);
  BuildAdjacency(sphere);
  EXPECT_FALSE(sphere.open);
}
