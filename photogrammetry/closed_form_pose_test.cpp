#include "photogrammetry/closed_form_pose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "photogrammetry/camera_search.h"
#include "photogrammetry/image_search.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

using test_support::box_points;
using test_support::SearchScene;

double angle_difference(double a, double b) { return std::remainder(a - b, 360.0); }

TEST(ClosedFormPose, RecoversThePoseOfAPinholeCameraInEveryQuarter) {
  std::mt19937 rng(3);
  int round = 0;
  for (const auto& [eye, up] : {std::pair{Vec3{300, 900, 4000}, Vec3{0, 1, 0}},
                                {Vec3{-3500, -1500, -900}, Vec3{0.3, 1, 0}},
                                {Vec3{200, 4200, 300}, Vec3{0, 0, -1}},
                                {Vec3{2500, -3000, 1500}, Vec3{-0.4, 1, 0.2}}}) {
    SCOPED_TRACE(round++);
    SearchScene scene;
    scene.mark(box_points(rng, 6, {-500, -400, -300}, {500, 400, 300}), pose_looking_at(eye, {50, 0, -20}, up));
    const std::optional<CameraPose> pose = closed_form_pose(scene.image);
    ASSERT_TRUE(pose);
    EXPECT_NEAR(pose->offset.x, scene.truth.offset.x, 1e-4);
    EXPECT_NEAR(pose->offset.y, scene.truth.offset.y, 1e-4);
    EXPECT_NEAR(pose->offset.z, scene.truth.offset.z, 1e-4);
    EXPECT_NEAR(angle_difference(pose->rotation.x, scene.truth.rotation.x), 0, 1e-6);
    EXPECT_NEAR(angle_difference(pose->rotation.y, scene.truth.rotation.y), 0, 1e-6);
    EXPECT_NEAR(angle_difference(pose->rotation.z, scene.truth.rotation.z), 0, 1e-6);
  }
}

TEST(ClosedFormPose, ReadsTheGridOfAnotherPitchAndAPhotographOfAnotherSize) {
  std::mt19937 rng(5);
  SearchScene scene;
  scene.camera = test_support::pinhole_camera(60.0);
  scene.image.size_differs = 1;
  scene.image.texture_scale = 0.5;
  scene.image.texture_centre_x = 600;
  scene.image.texture_centre_y = 420;
  scene.mark(box_points(rng, 8, {0, 0, 0}, {800, 600, 400}),
             pose_looking_at({2500, 1800, 3000}, {400, 300, 200}, {0, 1, 0}));
  const std::optional<CameraPose> pose = closed_form_pose(scene.image);
  ASSERT_TRUE(pose);
  EXPECT_NEAR(summed_error_at(scene.image, *pose), 0, 1e-6);
}

TEST(ClosedFormPose, RefusesFlatOrTooFewPointsAndSolutionsBehindTheCamera) {
  std::mt19937 rng(8);
  const CameraPose view = pose_looking_at({300, 500, 3000}, {0, 0, 0}, {0, 1, 0});
  SearchScene flat;
  flat.mark(box_points(rng, 8, {-500, -400, 0}, {500, 400, 0}), view);
  EXPECT_FALSE(closed_form_pose(flat.image));
  EXPECT_FALSE(reference_points_degenerate(flat.image));

  SearchScene three;
  three.mark(box_points(rng, 3, {-500, -400, -300}, {500, 400, 300}), view);
  EXPECT_FALSE(closed_form_pose(three.image));
  EXPECT_TRUE(reference_points_degenerate(three.image));

  SearchScene line;
  line.mark({{0, 0, 0}, {100, 50, 20}, {200, 100, 40}, {300, 150, 60}, {-50, -25, -10}}, view);
  EXPECT_TRUE(reference_points_degenerate(line.image));

  // Marks mirrored through the centre fit only a camera looking away.
  SearchScene mirrored;
  mirrored.mark(box_points(rng, 8, {-500, -400, -300}, {500, 400, 300}), view);
  for (ReferencePoint* p : mirrored.image.reference_points)
    p->image_position = {-p->image_position.x, -p->image_position.y};
  const std::optional<CameraPose> pose = closed_form_pose(mirrored.image);
  EXPECT_TRUE(!pose || all_in_front(mirrored.image, *pose));
}

}  // namespace
}  // namespace plenvista
