#include "advection/surface_arrays.h"

#include <algorithm>

#include "advection/surface_opacity.h"
#include "mesh/parallel_for.h"

namespace {

bool IsMarker(int32_t entry) { return static_cast<uint32_t>(entry) >= 0x7FFFFFFEu; }

// Fewest vertices a thread packs at a time.
constexpr size_t kPackChunk = 16384;

// One vertex's entry of each array, as the immediate-mode calls convert it.
void WritePosition(const TVertex& v, bool use_adv, float* o) {
  const TVec3& p = use_adv ? v.adv_pos : v.pos;
  o[0] = static_cast<float>(p.x);
  o[1] = static_cast<float>(p.y);
  o[2] = static_cast<float>(p.z);
}

void WriteNormal(const TVertex& v, float* o) {
  o[0] = static_cast<float>(v.normal.x);
  o[1] = static_cast<float>(v.normal.y);
  o[2] = static_cast<float>(v.normal.z);
}

void WriteTex(const TVertex& v, float* o) {
  o[0] = v.tex[0];
  o[1] = v.tex[1];
}

void WriteTex0(const TVertex& v, float* o) {
  o[0] = v.tex0[0];
  o[1] = v.tex0[1];
}

void WriteDataCoord(const TVertex& v, float* o) { o[0] = static_cast<float>(v.norm_value); }

void WriteColour(const TVertex& v, const float colour[4], double a, bool inverse, float* o) {
  o[0] = colour[0];
  o[1] = colour[1];
  o[2] = colour[2];
  o[3] = static_cast<float>(SurfaceOpacity(a, v.norm_value, inverse));
}

}  // namespace

// Every entry's values are written by one call on their own, so the entries
// are split over the cores with the same result.
void PackArrays(const TMesh& mesh, const TPackTargets& t, const TVertexOrder& order) {
  const size_t n = order.empty() ? mesh.vertices.size() : order.size();
  std::vector<float>* const targets[] = {t.positions, t.normals, t.tex, t.tex0, t.data_coords, t.colours};
  const int widths[] = {3, 3, 2, 2, 1, 4};
  float* out[6] = {};
  for (int k = 0; k < 6; ++k) {
    if (!targets[k]) continue;
    targets[k]->resize(n * widths[k]);
    out[k] = targets[k]->data();
  }
  const TVertex* vs = mesh.vertices.data();
  const uint32_t* records = order.data();
  ParallelForChunks(n, kPackChunk, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      const TVertex& v = vs[records ? records[i] : i];
      if (out[0]) WritePosition(v, t.use_adv, out[0] + 3 * i);
      if (out[1]) WriteNormal(v, out[1] + 3 * i);
      if (out[2]) WriteTex(v, out[2] + 2 * i);
      if (out[3]) WriteTex0(v, out[3] + 2 * i);
      if (out[4]) WriteDataCoord(v, out[4] + i);
      if (out[5]) WriteColour(v, t.colour, t.alpha, t.inverse, out[5] + 4 * i);
    }
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
