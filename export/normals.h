#pragma once

// Geometry shared by the OBJ/MTL and DirectX writers: the vertex transform,
// the corner order and the vertex normals. Positions are model units on the
// way in and export units on the way out; normals are unit vectors in the
// export frame, or (0, 0, 0) for a point no face touches.
//
// The export frame negates z unless "Reverse Z axis" is on; with it on, z is
// kept and every face's winding is reversed instead (corner order 0, 2, 1),
// so both choices keep faces facing the same way.

#include <span>

#include "model/export_settings.h"
#include "model/model_records.h"
#include "model/project_transform.h"

namespace plenvista {

// Copies the origin offset and scale multiplier into the settings, as every
// export does before it transforms a vertex.
void copy_transform(ExportSettings& settings, const ProjectTransform& transform);

// The written position of a point: origin offset always added, z negated
// unless `reverse_z`, then scaled when `use_scaling`.
Vec3 export_position(const ModelPoint& point, const ExportSettings& settings);

// The stored corner written at position k (0..2): k itself, or with
// `reverse_z` 0 -> 0, 1 -> 2, 2 -> 1.
int corner_order(int k, const ExportSettings& settings);

// Fresh vertex normals: zeroes the normal of every point in `points` and of
// every corner of `faces`, stores each face's unnormalised normal
// (p0 - p1) x (p2 - p0) (z negated unless `reverse_z`) in the face and adds
// it to its three corners, then normalises every point in `points` (a zero
// sum stays zero). `points` must not list a point twice. Faces with a
// missing corner get a zero normal and add nothing.
void compute_normals(std::span<ModelFace* const> faces, std::span<ModelPoint* const> points,
                     const ExportSettings& settings);

}  // namespace plenvista
