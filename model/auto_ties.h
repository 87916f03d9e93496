#pragma once

// Tie points found automatically (photogrammetry/tie_finder.h) as the
// project keeps them: tie points labelled "auto-1", "auto-2", ... with
// their marks. The label is what sets them apart from the user's own ties,
// so it survives the project's side file and marks lists unchanged; a
// control point list refuses labels that start so (tie_label_problems).
//
// Marks come in as photograph pixels (x right, y down from the top-left
// corner) and are stored centre-relative like every other mark. Each
// operation here is one edit that sets `changed` (the caller then calls
// Note change) and posts ImagesChanged when a mark came or went. Like all
// tie points they are outside the undo history, except when added through
// add_automatic_ties_as_action (the window's way); otherwise the way back
// from adding them is delete_automatic_ties.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"

namespace plenvista {

inline constexpr std::string_view kAutoTiePrefix = "auto-";

// Whether a label is that of an automatic tie point: "auto-" and anything
// after it (letter case as written).
bool is_automatic_label(std::string_view label);

// The number the next automatic tie point takes: one more than the highest
// N of any "auto-N" label among the tie and control points, 1 when none.
long long next_automatic_number(const ModelData& model);

// One automatic tie: its marks, each a photograph by id and the pixel.
struct FoundTieMark {
  int image_id = 0;
  Point2 pixel;
};
using FoundTie = std::vector<FoundTieMark>;

// Adds each tie with two or more marks in distinct photographs of the
// project (marks of unknown photographs are dropped) as a new tie point
// labelled with the next automatic numbers, its marks in the images'
// `tie_marks`. Returns the labels made, in order; none when the ids ran
// out (nothing changed).
std::optional<std::vector<std::string>> add_automatic_ties(Project& project, const std::vector<FoundTie>& ties);

// The same as one undoable action "Find Tie Points" (model/marks_state.h):
// Undo takes every tie point and mark it added back, Redo puts them back
// with their labels. Nothing is recorded when none was added.
std::optional<std::vector<std::string>> add_automatic_ties_as_action(Project& project,
                                                                     const std::vector<FoundTie>& ties);

// Removes the tie points whose labels are listed and every mark of them
// (placed or not); a photograph that lost a reference point gets
// `marks_changed` 1. Labels of no tie point are passed over. Returns how
// many were removed.
int remove_tie_points(Project& project, const std::vector<std::string>& labels);

// Removes every automatic tie point with its marks. Returns how many.
int delete_automatic_ties(Project& project);

}  // namespace plenvista
