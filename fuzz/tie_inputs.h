#pragma once

// The small project the marks list and side file targets read into: two
// photographs (ids 1 and 2, front.jpg and side.jpg) with a reference point
// each (ids 3 and 4), control point "A" linked to the first, the id counter
// at 10.

#include <memory>

#include "model/project.h"

namespace plenvista::fuzzing {

inline void fill_tie_project(Project& project) {
  const char* names[] = {"front.jpg", "side.jpg"};
  for (int k = 0; k < 2; ++k) {
    auto image = std::make_unique<ProjectImage>();
    image->id = k + 1;
    image->file_name = names[k];
    image->centre_x = 320;
    image->centre_y = 240;
    auto mark = std::make_unique<ReferencePoint>();
    mark->id = k + 3;
    mark->world_position = {1, 2, 3};
    image->reference_points.insert(std::move(mark));
    project.images().images.insert(std::move(image));
  }
  auto a = std::make_unique<ControlPoint>();
  a->id = 5;
  a->label = "A";
  a->position = {1, 2, 3};
  project.model.control_points.insert(std::move(a));
  project.images().images.first()->reference_points.first()->control_point_id = 5;
  project.model.next_id = 10;
}

}  // namespace plenvista::fuzzing
