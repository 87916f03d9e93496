#include "model/translation.h"

#include <gtest/gtest.h>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "model/layers_materials.h"
#include "model/undo_commands.h"

namespace plenvista {
namespace {

using test_support::snapshot;
using ApplyTranslation = test_support::EditFixture;
using CommitMirror = test_support::EditFixture;

TranslationEdit plane_edit(MirrorPlane plane) {
  TranslationEdit edit;
  edit.plane = plane;
  return edit;
}

TEST_F(ApplyTranslation, FirstPlaneDeletesTheMirroredSideAsOneUndoableAction) {
  ModelPoint* far_left = add_point(project, -10, 0, 0);
  ModelPoint* just_left = add_point(project, -4.01, 1, 0);
  ModelPoint* edge = add_point(project, -4.0, 0, 0);
  ModelPoint* near = add_point(project, 3.99, 0, 0);
  ModelPoint* right = add_point(project, 8, 0, 0);
  add_face(project, *far_left, *edge, *right);
  ModelFace* kept_face = add_face(project, *edge, *near, *right);
  const int far_id = far_left->id;
  const int just_id = just_left->id;
  const test_support::ModelSnapshot before = snapshot(model);
  const int actions = project.undo.actions.count();
  ASSERT_TRUE(translation_deletes_mirrored_side(model, MirrorPlane::X));
  project.modified = false;

  apply_translation(project, plane_edit(MirrorPlane::X));
  EXPECT_EQ(model.transform.mirror_plane, MirrorPlane::X);
  EXPECT_EQ(model.show_mirror_points, 1);
  EXPECT_EQ(model.points.find(far_id), nullptr);
  EXPECT_EQ(model.points.find(just_id), nullptr);
  EXPECT_EQ(model.points.count(), 3);
  ASSERT_EQ(model.faces.count(), 1);
  EXPECT_EQ(model.faces.first(), kept_face);
  EXPECT_EQ(project.undo.actions.count(), actions + 1);
  EXPECT_EQ(project.undo.actions.last()->name, "Delete Points");
  EXPECT_TRUE(project.modified);
  // -4.0 lies on the band's edge: it is mirrored to +4.0, 8 to -8.
  EXPECT_EQ(model.mirror_points.count(), 2);
  EXPECT_EQ(model.mirror_faces.count(), 1);

  undo_command(project);
  EXPECT_EQ(snapshot(model), before);
  EXPECT_EQ(model.transform.mirror_plane, MirrorPlane::X);  // the transform is outside the history
  EXPECT_EQ(test_support::broken_invariant(model), "");
}

TEST_F(ApplyTranslation, AnotherPlaneOrNoneDeletesNothing) {
  add_point(project, -10, -10, 0);
  ModelPoint* a = add_point(project, 10, 10, 0);
  ModelPoint* b = add_point(project, 10, 20, 0);
  ModelPoint* c = add_point(project, 20, 20, 0);
  add_face(project, *a, *b, *c);
  apply_translation(project, plane_edit(MirrorPlane::X));
  ASSERT_EQ(model.points.count(), 3);
  const test_support::ModelSnapshot kept = snapshot(model);
  const int actions = project.undo.actions.count();

  EXPECT_FALSE(translation_deletes_mirrored_side(model, MirrorPlane::Y));
  TranslationEdit edit = plane_edit(MirrorPlane::Y);
  edit.origin_offset = {0, -50, 0};
  apply_translation(project, edit);
  EXPECT_EQ(snapshot(model), kept);
  EXPECT_EQ(model.mirror_points.count(), 3);

  notifier.posted.clear();
  apply_translation(project, plane_edit(MirrorPlane::None));
  EXPECT_EQ(snapshot(model), kept);
  EXPECT_EQ(project.undo.actions.count(), actions);
  EXPECT_EQ(model.show_mirror_points, 0);
  EXPECT_EQ(model.mirror_points.count(), 0);
  EXPECT_EQ(model.mirror_faces.count(), 0);
  EXPECT_EQ(notifier.posted.front(), (test_support::Posted{Notification::ImagesChanged, 0}));
}

TEST_F(ApplyTranslation, StoresTheEditedValuesAndRefreshesTheSelection) {
  ModelPoint* p = add_point(project, 1, 2, 3);
  p->selected = true;
  TranslationEdit edit;
  edit.origin_offset = {1, 1, 1};
  edit.scale = 2.0;
  edit.mirror_buffer = 0.5;
  apply_translation(project, edit);
  EXPECT_EQ(model.transform, (ProjectTransform{0, {1, 1, 1}, 0.5, 2.0, MirrorPlane::None}));
  EXPECT_EQ(project.single_selected, p);
  EXPECT_EQ(project.single_selected_transformed.position(), (Vec3{4, 6, 8}));
  EXPECT_TRUE(project.changed());
}

TEST_F(CommitMirror, TurnsTenPointsAndSixFacesIntoRecords) {
  Layer* commit_layer = add_layer(project, "Commit", 0);
  Material* commit_material = add_material(project, "Commit");
  apply_translation(project, plane_edit(MirrorPlane::X));
  std::vector<ModelPoint*> side;
  for (int i = 0; i < 10; ++i) side.push_back(add_point(project, 10 + i, i % 3, i));
  ModelPoint* band = add_point(project, 0, 0, 0);
  for (int i = 0; i < 5; ++i) add_face(project, *side[i], *side[i + 1], *side[i + 5]);
  add_face(project, *band, *side[0], *side[9]);
  ASSERT_EQ(model.mirror_points.count(), 10);
  ASSERT_EQ(model.mirror_faces.count(), 6);
  std::vector<Vec3> mirrored;
  for (const ModelPoint* m : model.mirror_points) mirrored.push_back(m->position());
  model.current_layer = commit_layer;
  model.current_material = commit_material;
  const test_support::ModelSnapshot before = snapshot(model);
  const int first_new = model.next_id;

  commit_mirror(project);
  EXPECT_EQ(model.points.count(), 21);
  EXPECT_EQ(model.faces.count(), 12);
  EXPECT_EQ(model.transform.mirror_plane, MirrorPlane::None);
  EXPECT_EQ(model.show_mirror_points, 0);
  EXPECT_EQ(model.mirror_points.count(), 0);
  EXPECT_EQ(model.mirror_faces.count(), 0);
  EXPECT_EQ(model.mirror_texture_coords.count(), 0);
  EXPECT_EQ(test_support::broken_invariant(model), "");
  for (int i = 0; i < 10; ++i) {
    const ModelPoint* p = model.points.at(11 + i);
    EXPECT_GE(p->id, first_new);
    EXPECT_EQ(p->position(), mirrored[static_cast<std::size_t>(i)]);
    EXPECT_EQ(p->layer, commit_layer);
  }
  const ModelFace* shared = model.faces.last();
  EXPECT_EQ(shared->material, commit_material);
  EXPECT_EQ(shared->corners[0], band);
  EXPECT_EQ(shared->corners[1]->position(), (Vec3{-19, 0, 9}));
  EXPECT_EQ(shared->corners[2]->position(), (Vec3{-10, 0, 0}));
  const test_support::ModelSnapshot committed = snapshot(model);

  undo_command(project);
  EXPECT_EQ(snapshot(model), before);
  undo_command(project);
  EXPECT_EQ(test_support::broken_invariant(model), "");
  redo_command(project);
  redo_command(project);
  EXPECT_EQ(snapshot(model), committed);
}

}  // namespace
}  // namespace plenvista
