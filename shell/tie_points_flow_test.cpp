// Orienting photographs without surveyed coordinates, as a user does it in
// the main window: a new project from the sample's four photographs, ten
// tie points each named in the "Tie Points" dock and clicked in every
// photograph (N in the dock goes on to the next one), one of the marks
// deliberately put on the wrong corner, then Project > Orient Photographs
// with one distance and the axes typed into the dialog. The sample was
// rendered from known poses (testing/sample_scene.h), and the axes and the
// distance are chosen so that the datum is the scene's own frame: the
// oriented photographs must sit where the sample was taken from. The wrong
// mark shows as an outlier in the dock and red in the image view; its row
// in the dialog's result leads to it, a click moves it to the right corner
// and Undo takes that back; two oriented ties become model points (one
// Undo), and one more Undo gives back the unoriented project.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <cmath>
#include <memory>

#include "model/tie_points.h"
#include "photogrammetry/projection.h"
#include "shell/dialogs/image_dialog.h"
#include "shell/dialogs/orient_dialog.h"
#include "shell/dialogs/set_camera_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/panels/tie_points_panel.h"
#include "shell/sample_copy.h"
#include "shell/shell_test_doubles.h"
#include "testing/sample_scene.h"
#include "testing/temp_dir.h"
#include "views/image_view.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::click_ok;
using test_support::ModalScript;
using test_support::type_into;

// The photograph and corner of the deliberately wrong mark, and where it
// goes instead: the corner of the ridge's other end.
constexpr std::size_t kWrongShot = 1;
constexpr std::size_t kWrongCorner = 2;
constexpr std::size_t kWrongPlace = 8;

struct TiePointsFlow : ::testing::Test {
  test_support::TempDir dir;
  std::string sample;
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::FileStore store;
  std::unique_ptr<MainWindow> window;

  void SetUp() override {
    sample = dir.dir("sample");
    ASSERT_TRUE(copy_sample_project(sample));
    window = std::make_unique<MainWindow>(MainWindow::Services{settings, files, questions, store.functions(), {}});
    window->project().set_path(dir.path.string() + "/ties.op2");
    window->resize(1200, 900);
    window->show();
    QApplication::processEvents();
  }
  Project& project() { return window->project(); }
  ImageView& view() { return window->image_view(); }
  TiePointsPanel& ties() { return *window->tie_points_panel(); }

  void add_photograph(const sample::Shot& shot) {
    ModalScript script;
    if (!project().camera_file_name) {
      files.choices.push_back(sample + "camera.cal");
      script.then_do<SetCameraDialog>([](SetCameraDialog& d) {
        click(d.browse_button());
        click_ok(d);
      });
    }
    script.then_do<ImageDialog>([&](ImageDialog& d) {
      type_into(d.field(ImageDialog::File), QString::fromStdString(sample) + shot.file);
      type_into(d.field(ImageDialog::Description), shot.description);
      click_ok(d);
    });
    click(window->image_list_panel()->add_button());
  }

  // The photograph's pixel where the sample's camera saw `world`.
  static Point2 seen(const ProjectImage& image, const sample::Shot& shot, const Vec3& world) {
    return PreparedPose(image, sample::true_pose(shot)).project(world, true);
  }
  // The view zoomed to four screen pixels a photograph pixel with the pixel
  // in its middle, as a user zooms in to mark; the client pixel nearest to it.
  QPoint zoom_onto(Point2 pixel) {
    ProjectImage& image = *view().displayed_image();
    image.view.zoom = 4.0;
    image.view.scroll_x = std::floor(pixel.x - view().width() / 8.0);
    image.view.scroll_y = std::floor(pixel.y - view().height() / 8.0);
    view().update();
    QApplication::processEvents();
    const Point2 c = image_to_client(image.view, view().view_size(), pixel);
    const QPoint at(static_cast<int>(std::lround(c.x)), static_cast<int>(std::lround(c.y)));
    QTest::mouseMove(&view(), at);
    return at;
  }
  // ALT keeps the click where it is (no snapping onto the corner).
  void click_mark(Point2 pixel) { QTest::mouseClick(&view(), Qt::LeftButton, Qt::AltModifier, zoom_onto(pixel)); }

  int row_of(const QString& label) {
    for (int row = 0; row < ties().table()->rowCount(); ++row)
      if (ties().table()->item(row, TiePointsPanel::LabelColumn)->text() == label) return row;
    return -1;
  }
};

void choose(QComboBox* box, const QString& label) {
  box->setFocus();
  QTest::keyClicks(box, label);
  EXPECT_EQ(box->currentText(), label);
}

TEST_F(TiePointsFlow, TiesMarkedByClicksOrientThePhotographsWhereTheyWereTaken) {
  // The sample's folder is not among a new project's directories: Yes adds it
  // when the camera is chosen.
  questions.answers = {QMessageBox::Yes};
  for (const sample::Shot& shot : sample::kShots) add_photograph(shot);
  ImageSet& set = project().images();
  ASSERT_EQ(set.images.count(), 4);
  click(window->image_list_panel()->calibration_box());
  window->findChild<QDockWidget*>("TiePointsDock")->show();
  test_support::click_row(window->image_list_panel()->list(), 0);
  ASSERT_EQ(set.current, set.images.first());

  for (std::size_t corner = 0; corner < sample::kHouseCorners.size(); ++corner) {
    const QString label = "T" + QString::number(corner + 1);
    type_into(ties().label_field(), label);
    QTest::keyClick(ties().label_field(), Qt::Key_Return);
    ASSERT_TRUE(find_tie_point(project().model, label.toStdString()));
    ASSERT_EQ(ties().current_point(), find_tie_point(project().model, label.toStdString())->id);
    for (std::size_t shot = 0; shot < sample::kShots.size(); ++shot) {
      ASSERT_EQ(set.current, set.images.at(static_cast<int>(shot)));
      const bool wrong = shot == kWrongShot && corner == kWrongCorner;
      click_mark(seen(*set.current, sample::kShots[shot], sample::kHouseCorners[wrong ? kWrongPlace : corner]));
      QTest::keyClick(ties().table(), Qt::Key_N);
    }
  }
  for (const ProjectImage* image : set.images) EXPECT_EQ(image->tie_marks.count(), 10);
  // Rows sort as numbers: T10 last.
  EXPECT_EQ(row_of("T10"), 9);
  EXPECT_EQ(ties().table()->item(row_of("T3"), TiePointsPanel::PhotographsColumn)->text(), "4");
  EXPECT_EQ(ties().table()->item(row_of("T3"), TiePointsPanel::XColumn)->text(), "");

  std::vector<CameraPose> unoriented;
  for (const ProjectImage* image : set.images) unoriented.push_back(image->pose);
  ModalScript script;
  script
      .then_do<OrientDialog>([](OrientDialog& d) {
        QTableWidget* table = d.distance_table();
        choose(static_cast<QComboBox*>(table->cellWidget(0, 0)), "T1");
        choose(static_cast<QComboBox*>(table->cellWidget(0, 1)), "T2");
        type_into(static_cast<QLineEdit*>(table->cellWidget(0, 2)), "600");
        choose(d.axis_box(0), "T1");
        choose(d.axis_box(1), "T2");
        choose(d.axis_box(2), "T5");
        click(d.orient_button());
        EXPECT_TRUE(d.running());
      })
      .then<OrientDialog>([](OrientDialog& d) {
        if (d.running()) return false;
        EXPECT_TRUE(d.result() && d.result()->ok()) << d.progress_line()->text().toStdString();
        EXPECT_EQ(d.photograph_table()->rowCount(), 4);
        EXPECT_EQ(d.point_table()->rowCount(), 10);
        if (d.point_table()->rowCount() == 10) {
          EXPECT_EQ(d.point_table()->item(9, 0)->text(), "T10");
        }
        EXPECT_EQ(d.outlier_table()->rowCount(), 1);
        if (d.outlier_table()->rowCount() == 1) {
          EXPECT_EQ(d.outlier_table()->item(0, 0)->text(), "T3");
          // The outlier's row leads to its mark: T3 becomes the marking
          // point and its photograph shows.
          QTableWidget* outliers = d.outlier_table();
          QTest::mouseClick(outliers->viewport(), Qt::LeftButton, {},
                            outliers->visualItemRect(outliers->item(0, 0)).center());
        }
        click(d.close_button());
        return true;
      });
  window->actions().project_orient->trigger();

  for (std::size_t shot = 0; shot < sample::kShots.size(); ++shot) {
    const ProjectImage& image = *set.images.at(static_cast<int>(shot));
    SCOPED_TRACE(sample::kShots[shot].file);
    EXPECT_TRUE(image.pose_known);
    const Vec3 error = image.pose.offset - sample::true_pose(sample::kShots[shot]).offset;
    EXPECT_LT(std::hypot(error.x, error.y, error.z), 1.0);
  }
  const TiePoint& ridge = *find_tie_point(project().model, "T9");
  ASSERT_TRUE(ridge.position && ridge.precision);
  EXPECT_LT(std::hypot(ridge.position->x - 0, ridge.position->y - 550, ridge.position->z + 150), 1.0);

  // T5 lies on the axes' XY plane: its Z is zero, not "-0.00".
  EXPECT_EQ(ties().table()->item(row_of("T5"), TiePointsPanel::ZColumn)->text(), "0.00");

  // The wrong mark: "yes" in the dock, a red cross in its photograph.
  const int t3 = row_of("T3");
  EXPECT_EQ(ties().table()->item(t3, TiePointsPanel::OutlierColumn)->text(), "yes");
  EXPECT_EQ(ties().table()->item(row_of("T4"), TiePointsPanel::OutlierColumn)->text(), "");
  EXPECT_NE(ties().table()->item(t3, TiePointsPanel::PrecisionColumn)->text(), "");
  const int t3_id = find_tie_point(project().model, "T3")->id;
  EXPECT_EQ(ties().current_point(), t3_id);
  ASSERT_EQ(set.current, set.images.at(static_cast<int>(kWrongShot)));
  ProjectImage& wrong = *set.current;
  const ReferencePoint* mark = find_mark_of(wrong, t3_id);
  ASSERT_TRUE(mark && mark->orientation_outlier);
  const Point2 wrong_pixel = mark_pixel(wrong, *mark);
  const QPoint at = zoom_onto(wrong_pixel);
  QImage frame(view().size(), QImage::Format_RGB32);
  view().render(frame);
  EXPECT_EQ(frame.pixelColor(at + QPoint(12, 0)), QColor(Qt::red));

  // One click puts the mark on the right corner; one Undo takes it back.
  const Point2 right_pixel = seen(wrong, sample::kShots[kWrongShot], sample::kHouseCorners[kWrongCorner]);
  click_mark(right_pixel);
  mark = find_mark_of(wrong, t3_id);
  ASSERT_TRUE(mark);
  EXPECT_LT(std::hypot(mark_pixel(wrong, *mark).x - right_pixel.x, mark_pixel(wrong, *mark).y - right_pixel.y), 0.5);
  EXPECT_EQ(find_tie_point(project().model, "T3")->id, t3_id);
  window->actions().edit_undo->trigger();
  mark = find_mark_of(wrong, t3_id);
  ASSERT_TRUE(mark);
  EXPECT_LT(std::hypot(mark_pixel(wrong, *mark).x - wrong_pixel.x, mark_pixel(wrong, *mark).y - wrong_pixel.y), 0.5);

  // Make Points: the rows of T9 and T10 chosen (CTRL adds the second), two
  // model points on the ridge's ends; one Undo takes both.
  QTableWidget* table = ties().table();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(row_of("T9"), 0)).center());
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    table->visualItemRect(table->item(row_of("T10"), 0)).center());
  click(ties().make_points_button());
  ASSERT_EQ(project().model.points.count(), 2);
  for (const ModelPoint* point : project().model.points)
    EXPECT_LT(std::abs(point->y - 550), 1.0) << point->x << " " << point->y << " " << point->z;
  window->actions().edit_undo->trigger();
  EXPECT_EQ(project().model.points.count(), 0);

  window->actions().edit_undo->trigger();
  QApplication::processEvents();
  for (std::size_t shot = 0; shot < sample::kShots.size(); ++shot) {
    EXPECT_FALSE(set.images.at(static_cast<int>(shot))->pose_known);
    EXPECT_EQ(set.images.at(static_cast<int>(shot))->pose, unoriented[shot]);
  }
  for (const TiePoint* t : project().model.tie_points) EXPECT_FALSE(t->position);
  EXPECT_EQ(ties().table()->item(t3, TiePointsPanel::OutlierColumn)->text(), "");
}

}  // namespace
}  // namespace plenvista
