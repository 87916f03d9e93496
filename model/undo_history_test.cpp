#include "model/undo_history.h"

#include <gtest/gtest.h>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "model/undo_commands.h"

namespace plenvista {
namespace {

using test_support::snapshot;
using UndoHistoryMove = test_support::EditFixture;
using UndoHistoryBeginAction = test_support::EditFixture;
using UndoCommand = test_support::EditFixture;
using UndoReplay = test_support::EditFixture;

TEST_F(UndoHistoryMove, UndoAndRedoKeepIdsAndTheCounter) {
  ModelPoint* first = add_point(project, 1, 2, 3);
  const int first_id = first->id;
  const int second_id = add_point(project, 4, 5, 6)->id;
  const int next = model.next_id;

  EXPECT_TRUE(project.undo.move(model, -1));
  ASSERT_EQ(model.points.count(), 1);
  EXPECT_EQ(model.points.first()->id, first_id);
  EXPECT_EQ(model.points.first()->position(), (Vec3{1, 2, 3}));
  EXPECT_EQ(model.next_id, next);
  EXPECT_EQ(project.undo.position, 1);

  EXPECT_TRUE(project.undo.move(model, +1));
  ASSERT_EQ(model.points.count(), 2);
  EXPECT_EQ(model.points.last()->id, second_id);
  EXPECT_EQ(model.points.last()->position(), (Vec3{4, 5, 6}));
  EXPECT_EQ(model.points.last()->layer, model.current_layer);
  EXPECT_EQ(model.next_id, next);
}

TEST_F(UndoHistoryMove, PastEitherEndLeavesTheModelAlone) {
  add_point(project, 1, 0, 0);
  const ModelPoint* kept = model.points.first();
  EXPECT_FALSE(project.undo.move(model, +1));
  EXPECT_EQ(model.points.first(), kept);
  EXPECT_EQ(project.undo.position, 1);
  EXPECT_FALSE(project.undo.move(model, -5));
  EXPECT_EQ(model.points.first(), kept);
  EXPECT_EQ(project.undo.position, 0);
}

TEST_F(UndoHistoryBeginAction, DropsTheRedoTail) {
  add_point(project, 1, 0, 0);
  add_point(project, 2, 0, 0);
  project.undo.move(model, -1);
  add_point(project, 3, 0, 0);
  EXPECT_EQ(project.undo.actions.count(), 2);
  EXPECT_EQ(project.undo.position, 2);
  EXPECT_EQ(project.undo.recording, nullptr);
  const test_support::ModelSnapshot before = snapshot(model);
  EXPECT_FALSE(project.undo.move(model, +1));
  EXPECT_EQ(snapshot(model), before);
  project.undo.move(model, -1);
  ASSERT_EQ(model.points.count(), 1);
  EXPECT_EQ(model.points.first()->x, 1.0);
}

TEST_F(UndoHistoryMove, RestoresTheBaselineTakenAtReset) {
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  add_face(project, *a, *b, *c);
  project.undo.reset_baseline(model);
  const test_support::ModelSnapshot baseline = snapshot(model);
  select_only({a});
  delete_points(project);
  ASSERT_EQ(model.faces.count(), 0);
  project.undo.move(model, -1);
  EXPECT_EQ(snapshot(model), baseline);
  EXPECT_FALSE(project.undo.move(model, -1));
}

TEST_F(UndoCommand, ClearsTheSelectionPicksAndMarksModified) {
  ModelPoint* a = add_point(project, 0, 0, 0);
  add_point(project, 1, 0, 0);
  project.point_mode = PointMode::Faces;
  a->selected = true;
  FacePicks picks;  // the image view's
  pick_face_corner(project, picks, *a);
  project.refresh_single_selection();
  ASSERT_EQ(project.single_selected, a);
  project.modified = false;
  notifier.posted.clear();

  undo_command(project);
  EXPECT_EQ(model.points.count(), 1);
  EXPECT_FALSE(model.points.first()->selected);
  EXPECT_EQ(project.single_selected, nullptr);
  EXPECT_EQ(held_face_picks(model, picks), 0);
  EXPECT_TRUE(project.modified);
  EXPECT_FALSE(project.changed());
  EXPECT_EQ(notifier.posted.back(), (test_support::Posted{Notification::ModelChanged, 0}));

  project.modified = false;
  undo_command(project);
  undo_command(project);  // past the start: nothing to undo, still modified
  EXPECT_EQ(model.points.count(), 0);
  EXPECT_TRUE(project.modified);
}

TEST_F(UndoReplay, FallsBackToTheCurrentLayerAndMaterialWhenDeleted) {
  Layer* doomed_layer = add_layer(project, "Doomed", 0x00FF00);
  Material* doomed_material = add_material(project, "Doomed");
  model.current_layer = doomed_layer;
  model.current_material = doomed_material;
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  add_face(project, *a, *b, *c);
  project.undo.reset_baseline(model);  // the baseline names both
  ModelPoint* d = add_point(project, 5, 5, 5);
  add_face(project, *a, *b, *d);  // and so do these entries

  // Move everything off them, then delete them.
  Layer* kept_layer = model.layers.first();
  Material* kept_material = model.materials.first();
  model.current_layer = kept_layer;
  model.current_material = kept_material;
  select_only({a, b, c, d});
  set_layer(project);
  select_only({a, b, c, d});
  set_material(project);
  ASSERT_TRUE(delete_layer(project, model.layers.index_of(doomed_layer)));
  ASSERT_TRUE(delete_material(project, model.materials.index_of(doomed_material)));

  project.undo.move(model, -2);  // before Set Layer and Set Material
  ASSERT_EQ(model.points.count(), 4);
  ASSERT_EQ(model.faces.count(), 2);
  EXPECT_EQ(test_support::broken_invariant(model), "");
  for (const ModelPoint* p : model.points) EXPECT_EQ(p->layer, kept_layer);
  for (const ModelFace* f : model.faces) EXPECT_EQ(f->material, kept_material);
  project.undo.move(model, +2);
  EXPECT_EQ(test_support::broken_invariant(model), "");
}

}  // namespace
}  // namespace plenvista
