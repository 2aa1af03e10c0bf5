#include "support/load_case.h"

#include <array>
#include <iterator>

#include "formats/ply_writer.h"
#include "mesh/mesh_shapes.h"
#include "support/mesh_validator.h"

namespace {

// The meshes a case's load replaces, loaded once: an octahedron, and a small
// sphere with file velocities and two time steps.
const TMesh& PreviousMesh(bool rich) {
  static const std::array<TMesh, 2> kMeshes = [] {
    TMesh plain, rich_mesh, sphere = MakeGeodesicSphereMesh(1, 1);
    sphere.has_user_velo = true;
    for (int32_t i = 0; i < sphere.vertex_count; ++i) sphere.vertices[i].user_velo = TVec3{1, 0, 0};
    sphere.time_count = 2;
    sphere.time_values = {0, 1};
    sphere.time_velo.assign(2, std::vector<TVec3>(sphere.vertex_count, TVec3{0, 1, 0}));
    std::string error;
    LoadMeshFromText(FormatPly(MakeGeodesicSphereMesh(1, 0)), TLoadOptions{}, plain, error);
    LoadMeshFromText(FormatPly(sphere), TLoadOptions{}, rich_mesh, error);
    return std::array<TMesh, 2>{plain, rich_mesh};
  }();
  return kMeshes[rich ? 1 : 0];
}

std::string CheckTimeSteps(const TMesh& m) {
  if (m.time_count < 0 || m.time_values.size() < static_cast<size_t>(m.time_count) ||
      m.time_velo.size() < static_cast<size_t>(m.time_count))
    return "time arrays shorter than time_count\n";
  for (int32_t t = 0; t < m.time_count; ++t)
    if (m.time_velo[t].size() < static_cast<size_t>(m.vertex_count)) return "a time step lacks vertex vectors\n";
  return "";
}

}  // namespace

TLoadCase DecodeLoadCase(std::string_view input) {
  TLoadCase c;
  if (input.size() < kLoadCaseOptionBytes) return c;
  const unsigned flags = static_cast<unsigned char>(input[0]);
  c.file = input.substr(kLoadCaseOptionBytes);
  c.options.swap = flags & 1;
  c.options.subdivide = (flags & 2) && c.file.size() <= kMaxSubdividedBytes;
  c.options.subdiv_steps = flags & 4 ? 2 : 1;
  c.options.crack_insert = flags & 8;
  c.options.crack_angle_convex = static_cast<unsigned char>(input[1]) % 181;
  c.options.crack_angle_concave = static_cast<unsigned char>(input[2]) % 181;
  c.options.use_neighbors = flags & 16;
  c.rich_previous = flags & 32;
  return c;
}

namespace {

// Loads `c`'s file with `load` into a copy of the previous mesh and checks
// the outcome.
template <typename TLoad>
std::string CheckLoad(const TLoadCase& c, TLoad load, std::string* error_out) {
  const TMesh& previous = PreviousMesh(c.rich_previous);
  TMesh mesh = previous;
  std::string error;
  const bool loaded = load(mesh, error);
  if (error_out) *error_out = loaded ? "" : error;
  if (!loaded) {
    if (error.empty()) return "a failed load gave no message\n";
    const std::string changed = MeshDifference(mesh, previous);
    return changed.empty() ? "" : "a failed load (" + error + ") changed the mesh: " + changed + "\n";
  }
  return ValidateMesh(mesh, kCheckAdjacency | kCheckNormals | kCheckStripCover | kCheckFinite | kCheckCurvature) +
         CheckTimeSteps(mesh);
}

}  // namespace

std::string CheckLoadCase(std::string_view input) {
  const TLoadCase c = DecodeLoadCase(input);
  return CheckLoad(
      c, [&](TMesh& mesh, std::string& error) { return LoadMeshFromText(c.file, c.options, mesh, error); }, nullptr);
}

std::string ImportCaseName(std::string_view input) {
  const size_t pick = input.empty() ? 0 : static_cast<unsigned char>(input[0]) % std::size(kImportCaseExtensions);
  return std::string("case") + kImportCaseExtensions[pick];
}

std::string CheckImportCase(std::string_view input, const TImportLimits& limits, std::string* error) {
  const std::string name = ImportCaseName(input);
  TLoadCase c = DecodeLoadCase(input.empty() ? input : input.substr(1));
  c.options.import_limits = limits;
  std::string message;
  std::string fault = CheckLoad(
      c, [&](TMesh& mesh, std::string& e) { return LoadMeshFromBytes(name, c.file, c.options, mesh, e); }, &message);
  // A worker that failed is reported with the file's name.
  if (fault.empty() && message.find("the import library failed") != std::string::npos &&
      message.rfind("Cannot load \"" + name + "\": ", 0) != 0)
    fault = "a failed import does not name the file: " + message + "\n";
  if (error) *error = message;
  return fault;
}
