#include "advection/surface_arrays.h"

#include <algorithm>

#include "advection/surface_opacity.h"
#include "mesh/parallel_for.h"

namespace {

bool IsMarker(int32_t entry) { return static_cast<uint32_t>(entry) >= 0x7FFFFFFEu; }

// Fewest vertices a thread packs at a time.
constexpr size_t kPackChunk = 16384;

// Every entry's values are written by one call on their own, so the entries
// are split over the cores with the same result.
template <typename Fill>
void PackEach(const TMesh& mesh, const TVertexOrder& order, int per_vertex, std::vector<float>& out, Fill fill) {
  const size_t n = order.empty() ? mesh.vertices.size() : order.size();
  out.resize(n * per_vertex);
  const TVertex* vs = mesh.vertices.data();
  const uint32_t* records = order.data();
  float* packed = out.data();
  ParallelForChunks(n, kPackChunk, [&](size_t begin, size_t end) {
    float* o = packed + begin * per_vertex;
    if (!records) {
      for (size_t i = begin; i < end; ++i, o += per_vertex) fill(vs[i], o);
    } else {
      for (size_t i = begin; i < end; ++i, o += per_vertex) fill(vs[records[i]], o);
    }
  });
}

}  // namespace

void PackPositions(const TMesh& mesh, bool use_adv, std::vector<float>& out, const TVertexOrder& order) {
  PackEach(mesh, order, 3, out, [use_adv](const TVertex& v, float* o) {
    const TVec3& p = use_adv ? v.adv_pos : v.pos;
    o[0] = static_cast<float>(p.x);
    o[1] = static_cast<float>(p.y);
    o[2] = static_cast<float>(p.z);
  });
}

void PackNormals(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order) {
  PackEach(mesh, order, 3, out, [](const TVertex& v, float* o) {
    o[0] = static_cast<float>(v.normal.x);
    o[1] = static_cast<float>(v.normal.y);
    o[2] = static_cast<float>(v.normal.z);
  });
}

void PackTexCoords(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order) {
  PackEach(mesh, order, 2, out, [](const TVertex& v, float* o) {
    o[0] = v.tex[0];
    o[1] = v.tex[1];
  });
}

void PackBaseTexCoords(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order) {
  PackEach(mesh, order, 2, out, [](const TVertex& v, float* o) {
    o[0] = v.tex0[0];
    o[1] = v.tex0[1];
  });
}

void PackDataCoords(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order) {
  PackEach(mesh, order, 1, out, [](const TVertex& v, float* o) { o[0] = static_cast<float>(v.norm_value); });
}

void PackOpacityColours(const TMesh& mesh, const float colour[4], double a, bool inverse, std::vector<float>& out,
                        const TVertexOrder& order) {
  PackEach(mesh, order, 4, out, [&](const TVertex& v, float* o) {
    o[0] = colour[0];
    o[1] = colour[1];
    o[2] = colour[2];
    o[3] = static_cast<float>(SurfaceOpacity(a, v.norm_value, inverse));
  });
}

void PackFaceIndices(const TMesh& mesh, std::vector<uint32_t>& out) {
  const size_t n = static_cast<size_t>(mesh.face_count);
  out.resize(n * 3);
  for (size_t f = 0; f < n; ++f)
    for (int k = 0; k < 3; ++k) out[f * 3 + k] = static_cast<uint32_t>(mesh.faces[f].v[k]);
}

TStripRuns SplitStripRuns(const TMesh& mesh, bool keep_open_tail) {
  TStripRuns r;
  const int32_t* s = mesh.strips.data();
  int32_t start = 0;
  auto add = [&](int32_t end) {
    if (end - start < 3) return;
    r.counts.push_back(end - start);
    r.firsts.push_back(start);
  };
  for (int32_t i = 0; i < mesh.strip_len; ++i) {
    if (!IsMarker(s[i])) continue;
    add(i);
    start = i + 1;
  }
  if (keep_open_tail) add(mesh.strip_len);
  return r;
}

void StripTriangles(const TMesh& mesh, const TStripRuns& runs, std::vector<uint32_t>& out) {
  size_t total = 0;
  for (int32_t c : runs.counts) total += static_cast<size_t>(c - 2) * 3;
  out.resize(total);
  uint32_t* o = out.data();
  const int32_t* s = mesh.strips.data();
  for (size_t r = 0; r < runs.counts.size(); ++r) {
    const int32_t* v = s + runs.firsts[r];
    for (int32_t k = 0; k + 2 < runs.counts[r]; ++k, o += 3) {
      const bool odd = k % 2 != 0;
      o[0] = static_cast<uint32_t>(v[odd ? k + 1 : k]);
      o[1] = static_cast<uint32_t>(v[odd ? k : k + 1]);
      o[2] = static_cast<uint32_t>(v[k + 2]);
    }
  }
}

void NumberByFirstUse(int32_t vertex_count, std::vector<uint32_t>& indices, TVertexOrder& order) {
  constexpr uint32_t kUnnumbered = 0xFFFFFFFFu;
  std::vector<uint32_t> number(static_cast<size_t>(std::max(vertex_count, 0)), kUnnumbered);
  order.clear();
  for (uint32_t& i : indices) {
    uint32_t& n = number[i];
    if (n == kUnnumbered) {
      n = static_cast<uint32_t>(order.size());
      order.push_back(i);
    }
    i = n;
  }
}
