// Loading OBJ, STL, OFF and glTF files: the same surface as from PLY, the
// format found from the contents, and bad files refused with the file's name
// and the reason while the previous mesh stays.
#include "formats/mesh_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <utility>

#include "formats/ply_writer.h"
#include "formats/triangle_soup.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_format_writers.h"
#include "support/mesh_validator.h"

namespace {

TMesh LoadFile(const std::string& name, const std::string& bytes) {
  TMesh m;
  std::string error;
  EXPECT_TRUE(LoadMesh(fixtures::WriteTempFile(name, bytes), TLoadOptions{}, m, error)) << name << ": " << error;
  return m;
}

// Edges used by one face only.
int BoundaryEdges(const TMesh& m) {
  std::map<std::pair<int32_t, int32_t>, int> uses;
  for (const TFace& f : m.faces)
    for (int k = 0; k < 3; ++k) ++uses[std::minmax(f.v[k], f.v[(k + 1) % 3])];
  int open = 0;
  for (const auto& [edge, n] : uses) open += n == 1;
  return open;
}

// The vertex of `m` nearest to p.
int32_t Nearest(const TMesh& m, const TVec3& p) {
  int32_t best = -1;
  double best_d = 1e30;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    const TVec3& q = m.vertices[i].pos;
    const double d = std::hypot(q.x - p.x, q.y - p.y, q.z - p.z);
    if (d < best_d) best_d = d, best = i;
  }
  return best;
}

// A cube and a UV sphere with texture coordinates, as the tests' PLY source.
std::vector<std::pair<std::string, TMesh>> Shapes() {
  std::vector<std::pair<std::string, TMesh>> shapes = {{"cube", fixtures::Cube()},
                                                       {"sphere", fixtures::UvSphere(1, 16, 8)}};
  for (auto& [name, m] : shapes) {
    m.has_tex0 = true;
    for (TVertex& v : m.vertices) v.tex0[0] = 0.5f + 0.25f * v.pos.x, v.tex0[1] = 0.5f - 0.375f * v.pos.z;
  }
  return shapes;
}

struct TBadFile {
  std::string name, bytes, reason;  // reason: a part of the message
};

struct TFormatCase {
  const char* ext;
  std::function<std::string(const TMesh&)> write;
  bool uv;
};

}  // namespace

TEST(ImportMesh, EveryFormatGivesTheSameSurfaceAsPly) {
  const TFormatCase formats[] = {
      {".obj", [](const TMesh& m) { return fixtures::ObjText(m, true); }, true},
      {"_ascii.stl", fixtures::StlAsciiText, false},
      {"_binary.stl", fixtures::StlBinary, false},
      {".off", fixtures::OffText, false},
      {".gltf", [](const TMesh& m) { return fixtures::GltfText(m, true); }, true},
      {".glb", fixtures::GlbBytes, false},
  };
  for (const auto& [shape, src] : Shapes()) {
    const TMesh ply = LoadFile(shape + ".ply", FormatPly(src));
    for (const TFormatCase& fmt : formats) {
      const std::string name = shape + fmt.ext;
      const TMesh m = LoadFile(name, fmt.write(src));
      ASSERT_EQ(m.vertex_count, ply.vertex_count) << name;
      ASSERT_EQ(m.face_count, ply.face_count) << name;
      EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals | kCheckStrips), "") << name;
      EXPECT_EQ(BoundaryEdges(m), 0) << name;
      EXPECT_FALSE(m.has_user_velo) << name;
      EXPECT_EQ(m.has_tex0, fmt.uv) << name;
      std::set<int32_t> matched;
      for (int32_t i = 0; i < m.vertex_count; ++i) {
        const TVertex& v = m.vertices[i];
        const TVertex& w = ply.vertices[Nearest(ply, v.pos)];
        matched.insert(Nearest(ply, v.pos));
        EXPECT_NEAR(v.pos.x, w.pos.x, 1e-6) << name << " vertex " << i;
        EXPECT_NEAR(v.pos.y, w.pos.y, 1e-6) << name << " vertex " << i;
        EXPECT_NEAR(v.pos.z, w.pos.z, 1e-6) << name << " vertex " << i;
        EXPECT_GT(vec_dot(v.normal, w.normal), 1 - 1e-6) << name << " vertex " << i;  // same winding
        EXPECT_NEAR(v.kmax, w.kmax, 1e-4 * (1 + std::fabs(w.kmax))) << name << " vertex " << i;
        EXPECT_NEAR(v.kmin, w.kmin, 1e-4 * (1 + std::fabs(w.kmin))) << name << " vertex " << i;
        if (fmt.uv) {
          EXPECT_NEAR(v.tex0[0], w.tex0[0], 1e-6) << name << " vertex " << i;
          EXPECT_NEAR(v.tex0[1], w.tex0[1], 1e-6) << name << " vertex " << i;
        }
      }
      EXPECT_EQ(matched.size(), static_cast<size_t>(m.vertex_count)) << name;  // one to one
    }
  }
}

TEST(ImportMesh, ContentsDecideTheFormatWhereTheExtensionIsMissingOrWrong) {
  const TMesh cube = fixtures::Cube();
  const std::pair<const char*, std::string> files[] = {
      {"binary_stl.obj", fixtures::StlBinary(cube)},   {"off.txt", fixtures::OffText(cube)},
      {"gltf_no_extension", fixtures::GltfText(cube)}, {"ascii_stl.OFF", fixtures::StlAsciiText(cube)},
      {"obj.gltf", fixtures::ObjText(cube)},           {"ply.stl", FormatPly(cube)},
  };
  for (const auto& [name, bytes] : files)
    EXPECT_EQ(TriangleCountText(LoadFile(name, bytes)), "12 triangles, 8 vertices");
  EXPECT_EQ(DetectMeshFormat("cut.STL", "solid but binary after all"), TMeshFormat::kStlBinary);
  EXPECT_EQ(DetectMeshFormat("a.Glb", "xxxx"), TMeshFormat::kGlb);
  EXPECT_EQ(DetectMeshFormat("noise.bin", "\x01\x02\x03"), TMeshFormat::kUnknown);
}

TEST(ImportMesh, MeshesOfOneFileMergeIntoOneSurfacePlacedByTheirNodes) {
  // Two OBJ objects, each half of the cube, joined along their shared edges.
  std::string obj = fixtures::ObjText(fixtures::Cube());
  obj.insert(obj.find("\nf ") + 1, "o first\n");
  obj.insert(obj.find("\nf ", obj.size() / 2 + 40) + 1, "o second\n");
  const TMesh merged = LoadFile("two_objects.obj", obj);
  EXPECT_EQ(TriangleCountText(merged), "12 triangles, 8 vertices");
  EXPECT_EQ(BoundaryEdges(merged), 0);
  // One glTF mesh used by two nodes, the second moved along x and mirrored:
  // two closed cubes, both facing out.
  const TMesh two = LoadFile("two_nodes.gltf", fixtures::GltfText(fixtures::Cube(), false,
                                                                  {"", "\"translation\":[5,0,0],\"scale\":[-1,1,1]"}));
  EXPECT_EQ(TriangleCountText(two), "24 triangles, 16 vertices");
  EXPECT_EQ(BoundaryEdges(two), 0);
  EXPECT_DOUBLE_EQ(two.box_max[0], 6);
  EXPECT_DOUBLE_EQ(two.box_min[0], -1);
  for (const TVertex& v : two.vertices) {
    const TVec3 out{v.pos.x > 2 ? v.pos.x - 5 : v.pos.x, v.pos.y, v.pos.z};  // from its cube's centre
    EXPECT_GT(vec_dot(v.normal, out), 0) << v.pos.x << " " << v.pos.y << " " << v.pos.z;
  }
}

TEST(ImportMesh, SoupJoinsCornersByPositionAndDropsDegenerateTriangles) {
  // Two triangles of the unit square with the shared corner written once as
  // -0 and once as 0, and a sliver with a repeated corner.
  TTriangleSoup soup;
  soup.corners = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {-0.f, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 0}, {2, 0, 0}, {1, 0, 0}};
  for (size_t c = 0; c < soup.corners.size(); ++c) soup.uv.push_back({static_cast<float>(c), 0});
  TMesh previous = fixtures::Octahedron();
  previous.vertices[1].aux_base = 7;
  TMesh m;
  std::string reason;
  ASSERT_TRUE(BuildMeshFromSoup(soup, true, &previous, m, reason)) << reason;
  EXPECT_EQ(TriangleCountText(m), "2 triangles, 4 vertices");
  EXPECT_EQ((std::vector<int32_t>{m.faces[0].v[0], m.faces[0].v[1], m.faces[0].v[2], m.faces[1].v[0], m.faces[1].v[1],
                                  m.faces[1].v[2]}),
            (std::vector<int32_t>{1, 0, 2, 2, 0, 3}));  // swapped: v[0] and v[1] exchanged
  EXPECT_EQ(m.vertices[3].tex0[0], 5);                  // from the vertex's first corner
  EXPECT_EQ(m.vertices[1].aux_base, 7);                 // carried from the previous mesh's slot
  soup.corners.resize(3 * 3);
  soup.corners.erase(soup.corners.begin(), soup.corners.begin() + 6);
  EXPECT_FALSE(BuildMeshFromSoup(soup, false, nullptr, m, reason));
  EXPECT_EQ(reason, "The file holds no triangles");
}

TEST(ImportMeshBadInput, BadFilesAreRefusedWithTheirNameAndReasonAndTheMeshStays) {
  TMesh m = LoadFile("octa.ply", FormatPly(fixtures::Octahedron()));
  m.vertices[2].aux = 3;
  const TMesh before = m;
  const TMesh cube = fixtures::Cube();
  std::mt19937 rng(13);
  std::string noise(3000, '\0');
  for (char& c : noise) c = static_cast<char>(rng());
  const std::string stl = fixtures::StlBinary(cube), off = fixtures::OffText(cube), obj = fixtures::ObjText(cube);
  const std::string gltf = fixtures::GltfText(cube), glb = fixtures::GlbBytes(cube);
  std::string bad_index_glb = glb;
  bad_index_glb.replace(glb.size() - 4, 4, std::string("\x63\0\0\0", 4));  // the last index: 99
  std::string huge_stl = stl;
  std::memset(huge_stl.data() + 80, 0xFF, 4);
  const TBadFile cases[] = {
      {"empty.obj", "", "The file is empty"},
      {"noise.dat", noise, "Unknown format; Flowskin reads PLY, OBJ, STL, OFF, glTF and VTK files"},
      {"noise.stl", noise, "The binary STL file is truncated"},
      {"noise.off", noise, "The file does not start with an OFF header"},
      {"noise.obj", noise, "The file holds no meshes (empty scene)"},
      {"noise.gltf", noise, "Not a readable glTF file"},
      {"noise.glb", noise, "Not a readable binary glTF file"},
      {"cut.stl", stl.substr(0, stl.size() - 20),
       "The binary STL file is truncated: its header declares 12 "
       "triangles (684 bytes) but the file has 664 bytes"},
      {"huge.stl", huge_stl, "its header declares 4294967295 triangles"},
      {"cut_ascii.stl", fixtures::StlAsciiText(cube).substr(0, 300),
       "The ASCII STL file is truncated: it ends inside facet 2"},
      {"cut.off", off.substr(0, off.size() - 8), "The file ends after 11 of the 12 faces it declares"},
      {"count.off", "OFF\n8 900000 0\n" + off.substr(off.find(" 0\n") + 3), "more than the file's size"},
      {"index.off", std::string(off).replace(off.rfind("\n3 ") + 3, 1, "8"),
       "Face 11 refers to vertex 8; the file has 8 vertices"},
      {"cut.obj", obj.substr(0, obj.find("f ")), "The file holds no triangles"},
      {"index.obj", obj + "f 1 2 99\n", "Not a readable OBJ file (OBJ: vertex index out of range)"},
      {"cut.gltf", gltf.substr(0, gltf.size() / 2), "Not a readable glTF file"},
      {"count.gltf", std::string(gltf).replace(gltf.find("\"count\":36"), 10, "\"count\":3600"),
       "Not a readable glTF file"},
      {"cut.glb", glb.substr(0, glb.size() - 40), "Not a readable binary glTF file"},
      {"index.glb", bad_index_glb, "A face refers to a vertex the file does not hold"},
  };
  for (const auto& c : cases) {
    const std::string& name = c.name;
    std::string error;
    EXPECT_FALSE(LoadMesh(fixtures::WriteTempFile(name, c.bytes), TLoadOptions{}, m, error)) << name;
    EXPECT_EQ(error.rfind("Cannot load \"" + name + "\": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(m.vertex_count, before.vertex_count) << name;
    EXPECT_EQ(0, std::memcmp(m.vertices.data(), before.vertices.data(), sizeof(TVertex) * m.vertices.size())) << name;
    EXPECT_EQ(0, std::memcmp(m.faces.data(), before.faces.data(), sizeof(TFace) * m.faces.size())) << name;
  }
}
