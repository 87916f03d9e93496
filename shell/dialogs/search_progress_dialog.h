#pragma once

// SearchProgressDialog ("Searching ..."): runs one camera position search
// (SearchRun) stepped by a timer, 50 ms by default. The first line shows
// "Searching ..." until the search starts, then "Score = 97.31%"; the
// second line the camera offset "X : 1.00, Y : -2.50, Z : 300.00" (model
// units). OK is disabled until the run ends. Closing the dialog before then
// stops the run and leaves the image's reference points marked as changed,
// so the image still qualifies for a search.

#include <QDialog>

#include "photogrammetry/search_run.h"

class QLabel;
class QPushButton;
class QTimer;

namespace plenvista {

class SearchProgressDialog : public QDialog {
 public:
  static constexpr int kTickMilliseconds = 50;

  // The project must outlive the dialog; `tick_ms` is the timer's interval.
  SearchProgressDialog(Project& project, QWidget* parent, int tick_ms = kTickMilliseconds);

  const SearchRun& run() const { return run_; }
  QLabel* score_line() const { return score_line_; }
  QLabel* offset_line() const { return offset_line_; }
  QPushButton* ok_button() const { return ok_; }

 protected:
  void done(int result) override;

 private:
  void tick();

  SearchRun run_;
  QTimer* timer_;
  QLabel* score_line_;
  QLabel* offset_line_;
  QPushButton* ok_;
};

}  // namespace plenvista
