#pragma once
// Sweeps over the vertex records read or write a few fields of each large
// record; the processor's own prefetching does not run far enough ahead for
// that stride. A sweep at record i asks for the cache lines of the fields it
// will use in record i + kPrefetchAhead (when that record is in use). These
// are hints only: no value changes.
#include <cstdint>

constexpr int32_t kPrefetchAhead = 32;  // records

// The cache line holding *p, to be read / to be written.
static inline void PrefetchRead(const void* p) { __builtin_prefetch(p, 0); }
static inline void PrefetchWrite(const void* p) { __builtin_prefetch(p, 1); }
