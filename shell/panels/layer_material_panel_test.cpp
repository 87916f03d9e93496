#include "shell/panels/layer_material_panel.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include "model/edit_actions.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "shell/gui_test_support.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

using test_support::toggle_check;

struct LayerMaterialPanelTest : ::testing::Test, test_support::RecordedProject {
  LayerMaterialPanel panel{project, nullptr};

  void SetUp() override {
    panel.resize(200, 220);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  }
  QStringList texts(const QListWidget* list) const {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row) lines.push_back(list->item(row)->text());
    return lines;
  }
};

TEST_F(LayerMaterialPanelTest, ListsLayersAndMaterialsWithTexturedOnesMarked) {
  Layer* walls = add_layer(project, "Walls", 0);
  Material* brick = add_material(project, "Brick");
  ProjectImage* front = add_image(project, std::make_unique<ProjectImage>());
  brick->texture_image = front;
  project.model.visible_materials.insert(brick);
  project.model.current_layer = nullptr;
  panel.refresh();
  const QString first_layer = QString::fromStdString(project.model.layers.first()->name.value_or(""));
  const QString first_material = QString::fromStdString(project.model.materials.first()->name.value_or(""));
  EXPECT_EQ(panel.tabText(0), "Vertex");
  EXPECT_EQ(panel.tabText(1), "Face");
  EXPECT_EQ(texts(panel.active_layers()), (QStringList{first_layer, "Walls"}));
  EXPECT_EQ(panel.active_layers()->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(panel.active_layers()->item(1)->checkState(), Qt::Unchecked);  // a new layer is not visible yet
  EXPECT_EQ(panel.default_layer()->currentIndex(), -1);                    // no current layer
  EXPECT_EQ(panel.default_material()->itemText(1), "Brick");
  EXPECT_EQ(texts(panel.active_materials()), (QStringList{first_material, "Brick *"}));
  EXPECT_EQ(panel.active_materials()->item(1)->checkState(), Qt::Checked);

  notifier.posted.clear();
  panel.default_layer()->setFocus();
  QTest::keyClick(panel.default_layer(), Qt::Key_Down);
  EXPECT_EQ(project.model.current_layer, project.model.layers.first());
  QTest::keyClick(panel.default_layer(), Qt::Key_Down);
  EXPECT_EQ(project.model.current_layer, walls);
  EXPECT_TRUE(posted(Notification::ImagesChanged));
  EXPECT_EQ(project.modified, 1);
}

TEST_F(LayerMaterialPanelTest, UncheckingEveryLayerEmptiesTheVisibleListWithoutMarkingTheProject) {
  add_layer(project, "Walls", 0);
  panel.refresh();
  toggle_check(panel.active_layers(), 1);
  EXPECT_EQ(project.model.visible_layers.count(), 2);
  EXPECT_EQ(project.modified, 1);

  project.modified = 0;
  toggle_check(panel.active_layers(), 0);
  EXPECT_EQ(project.model.visible_layers.count(), 1);
  EXPECT_EQ(project.model.visible_layers.first()->name, "Walls");
  notifier.posted.clear();
  project.modified = 0;
  toggle_check(panel.active_layers(), 1);
  EXPECT_TRUE(project.model.visible_layers.empty());
  EXPECT_TRUE(posted(Notification::ImagesChanged));
  EXPECT_EQ(project.modified, 0);
  // A point on a hidden layer is no longer shown.
  ModelPoint* p = add_point(project, 1, 2, 3);
  refresh_visibility(project.model);
  EXPECT_EQ(p->shown, 0);
}

TEST_F(LayerMaterialPanelTest, TheFaceTabMakesDeleteRemoveFaces) {
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 1, 0, 0);
  ModelPoint* c = add_point(project, 0, 1, 0);
  add_face(project, *a, *b, *c);
  for (ModelPoint* p : {a, b, c}) p->selected = 1;
  test_support::click_tab(&panel, 1);
  EXPECT_EQ(project.point_mode, PointMode::Faces);
  delete_command(project);
  EXPECT_EQ(project.model.faces.count(), 0);
  EXPECT_EQ(project.model.points.count(), 3);
  test_support::click_tab(&panel, 0);
  EXPECT_EQ(project.point_mode, PointMode::Points);
}

TEST_F(LayerMaterialPanelTest, APhotographOfAnotherSizeLocksTheDefaultMaterial) {
  Material* brick = add_material(project, "Brick");
  ProjectImage* smaller = add_image(project, std::make_unique<ProjectImage>());
  smaller->size_differs = 1;
  panel.refresh();
  EXPECT_FALSE(panel.default_material()->isEnabled());
  smaller->size_differs = 0;
  panel.refresh();
  ASSERT_TRUE(panel.default_material()->isEnabled());
  test_support::click_tab(&panel, 1);
  notifier.posted.clear();
  panel.default_material()->setFocus();
  QTest::keyClick(panel.default_material(), Qt::Key_Down);
  EXPECT_EQ(project.model.current_material, brick);
  EXPECT_TRUE(notifier.posted.empty());
  EXPECT_EQ(project.modified, 0);
}

}  // namespace
}  // namespace plenvista
