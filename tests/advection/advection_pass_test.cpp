// Displacement of the vertices along their velocity and the upstream frame-texture
// coordinates in window pixels.
#include "advection/advection_pass.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPx = 1.0f / 256;  // one window pixel in object units under identity matrices on 512 x 512

// A mesh of loose vertices at the given positions (no faces: the pass is per vertex).
TMesh LooseVertices(std::initializer_list<TVec3> positions) {
  TMesh m;
  for (const TVec3& p : positions) {
    TVertex v{};
    v.pos = v.adv_pos = p;
    m.vertices.push_back(v);
  }
  m.vertex_count = static_cast<int32_t>(m.vertices.size());
  return m;
}

// Identity modelview and projection on a 512 x 512 viewport and frame texture:
// object (x, y) maps to window (256 + 256 x, 256 + 256 y).
struct Flat {
  TStoredMatrices m;
  TView view;
  Flat() {
    m.viewport_rect[2] = m.viewport_rect[3] = 512;
    view.tex_width = view.tex_height = 512;
  }
};

// Modelview: translation by (0, 0, -2); projection: frustum l = b = -1, r = t = 1,
// near 1, far 10. Window x = 256 (x / (2 - z) + 1), y likewise.
void Perspective(TStoredMatrices& m) {
  for (double& e : m.modelview_matrix) e = 0;
  for (double& e : m.projection_matrix) e = 0;
  m.modelview_matrix[0] = m.modelview_matrix[5] = m.modelview_matrix[10] = m.modelview_matrix[15] = 1;
  m.modelview_matrix[14] = -2;
  const double n = 1, f = 10;
  m.projection_matrix[0] = m.projection_matrix[5] = n;
  m.projection_matrix[10] = -(f + n) / (f - n);
  m.projection_matrix[11] = -1;
  m.projection_matrix[14] = -2 * f * n / (f - n);
}
void PerspectiveWindow(const TVec3& p, double& x, double& y) {
  x = 256 * (p.x / (2.0 - p.z) + 1);
  y = 256 * (p.y / (2.0 - p.z) + 1);
}

void TexCoords(TMesh& mesh, Flat& f, const TTexCoordParams& p) {
  bool dragged = false;
  ComputeTexCoords(mesh, f.m, f.view, dragged, p);
}

}  // namespace

TEST(AdvectionPass, DisplaceMovesVerticesInUseAlongTheirVelocity) {
  TMesh mesh = LooseVertices({{1, 2, 3}, {-1, 0, 0.5f}, {7, 7, 7}});
  mesh.vertices[0].velo = {10, -20, 0};
  mesh.vertices[1].velo = {0, 0, 4};
  mesh.vertices[2].velo = {1, 1, 1};
  mesh.vertex_count = 2;  // the third record is not in use
  DisplaceVertices(mesh, 0.01);
  EXPECT_FLOAT_EQ(mesh.vertices[0].adv_pos.x, 1.1f);
  EXPECT_FLOAT_EQ(mesh.vertices[0].adv_pos.y, 1.8f);
  EXPECT_FLOAT_EQ(mesh.vertices[0].adv_pos.z, 3);
  EXPECT_FLOAT_EQ(mesh.vertices[1].adv_pos.z, 0.54f);
  EXPECT_FLOAT_EQ(mesh.vertices[2].adv_pos.x, 7);
}

TEST(AdvectionPass, ZeroFlowSamplesTheTextureAtTheVertexOwnProjection) {
  for (bool warp : {true, false}) {
    for (bool scale_up : {true, false}) {
      Flat f;
      Perspective(f.m);
      TMesh mesh = LooseVertices({{1, 0, 0}, {0.3f, -0.5f, 1}, {-0.7f, 0.2f, -3}});
      TexCoords(mesh, f, {30, scale_up, warp, true});
      for (const TVertex& v : mesh.vertices) {
        double x, y;
        PerspectiveWindow(v.pos, x, y);
        EXPECT_NEAR(v.tex[0], x / 512, 1e-6) << warp << scale_up;
        EXPECT_NEAR(v.tex[1], y / 512, 1e-6);
        EXPECT_EQ(v.adv_pos.x, v.pos.x);
        EXPECT_EQ(v.adv_pos.z, v.pos.z);
      }
      EXPECT_FLOAT_EQ(mesh.vertices[0].tex[0], 384.0f / 512);  // x / (2 - z) = 1/2
    }
  }
}

TEST(AdvectionPass, WorkedExampleMovesTheTextureUpstream) {
  Flat f;
  // pos projects to (256, 256); adv_pos to (260, 256) and (258, 256).
  TMesh mesh = LooseVertices({{0, 0, 0}, {0, 0, 0}});
  mesh.vertices[0].adv_pos = {4 * kPx, 0, 0};
  mesh.vertices[1].adv_pos = {2 * kPx, 0, 0};
  TexCoords(mesh, f, {30, true, true, true});
  EXPECT_EQ(mesh.vertices[0].tex[0], 0.494140625f);  // 253 / 512
  EXPECT_EQ(mesh.vertices[0].tex[1], 0.5f);
  EXPECT_EQ(mesh.vertices[1].tex[0], 253.0f / 512);  // rescaled up by 1.5
  EXPECT_EQ(mesh.vertices[0].adv_pos.x, 0.0f);       // geometry drawn undisplaced
  EXPECT_EQ(mesh.vertices[1].adv_pos.x, 0.0f);

  mesh.vertices[0].adv_pos = {4 * kPx, 0, 0};
  mesh.vertices[1].adv_pos = {2 * kPx, 0, 0};
  TexCoords(mesh, f, {30, false, true, true});
  EXPECT_EQ(mesh.vertices[0].tex[0], 0.494140625f);  // 16 > 9: cut to 3 pixels
  EXPECT_EQ(mesh.vertices[1].tex[0], 254.0f / 512);  // the full 2 pixels
  EXPECT_EQ(mesh.vertices[1].tex[1], 0.5f);
}

TEST(AdvectionPass, ScaleUpGivesExactlyDispMaxAgainstTheProjectedFlowWhateverTheSpeed) {
  Flat f;
  Perspective(f.m);
  TMesh mesh = LooseVertices({{0.1f, 0.2f, 0}, {-0.5f, 0.4f, 0.5f}, {0.8f, -0.6f, -1}, {0, 0, 0}});
  const TVec3 velo[] = {{0.05f, 0, 0}, {0.3f, -0.2f, 0.1f}, {-2, 5, 0.5f}, {0, 0.00001f, 0}};
  for (int disp_max : {1, 30, 100}) {
    for (size_t i = 0; i < mesh.vertices.size(); ++i) mesh.vertices[i].velo = velo[i];
    DisplaceVertices(mesh, 0.01);
    double s1[4], t1[4];
    for (size_t i = 0; i < 4; ++i) PerspectiveWindow(mesh.vertices[i].adv_pos, s1[i], t1[i]);
    TexCoords(mesh, f, {disp_max, true, true, true});
    for (size_t i = 0; i < 3; ++i) {  // vertex 3 moves by less than 0.01 pixel
      double s, t;
      PerspectiveWindow(mesh.vertices[i].pos, s, t);
      const double ds = mesh.vertices[i].tex[0] * 512.0 - s, dt = mesh.vertices[i].tex[1] * 512.0 - t;
      EXPECT_NEAR(std::hypot(ds, dt), disp_max / 10.0, 2e-3) << i;
      const double along = ds * (s1[i] - s) + dt * (t1[i] - t);
      EXPECT_NEAR(along / std::hypot(s1[i] - s, t1[i] - t), -disp_max / 10.0, 2e-3) << i;  // straight upstream
    }
    double s, t;
    PerspectiveWindow(mesh.vertices[3].pos, s, t);
    EXPECT_NEAR(mesh.vertices[3].tex[1] * 512.0, t, 1e-4);  // factor 0.0001 on a tiny displacement
  }
}

TEST(AdvectionPass, GeometryWarpLimitsTheObjectDisplacementAndKeepsTheTexture) {
  Flat f;
  TMesh mesh = LooseVertices({{0, 0, 0}, {0.5f, 0.5f, 0}});
  mesh.vertices[0].adv_pos = {4 * kPx, 0, 0.25f};  // 4 pixels on screen
  mesh.vertices[1].adv_pos = {0.5f, 0.5f + 2 * kPx, 0};
  TexCoords(mesh, f, {30, false, false, true});
  EXPECT_FLOAT_EQ(mesh.vertices[0].adv_pos.x, 3 * kPx);         // cut to 3 pixels in object space
  EXPECT_FLOAT_EQ(mesh.vertices[0].adv_pos.z, 0.1875f);         // the whole vector scales by 3/4
  EXPECT_FLOAT_EQ(mesh.vertices[1].adv_pos.y, 0.5f + 2 * kPx);  // short: kept
  EXPECT_EQ(mesh.vertices[0].tex[0], 0.5f);                     // texture at pos's projection
  EXPECT_EQ(mesh.vertices[1].tex[0], 384.0f / 512);
  mesh.vertices[1].adv_pos = {0.5f, 0.5f + 2 * kPx, 0};
  TexCoords(mesh, f, {30, true, false, true});
  EXPECT_FLOAT_EQ(mesh.vertices[1].adv_pos.y, 0.5f + 3 * kPx);  // scaled up to 3 pixels
}

TEST(AdvectionPass, DragOffsetIsAppliedByExactlyOneComputation) {
  Flat f;
  TMesh mesh = LooseVertices({{0, 0, 0}});
  f.view.drag_offset_s = 0.125;
  f.view.drag_offset_t = -0.25;
  bool dragged = false;
  ComputeTexCoords(mesh, f.m, f.view, dragged, {30, true, true, false});  // "Drag texture" clear
  EXPECT_EQ(mesh.vertices[0].tex[0], 0.5f);
  EXPECT_EQ(f.view.drag_offset_s, 0.125);
  EXPECT_FALSE(dragged);
  ComputeTexCoords(mesh, f.m, f.view, dragged, {30, true, true, true});
  EXPECT_EQ(mesh.vertices[0].tex[0], 0.625f);
  EXPECT_EQ(mesh.vertices[0].tex[1], 0.25f);
  EXPECT_EQ(f.view.drag_offset_s, 0);
  EXPECT_EQ(f.view.drag_offset_t, 0);
  EXPECT_TRUE(dragged);
  ComputeTexCoords(mesh, f.m, f.view, dragged, {30, true, true, true});
  EXPECT_EQ(mesh.vertices[0].tex[0], 0.5f);
  EXPECT_FALSE(dragged);
  dragged = true;
  ComputeTexCoords(mesh, f.m, f.view, dragged, {30, true, true, false});
  EXPECT_TRUE(dragged);  // left as it was
}

TEST(AdvectionPass, ViewportInsetByTheMarginMapsCornersInside) {
  Flat f;
  f.m.viewport_rect[0] = f.m.viewport_rect[1] = 10;
  f.m.viewport_rect[2] = 492;
  f.m.viewport_rect[3] = 300;
  TMesh mesh = LooseVertices({{-1, -1, 0}, {1, 1, 0}});
  TexCoords(mesh, f, {30, true, true, true});
  EXPECT_EQ(mesh.vertices[0].tex[0], 10.0f / 512);
  EXPECT_EQ(mesh.vertices[0].tex[1], 10.0f / 512);
  EXPECT_EQ(mesh.vertices[1].tex[0], 502.0f / 512);
  EXPECT_EQ(mesh.vertices[1].tex[1], 310.0f / 512);
}

TEST(AdvectionPass, ZeroClipWAndEmptyTextureSizeDoNotDivideByZero) {
  Flat f;
  f.m.projection_matrix[15] = 0;  // every clip w is exactly 0: counts as 1
  f.view.tex_width = 0;           // counts as 1: tex in window pixels
  TMesh mesh = LooseVertices({{0.5f, 0, 0}});
  TexCoords(mesh, f, {30, true, true, true});
  EXPECT_EQ(mesh.vertices[0].tex[0], 384.0f);
  EXPECT_EQ(mesh.vertices[0].tex[1], 0.5f);
}

// Seen through the camera of the captured frame (flat) while this frame looks
// in perspective: the texture is looked up where the captured frame showed
// each vertex, in both warp modes, the displacement still measured in this
// frame, and a drag offset of the same frame is not added on top. The same
// camera on both sides gives what no camera gives.
TEST(AdvectionPass, CoordinatesLookThroughTheCameraOfTheCapturedFrame) {
  struct Row {
    bool warp;
    bool reseen;  // the captured frame's camera differs from this frame's
  };
  for (const Row r : {Row{true, true}, Row{false, true}, Row{true, false}, Row{false, false}}) {
    SCOPED_TRACE(testing::Message() << "warp " << r.warp << " reseen " << r.reseen);
    Flat now;
    Perspective(now.m);
    const TStoredMatrices captured = r.reseen ? Flat().m : now.m;
    TMesh mesh = LooseVertices({{0.5f, 0.25f, 0}, {-0.4f, 0.1f, 0.5f}});
    TMesh alone = mesh;
    now.view.drag_offset_s = 0.125;
    bool dragged = false;
    EXPECT_EQ(ComputeTexCoords(mesh, now.m, now.view, dragged, {30, true, r.warp, true}, &captured), r.reseen);
    EXPECT_EQ(dragged, !r.reseen);
    now.view.drag_offset_s = 0.125;
    ComputeTexCoords(alone, now.m, now.view, dragged, {30, true, r.warp, true});
    for (int i = 0; i < 2; ++i) {
      const TVertex& v = mesh.vertices[i];
      const double seen_s = r.reseen ? (256 + 256 * v.pos.x) / 512 : alone.vertices[i].tex[0] - 0.125;
      const double seen_t = r.reseen ? (256 + 256 * v.pos.y) / 512 : alone.vertices[i].tex[1];
      // No flow: the displacement is the 0.0001 of a still vertex, far below a texel.
      EXPECT_NEAR(v.tex[0], r.reseen ? seen_s : seen_s + 0.125, 1e-5);
      EXPECT_NEAR(v.tex[1], seen_t, 1e-5);
    }
  }
}
