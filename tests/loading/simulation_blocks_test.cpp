// The blocks of multiblock files written by other programs (the corpus):
// their names as the load lists them, and the surface made of the blocks a
// choice takes, counted against the blocks' own files loaded alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "loading/mesh_loading.h"

namespace {

std::string Corpus(const std::string& file) { return (std::filesystem::path(FLOWSKIN_CORPUS_DIR) / file).string(); }

// "name" for each block, with " volume" and " taken" where they hold, joined by "; ".
std::string Listed(const std::vector<TBlockInfo>& blocks) {
  std::string text;
  for (const TBlockInfo& b : blocks)
    text += (text.empty() ? "" : "; ") + b.name + (b.volume ? " volume" : "") + (b.taken ? " taken" : "");
  return text;
}

// Triangles of the files loaded one by one.
int32_t TrianglesOf(const std::vector<std::string>& files) {
  int32_t n = 0;
  for (const std::string& f : files) {
    TMesh m;
    std::string error;
    EXPECT_TRUE(LoadMesh(Corpus(f), TLoadOptions{}, m, error)) << error;
    n += m.face_count;
  }
  return n;
}

const char* const kFoamBlocks =
    "internal volume; boundary/inlet taken; boundary/outlet taken; boundary/ground taken; boundary/top taken; "
    "boundary/sides taken; boundary/obstacle1 taken; boundary/obstacle2 taken; boundary/obstacle3 taken";

}  // namespace

TEST(SimulationBlocks, ABlockChoiceMakesTheSurfaceOfTheBlocksItNamesOrIsRefusedNamingWhatIsWrong) {
  const std::string patches = "foam/VTK/blocks_300/boundary/";
  const std::vector<std::string> all_patches = {
      patches + "inlet.vtp", patches + "outlet.vtp",    patches + "ground.vtp",    patches + "top.vtp",
      patches + "sides.vtp", patches + "obstacle1.vtp", patches + "obstacle2.vtp", patches + "obstacle3.vtp"};
  struct TCase {
    const char* what;
    std::string file;
    TBlockChoice choice;
    std::string listed;              // the blocks the load reports ("" where not compared)
    std::vector<std::string> as_of;  // files whose triangles together the surface has
    int32_t time_count = 0;
    std::string refused;  // the refusal contains this; "" when the load succeeds
  };
  const std::vector<TCase> cases = {
      {"by default every surface block, the volume left out",
       "foam/VTK/blocks_300.vtm",
       {},
       kFoamBlocks,
       all_patches,
       0,
       ""},
      {"two patches",
       "foam/VTK/blocks_300.vtm",
       std::vector<std::string>{"boundary/obstacle1", "boundary/ground"},
       "internal volume; boundary/inlet; boundary/outlet; boundary/ground taken; boundary/top; boundary/sides; "
       "boundary/obstacle1 taken; boundary/obstacle2; boundary/obstacle3",
       {patches + "ground.vtp", patches + "obstacle1.vtp"},
       0,
       ""},
      {"the volume with a patch on its boundary: the patch's cells replace the volume's there",
       "foam/VTK/blocks_300.vtm",
       std::vector<std::string>{"internal", "boundary/ground"},
       "",
       {"foam/VTK/blocks_300/internal.vtu"},
       0,
       ""},
      {"blocks nested three deep, a surface in a grid file among them",
       "vtk9/case_nested.vtm",
       {},
       "internalMesh volume; boundary/walls taken; boundary/ends/inlet taken; boundary/ends/outlet taken",
       {"vtk9/case_nested/case_nested_1.vtp", "vtk9/case_nested/case_nested_2.vtu",
        "vtk9/case_nested/case_nested_3.vtp"},
       0,
       ""},
      {"volume blocks alone: all taken by default",
       "vtk9/volumes.vtm",
       {},
       "hexes volume taken; tets volume taken",
       {},
       0,
       ""},
      {"one volume block of two",
       "vtk9/volumes.vtm",
       std::vector<std::string>{"tets"},
       "hexes volume; tets volume taken",
       {"vtk9/volumes/volumes_1.vtu"},
       0,
       ""},
      {"every step of a series takes the blocks chosen",
       "foam/VTK/blocks.vtm.series",
       std::vector<std::string>{"boundary/ground"},
       "",
       {patches + "ground.vtp"},
       3,
       ""},
      {"a name no block has",
       "foam/VTK/blocks_300.vtm",
       std::vector<std::string>{"boundary/ground", "boundary/wall"},
       "",
       {},
       0,
       "No block is named \"boundary/wall\" (the file's blocks are internal, boundary/inlet"},
      {"the name of a group of blocks",
       "vtk9/case_nested.vtm",
       std::vector<std::string>{"boundary/ends"},
       "",
       {},
       0,
       "No block is named \"boundary/ends\""},
      {"no block at all", "foam/VTK/blocks_300.vtm", std::vector<std::string>{}, "", {}, 0, "No block is chosen"},
      {"a file of no blocks",
       "vtk9/sphere_appended_none_i32.vtp",
       std::vector<std::string>{"sphere"},
       "",
       {},
       0,
       "No block is named \"sphere\" (the file has no blocks)"},
      {"a mesh file of another kind",
       "../../../examples/box.ply",
       std::vector<std::string>{"box"},
       "",
       {},
       0,
       "No block is named \"box\" (the file has no blocks)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TMesh shown;
    std::string error;
    ASSERT_TRUE(LoadMesh(Corpus("vtk9/sphere_appended_none_i32.vtp"), TLoadOptions{}, shown, error)) << error;
    const int32_t shown_faces = shown.face_count;
    TLoadOptions opt;
    opt.blocks = c.choice;
    TLoadReport report;
    const bool ok = LoadMesh(Corpus(c.file), opt, shown, error, &report);
    if (!c.refused.empty()) {
      EXPECT_FALSE(ok);
      EXPECT_NE(error.find(c.refused), std::string::npos) << error;
      EXPECT_EQ(shown.face_count, shown_faces);  // the mesh shown stays
      continue;
    }
    ASSERT_TRUE(ok) << error;
    if (!c.listed.empty()) {
      EXPECT_EQ(Listed(report.blocks), c.listed);
    }
    if (!c.as_of.empty()) {
      EXPECT_EQ(shown.face_count, TrianglesOf(c.as_of));
    }
    EXPECT_EQ(shown.time_count, c.time_count);
  }
}
