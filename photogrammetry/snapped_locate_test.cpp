// Locating a photograph from marks snapped onto its round targets, against
// locating it from the targets' true centres with a quarter pixel of noise.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "photogrammetry/image_search.h"
#include "photogrammetry/mark_snap.h"
#include "photogrammetry/projection.h"
#include "photogrammetry/residuals.h"
#include "testing/search_scenes.h"
#include "testing/synthetic_marks.h"

namespace plenvista {
namespace {

using namespace test_support;

// Where the search locates the camera from `marks` (centre-relative, one
// per target), and how far that is from where it stood.
double located_centre_error(const std::vector<Vec3>& targets, const CameraPose& truth,
                            const std::vector<Point2>& marks) {
  SearchScene scene;
  scene.mark(targets, truth);
  int k = 0;
  for (ReferencePoint* r : scene.image.reference_points) r->image_position = marks[static_cast<std::size_t>(k++)];
  ImageSearch search(scene.image);
  while (!search.run_batch()) {
  }
  return length(camera_centre(scene.image) - truth.offset * -1.0);
}

TEST(SnappedLocate, AtLeastAsExactAsTrueCentresWithAQuarterPixelOfNoise) {
  // Spheres of 16 mm seen from about 0.65 m through a 1000-pixel focal
  // length: 22 to 28 pixels across, as marking targets are photographed.
  std::mt19937 random(11);
  const std::vector<Vec3> targets = box_points(random, 12, {-220, -160, -80}, {220, 160, 80});
  const Vec3 eye{120, 90, 640};
  const CameraPose truth = pose_looking_at(eye, {0, 0, 0}, {0, 1, 0});
  SearchScene scene;
  scene.mark(targets, truth);
  const PreparedPose prepared(scene.image, truth);
  RgbImage photo(scene.image.pixel_width, scene.image.pixel_height, {85, 90, 80});
  const Rgb colours[] = {{220, 40, 30}, {30, 170, 60}, {40, 60, 210}, {230, 210, 40}};
  std::vector<Point2> centres;
  for (std::size_t k = 0; k < targets.size(); ++k) {
    const Point2 c = prepared.project(targets[k], false);
    centres.push_back(c);
    const double depth = -prepared.to_camera_frame(targets[k]).z;
    draw_sphere(photo, {c.x + scene.image.centre_x, c.y + scene.image.centre_y}, 1000.0 * 8.0 / depth, colours[k % 4]);
  }

  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Point2> snapped;
  for (const Point2& c : centres) {
    const double angle = 6.283 * unit(random), off = 3.0 * std::sqrt(unit(random));
    const Point2 click{c.x + scene.image.centre_x + off * std::cos(angle),
                       c.y + scene.image.centre_y + off * std::sin(angle)};
    const SnapResult snap = snap_mark(photo, click);
    ASSERT_EQ(snap.kind, SnapKind::Target);
    snapped.push_back({snap.position.x - scene.image.centre_x, snap.position.y - scene.image.centre_y});
  }
  const double from_snapped = located_centre_error(targets, truth, snapped);

  double from_noisy = 0.0;
  const int rounds = 3;
  std::normal_distribution<double> noise(0.0, 0.25);
  for (int round = 0; round < rounds; ++round) {
    std::vector<Point2> noisy;
    for (const Point2& c : centres) noisy.push_back({c.x + noise(random), c.y + noise(random)});
    from_noisy += located_centre_error(targets, truth, noisy) / rounds;
  }
  EXPECT_LE(from_snapped, from_noisy) << "snapped " << from_snapped << " mm, noisy " << from_noisy << " mm";
}

}  // namespace
}  // namespace plenvista
