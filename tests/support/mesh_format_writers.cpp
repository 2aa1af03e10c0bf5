#include "support/mesh_format_writers.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace fixtures {

namespace {

std::string Num(float v) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string Vec(const TVec3& p) { return Num(p.x) + " " + Num(p.y) + " " + Num(p.z); }

template <typename T>
void Append(std::string& out, const T& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string Base64(const std::string& in) {
  static const char* const kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < in.size(); i += 3) {
    const size_t n = std::min<size_t>(3, in.size() - i);
    uint32_t bits = 0;
    for (size_t k = 0; k < 3; ++k) bits = bits << 8 | (k < n ? static_cast<unsigned char>(in[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(bits >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

// The binary buffer (positions, optional uv, indices) and the JSON that
// describes it; `uri` empty for a binary glTF's own chunk.
std::string GltfJson(const TMesh& m, bool uv, const std::vector<std::string>& nodes, std::string& bin, bool embed) {
  TVec3 lo = m.vertices[0].pos, hi = lo;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    const TVec3& p = m.vertices[i].pos;
    Append(bin, p);
    lo = TVec3{std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = TVec3{std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  for (int32_t i = 0; uv && i < m.vertex_count; ++i) {
    Append(bin, m.vertices[i].tex0[0]);
    Append(bin, 1 - m.vertices[i].tex0[1]);
  }
  for (const TFace& f : m.faces) Append(bin, f.v);
  const size_t vn = m.vertex_count, pos_bytes = 12 * vn, uv_bytes = uv ? 8 * vn : 0;
  auto view = [](size_t offset, size_t length) {
    return "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) + ",\"byteLength\":" + std::to_string(length) + "}";
  };
  std::string j = "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[";
  for (size_t n = 0; n < nodes.size(); ++n) j += (n ? "," : "") + std::to_string(n);
  j += "]}],\"nodes\":[";
  for (size_t n = 0; n < nodes.size(); ++n)
    j += std::string(n ? "," : "") + "{\"mesh\":0" + (nodes[n].empty() ? "" : "," + nodes[n]) + "}";
  j += "],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0" + std::string(uv ? ",\"TEXCOORD_0\":2" : "") +
       "},\"indices\":1}]}],\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) +
       (embed ? ",\"uri\":\"data:application/octet-stream;base64," + Base64(bin) + "\"" : std::string()) +
       "}],\"bufferViews\":[" + view(0, pos_bytes) + "," + view(pos_bytes + uv_bytes, 12 * m.faces.size()) +
       (uv ? "," + view(pos_bytes, uv_bytes) : std::string()) + "],\"accessors\":[" +
       "{\"bufferView\":0,\"componentType\":5126,\"count\":" + std::to_string(vn) + ",\"type\":\"VEC3\",\"min\":[" +
       Num(lo.x) + "," + Num(lo.y) + "," + Num(lo.z) + "],\"max\":[" + Num(hi.x) + "," + Num(hi.y) + "," + Num(hi.z) +
       "]},{\"bufferView\":1,\"componentType\":5125,\"count\":" + std::to_string(3 * m.faces.size()) +
       ",\"type\":\"SCALAR\"}" +
       (uv ? ",{\"bufferView\":2,\"componentType\":5126,\"count\":" + std::to_string(vn) + ",\"type\":\"VEC2\"}"
           : std::string()) +
       "]}";
  return j;
}

}  // namespace

std::string ObjText(const TMesh& m, bool uv) {
  std::string out = "# test mesh\n";
  for (int32_t i = 0; i < m.vertex_count; ++i) out += "v " + Vec(m.vertices[i].pos) + "\n";
  for (int32_t i = 0; uv && i < m.vertex_count; ++i)
    out += "vt " + Num(m.vertices[i].tex0[0]) + " " + Num(m.vertices[i].tex0[1]) + "\n";
  for (const TFace& f : m.faces) {
    out += "f";
    for (int32_t v : f.v) out += " " + std::to_string(v + 1) + (uv ? "/" + std::to_string(v + 1) : "");
    out += "\n";
  }
  return out;
}

std::string StlAsciiText(const TMesh& m) {
  std::string out = "solid test\n";
  for (const TFace& f : m.faces) {
    out += " facet normal 0 0 0\n  outer loop\n";
    for (int32_t v : f.v) out += "   vertex " + Vec(m.vertices[v].pos) + "\n";
    out += "  endloop\n endfacet\n";
  }
  return out + "endsolid test\n";
}

std::string StlBinary(const TMesh& m) {
  std::string out(80, ' ');
  Append(out, static_cast<uint32_t>(m.faces.size()));
  for (const TFace& f : m.faces) {
    Append(out, TVec3{});
    for (int32_t v : f.v) Append(out, m.vertices[v].pos);
    Append(out, uint16_t{0});
  }
  return out;
}

std::string OffText(const TMesh& m) {
  std::string out = "OFF\n" + std::to_string(m.vertex_count) + " " + std::to_string(m.face_count) + " 0\n";
  for (int32_t i = 0; i < m.vertex_count; ++i) out += Vec(m.vertices[i].pos) + "\n";
  for (const TFace& f : m.faces)
    out += "3 " + std::to_string(f.v[0]) + " " + std::to_string(f.v[1]) + " " + std::to_string(f.v[2]) + "\n";
  return out;
}

std::string GltfText(const TMesh& m, bool uv, const std::vector<std::string>& nodes) {
  std::string bin;
  return GltfJson(m, uv, nodes, bin, true);
}

std::string GlbBytes(const TMesh& m) {
  std::string bin;
  std::string json = GltfJson(m, false, {""}, bin, false);
  json.resize((json.size() + 3) / 4 * 4, ' ');
  bin.resize((bin.size() + 3) / 4 * 4, '\0');
  std::string out = "glTF";
  Append(out, uint32_t{2});
  Append(out, static_cast<uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
  Append(out, static_cast<uint32_t>(json.size()));
  out += "JSON" + json;
  Append(out, static_cast<uint32_t>(bin.size()));
  out += std::string("BIN\0", 4) + bin;
  return out;
}

}  // namespace fixtures
