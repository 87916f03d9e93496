// plenvista-screenshots: draws the windows shown in the manual and the
// README into PNG files, on whatever display Qt is given (the script runs
// it under a virtual X server). Each screenshot is made from synthetic data
// with the real windows driven by mouse events.
//   plenvista-screenshots OUTPUT_DIR [NAME ...]   (no names: all of them)

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "model/zoom_pan.h"
#include "shell/dialogs/camera_edit_dialog.h"
#include "shell/qt_seams.h"
#include "testing/bmp_file.h"
#include "testing/synthetic_grid.h"
#include "views/calibration_view.h"

namespace plenvista {
namespace {

// Answers every file dialog with one path.
class FixedFile : public FileChooser {
 public:
  explicit FixedFile(std::string path) : path_(std::move(path)) {}
  std::optional<std::string> open_file(QWidget*, const QString&) override { return path_; }
  std::optional<std::string> save_file(QWidget*, const QString&, const QString&, const std::string&) override {
    return path_;
  }

 private:
  std::string path_;
};

void click(CalibrationView& view, Point2 image) {
  const Point2 c = image_to_client(view.zoom_pan(), image);
  QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier,
                    QPoint(static_cast<int>(std::lround(c.x)), static_cast<int>(std::lround(c.y))));
}

// The Camera Editor after the grid photograph was calibrated: the traced
// grid drawn over the photograph, every field filled.
bool camera_editor(const QDir& out) {
  const testing::SyntheticGrid grid = testing::default_size_grid();
  const QTemporaryDir dir;
  const std::string photograph = QDir(dir.path()).filePath("grid.bmp").toStdString();
  std::ofstream(photograph, std::ios::binary) << testing::bmp_bytes(testing::draw_grid(grid));
  FixedFile files(photograph);
  QtQuestionAsker questions;
  CameraEditDialog dialog(files, questions, nullptr);
  dialog.resize(1100, 575);
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return false;
  dialog.open_image();
  dialog.field(CameraEditDialog::Distance)->setText("500");
  dialog.field(CameraEditDialog::CellWidth)->setText("10");
  dialog.field(CameraEditDialog::CellHeight)->setText("10");
  dialog.field(CameraEditDialog::Notes)->setText("Grid of 20 x 14 cells, 10 mm each");
  click(dialog.view(), testing::true_intersection(grid, 7, 10));
  for (const auto& [row, column] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}})
    click(dialog.view(), testing::true_intersection(grid, row, column));
  dialog.update_instructions();
  QTest::qWait(100);
  return dialog.grab().save(out.filePath("camera-editor.png"));
}

const std::map<std::string, std::function<bool(const QDir&)>> kScreenshots = {
    {"camera-editor", camera_editor},
};

}  // namespace
}  // namespace plenvista

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: plenvista-screenshots OUTPUT_DIR [NAME ...]\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  int status = 0;
  for (const auto& [name, make] : plenvista::kScreenshots) {
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i) wanted = wanted || name == argv[i];
    if (!wanted) continue;
    const bool made = make(out);
    std::fprintf(made ? stdout : stderr, "%s %s\n", made ? "wrote" : "failed:", name.c_str());
    if (!made) status = 1;
  }
  return status;
}
