// flowskin-import, the helper program in which the mesh-import library reads a
// file for flowskin (see formats/import_worker.h).
#include "formats/import_worker.h"

int main(int argc, char** argv) { return RunImportWorker(argc, argv); }
