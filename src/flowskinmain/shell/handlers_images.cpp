// Image mapping and image output.
#include "shell/form1.h"

// "Load image...".
void TForm1::Button7Click(QObject*) {}

// "Save image...".
void TForm1::but_save_picClick(QObject*) {}

// "Copy image".
void TForm1::but_copyclipboardClick(QObject*) {}

// "Save seq. ...".
void TForm1::butsaveseqClick(QObject*) {}

// "-> image map" (hidden).
void TForm1::but_save_textClick(QObject*) {}
