#pragma once

// Mirror copies of points, texture coordinates and faces through the mirror
// plane of the transform. They are derived data, never saved nor recorded
// for undo, and rebuilt from scratch after every structural change.

#include "model/model_data.h"

namespace plenvista {

// A mirror point for P (same id and layer, coordinate A -> -A - 2*offset),
// unless the plane is None or P lies in the buffer band.
void build_mirror_point(ModelData& model, const ModelPoint& point);
// A mirror face with a new id from `next_id`, the winding reversed (first,
// third, second) and corners in the buffer band shared with F.
void build_mirror_face(ModelData& model, const ModelFace& face);
// Empties and, when a plane is set, rebuilds the three mirror lists: each
// texture coordinate copied with its point replaced by the mirror point of
// the same id when there is one. Linear in the model.
void rebuild_mirror_lists(ModelData& model);
// Empties and, when a plane is set, rebuilds the mirror faces only (the
// mirror points and texture coordinates are still current).
void rebuild_mirror_faces(ModelData& model);

}  // namespace plenvista
