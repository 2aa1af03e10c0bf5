#include "mesh/page_prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "mesh/parallel_for.h"

namespace {

// Below this a block is left to fault in as it is written.
constexpr size_t kPrefaultFloor = size_t{4} << 20;
// Pages one madvise call asks for; threads take such chunks in turn.
constexpr size_t kPagesPerCall = 512;

}  // namespace

void PrefaultPages(void* p, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  if (bytes < kPrefaultFloor) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  // Only whole pages inside the block: the partial ones at its ends may be
  // shared with other allocations, and fault in as usual.
  const uintptr_t first = (reinterpret_cast<uintptr_t>(p) + page - 1) / page;
  const uintptr_t last = (reinterpret_cast<uintptr_t>(p) + bytes) / page;
  if (last <= first) return;
  ParallelForChunks(last - first, kPagesPerCall, [&](size_t begin, size_t end) {
    // A failure (an older system without this request) leaves the pages to
    // fault in when written; nothing else depends on it.
    madvise(reinterpret_cast<void*>((first + begin) * page), (end - begin) * page, MADV_POPULATE_WRITE);
  });
#else
  (void)p;
  (void)bytes;
#endif
}
