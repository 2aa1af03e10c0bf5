#include "loading/mesh_loading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

#include "data/data_channels.h"
#include "formats/ply_writer.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

TMesh Loaded(const TMesh& src, const TLoadOptions& opt = {}) {
  TMesh m;
  std::string error;
  EXPECT_TRUE(LoadMeshFromText(FormatPly(src), opt, m, error)) << error;
  return m;
}

// True when the two meshes hold the same bytes in every vertex, face and range.
bool SameMesh(const TMesh& a, const TMesh& b) {
  return a.vertex_count == b.vertex_count && a.face_count == b.face_count && a.vertices.size() == b.vertices.size() &&
         std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(TVertex)) == 0 &&
         std::memcmp(a.faces.data(), b.faces.data(), a.faces.size() * sizeof(TFace)) == 0 &&
         std::memcmp(a.data_range, b.data_range, sizeof a.data_range) == 0 && a.strips == b.strips &&
         a.box_size == b.box_size;
}

}  // namespace

TEST(LoadMesh, SphereIsPreparedCompletely) {
  TLoadReport report;
  TMesh m;
  std::string error;
  ASSERT_TRUE(LoadMeshFromText(FormatPly(fixtures::Sphere(2, 3)), TLoadOptions{}, m, error, &report)) << error;
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals | kCheckStrips), "");
  EXPECT_EQ(TriangleCountText(m), "512 triangles, 258 vertices");
  EXPECT_NEAR(m.box_size, 4 * std::sqrt(3.0), 1e-5);
  EXPECT_EQ(report.strip_stats.faces, 512);
  for (const TVertex& v : m.vertices) {
    EXPECT_NEAR(v.kmin, -0.5, 0.06);
    EXPECT_GE(v.dir_max.y, 0);  // oriented towards +y
    EXPECT_GE(v.dir_min.y, 0);
    EXPECT_GE(v.tex0[0], 0);
    EXPECT_LE(v.tex0[0], 1);
  }
  // First load: data_range := auto_range; X runs -2..2, K min has its fixed range.
  EXPECT_DOUBLE_EQ(m.data_range[kChanX].min, -2);
  EXPECT_DOUBLE_EQ(m.data_range[kChanX].max, 2);
  EXPECT_DOUBLE_EQ(m.data_range[kChanKMin].min, -25);
  EXPECT_DOUBLE_EQ(m.data_range[kChanVelocity].max, 10);
  EXPECT_DOUBLE_EQ(m.auto_range[kChanAux].max, 7);
}

TEST(LoadMesh, SecondLoadKeepsDataRangesAndCarriesAuxIntoSurvivingSlots) {
  TMesh m = Loaded(fixtures::Octahedron());
  m.data_range[kChanX] = TRange{-100, 100};
  for (TVertex& v : m.vertices) {
    v.aux = v.aux_base = 4;
    v.align_mark = 2;
    v.user_velo = TVec3{7, 8, 9};
  }
  std::string error;
  ASSERT_TRUE(LoadMeshFromText(FormatPly(fixtures::Sphere(3, 1)), TLoadOptions{}, m, error)) << error;
  EXPECT_EQ(m.vertex_count, 18);
  EXPECT_DOUBLE_EQ(m.data_range[kChanX].min, -100);
  EXPECT_DOUBLE_EQ(m.auto_range[kChanX].min, -3);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(m.vertices[i].aux_base, 4);
    EXPECT_EQ(m.vertices[i].align_mark, 2);
    EXPECT_EQ(m.vertices[i].user_velo.y, 8);  // the file has no velocities
  }
  for (int i = 6; i < 18; ++i) {
    EXPECT_EQ(m.vertices[i].aux, 0);
    EXPECT_EQ(m.vertices[i].user_velo.x, 0);
  }
  // A file with velocities replaces them in the surviving slots too.
  TMesh with_velo = fixtures::Octahedron();
  with_velo.has_user_velo = true;
  for (TVertex& v : with_velo.vertices) v.user_velo = TVec3{0, 0, -1};
  ASSERT_TRUE(LoadMeshFromText(FormatPly(with_velo), TLoadOptions{}, m, error)) << error;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(m.vertices[i].user_velo.z, -1);
    EXPECT_EQ(m.vertices[i].aux_base, 4);
  }
}

TEST(LoadMesh, SubdivisionStepsMultiplyTheFaces) {
  TLoadOptions opt;
  opt.subdivide = true;
  opt.subdiv_steps = 2;
  const TMesh m = Loaded(fixtures::TwoTriangles(), opt);
  EXPECT_EQ(m.face_count, 32);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckStrips), "");
}

TEST(LoadMesh, CracksOnTheCubeGiveTwentyFourVertices) {
  TLoadOptions opt;
  opt.crack_insert = true;
  const TMesh m = Loaded(fixtures::Cube(), opt);
  EXPECT_EQ(TriangleCountText(m), "12 triangles, 24 vertices");
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals | kCheckStrips), "");
}

TEST(LoadMesh, SwapFlipsTheNormals) {
  TLoadOptions opt;
  opt.swap = true;
  const TMesh m = Loaded(fixtures::Octahedron(), opt);
  for (const TVertex& v : m.vertices) EXPECT_LT(vec_dot(v.normal, v.pos), 0);
}

TEST(LoadMesh, TimeStepsAndFileVelocities) {
  TMesh src = fixtures::Octahedron();
  src.has_user_velo = true;
  src.time_count = 2;
  src.time_values = {0, 2};
  src.time_velo.assign(2, std::vector<TVec3>(6, TVec3{0, 0, 3}));
  src.time_velo[1][4] = TVec3{0, 5, 12};
  for (TVertex& v : src.vertices) v.user_velo = TVec3{1, 0, 0};
  const TMesh m = Loaded(src);
  EXPECT_TRUE(m.has_user_velo);
  EXPECT_FLOAT_EQ(m.vertices[3].user_velo.x, 1);
  EXPECT_EQ(m.time_count, 2);
  EXPECT_DOUBLE_EQ(m.time_values[1], 2);
  EXPECT_DOUBLE_EQ(m.auto_range[kChanVelocity].max, 13);  // longest time-step vector
}

TEST(LoadMeshBadInput, EveryFailureLeavesThePreviousMeshUntouched) {
  TMesh m = Loaded(fixtures::Torus(2, 0.5, 12, 8));
  m.data_range[kChanY] = TRange{-1, 1};
  m.vertices[3].aux = 9;
  const TMesh before = m;
  const std::string good = FormatPly(fixtures::Cube());
  const std::string bad_texts[] = {
      good.substr(0, good.size() - 20),                                          // truncated
      std::string(good).replace(good.find("3 0 2 3"), 7, "3 0 2 8"),             // index out of range
      std::string(good).replace(good.find("end_header\n") + 11, 2, "x1"),        // malformed number
      std::string(good).replace(good.find("end_header\n") + 11, 2, "na"),        // nan
      std::string(good).replace(good.find("vertex 8"), 8, "vertex 2000000000"),  // huge count
      std::string(good).replace(good.find("face 12"), 7, "face 0"),              // no faces
  };
  for (const std::string& text : bad_texts) {
    std::string error;
    EXPECT_FALSE(LoadMeshFromText(text, TLoadOptions{}, m, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(SameMesh(m, before)) << error;
  }
  std::string error;
  EXPECT_FALSE(LoadMesh("/nonexistent/none.ply", TLoadOptions{}, m, error));
  EXPECT_EQ(error, "Cannot load \"none.ply\": File not found");
  EXPECT_TRUE(SameMesh(m, before));
}

TEST(LoadMeshBadInput, TwentySubdivisionStepsStopWithAMessage) {
  TMesh m = Loaded(fixtures::Tetrahedron());
  const TMesh before = m;
  TLoadOptions opt;
  opt.subdivide = true;
  opt.subdiv_steps = 20;
  std::string error;
  EXPECT_FALSE(LoadMeshFromText(FormatPly(fixtures::Cube()), opt, m, error));
  EXPECT_NE(error.find("fewer steps"), std::string::npos) << error;
  EXPECT_TRUE(SameMesh(m, before));
}

TEST(LoadMesh, ReadsAFileFromDisk) {
  const std::string path = fixtures::WriteTempFile("octa.ply", FormatPly(fixtures::Octahedron()));
  TMesh m;
  std::string error;
  ASSERT_TRUE(LoadMesh(path, TLoadOptions{}, m, error)) << error;
  EXPECT_EQ(TriangleCountText(m), "8 triangles, 6 vertices");
}

TEST(LoadMeshBadInput, BadFileOnDiskReportsAndKeepsTheMesh) {
  TMesh m = Loaded(fixtures::Octahedron());
  const TMesh before = m;
  const std::string path = fixtures::WriteTempFile("bad.ply",
                                                   "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                                                   "property float y\nproperty float z\nelement face 1\n"
                                                   "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n");
  std::string error;
  EXPECT_FALSE(LoadMesh(path, TLoadOptions{}, m, error));
  EXPECT_EQ(error, "Cannot load \"bad.ply\": Face 0 refers to vertex 7; the file has 3 vertices");
  EXPECT_TRUE(SameMesh(m, before));
}

TEST(LoadMeshBadInput, MutatedFilesLoadValidMeshesOrFailCleanly) {
  // Small random edits of a cube file (digits changed, characters dropped or
  // inserted) give broken topology, odd counts and malformed numbers. Every
  // load must either give a mesh that passes the validator or fail with a
  // message and keep the previous mesh.
  const std::string good = FormatPly(fixtures::Cube());
  const size_t body = good.find("end_header");
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  TMesh m = Loaded(fixtures::Tetrahedron());
  int loaded = 0, failed = 0;
  for (int round = 0; round < 400; ++round) {
    std::string text = good;
    for (int k = 0, edits = 1 + next(3); k < edits; ++k) {
      const size_t at = body > 40 && next(4) == 0 ? 20 + next(body - 20) : body + 11 + next(good.size() - body - 12);
      const uint32_t kind = next(5);
      if (kind < 2 && text[at] >= '0' && text[at] <= '9') text[at] = static_cast<char>('0' + next(8));
      if (kind == 2) text.erase(at, 1);
      if (kind == 3) text.insert(at, 1, " -x\n"[next(4)]);
    }
    TLoadOptions opt;
    opt.crack_insert = next(2) == 0;
    opt.subdivide = next(3) == 0;
    const TMesh before = m;
    std::string error;
    if (LoadMeshFromText(text, opt, m, error)) {
      ++loaded;
      EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckStripCover), "") << text;
    } else {
      ++failed;
      EXPECT_FALSE(error.empty());
      EXPECT_TRUE(SameMesh(m, before)) << error;
    }
  }
  EXPECT_GT(loaded, 50);
  EXPECT_GT(failed, 50);
}

TEST(LoadMesh, LoadBesideLeavesThePreviousMeshAsItWasAndCarriesItsValuesOver) {
  TMesh previous = Loaded(fixtures::Octahedron());
  for (int32_t i = 0; i < previous.vertex_count; ++i) previous.vertices[i].aux = 10 + i;
  previous.data_range[0] = TRange{-3, 7};
  const TMesh before = previous;
  const std::string path = fixtures::WriteTempFile("octa2.ply", FormatPly(fixtures::Octahedron(2)));
  TMesh loaded;
  std::string error;
  ASSERT_TRUE(LoadMeshBeside(path, TLoadOptions{}, previous, loaded, error)) << error;
  EXPECT_TRUE(SameMesh(previous, before));
  EXPECT_EQ(ValidateMesh(loaded, kCheckAdjacency | kCheckNormals | kCheckStrips), "");
  EXPECT_NEAR(loaded.box_size, 4 * std::sqrt(3.0), 1e-5);
  EXPECT_EQ(loaded.vertices[5].aux, 15);   // carried over
  EXPECT_EQ(loaded.data_range[0].max, 7);  // the user's range stays
  // A failure leaves `loaded` as it was and names the file.
  const TMesh kept = loaded;
  EXPECT_FALSE(LoadMeshBeside("/nonexistent/none.ply", TLoadOptions{}, previous, loaded, error));
  EXPECT_EQ(error, "Cannot load \"none.ply\": File not found");
  EXPECT_TRUE(SameMesh(loaded, kept));
}

TEST(LoadMesh, SummaryNamesTheFileItsArraysAndTheTime) {
  TMesh plain = fixtures::Octahedron();
  TMesh velo = plain;
  velo.has_user_velo = true;
  TMesh both = velo;
  both.has_tex0 = true;
  TMesh steps = both;
  steps.time_count = 8;
  TMesh one_step = velo;
  one_step.time_count = 1;
  TMesh tex = plain;
  tex.has_tex0 = true;
  const std::tuple<const TMesh*, const char*, double, const char*> cases[] = {
      {&plain, "/data/octa.ply", 0.004, "octa.ply: no velocities or texture coordinates; loaded in 0.00 s"},
      {&velo, "v.ply", 1.5, "v.ply: velocities; loaded in 1.50 s"},
      {&one_step, "v.ply", 0.25, "v.ply: velocities; loaded in 0.25 s"},
      {&tex, "dir/t.obj", 12.345, "t.obj: texture coordinates; loaded in 12.35 s"},
      {&both, "b.ply", 0.1, "b.ply: velocities, texture coordinates; loaded in 0.10 s"},
      {&steps, "s.ply", 2, "s.ply: velocities at 8 time steps, texture coordinates; loaded in 2.00 s"},
  };
  for (const auto& [mesh, path, seconds, text] : cases) EXPECT_EQ(LoadSummaryText(*mesh, path, seconds), text);
}
