// Frame driver: one frame per GL panel redraw, and the "Run" loop.
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <chrono>

#include "glpanel/glpanel.h"
#include "render/frame_gl.h"
#include "render/frame_math.h"
#include "window/form1.h"

namespace {

// The millisecond tick counter of the frame-rate label.
int64_t TickMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

// One frame, in this order: shade into Aux when the view changed and "Add shade
// to data" is checked; frame-rate label every tenth frame of the "Run" loop; the selected flow
// source takes the editing controls; then clear, camera and light, the
// composition of lists 1, 6 and 2, and scene_dirty / view_changed consumed.
// The noise textures are rebuilt first when noise_dirty is set.
void TForm1::GLPanel1Redraw(QObject*) {
  ++diag.frames_drawn;
  const int w = GLPanel1->Width();
  const int h = GLPanel1->Height();
  if (state.frame.view_changed && cb_add_shade_to_data->Checked()) AddShadeToAux(true);
  std::string caption;
  if (sb_animate->Down() && CountFrameForRate(state.frame, TickMs(), w, h, caption))
    lab_fps->setText(QString::fromStdString(caption));
  if (state.frame.noise_dirty) BuildNoiseTextures();
  StoreFlowControls();
  const bool changed = state.frame.scene_dirty || state.frame.view_changed;
  diag.last_frame = DrawFrame(state, FrameCtl(), passes_, w, h);
  diag.list_compiles.Add(diag.last_frame);
  if (changed && diag.last_frame.captured && settle_after_changes && run_step_ == 0 && !sb_animate->Down() &&
      !recording_ && !sequence_writing_) {
    settle_owed_ = SettleFrameCount(ud_alpha_text->Position());
    QueueSettleFrame();
  }
}

// The next owed frame, at the next turn of the event loop (once).
void TForm1::QueueSettleFrame() {
  if (settle_queued_ || settle_owed_ <= 0) return;
  settle_queued_ = true;
  QTimer::singleShot(0, this, [this] { SettleFrame(); });
}

// One of the frames owed after a change, unless "Run" or a movie draws
// frames meanwhile. The last one ends the wait of FinishSettling.
void TForm1::SettleFrame() {
  settle_queued_ = false;
  if (settle_owed_ <= 0 || sb_animate->Down() || recording_ || !isVisible()) {
    settle_owed_ = 0;
    if (settling_loop_) settling_loop_->quit();
    return;
  }
  --settle_owed_;
  GLPanel1->Redraw();
  if (settle_owed_ <= 0 && settling_loop_) settling_loop_->quit();
  QueueSettleFrame();
}

// The frames still owed are drawn one per turn of an event loop of the
// picture command's own that takes no user input (as a mesh load waits), so
// the window keeps painting and its timers run: up to 200 frames of a large
// view (a low "Alpha texture") stopped it for many seconds when drawn at once.
// Without a shown window they are drawn at once.
void TForm1::FinishSettling() {
  if (settle_owed_ > 0 && !sb_animate->Down() && isVisible() && !settling_loop_) {
    QEventLoop loop;
    settling_loop_ = &loop;
    QueueSettleFrame();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    settling_loop_ = nullptr;
  }
  while (settle_owed_ > 0 && !sb_animate->Down()) {
    --settle_owed_;
    GLPanel1->Redraw();
  }
  settle_owed_ = 0;
}

// One step of the "Run" loop: draw a frame, turn the view by the "Rotate"
// step (0.1 degree units) and, for time-dependent data with "Animate"
// checked, advance the time (then the vertex data follow the new time, the
// channel values are re-evaluated and the scene is marked dirty).
void TForm1::RunLoopFrame() {
  ++state.frame.frame_counter;
  ++run_step_;
  GLPanel1->Redraw();
  --run_step_;
  settle_owed_ = 0;  // the loop's own frames move the texture on
  if (RunLoopStep(state, {ud_rotate->Position(), cb_time_animate->Checked()})) {
    RunLoopTimeStep();
    RefreshRenderState(false);
    state.frame.scene_dirty = true;
  }
}

// The "Run" loop: while sb_animate is down, one RunLoopFrame, then pending
// window messages run. A click that raises the button, or closing the window
// (FormClose raises it), ends the loop at its next test; the nested click
// handler finds the button up and returns at once.
void TForm1::sb_animateClick(QObject*) {
  if (!sb_animate->Down()) return;
  // The rate is measured from the loop's start, never over the idle time before it.
  state.frame.fps_frames = 0;
  state.frame.fps_last_tick = TickMs();
  while (sb_animate->Down() && !QCoreApplication::closingDown()) {
    RunLoopFrame();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  // Idle frames measure no rate: the label goes back to its empty caption.
  state.frame.fps_frames = 0;
  lab_fps->setText("fps  ");
}
