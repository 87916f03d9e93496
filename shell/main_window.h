#pragma once

// MainWindow: the program's one main window. It owns the commands
// (Actions, whose handlers call the public commands below), the menu, the
// toolbar, the status bar, the docks (the image list; the layers and
// materials with the "Mirror Points" and "Mode" groups; the residuals), the
// one Project with its ProjectSignals, and the four views in the central
// ViewArea (the image view, the tabbed, upper and lower CAD views and the 3D
// view); it shows the views of the tabbed, mixed or 3D display, and keeps the commands'
// enabled states, the status texts and the title current as the project's
// signals arrive.
//
// A view or panel is created here with the project; it connects itself to
// the signals it needs through project_signals(), or the window connects
// it where the view lies below the shell.
//
// Everything is placed by Qt's layouts: the toolbar and the status bar of
// the QMainWindow, the docks on the left (their first-start sizes in
// pixels at 96 dpi), the views in the central widget. The docks can be
// resized, moved and closed (the View menu shows them again); their state
// is kept in the settings ("MainDocks") beside the window's placement.
//
// Edits are never thrown away silently: New, Open, Close and Exit ask
// "Save Change ?" while the project is modified, and a failed Open leaves
// the project path and the title as they were. New opens the "Project"
// dialog afterwards. Commands whose dialogs or model operations are not
// part of this build have menu entries and buttons but do nothing.
//
// With a recovery folder the window autosaves recovery copies (Autosaver)
// and, once shown, offers the copies a crash left behind before it opens
// the project named on the command line; a recovered project is open under
// its own path and modified. With a process identity every project opened
// or saved is marked by a lock file beside it: a project another Plenvista
// holds is opened read-only or not at all, and a read-only project is
// saved only under another name ("Save" asks for one). Nothing is ever
// saved over a project that another live Plenvista holds.

#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "base/process_identity.h"
#include "model/project.h"
#include "persistence/recovery.h"
#include "photogrammetry/residuals.h"
#include "shell/actions.h"
#include "shell/autosave.h"
#include "shell/dialogs/dialog_choosers.h"
#include "shell/project_signals.h"
#include "shell/qt_seams.h"
#include "shell/shell_seams.h"
#include "shell/view_area.h"

class QCheckBox;
class QDockWidget;
class QLabel;
class QMenu;
class QRadioButton;
class QToolBar;

namespace plenvista {

class CadView;
class HelpWindow;
class ImageListPanel;
class ImageView;
class LayerMaterialPanel;
class RecentProjectsMenu;
class ResidualsPanel;
class StatusPanes;
class TiePointsPanel;
class MeasurePanel;

class MainWindow : public QMainWindow {
 public:
  struct Services {
    SettingsStore& settings;
    FileChooser& files;
    QuestionAsker& questions;
    ProjectFiles project_files;
    // The whole command line after the program name: a project path,
    // possibly in double quotes; empty for none.
    std::string command_line;
    struct Recovery {
      std::string folder;    // of the recovery copies; empty: no autosave, no recovery
      ProcessIdentity self;  // pid 0: no lock files
      ProcessAlive alive;    // required with either of the above
    } recovery{};
  };

  explicit MainWindow(Services services);
  ~MainWindow() override;

  Project& project() { return *project_; }
  const Project& project() const { return *project_; }
  FileChooser& files() { return files_; }
  QuestionAsker& questions() { return questions_; }
  DialogChoosers& choosers() { return *choosers_; }
  // Whether there are functions to open and to save project files.
  bool can_open() const { return static_cast<bool>(project_files_.open); }
  bool can_save() const { return static_cast<bool>(project_files_.save); }
  ProjectSignals& project_signals() { return signals_; }
  const Actions& actions() const { return actions_; }
  QToolBar* toolbar() const { return toolbar_; }
  QString status_text(int pane) const;
  StatusPanes* status_panes() const { return status_panes_; }
  // The central widget, which holds the views.
  QWidget* view_area() const;
  ImageView& image_view() const { return *image_view_; }
  // 0 the tabbed CAD view, 1 the upper right, 2 the lower right view.
  CadView& cad_view(int index) const { return *cad_views_[static_cast<std::size_t>(index)]; }
  // The 3D view, made when first shown; null before.
  Model3dView* model_3d_view() const { return view_area_->model_3d_view(); }
  ImageListPanel* image_list_panel() const { return image_list_panel_; }
  LayerMaterialPanel* layer_material_panel() const { return layer_material_panel_; }
  ResidualsPanel* residuals_panel() const { return residuals_panel_; }
  TiePointsPanel* tie_points_panel() const { return tie_points_panel_; }
  QDockWidget* residuals_dock() const { return residuals_dock_; }
  QDockWidget* images_dock() const { return images_dock_; }
  QDockWidget* layers_dock() const { return layers_dock_; }
  QWidget* measure_dock() const;
  MeasurePanel* measure_panel() const { return measure_panel_; }
  // How well the last point made from two photographs fits its clicks.
  QString point_fit_text() const;
  QCheckBox* show_mirror_box() const { return show_mirror_; }
  QRadioButton* select_button() const { return select_; }
  QRadioButton* create_button() const { return create_; }
  DisplayMode display_mode() const;
  // The help window once Contents or F1 has opened it.
  QWidget* help_window() const;
  // Replaces the colour chooser the dialogs open (the platform's own by
  // default).
  void use_dialog_choosers(DialogChoosers& choosers) { choosers_ = &choosers; }
  Autosaver& autosaver() { return *autosaver_; }
  // Whether the project was opened read-only (another Plenvista holds it).
  bool read_only() const { return read_only_; }
  // Where Help > "Open Sample Project" copies the sample (the user's data
  // directory by default).
  void set_sample_directory(std::string directory) { sample_directory_ = std::move(directory); }

  // Commands that need the window's own state (the rest are in
  // shell/actions.cpp). Save and Save As: false when nothing was saved.
  void new_project();
  void open_project();
  bool save();
  bool save_as();
  void edit_properties();
  void open_sample_project();
  // File > Recent Projects: a file that is gone is told and dropped from the list.
  void open_recent(const std::string& path);
  // Files dropped on the window: the project opens (asking to save the open
  // one first), then the photographs are added through the image list's
  // Add flow; other files are refused with a message naming them.
  void open_dropped(const QList<QUrl>& urls);
  QMenu* recent_menu() const;
  void set_display_mode(DisplayMode mode);
  void show_help();
  void show_about();
  void repaint_views();
  // View > Fit to Window: the view that has the keyboard focus, else every
  // view shown.
  void fit_views();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Project files and photographs dropped on the window (shell/file_drop.h).
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // Watches the view area for its first paint.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_toolbar();
  void add_recent_menu();
  void build_panels();
  void build_residuals_dock();
  void build_tie_points_dock();
  void add_view_menu();
  // A panel in a dock of its own; `name` keys its saved state.
  QDockWidget* add_dock(const QString& title, const QString& name, QWidget* panel, Qt::DockWidgetArea area,
                        bool in_view_menu);
  void build_views();
  void connect_controls();
  void connect_signals();
  void restore_placement();
  void open_last_project();

  // The "Show Mirror Points" box and the "Mode" buttons.
  void on_show_mirror_points(bool checked);
  void on_select_create();

  // "Save Change ?" while modified; false when the user keeps the project.
  bool may_discard_changes();
  // Sets the path and opens; a failure puts the old path back.
  bool open_at(const std::string& path);
  void set_title();
  void remember_recent(const std::string& path);
  // Saves at `path` unless another live Plenvista holds it (told then).
  bool save_to(const std::string& path);

  // Recovery and locks.
  bool offer_recovery();
  bool recover(const RecoveryCandidate& copy);
  bool locking() const { return recovery_.self.pid != 0; }
  // Takes the lock of a project about to be opened: Acquired, or when
  // another Plenvista holds it and the user chooses read-only, no lock and
  // `read_only` set. False when the user cancels.
  bool lock_for_open(const std::string& path, bool& took_lock, bool& read_only);
  // The project is now at `path`: the old lock goes, the new one (if taken) is kept.
  void move_lock(const std::string& path, bool took_lock);
  void release_lock();
  // The project was closed or replaced: its recovery copy and lock go.
  void project_closed();

  // Signals.
  void display();
  void refresh();
  void on_model_changed();
  void on_point_made(const ModelPoint& point, const PointFit& fit);
  void set_status(int pane, const QString& text);
  void update_cursor_status();
  void update_selection_status(bool single_point);
  void update_model_status();

  void on_first_paint();

  SettingsStore& settings_;
  FileChooser& files_;
  QuestionAsker& questions_;
  ProjectFiles project_files_;
  std::string command_line_;
  std::string sample_directory_;
  QtDialogChoosers qt_choosers_;
  DialogChoosers* choosers_ = &qt_choosers_;

  Services::Recovery recovery_;
  std::optional<std::string> locked_path_;
  bool read_only_ = false;

  ProjectSignals signals_;
  MessageBoxSink messages_;
  std::unique_ptr<Project> project_;
  Actions actions_;
  std::unique_ptr<Autosaver> autosaver_;

  ViewArea* view_area_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QDockWidget* images_dock_ = nullptr;
  QDockWidget* layers_dock_ = nullptr;
  QMenu* view_menu_ = nullptr;
  RecentProjectsMenu* recent_menu_ = nullptr;
  StatusPanes* status_panes_ = nullptr;
  ImageListPanel* image_list_panel_ = nullptr;
  LayerMaterialPanel* layer_material_panel_ = nullptr;
  ResidualsPanel* residuals_panel_ = nullptr;
  QDockWidget* residuals_dock_ = nullptr;
  TiePointsPanel* tie_points_panel_ = nullptr;
  MeasurePanel* measure_panel_ = nullptr;
  QCheckBox* show_mirror_ = nullptr;
  QRadioButton* select_ = nullptr;
  QRadioButton* create_ = nullptr;
  ImageView* image_view_ = nullptr;
  std::array<CadView*, 3> cad_views_{};
  QPointer<HelpWindow> help_;
  bool first_paint_done_ = false;
};

}  // namespace plenvista
