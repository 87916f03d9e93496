#include "shell/dialogs/set_layer_dialog.h"

#include "model/edit_actions.h"

namespace plenvista {

SetLayerDialog::SetLayerDialog(Project& project, QWidget* parent)
    : NameChoiceDialog(QStringLiteral("Set Layer"), QStringLiteral("Set all selected points to :"),
                       names_of(project.model.layers), project.model.layers.index_of(project.model.current_layer),
                       parent),
      project_(project) {}

void SetLayerDialog::accept() {
  project_.changed = 0;
  if (Layer* layer = project_.model.layers.at(chosen())) project_.model.current_layer = layer;
  project_.post(Notification::ImagesChanged);
  project_.changed = 1;
  set_layer(project_);
  project_.note_change();
  QDialog::accept();
}

}  // namespace plenvista
