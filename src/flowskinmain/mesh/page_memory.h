#pragma once
// Large arrays (the vertex records of a million-vertex mesh take hundreds of
// megabytes) are new memory: each page costs a fault the first time it is
// written, and a single thread writing the array pays for all of them in
// turn. Prefaulting asks the system for every page of a block up front, split
// over the cores. It never changes the block's contents, so it may be asked
// for memory that is being written at the same time.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "mesh/releasing_allocator.h"

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
  if (count > array.size()) PrefaultPages(array.data() + array.size(), (count - array.size()) * sizeof(*array.data()));
}

// Prefaulting beside the writing of a block: a thread of its own asks for the
// pages from the block's start while the caller writes it from its start too.
// Finish, or the destructor, stops the thread where it is (the caller has
// written the block by then, so what is left would be asked for in vain) and
// waits for it. On a single core, or for a small block, nothing is started.
class TBackgroundPrefault {
 public:
  TBackgroundPrefault(void* p, size_t bytes);
  ~TBackgroundPrefault() { Finish(); }
  TBackgroundPrefault(const TBackgroundPrefault&) = delete;
  TBackgroundPrefault& operator=(const TBackgroundPrefault&) = delete;
  void Finish();

 private:
  void TakeChunks();

  uintptr_t first_page_ = 0;  // address of the block's first whole page
  size_t chunks_ = 0;         // chunks of whole pages in the block
  size_t pages_ = 0;          // whole pages in the block
  std::atomic<size_t> next_{0};
  std::thread thread_;
};
