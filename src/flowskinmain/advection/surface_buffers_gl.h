#pragma once
// Buffer objects holding one drawing of the surface: what the surface list
// (1) or the shading overlay list (6) would hold, kept as tight arrays so a
// change sends only the arrays whose contents changed, and a frame without
// changes draws from what the buffers already hold. Buffer names live as long
// as the GL context, like the display lists they stand in for.
#include <cstdint>
#include <vector>

#include "advection/surface_arrays.h"
#include "mesh/mesh_model.h"
#include "mesh/sharp_edges.h"

// Which per-vertex arrays a pass draws with.
struct TSurfaceAttribs {
  bool use_adv = false;           // positions from adv_pos, else pos
  bool normals = false;           // vertex normals
  bool tex = false;               // tex (frame texture)
  bool tex0 = false;              // tex0 (mapped image)
  bool data_coord = false;        // norm_value as 1-D texture coordinate
  const float* colour = nullptr;  // RGBA: per-vertex colours with opacity from norm_value when set
  double alpha = 1.0;             // pass alpha of those colours
  bool alpha_inverse = false;     // "Inverse" of that opacity
};

class TSurfaceBuffers {
 public:
  // While true, every draw first packs the arrays it uses from the vertex
  // records and sends those that differ from what the buffers hold (the frame
  // where the display list would have been recompiled); while false it draws
  // from the buffers as they are.
  bool refresh = true;

  // Triangle strips of mesh.strips (runs of 3+ indices; the open tail only
  // with keep_open_tail) with the arrays of `a`.
  void DrawStrips(const TMesh& mesh, const TSurfaceAttribs& a, bool keep_open_tail);
  // The face list as GL_TRIANGLES with the arrays of `a`.
  void DrawFaces(const TMesh& mesh, const TSurfaceAttribs& a);
  // The faces as GL_TRIANGLES through the drawn vertices of `split`, with
  // its normals.
  void DrawSplit(const TMesh& mesh, const TSurfaceAttribs& a, const TSplitNormals& split);

  // Bytes sent to buffer objects since the start (for tests and benchmarks).
  int64_t BytesSent() const { return bytes_sent_; }

 private:
  enum Slot { kPositions, kNormals, kTex, kTex0, kDataCoords, kColours, kIndices, kSlotCount };
  void Refresh(const TMesh& mesh, const TSurfaceAttribs& a, const TVertexOrder& order,
               const std::vector<TVec3>* normals = nullptr);
  void Send(Slot s, const void* data, size_t bytes, bool elements);
  void Bind(const TSurfaceAttribs& a);
  void Unbind(const TSurfaceAttribs& a);
  void DrawIndexedTriangles(const TSurfaceAttribs& a);
  void KeepLastVertex(const TMesh& mesh, const TSurfaceAttribs& a, int32_t last);
  bool HoldsStrips(const TMesh& mesh, bool keep_open_tail) const;

  uint32_t names_[kSlotCount] = {};
  std::vector<uint8_t> held_[kSlotCount];  // what each buffer holds
  std::vector<float> packed_[kSlotCount];  // the arrays of the last refresh, packed
  std::vector<uint32_t> index_scratch_;
  TVertexOrder order_;                // the vertex record of each array entry, for the strips
  std::vector<int32_t> strips_;       // the strip stream the index buffer and order_ were made from
  bool strips_open_tail_ = false;     // ... with its open tail kept
  int32_t strips_vertex_count_ = -1;  // ... for this many vertices; -1: the index buffer holds no strips
  int64_t bytes_sent_ = 0;
};
