#pragma once

// OrientDialog ("Orient Photographs"): the datum of an orientation, the run
// and its result. The datum: scale distances (two labels of control or tie
// points and the distance between them in model units, as many rows as
// wanted; "Add Distance" adds one, "Remove Distance" drops the chosen one)
// and the axes (origin, X point and plane point, each chosen from the
// labels, or all three "(none)"). Surveyed control points, three or more,
// give the datum on their own. "Include automatic ties" (ticked) lets the
// tie points found automatically take part; "Remove automatic ties that
// do not fit" (ticked) removes, in the same action, those the result shows
// to be wrong matches.
//
// "Orient" runs the orientation (photogrammetry/orientation.h) stepped by a
// timer, 10 ms by default, showing the phase, the adjustment's iteration,
// its RMS (photograph pixels) and how many photographs are oriented; Cancel
// while it runs stops it and leaves the project as it was. A run that ends
// well is stored as one undoable action (Edit > Undo takes all of it back)
// and the result shown: each photograph oriented or not with its RMS, each
// point's precision (largest standard deviation, mm) and rays, each outlier
// mark with its photograph and residual. Choosing a photograph's row shows
// that photograph; a point's or outlier's row makes the point the marking
// point (pointChosen) and shows the outlier's photograph. A run that fails
// shows its message and changes nothing. The dialog's labels with no
// distance, non-positive or unreadable distances are refused before the run
// with a message.

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

#include "model/project.h"
#include "photogrammetry/orientation.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace plenvista {

class OrientDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTickMilliseconds = 10;

  OrientDialog(Project& project, QWidget* parent, int tick_ms = kTickMilliseconds);
  ~OrientDialog() override;

  // The datum as the fields give it; none (and the status line says why)
  // when a distance cannot be used.
  std::optional<std::vector<DatumDistance>> distances() const;
  std::optional<DatumAxes> axes() const;
  // Whether a run is under way.
  bool running() const { return run_ != nullptr; }
  // The last finished run's result, if any.
  const OrientationResult* result() const { return result_ ? &*result_ : nullptr; }

  QTableWidget* distance_table() const { return distances_; }
  QPushButton* add_distance_button() const { return add_distance_; }
  QPushButton* remove_distance_button() const { return remove_distance_; }
  QComboBox* axis_box(int which) const { return axes_[static_cast<std::size_t>(which)]; }
  QCheckBox* automatic_box() const { return automatic_; }
  QCheckBox* weed_box() const { return weed_; }
  QPushButton* orient_button() const { return orient_; }
  QPushButton* close_button() const { return close_; }
  QLabel* progress_line() const { return progress_; }
  QTableWidget* photograph_table() const { return photographs_; }
  QTableWidget* point_table() const { return points_; }
  QTableWidget* outlier_table() const { return outliers_; }

 signals:
  void pointChosen(int id);

 protected:
  void reject() override;

 private:
  void add_distance_row();
  void start();
  void tick();
  void finish();
  void show_result(const OrientationResult& result);
  void choose_photograph(int id);
  void choose_label(const QString& label);

  Project& project_;
  QStringList labels_;
  std::unique_ptr<OrientationRun> run_;
  std::optional<OrientationResult> result_;
  QTableWidget* distances_;
  QPushButton* add_distance_;
  QPushButton* remove_distance_;
  std::array<QComboBox*, 3> axes_{};
  QCheckBox* automatic_;
  QCheckBox* weed_;
  QPushButton* orient_;
  QPushButton* close_;
  QLabel* progress_;
  QTableWidget* photographs_;
  QTableWidget* points_;
  QTableWidget* outliers_;
  QTimer* timer_;
};

}  // namespace plenvista
