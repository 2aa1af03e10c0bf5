// Prefaulting never changes a block's contents, also while the block is being
// written by another thread, and leaves blocks of any size and alignment whole.
#include "mesh/page_prefault.h"

#include <gtest/gtest.h>

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
