#pragma once
// The one triangulated surface of the program and the small vector operations
// used everywhere. Every per-vertex quantity lives in one interleaved TVertex
// record; the drawing code hands the vertex array to OpenGL with
// sizeof(TVertex) as stride (positions from adv_pos, texture coordinates from
// tex), so `tex` must be followed by a float. The fields the per-frame passes
// sweep over come first: pos, adv_pos, tex, normal and velo share the first
// 64-byte line, speed and the tangent frame the next.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/releasing_allocator.h"

// Three single-precision components. Arithmetic is done in double and stored
// back as float; dot products and lengths are returned as double.
struct TVec3 {
  float x = 0, y = 0, z = 0;
};

// Adjacency lists hold at most this many entries; further ones are dropped.
constexpr int kMaxAdjacent = 15;

// Number of scalar data channels (codes 0..10; 10 is the "File" channel).
constexpr int kDataChannelCount = 11;

struct TVertex {
  TVec3 pos;                 // base position (object space)
  TVec3 adv_pos;             // displaced position drawn by the advection pass
  float tex[2];              // texture coordinate used when drawing (s, t)
  float tex0[2];             // base texture coordinate (u, v); must follow tex
  TVec3 normal;              // unit vertex normal
  TVec3 velo;                // current velocity used for advection
  double speed;              // length of velo
  TVec3 e1;                  // first tangent axis of the local frame
  TVec3 e2;                  // second tangent axis (normal x e1)
  TVec3 user_velo;           // velocity read from the file
  int32_t nb[kMaxAdjacent];  // edge-connected neighbours, nb[0 .. nb_count-1]
  int32_t nb_count;
  int32_t vface[kMaxAdjacent];  // incident faces, vface[0 .. vface_count-1]
  int32_t vface_count;
  double kmax;         // larger principal curvature
  double kmin;         // smaller principal curvature
  TVec3 dir_max;       // direction of kmax as used by display and flow
  TVec3 dir_min;       // direction of kmin as used
  TVec3 dir_max0;      // direction of kmax as computed, never changed afterwards
  TVec3 dir_min0;      // direction of kmin as computed
  double cur_value;    // value of the selected data channel
  double aux;          // auxiliary scalar field
  double aux_base;     // working copy of aux
  double norm_value;   // cur_value mapped to 0..1 by the channel's range
  int32_t align_mark;  // mark of the direction-field alignment walk
};

struct TFace {
  int32_t v[3];   // vertex indices; their order gives the orientation
  TVec3 fnormal;  // unit face normal, normalise((P1-P0) x (P2-P1))
  int32_t fmark;  // scratch mark of strip building and crack insertion
};

using VertexArray = std::vector<TVertex, TReleasingAllocator<TVertex>>;
using FaceArray = std::vector<TFace, TReleasingAllocator<TFace>>;

struct TRange {
  double min = 0, max = 0;
};

// A named per-vertex array read from a simulation file (scalars, vectors),
// kept beside the vertex records: steps[t] holds vertex_count x components
// values of time step t (one step for a file without time).
struct TFileArray {
  std::string name;
  int32_t components = 1;  // 1 (scalar) or 3 (vector)
  std::vector<std::vector<float>> steps;
};

// How the file's vectors become the file velocities (user_velo, time_velo).
struct TFlowArrayChoice {
  int32_t array = -1;      // index into file_arrays of the "Flow array"; -1: none
  bool reverse = false;    // "Reverse": every vector turned round
  bool tangential = true;  // "Tangential only": the part along the vertex normal removed
  bool normalise = true;   // "Normalise": every vector of length box_size
};

struct TMesh {
  int32_t vertex_count = 0;  // vertices in use (the array may be longer)
  int32_t face_count = 0;    // faces; the face array is exactly this long
  bool has_user_velo = false;
  bool has_tex0 = false;
  bool open = false;  // the surface has a border: it is drawn and lit from both sides
  double box_min[3] = {0, 0, 0};
  double box_max[3] = {0, 0, 0};
  FaceArray faces;
  VertexArray vertices;
  int32_t time_count = 0;
  std::vector<std::vector<TVec3>> time_velo;  // [time step][vertex]
  std::vector<double> time_values;            // [time step]
  TVec3 box_center;
  double box_size = 0;    // bounding-box diagonal: the global length scale
  int32_t strip_len = 0;  // entries of strips in use
  std::vector<int32_t> strips;
  TRange auto_range[kDataChannelCount];  // ranges computed from the data
  TRange data_range[kDataChannelCount];  // ranges in use for colour mapping
  // Arrays of a simulation file, valid while their length matches
  // vertex_count (subdivision and crack insertion leave them out).
  std::vector<TFileArray> file_arrays;
  TFlowArrayChoice flow_array;
  int32_t file_scalar = 0;  // the scalar of the "File" channel, an index into FileScalars(mesh)
  int32_t file_step = 0;    // the time step whose arrays the "File" channel shows
};

// The vector operations are inline: the passes call them per vertex and face.

// out := a x b; all inputs are read before out is written (out may alias a or b).
inline void vec_cross(const TVec3& a, const TVec3& b, TVec3& out) {
  const double ax = a.x, ay = a.y, az = a.z, bx = b.x, by = b.y, bz = b.z;
  out.x = static_cast<float>(ay * bz - az * by);
  out.y = static_cast<float>(az * bx - ax * bz);
  out.z = static_cast<float>(ax * by - ay * bx);
}

// v := s v.
inline void vec_scale(TVec3& v, double s) {
  v.x = static_cast<float>(v.x * s);
  v.y = static_cast<float>(v.y * s);
  v.z = static_cast<float>(v.z * s);
}

inline double vec_dot(const TVec3& a, const TVec3& b) {
  return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

inline double vec_length(const TVec3& v) { return std::sqrt(vec_dot(v, v)); }

inline void vec_zero(TVec3& v) { v = TVec3{}; }

// v := v / |v| when |v| > 0; a zero vector stays zero.
inline void vec_normalize(TVec3& v) {
  const double len = vec_length(v);
  if (len > 0) vec_scale(v, 1.0 / len);
}

// out := a + b; inputs read before out is written.
inline void vec_add(const TVec3& a, const TVec3& b, TVec3& out) {
  const double x = static_cast<double>(a.x) + b.x, y = static_cast<double>(a.y) + b.y,
               z = static_cast<double>(a.z) + b.z;
  out.x = static_cast<float>(x);
  out.y = static_cast<float>(y);
  out.z = static_cast<float>(z);
}
