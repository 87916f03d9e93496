#pragma once

// The pose of one photograph's camera. A world point p is moved into the
// camera frame by adding `offset` and then rotating about Z, X and Y by
// `rotation` (degrees); the camera's optical centre in world coordinates is
// therefore -offset. Camera frame: x right, y up, looking along -z.

#include "base/vec3.h"

namespace plenvista {

// Degrees to radians, applied just before a sine or cosine is taken.
inline constexpr double kDegreesToRadians = 0.017453292519943295;

struct CameraPose {
  Vec3 offset;    // model units
  Vec3 rotation;  // degrees about X, Y, Z
  friend bool operator==(const CameraPose&, const CameraPose&) = default;
};

}  // namespace plenvista
