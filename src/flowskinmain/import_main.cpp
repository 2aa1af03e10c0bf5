// flowskin-import, the helper program in which the mesh-import library reads a
// file for flowskin (see formats/import_worker.h).
#include "formats/import_worker.h"

// In the sanitizer builds: no leak check at exit. The library leaks on some
// files, and the worker ends right after its one read; a finding of the
// address sanitizer still ends it as a crash.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) { return RunImportWorker(argc, argv); }
