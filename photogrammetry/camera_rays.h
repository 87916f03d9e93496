#pragma once

// Viewing rays of photograph pixels through the project's grid camera: the
// inverse of the projection, for matching features between photographs.
//
// CameraRays::direction gives, for an absolute photograph pixel (x right,
// y down from the top-left corner), the direction in the camera frame
// (x right, y up, looking along -z) whose projection lands on that pixel,
// as the point at depth 1 (x / depth, y / depth, -1); it is not normalised,
// so that projecting it gives the pixel back exactly (the grid lookup
// rounds differently at another depth where a cell edge jumps).
// The grid table has no closed-form inverse, so the direction is found by
// Newton steps on the projection itself, started from the straight-line
// (pinhole) estimate. The grid lookup jumps slightly where a cell switches
// between its two edges; a pixel inside such a jump gets the direction
// whose projection lies nearest to it. Failure (none): no camera, no grid
// tables, or no direction projecting within half a pixel of the pixel.
//
// PoseFrame holds a pose as a rotation and an optical centre (world units)
// for rays in world coordinates: camera = R (world - centre).

#include <array>
#include <optional>

#include "base/vec3.h"
#include "model/image_records.h"
#include "photogrammetry/projection.h"

namespace plenvista {

class CameraRays {
 public:
  // The image (its camera, centre and size mapping) must outlive this.
  explicit CameraRays(const ProjectImage& image);

  bool usable() const { return usable_; }
  std::optional<Vec3> direction(Point2 pixel) const;
  // The absolute pixel of a camera-frame point (the projection with no pose).
  Point2 pixel_of(const Vec3& camera_point) const { return lens_.project(camera_point, true); }
  // Pixels per unit of x / depth near the optical axis: turns pixel
  // tolerances into tolerances on directions.
  double focal_px() const { return focal_px_; }

 private:
  PreparedPose lens_;
  double focal_px_ = 0.0;
  Point2 axis_px_;
  bool usable_ = false;
};

struct PoseFrame {
  std::array<Vec3, 3> rows;  // world-to-camera rotation, row by row
  Vec3 centre;

  static PoseFrame of(const ProjectImage& image);
  Vec3 to_camera(const Vec3& world) const {
    const Vec3 d = world - centre;
    return {dot(rows[0], d), dot(rows[1], d), dot(rows[2], d)};
  }
  Vec3 to_world_direction(const Vec3& camera) const {
    return rows[0] * camera.x + rows[1] * camera.y + rows[2] * camera.z;
  }
};

}  // namespace plenvista
