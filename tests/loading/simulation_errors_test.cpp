#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"
#include "support/vtk_writers.h"

namespace {

using fixtures::TSimData;
using fixtures::TXmlEncoding;
using fixtures::TXmlLayout;

std::string Legacy(const std::function<void(TSimData&)>& edit, bool binary = false) {
  TSimData d = fixtures::QuadSheet(3, 2);
  edit(d);
  return fixtures::LegacyVtk(d, binary, true);
}

std::string Xml(const std::function<void(TSimData&)>& edit, TXmlLayout l = {}) {
  TSimData d = fixtures::QuadSheet(3, 2);
  edit(d);
  return fixtures::VtkXml(d, l, false);
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  const size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? s : s.replace(at, from.size(), to);
}

TXmlLayout Layout(TXmlEncoding e, bool zlib) {
  TXmlLayout l;
  l.encoding = e;
  l.zlib = zlib;
  return l;
}

}  // namespace

TEST(SimulationErrors, EachFaultNamesTheFileAndTheReasonAndKeepsTheShownMesh) {
  const auto same = [](TSimData&) {};
  const std::string binary = Legacy(same, true);
  const std::string raw = Xml(same, Layout(TXmlEncoding::kAppendedRaw, false));
  const std::string zipped = Xml(same, Layout(TXmlEncoding::kBase64, true));
  const struct {
    const char* label;
    std::string file;
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"truncated binary", "t.vtk", binary.substr(0, binary.size() / 2), "The file ends inside"},
      {"truncated appended data", "t.vtu", Replace(raw, raw.substr(raw.find("\n_") + 2, 40), ""), "data block"},
      {"count larger than the file", "c.vtk", Replace(Legacy(same), "POINTS 12", "POINTS 1200000"),
       "The file ends inside the POINTS block"},
      {"count beyond a mesh's memory", "m.vtk", Replace(Legacy(same), "POINTS 12", "POINTS 1200000000"),
       "1200000000 points would take more than the"},
      {"count beyond any file", "h.vtk", Replace(Legacy(same), "POINTS 12", "POINTS 4611686018427387904"),
       "The count after POINTS is larger than any file can hold"},
      {"XML count larger than the data", "c.vtp",
       Replace(Xml(same), "NumberOfPoints=\"12\"", "NumberOfPoints=\"900000\""), "holds fewer numbers"},
      {"XML count beyond a mesh's memory", "m.vtp",
       Replace(Xml(same), "NumberOfPoints=\"12\"", "NumberOfPoints=\"9000000000\""), "MB a mesh may take"},
      {"index out of range", "i.vtk", Legacy([](TSimData& d) { d.cells[1][2] = 99; }), "refers to point 99"},
      {"negative index", "n.vtu", Xml([](TSimData& d) { d.cells[0][0] = -4; }), "refers to point -4"},
      {"bad base64", "b.vtu",
       Replace(Xml(same, Layout(TXmlEncoding::kBase64, false)), "format=\"binary\">\n", "format=\"binary\">\n*#"),
       "bad base64"},
      {"bad zlib block", "z.vtu", Replace(zipped, "format=\"binary\">\n", "format=\"binary\">\nAAAAAAAAAAAA"),
       "compressed data block"},
      {"NaN coordinate", "nan.vtk", Legacy([](TSimData& d) { d.points[4] = NAN; }), "not a finite number"},
      {"infinite coordinate", "inf.vtp", Xml([](TSimData& d) { d.points[0] = INFINITY; }), "not a finite number"},
      {"point array too short", "s.vtu", Xml([](TSimData& d) { d.point_data[1].values.pop_back(); }),
       "The array \"p\" holds 11 numbers"},
      {"cell array too long", "l.vtk", Legacy([](TSimData& d) { d.cell_data[0].values.push_back(1); }),
       "more numbers than its count declares"},
      {"structured grid", "g.vtk", Replace(Legacy(same), "DATASET POLYDATA", "DATASET STRUCTURED_GRID"),
       "Unsupported dataset type STRUCTURED_GRID"},
      {"image data", "im.vti", "<?xml version=\"1.0\"?>\n<VTKFile type=\"ImageData\"><ImageData/></VTKFile>\n",
       "Unsupported file type \"ImageData\""},
      {"malformed XML", "x.vtp", Replace(Xml(same), "</Points>", "</Pointz>"), "The XML is malformed"},
      {"XML cut halfway", "h.vtp", Xml(same).substr(0, Xml(same).size() / 2), "The file ends early"},
      {"empty", "e.vtk", "", "The file is empty"},
  };
  TMesh shown;
  std::string error;
  ASSERT_TRUE(LoadMeshFromText(FormatPly(fixtures::Octahedron()), TLoadOptions{}, shown, error)) << error;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TMesh m = shown;
    ASSERT_FALSE(LoadMesh(fixtures::WriteTempFile(c.file, c.bytes), TLoadOptions{}, m, error));
    EXPECT_EQ(error.rfind("Cannot load \"" + c.file + "\": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(MeshDifference(m, shown), "");
  }
}
