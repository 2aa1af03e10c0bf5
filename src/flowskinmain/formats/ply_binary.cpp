// Body of binary PLY files: the elements in header order, each record's
// properties in header order, in the file's byte order.
#include "formats/ply_binary.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <utility>

#include "formats/ply_messages.h"
#include "formats/ply_reader.h"
#include "formats/ply_vertex_slots.h"
#include "formats/polygon_split.h"
#include "formats/read_failure.h"
#include "mesh/page_memory.h"

namespace {

// Reads numbers from the body bytes in the file's byte order. Every read is
// preceded by a Has() check of the caller. A list count is at most 2^32 - 1
// and an item at most 8 bytes, so count * item size cannot overflow.
class TBinaryCursor {
 public:
  TBinaryCursor(std::string_view text, size_t offset, bool big_endian)
      : p_(reinterpret_cast<const unsigned char*>(text.data()) + offset),
        end_(reinterpret_cast<const unsigned char*>(text.data()) + text.size()),
        big_endian_(big_endian) {}

  bool Has(uint64_t bytes) const { return bytes <= static_cast<uint64_t>(end_ - p_); }
  uint64_t Left() const { return static_cast<uint64_t>(end_ - p_); }
  void Skip(uint64_t bytes) { p_ += bytes; }

  // The number of type t at the cursor, moving past it.
  double Real(PlyType t) {
    switch (t) {
      case PlyType::kFloat32:
        return Take<float>();
      case PlyType::kFloat64:
        return Take<double>();
      default:
        return static_cast<double>(Int(t));
    }
  }
  // The same for the integer types.
  int64_t Int(PlyType t) {
    switch (t) {
      case PlyType::kInt8:
        return Take<int8_t>();
      case PlyType::kUint8:
        return Take<uint8_t>();
      case PlyType::kInt16:
        return Take<int16_t>();
      case PlyType::kUint16:
        return Take<uint16_t>();
      case PlyType::kInt32:
        return Take<int32_t>();
      case PlyType::kUint32:
        return Take<uint32_t>();
      default:
        return static_cast<int64_t>(Real(t));  // not reached: the header allows integer types only here
    }
  }

 private:
  template <typename T>
  T Take() {
    unsigned char b[sizeof(T)];
    std::memcpy(b, p_, sizeof(T));
    if (big_endian_) std::reverse(b, b + sizeof(T));
    p_ += sizeof(T);
    T v;
    std::memcpy(&v, b, sizeof(T));
    return v;
  }

  const unsigned char* p_;
  const unsigned char* end_;
  bool big_endian_;
};

// Skips one list (its count, then that many items).
bool SkipList(TBinaryCursor& in, const TPlyProperty& p, std::string& error) {
  if (!in.Has(PlyTypeSize(p.count_type))) return Refuse(error, ply::kTruncated);
  const int64_t n = in.Int(p.count_type);
  if (n < 0) return Refuse(error, "A list of " + p.name + " has a negative length");
  if (!in.Has(static_cast<uint64_t>(n) * PlyTypeSize(p.type))) return Refuse(error, ply::kTruncated);
  in.Skip(static_cast<uint64_t>(n) * PlyTypeSize(p.type));
  return true;
}

// Skips every record of an element whose properties are not taken.
bool SkipElement(TBinaryCursor& in, const TPlyElement& e, std::string& error) {
  const bool has_list = std::any_of(e.properties.begin(), e.properties.end(), [](auto& p) { return p.is_list; });
  if (!has_list) {
    uint64_t record = 0;
    for (const TPlyProperty& p : e.properties) record += PlyTypeSize(p.type);
    if (record > 0 && static_cast<uint64_t>(e.count) > in.Left() / record) return Refuse(error, ply::kTruncated);
    in.Skip(record * static_cast<uint64_t>(e.count));
    return true;
  }
  for (int64_t r = 0; r < e.count; ++r)
    for (const TPlyProperty& p : e.properties) {
      if (p.is_list && !SkipList(in, p, error)) return false;
      if (p.is_list) continue;
      if (!in.Has(PlyTypeSize(p.type))) return Refuse(error, ply::kTruncated);
      in.Skip(PlyTypeSize(p.type));
    }
  return true;
}

// Where a vertex property goes: a float of the record, or nowhere (velocity
// parts only when the file has "vx", texture parts only when it has "tx").
float* Target(TVertex& v, const TPlyHeader& h, const std::string& name) {
  if (name.size() == 2 && name[0] == 'v' && !h.has_user_velo) return nullptr;
  if (name.size() == 2 && name[0] == 't' && !h.has_tex0) return nullptr;
  static const std::pair<const char*, float* (*)(TVertex&)> kTargets[] = {
      {"x", [](TVertex& w) { return &w.pos.x; }},        {"y", [](TVertex& w) { return &w.pos.y; }},
      {"z", [](TVertex& w) { return &w.pos.z; }},        {"vx", [](TVertex& w) { return &w.user_velo.x; }},
      {"vy", [](TVertex& w) { return &w.user_velo.y; }}, {"vz", [](TVertex& w) { return &w.user_velo.z; }},
      {"tx", [](TVertex& w) { return &w.tex0[0]; }},     {"ty", [](TVertex& w) { return &w.tex0[1]; }},
  };
  for (const auto& [n, field] : kTargets)
    if (name == n) return field(v);
  return nullptr;
}

// Reads the vertex element (see ply_binary.h for what is taken). The target
// of each property is found once, as a byte offset into the record.
bool ReadVertexElement(TBinaryCursor& in, const TPlyHeader& h, const TPlyElement& e, const TMesh* previous, TMesh& mesh,
                       std::string& error) {
  constexpr ptrdiff_t kNowhere = -1;
  std::vector<ptrdiff_t> offset;
  TVertex probe{};
  for (const TPlyProperty& p : e.properties) {
    float* field = p.is_list ? nullptr : Target(probe, h, p.name);
    offset.push_back(field ? reinterpret_cast<char*>(field) - reinterpret_cast<char*>(&probe) : kNowhere);
  }
  TVertexSlots slots(mesh, h.vertex_count, previous, h.has_user_velo);
  for (int64_t i = 0; i < e.count; ++i) {
    TVertex& v = slots.Slot(static_cast<size_t>(i));
    if (h.has_user_velo) v.user_velo = TVec3{};
    if (h.has_tex0) v.tex0[0] = v.tex0[1] = 0;
    for (size_t k = 0; k < e.properties.size(); ++k) {
      const TPlyProperty& p = e.properties[k];
      if (p.is_list) {
        if (!SkipList(in, p, error)) return false;
        continue;
      }
      if (!in.Has(PlyTypeSize(p.type))) return Refuse(error, ply::kTruncated);
      if (offset[k] == kNowhere) {
        in.Skip(PlyTypeSize(p.type));
        continue;
      }
      const double d = in.Real(p.type);
      if (!std::isfinite(d)) return Refuse(error, ply::kNotFinite);
      if (std::fabs(d) > FLT_MAX) return Refuse(error, ply::kOutOfRange);
      *reinterpret_cast<float*>(reinterpret_cast<char*>(&v) + offset[k]) = static_cast<float>(d);
    }
  }
  return true;
}

// Reads the corners of face `f` and appends its triangles (a polygon of n > 3
// corners is split once the positions are known, see SplitPolygon).
bool ReadCorners(TBinaryCursor& in, const TPlyProperty& p, int64_t f, int64_t vertex_count, bool swap, FaceArray& faces,
                 TPendingPolygons& polygons, std::vector<int32_t>& corners, std::string& error) {
  if (!in.Has(PlyTypeSize(p.count_type))) return Refuse(error, ply::kTruncated);
  const int64_t n = in.Int(p.count_type);
  if (n < 3) return Refuse(error, ply::ShortFaceMessage(f, n));
  if (!in.Has(static_cast<uint64_t>(n) * PlyTypeSize(p.type))) return Refuse(error, ply::kTruncated);
  corners.clear();
  for (int64_t k = 0; k < n; ++k) {
    const int64_t i = in.Int(p.type);
    if (i < 0 || i >= vertex_count) return Refuse(error, ply::IndexMessage(f, i, vertex_count));
    corners.push_back(static_cast<int32_t>(i));
  }
  if (faces.size() + static_cast<size_t>(n - 2) > static_cast<size_t>(ply::kMaxCount))
    return Refuse(error, ply::kTooManyFaces);
  if (n > 3) {
    polygons.Add(corners, swap, faces);
    return true;
  }
  TFace& t = faces.emplace_back();
  t.v[0] = corners[swap ? 1 : 0];
  t.v[1] = corners[swap ? 0 : 1];
  t.v[2] = corners[2];
  return true;
}

// Reads the face element: the corner list of each record, every other
// property skipped.
bool ReadFaceElement(TBinaryCursor& in, const TPlyHeader& h, bool swap, FaceArray& faces, TPendingPolygons& polygons,
                     std::string& error) {
  const TPlyElement& e = h.layout.elements[h.layout.face_element];
  std::vector<int32_t> corners;
  faces.clear();
  ReservePrefaulted(faces, static_cast<size_t>(e.count));
  for (int64_t f = 0; f < e.count; ++f)
    for (size_t k = 0; k < e.properties.size(); ++k) {
      const TPlyProperty& p = e.properties[k];
      if (k == h.layout.face_list) {
        if (!ReadCorners(in, p, f, h.vertex_count, swap, faces, polygons, corners, error)) return false;
      } else if (p.is_list) {
        if (!SkipList(in, p, error)) return false;
      } else {
        if (!in.Has(PlyTypeSize(p.type))) return Refuse(error, ply::kTruncated);
        in.Skip(PlyTypeSize(p.type));
      }
    }
  return true;
}

}  // namespace

bool ReadBinaryPlyData(std::string_view text, const TPlyHeader& h, bool swap, TMesh& mesh, std::string& error,
                       const TMesh* previous) {
  TBinaryCursor in(text, h.body_offset, h.layout.big_endian);
  mesh.has_user_velo = h.has_user_velo;
  mesh.has_tex0 = h.has_tex0;
  mesh.vertex_count = static_cast<int32_t>(h.vertex_count);
  bool ok = true;
  TPendingPolygons polygons;
  for (size_t i = 0; ok && i < h.layout.elements.size(); ++i) {
    const TPlyElement& e = h.layout.elements[i];
    if (i == h.layout.vertex_element) {
      ok = ReadVertexElement(in, h, e, previous, mesh, error);
    } else if (i == h.layout.face_element) {
      ok = ReadFaceElement(in, h, swap, mesh.faces, polygons, error);
    } else {
      ok = SkipElement(in, e, error);
    }
  }
  // Also after a failure the counts match the arrays and every index read is valid.
  if (mesh.vertices.size() < static_cast<size_t>(h.vertex_count)) mesh.vertices.resize(h.vertex_count);
  if (ok) polygons.Resolve(mesh.vertices, mesh.faces);
  mesh.face_count = static_cast<int32_t>(mesh.faces.size());
  mesh.time_count = 0;
  return ok;
}
