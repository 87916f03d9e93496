#pragma once

// Projection of a world point into a photograph through the photograph's
// camera pose and the project's grid camera, and the reprojection error.
//
// The pose moves the point into the camera frame (add the offset, rotate
// about Z, then X, then Y; degrees), the grid lookup gives its pixel offset
// from the camera centre, which is flipped to camera y up. A photograph of
// another size than the camera's is mapped through its scale and its
// approximate centre. Results:
//   relative  pixels from the image centre, y down, like stored image
//             positions (absolute false);
//   absolute  photograph pixels (absolute true); a view shows them through
//             the image's zoom and scroll with image_to_client
//             (model/zoom_pan.h).
// Projection never fails: a point behind the camera is mirrored through the
// centre, a point at depth 0 gives values that are not finite, and an image
// without a camera, or a camera without grid tables, gives NaN.

#include <cmath>
#include <limits>

#include "base/vec3.h"
#include "model/camera_pose.h"
#include "model/image_records.h"

namespace plenvista {

// A pose with its sines and cosines taken once, for projecting many points
// through it; each projection is bit-identical to project_to_image. The
// image (its camera, centre and size mapping) must outlive it. Making
// one derives the camera's cell table when it is not ready.
// Cosine and sine of one angle in degrees, taken as the projection takes
// them; searches that try few angle values compute them once.
struct AngleTrig {
  double cos = 1.0;
  double sin = 0.0;
  static AngleTrig of_degrees(double degrees);
};

class PreparedPose {
 public:
  explicit PreparedPose(const ProjectImage& image) : PreparedPose(image, image.pose) {}
  // A candidate pose for the image, not necessarily its own.
  PreparedPose(const ProjectImage& image, const CameraPose& pose);
  // The same from the rotation's angles already taken (about X, Y, Z).
  PreparedPose(const ProjectImage& image, const Vec3& offset, AngleTrig x, AngleTrig y, AngleTrig z);

  // The point in the camera frame (x right, y up, looking along -z).
  Vec3 to_camera_frame(const Vec3& world) const;
  Point2 project(const Vec3& world, bool absolute) const;

 private:
  const ProjectImage* image_;
  Vec3 offset_;
  double cos_x_, sin_x_, cos_y_, sin_y_, cos_z_, sin_z_;
};

Point2 project_to_image(const Vec3& world, const ProjectImage& image, bool absolute);

// Reprojection errors are measured in pixels of a photograph of this size,
// whatever the size of the image's own photograph, so that one threshold
// fits every camera.
inline constexpr int kErrorFrameWidth = 2272;
inline constexpr int kErrorFrameHeight = 1704;

// Distance between a projected and a stored relative position of the same
// image, in pixels of the error frame (kErrorFrameWidth x kErrorFrameHeight)
// when the image's pixel size is known, in raw pixels while either size is 0.
inline double normalised_error(Point2 projected, Point2 stored, const ProjectImage& image);

// Defined here so that searches projecting many points inline them.

inline Vec3 PreparedPose::to_camera_frame(const Vec3& world) const {
  const double qx = world.x + offset_.x;
  const double qy = world.y + offset_.y;
  const double qz = world.z + offset_.z;
  const double x1 = cos_z_ * qx - sin_z_ * qy;
  const double y1 = sin_z_ * qx + cos_z_ * qy;
  const double z1 = qz;
  const double y2 = cos_x_ * y1 - sin_x_ * z1;
  const double z2 = sin_x_ * y1 + cos_x_ * z1;
  const double x2 = x1;
  return {cos_y_ * x2 + sin_y_ * z2, y2, cos_y_ * z2 - sin_y_ * x2};
}

inline Point2 PreparedPose::project(const Vec3& world, bool absolute) const {
  const ProjectImage& image = *image_;
  if (!image.camera) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan};
  }
  const Vec3 c = to_camera_frame(world);
  const Point2 d = grid_lookup_ready(*image.camera, -c.z, c.x, c.y);
  Point2 p{d.x, -d.y};
  if (image.size_differs) {
    p.x = p.x * image.texture_scale - (image.centre_x - image.texture_centre_x);
    p.y = p.y * image.texture_scale - (image.centre_y - image.texture_centre_y);
  }
  if (absolute) {
    p.x += image.centre_x;
    p.y += image.centre_y;
  }
  return p;
}

inline double normalised_error(Point2 projected, Point2 stored, const ProjectImage& image) {
  double ex = projected.x - stored.x;
  double ey = projected.y - stored.y;
  if (image.pixel_width > 0 && image.pixel_height > 0) {
    ex = ex * kErrorFrameWidth / image.pixel_width;
    ey = ey * kErrorFrameHeight / image.pixel_height;
  }
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace plenvista
