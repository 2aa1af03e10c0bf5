#pragma once
// The line overlays of the surface, compiled into the overlay list (2) inside
// the projection pulled toward the viewer: mesh lines, normals, velocity
// vectors, tangent frames, curvature directions and the bounding box. Each
// draws into the current context from the mesh it is given; positions are
// object space, lengths multiples of box_size (L below).
#include <cstdint>

#include "mesh/mesh_model.h"

// glColor3f of a colour value (red in the low byte), components / 255.
void SetGLColour(int32_t colour);

// Material of the mesh lines: the "Mesh" colour swatches and "Shine".
struct TMeshLineMaterial {
  int32_t diffuse = 0xFFFFFF;   // sh_mesh_diffuse, ambient and diffuse through the colour material
  int32_t specular = 0x808080;  // sh_mesh_specular
  int32_t shininess = 100;      // ud_shininess, 0..1000; outside 0..128 the previous shininess stays
};

// The three edges of every face at `pos` (edges of two faces drawn twice),
// each end with its vertex normal; lit only when lighting_on, material on
// both faces. Leaves lighting off.
void DrawMeshLines(const TMesh& mesh, const TMeshLineMaterial& material, bool lighting_on);

// Yellow (1, 1, 0): pos to pos + (L / 50) normal, every vertex.
void DrawNormals(const TMesh& mesh);

// Red (1, 0, 0), width 2: pos to pos + 10 (adv_pos - pos), every vertex
// (zero length while the texture, not the geometry, is warped).
void DrawVelocityVectors(const TMesh& mesh);

// Blue (0.2, 0.3, 1): pos -+ h e1 and pos -+ h e2, h = 0.5 L / 50.
void DrawFrames(const TMesh& mesh);

// (1, 0.1, 0.1): pos -+ c d, c = 0.6 L / 50, d = dir_max (kind 1) or dir_min
// (kind 2); a direction field has no arrow sense.
void DrawCurvatureVectors(const TMesh& mesh, int kind);

// Black: the 12 edges of box_min..box_max and a cross of three segments of
// length 2 L / 50 along x, y and z through `center` (the view centre).
void DrawBox(const TMesh& mesh, const float center[3]);
