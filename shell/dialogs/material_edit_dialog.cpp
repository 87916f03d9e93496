#include "shell/dialogs/material_edit_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/layers_materials.h"
#include "shell/dialogs/taken_name.h"

namespace plenvista {

MaterialEditDialog::MaterialEditDialog(Project& project, Material* material, DialogChoosers& choosers,
                                       QuestionAsker& questions, QWidget* parent)
    : QDialog(parent),
      project_(project),
      material_(material),
      questions_(questions),
      name_(material ? std::string(shown(material->name)) : std::string()),
      form_(this),
      name_field_(form_.add_text(QStringLiteral("Description :"), name_)),
      texture_list_(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("Material"));
  if (material) {
    colours_[Face] = material->face_colour;
    colours_[Specular] = material->specular_colour;
    colours_[Emissive] = material->emissive_colour;
  }
  auto* group = new QGroupBox(QStringLiteral("Colours"), this);
  auto* grid = new QGridLayout(group);
  const QString labels[3] = {QStringLiteral("Face"), QStringLiteral("Specular"), QStringLiteral("Emissive")};
  for (int role = 0; role < 3; ++role) {
    colour_fields_[role] = std::make_unique<ColourField>(labels[role], colours_[role], choosers, group);
    grid->addWidget(colour_fields_[role]->button(), role, 0);
    grid->addWidget(colour_fields_[role]->swatch(), role, 1);
  }

  texture_list_->addItem(QStringLiteral("(none)"));
  for (ProjectImage* image : project.images().images) {
    images_.push_back(image);
    texture_list_->addItem(QString::fromStdString(std::string(shown(image->description))));
  }
  int shown = 0;
  if (material)
    for (std::size_t i = 0; i < images_.size(); ++i)
      if (images_[i] == material->texture_image) shown = static_cast<int>(i) + 1;
  texture_list_->setCurrentIndex(shown);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &MaterialEditDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &MaterialEditDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form_.layout());
  layout->addWidget(group);
  layout->addWidget(new QLabel(QStringLiteral("Texture map source :"), this));
  layout->addWidget(texture_list_);
  layout->addWidget(buttons);
}

void MaterialEditDialog::accept() {
  form_.read();
  const int chosen = texture_list_->currentIndex();
  const MaterialLook look{colours_[Face], colours_[Specular], colours_[Emissive],
                          chosen > 0 ? images_[static_cast<std::size_t>(chosen - 1)] : nullptr};
  Material* material = material_;
  if (!material) {
    if (const Material* holder = holder_of_name(project_.model.materials, name_)) {
      tell_name_taken(questions_, this, QStringLiteral("material"), holder->name);
      return;
    }
    material = add_material(project_, name_);
    // Refused only when the model has run out of ids.
    if (!material) return QDialog::accept();
  }
  edit_material(project_, *material, name_, look);
  project_.note_change();
  QDialog::accept();
}

}  // namespace plenvista
