// Presets: each writes controls with redraws suspended, then requests one frame.
#include "shell/form1.h"

// "Contour flow:" XY, XZ, YZ and "Axis flow:" Z, Y, X.
void TForm1::but_flow_cxyClick(QObject*) {}

// "Curvature flow:" Kmin, Kmax.
void TForm1::but_flow_kmaxClick(QObject*) {}

// "Bronze".
void TForm1::but_bronze_colClick(QObject*) {}

// "Steel".
void TForm1::but_steel_colClick(QObject*) {}

// "Ivory".
void TForm1::Button19Click(QObject*) {}

// "Rainbow".
void TForm1::but_rainbowClick(QObject*) {}

// "Dirty".
void TForm1::Button11Click(QObject*) {}

// "F. Pencil", "C. Pencil".
void TForm1::but_pencil1Click(QObject*) {}

// "Fine txt", "Coarse txt".
void TForm1::Button13Click(QObject*) {}

// "Kavg".
void TForm1::Button12Click(QObject*) {}

// "Eroded", and the hidden "Kavg" of the "Shade" tab.
void TForm1::but_erodeClick(QObject*) {}

// "Particles".
void TForm1::Button16Click(QObject*) {}

// "Shaded".
void TForm1::but_shadedClick(QObject*) {}

// Hidden row "Data:" Kmin, Kmax, velo, Kavg.
void TForm1::but_d_kminClick(QObject*) {}

// "Topology" on the "Texture" tab.
void TForm1::but_topoClick(QObject*) {}
