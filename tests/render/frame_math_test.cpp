// Texture-lock state machine, display-list decisions, frame-rate caption and
// the Run-loop step.
#include "render/frame_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// One frame of the lock machine followed by the end-of-frame flag reset.
TFramePlan Frame(TFrameState& f, bool locked, bool texture = true) {
  StepTextureLock(f, locked);
  TFramePlan p = PlanFrame(f, texture);
  f.scene_dirty = false;
  f.view_changed = false;
  return p;
}

}  // namespace

TEST(TextureLock, LockedByCheckBoxOrByDragWithTheDragOption) {
  EXPECT_TRUE(TextureLocked(true, false, 0));
  EXPECT_FALSE(TextureLocked(false, true, 0));
  EXPECT_TRUE(TextureLocked(false, true, 1));
  EXPECT_TRUE(TextureLocked(false, true, 4));
  EXPECT_FALSE(TextureLocked(false, false, 2));
}

TEST(TextureLock, LockThenUnlockGoesThroughOneTwoZeroWithTwoDirtyFrames) {
  TFrameState f;
  f.scene_dirty = true;  // a request arrives in the frame that locks
  TFramePlan p = Frame(f, true);
  EXPECT_EQ(f.tex_lock_state, 1);
  EXPECT_FALSE(p.compile_surface);  // the lock swallowed scene_dirty
  EXPECT_FALSE(p.compile_overlay);
  EXPECT_FALSE(p.inject_capture);

  p = Frame(f, true);
  EXPECT_EQ(f.tex_lock_state, 1);
  EXPECT_FALSE(p.compile_surface);

  p = Frame(f, false);  // unlock: catch-up frame, capture resumes, no advection
  EXPECT_EQ(f.tex_lock_state, 2);
  EXPECT_TRUE(p.compile_surface);
  EXPECT_FALSE(p.advect);
  EXPECT_TRUE(p.inject_capture);
  EXPECT_TRUE(p.compile_shading);
  EXPECT_TRUE(p.compile_overlay);

  p = Frame(f, false);  // second dirty frame: advection returns
  EXPECT_EQ(f.tex_lock_state, 0);
  EXPECT_TRUE(p.compile_surface);
  EXPECT_TRUE(p.advect);
  EXPECT_TRUE(p.compile_overlay);

  p = Frame(f, false);  // steady
  EXPECT_EQ(f.tex_lock_state, 0);
  EXPECT_FALSE(p.compile_surface);
  EXPECT_TRUE(p.inject_capture);
}

TEST(TextureLock, LockingFromTheCatchUpFrameLocksAgain) {
  TFrameState f;
  f.tex_lock_state = 2;
  f.scene_dirty = true;
  StepTextureLock(f, true);
  EXPECT_EQ(f.tex_lock_state, 1);
  EXPECT_FALSE(f.scene_dirty);
}

TEST(TextureLock, ViewChangeWhileLockedRecompilesOnlyTheSurfaceWithoutAdvection) {
  TFrameState f;
  f.tex_lock_state = 1;
  f.view_changed = true;
  StepTextureLock(f, true);
  TFramePlan p = PlanFrame(f, true);
  EXPECT_TRUE(p.compile_surface);
  EXPECT_FALSE(p.advect);
  EXPECT_FALSE(p.inject_capture);
  EXPECT_FALSE(p.compile_shading);
  EXPECT_FALSE(p.compile_overlay);
}

TEST(TextureLock, AFinishedTextureDragKeepsTheSurfaceRecompilingOnlyWhenNothingElseIsDirty) {
  TFrameState f;
  f.texture_dragged = true;
  StepTextureLock(f, false);
  EXPECT_TRUE(f.view_changed);
  f.view_changed = false;
  f.texture_dragged = false;
  StepTextureLock(f, false);
  EXPECT_FALSE(f.view_changed);
  // With scene_dirty set, view_changed is left alone (false stays false).
  f.scene_dirty = true;
  f.texture_dragged = true;
  StepTextureLock(f, false);
  EXPECT_FALSE(f.view_changed);
}

TEST(FramePlan, PureRotationRecompilesTheSurfaceListButNotShadingOrOverlays) {
  TFrameState f;
  f.view_changed = true;
  StepTextureLock(f, false);
  TFramePlan p = PlanFrame(f, true);
  EXPECT_TRUE(p.compile_surface);
  EXPECT_TRUE(p.advect);
  EXPECT_FALSE(p.compile_shading);
  EXPECT_FALSE(p.compile_overlay);
}

TEST(FramePlan, AnEndedSourceDragRecompilesOnlyTheOverlayList) {
  TFrameState f;
  f.overlay_dirty = true;
  StepTextureLock(f, false);
  const TFramePlan p = PlanFrame(f, true);
  EXPECT_TRUE(p.compile_overlay);
  EXPECT_FALSE(p.compile_surface);
  EXPECT_FALSE(p.compile_shading);
  f.tex_lock_state = 1;  // also while the texture is held
  EXPECT_TRUE(PlanFrame(f, true).compile_overlay);
}

TEST(FramePlan, TextureOffSkipsCaptureAndTheShadingList) {
  TFrameState f;
  f.scene_dirty = true;
  StepTextureLock(f, false);
  TFramePlan p = PlanFrame(f, false);
  EXPECT_TRUE(p.compile_surface);
  EXPECT_TRUE(p.compile_overlay);
  EXPECT_FALSE(p.inject_capture);
  EXPECT_FALSE(p.shading_pass);
  EXPECT_FALSE(p.compile_shading);
}

TEST(FrameRate, CaptionFormat) {
  EXPECT_EQ(FrameRateCaption(512, 512, 319), "512 x 512: 31.3 fps  ");
  EXPECT_EQ(FrameRateCaption(512, 512, 406), "512 x 512: 24.6 fps  ");
  EXPECT_EQ(FrameRateCaption(640, 480, 0), "640 x 480: INF fps  ");
  // One decimal, ties rounded up: 156.25, 31.25 and 0.25 fps are exact halves.
  EXPECT_EQ(FrameRateCaption(512, 512, 64), "512 x 512: 156.3 fps  ");
  EXPECT_EQ(FrameRateCaption(512, 512, 320), "512 x 512: 31.3 fps  ");
  EXPECT_EQ(FrameRateCaption(512, 512, 40000), "512 x 512: 0.3 fps  ");
  EXPECT_EQ(FrameRateCaption(512, 512, 1), "512 x 512: 10000.0 fps  ");
  EXPECT_EQ(FrameRateCaption(512, 512, 3), "512 x 512: 3333.3 fps  ");
  EXPECT_EQ(FrameRateCaption(512, 512, 7), "512 x 512: 1428.6 fps  ");
  EXPECT_EQ(FrameRateCaption(512, 512, 200000), "512 x 512: 0.1 fps  ");  // 0.05 rounds up
  EXPECT_EQ(FrameRateCaption(512, 512, 300000), "512 x 512: 0.0 fps  ");
}

TEST(FrameRate, CaptionEveryTenthFrameOverTheTicksSinceTheLast) {
  TFrameState f;
  f.fps_last_tick = 1000;
  std::string caption = "unchanged";
  for (int i = 1; i < 10; ++i) EXPECT_FALSE(CountFrameForRate(f, 1000 + 30 * i, 512, 512, caption));
  EXPECT_EQ(caption, "unchanged");
  EXPECT_TRUE(CountFrameForRate(f, 1400, 512, 512, caption));
  EXPECT_EQ(caption, "512 x 512: 25.0 fps  ");
  EXPECT_EQ(f.fps_frames, 0);
  EXPECT_EQ(f.fps_last_tick, 1400);
  for (int i = 1; i < 10; ++i) CountFrameForRate(f, 1400, 512, 512, caption);
  EXPECT_TRUE(CountFrameForRate(f, 1400, 512, 512, caption));  // ten frames within one tick
  EXPECT_EQ(caption, "512 x 512: INF fps  ");
}

TEST(RunLoop, RotationTurnsByTenthsOfADegreeAndMarksTheView) {
  TAppState app;
  TRunControls c;
  c.rotate = 5;
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(RunLoopStep(app, c));
  EXPECT_DOUBLE_EQ(app.view.rot_y, 2.0);
  EXPECT_TRUE(app.frame.view_changed);
  app.frame.view_changed = false;
  c.rotate = 0;
  RunLoopStep(app, c);
  EXPECT_FALSE(app.frame.view_changed);
}

TEST(RunLoop, TimeWrapsToTheFirstTimeValuePastTheLast) {
  TAppState app;
  app.mesh.time_count = 3;
  app.mesh.time_values = {0, 1, 2};
  app.view.time_step = 0.5;
  TRunControls c;
  c.time_animate = true;
  std::vector<double> seen;
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(RunLoopStep(app, c));
    seen.push_back(app.view.time);
  }
  EXPECT_EQ(seen, (std::vector<double>{0.5, 1, 1.5, 2, 0, 0.5}));
  app.view.time_step = 0;
  EXPECT_FALSE(RunLoopStep(app, c));
  app.view.time_step = 0.5;
  app.mesh.time_count = 1;
  EXPECT_FALSE(RunLoopStep(app, c));
}

// Frames until the picture before a change weighs under 2 % at "Alpha texture" a.
TEST(SettleFrames, EnoughForTheOldPictureToFadeBelowTwoPerCent) {
  const std::pair<int32_t, int32_t> rows[] = {{0, 0}, {-5, 0}, {10, 38}, {50, 6}, {100, 1}, {1, 200}};
  for (const auto& [alpha, frames] : rows) {
    EXPECT_EQ(SettleFrameCount(alpha), frames) << alpha;
    if (frames > 1 && frames < 200) {
      EXPECT_LT(std::pow(1 - alpha / 100.0, frames), 0.02) << alpha;
      EXPECT_GE(std::pow(1 - alpha / 100.0, frames - 1), 0.02) << alpha;
    }
  }
}
