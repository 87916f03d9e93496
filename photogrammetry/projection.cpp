#include "photogrammetry/projection.h"

#include <cmath>
#include <limits>

#include "model/zoom_pan.h"

namespace plenvista {

PreparedPose::PreparedPose(const ProjectImage& image, const CameraPose& pose)
    : image_(&image),
      offset_(pose.offset),
      cos_x_(std::cos(pose.rotation.x * kDegreesToRadians)),
      sin_x_(std::sin(pose.rotation.x * kDegreesToRadians)),
      cos_y_(std::cos(pose.rotation.y * kDegreesToRadians)),
      sin_y_(std::sin(pose.rotation.y * kDegreesToRadians)),
      cos_z_(std::cos(pose.rotation.z * kDegreesToRadians)),
      sin_z_(std::sin(pose.rotation.z * kDegreesToRadians)) {
  if (image.camera && !image.camera->cells_ready) derive_cells(*image.camera);
}

Vec3 PreparedPose::to_camera_frame(const Vec3& world) const {
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

Point2 PreparedPose::project(const Vec3& world, bool absolute, bool to_view) const {
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
  return to_view ? image_to_client(image.view, p) : p;
}

Point2 project_to_image(const Vec3& world, const ProjectImage& image, bool absolute, bool to_view) {
  return PreparedPose(image).project(world, absolute, to_view);
}

double normalised_error(Point2 projected, Point2 stored, const ProjectImage& image) {
  double ex = projected.x - stored.x;
  double ey = projected.y - stored.y;
  if (image.pixel_width > 0 && image.pixel_height > 0) {
    ex = ex * 2272 / image.pixel_width;
    ey = ey * 1704 / image.pixel_height;
  }
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace plenvista
