#include "shell/dialogs/set_textures_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <vector>

#include "photogrammetry/texture_mapping.h"

namespace plenvista {

std::string texture_list_text(const Material& material) {
  const std::string name(shown(material.name));
  if (!material.texture_image) return name + " (no texture)";
  return name + " - using image " + std::string(shown(material.texture_image->file_name));
}

SetTexturesDialog::SetTexturesDialog(Project& project, QWidget* parent)
    : QDialog(parent), project_(project), list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Set Textures"));
  for (const Material* material : project.model.materials) {
    auto* item = new QListWidgetItem(QString::fromStdString(texture_list_text(*material)), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(material->texture_image ? Qt::Checked : Qt::Unchecked);
  }
  auto* text = new QLabel(QStringLiteral("Choose which faces will have a texture map applied. To apply a texture to "
                                         "a material, go to projecs / materials / edit and set the texture view."),
                          this);
  text->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &SetTexturesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SetTexturesDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(new QLabel(QStringLiteral("Face Materials :"), this));
  layout->addWidget(list_);
  layout->addWidget(buttons);
}

void SetTexturesDialog::accept() {
  std::vector<Material*> chosen;
  for (int slot = 0; slot < list_->count(); ++slot)
    if (list_->item(slot)->checkState() == Qt::Checked) chosen.push_back(project_.model.materials.at(slot));
  apply_textures(project_, chosen);
  QDialog::accept();
}

}  // namespace plenvista
