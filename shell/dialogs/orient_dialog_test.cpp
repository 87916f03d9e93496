// The Orient Photographs dialog's refusals and Cancel, on the sample's
// photographs with the house's corners marked as tie points. (A whole run
// and its result are walked in shell/tie_points_flow_test.cpp.)

#include "shell/dialogs/orient_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "model/run_edit.h"
#include "model/tie_points.h"
#include "persistence/project_file.h"
#include "photogrammetry/projection.h"
#include "shell/gui_test_support.h"
#include "shell/sample_copy.h"
#include "testing/sample_scene.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::type_into;

struct OrientDialogTest : ::testing::Test, test_support::RecordedProject {
  test_support::TempDir dir;

  void SetUp() override {
    const auto path = copy_sample_project(dir.dir("sample"));
    ASSERT_TRUE(path);
    project.set_path(*path);
    ASSERT_EQ(open_project(project), OpenResult::Opened);
    std::vector<LabelledMark> marks;
    for (std::size_t shot = 0; shot < sample::kShots.size(); ++shot) {
      const ProjectImage& image = *project.images().images.at(static_cast<int>(shot));
      const PreparedPose pose(image, sample::true_pose(sample::kShots[shot]));
      for (std::size_t corner = 0; corner < sample::kHouseCorners.size(); ++corner) {
        marks.push_back({"T" + std::to_string(corner + 1), pose.project(sample::kHouseCorners[corner], true),
                         std::string(shown(image.file_name)), 0});
      }
    }
    run_edit(project, [&] { ASSERT_TRUE(import_labelled_marks(project, marks)); });
  }
};

void choose(QComboBox* box, const QString& label) {
  box->setFocus();
  QTest::keyClicks(box, label);
  EXPECT_EQ(box->currentText(), label);
}

TEST_F(OrientDialogTest, UnusableDatumIsRefusedAndCancelLeavesTheProjectAsItWas) {
  std::vector<CameraPose> poses;
  for (const ProjectImage* image : project.images().images) poses.push_back(image->pose);
  const int actions = project.undo.actions.count();

  // A timer that never fires on its own: the run stays under way.
  OrientDialog dialog(project, nullptr, 600000);
  dialog.show();
  QTableWidget* table = dialog.distance_table();
  choose(static_cast<QComboBox*>(table->cellWidget(0, 0)), "T1");
  choose(static_cast<QComboBox*>(table->cellWidget(0, 1)), "T2");
  click(dialog.orient_button());
  EXPECT_FALSE(dialog.running());
  EXPECT_EQ(dialog.progress_line()->text(), "Distance 1 needs two labels and a length above 0.");
  type_into(static_cast<QLineEdit*>(table->cellWidget(0, 2)), "600");
  choose(dialog.axis_box(0), "T1");
  click(dialog.orient_button());
  EXPECT_FALSE(dialog.running());
  EXPECT_EQ(dialog.progress_line()->text(), "The axes need all three points, or none.");
  choose(dialog.axis_box(1), "T2");
  choose(dialog.axis_box(2), "T5");

  click(dialog.orient_button());
  ASSERT_TRUE(dialog.running());
  EXPECT_EQ(dialog.close_button()->text(), "Cancel");
  EXPECT_FALSE(dialog.orient_button()->isEnabled());
  click(dialog.close_button());
  EXPECT_FALSE(dialog.running());
  EXPECT_FALSE(dialog.result());
  for (std::size_t i = 0; i < poses.size(); ++i)
    EXPECT_EQ(project.images().images.at(static_cast<int>(i))->pose, poses[i]);
  for (const TiePoint* t : project.model.tie_points) EXPECT_FALSE(t->position);
  EXPECT_EQ(project.undo.actions.count(), actions);
}

}  // namespace
}  // namespace plenvista
