#pragma once
// Where a ray first meets the surface (the probe under the mouse): a uniform
// grid of cells over the surface's box, each listing the faces whose boxes
// reach into it, walked cell by cell along the ray so that only the faces
// near it are tested. Built once per surface, in time and memory linear in
// its faces.
#include <cstdint>
#include <vector>

#include "mesh/mesh_model.h"

// A face met by a ray: the ray's parameter there and the point's weights of
// the face's corners 1 and 2 (corner 0 takes the rest).
struct TRayHit {
  int32_t face = -1;  // -1: the ray meets no face
  double t = 0;
  double w1 = 0, w2 = 0;
};

class TRayGrid {
 public:
  // Cells over the box of `mesh`'s vertex positions (`pos`), about two faces
  // to a cell.
  void Build(const TMesh& mesh);
  void Clear();
  bool Built() const { return !cell_start_.empty(); }

  // The face of `mesh` (the one Build saw) that the ray origin + t direction
  // meets first at t >= 0, from either side.
  TRayHit FirstHit(const TMesh& mesh, const TVec3& origin, const TVec3& direction) const;

 private:
  int32_t n_[3] = {0, 0, 0};
  double lo_[3] = {0, 0, 0}, size_[3] = {0, 0, 0};  // the box and a cell's edges
  std::vector<int32_t> cell_start_;                 // faces of cell c: faces_[cell_start_[c] .. cell_start_[c + 1])
  std::vector<int32_t> faces_;
};

// The ray against one face (both sides): t >= 0 and the corner weights, or
// face -1.
TRayHit RayFace(const TMesh& mesh, int32_t face, const TVec3& origin, const TVec3& direction);
