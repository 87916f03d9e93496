#pragma once

// LayersDialog ("Layers"): the model's layers by name, in list order, with
// "Add" and "Edit" opening LayerEditDialog and "Delete" removing the
// selected layer (disabled while a point uses it; the only layer is kept).

#include "shell/dialogs/record_list_dialog.h"

namespace plenvista {

class DialogChoosers;
class QuestionAsker;

class LayersDialog : public RecordListDialog {
 public:
  LayersDialog(Project& project, DialogChoosers& choosers, QuestionAsker& questions, QWidget* parent);
};

}  // namespace plenvista
