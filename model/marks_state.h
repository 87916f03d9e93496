#pragma once

// MarksState: what marking a labelled point and orienting the photographs
// change, copied whole so that Undo and Redo can put it back: each
// photograph's pose, search score and flags with its reference points and
// tie marks, and the tie points. Marks keep their ids; positions are as the
// records hold them (centre-relative pixels, model units).
//
// The photographs' marks are otherwise outside the undo history, so undoing
// such an action also takes back the marks made without one since it
// (through the Reference Point dialog or an import). A photograph removed
// since is skipped; a tie point made since is kept, without coordinates,
// unless the action stepped over made it (automatic ties found) or, on
// Redo, removed it (automatic ties weeded out after an orientation).

#include <string>
#include <vector>

#include "model/image_records.h"
#include "model/project.h"
#include "model/tie_point.h"

namespace plenvista {

struct ImageMarksState {
  int image_id = 0;
  CameraPose pose;
  bool pose_known = false;
  bool marks_changed = false;
  double search_score = 0.0;
  std::vector<ReferencePoint> reference_points;
  std::vector<ReferencePoint> tie_marks;
};

struct MarksState {
  std::vector<ImageMarksState> images;
  std::vector<TiePoint> tie_points;
};

MarksState capture_marks_state(const Project& project);

// Puts `state` back, stepping over an action from `left`: tie points held
// by `left` but not by `state` are removed (posts ImagesChanged; `changed`
// is the caller's).
void restore_marks_state(Project& project, const MarksState& state, const MarksState& left);

// Records an undoable action `name` whose Undo puts `before` back and whose
// Redo the state as it is now, and sets `changed`.
void record_marks_action(Project& project, const std::string& name, MarksState before);

}  // namespace plenvista
