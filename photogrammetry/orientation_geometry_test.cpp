#include "photogrammetry/orientation_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace plenvista::orientation_detail {
namespace {

constexpr double kFocalPx = 2000;

// A pose at `eye` looking at `target`, +y up as far as it can be.
Pose looking_at(const Vec3& eye, const Vec3& target) {
  const Vec3 back = (eye - target) * (1 / length(eye - target));
  const Vec3 side = cross(Vec3{0, 0, 1}, back);
  const Vec3 x = side * (1 / length(side));
  const Vec3 y = cross(back, x);
  return {{x.x, x.y, x.z, y.x, y.y, y.z, back.x, back.y, back.z}, eye};
}

// The first tie points located often lie on one floor or wall: a pose
// found from them must be the one in front of them, not its mirror image
// behind the plane, which fits their lines of sight as well.
TEST(OrientationGeometry, AbsolutePoseFromPointsOnOnePlaneIsInFrontOfThem) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> across(-120, 120), along(-60, 60);
  std::normal_distribution<double> noise(0, 0.3 / kFocalPx);
  for (double tilt : {20.0, 30.0, 45.0, 60.0, 70.0}) {
    const double a = tilt * kDegreesToRadians;
    const Pose truth = looking_at({900 * std::sin(a), 300, 900 * std::cos(a)}, {0, 0, 0});
    std::vector<Vec3> world;
    std::vector<Point2> directions;
    for (int k = 0; k < 22; ++k) {
      const Vec3 p{across(rng), along(rng), 0};
      const Vec3 c = rotate(truth.rotation, p - truth.centre);
      world.push_back(p);
      directions.push_back({c.x / -c.z + noise(rng), c.y / -c.z + noise(rng)});
    }
    std::vector<bool> inlier;
    const std::optional<Pose> pose = absolute_pose(world, directions, 4 / kFocalPx, 200, inlier);
    ASSERT_TRUE(pose) << tilt;
    EXPECT_LT(length(pose->centre - truth.centre), 5.0) << tilt;
    EXPECT_EQ(std::count(inlier.begin(), inlier.end(), true), 22) << tilt;
  }
}

}  // namespace
}  // namespace plenvista::orientation_detail
