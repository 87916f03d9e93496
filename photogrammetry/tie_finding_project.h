#pragma once

// The project's side of finding tie points: what the TieFinder
// (photogrammetry/tie_finder.h) takes from the project and what it gives
// back as automatic ties (model/auto_ties.h). World positions model units,
// marks photograph pixels.

#include <vector>

#include "model/auto_ties.h"
#include "model/project.h"
#include "photogrammetry/tie_finder.h"

namespace plenvista {

// The world positions guided matching judges depths by: every placed tie
// point and every control point.
std::vector<Vec3> known_points(const ModelData& model);

// The finder's tracks as ties of the photographs it was given (by id).
std::vector<FoundTie> found_ties(const std::vector<const ProjectImage*>& images, const TieFinderResult& result);

}  // namespace plenvista
