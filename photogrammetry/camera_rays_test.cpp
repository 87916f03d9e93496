#include "photogrammetry/camera_rays.h"

#include <gtest/gtest.h>

#include "testing/cameras.h"

namespace plenvista {
namespace {

// Pixels go to directions and back through a bent grid (with jumps where
// cells switch edges) and through a photograph of another size.
TEST(CameraRays, InvertTheGridProjection) {
  CameraModel camera = test_support::grid_camera(10, 12);
  auto photograph = [&camera] {
    ProjectImage image;
    image.camera = &camera;
    image.centre_x = camera.centre_x;
    image.centre_y = camera.centre_y;
    return image;
  };
  const ProjectImage image = photograph();
  ProjectImage scaled_image = photograph();
  scaled_image.size_differs = 1;
  scaled_image.texture_scale = 0.5;
  scaled_image.texture_centre_x = 300;
  scaled_image.texture_centre_y = 200;
  for (const ProjectImage* photo : {&image, static_cast<const ProjectImage*>(&scaled_image)}) {
    const CameraRays rays(*photo);
    ASSERT_TRUE(rays.usable());
    for (double u = -0.35; u <= 0.35; u += 0.07)
      for (double v = -0.3; v <= 0.3; v += 0.06) {
        const Point2 pixel = rays.pixel_of({u, v, -1});
        const auto d = rays.direction(pixel);
        ASSERT_TRUE(d) << u << " " << v;
        const Point2 back = rays.pixel_of(*d);
        EXPECT_NEAR(back.x, pixel.x, 1e-3);
        EXPECT_NEAR(back.y, pixel.y, 1e-3);
      }
  }
  // Through a pinhole the direction itself comes back.
  CameraModel pinhole = test_support::pinhole_camera();
  ProjectImage straight;
  straight.camera = &pinhole;
  straight.centre_x = pinhole.centre_x;
  straight.centre_y = pinhole.centre_y;
  const auto d = CameraRays(straight).direction({1136 + 250, 852 - 100});
  ASSERT_TRUE(d);
  EXPECT_NEAR(d->x / -d->z, 0.25, 1e-9);
  EXPECT_NEAR(d->y / -d->z, 0.1, 1e-9);
  ProjectImage without_camera;
  EXPECT_FALSE(CameraRays(without_camera).usable());
  EXPECT_FALSE(CameraRays(without_camera).direction({1, 1}));
}

TEST(PoseFrame, AgreesWithTheProjection) {
  CameraModel camera = test_support::pinhole_camera();
  ProjectImage image;
  image.camera = &camera;
  image.centre_x = camera.centre_x;
  image.centre_y = camera.centre_y;
  image.pose = {{120, -40, 300}, {12, -35, 71}};
  const PoseFrame frame = PoseFrame::of(image);
  const PreparedPose pose(image);
  for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{50, -20, 900}, Vec3{-300, 400, 10}}) {
    const Vec3 a = frame.to_camera(p), b = pose.to_camera_frame(p);
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
    EXPECT_NEAR(a.z, b.z, 1e-9);
  }
  // A camera-frame direction turned into the world and back.
  const Vec3 d = frame.to_world_direction({0.6, 0, -0.8});
  const Vec3 back = frame.to_camera(frame.centre + d);
  EXPECT_NEAR(back.x, 0.6, 1e-12);
  EXPECT_NEAR(back.z, -0.8, 1e-12);
}

}  // namespace
}  // namespace plenvista
