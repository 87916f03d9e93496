#pragma once

// A tie point: a named feature marked in several photographs whose world
// coordinates nobody measured. Its marks are reference points tied to it by
// `ReferencePoint::control_point_id` (ids are shared by every record kind, so
// the id names it unambiguously). It gets coordinates (model units) only from
// an orientation of the photographs, which also reports how well it is
// determined; a later orientation recomputes them. Surveyed control points
// (model/control_point.h) stay a separate list: only they fix a datum.
// Labels are unique across control points and tie points (compared exactly).

#include <optional>
#include <string>

#include "base/vec3.h"

namespace plenvista {

// How well an orientation determined a tie point.
struct TiePrecision {
  Vec3 sigma_mm;               // standard deviations in X, Y, Z, millimetres
  int rays = 0;                // marks that entered the adjustment
  double max_angle_deg = 0.0;  // largest angle between two of its rays, degrees
};

struct TiePoint {
  int id = 0;
  std::string label;
  std::optional<Vec3> position;  // none until an orientation placed it
  std::optional<TiePrecision> precision;
};

}  // namespace plenvista
