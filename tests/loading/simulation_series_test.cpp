// Simulation files that list others: time collections (.pvd, .series) and
// multiblock files (.vtm) of patches.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <tuple>

#include "data/file_arrays.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"
#include "support/vtk_writers.h"

namespace {

using fixtures::TSimData;

// The sheet with U scaled by (step + 1) and turned round for odd steps.
TSimData Step(int step) {
  TSimData d = fixtures::QuadSheet(4, 3);
  for (double& u : d.point_data[0].values) u *= (step % 2 ? -1.0 : 1.0) * (step + 1);
  return d;
}

// The same three steps as a PLY time file: velocities per step after the faces.
std::string PlyTimeFile(const std::vector<double>& times) {
  const TSimData d = Step(0);
  std::string text = fixtures::SimPly(d);
  text.insert(text.find("end_header"),
              "element time " + std::to_string(times.size()) + "\nntime " + std::to_string(times.size()) + "\n");
  for (size_t t = 0; t < times.size(); ++t) {
    text += std::to_string(times[t]) + "\n";
    const TSimData s = Step(static_cast<int>(t));
    char buf[32];
    for (const double u : s.point_data[0].values) {
      std::snprintf(buf, sizeof buf, "%.9g ", static_cast<float>(u));
      text += buf;
    }
    text += "\n";
  }
  return text;
}

TMesh Load(const std::string& path, std::string& error, bool ok = true) {
  TMesh m;
  EXPECT_EQ(LoadMesh(path, TLoadOptions{}, m, error), ok) << error;
  return m;
}

}  // namespace

TEST(SimulationSeries, CollectionAndSeriesOfThreeStepsAnimateLikeThePlyTimeFile) {
  const std::vector<double> times = {0, 0.5, 2};
  std::string pvd = "<?xml version=\"1.0\"?>\n<VTKFile type=\"Collection\" version=\"0.1\"><Collection>\n";
  std::string series = "{\n  \"file-series-version\" : \"1.0\",\n  \"files\" : [\n";
  for (int t = 2; t >= 0; --t) {  // listed out of order: the times decide
    const std::string name = "run_" + std::to_string(t) + ".vtp";
    fixtures::WriteTempFile(name, fixtures::VtkXml(Step(t), {}, true));
    pvd += "<DataSet timestep=\"" + std::to_string(times[t]) + "\" part=\"0\" file=\"" + name + "\"/>\n";
    series += std::string("    { \"name\" : \"") + name + "\", \"time\" : " + std::to_string(times[t]) + " }" +
              (t > 0 ? ",\n" : "\n");
  }
  pvd += "</Collection></VTKFile>\n";
  series += "  ]\n}\n";
  std::string error;
  const TMesh ply = Load(fixtures::WriteTempFile("run.ply", PlyTimeFile(times)), error);
  ASSERT_EQ(ply.time_count, 3);
  for (const char* name : {"run.pvd", "run.vtp.series"}) {
    SCOPED_TRACE(name);
    TMesh m = Load(fixtures::WriteTempFile(name, name[4] == 'p' ? pvd : series), error);
    ASSERT_EQ(m.time_count, 3);
    EXPECT_EQ(m.time_values, times);
    ASSERT_EQ(m.vertex_count, ply.vertex_count);
    m.flow_array.tangential = m.flow_array.normalise = false;
    ASSERT_TRUE(ApplyFlowArray(m));
    std::map<std::tuple<float, float, float>, int32_t> ply_vertex;
    for (int32_t i = 0; i < ply.vertex_count; ++i)
      ply_vertex[{ply.vertices[i].pos.x, ply.vertices[i].pos.y, ply.vertices[i].pos.z}] = i;
    for (int t = 0; t < 3; ++t)
      for (int32_t i = 0; i < m.vertex_count; ++i) {
        const int32_t j = ply_vertex.at({m.vertices[i].pos.x, m.vertices[i].pos.y, m.vertices[i].pos.z});
        for (int k = 0; k < 3; ++k)
          EXPECT_FLOAT_EQ((&m.time_velo[t][i].x)[k], (&ply.time_velo[t][j].x)[k]) << t << " " << i << " " << k;
      }
  }
}

TEST(SimulationSeries, StepsMustShareTheSurface) {
  TSimData moved = Step(1);
  moved.points[4] += 0.25;
  fixtures::WriteTempFile("a_0.vtk", fixtures::LegacyVtk(Step(0), false, true));
  fixtures::WriteTempFile("a_1.vtk", fixtures::LegacyVtk(moved, false, true));
  const std::string pvd =
      "<VTKFile type=\"Collection\"><Collection><DataSet timestep=\"0\" file=\"a_0.vtk\"/>"
      "<DataSet timestep=\"1\" file=\"a_1.vtk\"/></Collection></VTKFile>";
  std::string error;
  Load(fixtures::WriteTempFile("a.pvd", pvd), error, false);
  EXPECT_EQ(error,
            "Cannot load \"a.pvd\": The step at time 1.000000 does not have the surface of the first step "
            "(its points or cells differ)");
  Load(fixtures::WriteTempFile("b.pvd",
                               "<VTKFile type=\"Collection\"><Collection><DataSet timestep=\"0\" "
                               "file=\"missing.vtp\"/></Collection></VTKFile>"),
       error, false);
  EXPECT_EQ(error, "Cannot load \"b.pvd\": \"missing.vtp\": File not found");
  // Named as the collection names it, folders and all.
  Load(fixtures::WriteTempFile("c.vtm",
                               "<VTKFile type='vtkMultiBlockDataSet'><vtkMultiBlockDataSet><DataSet "
                               "file='c_0/boundary/wall.vtp'/></vtkMultiBlockDataSet></VTKFile>"),
       error, false);
  EXPECT_EQ(error, "Cannot load \"c.vtm\": \"c_0/boundary/wall.vtp\": File not found");
}

TEST(SimulationSeries, MultiblockPatchesMergeIntoOneSurfaceWithTheirSeamsJoined) {
  // The sheet cut into two patches along a column of points, each with its own copy of the seam.
  const TSimData whole = fixtures::QuadSheet(4, 3);
  TSimData left = whole, right = whole;
  left.cells.clear(), left.types.clear(), left.cell_data[0].values.clear();
  right.cells.clear(), right.types.clear(), right.cell_data[0].values.clear();
  for (size_t c = 0; c < whole.cells.size(); ++c) {
    TSimData& side = c % 4 < 2 ? left : right;
    side.cells.push_back(whole.cells[c]);
    side.types.push_back(9);
    side.cell_data[0].values.push_back(whole.cell_data[0].values[c]);
  }
  fixtures::WriteTempFile("patches/left.vtp", fixtures::VtkXml(left, {}, true));
  fixtures::WriteTempFile("patches/right.vtk", fixtures::LegacyVtk(right, true, true));
  const std::string vtm =
      "<?xml version=\"1.0\"?><VTKFile type=\"vtkMultiBlockDataSet\" version=\"1.0\"><vtkMultiBlockDataSet>"
      "<Block index=\"0\" name=\"patch\"><DataSet index=\"0\" name=\"left\" file=\"patches/left.vtp\"/>"
      "<DataSet index=\"1\" name=\"right\" file=\"patches/right.vtk\"/></Block></vtkMultiBlockDataSet></VTKFile>";
  std::string error;
  const TMesh m = Load(fixtures::WriteTempFile("case.vtm", vtm), error);
  const TMesh single = Load(fixtures::WriteTempFile("single.vtp", fixtures::VtkXml(whole, {}, true)), error);
  EXPECT_EQ(m.vertex_count, single.vertex_count);  // (the unused points of each patch are left out)
  EXPECT_EQ(m.face_count, single.face_count);
  ASSERT_EQ(m.file_arrays.size(), 3u);
  EXPECT_EQ(m.file_arrays[2].name, "yPlus");
}

TEST(SimulationSeries, AFolderOfNumberedFilesIsOneSeriesTimedByTheNumbers) {
  // Three numbered steps, one file of another name the numbering leaves out.
  std::string folder;
  for (int t = 0; t < 3; ++t)
    folder = fixtures::WriteTempFile("numbered/wall_000" + std::to_string(2 * t + 1) + ".vtu",
                                     fixtures::VtkXml(Step(t), {}, false));
  fixtures::WriteTempFile("numbered/notes_1.txt", "not a step");
  folder = std::filesystem::path(folder).parent_path().string();
  std::string error;
  const TMesh m = Load(folder, error);
  ASSERT_EQ(m.time_count, 3);
  EXPECT_EQ(m.time_values, (std::vector<double>{1, 3, 5}));
  ASSERT_EQ(m.file_arrays.size(), 3u);
  EXPECT_EQ(m.file_arrays[0].steps.size(), 3u);
  // Normalised, the steps differ in direction only: odd steps turn the flow round.
  EXPECT_NEAR(m.time_velo[0][5].x, -m.time_velo[1][5].x, 1e-5);
  Load(std::filesystem::path(fixtures::WriteTempFile("empty_folder/readme.txt", "")).parent_path().string(), error,
       false);
  EXPECT_EQ(error, "Cannot load \"empty_folder\": The folder holds no numbered VTK files (name_0001.vtp, ...)");
}
