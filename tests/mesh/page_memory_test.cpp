// Prefaulting never changes a block's contents, also while the block is being
// written by another thread, and leaves blocks of any size and alignment whole.
#include "mesh/page_memory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "mesh/parallel_for.h"

namespace {

uint32_t Pattern(size_t i) { return static_cast<uint32_t>(i * 2654435761u + 1); }

}  // namespace

TEST(PagePrefault, ContentsStayWhateverTheBlockAndTheWriting) {
  const struct {
    const char* name;
    size_t words;   // block size in 4-byte words
    size_t offset;  // block start, in words, past a page-aligned start
    int threads;
  } cases[] = {
      {"small block", 1000, 0, 2},
      {"large block", size_t{12} << 20, 0, 2},
      {"large block not on a page", (size_t{12} << 20) + 3, 5, 2},
      {"large block on one thread", size_t{12} << 20, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetParallelThreads(c.threads);
    std::vector<uint32_t> storage(c.words + c.offset + 1024, 7);
    uint32_t* block = storage.data() + c.offset;
    {
      // written from its start while its pages are asked for beside
      TBackgroundPrefault beside(block, c.words * sizeof(uint32_t));
      for (size_t i = 0; i < c.words; ++i) block[i] = Pattern(i);
    }
    PrefaultPages(block, c.words * sizeof(uint32_t));  // a block that already holds values
    size_t wrong = 0;
    for (size_t i = 0; i < c.words; ++i) wrong += block[i] != Pattern(i);
    for (size_t i = c.words + c.offset; i < storage.size(); ++i) wrong += storage[i] != 7;
    for (size_t i = 0; i < c.offset; ++i) wrong += storage[i] != 7;
    EXPECT_EQ(wrong, 0u);
  }
  SetParallelThreads(0);
}

// Releasing hands back only the pages wholly inside the block: whatever shares
// a page with the block's ends (an allocator's bookkeeping, a neighbour)
// keeps its value, on one thread and on two.
TEST(PageRelease, OnlyPagesWhollyInsideTheBlockAreHandedBack) {
  const size_t words = (size_t{40} << 20) / sizeof(uint32_t) + 3, offset = 5;
  for (const int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    SetParallelThreads(threads);
    std::vector<uint32_t> storage(words + offset + 2048, 7);
    uint32_t* block = storage.data() + offset;
    for (size_t i = 0; i < words; ++i) block[i] = Pattern(i);
    ReleasePages(block, words * sizeof(uint32_t));
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE)), start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (start + page - 1) / page * page, end = (start + words * 4) / page * page;
    size_t kept = 0, zeroed = 0, wrong = 0;
    for (size_t i = 0; i < words; ++i) {
      const uintptr_t at = start + i * 4;
      const bool inside = at >= first && at < end;
      zeroed += inside && block[i] == 0;
      kept += !inside && block[i] == Pattern(i);
      wrong += inside ? block[i] != 0 : block[i] != Pattern(i);
    }
    for (size_t i = 0; i < offset; ++i) wrong += storage[i] != 7;
    for (size_t i = words + offset; i < storage.size(); ++i) wrong += storage[i] != 7;
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(zeroed, words / 2);
    EXPECT_GT(kept, 0u);
  }
  SetParallelThreads(0);
}
