// The time-step example of the README, read by the PLY reader as a user's
// file would be: the documented layout must be the one the reader takes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "formats/ply_reader.h"

namespace {

// The first ``` block after `marker` in the README of this source tree.
std::string ReadmeBlockAfter(const std::string& marker) {
  std::ifstream in(std::string(FLOWSKIN_FUZZ_DIR) + "/../../README.md", std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  const std::string text = all.str();
  const size_t at = text.find(marker);
  if (at == std::string::npos) return {};
  const size_t open = text.find("```\n", at);
  if (open == std::string::npos) return {};
  const size_t close = text.find("```", open + 4);
  if (close == std::string::npos) return {};
  return text.substr(open + 4, close - open - 4);
}

}  // namespace

TEST(ReadmePlyExample, TimeStepsReadAsDocumented) {
  const std::string ply = ReadmeBlockAfter("A tetrahedron");
  ASSERT_FALSE(ply.empty()) << "no example in the README";
  TPlyHeader h;
  TMesh mesh;
  std::string error;
  ASSERT_TRUE(ReadPlyHeader(ply, h, error)) << error;
  ASSERT_TRUE(ReadPlyData(ply, h, false, mesh, error)) << error;
  EXPECT_EQ(mesh.vertex_count, 4);
  EXPECT_EQ(mesh.face_count, 4);
  EXPECT_TRUE(mesh.has_user_velo);
  ASSERT_EQ(mesh.time_count, 2);
  EXPECT_EQ(mesh.time_values, (std::vector<double>{0.0, 1.0}));
  for (int v = 0; v < 4; ++v) {
    SCOPED_TRACE(v);
    const TVertex& p = mesh.vertices[v];
    // Each vertex turns about z: velocity (-y, x, 0) at time 0, the opposite at time 1,
    // and the vertex line carries the velocity of time 0.
    const float expect[3] = {-p.pos.y, p.pos.x, 0.0f};
    const TVec3& t0 = mesh.time_velo[0][v];
    const TVec3& t1 = mesh.time_velo[1][v];
    EXPECT_EQ((std::vector<float>{t0.x, t0.y, t0.z}), (std::vector<float>{expect[0], expect[1], expect[2]}));
    EXPECT_EQ((std::vector<float>{t1.x, t1.y, t1.z}), (std::vector<float>{-expect[0], -expect[1], -expect[2]}));
    EXPECT_EQ((std::vector<float>{p.user_velo.x, p.user_velo.y}), (std::vector<float>{t0.x, t0.y}));
  }
}
