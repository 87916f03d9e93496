#pragma once

// MeasurePanel: the "Measure" dock of the main window. It measures the
// current selection in the units the program shows (model/measurement.h):
// with two selected points the distance and its X, Y, Z components, with
// three also the second leg and the angle at the middle one, taking the
// points in the order they were selected; with faces selected (all three
// corners of a face) their total area, and for one face its normal. The
// lines are read-only text that can be selected, and "Copy" puts them all
// on the clipboard. The status bar shows the same values on one line.
//
// refresh() measures again; the dock calls it on SelectionChanged,
// ModelChanged and ImagesChanged. Points selected by one rubber band come
// in list order.

#include <QWidget>

#include "model/measurement.h"

class QAction;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace plenvista {

struct Project;
class ProjectSignals;

class MeasurePanel : public QWidget {
 public:
  MeasurePanel(Project& project, QWidget* parent);

  void refresh();

  QPlainTextEdit* text() const { return text_; }
  QPushButton* copy_button() const { return copy_; }
  // The values on one line; empty when nothing is measured.
  QString summary() const { return summary_; }
  // Where the summary is also shown (a label in the status bar), or null.
  void set_status_label(QLabel* label) { status_ = label; }

 private:
  Project& project_;
  SelectionOrder order_;
  QPlainTextEdit* text_;
  QPushButton* copy_;
  QLabel* status_ = nullptr;
  QString summary_;
};

// Adds the "Measure" dock on the right of `window`, hidden; `toggle` (the
// checkable Tools > Measure, whose command shows and hides the dock)
// follows it. The summary goes to
// a label at the right of `status_bar`.
MeasurePanel* add_measure_dock(QMainWindow& window, Project& project, ProjectSignals& notifications, QAction& toggle,
                               QStatusBar& status_bar);

}  // namespace plenvista
