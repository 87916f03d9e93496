#include "model/image_management.h"

#include <gtest/gtest.h>

#include "model/edit_actions.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

struct Images : ::testing::Test {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};

  ProjectImage* add(const std::string& description) {
    auto image = std::make_unique<ProjectImage>();
    image->description = description;
    return add_image(project, std::move(image));
  }
};

using AddImage = Images;
using RemoveCurrentImage = Images;
using FirstImageReadyForSearch = Images;
using MoveCurrentImage = Images;

TEST_F(AddImage, FirstImageBecomesCurrentWithTheCameraCentre) {
  project.images().camera.centre_x = 1136;
  project.images().camera.centre_y = 852;
  notifier.posted.clear();
  ProjectImage* first = add("front");
  ProjectImage* second = add("side");
  EXPECT_EQ(project.images().current, first);
  EXPECT_EQ(second->camera, &project.images().camera);
  EXPECT_EQ(second->centre_x, 1136);
  EXPECT_EQ(second->centre_y, 852);
  EXPECT_EQ(second->id, first->id + 1);
  EXPECT_EQ(notifier.posted.size(), 2u);
}

TEST_F(RemoveCurrentImage, RefusedWhileAMaterialUsesItAsTexture) {
  ProjectImage* a = add("a");
  project.model.materials.first()->texture_image = a;
  EXPECT_FALSE(remove_current_image(project));
  EXPECT_EQ(project.images().images.count(), 1);
}

TEST_F(RemoveCurrentImage, PartnersBecomeTheirOwnAndFirstRemainingIsCurrent) {
  ProjectImage* a = add("a");
  ProjectImage* b = add("b");
  ProjectImage* c = add("c");
  b->partner = a;
  c->partner = a;
  EXPECT_TRUE(remove_current_image(project));
  EXPECT_EQ(b->partner, b);
  EXPECT_EQ(c->partner, c);
  EXPECT_EQ(project.images().current, b);
  EXPECT_TRUE(project.modified);
  remove_current_image(project);
  remove_current_image(project);
  EXPECT_EQ(project.images().current, nullptr);
  EXPECT_FALSE(remove_current_image(project));
}

TEST_F(FirstImageReadyForSearch, NeedsMarksChangedAndFourReferencePoints) {
  ProjectImage* a = add("a");
  ProjectImage* b = add("b");
  for (int i = 0; i < 3; ++i) add_reference_point(project, *a, {}, {});
  EXPECT_EQ(first_image_ready_for_search(project.images()), nullptr);
  for (int i = 0; i < 4; ++i) add_reference_point(project, *b, {}, {});
  EXPECT_EQ(first_image_ready_for_search(project.images()), b);
  add_reference_point(project, *a, {}, {});
  EXPECT_EQ(first_image_ready_for_search(project.images()), a);
  a->marks_changed = 0;
  EXPECT_EQ(first_image_ready_for_search(project.images()), b);
}

TEST_F(MoveCurrentImage, ExchangesIdsWithTheNeighbour) {
  ProjectImage* a = add("a");
  ProjectImage* b = add("b");
  const int a_id = a->id;
  const int b_id = b->id;
  move_current_image(project, -1);  // first image: nothing
  EXPECT_EQ(project.images().images.at(0), a);
  move_current_image(project, +1);
  EXPECT_EQ(project.images().images.at(0), b);
  EXPECT_EQ(project.images().images.at(1), a);
  EXPECT_EQ(a->id, b_id);
  EXPECT_EQ(b->id, a_id);
  move_current_image(project, +1);  // now last: nothing
  EXPECT_EQ(project.images().images.at(1), a);
}

// The windows' edits of images go through operations, each of which marks
// the project changed for Note change.
TEST_F(Images, DetailsAndClicksAreEditsThroughOperations) {
  ProjectImage* image = add("front");
  ProjectImage* resized = add("side");
  resized->size_differs = true;
  project.note_change();
  ImageDetails details;
  details.file_name = "front.jpg";
  details.description = "Front";
  details.texture_centre = {10, 20};
  details.texture_scale = 0.5;
  details.pose = CameraPose{{1, 2, 3}, {4, 5, 6}};
  image->marks_changed = true;
  set_image_details(project, *image, details);
  EXPECT_TRUE(project.changed());
  EXPECT_EQ(image->file_name, "front.jpg");
  EXPECT_EQ(image->texture_scale, 1.0);  // the photograph has the camera's size
  EXPECT_EQ(image->pose, (CameraPose{{1, 2, 3}, {4, 5, 6}}));
  EXPECT_EQ(image->search_score, 100.0);
  EXPECT_TRUE(image->pose_known);
  EXPECT_FALSE(image->marks_changed);
  details.pose.reset();
  set_image_details(project, *resized, details);
  EXPECT_EQ(resized->texture_centre_x, 10.0);
  EXPECT_EQ(resized->texture_scale, 0.5);
  EXPECT_FALSE(resized->pose_known);

  project.note_change();
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  project.note_change();
  FacePicks picks;
  EXPECT_EQ(add_picked_face(project, *image, picks), nullptr);  // nothing picked
  for (ModelPoint* corner : {a, b, c}) {
    pick_face_corner(project, picks, *corner);
    EXPECT_TRUE(project.changed());
    EXPECT_TRUE(corner->picked_for_face);
    project.note_change();
  }
  pick_face_corner(project, picks, *a);  // a fourth pick is ignored
  EXPECT_EQ(held_face_picks(project.model, picks), 3);
  const ModelFace* face = add_picked_face(project, *image, picks);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->corners[2], c);
  EXPECT_EQ(held_face_picks(project.model, picks), 0);
  EXPECT_FALSE(a->picked_for_face);
  // Clearing the selection ends a pick under way: the next pick starts anew,
  // so no face is made of an old corner and new ones.
  pick_face_corner(project, picks, *a);
  pick_face_corner(project, picks, *b);
  project.clear_selection();
  pick_face_corner(project, picks, *c);
  EXPECT_EQ(held_face_picks(project.model, picks), 1);
  EXPECT_EQ(picks.corners[0], c->id);

  ReferencePoint* mark = add_reference_point(project, *image, {1, 1, 1}, {0, 0});
  ASSERT_NE(mark, nullptr);
  a->selected = true;
  project.note_change();
  select_reference_point(project, *image, mark);
  EXPECT_TRUE(mark->selected);
  EXPECT_FALSE(a->selected);
  EXPECT_TRUE(project.changed());
}

}  // namespace
}  // namespace plenvista
