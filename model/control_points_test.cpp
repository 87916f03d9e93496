#include "model/control_points.h"

#include <gtest/gtest.h>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "model/image_management.h"
#include "model/undo_commands.h"

namespace plenvista {
namespace {

struct ControlPoints : test_support::EditFixture {
  ProjectImage* add(const std::string& file_name) {
    auto image = std::make_unique<ProjectImage>();
    image->file_name = file_name;
    ProjectImage* added = add_image(project, std::move(image));
    added->centre_x = 1136;
    added->centre_y = 852;
    return added;
  }
  ControlPoint& control(const std::string& label) { return *find_control_point(project.model, label); }
};

TEST_F(ControlPoints, EditingOneMovesItsReferencePointsAndUndoesInOneStep) {
  ASSERT_TRUE(merge_control_points(project, {{"A", {0, 0, 0}}, {"B", {600, 0, 0}}}));
  ProjectImage* front = add("front.jpg");
  ProjectImage* side = add("side.jpg");
  ReferencePoint* a_front = add_reference_from_control_point(project, *front, control("A"), {10, 20});
  ReferencePoint* b_front = add_reference_from_control_point(project, *front, control("B"), {30, 40});
  ReferencePoint* a_side = add_reference_from_control_point(project, *side, control("A"), {50, 60});
  ReferencePoint* typed = add_reference_point(project, *side, {0, 0, 0}, {70, 80});
  add_point(project, 1, 2, 3);  // an earlier model edit, which undo keeps
  for (ProjectImage* image : {front, side}) image->marks_changed = 0;

  EXPECT_EQ(move_control_points(project, {{&control("A"), {1, 2, 3}}}), 2);
  EXPECT_EQ(a_front->world_position, (Vec3{1, 2, 3}));
  EXPECT_EQ(a_side->world_position, (Vec3{1, 2, 3}));
  EXPECT_EQ(b_front->world_position, (Vec3{600, 0, 0}));
  EXPECT_EQ(typed->world_position, (Vec3{0, 0, 0}));  // typed by hand, not made from A
  EXPECT_EQ(front->marks_changed, 1);
  EXPECT_EQ(side->marks_changed, 1);
  EXPECT_EQ(project.undo.actions.count(), 2);

  for (ProjectImage* image : {front, side}) image->marks_changed = 0;
  undo_command(project);
  EXPECT_EQ(control("A").position, (Vec3{0, 0, 0}));
  EXPECT_EQ(a_front->world_position, (Vec3{0, 0, 0}));
  EXPECT_EQ(a_side->world_position, (Vec3{0, 0, 0}));
  EXPECT_EQ(front->marks_changed, 1);
  EXPECT_EQ(project.model.points.count(), 1);  // the point added before stays

  redo_command(project);
  EXPECT_EQ(a_side->world_position, (Vec3{1, 2, 3}));
  undo_command(project);
  undo_command(project);
  EXPECT_EQ(project.model.points.count(), 0);
  EXPECT_EQ(control("A").position, (Vec3{0, 0, 0}));  // added outside the history: still there
}

TEST_F(ControlPoints, MergeAddsNewLabelsAndMovesKnownOnesAsOneAction) {
  ASSERT_TRUE(merge_control_points(project, {{"A", {0, 0, 0}}, {"B", {1, 1, 1}}}));
  EXPECT_EQ(project.undo.actions.count(), 0);
  const auto merge = merge_control_points(project, {{"A", {0, 0, 0}}, {"B", {2, 2, 2}}, {"C", {3, 3, 3}}});
  ASSERT_TRUE(merge);
  EXPECT_EQ(merge->added, 1);
  EXPECT_EQ(merge->moved, 1);
  EXPECT_EQ(merge->unchanged, 1);
  EXPECT_EQ(project.undo.actions.count(), 1);
  undo_command(project);
  EXPECT_EQ(control("B").position, (Vec3{1, 1, 1}));
  EXPECT_EQ(control("C").position, (Vec3{3, 3, 3}));
}

TEST_F(ControlPoints, RemovedControlPointIsForgottenByItsReferencePoints) {
  ASSERT_TRUE(merge_control_points(project, {{"A", {0, 0, 0}}}));
  ProjectImage* front = add("front.jpg");
  ReferencePoint* r = add_reference_from_control_point(project, *front, control("A"), {1, 1});
  move_control_points(project, {{&control("A"), {5, 5, 5}}});
  remove_control_point(project, control("A"));
  EXPECT_EQ(r->control_point_id, 0);
  undo_command(project);  // replays nothing for the removed point
  EXPECT_EQ(r->world_position, (Vec3{5, 5, 5}));
}

TEST_F(ControlPoints, MarksGoToMatchingPhotographsCentreRelative) {
  ProjectImage* front = add("front.jpg");
  ASSERT_TRUE(merge_control_points(project, {{"A", {0, 0, 0}}}));
  const std::vector<ImageMark> marks{
      {{0, 0, 0}, {1136.5, 852.25}, "FRONT.JPG", std::nullopt, 1},  // case differs; unnamed but at A
      {{1, 2, 3}, {100, 200}, "photos/front.jpg", std::string("B"), 2},
      {{1, 2, 3}, {100, 200}, "front.jpg", std::string("B"), 3},  // the same mark again
      {{1, 2, 3}, {5, 5}, "back.jpg", std::string("B"), 4},
      {{1, 2, 3}, {6, 6}, "back.jpg", std::nullopt, 5},
  };
  EXPECT_TRUE(check_image_marks(project.model, marks).empty());
  const auto report = import_image_marks(project, marks);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->created, 2);
  EXPECT_EQ(report->already_present, 1);
  EXPECT_EQ(report->control_points_added, 1);
  EXPECT_EQ(report->images_not_found, std::vector<std::string>{"back.jpg"});
  ASSERT_EQ(front->reference_points.count(), 2);
  const ReferencePoint* first = front->reference_points.at(0);
  EXPECT_EQ(first->image_position, (Point2{0.5, 0.25}));
  EXPECT_EQ(first->control_point_id, control("A").id);
  EXPECT_EQ(front->reference_points.at(1)->image_position, (Point2{-1036, -652}));
  EXPECT_EQ(front->reference_points.at(1)->control_point_id, control("B").id);

  std::vector<ImageMark> conflicting{{{9, 9, 9}, {1, 1}, "front.jpg", std::string("A"), 7},
                                     {{1, 2, 3}, {4, 4}, "front.jpg", std::string("B"), 8}};
  const auto problems = drop_conflicting_marks(project.model, conflicting);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 7);
  ASSERT_EQ(conflicting.size(), 1u);  // what is left to import
  EXPECT_EQ(conflicting[0].line, 8);
}

}  // namespace
}  // namespace plenvista
