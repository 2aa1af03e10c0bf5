#include "formats/ply_binary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "formats/ply_reader.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

// A file to write twice, as binary PLY in the declared layout and as ASCII PLY
// of the same values: vertex properties in file order with their types, and
// polygons. Values are converted to the declared type first, so both files
// hold the same numbers.
struct TProp {
  const char* name;
  const char* type;
};
struct TFile {
  bool big_endian = false;
  std::vector<TProp> vertex_props;
  const char* count_type = "uchar";
  const char* index_type = "int";
  bool extras = false;                      // binary only: an edge element, and face properties around the corner list
  std::vector<std::vector<double>> values;  // [vertex][property]
  std::vector<std::vector<int64_t>> polygons;
  std::string header_extra;  // binary only: lines added before end_header
  int64_t lying_count = 0;   // binary only: when not 0, the count written for the last polygon
};

// `v` as the named type holds it (integers wrap), widened back to double.
double AsType(double v, const std::string& type) {
  if (type == "float" || type == "float32") return static_cast<float>(v);
  if (type == "double" || type == "float64") return v;
  const int64_t i = static_cast<int64_t>(v);
  if (type == "char" || type == "int8") return static_cast<int8_t>(i);
  if (type == "uchar" || type == "uint8") return static_cast<uint8_t>(i);
  if (type == "short" || type == "int16") return static_cast<int16_t>(i);
  if (type == "ushort" || type == "uint16") return static_cast<uint16_t>(i);
  if (type == "int" || type == "int32") return static_cast<int32_t>(i);
  return static_cast<uint32_t>(i);
}

template <typename T>
void Put(std::string& out, T v, bool big) {
  char b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));
  if (big) std::reverse(b, b + sizeof(T));
  out.append(b, sizeof(T));
}

void PutAs(std::string& out, double v, const std::string& type, bool big) {
  const double t = AsType(v, type);
  if (type == "float" || type == "float32") return Put(out, static_cast<float>(t), big);
  if (type == "double" || type == "float64") return Put(out, t, big);
  if (type == "char" || type == "int8") return Put(out, static_cast<int8_t>(t), big);
  if (type == "uchar" || type == "uint8") return Put(out, static_cast<uint8_t>(t), big);
  if (type == "short" || type == "int16") return Put(out, static_cast<int16_t>(t), big);
  if (type == "ushort" || type == "uint16") return Put(out, static_cast<uint16_t>(t), big);
  if (type == "int" || type == "int32") return Put(out, static_cast<int32_t>(t), big);
  Put(out, static_cast<uint32_t>(t), big);
}

std::string Header(const TFile& f, const char* format, bool extras) {
  std::string h = std::string("ply\nformat ") + format + " 1.0\ncomment written by the test\n";
  h += "element vertex " + std::to_string(f.values.size()) + "\n";
  for (const TProp& p : f.vertex_props) h += std::string("property ") + p.type + " " + p.name + "\n";
  if (extras) h += "element edge 2\nproperty int vertex1\nproperty int vertex2\nproperty uchar red\n";
  h += "element face " + std::to_string(f.polygons.size()) + "\n";
  if (extras) h += "property uchar flags\n";
  h += std::string("property list ") + f.count_type + " " + f.index_type + " vertex_indices\n";
  if (extras) h += "property list uchar float texcoord\n";
  return h;
}

std::string Binary(const TFile& f) {
  std::string out = Header(f, f.big_endian ? "binary_big_endian" : "binary_little_endian", f.extras) + f.header_extra +
                    "end_header\n";
  for (const std::vector<double>& vals : f.values)
    for (size_t k = 0; k < f.vertex_props.size(); ++k) PutAs(out, vals[k], f.vertex_props[k].type, f.big_endian);
  for (int e = 0; f.extras && e < 2; ++e) out += std::string(9, static_cast<char>(e));
  for (const std::vector<int64_t>& poly : f.polygons) {
    if (f.extras) out += '\7';
    const bool last = &poly == &f.polygons.back() && f.lying_count != 0;
    PutAs(out, static_cast<double>(last ? f.lying_count : static_cast<int64_t>(poly.size())), f.count_type,
          f.big_endian);
    for (int64_t i : poly) PutAs(out, static_cast<double>(i), f.index_type, f.big_endian);
    if (f.extras) out += std::string("\2") + std::string(8, '\xff');  // two NaN floats, skipped unread
  }
  return out;
}

// The ASCII reader's fixed body order: x y z, vx vy vz, tx ty, then the rest.
std::string Ascii(const TFile& f) {
  std::vector<size_t> order;
  for (const char* n : {"x", "y", "z", "vx", "vy", "vz", "tx", "ty"})
    for (size_t k = 0; k < f.vertex_props.size(); ++k)
      if (f.vertex_props[k].name == std::string(n)) order.push_back(k);
  for (size_t k = 0; k < f.vertex_props.size(); ++k)
    if (std::find(order.begin(), order.end(), k) == order.end()) order.push_back(k);
  std::string out = Header(f, "ascii", false) + "end_header\n";
  char buf[64];
  for (const std::vector<double>& vals : f.values) {
    for (size_t k : order) {
      out.append(buf, std::to_chars(buf, buf + sizeof buf, AsType(vals[k], f.vertex_props[k].type)).ptr);
      out += ' ';
    }
    out += '\n';
  }
  for (const std::vector<int64_t>& poly : f.polygons) {
    out += std::to_string(poly.size());
    for (int64_t i : poly) out += " " + std::to_string(i);
    out += '\n';
  }
  return out;
}

// A square pyramid (a quad and four triangles) with every kind of property:
// positions in thirds, velocities, texture pairs, normals and colours.
TFile Pyramid(std::vector<TProp> props) {
  TFile f;
  f.vertex_props = std::move(props);
  const double pos[5][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 0.5, 1.0 / 3}};
  for (int i = 0; i < 5; ++i) {
    std::vector<double> vals;
    for (const TProp& p : f.vertex_props) {
      const std::string n = p.name;
      const int axis = n.back() == 'x' ? 0 : n.back() == 'y' ? 1 : 2;
      vals.push_back(n == "x" || n == "y" || n == "z" ? pos[i][axis] + 0.1 / 3
                     : n[0] == 'v'                    ? -0.7 * i + axis
                     : n[0] == 't'                    ? 0.25 * i + 0.01 * axis
                                                      : 40.0 * i + axis);  // normals, colours
    }
    f.values.push_back(vals);
  }
  f.polygons = {{0, 3, 2, 1}, {0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}};
  return f;
}

const std::vector<TProp> kXyz = {{"x", "float"}, {"y", "float"}, {"z", "float"}};

TMesh Read(const std::string& text, std::string& error, bool swap = false) {
  TMesh m;
  TPlyHeader h;
  if (!ReadPlyHeader(text, h, error) || !ReadPlyData(text, h, swap, m, error)) m.vertex_count = -1;
  return m;
}

}  // namespace

TEST(PlyBinary, LayoutsReadAsTheSameDataInAscii) {
  struct TCase {
    const char* label;
    TFile file;
  };
  std::vector<TCase> cases = {{"little endian, floats", Pyramid(kXyz)}};
  cases.push_back({"big endian, doubles, uint lists, normals, colours, edges", Pyramid({{"red", "uchar"},
                                                                                        {"x", "double"},
                                                                                        {"nx", "float"},
                                                                                        {"y", "double"},
                                                                                        {"z", "double"},
                                                                                        {"vx", "float"},
                                                                                        {"vy", "float"},
                                                                                        {"vz", "float"},
                                                                                        {"tx", "double"},
                                                                                        {"ty", "double"},
                                                                                        {"green", "uchar"},
                                                                                        {"nz", "float"}})});
  cases.back().file.big_endian = true;
  cases.back().file.count_type = "uint";
  cases.back().file.index_type = "uint";
  cases.back().file.extras = true;
  cases.push_back({"sized type names, short lists", Pyramid({{"ty", "float32"},
                                                             {"x", "float64"},
                                                             {"y", "int16"},
                                                             {"z", "uint8"},
                                                             {"tx", "float32"},
                                                             {"quality", "int8"},
                                                             {"alpha", "uint16"},
                                                             {"flags", "uint32"}})});
  cases.back().file.count_type = "int8";
  cases.back().file.index_type = "ushort";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    std::string error;
    const TMesh bin = Read(Binary(c.file), error);
    ASSERT_EQ(bin.vertex_count, 5) << error;
    const TMesh ascii = Read(Ascii(c.file), error);
    ASSERT_EQ(ascii.vertex_count, 5) << error;
    EXPECT_EQ(bin.face_count, 6);  // the quad is a fan of two
    EXPECT_EQ(bin.has_user_velo, ascii.has_user_velo);
    EXPECT_EQ(bin.has_tex0, ascii.has_tex0);
    for (const TProp& p : c.file.vertex_props) {  // one value against its oracle
      if (p.name == std::string("x")) {
        EXPECT_EQ(bin.vertices[4].pos.x, static_cast<float>(AsType(0.5 + 0.1 / 3, p.type)));
      }
    }
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(std::memcmp(&bin.vertices[i].pos, &ascii.vertices[i].pos, sizeof(TVec3)), 0) << i;
      EXPECT_EQ(std::memcmp(&bin.vertices[i].user_velo, &ascii.vertices[i].user_velo, sizeof(TVec3)), 0) << i;
      EXPECT_EQ(std::memcmp(bin.vertices[i].tex0, ascii.vertices[i].tex0, sizeof(float[2])), 0) << i;
    }
    for (int f = 0; f < 6; ++f) EXPECT_TRUE(std::equal(bin.faces[f].v, bin.faces[f].v + 3, ascii.faces[f].v)) << f;
    // The whole load, preparation included, gives the same bytes in every record.
    TMesh a = fixtures::Octahedron(), b = a;
    ASSERT_TRUE(LoadMeshFromText(Binary(c.file), TLoadOptions{}, a, error)) << error;
    ASSERT_TRUE(LoadMeshFromText(Ascii(c.file), TLoadOptions{}, b, error)) << error;
    EXPECT_EQ(MeshDifference(a, b), "");
  }
}

TEST(PlyBinary, SwapOrientationAndCrLfHeader) {
  std::string text = Binary(Pyramid(kXyz));
  for (size_t at = text.find('\n'); at < text.find("end_header") + 11; at = text.find('\n', at + 2))
    text.insert(at, "\r");
  std::string error;
  const TMesh m = Read(text, error, true);
  ASSERT_EQ(m.vertex_count, 5) << error;
  const int want[3] = {3, 0, 2};
  EXPECT_TRUE(std::equal(want, want + 3, m.faces[0].v));
  EXPECT_FLOAT_EQ(m.vertices[4].pos.z, static_cast<float>(1.0 / 3 + 0.1 / 3));
}

TEST(PlyBinaryBadInput, EachFaultHasItsMessage) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  struct TCase {
    const char* label;
    std::string text;
    const char* message_part;
  };
  auto with = [](auto edit, std::vector<TProp> props = kXyz) {
    TFile f = Pyramid(std::move(props));
    edit(f);
    return Binary(f);
  };
  const std::vector<TProp> doubles = {{"x", "double"}, {"y", "double"}, {"z", "double"}};
  const std::string good = Binary(Pyramid(kXyz));
  std::string huge_count = good;
  huge_count.replace(huge_count.find("vertex 5"), 8, "vertex 2000000000");
  const TCase cases[] = {
      {"truncated", good.substr(0, good.size() - 1), "end of file"},
      {"index out of range", with([](TFile& f) { f.polygons[2][1] = 5; }), "Face 2 refers to vertex 5"},
      {"negative index", with([](TFile& f) { f.polygons[0][0] = -1; }), "refers to vertex -1"},
      {"nan", with([&](TFile& f) { f.values[1][0] = nan; }), "not finite"},
      {"inf double", with([&](TFile& f) { f.values[3][2] = -inf; }, doubles), "not finite"},
      {"beyond single precision", with([](TFile& f) { f.values[3][2] = 1e39; }, doubles), "out of range"},
      {"two corners", with([](TFile& f) { f.polygons[1].pop_back(); }), "Face 1 has 2 vertices"},
      {"negative char count", with([](TFile& f) { f.count_type = "char", f.lying_count = 200; }),
       "Face 4 has -56 vertices"},
      {"count beyond the file", with([](TFile& f) { f.count_type = "uint", f.lying_count = 4000000000; }),
       "end of file"},
      {"vertex count beyond the file", huge_count, "more than the file's size"},
      {"edge count beyond the file",
       with([](TFile& f) { f.header_extra = "element edge 400000000\nproperty int vertex1\n"; }),
       "400000000 edge elements, more than the file's size"},
      {"time steps", with([](TFile& f) { f.header_extra = "ntime 2\n"; }), "ASCII PLY files"},
      {"unknown type", with([](TFile& f) { f.vertex_props[1].type = "quad"; }), "Unknown property type \"quad\""},
      {"no z", with([](TFile& f) { f.vertex_props[2].name = "w"; }), "no property z"},
      {"other binary format", std::string(good).replace(good.find("binary_little"), 20, "binary_middle_endian"),
       "Unsupported PLY format"},
  };
  for (const TCase& c : cases) {
    std::string error;
    EXPECT_EQ(Read(c.text, error).vertex_count, -1) << c.label;
    EXPECT_NE(error.find(c.message_part), std::string::npos) << c.label << ": " << error;
    // The load as a whole keeps the mesh it was to replace.
    TMesh m = fixtures::Cube();
    fixtures::Prepare(m);
    const TMesh before = m;
    EXPECT_FALSE(LoadMeshFromText(c.text, TLoadOptions{}, m, error)) << c.label;
    EXPECT_EQ(MeshDifference(m, before), "") << c.label;
  }
}
