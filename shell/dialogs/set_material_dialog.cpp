#include "shell/dialogs/set_material_dialog.h"

#include "model/edit_actions.h"

namespace plenvista {

SetMaterialDialog::SetMaterialDialog(Project& project, QWidget* parent)
    : NameChoiceDialog(QStringLiteral("Set Material"), QStringLiteral("Set all selected faces to :"),
                       names_of(project.model.materials),
                       project.model.materials.index_of(project.model.current_material), parent),
      project_(project) {}

void SetMaterialDialog::accept() {
  project_.changed = 0;
  if (Material* material = project_.model.materials.at(chosen())) project_.model.current_material = material;
  set_material(project_);
  project_.note_change();
  QDialog::accept();
}

}  // namespace plenvista
