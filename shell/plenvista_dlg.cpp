#include "shell/plenvista_dlg.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <functional>
#include <string>

#include "model/edit_actions.h"
#include "model/translation.h"
#include "model/undo_commands.h"
#include "shell/command_line.h"
#include "shell/dialogs/reference_point_dialog.h"
#include "model/number_text.h"
#include "shell/help_window.h"
#include "shell/toolbar_icons.h"
#include "shell/translation_editor_dialog.h"
#include "shell/view_layout.h"
#include "views/cad_view.h"
#include "views/image_view.h"

namespace plenvista {

// The client area: reports its size changes and its first paint.
class CPlenvistaDlg::ClientArea : public QWidget {
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

struct MenuItem {
  int id;  // 0: separator
  const char* text;
};

struct ToolButton {
  int id;  // 0: separator
  const char* tooltip;
};

constexpr ToolButton kToolbar[] = {
    {32797, "New Project"},
    {32798, "Open"},
    {32799, "Save"},
    {0, nullptr},
    {32800, "Undo"},
    {32801, "Redo"},
    {0, nullptr},
    {32802, "Delete"},
    {0, nullptr},
    {32803, "Translation / Scaling"},
    {32804, "Materials"},
    {32805, "Layers"},
    {0, nullptr},
    {32806, "Set Material"},
    {32807, "Set Layer"},
    {0, nullptr},
    {32808, "Commit Mirror"},
    {32809, "Apply Texture"},
    {0, nullptr},
    {32810, "Small Selection"},
    {32811, "Large Selection"},
    {0, nullptr},
    {32812, "New selection"},
    {32813, "Add to selection"},
    {32814, "Remove from selection"},
    {0, nullptr},
    {32815, "Tabbed Image / CAD display"},
    {32816, "Mixed Image / CAD display"},
    {0, nullptr},
    {32817, "Camera Editor"},
    {32818, "Export"},
};

// Button groups whose buttons stay pressed until another of the group is.
constexpr int kCheckGroups[][3] = {{32810, 32811, 0}, {32812, 32813, 32814}, {32815, 32816, 0}};

// Dialog units of the window's panel controls to client pixels.
QRect dialog_units(int x, int y, int width, int height) {
  return QRect(x * 3 / 2, y * 13 / 8, width * 3 / 2, height * 13 / 8);
}

QString point_text(double x, double y, double z) {
  return QString::fromStdString("x:" + format_fixed(x, 2) + ", y:" + format_fixed(y, 2) +
                                ", z:" + format_fixed(z, 2));
}

const QString kCaption = QStringLiteral("Plenvista");

}  // namespace

CPlenvistaDlg::CPlenvistaDlg(Services services)
    : settings_(services.settings),
      files_(services.files),
      questions_(services.questions),
      project_files_(std::move(services.project_files)),
      command_line_(std::move(services.command_line)),
      messages_(services.questions) {
  setWindowTitle(kCaption);
  setWindowIcon(program_icon());
  messages_.bind(this);
  notifier_.bind(this, [this](Notification n, int argument) { handle(n, argument); });
  project_ = std::make_unique<Project>(settings_, notifier_, messages_);

  client_ = new ClientArea(this);
  setCentralWidget(client_);
  build_views();
  build_menu();
  build_panels();
  create_->setChecked(true);
  project_->select_mode = 0;
  build_toolbar();
  show_mirror_->setChecked(true);
  connect_commands();

  client_->resized = [this] { lay_out(); };
  client_->painted = [this] { on_first_paint(); };
  lay_out();
  restore_placement();
  open_last_project();
}

CPlenvistaDlg::~CPlenvistaDlg() {
  settings_.write_int("MainLeft", x());
  settings_.write_int("MainTop", y());
  settings_.write_int("MainWidth", width());
  settings_.write_int("MainHeight", height());
  if (project_->path) settings_.write_text("LastProject", *project_->path);
  // The views refer to the project: they go first.
  delete client_;
}

void CPlenvistaDlg::build_views() {
  image_view_ = new ImageView(*project_, client_);
  image_view_->setGeometry(165, 45, 765, 550);
  image_view_->set_reference_asker([](QWidget* parent) -> std::optional<Vec3> {
    ReferencePointDialog dialog(Vec3{}, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.position();
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

void CPlenvistaDlg::build_menu() {
  const auto add_menu = [this](const char* title, std::initializer_list<MenuItem> items) {
    QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
    for (const MenuItem& item : items) {
      if (item.id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromLatin1(item.text));
      action->setData(item.id);
      commands_[item.id] = action;
    }
  };
  add_menu("&File", {{57600, "&New\tCtrl+N"},
                     {57601, "&Open...\tCtrl+O"},
                     {57602, "&Close"},
                     {0, nullptr},
                     {57603, "&Save\tCtrl-S"},
                     {32776, "Save &As..."},
                     {0, nullptr},
                     {32771, "E&xit"}});
  add_menu("&Edit", {{32777, "&Undo\tCtrl-Z"}, {32778, "&Redo\tCtrl-Y"}});
  add_menu("Project", {{32780, "Translations"}, {32792, "Materials"}, {32781, "Layers"}, {32791, "Properties"}});
  add_menu("&Tools", {{32786, "Export"}, {32787, "Camera Setup / Calibration"}});
  add_menu("&Help", {{32789, "Contents"}, {0, nullptr}, {32790, "&About"}});
  // The menu texts promise these keys; the text already names them, so Qt
  // adds nothing to it.
  commands_[57600]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  commands_[57601]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  commands_[57603]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  commands_[32777]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  commands_[32778]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  auto* help_key = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help_key, &QShortcut::activated, this, [this] { on_help(); });
}

void CPlenvistaDlg::build_toolbar() {
  toolbar_ = new QToolBar(client_);
  toolbar_->setIconSize(QSize(16, 16));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  for (const ToolButton& button : kToolbar) {
    if (button.id == 0) {
      toolbar_->addSeparator();
      continue;
    }
    QAction* action = toolbar_->addAction(toolbar_icon(button.id), QString::fromLatin1(button.tooltip));
    action->setToolTip(QString::fromLatin1(button.tooltip));
    action->setData(button.id);
    commands_[button.id] = action;
  }
  for (const auto& ids : kCheckGroups) {
    auto* group = new QActionGroup(toolbar_);
    group->setExclusive(true);
    for (int id : ids) {
      if (id == 0) continue;
      commands_[id]->setCheckable(true);
      group->addAction(commands_[id]);
    }
  }
  commands_[32815]->setChecked(true);

  status_bar_ = new QStatusBar(client_);
  for (QLabel*& pane : panes_) {
    pane = new QLabel(status_bar_);
    pane->setFixedWidth(200);
    status_bar_->addWidget(pane);
  }
}

void CPlenvistaDlg::build_panels() {
  picture_tab_ = new QTabWidget(client_);
  picture_tab_->setObjectName("CPictureTabCtrl");
  picture_tab_->addTab(new QWidget, QStringLiteral("Images"));
  picture_tab_->addTab(new QWidget, QStringLiteral("CAD"));
  picture_tab_->setGeometry(dialog_units(5, 23, 117, 163));

  vertex_tab_ = new QTabWidget(client_);
  vertex_tab_->setObjectName("CVertexTabCtrl");
  vertex_tab_->addTab(new QWidget, QStringLiteral("Vertex"));
  vertex_tab_->addTab(new QWidget, QStringLiteral("Face"));
  vertex_tab_->setGeometry(dialog_units(5, 188, 117, 123));

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

void CPlenvistaDlg::connect_commands() {
  const auto on = [this](int id, std::function<void()> action) {
    connect(commands_.at(id), &QAction::triggered, this, [action = std::move(action)] { action(); });
  };
  for (int id : {57600, 32797}) on(id, [this] { on_new(); });
  if (project_files_.open)
    for (int id : {57601, 32798}) on(id, [this] { on_open(); });
  if (project_files_.save) {
    for (int id : {57603, 32799}) on(id, [this] { on_save(); });
    on(32776, [this] { on_save_as(); });
  }
  for (int id : {57602, 32771}) on(id, [this] { close(); });
  for (int id : {32777, 32800}) on(id, [this] { undo_command(*project_); });
  for (int id : {32778, 32801}) on(id, [this] { redo_command(*project_); });
  on(32802, [this] { delete_command(*project_); });
  for (int id : {32780, 32803}) on(id, [this] { on_translations(); });
  on(32808, [this] {
    project_->changed = 0;
    commit_mirror(*project_);
  });
  on(32810, [this] { on_selection_size(5); });
  on(32811, [this] { on_selection_size(15); });
  on(32812, [this] { on_selection_mode(0); });
  on(32813, [this] { on_selection_mode(1); });
  on(32814, [this] { on_selection_mode(2); });
  on(32815, [this] { on_display_mode(0); });
  on(32816, [this] { on_display_mode(1); });
  on(32789, [this] { on_help(); });
  on(32790, [this] { on_about(); });

  connect(show_mirror_, &QCheckBox::clicked, this, [this](bool checked) { on_show_mirror_points(checked); });
  connect(select_, &QRadioButton::clicked, this, [this] { on_select_create(); });
  connect(create_, &QRadioButton::clicked, this, [this] { on_select_create(); });
  connect(picture_tab_, &QTabWidget::currentChanged, this, [this](int index) {
    project_->cad_page_shown = index == 1 ? 1 : 0;
    project_->post(Notification::DisplayChanged);
  });
  connect(vertex_tab_, &QTabWidget::currentChanged, this,
          [this](int index) { project_->point_mode = index == 0 ? 1 : 0; });
}

void CPlenvistaDlg::restore_placement() {
  move(settings_.read_int("MainLeft", 50), settings_.read_int("MainTop", 50));
  resize(settings_.read_int("MainWidth", 900), settings_.read_int("MainHeight", 650));
}

void CPlenvistaDlg::open_last_project() {
  if (settings_.read_int("UseLastProject", 0) == 0) return;
  const auto last = settings_.read_text("LastProject");
  if (last && !last->empty()) open_at(*last);
}

QAction* CPlenvistaDlg::command(int id) const {
  const auto it = commands_.find(id);
  return it == commands_.end() ? nullptr : it->second;
}

QString CPlenvistaDlg::status_text(int pane) const { return panes_.at(static_cast<std::size_t>(pane))->text(); }

QWidget* CPlenvistaDlg::help_window() const { return help_.data(); }

QWidget* CPlenvistaDlg::client_area() const { return client_; }

// ---------------------------------------------------------------- commands

void CPlenvistaDlg::on_new() {
  if (!may_discard_changes()) return;
  project_->new_project();
  project_->post(Notification::ModelChanged);
  repaint_views();
  set_title();
}

void CPlenvistaDlg::on_open() {
  if (!may_discard_changes()) return;
  const auto path = files_.choose_open(this);
  if (!path) return;
  open_at(*path);
  repaint_views();
}

bool CPlenvistaDlg::on_save() {
  if (!project_->path) return on_save_as();
  return project_files_.save(*project_) == 1;
}

bool CPlenvistaDlg::on_save_as() {
  const auto path = files_.choose_save(this, project_->path.value_or(std::string()));
  if (!path) return false;
  project_->set_path(*path);
  const bool saved = project_files_.save(*project_) == 1;
  set_title();
  return saved;
}

void CPlenvistaDlg::on_translations() {
  TranslationEditorDialog dialog(project_->model.transform, questions_, this);
  if (dialog.exec() == QDialog::Accepted) apply_translation(*project_, dialog.edit());
}

void CPlenvistaDlg::on_show_mirror_points(bool checked) {
  project_->model.show_mirror_points = checked ? 1 : 0;
  project_->post(Notification::ImagesChanged);
  repaint_views();
}

void CPlenvistaDlg::on_select_create() { project_->select_mode = select_->isChecked() ? 1 : 0; }

void CPlenvistaDlg::on_selection_size(int size) {
  project_->model.selection_size = size;
  project_->post(Notification::ImagesChanged);
}

void CPlenvistaDlg::on_selection_mode(int mode) { project_->model.selection_mode = mode; }

void CPlenvistaDlg::on_display_mode(int mode) {
  display_mode_ = mode;
  project_->post(Notification::DisplayChanged);
  lay_out();
  repaint_views();
}

void CPlenvistaDlg::on_about() {
  questions_.tell(this, QStringLiteral("Plenvista Version 0.1\nPhotogrammetric modeller"),
                  QStringLiteral("About Plenvista"));
}

void CPlenvistaDlg::on_help() {
  if (!help_) help_ = new HelpWindow(this);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

bool CPlenvistaDlg::may_discard_changes() {
  if (project_->modified == 0) return true;
  const auto answer = questions_.ask(this, QStringLiteral("Save Change ?"), kCaption,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning);
  if (answer == QMessageBox::No) return true;
  if (answer != QMessageBox::Yes || !project_files_.save) return false;
  // A save that fails or is cancelled keeps the edits and the window.
  return on_save();
}

bool CPlenvistaDlg::open_at(const std::string& path) {
  const auto old_path = project_->path;
  const auto old_directory = project_->directory;
  const auto old_file_name = project_->file_name;
  project_->set_path(path);
  if (project_files_.open && project_files_.open(*project_) == 1) {
    project_->post(Notification::ModelChanged);
    set_title();
    return true;
  }
  project_->path = old_path;
  project_->directory = old_directory;
  project_->file_name = old_file_name;
  return false;
}

void CPlenvistaDlg::set_title() {
  setWindowTitle(project_->file_name.empty() ? kCaption
                                             : QString::fromStdString(project_->file_name) + " - " + kCaption);
}

void CPlenvistaDlg::closeEvent(QCloseEvent* event) {
  if (may_discard_changes())
    event->accept();
  else
    event->ignore();
}

// ----------------------------------------------------------- notifications

void CPlenvistaDlg::handle(Notification notification, int argument) {
  switch (notification) {
    case Notification::DisplayChanged:
      display();
      break;
    case Notification::CursorMoved:
      update_cursor_status();
      break;
    case Notification::ImagesChanged:
      refresh();
      break;
    case Notification::ModelChanged: {
      bool any_selected = false;
      for (const ModelPoint* p : project_->model.points) any_selected = any_selected || p->selected != 0;
      commands_.at(32802)->setEnabled(any_selected);
      update_model_status();
      repaint_views();
      break;
    }
    case Notification::SelectionChanged:
      update_selection_status(argument);
      break;
    case Notification::RedrawViews:
      repaint_views();
      break;
  }
}

void CPlenvistaDlg::display() {
  const bool images_page = picture_tab_->currentIndex() == 0;
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
  commands_.at(32816)->setEnabled(images_page);
}

void CPlenvistaDlg::refresh() {
  repaint_views();
  const ModelData& model = project_->model;
  show_mirror_->setChecked(model.show_mirror_points != 0);
  show_mirror_->setEnabled(model.transform.mirror_plane != MirrorPlane::None);
  commands_.at(model.selection_size == 15 ? 32811 : 32810)->setChecked(true);
  if (model.selection_mode >= 0 && model.selection_mode <= 2) commands_.at(32812 + model.selection_mode)->setChecked(true);
  cad_views_[0]->set_current_axis(project_->active_cad_view);
}

void CPlenvistaDlg::set_status(int pane, const QString& text) {
  panes_.at(static_cast<std::size_t>(pane))->setText(text);
}

void CPlenvistaDlg::update_cursor_status() {
  const CursorPosition& c = project_->cursor;
  set_status(0, QString::fromStdString("Cursor: (" + std::to_string(static_cast<int>(c.window_x)) + "," +
                                       std::to_string(static_cast<int>(c.window_y)) + ") (" +
                                       format_fixed(c.image_x, 2) + ", " + format_fixed(c.image_y, 2) + ")"));
}

void CPlenvistaDlg::update_selection_status(int argument) {
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

void CPlenvistaDlg::update_model_status() {
  set_status(3, QString::fromStdString("Points : " + std::to_string(project_->model.points.count()) +
                                       ", Faces : " + std::to_string(project_->model.faces.count())));
}

// ------------------------------------------------------------------ layout

void CPlenvistaDlg::lay_out() {
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

void CPlenvistaDlg::repaint_views() {
  image_view_->refresh();
  for (CadView* view : cad_views_) view->refresh();
}

void CPlenvistaDlg::on_first_paint() {
  if (first_paint_done_) return;
  first_paint_done_ = true;
  const std::string path = project_path_from_command_line(command_line_);
  if (path.empty()) return;
  // Opened once the paint has finished: a failure shows a message box.
  QMetaObject::invokeMethod(
      this,
      [this, path] {
        open_at(path);
        repaint_views();
      },
      Qt::QueuedConnection);
}

}  // namespace plenvista
