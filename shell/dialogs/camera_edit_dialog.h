#pragma once

// CameraEditDialog ("Camera Editor"): calibrates a camera from a photograph
// of a ruled grid and stores it as a camera file (".cal"). The dialog edits
// a camera of its own, independent of the open project.
//
// The user opens the photograph, types the distance (mm) from the camera to
// the grid and the size of one cell (mm), clicks the grid's central cross
// and then the four corners of the top-left cell in the calibration view;
// each click is snapped to the grid and shown as "(x, y)" in photograph
// pixels. After the fourth corner the whole grid is traced behind a busy
// window and drawn as circles. An instruction line, refreshed every second,
// names the next step; "Save" and "Save As ..." are enabled once nothing is
// missing.
//
// Fields are read without the user's locale; a text that is not a number
// reads as 0. "Rows :" and "Columns :" are read at every click; the camera
// keeps the grid size of its last calculation or of the last camera opened.
//
// After the calculation the grid is checked (intersections found, deviation
// from a smooth grid, cell sizes in pixels) and the report shown beside the
// fields; saving a grid that fails the check asks first, naming the
// problems.
//
// Failure cases: a click that finds no grid lines nearby is ignored and the
// instruction line says so; camera files that cannot be read or written are
// reported in message boxes and change nothing. A calculated grid that has
// not been saved is not lost silently: closing the editor asks whether to
// save it first.

#include <QDialog>
#include <QTimer>
#include <array>
#include <optional>
#include <string>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "photogrammetry/grid_check.h"
#include "shell/dialogs/form.h"
#include "shell/qt_seams.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace plenvista {

class CalibrationView;
class FileChooser;
class QuestionAsker;

class CameraEditDialog : public QDialog {
 public:
  CameraEditDialog(FileChooser& files, QuestionAsker& questions, QWidget* parent);
  ~CameraEditDialog() override;

  enum Field { ImageFile, Notes, Distance, Columns, Rows, CellWidth, CellHeight, kFieldCount };
  enum Button { New, OpenCamera, Save, SaveAs, OpenImage, PrintGrid, kButtonCount };

  QLineEdit* field(Field f) const { return fields_[f]; }
  // "Point 1 :" to "Point 4 :" for n = 0..3.
  QLabel* point_text(int n) const { return points_[static_cast<std::size_t>(n)]; }
  QLabel* centre_text() const { return centre_text_; }
  QLabel* instruction_text() const { return instruction_; }
  // The check of the grid traced last: what was found and how smooth it is.
  QLabel* grid_report_text() const { return grid_report_; }
  QPushButton* button(Button b) const { return buttons_[b]; }
  CalibrationView& view() const { return *view_; }
  const CameraModel& camera() const { return camera_; }
  const std::optional<std::string>& camera_file() const { return camera_file_; }
  const QTimer& instruction_timer() const { return timer_; }

  // The commands behind the buttons. Save and Save As return whether the
  // camera was written.
  void new_camera();
  void open_camera();
  void open_image();
  bool save();
  bool save_as();
  // "Print Grid...": the printable sheet of the grid the fields describe.
  bool print_grid();

  // One tick of the instruction timer.
  void update_instructions();

  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void build();
  // The fields of a new camera: Rows 14, Columns 20, the others empty.
  void clear_fields();
  void on_press(Point2 image);
  void calculate_grid();
  void fill_fields_from_camera();
  // "Save Change ?" for a calculated grid that was not saved; false when
  // the editor is to stay open.
  bool may_close();
  // Asks before a grid that failed its check is saved; false on No.
  bool may_save_grid();
  // Copies the fields into the camera and writes it to the camera file.
  bool write_camera();
  void forget_grid_check();

  // What the fields read as at the last Form::read(), or show at the next
  // Form::show().
  struct FieldValues {
    std::string notes;
    double distance_mm = 0.0;
    int columns = 0;
    int rows = 0;
    double cell_width_mm = 0.0;
    double cell_height_mm = 0.0;
  };

  FileChooser& files_;
  QuestionAsker& questions_;
  MessageBoxSink messages_;
  CameraModel camera_;
  FieldValues values_;
  Form form_;
  std::optional<std::string> camera_file_;
  std::string photograph_path_;
  Point2 centre_;
  bool grid_unsaved_ = false;
  // The check of the grid calculated here; none for a camera opened or new.
  std::optional<GridCheck> grid_check_;
  // Why the last click or calculation came to nothing; shown before the
  // instruction until the next click is taken.
  QString note_;

  CalibrationView* view_ = nullptr;
  std::array<QLineEdit*, kFieldCount> fields_{};
  std::array<QLabel*, 4> points_{};
  QLabel* centre_text_ = nullptr;
  QLabel* instruction_ = nullptr;
  QLabel* grid_report_ = nullptr;
  std::array<QPushButton*, kButtonCount> buttons_{};
  QTimer timer_;
};

}  // namespace plenvista
