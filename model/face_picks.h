#pragma once

// FacePicks: the corners picked so far for a new face in the image view, by
// point id in picking order (at most three). The view holds them, one set
// per photograph; the points carry `picked_for_face`, which the views draw.
//
// A pick counts only while its point exists and is still picked for face:
// clearing the picks or the selection, undo, redo and deleting a picked
// point all end it without the model knowing the view's list. When one
// pick no longer counts, the whole list starts anew and its other points
// lose picked-for-face, so a face is never made of two old corners and a
// new one.

#include <array>

#include "model/model_data.h"

namespace plenvista {

struct FacePicks {
  std::array<int, 3> corners{};
  int count = 0;
};

// Drops the picks that no longer count (all of them, if one does not) and
// gives how many remain.
int held_face_picks(ModelData& model, FacePicks& picks);

}  // namespace plenvista
