// Noise and pulse textures, advection controls, noise injection.
#include <QPainter>

#include "advection/noise_gl.h"
#include "window/form1.h"

// Colour pick of the two noise colours: the dialog starts at the clicked
// swatch's colour; a confirmed choice becomes its colour, the noise is rebuilt
// before the next frame, and a frame is drawn. Cancel changes nothing.
void TForm1::but_bc1MouseDown(QObject* sender, TMouseButton, TShiftState, int, int) {
  if (!PickSwatchColour(sender)) return;
  state.frame.noise_dirty = true;
  RefreshRenderState(false);
  RequestRedraw();
}

// "long": hue path between the noise colours.
void TForm1::cb_tex_longClick(QObject*) {
  state.frame.noise_dirty = true;
  RefreshRenderState(false);
  RequestRedraw();
}

// "Modulate": shows the parameter trio (label, edit, up-down) of the selected
// pulse style and hides the other three (all four with no style selected);
// the noise textures are rebuilt before the next frame.
void TForm1::cb_lut_styleChange(QObject*) {
  TUpDown* const trios[] = {ud_cospow, ud_decay, ud_thalf, ud_saw};  // by item index
  const int style = cb_lut_style->ItemIndex();
  for (int i = 0; i < 4; ++i) trios[i]->ShowTrio(i == style);
  state.frame.noise_dirty = true;
}

// A pulse parameter changed: the noise is rebuilt before the next frame that
// is drawn for any reason; no frame is requested here.
void TForm1::ed_thalfChange(QObject*) { state.frame.noise_dirty = true; }

// Plot of the pulse table on pb_puls_lut (its Canvas() is valid here): a white
// box with a black outline, the axes in black, and two periods of the table in
// red, 2 pixels wide.
void TForm1::pb_puls_lutPaint(QObject*) {
  QPainter* canvas = pb_puls_lut->Canvas();
  if (!canvas) return;
  const int w = pb_puls_lut->width(), h = pb_puls_lut->height();
  canvas->setPen(QPen(Qt::black, 1));
  canvas->setBrush(Qt::white);
  canvas->drawRect(0, 0, w - 1, h - 1);
  const TPulsePlot plot = PulsePlotFor(w, h, state.noise.pulse_table);
  QPolygon axes;
  for (const TPlotPoint& p : plot.axes) axes << QPoint(p.x, p.y);
  canvas->drawPolyline(axes);
  QPolygon curve;
  for (const TPlotPoint& p : plot.curve) curve << QPoint(p.x, p.y);
  canvas->setPen(QPen(QColor(255, 0, 0), 2));
  canvas->drawPolyline(curve);
}

// Rebuilds the 64 noise textures from the "Texture" tab (the panel's context
// is current: this runs inside a frame), asks the pulse plot to repaint, and
// clears noise_dirty.
void TForm1::BuildNoiseTextures() {
  TNoiseBuildParams p;
  p.pulse.style = cb_lut_style->ItemIndex();
  p.pulse.cospow = ud_cospow->Position();
  p.pulse.decay = ud_decay->Position();
  p.pulse.thalf = ud_thalf->Position();
  p.pulse.saw = ud_saw->Position();
  p.colour1 = but_bc1->Color();
  p.colour2 = but_bc2->Color();
  p.long_way = cb_tex_long->Checked();
  ::BuildNoiseTextures(state.noise, p);
  pb_puls_lut->update();
  state.frame.noise_dirty = false;
}

// "Flash": toggles a pending flash (two clicks before a frame injects noise
// cancel each other), then requests a frame.
void TForm1::but_col_flashClick(QObject*) {
  state.noise.noise_flash = !state.noise.noise_flash;
  RequestRedraw();
}

// "* 2" doubles "Delta t" (the up-down clamps at 100), "* 0.5" halves it,
// truncating (25 -> 12; 1 -> 0, which the up-down raises to its minimum 1).
void TForm1::but_div2Click(QObject* sender) {
  const int p = ud_flow_scale->Position();
  ud_flow_scale->SetPosition(sender == but_div2 ? p / 2 : p * 2);
  RefreshRenderState(false);
  RequestRedraw();
}

// "Lock texture": two frames, so the lock state machine completes its step at
// once (locking, or unlocking through the catch-up frame).
void TForm1::cb_tex_lockClick(QObject*) {
  RequestRedraw();
  RequestRedraw();
}
