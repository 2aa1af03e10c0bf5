// Real mouse events on the GL panel's window: turning, zooming and panning the
// view, grabbing and dragging flow sources, and the texture drag.
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

#include "flow/view_unproject.h"
#include "interaction/view_drag_math.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

// Panel pixel (origin top left) where the last frame showed object point p.
QPoint PixelOf(const TForm1& f, const TVec3& p) {
  const double obj[3] = {p.x, p.y, p.z};
  double win[3] = {0, 0, 0};
  EXPECT_TRUE(ProjectObjectPoint(obj, f.state.matrices, win));
  return QPoint(int(std::lround(win[0])), f.GLPanel1->Height() - int(std::lround(win[1])));
}

TVec3 Minus(const TVec3& a, const TVec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Pixels of the last frame shown in the guide lines' colour (1, 1, 0.8) within
// `dx` columns of x, between rows y0 and y1 (top-down).
int GuidePixels(TForm1& f, int x, int y0, int y1, int dx) {
  const QImage img = f.GrabFrameBitmap().convertToFormat(QImage::Format_RGB888);
  int n = 0;
  for (int y = std::max(0, y0); y <= std::min(img.height() - 1, y1); ++y)
    for (int c = std::max(0, x - dx); c <= std::min(img.width() - 1, x + dx); ++c) {
      const QColor p = img.pixelColor(c, y);
      n += p.red() == 255 && p.green() == 255 && std::abs(p.blue() - 204) <= 1;
    }
  return n;
}

}  // namespace

class MouseTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
    ASSERT_GT(form->state.mesh.vertex_count, 0);
    panel = form->GLPanel1;
    h = panel->Height();
  }
  void Press(Qt::MouseButton b, QPoint at, Qt::KeyboardModifiers k = {}) { QTest::mousePress(panel, b, k, at); }
  void Move(QPoint to) { QTest::mouseMove(panel, to); }
  void Release(Qt::MouseButton b, QPoint at) { QTest::mouseRelease(panel, b, {}, at); }
  // "Add flow": the default line, upright in front of the sphere at the view's centre, selected.
  const TFlowSource& AddLine() {
    form->but_add_flow->Click();
    EXPECT_EQ(form->state.sources.source_count, 1);
    return form->state.sources.flow_sources[1];
  }

  TGLPanel* panel = nullptr;
  int h = 0;
};

TEST_F(MouseTest, LeftDragTurnsOneDegreePerPixelWithoutRecompilingTheScene) {
  TView& v = form->state.view;
  form->state.frame.frame_counter = 7;
  const TListCompileCounts before = form->diag.list_compiles;
  const int64_t frames = form->diag.frames_drawn;
  Press(Qt::LeftButton, {100, 300});
  EXPECT_EQ(form->state.mouse.mouse_mode, 1);
  Move({130, 300});
  EXPECT_EQ(v.rot_y, -30);
  EXPECT_EQ(v.rot_x, 0);
  Move({130, 200});  // up 100 pixels: 100 degrees, held short of the right angle
  EXPECT_DOUBLE_EQ(v.rot_x, 89.99);
  // Press and both moves each drew a frame that recompiled the surface list.
  // (The window system may add a paint of its own, which after a texture drag
  // recompiles the surface list too; it never touches the overlay list.)
  EXPECT_GE(form->diag.frames_drawn, frames + 3);
  EXPECT_EQ(form->diag.list_compiles.overlay, before.overlay);
  EXPECT_GE(form->diag.list_compiles.surface, before.surface + 3);
  EXPECT_EQ(form->state.frame.frame_counter, 7);
  Release(Qt::LeftButton, {130, 200});
  EXPECT_EQ(form->state.mouse.mouse_mode, 0);
  Move({300, 300});
  EXPECT_EQ(v.rot_y, -30);
}

TEST_F(MouseTest, RightDragUpByHalfThePanelDoublesTheSizeAndZoomPastZeroIsIgnored) {
  TView& v = form->state.view;
  const double size = v.size;
  Press(Qt::RightButton, {100, 400});
  Move({100, 400 - h / 2});
  EXPECT_NEAR(v.size, size * (2.0 * (h / 2) / h + 1), 1e-9 * size);
  Release(Qt::RightButton, {100, 400 - h / 2});
  const double doubled = v.size;
  Press(Qt::RightButton, {100, 0});
  const int64_t frames = form->diag.frames_drawn;
  Move({100, h});  // the bottom edge is still inside the panel: f = -1, ignored
  // The move draws its frame (a paint the window system adds may come too).
  EXPECT_GE(form->diag.frames_drawn, frames + 1);
  EXPECT_EQ(form->state.mouse.mouse_mode, 2);
  EXPECT_EQ(v.size, doubled);
  Release(Qt::RightButton, {100, h});
}

TEST_F(MouseTest, MiddleDragPansTheCentreAlongWithThePointer) {
  TView& v = form->state.view;
  const float c0[3] = {v.center[0], v.center[1], v.center[2]};
  const int vp_w = form->state.matrices.viewport_rect[2];
  const int64_t overlays = form->diag.list_compiles.overlay;
  Press(Qt::MiddleButton, {256, 256});
  Move({296, 236});
  // Seen from the front the visible width at the centre is `size`.
  EXPECT_NEAR(v.center[0] - c0[0], -40.0 / vp_w * v.size, 1e-3 * v.size);
  EXPECT_NEAR(v.center[1] - c0[1], -20.0 / vp_w * v.size, 1e-3 * v.size);
  EXPECT_NEAR(v.center[2], c0[2], 1e-4 * v.size);
  EXPECT_EQ(form->diag.list_compiles.overlay, overlays);
  Release(Qt::MiddleButton, {296, 236});
}

TEST_F(MouseTest, PressOnTheSegmentDragsBothEndsAndOnAnEndSphereOnlyThatEnd) {
  const TFlowSource& s = AddLine();
  ASSERT_GT(s.radius, 0);  // written by the glyph pass of the frames just drawn
  const TVec3 p0 = s.p0, p1 = s.p1;
  const TVec3 mid{(p0.x + p1.x) / 2, (p0.y + p1.y) / 2, (p0.z + p1.z) / 2};
  const int64_t overlays = form->diag.list_compiles.overlay;
  QPoint at = PixelOf(*form, mid);
  Press(Qt::LeftButton, at);
  EXPECT_EQ(form->state.mouse.mouse_mode, 4);
  EXPECT_EQ(form->state.sources.selected_handle, 3);
  Move(at + QPoint(25, 15));
  Release(Qt::LeftButton, at + QPoint(25, 15));
  const TVec3 d0 = Minus(s.p0, p0), d1 = Minus(s.p1, p1);
  EXPECT_GT(d0.x, 0);
  EXPECT_LT(d0.y, 0);
  EXPECT_FLOAT_EQ(d0.z, 0);  // the view looks along -z: the plane of z through the grab point
  EXPECT_NEAR(d1.x, d0.x, 1e-6);
  EXPECT_NEAR(d1.y, d0.y, 1e-6);
  EXPECT_GT(form->diag.list_compiles.overlay, overlays);  // a source drag recompiles the scene

  const TVec3 q0 = s.p0, q1 = s.p1;
  at = PixelOf(*form, q1);
  Press(Qt::LeftButton, at);
  EXPECT_EQ(form->state.sources.selected_handle, 2);
  Move(at + QPoint(-30, 0));
  Release(Qt::LeftButton, at + QPoint(-30, 0));
  EXPECT_EQ(s.p0.x, q0.x);
  EXPECT_EQ(s.p0.y, q0.y);
  EXPECT_LT(s.p1.x, q1.x);
  EXPECT_NEAR(s.p1.y, q1.y, 1e-3 * form->state.mesh.box_size);
}

TEST_F(MouseTest, PressBesideGlyphsKeepsTheSelectionAndHiddenGlyphsCannotBeGrabbed) {
  const TFlowSource& s = AddLine();
  const TVec3 p1 = s.p1;
  Press(Qt::LeftButton, {3, 3});
  EXPECT_EQ(form->state.mouse.mouse_mode, 1);
  EXPECT_EQ(form->state.sources.selected_source, 1);
  Release(Qt::LeftButton, {3, 3});

  form->cb_showelements->SetChecked(false);
  const QPoint at = PixelOf(*form, p1);
  const double rot_y = form->state.view.rot_y;
  Press(Qt::LeftButton, at);
  EXPECT_EQ(form->state.mouse.mouse_mode, 1);
  Move(at + QPoint(10, 0));
  Release(Qt::LeftButton, at + QPoint(10, 0));
  EXPECT_EQ(form->state.view.rot_y, rot_y - 10);
  EXPECT_EQ(s.p1.x, p1.x);
}

TEST_F(MouseTest, TextureDragFollowsTheCheckBox) {
  form->cbshtexture->SetChecked(false);  // nothing consumes the one-shot offsets
  TView& v = form->state.view;
  form->cb_drag_texture->SetChecked(false);
  v.drag_offset_s = 0.125;
  v.noise_offset_s = 0.5;
  for (Qt::MouseButton b : {Qt::LeftButton, Qt::MiddleButton}) {
    Press(b, {200, 200});
    Move({216, 210});
    Release(b, {216, 210});
  }
  EXPECT_EQ(v.drag_offset_s, 0.125);
  EXPECT_EQ(v.drag_offset_t, 0);
  EXPECT_EQ(v.noise_offset_s, 0.5);
  EXPECT_EQ(v.noise_offset_t, 0);

  form->cb_drag_texture->SetChecked(true);
  Press(Qt::LeftButton, {200, 200});
  Move({216, 210});
  EXPECT_DOUBLE_EQ(v.drag_offset_s, -16.0 / panel->Width());
  EXPECT_DOUBLE_EQ(v.drag_offset_t, 10.0 / h);
  EXPECT_DOUBLE_EQ(v.noise_offset_s, 0.5 - 16 * (10.0 / 25) / 64);
  EXPECT_DOUBLE_EQ(v.noise_offset_t, 10 * (10.0 / 25) / 64);
  Release(Qt::LeftButton, {216, 210});
}

TEST_F(MouseTest, WheelZoomsAsTheRightDragItStandsFor) {
  TView& v = form->state.view;
  const double size = v.size;
  // Wheel delta (eighths of a degree) and whether it zooms in (a smaller view size).
  const struct {
    int delta;
    bool zooms_in;
  } rows[] = {{120, true}, {-120, false}, {360, true}, {-240, false}, {60, true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.delta);
    v.size = size;
    const int64_t frames = form->diag.frames_drawn;
    const QPointF at(100, 300);
    QWheelEvent wheel(at, panel->mapToGlobal(at), QPoint(), QPoint(0, r.delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(panel, &wheel);
    const double by_wheel = v.size;
    EXPECT_GE(form->diag.frames_drawn, frames + 1);
    EXPECT_EQ(by_wheel < size, r.zooms_in) << by_wheel << " from " << size;
    v.size = size;
    const int drag = WheelZoomDrag(r.delta, h);
    ASSERT_NE(drag, 0);
    Press(Qt::RightButton, {100, 300});
    Move({100, 300 + drag});
    Release(Qt::RightButton, {100, 300 + drag});
    EXPECT_DOUBLE_EQ(v.size, by_wheel);
  }
  // One notch forward and one back: 0.9 and 1.1 of the size (the drag is a
  // twentieth of the panel's height, rounded to whole pixels).
  v.size = size;
  form->GLPanel1MouseWheel(panel, TShiftState(), 100, 300, 120);
  EXPECT_NEAR(v.size, size * (1 - 2.0 * std::lround(h / 20.0) / h), 1e-9 * size);
  EXPECT_NEAR(v.size / size, 0.9, 0.01);
}

TEST_F(MouseTest, ANewSourceIsInViewGrabbedBesideItsEndSphereAndShiftDragMovesItInDepth) {
  const TFlowSource& s = AddLine();
  const QPoint end = PixelOf(*form, s.p1), start = PixelOf(*form, s.p0);
  for (const QPoint& p : {end, start}) {
    EXPECT_TRUE(p.x() > 10 && p.x() < panel->Width() - 10 && p.y() > 10 && p.y() < h - 10) << p.x() << ", " << p.y();
  }
  // A press 2 pixels outside the drawn outline of the upper end sphere grabs that end.
  const double radius_px = s.radius / PixelSpanAt(form->state.matrices, s.p1, 1);
  ASSERT_GT(radius_px, 3);
  const QPoint beside = end + QPoint(int(std::ceil(radius_px)) + 2, 0);
  Press(Qt::LeftButton, beside);
  ASSERT_EQ(form->state.mouse.mouse_mode, 4);
  EXPECT_EQ(form->state.sources.selected_handle, 2);
  // Shift-drag upwards: the end moves away from the viewer (-z), nowhere else.
  const TVec3 p1 = s.p1;
  const QPoint to = beside + QPoint(0, -30);
  QMouseEvent move(QEvent::MouseMove, to, panel->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  QCoreApplication::sendEvent(panel, &move);
  EXPECT_EQ(form->state.mouse.drag_axis, 3);
  EXPECT_NEAR(p1.z - s.p1.z, 30 * PixelSpanAt(form->state.matrices, p1, 1), 0.05 * form->state.mesh.box_size);
  EXPECT_GT(p1.z - s.p1.z, 0.02 * form->state.mesh.box_size);
  EXPECT_FLOAT_EQ(s.p1.x, p1.x);
  EXPECT_FLOAT_EQ(s.p1.y, p1.y);
  // The guide line from the lower end down to the floor shows during the drag and not after it.
  const QPoint low = PixelOf(*form, s.p0);
  EXPECT_GT(GuidePixels(*form, low.x(), low.y() + 20, low.y() + 60, 3), 10);
  const int64_t overlays = form->diag.list_compiles.overlay;
  Release(Qt::LeftButton, beside);  // where the press left the pointer as far as the window system knows
  EXPECT_EQ(form->state.mouse.mouse_mode, 0);
  EXPECT_EQ(form->diag.list_compiles.overlay, overlays + 1);  // the release alone rebuilt the overlay list
  EXPECT_EQ(GuidePixels(*form, low.x(), low.y() + 20, low.y() + 60, 3), 0);
}
