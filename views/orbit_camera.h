#pragma once

// OrbitCamera: the perspective camera of the 3D view, turning around a
// target point. World coordinates are model units (the stored, untransformed
// point coordinates the other views draw); the camera stands `distance`
// units from `target`, turned by `yaw` about the world's Y axis and tilted
// by `pitch` (radians, -pi/2..pi/2) towards +Y. At yaw 0 and pitch 0 it
// looks along -Z with +X to the right and +Y up, as the CAD view's Z axis
// shows the model; yaw pi/2 looks along -X with -Z to the right (the X
// axis), pitch pi/2 looks down along -Y with -Z up (the Y axis).
//
// Client positions are pixels of a viewport `width` x `height`, x right,
// y down, from the top-left corner. A viewport of zero or negative size is
// taken as 1 x 1. Matrices are column-major, as OpenGL takes them.

#include <array>
#include <optional>

#include "base/vec3.h"

namespace plenvista {

using Matrix4 = std::array<double, 16>;

Matrix4 multiply(const Matrix4& a, const Matrix4& b);

// An axis-aligned box of model positions; empty until a point is added.
struct Bounds {
  Vec3 low;
  Vec3 high;
  bool empty = true;

  void add(const Vec3& p);
  Vec3 centre() const { return (low + high) * 0.5; }
  // Half the diagonal: 0 for an empty box or a single point.
  double radius() const { return empty ? 0.0 : length(high - low) * 0.5; }
};

// A ray through a client position: from the eye, `direction` of unit length.
struct Ray {
  Vec3 origin;
  Vec3 direction;
};

// A client position with its depth: `distance` along the view direction
// (positive in front of the eye).
struct ScreenPoint {
  Point2 client;
  double distance = 0.0;
};

// The views along an axis, numbered as the CAD view's: 0 Z, 1 X, 2 Y.
inline constexpr int kAxisCount = 3;

class OrbitCamera {
 public:
  // Vertical field of view, radians.
  static constexpr double kFieldOfView = 0.6981317007977318;  // 40 degrees

  Vec3 target;
  double distance = 10.0;
  double yaw = 0.0;
  double pitch = 0.0;

  Vec3 eye() const;
  // Unit vectors of the camera: where it looks, its right and its up.
  Vec3 forward() const;
  Vec3 right() const;
  Vec3 up() const;

  // Turns by a mouse drag of (dx, dy) pixels: right turns the model to the
  // right, down tilts its top towards the viewer. Pitch stops at +-pi/2.
  void orbit(double dx, double dy);
  // Moves the target so that the point at the target's depth follows a
  // mouse drag of (dx, dy) pixels.
  void pan(double dx, double dy, int width, int height);
  // Moves towards the point under `client` by `steps` wheel steps (positive:
  // nearer, each step 15 % of the distance), keeping that point under the
  // cursor.
  void zoom(double steps, Point2 client, int width, int height);
  // Keeps the direction; centres `bounds` and comes as near as lets the
  // whole box show. An empty box leaves the camera as it is.
  void fit(const Bounds& bounds, int width, int height);
  // Looks along an axis (0 Z, 1 X, 2 Y), keeping target and distance;
  // anything else is ignored.
  void look_along(int axis);

  // The clip planes for a scene of `bounds`: everything of the box in front
  // of the eye lies between them.
  double near_plane(const Bounds& bounds) const;
  double far_plane(const Bounds& bounds) const;

  Matrix4 view_matrix() const;
  Matrix4 projection_matrix(int width, int height, const Bounds& bounds) const;

  // Where a model position shows, or none when it is not in front of the eye.
  std::optional<ScreenPoint> project(const Vec3& p, int width, int height) const;
  // The ray from the eye through a client position.
  Ray ray(Point2 client, int width, int height) const;
};

}  // namespace plenvista
