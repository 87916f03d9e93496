#include "photogrammetry/projection.h"

#include <cmath>

namespace plenvista {

AngleTrig AngleTrig::of_degrees(double degrees) {
  return {std::cos(degrees * kDegreesToRadians), std::sin(degrees * kDegreesToRadians)};
}

PreparedPose::PreparedPose(const ProjectImage& image, const CameraPose& pose)
    : PreparedPose(image, pose.offset, AngleTrig::of_degrees(pose.rotation.x), AngleTrig::of_degrees(pose.rotation.y),
                   AngleTrig::of_degrees(pose.rotation.z)) {}

PreparedPose::PreparedPose(const ProjectImage& image, const Vec3& offset, AngleTrig x, AngleTrig y, AngleTrig z)
    : image_(&image),
      offset_(offset),
      cos_x_(x.cos),
      sin_x_(x.sin),
      cos_y_(y.cos),
      sin_y_(y.sin),
      cos_z_(z.cos),
      sin_z_(z.sin) {
  if (image.camera && !image.camera->cells_ready) derive_cells(*image.camera);
}

Point2 project_to_image(const Vec3& world, const ProjectImage& image, bool absolute) {
  return PreparedPose(image).project(world, absolute);
}

}  // namespace plenvista
