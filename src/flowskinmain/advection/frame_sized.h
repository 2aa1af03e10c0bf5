#pragma once
// Buffers the size of a frame that are kept between frames: each is sized to
// the frame at hand, and its memory is given back when the frame is much
// smaller than what the buffer holds, so that the largest frame ever drawn
// (a full-screen view, a large movie) does not keep its memory for good.
#include <cstddef>
#include <vector>

template <typename T>
void SizeForFrame(std::vector<T>& buffer, size_t n) {
  if (buffer.capacity() > 2 * n + 4096) std::vector<T>().swap(buffer);
  buffer.resize(n);
}
