// Data channels and ranges, the auxiliary field and the time controls.
#include "shell/form1.h"

// Data channel, range edits (full), colour map (full), per-vertex data values;
// sets scene_dirty.
void TForm1::RefreshRenderState(bool) {}

// Time step of one Run-loop frame for time-dependent meshes.
void TForm1::RunLoopTimeStep() {}

// Key up in "Min" / "Max": the channel's range.
void TForm1::eddmaxKeyUp(QObject*, int&, TShiftState) {}

// "Reset": recompute the channel ranges.
void TForm1::Button5Click(QObject*) {}

// ">", "<", "<>", "><": shift or widen the channel range.
void TForm1::but_dupClick(QObject*) {}

// "Cur -> Aux".
void TForm1::butcopyauxClick(QObject*) {}

// "Clear Aux".
void TForm1::but_clear_auxClick(QObject*) {}

// "Add shade to Aux".
void TForm1::but_add_shadeClick(QObject*) {}

// "Smooth Aux".
void TForm1::but_smoothClick(QObject*) {}

// "F lines" (hidden).
void TForm1::but_feature_linesClick(QObject*) {}

// "Replace with Grad Aux".
void TForm1::Button10Click(QObject*) {}

// Key up in "Time".
void TForm1::ed_timeKeyUp(QObject*, int&, TShiftState) {}

// Key up in "dt".
void TForm1::ed_dtimeKeyUp(QObject*, int&, TShiftState) {}

// Time slider moved.
void TForm1::tb_timeChange(QObject*) {}
