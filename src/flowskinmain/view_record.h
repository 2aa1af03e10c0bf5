#pragma once
// The camera of the turntable view and the matrices stored by the camera
// set-up of each frame (read by picking, the advection pass and shading).
#include <cstdint>

struct TView {
  float center[3] = {0, 0, 0};  // point looked at (model coordinates)
  double size = 0;              // extent of the shorter view side at the centre's distance
  double rot_y = 0;             // degrees, turn about the vertical axis
  double rot_x = 0;             // degrees, tilt, kept within -89.99..89.99
  double distance = 0;          // camera distance from center
  double frustum_left = 0, frustum_right = 0, frustum_bottom = 0, frustum_top = 0;
  double frustum_near = 0, frustum_far = 0;
  int32_t tex_width = 0, tex_height = 0;  // power-of-two frame texture size
  double time = 0;       // current time of time-dependent data
  double time_step = 0;  // time increment per Run frame
  int32_t margin = 0;    // empty border around the viewport, pixels
  bool isometric = false;
  double noise_offset_s = 0, noise_offset_t = 0;  // texture origin of the noise quad
  double drag_offset_s = 0, drag_offset_t = 0;    // one-shot texture shift after a view drag
};

struct TStoredMatrices {
  double modelview_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  double projection_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  int32_t viewport_rect[4] = {0, 0, 0, 0};  // x, y, width, height
  float light_position[4] = {0, 0, 0, 0};   // eye coordinates; w = 0 for a directional light
};
