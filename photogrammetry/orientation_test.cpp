#include "photogrammetry/orientation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>

#include "photogrammetry/camera_rays.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/orientation_scenes.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

using test_support::OrientationScene;

constexpr Vec3 kTarget{300, 200, -150};

// Forty points in a 600 x 400 x 300 box whose first three lie on the axes:
// P0 at the origin, P1 on +X, P2 in the XY plane on the +Y side, so that
// axes P0 P1 P2 give back the scene's own frame.
std::vector<Vec3> scene_points(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Vec3> points = {{0, 0, 0}, {600, 0, 0}, {100, 400, 0}};
  for (const Vec3& p : test_support::box_points(rng, 37, {0, 0, -300}, {600, 400, 0})) points.push_back(p);
  return points;
}

OrientationScene ring_scene(const CameraModel& camera, double noise_px, unsigned seed = 7) {
  return test_support::orientation_scene(camera, scene_points(seed),
                                         test_support::ring_eyes(5, kTarget, 1600, 700, 150), kTarget, noise_px, seed);
}

void use_axes_and_distance(OrientationInput& input) {
  input.axes = DatumAxes{"P0", "P1", "P2"};
  input.distances = {{"P0", "P1", 600.0}};
}

const OrientedPoint& point(const OrientationResult& result, const std::string& label) {
  for (const OrientedPoint& p : result.points)
    if (p.label == label) return p;
  throw std::runtime_error("no point " + label);
}

// The largest distance of a located point from its truth.
double largest_point_error(const OrientationResult& result, const OrientationScene& scene) {
  double worst = 0;
  for (std::size_t i = 0; i < scene.points.size(); ++i) {
    const OrientedPoint& p = point(result, test_support::tie_label(static_cast<int>(i)));
    worst = std::max(worst, p.located ? length(p.position - scene.points[i]) : INFINITY);
  }
  return worst;
}

TEST(Orientation, TiesAloneWithAxesAndDistanceGiveTheSceneThroughTheGridCamera) {
  // A bent grid: the residuals must go through the grid, not a pinhole.
  OrientationScene scene = ring_scene(test_support::grid_camera(14, 20), 0.3);
  use_axes_and_distance(scene.input);
  OrientationRun run(scene.input);
  int steps = 0;
  bool saw_adjusting = false;
  while (run.step()) {
    ++steps;
    saw_adjusting = saw_adjusting || run.progress().phase == OrientationPhase::Adjusting;
  }
  const OrientationResult& result = run.result();
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_GT(steps, 3);
  EXPECT_TRUE(saw_adjusting);
  EXPECT_EQ(run.progress().oriented, 5);
  EXPECT_EQ(result.datum, DatumKind::AxesAndScale);
  EXPECT_TRUE(result.outliers.empty());
  EXPECT_TRUE(result.too_few_marks.empty());
  EXPECT_NEAR(result.rms_px, 0.3 * std::sqrt(2.0), 0.15);

  // Within the noise's expectation: every coordinate's error against its
  // reported standard deviation (the axes points themselves carry the
  // datum's error, hence the margin).
  double normalised = 0;
  int count = 0;
  for (std::size_t i = 3; i < scene.points.size(); ++i) {
    const OrientedPoint& p = point(result, test_support::tie_label(static_cast<int>(i)));
    ASSERT_TRUE(p.located);
    EXPECT_EQ(p.rays, 5);
    EXPECT_GT(p.max_angle_deg, 100);
    for (const auto& [error, sigma] : {std::pair{p.position.x - scene.points[i].x, p.sigma.x},
                                       {p.position.y - scene.points[i].y, p.sigma.y},
                                       {p.position.z - scene.points[i].z, p.sigma.z}}) {
      ASSERT_GT(sigma, 0);
      EXPECT_LT(std::fabs(error), 5 * sigma + 0.3);
      normalised += error * error / (sigma * sigma);
      ++count;
    }
  }
  EXPECT_LT(normalised / count, 4.0);
  // A ray's precision at this range is about 1.5 mm for 0.3 px.
  EXPECT_LT(largest_point_error(result, scene), 5.0);

  // The stored poses put the camera where it stood and project through the
  // program's own projection onto the marks.
  CameraModel camera = scene.input.camera;
  for (std::size_t k = 0; k < result.photographs.size(); ++k) {
    const OrientedPhotograph& photo = result.photographs[k];
    ASSERT_TRUE(photo.oriented);
    EXPECT_LT(length(photo.pose.offset - scene.poses[k].offset), 15.0);
    EXPECT_LT(photo.rms_px, 0.8);
    ProjectImage image;
    image.camera = &camera;
    image.centre_x = camera.centre_x;
    image.centre_y = camera.centre_y;
    image.pose = photo.pose;
    const Vec3 p0 = point(result, "P7").position;
    for (const OrientationMark& m : scene.input.marks)
      if (m.photograph_id == photo.id && m.label == "P7") {
        const Point2 at = project_to_image(p0, image, false);
        EXPECT_LT(std::hypot(at.x - m.position.x, at.y - m.position.y), 1.5);
      }
  }
}

TEST(Orientation, OneWrongMarkIsReportedAndMovesNothing) {
  OrientationScene clean = ring_scene(test_support::pinhole_camera(), 0.2, 11);
  use_axes_and_distance(clean.input);
  OrientationScene wrong = clean;
  // P9 in the third photograph marked 40 px away, as on a neighbouring feature.
  for (OrientationMark& m : wrong.input.marks)
    if (m.label == "P9" && m.photograph_id == 102) m.position.x += 40;
  const OrientationResult reference = orient_photographs(clean.input);
  const OrientationResult result = orient_photographs(wrong.input);
  ASSERT_TRUE(reference.ok()) << reference.message;
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_TRUE(reference.outliers.empty());
  ASSERT_EQ(result.outliers.size(), 1u);
  EXPECT_EQ(result.outliers[0].label, "P9");
  EXPECT_EQ(result.outliers[0].photograph_id, 102);
  EXPECT_NEAR(result.outliers[0].residual_px, 40, 5);
  EXPECT_EQ(point(result, "P9").rays, 4);
  for (std::size_t i = 0; i < clean.points.size(); ++i) {
    const std::string label = test_support::tie_label(static_cast<int>(i));
    const OrientedPoint& a = point(reference, label);
    const OrientedPoint& b = point(result, label);
    // Leaving one ray out moves P9 by about its own precision; nothing
    // else may move by more than a fraction of it.
    const double allowed = label == "P9" ? 3 * length(a.sigma) : 0.3 * length(a.sigma) + 0.01;
    EXPECT_LT(length(a.position - b.position), allowed) << label;
  }
  EXPECT_LT(result.rms_px, 0.4);
}

TEST(Orientation, SurveyedPointsGiveTheirFrameAndDistancesAreChecked) {
  OrientationScene scene = ring_scene(test_support::pinhole_camera(), 0.1, 13);
  // The surveyed frame: the scene turned a quarter about Y and moved.
  const auto surveyed_of = [](const Vec3& p) { return Vec3{p.z + 5000, p.y + 200, -p.x - 1000}; };
  for (int i : {4, 9, 17, 30}) {
    const std::string label = test_support::tie_label(i);
    scene.input.surveyed.push_back({label, surveyed_of(scene.points[static_cast<std::size_t>(i)])});
  }
  scene.input.distances = {{"P0", "P1", 600.0}, {"P0", "P2", 400.0}};
  const OrientationResult result = orient_photographs(scene.input);
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(result.datum, DatumKind::Surveyed);
  for (std::size_t i = 0; i < scene.points.size(); ++i) {
    const OrientedPoint& p = point(result, test_support::tie_label(static_cast<int>(i)));
    EXPECT_LT(length(p.position - surveyed_of(scene.points[i])), 1.0);
    if (p.surveyed) {
      EXPECT_LT(length(p.surveyed_residual), 1.0);
    }
  }
  ASSERT_EQ(result.distance_misfits.size(), 2u);
  EXPECT_NEAR(result.distance_misfits[0].misfit, 0, 0.5);
  // P0-P2 is really sqrt(100^2 + 400^2) long.
  EXPECT_NEAR(result.distance_misfits[1].misfit, std::hypot(100.0, 400.0) - 400, 0.5);
}

TEST(Orientation, DegenerateInputsGiveTheirFailures) {
  const auto failure_of = [](OrientationInput input) { return orient_photographs(std::move(input)).failure; };
  const OrientationScene scene = ring_scene(test_support::pinhole_camera(), 0.1);

  OrientationInput no_grid = scene.input;
  no_grid.camera = CameraModel{};
  EXPECT_EQ(failure_of(no_grid), OrientationFailure::NoCamera);

  OrientationInput one_photo = scene.input;
  one_photo.photographs.resize(1);
  EXPECT_EQ(failure_of(one_photo), OrientationFailure::TooFewSharedMarks);

  OrientationInput unknown = scene.input;
  unknown.distances = {{"P0", "Q1", 100}};
  const OrientationResult unknown_result = orient_photographs(unknown);
  EXPECT_EQ(unknown_result.failure, OrientationFailure::UnknownLabel);
  EXPECT_NE(unknown_result.message.find("Q1"), std::string::npos);

  OrientationInput to_itself = scene.input;
  to_itself.distances = {{"P3", "P3", 100}};
  EXPECT_EQ(failure_of(to_itself), OrientationFailure::InvalidDistance);
  to_itself.distances = {{"P3", "P4", -1}};
  EXPECT_EQ(failure_of(to_itself), OrientationFailure::InvalidDistance);

  // P0, P1 and the point halfway between them.
  OrientationInput axes_on_line = test_support::orientation_scene(
                                      test_support::pinhole_camera(),
                                      [] {
                                        std::vector<Vec3> p = scene_points(7);
                                        p[2] = {300, 0, 0};
                                        return p;
                                      }(),
                                      test_support::ring_eyes(5, kTarget, 1600, 700, 150), kTarget, 0.1, 7)
                                      .input;
  axes_on_line.axes = DatumAxes{"P0", "P1", "P2"};
  EXPECT_EQ(failure_of(axes_on_line), OrientationFailure::AxesOnOneLine);

  std::vector<Vec3> line;
  for (int i = 0; i < 12; ++i) line.push_back({50.0 * i, 10.0 * i, -20.0 * i});
  EXPECT_EQ(
      failure_of(test_support::orientation_scene(test_support::pinhole_camera(), line,
                                                 test_support::ring_eyes(4, kTarget, 1600, 700, 120), kTarget, 0.0, 3)
                     .input),
      OrientationFailure::PosesUndetermined);

  // Every photograph from one place, turned: no baseline.
  OrientationInput no_baseline = scene.input;
  {
    ProjectImage image;
    image.camera = &no_baseline.camera;
    no_baseline.marks.clear();
    for (int k = 0; k < 3; ++k) {
      const CameraPose pose = pose_looking_at({300, 700, 1500}, {200.0 + 100 * k, 200, -150}, {0, 1, 0});
      for (std::size_t i = 0; i < scene.points.size(); ++i) {
        const Point2 at = PreparedPose(image, pose).project(scene.points[i], false);
        no_baseline.marks.push_back({100 + k, test_support::tie_label(static_cast<int>(i)), at});
      }
    }
    no_baseline.photographs.resize(3);
  }
  EXPECT_EQ(failure_of(no_baseline), OrientationFailure::PosesUndetermined);

  OrientationInput not_located = scene.input;
  not_located.marks.push_back({100, "LONE", {10, 10}});
  not_located.distances = {{"P0", "LONE", 100}};
  EXPECT_EQ(failure_of(not_located), OrientationFailure::LabelNotLocated);
}

TEST(Orientation, SparsePhotographsAreListedAndTheFrameWithoutDatumIsArbitrary) {
  OrientationScene scene = ring_scene(test_support::pinhole_camera(), 0.1);
  // A sixth photograph sees three points only.
  scene.input.photographs.push_back(scene.input.photographs.back());
  scene.input.photographs.back().id = 200;
  for (const char* label : {"P3", "P4", "P5"}) scene.input.marks.push_back({200, label, {5, 5}});
  // A photograph of another size than the camera's: half size.
  scene.input.photographs[1].size_differs = true;
  scene.input.photographs[1].texture_scale = 0.5;
  scene.input.photographs[1].texture_centre_x = 568;
  scene.input.photographs[1].texture_centre_y = 426;
  for (OrientationMark& m : scene.input.marks)
    if (m.photograph_id == 101) m.position = {m.position.x * 0.5 - 568, m.position.y * 0.5 - 426};

  const OrientationResult result = orient_photographs(scene.input);
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(result.too_few_marks, std::vector<int>{200});
  EXPECT_FALSE(result.photographs.back().oriented);
  EXPECT_TRUE(result.photographs[1].oriented);
  EXPECT_LT(result.photographs[1].rms_px, 0.3);
  EXPECT_EQ(result.datum, DatumKind::Arbitrary);
  EXPECT_EQ(result.warnings.size(), 1u);
  // Arbitrary, but the shape is right: ratios of distances hold.
  const double ratio = length(point(result, "P1").position - point(result, "P0").position) /
                       length(point(result, "P2").position - point(result, "P0").position);
  EXPECT_NEAR(ratio, 600 / std::hypot(100.0, 400.0), 1e-3);
}

// The angle (degrees) between the turn from photograph a to photograph b in
// a result and the same turn in the truth, whatever the result's frame.
double turn_error_deg(const CameraPose& a, const CameraPose& b, const CameraPose& true_a, const CameraPose& true_b) {
  const auto rows = [](const CameraPose& pose) {
    ProjectImage image;
    image.pose = pose;
    return PoseFrame::of(image).rows;
  };
  const std::array<Vec3, 3> ra = rows(a), rb = rows(b), ta = rows(true_a), tb = rows(true_b);
  // trace((Rb Ra^T) (Tb Ta^T)^T)
  double trace = 0;
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) trace += dot(rb[i], ra[j]) * dot(tb[i], ta[j]);
  return std::acos(std::clamp((trace - 1) / 2, -1.0, 1.0)) / kDegreesToRadians;
}

TEST(Orientation, APhotographOfAFloorPatchIsNeverOrientedAsItsTwin) {
  // Three photographs of a floor from 60 degrees around it. The first two
  // share a box standing on it and ties across it, so their pair is sound.
  // The third shares with both only twelve ties in one 80 mm patch, and
  // with the first 35 more ties across the floor. Through 1 px of noise the
  // pose from the patch alone can be far off; the pose then comes from the
  // pair with the first photograph, whose marks all lie on the floor and
  // so fit a twin pose about 60 degrees off as well as the right one.
  // Seeds 13, 24, 35 and 38 take that path: the pair gives the twin in 13,
  // 24 and 35, the right pose in 38. The twin in 13 puts seven of the
  // twelve located points on their rays.
  const Vec3 target{300, 0, -200};
  int oriented_right = 0;
  for (unsigned seed : {13u, 24u, 35u, 38u}) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1), patch(-40, 40);
    std::vector<Vec3> points;
    std::map<std::string, std::vector<int>> seen_by;  // photograph ids
    const auto add = [&](const Vec3& p, std::vector<int> photographs) {
      seen_by[test_support::tie_label(static_cast<int>(points.size()))] = std::move(photographs);
      points.push_back(p);
    };
    for (int i = 0; i < 12; ++i) add({300 + patch(rng), 0, -200 + patch(rng)}, {100, 101, 102});
    for (int i = 0; i < 25; ++i) add({600 * unit(rng), 0, -400 * unit(rng)}, {100, 101});
    for (int i = 0; i < 25; ++i) add({600 * unit(rng), 300 * unit(rng), -400 * unit(rng)}, {100, 101});
    for (int i = 0; i < 35; ++i) add({600 * unit(rng), 0, -400 * unit(rng)}, {100, 102});
    OrientationScene scene = test_support::orientation_scene(
        test_support::pinhole_camera(), points, test_support::ring_eyes(3, target, 1000, 800, 60), target, 1.0, seed);
    std::erase_if(scene.input.marks, [&](const OrientationMark& m) {
      const std::vector<int>& ids = seen_by.at(m.label);
      return std::find(ids.begin(), ids.end(), m.photograph_id) == ids.end();
    });

    const OrientationResult result = orient_photographs(scene.input);
    ASSERT_TRUE(result.ok()) << seed << ": " << result.message;
    const std::vector<OrientedPhotograph>& photos = result.photographs;
    ASSERT_TRUE(photos[0].oriented && photos[1].oriented) << seed;
    EXPECT_LT(turn_error_deg(photos[0].pose, photos[1].pose, scene.poses[0], scene.poses[1]), 5.0) << seed;
    if (!photos[2].oriented) continue;
    // Within the pose's precision through this noise, far from the twin.
    EXPECT_LT(turn_error_deg(photos[0].pose, photos[2].pose, scene.poses[0], scene.poses[2]), 5.0) << seed;
    ++oriented_right;
  }
  // Refusing the twin must not refuse the right pose.
  EXPECT_GE(oriented_right, 1);
}

}  // namespace
}  // namespace plenvista
