#pragma once
// The import worker: the mesh-import library reads a file in a process of its
// own, the helper program flowskin-import installed beside flowskin, so that a
// crash, an abort, an endless loop or runaway memory inside the library ends
// that process and costs the user a message, never the program. The worker
// runs under a time limit (the program stops it) and a memory limit (set with
// setrlimit in the worker); it gets the file's bytes in a memory file and
// hands back the triangles and texture coordinates over a socket (see
// import_reply.h). Our own readers (PLY) stay
// in the program.
#include <string>
#include <string_view>

#include "formats/mesh_format.h"
#include "formats/triangle_soup.h"

// Faults the worker can be told to commit instead of reading, for the tests of
// their handling. Only code sets this; nothing in a file can.
enum class TWorkerFault { kNone, kCrash, kHang, kMemory };

struct TImportLimits {
  double seconds = 30;   // wall-clock time the worker gets, transfer included
  double memory_mb = 0;  // memory the worker may take besides its start-up; 0: MeshMemoryLimit()
  TWorkerFault test_fault = TWorkerFault::kNone;
};

// How a worker's run ended.
enum class TWorkerEnd {
  kRead,         // triangles received
  kRefused,      // the library (or the worker's checks) refused the file; reason given by the worker
  kCrashed,      // killed by a signal, or ended without a complete answer
  kTimedOut,     // stopped by the program after the time limit
  kOutOfMemory,  // reached its memory limit
  kBadAnswer,    // ended normally with an answer that is not well formed
  kNotStarted,   // the helper program could not be started
};

struct TWorkerRun {
  TWorkerEnd end = TWorkerEnd::kNotStarted;
  int pid = -1;  // the worker's process id (already waited for when the call returns)
};

// Reads `bytes` (the whole file `path`, of format `format`, not kPly or
// kUnknown) with the library in a worker (ReadSoupWithLibrary there) and fills
// `soup`. On failure `reason` says why in words for the user: the library's
// own refusal, or "the import library failed on this file (it crashed)",
// "(it gave up after 30 s)", "(it ran out of memory: more than 512 MB)".
// Whatever the end, the worker has been waited for when this returns.
bool ReadSoupInWorker(const std::string& path, std::string_view bytes, TMeshFormat format, const TImportLimits& limits,
                      TTriangleSoup& soup, std::string& reason, TWorkerRun* run = nullptr);

// The helper program started as the worker: by default flowskin-import in the
// folder of the running program; the tests, whose binaries live elsewhere,
// set it.
void SetImportWorkerPath(const std::string& path);
std::string ImportWorkerPath();

// The worker's side, the whole of flowskin-import's main: reads its options
//   --format WORD --name PATH --seconds S --memory-mb M [--test-fault crash|hang|memory]
// sets its limits, maps the file's bytes from descriptor 3 (a memory file the
// program filled), reads them with the library and answers on its standard
// input, a socket to the program. Returns the exit status: 0 after an answer,
// kWorkerExitBadOptions on bad options; kWorkerExitOutOfMemory ends it when
// memory runs out.
int RunImportWorker(int argc, char** argv);

constexpr int kWorkerExitBadOptions = 2;
constexpr int kWorkerExitOutOfMemory = 3;
