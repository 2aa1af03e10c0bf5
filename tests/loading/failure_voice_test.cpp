// Every reader fails the same way: whatever the format and wherever a file
// breaks, a refused load reads `Cannot load "<name>": <Reason>`, one line, the
// reason starting with a capital letter and ending without a full stop. The
// files are the samples and files other programs wrote, cut short and
// overwritten in places, and our writers' files of the imported formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_format_writers.h"

namespace {

std::string Bytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct TSource {
  std::string name;  // the file's name, which tells its format where its bytes do not
  std::string bytes;
};

std::vector<TSource> Sources() {
  const std::filesystem::path root(FLOWSKIN_CORPUS_DIR);
  const std::filesystem::path examples = root / "../../../examples";
  std::vector<TSource> out;
  for (const char* f : {"torus_flow.ply", "torus_binary.ply", "motorbike_wss.vtp"})
    out.push_back({f, Bytes(examples / f)});
  for (const char* f : {"meshio/sphere_v42_binary.vtk", "meshio/mixed_v51_ascii.vtk", "meshio/sphere_binary_zlib.vtu",
                        "meshio/sphere_binary_lzma_u64.vtu", "meshio/polyhedra_ascii.vtu"})
    out.push_back({std::filesystem::path(f).filename().string(), Bytes(root / f)});
  const TMesh m = fixtures::Octahedron();
  out.push_back({"octa.obj", fixtures::ObjText(m)});
  out.push_back({"octa.stl", fixtures::StlBinary(m)});
  out.push_back({"octa_text.stl", fixtures::StlAsciiText(m)});
  out.push_back({"octa.off", fixtures::OffText(m)});
  out.push_back({"octa.gltf", fixtures::GltfText(m)});
  out.push_back({"octa.glb", fixtures::GlbBytes(m)});
  return out;
}

TEST(FailureVoice, EveryReaderRefusesInOneVoiceWhereverItsFileBreaks) {
  const std::regex voice(R"(Cannot load "[^"/]+": [A-Z0-9"][^\n]*[^.\n ])");
  const TLoadOptions opt;
  int refused = 0;
  for (const TSource& s : Sources()) {
    ASSERT_GT(s.bytes.size(), 40u) << s.name;
    const size_t n = s.bytes.size();
    // Cut at a few places, the head overwritten, a stretch in the middle overwritten.
    std::vector<std::string> broken = {s.bytes.substr(0, n / 7), s.bytes.substr(0, n / 2),
                                       s.bytes.substr(0, n - n / 50 - 1), "", std::string(n / 3, '\xff')};
    std::string head = s.bytes, middle = s.bytes;
    head.replace(0, 12, "\x01junk junk \xfe");
    middle.replace(n / 2, std::min<size_t>(64, n / 4), std::min<size_t>(64, n / 4), '#');
    broken.push_back(head);
    broken.push_back(middle);
    for (size_t k = 0; k < broken.size(); ++k) {
      TMesh mesh;
      std::string error;
      const std::string path = fixtures::WriteTempFile("voice_" + std::to_string(k) + "_" + s.name, broken[k]);
      if (LoadMesh(path, opt, mesh, error)) continue;  // some damage leaves a readable file
      ++refused;
      EXPECT_TRUE(std::regex_match(error, voice)) << s.name << " broken " << k << ": " << error;
      EXPECT_NE(error.find(std::filesystem::path(path).filename().string()), std::string::npos) << error;
    }
  }
  EXPECT_GT(refused, 60);  // nearly every broken file is refused
}

// The system's own words keep their voice, and a reason from anywhere is put in it.
TEST(FailureVoice, TheFailureTextPutsAnyReasonInTheVoice) {
  const struct {
    const char* reason;
    const char* text;
  } rows[] = {{"File not found", "Cannot load \"a.ply\": File not found"},
              {"the file is empty.", "Cannot load \"a.ply\": The file is empty"},
              {"\"piece.vtp\": Unknown keyword", "Cannot load \"a.ply\": \"piece.vtp\": Unknown keyword"}};
  for (const auto& r : rows) EXPECT_EQ(LoadFailureText("/some/folder/a.ply", r.reason), r.text);
}

}  // namespace
