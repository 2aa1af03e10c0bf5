// flowskin-import, the helper program in which the mesh-import library reads a
// file for flowskin (see formats/import_worker.h).
#include "formats/import_worker.h"

// In the sanitizer builds: no leak check at exit. The library leaks on some
// files, and the worker ends right after its one read; a finding of the
// address sanitizer still ends it as a crash.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
// In the thread-sanitizer build: an allocation beyond the worker's memory
// limit fails as it does without the sanitizer (the new handler ends the
// worker as out of memory) instead of ending in the sanitizer's report.
extern "C" const char* __tsan_default_options() { return "allocator_may_return_null=1"; }

int main(int argc, char** argv) { return RunImportWorker(argc, argv); }
