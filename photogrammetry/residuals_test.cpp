#include "photogrammetry/residuals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "photogrammetry/image_search.h"
#include "photogrammetry/projection.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

using test_support::box_points;
using test_support::SearchScene;

// A camera 2500 mm from the middle of a 1000 x 800 x 600 mm box, a little
// above and to the side, so 1 mm there is about 0.4 pixel.
CameraPose side_view() { return pose_looking_at({1500, 1200, 2600}, {500, 400, 300}, {0, 1, 0}); }

void locate(ProjectImage& image) {
  ImageSearch search(image);
  while (!search.run_batch()) {
  }
}

TEST(ImageResiduals, RmsMatchesTheNoiseAddedToTheMarks) {
  std::mt19937 rng(5);
  SearchScene scene;
  scene.mark(box_points(rng, 30, {0, 0, 0}, {1000, 800, 600}), side_view());
  std::normal_distribution<double> noise(0.0, 1.5);
  double added = 0.0;
  for (ReferencePoint* point : scene.image.reference_points) {
    const Point2 d{noise(rng), noise(rng)};
    point->image_position.x += d.x;
    point->image_position.y += d.y;
    added += d.x * d.x + d.y * d.y;
  }
  const double added_rms = std::sqrt(added / 30);
  locate(scene.image);

  const ImageResiduals residuals = image_residuals(scene.image);
  ASSERT_EQ(residuals.points.size(), 30u);
  EXPECT_NEAR(residuals.rms, added_rms, 0.1 * added_rms);
  // Every residual is the projection under the found pose minus the mark.
  for (const ReferenceResidual& r : residuals.points) {
    const Point2 p = project_to_image(r.point->world_position, scene.image, false);
    EXPECT_DOUBLE_EQ(r.delta.x, p.x - r.point->image_position.x);
    EXPECT_DOUBLE_EQ(r.length, std::hypot(r.delta.x, r.delta.y));
    EXPECT_FALSE(r.outlier);
  }
}

TEST(ImageResiduals, ACoordinateTypedWrongRanksFirstAndIsFlagged) {
  std::mt19937 rng(11);
  for (int wrong = 0; wrong < 9; wrong += 4) {
    SCOPED_TRACE(wrong);
    SearchScene scene;
    scene.mark(box_points(rng, 9, {0, 0, 0}, {1000, 800, 600}), side_view());
    ReferencePoint& typo = *scene.image.reference_points.at(wrong);
    typo.world_position.x += 100;  // the marks fit the true position
    locate(scene.image);

    const ImageResiduals residuals = image_residuals(scene.image);
    const std::vector<std::size_t> order = largest_first(residuals);
    EXPECT_EQ(residuals.points[order[0]].point, &typo);
    EXPECT_TRUE(residuals.points[order[0]].outlier);
    EXPECT_GT(residuals.points[order[0]].length, 3 * residuals.points[order[1]].length);
    for (std::size_t k = 1; k < order.size(); ++k) EXPECT_FALSE(residuals.points[order[k]].outlier);
  }
}

TEST(ImageResiduals, NoPointsAndNoCamera) {
  SearchScene scene;
  EXPECT_EQ(image_residuals(scene.image).rms, 0.0);
  scene.mark({{0, 0, 0}, {10, 0, 0}}, side_view());
  scene.image.camera = nullptr;
  const ImageResiduals residuals = image_residuals(scene.image);
  EXPECT_TRUE(std::isnan(residuals.rms));
  EXPECT_EQ(largest_first(residuals), (std::vector<std::size_t>{0, 1}));
}

// Two located photographs of one point: clicks at known offsets from its
// true projections give those offsets back, and the angle between the rays
// is the angle of the triangle (centre A, point, centre B) by the law of
// cosines.
TEST(PointFit, ReprojectionErrorsAndRayAngleAgainstTheGeometry) {
  const Vec3 point{420, 310, 150};
  for (const double spread : {1000.0, 60.0, 0.0}) {
    SCOPED_TRACE(spread);
    const Vec3 eye_a{-spread / 2, 200, 3000};
    const Vec3 eye_b{spread / 2, 250, 2900};
    SearchScene a;
    SearchScene b;
    a.image.pose = pose_looking_at(eye_a, {400, 300, 100}, {0, 1, 0});
    b.image.pose = pose_looking_at(eye_b, {400, 300, 100}, {0, 1, 0});
    const Point2 true_a = project_to_image(point, a.image, true);
    const Point2 true_b = project_to_image(point, b.image, true);
    const PointFit fit = point_fit(point, {true_a.x - 3, true_a.y - 4}, {true_b.x + 1, true_b.y}, a.image, b.image);
    EXPECT_NEAR(fit.delta_a.x, 3, 1e-9);
    EXPECT_NEAR(fit.delta_a.y, 4, 1e-9);
    EXPECT_NEAR(fit.error_a, 5, 1e-9);
    EXPECT_NEAR(fit.error_b, 1, 1e-9);

    const double pa = length(point - eye_a);
    const double pb = length(point - eye_b);
    const double ab = length(eye_a - eye_b);
    const double expected = std::acos((pa * pa + pb * pb - ab * ab) / (2 * pa * pb)) * 180 / std::numbers::pi;
    EXPECT_NEAR(fit.ray_angle, expected, 1e-6);
    EXPECT_EQ(fit.weak(), expected < 2.0);
  }
  EXPECT_NEAR(ray_angle_degrees({0, 0, 0}, {0, 0, 100}, {100, 0, 0}), 90.0, 1e-12);
  EXPECT_NEAR(ray_angle_degrees({0, 0, 0}, {0, 0, 100}, {0, 0, -5}), 180.0, 1e-12);
}

}  // namespace
}  // namespace plenvista
