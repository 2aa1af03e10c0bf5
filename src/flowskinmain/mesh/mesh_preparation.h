#pragma once
// The preparation passes that turn faces and positions into what the rest of
// the program relies on. The loader runs them in a fixed order and runs
// BuildAdjacency and ComputeNormals again after every change of the face set.
#include "mesh/mesh_model.h"

// Rebuilds nb / nb_count and vface / vface_count of vertices 0..vertex_count-1
// from the faces, face by face: for face (p, q, r) the links q->p, p->q, r->p,
// p->r, r->q, q->r, then the face into the lists of p, q, r. Neighbours stand
// in the order of their first shared face, incident faces in increasing index;
// a list that holds 15 entries drops further ones. Reads faces, writes the
// lists and `open` (some vertex has more neighbours than faces: the surface
// has a border).
void BuildAdjacency(TMesh& mesh);

// fnormal := normalise((P1-P0) x (P2-P1)) of every face; normal := the unit sum
// over the incident faces of fnormal times the corner angle (atan2 form, 0..pi).
// Degenerate faces give a zero fnormal; a vertex in no face gets (0,0,0).
// Reads pos and faces; writes fnormal and normal (object space).
void ComputeNormals(TMesh& mesh);

// box_min / box_max over the positions of vertices 0..vertex_count-1,
// box_center their midpoint, box_size the box diagonal (absolute length).
// An empty mesh leaves the box as it was.
void ComputeBoundingBox(TMesh& mesh);

// Only when has_tex0 is false: tex0 := ((x - min x) / w, 1 - (y - min y) / h)
// over the box's x-y extent, w and h being the box width and height (an extent
// of exactly 0 counts as 1). Reads pos, box_min, box_max; writes tex0.
void GenerateTexCoords(TMesh& mesh);
