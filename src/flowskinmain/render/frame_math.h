#pragma once
// Decisions of the frame driver that need no GL: the texture-lock state
// machine, which display lists a frame recompiles, the frame-rate label and
// the per-frame step of the Run loop.
#include <cstdint>
#include <string>

#include "app_state.h"

// The texture is held when "Lock texture" is checked, or while a mouse
// gesture is in progress (mouse_mode != 0) and "Lock texture when changing
// view" is checked.
bool TextureLocked(bool cb_tex_lock, bool cb_tex_lock_drag, uint8_t mouse_mode);

// One step of the lock state machine on frame.tex_lock_state (0 free,
// 1 locked, 2 just unlocked), run at the start of every composed frame:
//   locked:            -> 1, scene_dirty := false
//   not locked from 1: -> 2, scene_dirty := true
//   not locked else:   from 2 scene_dirty := true; -> 0; then, if neither
//                      scene_dirty nor view_changed, view_changed := texture_dragged.
void StepTextureLock(TFrameState& frame, bool locked);

// What a frame does with its display lists, decided after the lock step.
struct TFramePlan {
  bool compile_surface = false;  // list 1: scene_dirty or view_changed
  bool advect = false;           // list 1 includes the advection step (tex_lock_state 0)
  bool inject_capture = false;   // noise, paint blobs and capture (texture on, state 0 or 2)
  bool shading_pass = false;     // list 6 is replayed (texture on)
  bool compile_shading = false;  // list 6 is recompiled (texture on and scene_dirty)
  bool compile_overlay = false;  // list 2: scene_dirty or overlay_dirty
};

TFramePlan PlanFrame(const TFrameState& frame, bool cbshtexture);

// Caption of lab_fps after ten frames that took `elapsed_ms` milliseconds:
// "<w> x <h>: <rate> fps  " with the rate in fixed notation, one decimal
// (exact halves rounded up).
// Ten frames within one tick give an infinite rate, shown as "INF".
std::string FrameRateCaption(int32_t panel_w, int32_t panel_h, int64_t elapsed_ms);

// Frame-rate bookkeeping of every redraw: fps_frames += 1; on the tenth frame
// fps_tick := now_ms, `caption` := FrameRateCaption over fps_tick - fps_last_tick,
// fps_last_tick := fps_tick, fps_frames := 0, and true is returned (the caller
// then writes the caption into lab_fps). now_ms: the millisecond tick counter.
bool CountFrameForRate(TFrameState& frame, int64_t now_ms, int32_t panel_w, int32_t panel_h, std::string& caption);

// Control values read by one Run-loop iteration after its frame.
// Frames after which a picture blended with new noise at "Alpha texture"
// `alpha_percent` keeps less than 2 % of what it held before: after a change,
// the texture shows the new view's streaks and none of the old. 0 without
// noise (nothing would change), at most 200.
int32_t SettleFrameCount(int32_t alpha_percent);

struct TRunControls {
  int32_t rotate = 0;         // ud_rotate, tenths of a degree per frame
  bool time_animate = false;  // cb_time_animate
};

// Turns the view by rotate/10 degrees (sets view_changed) and, with
// time_animate, a mesh of more than one time step and a non-zero time_step,
// advances view.time, wrapping to the first time value past the last one.
// Returns true when the time advanced: the caller then applies the time to the
// vertex data, refreshes the render state and sets scene_dirty.
bool RunLoopStep(TAppState& app, const TRunControls& c);
