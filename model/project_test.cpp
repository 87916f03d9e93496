#include "model/project.h"

#include <gtest/gtest.h>

#include "model/layers_materials.h"
#include "model/mirror.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

using test_support::Posted;

struct ProjectFixture : ::testing::Test {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
};

using ProjectCreate = ProjectFixture;
using ProjectNew = ProjectFixture;
using ProjectSetPath = ProjectFixture;
using ProjectNoteChange = ProjectFixture;
using ProjectVisibility = ProjectFixture;

TEST_F(ProjectCreate, HasTheDefaultLayerAndMaterial) {
  Project project(store, notifier, messages);
  const ModelData& m = project.model;
  ASSERT_EQ(m.layers.count(), 1);
  const Layer* layer = m.layers.first();
  EXPECT_EQ(layer->id, 0);
  EXPECT_EQ(layer->name, "Default Layer");
  EXPECT_EQ(layer->colour, 0xFF0000u);
  EXPECT_EQ(layer->pen(), (Pen{0xFF0000u, 2}));
  EXPECT_EQ(m.current_layer, layer);
  EXPECT_TRUE(m.visible_layers.contains(layer));
  ASSERT_EQ(m.materials.count(), 1);
  const Material* material = m.materials.first();
  EXPECT_EQ(material->id, 1);
  EXPECT_EQ(material->name, "Default Material");
  EXPECT_EQ(material->face_colour, 0xC0C0C0u);
  EXPECT_EQ(material->specular_colour, 0x010101u);
  EXPECT_EQ(material->emissive_colour, 0x4C4C4Cu);
  EXPECT_EQ(m.current_material, material);
  EXPECT_TRUE(m.visible_materials.contains(material));
  EXPECT_EQ(m.next_id, 2);
  EXPECT_EQ(m.transform.mirror_buffer, 4.0);
  EXPECT_EQ(m.transform.scale, 1.0);
  EXPECT_EQ(m.transform.mirror_plane, MirrorPlane::None);
  EXPECT_EQ(m.points.count(), 0);
  EXPECT_EQ(project.images().images.count(), 0);
  EXPECT_EQ(m.image_directories, ".;");
  EXPECT_TRUE(project.changed());
  EXPECT_FALSE(project.modified);
  EXPECT_EQ(project.point_mode, PointMode::Points);
  EXPECT_FALSE(project.path.has_value());
  EXPECT_EQ(notifier.posted, (std::vector<Posted>{{Notification::ImagesChanged, 0}}));
}

TEST_F(ProjectCreate, LoadsColoursAndDirectoriesFromTheStore) {
  store.write_int("ColourFaceLine", 0x123456);
  store.write_int("ColourMirrorLine", 0x00FF00);
  store.write_int("ColourCalPoint", 7);
  store.write_text("MainDirs", "photos;/data/cams");
  Project project(store, notifier, messages);
  EXPECT_EQ(project.model.face_line_colour, 0x123456u);
  EXPECT_EQ(project.model.selected_face_line_pen(), (Pen{0x123456u, 2}));
  EXPECT_EQ(project.model.mirror_face_line_colour, 0x00FF00u);
  EXPECT_EQ(project.model.reference_point_colour, 7u);
  EXPECT_EQ(project.model.image_directories, "photos;/data/cams");
}

TEST_F(ProjectNew, ClearsToDefaultsWithOrWithoutStoredDirectories) {
  Project project(store, notifier, messages);
  add_layer(project, "Extra", 1);
  project.model.image_directories = "somewhere";
  project.set_path("/tmp/a/b.op2");
  project.modified = true;
  project.new_project();
  EXPECT_EQ(project.model.layers.count(), 1);
  EXPECT_EQ(project.model.next_id, 2);
  EXPECT_EQ(project.model.image_directories, ".;");
  EXPECT_FALSE(project.path.has_value());
  EXPECT_EQ(project.directory, "");
  EXPECT_TRUE(project.changed());
  EXPECT_FALSE(project.modified);
  EXPECT_EQ(project.undo.position, 0);

  store.write_text("MainDirs", "x;y");
  project.new_project();
  EXPECT_EQ(project.model.image_directories, "x;y");
}

TEST_F(ProjectNew, KeepsExportSettingsAndReplacesTheImageSet) {
  Project project(store, notifier, messages);
  project.export_settings.reverse_z = 1;
  project.images().calibration_mode = 1;
  project.new_project();
  EXPECT_EQ(project.export_settings.reverse_z, 1);
  EXPECT_EQ(project.images().calibration_mode, 0);
}

TEST_F(ProjectSetPath, SplitsAtEitherSeparator) {
  Project project(store, notifier, messages);
  project.set_path("C:\\models\\house.op2");
  EXPECT_EQ(project.directory, "C:\\models\\");
  EXPECT_EQ(project.file_name, "house.op2");
  project.set_path("/home/u/work/shed.op2");
  EXPECT_EQ(project.directory, "/home/u/work/");
  EXPECT_EQ(project.file_name, "shed.op2");
  project.set_path("bare.op2");
  EXPECT_EQ(project.directory, "/home/u/work/");  // kept
  EXPECT_EQ(project.file_name, "bare.op2");
  EXPECT_EQ(project.path, "bare.op2");
}

TEST_F(ProjectNoteChange, PostsModelThenSelectionInOrderOnlyWhenChanged) {
  Project project(store, notifier, messages);
  project.note_change();
  project.modified = false;
  notifier.posted.clear();
  project.note_change();
  EXPECT_TRUE(notifier.posted.empty());
  EXPECT_FALSE(project.modified);

  auto p = std::make_unique<ModelPoint>();
  p->id = project.model.new_id();
  p->x = 1.0;
  p->layer = project.model.current_layer;
  project.model.points.insert(std::move(p));
  project.model.transform.origin_offset = {1.0, 2.0, 3.0};
  project.model.transform.scale = 2.0;
  project.set_selection(0, true);
  project.note_change();
  EXPECT_TRUE(project.modified);
  EXPECT_FALSE(project.changed());
  EXPECT_EQ(notifier.posted,
            (std::vector<Posted>{{Notification::SelectionChanged, 1}, {Notification::ModelChanged, 0}}));
  ASSERT_NE(project.single_selected, nullptr);
  EXPECT_EQ(project.single_selected_transformed.x, 4.0);
  EXPECT_EQ(project.single_selected_transformed.z, 6.0);

  notifier.posted.clear();
  project.clear_selection();
  project.note_change();
  EXPECT_EQ(project.single_selected, nullptr);
  EXPECT_EQ(notifier.posted, (std::vector<Posted>{{Notification::SelectionChanged, 0},
                                                  {Notification::SelectionChanged, 0},
                                                  {Notification::ModelChanged, 0}}));
}

TEST_F(ProjectNoteChange, SelectionSlotsOutOfRangeAreIgnored) {
  Project project(store, notifier, messages);
  project.note_change();
  project.toggle_selection(0);
  project.set_selection(-1, true);
  EXPECT_FALSE(project.changed());
}

TEST_F(ProjectVisibility, FollowsLayerAndMaterialVisibility) {
  Project project(store, notifier, messages);
  ModelData& m = project.model;
  Layer* hidden_layer = add_layer(project, "Hidden", 0);
  Material* hidden_material = add_material(project, "HiddenMat");
  auto point = [&](Layer* layer) {
    auto p = std::make_unique<ModelPoint>();
    p->id = m.new_id();
    p->layer = layer;
    return m.points.insert(std::move(p));
  };
  ModelPoint* on_hidden_layer = point(hidden_layer);
  ModelPoint* only_hidden_faces = point(m.current_layer);
  ModelPoint* lonely = point(m.current_layer);
  ModelPoint* a = point(m.current_layer);
  ModelPoint* b = point(m.current_layer);
  auto face = [&](ModelPoint* p0, ModelPoint* p1, ModelPoint* p2, Material* mat) {
    auto f = std::make_unique<ModelFace>();
    f->id = m.new_id();
    f->corners = {p0, p1, p2};
    f->material = mat;
    return m.faces.insert(std::move(f));
  };
  ModelFace* hidden_face = face(only_hidden_faces, a, b, hidden_material);
  face(on_hidden_layer, a, b, m.current_material);
  refresh_visibility(m);
  EXPECT_FALSE(on_hidden_layer->shown);
  EXPECT_FALSE(only_hidden_faces->shown);
  EXPECT_TRUE(only_hidden_faces->used_by_face);
  EXPECT_TRUE(lonely->shown);
  EXPECT_TRUE(a->shown);
  EXPECT_FALSE(hidden_face->shown);

  m.visible_materials.insert(hidden_material);
  refresh_visibility(m);
  EXPECT_TRUE(only_hidden_faces->shown);
  EXPECT_TRUE(hidden_face->shown);
}

}  // namespace
}  // namespace plenvista
