#include "model/edit_actions.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "model/edit_test_support.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "model/mirror.h"
#include "model/translation.h"
#include "model/undo_commands.h"

namespace plenvista {
namespace {

using test_support::snapshot;
using DeletePoints = test_support::EditFixture;
using DeleteFaces = test_support::EditFixture;
using SetLayer = test_support::EditFixture;
using EditPoints = test_support::EditFixture;
using DeleteCommand = test_support::EditFixture;
using IdCounter = test_support::EditFixture;

std::vector<UndoKind> kinds(const UndoAction& action) {
  std::vector<UndoKind> out;
  for (const UndoEntry* e : action.entries) out.push_back(e->kind);
  return out;
}

TEST_F(DeletePoints, RecordsFacesThenThePointAndUndoRestoresBoth) {
  Material* other = add_material(project, "Other");
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  ModelPoint* d = add_point(project, 1, 1, 0);
  ModelFace* f1 = add_face(project, *a, *b, *c);
  model.current_material = other;
  ModelFace* f2 = add_face(project, *b, *d, *c);
  const int f1_id = f1->id;
  const int f2_id = f2->id;
  const int c_id = c->id;
  const test_support::ModelSnapshot before = snapshot(model);

  select_only({c});
  delete_points(project);
  const UndoAction& action = *project.undo.actions.last();
  EXPECT_EQ(action.name, "Delete Points");
  EXPECT_EQ(kinds(action), (std::vector<UndoKind>{UndoKind::DeleteFace, UndoKind::DeleteFace, UndoKind::DeletePoint}));
  EXPECT_EQ(model.points.count(), 3);
  EXPECT_EQ(model.faces.count(), 0);
  EXPECT_TRUE(project.changed());

  undo_command(project);
  EXPECT_EQ(snapshot(model), before);
  ASSERT_NE(model.faces.find(f1_id), nullptr);
  EXPECT_EQ(model.faces.find(f1_id)->material, model.materials.first());
  EXPECT_EQ(model.faces.find(f2_id)->material, other);
  redo_command(project);
  EXPECT_EQ(model.faces.count(), 0);
  EXPECT_EQ(model.points.find(c_id), nullptr);
}

TEST_F(DeletePoints, RemovesTheTextureCoordinatesOfThePointAndForgetsItsPicks) {
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  FacePicks picks;  // the image view's
  pick_face_corner(project, picks, *b);
  pick_face_corner(project, picks, *a);
  project.undo.begin_action("Apply Texture");
  TextureSink sink(project);
  sink.create(*a, 0.1, 0.2);
  TextureCoord* kept = sink.create(*b, 0.3, 0.4);
  project.undo.end_action();

  select_only({a});
  delete_points(project);
  ASSERT_EQ(model.texture_coords.count(), 1);
  EXPECT_EQ(model.texture_coords.first(), kept);
  EXPECT_EQ(held_face_picks(model, picks), 0);
  EXPECT_FALSE(b->picked_for_face);
  EXPECT_EQ(notifier.posted.back(), (test_support::Posted{Notification::SelectionChanged, 0}));
}

TEST_F(DeleteFaces, NeedsAllThreeCornersSelected) {
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  ModelPoint* d = add_point(project, 1, 1, 0);
  ModelFace* full = add_face(project, *a, *b, *c);
  const int full_id = full->id;
  ModelFace* partial = add_face(project, *b, *d, *c);
  select_only({a, b, c});
  delete_faces(project);
  ASSERT_EQ(model.faces.count(), 1);
  EXPECT_EQ(model.faces.first(), partial);
  EXPECT_EQ(model.points.count(), 4);
  EXPECT_EQ(kinds(*project.undo.actions.last()), (std::vector<UndoKind>{UndoKind::DeleteFace}));
  undo_command(project);
  EXPECT_NE(model.faces.find(full_id), nullptr);
}

// Gives every face of the material coordinates u = x, v = y of its corners,
// one coordinate per point and call.
void planar_texture(Material& material, ProjectImage&, TextureSink& sink) {
  std::map<ModelPoint*, TextureCoord*> made;
  for (ModelFace* f : sink.model().faces) {
    if (f->material != &material) continue;
    std::array<TextureCoord*, 3> coords{};
    for (std::size_t k = 0; k < 3; ++k) {
      ModelPoint* p = f->corners[k];
      auto [it, fresh] = made.try_emplace(p, nullptr);
      if (fresh) it->second = sink.create(*p, p->x, p->y);
      coords[k] = it->second;
    }
    sink.attach(*f, coords);
  }
}

struct Textured : test_support::EditFixture {
  ProjectImage* image = nullptr;
  ModelPoint* a = nullptr;
  ModelPoint* b = nullptr;
  ModelPoint* c = nullptr;
  ModelFace* face = nullptr;

  void SetUp() override {
    image = project.images().images.insert(std::make_unique<ProjectImage>());
    image->id = model.new_id();
    model.current_material->texture_image = image;
    a = add_point(project, 0, 0, 0);
    b = add_point(project, 1, 0, 0);
    c = add_point(project, 0, 1, 0);
    face = add_face(project, *a, *b, *c);
  }
};

using SetMaterialTextured = Textured;
using ApplyTextureUndo = Textured;

TEST_F(SetMaterialTextured, UndoAndRedoKeepEachCornersOwnCoordinate) {
  apply_texture(project, {model.current_material}, planar_texture);
  const std::array<int, 3> coord_ids{face->texture_coords[0]->id, face->texture_coords[1]->id,
                                     face->texture_coords[2]->id};
  Material* other = add_material(project, "Other");
  model.current_material = other;
  select_only({a, b, c});
  set_material(project);
  EXPECT_EQ(face->material, other);
  EXPECT_FALSE(a->selected);

  auto check_corners = [&](Material* material) {
    ASSERT_EQ(model.faces.count(), 1);
    const ModelFace* f = model.faces.first();
    EXPECT_EQ(f->material, material);
    for (std::size_t k = 0; k < 3; ++k) {
      ASSERT_NE(f->texture_coords[k], nullptr);
      EXPECT_EQ(f->texture_coords[k]->id, coord_ids[k]);
      EXPECT_EQ(f->texture_coords[k]->point, f->corners[k]);
    }
  };
  undo_command(project);
  check_corners(model.materials.first());
  redo_command(project);
  check_corners(other);
}

TEST_F(ApplyTextureUndo, BringsBackTheEarlierCoordinatesAndAttachments) {
  apply_texture(project, {model.current_material}, planar_texture);
  ASSERT_EQ(model.texture_coords.count(), 3);
  EXPECT_EQ(project.undo.actions.last()->name, "Apply Texture");
  EXPECT_TRUE(project.modified);

  b->x = 7;  // so that the second application gives other coordinates
  project.undo.reset_baseline(model);
  const test_support::ModelSnapshot baseline = snapshot(model);
  apply_texture(project, {model.current_material}, planar_texture);
  const test_support::ModelSnapshot second = snapshot(model);
  ASSERT_NE(second, baseline);

  undo_command(project);
  EXPECT_EQ(snapshot(model), baseline);
  redo_command(project);
  EXPECT_EQ(snapshot(model), second);
}

TEST_F(ApplyTextureUndo, SkipsMaterialsWithoutImageAndClearsTheOthers) {
  apply_texture(project, {model.current_material}, planar_texture);
  Material* plain = add_material(project, "Plain");
  int calls = 0;
  apply_texture(project, {plain}, [&](Material&, ProjectImage&, TextureSink&) { ++calls; });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(model.texture_coords.count(), 0);
  for (const TextureCoord* t : face->texture_coords) EXPECT_EQ(t, nullptr);
  undo_command(project);
  EXPECT_EQ(model.texture_coords.count(), 3);
  EXPECT_EQ(test_support::broken_invariant(model), "");
}

TEST_F(SetLayer, RecordsTheNewLayerAndUndoGivesBackTheOld) {
  Layer* other = add_layer(project, "Other", 0);
  ModelPoint* a = add_point(project, 1, 2, 3);
  add_point(project, 4, 5, 6);
  const int a_id = a->id;
  model.current_layer = other;
  select_only({a});
  set_layer(project);
  EXPECT_EQ(a->layer, other);
  EXPECT_EQ(model.points.last()->layer, model.layers.first());
  const UndoEntry& e = *project.undo.actions.last()->entries.first();
  EXPECT_EQ(e.kind, UndoKind::SetPoint);
  EXPECT_EQ(e.layer_id, other->id);
  undo_command(project);
  EXPECT_EQ(model.points.find(a_id)->layer, model.layers.first());
}

TEST_F(EditPoints, MovesOnlyTheSelectedAndTheMirrorFollows) {
  model.transform.mirror_plane = MirrorPlane::X;
  ModelPoint* a = add_point(project, 10, 0, 0);
  ModelPoint* b = add_point(project, 20, 0, 0);
  const int a_id = a->id;
  select_only({a});
  edit_points(project, -8, 1, 0);  // into the buffer band: the mirror goes
  EXPECT_EQ(a->position(), (Vec3{2, 1, 0}));
  EXPECT_EQ(b->position(), (Vec3{20, 0, 0}));
  EXPECT_EQ(model.mirror_points.find(a->id), nullptr);
  undo_command(project);
  ASSERT_NE(model.mirror_points.find(a_id), nullptr);
  EXPECT_EQ(model.mirror_points.find(a_id)->x, -10.0);
}

TEST_F(DeleteCommand, RemovesSelectedReferencePointsInCalibrationMode) {
  ProjectImage* image = project.images().images.insert(std::make_unique<ProjectImage>());
  project.images().current = image;
  project.images().calibration_mode = 1;
  for (int i = 0; i < 3; ++i) {
    auto mark = std::make_unique<ReferencePoint>();
    mark->id = model.new_id();
    mark->selected = i != 1;
    image->reference_points.insert(std::move(mark));
  }
  const int kept_id = image->reference_points.at(1)->id;
  ModelPoint* a = add_point(project, 0, 0, 0);
  select_only({a});
  project.modified = false;
  notifier.posted.clear();
  delete_command(project);
  EXPECT_EQ(model.points.count(), 0);
  ASSERT_EQ(image->reference_points.count(), 1);
  EXPECT_EQ(image->reference_points.first()->id, kept_id);
  EXPECT_EQ(image->marks_changed, 1);
  EXPECT_TRUE(project.modified);
  EXPECT_EQ(notifier.posted.back(), (test_support::Posted{Notification::ModelChanged, 0}));
}

TEST_F(DeleteCommand, DeletesFacesOutsidePointMode) {
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  add_face(project, *a, *b, *c);
  project.point_mode = PointMode::Faces;
  select_only({a, b, c});
  delete_command(project);
  EXPECT_EQ(model.faces.count(), 0);
  EXPECT_EQ(model.points.count(), 3);
  EXPECT_EQ(project.undo.actions.last()->name, "Delete Faces");
}

// The counter stops at the largest int: the last ids are given, then every
// edit that would need one more is refused with a message, nothing changed,
// and derived mirror faces never wrap the counter.
TEST_F(IdCounter, EditsAreRefusedOnceItIsUsedUp) {
  constexpr int kMax = std::numeric_limits<int>::max();
  model.next_id = kMax - 3;
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(c->id, kMax - 1);
  EXPECT_EQ(model.next_id, kMax);
  EXPECT_TRUE(messages.shown.empty());

  const test_support::ModelSnapshot before = snapshot(model);
  const int actions = project.undo.actions.count();
  EXPECT_EQ(add_point(project, 2, 2, 2), nullptr);
  EXPECT_EQ(add_face(project, *a, *b, *c), nullptr);
  EXPECT_EQ(add_layer(project, "Walls", 0), nullptr);
  EXPECT_EQ(add_material(project, "Glass"), nullptr);
  EXPECT_EQ(add_image(project, std::make_unique<ProjectImage>()), nullptr);
  EXPECT_EQ(snapshot(model), before);
  EXPECT_EQ(project.undo.actions.count(), actions);
  EXPECT_EQ(model.layers.count(), 1);
  EXPECT_EQ(project.images().images.count(), 0);
  EXPECT_EQ(model.next_id, kMax);
  ASSERT_EQ(messages.shown.size(), 5u);
  EXPECT_EQ(messages.shown[0], (test_support::Shown{kOutOfIdsMessage, "Error"}));

  // A face from before, mirrored after the counter ran out.
  model.next_id = kMax - 1;
  ModelFace* face = add_face(project, *a, *b, *c);
  ASSERT_NE(face, nullptr);
  model.transform.mirror_plane = MirrorPlane::X;
  model.transform.mirror_buffer = 0.5;
  rebuild_mirror_lists(model);
  EXPECT_EQ(model.next_id, kMax);
  ASSERT_EQ(model.mirror_faces.count(), 1);
  EXPECT_EQ(model.mirror_faces.first()->id, kMax);

  // Committing the mirror needs an id per mirror point and face: refused.
  const int points = model.points.count();
  commit_mirror(project);
  EXPECT_EQ(model.points.count(), points);
  EXPECT_EQ(model.transform.mirror_plane, MirrorPlane::X);
  EXPECT_EQ(messages.shown.size(), 6u);
  EXPECT_EQ(test_support::broken_invariant(model), "");
}

// A view deletes the selected marks of the photograph it shows, which in
// partner mode is not the current one.
TEST_F(DeleteCommand, DeleteSelectedTakesTheMarksOfTheGivenImage) {
  ProjectImage* current = project.images().images.insert(std::make_unique<ProjectImage>());
  ProjectImage* shown = project.images().images.insert(std::make_unique<ProjectImage>());
  project.images().current = current;
  for (ProjectImage* image : {current, shown}) {
    auto mark = std::make_unique<ReferencePoint>();
    mark->id = model.new_id();
    mark->selected = true;
    image->reference_points.insert(std::move(mark));
  }
  project.modified = false;
  delete_selected(project, shown);
  EXPECT_EQ(shown->reference_points.count(), 0);
  EXPECT_TRUE(shown->marks_changed);
  EXPECT_EQ(current->reference_points.count(), 1);
  EXPECT_FALSE(current->marks_changed);
  EXPECT_TRUE(project.modified);
  EXPECT_FALSE(project.changed());
}

}  // namespace
}  // namespace plenvista
