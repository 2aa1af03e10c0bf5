#include "formats/ply_writer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

void Put(std::string& out, float value) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

void Put(std::string& out, double value) {
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

void Put(std::string& out, int64_t value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

// Writes " x y z" (with a leading blank).
void PutVec(std::string& out, const TVec3& v) {
  out += ' ';
  Put(out, v.x);
  out += ' ';
  Put(out, v.y);
  out += ' ';
  Put(out, v.z);
}

void PutHeader(std::string& out, const TMesh& mesh, const char* format = "ascii") {
  out += "ply\nformat ";
  out += format;
  out += " 1.0\nelement vertex ";
  Put(out, int64_t{mesh.vertex_count});
  out += "\nproperty float x\nproperty float y\nproperty float z\n";
  if (mesh.has_user_velo) out += "property float vx\nproperty float vy\nproperty float vz\n";
  if (mesh.has_tex0) out += "property float tx\nproperty float ty\n";
  out += "element face ";
  Put(out, int64_t{mesh.face_count});
  out += "\nproperty list uchar int vertex_indices\n";
  if (mesh.time_count > 0 && std::strcmp(format, "ascii") == 0) {
    out += "ntime ";
    Put(out, int64_t{mesh.time_count});
    out += '\n';
  }
  out += "end_header\n";
}

}  // namespace

std::string FormatPly(const TMesh& mesh) {
  std::string out;
  out.reserve(static_cast<size_t>(mesh.vertex_count) * (40 + 30 * mesh.has_user_velo + 20 * mesh.has_tex0) +
              static_cast<size_t>(mesh.face_count) * 24 + 512);
  PutHeader(out, mesh);
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    const TVertex& v = mesh.vertices[i];
    Put(out, v.pos.x);
    out += ' ';
    Put(out, v.pos.y);
    out += ' ';
    Put(out, v.pos.z);
    if (mesh.has_user_velo) PutVec(out, v.user_velo);
    if (mesh.has_tex0) {
      out += ' ';
      Put(out, v.tex0[0]);
      out += ' ';
      Put(out, v.tex0[1]);
    }
    out += '\n';
  }
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    out += '3';
    for (int k = 0; k < 3; ++k) {
      out += ' ';
      Put(out, int64_t{mesh.faces[f].v[k]});
    }
    out += '\n';
  }
  for (int32_t t = 0; t < mesh.time_count; ++t) {
    Put(out, mesh.time_values[t]);
    out += '\n';
    for (int32_t i = 0; i < mesh.vertex_count; ++i) {
      const TVec3& w = mesh.time_velo[t][i];
      Put(out, w.x);
      out += ' ';
      Put(out, w.y);
      out += ' ';
      Put(out, w.z);
      out += '\n';
    }
  }
  return out;
}

namespace {

// Appends the bytes of `value` in the chosen byte order.
template <typename T>
void PutBinary(std::string& out, T value, bool big_endian) {
  char b[sizeof(T)];
  std::memcpy(b, &value, sizeof(T));
  if (big_endian) std::reverse(b, b + sizeof(T));
  out.append(b, sizeof(T));
}

}  // namespace

std::string FormatPlyBinary(const TMesh& mesh, bool big_endian) {
  std::string out;
  PutHeader(out, mesh, big_endian ? "binary_big_endian" : "binary_little_endian");
  out.reserve(out.size() + static_cast<size_t>(mesh.vertex_count) * (12 + 12 * mesh.has_user_velo + 8 * mesh.has_tex0) +
              static_cast<size_t>(mesh.face_count) * 13);
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    const TVertex& v = mesh.vertices[i];
    for (float x : {v.pos.x, v.pos.y, v.pos.z}) PutBinary(out, x, big_endian);
    if (mesh.has_user_velo)
      for (float x : {v.user_velo.x, v.user_velo.y, v.user_velo.z}) PutBinary(out, x, big_endian);
    if (mesh.has_tex0)
      for (float x : v.tex0) PutBinary(out, x, big_endian);
  }
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    out += '\3';
    for (int32_t corner : mesh.faces[f].v) PutBinary(out, corner, big_endian);
  }
  return out;
}
