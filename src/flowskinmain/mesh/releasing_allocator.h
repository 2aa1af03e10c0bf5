#pragma once
// Freeing a large array hands its pages back to the system one at a time, on
// the thread that frees it: for the hundreds of megabytes of a large mesh's
// records that costs as much as a pass over them. The mesh's arrays therefore
// hand their pages back on all cores just before they are freed.
#include <cstddef>
#include <memory>

// Hands the whole pages of [p, p + bytes), a block about to be freed, back to
// the system on ParallelThreads() threads; their contents are lost. Blocks
// the allocator may keep for reuse (up to tens of megabytes) are left to the
// free that follows, as is everything when no thread can be started.
void ReleasePages(void* p, size_t bytes) noexcept;

// std::allocator, except that a block's pages are released on all cores
// before the block is freed.
template <class T>
struct TReleasingAllocator {
  using value_type = T;
  TReleasingAllocator() = default;
  template <class U>
  TReleasingAllocator(const TReleasingAllocator<U>&) noexcept {}
  T* allocate(size_t n) { return std::allocator<T>().allocate(n); }
  void deallocate(T* p, size_t n) noexcept {
    ReleasePages(p, n * sizeof(T));
    std::allocator<T>().deallocate(p, n);
  }
  friend bool operator==(const TReleasingAllocator&, const TReleasingAllocator&) { return true; }
};
