// The located cameras' matrix and pinhole approximation against the
// projection itself.

#include <gtest/gtest.h>

#include <random>

#include "model/located_camera.h"
#include "photogrammetry/projection.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

// Where the pinhole camera described by `c` shows a world point.
Point2 pinhole_projection(const LocatedCamera& c, const Vec3& world) {
  const auto& m = c.world_from_camera;
  const double d[3] = {world.x - m[3], world.y - m[7], world.z - m[11]};
  double frame[3];
  for (std::size_t i = 0; i < 3; ++i) frame[i] = m[i] * d[0] + m[4 + i] * d[1] + m[8 + i] * d[2];
  const double depth = -frame[2];
  return {c.principal_point.x + c.focal_x * frame[0] / depth, c.principal_point.y - c.focal_y * frame[1] / depth};
}

TEST(LocatedCameras, MatrixAndPinholeReproduceTheProjectionOfTheScene) {
  test_support::SearchScene scene;
  scene.image.id = 7;
  scene.image.file_name = "front.jpg";
  scene.image.pose = {{-120, 80, -2500}, {12, -20, 35}};
  scene.image.pose_known = 1;
  ImageSet set;
  set.images.insert(std::make_unique<ProjectImage>());  // not located: left out
  ProjectImage& located = *set.images.insert(std::make_unique<ProjectImage>());
  located.id = 7;
  located.file_name = scene.image.file_name;
  located.camera = &scene.camera;
  located.centre_x = scene.image.centre_x;
  located.centre_y = scene.image.centre_y;
  located.pose = scene.image.pose;
  located.pose_known = 1;

  const std::vector<LocatedCamera> cameras = located_cameras(set);
  ASSERT_EQ(cameras.size(), 1u);
  const LocatedCamera& c = cameras[0];
  EXPECT_EQ(c.image_id, 7);
  EXPECT_EQ(c.file_name, "front.jpg");
  EXPECT_EQ(c.position, (Vec3{120, -80, 2500}));
  EXPECT_DOUBLE_EQ(c.focal_x, 1000);  // 10 px per mm on the grid seen from 100 mm
  EXPECT_DOUBLE_EQ(c.focal_y, 1000);
  EXPECT_EQ(c.principal_point, (Point2{1136, 852}));
  EXPECT_EQ(c.width, 2272);

  // The rotation is orthonormal and the translation is the optical centre.
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) {
      const auto& m = c.world_from_camera;
      const double d = m[i * 4] * m[j * 4] + m[i * 4 + 1] * m[j * 4 + 1] + m[i * 4 + 2] * m[j * 4 + 2];
      EXPECT_NEAR(d, i == j ? 1.0 : 0.0, 1e-12);
    }

  std::mt19937 rng(27);
  for (const Vec3& p : test_support::box_points(rng, 40, {-400, -300, -200}, {400, 300, 200})) {
    const Point2 truth = project_to_image(p, located, true);
    const Point2 pinhole = pinhole_projection(c, p);
    EXPECT_NEAR(pinhole.x, truth.x, 1e-6);
    EXPECT_NEAR(pinhole.y, truth.y, 1e-6);
  }
}

}  // namespace
}  // namespace plenvista
