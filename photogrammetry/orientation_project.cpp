#include "photogrammetry/orientation_project.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "model/image_management.h"
#include "model/marks_state.h"
#include "model/tie_points.h"
#include "photogrammetry/auto_tie_orientation.h"
#include "photogrammetry/camera_search.h"

namespace plenvista {

OrientationInput orientation_input(const Project& project, const std::vector<DatumDistance>& distances,
                                   const std::optional<DatumAxes>& axes) {
  OrientationInput input;
  const ImageSet& set = project.images();
  input.camera = set.camera;
  for (const ProjectImage* image : set.images) {
    input.photographs.push_back({image->id, image->centre_x, image->centre_y, image->pixel_width, image->pixel_height,
                                 image->size_differs != 0, image->texture_centre_x, image->texture_centre_y,
                                 image->texture_scale});
    for (const IdList<ReferencePoint>* list : {&image->reference_points, &image->tie_marks})
      for (const ReferencePoint* r : *list) {
        const std::string_view label = mark_label(project.model, *r);
        if (!label.empty()) input.marks.push_back({image->id, std::string(label), r->image_position});
      }
  }
  for (const ControlPoint* c : project.model.control_points) input.surveyed.push_back({c->label, c->position});
  input.distances = distances;
  input.axes = axes;
  return input;
}

void apply_orientation(Project& project, const OrientationResult& result) {
  ModelData& model = project.model;
  std::map<std::string, const OrientedPoint*, std::less<>> points;
  for (const OrientedPoint& p : result.points) points.emplace(p.label, &p);
  for (TiePoint* tie : model.tie_points) {
    const auto it = points.find(tie->label);
    const OrientedPoint* found = it == points.end() ? nullptr : it->second;
    if (found && found->located && std::isfinite(found->position.x) && std::isfinite(found->position.y) &&
        std::isfinite(found->position.z)) {
      place_tie_point(project, *tie, found->position);
      tie->precision = TiePrecision{found->sigma, found->rays, found->max_angle_deg};
    } else {
      place_tie_point(project, *tie, std::nullopt);
    }
  }

  std::set<std::pair<std::string, int>> outliers;
  for (const OrientationOutlier& o : result.outliers) outliers.emplace(o.label, o.photograph_id);
  std::set<int> oriented;
  for (const OrientedPhotograph& p : result.photographs) {
    ProjectImage* image = project.images().images.find(p.id);
    if (!image || !p.oriented) continue;
    oriented.insert(p.id);
    image->pose = p.pose;
    SearchState state;
    state.best_error = summed_error(*image);
    finish_search(*image, state);
  }
  for (ProjectImage* image : project.images().images) {
    const bool posed = oriented.count(image->id) > 0;
    for (const IdList<ReferencePoint>* list : {&image->reference_points, &image->tie_marks})
      for (ReferencePoint* r : *list) {
        const std::string label(mark_label(model, *r));
        r->orientation_outlier = posed && outliers.count(std::pair<std::string, int>(label, image->id)) > 0;
        r->orientation_residual.reset();
        if (posed && list == &image->reference_points && !label.empty())
          r->orientation_residual =
              std::hypot(r->projected_position.x - r->image_position.x, r->projected_position.y - r->image_position.y);
      }
  }
  record_search_results(project);
}

std::vector<std::string> apply_orientation_as_action(Project& project, const OrientationResult& result,
                                                     bool weed_automatic_ties) {
  MarksState before = capture_marks_state(project);
  apply_orientation(project, result);
  std::vector<std::string> removed;
  if (weed_automatic_ties) removed = remove_poor_automatic_ties(project);
  record_marks_action(project, "Orient Photographs", std::move(before));
  return removed;
}

}  // namespace plenvista
