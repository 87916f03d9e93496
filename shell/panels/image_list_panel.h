#pragma once

// ImageListPanel: the upper tab control on the left of the main window.
//
// Page "Images" lists the project's photographs in list (id) order, one line
// each: the description, a space, a tab, a space and the camera search score
// with two decimals and a percent sign. Its commands: "Add" (the Set Camera
// dialog first while the project has no camera, then the Image dialog, then
// Image Centres for a photograph of another size than the camera's native
// one), "Edit", "Delete" (refused for an image a material uses as texture,
// otherwise asked), "Up" and "Down", "Calibration Mode" (leaving it runs a
// "Searching ..." dialog for every image whose reference points changed and
// that has four or more) and "Ref points only" (enabled only in calibration
// mode). Choosing a line makes its image current, or the current image's
// partner while partner mode is on. The list's context menu offers "Use as
// Partner": the line's image becomes the current image's partner (not
// offered on the current image's own line).
//
// add_photographs() adds files dropped on the window through the same
// flow as "Add", one after another in the given order: the Set Camera
// dialog at most once, then for each file the Image dialog with the file's
// path and its name (without extension) as description filled in;
// Cancel skips that file.
//
// Page "CAD" chooses the axis of the tabbed CAD view ("Z Axis", "X Axis",
// "Y Axis": the project's active CAD view 0, 1, 2).
//
// Page "3D" shows the 3D view of the model in the tabbed display and lists
// its mouse buttons and keys.
//
// Choosing a page sets the project's CAD page flag (1 while "CAD" is shown)
// and posts DisplayChanged. refresh() refills the list from the project (on
// every ImagesChanged) in place: lines are rewritten, added or dropped at the
// end, and the scroll position is kept.
//
// Commands that change what is saved (adding, editing, removing, reordering
// and locating photographs) mark the project modified.

#include <QTabWidget>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace plenvista {

class FileChooser;
class ImageDialog;
class QuestionAsker;
struct Project;
struct ProjectImage;

class ImageListPanel : public QTabWidget {
 public:
  ImageListPanel(Project& project, FileChooser& files, QuestionAsker& questions, QWidget* parent);

  QWidget* images_page() const { return images_page_; }
  QWidget* cad_page() const { return cad_page_; }
  bool cad_page_shown() const { return currentIndex() == 1; }
  bool model_3d_page_shown() const { return currentIndex() == 2; }

  void refresh();
  void add_photographs(const std::vector<std::string>& paths);

  QListWidget* list() const { return list_; }
  QPushButton* add_button() const { return add_; }
  QPushButton* edit_button() const { return edit_; }
  QPushButton* delete_button() const { return delete_; }
  QPushButton* up_button() const { return up_; }
  QPushButton* down_button() const { return down_; }
  QCheckBox* calibration_box() const { return calibration_; }
  QCheckBox* reference_only_box() const { return reference_only_; }
  QComboBox* axis_list() const { return axis_; }

  // The search dialogs' timer interval in milliseconds (tests shorten it).
  void set_search_tick(int milliseconds) { search_tick_ms_ = milliseconds; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_images_page();
  void build_cad_page();
  void build_model_3d_page();
  void enable_edit_delete();

  void on_choose(int row);
  void on_add();
  // The Set Camera dialog while the project has no camera; false on Cancel.
  bool ensure_camera();
  void add_from(ImageDialog& dialog);
  void on_list_menu(const QPoint& at);
  void on_edit();
  void on_delete();
  void on_move(int delta);
  void on_calibration(bool checked);
  void on_reference_only(bool checked);
  // Clears the pending world position and the displayed image's picks.
  void clear_picks();
  void locate_changed_images();

  Project& project_;
  FileChooser& files_;
  QuestionAsker& questions_;
  QWidget* images_page_;
  QWidget* cad_page_;
  QWidget* model_3d_page_;
  QListWidget* list_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QCheckBox* calibration_ = nullptr;
  QCheckBox* reference_only_ = nullptr;
  QComboBox* axis_ = nullptr;
  int search_tick_ms_;
};

}  // namespace plenvista
