#include "mesh/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_threads{0};

int DefaultThreads() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

}  // namespace

int ParallelThreads() {
  const int t = g_threads.load();
  return t > 0 ? t : DefaultThreads();
}

void SetParallelThreads(int threads) { g_threads.store(std::max(0, threads)); }

// The blocks beyond the first run on threads started for this call; starting
// a thread costs tens of microseconds, small against the passes that use this
// (a block is at least min_block vertices).
void ParallelFor(size_t n, size_t min_block, const std::function<void(size_t, size_t)>& body) {
  if (n == 0) return;
  const size_t block_floor = std::max<size_t>(min_block, 1);
  const size_t blocks = std::min<size_t>(static_cast<size_t>(ParallelThreads()), n / block_floor);
  if (blocks <= 1) {
    body(0, n);
    return;
  }
  const size_t step = (n + blocks - 1) / blocks;
  std::vector<std::thread> workers;
  workers.reserve(blocks - 1);
  for (size_t b = 1; b < blocks; ++b) {
    const size_t begin = b * step, end = std::min(n, begin + step);
    if (begin < end) workers.emplace_back([&body, begin, end] { body(begin, end); });
  }
  body(0, std::min(n, step));
  for (std::thread& w : workers) w.join();
}

void ParallelForChunks(size_t n, size_t chunk, const std::function<void(size_t, size_t)>& body) {
  if (n == 0) return;
  chunk = std::max<size_t>(chunk, 1);
  const size_t chunks = (n + chunk - 1) / chunk;
  const size_t threads = std::min<size_t>(static_cast<size_t>(ParallelThreads()), chunks);
  if (threads <= 1) {
    body(0, n);
    return;
  }
  std::atomic<size_t> next{0};
  const auto take = [&] {
    for (size_t c = next.fetch_add(1); c < chunks; c = next.fetch_add(1)) body(c * chunk, std::min(n, (c + 1) * chunk));
  };
  std::vector<std::thread> workers;
  workers.reserve(threads - 1);
  for (size_t t = 1; t < threads; ++t) workers.emplace_back(take);
  take();
  for (std::thread& w : workers) w.join();
}
