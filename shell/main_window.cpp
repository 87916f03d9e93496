#include "shell/main_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "base/file_io.h"
#include "base/number_text.h"
#include "model/edit_actions.h"
#include "model/translation.h"
#include "model/undo_commands.h"
#include "persistence/project_file.h"
#include "persistence/project_lock.h"
#include "shell/command_line.h"
#include "shell/dialogs/camera_edit_dialog.h"
#include "shell/dialogs/export_dialog.h"
#include "shell/dialogs/layers_dialog.h"
#include "shell/dialogs/materials_dialog.h"
#include "shell/dialogs/project_properties_dialog.h"
#include "shell/dialogs/reference_point_dialog.h"
#include "shell/dialogs/set_layer_dialog.h"
#include "shell/dialogs/set_material_dialog.h"
#include "shell/dialogs/set_textures_dialog.h"
#include "shell/dialogs/translation_editor_dialog.h"
#include "shell/exchange_commands.h"
#include "shell/help_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/panels/layer_material_panel.h"
#include "shell/panels/measure_panel.h"
#include "shell/panels/residuals_panel.h"
#include "shell/recovery_offer.h"
#include "shell/sample_copy.h"
#include "shell/toolbar_icons.h"
#include "shell/view_layout.h"
#include "views/cad_view.h"
#include "views/image_view.h"

namespace plenvista {

// The client area: reports its size changes and its first paint.
class MainWindow::ClientArea : public QWidget {
 public:
  explicit ClientArea(QWidget* parent) : QWidget(parent) {}
  std::function<void()> resized;
  std::function<void()> painted;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (resized) resized();
  }
  void paintEvent(QPaintEvent* event) override {
    QWidget::paintEvent(event);
    if (painted) painted();
  }
};

namespace {

// Dialog units of the window's panel controls to client pixels.
QRect dialog_units(int x, int y, int width, int height) {
  return QRect(x * 3 / 2, y * 13 / 8, width * 3 / 2, height * 13 / 8);
}

QString point_text(double x, double y, double z) {
  return QString::fromStdString("x:" + format_fixed(x, 2) + ", y:" + format_fixed(y, 2) + ", z:" + format_fixed(z, 2));
}

const QString kCaption = QStringLiteral("Plenvista");

// Lock files sit beside the absolute path, whatever the path was given as.
std::string absolute_path(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

MainWindow::MainWindow(Services services)
    : settings_(services.settings),
      files_(services.files),
      questions_(services.questions),
      project_files_(std::move(services.project_files)),
      command_line_(std::move(services.command_line)),
      sample_directory_(default_sample_directory()),
      recovery_(std::move(services.recovery)),
      messages_(services.questions),
      actions_(this) {
  setWindowTitle(kCaption);
  setWindowIcon(program_icon());
  messages_.bind(this);
  project_ = std::make_unique<Project>(settings_, signals_, messages_);
  autosaver_ = std::make_unique<Autosaver>(*project_, recovery_.folder, recovery_.self,
                                           settings_.read_int("AutosaveMinutes", kDefaultAutosaveMinutes));

  client_ = new ClientArea(this);
  setCentralWidget(client_);
  build_views();
  actions_.fill_menu_bar(menuBar());
  // F1 opens the manual as Contents does.
  auto* help_key = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help_key, &QShortcut::activated, this, [this] { on_help(); });
  build_panels();
  build_residuals_dock();
  create_->setChecked(true);
  project_->select_mode = 0;
  build_toolbar();
  measure_panel_ = add_measure_dock(*this, *project_, signals_, *actions_.tools_measure, *status_bar_);
  show_mirror_->setChecked(true);
  connect_commands();
  connect_signals();

  client_->resized = [this] { lay_out(); };
  client_->painted = [this] { on_first_paint(); };
  lay_out();
  restore_placement();
  open_last_project();
}

MainWindow::~MainWindow() {
  settings_.write_int("MainLeft", x());
  settings_.write_int("MainTop", y());
  settings_.write_int("MainWidth", width());
  settings_.write_int("MainHeight", height());
  if (project_->path) settings_.write_text("LastProject", *project_->path);
  release_lock();
  // The dock's visibility changes as the window goes.
  disconnect(residuals_dock_, nullptr, this, nullptr);
  // The views refer to the project: they go first.
  delete client_;
}

void MainWindow::build_views() {
  image_view_ = new ImageView(*project_, client_);
  image_view_->setGeometry(165, 45, 765, 550);
  image_view_->set_point_listener([this](const ModelPoint& point, const PointFit& fit) { on_point_made(point, fit); });
  image_view_->set_reference_asker([this](QWidget* parent) -> std::optional<ReferenceChoice> {
    std::vector<ControlPoint> control_points;
    for (const ControlPoint* c : project_->model.control_points) control_points.push_back(*c);
    ReferencePointDialog dialog(Vec3{}, parent, std::move(control_points));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ReferenceChoice{dialog.position(), dialog.control_point_id()};
  });
  for (std::size_t i = 0; i < cad_views_.size(); ++i) {
    cad_views_[i] = new CadView(*project_, project_->cad_views[i], client_);
    cad_views_[i]->setGeometry(165, 45, 765, 550);
    cad_views_[i]->hide();
  }
  cad_views_[0]->set_current_axis(0);
  cad_views_[1]->set_current_axis(1);
  cad_views_[2]->set_current_axis(0);
}

void MainWindow::build_toolbar() {
  toolbar_ = new QToolBar(client_);
  toolbar_->setIconSize(QSize(16, 16));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  actions_.fill_toolbar(toolbar_);

  status_bar_ = new QStatusBar(client_);
  for (QLabel*& pane : panes_) {
    pane = new QLabel(status_bar_);
    pane->setFixedWidth(200);
    status_bar_->addWidget(pane);
  }
  point_fit_ = new QLabel(status_bar_);
  status_bar_->addWidget(point_fit_, 1);
}

// The "Residuals" dock on the right, hidden until Tools > Residuals asks for
// it, so that the views keep their place.
void MainWindow::build_residuals_dock() {
  residuals_dock_ = new QDockWidget(QStringLiteral("Residuals"), this);
  residuals_dock_->setObjectName(QStringLiteral("ResidualsDock"));
  residuals_panel_ = new ResidualsPanel(*project_, residuals_dock_);
  residuals_dock_->setWidget(residuals_panel_);
  addDockWidget(Qt::RightDockWidgetArea, residuals_dock_);
  residuals_dock_->hide();
  connect(residuals_panel_, &ResidualsPanel::scaleChanged, this,
          [this](double scale) { image_view_->set_residual_scale(scale); });
  // The dock's own close button unticks the menu entry.
  connect(residuals_dock_, &QDockWidget::visibilityChanged, this,
          [this] { actions_.tools_residuals->setChecked(!residuals_dock_->isHidden()); });
}

void MainWindow::build_panels() {
  image_list_panel_ = new ImageListPanel(*project_, files_, questions_, client_);
  image_list_panel_->setGeometry(dialog_units(5, 23, 117, 163));
  layer_material_panel_ = new LayerMaterialPanel(*project_, client_);
  layer_material_panel_->setGeometry(dialog_units(5, 188, 117, 123));

  auto* mirror_group = new QGroupBox(QStringLiteral("Mirror Points"), client_);
  mirror_group->setGeometry(dialog_units(5, 312, 117, 28));
  show_mirror_ = new QCheckBox(QStringLiteral("Show Mirror Points"), client_);
  show_mirror_->setGeometry(dialog_units(8, 323, 110, 11));

  auto* mode_group = new QGroupBox(QStringLiteral("Mode"), client_);
  mode_group->setGeometry(dialog_units(6, 340, 117, 30));
  select_ = new QRadioButton(QStringLiteral("Select"), client_);
  select_->setGeometry(dialog_units(12, 350, 51, 13));
  create_ = new QRadioButton(QStringLiteral("Create"), client_);
  create_->setGeometry(dialog_units(66, 350, 51, 13));
  auto* modes = new QButtonGroup(client_);
  modes->addButton(select_);
  modes->addButton(create_);
}

void MainWindow::connect_commands() {
  const Actions& a = actions_;
  const auto on = [this](std::initializer_list<QAction*> actions, const std::function<void()>& effect) {
    for (QAction* action : actions) connect(action, &QAction::triggered, this, [effect] { effect(); });
  };
  on({a.file_new, a.tool_new}, [this] { on_new(); });
  if (project_files_.open) on({a.file_open, a.tool_open}, [this] { on_open(); });
  if (project_files_.save) {
    on({a.file_save, a.tool_save}, [this] { on_save(); });
    on({a.file_save_as}, [this] { on_save_as(); });
  }
  on({a.file_close, a.file_exit}, [this] { close(); });
  on({a.edit_undo, a.tool_undo}, [this] { undo_command(*project_); });
  on({a.edit_redo, a.tool_redo}, [this] { redo_command(*project_); });
  on({a.tool_delete}, [this] { delete_command(*project_); });
  on({a.project_translations, a.tool_translations}, [this] { on_translations(); });
  on({a.project_materials, a.tool_materials}, [this] { on_materials(); });
  on({a.project_layers, a.tool_layers}, [this] { on_layers(); });
  on({a.project_properties}, [this] { on_properties(); });
  on({a.tool_set_material}, [this] { on_set_material(); });
  on({a.tool_set_layer}, [this] { on_set_layer(); });
  on({a.tool_apply_texture}, [this] { on_apply_texture(); });
  on({a.tools_export, a.tool_export}, [this] { on_export(); });
  const ExchangeSeams exchange{*project_, files_, questions_, this};
  on({a.project_import_control_points}, [exchange] { import_control_points_command(exchange); });
  on({a.project_import_gcp_list}, [exchange] { import_gcp_list_command(exchange); });
  on({a.tools_export_points}, [exchange] { export_points_command(exchange); });
  on({a.tools_export_gcp_list}, [exchange] { export_gcp_list_command(exchange); });
  on({a.tools_export_cameras}, [exchange] { export_cameras_command(exchange); });
  on({a.tools_camera_editor, a.tool_camera_editor}, [this] { on_camera_editor(); });
  on({a.tool_commit_mirror}, [this] { commit_mirror(*project_); });
  on({a.tool_small_selection}, [this] { on_selection_size(5); });
  on({a.tool_large_selection}, [this] { on_selection_size(15); });
  on({a.tool_new_selection}, [this] { on_selection_mode(0); });
  on({a.tool_add_to_selection}, [this] { on_selection_mode(1); });
  on({a.tool_remove_from_selection}, [this] { on_selection_mode(2); });
  on({a.tool_tabbed_display}, [this] { on_display_mode(0); });
  on({a.tool_mixed_display}, [this] { on_display_mode(1); });
  on({a.tools_residuals}, [this] { residuals_dock_->setVisible(actions_.tools_residuals->isChecked()); });
  on({a.help_contents}, [this] { on_help(); });
  on({a.help_about}, [this] { on_about(); });
  on({a.help_open_sample}, [this] { on_open_sample(); });

  connect(show_mirror_, &QCheckBox::clicked, this, [this](bool checked) { on_show_mirror_points(checked); });
  connect(select_, &QRadioButton::clicked, this, [this] { on_select_create(); });
  connect(create_, &QRadioButton::clicked, this, [this] { on_select_create(); });
}

void MainWindow::connect_signals() {
  connect(&signals_, &ProjectSignals::displayChanged, this, &MainWindow::display);
  connect(&signals_, &ProjectSignals::cursorMoved, this, &MainWindow::update_cursor_status);
  connect(&signals_, &ProjectSignals::imagesChanged, this, &MainWindow::refresh);
  connect(&signals_, &ProjectSignals::modelChanged, this, &MainWindow::on_model_changed);
  connect(&signals_, &ProjectSignals::selectionChanged, this, &MainWindow::update_selection_status);
  connect(&signals_, &ProjectSignals::redrawViews, this, &MainWindow::repaint_views);
}

void MainWindow::restore_placement() {
  move(settings_.read_int("MainLeft", 50), settings_.read_int("MainTop", 50));
  resize(settings_.read_int("MainWidth", 900), settings_.read_int("MainHeight", 650));
}

void MainWindow::open_last_project() {
  if (settings_.read_int("UseLastProject", 0) == 0) return;
  const auto last = settings_.read_text("LastProject");
  if (last && !last->empty()) open_at(*last);
}

QString MainWindow::status_text(int pane) const { return panes_.at(static_cast<std::size_t>(pane))->text(); }

QWidget* MainWindow::help_window() const { return help_.data(); }

QWidget* MainWindow::client_area() const { return client_; }

// ---------------------------------------------------------------- commands

void MainWindow::on_new() {
  if (!may_discard_changes()) return;
  project_closed();
  project_->new_project();
  project_->post(Notification::ModelChanged);
  repaint_views();
  set_title();
  on_properties();
}

void MainWindow::on_open() {
  if (!may_discard_changes()) return;
  const auto path = files_.choose_open(this);
  if (!path) return;
  open_at(*path);
  repaint_views();
}

bool MainWindow::on_save() {
  // A read-only project is saved only under another name.
  if (!project_->path || read_only_) return on_save_as();
  return save_to(*project_->path);
}

bool MainWindow::on_save_as() {
  const auto path = files_.choose_save(this, project_->path.value_or(std::string()));
  if (!path) return false;
  return save_to(*path);
}

bool MainWindow::save_to(const std::string& path) {
  const std::string absolute = absolute_path(path);
  bool took_lock = false;
  if (locking() && locked_path_ != absolute) {
    const LockAttempt attempt = acquire_project_lock(absolute, recovery_.self, recovery_.alive);
    if (attempt.state == LockState::HeldByOther) {
      questions_.tell(this,
                      QStringLiteral("%1 is open in another Plenvista%2 and cannot be saved over. "
                                     "Save the project under another name.")
                          .arg(QString::fromStdString(path), QString::fromStdString(lock_owner_text(attempt.owner))),
                      QStringLiteral("Error"));
      return false;
    }
    took_lock = attempt.state == LockState::Acquired;
  }
  project_->set_path(path);
  const bool saved = project_files_.save(*project_);
  if (saved) {
    move_lock(absolute, took_lock);
    read_only_ = false;
    autosaver_->discard();
  } else if (took_lock) {
    release_project_lock(absolute, recovery_.self);
  }
  set_title();
  return saved;
}

void MainWindow::on_translations() {
  TranslationEditorDialog dialog(project_->model.transform, questions_, this);
  if (dialog.exec() == QDialog::Accepted) apply_translation(*project_, dialog.edit());
}

void MainWindow::on_properties() {
  ProjectPropertiesDialog dialog(*project_, *choosers_, files_, questions_, project_files_.save, this);
  if (dialog.exec() == QDialog::Accepted)
    autosaver_->set_interval(settings_.read_int("AutosaveMinutes", kDefaultAutosaveMinutes));
  repaint_views();
  set_title();
}

// The layer and material pages refresh on the ImagesChanged that the
// dialogs post with OK.
void MainWindow::on_layers() {
  LayersDialog dialog(*project_, *choosers_, questions_, this);
  if (dialog.exec() == QDialog::Accepted) repaint_views();
}

void MainWindow::on_materials() {
  MaterialsDialog dialog(*project_, *choosers_, questions_, this);
  dialog.exec();
}

void MainWindow::on_set_layer() {
  SetLayerDialog dialog(*project_, this);
  dialog.exec();
}

void MainWindow::on_set_material() {
  SetMaterialDialog dialog(*project_, this);
  dialog.exec();
}

void MainWindow::on_apply_texture() {
  SetTexturesDialog dialog(*project_, this);
  dialog.exec();
}

void MainWindow::on_export() {
  ExportDialog dialog(*project_, files_, this);
  dialog.exec();
}

void MainWindow::on_camera_editor() {
  CameraEditDialog dialog(files_, questions_, this);
  dialog.exec();
}

void MainWindow::on_show_mirror_points(bool checked) {
  project_->model.show_mirror_points = checked ? 1 : 0;
  project_->post(Notification::ImagesChanged);
  repaint_views();
}

void MainWindow::on_select_create() { project_->select_mode = select_->isChecked() ? 1 : 0; }

void MainWindow::on_selection_size(int size) {
  project_->model.selection_size = size;
  project_->post(Notification::ImagesChanged);
}

void MainWindow::on_selection_mode(int mode) { project_->model.selection_mode = mode; }

void MainWindow::on_display_mode(int mode) {
  display_mode_ = mode;
  project_->post(Notification::DisplayChanged);
  lay_out();
  repaint_views();
}

void MainWindow::on_about() {
  questions_.tell(this, QStringLiteral("Plenvista Version 0.1\nPhotogrammetric modeller"),
                  QStringLiteral("About Plenvista"));
}

void MainWindow::on_open_sample() {
  if (!may_discard_changes()) return;
  const auto path = copy_sample_project(sample_directory_);
  if (!path) {
    messages_.show("Cannot copy the sample project to " + sample_directory_, "Error");
    return;
  }
  open_at(*path);
  repaint_views();
}

void MainWindow::on_help() {
  if (!help_) help_ = new HelpWindow(this);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

bool MainWindow::may_discard_changes() {
  if (!project_->modified) return true;
  const auto answer = questions_.ask(this, QStringLiteral("Save Change ?"), kCaption,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning);
  if (answer == QMessageBox::No) return true;
  if (answer != QMessageBox::Yes || !project_files_.save) return false;
  // A save that fails or is cancelled keeps the edits and the window.
  return on_save();
}

bool MainWindow::open_at(const std::string& path) {
  const std::string absolute = absolute_path(path);
  bool took_lock = false;
  bool read_only = false;
  if (!lock_for_open(absolute, took_lock, read_only)) return false;
  const auto old_path = project_->path;
  const auto old_directory = project_->directory;
  const auto old_file_name = project_->file_name;
  project_->set_path(path);
  if (project_files_.open && project_files_.open(*project_) == OpenResult::Opened) {
    autosaver_->discard();
    move_lock(absolute, took_lock);
    read_only_ = read_only;
    project_->post(Notification::ModelChanged);
    set_title();
    return true;
  }
  if (took_lock) release_project_lock(absolute, recovery_.self);
  project_->path = old_path;
  project_->directory = old_directory;
  project_->file_name = old_file_name;
  return false;
}

void MainWindow::set_title() {
  QString title = QString::fromStdString(project_->file_name);
  if (read_only_) title += QStringLiteral(" [read-only]");
  setWindowTitle(project_->file_name.empty() ? kCaption : title + " - " + kCaption);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (may_discard_changes()) {
    project_closed();
    event->accept();
  } else {
    event->ignore();
  }
}

// ------------------------------------------------------ recovery and locks

bool MainWindow::offer_recovery() {
  if (recovery_.folder.empty()) return false;
  const auto copy = plenvista::offer_recovery(questions_, this,
                                              find_recovery_copies(recovery_.folder, recovery_.self, recovery_.alive));
  return copy && recover(*copy);
}

bool MainWindow::recover(const RecoveryCandidate& copy) {
  const QString name = recovered_project_name(*copy.header);
  const ReadResult read = read_whole_file(copy.path);
  const auto decoded = read.bytes ? decode_recovery(*read.bytes) : std::nullopt;
  if (!decoded) {
    report_damaged_copy(questions_, this, copy.path, name);
    return false;
  }
  const std::optional<std::string>& path = decoded->header.project_path;
  bool took_lock = false;
  bool read_only = false;
  if (!may_discard_changes() || (path && !lock_for_open(*path, took_lock, read_only))) return false;
  const auto old_path = project_->path;
  const auto old_directory = project_->directory;
  const auto old_file_name = project_->file_name;
  if (path) {
    project_->set_path(*path);
  } else {
    project_->path.reset();
    project_->directory.clear();
    project_->file_name.clear();
  }
  const OpenResult result = open_project_bytes(*project_, decoded->project_bytes, copy.path, decoded->control_points);
  if (result != OpenResult::Opened) {
    if (took_lock) release_project_lock(*path, recovery_.self);
    project_->path = old_path;
    project_->directory = old_directory;
    project_->file_name = old_file_name;
    report_damaged_copy(questions_, this, copy.path, name);
    return false;
  }
  if (path)
    move_lock(*path, took_lock);
  else
    release_lock();
  read_only_ = read_only;
  project_->modified = true;
  // The copy is this project's now: rewritten as this process's at once, so
  // that no other start offers it, and removed by Save.
  autosaver_->discard();
  autosaver_->adopt(copy.path);
  autosaver_->write_now();
  project_->post(Notification::ModelChanged);
  set_title();
  return true;
}

bool MainWindow::lock_for_open(const std::string& path, bool& took_lock, bool& read_only) {
  took_lock = false;
  read_only = false;
  if (!locking() || locked_path_ == path) return true;
  const LockAttempt attempt = acquire_project_lock(path, recovery_.self, recovery_.alive);
  if (attempt.state != LockState::HeldByOther) {
    took_lock = attempt.state == LockState::Acquired;
    return true;
  }
  const QString text = QStringLiteral(
                           "%1 is already open in another Plenvista%2.\n\nOpen it read-only? Changes can then be "
                           "saved only under another name.")
                           .arg(QString::fromStdString(path), QString::fromStdString(lock_owner_text(attempt.owner)));
  const QStringList labels{QStringLiteral("Open Read-Only"), QStringLiteral("Cancel")};
  if (questions_.choose(this, text, kCaption, labels, QMessageBox::Warning) != 0) return false;
  read_only = true;
  return true;
}

void MainWindow::move_lock(const std::string& path, bool took_lock) {
  if (locked_path_ == path) return;
  release_lock();
  if (took_lock) locked_path_ = path;
}

void MainWindow::release_lock() {
  if (locked_path_) release_project_lock(*locked_path_, recovery_.self);
  locked_path_.reset();
}

void MainWindow::project_closed() {
  autosaver_->discard();
  release_lock();
  read_only_ = false;
}

// ----------------------------------------------------------- notifications

void MainWindow::on_model_changed() {
  if (project_->modified) autosaver_->edit_made();
  bool any_selected = false;
  for (const ModelPoint* p : project_->model.points) any_selected = any_selected || p->selected;
  actions_.tool_delete->setEnabled(any_selected);
  update_model_status();
  repaint_views();
  residuals_panel_->refresh();
}

void MainWindow::on_point_made(const ModelPoint& point, const PointFit& fit) {
  const std::string text = point_fit_summary(point.id, fit);
  point_fit_->setText(QString::fromStdString(fit.weak() ? "Warning: " + text : text));
  point_fit_->setStyleSheet(fit.weak() ? QStringLiteral("color: #b00000; font-weight: bold") : QString());
}

QString MainWindow::point_fit_text() const { return point_fit_->text(); }

void MainWindow::display() {
  const bool images_page = !image_list_panel_->cad_page_shown();
  if (display_mode_ == 0) {
    image_view_->setVisible(images_page);
    cad_views_[0]->setVisible(!images_page);
    cad_views_[1]->hide();
    cad_views_[2]->hide();
  } else {
    image_view_->show();
    cad_views_[0]->hide();
    cad_views_[1]->show();
    cad_views_[2]->show();
  }
  actions_.tool_mixed_display->setEnabled(images_page);
}

void MainWindow::refresh() {
  repaint_views();
  image_list_panel_->refresh();
  layer_material_panel_->refresh();
  const ModelData& model = project_->model;
  show_mirror_->setChecked(model.show_mirror_points != 0);
  show_mirror_->setEnabled(model.transform.mirror_plane != MirrorPlane::None);
  (model.selection_size == 15 ? actions_.tool_large_selection : actions_.tool_small_selection)->setChecked(true);
  QAction* const modes[] = {actions_.tool_new_selection, actions_.tool_add_to_selection,
                            actions_.tool_remove_from_selection};
  if (model.selection_mode >= 0 && model.selection_mode <= 2) modes[model.selection_mode]->setChecked(true);
  cad_views_[0]->set_current_axis(project_->active_cad_view);
  residuals_panel_->refresh();
}

void MainWindow::set_status(int pane, const QString& text) { panes_.at(static_cast<std::size_t>(pane))->setText(text); }

void MainWindow::update_cursor_status() {
  const CursorPosition& c = project_->cursor;
  set_status(0, QString::fromStdString("Cursor: (" + std::to_string(static_cast<int>(c.window_x)) + "," +
                                       std::to_string(static_cast<int>(c.window_y)) + ") (" +
                                       format_fixed(c.image_x, 2) + ", " + format_fixed(c.image_y, 2) + ")"));
}

void MainWindow::update_selection_status(int argument) {
  const ModelPoint* p = project_->single_selected;
  if (argument == 0 || p == nullptr) {
    set_status(1, QString());
    set_status(2, QString());
    return;
  }
  const ModelPoint& t = project_->single_selected_transformed;
  set_status(1, point_text(p->x, p->y, p->z));
  set_status(2, point_text(t.x, t.y, t.z));
}

void MainWindow::update_model_status() {
  set_status(3, QString::fromStdString("Points : " + std::to_string(project_->model.points.count()) +
                                       ", Faces : " + std::to_string(project_->model.faces.count())));
}

// ------------------------------------------------------------------ layout

void MainWindow::lay_out() {
  const int w = client_->width();
  const int h = client_->height();
  const ViewLayout views = layout_views(w, h, display_mode_);
  image_view_->setGeometry(views.image.rect());
  cad_views_[0]->setGeometry(views.tabbed_cad.rect());
  if (display_mode_ == 1) {
    cad_views_[1]->setGeometry(views.upper_cad.rect());
    cad_views_[2]->setGeometry(views.lower_cad.rect());
  }
  if (toolbar_ != nullptr) toolbar_->setGeometry(0, 0, w, toolbar_->sizeHint().height());
  if (status_bar_ != nullptr) {
    const int bar = status_bar_->sizeHint().height();
    status_bar_->setGeometry(0, h - bar, w, bar);
  }
}

void MainWindow::repaint_views() {
  image_view_->refresh();
  for (CadView* view : cad_views_) view->refresh();
}

void MainWindow::on_first_paint() {
  if (first_paint_done_) return;
  first_paint_done_ = true;
  const std::string path = project_path_from_command_line(command_line_);
  if (path.empty() && recovery_.folder.empty()) return;
  // Offered and opened once the paint has finished: a failure shows a
  // message box. A recovered project takes the place of the named one.
  QMetaObject::invokeMethod(
      this,
      [this, path] {
        if (!offer_recovery() && !path.empty()) open_at(path);
        repaint_views();
      },
      Qt::QueuedConnection);
}

}  // namespace plenvista
