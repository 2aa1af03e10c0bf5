// Files written by other programs (tests/formats/corpus: VTK's own writers,
// meshio, OpenFOAM's foamToVTK), each read and compared with the reference
// its making script wrote from the writer's side: points, bounds, surface
// area, each array's sums or range, time steps; or the refusal it must meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "loading/mesh_loading.h"
#include "loading/simulation_loading.h"

namespace {

namespace fs = std::filesystem;

struct TRefArray {
  int components = 0;
  std::vector<double> numbers;  // sums per component, or min and max per component
};

struct TReference {
  std::string writer, settings, refused;
  size_t points = 0;
  double bounds[6] = {};
  double area = 0;
  std::map<std::string, TRefArray> point_arrays, cell_arrays;
  std::vector<double> times;
  bool has_times = false;
};

TReference ReadReference(const fs::path& path) {
  TReference r;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "writer" || key == "settings" || key == "refused") {
      std::string rest;
      std::getline(words >> std::ws, rest);
      (key == "writer" ? r.writer : key == "settings" ? r.settings : r.refused) = rest;
    } else if (key == "points") {
      words >> r.points;
    } else if (key == "bounds") {
      for (double& b : r.bounds) words >> b;
    } else if (key == "area") {
      words >> r.area;
    } else if (key == "point_array" || key == "cell_array") {
      std::string name;
      TRefArray a;
      words >> name >> a.components;
      for (double v; words >> v;) a.numbers.push_back(v);
      (key == "point_array" ? r.point_arrays : r.cell_arrays)[name] = a;
    } else if (key == "times") {
      r.has_times = true;
      for (double v; words >> v;) r.times.push_back(v);
    } else {
      ADD_FAILURE() << path << ": unknown reference line " << line;
    }
  }
  return r;
}

// Area of the cells: each polygon by its vector area (Newell), exact for the
// plane polygons writers give.
double SurfaceArea(const TCellSurface& s) {
  double area = 0;
  for (size_t c = 0; c < s.CellCount(); ++c) {
    double n[3] = {0, 0, 0};
    const int64_t b = s.offsets[c], e = s.offsets[c + 1];
    for (int64_t k = b; k < e; ++k) {
      const double* p = &s.points[3 * s.connectivity[k]];
      const double* q = &s.points[3 * s.connectivity[k + 1 < e ? k + 1 : b]];
      n[0] += (p[1] - q[1]) * (p[2] + q[2]);
      n[1] += (p[2] - q[2]) * (p[0] + q[0]);
      n[2] += (p[0] - q[0]) * (p[1] + q[1]);
    }
    area += 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  }
  return area;
}

const TDataArray* Find(const std::vector<TDataArray>& arrays, const std::string& name) {
  for (const TDataArray& a : arrays)
    if (a.name == name) return &a;
  return nullptr;
}

std::vector<fs::path> References() {
  std::vector<fs::path> refs;
  for (const auto& e : fs::recursive_directory_iterator(FLOWSKIN_CORPUS_DIR))
    if (e.path().extension() == ".ref") refs.push_back(e.path());
  std::sort(refs.begin(), refs.end());
  return refs;
}

void CheckArrays(const std::map<std::string, TRefArray>& want, const std::vector<TDataArray>& got, bool sums,
                 size_t tuples) {
  for (const auto& [name, r] : want) {
    SCOPED_TRACE((sums ? "point array " : "cell array ") + name);
    const TDataArray* a = Find(got, name);
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->components, r.components);
    if (sums) {
      ASSERT_EQ(a->TupleCount(), tuples);
    }
    for (int c = 0; c < r.components; ++c) {
      double sum = 0, magnitude = 0, lo = INFINITY, hi = -INFINITY;
      for (size_t t = 0; t < a->TupleCount(); ++t) {
        const double v = a->values[t * r.components + c];
        sum += v;
        magnitude += std::fabs(v);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
      if (sums) {
        EXPECT_NEAR(sum, r.numbers[c], 1e-9 * magnitude + 1e-12) << "component " << c;
      } else {
        EXPECT_NEAR(lo, r.numbers[2 * c], 1e-12 * std::fabs(lo) + 1e-15) << "component " << c;
        EXPECT_NEAR(hi, r.numbers[2 * c + 1], 1e-12 * std::fabs(hi) + 1e-15) << "component " << c;
      }
    }
  }
  for (const TDataArray& a : got) EXPECT_TRUE(want.count(a.name)) << "an array the writer did not write: " << a.name;
}

}  // namespace

TEST(SimulationCorpus, EveryFileOfOtherWritersReadsAsItsWriterDescribesIt) {
  const std::vector<fs::path> refs = References();
  ASSERT_GE(refs.size(), 60u);
  for (const fs::path& ref : refs) {
    const std::string file = ref.string().substr(0, ref.string().size() - 4);
    const TReference want = ReadReference(ref);
    SCOPED_TRACE(fs::relative(file, FLOWSKIN_CORPUS_DIR).string() + " (" + want.writer + "; " + want.settings + ")");
    std::string bytes, reason, notes;
    TCellSurface s;
    std::vector<TTimeStepFiles> steps;
    TVtkBudget budget;
    const bool read = ReadSimulationBytes(file, bytes, reason) &&
                      ReadSimulationFile(file, bytes, DetectMeshFormat(file, bytes), budget, s, steps, notes, reason);
    if (!want.refused.empty()) {
      EXPECT_FALSE(read);
      EXPECT_NE(reason.find(want.refused), std::string::npos) << reason;
      continue;
    }
    ASSERT_TRUE(read) << reason;
    EXPECT_EQ(s.PointCount(), want.points);
    double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (size_t i = 0; i < s.PointCount(); ++i)
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], s.points[3 * i + k]);
        hi[k] = std::max(hi[k], s.points[3 * i + k]);
      }
    for (int k = 0; k < 3; ++k) {
      EXPECT_DOUBLE_EQ(lo[k], want.bounds[2 * k]) << "axis " << k;
      EXPECT_DOUBLE_EQ(hi[k], want.bounds[2 * k + 1]) << "axis " << k;
    }
    EXPECT_NEAR(SurfaceArea(s), want.area, 1e-9 * want.area);
    CheckArrays(want.point_arrays, s.point_data, true, s.PointCount());
    CheckArrays(want.cell_arrays, s.cell_data, false, 0);
    if (want.has_times) {
      std::vector<double> times;
      for (const TTimeStepFiles& st : steps) times.push_back(st.time);
      EXPECT_EQ(times, want.times);
    }
    // And the whole load the window makes of it.
    TMesh mesh;
    std::string error;
    EXPECT_TRUE(LoadMesh(file, TLoadOptions{}, mesh, error)) << error;
    EXPECT_GT(mesh.face_count, 0);
  }
}
