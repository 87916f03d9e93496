// The "Residuals" dock in the main window, driven the way a user drives it:
// Tools > Residuals shows it with the current photograph's reference points,
// the header sorts, a row click selects the mark in the view, the scale box
// lengthens the view's lines, and a point made by clicks in two photographs
// reports its fit in the status bar (a warning for nearly parallel rays).

#include "shell/panels/residuals_panel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "model/image_management.h"
#include "model/zoom_pan.h"
#include "photogrammetry/projection.h"
#include "shell/gui_test_support.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/shell_test_doubles.h"
#include "testing/cameras.h"
#include "views/image_view.h"

namespace plenvista {
namespace {

void deliver() { QCoreApplication::processEvents(); }

struct ResidualsDock : ::testing::Test {
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::FileStore store;
  std::unique_ptr<MainWindow> window;
  ProjectImage* a = nullptr;
  ProjectImage* b = nullptr;
  std::vector<ReferencePoint*> marks;

  void SetUp() override {
    window = std::make_unique<MainWindow>(MainWindow::Services{settings, files, questions, store.functions(), {}});
    Project& project = window->project();
    project.images().camera = test_support::pinhole_camera();
    for (ProjectImage** image : {&a, &b}) {
      auto added = std::make_unique<ProjectImage>();
      added->id = project.model.new_id();
      added->description = *image == a ? "Front" : "Side";
      added->pose_known = 1;
      added->camera = &project.images().camera;
      added->centre_x = 1136;
      added->centre_y = 852;
      added->view.zoom = 0.35;
      *image = project.images().images.insert(std::move(added));
    }
    a->pose = {{-100, -50, -2000}, {0, 0, 0}};
    b->pose = {{-1300, -50, -1700}, {0, -37, 2}};
    a->partner = b;
    b->partner = a;
    project.images().current = a;
    // Marks off their projections by 0, 1, 2 and 5 pixels; the last flagged.
    const Vec3 worlds[] = {{0, 0, 0}, {200, 0, 0}, {0, 200, 0}, {200, 200, 100}};
    const Point2 slips[] = {{0, 0}, {-1, 0}, {0, 2}, {3, -4}};
    for (int k = 0; k < 4; ++k) {
      const Point2 p = project_to_image(worlds[k], *a, false);
      marks.push_back(add_reference_point(project, *a, worlds[k], {p.x - slips[k].x, p.y - slips[k].y}));
    }
    marks[3]->outlier = 1;
    a->marks_changed = 0;
    window->resize(1200, 800);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    project.post(Notification::ImagesChanged);
    deliver();
  }
  ResidualsPanel& panel() { return *window->residuals_panel(); }
  QTableWidget& table() { return *panel().table(); }
  QString cell(int row, int column) { return table().item(row, column)->text(); }
  void click_cell(int row, int column) {
    QTableWidget& t = table();
    const QRect r = t.visualItemRect(t.item(row, column));
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, r.center());
  }
};

TEST_F(ResidualsDock, ListsSortsSelectsAndScales) {
  EXPECT_FALSE(window->residuals_dock()->isVisible());
  test_support::click(window->image_list_panel()->calibration_box());
  window->actions().tools_residuals->trigger();
  deliver();
  ASSERT_TRUE(window->residuals_dock()->isVisible());
  ASSERT_EQ(table().rowCount(), 4);
  // RMS of 0, 1, 2 and 5 pixels.
  EXPECT_EQ(panel().summary()->text(), "Image " + QString::number(a->id) + ": RMS residual 2.74 px");
  // Largest first: the 5-pixel mark, flagged.
  EXPECT_EQ(cell(0, ResidualsPanel::IdColumn), QString::number(marks[3]->id));
  EXPECT_EQ(cell(0, ResidualsPanel::ResidualColumn), "5.00");
  EXPECT_EQ(cell(0, ResidualsPanel::OutlierColumn), "yes");
  EXPECT_EQ(cell(0, ResidualsPanel::ZColumn), "100.000");
  EXPECT_EQ(cell(3, ResidualsPanel::ResidualColumn), "0.00");

  // The Id header sorts by id as numbers.
  QHeaderView* header = table().horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(ResidualsPanel::IdColumn) + 5, header->height() / 2));
  deliver();
  const Qt::SortOrder order = header->sortIndicatorOrder();
  const QString first = cell(0, ResidualsPanel::IdColumn);
  EXPECT_EQ(first, QString::number(order == Qt::AscendingOrder ? marks[0]->id : marks[3]->id));

  // A row click selects that mark alone; the refill keeps the row selected.
  int row_of_2px = -1;
  for (int row = 0; row < 4; ++row)
    if (cell(row, ResidualsPanel::IdColumn) == QString::number(marks[2]->id)) row_of_2px = row;
  ASSERT_GE(row_of_2px, 0);
  marks[0]->selected = true;
  click_cell(row_of_2px, ResidualsPanel::YColumn);
  deliver();
  EXPECT_TRUE(marks[2]->selected);
  EXPECT_FALSE(marks[0]->selected);
  ASSERT_EQ(table().selectedItems().size(), ResidualsPanel::ColumnCount);
  EXPECT_EQ(table().selectedItems().first()->row(), row_of_2px);
  EXPECT_EQ(window->project().modified, 0) << "choosing a row is not an edit";

  // The scale box sets the view's line length.
  QDoubleSpinBox& scale = *panel().scale_box();
  scale.setFocus();
  scale.selectAll();
  QTest::keyClicks(&scale, "25");
  QTest::keyClick(&scale, Qt::Key_Enter);
  EXPECT_EQ(window->image_view().residual_scale(), 25.0);

  // The menu entry hides the dock again.
  window->actions().tools_residuals->trigger();
  EXPECT_FALSE(window->residuals_dock()->isVisible());
  EXPECT_FALSE(window->actions().tools_residuals->isChecked());
}

TEST_F(ResidualsDock, StatusBarTellsTheFitOfANewPointAndWarnsOfCloseRays) {
  ImageView& view = window->image_view();
  const auto at = [&](const Vec3& world) {
    const ProjectImage& image = *view.displayed_image();
    const Point2 p = image_to_client(image.view, view.view_size(), project_to_image(world, image, true));
    return QPoint(static_cast<int>(p.x), static_cast<int>(p.y));
  };
  const auto make_point = [&](const Vec3& world) {
    QTest::mouseMove(&view, QPoint(10, 10));
    QTest::mouseClick(&view, Qt::LeftButton, {}, at(world));
    QTest::keyPress(&view, Qt::Key_Shift);
    QTest::mouseMove(&view, QPoint(12, 10), 0);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::ShiftModifier, at(world));
    QTest::keyRelease(&view, Qt::Key_Shift);
    deliver();
  };
  make_point({120, -40, 60});
  ASSERT_EQ(window->project().model.points.count(), 1);
  const int first = window->project().model.points.first()->id;
  QString text = window->point_fit_text();
  EXPECT_TRUE(text.startsWith("Point " + QString::number(first) + ": reprojection ")) << text.toStdString();
  EXPECT_TRUE(text.contains("degrees apart")) << text.toStdString();
  EXPECT_FALSE(text.startsWith("Warning")) << text.toStdString();

  // A second photograph taken from 30 mm beside the first: rays about 1 degree apart.
  b->pose = {{-130, -50, -2000}, {0, 0, 0}};
  make_point({-80, 30, 40});
  ASSERT_EQ(window->project().model.points.count(), 2);
  text = window->point_fit_text();
  EXPECT_TRUE(text.startsWith("Warning: Point")) << text.toStdString();
  EXPECT_TRUE(text.contains("rays closer than 2 degrees")) << text.toStdString();
}

}  // namespace
}  // namespace plenvista
