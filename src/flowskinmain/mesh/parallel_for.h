#pragma once
// Work split over the machine's cores: a range of indices cut into one
// contiguous block per thread, each block handled by one call. Calls never
// share an index, so per-index work gives the same results on any number of
// threads.
#include <cstddef>
#include <functional>

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
