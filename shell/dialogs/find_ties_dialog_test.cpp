#include "shell/dialogs/find_ties_dialog.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <map>

#include "model/auto_ties.h"
#include "model/image_management.h"
#include "model/tie_points.h"
#include "model/undo_commands.h"
#include "shell/dialogs/dialog_test_support.h"
#include "testing/textured_scene.h"

namespace plenvista {
namespace {

constexpr double kPitch = 40;  // 800 x 560 photographs

// Three renderings of the textured plane and box, 20 degrees apart, read
// from memory; the third can be unchecked.
struct FindTiesDialogTest : ::testing::Test, test_support::RecordedProject {
  std::map<int, RgbImage> pictures;

  void SetUp() override {
    ImageSet& set = project.images();
    set.camera = test_support::scene_camera(kPitch);
    const test_support::TexturedScene scene;
    for (int k = 0; k < 3; ++k) {
      const double angle = (k - 1) * 20 * kDegreesToRadians;
      const ProjectImage truth =
          test_support::scene_image(set.camera, {900 * std::sin(angle), 520, 900 * std::cos(angle)}, {0, 60, 0});
      auto made = std::make_unique<ProjectImage>();
      made->file_name = "view" + std::to_string(k) + ".png";
      ProjectImage* image = add_image(project, std::move(made));
      image->camera = &set.camera;
      image->centre_x = set.camera.centre_x;
      image->centre_y = set.camera.centre_y;
      pictures.emplace(image->id, scene.render(truth, kPitch));
    }
  }
  PhotographRead reader() const {
    return [this](const ProjectImage& image, std::string&) { return pictures.at(image.id); };
  }
};

void toggle_row(FindTiesDialog& dialog, int row) {
  test_support::click_row(dialog.photographs(), row);
  QTest::keyClick(dialog.photographs(), Qt::Key_Space);
}

TEST_F(FindTiesDialogTest, FindsTheCheckedPhotographsTiesAsOneUndoableAction) {
  FindTiesDialog dialog(project, reader(), {}, nullptr, 1);
  dialog.show();
  ASSERT_EQ(dialog.photographs()->count(), 3);
  toggle_row(dialog, 2);
  ASSERT_EQ(dialog.photographs()->item(2)->checkState(), Qt::Unchecked);
  test_support::click(dialog.find_button());
  EXPECT_TRUE(dialog.running());
  EXPECT_FALSE(dialog.find_button()->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.running(); }, 120000));

  EXPECT_EQ(dialog.progress_bar()->value(), 100);
  const int added = project.model.tie_points.count();
  EXPECT_GT(added, 30);
  EXPECT_TRUE(find_tie_point(project.model, "auto-" + std::to_string(added)));
  EXPECT_TRUE(project.images().images.at(2)->tie_marks.empty());  // unchecked
  EXPECT_TRUE(project.modified);
  EXPECT_TRUE(posted(Notification::ImagesChanged));
  const QString report = dialog.report()->toPlainText();
  EXPECT_TRUE(report.contains("view0.png and view1.png: ")) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("Added %1 tie points, auto-1 to auto-%1.").arg(added)))
      << report.toStdString();
  EXPECT_EQ(dialog.cancel_button()->text(), "Close");
  test_support::click(dialog.cancel_button());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  // Edit > Undo takes them all back at once; Redo puts them back.
  undo_command(project);
  EXPECT_EQ(project.model.tie_points.count(), 0);
  EXPECT_TRUE(project.images().images.at(0)->tie_marks.empty());
  redo_command(project);
  EXPECT_EQ(project.model.tie_points.count(), added);
  EXPECT_FALSE(project.images().images.at(0)->tie_marks.empty());
}

TEST_F(FindTiesDialogTest, CancelStopsTheSearchAndAddsNothing) {
  FindTiesDialog dialog(project, reader(), {project.images().images.at(0)->id}, nullptr, 50);
  dialog.show();
  EXPECT_EQ(dialog.photographs()->item(1)->checkState(), Qt::Unchecked);
  test_support::click(dialog.find_button());
  EXPECT_EQ(dialog.report()->toPlainText(), "Check two photographs or more.");
  toggle_row(dialog, 1);
  test_support::click(dialog.find_button());
  ASSERT_TRUE(dialog.running());
  test_support::click(dialog.cancel_button());
  EXPECT_FALSE(dialog.running());
  EXPECT_TRUE(dialog.isVisible());
  QTest::qWait(100);
  EXPECT_EQ(project.model.tie_points.count(), 0);
  EXPECT_TRUE(dialog.report()->toPlainText().endsWith("Cancelled: no tie points added."));
  EXPECT_TRUE(dialog.find_button()->isEnabled());
}

}  // namespace
}  // namespace plenvista
