#include "shell/dialogs/export_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

#include "export/export_test_model.h"
#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "shell/dialogs/dialog_test_support.h"
#include "shell/shell_test_doubles.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::click;

struct ExportDialogs : test_support::EditFixture {
  test_support::ScriptedFiles files;
  test_support::TempDir tmp;

  void SetUp() override {
    project.set_path(tmp.dir("project") + "house.op2");
    std::filesystem::create_directories(tmp.path / "project");
    add_point(project, 1, 2, 3);
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(tmp.path / "project" / name); }
  // Opens the dialog, picks the format, types the path and presses OK.
  void export_as(int format, const QString& typed) {
    ExportDialog dialog(project, files, nullptr);
    dialog.show();
    test_support::choose(dialog.format_list(), format);
    dialog.path_field()->clear();
    QTest::keyClicks(dialog.path_field(), typed);
    click(dialog, "OK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
};

TEST_F(ExportDialogs, PathRulesAndRememberedPaths) {
  {
    ExportDialog dialog(project, files, nullptr);
    EXPECT_EQ(dialog.format_list()->itemText(0), "Directx .x file");
    EXPECT_EQ(dialog.format_list()->itemText(1), "OBJ/MTL file");
    EXPECT_EQ(dialog.format_list()->currentIndex(), 0);
    EXPECT_EQ(dialog.path_field()->text(), "");
  }
  export_as(1, "model.OBJ");
  EXPECT_TRUE(exists("model.obj"));
  EXPECT_TRUE(exists("model.mtl"));
  export_as(1, "model.txt");
  EXPECT_TRUE(exists("model.txt.obj"));
  EXPECT_TRUE(exists("model.txt.mtl"));
  export_as(0, "model");
  EXPECT_TRUE(exists("model.x"));
  export_as(0, "shape.X");
  EXPECT_TRUE(exists("shape.X"));
  EXPECT_FALSE(exists("shape.X.x"));
  export_as(1, "");
  EXPECT_TRUE(exists(".obj"));
  EXPECT_TRUE(exists(".mtl"));
  EXPECT_TRUE(messages.shown.empty());

  export_as(1, "model.OBJ");
  ExportDialog reopened(project, files, nullptr);
  reopened.show();
  EXPECT_EQ(reopened.format_list()->currentIndex(), 1);
  EXPECT_EQ(reopened.path_field()->text(), "model");  // without ".obj"
  test_support::choose(reopened.format_list(), 0);
  EXPECT_EQ(reopened.path_field()->text(), "model");  // a format change leaves the field
  project.export_settings.format = 0;
  ExportDialog as_x(project, files, nullptr);
  EXPECT_EQ(as_x.path_field()->text(), "shape.X");
}

TEST_F(ExportDialogs, OptionsAreKeptOnlyWithOkAndBrowseFillsThePath) {
  const ExportSettings before = project.export_settings;
  {
    ExportDialog dialog(project, files, nullptr);
    dialog.show();
    EXPECT_TRUE(dialog.option(ExportDialog::UseTextures)->isChecked());
    EXPECT_FALSE(dialog.option(ExportDialog::ReverseZ)->isChecked());
    for (auto o : {ExportDialog::UseTextures, ExportDialog::ReverseZ, ExportDialog::UseScaling, ExportDialog::UseMirror,
                   ExportDialog::UseTranslations})
      test_support::toggle(dialog.option(o));
    EXPECT_FALSE(dialog.option(ExportDialog::UseTextures)->isChecked());
    EXPECT_FALSE(dialog.option(ExportDialog::UseTranslations)->isChecked());
    test_support::choose(dialog.format_list(), 1);
    files.choices = {std::nullopt, tmp.dir("elsewhere") + "picked.obj"};
    click(dialog.browse_button());
    EXPECT_EQ(dialog.path_field()->text(), "");
    click(dialog.browse_button());
    EXPECT_EQ(dialog.path_field()->text().toStdString(), tmp.dir("elsewhere") + "picked.obj");
    EXPECT_EQ(files.filters.back(), "OBJ Files (*.OBJ);;All Files (*.*)");
    click(dialog, "Cancel");
  }
  const ExportSettings& after = project.export_settings;
  EXPECT_EQ(after.use_textures, before.use_textures);
  EXPECT_EQ(after.reverse_z, before.reverse_z);
  EXPECT_EQ(after.use_scaling, before.use_scaling);
  EXPECT_EQ(after.use_mirror, before.use_mirror);
  EXPECT_EQ(after.format, 0);
  EXPECT_FALSE(after.last_obj_path.has_value());

  {
    ExportDialog dialog(project, files, nullptr);
    dialog.show();
    test_support::toggle(dialog.option(ExportDialog::ReverseZ));
    test_support::toggle(dialog.option(ExportDialog::UseMirror));
    EXPECT_TRUE(dialog.option(ExportDialog::ReverseZ)->isChecked());
    EXPECT_FALSE(dialog.option(ExportDialog::UseMirror)->isChecked());
    test_support::toggle(dialog.option(ExportDialog::UseTranslations));
    QTest::keyClicks(dialog.path_field(), "kept");
    click(dialog, "OK");
  }
  EXPECT_EQ(after.reverse_z, 1);
  EXPECT_EQ(after.use_mirror, 0);
  EXPECT_EQ(after.use_textures, 1);
  EXPECT_EQ(after.last_x_path, "kept.x");
  ExportDialog reopened(project, files, nullptr);
  EXPECT_TRUE(reopened.option(ExportDialog::UseTranslations)->isChecked());
  EXPECT_TRUE(reopened.option(ExportDialog::ReverseZ)->isChecked());
}

TEST_F(ExportDialogs, GlbIsOfferedAsTheThirdFormatAndItsFileReadsBack) {
  ModelPoint* b = add_point(project, 4, 2, 3);
  ModelPoint* c = add_point(project, 1, 6, 3);
  add_face(project, *project.model.points.first(), *b, *c);
  {
    ExportDialog dialog(project, files, nullptr);
    dialog.show();
    test_support::choose(dialog.format_list(), 2);
    EXPECT_EQ(dialog.format_list()->currentText(), "glTF binary .glb file");
    files.choices = {tmp.dir("elsewhere") + "picked.glb"};
    click(dialog.browse_button());
    EXPECT_EQ(files.filters.back(), "glb Files (*.glb);;All Files (*.*)");
    click(dialog, "Cancel");
  }
  export_as(2, "model");
  EXPECT_EQ(project.export_settings.format, 2);
  EXPECT_TRUE(messages.shown.empty());
  const test_support::ReadScene scene = test_support::read_with_assimp(tmp.dir("project") + "model.glb");
  ASSERT_EQ(scene.triangles.size(), 1u);
  std::vector<std::array<float, 3>> corners;
  for (const aiVector3D& p : scene.triangles[0].positions) corners.push_back({p.x, p.y, p.z});
  std::sort(corners.begin(), corners.end());
  // Z is negated unless "Reverse Z axis" is checked.
  EXPECT_EQ(corners, (std::vector<std::array<float, 3>>{{1, 2, -3}, {1, 6, -3}, {4, 2, -3}}));

  ExportDialog reopened(project, files, nullptr);
  EXPECT_EQ(reopened.format_list()->currentIndex(), 2);
  EXPECT_EQ(reopened.path_field()->text(), "");
}

TEST_F(ExportDialogs, DxfPlyAndStlAreOfferedAndWrittenWithTheirEndings) {
  ModelPoint* b = add_point(project, 4, 2, 3);
  ModelPoint* c = add_point(project, 1, 6, 3);
  add_face(project, *project.model.points.first(), *b, *c);
  const char* items[] = {"DXF drawing .dxf file", "PLY mesh .ply file", "STL mesh .stl file"};
  const char* filters[] = {"DXF Files (*.dxf);;All Files (*.*)", "PLY Files (*.ply);;All Files (*.*)",
                           "STL Files (*.stl);;All Files (*.*)"};
  const char* names[] = {"model.dxf", "model.ply", "model.STL"};
  for (int k = 0; k < 3; ++k) {
    {
      ExportDialog dialog(project, files, nullptr);
      dialog.show();
      test_support::choose(dialog.format_list(), 3 + k);
      EXPECT_EQ(dialog.format_list()->currentText(), items[k]);
      click(dialog.browse_button());
      EXPECT_EQ(files.filters.back(), filters[k]);
      click(dialog, "Cancel");
    }
    export_as(3 + k, k == 2 ? "model.STL" : "model");
    EXPECT_EQ(project.export_settings.format, 3 + k);
    EXPECT_TRUE(exists(names[k])) << names[k];
    EXPECT_FALSE(exists(std::string(names[k]) + ".stl"));
    ExportDialog reopened(project, files, nullptr);
    EXPECT_EQ(reopened.format_list()->currentIndex(), 3 + k);
  }
  EXPECT_TRUE(messages.shown.empty());
  const test_support::ReadScene stl = test_support::read_with_assimp(tmp.dir("project") + "model.STL");
  ASSERT_EQ(stl.triangles.size(), 1u);
}

}  // namespace
}  // namespace plenvista
