#pragma once
// How the PLY readers (ASCII and binary) fill the vertex array: slots the
// array already has keep their other fields; new slots are appended zeroed
// one at a time as they are read (the record is still in cache when its values
// are stored), with the carried fields of `previous` when it has that slot.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "mesh/mesh_model.h"
#include "mesh/page_memory.h"
#include "mesh/record_prefetch.h"

class TVertexSlots {
 public:
  // Keeps at most `count` of the slots `mesh` has and reserves room for `count`.
  TVertexSlots(TMesh& mesh, int64_t count, const TMesh* previous, bool has_user_velo)
      : vertices_(mesh.vertices),
        previous_(previous),
        carried_(previous ? previous->vertices.size() : 0),
        has_user_velo_(has_user_velo) {
    vertices_.resize(std::min(vertices_.size(), static_cast<size_t>(count)));
    vertices_.reserve(static_cast<size_t>(count));
    // the new slots' pages asked for beside the reading, which writes them in turn
    prefault_.emplace(vertices_.data() + vertices_.size(),
                      (static_cast<size_t>(count) - vertices_.size()) * sizeof(TVertex));
  }

  // The record of vertex i, called for i = 0, 1, 2, ... in turn.
  TVertex& Slot(size_t i) {
    if (i == vertices_.size()) {
      vertices_.emplace_back();
      if (i < carried_) {
        if (i + kPrefetchAhead < carried_) {
          const TVertex& ahead = previous_->vertices[i + kPrefetchAhead];
          PrefetchRead(&ahead.user_velo);
          PrefetchRead(&ahead.aux);
          PrefetchRead(&ahead.align_mark);
        }
        Carry(previous_->vertices[i], vertices_[i]);
      }
    }
    return vertices_[i];
  }

 private:
  // The fields a load carries over from the previous mesh's record in the
  // same slot: aux, aux_base, align_mark, and user_velo when the file has none.
  void Carry(const TVertex& old, TVertex& v) const {
    v.aux = old.aux;
    v.aux_base = old.aux_base;
    v.align_mark = old.align_mark;
    if (!has_user_velo_) v.user_velo = old.user_velo;
  }

  VertexArray& vertices_;
  std::optional<TBackgroundPrefault> prefault_;
  const TMesh* previous_;
  size_t carried_;
  bool has_user_velo_;
};
