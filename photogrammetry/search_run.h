#pragma once

// The run behind the "Searching ..." dialog, stepped once per 50 ms timer
// tick (the command-line tool and the tests step it to the end).
//
// Ticks 1 to 49 do nothing. Tick 50 picks the first image whose reference
// points changed and that has at least four, records that the project
// changes (record_search_results) and runs the initial scan; with no such
// image the run ends at once. From tick 50 on every tick runs
// one batch of the image's search (ImageSearch), stores the score in the
// image's `search_score` and updates the two display texts, and every
// twentieth tick from tick 50 on posts RedrawViews so that the views show
// the moving camera. The run ends (the dialog stops its timer and enables
// OK) when the search has ended. Destroying the run before then leaves the
// image's `marks_changed` set.

#include <optional>
#include <string>

#include "model/project.h"
#include "photogrammetry/image_search.h"

namespace plenvista {

class SearchRun {
 public:
  enum class State { Waiting, Searching, Ended };

  // The project must outlive the run.
  explicit SearchRun(Project& project) : project_(project) {}

  State tick();
  // Ticks until the run ends.
  void run_to_end();

  // The image being searched, null before tick 50 or when none qualified.
  ProjectImage* image() const { return image_; }
  // "Score = 97.31%" and "X : 1.00, Y : -2.50, Z : 300.00"; empty before
  // the search starts.
  const std::string& score_text() const { return score_text_; }
  const std::string& offset_text() const { return offset_text_; }
  int ticks() const { return ticks_; }
  const ImageSearch* search() const { return search_ ? &*search_ : nullptr; }

 private:
  void show_progress();

  Project& project_;
  State state_ = State::Waiting;
  int ticks_ = 0;
  int redraw_ticks_ = 0;
  ProjectImage* image_ = nullptr;
  std::optional<ImageSearch> search_;
  std::string score_text_;
  std::string offset_text_;
};

}  // namespace plenvista
