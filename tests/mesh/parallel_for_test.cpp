#include "mesh/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct TSplitCase {
  size_t n, min_block;
  int threads;
  size_t blocks;  // calls expected
};

}  // namespace

// Every index is handed out exactly once, in as many blocks as threads allow
// for the least block size, the first one on the calling thread.
TEST(ParallelFor, CoversEveryIndexOnceInTheExpectedBlocks) {
  const TSplitCase cases[] = {
      {0, 1, 2, 0},   {1, 1, 2, 1},    {7, 4, 2, 1}, {8, 4, 2, 2},    {9, 4, 2, 2},
      {100, 1, 3, 3}, {100, 50, 3, 2}, {5, 1, 8, 5}, {1000, 1, 1, 1}, {1001, 10, 4, 4},
  };
  for (const TSplitCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " min_block " << c.min_block << " threads " << c.threads);
    SetParallelThreads(c.threads);
    std::vector<std::atomic<int>> hits(c.n);
    std::mutex m;
    std::vector<std::pair<size_t, size_t>> blocks;
    bool first_on_caller = false;
    const std::thread::id caller = std::this_thread::get_id();
    ParallelFor(c.n, c.min_block, [&](size_t b, size_t e) {
      for (size_t i = b; i < e; ++i) ++hits[i];
      std::lock_guard<std::mutex> lock(m);
      blocks.push_back({b, e});
      if (b == 0) first_on_caller = std::this_thread::get_id() == caller;
    });
    EXPECT_EQ(blocks.size(), c.blocks);
    for (size_t i = 0; i < c.n; ++i) ASSERT_EQ(hits[i].load(), 1) << "index " << i;
    if (c.n > 0) {
      EXPECT_TRUE(first_on_caller);
    }
  }
  SetParallelThreads(0);
  EXPECT_GE(ParallelThreads(), 1);
}
