#pragma once

// FindTiesDialog ("Find Tie Points"): finds tie points automatically
// between the photographs checked in its list (every one at first, or the
// ones named when it is made) and adds them as automatic ties "auto-N"
// (model/auto_ties.h) as one undoable action. "Guided" matches the pairs whose poses
// are both known along their epipolar lines.
//
// "Find" starts a TieFinder stepped by a timer (each step the features of
// a few photographs or the matches of a few pairs); the bar shows its
// progress. "Cancel" while it runs stops it and adds nothing; otherwise it
// closes the dialog, as Escape does at any time. The report lists per pair
// the features, candidate and verified matches, then the tracks made and
// the labels added, and names photographs that could not be read.

#include <QDialog>
#include <memory>
#include <vector>

#include "model/project.h"
#include "photogrammetry/tie_finder.h"

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace plenvista {

class FindTiesDialog : public QDialog {
 public:
  static constexpr int kTickMilliseconds = 10;

  // The project must outlive the dialog. `checked`: ids of the photographs
  // checked at first (all when empty); `read` decodes a photograph.
  FindTiesDialog(Project& project, PhotographRead read, const std::vector<int>& checked, QWidget* parent,
                 int tick_ms = kTickMilliseconds);
  ~FindTiesDialog() override;

  QListWidget* photographs() const { return list_; }
  QCheckBox* guided_box() const { return guided_; }
  QPushButton* find_button() const { return find_; }
  QPushButton* cancel_button() const { return cancel_; }
  QProgressBar* progress_bar() const { return bar_; }
  QPlainTextEdit* report() const { return report_; }
  bool running() const { return finder_ != nullptr; }

 protected:
  void done(int result) override;

 private:
  void start();
  void tick();
  void finish();
  void stop();

  Project& project_;
  PhotographRead read_;
  int tick_ms_;
  std::vector<const ProjectImage*> images_;
  std::unique_ptr<TieFinder> finder_;
  QListWidget* list_;
  QCheckBox* guided_;
  QProgressBar* bar_;
  QPlainTextEdit* report_;
  QPushButton* find_;
  QPushButton* cancel_;
  QTimer* timer_;
};

}  // namespace plenvista
