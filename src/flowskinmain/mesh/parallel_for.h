#pragma once
// Work split over the machine's cores: a range of indices cut into one
// contiguous block per thread, each block handled by one call. Calls never
// share an index, so per-index work gives the same results on any number of
// threads.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <vector>

// Threads ParallelFor uses: the cores reported, at least 1; SetParallelThreads
// overrides it (0 restores the default), for tests and benchmarks.
int ParallelThreads();
void SetParallelThreads(int threads);

// Calls body(begin, end) over [0, n) in blocks of at least min_block indices,
// the first block on the calling thread; returns when every block is done.
// Ranges shorter than 2 min_block run on the calling thread alone.
void ParallelFor(size_t n, size_t min_block, const std::function<void(size_t begin, size_t end)>& body);

// Calls body(begin, end) over [0, n) in chunks of `chunk` indices (the last
// one shorter), which the calling thread and one started thread per further
// core take in turn as they finish the last, so a part of the range that
// costs more (or a core that is busy with something else) is made up by the
// others. On one thread, or for a range of at most one chunk, the whole
// range is one call on the calling thread.
void ParallelForChunks(size_t n, size_t chunk, const std::function<void(size_t begin, size_t end)>& body);

// Splits [0, n) into one contiguous part per thread (parts of at least
// min_block indices; at least one part) and calls scan(begin, end, result) for
// each, every result starting as a copy of `start`. Returns the results in the
// order of the parts, for the caller to merge in that order.
template <class T, class Scan>
std::vector<T> ScanInParts(size_t n, size_t min_block, const T& start, Scan scan) {
  const size_t parts =
      std::clamp<size_t>(n / std::max<size_t>(min_block, 1), 1, static_cast<size_t>(ParallelThreads()));
  std::vector<T> result(parts, start);
  const size_t step = (n + parts - 1) / parts;
  ParallelFor(parts, 1, [&](size_t first, size_t last) {
    for (size_t b = first; b < last; ++b) scan(b * step, std::min(n, (b + 1) * step), result[b]);
  });
  return result;
}
