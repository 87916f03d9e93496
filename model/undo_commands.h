#pragma once

// The main window's Undo and Redo: one step back or forward in the project's
// undo history, then the mirror lists rebuilt and the change noted. Both
// always leave `modified` at 1; after a step the point selection is empty
// and the image views' picks are forgotten; reference points made from a
// control point that moved follow it (their photographs marked for a new
// search). A step past either end changes
// nothing in the model.

#include "model/project.h"

namespace plenvista {

void undo_command(Project& project);
void redo_command(Project& project);

}  // namespace plenvista
