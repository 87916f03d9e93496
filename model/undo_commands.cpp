#include "model/undo_commands.h"

#include "model/control_points.h"
#include "model/edit_actions.h"
#include "model/mirror.h"

namespace plenvista {

namespace {

void step(Project& project, int delta) {
  project.changed = false;
  if (project.undo.can_move(delta)) {
    // Every point is about to be re-created: nothing may keep the old ones.
    forget_point_picks(project.images(), [](const ModelPoint&) { return true; });
    project.single_selected = nullptr;
  }
  project.undo.move(project.model, delta);
  follow_control_points(project);
  rebuild_mirror_lists(project.model);
  project.changed = true;
  project.note_change();
}

}  // namespace

void undo_command(Project& project) { step(project, -1); }
void redo_command(Project& project) { step(project, +1); }

}  // namespace plenvista
