#pragma once

// CPlenvistaDlg: the program's one main window. It owns the menu, the
// toolbar, the status bar, the two tabbed panels, the "Mirror Points" and
// "Mode" groups, the one Project and the four views (the image view and the
// tabbed, upper and lower CAD views); it turns commands into calls on the
// project, lays the views out in the tabbed (0) or mixed (1) display,
// handles the project's notifications in posting order and keeps the
// status texts and the title current.
//
// Geometry is in pixels of the client area: the part of the window below the
// menu bar, which holds the toolbar at its top, the status bar at its
// bottom and the panels and views in between.
//
// Edits are never thrown away silently: New, Open, Close and Exit ask
// "Save Change ?" while the project is modified, and a failed Open leaves
// the project path and the title as they were. Commands whose dialogs or
// model operations are not part of this build have menu entries and
// buttons but do nothing.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>
#include <memory>
#include <string>

#include "model/project.h"
#include "shell/qt_seams.h"
#include "shell/queued_notifier.h"
#include "shell/shell_seams.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QToolBar;

namespace plenvista {

class CadView;
class ImageView;
class HelpWindow;

class CPlenvistaDlg : public QMainWindow {
 public:
  struct Services {
    SettingsStore& settings;
    FileChooser& files;
    QuestionAsker& questions;
    ProjectFiles project_files;
    // The whole command line after the program name: a project path,
    // possibly in double quotes; empty for none.
    std::string command_line;
  };

  explicit CPlenvistaDlg(Services services);
  ~CPlenvistaDlg() override;

  Project& project() { return *project_; }
  // The menu entry or toolbar button with this command id, or nullptr.
  QAction* command(int id) const;
  QToolBar* toolbar() const { return toolbar_; }
  QString status_text(int pane) const;
  QWidget* client_area() const;
  ImageView& image_view() const { return *image_view_; }
  // 0 the tabbed CAD view, 1 the upper right, 2 the lower right view.
  CadView& cad_view(int index) const { return *cad_views_[static_cast<std::size_t>(index)]; }
  QTabWidget* picture_tab() const { return picture_tab_; }
  QTabWidget* vertex_tab() const { return vertex_tab_; }
  QCheckBox* show_mirror_box() const { return show_mirror_; }
  QRadioButton* select_button() const { return select_; }
  QRadioButton* create_button() const { return create_; }
  int display_mode() const { return display_mode_; }
  // The help window once Contents or F1 has opened it.
  QWidget* help_window() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class ClientArea;

  void build_menu();
  void build_toolbar();
  void build_panels();
  void build_views();
  void connect_commands();
  void restore_placement();
  void open_last_project();

  // Commands.
  void on_new();
  void on_open();
  bool on_save();
  bool on_save_as();
  void on_translations();
  void on_show_mirror_points(bool checked);
  void on_select_create();
  void on_selection_size(int size);
  void on_selection_mode(int mode);
  void on_display_mode(int mode);
  void on_about();
  void on_help();

  // "Save Change ?" while modified; false when the user keeps the project.
  bool may_discard_changes();
  // Sets the path and opens; a failure puts the old path back.
  bool open_at(const std::string& path);
  void set_title();

  // Notifications.
  void handle(Notification notification, int argument);
  void display();
  void refresh();
  void set_status(int pane, const QString& text);
  void update_cursor_status();
  void update_selection_status(int argument);
  void update_model_status();

  void lay_out();
  void repaint_views();
  void on_first_paint();

  SettingsStore& settings_;
  FileChooser& files_;
  QuestionAsker& questions_;
  ProjectFiles project_files_;
  std::string command_line_;

  QueuedNotifier notifier_;
  MessageBoxSink messages_;
  std::unique_ptr<Project> project_;

  ClientArea* client_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QStatusBar* status_bar_ = nullptr;
  std::array<QLabel*, 4> panes_{};
  std::map<int, QAction*> commands_;
  QTabWidget* picture_tab_ = nullptr;
  QTabWidget* vertex_tab_ = nullptr;
  QCheckBox* show_mirror_ = nullptr;
  QRadioButton* select_ = nullptr;
  QRadioButton* create_ = nullptr;
  ImageView* image_view_ = nullptr;
  std::array<CadView*, 3> cad_views_{};
  QPointer<HelpWindow> help_;
  int display_mode_ = 0;
  bool first_paint_done_ = false;
};

}  // namespace plenvista
