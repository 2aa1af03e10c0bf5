#include "formats/vtk_cells.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "formats/vtk_numbers.h"

namespace {

// The faces of the volume cells, each wound to face out of the cell, as
// corner numbers of the cell; -1 ends a triangle in a row of four.
const int kTetraFaces[4][4] = {{0, 1, 3, -1}, {1, 2, 3, -1}, {2, 0, 3, -1}, {0, 2, 1, -1}};
const int kHexFaces[6][4] = {{0, 4, 7, 3}, {1, 2, 6, 5}, {0, 1, 5, 4}, {3, 7, 6, 2}, {0, 3, 2, 1}, {4, 5, 6, 7}};
const int kWedgeFaces[5][4] = {{0, 1, 2, -1}, {3, 5, 4, -1}, {0, 3, 4, 1}, {1, 4, 5, 2}, {2, 5, 3, 0}};
const int kPyramidFaces[5][4] = {{0, 3, 2, 1}, {0, 1, 4, -1}, {1, 2, 4, -1}, {2, 3, 4, -1}, {3, 0, 4, -1}};
// A voxel numbers its corners like a pixel stack: 0 1 3 2 below, 4 5 7 6 above.
const int kVoxelFaces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};

std::string CornerMessage(int type, size_t n, const char* need) {
  return "a cell of type " + std::to_string(type) + " has " + std::to_string(n) + " corners; it needs " + need;
}

}  // namespace

void TVtkCellGather::AddPolygon(const int64_t* corners, size_t n, int64_t file_cell) {
  connectivity_.insert(connectivity_.end(), corners, corners + n);
  offsets_.push_back(static_cast<int64_t>(connectivity_.size()));
  source_.push_back(file_cell);
}

void TVtkCellGather::AddVolumeFace(const int64_t* cell, const int* face, size_t n, int64_t file_cell) {
  for (size_t k = 0; k < n && face[k] >= 0; ++k) vface_corners_.push_back(cell[face[k]]);
  vface_offsets_.push_back(vface_corners_.size());
  vface_source_.push_back(file_cell);
}

std::string TVtkCellGather::Add(int type, const int64_t* c, size_t n, int64_t file_cell) {
  using namespace vtkcell;
  auto volume = [&](const int(*faces)[4], size_t count, size_t corners) -> std::string {
    if (n != corners) return CornerMessage(type, n, std::to_string(corners).c_str());
    for (size_t f = 0; f < count; ++f) AddVolumeFace(c, faces[f], 4, file_cell);
    return "";
  };
  switch (type) {
    case kTriangle:
    case kQuad:
      if (n != (type == kTriangle ? 3u : 4u)) return CornerMessage(type, n, type == kTriangle ? "3" : "4");
      AddPolygon(c, n, file_cell);
      return "";
    case kQuadraticTriangle:
    case kQuadraticQuad: {  // by the corners, which come first
      const size_t corners = type == kQuadraticTriangle ? 3 : 4;
      if (n < corners) return CornerMessage(type, n, "its corners first");
      AddPolygon(c, corners, file_cell);
      return "";
    }
    case kPolygon:
      if (n < 3) return CornerMessage(type, n, "at least 3");
      AddPolygon(c, n, file_cell);
      return "";
    case kPixel: {
      if (n != 4) return CornerMessage(type, n, "4");
      const int64_t ring[4] = {c[0], c[1], c[3], c[2]};
      AddPolygon(ring, 4, file_cell);
      return "";
    }
    case kTriangleStrip:
      if (n < 3) return CornerMessage(type, n, "at least 3");
      for (size_t i = 0; i + 2 < n; ++i) {
        const int64_t tri[3] = {c[i + (i & 1)], c[i + 1 - (i & 1)], c[i + 2]};
        AddPolygon(tri, 3, file_cell);
      }
      return "";
    case kTetra:
      return volume(kTetraFaces, 4, 4);
    case kHexahedron:
      return volume(kHexFaces, 6, 8);
    case kVoxel:
      return volume(kVoxelFaces, 6, 8);
    case kWedge:
      return volume(kWedgeFaces, 5, 6);
    case kPyramid:
      return volume(kPyramidFaces, 5, 5);
    default:  // points, lines and cells without a surface of their own
      return "";
  }
}

std::string TVtkCellGather::AddPolyhedron(const int64_t* stream, size_t n, int64_t base, int64_t file_cell) {
  const char* bad = "a polyhedron's face list does not hold what it declares";
  if (n == 0 || stream[0] < 1 || static_cast<uint64_t>(stream[0]) > n) return bad;
  size_t k = 1;
  for (int64_t f = 0; f < stream[0]; ++f) {
    if (k >= n || stream[k] < 3 || static_cast<uint64_t>(stream[k]) > n - k - 1) return bad;
    const size_t corners = static_cast<size_t>(stream[k++]);
    for (size_t j = 0; j < corners; ++j) vface_corners_.push_back(stream[k + j] + base);
    vface_offsets_.push_back(vface_corners_.size());
    vface_source_.push_back(file_cell);
    k += corners;
  }
  return k == n ? "" : bad;
}

std::string TVtkCellGather::AddPolygons(const int64_t* conn, size_t conn_size, const double* ends, size_t n,
                                        int64_t base, int64_t first_file_cell) {
  connectivity_.reserve(connectivity_.size() + conn_size);
  offsets_.reserve(offsets_.size() + n);
  source_.reserve(source_.size() + n);
  int64_t start = 0;
  for (size_t c = 0; c < n; ++c) {
    int64_t end = 0;
    if (!VtkIndexOf(ends[c], end) || end < start || static_cast<uint64_t>(end) > conn_size)
      return "the cell offsets are out of order";
    if (end - start < 3) return CornerMessage(vtkcell::kPolygon, static_cast<size_t>(end - start), "at least 3");
    for (int64_t k = start; k < end; ++k) connectivity_.push_back(conn[k] + base);
    offsets_.push_back(static_cast<int64_t>(connectivity_.size()));
    source_.push_back(first_file_cell + static_cast<int64_t>(c));
    start = end;
  }
  return "";
}

namespace {

// A face's corners in increasing order, as bytes: the same for every winding.
std::string FaceKey(const int64_t* corners, size_t n, std::vector<int64_t>& scratch) {
  scratch.assign(corners, corners + n);
  std::sort(scratch.begin(), scratch.end());
  return std::string(reinterpret_cast<const char*>(scratch.data()), scratch.size() * sizeof(int64_t));
}

}  // namespace

void TVtkCellGather::Finish(std::vector<TDataArray> file_cell_data, TCellSurface& s) {
  // Volume faces that appear once (by their sorted corners) are the boundary.
  const size_t nf = vface_source_.size();
  s.volume_boundary = nf > 0;
  if (nf > 0) {
    std::unordered_map<std::string, std::pair<size_t, int>> seen;
    seen.reserve(nf);
    std::vector<int64_t> key;
    for (size_t f = 0; f < nf; ++f) {
      auto [it, fresh] = seen.try_emplace(
          FaceKey(vface_corners_.data() + vface_offsets_[f], vface_offsets_[f + 1] - vface_offsets_[f], key), f, 0);
      ++it->second.second;
    }
    // Surface cells lying on a boundary face take its corners, and the face is not added again.
    const size_t polygons = source_.size();
    for (size_t p = 0; p < polygons; ++p) {
      const size_t b = static_cast<size_t>(offsets_[p]), e = static_cast<size_t>(offsets_[p + 1]);
      const auto it = seen.find(FaceKey(connectivity_.data() + b, e - b, key));
      if (it == seen.end() || it->second.second != 1) continue;
      const size_t f = it->second.first;
      std::copy(vface_corners_.begin() + static_cast<std::ptrdiff_t>(vface_offsets_[f]),
                vface_corners_.begin() + static_cast<std::ptrdiff_t>(vface_offsets_[f + 1]),
                connectivity_.begin() + static_cast<std::ptrdiff_t>(b));
      it->second.second = 0;  // taken
    }
    std::vector<size_t> boundary;
    for (const auto& [k, v] : seen)
      if (v.second == 1) boundary.push_back(v.first);
    std::sort(boundary.begin(), boundary.end());
    for (const size_t f : boundary)
      AddPolygon(vface_corners_.data() + vface_offsets_[f], vface_offsets_[f + 1] - vface_offsets_[f],
                 vface_source_[f]);
  }
  s.connectivity = std::move(connectivity_);
  s.offsets = std::move(offsets_);
  s.cell_data.clear();
  for (TDataArray& a : file_cell_data) {
    TDataArray out{std::move(a.name), a.components, {}};
    const size_t nc = static_cast<size_t>(a.components);
    out.values.reserve(source_.size() * nc);
    for (const int64_t c : source_)
      for (size_t k = 0; k < nc; ++k) {
        const size_t i = static_cast<size_t>(c) * nc + k;
        out.values.push_back(i < a.values.size() ? a.values[i] : 0.0);
      }
    s.cell_data.push_back(std::move(out));
  }
}
