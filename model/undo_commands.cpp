#include "model/undo_commands.h"

#include "model/control_points.h"
#include "model/edit_actions.h"
#include "model/marks_state.h"
#include "model/mirror.h"
#include "model/project_edit.h"

namespace plenvista {

namespace {

void step(Project& project, int delta) {
  ProjectEdit::clear_changed(project);
  // The action stepped over, when it carries the photographs' marks.
  const MarksState* marks = nullptr;
  const MarksState* left = nullptr;
  if (project.undo.can_move(delta)) {
    const UndoAction* crossed = project.undo.actions.at(project.undo.position + (delta < 0 ? -1 : 0));
    if (crossed) {
      marks = (delta < 0 ? crossed->marks_before : crossed->marks_after).get();
      left = (delta < 0 ? crossed->marks_after : crossed->marks_before).get();
    }
    // Every point is about to be re-created: no face pick holds on to one.
    forget_point_picks(project.model, [](const ModelPoint&) { return true; });
    project.single_selected = nullptr;
  }
  project.undo.move(project.model, delta);
  if (marks && left) restore_marks_state(project, *marks, *left);
  follow_control_points(project);
  rebuild_mirror_lists(project.model);
  ProjectEdit::mark_changed(project);
  project.note_change();
}

}  // namespace

void undo_command(Project& project) { step(project, -1); }
void redo_command(Project& project) { step(project, +1); }

}  // namespace plenvista
