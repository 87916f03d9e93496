#pragma once

// run_edit: one user edit made through a window, a test or a tool. `edit`
// calls the model's operations, each of which sets the project's `changed`
// (only they can); afterwards Note change turns it into `modified`,
// refreshes the single selection and posts ModelChanged. The commands that
// end in Note change on their own (undo, redo, delete, commit mirror, apply
// translation) are called as they are.

#include <utility>

#include "model/project.h"

namespace plenvista {

template <typename Edit>
void run_edit(Project& project, Edit&& edit) {
  std::forward<Edit>(edit)();
  project.note_change();
}

}  // namespace plenvista
