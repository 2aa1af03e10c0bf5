#include "data/file_arrays.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

bool IsVelocityName(std::string_view name) {
  const std::string n = Lower(name);
  return n == "u" || n == "v" || n == "vel" || n == "umean" || n == "wss" || n.find("velocity") != std::string::npos ||
         n.find("shearstress") != std::string::npos;
}

bool FileArrayFits(const TMesh& mesh, const TFileArray& a) {
  if ((a.components != 1 && a.components != 3) || a.steps.empty()) return false;
  for (const std::vector<float>& s : a.steps)
    if (s.size() != static_cast<size_t>(mesh.vertex_count) * static_cast<size_t>(a.components)) return false;
  return true;
}

std::vector<int> FlowArrayIndices(const TMesh& mesh) {
  std::vector<int> out;
  for (size_t i = 0; i < mesh.file_arrays.size(); ++i)
    if (mesh.file_arrays[i].components == 3) out.push_back(static_cast<int>(i));
  return out;
}

namespace {

bool IsShearStressName(std::string_view name) {
  const std::string n = Lower(name);
  return n == "wss" || n.find("shearstress") != std::string::npos;
}

// True when some vector of the array, at some step, is not zero.
bool IsNonZero(const TFileArray& a) {
  for (const std::vector<float>& s : a.steps)
    for (const float v : s)
      if (v != 0 && std::isfinite(v)) return true;
  return false;
}

}  // namespace

int DefaultFlowArray(const TMesh& mesh, std::string* why) {
  const std::vector<int> vectors = FlowArrayIndices(mesh);
  auto name = [&](int i) { return mesh.file_arrays[i].name; };
  auto first = [&](auto&& pick) {
    for (const int i : vectors)
      if (pick(i)) return i;
    return -1;
  };
  const int velocity = first([&](int i) { return IsVelocityName(name(i)); });
  const int moving = first([&](int i) { return IsVelocityName(name(i)) && IsNonZero(mesh.file_arrays[i]); });
  int chosen = -1;
  std::string said;
  if (velocity >= 0 && velocity == moving) {
    chosen = velocity;
  } else {
    // The velocity-like array vanishes here (a no-slip wall): shear stress shows the near-wall flow.
    chosen = first([&](int i) { return IsShearStressName(name(i)) && IsNonZero(mesh.file_arrays[i]); });
    if (chosen < 0) chosen = moving;
    if (chosen < 0) chosen = first([&](int i) { return IsNonZero(mesh.file_arrays[i]); });
    if (chosen >= 0 && velocity >= 0) said = " (" + name(velocity) + " is zero on the surface)";
    if (chosen < 0) {
      chosen = velocity >= 0 ? velocity : vectors.empty() ? -1 : vectors.front();
      if (chosen >= 0) said = " (every vector array is zero on the surface)";
    }
  }
  // The ordinary choice goes without saying; one that passed a velocity over says which and why.
  if (why) *why = said.empty() ? "" : "flow array " + name(chosen) + said;
  return chosen;
}

bool ApplyFlowArray(TMesh& mesh) {
  const int index = mesh.flow_array.array;
  if (index < 0 || index >= static_cast<int>(mesh.file_arrays.size())) return false;
  const TFileArray& a = mesh.file_arrays[index];
  if (a.components != 3 || !FileArrayFits(mesh, a)) return false;
  const TFlowArrayChoice& c = mesh.flow_array;
  // One step's vectors, turned and projected; then, with "Normalise", each set
  // to length box_size. Vectors shorter than a millionth of the step's longest
  // count as zero: what is left of a vector along the normal after projection
  // is rounding, not a direction.
  std::vector<TVec3> row(static_cast<size_t>(mesh.vertex_count));
  auto fill = [&](const std::vector<float>& values) {
    double longest = 0;
    for (int32_t i = 0; i < mesh.vertex_count; ++i) {
      double v[3] = {values[3 * i], values[3 * i + 1], values[3 * i + 2]};
      if (c.reverse)
        for (double& x : v) x = -x;
      if (c.tangential) {
        const TVec3& n = mesh.vertices[i].normal;
        const double d = v[0] * n.x + v[1] * n.y + v[2] * n.z;
        v[0] -= d * n.x;
        v[1] -= d * n.y;
        v[2] -= d * n.z;
      }
      row[i] = TVec3{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
      longest = std::max(longest, std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    }
    if (!c.normalise) return;
    for (TVec3& v : row) {
      const double len = vec_length(v);
      if (len > 1e-6 * longest)
        vec_scale(v, mesh.box_size / len);
      else
        vec_zero(v);
    }
  };
  fill(a.steps[0]);
  for (int32_t i = 0; i < mesh.vertex_count; ++i) mesh.vertices[i].user_velo = row[i];
  const size_t steps = a.steps.size();
  if (steps > 1 && mesh.time_count == static_cast<int32_t>(steps)) {
    mesh.time_velo.resize(steps);
    for (size_t t = 0; t < steps; ++t) {
      fill(a.steps[t]);
      mesh.time_velo[t] = row;
    }
  }
  mesh.has_user_velo = true;
  return true;
}

std::vector<TFileScalar> FileScalars(const TMesh& mesh) {
  std::vector<TFileScalar> out;
  for (size_t i = 0; i < mesh.file_arrays.size(); ++i) {
    const TFileArray& a = mesh.file_arrays[i];
    if (!FileArrayFits(mesh, a)) continue;
    if (a.components == 1) out.push_back({a.name, static_cast<int>(i), false});
    if (a.components == 3) out.push_back({a.name + " magnitude", static_cast<int>(i), true});
  }
  return out;
}

double FileScalarValue(const TMesh& mesh, const TFileScalar& s, int step, int32_t v) {
  const TFileArray& a = mesh.file_arrays[s.array];
  const std::vector<float>& row =
      a.steps[std::clamp<size_t>(static_cast<size_t>(std::max(step, 0)), 0, a.steps.size() - 1)];
  if (!s.magnitude) return row[v];
  const double x = row[3 * v], y = row[3 * v + 1], z = row[3 * v + 2];
  return std::sqrt(x * x + y * y + z * z);
}

TRange TrimmedRange(std::vector<double> values, double fraction) {
  values.erase(std::remove_if(values.begin(), values.end(), [](double x) { return !std::isfinite(x); }), values.end());
  if (values.empty()) return TRange{0, 1};
  const size_t n = values.size();
  const size_t lo = static_cast<size_t>(std::floor(fraction * static_cast<double>(n - 1)));
  const size_t hi = static_cast<size_t>(std::ceil((1 - fraction) * static_cast<double>(n - 1)));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(lo), values.end());
  const double min = values[lo];
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(hi), values.end());
  const double max = values[hi];
  return max > min ? TRange{min, max} : TRange{min, min + 1};
}
