#include "formats/triangle_soup.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "formats/position_index.h"
#include "formats/read_failure.h"
#include "mesh/page_memory.h"

namespace {

void CarryFields(const TVertex& old, TVertex& v) {
  v.aux = old.aux;
  v.aux_base = old.aux_base;
  v.align_mark = old.align_mark;
  v.user_velo = old.user_velo;
}

}  // namespace

bool BuildMeshFromSoup(const TSoupView& soup, bool swap, const TMesh* previous, TMesh& mesh, std::string& reason) {
  const size_t triangles = soup.corners.size() / 3;
  const bool has_uv = !soup.uv.empty() && soup.uv.size() == soup.corners.size();
  if (triangles > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return Refuse(reason, "The file has too many triangles");
  }
  TPositionIndex index(soup.corners.size());
  std::vector<size_t> first_corner;  // of each vertex, in vertex order
  mesh.faces.clear();
  ReservePrefaulted(mesh.faces, triangles);
  for (size_t t = 0; t < triangles; ++t) {
    const TPositionKey k[3] = {PositionKeyOf(soup.corners[3 * t]), PositionKeyOf(soup.corners[3 * t + 1]),
                               PositionKeyOf(soup.corners[3 * t + 2])};
    if (k[0] == k[1] || k[1] == k[2] || k[2] == k[0]) continue;  // degenerate: drop
    TFace face{};
    for (int c = 0; c < 3; ++c) {
      face.v[c] = index.FindOrAdd(k[c]);
      if (static_cast<size_t>(face.v[c]) == first_corner.size()) first_corner.push_back(3 * t + c);
    }
    if (swap) std::swap(face.v[0], face.v[1]);
    mesh.faces.push_back(face);
  }
  if (mesh.faces.empty()) {
    return Refuse(reason, "The file holds no triangles");
  }
  ReservePrefaulted(mesh.vertices, index.Count());
  mesh.vertices.assign(index.Count(), TVertex{});
  for (size_t i = 0; i < first_corner.size(); ++i) {
    TVertex& v = mesh.vertices[i];
    v.pos = soup.corners[first_corner[i]];
    if (!std::isfinite(v.pos.x) || !std::isfinite(v.pos.y) || !std::isfinite(v.pos.z)) {
      return Refuse(reason, "The file holds a coordinate that is not a finite number");
    }
    if (has_uv) {
      v.tex0[0] = soup.uv[first_corner[i]][0];
      v.tex0[1] = soup.uv[first_corner[i]][1];
      if (!std::isfinite(v.tex0[0]) || !std::isfinite(v.tex0[1])) {
        return Refuse(reason, "The file holds a texture coordinate that is not a finite number");
      }
    }
    if (previous && i < previous->vertices.size()) CarryFields(previous->vertices[i], v);
  }
  mesh.vertex_count = static_cast<int32_t>(mesh.vertices.size());
  mesh.face_count = static_cast<int32_t>(mesh.faces.size());
  mesh.has_user_velo = false;
  mesh.has_tex0 = has_uv;
  mesh.time_count = 0;
  return true;
}
