#include "photogrammetry/point_triangulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "model/edit_actions.h"
#include "model/undo_commands.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

struct Triangulation : ::testing::Test {
  CameraModel camera = test_support::pinhole_camera();
  ProjectImage a;
  ProjectImage b;

  void SetUp() override {
    for (ProjectImage* image : {&a, &b}) {
      image->camera = &camera;
      image->centre_x = camera.centre_x;
      image->centre_y = camera.centre_y;
      image->pixel_width = 2272;
      image->pixel_height = 1704;
      image->pose_known = 1;
    }
    a.pose = {{-100, -50, -2000}, {0, 0, 0}};
    b.pose = {{-1300, -50, -1700}, {0, -37, 2}};
  }
};

using PointTriangulation = Triangulation;

TEST_F(PointTriangulation, ExactProjectionsOfTheOriginGiveTheOrigin) {
  const Vec3 origin{0, 0, 0};
  const Vec3 p = point_triangulation(project_to_image(origin, a, true), project_to_image(origin, b, true), a, b);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.y, 0.0);
  EXPECT_EQ(p.z, 0.0);
}

TEST_F(PointTriangulation, FindsAPointSeenInTwoPhotographs) {
  for (const Vec3 truth : {Vec3{230, -120, 75}, Vec3{-640, 310, -420}, Vec3{12.3, 45.6, 78.9}}) {
    const Vec3 p = point_triangulation(project_to_image(truth, a, true), project_to_image(truth, b, true), a, b);
    // The last steps are 100/512 units long.
    EXPECT_NEAR(p.x, truth.x, 0.2);
    EXPECT_NEAR(p.y, truth.y, 0.2);
    EXPECT_NEAR(p.z, truth.z, 0.2);
  }
}

TEST_F(PointTriangulation, IdenticalPosesStillEndOnTheViewingRay) {
  b.pose = a.pose;
  const Vec3 truth{150, 80, 300};
  const Point2 click = project_to_image(truth, a, true);
  const Vec3 p = point_triangulation(click, click, a, b);
  const Point2 seen = project_to_image(p, a, true);
  EXPECT_NEAR(seen.x, click.x, 1.0);
  EXPECT_NEAR(seen.y, click.y, 1.0);
  EXPECT_LT(PreparedPose(a).to_camera_frame(p).z, 0.0);
}

TEST_F(PointTriangulation, PhotographSizeChangesTheWeightOfAnImage) {
  // Clicks that no point explains: the image whose error counts double
  // (a known size half the 2272 x 1704 units, the other's raw pixels) wins.
  const Point2 click_a = project_to_image(Vec3{100, 100, 100}, a, true);
  const Point2 click_b = project_to_image(Vec3{100, 160, 100}, b, true);
  const auto misses = [&] {
    const Vec3 p = point_triangulation(click_a, click_b, a, b);
    const Point2 sa = project_to_image(p, a, true);
    const Point2 sb = project_to_image(p, b, true);
    return std::pair{std::hypot(sa.x - click_a.x, sa.y - click_a.y), std::hypot(sb.x - click_b.x, sb.y - click_b.y)};
  };
  a.pixel_width = 1136;
  a.pixel_height = 852;
  b.pixel_width = b.pixel_height = 0;
  const auto [a_heavy_miss_a, a_heavy_miss_b] = misses();
  std::swap(a.pixel_width, b.pixel_width);
  std::swap(a.pixel_height, b.pixel_height);
  const auto [b_heavy_miss_a, b_heavy_miss_b] = misses();
  EXPECT_LT(a_heavy_miss_a, 1.0);
  EXPECT_GT(a_heavy_miss_b, 10.0);
  EXPECT_LT(b_heavy_miss_b, 1.0);
  EXPECT_GT(b_heavy_miss_a, 10.0);
}

struct PartnerClicks : ::testing::Test {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  ProjectImage* a = nullptr;
  ProjectImage* b = nullptr;
  const Vec3 truth{120, -40, 60};
  Point2 click_a, click_b;  // where each photograph shows it, photograph pixels

  void SetUp() override {
    project.images().camera = test_support::pinhole_camera();
    for (ProjectImage** image : {&a, &b}) {
      auto added = std::make_unique<ProjectImage>();
      added->id = project.model.new_id();
      added->pose_known = 1;
      added->pixel_width = 2272;
      added->pixel_height = 1704;
      added->camera = &project.images().camera;
      added->centre_x = 1136;
      added->centre_y = 852;
      *image = project.images().images.insert(std::move(added));
    }
    a->pose = {{-100, -50, -2000}, {0, 0, 0}};
    b->pose = {{-1300, -50, -1700}, {0, -37, 2}};
    a->partner = b;
    project.images().current = a;
    click_a = project_to_image(truth, *a, true);
    click_b = project_to_image(truth, *b, true);
  }
};

using AddPointFromPartnerClicks = PartnerClicks;

TEST_F(AddPointFromPartnerClicks, AddsTheTriangulatedPointUndoably) {
  notifier.posted.clear();
  ModelPoint* point = add_point_from_partner_clicks(project, click_a, click_b);
  ASSERT_NE(point, nullptr);
  EXPECT_NEAR(point->x, truth.x, 0.2);
  EXPECT_NEAR(point->y, truth.y, 0.2);
  EXPECT_NEAR(point->z, truth.z, 0.2);
  EXPECT_EQ(point->layer, project.model.current_layer);
  EXPECT_TRUE(project.modified);
  EXPECT_NE(
      std::find(notifier.posted.begin(), notifier.posted.end(), test_support::Posted{Notification::ModelChanged, 0}),
      notifier.posted.end());
  undo_command(project);
  EXPECT_EQ(project.model.points.count(), 0);
}

TEST_F(AddPointFromPartnerClicks, NeedsAPartnerAndTwoKnownPoses) {
  b->pose_known = 0;
  EXPECT_EQ(add_point_from_partner_clicks(project, click_a, click_b), nullptr);
  b->pose_known = 1;
  a->partner = nullptr;
  EXPECT_EQ(add_point_from_partner_clicks(project, click_a, click_b), nullptr);
  EXPECT_EQ(project.model.points.count(), 0);
  EXPECT_FALSE(project.modified);
}

}  // namespace
}  // namespace plenvista
