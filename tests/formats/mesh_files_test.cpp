// Which file names are taken for meshes (drops on the window).
#include "formats/mesh_files.h"

#include <gtest/gtest.h>

TEST(MeshFiles, TheLoadersExtensionsInAnyCaseAreMeshFiles) {
  const std::pair<const char*, bool> cases[] = {
      {"/data/torus.ply", true}, {"SPHERE.PLY", true},   {"a.Ply", true},    {"/x.ply/readme.txt", false},
      {"mesh.ply.bak", false},   {"part.OBJ", true},     {"cube.stl", true}, {"scene.glb", true},
      {"notes.txt", false},      {"picture.bmp", false}, {"ply", false},     {"/dir.ply/mesh", false},
  };
  for (const auto& [path, mesh] : cases) EXPECT_EQ(IsMeshFileName(path), mesh) << path;
}
