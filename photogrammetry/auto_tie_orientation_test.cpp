// Automatic tie points in an orientation: left out of its input on request,
// and the ones with wrong marks removed after a stored result.

#include "photogrammetry/auto_tie_orientation.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/auto_ties.h"
#include "model/image_management.h"
#include "model/tie_points.h"
#include "model/undo_commands.h"
#include "photogrammetry/orientation_project.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/sample_scene.h"

namespace plenvista {
namespace {

// The sample's photographs at their true poses; corners 0-5 are the user's
// ties T0-T5, corners 6-9 automatic ties, auto-7's mark in the second
// photograph six pixels off.
struct AutoTieOrientation : ::testing::Test {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};

  AutoTieOrientation() {
    ImageSet& set = project.images();
    set.camera = test_support::pinhole_camera();
    std::vector<FoundTie> found(4);
    for (const sample::Shot& shot : sample::kShots) {
      auto made = std::make_unique<ProjectImage>();
      made->file_name = shot.file;
      ProjectImage* image = add_image(project, std::move(made));
      image->camera = &set.camera;
      image->centre_x = set.camera.centre_x;
      image->centre_y = set.camera.centre_y;
      const PreparedPose pose(*image, sample::true_pose(shot));
      for (std::size_t k = 0; k < sample::kHouseCorners.size(); ++k) {
        Point2 at = pose.project(sample::kHouseCorners[k], true);
        if (k < 6) {
          import_labelled_marks(project, {{"T" + std::to_string(k), at, shot.file, 1}});
          continue;
        }
        if (k == 7 && &shot == &sample::kShots[1]) at.x += 6;
        found[k - 6].push_back({image->id, at});
      }
    }
    EXPECT_EQ(*add_automatic_ties(project, found), (std::vector<std::string>{"auto-1", "auto-2", "auto-3", "auto-4"}));
  }

  // Every photograph at its true pose, every point where it truly is.
  OrientationResult truth(bool with_auto) const {
    OrientationResult result;
    for (std::size_t k = 0; k < sample::kShots.size(); ++k)
      result.photographs.push_back(
          {project.images().images.at(static_cast<int>(k))->id, true, sample::true_pose(sample::kShots[k]), 0.1, 10});
    for (std::size_t k = 0; k < sample::kHouseCorners.size(); ++k) {
      if (k >= 6 && !with_auto) break;
      OrientedPoint p;
      p.label = k < 6 ? "T" + std::to_string(k) : "auto-" + std::to_string(k - 5);
      p.located = true;
      p.position = sample::kHouseCorners[k];
      result.points.push_back(p);
    }
    return result;
  }
};

TEST_F(AutoTieOrientation, LeavingThemOutKeepsTheUsersTies) {
  OrientationInput input = orientation_input(project, {}, std::nullopt);
  EXPECT_EQ(input.marks.size(), 40u);
  EXPECT_EQ(leave_out_automatic_ties(input), 16);
  ASSERT_EQ(input.marks.size(), 24u);
  for (const OrientationMark& m : input.marks) EXPECT_EQ(m.label[0], 'T');

  // An orientation without them leaves them unplaced, and none is removed.
  apply_orientation(project, truth(false));
  EXPECT_TRUE(remove_poor_automatic_ties(project).empty());
  EXPECT_EQ(project.model.tie_points.count(), 10);
}

TEST_F(AutoTieOrientation, TheOnesWithLargeResidualsOrOutliersGoAfterAnOrientation) {
  OrientationResult result = truth(true);
  result.outliers.push_back({"auto-4", project.images().images.first()->id, 9.0});
  result.outliers.push_back({"T5", project.images().images.first()->id, 9.0});  // the user's: kept
  apply_orientation(project, result);
  EXPECT_EQ(remove_poor_automatic_ties(project), (std::vector<std::string>{"auto-2", "auto-4"}));

  EXPECT_FALSE(find_tie_point(project.model, "auto-2"));
  EXPECT_TRUE(find_tie_point(project.model, "auto-3"));
  EXPECT_TRUE(find_tie_point(project.model, "T5"));
  for (const ProjectImage* image : project.images().images) {
    EXPECT_EQ(image->reference_points.count(), 8);  // T0-T5, auto-1, auto-3
    EXPECT_TRUE(image->tie_marks.empty());
  }
  // Six pixels are too many for 2 px, not for 8.
  EXPECT_TRUE(remove_poor_automatic_ties(project, 8.0).empty());
}

TEST_F(AutoTieOrientation, FindingThemAndWeedingThemOutAreUndoneAndRedoneWhole) {
  // The fixture's ties again, this time as the window adds them.
  std::vector<FoundTie> found(2);
  for (const ProjectImage* image : project.images().images)
    for (std::size_t k = 0; k < 2; ++k)
      found[k].push_back(
          {image->id,
           mark_pixel(*image,
                      *find_mark_of(*image, find_tie_point(project.model, "auto-" + std::to_string(k + 1))->id))});
  delete_automatic_ties(project);
  EXPECT_EQ(*add_automatic_ties_as_action(project, found), (std::vector<std::string>{"auto-1", "auto-2"}));
  const ProjectImage& first = *project.images().images.first();
  EXPECT_EQ(first.tie_marks.count(), 8);
  EXPECT_EQ(project.undo.actions.count(), 1);

  undo_command(project);
  EXPECT_FALSE(find_tie_point(project.model, "auto-1"));
  EXPECT_EQ(project.model.tie_points.count(), 6);
  EXPECT_EQ(first.tie_marks.count(), 6);
  redo_command(project);
  ASSERT_TRUE(find_tie_point(project.model, "auto-2"));
  EXPECT_EQ(first.tie_marks.count(), 8);

  // An orientation that weeds auto-2 out: Undo brings it back with its
  // marks, Redo removes it again.
  OrientationResult result = truth(true);
  result.points.resize(8);
  result.outliers.push_back({"auto-2", first.id, 9.0});
  EXPECT_EQ(apply_orientation_as_action(project, result, true), (std::vector<std::string>{"auto-2"}));
  undo_command(project);
  ASSERT_TRUE(find_tie_point(project.model, "auto-2"));
  EXPECT_EQ(first.tie_marks.count(), 8);
  redo_command(project);
  EXPECT_FALSE(find_tie_point(project.model, "auto-2"));
  EXPECT_EQ(first.reference_points.count() + first.tie_marks.count(), 7);
}

}  // namespace
}  // namespace plenvista
