#include "mesh/page_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "mesh/parallel_for.h"

namespace {

// Below this a block is left to fault in as it is written.
constexpr size_t kPrefaultFloor = size_t{4} << 20;
// Below this a freed block may stay with the allocator for reuse (blocks of
// up to 32 MiB can, with the C library's allocator on a 64-bit system), and
// releasing its pages would only make them fault in again when reused.
// Larger blocks are unmapped when freed.
constexpr size_t kReleaseFloor = size_t{32} << 20;
// Pages one request asks for; threads take such chunks in turn.
constexpr size_t kPagesPerChunk = 512;

uintptr_t PageSize() { return static_cast<uintptr_t>(sysconf(_SC_PAGESIZE)); }

// The whole pages inside [p, p + bytes): the partial ones at its ends may be
// shared with other allocations, and fault in as usual. Returns the count.
size_t WholePages(void* p, size_t bytes, uintptr_t& first) {
  const uintptr_t page = PageSize();
  first = (reinterpret_cast<uintptr_t>(p) + page - 1) / page * page;
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) / page * page;
  return end > first ? (end - first) / page : 0;
}

// Asks for `count` pages from `address`. A failure (an older system without
// this request) leaves them to fault in when written; nothing depends on it.
void Populate(uintptr_t address, size_t count) {
#ifdef MADV_POPULATE_WRITE
  madvise(reinterpret_cast<void*>(address), count * PageSize(), MADV_POPULATE_WRITE);
#else
  (void)address;
  (void)count;
#endif
}

// Hands `count` pages from `address` back; their contents read as zero after.
void Release(uintptr_t address, size_t count) {
  madvise(reinterpret_cast<void*>(address), count * PageSize(), MADV_DONTNEED);
}

}  // namespace

void PrefaultPages(void* p, size_t bytes) {
  if (bytes < kPrefaultFloor) return;
  uintptr_t first = 0;
  const size_t pages = WholePages(p, bytes, first);
  const uintptr_t page = PageSize();
  ParallelForChunks(pages, kPagesPerChunk,
                    [&](size_t begin, size_t end) { Populate(first + begin * page, end - begin); });
}

TBackgroundPrefault::TBackgroundPrefault(void* p, size_t bytes) {
  if (bytes < kPrefaultFloor || ParallelThreads() < 2) return;
  pages_ = WholePages(p, bytes, first_page_);
  chunks_ = (pages_ + kPagesPerChunk - 1) / kPagesPerChunk;
  if (chunks_ > 0) thread_ = std::thread([this] { TakeChunks(); });
}

void TBackgroundPrefault::TakeChunks() {
  const uintptr_t page = PageSize();
  for (size_t c = next_.fetch_add(1); c < chunks_; c = next_.fetch_add(1)) {
    const size_t begin = c * kPagesPerChunk;
    Populate(first_page_ + begin * page, std::min(kPagesPerChunk, pages_ - begin));
  }
}

void TBackgroundPrefault::Finish() {
  if (!thread_.joinable()) return;
  next_ = chunks_;  // the thread's next chunk is past the end
  thread_.join();
}

// One contiguous share per thread: every call is a shootdown of the other
// cores' cached translations, so the shares are as few as the threads. The
// shares of threads that cannot be started are released by this one.
void ReleasePages(void* p, size_t bytes) noexcept {
  if (bytes <= kReleaseFloor) return;
  uintptr_t first = 0;
  const size_t pages = WholePages(p, bytes, first);
  const size_t shares = static_cast<size_t>(ParallelThreads());
  const size_t step = (pages + shares - 1) / shares;
  const uintptr_t page = PageSize();
  std::vector<std::thread> helpers;
  try {
    helpers.reserve(shares - 1);
    for (size_t s = 1; s < shares && s * step < pages; ++s) {
      const size_t begin = s * step, count = std::min(step, pages - begin);
      helpers.emplace_back([=] { Release(first + begin * page, count); });
    }
  } catch (...) {
    // no more threads: the remaining shares are released below
  }
  Release(first, std::min(step, pages));
  const size_t unreleased = std::min(pages, (helpers.size() + 1) * step);
  if (unreleased < pages) Release(first + unreleased * page, pages - unreleased);
  for (std::thread& t : helpers) t.join();
}
