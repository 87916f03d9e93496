#pragma once

// TiePointsPanel: the "Tie Points" dock of the main window. One row per
// control or tie point: its label, X, Y, Z (model units, two decimals; a tie
// point's stay empty until an orientation placed it), how many photographs
// mark it, its precision (the largest of its three standard deviations,
// millimetres, from the last orientation), its largest mark residual
// (photograph pixels, from the last orientation) and "yes" when one of its
// marks was an outlier. Labels sort as numbers where they hold numbers
// ("T2" before "T10").
//
// The chosen row is the current point (currentPointChanged with its id, 0
// when no row is chosen): the image view highlights its mark and a click
// there in calibration mode marks it. A label typed into the field and
// "New Point" (or RETURN) makes a tie point of it and chooses it. "Make
// Points" adds a model point on the current layer at each chosen row's
// oriented tie point that has none there yet, as one undoable action. N in
// the panel shows the next photograph, ESCAPE chooses no row.
//
// Tie points found automatically (labels starting "auto-") show only while
// "Show automatic ties" is ticked.
//
// refresh() refills the rows from the project (on ImagesChanged and
// ModelChanged); the sort order and the chosen rows are kept.

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace plenvista {

struct Project;

class TiePointsPanel : public QWidget {
  Q_OBJECT

 public:
  enum Column {
    LabelColumn,
    XColumn,
    YColumn,
    ZColumn,
    PhotographsColumn,
    PrecisionColumn,
    ResidualColumn,
    OutlierColumn,
    ColumnCount
  };

  TiePointsPanel(Project& project, QWidget* parent);

  void refresh();
  // The id of the current point, 0 for none.
  int current_point() const { return current_; }
  // Chooses the row of point `id` (0: none).
  void choose_point(int id);
  // Makes a tie point of the label in the field and chooses it; false when
  // the label is empty or taken (the status line says which).
  bool add_point_from_field();
  // Points at the chosen rows' oriented tie points; how many were made.
  int make_points();

  QTableWidget* table() const { return table_; }
  QLineEdit* label_field() const { return label_; }
  QPushButton* new_button() const { return new_; }
  QPushButton* make_points_button() const { return make_points_; }
  QCheckBox* automatic_box() const { return automatic_; }
  QLabel* status() const { return status_; }

 signals:
  void currentPointChanged(int id);

 protected:
  // N and ESCAPE in the table.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void on_selection();
  void next_photograph();

  Project& project_;
  int current_ = 0;
  QTableWidget* table_;
  QLineEdit* label_;
  QPushButton* new_;
  QPushButton* make_points_;
  QCheckBox* automatic_;
  QLabel* status_;
};

}  // namespace plenvista
