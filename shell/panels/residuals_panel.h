#pragma once

// ResidualsPanel: the "Residuals" dock of the main window. It lists the
// reference points of the displayed photograph, one row each: id, X, Y, Z
// (model units, three decimals), the residual in photograph pixels (how far
// the found pose projects the point from its mark, two decimals; empty
// while the photograph is not located) and "yes" for an outlier. The rows
// sort by any column (numbers as numbers); a line above the table gives the
// photograph's RMS residual. Clicking a row selects that reference point
// (and no other of the photograph) and posts ImagesChanged so the views
// show it. A spin box sets how many times its length the image view draws
// each residual (scaleChanged).
//
// refresh() refills the table from the project (on ImagesChanged and
// ModelChanged); the sort order and the selected row are kept.

#include <QWidget>

class QDoubleSpinBox;
class QLabel;
class QTableWidget;

namespace plenvista {

struct Project;

class ResidualsPanel : public QWidget {
  Q_OBJECT

 public:
  enum Column { IdColumn, XColumn, YColumn, ZColumn, ResidualColumn, OutlierColumn, ColumnCount };

  ResidualsPanel(Project& project, QWidget* parent);

  void refresh();

  QTableWidget* table() const { return table_; }
  QLabel* summary() const { return summary_; }
  QDoubleSpinBox* scale_box() const { return scale_; }

 signals:
  void scaleChanged(double scale);

 private:
  void select_row(int row);

  Project& project_;
  QLabel* summary_;
  QTableWidget* table_;
  QDoubleSpinBox* scale_;
};

}  // namespace plenvista
