#pragma once

// run_edit: one user edit made through a window. `edit` changes the project
// (through the edit actions or by setting records directly); afterwards
// `changed` is set and Note change turns it into `modified`, refreshes the
// single selection and posts ModelChanged. Windows never set `changed`
// themselves. The commands that end in Note change on their own (undo,
// redo, delete, commit mirror, apply translation) are called as they are.

#include <utility>

#include "model/project.h"

namespace plenvista {

template <typename Edit>
void run_edit(Project& project, Edit&& edit) {
  std::forward<Edit>(edit)();
  project.changed = true;
  project.note_change();
}

}  // namespace plenvista
