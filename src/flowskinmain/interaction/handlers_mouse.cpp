// Mouse navigation of the view and picking and dragging of flow sources.
// Positions are drawing-area pixels, origin top-left.
#include "shell/form1.h"

void TForm1::GLPanel1MouseDown(QObject*, TMouseButton, TShiftState, int, int) {}

void TForm1::GLPanel1MouseMove(QObject*, TShiftState, int, int) {}

void TForm1::GLPanel1MouseUp(QObject*, TMouseButton, TShiftState, int, int) {}
