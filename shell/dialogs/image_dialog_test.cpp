#include "shell/dialogs/image_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "model/image_management.h"
#include "platform/photograph_reader.h"
#include "shell/dialogs/image_centres_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/shell_test_doubles.h"
#include "testing/bmp_file.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::click_ok;
using test_support::type_into;
using F = ImageDialog;

const std::string kNotFound =
    "Cannot open image file. Check the file name and that the file exists in one of the directories listed in "
    "Project Properties";

struct ImageDialogTest : ::testing::Test, test_support::RecordedProject {
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::TempDir dir;

  void SetUp() override {
    project.set_path(dir.path.string() + "/scene.op2");
    dir.write("photos/front.bmp", test_support::small_bmp(8, 8));
    project.model.image_directories = ".;photos";
  }
};

TEST_F(ImageDialogTest, NewImageStartsEmptyWithTheTextureAndPoseFieldsDisabled) {
  ImageDialog dialog(project, nullptr, files, questions, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Image");
  EXPECT_TRUE(dialog.field(F::File)->isEnabled());
  EXPECT_TRUE(dialog.field(F::File)->text().isEmpty());
  EXPECT_EQ(dialog.field(F::CentreX)->text(), "0");
  EXPECT_EQ(dialog.field(F::Scale)->text(), "1.00");
  EXPECT_EQ(dialog.field(F::RotZ)->text(), "0.000");
  EXPECT_EQ(dialog.field(F::PosX)->maxLength(), 23);
  EXPECT_EQ(dialog.field(F::Description)->maxLength(), 127);
  for (F::Field f : {F::CentreX, F::CentreY, F::Scale, F::PosX, F::RotZ}) EXPECT_FALSE(dialog.field(f)->isEnabled());
  EXPECT_FALSE(dialog.override_box()->isChecked());
  click(dialog.override_box());
  EXPECT_TRUE(dialog.field(F::PosY)->isEnabled());
  EXPECT_FALSE(dialog.field(F::CentreY)->isEnabled());
  click(dialog.override_box());
  EXPECT_FALSE(dialog.field(F::PosY)->isEnabled());
}

TEST_F(ImageDialogTest, OkStripsTheDirectoryAndKeepsTheDialogOpenWhileTheFileIsMissing) {
  ImageDialog dialog(project, nullptr, files, questions, nullptr);
  dialog.show();
  type_into(dialog.field(F::File), "C:\\shots\\back.bmp");
  type_into(dialog.field(F::Description), "Back");
  click_ok(dialog);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], (test_support::Shown{kNotFound, "Error"}));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.take_new_image(), nullptr);

  // Browse fills in the full path; only the name after the last '/' is kept
  // and found in the second image directory.
  files.choices = {dir.path.string() + "/elsewhere/front.bmp"};
  click(dialog.browse_button());
  EXPECT_EQ(files.filters.back(), kPhotographFileFilter);
  click(dialog.override_box());
  type_into(dialog.field(F::PosZ), "-1500,5");
  type_into(dialog.field(F::RotY), "12.5deg");
  click_ok(dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const auto image = dialog.take_new_image();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->file_name, "front.bmp");
  EXPECT_EQ(image->resolved_path, dir.path.string() + "/photos/front.bmp");
  EXPECT_EQ(image->description, "Back");
  // A typed pose on a new image: located before it is even added.
  EXPECT_EQ(image->pose.offset.z, -1500.0);
  EXPECT_EQ(image->pose.rotation.y, 12.5);
  EXPECT_EQ(image->search_score, 100.0);
  EXPECT_EQ(image->pose_known, 1);
  EXPECT_EQ(image->marks_changed, 0);
}

TEST_F(ImageDialogTest, EditingTouchesTheTextureOnlyWhenTheSizeDiffers) {
  ProjectImage native;
  native.file_name = "front.bmp";
  native.description = "Front";
  native.texture_centre_x = 7;
  native.pose.offset = {1.25, 2, 3};
  native.marks_changed = 1;
  ImageDialog dialog(project, &native, files, questions, nullptr);
  EXPECT_FALSE(dialog.field(F::File)->isEnabled());
  EXPECT_FALSE(dialog.browse_button()->isEnabled());
  EXPECT_EQ(dialog.field(F::PosX)->text(), "1.250");
  EXPECT_EQ(dialog.field(F::CentreX)->text(), "7");
  EXPECT_FALSE(dialog.field(F::CentreX)->isEnabled());
  dialog.field(F::CentreX)->setText("99");  // a disabled field is never read into the image
  type_into(dialog.field(F::Description), "Front left");
  click_ok(dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(native.description, "Front left");
  EXPECT_EQ(native.texture_centre_x, 7.0);
  EXPECT_EQ(native.pose.offset.x, 1.25);  // no override: the pose stays
  EXPECT_EQ(native.marks_changed, 1);

  ProjectImage smaller;
  smaller.file_name = "front.bmp";
  smaller.size_differs = 1;
  ImageDialog edit(project, &smaller, files, questions, nullptr);
  EXPECT_TRUE(edit.field(F::Scale)->isEnabled());
  type_into(edit.field(F::CentreX), "568");
  type_into(edit.field(F::Scale), "0.5");
  click_ok(edit);
  EXPECT_EQ(smaller.texture_centre_x, 568.0);
  EXPECT_EQ(smaller.texture_scale, 0.5);
  EXPECT_EQ(smaller.size_differs, 1);
}

// A full path outside the directories: No keeps today's refusal, Yes adds
// the folder relative to the project and finds the photograph there. A file
// that is no photograph is added with a warning saying why.
TEST_F(ImageDialogTest, AFullPathAddsItsFolderAfterYesAndAnUnreadableFileIsAddedWithAWarning) {
  const std::string shoot = dir.write("shoot/fake.jpg", "GARBAGE");
  ImageDialog dialog(project, nullptr, files, questions, nullptr);
  dialog.show();
  EXPECT_FALSE(dialog.partner_list()->isEnabled());  // a new photograph starts without a partner
  type_into(dialog.field(F::File), QString::fromStdString(shoot));
  questions.answers = {QMessageBox::No};
  click_ok(dialog);
  ASSERT_EQ(questions.asked.size(), 1u);
  const std::string folder = dir.path.string() + "/shoot";
  EXPECT_EQ(questions.asked[0].text.toStdString(),
            "The folder " + folder + " is not among the project's directories. Add it?");
  EXPECT_EQ(messages.shown.back(), (test_support::Shown{kNotFound, "Error"}));
  EXPECT_EQ(project.model.image_directories, ".;photos");
  EXPECT_TRUE(dialog.isVisible());

  questions.answers = {QMessageBox::Yes};
  click_ok(dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(project.model.image_directories, ".;photos;shoot;");
  const auto image = dialog.take_new_image();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->file_name, "fake.jpg");
  EXPECT_EQ(image->resolved_path, dir.path.string() + "/shoot/fake.jpg");
  EXPECT_EQ(messages.shown.back().caption, "Warning");
  EXPECT_NE(messages.shown.back().text.find("Cannot read the photograph " + shoot), std::string::npos);
  EXPECT_NE(messages.shown.back().text.find("added all the same"), std::string::npos);
}

// Editing chooses the partner among the other photographs.
TEST_F(ImageDialogTest, EditingChoosesThePartner) {
  auto made = [this](const char* description) {
    auto image = std::make_unique<ProjectImage>();
    image->file_name = "front.bmp";
    image->description = description;
    return add_image(project, std::move(image));
  };
  ProjectImage* left = made("Left");
  ProjectImage* right = made("Right");
  made("Back");
  ImageDialog dialog(project, left, files, questions, nullptr);
  dialog.show();
  QComboBox* partner = dialog.partner_list();
  ASSERT_TRUE(partner->isEnabled());
  EXPECT_EQ(partner->currentText(), "(none)");
  ASSERT_EQ(partner->count(), 3);  // none, Right, Back: not itself
  partner->setFocus();
  QTest::keyClick(partner, Qt::Key_Down);
  EXPECT_EQ(partner->currentText(), QStringLiteral("Right (%1)").arg(right->id));
  click_ok(dialog);
  EXPECT_EQ(left->partner, right);
}

TEST(ImageCentresDialog, OkStoresTheCentreAndMarksTheSizeCancelLeavesItNative) {
  ProjectImage image;
  image.texture_centre_x = 1135.6;
  image.texture_scale = 0.125;
  ImageCentresDialog dialog(image, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Image Centres");
  EXPECT_EQ(dialog.field(ImageCentresDialog::CentreX)->text(), "1136");
  EXPECT_EQ(dialog.field(ImageCentresDialog::Scale)->text(), "0.12");
  type_into(dialog.field(ImageCentresDialog::CentreY), "426");
  type_into(dialog.field(ImageCentresDialog::Scale), ".5");
  test_support::click_cancel(dialog);
  EXPECT_EQ(image.size_differs, 0);
  EXPECT_EQ(image.texture_centre_y, 0.0);

  ImageCentresDialog again(image, nullptr);
  type_into(again.field(ImageCentresDialog::CentreY), "426");
  type_into(again.field(ImageCentresDialog::Scale), ".5");
  click_ok(again);
  EXPECT_EQ(image.size_differs, 1);
  EXPECT_EQ(image.texture_centre_x, 1136.0);
  EXPECT_EQ(image.texture_centre_y, 426.0);
  EXPECT_EQ(image.texture_scale, 0.5);
}

}  // namespace
}  // namespace plenvista
