#pragma once
// Loop subdivision: every triangle becomes four, one new vertex per edge, old
// vertices move towards the average of their neighbours. Positions, tex0,
// user_velo (when has_user_velo) and the time-step vectors (when time_count > 0)
// are refined with the same weights.
#include <cstdint>
#include <string>

#include "mesh/mesh_model.h"

// alpha(n) = n (1 - b(n)) / b(n) with b(n) = 5/8 - (3 + 2 cos(2 pi / n))^2 / 64,
// the weight of the old vertex against its n neighbours; n = 1..100 (else 0).
double LoopAlpha(int n);

// One step. Needs current nb and vface lists. Afterwards: old vertex i keeps
// index i, the edge vertices follow in the order their edges are first met
// (faces in order, edges (p0,p1), (p1,p2), (p2,p0)); old face f becomes faces
// 4f..4f+3 = (p0,m01,m20), (m01,p1,m12), (p2,m20,m12), (m01,m12,m20).
// Interior edge vertex: (3 (Qa + Qb) + Qd + Qx) / 8; boundary edge: midpoint.
// Old vertex with n neighbours: (alpha(n) Q + sum of neighbours) / (n + alpha(n)).
// The new vertex records hold only pos, tex0 and user_velo (all else zero);
// fnormal, fmark, the lists and every derived field must be recomputed.
void LoopSubdivide(TMesh& mesh);

// Bytes that `steps` subdivision steps of the mesh would hold at their peak
// (an upper estimate: every face has three edges of its own).
double SubdivisionMemoryEstimate(const TMesh& mesh, int steps);

// Largest number of bytes a loaded or subdivided mesh may take: 8 GB, or three
// quarters of the physical memory when that is less.
double MeshMemoryLimit();

// False, with a message for the user, when `steps` steps would exceed the
// memory limit or the 32-bit face and vertex indices.
bool CheckSubdivisionBudget(const TMesh& mesh, int steps, std::string& error);
