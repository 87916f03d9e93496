#pragma once

// Synthetic scenes for the orientation: points seen from photographs on a
// ring around them, marked where the true poses project them (plus
// Gaussian noise), labelled "P0", "P1", ... in point order. World units are
// mm; every photograph has the camera's native size.

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "model/image_records.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/orientation.h"
#include "photogrammetry/projection.h"

namespace plenvista::test_support {

struct OrientationScene {
  OrientationInput input;
  std::vector<Vec3> points;
  std::vector<CameraPose> poses;  // per photograph, in input order
};

inline std::string tie_label(int index) { return "P" + std::to_string(index); }

// Eyes on a circle of `radius` at `height` around `target`, spread over
// `arc_degrees` starting at the +z side.
inline std::vector<Vec3> ring_eyes(int count, const Vec3& target, double radius, double height, double arc_degrees) {
  std::vector<Vec3> eyes;
  for (int k = 0; k < count; ++k) {
    const double a = (-arc_degrees / 2 + arc_degrees * k / std::max(1, count - 1)) * kDegreesToRadians;
    eyes.push_back({target.x + radius * std::sin(a), height, target.z + radius * std::cos(a)});
  }
  return eyes;
}

// Photographs at `eyes` looking at `target`; each point is marked in
// `rays_per_point` photographs chosen at random (all of them when 0).
inline OrientationScene orientation_scene(const CameraModel& camera, const std::vector<Vec3>& points,
                                          const std::vector<Vec3>& eyes, const Vec3& target, double noise_px,
                                          unsigned seed, int rays_per_point = 0) {
  OrientationScene scene;
  scene.points = points;
  scene.input.camera = camera;
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, noise_px);
  ProjectImage image;
  image.camera = &scene.input.camera;
  image.centre_x = camera.centre_x;
  image.centre_y = camera.centre_y;
  for (std::size_t k = 0; k < eyes.size(); ++k) {
    OrientationPhotograph photo;
    photo.id = 100 + static_cast<int>(k);
    photo.centre_x = camera.centre_x;
    photo.centre_y = camera.centre_y;
    photo.pixel_width = camera.native_width;
    photo.pixel_height = camera.native_height;
    scene.input.photographs.push_back(photo);
    scene.poses.push_back(pose_looking_at(eyes[k], target, {0, 1, 0}));
  }
  std::vector<int> order(eyes.size());
  for (std::size_t p = 0; p < points.size(); ++p) {
    std::iota(order.begin(), order.end(), 0);
    if (rays_per_point > 0) std::shuffle(order.begin(), order.end(), rng);
    const std::size_t rays = rays_per_point > 0 ? std::min<std::size_t>(rays_per_point, order.size()) : order.size();
    std::sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(rays));
    for (std::size_t r = 0; r < rays; ++r) {
      const std::size_t k = static_cast<std::size_t>(order[r]);
      const Point2 at = PreparedPose(image, scene.poses[k]).project(points[p], false);
      scene.input.marks.push_back(
          {scene.input.photographs[k].id, tie_label(static_cast<int>(p)), {at.x + noise(rng), at.y + noise(rng)}});
    }
  }
  return scene;
}

}  // namespace plenvista::test_support
