#include "mesh/mesh_preparation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "mesh/double_lanes.h"
#include "mesh/parallel_array.h"
#include "mesh/parallel_for.h"
#include "mesh/record_prefetch.h"

namespace {

void AddNeighbour(TVertex& v, int32_t b) {
  for (int32_t s = 0; s < v.nb_count; ++s)
    if (v.nb[s] == b) return;
  if (v.nb_count < kMaxAdjacent) v.nb[v.nb_count++] = b;
}

void AddFace(TVertex& v, int32_t f) {
  if (v.vface_count < kMaxAdjacent) v.vface[v.vface_count++] = f;
}

// Three doubles for the final normalisation of the normal sums.
struct TD3 {
  double x, y, z;
};

inline double Dot(const TD3& a, const TD3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(const TD3& a) { return std::sqrt(Dot(a, a)); }

// a / |a|, or a when its length is 0.
inline TD3 Unit(const TD3& a) {
  const double len = Length(a);
  return len > 0 ? TD3{a.x / len, a.y / len, a.z / len} : a;
}

// Edge vectors, normals and corner angles of two faces at once, one per lane.
struct TL3 {
  TLanes x, y, z;
};

inline TL3 Sub2(const TVec3& to0, const TVec3& from0, const TVec3& to1, const TVec3& from1) {
  return TL3{Lanes(to0.x, to1.x) - Lanes(from0.x, from1.x), Lanes(to0.y, to1.y) - Lanes(from0.y, from1.y),
             Lanes(to0.z, to1.z) - Lanes(from0.z, from1.z)};
}
inline TL3 Cross(const TL3& a, const TL3& b) {
  return TL3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline TLanes Dot(const TL3& a, const TL3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// a / |a| per lane, or a where its length is 0 (no division by zero).
inline TL3 Unit(const TL3& a) {
  const TLanes zero = {0, 0}, one = {1, 1};
  const TLanes len = LaneSqrt(Dot(a, a));
  const auto nonzero = len > zero;
  const TLanes d = nonzero ? len : one;
  return TL3{nonzero ? a.x / d : a.x, nonzero ? a.y / d : a.y, nonzero ? a.z / d : a.z};
}

// Angle between the unit (or zero) vectors u and w, 0..pi, per lane.
inline TLanes CornerAngle(const TL3& u, const TL3& w) {
  const TL3 x = Cross(u, w);
  const TLanes s = LaneSqrt(Dot(x, x)), c = Dot(u, w);
  return Lanes(std::atan2(s[0], c[0]), std::atan2(s[1], c[1]));
}

inline void AddScaled(TVec3& acc, const TVec3& v, double s) {
  acc.x = static_cast<float>(acc.x + v.x * s);
  acc.y = static_cast<float>(acc.y + v.y * s);
  acc.z = static_cast<float>(acc.z + v.z * s);
}

}  // namespace

constexpr int32_t kFacesAhead = 8;
// Smallest share of vertices (or faces) a thread takes in the parallel passes.
constexpr size_t kVertexBlock = 8192;

// Smallest share for the passes in which every thread sweeps all faces for
// the vertices of its own range: each further thread adds one more reading of
// the whole face array, so at most four threads take part.
static size_t SweepBlock(size_t vertex_count) { return std::max(kVertexBlock, (vertex_count + 3) / 4); }

namespace {

// The lists of the vertices [first, last): every face in index order makes
// the additions of BuildAdjacency, each one only where the vertex it changes
// lies in the range. A vertex's lists thus see the additions in the order of
// the whole sweep, whatever the range.
void AdjacencyOfRange(TMesh& mesh, int32_t first, int32_t last, std::vector<uint8_t>& reached) {
  TVertex* vs = mesh.vertices.data();
  auto in = [first, last](int32_t i) { return i >= first && i < last; };
  // A vertex's lists are emptied when the first face reaches it (its record
  // is being written then anyway); vertices in no face are emptied at the end.
  // This spares a separate sweep over the large records.
  auto reach = [&](int32_t i) {
    if (reached[i]) return;
    reached[i] = 1;
    vs[i].nb_count = vs[i].vface_count = 0;
  };
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    if (f + kFacesAhead < mesh.face_count) {
      // the lists of the corners of a face further on
      const int32_t* w = mesh.faces[f + kFacesAhead].v;
      for (int k = 0; k < 3; ++k) {
        if (!in(w[k])) continue;
        PrefetchWrite(&vs[w[k]].nb[0]);
        PrefetchWrite(&vs[w[k]].vface_count);
      }
    }
    const int32_t p = mesh.faces[f].v[0], q = mesh.faces[f].v[1], r = mesh.faces[f].v[2];
    const bool hp = in(p), hq = in(q), hr = in(r);
    if (!hp && !hq && !hr) continue;
    if (hp) reach(p);
    if (hq) reach(q);
    if (hr) reach(r);
    if (hp) AddNeighbour(vs[p], q);
    if (hq) AddNeighbour(vs[q], p);
    if (hp) AddNeighbour(vs[p], r);
    if (hr) AddNeighbour(vs[r], p);
    if (hq) AddNeighbour(vs[q], r);
    if (hr) AddNeighbour(vs[r], q);
    if (hp) AddFace(vs[p], f);
    if (hq) AddFace(vs[q], f);
    if (hr) AddFace(vs[r], f);
  }
  for (int32_t i = first; i < last; ++i)
    if (!reached[i]) vs[i].nb_count = vs[i].vface_count = 0;
}

}  // namespace

// The vertices are split over the threads; each thread sweeps all faces for
// its own vertices, so the lists are the same on any number of threads.
void BuildAdjacency(TMesh& mesh) {
  std::vector<uint8_t> reached(mesh.vertex_count, 0);
  const size_t n = static_cast<size_t>(std::max(mesh.vertex_count, 0));
  ParallelFor(n, SweepBlock(n), [&](size_t begin, size_t end) {
    AdjacencyOfRange(mesh, static_cast<int32_t>(begin), static_cast<int32_t>(end), reached);
  });
  // A vertex on a border has one neighbour more than it has faces.
  mesh.open = false;
  for (int32_t i = 0; i < mesh.vertex_count && !mesh.open; ++i)
    mesh.open = mesh.vertices[i].nb_count > mesh.vertices[i].vface_count;
}

namespace {

// The weights of a face's corners in the vertex normals (corner angles 0..pi);
// the third is what the first two leave of pi.
struct TCornerAngles {
  double a[2];
  double operator[](int k) const { return k < 2 ? a[k] : std::max(0.0, std::numbers::pi - a[0] - a[1]); }
};

// fnormal and the corner angles of the faces [begin, end), two faces at a
// time, one per lane (a lane gives the bits of the scalar computation).
void FaceNormals(FaceArray& faces, const TVec3* pos, TCornerAngles* angles, size_t begin, size_t end) {
  for (size_t f = begin; f < end; f += 2) {
    const int lanes = f + 1 < end ? 2 : 1;
    TFace* face[2] = {&faces[f], &faces[f + lanes - 1]};
    const int32_t* v0 = face[0]->v;
    const int32_t* v1 = face[1]->v;
    const TVec3 &p0 = pos[v0[0]], &p1 = pos[v0[1]], &p2 = pos[v0[2]];
    const TVec3 &q0 = pos[v1[0]], &q1 = pos[v1[1]], &q2 = pos[v1[2]];
    const TL3 a = Unit(Sub2(p1, p0, q1, q0)), b = Unit(Sub2(p2, p1, q2, q1)), c = Unit(Sub2(p0, p2, q0, q2));
    const TL3 fn = Unit(Cross(a, b));
    const TL3 na{-a.x, -a.y, -a.z}, nc{-c.x, -c.y, -c.z};
    const TLanes angle0 = CornerAngle(nc, a), angle1 = CornerAngle(na, b);
    for (int l = 0; l < lanes; ++l) {
      face[l]->fnormal = TVec3{static_cast<float>(fn.x[l]), static_cast<float>(fn.y[l]), static_cast<float>(fn.z[l])};
      // Where the normal is not zero every edge is non-zero and the corner
      // angles sum to pi.
      angles[f + l].a[0] = angle0[l];
      angles[f + l].a[1] = angle1[l];
    }
  }
}

// The normal sums of the vertices [first, last): every face in index order
// adds fnormal times its corner angle to those of its corners in the range.
// A face with a zero normal (a zero edge, or collinear corners) adds nothing.
void SumNormals(const FaceArray& faces, const TCornerAngles* angles, int32_t first, int32_t last,
                TParallelArray<TVec3>& sum) {
  for (size_t f = 0; f < faces.size(); ++f) {
    const TFace& face = faces[f];
    const TVec3& fn = face.fnormal;
    if (fn.x == 0 && fn.y == 0 && fn.z == 0) continue;
    for (int k = 0; k < 3; ++k) {
      const int32_t v = face.v[k];
      if (v >= first && v < last) AddScaled(sum[v], fn, angles[f][k]);
    }
  }
}

}  // namespace

// Faces and vertices are split over the threads. A vertex's sum is added up by
// one thread in face order, so the normals have the same bits on any number of
// threads.
void ComputeNormals(TMesh& mesh) {
  // Positions and the normal sums live in compact arrays during the face
  // sweeps (the full vertex records are large and faces reach them out of order).
  const size_t count = static_cast<size_t>(std::max(mesh.vertex_count, 0));
  auto pos = TParallelArray<TVec3>::ForOverwrite(count);  // all copied below
  TParallelArray<TVec3> sum(count);
  TVertex* vs = mesh.vertices.data();
  ParallelFor(count, kVertexBlock, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      if (i + kPrefetchAhead < end) PrefetchRead(&vs[i + kPrefetchAhead].pos);
      pos[i] = vs[i].pos;
    }
  });
  const size_t face_count = mesh.faces.size();
  // Every entry is written before it is read: the array is left unset at
  // first, so that each thread's block is first touched by that thread.
  auto angles = TParallelArray<TCornerAngles>::ForOverwrite(face_count);
  // blocks of whole face pairs
  ParallelFor((face_count + 1) / 2, kVertexBlock / 2, [&](size_t begin, size_t end) {
    FaceNormals(mesh.faces, pos.data(), angles.data(), 2 * begin, std::min(face_count, 2 * end));
  });
  ParallelFor(count, SweepBlock(count), [&](size_t begin, size_t end) {
    SumNormals(mesh.faces, angles.data(), static_cast<int32_t>(begin), static_cast<int32_t>(end), sum);
    for (size_t i = begin; i < end; ++i) {
      if (i + kPrefetchAhead < end) PrefetchWrite(&vs[i + kPrefetchAhead].normal);
      const TD3 u = Unit(TD3{sum[i].x, sum[i].y, sum[i].z});
      vs[i].normal = TVec3{static_cast<float>(u.x), static_cast<float>(u.y), static_cast<float>(u.z)};
    }
  });
}

namespace {

// Smallest and largest coordinates per axis, each starting from the same
// first position.
struct TBox {
  double lo[3], hi[3];
};

// Takes c into the box: a coordinate below the minimum becomes the minimum,
// otherwise one above the maximum becomes the maximum.
inline void Extend(TBox& box, const double c[3]) {
  for (int k = 0; k < 3; ++k) {
    if (c[k] < box.lo[k]) {
      box.lo[k] = c[k];
    } else if (c[k] > box.hi[k]) {
      box.hi[k] = c[k];
    }
  }
}

}  // namespace

// Each thread takes the box of its own vertices, starting from vertex 0;
// the boxes are then merged in order with the same rule. A minimum or maximum
// does not depend on the grouping, so the box is the same on any number of threads.
void ComputeBoundingBox(TMesh& mesh) {
  if (mesh.vertex_count <= 0) return;
  const TVec3& p0 = mesh.vertices[0].pos;
  const TBox start{{p0.x, p0.y, p0.z}, {p0.x, p0.y, p0.z}};
  const TVertex* vs = mesh.vertices.data();
  const auto scan = [vs](size_t begin, size_t end, TBox& box) {
    for (size_t i = begin; i < end; ++i) {
      if (i + kPrefetchAhead < end) PrefetchRead(&vs[i + kPrefetchAhead].pos);
      const TVec3& p = vs[i].pos;
      const double c[3] = {p.x, p.y, p.z};
      Extend(box, c);
    }
  };
  const std::vector<TBox> part = ScanInParts(static_cast<size_t>(mesh.vertex_count), kVertexBlock, start, scan);
  TBox box = start;
  for (const TBox& b : part) {
    Extend(box, b.lo);
    Extend(box, b.hi);
  }
  double diag2 = 0;
  for (int k = 0; k < 3; ++k) {
    mesh.box_min[k] = box.lo[k];
    mesh.box_max[k] = box.hi[k];
    diag2 += (box.hi[k] - box.lo[k]) * (box.hi[k] - box.lo[k]);
  }
  mesh.box_center =
      TVec3{static_cast<float>((box.lo[0] + box.hi[0]) / 2), static_cast<float>((box.lo[1] + box.hi[1]) / 2),
            static_cast<float>((box.lo[2] + box.hi[2]) / 2)};
  mesh.box_size = std::sqrt(diag2);
}

void GenerateTexCoords(TMesh& mesh) {
  if (mesh.has_tex0) return;
  double w = mesh.box_max[0] - mesh.box_min[0], h = mesh.box_max[1] - mesh.box_min[1];
  if (w == 0) w = 1;
  if (h == 0) h = 1;
  TVertex* vs = mesh.vertices.data();
  ParallelForChunks(static_cast<size_t>(std::max(mesh.vertex_count, 0)), kVertexBlock, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      if (i + kPrefetchAhead < end) {
        PrefetchRead(&vs[i + kPrefetchAhead].pos);
        PrefetchWrite(&vs[i + kPrefetchAhead].tex0);
      }
      TVertex& v = vs[i];
      v.tex0[0] = static_cast<float>((v.pos.x - mesh.box_min[0]) / w);
      v.tex0[1] = static_cast<float>(1 - (v.pos.y - mesh.box_min[1]) / h);
    }
  });
}
