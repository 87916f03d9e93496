#include "shell/dialogs/layer_edit_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/layers_materials.h"
#include "shell/dialogs/taken_name.h"

namespace plenvista {

LayerEditDialog::LayerEditDialog(Project& project, Layer* layer, DialogChoosers& choosers, QuestionAsker& questions,
                                 QWidget* parent)
    : QDialog(parent),
      project_(project),
      layer_(layer),
      questions_(questions),
      name_(layer ? std::string(shown(layer->name)) : std::string()),
      colour_(layer ? layer->colour : 0),
      form_(this),
      name_field_(form_.add_text(QStringLiteral("Description :"), name_)),
      colour_field_(QStringLiteral("Colour"), colour_, choosers, this) {
  setWindowTitle(QStringLiteral("Layer"));
  auto* colour_row = new QHBoxLayout;
  colour_row->addWidget(colour_field_.button());
  colour_row->addWidget(colour_field_.swatch(), 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &LayerEditDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &LayerEditDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form_.layout());
  layout->addLayout(colour_row);
  layout->addWidget(buttons);
}

void LayerEditDialog::accept() {
  form_.read();
  if (layer_) {
    edit_layer(project_, *layer_, name_, colour_);
  } else if (const Layer* holder = holder_of_name(project_.model.layers, name_)) {
    tell_name_taken(questions_, this, QStringLiteral("layer"), holder->name);
    return;
  } else {
    add_layer(project_, name_, colour_);
  }
  project_.note_change();
  QDialog::accept();
}

}  // namespace plenvista
