#pragma once

// Plain geometric values shared by every layer. Model coordinates are in
// model units (the units of the reference points' world coordinates);
// photograph positions are pixels, x to the right, y down.

namespace plenvista {

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  friend bool operator==(const Vec3&, const Vec3&) = default;
};

struct Point2 {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const Point2&, const Point2&) = default;
};

}  // namespace plenvista
