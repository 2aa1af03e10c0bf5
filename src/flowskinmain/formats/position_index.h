#pragma once
// Joining of points by position: points whose coordinates are bit for bit
// equal (0 and -0 counting as equal) become one vertex. Used where a file
// repeats its points (triangle soups, patches sharing a seam).
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesh/mesh_model.h"

// The bits of a position with -0 taken as 0, so that equal coordinates give
// equal keys.
struct TPositionKey {
  uint32_t x, y, z;
  bool operator==(const TPositionKey&) const = default;
};

inline uint32_t PositionBits(float f) { return f == 0 ? 0u : std::bit_cast<uint32_t>(f); }

inline TPositionKey PositionKeyOf(const TVec3& p) {
  return TPositionKey{PositionBits(p.x), PositionBits(p.y), PositionBits(p.z)};
}

// Index of the joined vertices by position: open addressing with linear
// probing in a table of at least twice as many slots as corners.
class TPositionIndex {
 public:
  explicit TPositionIndex(size_t corners) {
    size_t size = 16;
    while (size < 2 * corners) size *= 2;
    slots_.assign(size, -1);
  }

  // The vertex at `key`; a new vertex (numbered keys_.size()) when there is none yet.
  int32_t FindOrAdd(const TPositionKey& key) {
    const size_t mask = slots_.size() - 1;
    for (size_t s = Hash(key) & mask;; s = (s + 1) & mask) {
      const int32_t v = slots_[s];
      if (v < 0) {
        slots_[s] = static_cast<int32_t>(keys_.size());
        keys_.push_back(key);
        return slots_[s];
      }
      if (keys_[v] == key) return v;
    }
  }
  size_t Count() const { return keys_.size(); }

 private:
  static size_t Hash(const TPositionKey& k) {
    uint64_t h = (k.x * 0x9E3779B97F4A7C15ull) ^ (k.y * 0xC2B2AE3D27D4EB4Full) ^ (k.z * 0x165667B19E3779F9ull);
    return static_cast<size_t>(h ^ (h >> 29) ^ (h >> 47));
  }

  std::vector<int32_t> slots_;
  std::vector<TPositionKey> keys_;
};
