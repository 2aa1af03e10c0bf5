#pragma once
// The import worker: the mesh-import library reads a file in a process of its
// own, the helper program flowskin-import installed beside flowskin, so that a
// crash, an abort, an endless loop or runaway memory inside the library ends
// that process and costs the user a message, never the program. The worker
// runs under a time limit (the program stops it) and a memory limit (set with
// setrlimit in the worker); it gets the file's bytes in a memory file, writes
// the triangles and texture coordinates into a second one and answers over a
// socket (see import_reply.h). Our own readers (PLY) stay in the program.
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
  int pid = -1;  // the worker's process id (waited for as ReadSoupInWorker says)
};

// The triangles a worker handed back: its answer memory file, sealed against
// any change once the worker has answered, mapped read-only and seen as a soup.
class TImportedSoup {
 public:
  TImportedSoup() = default;
  ~TImportedSoup() { Release(); }
  TImportedSoup(const TImportedSoup&) = delete;
  TImportedSoup& operator=(const TImportedSoup&) = delete;

  TSoupView View() const { return view_; }
  // Takes `bytes` mapped at `base` (unmapped when released) holding `corners`
  // corners and, with `uv`, their texture coordinates after them.
  void Adopt(void* base, size_t bytes, size_t corners, bool uv);
  // The worker that answered, still ending: waited for on release.
  void AdoptWorker(int pid);
  void Release();

 private:
  int worker_ = -1;
  void* base_ = nullptr;
  size_t bytes_ = 0;
  TSoupView view_;
};

// Reads `bytes` (the whole file `path`, of format `format`, not kPly or
// kUnknown) with the library in a worker (ReadSoupWithLibrary there) and fills
// `soup`. On failure `reason` says why in words for the user: the library's
// own refusal, or "the import library failed on this file (it crashed)",
// "(it gave up after 30 s)", "(it ran out of memory: more than 512 MB)".
// After a failure the worker has been waited for when this returns; after a
// success it is waited for when `soup` is released (it closed the socket as
// its last act and ends while the program joins the triangles).
bool ReadSoupInWorker(const std::string& path, std::string_view bytes, TMeshFormat format, const TImportLimits& limits,
                      TImportedSoup& soup, std::string& reason, TWorkerRun* run = nullptr);

// The helper program started as the worker: by default flowskin-import in the
// folder of the running program; the tests, whose binaries live elsewhere,
// set it.
void SetImportWorkerPath(const std::string& path);
std::string ImportWorkerPath();

// The worker's side, the whole of flowskin-import's main: reads its options
//   --format WORD --name PATH --seconds S --memory-mb M [--test-fault crash|hang|memory]
// sets its limits, maps the file's bytes from descriptor 3 (a memory file the
// program fills; the socket says when it is full), reads them with the
// library, writes the triangles into descriptor 4 (the answer memory file) and
// answers on its standard input, a socket to the program. Returns the exit status: 0 after an answer,
// kWorkerExitBadOptions on bad options; kWorkerExitOutOfMemory ends it when
// memory runs out.
int RunImportWorker(int argc, char** argv);

constexpr int kWorkerExitBadOptions = 2;
constexpr int kWorkerExitOutOfMemory = 3;
constexpr int kWorkerExitNoFile = 4;  // the program gave no file (it gave up)
