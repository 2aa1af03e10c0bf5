// The tests' mesh validator finds each fault it looks for: a fully prepared
// sphere passes every check, and one broken copy per check is named by that
// fault (and only the check that looks for it reports the copy).
#include "support/mesh_validator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"

namespace {

constexpr unsigned kAllChecks = kCheckAdjacency | kCheckNormals | kCheckStrips | kCheckFinite | kCheckCurvature;

// A face of `m` that does not use vertex v.
int32_t FaceWithout(const TMesh& m, int32_t v) {
  for (int32_t f = 0; f < m.face_count; ++f)
    if (m.faces[f].v[0] != v && m.faces[f].v[1] != v && m.faces[f].v[2] != v) return f;
  return -1;
}

}  // namespace

TEST(MeshValidator, EachBrokenMeshIsNamedByItsFault) {
  TMesh good;
  std::string error;
  ASSERT_TRUE(LoadMeshFromText(FormatPly(fixtures::Sphere(2, 3)), TLoadOptions{}, good, error)) << error;
  ASSERT_EQ(ValidateMesh(good, kAllChecks), "");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* name;
    unsigned check;  // the check that finds it
    std::function<void(TMesh&)> do_break;
    std::string fault;
  };
  const Row rows[] = {
      {"vertex count", kCheckIndices, [](TMesh& m) { m.vertex_count += 1; }, "exceeds the vertex array"},
      {"face count", kCheckIndices, [](TMesh& m) { m.face_count -= 1; }, "differs from the face array"},
      {"corner index", kCheckIndices, [](TMesh& m) { m.faces[3].v[1] = m.vertex_count; }, "face 3 corner 1 index"},
      {"list count", kCheckAdjacency, [](TMesh& m) { m.vertices[2].nb_count = 16; }, "vertex 2 list counts 16/"},
      {"face listed wrongly", kCheckAdjacency, [](TMesh& m) { m.vertices[0].vface[0] = FaceWithout(m, 0); },
       "vertex 0 lists face " + std::to_string(FaceWithout(good, 0)) + " wrongly"},
      {"face twice", kCheckAdjacency, [](TMesh& m) { m.vertices[4].vface[1] = m.vertices[4].vface[0]; },
       "vertex 4 lists face " + std::to_string(good.vertices[4].vface[0]) + " twice"},
      {"neighbour out of range", kCheckAdjacency, [](TMesh& m) { m.vertices[5].nb[0] = -1; },
       "vertex 5 neighbour -1 out of range"},
      {"neighbour twice", kCheckAdjacency, [](TMesh& m) { m.vertices[6].nb[1] = m.vertices[6].nb[0]; },
       "vertex 6 lists neighbour " + std::to_string(good.vertices[6].nb[0]) + " twice"},
      {"one-sided neighbour", kCheckAdjacency,
       [](TMesh& m) {
         TVertex& v = m.vertices[7];
         const int32_t b = v.nb[0];
         TVertex& w = m.vertices[b];
         for (int32_t k = 0; k < w.nb_count; ++k)
           if (w.nb[k] == 7) w.nb[k] = w.nb[--w.nb_count];
       },
       "adjacency not symmetric: 7 lists " + std::to_string(good.vertices[7].nb[0])},
      {"vertex normal", kCheckNormals,
       [](TMesh& m) {
         m.vertices[8].normal = {2, 0, 0};
       },
       "normal of vertex 8 has length 2"},
      {"face normal", kCheckNormals,
       [](TMesh& m) {
         m.faces[4].fnormal = {0, 0, 0.5f};
       },
       "fnormal of face 4 has length 0.5"},
      {"position", kCheckFinite, [nan](TMesh& m) { m.vertices[9].pos.x = float(nan); },
       "vertex 9 has a field that is not finite"},
      {"box", kCheckFinite, [nan](TMesh& m) { m.box_max[1] = nan; }, "the bounding box is not finite"},
      {"strip order", kCheckStrips, [](TMesh& m) { std::swap(m.strips[0], m.strips[1]); },
       "is not a face or repeats one"},
      {"strip end", kCheckStrips, [](TMesh& m) { m.strip_len -= 1; }, "strip stream lacks its end marker"},
      {"curvature direction", kCheckCurvature,
       [](TMesh& m) {
         m.vertices[10].dir_max = {0, 3, 0};
       },
       "frame or curvature direction of vertex 10 has length 3"},
      {"principal curvatures", kCheckCurvature, [](TMesh& m) { m.vertices[11].kmax = m.vertices[11].kmin - 1; },
       "vertex 11 has kmax"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TMesh broken = good;
    r.do_break(broken);
    EXPECT_NE(ValidateMesh(broken, kAllChecks).find(r.fault), std::string::npos) << ValidateMesh(broken, kAllChecks);
    if (r.check != kCheckIndices) {
      EXPECT_NE(ValidateMesh(broken, r.check).find(r.fault), std::string::npos);
      EXPECT_EQ(ValidateMesh(broken, kAllChecks & ~r.check & ~kCheckStripCover), "") << "found by another check";
    }
  }
}
