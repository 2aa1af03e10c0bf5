// Flow sources, velocity-field controls and direction-field alignment.
#include "shell/form1.h"

// Copies the source-editing controls into the selected flow source; nothing
// happens when no source is selected.
void TForm1::StoreFlowControls() {}

// "Point source" / "Line source": kind of the selected source.
void TForm1::rb_cylflowClick(QObject*) {}

// "Add flow" / "Add paint".
void TForm1::but_add_flowClick(QObject*) {}

// "Delete": the selected source.
void TForm1::Button6Click(QObject*) {}

// "Next", "Prev", "Deselect".
void TForm1::but_prevfClick(QObject*) {}

// "Align neighbor" (hidden).
void TForm1::Button1Click(QObject*) {}

// "Align:" "Y".
void TForm1::Button2Click(QObject*) {}

// "Align:" "X".
void TForm1::Button3Click(QObject*) {}

// "Align:" "Z".
void TForm1::Button4Click(QObject*) {}

// "Max val".
void TForm1::Button9Click(QObject*) {}
