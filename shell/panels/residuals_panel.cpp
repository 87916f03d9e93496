#include "shell/panels/residuals_panel.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "base/number_text.h"
#include "model/image_management.h"
#include "model/project.h"
#include "photogrammetry/residuals.h"

namespace plenvista {

namespace {

// A cell that sorts by its number rather than by its text; an empty cell
// (no residual) sorts below every number.
class NumberItem : public QTableWidgetItem {
 public:
  NumberItem(double value, const std::string& text) : QTableWidgetItem(QString::fromStdString(text)), value_(value) {}
  bool operator<(const QTableWidgetItem& other) const override {
    return value_ < static_cast<const NumberItem&>(other).value_;
  }

 private:
  double value_;
};

QTableWidgetItem* number_item(double value, int decimals) {
  if (!std::isfinite(value)) return new NumberItem(-1e300, "");
  return new NumberItem(value, format_fixed(value, decimals));
}

}  // namespace

ResidualsPanel::ResidualsPanel(Project& project, QWidget* parent)
    : QWidget(parent),
      project_(project),
      summary_(new QLabel(this)),
      table_(new QTableWidget(0, ColumnCount, this)),
      scale_(new QDoubleSpinBox(this)) {
  table_->setHorizontalHeaderLabels({"Id", "X", "Y", "Z", "Residual px", "Outlier"});
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setSortingEnabled(true);
  table_->sortByColumn(ResidualColumn, Qt::DescendingOrder);

  scale_->setLocale(QLocale::c());
  scale_->setRange(1, 1000);
  scale_->setDecimals(0);
  scale_->setValue(10);
  scale_->setPrefix("x");
  auto* scale_row = new QHBoxLayout;
  scale_row->addWidget(new QLabel("Residual lines", this));
  scale_row->addWidget(scale_);
  scale_row->addStretch();

  // Wide enough for every column of coordinates in the thousands.
  setMinimumWidth(420);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(summary_);
  layout->addWidget(table_);
  layout->addLayout(scale_row);

  connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) { select_row(row); });
  connect(scale_, &QDoubleSpinBox::valueChanged, this, &ResidualsPanel::scaleChanged);
  refresh();
}

void ResidualsPanel::refresh() {
  const ProjectImage* image = displayed_image(project_.images());
  const bool sorting = table_->isSortingEnabled();
  table_->setSortingEnabled(false);
  table_->blockSignals(true);
  table_->clearContents();
  if (image == nullptr) {
    table_->setRowCount(0);
    summary_->setText("No photograph");
  } else {
    const ImageResiduals residuals = image_residuals(*image);
    table_->setRowCount(static_cast<int>(residuals.points.size()));
    int selected = -1;
    for (int row = 0; row < table_->rowCount(); ++row) {
      const ReferenceResidual& r = residuals.points[static_cast<std::size_t>(row)];
      const Vec3& w = r.point->world_position;
      table_->setItem(row, IdColumn, new NumberItem(r.point->id, std::to_string(r.point->id)));
      table_->setItem(row, XColumn, number_item(w.x, 3));
      table_->setItem(row, YColumn, number_item(w.y, 3));
      table_->setItem(row, ZColumn, number_item(w.z, 3));
      table_->setItem(row, ResidualColumn,
                      number_item(image->pose_known ? r.length : std::numeric_limits<double>::quiet_NaN(), 2));
      table_->setItem(row, OutlierColumn, new NumberItem(r.outlier ? 1 : 0, r.outlier ? "yes" : ""));
      if (r.point->selected) selected = r.point->id;
    }
    std::string text = "Image " + std::to_string(image->id) + ": ";
    if (!image->pose_known)
      text += "not located";
    else if (residuals.points.empty())
      text += "no reference points";
    else
      text += "RMS residual " + format_fixed(residuals.rms, 2) + " px";
    summary_->setText(QString::fromStdString(text));
    table_->setSortingEnabled(sorting);  // sorts the new rows
    table_->clearSelection();
    for (int row = 0; row < table_->rowCount(); ++row)
      if (selected >= 0 && table_->item(row, IdColumn)->text().toInt() == selected) table_->selectRow(row);
  }
  table_->setSortingEnabled(sorting);
  table_->blockSignals(false);
}

void ResidualsPanel::select_row(int row) {
  ProjectImage* image = displayed_image(project_.images());
  const QTableWidgetItem* item = table_->item(row, IdColumn);
  if (image == nullptr || item == nullptr) return;
  const int id = item->text().toInt();
  for (ReferencePoint* point : image->reference_points) point->selected = point->id == id;
  project_.post(Notification::ImagesChanged);
}

}  // namespace plenvista
