#include "model/undo_commands.h"

#include "model/control_points.h"
#include "model/edit_actions.h"
#include "model/mirror.h"
#include "model/project_edit.h"

namespace plenvista {

namespace {

void step(Project& project, int delta) {
  ProjectEdit::clear_changed(project);
  if (project.undo.can_move(delta)) {
    // Every point is about to be re-created: nothing may keep the old ones.
    forget_point_picks(project.images(), [](const ModelPoint&) { return true; });
    project.single_selected = nullptr;
  }
  project.undo.move(project.model, delta);
  follow_control_points(project);
  rebuild_mirror_lists(project.model);
  ProjectEdit::mark_changed(project);
  project.note_change();
}

}  // namespace

void undo_command(Project& project) { step(project, -1); }
void redo_command(Project& project) { step(project, +1); }

}  // namespace plenvista
