// The worker's side of an import (see RunImportWorker): the only code that
// runs in flowskin-import.
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "formats/descriptor_io.h"
#include "formats/import_library.h"
#include "formats/import_reply.h"
#include "formats/import_worker.h"

#if defined(__SANITIZE_ADDRESS__)
#define FLOWSKIN_WORKER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FLOWSKIN_WORKER_ASAN 1
#endif
#endif
#ifdef FLOWSKIN_WORKER_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif
#if defined(__SANITIZE_THREAD__)
#define FLOWSKIN_WORKER_TSAN 1
#include <sys/syscall.h>
#endif

namespace {

constexpr int kSocket = 0;  // standard input: the socket to the program
constexpr int kFile = 3;    // the memory file holding the file's bytes
constexpr int kAnswer = 4;  // the memory file the triangles go into

struct TWorkerOptions {
  TMeshFormat format = TMeshFormat::kUnknown;
  std::string name;
  double seconds = 0, memory_mb = 0;
  std::string fault;
};

bool ParseOptions(int argc, char** argv, TWorkerOptions& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i], value = argv[i + 1];
    char* end = nullptr;
    if (key == "--format") {
      o.format = FormatFromWord(value);
    } else if (key == "--name") {
      o.name = value;
    } else if (key == "--seconds" || key == "--memory-mb") {
      const double x = std::strtod(value.c_str(), &end);
      if (*end != '\0' || !(x > 0)) return false;
      (key == "--seconds" ? o.seconds : o.memory_mb) = x;
    } else if (key == "--test-fault") {
      o.fault = value;
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && o.format != TMeshFormat::kUnknown && !o.name.empty() && o.seconds > 0 && o.memory_mb > 0;
}

[[noreturn]] void OutOfMemory() { _exit(kWorkerExitOutOfMemory); }

#ifdef FLOWSKIN_WORKER_ASAN
// With the address sanitizer an allocation beyond the limit ends in its
// report, never in the new handler, and the report itself may find no memory
// left and end the worker at once. So both its report of too much memory and
// any death with the address space used up end the worker as out of memory.
void OnSanitizerReport(const char* report) {
  if (std::strstr(report, "out of memory") || std::strstr(report, "allocation-size-too-big")) OutOfMemory();
}

void OnSanitizerDeath() {
  constexpr size_t kProbe = size_t{1} << 20;
  void* probe = mmap(nullptr, kProbe, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (probe == MAP_FAILED) OutOfMemory();
  munmap(probe, kProbe);
}
#endif

#ifdef FLOWSKIN_WORKER_TSAN
// With the thread sanitizer a throwing allocation beyond the limit ends in its
// report of too much memory, never in the new handler; its summary line ends
// the worker as out of memory instead.
extern "C" void __sanitizer_report_error_summary(const char* summary) {
  // The exit call itself, past the sanitizer's interception, which would
  // take a second report inside this one for a fault.
  if (std::strstr(summary, "out-of-memory")) syscall(SYS_exit_group, kWorkerExitOutOfMemory);
}
#endif

// The memory limit: the address space the worker has at start (the sanitizers'
// reservations among it) and `mb` megabytes more. CPU time as a second time
// limit, should the program be gone.
void SetLimits(double seconds, double mb) {
  unsigned long long pages = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%llu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  const double bytes = static_cast<double>(pages) * static_cast<double>(sysconf(_SC_PAGESIZE)) + mb * 1024 * 1024;
  const rlim_t as = bytes >= static_cast<double>(RLIM_INFINITY) ? RLIM_INFINITY : static_cast<rlim_t>(bytes);
  const rlimit memory{as, as};
  setrlimit(RLIMIT_AS, &memory);
  const rlim_t cpu = static_cast<rlim_t>(seconds) + 2;
  const rlimit time{cpu, cpu + 1};
  setrlimit(RLIMIT_CPU, &time);
  std::set_new_handler(OutOfMemory);
#ifdef FLOWSKIN_WORKER_ASAN
  __asan_set_error_report_callback(OnSanitizerReport);
  __sanitizer_set_death_callback(OnSanitizerDeath);
#endif
}

// The file's bytes: the memory file the program fills while this worker
// starts; the program says on the socket how many bytes it holds once they
// are all written. Empty for an empty file; false when the program gave up.
bool MapFile(int fd, std::string_view& bytes) {
  uint64_t size = 0;
  if (!ReadAll(kSocket, &size, sizeof size)) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || static_cast<uint64_t>(st.st_size) < size) return false;
  if (size == 0) return true;
  void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  if (p == MAP_FAILED) return false;
  bytes = std::string_view(static_cast<const char*>(p), size);
  return true;
}

// The answer's arrays: the answer memory file made as large as the corners
// (and their texture coordinates) need and mapped, so the triangles are
// written where the program reads them. No room ends the worker as out of
// memory.
struct TAnswerMapping {
  void* base = nullptr;
  size_t bytes = 0;
};

TSoupArrays AnswerArrays(size_t corners, bool uv, TAnswerMapping& mapping) {
  const size_t corner_bytes = corners * sizeof(TVec3), bytes = corner_bytes + (uv ? corners * 8 : 0);
  if (ftruncate(kAnswer, static_cast<off_t>(bytes)) != 0) OutOfMemory();
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, kAnswer, 0);
  if (p == MAP_FAILED) OutOfMemory();
  mapping = {p, bytes};
  char* base = static_cast<char*>(p);
  return {reinterpret_cast<TVec3*>(base), uv ? reinterpret_cast<std::array<float, 2>*>(base + corner_bytes) : nullptr};
}

// The answer on the socket: its head and, for a refusal, the reason (the
// triangles are in the answer memory file already).
bool Answer(bool ok, const std::string& reason, size_t corners, bool uv) {
  TReplyHead head;
  head.kind = ok ? TReplyKind::kTriangles : TReplyKind::kRefused;
  const std::string text = ok ? std::string() : reason.substr(0, kMaxReplyReasonBytes);
  head.reason_bytes = static_cast<uint32_t>(text.size());
  head.has_uv = ok && uv;
  head.corner_count = ok ? corners : 0;
  const std::string h = EncodeReplyHead(head);
  return WriteAll(kSocket, h.data(), h.size()) && WriteAll(kSocket, text.data(), text.size());
}

// The faults the tests ask for.
void CommitFault(const std::string& fault) {
  if (fault == "crash") raise(SIGSEGV);
  if (fault == "hang")
    for (;;) pause();
  if (fault == "memory") {
    std::vector<std::unique_ptr<char[]>> blocks;
    for (;;) {
      blocks.emplace_back(new char[size_t{16} << 20]);
      std::memset(blocks.back().get(), 1, size_t{16} << 20);
    }
  }
}

}  // namespace

int RunImportWorker(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  TWorkerOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "flowskin-import: the program's import worker, started by flowskin\n"
                 "usage: flowskin-import --format WORD --name PATH --seconds S --memory-mb M < socket\n");
    return kWorkerExitBadOptions;
  }
  SetLimits(options.seconds, options.memory_mb);
  std::string_view bytes;
  if (!MapFile(kFile, bytes)) return kWorkerExitNoFile;
  CommitFault(options.fault);
  size_t corners = 0;
  bool uv = false;
  TAnswerMapping mapping;
  std::string reason;
  const bool ok = ReadSoupWithLibrary(
      options.name, bytes, options.format,
      [&](size_t n, bool with_uv) {
        corners = n, uv = with_uv;
        return AnswerArrays(n, with_uv, mapping);
      },
      reason);
  // The triangles stay in the answer memory file; the program seals it against
  // writing, which needs this worker's writable mapping gone.
  if (mapping.base) munmap(mapping.base, mapping.bytes);
  const bool answered = Answer(ok, reason, corners, uv);
  // Done: the socket closed at once, so the program goes on while the system
  // takes this process down (the library's scene is not freed piece by piece).
  close(kSocket);
  _exit(answered ? 0 : 1);
}
