// The whole texture path through the main window: a material is given a
// located photograph in "Material", "Set Textures" computes the texture
// coordinates and "Export" writes OBJ/MTL files, which an independent reader
// then loads.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include <assimp/cimport.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include "model/edit_actions.h"
#include "model/run_edit.h"
#include "persistence/project_file.h"
#include "shell/dialogs/dialog_test_support.h"
#include "shell/dialogs/export_dialog.h"
#include "shell/dialogs/material_edit_dialog.h"
#include "shell/dialogs/materials_dialog.h"
#include "shell/dialogs/set_textures_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_doubles.h"
#include "testing/bitmap_headers.h"
#include "testing/cameras.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::when_open;

TEST(TextureFlow, MaterialPhotographSetTexturesAndObjExport) {
  test_support::TempDir tmp;
  tmp.write("project/house.bmp", test_support::bitmap_headers(2272, 1704));
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::ScriptedChoosers choosers;
  MainWindow window({settings, files, questions, {open_project, save_project}, {}});
  window.use_dialog_choosers(choosers);
  Project& project = window.project();
  project.set_path(tmp.dir("project") + "house.op2");
  project.images().camera = test_support::pinhole_camera();
  auto photo = std::make_unique<ProjectImage>();
  photo->id = project.model.new_id();
  photo->description = "House";
  photo->file_name = "house.bmp";
  photo->camera = &project.images().camera;
  photo->centre_x = 1136;
  photo->centre_y = 852;
  photo->pose = {{-50, -50, -1500}, {2, -3, 1}};
  photo->pose_known = 1;
  project.images().images.insert(std::move(photo));
  run_edit(project, [&] {
    ModelPoint* a = add_point(project, 0, 0, 0);
    ModelPoint* b = add_point(project, 100, 0, 0);
    ModelPoint* c = add_point(project, 100, 100, 0);
    ModelPoint* d = add_point(project, 0, 100, 20);
    add_face(project, *a, *b, *c);
    add_face(project, *a, *c, *d);
  });

  when_open<MaterialsDialog>([](MaterialsDialog& materials) {
    when_open<MaterialEditDialog>([](MaterialEditDialog& edit) {
      test_support::choose(edit.texture_list(), 1);
      click(edit, "OK");
    });
    test_support::double_click_row(materials.list(), 0);
    click(materials, "OK");
  });
  window.actions().project_materials->trigger();
  Material& material = *project.model.materials.at(0);
  ASSERT_EQ(material.texture_image, project.images().images.at(0));

  when_open<SetTexturesDialog>([](SetTexturesDialog& textures) { click(textures, "OK"); });
  window.actions().tool_apply_texture->trigger();
  ASSERT_EQ(project.model.texture_coords.count(), 4);

  when_open<ExportDialog>([](ExportDialog& dialog) {
    test_support::choose(dialog.format_list(), 1);
    QTest::keyClicks(dialog.path_field(), "house_model.obj");
    click(dialog, "OK");
  });
  window.actions().tools_export->trigger();
  EXPECT_TRUE(questions.told.empty());

  const aiScene* scene = aiImportFile((tmp.dir("project") + "house_model.obj").c_str(), 0);
  ASSERT_NE(scene, nullptr) << aiGetErrorString();
  int textured_faces = 0;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh& mesh = *scene->mMeshes[m];
    aiString texture;
    const aiMaterial* mesh_material = scene->mMaterials[mesh.mMaterialIndex];
    if (aiGetMaterialTexture(mesh_material, aiTextureType_DIFFUSE, 0, &texture) != AI_SUCCESS) continue;
    EXPECT_STREQ(texture.C_Str(), "house.bmp");
    ASSERT_TRUE(mesh.HasTextureCoords(0));
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      ASSERT_EQ(mesh.mFaces[f].mNumIndices, 3u);
      ++textured_faces;
    }
    // Every corner's coordinate is one of the model's (u, 1 - v).
    for (unsigned k = 0; k < mesh.mNumVertices; ++k) {
      const aiVector3D uv = mesh.mTextureCoords[0][k];
      bool found = false;
      for (const TextureCoord* t : project.model.texture_coords)
        found = found || (std::abs(uv.x - t->u) < 1e-4 && std::abs(uv.y - (1 - t->v)) < 1e-4);
      EXPECT_TRUE(found) << uv.x << " " << uv.y;
    }
    EXPECT_EQ(mesh.mNumVertices, 3 * mesh.mNumFaces);
  }
  EXPECT_EQ(textured_faces, 2);
  aiReleaseImport(scene);
}

}  // namespace
}  // namespace plenvista
