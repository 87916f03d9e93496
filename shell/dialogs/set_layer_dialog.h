#pragma once

// SetLayerDialog ("Set Layer"): every layer by name, the current layer
// selected. OK makes the chosen layer current and gives it to every
// selected point through the undoable "Set Layer" action; the project is
// marked modified even when no point is selected, since the current layer
// changed. Cancel changes nothing.

#include "shell/dialogs/name_choice_dialog.h"

namespace plenvista {

struct Project;

class SetLayerDialog : public NameChoiceDialog {
 public:
  SetLayerDialog(Project& project, QWidget* parent);
  void accept() override;

 private:
  Project& project_;
};

}  // namespace plenvista
