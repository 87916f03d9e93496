#pragma once

// SetMaterialDialog ("Set Material"): every material by name, the current
// material selected. OK makes the chosen material current and gives it to
// every face whose three corners are selected through the undoable "Set
// Material" action, which then clears the selection. Cancel changes nothing.

#include "shell/dialogs/name_choice_dialog.h"

namespace plenvista {

struct Project;

class SetMaterialDialog : public NameChoiceDialog {
 public:
  SetMaterialDialog(Project& project, QWidget* parent);
  void accept() override;

 private:
  Project& project_;
};

}  // namespace plenvista
