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
//   absolute  photograph pixels (absolute true);
//   view      client pixels of the image's view through its zoom and scroll
//             (absolute and to_view true).
// Projection never fails: a point behind the camera is mirrored through the
// centre, a point at depth 0 gives values that are not finite, and an image
// without a camera, or a camera without grid tables, gives NaN.

#include "model/image_records.h"
#include "model/vec3.h"
#include "photogrammetry/camera_pose.h"

namespace plenvista {

// A pose with its sines and cosines taken once, for projecting many points
// through it; each projection is bit-identical to project_to_image. The
// image (its camera, centre, size mapping and view) must outlive it. Making
// one derives the camera's cell table when it is not ready.
class PreparedPose {
 public:
  explicit PreparedPose(const ProjectImage& image) : PreparedPose(image, image.pose) {}
  // A candidate pose for the image, not necessarily its own.
  PreparedPose(const ProjectImage& image, const CameraPose& pose);

  // The point in the camera frame (x right, y up, looking along -z).
  Vec3 to_camera_frame(const Vec3& world) const;
  Point2 project(const Vec3& world, bool absolute, bool to_view = false) const;

 private:
  const ProjectImage* image_;
  Vec3 offset_;
  double cos_x_, sin_x_, cos_y_, sin_y_, cos_z_, sin_z_;
};

Point2 project_to_image(const Vec3& world, const ProjectImage& image, bool absolute, bool to_view = false);

// Distance between a projected and a stored relative position of the same
// image, in pixels of a 2272 x 1704 photograph when the image's pixel size
// is known, in raw pixels while either size is 0.
double normalised_error(Point2 projected, Point2 stored, const ProjectImage& image);

}  // namespace plenvista
