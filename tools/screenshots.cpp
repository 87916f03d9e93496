// Takes the pictures of the README and the manual from the sample project
// the program carries: copies it into a temporary directory, opens it in
// the main window (with the program's own window, views, file functions
// and message boxes; preferences in memory so that the user's own play no
// part) and saves the window in both display modes, in calibration mode
// (the reference points alone, and with the model), on the CAD page and on
// the 3D page,
// the Translation Editor, Export and Project dialogs on the sample, and the
// Camera Editor after calibrating the
// sample's grid photograph with real clicks; last, one photograph with its
// marks disturbed (a pixel of noise on each, one Y typed 100 mm off) and
// located again, in calibration mode with its residual lines and the
// "Residuals" dock; and the sample's photographs with ten tie points on
// the house's corners (one marked on the wrong corner in one photograph),
// oriented from one distance and the axes: the "Orient Photographs"
// dialog's result, the "Tie Points" dock and the wrong mark red in its
// photograph. PNG files:
//   plenvista-screenshots OUTPUT_DIRECTORY

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "base/settings_store.h"
#include "model/image_management.h"
#include "model/run_edit.h"
#include "model/tie_points.h"
#include "model/zoom_pan.h"
#include "persistence/project_file.h"
#include "photogrammetry/bitmap_size.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/project_camera.h"
#include "photogrammetry/projection.h"
#include "shell/actions.h"
#include "shell/dialogs/camera_edit_dialog.h"
#include "shell/dialogs/dialog_choosers.h"
#include "shell/dialogs/export_dialog.h"
#include "shell/dialogs/orient_dialog.h"
#include "shell/dialogs/project_properties_dialog.h"
#include "shell/dialogs/translation_editor_dialog.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/panels/tie_points_panel.h"
#include "shell/qt_seams.h"
#include "shell/sample_copy.h"
#include "testing/sample_scene.h"
#include "views/calibration_view.h"
#include "views/image_view.h"
#include "views/model_3d_view.h"

namespace plenvista {
namespace {

bool save(QWidget& window, const QString& path) {
  QTest::qWait(300);
  if (window.grab().save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

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
  const Point2 c = image_to_client(view.zoom_pan(), view.view_size(), image);
  QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier,
                    QPoint(static_cast<int>(std::lround(c.x)), static_cast<int>(std::lround(c.y))));
}

// The Camera Editor after the sample's grid photograph was calibrated: the
// traced grid drawn over the photograph, every field filled.
bool camera_editor(const std::string& sample, const QString& output) {
  FixedFile files(sample + "/grid.png");
  QtQuestionAsker questions;
  CameraEditDialog dialog(files, questions, nullptr);
  dialog.resize(1100, 575);
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return false;
  dialog.open_image();
  dialog.field(CameraEditDialog::Distance)->setText("500");
  dialog.field(CameraEditDialog::CellWidth)->setText("50");
  dialog.field(CameraEditDialog::CellHeight)->setText("50");
  dialog.field(CameraEditDialog::Notes)->setText("Grid of 20 x 14 cells, 50 mm each");
  const double pitch = sample::kGridPitchPx;
  const auto at = [&](int row, int column) {
    return Point2{sample::kGridTopLeft.x + column * pitch, sample::kGridTopLeft.y + row * pitch};
  };
  click(dialog.view(), at(sample::kGridRows / 2, sample::kGridColumns / 2));
  for (const auto& [row, column] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}}) click(dialog.view(), at(row, column));
  dialog.update_instructions();
  return save(dialog, output + "/camera-editor.png");
}

bool residuals(MainWindow& window, const QString& output) {
  window.image_list_panel()->setCurrentIndex(0);
  ProjectImage& image = *window.project().images().current;
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  for (ReferencePoint* point : image.reference_points) {
    point->image_position.x += noise(rng);
    point->image_position.y += noise(rng);
  }
  image.reference_points.first()->world_position.y += 100;
  ImageSearch search(image);
  while (!search.run_batch()) {
  }
  window.image_list_panel()->calibration_box()->click();
  QTest::qWait(200);
  window.residuals_dock()->show();
  return save(window, output + "/residuals.png");
}

// A new project of the sample's four photographs (no model, no reference
// points) with ten tie points T1 to T10 on the house's corners, each marked
// within half a pixel of where the sample's camera saw it, but T3 in the
// second photograph on the far end of the ridge; oriented from T1-T2 600 mm
// and the axes T1, T2, T5 through the dialog. Then the second photograph,
// zoomed in on the wrong mark, beside the "Tie Points" dock.
bool tie_points(const std::string& sample_project, const QString& output) {
  MemorySettingsStore settings;
  QtFileChooser files;
  QtQuestionAsker questions;
  MainWindow window({settings, files, questions, {open_project, save_project}, {}});
  window.resize(1280, 800);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  Project& p = window.project();
  const std::string folder = QFileInfo(QString::fromStdString(sample_project)).path().toStdString();
  p.set_path(folder + "/ties.op2");
  set_camera_file(p, "camera.cal");
  for (const sample::Shot& shot : sample::kShots) {
    auto image = std::make_unique<ProjectImage>();
    apply_image_details(*image, {shot.file, folder + "/" + shot.file, shot.description, {}, 1.0, std::nullopt});
    if (ProjectImage* added = add_image(p, std::move(image))) matches_native_size(p, *added);
  }
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> noise(-0.5, 0.5);
  std::vector<LabelledMark> marks;
  for (std::size_t shot = 0; shot < sample::kShots.size(); ++shot) {
    const ProjectImage& image = *p.images().images.at(static_cast<int>(shot));
    const PreparedPose pose(image, sample::true_pose(sample::kShots[shot]));
    for (std::size_t corner = 0; corner < sample::kHouseCorners.size(); ++corner) {
      const bool wrong = shot == 1 && corner == 2;
      const Point2 at = pose.project(sample::kHouseCorners[wrong ? 8 : corner], true);
      marks.push_back({"T" + std::to_string(corner + 1),
                       {at.x + noise(rng), at.y + noise(rng)},
                       std::string(shown(image.file_name)),
                       0});
    }
  }
  run_edit(p, [&] { import_labelled_marks(p, marks); });

  OrientDialog dialog(p, &window);
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return false;
  const auto choose = [](QComboBox* box, const char* label) { box->setCurrentText(label); };
  choose(static_cast<QComboBox*>(dialog.distance_table()->cellWidget(0, 0)), "T1");
  choose(static_cast<QComboBox*>(dialog.distance_table()->cellWidget(0, 1)), "T2");
  static_cast<QLineEdit*>(dialog.distance_table()->cellWidget(0, 2))->setText("600");
  choose(dialog.axis_box(0), "T1");
  choose(dialog.axis_box(1), "T2");
  choose(dialog.axis_box(2), "T5");
  dialog.orient_button()->click();
  while (dialog.running()) QTest::qWait(20);
  bool ok = save(dialog, output + "/orient-result.png");
  // The outlier's row leads to its mark: T3 chosen, its photograph shown.
  QTableWidget* outliers = dialog.outlier_table();
  if (outliers->rowCount() > 0)
    QTest::mouseClick(outliers->viewport(), Qt::LeftButton, {},
                      outliers->visualItemRect(outliers->item(0, 0)).center());
  dialog.close_button()->click();

  window.image_list_panel()->calibration_box()->click();
  window.findChild<QDockWidget*>("TiePointsDock")->show();
  const int t3 = find_tie_point(p.model, "T3")->id;
  window.tie_points_panel()->choose_point(t3);
  p.images().current = p.images().images.at(1);
  p.post(Notification::ImagesChanged);
  QTest::qWait(200);
  // Zoomed in three times on the wrong mark, which sits in the middle.
  ImageView& view = window.image_view();
  ProjectImage& image = *p.images().current;
  if (const ReferencePoint* mark = find_mark_of(image, t3)) {
    const Point2 pixel = mark_pixel(image, *mark);
    image.view.zoom = 3.0;
    image.view.scroll_x = pixel.x - view.width() / 6.0;
    image.view.scroll_y = pixel.y - view.height() / 6.0;
    view.update();
  }
  return save(window, output + "/tie-points.png") && ok;
}

template <typename Dialog>
bool dialog_picture(Dialog& dialog, const QString& path) {
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return false;
  const bool ok = save(dialog, path);
  dialog.reject();
  return ok;
}

// The 3D page: the textured house turned a little from the front, with the
// four cameras that photographed it.
bool model_3d(MainWindow& window, const QString& output) {
  window.image_list_panel()->setCurrentIndex(2);
  QApplication::processEvents();
  Model3dView* view = window.model_3d_view();
  if (view == nullptr) return false;
  OrbitCamera& camera = view->camera();
  camera.yaw = 0.45;
  camera.pitch = 0.5;
  camera.fit(view->scene().all_bounds, view->width(), view->height());
  view->update();
  return save(window, output + "/model-3d-view.png");
}

int take_screenshots(const QString& output) {
  QTemporaryDir work;
  const auto project = copy_sample_project(work.path().toStdString());
  if (!project) {
    std::fprintf(stderr, "cannot copy the sample project\n");
    return 1;
  }

  MemorySettingsStore settings;
  QtFileChooser files;
  QtQuestionAsker questions;
  MainWindow window({settings, files, questions, {open_project, save_project}, *project});
  window.resize(1280, 800);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  QTest::qWait(500);  // the command line's project opens after the first paint

  bool ok = save(window, output + "/image-view.png");
  // The reference points alone: the model's corners would cover them.
  window.image_list_panel()->calibration_box()->click();
  window.image_list_panel()->reference_only_box()->click();
  ok = save(window, output + "/calibration-mode.png") && ok;
  window.image_list_panel()->reference_only_box()->click();
  window.image_list_panel()->calibration_box()->click();
  // The photogrammetric workflow: the located photographs listed with their
  // scores, and in calibration mode each one's reference points marked
  // beside the model (selected, so that they show as circles under the
  // model's crosses).
  QCheckBox* calibration = window.image_list_panel()->calibration_box();
  calibration->click();
  const auto select_marks = [&window](int selected) {
    if (ProjectImage* image = window.project().images().current)
      for (ReferencePoint* mark : image->reference_points) mark->selected = selected;
    window.image_view().refresh();
  };
  select_marks(1);
  ok = save(window, output + "/workflow.png") && ok;
  select_marks(0);
  calibration->click();
  window.actions().tool_mixed_display->trigger();
  ok = save(window, output + "/mixed-display.png") && ok;
  window.actions().tool_tabbed_display->trigger();
  window.image_list_panel()->setCurrentIndex(1);  // the CAD page
  ok = save(window, output + "/cad-view.png") && ok;
  ok = model_3d(window, output) && ok;

  TranslationEditorDialog translations(window.project().model.transform, questions, &window);
  ok = dialog_picture(translations, output + "/translation-editor.png") && ok;
  ExportDialog export_dialog(window.project(), files, &window);
  export_dialog.path_field()->setText("house");
  ok = dialog_picture(export_dialog, output + "/export-dialog.png") && ok;
  QtDialogChoosers choosers;
  ProjectPropertiesDialog properties(window.project(), choosers, files, questions, {}, &window);
  // Where the program puts the sample for a user, not the temporary copy.
  properties.path_field()->setText("/home/you/.local/share/Tarnwick/Plenvista/sample/house.op2");
  ok = dialog_picture(properties, output + "/project-dialog.png") && ok;

  ok = camera_editor(QFileInfo(QString::fromStdString(*project)).path().toStdString(), output) && ok;
  ok = residuals(window, output) && ok;
  ok = tie_points(*project, output) && ok;
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace plenvista

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: plenvista-screenshots OUTPUT_DIRECTORY\n");
    return 2;
  }
  return plenvista::take_screenshots(QString::fromLocal8Bit(argv[1]));
}
