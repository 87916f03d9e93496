#pragma once

// Synthetic photographs for the camera search: reference points projected
// through a known pose by an ideal pinhole camera (testing/cameras.h), so
// that the true pose fits them exactly. World units are mm; the photograph
// has the camera's native size 2272 x 1704.

#include <memory>
#include <random>
#include <vector>

#include "model/image_records.h"
#include "photogrammetry/camera_search.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"

namespace plenvista::test_support {

struct SearchScene {
  CameraModel camera = pinhole_camera();
  ProjectImage image;
  CameraPose truth;
  SearchState search;  // the pattern search's working values for the image

  SearchScene() {
    image.camera = &camera;
    image.centre_x = camera.centre_x;
    image.centre_y = camera.centre_y;
    image.pixel_width = 2272;
    image.pixel_height = 1704;
  }
  SearchScene(const SearchScene&) = delete;
  SearchScene& operator=(const SearchScene&) = delete;

  // Marks the points where `pose` projects them; the pose itself is left
  // zero, the marks changed.
  void mark(const std::vector<Vec3>& points, const CameraPose& pose) {
    truth = pose;
    const PreparedPose prepared(image, pose);
    int id = 1000;
    for (const Vec3& p : points) {
      auto point = std::make_unique<ReferencePoint>();
      point->id = id++;
      point->world_position = p;
      point->image_position = prepared.project(p, false);
      image.reference_points.insert(std::move(point));
    }
    image.marks_changed = 1;
  }
};

// n points spread uniformly in the box [low, high].
inline std::vector<Vec3> box_points(std::mt19937& rng, int n, const Vec3& low, const Vec3& high) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Vec3> points;
  for (int k = 0; k < n; ++k)
    points.push_back({low.x + unit(rng) * (high.x - low.x), low.y + unit(rng) * (high.y - low.y),
                      low.z + unit(rng) * (high.z - low.z)});
  return points;
}

}  // namespace plenvista::test_support
