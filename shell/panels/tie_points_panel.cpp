#include "shell/panels/tie_points_panel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "base/number_text.h"
#include "model/auto_ties.h"
#include "model/edit_actions.h"
#include "model/run_edit.h"
#include "model/tie_points.h"
#include "shell/natural_order.h"

namespace plenvista {

namespace {

constexpr int kIdRole = Qt::UserRole;

class LabelItem : public QTableWidgetItem {
 public:
  LabelItem(const std::string& label, int id) : QTableWidgetItem(QString::fromStdString(label)) {
    setData(kIdRole, id);
  }
  bool operator<(const QTableWidgetItem& other) const override { return natural_less(text(), other.text()); }
};

// A cell that sorts by its number; an empty one below every number.
class NumberItem : public QTableWidgetItem {
 public:
  NumberItem(double value, const QString& text) : QTableWidgetItem(text), value_(value) {}
  bool operator<(const QTableWidgetItem& other) const override {
    return value_ < static_cast<const NumberItem&>(other).value_;
  }

 private:
  double value_;
};

QTableWidgetItem* number_item(std::optional<double> value, int decimals) {
  if (!value || !std::isfinite(*value)) return new NumberItem(-1e300, QString());
  return new NumberItem(*value, QString::fromStdString(format_fixed_shown(*value, decimals)));
}

// What the marks of one point say: photographs, largest residual, outlier.
struct MarkSummary {
  int photographs = 0;
  std::optional<double> residual;
  bool outlier = false;
};

MarkSummary summarise_marks(const Project& project, int id) {
  MarkSummary summary;
  for (const ProjectImage* image : project.images().images) {
    const ReferencePoint* mark = find_mark_of(*image, id);
    if (!mark) continue;
    ++summary.photographs;
    if (mark->orientation_residual)
      summary.residual = std::max(summary.residual.value_or(0.0), *mark->orientation_residual);
    summary.outlier = summary.outlier || mark->orientation_outlier;
  }
  return summary;
}

}  // namespace

TiePointsPanel::TiePointsPanel(Project& project, QWidget* parent)
    : QWidget(parent),
      project_(project),
      table_(new QTableWidget(0, ColumnCount, this)),
      label_(new QLineEdit(this)),
      new_(new QPushButton("New Point", this)),
      make_points_(new QPushButton("Make Points", this)),
      automatic_(new QCheckBox("Show automatic ties", this)),
      status_(new QLabel(this)) {
  setObjectName("TiePointsPanel");
  table_->setHorizontalHeaderLabels({"Label", "X", "Y", "Z", "Photos", "Precision mm", "Residual px", "Outlier"});
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setSortingEnabled(true);
  table_->sortByColumn(LabelColumn, Qt::AscendingOrder);
  table_->installEventFilter(this);

  label_->setPlaceholderText("New label");
  make_points_->setToolTip("A model point at each chosen oriented tie point, on the current layer");
  automatic_->setChecked(true);
  auto* new_row = new QHBoxLayout;
  new_row->addWidget(label_, 1);
  new_row->addWidget(new_);
  auto* bottom_row = new QHBoxLayout;
  bottom_row->addWidget(automatic_);
  bottom_row->addStretch();
  bottom_row->addWidget(make_points_);

  setMinimumWidth(420);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(new_row);
  layout->addWidget(table_, 1);
  layout->addLayout(bottom_row);
  layout->addWidget(status_);

  connect(table_, &QTableWidget::itemSelectionChanged, this, &TiePointsPanel::on_selection);
  connect(new_, &QPushButton::clicked, this, [this] { add_point_from_field(); });
  connect(label_, &QLineEdit::returnPressed, this, [this] { add_point_from_field(); });
  connect(make_points_, &QPushButton::clicked, this, [this] { make_points(); });
  connect(automatic_, &QCheckBox::toggled, this, [this] { refresh(); });
  refresh();
}

void TiePointsPanel::refresh() {
  const ModelData& model = project_.model;
  std::set<int> chosen;
  for (const QTableWidgetItem* item : table_->selectedItems())
    if (item->column() == LabelColumn) chosen.insert(item->data(kIdRole).toInt());
  const bool sorting = table_->isSortingEnabled();
  const QSignalBlocker quiet(table_);
  table_->setSortingEnabled(false);
  table_->clearContents();
  table_->setRowCount(0);
  const auto add_row = [&](int id, const std::string& label, const std::optional<Vec3>& position,
                           std::optional<double> precision) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    const MarkSummary marks = summarise_marks(project_, id);
    table_->setItem(row, LabelColumn, new LabelItem(label, id));
    table_->setItem(row, XColumn, number_item(position ? std::optional(position->x) : std::nullopt, 2));
    table_->setItem(row, YColumn, number_item(position ? std::optional(position->y) : std::nullopt, 2));
    table_->setItem(row, ZColumn, number_item(position ? std::optional(position->z) : std::nullopt, 2));
    table_->setItem(row, PhotographsColumn, number_item(marks.photographs, 0));
    table_->setItem(row, PrecisionColumn, number_item(precision, 2));
    table_->setItem(row, ResidualColumn, number_item(marks.residual, 2));
    table_->setItem(row, OutlierColumn, new NumberItem(marks.outlier ? 1 : 0, marks.outlier ? "yes" : ""));
  };
  for (const ControlPoint* c : model.control_points) add_row(c->id, c->label, c->position, std::nullopt);
  for (const TiePoint* t : model.tie_points) {
    if (is_automatic_label(t->label) && !automatic_->isChecked()) continue;
    std::optional<double> precision;
    if (t->precision)
      precision = std::max({t->precision->sigma_mm.x, t->precision->sigma_mm.y, t->precision->sigma_mm.z});
    add_row(t->id, t->label, t->position, precision);
  }
  table_->setSortingEnabled(sorting);
  table_->clearSelection();
  bool current_shown = false;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const QTableWidgetItem* item = table_->item(row, LabelColumn);
    const int id = item->data(kIdRole).toInt();
    if (chosen.count(id) || id == current_) {
      table_->selectionModel()->select(table_->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
      if (id == current_) {
        table_->setCurrentItem(table_->item(row, LabelColumn), QItemSelectionModel::NoUpdate);
        current_shown = true;
      }
    }
  }
  if (!current_shown && current_ != 0) {
    current_ = 0;
    emit currentPointChanged(0);
  }
}

void TiePointsPanel::choose_point(int id) {
  table_->clearSelection();
  for (int row = 0; row < table_->rowCount(); ++row)
    if (table_->item(row, LabelColumn)->data(kIdRole).toInt() == id) {
      table_->setCurrentCell(row, LabelColumn);
      table_->selectRow(row);
    }
  on_selection();
}

void TiePointsPanel::on_selection() {
  int id = 0;
  const QTableWidgetItem* item = table_->currentItem();
  if (item && table_->selectionModel()->isRowSelected(item->row(), QModelIndex()))
    id = table_->item(item->row(), LabelColumn)->data(kIdRole).toInt();
  if (id == current_) return;
  current_ = id;
  emit currentPointChanged(id);
}

bool TiePointsPanel::add_point_from_field() {
  const std::string label = label_->text().trimmed().toStdString();
  if (label.empty()) return false;
  if (find_tie_point(project_.model, label) || find_control_point(project_.model, label)) {
    status_->setText(QString::fromStdString("\"" + label + "\" is taken"));
    return false;
  }
  TiePoint* made = nullptr;
  run_edit(project_, [&] { made = add_tie_point(project_, label); });
  if (!made) return false;
  status_->setText(QString::fromStdString("Tie point " + label + ": click it in each photograph"));
  label_->clear();
  refresh();
  choose_point(made->id);
  table_->setFocus();
  return true;
}

int TiePointsPanel::make_points() {
  std::set<int> chosen;
  for (const QTableWidgetItem* item : table_->selectedItems())
    if (item->column() == LabelColumn) chosen.insert(item->data(kIdRole).toInt());
  std::vector<Vec3> positions;
  int unplaced = 0;
  for (const int id : chosen) {
    const TiePoint* t = project_.model.tie_points.find(id);
    if (!t) continue;
    if (!t->position) {
      ++unplaced;
      continue;
    }
    const auto& points = project_.model.points;
    if (std::none_of(points.begin(), points.end(), [&](const ModelPoint* p) { return p->position() == *t->position; }))
      positions.push_back(*t->position);
  }
  std::size_t made = 0;
  if (!positions.empty()) run_edit(project_, [&] { made = add_points(project_, positions).size(); });
  std::string text = "Made " + std::to_string(made) + " points";
  if (unplaced > 0) text += "; " + std::to_string(unplaced) + " tie points are not oriented yet";
  status_->setText(QString::fromStdString(text));
  return static_cast<int>(made);
}

bool TiePointsPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_N && key->modifiers() == Qt::NoModifier) {
      next_photograph();
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      table_->clearSelection();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TiePointsPanel::next_photograph() {
  ImageSet& set = project_.images();
  if (set.images.empty()) return;
  const int slot = set.current ? set.images.index_of(set.current) : -1;
  set.current = set.images.at((slot + 1) % set.images.count());
  project_.note_change();
  project_.post(Notification::ImagesChanged);
}

}  // namespace plenvista
