// TGLPanel on a real X display: lazy context creation, event order of the first
// paint, explicit redraws, and the floating-point guard.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <algorithm>
#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

#include "glpanel/glpanel.h"

namespace {

// Processes events until pred holds or two seconds pass.
template <class Pred>
bool WaitFor(Pred pred) {
  QElapsedTimer t;
  t.start();
  while (!pred() && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return pred();
}

struct Recorder {
  std::vector<std::string> calls;
  void Attach(TGLPanel& p) {
    p.OnGLInit = [this](TGLPanel*) { calls.push_back("init"); };
    p.OnResize = [this](TGLPanel*) { calls.push_back("resize"); };
    p.OnRedraw = [this](TGLPanel*) { calls.push_back("redraw"); };
  }
  int Count(const std::string& name) const { return int(std::count(calls.begin(), calls.end(), name)); }
};

}  // namespace

TEST(GLPanel, RedrawBeforeFirstPaintDoesNothingAndCreatesNoContext) {
  TGLPanel panel;
  Recorder rec;
  rec.Attach(panel);
  panel.resize(64, 48);
  panel.Redraw();
  panel.Redraw();
  EXPECT_FALSE(panel.ContextReady());
  EXPECT_EQ(panel.RenderContext(), nullptr);
  EXPECT_EQ(rec.Count("redraw"), 0);
  EXPECT_EQ(rec.Count("init"), 0);
}

TEST(GLPanel, FirstPaintRunsInitOnceThenResizeThenOneRedraw) {
  TGLPanel panel;
  Recorder rec;
  rec.Attach(panel);
  panel.resize(64, 48);
  panel.show();
  ASSERT_TRUE(WaitFor([&] { return panel.ContextReady() && rec.Count("redraw") > 0; }));
  // Resizes from the toolkit may come before the first paint; from the
  // context's creation on the order is fixed.
  auto it = std::find(rec.calls.begin(), rec.calls.end(), "init");
  ASSERT_NE(it, rec.calls.end());
  ASSERT_GE(rec.calls.end() - it, 3);
  EXPECT_EQ(*(it + 1), "resize");
  EXPECT_EQ(*(it + 2), "redraw");
  panel.Redraw();
  panel.Redraw();
  panel.requestUpdate();
  const int before = rec.Count("redraw");
  WaitFor([&] { return rec.Count("redraw") > before; });
  EXPECT_EQ(rec.Count("init"), 1);
  EXPECT_GE(rec.Count("redraw"), 4);
}

TEST(GLPanel, WithoutResizeHandlerFirstPaintOnlyInitialises) {
  TGLPanel panel;
  std::vector<std::string> calls;
  panel.OnGLInit = [&](TGLPanel*) { calls.push_back("init"); };
  panel.OnRedraw = [&](TGLPanel*) { calls.push_back("redraw"); };
  panel.resize(32, 32);
  panel.show();
  ASSERT_TRUE(WaitFor([&] { return panel.ContextReady(); }));
  // Later expose events may draw, but the creating paint itself ends after init.
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "init");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "init"), 1);
  const size_t n = calls.size();
  panel.Redraw();
  EXPECT_EQ(calls.size(), n + 1);
  EXPECT_EQ(calls.back(), "redraw");
}

TEST(GLPanel, DrawnClearColourReadsBackFromTheBackBuffer) {
  TGLPanel panel;
  panel.OnResize = [](TGLPanel*) {};
  panel.OnRedraw = [](TGLPanel* p) {
    glViewport(0, 0, p->Width(), p->Height());
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  };
  panel.resize(40, 30);
  panel.show();
  ASSERT_TRUE(WaitFor([&] { return panel.ContextReady(); }));
  panel.SwapBB = false;  // leave the image in the back buffer to read it
  panel.Redraw();
  unsigned char px[3] = {0, 0, 0};
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(panel.Width() / 2, panel.Height() / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  EXPECT_EQ(px[0], 255);
  EXPECT_NEAR(px[1], 128, 1);
  EXPECT_EQ(px[2], 0);
  GLint depth_bits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
  EXPECT_GE(depth_bits, 24);
}

TEST(GLPanel, DrawingRunsWithExceptionsMaskedAndFlagsCleared) {
  TGLPanel panel;
  panel.OnResize = [](TGLPanel*) {};
  int raised = 0;
  volatile double zero = 0;
  panel.OnRedraw = [&](TGLPanel*) {
    volatile double r = 1.0 / zero;  // would trap if exceptions were unmasked
    (void)r;
    raised = std::fetestexcept(FE_DIVBYZERO) ? 1 : 0;
  };
  panel.resize(16, 16);
  panel.show();
  ASSERT_TRUE(WaitFor([&] { return panel.ContextReady(); }));
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_DIVBYZERO);
  panel.Redraw();
  const int traps_after = fegetexcept();
  fedisableexcept(FE_ALL_EXCEPT);
  EXPECT_EQ(raised, 1);
  EXPECT_TRUE(traps_after & FE_DIVBYZERO);        // the caller's traps are restored
  EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO));  // no flag leaks out
}

TEST(GLPanel, GuardMasksEveryExceptionRestoresTheTrapsAndClearsAllFlags) {
  TGLPanel panel;
  panel.OnResize = [](TGLPanel*) {};
  int raised = 0;
  volatile double zero = 0, big = 1e308, tiny = 1e-308, three = 3;
  panel.OnRedraw = [&](TGLPanel*) {
    volatile double r = 1.0 / zero;  // division by zero
    r = zero / zero;                 // invalid
    r = big * big;                   // overflow (and inexact)
    r = tiny / big;                  // underflow
    r = 1.0 / three;                 // inexact
    (void)r;
    raised = std::fetestexcept(FE_ALL_EXCEPT);
  };
  panel.resize(16, 16);
  panel.show();
  ASSERT_TRUE(WaitFor([&] { return panel.ContextReady(); }));
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_INEXACT);  // a flag pending before the drawing
  const int traps = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW | FE_UNDERFLOW;
  feenableexcept(traps);
  panel.Redraw();
  const int traps_after = fegetexcept();
  const int flags_after = std::fetestexcept(FE_ALL_EXCEPT);
  fedisableexcept(FE_ALL_EXCEPT);
  EXPECT_EQ(raised, FE_ALL_EXCEPT);  // all five raised inside, none trapped
  EXPECT_EQ(traps_after, traps);     // the caller's traps are back
  EXPECT_EQ(flags_after, 0);         // no pending flag is left, the earlier one included
}

TEST(GLPanel, MouseEventsCarryButtonModifiersAndPosition) {
  TGLPanel panel;
  panel.resize(50, 40);
  std::vector<std::string> seen;
  TShiftState down_shift, move_shift;
  TMouseButton down_button = TMouseButton::Left, up_button = TMouseButton::Left;
  panel.OnMouseDown = [&](TGLPanel*, TMouseButton b, TShiftState s, int x, int y) {
    down_button = b;
    down_shift = s;
    seen.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  panel.OnMouseMove = [&](TGLPanel*, TShiftState s, int x, int y) {
    move_shift = s;
    seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  panel.OnMouseUp = [&](TGLPanel*, TMouseButton b, TShiftState, int, int) {
    up_button = b;
    seen.push_back("up");
  };
  const Qt::KeyboardModifiers mods = Qt::ShiftModifier | Qt::ControlModifier;
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 20), QPointF(10, 20), Qt::RightButton, Qt::RightButton, mods);
  QMouseEvent move(QEvent::MouseMove, QPointF(12, 25), QPointF(12, 25), Qt::NoButton, Qt::RightButton, Qt::AltModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(12, 25), QPointF(12, 25), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&panel, &press);
  QCoreApplication::sendEvent(&panel, &move);
  QCoreApplication::sendEvent(&panel, &release);
  EXPECT_EQ(seen, (std::vector<std::string>{"down 10,20", "move 12,25", "up"}));
  EXPECT_EQ(down_button, TMouseButton::Right);
  EXPECT_EQ(up_button, TMouseButton::Right);
  EXPECT_TRUE(down_shift.shift);
  EXPECT_TRUE(down_shift.ctrl);
  EXPECT_FALSE(down_shift.alt);
  EXPECT_TRUE(down_shift.right);
  EXPECT_TRUE(move_shift.alt);
  EXPECT_TRUE(move_shift.right);
  EXPECT_FALSE(move_shift.left);
}

// The centre pixel of the frame last drawn, as the panel keeps it.
static std::vector<int> LastFrameCentre(TGLPanel& panel) {
  unsigned char px[3] = {0, 0, 0};
  if (!panel.BeginReadLastFrame()) return {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(panel.Width() / 2, panel.Height() / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
  panel.EndReadLastFrame();
  return {px[0], px[1], px[2]};
}

// Both ways of keeping the swapped frame: copied by the GL, and read back.
TEST(GLPanel, AHeldPanelDrawsNothingNewAndRepaintsItsLastFrame) {
  for (const bool read_back : {false, true}) {
    SCOPED_TRACE(read_back ? "read back" : "copied");
    TGLPanel panel;
    panel.KeepByReadBack = read_back;
    Recorder rec;
    float green = 0;  // what the next frame clears to: (1 - green, green, 0)
    panel.OnResize = [](TGLPanel*) {};
    panel.OnRedraw = [&](TGLPanel* p) {
      rec.calls.push_back("redraw");
      glViewport(0, 0, p->Width(), p->Height());
      glClearColor(1 - green, green, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    };
    panel.resize(40, 30);
    panel.show();
    ASSERT_TRUE(WaitFor([&] { return panel.ContextReady(); }));
    panel.Redraw();
    ASSERT_EQ(LastFrameCentre(panel), (std::vector<int>{255, 0, 0}));
    const int drawn = rec.Count("redraw");
    green = 1;
    panel.Hold(true);
    panel.Redraw();
    panel.requestUpdate();  // a paint while held shows the kept frame again
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    panel.RenderContext()->makeCurrent(&panel);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(rec.Count("redraw"), drawn);
    EXPECT_EQ(LastFrameCentre(panel), (std::vector<int>{255, 0, 0}));
    panel.Hold(false);
    panel.Redraw();
    EXPECT_EQ(rec.Count("redraw"), drawn + 1);
    EXPECT_EQ(LastFrameCentre(panel), (std::vector<int>{0, 255, 0}));
  }
}

// A headless panel draws with no window system: init and resize once at the
// start, each Redraw into its framebuffer of the set size (read back as the
// last frame), paints and shows of the window draw nothing, and a new size
// takes effect at the next frame.
TEST(GLPanel, AHeadlessPanelDrawsIntoItsFramebufferOfTheSetSize) {
  TGLPanel panel;
  Recorder rec;
  rec.Attach(panel);
  float grey = 0.25f;
  panel.OnRedraw = [&](TGLPanel* p) {
    rec.calls.push_back("redraw");
    glViewport(0, 0, p->Width(), p->Height());
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  QString error;
  ASSERT_TRUE(panel.StartHeadless(QSize(40, 30), error)) << error.toStdString();
  EXPECT_FALSE(panel.StartHeadless(QSize(40, 30), error));  // once only
  EXPECT_EQ(rec.calls, (std::vector<std::string>{"init", "resize"}));
  EXPECT_TRUE(panel.Headless());
  EXPECT_EQ(panel.RenderContext(), nullptr);
  EXPECT_FALSE(panel.BeginReadLastFrame());  // nothing drawn yet
  panel.resize(64, 48);
  panel.show();
  panel.requestUpdate();
  QCoreApplication::processEvents();
  EXPECT_EQ(rec.Count("redraw"), 0);  // the window shows nothing of it
  struct TStep {
    QSize size;
    float grey;
  };
  for (const TStep& step : {TStep{QSize(40, 30), 0.25f}, TStep{QSize(24, 70), 0.75f}}) {
    panel.SetDrawSize(step.size);
    grey = step.grey;
    panel.Redraw();
    EXPECT_EQ(QSize(panel.Width(), panel.Height()), step.size);
    ASSERT_TRUE(panel.BeginReadLastFrame());
    uint8_t corner[4] = {0, 0, 0, 0};
    glReadPixels(step.size.width() - 1, step.size.height() - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    panel.EndReadLastFrame();
    EXPECT_EQ(corner[0], std::lround(step.grey * 255)) << step.size.width();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
  EXPECT_EQ(rec.Count("init"), 1);
}
