#include "formats/triangle_soup.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <utility>

namespace {

// The bits of a position with -0 taken as 0, so that equal coordinates give
// equal keys.
struct TKey {
  uint32_t x, y, z;
  bool operator==(const TKey&) const = default;
};

uint32_t Bits(float f) { return f == 0 ? 0u : std::bit_cast<uint32_t>(f); }

TKey KeyOf(const TVec3& p) { return TKey{Bits(p.x), Bits(p.y), Bits(p.z)}; }

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
  int32_t FindOrAdd(const TKey& key) {
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
  static size_t Hash(const TKey& k) {
    uint64_t h = (k.x * 0x9E3779B97F4A7C15ull) ^ (k.y * 0xC2B2AE3D27D4EB4Full) ^ (k.z * 0x165667B19E3779F9ull);
    return static_cast<size_t>(h ^ (h >> 29) ^ (h >> 47));
  }

  std::vector<int32_t> slots_;
  std::vector<TKey> keys_;
};

void CarryFields(const TVertex& old, TVertex& v) {
  v.aux = old.aux;
  v.aux_base = old.aux_base;
  v.align_mark = old.align_mark;
  v.user_velo = old.user_velo;
}

}  // namespace

bool BuildMeshFromSoup(const TTriangleSoup& soup, bool swap, const TMesh* previous, TMesh& mesh, std::string& reason) {
  const size_t triangles = soup.corners.size() / 3;
  const bool has_uv = !soup.uv.empty() && soup.uv.size() == soup.corners.size();
  if (triangles > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    reason = "the file has too many triangles";
    return false;
  }
  TPositionIndex index(soup.corners.size());
  std::vector<size_t> first_corner;  // of each vertex, in vertex order
  mesh.faces.clear();
  mesh.faces.reserve(triangles);
  for (size_t t = 0; t < triangles; ++t) {
    const TKey k[3] = {KeyOf(soup.corners[3 * t]), KeyOf(soup.corners[3 * t + 1]), KeyOf(soup.corners[3 * t + 2])};
    if (k[0] == k[1] || k[1] == k[2] || k[2] == k[0]) continue;  // degenerate: drop
    TFace face{};
    for (int c = 0; c < 3; ++c) {
      face.v[c] = index.FindOrAdd(k[c]);
      if (static_cast<size_t>(face.v[c]) == first_corner.size()) first_corner.push_back(3 * t + c);
    }
    if (swap) std::swap(face.v[0], face.v[1]);
    mesh.faces.push_back(face);
  }
  if (mesh.faces.empty()) {
    reason = "the file holds no triangles";
    return false;
  }
  mesh.vertices.assign(index.Count(), TVertex{});
  for (size_t i = 0; i < first_corner.size(); ++i) {
    TVertex& v = mesh.vertices[i];
    v.pos = soup.corners[first_corner[i]];
    if (has_uv) {
      v.tex0[0] = soup.uv[first_corner[i]][0];
      v.tex0[1] = soup.uv[first_corner[i]][1];
    }
    if (previous && i < previous->vertices.size()) CarryFields(previous->vertices[i], v);
  }
  mesh.vertex_count = static_cast<int32_t>(mesh.vertices.size());
  mesh.face_count = static_cast<int32_t>(mesh.faces.size());
  mesh.has_user_velo = false;
  mesh.has_tex0 = has_uv;
  mesh.time_count = 0;
  return true;
}
