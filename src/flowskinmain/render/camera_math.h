#pragma once
// Camera arithmetic of the turntable view without any GL call: the projection
// volume of a frame, the reset of the view to a mesh, the power-of-two frame
// texture size and the light position. The GL half (camera_gl.h) loads what
// these functions compute.
#include <cstdint>

#include "mesh/mesh_model.h"
#include "view_record.h"

// Up axis of the model on the screen (radio buttons rb_x, rb_y, rb_z).
enum class UpAxis { X, Y, Z };

// Control values read by the camera and light set-up of every frame.
// Defaults are those of the window's controls at start.
struct TCameraControls {
  int32_t foc_length = 50;     // ud_foc_length, millimetres on a 35 mm wide frame (5..1000)
  bool iso = false;            // cb_iso: orthographic projection
  UpAxis up_axis = UpAxis::Y;  // rb_x / rb_y / rb_z
  int32_t lr_light = 10;       // ud_lr_light, degrees (-90..90)
  int32_t ud_light = 25;       // ud_ud_light, degrees (-90..90)
  bool dir_light = true;       // cb_dir_light: directional light (w = 0)
  int32_t ambient = 0x000000;  // sh_ambient colour value (red in the low byte)
  int32_t light = 0xFFFFFF;    // sh_light colour value
};

// Viewport of a frame in window pixels: the panel minus `margin` on every side.
// Width and height are 0 when the margin leaves no area (or an area too large
// for a viewport, from a huge negative margin).
struct TViewportRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

TViewportRect MarginViewport(int32_t panel_w, int32_t panel_h, int32_t margin);

// Main-window extent (width or height) that makes the drawing area `area`
// pixels: area + window - panel, the other two being the current extents of the
// window and of the drawing area. Computed in 64 bits from whatever integer was
// typed and kept within 0 .. 16777215, the largest extent a window can be given.
int32_t WindowExtentFor(int32_t area, int32_t window, int32_t panel);

// Writes view.isometric, view.distance and the six frustum fields for a
// viewport of vp_w x vp_h pixels (both > 0). distance = size * foc_length / 35;
// the smaller of the two viewport dimensions spans k * size at the near plane
// (k = 1 orthographic, 0.05 perspective), the other one follows the aspect, so
// an object of extent `size` at `distance` fits the view whatever its shape: a
// square or tall viewport is filled across its width, a wide one across its
// height. Lengths are in model units (absolute, not multiples of box_size).
void ComputeProjection(TView& view, const TCameraControls& c, int32_t vp_w, int32_t vp_h);

// Aims the view at the mesh: center := box_center, size := box_size, both
// angles 0, time := first time value (0 without time steps). Other fields stay.
void ResetView(const TMesh& mesh, TView& view);

// The views along the axes and the isometric one: `name` as the command line
// takes it ("+x" looks along +X, from the -X side), `caption` as the buttons
// show it, and the direction looked along in object space.
struct TAxisView {
  const char* name;
  const char* caption;
  double dx, dy, dz;
};
inline constexpr TAxisView kAxisViews[] = {
    {"+x", "+X", 1, 0, 0}, {"-x", "-X", -1, 0, 0}, {"+y", "+Y", 0, 1, 0},      {"-y", "-Y", 0, -1, 0},
    {"+z", "+Z", 0, 0, 1}, {"-z", "-Z", 0, 0, -1}, {"iso", "Iso", -1, -1, -1},
};
// The view of that name (case ignored), or null.
const TAxisView* AxisViewNamed(const char* name);

// The whole surface seen along direction (dx, dy, dz): centre and size from
// the mesh's box (as ResetView, the time left alone), and the turntable's
// angles under up axis `up` that make the view direction that one (the tilt
// held within -89.99..89.99 degrees, so looking along the up axis is looking
// nearly along it).
void LookAlong(const TMesh& mesh, TView& view, UpAxis up, const TAxisView& along);

// Smallest power of two not below `pixels` (1 for pixels <= 1).
int32_t TexSizeFor(int32_t pixels);

// Light position in eye coordinates for the left/right angle a and up/down
// angle e (radians) at distance d: (sin a cos e d, sin e d, cos a cos e d, w),
// w = 0 for a directional light, 1 for a point light.
void LightPosition(double a, double e, double d, bool directional, float out[4]);

// The model-view matrix that the camera set-up of a frame loads, computed
// without GL (column-major, element [col][row] at 4 col + row, as the GL
// stores it): translate (0, 0, -distance), turn -rot_x degrees about x and
// -rot_y about y, the up-axis turn (-90 degrees about z for X, about x for Z),
// then translate by -center. view.distance must be current (ComputeProjection).
void TurntableModelview(const TView& view, UpAxis up, double out[16]);

// The projection matrix the camera set-up loads for the frustum fields of `v`
// (glOrtho when v.isometric, else glFrustum), column-major. All zeros for a
// volume without extent.
void ProjectionMatrixOf(const TView& v, double out[16]);

// The matrices, viewport and light a frame of a panel_w x panel_h panel would
// store, for use before any frame has stored them (a mesh loaded at start-up
// is shaded into Aux before the panel has drawn) or after the view changed
// since the last frame (the view options of batch runs). `view` is not changed.
void CameraMatricesOf(const TView& view, const TCameraControls& c, int32_t panel_w, int32_t panel_h,
                      TStoredMatrices& m);

// Degrees to radians, as the light angles of the controls are given in degrees.
double DegToRad(double degrees);
