#include "shell/panels/image_list_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "base/number_text.h"
#include "base/text.h"
#include "model/image_management.h"
#include "model/project.h"
#include "photogrammetry/bitmap_size.h"
#include "shell/dialogs/image_centres_dialog.h"
#include "shell/dialogs/image_dialog.h"
#include "shell/dialogs/search_progress_dialog.h"
#include "shell/dialogs/set_camera_dialog.h"
#include "shell/panels/list_refill.h"
#include "shell/shell_seams.h"

namespace plenvista {

namespace {

const QString kCaption = QStringLiteral("Plenvista");

QString image_line(const ProjectImage& image) {
  std::string line(shown(image.description));
  line += " \t ";
  append_fixed(line, image.search_score, 2);
  line += '%';
  return QString::fromStdString(line);
}

bool used_as_texture(const Project& project, const ProjectImage* image) {
  const auto& materials = project.model.materials;
  return std::any_of(materials.begin(), materials.end(),
                     [image](const Material* m) { return m->texture_image == image; });
}

}  // namespace

ImageListPanel::ImageListPanel(Project& project, FileChooser& files, QuestionAsker& questions, QWidget* parent)
    : QTabWidget(parent),
      project_(project),
      files_(files),
      questions_(questions),
      images_page_(new QWidget),
      cad_page_(new QWidget),
      model_3d_page_(new QWidget),
      search_tick_ms_(SearchProgressDialog::kTickMilliseconds) {
  setObjectName(QStringLiteral("CPictureTabCtrl"));
  build_images_page();
  build_cad_page();
  build_model_3d_page();
  addTab(images_page_, QStringLiteral("Images"));
  addTab(cad_page_, QStringLiteral("CAD"));
  addTab(model_3d_page_, QStringLiteral("3D"));
  connect(this, &QTabWidget::currentChanged, this, [this](int index) {
    project_.cad_page_shown = index == 1 ? 1 : 0;
    project_.post(Notification::DisplayChanged);
  });
  refresh();
}

void ImageListPanel::build_images_page() {
  list_ = new QListWidget(images_page_);
  list_->setUniformItemSizes(true);
  add_ = new QPushButton(QStringLiteral("Add"), images_page_);
  edit_ = new QPushButton(QStringLiteral("Edit"), images_page_);
  delete_ = new QPushButton(QStringLiteral("Delete"), images_page_);
  up_ = new QPushButton(QStringLiteral("Up"), images_page_);
  down_ = new QPushButton(QStringLiteral("Down"), images_page_);
  calibration_ = new QCheckBox(QStringLiteral("Calibration Mode"), images_page_);
  reference_only_ = new QCheckBox(QStringLiteral("Ref points only"), images_page_);
  reference_only_->setEnabled(false);

  auto* buttons = new QGridLayout;
  buttons->setSpacing(2);
  buttons->addWidget(add_, 0, 0);
  buttons->addWidget(edit_, 0, 1);
  buttons->addWidget(delete_, 0, 2);
  buttons->addWidget(up_, 1, 1);
  buttons->addWidget(down_, 1, 2);
  auto* layout = new QVBoxLayout(images_page_);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  layout->addWidget(new QLabel(QStringLiteral("Images:"), images_page_));
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  layout->addWidget(calibration_);
  layout->addWidget(reference_only_);

  connect(list_, &QListWidget::currentRowChanged, this, &ImageListPanel::on_choose);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QListWidget::customContextMenuRequested, this, &ImageListPanel::on_list_menu);
  connect(add_, &QPushButton::clicked, this, &ImageListPanel::on_add);
  connect(edit_, &QPushButton::clicked, this, &ImageListPanel::on_edit);
  connect(delete_, &QPushButton::clicked, this, &ImageListPanel::on_delete);
  connect(up_, &QPushButton::clicked, this, [this] { on_move(-1); });
  connect(down_, &QPushButton::clicked, this, [this] { on_move(1); });
  connect(calibration_, &QCheckBox::clicked, this, &ImageListPanel::on_calibration);
  connect(reference_only_, &QCheckBox::clicked, this, &ImageListPanel::on_reference_only);
  images_page_->installEventFilter(this);
}

void ImageListPanel::build_cad_page() {
  axis_ = new QComboBox(cad_page_);
  axis_->addItems({QStringLiteral("Z Axis"), QStringLiteral("X Axis"), QStringLiteral("Y Axis")});
  auto* layout = new QHBoxLayout;
  layout->addWidget(new QLabel(QStringLiteral("View :"), cad_page_));
  layout->addWidget(axis_, 1);
  auto* page = new QVBoxLayout(cad_page_);
  page->addLayout(layout);
  page->addStretch(1);
  connect(axis_, &QComboBox::activated, this, [this](int index) {
    project_.active_cad_view = index;
    project_.post(Notification::ImagesChanged);
  });
}

void ImageListPanel::build_model_3d_page() {
  auto* keys = new QLabel(QStringLiteral("Left drag: turn\n"
                                         "Middle or Shift + left drag: move\n"
                                         "Wheel: zoom\n"
                                         "Click: select a point or face\n"
                                         "Double click on a camera: its image\n"
                                         "Home: fit, 1 / 3 / 7: Z / X / Y axis"),
                          model_3d_page_);
  keys->setWordWrap(true);
  auto* page = new QVBoxLayout(model_3d_page_);
  page->addWidget(keys);
  page->addStretch(1);
}

bool ImageListPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == images_page_ && event->type() == QEvent::Paint) enable_edit_delete();
  return QTabWidget::eventFilter(watched, event);
}

void ImageListPanel::enable_edit_delete() {
  const bool any = !project_.images().images.empty();
  edit_->setEnabled(any);
  delete_->setEnabled(any);
}

void ImageListPanel::refresh() {
  const ImageSet& set = project_.images();
  QStringList lines;
  lines.reserve(set.images.count());
  for (const ProjectImage* image : set.images) lines.push_back(image_line(*image));
  refill_list(*list_, lines);
  {
    const QSignalBlocker quiet(list_);
    const int scroll = list_->verticalScrollBar()->value();
    const int current = set.current ? set.images.index_of(set.current) : 0;
    list_->setCurrentRow(set.images.empty() ? -1 : std::max(current, 0));
    list_->verticalScrollBar()->setValue(scroll);
  }
  reference_only_->setChecked(set.reference_points_only == 1);
  enable_edit_delete();
}

// ----------------------------------------------------------------- commands

void ImageListPanel::on_choose(int row) {
  ImageSet& set = project_.images();
  ProjectImage* chosen = set.images.at(row);
  if (!chosen) return;
  if (set.partner_mode) {
    if (set.current) set_partner(project_, *set.current, chosen);
  } else {
    set.current = chosen;
  }
  project_.note_change();
  project_.post(Notification::ImagesChanged);
}

bool ImageListPanel::ensure_camera() {
  if (!project_.camera_file_name.value_or(std::string()).empty()) return true;
  SetCameraDialog camera(project_, files_, questions_, this);
  return camera.exec() == QDialog::Accepted;
}

void ImageListPanel::add_from(ImageDialog& dialog) {
  if (dialog.exec() == QDialog::Accepted) {
    // Null when the project has run out of ids (the user has been told).
    ProjectImage* image = add_image(project_, dialog.take_new_image());
    if (image) {
      project_.note_change();
      if (!matches_native_size(project_, *image)) {
        ImageCentresDialog centres(*image, this);
        centres.exec();
      }
    }
  }
  enable_edit_delete();
}

void ImageListPanel::on_add() {
  if (!ensure_camera()) return;
  ImageDialog dialog(project_, nullptr, files_, questions_, this);
  add_from(dialog);
}

void ImageListPanel::add_photographs(const std::vector<std::string>& paths) {
  if (paths.empty() || !ensure_camera()) return;
  for (const std::string& path : paths) {
    ImageDialog dialog(project_, nullptr, files_, questions_, this);
    dialog.field(ImageDialog::File)->setText(QString::fromStdString(path));
    dialog.field(ImageDialog::Description)
        ->setText(QString::fromStdString(std::filesystem::path(path).stem().string()));
    add_from(dialog);
  }
}

void ImageListPanel::on_list_menu(const QPoint& at) {
  ImageSet& set = project_.images();
  const QListWidgetItem* item = list_->itemAt(at);
  ProjectImage* chosen = item ? set.images.at(list_->row(item)) : nullptr;
  if (chosen == nullptr || set.current == nullptr || chosen == set.current) return;
  QMenu menu(this);
  QAction* use = menu.addAction(QStringLiteral("Use as Partner"));
  if (menu.exec(list_->viewport()->mapToGlobal(at)) != use) return;
  set_partner(project_, *set.current, chosen);
  project_.note_change();
  project_.post(Notification::ImagesChanged);
}

void ImageListPanel::on_edit() {
  ProjectImage* image = project_.images().current;
  if (!image) return;
  ImageDialog dialog(project_, image, files_, questions_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  project_.note_change();
  project_.post(Notification::ImagesChanged);
}

void ImageListPanel::on_delete() {
  ProjectImage* image = project_.images().current;
  if (!image) return;
  if (used_as_texture(project_, image)) {
    questions_.tell(this, QStringLiteral("Image is currently in use by a material, cannot delete"), kCaption);
    return;
  }
  const auto answer = questions_.ask(this, QStringLiteral("Remove image from project - are you sure ?"), kCaption,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question);
  if (answer == QMessageBox::Yes) remove_current_image(project_);
  enable_edit_delete();
}

void ImageListPanel::on_move(int delta) {
  const ImageSet& set = project_.images();
  const int slot = set.images.index_of(set.current);
  if (slot < 0 || !set.images.at(slot + delta)) return;
  move_current_image(project_, delta);
  project_.note_change();
  project_.post(Notification::ImagesChanged);
}

void ImageListPanel::clear_picks() {
  ImageSet& set = project_.images();
  set.pending_world_position.reset();
  if (ProjectImage* shown = displayed_image(set)) clear_picks_and_selections(project_, *shown);
}

void ImageListPanel::on_calibration(bool checked) {
  ImageSet& set = project_.images();
  set.calibration_mode = checked ? 1 : 0;
  clear_picks();
  project_.post(Notification::ImagesChanged);
  if (checked) {
    reference_only_->setEnabled(true);
    return;
  }
  set.reference_points_only = 0;
  clear_picks();
  reference_only_->setChecked(false);
  reference_only_->setEnabled(false);
  locate_changed_images();
  project_.post(Notification::ImagesChanged);
}

void ImageListPanel::locate_changed_images() {
  bool searched = false;
  while (first_image_ready_for_search(project_.images())) {
    SearchProgressDialog dialog(project_, this, search_tick_ms_);
    dialog.exec();
    searched = true;
  }
  if (searched) project_.note_change();
}

void ImageListPanel::on_reference_only(bool checked) {
  set_reference_points_only(project_, checked);
  clear_picks();
  project_.note_change();
}

}  // namespace plenvista
