#define GL_GLEXT_PROTOTYPES 1
#include "advection/surface_buffers_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "advection/surface_opacity.h"

namespace {

const void* Offset(size_t bytes) { return reinterpret_cast<const void*>(bytes); }

// Index of the last vertex entry of the strip stream, or -1.
int32_t LastStripVertex(const TMesh& mesh) {
  for (int32_t i = mesh.strip_len - 1; i >= 0; --i)
    if (static_cast<uint32_t>(mesh.strips[i]) < 0x7FFFFFFEu) return mesh.strips[i];
  return -1;
}

}  // namespace

// Sends `bytes` from data into buffer slot s unless the buffer already holds
// exactly them.
void TSurfaceBuffers::Send(Slot s, const void* data, size_t bytes, bool elements) {
  std::vector<uint8_t>& held = held_[s];
  // (No memcmp of empty arrays: their data pointers may be null.)
  if (names_[s] != 0 && held.size() == bytes && (bytes == 0 || std::memcmp(held.data(), data, bytes) == 0)) return;
  if (names_[s] == 0) glGenBuffers(1, &names_[s]);
  const GLenum target = elements ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
  glBindBuffer(target, names_[s]);
  if (held.size() == bytes) {
    glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
  } else {
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
  }
  glBindBuffer(target, 0);
  held.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + bytes);
  bytes_sent_ += static_cast<int64_t>(bytes);
}

void TSurfaceBuffers::Refresh(const TMesh& mesh, const TSurfaceAttribs& a, const TVertexOrder& order,
                              const std::vector<TVec3>* normals) {
  TPackTargets t;
  t.use_adv = a.use_adv;
  t.positions = &packed_[kPositions];
  if (a.normals) t.normals = &packed_[kNormals];
  if (a.tex) t.tex = &packed_[kTex];
  if (a.tex0) t.tex0 = &packed_[kTex0];
  if (a.data_coord) t.data_coords = &packed_[kDataCoords];
  if (a.colour) {
    t.colours = &packed_[kColours];
    t.colour = a.colour;
    t.alpha = a.alpha;
    t.inverse = a.alpha_inverse;
  }
  PackArrays(mesh, t, order);
  if (a.normals && normals) {  // the drawn vertices' own normals in place of the records'
    std::vector<float>& out = packed_[kNormals];
    out.resize(normals->size() * 3);
    for (size_t i = 0; i < normals->size(); ++i) {
      out[i * 3] = (*normals)[i].x;
      out[i * 3 + 1] = (*normals)[i].y;
      out[i * 3 + 2] = (*normals)[i].z;
    }
  }
  const bool used[] = {true, a.normals, a.tex, a.tex0, a.data_coord, a.colour != nullptr};
  for (int s = kPositions; s <= kColours; ++s)
    if (used[s]) Send(static_cast<Slot>(s), packed_[s].data(), packed_[s].size() * sizeof(float), false);
}

void TSurfaceBuffers::Bind(const TSurfaceAttribs& a) {
  glBindBuffer(GL_ARRAY_BUFFER, names_[kPositions]);
  glVertexPointer(3, GL_FLOAT, 0, Offset(0));
  glEnableClientState(GL_VERTEX_ARRAY);
  if (a.normals) {
    glBindBuffer(GL_ARRAY_BUFFER, names_[kNormals]);
    glNormalPointer(GL_FLOAT, 0, Offset(0));
    glEnableClientState(GL_NORMAL_ARRAY);
  }
  if (a.tex || a.tex0 || a.data_coord) {
    const Slot s = a.tex ? kTex : a.tex0 ? kTex0 : kDataCoords;
    glBindBuffer(GL_ARRAY_BUFFER, names_[s]);
    glTexCoordPointer(s == kDataCoords ? 1 : 2, GL_FLOAT, 0, Offset(0));
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  if (a.colour) {
    glBindBuffer(GL_ARRAY_BUFFER, names_[kColours]);
    glColorPointer(4, GL_FLOAT, 0, Offset(0));
    glEnableClientState(GL_COLOR_ARRAY);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, names_[kIndices]);
}

void TSurfaceBuffers::Unbind(const TSurfaceAttribs& a) {
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glDisableClientState(GL_VERTEX_ARRAY);
  if (a.normals) glDisableClientState(GL_NORMAL_ARRAY);
  if (a.tex || a.tex0 || a.data_coord) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  if (a.colour) glDisableClientState(GL_COLOR_ARRAY);
}

// Leaves the current colour, normal and texture coordinate at the values of
// vertex `last`, as drawing the same vertices one call each would.
void TSurfaceBuffers::KeepLastVertex(const TMesh& mesh, const TSurfaceAttribs& a, int32_t last) {
  if (last < 0 || last >= mesh.vertex_count) return;
  const TVertex& v = mesh.vertices[last];
  if (a.colour) {
    const float rgba[4] = {a.colour[0], a.colour[1], a.colour[2],
                           static_cast<float>(SurfaceOpacity(a.alpha, v.norm_value, a.alpha_inverse))};
    glColor4fv(rgba);
  }
  if (a.normals) glNormal3f(v.normal.x, v.normal.y, v.normal.z);
  if (a.tex0) glTexCoord2f(v.tex0[0], v.tex0[1]);
  if (a.data_coord) glTexCoord1f(static_cast<float>(v.norm_value));
}

// The strips go to the GL as one list of separate triangles: one draw call
// instead of one per strip, which the software rasteriser handles far faster;
// the arrays hold the vertices in the order the triangles first use them.
void TSurfaceBuffers::DrawStrips(const TMesh& mesh, const TSurfaceAttribs& a, bool keep_open_tail) {
  if (refresh) {
    if (!HoldsStrips(mesh, keep_open_tail)) {
      StripTriangles(mesh, SplitStripRuns(mesh, keep_open_tail), index_scratch_);
      NumberByFirstUse(mesh.vertex_count, index_scratch_, order_);
      Send(kIndices, index_scratch_.data(), index_scratch_.size() * sizeof(uint32_t), true);
      strips_.assign(mesh.strips.begin(), mesh.strips.begin() + mesh.strip_len);
      strips_open_tail_ = keep_open_tail;
      strips_vertex_count_ = mesh.vertex_count;
    }
    Refresh(mesh, a, order_);
  }
  DrawIndexedTriangles(a);
  if (!a.tex) KeepLastVertex(mesh, a, LastStripVertex(mesh));
}

// Whether the index buffer and order_ hold what the strips of `mesh` give:
// the same strip stream, tail choice and vertex count as when they were made.
bool TSurfaceBuffers::HoldsStrips(const TMesh& mesh, bool keep_open_tail) const {
  return strips_vertex_count_ == mesh.vertex_count && strips_open_tail_ == keep_open_tail &&
         strips_.size() == static_cast<size_t>(mesh.strip_len) &&
         std::equal(strips_.begin(), strips_.end(), mesh.strips.begin());
}

void TSurfaceBuffers::DrawIndexedTriangles(const TSurfaceAttribs& a) {
  Bind(a);
  const size_t n = held_[kIndices].size() / sizeof(uint32_t);
  if (n > 0) glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(n), GL_UNSIGNED_INT, Offset(0));
  Unbind(a);
}

void TSurfaceBuffers::DrawFaces(const TMesh& mesh, const TSurfaceAttribs& a) {
  if (refresh) {
    strips_vertex_count_ = -1;  // the index buffer no longer holds the strips
    Refresh(mesh, a, {});
    PackFaceIndices(mesh, index_scratch_);
    Send(kIndices, index_scratch_.data(), index_scratch_.size() * sizeof(uint32_t), true);
  }
  DrawIndexedTriangles(a);
  if (mesh.face_count > 0) KeepLastVertex(mesh, a, mesh.faces[mesh.face_count - 1].v[2]);
}

void TSurfaceBuffers::DrawSplit(const TMesh& mesh, const TSurfaceAttribs& a, const TSplitNormals& split) {
  if (refresh) {
    strips_vertex_count_ = -1;
    Refresh(mesh, a, split.source, &split.normals);
    Send(kIndices, split.corners.data(), split.corners.size() * sizeof(uint32_t), true);
  }
  DrawIndexedTriangles(a);
  if (split.corners.empty()) return;
  const uint32_t last = split.corners.back();
  KeepLastVertex(mesh, a, int32_t(split.source[last]));
  if (a.normals) glNormal3f(split.normals[last].x, split.normals[last].y, split.normals[last].z);
}
