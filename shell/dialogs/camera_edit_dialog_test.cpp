#include "shell/dialogs/camera_edit_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "base/number_text.h"
#include "cli/cli_test_support.h"
#include "model/zoom_pan.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/grid_calibration.h"
#include "platform/photograph_reader.h"
#include "shell/shell_test_doubles.h"
#include "testing/bmp_file.h"
#include "testing/synthetic_grid.h"
#include "views/calibration_view.h"

namespace plenvista {
namespace {

using Dialog = CameraEditDialog;
using test_support::ScriptedFiles;
using test_support::ScriptedQuestions;

const QString kOpenImage = "Open an image file using the open button at the top right of screen";
const QString kDistance = "Set the distance field (mm) between camera and image";
const QString kCellX = "Set mm per cell (x). This is the width of a cell";
const QString kCellY = "Set mm per cell (y). This is the Height of a cell";
const QString kCentre = "Click on the central cross lines of the grid (+)";
const std::array<QString, 4> kCorners{
    "Click on the top left corner of the top left cell", "Click on the top right corner of the top left cell",
    "Click on the bottom right corner of the top left cell", "Click on the bottom left corner of the top left cell"};

// The corners of the top-left cell in click order: (row, column).
constexpr std::array<std::pair<int, int>, 4> kCellCorners{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};

// The shortest text that reads back as exactly `value`.
std::string exact(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool wait_for(const std::function<bool()>& condition, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QTest::qWait(10);
  }
  return true;
}

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Editor {
  test_support::TempDir dir;
  test_support::SyntheticGrid grid = test_support::default_size_grid();
  std::string photograph = dir.write("grid.bmp", test_support::bmp_bytes(test_support::draw_grid(grid)));
  ScriptedFiles files;
  ScriptedQuestions questions;
  Dialog dialog{files, questions, nullptr};

  Editor() {
    dialog.resize(1150, 700);
    dialog.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  }

  CalibrationView& view() { return dialog.view(); }
  QString instruction() {
    dialog.update_instructions();
    return dialog.instruction_text()->text();
  }
  bool saves_enabled() const {
    return dialog.button(Dialog::Save)->isEnabled() && dialog.button(Dialog::SaveAs)->isEnabled();
  }
  void press(Dialog::Button b) { QTest::mouseClick(dialog.button(b), Qt::LeftButton); }
  void type(Dialog::Field f, const QString& text) {
    dialog.field(f)->clear();
    QTest::keyClicks(dialog.field(f), text);
  }
  void open_image() {
    files.choices = {photograph};
    press(Dialog::OpenImage);
  }

  // Clicks the view where the photograph position `image` shows and
  // returns the photograph position that click stands for.
  Point2 click(Point2 image) {
    const Point2 c = image_to_client(view().zoom_pan(), view().view_size(), image);
    const QPoint at(static_cast<int>(std::lround(c.x)), static_cast<int>(std::lround(c.y)));
    EXPECT_TRUE(view().rect().contains(at)) << c.x << ", " << c.y;
    QTest::mouseClick(&view(), Qt::LeftButton, Qt::NoModifier, at);
    return client_to_image(view().zoom_pan(), view().view_size(),
                           {static_cast<double>(at.x()), static_cast<double>(at.y())});
  }
  Point2 near_intersection(int row, int column) {
    const Point2 p = test_support::true_intersection(grid, row, column);
    return {p.x + 3.0, p.y - 2.0};
  }

  void move(QPoint at, Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), view().mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                      modifiers);
    QApplication::sendEvent(&view(), &event);
  }
  void wheel(QPoint at, int delta) {
    move(at, Qt::NoModifier);
    QWheelEvent event(QPointF(at), view().mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view(), &event);
  }
};

TEST(CameraEditDialog, CalibratesThroughTheViewAndSavesWhatTheCommandLineToolSaves) {
  Editor e;
  EXPECT_EQ(e.dialog.windowTitle(), "Camera Editor");
  EXPECT_EQ(e.dialog.instruction_text()->text(), kOpenImage);
  EXPECT_FALSE(e.dialog.button(Dialog::Save)->isEnabled());
  EXPECT_FALSE(e.dialog.button(Dialog::SaveAs)->isEnabled());
  EXPECT_EQ(e.dialog.field(Dialog::Rows)->text(), "14");
  EXPECT_EQ(e.dialog.field(Dialog::Columns)->text(), "20");

  e.open_image();
  EXPECT_EQ(e.files.filters.back(), kPhotographFileFilter);
  EXPECT_EQ(e.dialog.field(Dialog::ImageFile)->text(), "grid.bmp");
  EXPECT_EQ(e.instruction(), kDistance);
  e.type(Dialog::Distance, "far");
  EXPECT_EQ(e.instruction(), kDistance);
  e.type(Dialog::Distance, "500");
  EXPECT_EQ(e.instruction(), kCellX);
  e.type(Dialog::CellWidth, "10");
  EXPECT_EQ(e.instruction(), kCellY);
  e.type(Dialog::CellHeight, "12.5");
  EXPECT_EQ(e.instruction(), kCentre);
  e.type(Dialog::Notes, "grid camera");
  EXPECT_FALSE(e.saves_enabled());

  // A click on blank paper in the top-left corner finds no grid line: it is
  // not taken, and the instruction stays and says why.
  const Point2 blank = e.click({8.0, 15.0});
  EXPECT_EQ(e.instruction(), kCentre + QString(" - Point 1 : no grid line found near (%1, %2); click within a few "
                                               "pixels of the corner")
                                           .arg(static_cast<int>(blank.x))
                                           .arg(static_cast<int>(blank.y)));
  EXPECT_EQ(e.dialog.point_text(0)->text(), "");

  // Zoom in twice about a point near the top left, then pan with CTRL held.
  e.wheel({40, 30}, 120);
  e.wheel({40, 30}, 120);
  e.move({300, 200}, Qt::ControlModifier);
  e.move({276, 182}, Qt::ControlModifier);
  e.move({276, 182}, Qt::NoModifier);
  const ZoomPanState& state = e.view().zoom_pan();
  EXPECT_NEAR(state.zoom, 1.21, 1e-12);
  EXPECT_GT(state.scroll_x, 20.0);
  EXPECT_GT(state.scroll_y, 15.0);

  const Point2 centre = e.click(e.near_intersection(7, 10));
  EXPECT_FALSE(e.dialog.centre_text()->text().isEmpty());
  EXPECT_EQ(e.instruction(), kCorners[0]);
  EXPECT_EQ(e.dialog.grid_report_text()->text(), "");

  std::array<Point2, 4> corners{};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(e.instruction(), kCorners[k]);
    corners[k] = e.click(e.near_intersection(kCellCorners[k].first, kCellCorners[k].second));
    EXPECT_FALSE(e.dialog.point_text(static_cast<int>(k))->text().isEmpty());
  }
  EXPECT_EQ(e.dialog.instruction_text()->text(), "");
  EXPECT_TRUE(e.saves_enabled());
  EXPECT_TRUE(e.dialog.grid_report_text()->text().startsWith("Intersections found : 315 of 315\n"))
      << e.dialog.grid_report_text()->text().toStdString();
  const CameraModel& camera = e.dialog.camera();
  ASSERT_EQ(camera.rows, 14);
  ASSERT_EQ(camera.columns, 20);
  for (int i = 0; i <= 14; ++i) {
    for (int j = 0; j <= 20; ++j) {
      const Point2 truth = test_support::true_intersection(e.grid, i, j);
      EXPECT_NEAR(camera.corner(i, j).x, truth.x, 1.0) << i << ", " << j;
      EXPECT_NEAR(camera.corner(i, j).y, truth.y, 1.0) << i << ", " << j;
    }
  }

  // The timer takes a field emptied and filled again into account within a tick.
  EXPECT_TRUE(e.dialog.instruction_timer().isActive());
  EXPECT_EQ(e.dialog.instruction_timer().interval(), 1000);
  e.type(Dialog::CellHeight, "0");
  EXPECT_TRUE(wait_for([&] { return e.dialog.instruction_text()->text() == kCellY; }, 1500));
  EXPECT_FALSE(e.saves_enabled());
  e.type(Dialog::CellHeight, "12.5");
  EXPECT_TRUE(wait_for([&] { return e.saves_enabled(); }, 1500));
  EXPECT_EQ(e.dialog.instruction_text()->text(), "");

  // Save without a camera file writes nothing; closing asks about the grid.
  e.press(Dialog::Save);
  EXPECT_FALSE(std::filesystem::exists(e.dir.path / "editor.cal"));
  e.questions.answers = {QMessageBox::Cancel};
  e.dialog.close();
  ASSERT_EQ(e.questions.asked.size(), 1u);
  EXPECT_EQ(e.questions.asked[0].text, "The calculated grid has not been saved. Save the camera ?");
  EXPECT_TRUE(e.dialog.isVisible());

  const std::string saved = (e.dir.path / "editor.cal").string();
  e.files.choices = {saved};
  e.press(Dialog::SaveAs);
  EXPECT_EQ(e.files.filters.back(), "cal Files (*.cal);;All Files (*.*)");
  EXPECT_EQ(e.files.suffixes.back(), "cal");
  EXPECT_EQ(e.files.save_initials.back(), "");
  EXPECT_EQ(e.dialog.windowTitle(), "editor.cal - Camera Editor");
  EXPECT_TRUE(e.questions.told.empty());
  ASSERT_TRUE(std::filesystem::exists(saved));

  std::string corner_args;
  for (const Point2& p : corners) corner_args += " " + exact(p.x) + " " + exact(p.y);
  const test_support::CliRun run = test_support::run_cli(
      e.dir, "calibrate '" + e.photograph + "' --rows 14 --columns 20 --cell 10 12.5 --distance 500" + " --centre " +
                 exact(centre.x) + " " + exact(centre.y) + " --corners" + corner_args +
                 " --notes 'grid camera' --output cli.cal");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test_support::read_text(e.dir.path / "cli.cal"), test_support::read_text(saved));
  QString shown = "Centre : " + e.dialog.centre_text()->text() + "\n";
  for (int k = 0; k < 4; ++k) shown += QString("Point %1 : ").arg(k + 1) + e.dialog.point_text(k)->text() + "\n";
  shown += e.dialog.grid_report_text()->text() + "\n";
  EXPECT_EQ(QString::fromStdString(run.out).left(shown.size()), shown);

  // New keeps the file: a second camera goes into the same file with Save.
  e.press(Dialog::New);
  EXPECT_EQ(e.dialog.windowTitle(), "editor.cal - Camera Editor");
  EXPECT_EQ(e.dialog.field(Dialog::ImageFile)->text(), "");
  EXPECT_EQ(e.dialog.field(Dialog::Distance)->text(), "");
  EXPECT_EQ(e.dialog.point_text(0)->text(), "");
  EXPECT_EQ(e.dialog.centre_text()->text(), "");
  EXPECT_EQ(e.instruction(), kOpenImage);
  EXPECT_EQ(e.view().grab().toImage().pixelColor(20, 20), QColor(Qt::black));
  e.open_image();
  e.type(Dialog::Distance, "750");
  e.type(Dialog::CellWidth, "10");
  e.type(Dialog::CellHeight, "10");
  e.type(Dialog::Notes, "second");
  e.click(e.near_intersection(7, 10));
  for (const auto& [row, column] : kCellCorners) e.click(e.near_intersection(row, column));
  EXPECT_TRUE(e.saves_enabled());
  e.press(Dialog::Save);
  CameraModel reread;
  test_support::RecordingMessages messages;
  ASSERT_TRUE(load_camera(saved, reread, messages));
  EXPECT_EQ(reread.notes, "second");
  EXPECT_EQ(reread.distance_mm, 750.0);
  EXPECT_EQ(reread.image_file, e.photograph);

  // Saved: closing asks nothing.
  e.dialog.close();
  EXPECT_FALSE(e.dialog.isVisible());
  EXPECT_EQ(e.questions.asked.size(), 1u);
}

TEST(CameraEditDialog, AnUnsavedOrFailedGridIsSavedOnlyWhenTheUserSaysSo) {
  Editor e;
  e.open_image();
  e.type(Dialog::Distance, "500");
  e.type(Dialog::CellWidth, "10");
  e.type(Dialog::CellHeight, "10");
  // One row more than the photograph has: the last row is not found.
  e.type(Dialog::Rows, "15");
  e.click(e.near_intersection(7, 10));
  for (const auto& [row, column] : kCellCorners) e.click(e.near_intersection(row, column));
  EXPECT_EQ(e.dialog.camera().rows, 15);
  EXPECT_TRUE(e.dialog.grid_report_text()->text().contains(" of 336\n"))
      << e.dialog.grid_report_text()->text().toStdString();

  // Closing asks to save; Yes without a camera file goes to Save As, which
  // first asks about the failed check: No keeps the editor open, unsaved.
  e.questions.answers = {QMessageBox::Yes, QMessageBox::No};
  e.dialog.close();
  EXPECT_TRUE(e.dialog.isVisible());
  ASSERT_EQ(e.questions.asked.size(), 2u);
  EXPECT_EQ(e.questions.asked[0].text, "The calculated grid has not been saved. Save the camera ?");
  EXPECT_EQ(e.questions.asked[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_TRUE(e.questions.asked[1].text.startsWith("The traced grid fails its check:\n"));
  EXPECT_TRUE(e.questions.asked[1].text.endsWith("\nSave it anyway ?"));
  EXPECT_TRUE(e.files.save_initials.empty());

  // Yes to both, then a cancelled file dialog: still open.
  e.questions.answers = {QMessageBox::Yes, QMessageBox::Yes};
  e.dialog.close();
  EXPECT_TRUE(e.dialog.isVisible());
  ASSERT_EQ(e.files.save_initials.size(), 1u);

  const std::string path = (e.dir.path / "closing.cal").string();
  e.questions.answers = {QMessageBox::Yes, QMessageBox::Yes};
  e.files.choices = {path};
  e.dialog.close();
  EXPECT_FALSE(e.dialog.isVisible());
  CameraModel reread;
  test_support::RecordingMessages messages;
  ASSERT_TRUE(load_camera(path, reread, messages));
  EXPECT_EQ(reread.rows, 15);
}

// A camera file made the way the command-line tool makes one.
std::string calibrated_camera(const Editor& e, const std::string& name) {
  GridPhoto photo;
  CameraModel camera;
  set_grid_photograph(photo, camera, std::make_unique<RgbImage>(test_support::draw_grid(e.grid)));
  const ClickOutcome centre = snapClick(photo, test_support::true_intersection(e.grid, 7, 10), 20, 14);
  for (const auto& [row, column] : kCellCorners)
    snapClick(photo, test_support::true_intersection(e.grid, row, column), 20, 14);
  EXPECT_TRUE(calculateGrid(photo, camera));
  camera.centre_x = centre.position.x;
  camera.centre_y = centre.position.y;
  camera.distance_mm = 500.0;
  camera.cell_width_mm = 10.0;
  camera.cell_height_mm = 12.5;
  camera.notes = "bench";
  camera.image_file = e.photograph;
  const std::string path = (e.dir.path / name).string();
  test_support::RecordingMessages messages;
  EXPECT_TRUE(save_camera(path, camera, messages));
  return path;
}

TEST(CameraEditDialog, OpeningACameraShowsItsFieldsAndItsGrid) {
  Editor e;
  const std::string path = calibrated_camera(e, "bench.cal");
  CameraModel expected;
  test_support::RecordingMessages messages;
  ASSERT_TRUE(load_camera(path, expected, messages));

  e.files.choices = {path};
  e.press(Dialog::OpenCamera);
  EXPECT_EQ(e.files.filters.back(), "cal Files (*.cal);;All Files (*.*)");
  EXPECT_EQ(e.dialog.windowTitle(), "Camera Editor");
  EXPECT_EQ(e.dialog.camera_file(), path);
  EXPECT_EQ(e.dialog.field(Dialog::Rows)->text(), "14");
  EXPECT_EQ(e.dialog.field(Dialog::Columns)->text(), "20");
  EXPECT_EQ(e.dialog.field(Dialog::Distance)->text(), "500.00");
  EXPECT_EQ(e.dialog.field(Dialog::CellWidth)->text(), "10.000");
  EXPECT_EQ(e.dialog.field(Dialog::CellHeight)->text(), "12.500");
  EXPECT_EQ(e.dialog.field(Dialog::Notes)->text(), "bench");
  EXPECT_EQ(e.dialog.field(Dialog::ImageFile)->text(), QString::fromStdString(e.photograph));
  EXPECT_EQ(e.dialog.centre_text()->text().toStdString(), format_position(expected.centre_x, expected.centre_y));
  for (int k = 0; k < 4; ++k) {
    const Point2 p = expected.corner(kCellCorners[k].first, kCellCorners[k].second);
    EXPECT_EQ(e.dialog.point_text(k)->text().toStdString(), format_position(p.x, p.y)) << k;
  }
  EXPECT_EQ(e.instruction(), "");

  // One white circle on each of the 15 x 21 intersections, none elsewhere.
  ASSERT_GE(e.view().width(), 640);
  ASSERT_GE(e.view().height(), 480);
  const QImage shot = e.view().grab().toImage();
  std::vector<QPoint> centres;
  for (int i = 0; i <= 14; ++i)
    for (int j = 0; j <= 20; ++j) {
      const Point2 c = image_to_client(e.view().zoom_pan(), e.view().view_size(), expected.corner(i, j));
      centres.emplace_back(static_cast<int>(c.x), static_cast<int>(c.y));
    }
  EXPECT_EQ(centres.size(), 315u);
  for (const QPoint& c : centres) EXPECT_EQ(shot.pixelColor(c), QColor(Qt::white)) << c.x() << ", " << c.y();
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      if (shot.pixelColor(x, y) != QColor(Qt::white)) continue;
      const bool near_one = std::any_of(centres.begin(), centres.end(), [&](const QPoint& c) {
        return std::abs(c.x() - x) <= 5 && std::abs(c.y() - y) <= 5;
      });
      ASSERT_TRUE(near_one) << x << ", " << y;
    }

  // ENTER and ESC, in the view or in a field, leave the editor open.
  for (QWidget* target : {static_cast<QWidget*>(&e.view()), static_cast<QWidget*>(e.dialog.field(Dialog::Notes))}) {
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_Enter);
    EXPECT_TRUE(e.dialog.isVisible());
  }

  // A camera file that cannot be opened changes nothing.
  e.files.choices = {(e.dir.path / "absent.cal").string()};
  e.press(Dialog::OpenCamera);
  ASSERT_EQ(e.questions.told.size(), 1u);
  EXPECT_EQ(e.questions.told[0].text, "Cannot Open Camera File");
  EXPECT_EQ(e.questions.told[0].caption, "Error");
  EXPECT_EQ(e.dialog.field(Dialog::CellHeight)->text(), "12.500");
  EXPECT_EQ(e.dialog.camera().rows, 14);
}

TEST(CameraEditDialog, PrintGridWritesTheSheetOfTheTypedGrid) {
  Editor e;
  // Without a cell size there is nothing to print: told, no file asked for.
  e.press(Dialog::PrintGrid);
  ASSERT_EQ(e.questions.told.size(), 1u);
  EXPECT_EQ(e.questions.told[0].text, "The cell size must be above 0 mm");
  EXPECT_TRUE(e.files.filters.empty());

  e.type(Dialog::CellWidth, "15");
  e.type(Dialog::CellHeight, "12.5");
  e.type(Dialog::Columns, "12");
  e.type(Dialog::Rows, "9");
  const std::string pdf = (e.dir.path / "sheet.pdf").string();
  e.files.choices = {pdf};
  e.press(Dialog::PrintGrid);
  EXPECT_EQ(e.files.filters.back(), "PDF Files (*.pdf);;SVG Files (*.svg)");
  EXPECT_EQ(e.files.suffixes.back(), "pdf");
  EXPECT_EQ(file_text(pdf).substr(0, 5), "%PDF-");

  const std::string svg = (e.dir.path / "sheet.svg").string();
  e.files.choices = {svg};
  e.press(Dialog::PrintGrid);
  const std::string text = file_text(svg);
  EXPECT_NE(text.find("12 x 9 cells of 15.0 x 12.5 mm: check the scale bar with a ruler"), std::string::npos);
  EXPECT_EQ(e.questions.told.size(), 1u);

  // 30 columns of 25 mm fit on no paper up to A2 landscape.
  e.type(Dialog::Columns, "30");
  e.type(Dialog::CellWidth, "25");
  e.files.choices = {pdf};
  e.press(Dialog::PrintGrid);
  ASSERT_EQ(e.questions.told.size(), 2u);
  EXPECT_NE(e.questions.told[1].text.indexOf("does not fit on A2"), -1) << e.questions.told[1].text.toStdString();
}

// HOME in the view fits the whole grid photograph into it.
TEST(CameraEditDialog, HomeInTheViewFitsTheWholePhotograph) {
  Editor e;
  e.open_image();
  ZoomPanState& state = e.view().zoom_pan();
  state.zoom = 4.0;
  state.scroll_x = 300;
  e.view().setFocus();
  QTest::keyClick(&e.view(), Qt::Key_Home);
  const Point2 top_left = image_to_client(state, e.view().view_size(), {0, 0});
  const Point2 bottom_right = image_to_client(
      state, e.view().view_size(), {double(e.view().grid_photo().width), double(e.view().grid_photo().height)});
  EXPECT_GE(top_left.x, 0);
  EXPECT_GE(top_left.y, 0);
  EXPECT_LE(bottom_right.x, e.view().width());
  EXPECT_LE(bottom_right.y, e.view().height());
  EXPECT_GT(std::max(bottom_right.x - top_left.x, bottom_right.y - top_left.y), 0.8 * e.view().height());
  EXPECT_TRUE(e.dialog.isVisible());
}

}  // namespace
}  // namespace plenvista
