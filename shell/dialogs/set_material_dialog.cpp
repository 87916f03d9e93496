#include "shell/dialogs/set_material_dialog.h"

#include "model/edit_actions.h"
#include "model/layers_materials.h"

namespace plenvista {

SetMaterialDialog::SetMaterialDialog(Project& project, QWidget* parent)
    : NameChoiceDialog(QStringLiteral("Set Material"), QStringLiteral("Set all selected faces to :"),
                       names_of(project.model.materials),
                       project.model.materials.index_of(project.model.current_material), parent),
      project_(project) {}

void SetMaterialDialog::accept() {
  if (Material* material = project_.model.materials.at(chosen())) set_current_material(project_, *material);
  set_material(project_);
  project_.note_change();
  QDialog::accept();
}

}  // namespace plenvista
