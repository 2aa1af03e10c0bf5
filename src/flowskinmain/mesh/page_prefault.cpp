#include "mesh/page_prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "mesh/parallel_for.h"

namespace {

// Below this a block is left to fault in as it is written.
constexpr size_t kPrefaultFloor = size_t{4} << 20;
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
