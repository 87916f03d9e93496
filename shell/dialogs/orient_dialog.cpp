#include "shell/dialogs/orient_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "base/number_text.h"
#include "model/tie_points.h"
#include "photogrammetry/auto_tie_orientation.h"
#include "photogrammetry/orientation_project.h"
#include "shell/dialogs/form.h"
#include "shell/natural_order.h"

namespace plenvista {

namespace {

constexpr int kIdRole = Qt::UserRole;
const QString kNone = QStringLiteral("(none)");

QTableWidget* result_table(const QStringList& headers, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setHorizontalHeaderLabels(headers);
  table->verticalHeader()->hide();
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  return table;
}

void set_row(QTableWidget* table, int row, const QStringList& cells, int id) {
  for (int column = 0; column < cells.size(); ++column) {
    auto* item = new QTableWidgetItem(cells[column]);
    item->setData(kIdRole, id);
    table->setItem(row, column, item);
  }
}

QString fixed(double value, int decimals) { return QString::fromStdString(format_fixed_shown(value, decimals)); }

const char* phase_text(OrientationPhase phase) {
  switch (phase) {
    case OrientationPhase::StartingPair:
      return "Starting pair";
    case OrientationPhase::AddingPhotographs:
      return "Adding photographs";
    case OrientationPhase::Adjusting:
      return "Adjusting";
    case OrientationPhase::Outliers:
      return "Outliers";
    case OrientationPhase::Datum:
      return "Datum";
    case OrientationPhase::Precision:
      return "Precision";
    case OrientationPhase::Done:
      break;
  }
  return "Done";
}

QString photograph_name(const Project& project, int id) {
  const ProjectImage* image = project.images().images.find(id);
  if (!image) return QString::number(id);
  const std::string_view description = shown(image->description);
  return QString::fromUtf8(description.empty() ? shown(image->file_name) : description);
}

}  // namespace

OrientDialog::OrientDialog(Project& project, QWidget* parent, int tick_ms)
    : QDialog(parent),
      project_(project),
      distances_(new QTableWidget(0, 3, this)),
      add_distance_(new QPushButton("Add Distance", this)),
      remove_distance_(new QPushButton("Remove Distance", this)),
      automatic_(new QCheckBox("Include automatic ties", this)),
      weed_(new QCheckBox("Remove automatic ties that do not fit", this)),
      orient_(new QPushButton("Orient", this)),
      close_(new QPushButton("Close", this)),
      progress_(new QLabel(this)),
      photographs_(result_table({"Photograph", "Oriented", "RMS px", "Marks"}, this)),
      points_(result_table({"Label", "Precision mm", "Rays", "Angle deg"}, this)),
      outliers_(result_table({"Label", "Photograph", "Residual px"}, this)),
      timer_(new QTimer(this)) {
  setWindowTitle("Orient Photographs");
  for (const ControlPoint* c : project.model.control_points) labels_.push_back(QString::fromStdString(c->label));
  for (const TiePoint* t : project.model.tie_points) labels_.push_back(QString::fromStdString(t->label));

  distances_->setHorizontalHeaderLabels({"From", "To", "Distance"});
  distances_->verticalHeader()->hide();
  distances_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  distances_->setSelectionBehavior(QAbstractItemView::SelectRows);
  // Room for about four distances; more scroll.
  distances_->setMaximumHeight(distances_->horizontalHeader()->sizeHint().height() + 4 * (fontMetrics().height() + 14));
  auto* distance_buttons = new QHBoxLayout;
  distance_buttons->addWidget(add_distance_);
  distance_buttons->addWidget(remove_distance_);
  distance_buttons->addStretch();
  auto* scale_group = new QGroupBox("Scale distances", this);
  auto* scale_layout = new QVBoxLayout(scale_group);
  scale_layout->addWidget(distances_);
  scale_layout->addLayout(distance_buttons);

  auto* axes_group = new QGroupBox("Axes", this);
  Form axes_form(axes_group);
  const char* axis_labels[] = {"Origin:", "X point:", "Plane point:"};
  for (std::size_t i = 0; i < axes_.size(); ++i) {
    axes_[i] = new QComboBox(axes_group);
    axes_[i]->addItem(kNone);
    axes_[i]->addItems(labels_);
    axes_form.add_row(axis_labels[i], axes_[i]);
  }
  (new QVBoxLayout(axes_group))->addLayout(axes_form.layout());

  automatic_->setChecked(true);
  weed_->setChecked(true);
  auto* automatic_row = new QHBoxLayout;
  automatic_row->addWidget(automatic_);
  automatic_row->addWidget(weed_);
  automatic_row->addStretch();

  auto* result_group = new QGroupBox("Result", this);
  // Photographs and points side by side, the outliers below them.
  auto* tables_row = new QHBoxLayout;
  tables_row->addWidget(photographs_);
  tables_row->addWidget(points_);
  auto* result_layout = new QVBoxLayout(result_group);
  result_layout->addLayout(tables_row, 2);
  result_layout->addWidget(new QLabel("Outliers", result_group));
  result_layout->addWidget(outliers_, 1);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(orient_, QDialogButtonBox::ActionRole);
  buttons->addButton(close_, QDialogButtonBox::RejectRole);
  progress_->setWordWrap(true);
  progress_->setText("Choose the distances and the axes, then Orient.");

  auto* datum_row = new QHBoxLayout;
  datum_row->addWidget(scale_group, 3);
  datum_row->addWidget(axes_group, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(datum_row);
  layout->addLayout(automatic_row);
  layout->addWidget(progress_);
  layout->addWidget(result_group, 1);
  layout->addWidget(buttons);
  resize(760, 680);

  add_distance_row();
  connect(add_distance_, &QPushButton::clicked, this, &OrientDialog::add_distance_row);
  connect(remove_distance_, &QPushButton::clicked, this, [this] {
    const int row = distances_->currentRow();
    if (row >= 0) distances_->removeRow(row);
  });
  connect(orient_, &QPushButton::clicked, this, &OrientDialog::start);
  connect(close_, &QPushButton::clicked, this, &OrientDialog::reject);
  connect(timer_, &QTimer::timeout, this, &OrientDialog::tick);
  timer_->setInterval(tick_ms);
  connect(photographs_, &QTableWidget::cellClicked, this,
          [this](int row, int) { choose_photograph(photographs_->item(row, 0)->data(kIdRole).toInt()); });
  connect(points_, &QTableWidget::cellClicked, this,
          [this](int row, int) { choose_label(points_->item(row, 0)->text()); });
  connect(outliers_, &QTableWidget::cellClicked, this, [this](int row, int) {
    choose_photograph(outliers_->item(row, 0)->data(kIdRole).toInt());
    choose_label(outliers_->item(row, 0)->text());
  });
}

OrientDialog::~OrientDialog() = default;

void OrientDialog::add_distance_row() {
  const int row = distances_->rowCount();
  distances_->insertRow(row);
  for (int column = 0; column < 2; ++column) {
    auto* box = new QComboBox(distances_);
    box->addItem(kNone);
    box->addItems(labels_);
    distances_->setCellWidget(row, column, box);
  }
  auto* length = new QLineEdit(distances_);
  length->setPlaceholderText("mm");
  distances_->setCellWidget(row, 2, length);
}

std::optional<std::vector<DatumDistance>> OrientDialog::distances() const {
  std::vector<DatumDistance> read;
  for (int row = 0; row < distances_->rowCount(); ++row) {
    const auto* from = static_cast<QComboBox*>(distances_->cellWidget(row, 0));
    const auto* to = static_cast<QComboBox*>(distances_->cellWidget(row, 1));
    const QString text = static_cast<QLineEdit*>(distances_->cellWidget(row, 2))->text().trimmed();
    if (from->currentText() == kNone && to->currentText() == kNone && text.isEmpty()) continue;  // left empty
    const std::optional<double> length = parse_whole_number(text.toStdString());
    if (from->currentText() == kNone || to->currentText() == kNone || !length || *length <= 0) {
      progress_->setText(QString("Distance %1 needs two labels and a length above 0.").arg(row + 1));
      return std::nullopt;
    }
    read.push_back({from->currentText().toStdString(), to->currentText().toStdString(), *length});
  }
  return read;
}

std::optional<DatumAxes> OrientDialog::axes() const {
  if (std::all_of(axes_.begin(), axes_.end(), [](const QComboBox* b) { return b->currentText() == kNone; }))
    return std::nullopt;
  return DatumAxes{axes_[0]->currentText().toStdString(), axes_[1]->currentText().toStdString(),
                   axes_[2]->currentText().toStdString()};
}

void OrientDialog::start() {
  const auto distances = this->distances();
  if (!distances) return;
  const std::optional<DatumAxes> axes = this->axes();
  if (axes && (axes->origin == kNone.toStdString() || axes->x_point == kNone.toStdString() ||
               axes->plane_point == kNone.toStdString())) {
    progress_->setText("The axes need all three points, or none.");
    return;
  }
  result_.reset();
  for (QTableWidget* table : {photographs_, points_, outliers_}) table->setRowCount(0);
  OrientationInput input = orientation_input(project_, *distances, axes);
  if (!automatic_->isChecked()) leave_out_automatic_ties(input);
  run_ = std::make_unique<OrientationRun>(std::move(input));
  orient_->setEnabled(false);
  close_->setText("Cancel");
  progress_->setText("Orienting ...");
  timer_->start();
}

void OrientDialog::tick() {
  if (!run_) return;
  const bool more = run_->step();
  const OrientationProgress p = run_->progress();
  progress_->setText(QString("%1: iteration %2, RMS %3 px, %4 of %5 photographs oriented")
                         .arg(phase_text(p.phase))
                         .arg(p.iteration)
                         .arg(fixed(p.rms_px, 2))
                         .arg(p.oriented)
                         .arg(p.photographs));
  if (!more) finish();
}

void OrientDialog::finish() {
  timer_->stop();
  result_ = run_->result();
  run_.reset();
  orient_->setEnabled(true);
  close_->setText("Close");
  if (!result_->ok()) {
    progress_->setText(QString::fromStdString(
        "Not oriented: " + (result_->message.empty() ? orientation_failure_text(result_->failure) : result_->message)));
    return;
  }
  const std::vector<std::string> removed =
      apply_orientation_as_action(project_, *result_, automatic_->isChecked() && weed_->isChecked());
  project_.note_change();
  show_result(*result_);
  if (!removed.empty())
    progress_->setText(progress_->text() +
                       QString("\nRemoved %1 automatic ties that did not fit.").arg(removed.size()));
}

void OrientDialog::show_result(const OrientationResult& result) {
  int oriented = 0;
  photographs_->setRowCount(static_cast<int>(result.photographs.size()));
  for (std::size_t i = 0; i < result.photographs.size(); ++i) {
    const OrientedPhotograph& p = result.photographs[i];
    oriented += p.oriented ? 1 : 0;
    set_row(photographs_, static_cast<int>(i),
            {photograph_name(project_, p.id), p.oriented ? "yes" : "no", p.oriented ? fixed(p.rms_px, 2) : QString(),
             QString::number(p.marks)},
            p.id);
  }
  // Points in label order, numbers compared as numbers.
  std::vector<const OrientedPoint*> points;
  for (const OrientedPoint& p : result.points) points.push_back(&p);
  std::stable_sort(points.begin(), points.end(), [](const OrientedPoint* a, const OrientedPoint* b) {
    return natural_less(QString::fromStdString(a->label), QString::fromStdString(b->label));
  });
  points_->setRowCount(static_cast<int>(points.size()));
  for (std::size_t i = 0; i < points.size(); ++i) {
    const OrientedPoint& p = *points[i];
    const double sigma = std::max({p.sigma.x, p.sigma.y, p.sigma.z});
    set_row(points_, static_cast<int>(i),
            {QString::fromStdString(p.label), p.located ? fixed(sigma, 2) : QString("not located"),
             QString::number(p.rays), fixed(p.max_angle_deg, 1)},
            0);
  }
  outliers_->setRowCount(static_cast<int>(result.outliers.size()));
  for (std::size_t i = 0; i < result.outliers.size(); ++i) {
    const OrientationOutlier& o = result.outliers[i];
    set_row(outliers_, static_cast<int>(i),
            {QString::fromStdString(o.label), photograph_name(project_, o.photograph_id), fixed(o.residual_px, 2)},
            o.photograph_id);
  }
  QString text = QString("Oriented %1 of %2 photographs, RMS %3 px; datum: %4")
                     .arg(oriented)
                     .arg(result.photographs.size())
                     .arg(fixed(result.rms_px, 2))
                     .arg(QString::fromStdString(result.datum_description));
  if (!result.outliers.empty()) text += QString("; %1 outliers").arg(result.outliers.size());
  for (const std::string& warning : result.warnings) text += "\n" + QString::fromStdString(warning);
  progress_->setText(text);
}

void OrientDialog::choose_photograph(int id) {
  ImageSet& set = project_.images();
  if (ProjectImage* image = set.images.find(id)) {
    set.current = image;
    project_.post(Notification::ImagesChanged);
  }
}

void OrientDialog::choose_label(const QString& label) {
  const std::string text = label.toStdString();
  if (const TiePoint* t = find_tie_point(project_.model, text))
    emit pointChosen(t->id);
  else if (const ControlPoint* c = find_control_point(project_.model, text))
    emit pointChosen(c->id);
}

void OrientDialog::reject() {
  if (run_) {
    // Cancel: the run is dropped and nothing of it reaches the project.
    timer_->stop();
    run_.reset();
    orient_->setEnabled(true);
    close_->setText("Close");
    progress_->setText("Cancelled; the project is as it was.");
    return;
  }
  QDialog::reject();
}

}  // namespace plenvista
