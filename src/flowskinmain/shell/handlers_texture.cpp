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

// "Flash".
void TForm1::but_col_flashClick(QObject*) {}

// "* 2" / "* 0.5" on "Delta t".
void TForm1::but_div2Click(QObject*) {}

// "Lock texture".
void TForm1::cb_tex_lockClick(QObject*) {}
