#include "shell/dialogs/set_layer_dialog.h"

#include "model/edit_actions.h"
#include "model/layers_materials.h"

namespace plenvista {

SetLayerDialog::SetLayerDialog(Project& project, QWidget* parent)
    : NameChoiceDialog(QStringLiteral("Set Layer"), QStringLiteral("Set all selected points to :"),
                       names_of(project.model.layers), project.model.layers.index_of(project.model.current_layer),
                       parent),
      project_(project) {}

void SetLayerDialog::accept() {
  if (Layer* layer = project_.model.layers.at(chosen())) set_current_layer(project_, *layer);
  project_.post(Notification::ImagesChanged);
  set_layer(project_);
  project_.note_change();
  QDialog::accept();
}

}  // namespace plenvista
