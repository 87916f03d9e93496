// The project's side of an orientation: the engine's input taken from tie
// and control points, and a result stored as poses, tie point coordinates
// and mark residuals.

#include "photogrammetry/orientation_project.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/control_points.h"
#include "model/image_management.h"
#include "model/tie_points.h"
#include "model/undo_commands.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/sample_scene.h"

namespace plenvista {
namespace {

struct OrientationProject : ::testing::Test {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};

  // The sample's four photographs; corners 0 and 1 are control points, the
  // other corners tie points, every corner marked where the true pose shows
  // it, except that the last photograph marks only two.
  OrientationProject() {
    ImageSet& set = project.images();
    set.camera = test_support::pinhole_camera();
    EXPECT_TRUE(merge_control_points(project, {{"C0", sample::kHouseCorners[0]}, {"C1", sample::kHouseCorners[1]}}));
    for (const sample::Shot& shot : sample::kShots) {
      auto made = std::make_unique<ProjectImage>();
      made->file_name = shot.file;
      ProjectImage* image = add_image(project, std::move(made));
      image->camera = &set.camera;
      image->centre_x = set.camera.centre_x;
      image->centre_y = set.camera.centre_y;
      image->pixel_width = 2272;
      image->pixel_height = 1704;
      const PreparedPose pose(*image, sample::true_pose(shot));
      const std::size_t count = &shot == &sample::kShots.back() ? 2 : sample::kHouseCorners.size();
      for (std::size_t k = 0; k < count; ++k) {
        const Point2 at = pose.project(sample::kHouseCorners[k], true);
        const std::string label = k < 2 ? "C" + std::to_string(k) : "T" + std::to_string(k);
        import_labelled_marks(project, {{label, at, shot.file, 1}});
      }
    }
  }

  OrientationResult truth() const {
    OrientationResult result;
    for (std::size_t k = 0; k < sample::kShots.size(); ++k) {
      const bool last = k + 1 == sample::kShots.size();
      result.photographs.push_back({project.images().images.at(static_cast<int>(k))->id, !last,
                                    last ? CameraPose{} : sample::true_pose(sample::kShots[k]), 0.1, 10});
    }
    for (std::size_t k = 0; k < sample::kHouseCorners.size(); ++k) {
      OrientedPoint p;
      p.label = k < 2 ? "C" + std::to_string(k) : "T" + std::to_string(k);
      p.located = k != 9;
      p.position = sample::kHouseCorners[k];
      p.sigma = {0.1, 0.2, 0.3};
      p.rays = 3;
      p.max_angle_deg = 80;
      p.surveyed = k < 2;
      result.points.push_back(p);
    }
    result.outliers.push_back({"T5", project.images().images.first()->id, 7.5});
    result.too_few_marks.push_back(project.images().images.last()->id);
    return result;
  }
};

TEST_F(OrientationProject, InputTakesEveryLabelledMarkAndTheSurveyedPoints) {
  add_reference_point(project, *project.images().images.first(), {1, 1, 1}, {0, 0});  // no label: left out
  const OrientationInput input = orientation_input(project, {{"T2", "T3", 300}}, DatumAxes{"T2", "T3", "T4"});
  EXPECT_EQ(input.photographs.size(), 4u);
  EXPECT_EQ(input.marks.size(), 3 * 10u + 2);
  ASSERT_EQ(input.surveyed.size(), 2u);
  EXPECT_EQ(input.surveyed[1].label, "C1");
  EXPECT_EQ(input.distances[0].length, 300);
  EXPECT_TRUE(input.camera.has_tables());
  const ProjectImage& front = *project.images().images.first();
  EXPECT_EQ(input.marks[0].photograph_id, front.id);
  EXPECT_EQ(input.marks[0].position, front.reference_points.first()->image_position);
}

TEST_F(OrientationProject, AResultIsStoredWhereViewsSearchAndResidualsFindIt) {
  ProjectImage& front = *project.images().images.first();
  ProjectImage& last = *project.images().images.last();
  last.pose = {{1, 2, 3}, {4, 5, 6}};
  TiePoint& ridge = *find_tie_point(project.model, "T9");
  place_tie_point(project, ridge, Vec3{1, 1, 1});  // from an earlier orientation
  apply_orientation(project, truth());

  EXPECT_EQ(front.pose, sample::true_pose(sample::kShots[0]));
  EXPECT_EQ(front.pose_known, 1);
  EXPECT_EQ(front.marks_changed, 0);
  EXPECT_NEAR(front.search_score, 100, 1e-6);
  EXPECT_EQ(front.reference_points.count(), 9);  // T9 was not located: its mark left the search
  EXPECT_EQ(front.tie_marks.count(), 1);
  EXPECT_FALSE(ridge.position);
  EXPECT_EQ(last.pose, (CameraPose{{1, 2, 3}, {4, 5, 6}}));  // too few marks: left as it was

  const TiePoint& t5 = *find_tie_point(project.model, "T5");
  ASSERT_TRUE(t5.position && t5.precision);
  EXPECT_EQ(*t5.position, sample::kHouseCorners[5]);
  EXPECT_EQ(t5.precision->sigma_mm, (Vec3{0.1, 0.2, 0.3}));
  for (const ReferencePoint* r : front.reference_points) {
    ASSERT_TRUE(r->orientation_residual);
    EXPECT_LT(*r->orientation_residual, 1e-6);
    EXPECT_EQ(r->orientation_outlier, mark_label(project.model, *r) == "T5");
  }
  EXPECT_FALSE(last.reference_points.first()->orientation_residual);
}

TEST_F(OrientationProject, OrientingAndMarkingAreUndoneAndRedoneWhole) {
  ProjectImage& front = *project.images().images.first();
  ProjectImage& last = *project.images().images.last();
  const CameraPose unoriented = front.pose;
  apply_orientation_as_action(project, truth());
  project.note_change();
  ASSERT_TRUE(find_tie_point(project.model, "T5")->position);

  // A mark put on a placed tie point is a reference point; a second click in
  // the same photograph moves it instead of adding one.
  const int t5 = find_tie_point(project.model, "T5")->id;
  const int marks_before = last.reference_points.count() + last.tie_marks.count();
  ReferencePoint* mark = mark_point_at(project, last, t5, {100, 200});
  ASSERT_TRUE(mark);
  EXPECT_TRUE(last.reference_points.contains(mark));
  EXPECT_EQ(mark_point_at(project, last, t5, {110, 210}), mark);
  EXPECT_EQ(mark_pixel(last, *mark), (Point2{110, 210}));
  EXPECT_EQ(last.reference_points.count() + last.tie_marks.count(), marks_before + 1);
  EXPECT_EQ(project.undo.actions.count(), 3);

  undo_command(project);
  EXPECT_EQ(mark_pixel(last, *find_mark_of(last, t5)), (Point2{100, 200}));
  undo_command(project);
  EXPECT_FALSE(find_mark_of(last, t5));
  undo_command(project);  // the orientation
  EXPECT_EQ(front.pose, unoriented);
  EXPECT_FALSE(front.pose_known);
  EXPECT_FALSE(find_tie_point(project.model, "T5")->position);
  EXPECT_EQ(front.reference_points.count(), 2);  // the control points' marks only
  EXPECT_EQ(front.tie_marks.count(), 8);
  for (const ReferencePoint* r : front.reference_points) EXPECT_FALSE(r->orientation_residual);

  redo_command(project);
  EXPECT_EQ(front.pose, sample::true_pose(sample::kShots[0]));
  EXPECT_EQ(*find_tie_point(project.model, "T5")->position, sample::kHouseCorners[5]);
  redo_command(project);
  redo_command(project);
  EXPECT_EQ(mark_pixel(last, *find_mark_of(last, t5)), (Point2{110, 210}));
}

TEST_F(OrientationProject, NewTiePointsNeedAFreeLabel) {
  EXPECT_FALSE(add_tie_point(project, ""));
  EXPECT_FALSE(add_tie_point(project, "C0"));  // a control point's
  EXPECT_FALSE(add_tie_point(project, "T5"));
  const TiePoint* made = add_tie_point(project, "T10");
  ASSERT_TRUE(made);
  EXPECT_EQ(find_tie_point(project.model, "T10"), made);
  EXPECT_FALSE(mark_point_at(project, *project.images().images.first(), 123456, {1, 1}));  // no such point
}

}  // namespace
}  // namespace plenvista
