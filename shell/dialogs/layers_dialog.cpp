#include "shell/dialogs/layers_dialog.h"

#include <algorithm>

#include "model/layers_materials.h"
#include "shell/dialogs/layer_edit_dialog.h"
#include "shell/dialogs/name_choice_dialog.h"

namespace plenvista {

LayersDialog::LayersDialog(Project& project, DialogChoosers& choosers, QuestionAsker& questions, QWidget* parent)
    : RecordListDialog(project, QStringLiteral("Layers"), parent) {
  ModelData& model = project.model;
  show_records({
      [&model] { return names_of(model.layers); },
      [&model](int slot) {
        const Layer* layer = model.layers.at(slot);
        return std::any_of(model.points.begin(), model.points.end(),
                           [&](const ModelPoint* p) { return p->layer == layer; });
      },
      [this, &project, &choosers, &questions](int slot) {
        LayerEditDialog dialog(project, slot < 0 ? nullptr : project.model.layers.at(slot), choosers, questions, this);
        return dialog.exec() == QDialog::Accepted;
      },
      [&project](int slot) {
        delete_layer(project, slot);
        project.note_change();
      },
  });
}

}  // namespace plenvista
