#include "loading/simulation_loading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "data/file_arrays.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"
#include "support/vtk_writers.h"

namespace {

using fixtures::TSimData;
using fixtures::TXmlEncoding;
using fixtures::TXmlLayout;
using TPos = std::tuple<float, float, float>;

TPos PosOf(const TVertex& v) { return {v.pos.x, v.pos.y, v.pos.z}; }

// The faces as position triples, each turned to start at its smallest
// corner (the winding kept), sorted: equal for two loads of the same surface
// whatever the vertex numbering.
std::vector<std::array<TPos, 3>> FaceSet(const TMesh& m) {
  std::vector<std::array<TPos, 3>> out;
  for (int32_t f = 0; f < m.face_count; ++f) {
    std::array<TPos, 3> t;
    for (int k = 0; k < 3; ++k) t[k] = PosOf(m.vertices[m.faces[f].v[k]]);
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    out.push_back(t);
  }
  std::sort(out.begin(), out.end());
  return out;
}

const TFileArray* ArrayNamed(const TMesh& m, const std::string& name) {
  for (const TFileArray& a : m.file_arrays)
    if (a.name == name) return &a;
  return nullptr;
}

bool LoadFile(const std::string& name, const std::string& bytes, TMesh& m, std::string& error,
              TLoadReport* report = nullptr, TLoadOptions opt = {}) {
  return LoadMesh(fixtures::WriteTempFile(name, bytes), opt, m, error, report);
}

struct TEncodingCase {
  const char* label;
  const char* file;
  bool legacy;
  bool binary;  // legacy only
  TXmlLayout xml;
  bool polydata;
};

std::vector<TEncodingCase> EncodingCases() {
  auto xml = [](TXmlEncoding e, bool zlib, bool u64, bool big, bool f32) {
    TXmlLayout l;
    l.encoding = e;
    l.zlib = zlib;
    l.uint64_header = u64;
    l.big_endian = big;
    l.float32_points = f32;
    return l;
  };
  return {
      {"legacy ASCII POLYDATA", "a.vtk", true, false, {}, true},
      {"legacy binary POLYDATA", "b.vtk", true, true, {}, true},
      {"legacy ASCII UNSTRUCTURED_GRID", "c.vtk", true, false, {}, false},
      {"legacy binary UNSTRUCTURED_GRID", "d.vtk", true, true, {}, false},
      {"XML ascii", "e.vtp", false, false, xml(TXmlEncoding::kAscii, false, false, false, false), true},
      {"XML base64", "f.vtp", false, false, xml(TXmlEncoding::kBase64, false, false, false, true), true},
      {"XML base64 UInt64 big-endian", "g.vtu", false, false, xml(TXmlEncoding::kBase64, false, true, true, false),
       false},
      {"XML appended raw", "h.vtu", false, false, xml(TXmlEncoding::kAppendedRaw, false, false, false, true), false},
      {"XML appended base64", "i.vtp", false, false, xml(TXmlEncoding::kAppendedBase64, false, true, false, false),
       true},
      {"XML zlib UInt32", "j.vtp", false, false, xml(TXmlEncoding::kBase64, true, false, false, false), true},
      {"XML zlib UInt64", "k.vtu", false, false, xml(TXmlEncoding::kAppendedRaw, true, true, false, false), false},
      {"XML zlib big-endian appended base64", "l.vtp", false, false,
       xml(TXmlEncoding::kAppendedBase64, true, false, true, false), true},
  };
}

std::string Write(const TEncodingCase& c, const TSimData& d) {
  return c.legacy ? fixtures::LegacyVtk(d, c.binary, c.polydata) : fixtures::VtkXml(d, c.xml, c.polydata);
}

}  // namespace

TEST(SimulationLoading, EveryEncodingLoadsTheSurfaceAndArraysOfThePlyFile) {
  const TSimData d = fixtures::QuadSheet(5, 4);
  TMesh ply;
  std::string error;
  ASSERT_TRUE(LoadFile("sheet.ply", fixtures::SimPly(d, "U"), ply, error)) << error;
  for (const TEncodingCase& c : EncodingCases()) {
    SCOPED_TRACE(c.label);
    TMesh m;
    TLoadReport report;
    ASSERT_TRUE(LoadFile(c.file, Write(c, d), m, error, &report)) << error;
    EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals | kCheckFinite), "");
    ASSERT_EQ(m.vertex_count, ply.vertex_count);
    EXPECT_EQ(FaceSet(m), FaceSet(ply));
    EXPECT_EQ(report.notes, "");
    // Point arrays by position; the flow array is U, its raw vectors those of the PLY file.
    ASSERT_TRUE(ArrayNamed(m, "U") && ArrayNamed(m, "p") && ArrayNamed(m, "yPlus"));
    EXPECT_EQ(m.flow_array.array, ArrayNamed(m, "U") - m.file_arrays.data());
    EXPECT_TRUE(m.has_user_velo);
    m.flow_array.tangential = m.flow_array.normalise = false;
    ASSERT_TRUE(ApplyFlowArray(m));
    std::map<TPos, int32_t> ply_vertex;
    for (int32_t i = 0; i < ply.vertex_count; ++i) ply_vertex[PosOf(ply.vertices[i])] = i;
    const TFileArray& p = *ArrayNamed(m, "p");
    for (int32_t i = 0; i < m.vertex_count; ++i) {
      const int32_t j = ply_vertex.at(PosOf(m.vertices[i]));
      EXPECT_FLOAT_EQ(m.vertices[i].user_velo.x, ply.vertices[j].user_velo.x);
      EXPECT_FLOAT_EQ(m.vertices[i].user_velo.y, ply.vertices[j].user_velo.y);
      EXPECT_FLOAT_EQ(m.vertices[i].user_velo.z, ply.vertices[j].user_velo.z);
      EXPECT_FLOAT_EQ(p.steps[0][i], static_cast<float>(d.point_data[1].values[j]));
    }
  }
}

TEST(SimulationLoading, PolygonStripAndTetrahedraLoadAsTheirTrianglesInPly) {
  struct TShapeCase {
    const char* label;
    TSimData vtk;
    TSimData ply;  // the same surface as the triangles it must become
  };
  const std::vector<double> strip_points = {0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 2, 0, 0};
  const std::vector<double> tet_points = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
  std::vector<TShapeCase> cases = {
      {"an L-shaped polygon and a triangle",
       {{0, 0, 0, 2, 0, 0, 2, 1, 0, 1, 1, 0, 1, 2, 0, 0, 2, 0, 3, 0, 0},
        {{0, 1, 2, 3, 4, 5}, {1, 6, 2}},
        {7, 5},
        {},
        {}},
       {}},
      {"a strip of three triangles",
       {strip_points, {{0, 1, 2, 3, 4}}, {6}, {}, {}},
       {strip_points, {{0, 1, 2}, {2, 1, 3}, {2, 3, 4}}, {5, 5, 5}, {}, {}}},
      {"two tetrahedra sharing a face",
       {tet_points, {{0, 1, 2, 3}, {1, 2, 3, 4}}, {10, 10}, {}, {}},
       {tet_points, {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 4, 3}, {2, 3, 4}, {1, 2, 4}}, {5, 5, 5, 5, 5, 5}, {}, {}}},
  };
  cases[0].ply = cases[0].vtk;
  for (const TShapeCase& c : cases) {
    SCOPED_TRACE(c.label);
    TMesh ply;
    std::string error;
    ASSERT_TRUE(LoadFile("shape.ply", fixtures::SimPly(c.ply), ply, error)) << error;
    const bool volume = c.vtk.types[0] == 10;
    for (const TEncodingCase& e : EncodingCases()) {
      if (volume && e.polydata) continue;  // volume cells exist in grids only
      SCOPED_TRACE(e.label);
      TMesh m;
      ASSERT_TRUE(LoadFile(e.file, Write(e, c.vtk), m, error)) << error;
      EXPECT_EQ(FaceSet(m), FaceSet(ply));
    }
  }
}

TEST(SimulationLoading, CellDataIsAveragedOntoPointsByArea) {
  // Quad A (area 1, value 1) and quad B (area 2, value 4) share the edge x = 1.
  TSimData d{{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 3, 0, 0, 3, 1, 0},
             {{0, 1, 2, 3}, {1, 4, 5, 2}},
             {9, 9},
             {},
             {{"wallShearStress", 3, {1, 0, 0, 4, 0, 0}}, {"k", 1, {1, 4}}}};
  TMesh m;
  std::string error;
  ASSERT_TRUE(LoadFile("cells.vtk", fixtures::LegacyVtk(d, false, true), m, error)) << error;
  const TFileArray* k = ArrayNamed(m, "k");
  ASSERT_TRUE(k);
  const std::map<TPos, float> want = {{{0, 0, 0}, 1}, {{0, 1, 0}, 1}, {{1, 0, 0}, 3},
                                      {{1, 1, 0}, 3}, {{3, 0, 0}, 4}, {{3, 1, 0}, 4}};
  ASSERT_EQ(m.vertex_count, 6);
  for (int32_t i = 0; i < m.vertex_count; ++i) EXPECT_FLOAT_EQ(k->steps[0][i], want.at(PosOf(m.vertices[i])));
  // The shear stress is the flow array; normalised, every vector has length box_size.
  EXPECT_EQ(m.flow_array.array, ArrayNamed(m, "wallShearStress") - m.file_arrays.data());
  for (int32_t i = 0; i < m.vertex_count; ++i) EXPECT_NEAR(vec_length(m.vertices[i].user_velo), m.box_size, 1e-4);
}

TEST(SimulationLoading, OnlyExactlyEqualPointsAreJoined) {
  // Two triangles with their own copies of the shared edge, and a third whose
  // corner differs from its neighbour's by one unit in the last place.
  const float next = std::nextafter(1.0f, 2.0f);
  TSimData d{{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, next, 1, 0, 2, 1, 0, 1, 2, 0},
             {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}},
             {5, 5, 5},
             {},
             {}};
  TMesh m;
  std::string error;
  ASSERT_TRUE(LoadFile("seams.vtp", fixtures::VtkXml(d, {}, true), m, error)) << error;
  EXPECT_EQ(m.vertex_count, 7);  // 9 points, the two copies of the edge joined, the near one not
  EXPECT_EQ(m.face_count, 3);
}

TEST(SimulationLoading, InwardFacesAreTurnedOutwardAndSwapStillTurnsThem) {
  const TMesh tet = fixtures::Tetrahedron();
  TSimData d;
  for (const TVertex& v : tet.vertices) d.points.insert(d.points.end(), {v.pos.x, v.pos.y, v.pos.z});
  for (const TFace& f : tet.faces) {
    d.cells.push_back({f.v[1], f.v[0], f.v[2]});  // inward
    d.types.push_back(5);
  }
  for (const bool swap : {false, true}) {
    TMesh m;
    std::string error;
    TLoadReport report;
    TLoadOptions opt;
    opt.swap = swap;
    ASSERT_TRUE(LoadFile("inward.vtk", fixtures::LegacyVtk(d, false, true), m, error, &report, opt)) << error;
    EXPECT_EQ(report.notes, "faces turned outward");
    for (int32_t f = 0; f < m.face_count; ++f) {
      const TVec3& p = m.vertices[m.faces[f].v[0]].pos;
      const double out = vec_dot(m.faces[f].fnormal, p);  // the centre is the origin
      EXPECT_EQ(out > 0, !swap) << f;
    }
  }
}
