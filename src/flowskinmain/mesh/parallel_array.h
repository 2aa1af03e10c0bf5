#pragma once
// A fixed-size working array of plain values whose elements are set up
// (value-initialised, i.e. zero) by all the cores: a large array is new memory,
// and the pages are faulted in by the threads that zero them instead of by one.
// Its pages are handed back on all cores too when it is freed.
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

#include "mesh/parallel_for.h"
#include "mesh/releasing_allocator.h"

template <class T>
class TParallelArray {
  static_assert(std::is_trivially_destructible_v<T>, "elements are never destroyed one by one");

 public:
  explicit TParallelArray(size_t count) : TParallelArray(count, 0) {
    if (count == 0) return;
    T* p = data_.get();
    ParallelFor(count, kSetUpBlock, [p](size_t begin, size_t end) {
      for (size_t i = begin; i < end; ++i) ::new (static_cast<void*>(p + i)) T();
    });
  }
  // An array whose elements are left unset, for a caller that writes every
  // one before reading it (each thread's block then first touched by it).
  static TParallelArray ForOverwrite(size_t count) { return TParallelArray(count, 0); }

  T& operator[](size_t i) { return data_.get()[i]; }
  const T& operator[](size_t i) const { return data_.get()[i]; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  size_t size() const { return size_; }

 private:
  TParallelArray(size_t count, int) : size_(count) {
    if (count == 0) return;
    void* block = std::malloc(count * sizeof(T));
    if (!block) throw std::bad_alloc();
    data_ = std::unique_ptr<T, TFree>(static_cast<T*>(block), TFree{count});
  }

  static constexpr size_t kSetUpBlock = 1 << 16;
  struct TFree {
    void operator()(T* p) const {
      ReleasePages(p, size * sizeof(T));
      std::free(p);
    }
    size_t size = 0;
  };
  std::unique_ptr<T, TFree> data_;
  size_t size_;
};
