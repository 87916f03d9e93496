#include "photogrammetry/search_run.h"

#include <gtest/gtest.h>

#include <random>

#include "base/number_text.h"
#include "base/settings_store.h"
#include "model/image_management.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

using test_support::box_points;

struct SearchRunFixture : ::testing::Test {
  MemorySettingsStore settings;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{settings, notifier, messages};
  CameraModel& camera = project.images().camera;
  std::mt19937 rng{17};

  void SetUp() override { camera = test_support::pinhole_camera(); }

  // An image with n reference points marked where `pose` sees them.
  ProjectImage& add_marked_image(int n, const CameraPose& pose) {
    auto image = std::make_unique<ProjectImage>();
    image->id = project.model.new_id();
    ProjectImage& added = *add_image(project, std::move(image));
    added.pixel_width = 2272;
    added.pixel_height = 1704;
    const PreparedPose seen(added, pose);
    for (const Vec3& w : box_points(rng, n, {0, 0, 0}, {600, 500, 400}))
      add_reference_point(project, added, w, seen.project(w, false));
    return added;
  }
};

using SearchRunTick = SearchRunFixture;

const CameraPose kSeenFromFront{{-300, -250, -1800}, {3, -4, 1}};

TEST_F(SearchRunTick, WaitsFortyNineTicksThenSearchesTheFirstQualifyingImage) {
  ProjectImage& three = add_marked_image(3, kSeenFromFront);
  ProjectImage& four = add_marked_image(4, kSeenFromFront);
  SearchRun run(project);
  for (int t = 1; t <= 49; ++t) EXPECT_EQ(run.tick(), SearchRun::State::Waiting);
  EXPECT_EQ(run.image(), nullptr);
  EXPECT_EQ(four.pose, CameraPose{});
  EXPECT_TRUE(run.score_text().empty());

  run.tick();
  EXPECT_EQ(run.image(), &four);
  run.run_to_end();
  EXPECT_EQ(four.marks_changed, 0);
  EXPECT_EQ(four.pose_known, 1);
  EXPECT_GT(four.search_score, 99);
  EXPECT_EQ(three.marks_changed, 1);
  EXPECT_EQ(three.pose_known, 0);
  EXPECT_EQ(run.score_text(), "Score = " + format_fixed(four.search_score, 2) + "%");
}

TEST_F(SearchRunTick, WithoutAQualifyingImageEndsAtTickFifty) {
  ProjectImage& three = add_marked_image(3, kSeenFromFront);
  SearchRun run(project);
  for (int t = 1; t < 50; ++t) run.tick();
  EXPECT_EQ(run.tick(), SearchRun::State::Ended);
  EXPECT_EQ(run.image(), nullptr);
  EXPECT_EQ(three.pose, CameraPose{});
  EXPECT_EQ(three.marks_changed, 1);
  EXPECT_EQ(run.tick(), SearchRun::State::Ended);
  EXPECT_EQ(run.ticks(), 50);
}

TEST_F(SearchRunTick, EachTickEndsAtAnImprovingStepAndRedrawsEveryTwentieth) {
  ProjectImage& image = add_marked_image(6, kSeenFromFront);
  SearchRun run(project);
  for (int t = 1; t < 50; ++t) run.tick();
  notifier.posted.clear();
  std::vector<double> errors;
  std::vector<int> redraw_ticks;
  for (bool ended = false; !ended;) {
    ended = run.tick() == SearchRun::State::Ended;
    if (!ended && !run.search()->tried_more_starts()) errors.push_back(run.search()->state().best_error);
    for (const test_support::Posted& posted : notifier.posted) {
      EXPECT_EQ(posted.notification, Notification::RedrawViews);
      redraw_ticks.push_back(run.ticks());
    }
    notifier.posted.clear();
    EXPECT_EQ(run.offset_text(), "X : " + format_fixed(image.pose.offset.x, 2) +
                                     ", Y : " + format_fixed(image.pose.offset.y, 2) +
                                     ", Z : " + format_fixed(image.pose.offset.z, 2));
  }
  EXPECT_FALSE(run.search()->tried_more_starts());
  ASSERT_GT(errors.size(), 25u);
  for (std::size_t k = 1; k < errors.size(); ++k) EXPECT_LT(errors[k], errors[k - 1]) << k;
  for (std::size_t k = 0; k < redraw_ticks.size(); ++k) EXPECT_EQ(redraw_ticks[k], 69 + 20 * static_cast<int>(k));
  EXPECT_EQ(redraw_ticks.size(), static_cast<std::size_t>((run.ticks() - 49) / 20));
}

TEST_F(SearchRunTick, ClosingBeforeTheEndLeavesTheMarksChanged) {
  ProjectImage& image = add_marked_image(5, kSeenFromFront);
  {
    SearchRun run(project);
    for (int t = 1; t <= 52; ++t) run.tick();
    EXPECT_EQ(run.image(), &image);
  }
  EXPECT_EQ(image.marks_changed, 1);
  EXPECT_EQ(image.pose_known, 0);
  EXPECT_EQ(first_image_ready_for_search(project.images()), &image);
}

}  // namespace
}  // namespace plenvista
