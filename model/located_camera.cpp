#include "model/located_camera.h"

#include <cmath>

#include "base/text.h"

namespace plenvista {

namespace {

// A direction turned as the pose turns world points: about Z, then X, then Y.
Vec3 turned(const Vec3& v, const Vec3& degrees) {
  const double cx = std::cos(degrees.x * kDegreesToRadians), sx = std::sin(degrees.x * kDegreesToRadians);
  const double cy = std::cos(degrees.y * kDegreesToRadians), sy = std::sin(degrees.y * kDegreesToRadians);
  const double cz = std::cos(degrees.z * kDegreesToRadians), sz = std::sin(degrees.z * kDegreesToRadians);
  const double x1 = cz * v.x - sz * v.y;
  const double y1 = sz * v.x + cz * v.y;
  const double y2 = cx * y1 - sx * v.z;
  const double z2 = sx * y1 + cx * v.z;
  return {cy * x1 + sy * z2, y2, cy * z2 - sy * x1};
}

// Mean pixels per mm across the traced grid, horizontally and vertically.
Point2 pixels_per_mm(const CameraModel& camera) {
  double across = 0.0;
  for (int r = 0; r <= camera.rows; ++r) across += camera.corner(r, camera.columns).x - camera.corner(r, 0).x;
  double down = 0.0;
  for (int c = 0; c <= camera.columns; ++c) down += camera.corner(camera.rows, c).y - camera.corner(0, c).y;
  return {across / ((camera.rows + 1) * camera.columns * camera.cell_width_mm),
          down / ((camera.columns + 1) * camera.rows * camera.cell_height_mm)};
}

LocatedCamera located(const ProjectImage& image) {
  const CameraModel& camera = *image.camera;
  LocatedCamera out;
  out.image_id = image.id;
  out.file_name = std::string(shown(image.file_name));
  out.position = image.pose.offset * -1.0;
  out.rotation = image.pose.rotation;

  // Columns of the world-to-camera rotation: the unit axes turned by the pose.
  const Vec3 axes[3] = {turned({1, 0, 0}, image.pose.rotation), turned({0, 1, 0}, image.pose.rotation),
                        turned({0, 0, 1}, image.pose.rotation)};
  // World from camera: the transposed rotation, then the optical centre.
  for (int row = 0; row < 3; ++row) {
    const Vec3& axis = axes[row];
    out.world_from_camera[static_cast<std::size_t>(row * 4 + 0)] = axis.x;
    out.world_from_camera[static_cast<std::size_t>(row * 4 + 1)] = axis.y;
    out.world_from_camera[static_cast<std::size_t>(row * 4 + 2)] = axis.z;
  }
  out.world_from_camera[3] = out.position.x;
  out.world_from_camera[7] = out.position.y;
  out.world_from_camera[11] = out.position.z;
  out.world_from_camera[15] = 1.0;

  const Point2 pitch = pixels_per_mm(camera);
  const Point2& reference = camera.corner(camera.rows / 2, camera.columns / 2);
  Point2 centre{reference.x - camera.centre_x, reference.y - camera.centre_y};
  double scale = 1.0;
  if (image.size_differs) {
    scale = image.texture_scale;
    centre = {centre.x * scale - (image.centre_x - image.texture_centre_x),
              centre.y * scale - (image.centre_y - image.texture_centre_y)};
  }
  out.focal_x = camera.distance_mm * pitch.x * scale;
  out.focal_y = camera.distance_mm * pitch.y * scale;
  out.principal_point = {centre.x + image.centre_x, centre.y + image.centre_y};
  out.width = image.pixel_width > 0 ? image.pixel_width : camera.native_width;
  out.height = image.pixel_height > 0 ? image.pixel_height : camera.native_height;
  return out;
}

}  // namespace

std::vector<LocatedCamera> located_cameras(const ImageSet& images) {
  std::vector<LocatedCamera> cameras;
  for (const ProjectImage* image : images.images)
    if (image->pose_known && image->camera && image->camera->has_tables() && image->camera->rows >= 1 &&
        image->camera->rows <= kMaxGridCells && image->camera->columns >= 1 && image->camera->columns <= kMaxGridCells)
      cameras.push_back(located(*image));
  return cameras;
}

}  // namespace plenvista
