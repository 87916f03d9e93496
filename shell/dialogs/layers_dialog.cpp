#include "shell/dialogs/layers_dialog.h"

#include <algorithm>

#include "model/layers_materials.h"
#include "shell/dialogs/layer_edit_dialog.h"
#include "shell/dialogs/name_choice_dialog.h"

namespace plenvista {

LayersDialog::LayersDialog(Project& project, DialogChoosers& choosers, QuestionAsker& questions, QWidget* parent)
    : RecordListDialog(project, QStringLiteral("Layers"), parent), choosers_(choosers), questions_(questions) {
  fill();
}

std::vector<std::string> LayersDialog::texts() const { return names_of(project_.model.layers); }

bool LayersDialog::in_use(int slot) const {
  const Layer* layer = project_.model.layers.at(slot);
  const auto& points = project_.model.points;
  return std::any_of(points.begin(), points.end(), [&](const ModelPoint* p) { return p->layer == layer; });
}

bool LayersDialog::edit(int slot) {
  LayerEditDialog dialog(project_, slot < 0 ? nullptr : project_.model.layers.at(slot), choosers_, questions_, this);
  return dialog.exec() == QDialog::Accepted;
}

void LayersDialog::remove(int slot) {
  delete_layer(project_, slot);
  project_.note_change();
}

}  // namespace plenvista
