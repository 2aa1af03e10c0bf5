#include "formats/ply_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "formats/descriptor_io.h"
#include "formats/ply_messages.h"
#include "formats/ply_scanner.h"
#include "formats/ply_vertex_slots.h"
#include "formats/polygon_split.h"
#include "formats/read_failure.h"
#include "mesh/page_memory.h"
#include "mesh/parallel_for.h"

namespace {

using ply::Format;
using ply::kMaxCount;
using ply::kTruncated;

// Message for a number that could not be read.
std::string ScanError(ScanStatus st) {
  if (st == ScanStatus::kEnd) return kTruncated;
  if (st == ScanStatus::kRange) return ply::kOutOfRange;
  return ply::kInvalidNumber;
}

void ClassifyProperty(std::string_view name, TPlyHeader& h) {
  if (name == "x" || name == "y" || name == "z" || name == "vy" || name == "vz" || name == "ty") return;
  if (name == "vx") {
    h.has_user_velo = true;
  } else if (name == "tx") {
    h.has_tex0 = true;
  } else {
    ++h.extra_count;
  }
}

// Reads the count after "vertex", "face" or "ntime".
bool ReadCount(TPlyScanner& sc, const char* what, int64_t& count, std::string& error) {
  const ScanStatus st = sc.Int(count);
  if (st == ScanStatus::kOk) return ply::CheckCount(count, what, error);
  return Refuse(error, st == ScanStatus::kEnd ? kTruncated : ply::kInvalidNumber);
}

// Each body number takes at least one character and one blank, so a body of
// `bytes` characters holds at most (bytes + 1) / 2 numbers.
bool CheckBodySize(const TPlyHeader& h, size_t bytes, std::string& error) {
  const double per_vertex = 3.0 + 3.0 * h.has_user_velo + 2.0 * h.has_tex0 + static_cast<double>(h.extra_count);
  const double numbers = static_cast<double>(h.vertex_count) * per_vertex + 4.0 * static_cast<double>(h.face_count) +
                         static_cast<double>(h.time_count) * (1.0 + 3.0 * static_cast<double>(h.vertex_count));
  if (numbers <= (static_cast<double>(bytes) + 1) / 2) return true;
  error =
      Format("The header declares %lld vertices, %lld faces and %lld time steps, more than the file's size can hold",
             h.vertex_count, h.face_count, h.time_count);
  return false;
}

}  // namespace

bool ReadPlyHeader(std::string_view text, TPlyHeader& h, std::string& error) {
  h = TPlyHeader{};
  std::string format;
  h.format = DetectPlyFormat(text, format);
  if (h.format == PlyFormat::kUnsupported) return Refuse(error, "Unsupported PLY format: " + format);
  if (h.format != PlyFormat::kAscii) {
    const bool big_endian = h.format == PlyFormat::kBinaryBigEndian;
    return ReadBinaryPlyHeader(text, big_endian, h, error);
  }
  TPlyScanner sc(text);
  std::string_view w;
  do w = sc.Word();
  while (!w.empty() && w != "vertex");
  if (w.empty()) return Refuse(error, ply::kNoVertices);
  if (!ReadCount(sc, "vertex", h.vertex_count, error)) return false;
  sc.SkipLine();
  do {
    if (w == "property") {
      sc.Word();
      w = sc.Word();
      ClassifyProperty(w, h);
    } else {
      w = sc.Word();
    }
  } while (!w.empty() && w != "face");
  if (w.empty()) return Refuse(error, ply::kNoFaces);
  if (!ReadCount(sc, "face", h.face_count, error)) return false;
  sc.SkipLine();
  do {
    w = sc.Word();
    if (w == "ntime" && !ReadCount(sc, "time step", h.time_count, error)) return false;
  } while (!w.empty() && w != "end_header");
  if (w.empty()) return Refuse(error, ply::kNoEndHeader);
  h.body_offset = sc.Offset();
  if (h.vertex_count == 0) return Refuse(error, ply::kNoVertices);
  if (h.face_count == 0) return Refuse(error, ply::kNoFaces);
  return CheckBodySize(h, text.size() - h.body_offset, error);
}

namespace {

// Body reader: one scanner over the text and the first error met.
class TBodyReader {
 public:
  TBodyReader(std::string_view text, size_t offset, std::string& error) : sc_(text, offset), error_(error) {}

  bool Real(double& out) {
    const ScanStatus st = sc_.Real(out);
    if (st != ScanStatus::kOk) return Refuse(error_, ScanError(st));
    if (!std::isfinite(out)) return Refuse(error_, ply::kNotFinite);
    return true;
  }
  bool Float(float& out) {
    double d = 0;
    if (!Real(d)) return false;
    if (std::fabs(d) > FLT_MAX) return Refuse(error_, ply::kOutOfRange);
    out = static_cast<float>(d);
    return true;
  }
  bool Vec(TVec3& v) { return Float(v.x) && Float(v.y) && Float(v.z); }
  bool Int(int64_t& out) {
    const ScanStatus st = sc_.Int(out);
    return st == ScanStatus::kOk || Refuse(error_, ScanError(st));
  }
  // A vertex index of face `face`, checked against 0..vertex_count-1.
  bool Index(int64_t face, int64_t vertex_count, int32_t& out) {
    int64_t i = 0;
    if (!Int(i)) return false;
    if (i < 0 || i >= vertex_count) return Refuse(error_, ply::IndexMessage(face, i, vertex_count));
    out = static_cast<int32_t>(i);
    return true;
  }
  std::string& Error() { return error_; }
  size_t Offset() const { return sc_.Offset(); }

 private:
  TPlyScanner sc_;
  std::string& error_;
};

// Fills vertices 0..vertex_count-1 (see TVertexSlots for what a slot keeps).
bool ReadVertices(TBodyReader& in, const TPlyHeader& h, const TMesh* previous, TMesh& mesh) {
  double skip = 0;
  TVertexSlots slots(mesh, h.vertex_count, previous, h.has_user_velo);
  for (int64_t i = 0; i < h.vertex_count; ++i) {
    TVertex& v = slots.Slot(static_cast<size_t>(i));
    if (!in.Vec(v.pos)) return false;
    if (h.has_user_velo && !in.Vec(v.user_velo)) return false;
    if (h.has_tex0 && !(in.Float(v.tex0[0]) && in.Float(v.tex0[1]))) return false;
    for (int64_t k = 0; k < h.extra_count; ++k)
      if (!in.Real(skip)) return false;
  }
  return true;
}

// Reads the faces; a polygon of n > 3 vertices becomes n - 2 triangles (see
// SplitPolygon), placed in file order once the positions are known.
bool ReadFaces(TBodyReader& in, const TPlyHeader& h, bool swap, FaceArray& faces, TPendingPolygons& polygons) {
  faces.clear();
  ReservePrefaulted(faces, static_cast<size_t>(h.face_count));
  std::vector<int32_t> corners;
  for (int64_t f = 0; f < h.face_count; ++f) {
    int64_t n = 0;
    if (!in.Int(n)) return false;
    if (n < 3) return Refuse(in.Error(), ply::ShortFaceMessage(f, n));
    corners.clear();
    for (int64_t k = 0; k < n; ++k) {
      int32_t i = 0;
      if (!in.Index(f, h.vertex_count, i)) return false;
      corners.push_back(i);
    }
    if (faces.size() + static_cast<size_t>(n - 2) > static_cast<size_t>(kMaxCount))
      return Refuse(in.Error(), ply::kTooManyFaces);
    if (n > 3) {
      polygons.Add(corners, swap, faces);
      continue;
    }
    TFace& t = faces.emplace_back();
    t.v[0] = corners[swap ? 1 : 0];
    t.v[1] = corners[swap ? 0 : 1];
    t.v[2] = corners[2];
  }
  return true;
}

// The offset just past the `lines`-th line end from `from`, or npos when the
// text has fewer.
size_t SkipLines(std::string_view text, size_t from, int64_t lines) {
  const char* p = text.data() + from;
  const char* end = text.data() + text.size();
  for (int64_t k = 0; k < lines; ++k) {
    const void* line_end = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (!line_end) return std::string_view::npos;
    p = static_cast<const char*>(line_end) + 1;
  }
  return static_cast<size_t>(p - text.data());
}

// The faces as read by a second thread while the first reads the vertices,
// from where they begin when every vertex takes a line of its own (as nearly
// every file has it).
struct TFacesAhead {
  size_t start = std::string_view::npos;  // where that puts the first face; npos: too few lines
  bool ok = false;
  std::string error;
  FaceArray faces;
  TPendingPolygons polygons;
};

void ReadFacesAhead(std::string_view text, const TPlyHeader& h, bool swap, TFacesAhead& out) {
  // the rest of the "end_header" line, then one line per vertex
  out.start = SkipLines(text, h.body_offset, h.vertex_count + 1);
  if (out.start == std::string_view::npos) return;
  TBodyReader in(text, out.start, out.error);
  out.ok = ReadFaces(in, h, swap, out.faces, out.polygons);
}

// Whether nothing but blanks lies in [from, to): the faces read ahead then
// begin where a reading of the whole text would find them.
bool OnlyBlanks(std::string_view text, size_t from, size_t to) {
  if (to == std::string_view::npos || from > to) return false;
  return std::all_of(text.begin() + static_cast<ptrdiff_t>(from), text.begin() + static_cast<ptrdiff_t>(to),
                     [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// Below this many faces the faces are not worth a thread of their own.
constexpr int64_t kFacesAheadFloor = 1 << 14;

// Vertices, then faces. A large file without time steps has its faces read by
// a second thread at the same time, from where one line per vertex puts
// them; they are kept only when the vertices, read from the start as always,
// end right there (else the faces are read again after the vertices). Either
// way the mesh and the first error are those of one reading from the start.
bool ReadVerticesAndFaces(TBodyReader& in, std::string_view text, const TPlyHeader& h, bool swap, const TMesh* previous,
                          TMesh& mesh, TPendingPolygons& polygons) {
  if (h.time_count > 0 || h.face_count < kFacesAheadFloor || ParallelThreads() < 2)
    return ReadVertices(in, h, previous, mesh) && ReadFaces(in, h, swap, mesh.faces, polygons);
  TFacesAhead ahead;
  auto faces = std::async(std::launch::async, [&] { ReadFacesAhead(text, h, swap, ahead); });
  const bool vertices_ok = ReadVertices(in, h, previous, mesh);
  faces.get();
  if (!vertices_ok) return false;
  if (!OnlyBlanks(text, in.Offset(), ahead.start)) return ReadFaces(in, h, swap, mesh.faces, polygons);
  mesh.faces.swap(ahead.faces);
  polygons = std::move(ahead.polygons);
  if (!ahead.ok) in.Error() = ahead.error;
  return ahead.ok;
}

bool ReadTimeSteps(TBodyReader& in, const TPlyHeader& h, TMesh& mesh) {
  mesh.time_values.assign(h.time_count, 0.0);
  mesh.time_velo.assign(h.time_count, std::vector<TVec3>(h.vertex_count));
  for (int64_t t = 0; t < h.time_count; ++t) {
    if (!in.Real(mesh.time_values[t])) return false;
    for (int64_t i = 0; i < h.vertex_count; ++i)
      if (!in.Vec(mesh.time_velo[t][i])) return false;
  }
  return true;
}

}  // namespace

bool ReadPlyData(std::string_view text, const TPlyHeader& h, bool swap, TMesh& mesh, std::string& error,
                 const TMesh* previous) {
  if (h.format != PlyFormat::kAscii) return ReadBinaryPlyData(text, h, swap, mesh, error, previous);
  TBodyReader in(text, h.body_offset, error);
  mesh.has_user_velo = h.has_user_velo;
  mesh.has_tex0 = h.has_tex0;
  mesh.vertex_count = static_cast<int32_t>(h.vertex_count);
  TPendingPolygons polygons;
  const bool ok = ReadVerticesAndFaces(in, text, h, swap, previous, mesh, polygons);
  // Also after a failure the counts match the arrays and every index read is valid.
  if (mesh.vertices.size() < static_cast<size_t>(h.vertex_count)) mesh.vertices.resize(h.vertex_count);
  if (ok) polygons.Resolve(mesh.vertices, mesh.faces);
  mesh.face_count = static_cast<int32_t>(mesh.faces.size());
  mesh.time_count = ok ? static_cast<int32_t>(h.time_count) : 0;
  return ok && (h.time_count == 0 || ReadTimeSteps(in, h, mesh));
}

namespace {

// Bytes a thread takes of a large file's reading.
constexpr size_t kReadBlock = size_t{8} << 20;

// The file's `size` bytes read into `text`, in parts on all cores: the copy
// out of the system's cache into new memory is the larger part of the time.
bool ReadWhole(int fd, size_t size, std::string& text) {
  ReservePrefaulted(text, size);
  text.resize(size);
  std::atomic<bool> ok{true};
  ParallelFor(size, kReadBlock, [&](size_t begin, size_t end) {
    if (!ReadAllAt(fd, text.data() + begin, end - begin, begin)) ok = false;
  });
  return ok;
}

}  // namespace

bool ReadFileText(const std::string& path, std::string& text, std::string& error) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(st)) return Refuse(error, "File not found");
  if (!std::filesystem::is_regular_file(st)) return Refuse(error, "Not a file: " + path);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Refuse(error, errno == ENOENT ? "File not found" : "Cannot open the file: " + path);
  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && info.st_size >= 0;
  try {
    ok = ok && ReadWhole(fd, static_cast<size_t>(info.st_size), text);
  } catch (const std::bad_alloc&) {
    close(fd);
    return Refuse(error, "The file is too large to read: " + path);
  }
  close(fd);
  return ok || Refuse(error, "Read error in file: " + path);
}

bool ReadPlyFile(const std::string& path, bool swap, TMesh& mesh, std::string& error) {
  std::string text;
  TPlyHeader header;
  return ReadFileText(path, text, error) && ReadPlyHeader(text, header, error) &&
         ReadPlyData(text, header, swap, mesh, error);
}
