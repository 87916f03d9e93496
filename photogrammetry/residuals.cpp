#include "photogrammetry/residuals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/number_text.h"
#include "photogrammetry/projection.h"

namespace plenvista {

namespace {

Point2 click_delta(const PreparedPose& pose, const Vec3& point, Point2 click) {
  const Point2 p = pose.project(point, true);
  return {p.x - click.x, p.y - click.y};
}

}  // namespace

ImageResiduals image_residuals(const ProjectImage& image) {
  ImageResiduals result;
  const PreparedPose pose(image);
  double sum = 0.0;
  for (const ReferencePoint* point : image.reference_points) {
    const Point2 projected = pose.project(point->world_position, false);
    const Point2 delta{projected.x - point->image_position.x, projected.y - point->image_position.y};
    const double length = std::hypot(delta.x, delta.y);
    result.points.push_back({point, delta, length, point->outlier != 0});
    sum += length * length;
  }
  if (!result.points.empty()) result.rms = std::sqrt(sum / static_cast<double>(result.points.size()));
  return result;
}

std::vector<std::size_t> largest_first(const ImageResiduals& residuals) {
  std::vector<std::size_t> order(residuals.points.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto key = [&](std::size_t i) {
    const double length = residuals.points[i].length;
    return std::isnan(length) ? -1.0 : length;
  };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) > key(b); });
  return order;
}

double ray_angle_degrees(const Vec3& point, const Vec3& centre_a, const Vec3& centre_b) {
  const Vec3 ra = point - centre_a;
  const Vec3 rb = point - centre_b;
  // atan2 of |a x b| and a . b keeps small angles accurate.
  const double angle = std::atan2(length(cross(ra, rb)), dot(ra, rb));
  return angle * 180.0 / std::numbers::pi;
}

PointFit point_fit(const Vec3& point, Point2 click_a, Point2 click_b, const ProjectImage& a, const ProjectImage& b) {
  PointFit fit;
  fit.delta_a = click_delta(PreparedPose(a), point, click_a);
  fit.delta_b = click_delta(PreparedPose(b), point, click_b);
  fit.error_a = std::hypot(fit.delta_a.x, fit.delta_a.y);
  fit.error_b = std::hypot(fit.delta_b.x, fit.delta_b.y);
  fit.ray_angle = ray_angle_degrees(point, camera_centre(a), camera_centre(b));
  return fit;
}

std::string point_fit_summary(int point_id, const PointFit& fit) {
  std::string text = "Point " + std::to_string(point_id) + ": reprojection " + format_fixed(fit.error_a, 2) +
                     " px and " + format_fixed(fit.error_b, 2) + " px, rays " + format_fixed(fit.ray_angle, 1) +
                     " degrees apart";
  if (fit.weak()) text += " - rays closer than 2 degrees fix its depth poorly";
  return text;
}

}  // namespace plenvista
