#include "views/orbit_camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plenvista {
namespace {

constexpr double kTurnPerPixel = 0.01;  // radians
constexpr double kZoomPerStep = 0.85;   // distance factor of one wheel step nearer
constexpr double kFitMargin = 1.05;     // room around a fitted box
constexpr double kNearestDistance = 1e-6;

Vec3 unit(const Vec3& v) {
  const double l = length(v);
  return l > 0.0 ? v * (1.0 / l) : v;
}

struct Viewport {
  double width;
  double height;
  Viewport(int w, int h) : width(std::max(w, 1)), height(std::max(h, 1)) {}
  double aspect() const { return width / height; }
};

}  // namespace

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 r{};
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
      r[column * 4 + row] = sum;
    }
  return r;
}

void Bounds::add(const Vec3& p) {
  if (empty) {
    low = high = p;
    empty = false;
    return;
  }
  low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
  high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
}

// From the eye towards the target.
Vec3 OrbitCamera::forward() const {
  return {-std::sin(yaw) * std::cos(pitch), -std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
}

Vec3 OrbitCamera::right() const { return {std::cos(yaw), 0.0, -std::sin(yaw)}; }

Vec3 OrbitCamera::up() const { return cross(right(), forward()); }

Vec3 OrbitCamera::eye() const { return target - forward() * distance; }

void OrbitCamera::orbit(double dx, double dy) {
  yaw -= dx * kTurnPerPixel;
  yaw = std::remainder(yaw, 2.0 * std::numbers::pi);
  pitch = std::clamp(pitch + dy * kTurnPerPixel, -std::numbers::pi / 2, std::numbers::pi / 2);
}

void OrbitCamera::pan(double dx, double dy, int width, int height) {
  const Viewport view(width, height);
  const double per_pixel = 2.0 * distance * std::tan(kFieldOfView / 2) / view.height;
  target = target - right() * (dx * per_pixel) + up() * (dy * per_pixel);
}

void OrbitCamera::zoom(double steps, Point2 client, int width, int height) {
  const Ray r = ray(client, width, height);
  const double along = dot(r.direction, forward());
  if (along <= 0.0) return;
  // The point under the cursor at the target's depth stays where it is.
  const Vec3 fixed = r.origin + r.direction * (distance / along);
  const double factor = std::pow(kZoomPerStep, steps);
  const double next = std::max(distance * factor, kNearestDistance);
  const double applied = next / distance;
  target = fixed + (target - fixed) * applied;
  distance = next;
}

void OrbitCamera::fit(const Bounds& bounds, int width, int height) {
  if (bounds.empty) return;
  const Viewport view(width, height);
  const double half_vertical = kFieldOfView / 2;
  const double half_horizontal = std::atan(std::tan(half_vertical) * view.aspect());
  const double radius = std::max(bounds.radius(), 1e-3);
  target = bounds.centre();
  distance = kFitMargin * radius / std::sin(std::min(half_vertical, half_horizontal));
}

void OrbitCamera::look_along(int axis) {
  switch (axis) {
    case 0:
      yaw = 0.0;
      pitch = 0.0;
      break;
    case 1:
      yaw = std::numbers::pi / 2;
      pitch = 0.0;
      break;
    case 2:
      yaw = 0.0;
      pitch = std::numbers::pi / 2;
      break;
    default:
      break;
  }
}

double OrbitCamera::far_plane(const Bounds& bounds) const {
  const double reach = bounds.empty ? 0.0 : length(bounds.centre() - eye()) + bounds.radius();
  return std::max(reach, distance) * 1.01 + kNearestDistance;
}

double OrbitCamera::near_plane(const Bounds& bounds) const {
  const double front = bounds.empty ? distance : length(bounds.centre() - eye()) - bounds.radius();
  // A 24-bit depth buffer holds a range of about 10,000 : 1 well.
  return std::max(front * 0.99, far_plane(bounds) * 1e-4);
}

Matrix4 OrbitCamera::view_matrix() const {
  const Vec3 r = right(), u = up(), f = forward(), e = eye();
  return {r.x, u.x, -f.x, 0.0, r.y, u.y, -f.y, 0.0, r.z, u.z, -f.z, 0.0, -dot(r, e), -dot(u, e), dot(f, e), 1.0};
}

Matrix4 OrbitCamera::projection_matrix(int width, int height, const Bounds& bounds) const {
  const Viewport view(width, height);
  const double n = near_plane(bounds), f = far_plane(bounds);
  const double t = 1.0 / std::tan(kFieldOfView / 2);
  Matrix4 m{};
  m[0] = t / view.aspect();
  m[5] = t;
  m[10] = (f + n) / (n - f);
  m[11] = -1.0;
  m[14] = 2.0 * f * n / (n - f);
  return m;
}

std::optional<ScreenPoint> OrbitCamera::project(const Vec3& p, int width, int height) const {
  const Viewport view(width, height);
  const Vec3 d = p - eye();
  const double depth = dot(d, forward());
  if (!(depth > 0.0)) return std::nullopt;
  const double t = 1.0 / std::tan(kFieldOfView / 2);
  const double x = dot(d, right()) / depth * t / view.aspect();
  const double y = dot(d, up()) / depth * t;
  return ScreenPoint{{(x + 1.0) * 0.5 * view.width, (1.0 - y) * 0.5 * view.height}, depth};
}

Ray OrbitCamera::ray(Point2 client, int width, int height) const {
  const Viewport view(width, height);
  const double t = std::tan(kFieldOfView / 2);
  const double x = (client.x / view.width * 2.0 - 1.0) * t * view.aspect();
  const double y = (1.0 - client.y / view.height * 2.0) * t;
  return {eye(), unit(forward() + right() * x + up() * y)};
}

}  // namespace plenvista
