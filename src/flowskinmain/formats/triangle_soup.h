#pragma once
// Separate triangles as file formats without shared vertices give them (STL
// stores each triangle's three corners on their own), and their joining into
// an indexed surface: corners at the same position become one vertex, so the
// surface has adjacency, smooth normals and curvature.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "mesh/mesh_model.h"

struct TTriangleSoup {
  std::vector<TVec3> corners;            // three per triangle, object space
  std::vector<std::array<float, 2>> uv;  // per corner (u, v), or empty when the file has none
};

// A soup's arrays wherever they live: a TTriangleSoup's vectors, or an import
// worker's answer mapped into memory.
struct TSoupView {
  TSoupView() = default;
  TSoupView(std::span<const TVec3> c, std::span<const std::array<float, 2>> t) : corners(c), uv(t) {}
  TSoupView(const TTriangleSoup& soup) : corners(soup.corners), uv(soup.uv) {}  // NOLINT: a soup is its view
  std::span<const TVec3> corners;
  std::span<const std::array<float, 2>> uv;
};

// Builds the raw mesh of a load from the soup: vertex_count, face_count,
// vertices[].pos, faces[].v, has_tex0 and tex0 (from the first corner of each
// vertex, when the soup has uv), has_user_velo false, time_count 0.
//   - Corners whose positions are bit for bit equal (0 and -0 counting as
//     equal) become one vertex; vertices are numbered in the order their
//     first corner appears.
//   - A triangle with two corners at the same position is dropped, so no
//     face repeats a vertex; a triangle of three distinct but collinear
//     corners is kept (dropping it would open a hole).
//   - With `swap` ("Swap orientation") v[0] and v[1] of every face are
//     exchanged.
// Vertex slots that `previous` (the mesh this load replaces) has take its
// aux, aux_base, align_mark and user_velo, as a PLY load without velocities
// keeps them. Fails with a reason when no triangle is left, the counts
// exceed the int32 indices, or a kept position or texture coordinate is not
// finite (whatever the soup came from, the mesh holds finite numbers only).
bool BuildMeshFromSoup(const TSoupView& soup, bool swap, const TMesh* previous, TMesh& mesh, std::string& reason);
