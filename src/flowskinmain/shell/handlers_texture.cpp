// Noise and pulse textures, advection controls, noise injection.
#include "shell/form1.h"

// Colour pick of the two noise colours.
void TForm1::but_bc1MouseDown(QObject*, TMouseButton, TShiftState, int, int) {}

// "long": hue path between the noise colours.
void TForm1::cb_tex_longClick(QObject*) {}

// "Modulate": shows the parameter trio (label, edit, up-down) of the selected
// pulse style and hides the other three (all four with no style selected);
// the noise textures are rebuilt before the next frame.
void TForm1::cb_lut_styleChange(QObject*) {
  TUpDown* const trios[] = {ud_cospow, ud_decay, ud_thalf, ud_saw};  // by item index
  const int style = cb_lut_style->ItemIndex();
  for (int i = 0; i < 4; ++i) trios[i]->ShowTrio(i == style);
  state.frame.noise_dirty = true;
}

// A pulse parameter changed.
void TForm1::ed_thalfChange(QObject*) {}

// Plot of the pulse table on pb_puls_lut (its Canvas() is valid here).
void TForm1::pb_puls_lutPaint(QObject*) {}

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
