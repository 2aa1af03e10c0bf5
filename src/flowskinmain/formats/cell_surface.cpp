#include "formats/cell_surface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <utility>

#include "formats/polygon_split.h"
#include "formats/position_index.h"
#include "formats/read_failure.h"
#include "mesh/page_memory.h"
#include "mesh/parallel_for.h"

namespace {

constexpr size_t kMaxIndex = static_cast<size_t>(std::numeric_limits<int32_t>::max());

std::string CheckArrays(const std::vector<TDataArray>& arrays, size_t tuples, const char* where) {
  for (const TDataArray& a : arrays) {
    if (a.components < 1 || a.components > 9)
      return "the " + std::string(where) + " array \"" + a.name + "\" has " + std::to_string(a.components) +
             " components";
    if (a.values.size() != tuples * static_cast<size_t>(a.components))
      return "the " + std::string(where) + " array \"" + a.name + "\" holds " + std::to_string(a.values.size()) +
             " values; " + std::to_string(tuples) + " " + where + "s of " + std::to_string(a.components) +
             " components need " + std::to_string(tuples * static_cast<size_t>(a.components));
  }
  return "";
}

double TriangleArea(const TVec3& a, const TVec3& b, const TVec3& c) {
  const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
  const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
  const double x = uy * vz - uz * vy, y = uz * vx - ux * vz, z = ux * vy - uy * vx;
  return 0.5 * std::sqrt(x * x + y * y + z * z);
}

// The cells as the mesh's vertices see them: the distinct vertices of each
// cell and its area.
struct TCellVertices {
  std::vector<int32_t> vertices;
  std::vector<size_t> offsets{0};
  std::vector<double> area;
};

// Six times the volume the faces enclose, signed: positive when they face out.
// `pos` holds the vertex positions (compact, not the vertex records: a
// surface of millions of faces reads them in no order).
double SignedVolume(const TMesh& m, const std::vector<TVec3>& pos) {
  double c[3] = {0, 0, 0};
  for (const TVec3& v : pos) {
    c[0] += v.x;
    c[1] += v.y;
    c[2] += v.z;
  }
  for (double& x : c) x /= static_cast<double>(std::max<size_t>(1, pos.size()));
  double vol = 0;
  for (const TFace& f : m.faces) {
    const TVec3 &p = pos[f.v[0]], &q = pos[f.v[1]], &r = pos[f.v[2]];
    const double a[3] = {p.x - c[0], p.y - c[1], p.z - c[2]}, b[3] = {q.x - c[0], q.y - c[1], q.z - c[2]},
                 d[3] = {r.x - c[0], r.y - c[1], r.z - c[2]};
    vol += a[0] * (b[1] * d[2] - b[2] * d[1]) + a[1] * (b[2] * d[0] - b[0] * d[2]) + a[2] * (b[0] * d[1] - b[1] * d[0]);
  }
  return vol;
}

// Splits every cell into faces of `mesh` (vertex positions `at`) and, with
// `cells`, lists each cell's distinct vertices and area.
void BuildFaces(const TCellSurface& s, const std::vector<int32_t>& vertex_of, const std::vector<TVec3>& at, TMesh& mesh,
                TCellVertices* cells) {
  std::vector<int32_t> ring;
  std::vector<TVec3> pos;
  std::vector<std::array<int32_t, 3>> tris;
  mesh.faces.reserve(s.CellCount());
  if (cells) {
    cells->area.reserve(s.CellCount());
    cells->offsets.reserve(s.CellCount() + 1);
  }
  for (size_t c = 0; c < s.CellCount(); ++c) {
    ring.clear();
    for (int64_t k = s.offsets[c]; k < s.offsets[c + 1]; ++k) {
      const int32_t v = vertex_of[static_cast<size_t>(s.connectivity[static_cast<size_t>(k)])];
      if (ring.empty() || ring.back() != v) ring.push_back(v);
    }
    while (ring.size() > 1 && ring.back() == ring.front()) ring.pop_back();
    double area = 0;
    if (ring.size() == 3) {  // most cells: no split needed
      TFace f{};
      for (int k = 0; k < 3; ++k) f.v[k] = ring[k];
      if (cells) area = TriangleArea(at[ring[0]], at[ring[1]], at[ring[2]]);
      mesh.faces.push_back(f);
    } else if (ring.size() > 3) {
      pos.clear();
      for (const int32_t v : ring) pos.push_back(at[v]);
      tris.clear();
      SplitPolygon(pos, tris);
      for (const auto& t : tris) {
        TFace f{};
        for (int k = 0; k < 3; ++k) f.v[k] = ring[static_cast<size_t>(t[k])];
        if (f.v[0] == f.v[1] || f.v[1] == f.v[2] || f.v[0] == f.v[2]) continue;
        area += TriangleArea(pos[t[0]], pos[t[1]], pos[t[2]]);
        mesh.faces.push_back(f);
      }
    }
    if (!cells) continue;
    const size_t start = cells->vertices.size();
    if (ring.size() == 3) {  // three distinct corners
      cells->vertices.insert(cells->vertices.end(), ring.begin(), ring.end());
      ring.clear();
    }
    for (const int32_t v : ring)
      if (std::find(cells->vertices.begin() + static_cast<std::ptrdiff_t>(start), cells->vertices.end(), v) ==
          cells->vertices.end())
        cells->vertices.push_back(v);
    cells->offsets.push_back(cells->vertices.size());
    cells->area.push_back(area);
  }
}

// A point array on the joined vertices: the average over the points joined into each.
TFileArray JoinPointArray(const TDataArray& a, const std::vector<int32_t>& vertex_of, size_t vertex_count) {
  const size_t nc = static_cast<size_t>(a.components);
  std::vector<double> sum(vertex_count * nc, 0.0);
  std::vector<int32_t> count(vertex_count, 0);
  for (size_t p = 0; p < vertex_of.size(); ++p) {
    const int32_t v = vertex_of[p];
    if (v < 0) continue;
    ++count[v];
    for (size_t k = 0; k < nc; ++k) sum[v * nc + k] += a.values[p * nc + k];
  }
  TFileArray out{a.name, a.components, {std::vector<float>(vertex_count * nc)}};
  for (size_t i = 0; i < sum.size(); ++i) out.steps[0][i] = static_cast<float>(sum[i] / std::max(1, count[i / nc]));
  return out;
}

// A cell array on the vertices: each vertex's cells averaged, weighted by area.
TFileArray SpreadCellArray(const TDataArray& a, const TCellVertices& cells, size_t vertex_count) {
  const size_t nc = static_cast<size_t>(a.components);
  std::vector<double> sum(vertex_count * nc, 0.0), plain(vertex_count * nc, 0.0), weight(vertex_count, 0.0);
  std::vector<int32_t> count(vertex_count, 0);
  for (size_t c = 0; c + 1 < cells.offsets.size(); ++c)
    for (size_t k = cells.offsets[c]; k < cells.offsets[c + 1]; ++k) {
      const size_t v = static_cast<size_t>(cells.vertices[k]);
      weight[v] += cells.area[c];
      ++count[v];
      for (size_t j = 0; j < nc; ++j) {
        sum[v * nc + j] += cells.area[c] * a.values[c * nc + j];
        plain[v * nc + j] += a.values[c * nc + j];
      }
    }
  TFileArray out{a.name, a.components, {std::vector<float>(vertex_count * nc)}};
  for (size_t i = 0; i < sum.size(); ++i) {
    const size_t v = i / nc;
    const double value = weight[v] > 0 ? sum[i] / weight[v] : plain[i] / std::max(1, count[v]);
    out.steps[0][i] = static_cast<float>(value);
  }
  return out;
}

bool KeptComponents(int32_t c) { return c == 1 || c == 3; }

// The first index in [0, n) where `bad` holds, or n; parts scanned on every core.
template <typename Bad>
size_t FirstWhere(size_t n, Bad bad) {
  const std::vector<size_t> firsts = ScanInParts(n, size_t{1} << 16, n, [&](size_t begin, size_t end, size_t& first) {
    for (size_t i = begin; i < end; ++i)
      if (bad(i)) {
        first = i;
        return;
      }
  });
  for (const size_t f : firsts)
    if (f < n) return f;
  return n;
}

}  // namespace

std::string CheckCellSurface(const TCellSurface& s) {
  if (s.points.size() % 3 != 0) return "the point coordinates do not come in threes";
  const double most = std::numeric_limits<float>::max();
  if (FirstWhere(s.points.size(), [&](size_t i) {
        return !std::isfinite(s.points[i]) || std::fabs(s.points[i]) > most;
      }) < s.points.size())
    return "the file holds a point coordinate that is not a finite number";
  if (s.offsets.empty() || s.offsets.front() != 0) return "the cell offsets do not start at 0";
  const size_t cells = s.CellCount(), corners = s.connectivity.size();
  if (const size_t c = FirstWhere(
          cells,
          [&](size_t i) { return s.offsets[i + 1] < s.offsets[i] || static_cast<size_t>(s.offsets[i + 1]) > corners; });
      c < cells)
    return "the offset of cell " + std::to_string(c) + " lies outside its connectivity";
  const int64_t points = static_cast<int64_t>(s.PointCount());
  if (const size_t k =
          FirstWhere(corners, [&](size_t i) { return s.connectivity[i] < 0 || s.connectivity[i] >= points; });
      k < corners)
    return "a cell refers to point " + std::to_string(s.connectivity[k]) + "; the file has " + std::to_string(points) +
           " points";
  std::string why = CheckArrays(s.point_data, s.PointCount(), "point");
  return why.empty() ? CheckArrays(s.cell_data, s.CellCount(), "cell") : why;
}

bool BuildCellSurfaceMesh(const TCellSurface& s, bool swap, const TMesh* previous, TMesh& mesh, TSurfaceNotes& notes,
                          std::string& reason) {
  notes = TSurfaceNotes{};
  reason = CheckCellSurface(s);
  if (!reason.empty()) return false;
  if (s.PointCount() > kMaxIndex || s.connectivity.size() > kMaxIndex) {
    return Refuse(reason, "The file has too many points or cells");
  }
  // Points in the order cells first use them, exactly equal ones joined.
  TPositionIndex index(s.PointCount());
  std::vector<int32_t> vertex_of(s.PointCount(), -1);
  std::vector<size_t> first_point;
  size_t used = 0;
  for (const int64_t p64 : s.connectivity) {
    const size_t p = static_cast<size_t>(p64);
    if (vertex_of[p] >= 0) continue;
    const TVec3 pos{static_cast<float>(s.points[3 * p]), static_cast<float>(s.points[3 * p + 1]),
                    static_cast<float>(s.points[3 * p + 2])};
    vertex_of[p] = index.FindOrAdd(PositionKeyOf(pos));
    if (static_cast<size_t>(vertex_of[p]) == first_point.size()) first_point.push_back(p);
    ++used;
  }
  notes.joined_points = used - first_point.size();
  std::vector<TVec3> pos(first_point.size());
  for (size_t i = 0; i < first_point.size(); ++i) {
    const size_t p = first_point[i];
    pos[i] = TVec3{static_cast<float>(s.points[3 * p]), static_cast<float>(s.points[3 * p + 1]),
                   static_cast<float>(s.points[3 * p + 2])};
  }
  ReservePrefaulted(mesh.vertices, first_point.size());
  mesh.vertices.assign(first_point.size(), TVertex{});
  for (size_t i = 0; i < first_point.size(); ++i) {
    mesh.vertices[i].pos = pos[i];
    if (previous && i < previous->vertices.size()) {
      const TVertex& old = previous->vertices[i];
      mesh.vertices[i].aux = old.aux;
      mesh.vertices[i].aux_base = old.aux_base;
      mesh.vertices[i].align_mark = old.align_mark;
      mesh.vertices[i].user_velo = old.user_velo;
    }
  }
  mesh.faces.clear();
  TCellVertices cells;  // only cell data needs them
  BuildFaces(s, vertex_of, pos, mesh, s.cell_data.empty() ? nullptr : &cells);
  if (mesh.faces.empty()) {
    return Refuse(reason, "The file holds no surface cells");
  }
  if (mesh.faces.size() > kMaxIndex) {
    return Refuse(reason, "The file has too many faces");
  }
  if (SignedVolume(mesh, pos) < 0) {
    notes.turned_outward = true;
    for (TFace& f : mesh.faces) std::swap(f.v[0], f.v[1]);
  }
  if (swap)
    for (TFace& f : mesh.faces) std::swap(f.v[0], f.v[1]);
  mesh.file_arrays.clear();
  for (const TDataArray& a : s.point_data)
    if (KeptComponents(a.components)) mesh.file_arrays.push_back(JoinPointArray(a, vertex_of, mesh.vertices.size()));
  for (const TDataArray& a : s.cell_data) {
    if (!KeptComponents(a.components)) continue;
    TFileArray spread = SpreadCellArray(a, cells, mesh.vertices.size());
    for (const TDataArray& p : s.point_data)
      if (p.name == a.name) spread.name += " (cell)";
    mesh.file_arrays.push_back(std::move(spread));
  }
  mesh.vertex_count = static_cast<int32_t>(mesh.vertices.size());
  mesh.face_count = static_cast<int32_t>(mesh.faces.size());
  mesh.has_user_velo = false;
  mesh.has_tex0 = false;
  mesh.time_count = 0;
  return true;
}
