#include "shell/dialogs/search_progress_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "model/image_management.h"
#include "photogrammetry/projection.h"
#include "shell/gui_test_support.h"
#include "testing/cameras.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

struct SearchProgressDialogTest : ::testing::Test, test_support::RecordedProject {
  ProjectImage* image = nullptr;

  void SetUp() override {
    project.images().camera = test_support::pinhole_camera();
    image = add_image(project, std::make_unique<ProjectImage>());
    image->pixel_width = 2272;
    image->pixel_height = 1704;
    const PreparedPose seen(*image, CameraPose{{-300, -250, -1800}, {3, -4, 1}});
    for (const Vec3& w : {Vec3{0, 0, 0}, Vec3{600, 0, 50}, Vec3{0, 500, 300}, Vec3{550, 450, 400}})
      add_reference_point(project, *image, w, seen.project(w, false));
  }
};

TEST_F(SearchProgressDialogTest, ShowsTheSearchLiveAndEnablesOkAtTheEnd) {
  SearchProgressDialog dialog(project, nullptr, 1);
  EXPECT_EQ(dialog.windowTitle(), "Searching ...");
  EXPECT_EQ(dialog.score_line()->text(), "Searching ...");
  EXPECT_FALSE(dialog.ok_button()->isEnabled());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.ok_button()->isEnabled(); }, 60000));
  EXPECT_EQ(dialog.run().image(), image);
  EXPECT_EQ(dialog.score_line()->text().toStdString(), dialog.run().score_text());
  EXPECT_TRUE(dialog.score_line()->text().startsWith("Score = "));
  EXPECT_TRUE(dialog.offset_line()->text().startsWith("X : -300.0"));
  EXPECT_EQ(image->marks_changed, 0);
  EXPECT_GT(image->search_score, 99);
  // The views were asked to redraw while the camera moved.
  EXPECT_TRUE(std::count(notifier.posted.begin(), notifier.posted.end(),
                         test_support::Posted{Notification::RedrawViews, 0}) >= 1);
  test_support::click(dialog.ok_button());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SearchProgressDialogTest, ClosedEarlyLeavesTheImageToSearchAgain) {
  {
    SearchProgressDialog dialog(project, nullptr, 1);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.run().image() != nullptr; }, 10000));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    const int ticks = dialog.run().ticks();
    QTest::qWait(20);
    EXPECT_EQ(dialog.run().ticks(), ticks);  // the timer stopped with the dialog
  }
  EXPECT_EQ(image->marks_changed, 1);
  EXPECT_EQ(first_image_ready_for_search(project.images()), image);
}

}  // namespace
}  // namespace plenvista
