#pragma once

// MaterialsDialog ("Materials"): the model's materials in list order, each
// as "Roof - using House (house.bmp)" (name, texture photograph's
// description and file name) or just "Roof" without a photograph. "Add" and
// "Edit" open MaterialEditDialog; "Delete" removes the selected material
// (disabled while a face uses it; the only material is kept).

#include <string>

#include "shell/dialogs/record_list_dialog.h"

namespace plenvista {

class DialogChoosers;
class QuestionAsker;
struct Material;

// The list text of a material.
std::string material_list_text(const Material& material);

class MaterialsDialog : public RecordListDialog {
 public:
  MaterialsDialog(Project& project, DialogChoosers& choosers, QuestionAsker& questions, QWidget* parent);
};

}  // namespace plenvista
