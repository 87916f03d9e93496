#pragma once

// Automatic tie points (model/auto_ties.h) in an orientation: left out of
// its input on request, and weeded out after it. Residuals are photograph
// pixels as the orientation reports them.

#include <string>
#include <vector>

#include "model/project.h"
#include "photogrammetry/orientation.h"

namespace plenvista {

// The residual above which an automatic tie is taken for a wrong match
// (pixels); a correct match of a calibrated camera stays well below it.
inline constexpr double kAutoTieMaxResidualPx = 2.0;

// Drops the marks of automatic tie points from an orientation's input,
// leaving the user's ties and control points. Returns how many it dropped.
int leave_out_automatic_ties(OrientationInput& input);

// After a stored orientation (apply_orientation): removes, with all their
// marks, the automatic tie points one of whose marks the orientation
// reported as an outlier or left with a residual above `max_residual_px`.
// Ties the orientation left out keep. Returns the labels removed, in label
// order; sets `changed` when there were any (the caller then calls Note
// change).
std::vector<std::string> remove_poor_automatic_ties(Project& project, double max_residual_px = kAutoTieMaxResidualPx);

}  // namespace plenvista
