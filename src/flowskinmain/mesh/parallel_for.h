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
