#include "shell/dialogs/camera_edit_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>
#include <utility>

#include "model/number_text.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/grid_calibration.h"
#include "shell/dialogs/cam_busy_dialog.h"
#include "shell/file_dialogs.h"
#include "views/calibration_view.h"
#include "views/closing_keys.h"

namespace plenvista {

namespace {

const QString kTitle = QStringLiteral("Camera Editor");
const QString kCameraFilter = QStringLiteral("cal Files (*.cal);;All Files (*.*)");
const QString kPhotographFilter = QStringLiteral("bmp Files (*.bmp);;All Files (*.*)");
constexpr int kInstructionPeriodMs = 1000;
constexpr int kFieldLength = 127;
constexpr int kNotesLength = 255;
// Only the start of a field decides whether it reads as 0.
constexpr int kRuleTextLength = 23;

QString position_text(Point2 p) { return QString::fromStdString(format_position(p.x, p.y)); }

QString file_name_of(const std::string& path) {
  return QString::fromStdString(std::filesystem::path(path).filename().string());
}

}  // namespace

CameraEditDialog::CameraEditDialog(FileDialogs& files, QuestionAsker& questions, QWidget* parent)
    : QDialog(parent), files_(files), questions_(questions), messages_(questions) {
  setObjectName("CameraEditDialog");
  setWindowTitle(kTitle);
  messages_.bind(this);
  build();
  fields_[Rows]->setText(QStringLiteral("14"));
  fields_[Columns]->setText(QStringLiteral("20"));
  update_instructions();
  timer_.setInterval(kInstructionPeriodMs);
  connect(&timer_, &QTimer::timeout, this, [this] { update_instructions(); });
  timer_.start();
}

CameraEditDialog::~CameraEditDialog() { timer_.stop(); }

void CameraEditDialog::build() {
  const auto make_button = [this](Button b, const char* text, void (CameraEditDialog::*command)()) {
    buttons_[b] = new QPushButton(QString::fromLatin1(text), this);
    // ENTER must not press a button: the editor has no default action.
    buttons_[b]->setAutoDefault(false);
    connect(buttons_[b], &QPushButton::clicked, this, command);
  };
  make_button(New, "New", &CameraEditDialog::new_camera);
  make_button(OpenCamera, "Open ...", &CameraEditDialog::open_camera);
  make_button(OpenImage, "Open ...", &CameraEditDialog::open_image);
  buttons_[Save] = new QPushButton(QStringLiteral("Save"), this);
  buttons_[SaveAs] = new QPushButton(QStringLiteral("Save As ..."), this);
  for (Button b : {Save, SaveAs}) buttons_[b]->setAutoDefault(false);
  connect(buttons_[Save], &QPushButton::clicked, this, [this] { save(); });
  connect(buttons_[SaveAs], &QPushButton::clicked, this, [this] { save_as(); });

  auto* top = new QHBoxLayout;
  for (Button b : {New, OpenCamera, Save, SaveAs}) top->addWidget(buttons_[b]);
  top->addStretch();

  for (std::size_t f = 0; f < fields_.size(); ++f) {
    fields_[f] = new QLineEdit(this);
    fields_[f]->setMaxLength(f == static_cast<std::size_t>(Notes) ? kNotesLength : kFieldLength);
  }
  auto* form = new QGridLayout;
  int row = 0;
  const auto add_row = [&](const char* label, QWidget* widget, QWidget* extra = nullptr) {
    form->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
    form->addWidget(widget, row, 1, 1, extra ? 1 : 2);
    if (extra) form->addWidget(extra, row, 2);
    ++row;
  };
  add_row("Image File :", fields_[ImageFile], buttons_[OpenImage]);
  add_row("Notes:", fields_[Notes]);
  add_row("Distance (mm) :", fields_[Distance]);
  add_row("Columns :", fields_[Columns]);
  add_row("Rows :", fields_[Rows]);
  add_row("mm per cell (X) :", fields_[CellWidth]);
  add_row("mm per cell (Y) :", fields_[CellHeight]);
  const std::array<const char*, 4> point_labels{"Point 1 :", "Point 2 :", "Point 3 :", "Point 4 :"};
  for (std::size_t n = 0; n < points_.size(); ++n) {
    points_[n] = new QLabel(this);
    add_row(point_labels[n], points_[n]);
  }
  centre_text_ = new QLabel(this);
  add_row("Centre :", centre_text_);
  auto* help = new QLabel(QStringLiteral("Hold CTRL to scroll image.\nUse mouse wheel to zoom in and out."), this);
  form->addWidget(help, row++, 0, 1, 3);
  form->setRowStretch(row, 1);

  view_ = new CalibrationView(camera_, this);
  view_->setMinimumSize(470, 300);
  view_->pressed = [this](Point2 image) { on_press(image); };

  auto* middle = new QHBoxLayout;
  middle->addWidget(view_, 1);
  middle->addLayout(form);

  instruction_ = new QLabel(this);
  instruction_->setWordWrap(true);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QStringLiteral("Instructions :"), this));
  bottom->addWidget(instruction_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle, 1);
  layout->addLayout(bottom);
}

double CameraEditDialog::number(Field f) const { return parse_number(fields_[f]->text().toStdString()); }

int CameraEditDialog::whole_number(Field f) const {
  const double value = std::trunc(number(f));
  // Counts far outside any grid size read as 0, which no grid accepts.
  return std::abs(value) < 1e6 ? static_cast<int>(value) : 0;
}

void CameraEditDialog::update_instructions() {
  buttons_[Save]->setEnabled(false);
  buttons_[SaveAs]->setEnabled(false);
  const auto reads_zero = [this](Field f) {
    return parse_number(fields_[f]->text().left(kRuleTextLength).toStdString()) == 0.0;
  };
  QString rule;
  if (fields_[ImageFile]->text().isEmpty())
    rule = QStringLiteral("Open an image file using the open button at the top right of screen");
  else if (reads_zero(Distance))
    rule = QStringLiteral("Set the distance field (mm) between camera and image");
  else if (reads_zero(CellWidth))
    rule = QStringLiteral("Set mm per cell (x). This is the width of a cell");
  else if (reads_zero(CellHeight))
    rule = QStringLiteral("Set mm per cell (y). This is the Height of a cell");
  else if (centre_text_->text().isEmpty())
    rule = QStringLiteral("Click on the central cross lines of the grid (+)");
  else if (points_[0]->text().isEmpty())
    rule = QStringLiteral("Click on the top left corner of the top left cell");
  else if (points_[1]->text().isEmpty())
    rule = QStringLiteral("Click on the top right corner of the top left cell");
  else if (points_[2]->text().isEmpty())
    rule = QStringLiteral("Click on the bottom right corner of the top left cell");
  else if (points_[3]->text().isEmpty())
    rule = QStringLiteral("Click on the bottom left corner of the top left cell");
  if (rule.isEmpty()) {
    buttons_[Save]->setEnabled(true);
    buttons_[SaveAs]->setEnabled(true);
  }
  if (note_.isEmpty()) instruction_->setText(rule);
  else instruction_->setText(rule.isEmpty() ? note_ : note_ + QLatin1Char(' ') + rule);
}

void CameraEditDialog::on_press(Point2 image) {
  const ClickOutcome outcome =
      snapClick(view_->grid_photo(), image, whole_number(Columns), whole_number(Rows));
  switch (outcome.kind) {
    case ClickKind::Ignored:
      return;
    case ClickKind::Centre:
      note_.clear();
      centre_ = outcome.position;
      centre_text_->setText(position_text(centre_));
      break;
    case ClickKind::Corner:
      note_.clear();
      points_[static_cast<std::size_t>(outcome.point_index)]->setText(position_text(outcome.position));
      if (outcome.grid_due) calculate_grid();
      break;
  }
  update_instructions();
}

void CameraEditDialog::calculate_grid() {
  bool calculated = false;
  CamBusyDialog busy([&] { calculated = calculateGrid(view_->grid_photo(), camera_); }, this);
  busy.exec();
  if (calculated) grid_unsaved_ = true;
  else note_ = QStringLiteral("The grid was not calculated: Rows and Columns must be 1 to 30.");
  view_->update();
  update();
}

void CameraEditDialog::new_camera() {
  camera_ = CameraModel{};
  for (Field f : {Notes, Distance, CellWidth, CellHeight, ImageFile}) fields_[f]->clear();
  for (QLabel* point : points_) point->clear();
  centre_text_->clear();
  fields_[Rows]->setText(QStringLiteral("14"));
  fields_[Columns]->setText(QStringLiteral("20"));
  photograph_path_.clear();
  view_->set_photograph_path(std::nullopt);
  grid_unsaved_ = false;
  note_.clear();
}

void CameraEditDialog::open_camera() {
  const auto path = files_.open_file(this, kCameraFilter);
  if (!path) return;
  camera_file_ = *path;
  if (load_camera(*path, camera_, messages_)) {
    grid_unsaved_ = false;
    note_.clear();
  }
  fill_fields_from_camera();
}

void CameraEditDialog::fill_fields_from_camera() {
  fields_[Notes]->setText(QString::fromStdString(camera_.notes.value_or("")));
  fields_[Rows]->setText(QString::number(camera_.rows));
  fields_[Columns]->setText(QString::number(camera_.columns));
  centre_ = {camera_.centre_x, camera_.centre_y};
  centre_text_->setText(position_text(centre_));
  fields_[Distance]->setText(QString::fromStdString(format_fixed(camera_.distance_mm, 2)));
  fields_[CellWidth]->setText(QString::fromStdString(format_fixed(camera_.cell_width_mm, 3)));
  fields_[CellHeight]->setText(QString::fromStdString(format_fixed(camera_.cell_height_mm, 3)));
  // The corners of the top-left cell: top left, top right, bottom right,
  // bottom left. A camera without a grid has none to show.
  const std::array<std::pair<int, int>, 4> corners{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
  for (std::size_t n = 0; n < points_.size(); ++n) {
    if (camera_.has_tables()) points_[n]->setText(position_text(camera_.corner(corners[n].first, corners[n].second)));
    else points_[n]->clear();
  }
  photograph_path_ = camera_.image_file.value_or("");
  fields_[ImageFile]->setText(QString::fromStdString(photograph_path_));
  view_->set_photograph_path(camera_.image_file);
}

void CameraEditDialog::open_image() {
  const auto path = files_.open_file(this, kPhotographFilter);
  if (!path) return;
  photograph_path_ = *path;
  fields_[ImageFile]->setText(file_name_of(*path));
  view_->set_photograph_path(*path);
}

bool CameraEditDialog::save() {
  if (!camera_file_) return false;
  camera_.distance_mm = number(Distance);
  camera_.cell_width_mm = number(CellWidth);
  camera_.cell_height_mm = number(CellHeight);
  const std::string notes = fields_[Notes]->text().left(kNotesLength).toStdString();
  camera_.notes = notes.empty() ? std::nullopt : std::optional<std::string>(notes);
  camera_.centre_x = centre_.x;
  camera_.centre_y = centre_.y;
  camera_.image_file = photograph_path_.empty() ? std::nullopt : std::optional<std::string>(photograph_path_);
  if (!save_camera(*camera_file_, camera_, messages_)) return false;
  grid_unsaved_ = false;
  return true;
}

bool CameraEditDialog::save_as() {
  const auto path = files_.save_file(this, kCameraFilter, QStringLiteral("cal"), camera_file_.value_or(""));
  if (!path) return false;
  setWindowTitle(file_name_of(*path) + QStringLiteral(" - ") + kTitle);
  camera_file_ = *path;
  return save();
}

bool CameraEditDialog::may_close() {
  if (!grid_unsaved_) return true;
  const auto answer = questions_.ask(
      this, QStringLiteral("The calculated grid has not been saved. Save the camera ?"), kTitle,
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning);
  if (answer == QMessageBox::No) return true;
  if (answer != QMessageBox::Yes) return false;
  // A save that fails or is cancelled keeps the editor open.
  return camera_file_ ? save() : save_as();
}

void CameraEditDialog::keyPressEvent(QKeyEvent* event) {
  if (!swallow_closing_key(event)) QDialog::keyPressEvent(event);
}

void CameraEditDialog::reject() {
  if (!may_close()) return;
  timer_.stop();
  QDialog::reject();
}

}  // namespace plenvista
