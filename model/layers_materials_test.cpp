#include "model/layers_materials.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

struct LayersMaterials : ::testing::Test {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  ModelData& m = project.model;

  ModelPoint* add_point(Layer* layer) {
    auto p = std::make_unique<ModelPoint>();
    p->id = m.new_id();
    p->layer = layer;
    return m.points.insert(std::move(p));
  }
};

using AddLayer = LayersMaterials;
using DeleteLayer = LayersMaterials;
using DeleteMaterial = LayersMaterials;

TEST_F(AddLayer, RefusesANameThatDiffersOnlyInCase) {
  EXPECT_EQ(add_layer(project, "default LAYER", 5), nullptr);
  EXPECT_EQ(m.layers.count(), 1);
  EXPECT_EQ(add_material(project, "DEFAULT material"), nullptr);
  EXPECT_EQ(m.materials.count(), 1);
}

TEST_F(AddLayer, AppendsWithNewIdButNotVisible) {
  project.note_change();
  Layer* layer = add_layer(project, "Roof", 0x00FF00);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->id, 2);
  EXPECT_EQ(layer->attribute1, 0);
  EXPECT_EQ(layer->attribute2, 1);
  EXPECT_EQ(layer->pen(), (Pen{0x00FF00u, 2}));
  EXPECT_FALSE(m.visible_layers.contains(layer));
  EXPECT_TRUE(project.changed());
  set_layer_colour(*layer, 0x0000FF);
  EXPECT_EQ(layer->pen().colour, 0x0000FFu);
}

TEST_F(AddLayer, EleventhLayerGrowsTheListToTwentySlots) {
  for (int i = 0; i < 10; ++i) add_layer(project, "L" + std::to_string(i), 0);
  EXPECT_EQ(m.layers.count(), 11);
  EXPECT_EQ(m.layers.capacity(), 20);
}

TEST_F(DeleteLayer, RefusesTheOnlyLayerOutOfRangeAndUsedLayers) {
  EXPECT_FALSE(delete_layer(project, 0));
  EXPECT_FALSE(delete_layer(project, 5));
  Layer* used = add_layer(project, "Used", 0);
  add_point(used);
  EXPECT_FALSE(delete_layer(project, m.layers.index_of(used)));
  EXPECT_EQ(m.layers.count(), 2);
}

TEST_F(DeleteLayer, CurrentLayerIsReplacedByTheFirst) {
  Layer* extra = add_layer(project, "Extra", 0);
  m.current_layer = extra;
  m.visible_layers.insert(extra);
  EXPECT_TRUE(delete_layer(project, 1));
  EXPECT_EQ(m.current_layer, m.layers.first());
  EXPECT_EQ(m.visible_layers.count(), 1);  // no visible entry points at the deleted layer
}

TEST_F(DeleteMaterial, CurrentMaterialIsReplacedByTheFirstAndUsedOnesStay) {
  Material* second = add_material(project, "Brick");
  m.current_material = second;
  auto f = std::make_unique<ModelFace>();
  f->id = m.new_id();
  f->material = m.materials.first();
  ModelPoint* p = add_point(m.current_layer);
  f->corners = {p, p, p};
  m.faces.insert(std::move(f));
  EXPECT_FALSE(delete_material(project, 0));
  EXPECT_TRUE(delete_material(project, 1));
  EXPECT_EQ(m.current_material, m.materials.first());
  EXPECT_FALSE(delete_material(project, 0));  // the only material
}

TEST_F(DeleteMaterial, IdsAfterDeletionsAreNeverReused) {
  Material* a = add_material(project, "A");
  const int a_id = a->id;
  delete_material(project, m.materials.index_of(a));
  Layer* l = add_layer(project, "B", 0);
  EXPECT_GT(l->id, a_id);
  EXPECT_EQ(m.next_id, l->id + 1);
}

TEST_F(LayersMaterials, EditsAndVisibilityMarkTheProjectChanged) {
  Layer* roof = add_layer(project, "Roof", 1);
  Material* brick = add_material(project, "Brick");
  project.note_change();
  edit_layer(project, *roof, "Eaves", 0x123456);
  EXPECT_EQ(shown(roof->name), "Eaves");
  EXPECT_EQ(roof->colour, 0x123456u);
  EXPECT_TRUE(project.changed());
  project.note_change();
  edit_material(project, *brick, "Stone", {1, 2, 3, nullptr});
  EXPECT_EQ(brick->specular_colour, 2u);
  EXPECT_TRUE(project.changed());
  project.note_change();
  set_current_material(project, *brick);  // choosing alone is no edit
  EXPECT_EQ(m.current_material, brick);
  EXPECT_FALSE(project.changed());
  set_current_layer(project, *roof);
  EXPECT_TRUE(project.changed());
  project.note_change();

  // Marks by list position; a surplus mark is ignored, none checked is no edit.
  EXPECT_TRUE(set_visible_layers(project, {false, true, true}));
  EXPECT_EQ(m.visible_layers.count(), 1);
  EXPECT_TRUE(m.visible_layers.contains(roof));
  project.note_change();
  EXPECT_FALSE(set_visible_materials(project, {false, false}));
  EXPECT_EQ(m.visible_materials.count(), 0);
  EXPECT_FALSE(project.changed());
}

}  // namespace
}  // namespace plenvista
