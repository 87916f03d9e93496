#include "shell/panels/image_list_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "model/image_management.h"
#include "photogrammetry/projection.h"
#include "shell/dialogs/image_dialog.h"
#include "shell/dialogs/search_progress_dialog.h"
#include "shell/dialogs/set_camera_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/shell_test_doubles.h"
#include "testing/bmp_file.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::click_ok;
using test_support::click_row;
using test_support::ModalScript;
using test_support::type_into;

struct ImageListPanelTest : ::testing::Test, test_support::RecordedProject {
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  ImageListPanel panel{project, files, questions, nullptr};

  void SetUp() override {
    panel.set_search_tick(1);
    panel.resize(200, 300);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  }

  ProjectImage* add(const std::string& description, double score = 0.0) {
    auto image = std::make_unique<ProjectImage>();
    image->description = description;
    image->search_score = score;
    return add_image(project, std::move(image));
  }
  QString line(int row) const { return panel.list()->item(row)->text(); }
  std::vector<std::string> order() const {
    std::vector<std::string> names;
    for (const ProjectImage* image : project.images().images) names.emplace_back(shown(image->description));
    return names;
  }
  // n reference points where a camera in front of the scene sees them.
  void mark(ProjectImage& image, int n) {
    image.pixel_width = 2272;
    image.pixel_height = 1704;
    const PreparedPose seen(image, CameraPose{{-300, -250, -1800}, {3, -4, 1}});
    const Vec3 corners[] = {{0, 0, 0}, {600, 0, 50}, {0, 500, 300}, {550, 450, 400}, {300, 200, 100}};
    for (int k = 0; k < n; ++k) add_reference_point(project, image, corners[k], seen.project(corners[k], false));
  }
};

TEST_F(ImageListPanelTest, ListsDescriptionsWithScoresAndEnablesEditAndDeleteOnlyWithImages) {
  EXPECT_EQ(panel.tabText(0), "Images");
  EXPECT_EQ(panel.tabText(1), "CAD");
  EXPECT_EQ(panel.list()->count(), 0);
  EXPECT_FALSE(panel.edit_button()->isEnabled());
  EXPECT_FALSE(panel.delete_button()->isEnabled());
  EXPECT_FALSE(panel.reference_only_box()->isEnabled());

  add("Front", 98.25);
  add("Side", 0.0);
  project.images().reference_points_only = 1;
  panel.refresh();
  EXPECT_EQ(line(0), "Front \t 98.25%");
  EXPECT_EQ(line(1), "Side \t 0.00%");
  EXPECT_EQ(panel.list()->currentRow(), 0);
  EXPECT_TRUE(panel.reference_only_box()->isChecked());
  EXPECT_TRUE(panel.edit_button()->isEnabled());
  EXPECT_TRUE(panel.delete_button()->isEnabled());
}

TEST_F(ImageListPanelTest, ChoosingALineSetsTheCurrentImageOrWithShiftHeldThePartner) {
  ProjectImage* front = add("Front");
  ProjectImage* side = add("Side");
  panel.refresh();
  notifier.posted.clear();
  click_row(panel.list(), 1);
  EXPECT_EQ(project.images().current, side);
  EXPECT_TRUE(posted(Notification::ImagesChanged));

  project.images().partner_mode = 1;  // SHIFT held in the image view
  click_row(panel.list(), 0);
  EXPECT_EQ(project.images().current, side);
  EXPECT_EQ(side->partner, front);
}

// The list's context menu: "Use as Partner" on another line makes that
// image the current one's partner; the current line offers nothing.
TEST_F(ImageListPanelTest, UseAsPartnerFromTheContextMenu) {
  ProjectImage* front = add("Front");
  ProjectImage* side = add("Side");
  project.images().current = front;
  panel.refresh();
  const auto open_menu = [this](int row) {
    QApplication::processEvents();
    const QPoint at = panel.list()->visualItemRect(panel.list()->item(row)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, panel.list()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(panel.list()->viewport(), &event);
  };
  bool offered = false;
  QTimer::singleShot(50, [&offered] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      offered = menu->actions().value(0)->text() == "Use as Partner";
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Return);
    }
  });
  open_menu(1);
  EXPECT_TRUE(offered);
  EXPECT_EQ(front->partner, side);
  EXPECT_EQ(project.images().current, front);
  EXPECT_TRUE(project.modified);

  QTimer::singleShot(50, [] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      popup->close();
      ADD_FAILURE() << "a menu on the current image's line";
    }
  });
  open_menu(0);
  QTest::qWait(80);
}

TEST_F(ImageListPanelTest, UpAndDownMoveOnePlaceButNotPastTheEnds) {
  add("A");
  add("B");
  ProjectImage* c = add("C");
  panel.refresh();
  click(panel.up_button());  // A is current and first
  EXPECT_EQ(order(), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(project.modified, 0);
  click(panel.down_button());
  EXPECT_EQ(order(), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(project.modified, 1);
  panel.refresh();
  EXPECT_EQ(line(1), "A \t 0.00%");
  EXPECT_EQ(panel.list()->currentRow(), 1);

  click_row(panel.list(), 2);
  EXPECT_EQ(project.images().current, c);
  click(panel.down_button());
  EXPECT_EQ(order(), (std::vector<std::string>{"B", "A", "C"}));
  click(panel.up_button());
  EXPECT_EQ(order(), (std::vector<std::string>{"B", "C", "A"}));
}

TEST_F(ImageListPanelTest, DeleteIsRefusedForATextureAndAskedOtherwise) {
  ProjectImage* front = add("Front");
  add("Side");
  panel.refresh();
  project.model.materials.first()->texture_image = front;
  click(panel.delete_button());
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "Image is currently in use by a material, cannot delete");
  EXPECT_EQ(questions.told[0].caption, "Plenvista");
  EXPECT_TRUE(questions.asked.empty());
  EXPECT_EQ(project.images().images.count(), 2);

  project.model.materials.first()->texture_image = nullptr;
  questions.answers = {QMessageBox::No, QMessageBox::Yes};
  click(panel.delete_button());
  EXPECT_EQ(project.images().images.count(), 2);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, "Remove image from project - are you sure ?");
  EXPECT_EQ(questions.asked[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  click(panel.delete_button());
  EXPECT_EQ(order(), std::vector<std::string>{"Side"});
  questions.answers = {QMessageBox::Yes};
  click(panel.delete_button());
  EXPECT_TRUE(project.images().images.empty());
  EXPECT_FALSE(panel.edit_button()->isEnabled());
  EXPECT_FALSE(panel.delete_button()->isEnabled());
}

TEST_F(ImageListPanelTest, AddWithoutACameraAsksForOneAndCancelAddsNothing) {
  {
    ModalScript script;
    script.then_do<SetCameraDialog>([](SetCameraDialog& d) { test_support::click_cancel(d); });
    click(panel.add_button());
  }
  EXPECT_TRUE(project.images().images.empty());
  {
    // With a camera named, Add goes straight to the Image dialog.
    project.camera_file_name = "lens.cal";
    ModalScript script;
    script.then_do<ImageDialog>([](ImageDialog& d) { test_support::click_cancel(d); });
    click(panel.add_button());
  }
  EXPECT_TRUE(project.images().images.empty());
  EXPECT_EQ(project.modified, 0);
}

TEST_F(ImageListPanelTest, AnOverriddenCameraShowsTheNewImageAsLocated) {
  test_support::TempDir dir;
  project.set_path(dir.path.string() + "/scene.op2");
  project.camera_file_name = "lens.cal";
  dir.write("front.bmp", test_support::small_bmp(2272, 1704));
  {
    ModalScript script;
    script.then_do<ImageDialog>([](ImageDialog& d) {
      type_into(d.field(ImageDialog::File), "front.bmp");
      type_into(d.field(ImageDialog::Description), "Front");
      click(d.override_box());
      type_into(d.field(ImageDialog::PosZ), "-2000");
      click_ok(d);
    });
    click(panel.add_button());
  }
  panel.refresh();
  EXPECT_EQ(line(0), "Front \t 100.00%");
  EXPECT_EQ(project.images().current->pose_known, 1);
  EXPECT_EQ(project.modified, 1);
  EXPECT_TRUE(panel.edit_button()->isEnabled());
}

TEST_F(ImageListPanelTest, LeavingCalibrationModeSearchesImagesWithFourChangedPoints) {
  project.images().camera = test_support::pinhole_camera();
  ProjectImage* three = add("Three");
  ProjectImage* four = add("Four");
  mark(*three, 3);
  mark(*four, 4);
  click(panel.calibration_box());
  EXPECT_EQ(project.images().calibration_mode, 1);
  EXPECT_TRUE(panel.reference_only_box()->isEnabled());
  click(panel.reference_only_box());
  EXPECT_EQ(project.images().reference_points_only, 1);
  EXPECT_EQ(project.modified, 1);

  int dialogs = 0;
  {
    // The first dialog is closed before its search ends: the image is
    // searched again in a second dialog.
    ModalScript script;
    script.then<SearchProgressDialog>([&](SearchProgressDialog& d) {
      if (!d.run().image()) return false;
      ++dialogs;
      d.reject();
      return true;
    });
    script.then<SearchProgressDialog>([&](SearchProgressDialog& d) {
      if (!d.ok_button()->isEnabled()) return false;
      ++dialogs;
      EXPECT_EQ(d.run().image(), four);
      click(d.ok_button());
      return true;
    });
    click(panel.calibration_box());
  }
  EXPECT_EQ(dialogs, 2);
  EXPECT_EQ(project.images().calibration_mode, 0);
  EXPECT_EQ(project.images().reference_points_only, 0);
  EXPECT_FALSE(panel.reference_only_box()->isChecked());
  EXPECT_FALSE(panel.reference_only_box()->isEnabled());
  EXPECT_EQ(four->pose_known, 1);
  EXPECT_EQ(three->pose_known, 0);
  EXPECT_EQ(three->marks_changed, 1);  // three points: no search
  panel.refresh();
  EXPECT_TRUE(line(1).startsWith("Four \t 99.") || line(1) == "Four \t 100.00%") << line(1).toStdString();

  // Nothing left to search: leaving calibration mode again opens no dialog.
  click(panel.calibration_box());
  click(panel.calibration_box());
  EXPECT_EQ(three->pose_known, 0);
}

TEST_F(ImageListPanelTest, RefreshRewritesLinesInPlaceAndKeepsTheScrollPosition) {
  for (int i = 0; i < 60; ++i) add("Photo " + std::to_string(i));
  panel.refresh();
  QScrollBar* bar = panel.list()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 10);
  bar->setValue(bar->maximum() / 2);
  const int scroll = bar->value();
  QListWidgetItem* first = panel.list()->item(0);
  project.images().images.at(0)->search_score = 50;
  project.images().images.remove_at(59);
  panel.refresh();
  EXPECT_EQ(panel.list()->count(), 59);
  EXPECT_EQ(panel.list()->item(0), first);
  EXPECT_EQ(line(0), "Photo 0 \t 50.00%");
  EXPECT_EQ(bar->value(), scroll);
}

TEST_F(ImageListPanelTest, TheCadPageChoosesTheTabbedViewsAxis) {
  EXPECT_EQ(panel.axis_list()->currentText(), "Z Axis");
  test_support::click_tab(&panel, 1);
  EXPECT_EQ(project.cad_page_shown, 1);
  EXPECT_TRUE(posted(Notification::DisplayChanged));
  notifier.posted.clear();
  panel.axis_list()->setFocus();
  QTest::keyClick(panel.axis_list(), Qt::Key_Down);
  EXPECT_EQ(panel.axis_list()->currentText(), "X Axis");
  EXPECT_EQ(project.active_cad_view, 1);
  EXPECT_TRUE(posted(Notification::ImagesChanged));
}

}  // namespace
}  // namespace plenvista
