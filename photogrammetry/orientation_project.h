#pragma once

// The project's side of an orientation: what the engine
// (photogrammetry/orientation.h) takes from the project, and the one model
// operation that stores its result. Marks are centre-relative pixels as the
// project holds them; world positions and distances model units (mm).

#include <optional>
#include <string>
#include <vector>

#include "model/project.h"
#include "photogrammetry/orientation.h"

namespace plenvista {

// Every photograph, every mark of a control or tie point (reference points
// and unplaced tie marks alike, by label; reference points of neither are
// left out) and every control point as surveyed, with the datum's distances
// and axes as given.
OrientationInput orientation_input(const Project& project, const std::vector<DatumDistance>& distances,
                                   const std::optional<DatumAxes>& axes);

// Stores a successful result, as one operation:
//  - each oriented photograph gets its pose, and then its projected
//    positions, outlier flags and score as a finished search gives them
//    (`pose_known` 1, `marks_changed` 0); the others keep theirs;
//  - each tie point gets the coordinates and precision the result gives it,
//    or loses them when the result could not locate it;
//  - every mark's orientation residual (pixels, from the stored pose; none
//    in photographs not oriented) and outlier flag (as reported) is set.
// Sets `changed`; the caller then calls Note change.
void apply_orientation(Project& project, const OrientationResult& result);

// apply_orientation as one undoable action, "Orient Photographs": Undo
// gives back the poses, marks and tie points as they were before it. With
// `weed_automatic_ties` the automatic tie points the result shows to be
// wrong matches are removed in the same action (remove_poor_automatic_ties);
// the labels removed are returned.
std::vector<std::string> apply_orientation_as_action(Project& project, const OrientationResult& result,
                                                     bool weed_automatic_ties = false);

}  // namespace plenvista
