#include "photogrammetry/tie_finding_project.h"

namespace plenvista {

std::vector<Vec3> known_points(const ModelData& model) {
  std::vector<Vec3> points;
  for (const TiePoint* t : model.tie_points)
    if (t->position) points.push_back(*t->position);
  for (const ControlPoint* c : model.control_points) points.push_back(c->position);
  return points;
}

std::vector<FoundTie> found_ties(const std::vector<const ProjectImage*>& images, const TieFinderResult& result) {
  std::vector<FoundTie> ties;
  ties.reserve(result.ties.size());
  for (const TiePointMarks& track : result.ties) {
    FoundTie& tie = ties.emplace_back();
    for (std::size_t k = 0; k < track.images.size(); ++k)
      tie.push_back({images[static_cast<std::size_t>(track.images[k])]->id, track.positions[k]});
  }
  return ties;
}

}  // namespace plenvista
