#pragma once

// The model transform: an origin offset and a scale multiplier applied where
// coordinates are shown or exported (never to stored coordinates), and the
// mirror plane. Transformed coordinate = scale * (coordinate + offset). The
// mirror plane of axis A is where coordinate A + offset A = 0; points whose
// sum lies strictly inside (-buffer, +buffer) are on the plane.

#include "base/vec3.h"

namespace plenvista {

enum class MirrorPlane : int { None = 0, X = 1, Y = 2, Z = 3 };

struct ProjectTransform {
  int reserved = 0;
  Vec3 origin_offset;
  double mirror_buffer = 4.0;
  double scale = 1.0;
  MirrorPlane mirror_plane = MirrorPlane::None;

  friend bool operator==(const ProjectTransform&, const ProjectTransform&) = default;
};

// Coordinate `axis` (1 X, 2 Y, 3 Z) of a position.
inline double axis_value(const Vec3& v, MirrorPlane axis) {
  switch (axis) {
    case MirrorPlane::X:
      return v.x;
    case MirrorPlane::Y:
      return v.y;
    case MirrorPlane::Z:
      return v.z;
    case MirrorPlane::None:
      break;
  }
  return 0.0;
}

inline Vec3 transformed(const Vec3& p, const ProjectTransform& t) {
  return {t.scale * (p.x + t.origin_offset.x), t.scale * (p.y + t.origin_offset.y),
          t.scale * (p.z + t.origin_offset.z)};
}

}  // namespace plenvista
