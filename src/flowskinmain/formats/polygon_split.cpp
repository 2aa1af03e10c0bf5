#include "formats/polygon_split.h"

#include <cmath>
#include <utility>

namespace {

struct TD3 {
  double x, y, z;
};

TD3 Sub(const TVec3& a, const TVec3& b) { return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z}; }
TD3 Cross(const TD3& a, const TD3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(const TD3& a, const TD3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Newell's normal of the polygon: its direction follows the winding, its
// length is twice the area of the projection; robust for non-planar and
// non-convex polygons.
TD3 NewellNormal(std::span<const TVec3> p) {
  TD3 n{0, 0, 0};
  for (size_t i = 0; i < p.size(); ++i) {
    const TVec3& a = p[i];
    const TVec3& b = p[(i + 1) % p.size()];
    n.x += (double(a.y) - b.y) * (double(a.z) + b.z);
    n.y += (double(a.z) - b.z) * (double(a.x) + b.x);
    n.z += (double(a.x) - b.x) * (double(a.y) + b.y);
  }
  return n;
}

// The quad (0,1,2,3) along its shorter diagonal, unless a triangle of that
// split faces against the quad (a non-convex quad whose reflex corner is off
// that diagonal); then along the other one.
void SplitQuad(std::span<const TVec3> p, std::vector<std::array<int32_t, 3>>& out) {
  const TD3 n = NewellNormal(p);
  auto faces_along = [&](int a, int b, int c) { return Dot(Cross(Sub(p[b], p[a]), Sub(p[c], p[a])), n) > 0; };
  const TD3 d02 = Sub(p[2], p[0]), d13 = Sub(p[3], p[1]);
  const bool ok02 = faces_along(0, 1, 2) && faces_along(0, 2, 3);
  const bool ok13 = faces_along(0, 1, 3) && faces_along(1, 2, 3);
  const bool use02 = Dot(d02, d02) <= Dot(d13, d13) ? (ok02 || !ok13) : (ok02 && !ok13);
  if (use02) {
    out.push_back({0, 1, 2});
    out.push_back({0, 2, 3});
  } else {
    out.push_back({0, 1, 3});
    out.push_back({1, 2, 3});
  }
}

struct TP2 {
  double x, y;
};

double Orient(const TP2& a, const TP2& b, const TP2& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// 1 for an equilateral triangle, towards 0 for a sliver: 4 sqrt(3) area / sum
// of squared edge lengths.
double Shape(const TP2& a, const TP2& b, const TP2& c) {
  const double area = 0.5 * Orient(a, b, c);
  auto sq = [](const TP2& u, const TP2& v) { return (u.x - v.x) * (u.x - v.x) + (u.y - v.y) * (u.y - v.y); };
  const double s = sq(a, b) + sq(b, c) + sq(c, a);
  return s > 0 ? 6.928203230275509 * area / s : 0;
}

bool InsideOrOn(const TP2& p, const TP2& a, const TP2& b, const TP2& c) {
  return Orient(a, b, p) >= 0 && Orient(b, c, p) >= 0 && Orient(c, a, p) >= 0;
}

// Polygons larger than this take the first ear found at each step instead of
// the best one; beyond kFanLimit corners they become a fan (no file of
// surface cells has such polygons; the limits bound the work on hostile input).
constexpr size_t kBestEarLimit = 64;
constexpr size_t kFanLimit = 1024;

void EarClip(std::span<const TVec3> p, std::vector<std::array<int32_t, 3>>& out) {
  const size_t n = p.size();
  const TD3 normal = NewellNormal(p);
  // In-plane axes u, v with u x v along the normal, so the winding is counter-clockwise in 2D.
  const double len = std::sqrt(Dot(normal, normal));
  const TD3 nz = len > 0 ? TD3{normal.x / len, normal.y / len, normal.z / len} : TD3{0, 0, 1};
  const TD3 helper = std::fabs(nz.x) < 0.6 ? TD3{1, 0, 0} : TD3{0, 1, 0};
  TD3 u = Cross(helper, nz);
  const double ul = std::sqrt(Dot(u, u));
  u = {u.x / ul, u.y / ul, u.z / ul};
  const TD3 v = Cross(nz, u);
  std::vector<TP2> q(n);
  for (size_t i = 0; i < n; ++i) {
    const TD3 d{double(p[i].x), double(p[i].y), double(p[i].z)};
    q[i] = {Dot(d, u), Dot(d, v)};
  }
  std::vector<int32_t> ring(n);
  for (size_t i = 0; i < n; ++i) ring[i] = static_cast<int32_t>(i);
  while (ring.size() > 3) {
    const size_t m = ring.size();
    size_t best = m;
    double best_shape = -1;
    for (size_t k = 0; k < m; ++k) {
      const int32_t a = ring[(k + m - 1) % m], b = ring[k], c = ring[(k + 1) % m];
      if (Orient(q[a], q[b], q[c]) <= 0) continue;  // reflex or flat corner
      bool empty = true;
      for (size_t j = 0; j < m && empty; ++j) {
        const int32_t r = ring[j];
        if (r == a || r == b || r == c) continue;
        const TP2& t = q[r];
        const bool at_corner =
            (t.x == q[a].x && t.y == q[a].y) || (t.x == q[b].x && t.y == q[b].y) || (t.x == q[c].x && t.y == q[c].y);
        empty = at_corner || !InsideOrOn(t, q[a], q[b], q[c]);
      }
      if (!empty) continue;
      const double s = Shape(q[a], q[b], q[c]);
      if (s > best_shape) {
        best_shape = s;
        best = k;
      }
      if (n > kBestEarLimit) break;
    }
    if (best == m) {
      // No proper ear (a degenerate or self-crossing polygon): clip the most
      // convex corner so the polygon still becomes n - 2 triangles.
      double most = -INFINITY;
      for (size_t k = 0; k < m; ++k) {
        const double o = Orient(q[ring[(k + m - 1) % m]], q[ring[k]], q[ring[(k + 1) % m]]);
        if (o > most) {
          most = o;
          best = k;
        }
      }
    }
    out.push_back({ring[(best + m - 1) % m], ring[best], ring[(best + 1) % m]});
    ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(best));
  }
  out.push_back({ring[0], ring[1], ring[2]});
}

}  // namespace

void SplitPolygon(std::span<const TVec3> corners, std::vector<std::array<int32_t, 3>>& out) {
  const size_t n = corners.size();
  if (n < 3) return;
  if (n == 3) {
    out.push_back({0, 1, 2});
  } else if (n == 4) {
    SplitQuad(corners, out);
  } else if (n > kFanLimit) {
    for (size_t k = 1; k + 1 < n; ++k) out.push_back({0, static_cast<int32_t>(k), static_cast<int32_t>(k + 1)});
  } else {
    EarClip(corners, out);
  }
}

void TPendingPolygons::Add(std::span<const int32_t> corners, bool swap, FaceArray& faces) {
  first_face_.push_back(faces.size());
  corners_.insert(corners_.end(), corners.begin(), corners.end());
  offsets_.push_back(corners_.size());
  swap_.push_back(swap);
  faces.resize(faces.size() + corners.size() - 2);
}

void TPendingPolygons::Resolve(const VertexArray& vertices, FaceArray& faces) const {
  std::vector<TVec3> pos;
  std::vector<std::array<int32_t, 3>> tris;
  for (size_t p = 0; p < first_face_.size(); ++p) {
    const std::span<const int32_t> c(corners_.data() + offsets_[p], offsets_[p + 1] - offsets_[p]);
    pos.clear();
    for (const int32_t i : c) pos.push_back(vertices[static_cast<size_t>(i)].pos);
    tris.clear();
    SplitPolygon(pos, tris);
    for (size_t t = 0; t < tris.size(); ++t) {
      TFace& f = faces[first_face_[p] + t];
      for (int k = 0; k < 3; ++k) f.v[k] = c[static_cast<size_t>(tris[t][k])];
      if (swap_[p]) std::swap(f.v[0], f.v[1]);
    }
  }
}
