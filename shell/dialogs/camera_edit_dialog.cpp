#include "shell/dialogs/camera_edit_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <filesystem>
#include <utility>

#include "base/number_text.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/grid_calibration.h"
#include "photogrammetry/grid_check.h"
#include "platform/photograph_reader.h"
#include "shell/dialogs/cam_busy_dialog.h"
#include "shell/dialogs/grid_sheet_print.h"
#include "views/calibration_view.h"
#include "views/closing_keys.h"

namespace plenvista {

namespace {

const QString kTitle = QStringLiteral("Camera Editor");
const QString kCameraFilter = QStringLiteral("cal Files (*.cal);;All Files (*.*)");
const QString kPhotographFilter = QString::fromLatin1(kPhotographFileFilter);
constexpr int kInstructionPeriodMs = 1000;
constexpr int kNotesLength = 255;
constexpr int kFieldsWidth = 400;
// Only the start of a field decides whether it reads as 0.
constexpr int kRuleTextLength = 23;

QString position_text(Point2 p) { return QString::fromStdString(format_position(p.x, p.y)); }

QString file_name_of(const std::string& path) {
  return QString::fromStdString(std::filesystem::path(path).filename().string());
}

}  // namespace

CameraEditDialog::CameraEditDialog(FileChooser& files, QuestionAsker& questions, QWidget* parent)
    : QDialog(parent), files_(files), questions_(questions), messages_(questions), form_(this) {
  setObjectName("CameraEditDialog");
  setWindowTitle(kTitle);
  messages_.bind(this);
  build();
  clear_fields();
  update_instructions();
  timer_.setInterval(kInstructionPeriodMs);
  connect(&timer_, &QTimer::timeout, this, [this] { update_instructions(); });
  timer_.start();
}

CameraEditDialog::~CameraEditDialog() { timer_.stop(); }

void CameraEditDialog::build() {
  const auto make_button = [this](Button b, const char* text) {
    buttons_[b] = new QPushButton(QString::fromLatin1(text), this);
    // ENTER must not press a button: the editor has no default action.
    buttons_[b]->setAutoDefault(false);
  };
  make_button(New, "New");
  make_button(OpenCamera, "Open ...");
  make_button(Save, "Save");
  make_button(SaveAs, "Save As ...");
  make_button(OpenImage, "Open ...");
  make_button(PrintGrid, "Print Grid...");
  connect(buttons_[New], &QPushButton::clicked, this, [this] { new_camera(); });
  connect(buttons_[OpenCamera], &QPushButton::clicked, this, [this] { open_camera(); });
  connect(buttons_[Save], &QPushButton::clicked, this, [this] { save(); });
  connect(buttons_[SaveAs], &QPushButton::clicked, this, [this] { save_as(); });
  connect(buttons_[OpenImage], &QPushButton::clicked, this, [this] { open_image(); });
  connect(buttons_[PrintGrid], &QPushButton::clicked, this, [this] { print_grid(); });

  auto* top = new QHBoxLayout;
  for (Button b : {New, OpenCamera, Save, SaveAs}) top->addWidget(buttons_[b]);
  top->addStretch();
  top->addWidget(buttons_[PrintGrid]);

  // The photograph's field shows only its name: it is not bound to a value.
  fields_[ImageFile] = new QLineEdit(this);
  fields_[ImageFile]->setMaxLength(Form::kTextLength);
  auto* image_row = new QHBoxLayout;
  image_row->setContentsMargins(0, 0, 0, 0);
  image_row->addWidget(fields_[ImageFile], 1);
  image_row->addWidget(buttons_[OpenImage]);
  auto* image = new QWidget(this);
  image->setLayout(image_row);
  form_.add_row(QStringLiteral("Image File :"), image);
  fields_[Notes] = form_.add_text(QStringLiteral("Notes:"), values_.notes, kNotesLength);
  fields_[Distance] = form_.add_double(QStringLiteral("Distance (mm) :"), values_.distance_mm, 2);
  fields_[Columns] = form_.add_int(QStringLiteral("Columns :"), values_.columns);
  fields_[Rows] = form_.add_int(QStringLiteral("Rows :"), values_.rows);
  fields_[CellWidth] = form_.add_double(QStringLiteral("mm per cell (X) :"), values_.cell_width_mm, 3);
  fields_[CellHeight] = form_.add_double(QStringLiteral("mm per cell (Y) :"), values_.cell_height_mm, 3);
  for (std::size_t n = 0; n < points_.size(); ++n) {
    points_[n] = new QLabel(this);
    form_.add_row(QStringLiteral("Point %1 :").arg(n + 1), points_[n]);
  }
  centre_text_ = new QLabel(this);
  form_.add_row(QStringLiteral("Centre :"), centre_text_);
  grid_report_ = new QLabel(this);
  grid_report_->setWordWrap(true);
  form_.add_row(QStringLiteral("Grid :"), grid_report_);

  // The fields keep a fixed width; the view takes the rest.
  auto* fields = new QWidget(this);
  fields->setFixedWidth(kFieldsWidth);
  auto* side = new QVBoxLayout(fields);
  side->setContentsMargins(0, 0, 0, 0);
  side->addLayout(form_.layout());
  side->addWidget(new QLabel(QStringLiteral("Hold CTRL to scroll image.\nUse mouse wheel to zoom in and out."), this));
  side->addStretch();

  view_ = new CalibrationView(camera_, this);
  view_->setMinimumSize(470, 300);
  view_->pressed = [this](Point2 image_position) { on_press(image_position); };

  auto* middle = new QHBoxLayout;
  middle->addWidget(view_, 1);
  middle->addWidget(fields);

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

void CameraEditDialog::clear_fields() {
  for (Field f : {ImageFile, Notes, Distance, CellWidth, CellHeight}) fields_[f]->clear();
  fields_[Rows]->setText(QStringLiteral("14"));
  fields_[Columns]->setText(QStringLiteral("20"));
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
  if (note_.isEmpty())
    instruction_->setText(rule);
  else
    instruction_->setText(rule.isEmpty() ? note_ : rule + QStringLiteral(" - ") + note_);
}

void CameraEditDialog::on_press(Point2 image) {
  form_.read();
  const ClickOutcome outcome = snapClick(view_->grid_photo(), image, values_.columns, values_.rows);
  switch (outcome.kind) {
    case ClickKind::Ignored:
      return;
    case ClickKind::MissedCorner:
    case ClickKind::MissedCentre:
      // Nothing is taken: the instruction stays and says why.
      note_ = QString::fromStdString(missed_click_message(outcome));
      break;
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
  if (calculated) {
    grid_unsaved_ = true;
    grid_check_ = check_grid(camera_, view_->grid_photo().intersection_found);
    QStringList lines;
    for (const std::string& line : grid_check_summary(*grid_check_)) lines << QString::fromStdString(line);
    for (const std::string& problem : grid_check_->problems) lines << QString::fromStdString(problem);
    grid_report_->setText(lines.join(QLatin1Char('\n')));
  } else {
    note_ = QStringLiteral("The grid was not calculated: Rows and Columns must be 1 to 30.");
  }
  view_->update();
  update();
}

void CameraEditDialog::new_camera() {
  camera_ = CameraModel{};
  clear_fields();
  for (QLabel* point : points_) point->clear();
  centre_text_->clear();
  photograph_path_.clear();
  view_->set_photograph_path(std::nullopt);
  forget_grid_check();
  grid_unsaved_ = false;
  note_.clear();
}

void CameraEditDialog::open_camera() {
  const auto path = files_.open_file(this, kCameraFilter);
  if (!path) return;
  camera_file_ = *path;
  if (load_camera(*path, camera_, messages_)) {
    forget_grid_check();
    grid_unsaved_ = false;
    note_.clear();
  }
  fill_fields_from_camera();
}

void CameraEditDialog::fill_fields_from_camera() {
  values_ = {camera_.notes.value_or(""), camera_.distance_mm,   camera_.columns, camera_.rows,
             camera_.cell_width_mm,      camera_.cell_height_mm};
  form_.show();
  centre_ = {camera_.centre_x, camera_.centre_y};
  centre_text_->setText(position_text(centre_));
  // The corners of the top-left cell: top left, top right, bottom right,
  // bottom left. A camera without a grid has none to show.
  const std::array<std::pair<int, int>, 4> corners{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
  for (std::size_t n = 0; n < points_.size(); ++n) {
    if (camera_.has_tables())
      points_[n]->setText(position_text(camera_.corner(corners[n].first, corners[n].second)));
    else
      points_[n]->clear();
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

bool CameraEditDialog::may_save_grid() {
  if (!grid_check_ || grid_check_->passed()) return true;
  QString text = QStringLiteral("The traced grid fails its check:");
  for (const std::string& problem : grid_check_->problems) text += QLatin1Char('\n') + QString::fromStdString(problem);
  text += QStringLiteral("\nSave it anyway ?");
  return questions_.ask(this, text, kTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning) ==
         QMessageBox::Yes;
}

bool CameraEditDialog::save() {
  if (!camera_file_ || !may_save_grid()) return false;
  return write_camera();
}

bool CameraEditDialog::write_camera() {
  form_.read();
  camera_.distance_mm = values_.distance_mm;
  camera_.cell_width_mm = values_.cell_width_mm;
  camera_.cell_height_mm = values_.cell_height_mm;
  camera_.notes = values_.notes.empty() ? std::nullopt : std::optional<std::string>(values_.notes);
  camera_.centre_x = centre_.x;
  camera_.centre_y = centre_.y;
  camera_.image_file = photograph_path_.empty() ? std::nullopt : std::optional<std::string>(photograph_path_);
  if (!save_camera(*camera_file_, camera_, messages_)) return false;
  grid_unsaved_ = false;
  return true;
}

bool CameraEditDialog::save_as() {
  if (!may_save_grid()) return false;
  const auto path = files_.save_file(this, kCameraFilter, QStringLiteral("cal"), camera_file_.value_or(""));
  if (!path) return false;
  setWindowTitle(file_name_of(*path) + QStringLiteral(" - ") + kTitle);
  camera_file_ = *path;
  return write_camera();
}

bool CameraEditDialog::print_grid() {
  form_.read();
  GridSheetRequest grid;
  grid.rows = values_.rows;
  grid.columns = values_.columns;
  grid.cell_width_mm = values_.cell_width_mm;
  grid.cell_height_mm = values_.cell_height_mm;
  return print_grid_sheet(this, files_, messages_, grid);
}

void CameraEditDialog::forget_grid_check() {
  grid_check_.reset();
  grid_report_->clear();
}

bool CameraEditDialog::may_close() {
  if (!grid_unsaved_) return true;
  const auto answer =
      questions_.ask(this, QStringLiteral("The calculated grid has not been saved. Save the camera ?"), kTitle,
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
