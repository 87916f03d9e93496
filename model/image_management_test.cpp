#include "model/image_management.h"

#include <gtest/gtest.h>

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
  move_current_image(project.images(), -1);  // first image: nothing
  EXPECT_EQ(project.images().images.at(0), a);
  move_current_image(project.images(), +1);
  EXPECT_EQ(project.images().images.at(0), b);
  EXPECT_EQ(project.images().images.at(1), a);
  EXPECT_EQ(a->id, b_id);
  EXPECT_EQ(b->id, a_id);
  move_current_image(project.images(), +1);  // now last: nothing
  EXPECT_EQ(project.images().images.at(1), a);
}

}  // namespace
}  // namespace plenvista
