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
    : RecordListDialog(project, QStringLiteral("Materials"), parent) {
  ModelData& model = project.model;
  show_records({
      [&model] {
        std::vector<std::string> texts;
        for (const Material* material : model.materials) texts.push_back(material_list_text(*material));
        return texts;
      },
      [&model](int slot) {
        const Material* material = model.materials.at(slot);
        return std::any_of(model.faces.begin(), model.faces.end(),
                           [&](const ModelFace* f) { return f->material == material; });
      },
      [this, &project, &choosers, &questions](int slot) {
        MaterialEditDialog dialog(project, slot < 0 ? nullptr : project.model.materials.at(slot), choosers, questions,
                                  this);
        return dialog.exec() == QDialog::Accepted;
      },
      [&project](int slot) {
        delete_material(project, slot);
        project.note_change();
      },
  });
}

}  // namespace plenvista
