#include "photogrammetry/camera_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "photogrammetry/projection.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

using test_support::box_points;
using test_support::SearchScene;

// The summed error of a pose taken the plain way: written into the image
// and every point projected one at a time.
double plain_summed_error(ProjectImage& image, const CameraPose& pose) {
  const CameraPose kept = image.pose;
  image.pose = pose;
  double sum = 0.0;
  for (const ReferencePoint* p : image.reference_points)
    sum += normalised_error(project_to_image(p->world_position, image, false), p->image_position, image);
  image.pose = kept;
  return sum;
}

// Checks one refine step against every candidate it had: each pose value
// one step (model size / 50 / divisor, or 1 / divisor degrees) down, kept
// or up. The step must land on a candidate whose plain error is its best
// error, and no candidate may be plainly better. Returns the step's result.
bool checked_refine_step(ProjectImage& image, SearchState& state) {
  const CameraPose base = image.pose;
  const double h = state.model_size / 50;
  const double r = state.step_divisor;
  const bool finished = refine_step(image, state);
  const double best = state.best_error;
  EXPECT_EQ(plain_summed_error(image, image.pose), best);
  bool landed_on_candidate = false;
  for (int i1 = -1; i1 <= 1; ++i1)
    for (int i2 = -1; i2 <= 1; ++i2)
      for (int i3 = -1; i3 <= 1; ++i3)
        for (int i4 = -1; i4 <= 1; ++i4)
          for (int i5 = -1; i5 <= 1; ++i5)
            for (int i6 = -1; i6 <= 1; ++i6) {
              const CameraPose candidate{
                  {base.offset.x + i1 * h / r, base.offset.y + i2 * h / r, base.offset.z + i3 * h / r},
                  {base.rotation.x + i4 / r, base.rotation.y + i5 / r, base.rotation.z + i6 / r}};
              landed_on_candidate |= candidate == image.pose;
              EXPECT_FALSE(plain_summed_error(image, candidate) < best);
            }
  EXPECT_TRUE(landed_on_candidate);
  return finished;
}

// Whole search: the initial scan, then steps until one finishes or more than
// 2000 did not.
template <typename Step>
int whole_search(ProjectImage& image, SearchState& state, Step step) {
  initial_scan(image, state);
  int steps = 0;
  for (int without_finish = 0;; ++without_finish) {
    ++steps;
    if (step(image, state) || without_finish > 2000) return steps;
  }
}

void expect_same_bits(const CameraPose& a, const CameraPose& b) {
  EXPECT_EQ(a.offset.x, b.offset.x);
  EXPECT_EQ(a.offset.y, b.offset.y);
  EXPECT_EQ(a.offset.z, b.offset.z);
  EXPECT_EQ(a.rotation.x, b.rotation.x);
  EXPECT_EQ(a.rotation.y, b.rotation.y);
  EXPECT_EQ(a.rotation.z, b.rotation.z);
}

TEST(ModelSize, TakesAbsoluteValuesBeforeTheDifference) {
  SearchScene scene;
  scene.mark({{100, -20, 5}, {300, 40, -50}, {200, 0, 0}}, {});
  // x: 300 - 100; y: |40| - |-20|; z: | |5| - |-50| |.
  EXPECT_DOUBLE_EQ(model_size(scene.image), 200 + 20 + 45);
}

TEST(ModelSize, SymmetricRangeContributesNothing) {
  SearchScene scene;
  scene.mark({{-500, 0, 0}, {500, 0, 0}, {0, 0, 0}, {250, 0, 0}}, {{0, 0, -3000}, {0, 0, 0}});
  EXPECT_EQ(model_size(scene.image), 0.0);
}

TEST(RefineStep, SymmetricXRangeMovesOnlyTheAngles) {
  SearchScene scene;
  scene.mark({{-500, 0, 0}, {500, 0, 0}, {0, 0, 0}, {250, 0, 0}}, {{0, 0, -3000}, {0, 0, 0}});
  initial_scan(scene.image, scene.search);
  const CameraPose start = scene.image.pose;
  EXPECT_EQ(start.offset, (Vec3{0, 0, 0}));
  bool finished = false;
  for (int k = 0; k < 3000 && !finished; ++k) finished = refine_step(scene.image, scene.search);
  EXPECT_TRUE(finished);
  EXPECT_EQ(scene.image.pose.offset, (Vec3{0, 0, 0}));
  EXPECT_NE(scene.image.pose.rotation, start.rotation);
}

TEST(RefineStep, FirstCandidateIsTakenAndTiesKeepIt) {
  // Without reference points every candidate's error is 0: the first one in
  // nesting order (every value one step down) is taken, none replaces it.
  SearchScene scene;
  scene.search.model_size = 50;
  scene.image.pose = {{1, 2, 3}, {4, 5, 6}};
  EXPECT_FALSE(refine_step(scene.image, scene.search));
  expect_same_bits(scene.image.pose,
                   {{1 - 1 / 0.1, 2 - 1 / 0.1, 3 - 1 / 0.1}, {4 - 1 / 0.1, 5 - 1 / 0.1, 6 - 1 / 0.1}});
  EXPECT_EQ(scene.search.best_error, 0.0);
  EXPECT_EQ(scene.search.accepted_error, 0.0);
  EXPECT_EQ(scene.search.step_divisor, 0.1);
}

TEST(RefineStep, DivisorDoublesUntilItPassesAThousand) {
  SearchScene scene;
  scene.search.model_size = 50;
  int steps = 1;
  EXPECT_FALSE(refine_step(scene.image, scene.search));
  const CameraPose moved = scene.image.pose;
  while (!refine_step(scene.image, scene.search)) {
    ++steps;
    ASSERT_LT(steps, 100);
  }
  // One improving step, then 14 without: 0.1 * 2^14 = 1638.4.
  EXPECT_EQ(steps + 1, 15);
  EXPECT_DOUBLE_EQ(scene.search.step_divisor, 1638.4);
  EXPECT_EQ(scene.image.pose, moved);
}

TEST(RefineStep, ImprovingStepKeepsTheDivisorAndCarriesTheBestError) {
  std::mt19937 rng(3);
  SearchScene scene;
  scene.mark(box_points(rng, 8, {0, 0, 0}, {400, 300, 200}), {{-200, -150, -2500}, {2, -3, 1}});
  scene.search.model_size = model_size(scene.image);
  scene.image.pose = {{-150, -100, -2300}, {0, 0, 0}};
  EXPECT_FALSE(refine_step(scene.image, scene.search));
  EXPECT_EQ(scene.search.step_divisor, 0.1);
  const double first = scene.search.best_error;
  EXPECT_EQ(first, summed_error(scene.image));
  EXPECT_FALSE(refine_step(scene.image, scene.search));
  EXPECT_LT(scene.search.best_error, first);
  EXPECT_EQ(scene.search.step_divisor, 0.1);
  EXPECT_EQ(scene.search.best_error, summed_error(scene.image));
}

TEST(RefineStep, EveryStepTakesTheBestCandidateOnRandomScenes) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> angle(-20, 20);
  std::uniform_real_distribution<double> noise(-30, 30);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    const int n = 4 + round * 3;
    const std::vector<Vec3> points = box_points(rng, n, {-100, 50, -300}, {700, 600, 400});
    const CameraPose truth{{-300, -300, -4000 - 500.0 * round}, {angle(rng), angle(rng), angle(rng)}};
    SearchScene scene;
    scene.mark(points, truth);
    // Marks off by a few pixels, and on odd rounds a photograph of unknown size.
    for (ReferencePoint* p : scene.image.reference_points) {
      const Point2 shift{noise(rng), noise(rng)};
      p->image_position = {p->image_position.x + shift.x, p->image_position.y + shift.y};
    }
    if (round % 2) scene.image.pixel_width = scene.image.pixel_height = 0;
    // Every step is checked, up to the end or the step limit.
    whole_search(scene.image, scene.search, checked_refine_step);
  }
}

TEST(InitialScan, StartsFromTheStartThatFitsBestWithTheSearchReset) {
  // Marks taken from a camera at one of the starting poses: that start fits
  // exactly, so the scan settles on it whichever side it looks from.
  std::mt19937 rng(5);
  const std::vector<Vec3> points = box_points(rng, 6, {0, 0, 0}, {500, 500, 500});
  SearchScene probe;
  probe.mark(points, {});
  const double s = model_size(probe.image);
  for (const CameraPose& start : {CameraPose{{s, 0, 0}, {0, 90, 0}}, CameraPose{{0, 0, s}, {0, 180, 0}}}) {
    SCOPED_TRACE(start.rotation.y);
    SearchScene scene;
    scene.mark(points, start);
    scene.image.pose = {{1, 2, 3}, {4, 5, 6}};
    initial_scan(scene.image, scene.search);
    expect_same_bits(scene.image.pose, start);
    EXPECT_EQ(scene.search.model_size, s);
    EXPECT_EQ(scene.search.best_error, -1.0);
    EXPECT_EQ(scene.search.accepted_error, -1.0);
    EXPECT_EQ(scene.search.step_divisor, 0.1);
  }
}

TEST(FinishSearch, ScoresProjectsAndFlagsOutliers) {
  std::mt19937 rng(8);
  SearchScene scene;
  scene.mark(box_points(rng, 5, {0, 0, 0}, {300, 300, 300}), {{-150, -150, -2000}, {3, 4, 5}});
  scene.image.pose = scene.truth;
  scene.image.pixel_width = scene.image.pixel_height = 0;  // errors in raw pixels
  ReferencePoint& off = *scene.image.reference_points.at(1);
  const Point2 true_position = off.image_position;
  off.image_position = {true_position.x + 9, true_position.y + 12};  // 15: not above 15
  ReferencePoint& far = *scene.image.reference_points.at(3);
  far.image_position = {far.image_position.x, far.image_position.y - 15.5};
  scene.search.best_error = summed_error(scene.image);
  finish_search(scene.image, scene.search);

  EXPECT_EQ(scene.image.marks_changed, 0);
  EXPECT_EQ(scene.image.pose_known, 1);
  EXPECT_NEAR(off.projected_position.x, true_position.x, 1e-9);
  EXPECT_NEAR(off.projected_position.y, true_position.y, 1e-9);
  EXPECT_EQ(off.outlier, 0);
  EXPECT_EQ(far.outlier, 1);
  EXPECT_EQ(scene.image.reference_points.at(0)->outlier, 0);
  EXPECT_NEAR(scene.image.search_score, 100 - (30.5 / 5) * (30.5 / 5), 1e-9);
}

TEST(SearchScoreFor, PerfectFitIsAHundredAndMeanErrorTenIsZero) {
  EXPECT_EQ(search_score_for(0.0, 4), 100.0);
  EXPECT_EQ(search_score_for(40.0, 4), 0.0);
  EXPECT_EQ(search_score_for(80.0, 4), 0.0);
  EXPECT_EQ(search_score_for(20.0, 4), 75.0);
  EXPECT_EQ(search_score_for(5.0, 0), 75.0);
  EXPECT_EQ(search_score_for(std::nan(""), 4), 0.0);
}

TEST(AllInFront, NeedsEveryPointAtPositiveDepth) {
  SearchScene scene;
  scene.mark({{0, 0, 0}, {0, 0, 100}}, {});
  EXPECT_TRUE(all_in_front(scene.image, {{0, 0, -101}, {0, 0, 0}}));
  EXPECT_FALSE(all_in_front(scene.image, {{0, 0, -100}, {0, 0, 0}}));
  EXPECT_FALSE(all_in_front(scene.image, {{0, 0, -101}, {0, 180, 0}}));
}

}  // namespace
}  // namespace plenvista
