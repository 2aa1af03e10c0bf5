#include "render/frame_math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

bool TextureLocked(bool cb_tex_lock, bool cb_tex_lock_drag, uint8_t mouse_mode) {
  return cb_tex_lock || (mouse_mode != 0 && cb_tex_lock_drag);
}

void StepTextureLock(TFrameState& frame, bool locked) {
  if (locked) {
    frame.tex_lock_state = 1;
    frame.scene_dirty = false;
  } else if (frame.tex_lock_state == 1) {
    frame.tex_lock_state = 2;
    frame.scene_dirty = true;
  } else {
    if (frame.tex_lock_state == 2) frame.scene_dirty = true;
    frame.tex_lock_state = 0;
    if (!frame.scene_dirty && !frame.view_changed) frame.view_changed = frame.texture_dragged;
  }
}

TFramePlan PlanFrame(const TFrameState& frame, bool cbshtexture) {
  TFramePlan p;
  p.compile_surface = frame.scene_dirty || frame.view_changed;
  p.advect = frame.tex_lock_state == 0;
  p.inject_capture = cbshtexture && (frame.tex_lock_state == 0 || frame.tex_lock_state == 2);
  p.shading_pass = cbshtexture;
  p.compile_shading = cbshtexture && frame.scene_dirty;
  p.compile_overlay = frame.scene_dirty || frame.overlay_dirty;
  return p;
}

std::string FrameRateCaption(int32_t panel_w, int32_t panel_h, int64_t elapsed_ms) {
  char rate[32];
  if (elapsed_ms <= 0) {
    std::snprintf(rate, sizeof rate, "INF");
  } else {
    // 10 frames over elapsed_ms milliseconds, in tenths of a frame per second,
    // rounded exactly with ties upward as decimal formatting does (64 ms gives
    // 156.25, shown 156.3). At most 10000.0: never more than 5 integer digits.
    const int64_t tenths = (200000 + elapsed_ms) / (2 * elapsed_ms);
    std::snprintf(rate, sizeof rate, "%lld.%lld", static_cast<long long>(tenths / 10),
                  static_cast<long long>(tenths % 10));
  }
  return std::to_string(panel_w) + " x " + std::to_string(panel_h) + ": " + rate + " fps  ";
}

bool CountFrameForRate(TFrameState& frame, int64_t now_ms, int32_t panel_w, int32_t panel_h, std::string& caption) {
  frame.fps_frames += 1;
  if (frame.fps_frames < 10) return false;
  frame.fps_tick = now_ms;
  caption = FrameRateCaption(panel_w, panel_h, frame.fps_tick - frame.fps_last_tick);
  frame.fps_last_tick = frame.fps_tick;
  frame.fps_frames = 0;
  return true;
}

int32_t SettleFrameCount(int32_t alpha_percent) {
  if (alpha_percent <= 0) return 0;
  if (alpha_percent >= 100) return 1;
  const double n = std::ceil(std::log(0.02) / std::log(1.0 - alpha_percent / 100.0));
  return static_cast<int32_t>(std::min(n, 200.0));
}

bool RunLoopStep(TAppState& app, const TRunControls& c) {
  if (c.rotate != 0) {
    app.view.rot_y += c.rotate / 10.0;
    app.frame.view_changed = true;
  }
  const TMesh& mesh = app.mesh;
  if (!c.time_animate || mesh.time_count <= 1 || app.view.time_step == 0) return false;
  if (static_cast<int32_t>(mesh.time_values.size()) < mesh.time_count) return false;
  app.view.time += app.view.time_step;
  if (app.view.time > mesh.time_values[mesh.time_count - 1]) app.view.time = mesh.time_values[0];
  return true;
}
