#include "shell/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/file_io.h"
#include "base/number_text.h"
#include "persistence/project_file.h"
#include "persistence/project_lock.h"
#include "shell/command_line.h"
#include "shell/dialogs/project_properties_dialog.h"
#include "shell/dialogs/reference_point_dialog.h"
#include "shell/file_drop.h"
#include "shell/help_window.h"
#include "shell/model_3d_page.h"
#include "shell/panels/image_list_panel.h"
#include "shell/panels/layer_material_panel.h"
#include "shell/panels/measure_panel.h"
#include "shell/panels/residuals_panel.h"
#include "shell/panels/tie_points_panel.h"
#include "shell/recent_projects.h"
#include "shell/recovery_offer.h"
#include "shell/sample_copy.h"
#include "shell/status_panes.h"
#include "shell/toolbar_icons.h"
#include "shell/view_area.h"
#include "views/cad_view.h"
#include "views/image_view.h"
#include "views/model_3d_view.h"

namespace plenvista {

namespace {

// The left docks' size on first start, in pixels at 96 dpi: the panels'
// column and the heights of the image list and of the layers and
// materials with the two groups below them.
constexpr int kDockWidth = 176;
// The panels' own smallest width (their buttons side by side) exceeds that
// column: they may be narrowed below it instead.
constexpr int kPanelMinimumWidth = 120;
constexpr int kImagesDockHeight = 264;
constexpr int kLayersDockHeight = 300;

// The settings value of the docks' and the toolbar's state.
const char* const kDockStateName = "MainDocks";
constexpr int kDockStateVersion = 1;

QString point_text(double x, double y, double z) {
  return QString::fromStdString("x:" + format_fixed(x, 2) + ", y:" + format_fixed(y, 2) + ", z:" + format_fixed(z, 2));
}

const QString kCaption = QStringLiteral("Plenvista");

// The status pane of the last point's fit, after the four of set_status.
constexpr int kPointFitPane = 4;

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
  setAcceptDrops(true);
  messages_.bind(this);
  project_ = std::make_unique<Project>(settings_, signals_, messages_);
  autosaver_ = std::make_unique<Autosaver>(*project_, recovery_.folder, recovery_.self,
                                           settings_.read_int("AutosaveMinutes", kDefaultAutosaveMinutes));

  build_views();
  actions_.fill_menu_bar(menuBar());
  add_recent_menu();
  add_view_menu();
  build_panels();
  build_residuals_dock();
  build_tie_points_dock();
  create_->setChecked(true);
  project_->select_mode = SelectMode::Create;
  build_toolbar();
  measure_panel_ = add_measure_dock(*this, *project_, signals_, *actions_.tools_measure, *statusBar());
  show_mirror_->setChecked(true);
  connect_controls();
  connect_signals();

  view_area_->installEventFilter(this);
  restore_placement();
  open_last_project();
}

MainWindow::~MainWindow() {
  settings_.write_int("MainLeft", x());
  settings_.write_int("MainTop", y());
  settings_.write_int("MainWidth", width());
  settings_.write_int("MainHeight", height());
  settings_.write_text(kDockStateName, saveState(kDockStateVersion).toBase64().toStdString());
  if (project_->path) settings_.write_text("LastProject", *project_->path);
  release_lock();
  // The dock's visibility changes as the window goes.
  disconnect(residuals_dock_, nullptr, this, nullptr);
  // The views and panels refer to the project: they go first.
  delete view_area_;
  delete images_dock_;
  delete layers_dock_;
  delete residuals_dock_;
}

void MainWindow::build_views() {
  image_view_ = new ImageView(*project_, nullptr);
  image_view_->set_point_listener([this](const ModelPoint& point, const PointFit& fit) { on_point_made(point, fit); });
  image_view_->set_reference_asker([this](QWidget* parent) -> std::optional<ReferenceChoice> {
    std::vector<ControlPoint> control_points;
    for (const ControlPoint* c : project_->model.control_points) control_points.push_back(*c);
    std::vector<std::string> tie_labels;
    for (const TiePoint* t : project_->model.tie_points) tie_labels.push_back(t->label);
    ReferencePointDialog dialog(Vec3{}, parent, std::move(control_points), tie_labels);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ReferenceChoice{dialog.position(), dialog.control_point_id(), dialog.tie_label()};
  });
  for (std::size_t i = 0; i < cad_views_.size(); ++i) {
    cad_views_[i] = new CadView(*project_, project_->cad_views[i], nullptr);
  }
  cad_views_[0]->set_current_axis(0);
  cad_views_[1]->set_current_axis(1);
  cad_views_[2]->set_current_axis(0);
  view_area_ = new ViewArea(
      image_view_, cad_views_, [this] { return make_model_3d_view(*project_, *image_list_panel_); }, this);
  setCentralWidget(view_area_);
}

void MainWindow::build_toolbar() {
  toolbar_ = new QToolBar(QStringLiteral("Toolbar"), this);
  toolbar_->setObjectName(QStringLiteral("Toolbar"));
  toolbar_->setIconSize(QSize(16, 16));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  actions_.fill_toolbar(toolbar_);
  addToolBar(Qt::TopToolBarArea, toolbar_);

  // Room kept for the usual length of each text; the last point's fit last.
  const QString point = QStringLiteral("x:-0000.00, y:-0000.00, z:-0000.00");
  status_panes_ = new StatusPanes(
      {QStringLiteral("Cursor: (0000,0000) (-0000.00, -0000.00)"), point, point, QString(), QString()}, statusBar());
  statusBar()->addWidget(status_panes_, 1);
}

// The "Residuals" dock on the right, hidden on a first start until Tools >
// Residuals asks for it, so that the views keep their place.
QWidget* MainWindow::measure_dock() const { return measure_panel_->parentWidget(); }

void MainWindow::build_residuals_dock() {
  residuals_panel_ = new ResidualsPanel(*project_, nullptr);
  // Tools > Residuals shows and hides it: no View entry of its own.
  residuals_dock_ = add_dock(QStringLiteral("Residuals"), QStringLiteral("ResidualsDock"), residuals_panel_,
                             Qt::RightDockWidgetArea, false);
  residuals_dock_->hide();
  connect(residuals_panel_, &ResidualsPanel::scaleChanged, this,
          [this](double scale) { image_view_->set_residual_scale(scale); });
  // The dock's own close button unticks the menu entry.
  connect(residuals_dock_, &QDockWidget::visibilityChanged, this,
          [this] { actions_.tools_residuals->setChecked(!residuals_dock_->isHidden()); });
}

// The "Tie Points" dock on the right, hidden on a first start; the View
// menu shows it. Its current row is the image view's marking point.
void MainWindow::build_tie_points_dock() {
  tie_points_panel_ = new TiePointsPanel(*project_, nullptr);
  add_dock(QStringLiteral("Tie Points"), QStringLiteral("TiePointsDock"), tie_points_panel_, Qt::RightDockWidgetArea,
           true)
      ->hide();
  connect(tie_points_panel_, &TiePointsPanel::currentPointChanged, this,
          [this](int id) { image_view_->set_marking_point(id); });
  connect(&signals_, &ProjectSignals::imagesChanged, tie_points_panel_, &TiePointsPanel::refresh);
  connect(&signals_, &ProjectSignals::modelChanged, tie_points_panel_, &TiePointsPanel::refresh);
}

// The image list above the layers and materials, with the "Mirror Points"
// and "Mode" groups below those: docks on the left.
void MainWindow::build_panels() {
  image_list_panel_ = new ImageListPanel(*project_, files_, questions_, nullptr);
  images_dock_ =
      add_dock(QStringLiteral("Images"), QStringLiteral("ImagesDock"), image_list_panel_, Qt::LeftDockWidgetArea, true);

  auto* column = new QWidget;
  auto* column_layout = new QVBoxLayout(column);
  column_layout->setContentsMargins(0, 0, 0, 0);
  layer_material_panel_ = new LayerMaterialPanel(*project_, column);
  column_layout->addWidget(layer_material_panel_, 1);
  auto* mirror_group = new QGroupBox(QStringLiteral("Mirror Points"), column);
  show_mirror_ = new QCheckBox(QStringLiteral("Show Mirror Points"), mirror_group);
  (new QVBoxLayout(mirror_group))->addWidget(show_mirror_);
  column_layout->addWidget(mirror_group);
  auto* mode_group = new QGroupBox(QStringLiteral("Mode"), column);
  select_ = new QRadioButton(QStringLiteral("Select"), mode_group);
  create_ = new QRadioButton(QStringLiteral("Create"), mode_group);
  auto* mode_layout = new QHBoxLayout(mode_group);
  mode_layout->addWidget(select_);
  mode_layout->addWidget(create_);
  column_layout->addWidget(mode_group);
  layers_dock_ = add_dock(QStringLiteral("Layers and Materials"), QStringLiteral("LayersDock"), column,
                          Qt::LeftDockWidgetArea, true);
  image_list_panel_->setMinimumWidth(kPanelMinimumWidth);
  column->setMinimumWidth(kPanelMinimumWidth);
  resizeDocks({images_dock_}, {kDockWidth}, Qt::Horizontal);
  resizeDocks({images_dock_, layers_dock_}, {kImagesDockHeight, kLayersDockHeight}, Qt::Vertical);
}

// "Recent Projects" after "Open...".
void MainWindow::add_recent_menu() {
  recent_menu_ = new RecentProjectsMenu(
      settings_, [this](const std::string& path) { open_recent(path); }, this);
  QMenu* file = menuBar()->actions().front()->menu();
  const QList<QAction*> entries = file->actions();
  const qsizetype open = entries.indexOf(actions_.file_open);
  file->insertMenu(open + 1 < entries.size() ? entries[open + 1] : nullptr, recent_menu_);
}

QMenu* MainWindow::recent_menu() const { return recent_menu_; }

// "&View" after "&Edit", for the docks' own entries.
void MainWindow::add_view_menu() {
  view_menu_ = new QMenu(QStringLiteral("&View"), menuBar());
  view_menu_->addAction(actions_.view_fit_to_window);
  view_menu_->addSeparator();
  const QList<QAction*> menus = menuBar()->actions();
  menuBar()->insertMenu(menus.size() > 2 ? menus[2] : nullptr, view_menu_);
}

QDockWidget* MainWindow::add_dock(const QString& title, const QString& name, QWidget* panel, Qt::DockWidgetArea area,
                                  bool in_view_menu) {
  auto* dock = new QDockWidget(title, this);
  dock->setObjectName(name);  // the key of its saved state
  dock->setWidget(panel);
  addDockWidget(area, dock);
  // Ticked while the dock shows; choosing it shows a closed dock again.
  if (in_view_menu) view_menu_->addAction(dock->toggleViewAction());
  return dock;
}

void MainWindow::connect_controls() {
  actions_.connect_handlers(*this);
  actions_.update_enabled(*this);
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
  // Damaged or foreign state is refused by Qt: the first-start docks stay.
  if (const auto state = settings_.read_text(kDockStateName))
    restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*state)), kDockStateVersion);
}

void MainWindow::open_last_project() {
  if (settings_.read_int("UseLastProject", 0) == 0) return;
  const auto last = settings_.read_text("LastProject");
  if (last && !last->empty()) open_at(*last);
}

QString MainWindow::status_text(int pane) const { return status_panes_->text(pane); }

QWidget* MainWindow::help_window() const { return help_.data(); }

QWidget* MainWindow::view_area() const { return view_area_; }

DisplayMode MainWindow::display_mode() const { return view_area_->display_mode(); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_area_ && event->type() == QEvent::Paint) on_first_paint();
  return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- commands

void MainWindow::new_project() {
  if (!may_discard_changes()) return;
  project_closed();
  project_->new_project();
  project_->post(Notification::ModelChanged);
  repaint_views();
  set_title();
  edit_properties();
}

void MainWindow::open_project() {
  if (!may_discard_changes()) return;
  const auto path = files_.choose_open(this);
  if (!path) return;
  open_at(*path);
  repaint_views();
}

bool MainWindow::save() {
  // A read-only project is saved only under another name.
  if (!project_->path || read_only_) return save_as();
  return save_to(*project_->path);
}

bool MainWindow::save_as() {
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
    remember_recent(absolute);
  } else if (took_lock) {
    release_project_lock(absolute, recovery_.self);
  }
  set_title();
  return saved;
}

void MainWindow::edit_properties() {
  ProjectPropertiesDialog dialog(*project_, *choosers_, files_, questions_, project_files_.save, this);
  if (dialog.exec() == QDialog::Accepted)
    autosaver_->set_interval(settings_.read_int("AutosaveMinutes", kDefaultAutosaveMinutes));
  repaint_views();
  set_title();
}

void MainWindow::on_show_mirror_points(bool checked) {
  project_->model.show_mirror_points = checked ? 1 : 0;
  project_->post(Notification::ImagesChanged);
  repaint_views();
}

void MainWindow::on_select_create() {
  project_->select_mode = select_->isChecked() ? SelectMode::Select : SelectMode::Create;
}

void MainWindow::set_display_mode(DisplayMode mode) {
  view_area_->show_display(mode, shown_page(*image_list_panel_));
  project_->post(Notification::DisplayChanged);
  repaint_views();
}

void MainWindow::show_about() {
  questions_.tell(this, QStringLiteral("Plenvista Version 0.1\nPhotogrammetric modeller"),
                  QStringLiteral("About Plenvista"));
}

void MainWindow::open_sample_project() {
  if (!may_discard_changes()) return;
  const auto path = copy_sample_project(sample_directory_);
  if (!path) {
    messages_.show("Cannot copy the sample project to " + sample_directory_, "Error");
    return;
  }
  open_at(*path);
  repaint_views();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData() != nullptr && carries_files(*event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  if (event->mimeData() == nullptr || !carries_files(*event->mimeData())) return;
  event->acceptProposedAction();
  // After the drop has finished: the source is not kept waiting on dialogs.
  QMetaObject::invokeMethod(
      this, [this, urls = event->mimeData()->urls()] { open_dropped(urls); }, Qt::QueuedConnection);
}

void MainWindow::open_dropped(const QList<QUrl>& urls) {
  const DroppedFiles dropped = sort_dropped(urls);
  if (!dropped.refused.empty()) questions_.tell(this, refused_drop_message(dropped.refused), kCaption);
  if (dropped.project) {
    if (!may_discard_changes() || !open_at(*dropped.project)) return;
    repaint_views();
  }
  image_list_panel_->add_photographs(dropped.photographs);
}

void MainWindow::open_recent(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    questions_.tell(this,
                    QStringLiteral("The project %1 no longer exists. It is removed from the recent projects.")
                        .arg(QString::fromStdString(path)),
                    kCaption);
    remove_recent_project(settings_, path);
    recent_menu_->refresh();
    return;
  }
  if (!may_discard_changes()) return;
  open_at(path);
  repaint_views();
}

void MainWindow::show_help() {
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
  return save();
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
    remember_recent(absolute);
    return true;
  }
  if (took_lock) release_project_lock(absolute, recovery_.self);
  project_->path = old_path;
  project_->directory = old_directory;
  project_->file_name = old_file_name;
  return false;
}

void MainWindow::remember_recent(const std::string& path) {
  add_recent_project(settings_, path);
  recent_menu_->refresh();
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
  actions_.update_enabled(*this);
  update_model_status();
  repaint_views();
  residuals_panel_->refresh();
}

void MainWindow::on_point_made(const ModelPoint& point, const PointFit& fit) {
  const std::string text = point_fit_summary(point.id, fit);
  status_panes_->set_text(kPointFitPane, QString::fromStdString(fit.weak() ? "Warning: " + text : text));
  status_panes_->label(kPointFitPane)
      ->setStyleSheet(fit.weak() ? QStringLiteral("color: #b00000; font-weight: bold") : QString());
}

QString MainWindow::point_fit_text() const { return status_panes_->text(kPointFitPane); }

void MainWindow::display() {
  view_area_->show_display(view_area_->display_mode(), shown_page(*image_list_panel_));
  actions_.update_enabled(*this);
}

void MainWindow::refresh() {
  repaint_views();
  image_list_panel_->refresh();
  layer_material_panel_->refresh();
  const ModelData& model = project_->model;
  show_mirror_->setChecked(model.show_mirror_points != 0);
  show_mirror_->setEnabled(model.transform.mirror_plane != MirrorPlane::None);
  (model.selection_size == SelectionSize::Large ? actions_.tool_large_selection : actions_.tool_small_selection)
      ->setChecked(true);
  QAction* const modes[] = {actions_.tool_new_selection, actions_.tool_add_to_selection,
                            actions_.tool_remove_from_selection};
  const int mode = static_cast<int>(model.selection_mode);
  if (mode >= 0 && mode <= 2) modes[mode]->setChecked(true);
  cad_views_[0]->set_current_axis(project_->active_cad_view);
  residuals_panel_->refresh();
}

void MainWindow::set_status(int pane, const QString& text) { status_panes_->set_text(pane, text); }

void MainWindow::update_cursor_status() {
  const CursorPosition& c = project_->cursor;
  set_status(0, QString::fromStdString("Cursor: (" + std::to_string(static_cast<int>(c.window_x)) + "," +
                                       std::to_string(static_cast<int>(c.window_y)) + ") (" +
                                       format_fixed(c.image_x, 2) + ", " + format_fixed(c.image_y, 2) + ")"));
}

void MainWindow::update_selection_status(bool single_point) {
  const ModelPoint* p = project_->single_selected;
  if (!single_point || p == nullptr) {
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

// ------------------------------------------------------------------ views

void MainWindow::repaint_views() {
  image_view_->refresh();
  for (CadView* view : cad_views_) view->refresh();
  if (Model3dView* view = view_area_->model_3d_view()) view->refresh();
}

void MainWindow::fit_views() {
  const std::array<ModelView*, 4> views{image_view_, cad_views_[0], cad_views_[1], cad_views_[2]};
  for (ModelView* view : views) {
    if (view->hasFocus()) {
      view->fit_to_window();
      return;
    }
  }
  for (ModelView* view : views)
    if (view->isVisible()) view->fit_to_window();
}

void MainWindow::on_first_paint() {
  if (first_paint_done_) return;
  first_paint_done_ = true;
  view_area_->removeEventFilter(this);
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
