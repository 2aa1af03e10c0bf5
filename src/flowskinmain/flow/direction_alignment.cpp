#include "flow/direction_alignment.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "mesh/parallel_for.h"
#include "mesh/record_prefetch.h"

namespace {

// Vertices in use that the array really holds.
int32_t VerticesInUse(const TMesh& mesh) {
  return std::min<int32_t>(mesh.vertex_count, static_cast<int32_t>(mesh.vertices.size()));
}

}  // namespace

void ResetCurvatureDirections(TMesh& mesh, bool sort_max_abs) {
  for (int32_t i = 0, n = VerticesInUse(mesh); i < n; ++i) {
    TVertex& v = mesh.vertices[i];
    const bool cross = sort_max_abs && !(std::abs(v.kmax) > std::abs(v.kmin));
    if (cross) {
      v.dir_max = v.dir_min0;
      v.dir_min = v.dir_max0;
    } else {
      v.dir_max = v.dir_max0;
      v.dir_min = v.dir_min0;
    }
  }
}

void AlignWithAxis(TMesh& mesh, double x, double y, double z) {
  TVec3 a{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  vec_normalize(a);
  TVertex* vs = mesh.vertices.data();
  // each vertex on its own: the vertices are split over the cores
  ParallelForChunks(static_cast<size_t>(VerticesInUse(mesh)), 8192, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      if (i + kPrefetchAhead < end) PrefetchWrite(&vs[i + kPrefetchAhead].dir_max);
      TVertex& v = vs[i];
      if (vec_dot(v.dir_max, a) < 0) vec_scale(v.dir_max, -1.0);
      if (vec_dot(v.dir_min, a) < 0) vec_scale(v.dir_min, -1.0);
    }
  });
}

void AlignDirectionsWithAxis(TMesh& mesh, int axis) {
  if (axis < 0 || axis > 2) return;
  AlignWithAxis(mesh, axis == 0 ? 1 : 0, axis == 1 ? 1 : 0, axis == 2 ? 1 : 0);
}

namespace {

// Negates the chosen direction of vertex `vi` when it points against the sum of
// the same direction over its oriented neighbours (align_mark 2). With no
// oriented neighbour the sum is zero and nothing changes.
void OrientDirection(TMesh& mesh, int32_t vi, TVec3 TVertex::*dir) {
  const TVertex& v = mesh.vertices[vi];
  double sx = 0, sy = 0, sz = 0;
  for (int32_t j = 0; j < v.nb_count && j < kMaxAdjacent; ++j) {
    const int32_t n = v.nb[j];
    if (n < 0 || n >= VerticesInUse(mesh)) continue;
    const TVertex& w = mesh.vertices[n];
    if (w.align_mark != 2) continue;
    const TVec3& d = w.*dir;
    sx += d.x;
    sy += d.y;
    sz += d.z;
  }
  TVec3& own = mesh.vertices[vi].*dir;
  if (sx * own.x + sy * own.y + sz * own.z < 0) vec_scale(own, -1.0);
}

}  // namespace

namespace {

// The breadth-first walk from `start` (marked 1 by the caller and already in
// queue[tail]): each vertex taken from the queue orients both directions by its
// oriented neighbours, is marked 2, and queues its unmarked neighbours. On
// return queue[first .. tail] holds the piece that was walked.
void WalkFrom(TMesh& mesh, std::vector<int32_t>& queue, int32_t& head, int32_t& tail) {
  const int32_t count = VerticesInUse(mesh);
  while (head <= tail) {
    const int32_t vi = queue[head];
    OrientDirection(mesh, vi, &TVertex::dir_max);
    OrientDirection(mesh, vi, &TVertex::dir_min);
    TVertex& v = mesh.vertices[vi];
    v.align_mark = 2;
    ++head;
    for (int32_t j = 0; j < v.nb_count && j < kMaxAdjacent; ++j) {
      const int32_t n = v.nb[j];
      if (n < 0 || n >= count || mesh.vertices[n].align_mark != 0) continue;
      queue[++tail] = n;
      mesh.vertices[n].align_mark = 1;
    }
  }
}

// Turns the chosen direction of every vertex of queue[first .. last] round
// when its y components sum to less than 0.
void TurnPieceTowardsY(TMesh& mesh, const std::vector<int32_t>& queue, int32_t first, int32_t last,
                       TVec3 TVertex::*dir) {
  double sum = 0;
  for (int32_t i = first; i <= last; ++i) sum += (mesh.vertices[queue[i]].*dir).y;
  if (!(sum < 0)) return;
  for (int32_t i = first; i <= last; ++i) vec_scale(mesh.vertices[queue[i]].*dir, -1.0);
}

// What every walk starts from: the directions as computed, no vertex marked,
// and a queue with room for each of the `count` vertices in use (each enters
// it at most once, marked 1 when queued).
std::vector<int32_t> StartWalks(TMesh& mesh, int32_t count, bool sort_max_abs) {
  ResetCurvatureDirections(mesh, sort_max_abs);
  for (int32_t i = 0; i < count; ++i) mesh.vertices[i].align_mark = 0;
  return std::vector<int32_t>(static_cast<size_t>(count));
}

}  // namespace

void AlignNeighbours(TMesh& mesh, bool sort_max_abs) {
  const int32_t count = VerticesInUse(mesh);
  if (count <= 0) return;
  std::vector<int32_t> queue = StartWalks(mesh, count, sort_max_abs);
  int32_t head = 0, tail = -1;
  const int32_t start = count / 2;
  queue[++tail] = start;
  mesh.vertices[start].align_mark = 1;
  WalkFrom(mesh, queue, head, tail);
}

void OrientPiecesConsistently(TMesh& mesh, bool sort_max_abs) {
  const int32_t count = VerticesInUse(mesh);
  if (count <= 0) return;
  std::vector<int32_t> queue = StartWalks(mesh, count, sort_max_abs);
  int32_t head = 0, tail = -1;
  // The piece of vertex count / 2 first, as "Align neighbor" walks it, then
  // every piece not reached yet from its lowest vertex.
  for (int32_t k = -1; k < count; ++k) {
    const int32_t start = k < 0 ? count / 2 : k;
    if (mesh.vertices[start].align_mark != 0) continue;
    const int32_t first = tail + 1;
    queue[++tail] = start;
    mesh.vertices[start].align_mark = 1;
    WalkFrom(mesh, queue, head, tail);
    TurnPieceTowardsY(mesh, queue, first, tail, &TVertex::dir_max);
    TurnPieceTowardsY(mesh, queue, first, tail, &TVertex::dir_min);
  }
}
