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

// Chunks taken in turn: every index once, in chunks of the given size on
// their boundaries; on one thread, or for a range of one chunk, one call on
// the calling thread.
TEST(ParallelFor, ChunksCoverEveryIndexOnceOnTheirBoundaries) {
  const struct {
    size_t n, chunk;
    int threads;
  } cases[] = {{0, 4, 2}, {3, 4, 2}, {4, 4, 2}, {10, 4, 2}, {1000, 7, 3}, {1000, 1000, 2}, {999, 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " chunk " << c.chunk << " threads " << c.threads);
    SetParallelThreads(c.threads);
    std::vector<std::atomic<int>> hits(c.n);
    const bool one_call = c.threads == 1 || c.n <= c.chunk;
    std::atomic<size_t> calls{0}, off_caller{0};
    const std::thread::id caller = std::this_thread::get_id();
    ParallelForChunks(c.n, c.chunk, [&](size_t b, size_t e) {
      ++calls;
      if (std::this_thread::get_id() != caller) ++off_caller;
      EXPECT_EQ(b, one_call ? 0u : b - b % c.chunk);
      EXPECT_EQ(e, one_call ? c.n : std::min(c.n, b + c.chunk));
      for (size_t i = b; i < e; ++i) ++hits[i];
    });
    for (size_t i = 0; i < c.n; ++i) ASSERT_EQ(hits[i].load(), 1) << "index " << i;
    EXPECT_EQ(calls.load(), one_call ? (c.n > 0 ? 1u : 0u) : (c.n + c.chunk - 1) / c.chunk);
    if (one_call) {
      EXPECT_EQ(off_caller.load(), 0u);
    }
  }
  SetParallelThreads(0);
}
