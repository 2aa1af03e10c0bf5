#pragma once
// Large arrays (the vertex records of a million-vertex mesh take hundreds of
// megabytes) are new memory: each page costs a fault the first time it is
// written, and a single thread writing the array pays for all of them in
// turn. Prefaulting asks the system for every page of a block up front, split
// over the cores. It never changes the block's contents, so it may be asked
// for memory that already holds values.
#include <cstddef>

// Makes the pages of [p, p + bytes) present and writable, on ParallelThreads()
// threads. Blocks under a few megabytes are left alone (their faults cost
// less than starting a thread), as is everything on a system that cannot
// prefault: the pages then fault in when first written, as usual.
void PrefaultPages(void* p, size_t bytes);

// Reserves room for `count` elements in `array` (a std::vector or
// std::string) and prefaults the part beyond its present size.
template <class Array>
void ReservePrefaulted(Array& array, size_t count) {
  array.reserve(count);
  if (count > array.size())
    PrefaultPages(array.data() + array.size(), (count - array.size()) * sizeof(*array.data()));
}
