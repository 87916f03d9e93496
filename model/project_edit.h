#pragma once

// ProjectEdit: how the model's operations mark the project changed. Only the
// model (model/) and the camera searches that move a photograph's camera
// (photogrammetry/) include this header; windows and the command-line tool
// call those operations and then Project::note_change
// (scripts/check-layers.sh refuses other includes).

#include "model/project.h"

namespace plenvista {

class ProjectEdit {
 public:
  static void mark_changed(Project& project) { project.changed_ = true; }
  static void clear_changed(Project& project) { project.changed_ = false; }
};

}  // namespace plenvista
