// The "Run" loop: frames while the button is down, rotation per frame, and the
// two ways it ends.
#include <QTimer>

#include "support/form_fixture.h"
#include "support/run_loop_stopper.h"

TEST_F(FormTest, RunDrawsFramesAndTurnsTheViewUntilReleased) {
  form->ud_rotate->SetPosition(5);
  const int64_t frames = form->diag.frames_drawn;
  const TRunLoopStopper stopper(*form, [&] { return form->state.frame.frame_counter >= 4; });
  QTest::mouseClick(form->sb_animate, Qt::LeftButton);  // returns when the loop ends
  EXPECT_FALSE(form->sb_animate->Down());
  const int loop_frames = form->state.frame.frame_counter;
  EXPECT_GT(loop_frames, 2);
  EXPECT_GE(form->diag.frames_drawn - frames, loop_frames);
  EXPECT_DOUBLE_EQ(form->state.view.rot_y, 0.5 * loop_frames);
}

TEST_F(FormTest, ARequestDuringRunRestartsTheFrameCount) {
  // A request after a few frames; then the loop runs on for a few more.
  int before_request = -1;
  const TRunLoopStopper stopper(
      *form,
      [&] {
        if (before_request < 0 && form->state.frame.frame_counter >= 5) {
          before_request = form->state.frame.frame_counter;
          form->RequestRedraw();
          EXPECT_EQ(form->state.frame.frame_counter, 0);  // counting again
        }
        return before_request >= 0 && form->state.frame.frame_counter >= 3;
      },
      [&] { form->sb_animate->click(); });
  form->sb_animate->click();
  EXPECT_FALSE(form->sb_animate->Down());
  EXPECT_GE(before_request, 5);
  EXPECT_GE(form->state.frame.frame_counter, 3);
  EXPECT_EQ(form->state.view.rot_y, 0.0);  // "Rotate" 0 turns nothing
}

TEST_F(FormTest, ClosingTheWindowEndsTheRunLoop) {
  int64_t frames_at_close = -1, requests_at_close = -1;
  const int64_t frames_before = form->diag.frames_drawn;
  const TRunLoopStopper stopper(
      *form, [&] { return form->diag.frames_drawn >= frames_before + 3; },
      [&] {
        form->close();
        frames_at_close = form->diag.frames_drawn;
        requests_at_close = form->diag.redraw_requests;
      });
  form->sb_animate->click();
  EXPECT_FALSE(form->sb_animate->Down());
  EXPECT_FALSE(form->isVisible());
  // The loop ended at its next test: no frame was drawn or requested after the close.
  ASSERT_GT(frames_at_close, 0);
  EXPECT_EQ(form->diag.frames_drawn, frames_at_close);
  EXPECT_EQ(form->diag.redraw_requests, requests_at_close);
}
