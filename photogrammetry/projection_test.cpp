#include "photogrammetry/projection.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/zoom_pan.h"
#include "testing/cameras.h"

namespace plenvista {
namespace {

using test_support::bent_corner;
using test_support::grid_camera;

struct Projection : ::testing::Test {
  CameraModel camera = grid_camera(14, 20);
  ProjectImage image;

  void SetUp() override { attach(); }
  void attach() {
    image.camera = &camera;
    image.centre_x = camera.centre_x;
    image.centre_y = camera.centre_y;
  }
};

using ProjectToImage = Projection;
using GridLookup = Projection;
using PreparedPoseProject = Projection;

TEST_F(ProjectToImage, OpticalAxisLandsOnTheReferenceIntersection) {
  const Point2 p = bent_corner(7, 10);
  for (double depth : {50.0, 100.0, 7000.0}) {
    const Point2 absolute = project_to_image({0, 0, -depth}, image, true);
    EXPECT_DOUBLE_EQ(absolute.x, p.x);
    EXPECT_DOUBLE_EQ(absolute.y, 2 * camera.centre_y - p.y);
    const Point2 relative = project_to_image({0, 0, -depth}, image, false);
    EXPECT_DOUBLE_EQ(relative.x, p.x - camera.centre_x);
    EXPECT_DOUBLE_EQ(relative.y, camera.centre_y - p.y);
  }
}

TEST_F(ProjectToImage, OddColumnCountCentresOnTheWholeCellBelowTheMiddle) {
  camera = grid_camera(9, 15);
  const Point2 absolute = project_to_image({0, 0, -100}, image, true);
  EXPECT_DOUBLE_EQ(absolute.x, bent_corner(4, 7).x);
  EXPECT_DOUBLE_EQ(absolute.y, 2 * camera.centre_y - bent_corner(4, 7).y);
}

TEST_F(ProjectToImage, OffsetAndRotationOrderMoveThePointIntoTheCameraFrame) {
  image.pose.rotation = {0, 90, 0};
  const Vec3 ahead = PreparedPose(image).to_camera_frame({1, 0, 0});
  EXPECT_NEAR(ahead.x, 0, 1e-15);
  EXPECT_NEAR(ahead.y, 0, 1e-15);
  EXPECT_DOUBLE_EQ(ahead.z, -1);

  // Z first, then X: (1, 0, 0) -> (0, 1, 0) -> (0, 0, 1). The other order would leave it at (0, 1, 0).
  image.pose.rotation = {90, 0, 90};
  const Vec3 turned = PreparedPose(image).to_camera_frame({1, 0, 0});
  EXPECT_NEAR(turned.x, 0, 1e-15);
  EXPECT_NEAR(turned.y, 0, 1e-15);
  EXPECT_DOUBLE_EQ(turned.z, 1);

  image.pose = {{-3, 2, -1}, {0, 0, 0}};
  const Point2 shifted = project_to_image({3, -2, -99}, image, true);
  EXPECT_DOUBLE_EQ(shifted.x, bent_corner(7, 10).x);
}

TEST_F(ProjectToImage, PhotographOfAnotherSizeUsesScaleAndApproximateCentre) {
  // Grid offset (100, -50) from the camera centre on the optical axis.
  camera.centre_x = bent_corner(7, 10).x - 100;
  camera.centre_y = bent_corner(7, 10).y + 50;
  attach();
  image.size_differs = 1;
  image.texture_scale = 0.4;
  image.texture_centre_x = 400;
  image.texture_centre_y = 300;
  const Point2 absolute = project_to_image({0, 0, -100}, image, true);
  EXPECT_NEAR(absolute.x, 440, 1e-9);
  EXPECT_NEAR(absolute.y, 320, 1e-9);
  const Point2 relative = project_to_image({0, 0, -100}, image, false);
  EXPECT_NEAR(relative.x, 440 - image.centre_x, 1e-9);
  EXPECT_NEAR(relative.y, 320 - image.centre_y, 1e-9);
}

TEST_F(ProjectToImage, AViewShowsItThroughTheImagesZoomAndScroll) {
  image.view.zoom = 0.3;  // a 100 x 80 view spans 333 x 266
  image.view.scroll_x = 10.7;
  image.view.scroll_y = -5.2;
  const Point2 absolute = project_to_image({1, 2, -150}, image, true);
  const Point2 view = image_to_client(image.view, {100, 80}, absolute);
  EXPECT_DOUBLE_EQ(view.x, (absolute.x - 10) / 333 * 100);
  EXPECT_DOUBLE_EQ(view.y, (absolute.y + 5) / 266 * 80);
}

TEST_F(ProjectToImage, BehindTheCameraIsMirroredThroughTheCentre) {
  const Point2 behind = project_to_image({3, 4, 120}, image, false);
  const Point2 front = project_to_image({-3, -4, -120}, image, false);
  EXPECT_DOUBLE_EQ(behind.x, front.x);
  EXPECT_DOUBLE_EQ(behind.y, front.y);
}

TEST_F(ProjectToImage, DepthZeroGivesANonFiniteResult) {
  for (const Vec3 p : {Vec3{0, 0, 0}, Vec3{1, -1, 0}, Vec3{-1, 1, 0}}) {
    const Point2 r = project_to_image(p, image, true);
    EXPECT_FALSE(std::isfinite(r.x) && std::isfinite(r.y));
  }
}

TEST_F(ProjectToImage, WithoutCameraOrTablesTheResultIsNaN) {
  CameraModel bare;
  image.camera = &bare;
  EXPECT_TRUE(std::isnan(project_to_image({0, 0, -10}, image, true).x));
  image.camera = nullptr;
  EXPECT_TRUE(std::isnan(project_to_image({0, 0, -10}, image, true).y));
}

TEST_F(GridLookup, ChoosesCellEdgesByTheirOwnFraction) {
  // Depth 100 = distance: camera-frame mm are grid mm. Cell (7, 10) spans gx 100..110, gy 70..80.
  const Point2 tl = bent_corner(7, 10), tr = bent_corner(7, 11), bl = bent_corner(8, 10), br = bent_corner(8, 11);
  const Point2 half = grid_lookup(camera, 100, 5, 5);  // fx = fy = 0.5: bottom and right edges
  EXPECT_DOUBLE_EQ(half.x, 0.5 * (br.x - bl.x) + tl.x - camera.centre_x);
  EXPECT_DOUBLE_EQ(half.y, 0.5 * (br.y - tr.y) + tl.y - camera.centre_y);
  const Point2 below = grid_lookup(camera, 100, 4, 2);  // fx 0.4, fy 0.2: top and left edges
  EXPECT_DOUBLE_EQ(below.x, 0.4 * (tr.x - tl.x) + tl.x - camera.centre_x);
  EXPECT_DOUBLE_EQ(below.y, 0.2 * (bl.y - tl.y) + tl.y - camera.centre_y);
}

TEST_F(GridLookup, OutsideTheGridExtrapolatesFromTheBorderCell) {
  // A right-angled grid of 40 x 30 pixel cells maps grid mm linearly.
  for (int r = 0; r < kCornerSlots; ++r)
    for (int c = 0; c < kCornerSlots; ++c) camera.corner(r, c) = {40.0 * c, 30.0 * r};
  camera.cells_ready = 0;
  camera.centre_x = camera.centre_y = 0;
  for (const Point2 g : {Point2{-25, -7}, Point2{250, 170}, Point2{-1e7, 3e12}}) {
    const Point2 d = grid_lookup(camera, 100, g.x - 100, g.y - 70);
    EXPECT_NEAR(d.x, g.x * 4, 1e-6 * std::abs(g.x * 4));
    EXPECT_NEAR(d.y, g.y * 3, 1e-6 * std::abs(g.y * 3));
  }
  EXPECT_EQ(camera.cells_ready, 1);
}

TEST(NormalisedError, ScalesToTheReferenceSizeOnlyWhenBothSizesAreKnown) {
  ProjectImage image;
  EXPECT_DOUBLE_EQ(normalised_error({4, 1}, {1, 5}, image), 5);
  image.pixel_width = 1136;
  EXPECT_DOUBLE_EQ(normalised_error({4, 1}, {1, 5}, image), 5);
  image.pixel_height = 3408;
  EXPECT_DOUBLE_EQ(normalised_error({4, 1}, {1, 5}, image), std::hypot(6.0, 2.0));
}

TEST_F(PreparedPoseProject, CandidatePoseLeavesTheImageAlone) {
  const CameraPose candidate{{1, 2, 3}, {10, 20, 30}};
  const Point2 prepared = PreparedPose(image, candidate).project({5, 6, -200}, false);
  EXPECT_EQ(image.pose, CameraPose{});
  image.pose = candidate;
  const Point2 one_shot = project_to_image({5, 6, -200}, image, false);
  EXPECT_EQ(prepared.x, one_shot.x);
  EXPECT_EQ(prepared.y, one_shot.y);
}

}  // namespace
}  // namespace plenvista
