#include "shell/dialogs/project_properties_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "model/edit_test_support.h"
#include "persistence/diagnostic_dump.h"
#include "photogrammetry/camera_file.h"
#include "shell/dialogs/dialog_test_support.h"
#include "shell/shell_test_doubles.h"
#include "testing/cameras.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::click;
using Dialog = ProjectPropertiesDialog;

struct ProjectDialog : test_support::EditFixture {
  test_support::ScriptedChoosers choosers;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::TempDir tmp;
  std::vector<std::string> saved;

  void SetUp() override {
    project.set_path(tmp.dir("project") + "house.op2");
    model.image_directories = ".;";
    model.face_line_colour = 0x00010203u;
    model.mirror_face_line_colour = 0xFF00FF00u;
    model.reference_point_colour = 0x000000FFu;
    CameraModel camera = test_support::pinhole_camera();
    std::filesystem::create_directories(tmp.path / "cameras");
    ASSERT_TRUE(save_camera(tmp.dir("cameras") + "lens.cal", camera, messages));
  }
  std::function<bool(Project&)> save() {
    return [this](Project& p) {
      saved.push_back(p.path.value_or(""));
      return true;
    };
  }
  void retype(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
  }
};

TEST_F(ProjectDialog, InvalidCameraKeepsTheDialogOpenThenOkSetsAndSaves) {
  Dialog dialog(project, choosers, files, questions, save(), nullptr);
  dialog.show();
  EXPECT_EQ(dialog.path_field()->text().toStdString(), tmp.dir("project") + "house.op2");
  EXPECT_EQ(dialog.camera_field()->text(), "");
  EXPECT_EQ(dialog.directories_field()->text(), ".;");
  EXPECT_FALSE(dialog.use_last_project()->isChecked());

  choosers.colours = {0x00AABBCCu};
  click(dialog.colour_field(Dialog::ReferencePoint).button());
  retype(dialog.directories_field(), ".;../cameras");
  click(dialog, "OK");  // empty camera field
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "Invalid camera file");
  EXPECT_EQ(questions.told[0].caption, "Error");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(model.image_directories, ".;../cameras");  // taken before the camera was refused
  EXPECT_EQ(model.reference_point_colour, 0x000000FFu);
  EXPECT_TRUE(saved.empty());

  // Browse puts only the file's name into the field; the directories find it.
  files.choices = {tmp.dir("cameras") + "lens.cal"};
  click(dialog.camera_browse());
  EXPECT_EQ(dialog.camera_field()->text(), "lens.cal");
  EXPECT_EQ(files.filters.back(), "cal Files (*.cal)");
  test_support::toggle(dialog.use_last_project());
  click(dialog, "OK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(project.camera_file_name, "lens.cal");
  EXPECT_EQ(project.images().camera.centre_x, 1136.0);
  EXPECT_EQ(model.face_line_colour, 0x00010203u);
  EXPECT_EQ(model.mirror_face_line_colour, 0xFF00FF00u);  // never chosen: kept bit for bit
  EXPECT_EQ(model.reference_point_colour, 0x00AABBCCu);
  EXPECT_EQ(saved, (std::vector<std::string>{tmp.dir("project") + "house.op2"}));
  EXPECT_EQ(store.read_int("UseLastProject", 0), 1);
}

TEST_F(ProjectDialog, CancelKeepsTheColoursAndTheChosenPath) {
  Dialog dialog(project, choosers, files, questions, save(), nullptr);
  dialog.show();
  choosers.colours = {0x00FFFFFFu, 0x00123456u};
  click(dialog.colour_field(Dialog::FaceLine).button());
  click(dialog.colour_field(Dialog::MirrorFaceLine).button());
  files.choices = {tmp.dir("other") + "moved.op2"};
  click(dialog.path_browse());
  EXPECT_EQ(dialog.path_field()->text().toStdString(), tmp.dir("other") + "moved.op2");
  EXPECT_EQ(files.suffixes.back(), "op2");
  EXPECT_EQ(files.save_initials.back(), tmp.dir("project") + "house.op2");

  click(dialog.set_as_default());  // takes effect at once
  EXPECT_EQ(store.read_int("ColourFaceLine", 0), 0x00FFFFFF);
  EXPECT_EQ(store.read_int("ColourMirrorLine", 0), 0x00123456);
  EXPECT_EQ(store.read_int("ColourCalPoint", 0), 0x000000FF);
  EXPECT_EQ(store.read_text("MainDirs"), ".;");

  click(dialog, "Cancel");
  EXPECT_EQ(model.face_line_colour, 0x00010203u);
  EXPECT_EQ(model.mirror_face_line_colour, 0xFF00FF00u);
  EXPECT_EQ(project.path, tmp.dir("project") + "house.op2");
  EXPECT_TRUE(saved.empty());
}

TEST_F(ProjectDialog, DumpWritesToTheWorkingDirectoryAndAnUntitledProjectIsNotSaved) {
  const auto old_directory = std::filesystem::current_path();
  std::filesystem::current_path(tmp.path);
  Dialog dialog(project, choosers, files, questions, save(), nullptr);
  dialog.show();
  click(dialog.dump_to_file());
  std::filesystem::current_path(old_directory);
  EXPECT_TRUE(std::filesystem::exists(tmp.path / kDiagnosticDumpFile));

  dialog.path_field()->clear();
  retype(dialog.camera_field(), "lens.cal");
  retype(dialog.directories_field(), QString::fromStdString(tmp.dir("cameras")));
  click(dialog, "OK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(project.path.has_value());
  EXPECT_TRUE(saved.empty());
  EXPECT_TRUE(questions.told.empty());
}

// A camera file typed with its full path in a folder the directories do not
// reach: No refuses it as before, Yes adds "../cameras" and takes it.
TEST_F(ProjectDialog, AFullCameraPathAddsItsFolderAfterYes) {
  Dialog dialog(project, choosers, files, questions, save(), nullptr);
  dialog.show();
  const std::string lens = tmp.dir("cameras") + "lens.cal";
  retype(dialog.camera_field(), QString::fromStdString(lens));
  questions.answers = {QMessageBox::No};
  click(dialog, "OK");
  ASSERT_EQ(questions.asked.size(), 1u);
  std::string folder = tmp.dir("cameras");
  folder.pop_back();
  EXPECT_EQ(questions.asked[0].text.toStdString(),
            "The folder " + folder + " is not among the project's directories. Add it?");
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "Invalid camera file");
  EXPECT_TRUE(dialog.isVisible());

  questions.answers = {QMessageBox::Yes};
  click(dialog, "OK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(model.image_directories, ".;../cameras;");
  EXPECT_EQ(dialog.directories_field()->text(), ".;../cameras;");
  EXPECT_EQ(project.camera_file_name, "lens.cal");
  EXPECT_EQ(project.camera_file_path, lens);
}

}  // namespace
}  // namespace plenvista
