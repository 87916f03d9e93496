#include "shell/dialogs/set_camera_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

#include "model/project.h"
#include "photogrammetry/camera_file.h"
#include "shell/gui_test_support.h"
#include "shell/shell_test_doubles.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::click_ok;
using test_support::type_into;

struct SetCameraDialogTest : ::testing::Test, test_support::RecordedProject {
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::TempDir dir;

  void SetUp() override {
    project.set_path(dir.path.string() + "/scene.op2");
    CameraModel camera = test_support::pinhole_camera();
    camera.native_width = 640;
    ASSERT_TRUE(save_camera(dir.path.string() + "/lens.cal", camera, messages));
  }
};

TEST_F(SetCameraDialogTest, BrowseKeepsTheNameAndOkLoadsTheCamera) {
  SetCameraDialog dialog(project, files, questions, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Set Camera");
  EXPECT_TRUE(dialog.camera_field()->text().isEmpty());
  files.choices = {"/media/card/cameras/lens.cal"};
  click(dialog.browse_button());
  EXPECT_EQ(files.filters.back(), "cal Files (*.cal)");
  EXPECT_EQ(dialog.camera_field()->text(), "lens.cal");
  files.choices = {std::nullopt};
  click(dialog.browse_button());
  EXPECT_EQ(dialog.camera_field()->text(), "lens.cal");
  click_ok(dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(project.camera_file_name, "lens.cal");
  EXPECT_EQ(project.images().camera.native_width, 640);
}

TEST_F(SetCameraDialogTest, AMissingCameraIsStillNamedWithoutAMessage) {
  project.camera_file_name = "old.cal";
  SetCameraDialog dialog(project, files, questions, nullptr);
  EXPECT_EQ(dialog.camera_field()->text(), "old.cal");
  type_into(dialog.camera_field(), "missing.cal");
  click_ok(dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(project.camera_file_name, "missing.cal");
  EXPECT_EQ(project.images().camera.native_width, 2272);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SetCameraDialogTest, ACameraBrowsedOutsideTheDirectoriesAddsItsFolderWhenAsked) {
  const std::string folder = dir.dir("cards");
  std::filesystem::create_directories(folder);
  CameraModel camera = test_support::pinhole_camera();
  camera.native_width = 800;
  ASSERT_TRUE(save_camera(folder + "card.cal", camera, messages));
  for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
    questions.answers = {answer};
    SetCameraDialog dialog(project, files, questions, nullptr);
    files.choices = {folder + "card.cal"};
    click(dialog.browse_button());
    EXPECT_EQ(dialog.camera_field()->text(), "card.cal");
    click_ok(dialog);
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_TRUE(questions.asked.back().text.contains("is not among the project's directories. Add it?"));
    questions.asked.clear();
    EXPECT_EQ(project.camera_file_name, "card.cal");
    EXPECT_EQ(project.images().camera.native_width, answer == QMessageBox::Yes ? 800 : 2272);
  }
  EXPECT_NE(shown(project.model.image_directories).find("cards"), std::string::npos);
}

}  // namespace
}  // namespace plenvista
