#include "model/face_picks.h"

#include <cstddef>

namespace plenvista {

int held_face_picks(ModelData& model, FacePicks& picks) {
  bool all_held = picks.count >= 0 && picks.count <= 3;
  for (int k = 0; all_held && k < picks.count; ++k) {
    const ModelPoint* corner = model.points.find(picks.corners[static_cast<std::size_t>(k)]);
    all_held = corner != nullptr && corner->picked_for_face;
  }
  if (all_held) return picks.count;
  for (int k = 0; k < picks.count && k < 3; ++k)
    if (ModelPoint* corner = model.points.find(picks.corners[static_cast<std::size_t>(k)]))
      corner->picked_for_face = false;
  picks = {};
  return 0;
}

}  // namespace plenvista
