// Files made to take all the memory or time a load has: each is refused with
// a message naming the file and the limit, having allocated next to nothing;
// and the smaller faults of collections (escaped names, times that are no
// numbers, contents quoted from outside the collection's folder).
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

#include "data/file_arrays.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"
#include "support/vtk_writers.h"

namespace {

namespace fs = std::filesystem;

std::string Le32(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// A PolyData file of `points` points whose Points are zlib blocks of 64 KiB
// of zeros, each the same compressed bytes: 4 GiB of zeros fit in a few MB.
std::string ZeroPointsVtp(uint64_t points, bool real_blocks) {
  const uint64_t bytes = points * 12, block = 65536;
  const uint64_t blocks = (bytes + block - 1) / block;
  std::string zeros(block, '\0'), packed(compressBound(block), '\0');
  uLongf packed_size = packed.size();
  compress(reinterpret_cast<Bytef*>(packed.data()), &packed_size, reinterpret_cast<const Bytef*>(zeros.data()), block);
  packed.resize(packed_size);
  std::string head = Le32(static_cast<uint32_t>(blocks)) + Le32(block) + Le32(static_cast<uint32_t>(bytes % block));
  for (uint64_t b = 0; b < blocks; ++b) head += Le32(static_cast<uint32_t>(packed.size()));
  std::string text =
      "<?xml version=\"1.0\"?>\n<VTKFile type=\"PolyData\" version=\"1.0\" byte_order=\"LittleEndian\" "
      "compressor=\"vtkZLibDataCompressor\">\n<PolyData><Piece NumberOfPoints=\"" +
      std::to_string(points) +
      "\" NumberOfPolys=\"0\"><Points><DataArray type=\"Float32\" NumberOfComponents=\"3\" "
      "format=\"appended\" offset=\"0\"/></Points></Piece></PolyData>\n<AppendedData encoding=\"raw\">\n_";
  text += head;
  if (real_blocks)
    for (uint64_t b = 0; b < blocks; ++b) text += packed;
  else
    text += std::string(1 << 20, 'x');  // a megabyte where the blocks should be
  return text + "\n</AppendedData>\n</VTKFile>\n";
}

std::string Vtm(const std::vector<std::string>& files) {
  std::string text = "<VTKFile type='vtkMultiBlockDataSet' version='1.0'><vtkMultiBlockDataSet>\n";
  for (size_t i = 0; i < files.size(); ++i)
    text += "<DataSet index='" + std::to_string(i) + "' file='" + files[i] + "'/>\n";
  return text + "</vtkMultiBlockDataSet></VTKFile>\n";
}

std::string Load(const std::string& path, TMesh* out = nullptr, TLoadReport* report = nullptr) {
  TMesh m;
  std::string error;
  const bool ok = LoadMesh(path, TLoadOptions{}, m, error, report);
  if (out) *out = std::move(m);
  return ok ? "" : error;
}

}  // namespace

TEST(SimulationHostile, FilesClaimingMoreThanTheyHoldEndWithAMessageNamingTheLimit) {
  const std::string sheet = fixtures::VtkXml(fixtures::QuadSheet(3, 3), {}, true);
  fixtures::WriteTempFile("hostile_piece.vtp", sheet);
  // Three multiblock files naming each other (and themselves) a hundred times each.
  std::vector<std::string> loop;
  for (int i = 0; i < 100; ++i)
    for (const char* f : {"hostile_a.vtm", "hostile_b.vtm", "hostile_c.vtm"}) loop.push_back(f);
  for (const char* f : {"hostile_a.vtm", "hostile_b.vtm", "hostile_c.vtm"}) fixtures::WriteTempFile(f, Vtm(loop));
  const std::string sparse = fixtures::WriteTempFile("hostile_sparse.vtp", "");
  ASSERT_EQ(truncate(sparse.c_str(), off_t{2} << 30), 0);
  const struct {
    const char* what;
    std::string path;
    std::string message;  // "" when the load must succeed
  } cases[] = {
      {"a header claiming 4 GiB, the blocks missing",
       fixtures::WriteTempFile("hostile_claim.vtp", ZeroPointsVtp(357913941, false)),
       "Cannot load \"hostile_claim.vtp\": 357913941 points would take more than the"},
      {"real zlib blocks of zeros inflating to 4 GiB",
       fixtures::WriteTempFile("hostile_zeros.vtp", ZeroPointsVtp(357913941, true)),
       "Cannot load \"hostile_zeros.vtp\": 357913941 points would take more than the"},
      {"multiblock files naming each other", fixtures::WriteTempFile("hostile_a.vtm", Vtm(loop)),
       "Cannot load \"hostile_a.vtm\": The file holds no surface"},
      {"a piece behind 70 kB of comment",
       fixtures::WriteTempFile("hostile_comment.vtm",
                               "<!--" + std::string(70000, 'x') + "-->\n" + Vtm({"hostile_piece.vtp"})),
       ""},
      {"one piece named 20000 times",
       fixtures::WriteTempFile("hostile_many.vtm", Vtm(std::vector<std::string>(20000, "hostile_piece.vtp"))), ""},
      {"a 2 GiB sparse file", sparse, "Cannot load \"hostile_sparse.vtp\": The file does not start like a VTK file"},
      {"a device named by a collection", fixtures::WriteTempFile("hostile_dev.vtm", Vtm({"/dev/zero"})),
       "Cannot load \"hostile_dev.vtm\": \"zero\": Not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TMesh mesh;
    TLoadReport report;
    const std::string error = Load(c.path, &mesh, &report);
    if (c.message.empty()) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(mesh.face_count, 2 * 9);  // the piece once
      EXPECT_EQ(report.notes.find("files named again") != std::string::npos, c.path.ends_with("many.vtm"))
          << report.notes;
    } else {
      EXPECT_EQ(error.substr(0, c.message.size()), c.message) << error;
      if (c.message.find("would take more") != std::string::npos) {
        EXPECT_NE(error.find("MB a mesh may take"), std::string::npos) << error;
      }
    }
  }
  fs::remove(sparse);
}

TEST(SimulationHostile, SeriesNamesAreDecodedAndTimesMustBeFiniteNumbers) {
  const std::string sheet = fixtures::VtkXml(fixtures::QuadSheet(3, 3), {}, true);
  fixtures::WriteTempFile("st\xC3\xBCp_0.vtp", sheet);
  fixtures::WriteTempFile("st\xF0\x9F\x8C\x8A_1.vtp", sheet);
  auto series = [](const std::string& t0, const std::string& t1) {
    return "{\"file-series-version\": \"1.0\", \"files\": [{\"name\": \"st\\u00fcp_0.vtp\", \"time\": " + t0 +
           "}, {\"name\": \"st\\ud83c\\udf0a_1.vtp\", \"time\": " + t1 + "}]}";
  };
  auto pvd = [](const std::string& t0, const std::string& t1) {
    return "<VTKFile type='Collection'><Collection><DataSet timestep='" + t0 + "' file='st\xC3\xBCp_0.vtp'/>" +
           "<DataSet timestep='" + t1 + "' file='st\xF0\x9F\x8C\x8A_1.vtp'/></Collection></VTKFile>";
  };
  const struct {
    const char* what;
    std::string name, text, message;
  } cases[] = {
      {"escaped names", "escaped.series", series("0", "2.5e-1"), ""},
      {"pvd in single quotes", "quoted.pvd", pvd("0", " 0.25 "), ""},
      {"nan", "nan.series", series("nan", "1"), "which is no finite number"},
      {"inf", "inf.pvd", pvd("0", "inf"), "which is no finite number"},
      {"hex", "hex.pvd", pvd("0x10", "1"), "which is no finite number"},
      {"trailing words", "trail.series", series("1 s", "2"), "which is no finite number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TMesh mesh;
    const std::string error = Load(fixtures::WriteTempFile(c.name, c.text), &mesh);
    if (c.message.empty()) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(mesh.time_count, 2);
      EXPECT_EQ(mesh.time_values, (std::vector<double>{0, 0.25}));
    } else {
      EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
  }
}

TEST(SimulationHostile, ContentsOfFilesOutsideTheCollectionsFolderAreNotQuoted) {
  const std::string bad = "# vtk DataFile Version 3.0\nt\nASCII\nDATASET POLYDATA\nSECRET_WORD 1 2 3\n";
  const std::string outside = fixtures::WriteTempFile("outside_secret.vtk", bad);
  const fs::path folder = fs::path(outside).parent_path() / "collection_folder";
  fs::create_directories(folder);
  std::ofstream(folder / "inside_secret.vtk") << bad;
  std::ofstream(folder / "in.vtm") << Vtm({"inside_secret.vtk"});
  std::ofstream(folder / "out.vtm") << Vtm({"../outside_secret.vtk"});
  const std::string in = Load((folder / "in.vtm").string()), out = Load((folder / "out.vtm").string());
  EXPECT_EQ(in, "Cannot load \"in.vtm\": \"inside_secret.vtk\": Unknown keyword \"SECRET_WORD\"");
  EXPECT_EQ(out, "Cannot load \"out.vtm\": \"outside_secret.vtk\": Unknown keyword");
  fs::remove_all(folder);
}

TEST(SimulationHostile, TheDefaultFlowArrayIsOneThatMovesAndTheLoadSaysWhy) {
  // A wall: U zero everywhere, shear stress and another vector not.
  fixtures::TSimData d = fixtures::QuadSheet(3, 3);
  fixtures::TSimArray tau{"wallShearStress", 3, d.point_data[0].values}, other{"gradP", 3, d.point_data[0].values};
  for (double& u : d.point_data[0].values) u = 0;
  const struct {
    const char* what;
    std::vector<fixtures::TSimArray> vectors;
    std::string chosen, note;
  } cases[] = {
      {"U moves", {tau, other}, "U", ""},
      {"U zero, shear stress after another vector",
       {d.point_data[0], other, tau},
       "wallShearStress",
       "flow array wallShearStress (U is zero on the surface)"},
      {"U zero, no shear stress", {d.point_data[0], other}, "gradP", "flow array gradP (U is zero on the surface)"},
      {"every vector zero", {d.point_data[0]}, "U", "flow array U (every vector array is zero on the surface)"},
  };
  const fixtures::TSimData base = fixtures::QuadSheet(3, 3);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fixtures::TSimData file = base;
    file.point_data.erase(file.point_data.begin());  // U
    if (std::string(c.what) == "U moves") file.point_data.insert(file.point_data.begin(), base.point_data[0]);
    file.point_data.insert(file.point_data.end(), c.vectors.begin(), c.vectors.end());
    TMesh mesh;
    TLoadReport report;
    std::string error;
    ASSERT_TRUE(LoadMesh(fixtures::WriteTempFile("wall.vtp", fixtures::VtkXml(file, {}, true)), TLoadOptions{}, mesh,
                         error, &report))
        << error;
    ASSERT_GE(mesh.flow_array.array, 0);
    EXPECT_EQ(mesh.file_arrays[mesh.flow_array.array].name, c.chosen);
    EXPECT_EQ(report.flow_note, c.note);
  }
}
