#pragma once

// How well a project's automatic tie points agree with the photographs'
// true poses: each mark against the true epipolar line of every other mark
// of its tie (testing/textured_scene.h's epipolar_distance), in pixels.

#include <functional>
#include <utility>
#include <vector>

#include "model/auto_ties.h"
#include "model/tie_points.h"
#include "testing/textured_scene.h"

namespace plenvista::test_support {

struct EpipolarShare {
  int marks = 0;   // automatic marks in ties of two or more
  int within = 0;  // of them, within the tolerance of every other mark's line
  double share() const { return marks ? static_cast<double>(within) / marks : 0.0; }
};

// `truth` gives each project photograph with its true pose.
inline EpipolarShare automatic_marks_on_epipolar_lines(const Project& project,
                                                       const std::function<const ProjectImage&(int id)>& truth,
                                                       double tolerance_px) {
  EpipolarShare result;
  for (const TiePoint* tie : project.model.tie_points) {
    if (!is_automatic_label(tie->label)) continue;
    std::vector<std::pair<int, Point2>> marks;
    for (const ProjectImage* image : project.images().images)
      for (const IdList<ReferencePoint>* list : {&image->reference_points, &image->tie_marks})
        for (const ReferencePoint* r : *list)
          if (r->control_point_id == tie->id) marks.emplace_back(image->id, mark_pixel(*image, *r));
    for (const auto& [id, pixel] : marks) {
      bool ok = true;
      for (const auto& [other, other_pixel] : marks)
        if (other != id && !(epipolar_distance(truth(other), other_pixel, truth(id), pixel) <= tolerance_px))
          ok = false;
      ++result.marks;
      result.within += ok ? 1 : 0;
    }
  }
  return result;
}

}  // namespace plenvista::test_support
