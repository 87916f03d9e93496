#include "photogrammetry/auto_tie_orientation.h"

#include <algorithm>
#include <set>

#include "model/auto_ties.h"
#include "model/tie_points.h"

namespace plenvista {

int leave_out_automatic_ties(OrientationInput& input) {
  return static_cast<int>(
      std::erase_if(input.marks, [](const OrientationMark& m) { return is_automatic_label(m.label); }));
}

std::vector<std::string> remove_poor_automatic_ties(Project& project, double max_residual_px) {
  std::set<std::string> poor;
  for (const ProjectImage* image : project.images().images)
    for (const IdList<ReferencePoint>* list : {&image->reference_points, &image->tie_marks})
      for (const ReferencePoint* r : *list) {
        const bool large = r->orientation_residual && !(*r->orientation_residual <= max_residual_px);
        if (!large && !r->orientation_outlier) continue;
        const std::string_view label = mark_label(project.model, *r);
        if (is_automatic_label(label)) poor.emplace(label);
      }
  std::vector<std::string> labels(poor.begin(), poor.end());
  remove_tie_points(project, labels);
  return labels;
}

}  // namespace plenvista
