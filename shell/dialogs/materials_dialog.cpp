#include "shell/dialogs/materials_dialog.h"

#include <algorithm>

#include "model/layers_materials.h"
#include "shell/dialogs/material_edit_dialog.h"

namespace plenvista {

std::string material_list_text(const Material& material) {
  const ProjectImage* image = material.texture_image;
  const std::string name(shown(material.name));
  if (!image) return name;
  return name + " - using " + std::string(shown(image->description)) + " (" + std::string(shown(image->file_name)) +
         ")";
}

MaterialsDialog::MaterialsDialog(Project& project, DialogChoosers& choosers, QuestionAsker& questions, QWidget* parent)
    : RecordListDialog(project, QStringLiteral("Materials"), parent), choosers_(choosers), questions_(questions) {
  fill();
}

std::vector<std::string> MaterialsDialog::texts() const {
  std::vector<std::string> texts;
  for (const Material* material : project_.model.materials) texts.push_back(material_list_text(*material));
  return texts;
}

bool MaterialsDialog::in_use(int slot) const {
  const Material* material = project_.model.materials.at(slot);
  const auto& faces = project_.model.faces;
  return std::any_of(faces.begin(), faces.end(), [&](const ModelFace* f) { return f->material == material; });
}

bool MaterialsDialog::edit(int slot) {
  MaterialEditDialog dialog(project_, slot < 0 ? nullptr : project_.model.materials.at(slot), choosers_, questions_,
                            this);
  return dialog.exec() == QDialog::Accepted;
}

void MaterialsDialog::remove(int slot) {
  delete_material(project_, slot);
  project_.note_change();
}

}  // namespace plenvista
