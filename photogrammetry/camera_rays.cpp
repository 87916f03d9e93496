#include "photogrammetry/camera_rays.h"

#include <cmath>

namespace plenvista {

namespace {

bool finite(Point2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

CameraRays::CameraRays(const ProjectImage& image) : lens_(image, CameraPose{}) {
  if (!image.camera || !image.camera->has_tables()) return;
  axis_px_ = pixel_of({0, 0, -1});
  const Point2 right = pixel_of({0.01, 0, -1});
  focal_px_ = (right.x - axis_px_.x) / 0.01;
  usable_ = finite(axis_px_) && std::isfinite(focal_px_) && std::fabs(focal_px_) > 1e-6;
}

std::optional<Vec3> CameraRays::direction(Point2 pixel) const {
  if (!usable_ || !finite(pixel)) return std::nullopt;
  // Unknowns u = x / depth, v = y / depth; pixel y grows downwards.
  double u = (pixel.x - axis_px_.x) / focal_px_;
  double v = -(pixel.y - axis_px_.y) / focal_px_;
  double best_u = u, best_v = v, best_error = INFINITY;
  constexpr double kStep = 1e-6;
  for (int iteration = 0; iteration < 30; ++iteration) {
    const Point2 p = pixel_of({u, v, -1});
    if (!finite(p)) break;
    const double ex = p.x - pixel.x;
    const double ey = p.y - pixel.y;
    const double error = std::hypot(ex, ey);
    if (error < best_error) {
      best_error = error;
      best_u = u;
      best_v = v;
    }
    if (error < 1e-7) break;
    const Point2 pu = pixel_of({u + kStep, v, -1});
    const Point2 pv = pixel_of({u, v + kStep, -1});
    const double a = (pu.x - p.x) / kStep, b = (pv.x - p.x) / kStep;
    const double c = (pu.y - p.y) / kStep, d = (pv.y - p.y) / kStep;
    const double det = a * d - b * c;
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) break;
    double du = (d * ex - b * ey) / det;
    double dv = (-c * ex + a * ey) / det;
    // Past an edge switch Newton can oscillate: halve the steps then.
    if (iteration > 10) {
      du *= 0.5;
      dv *= 0.5;
    }
    u -= du;
    v -= dv;
  }
  if (!(best_error < 0.5)) return std::nullopt;
  return Vec3{best_u, best_v, -1};
}

PoseFrame PoseFrame::of(const ProjectImage& image) {
  const PreparedPose pose(image);
  PoseFrame frame;
  frame.centre = image.pose.offset * -1.0;
  // to_camera_frame(w) = R (w + offset): the rotation's columns are the
  // images of the world axes.
  const Vec3 cx = pose.to_camera_frame(Vec3{1, 0, 0} + frame.centre);
  const Vec3 cy = pose.to_camera_frame(Vec3{0, 1, 0} + frame.centre);
  const Vec3 cz = pose.to_camera_frame(Vec3{0, 0, 1} + frame.centre);
  frame.rows = {Vec3{cx.x, cy.x, cz.x}, Vec3{cx.y, cy.y, cz.y}, Vec3{cx.z, cy.z, cz.z}};
  return frame;
}

}  // namespace plenvista
