#pragma once

// Reading ahead in passes over every face: the points and texture
// coordinates a face refers to lie anywhere in memory, and waiting for each
// in turn costs a full memory round trip per reference. A pass asks for the
// references of the face kReadAhead places ahead, so that the reads overlap.
// Asking is only a hint: null references and addresses never read are fine.

#include <cstddef>

#include "model/model_records.h"

namespace plenvista {

inline constexpr int kReadAhead = 8;  // faces

inline void prefetch_references(const ModelFace* face) {
  if (!face) return;
  for (std::size_t k = 0; k < 3; ++k) {
    __builtin_prefetch(face->corners[k]);
    __builtin_prefetch(face->texture_coords[k]);
  }
}

}  // namespace plenvista
