#pragma once

// MaterialEditDialog ("Material"): the name, the face, specular and
// emissive colours and the texture photograph of one material, or of a new
// one. The "Texture map source :" list holds "(none)" and then the
// description of every project image in image list order, as they were when
// the dialog opened. OK renames an existing material (another may carry the
// same name), or adds a new one unless its name is taken (then the user is
// told which material holds it and the dialog stays open); then the
// material gets the three colours and the chosen photograph (none for
// "(none)"). Choosing a photograph only names it: texture coordinates come
// from "Set Textures". Cancel changes nothing.

#include <QDialog>
#include <string>
#include <vector>

#include "base/colour.h"
#include "shell/dialogs/colour_field.h"
#include "shell/dialogs/form.h"

class QComboBox;
class QLineEdit;

namespace plenvista {

class DialogChoosers;
class QuestionAsker;
struct Material;
struct Project;
struct ProjectImage;

class MaterialEditDialog : public QDialog {
 public:
  // `material` null to add one.
  MaterialEditDialog(Project& project, Material* material, DialogChoosers& choosers, QuestionAsker& questions,
                     QWidget* parent);

  enum ColourRole { Face, Specular, Emissive };
  QLineEdit* name_field() const { return name_field_; }
  const ColourField& colour_field(ColourRole role) const { return *colour_fields_[role]; }
  QComboBox* texture_list() const { return texture_list_; }

  void accept() override;

 private:
  Project& project_;
  Material* material_;
  QuestionAsker& questions_;
  std::string name_;
  Colour colours_[3] = {0, 0, 0};
  std::vector<ProjectImage*> images_;
  Form form_;
  QLineEdit* name_field_;
  std::unique_ptr<ColourField> colour_fields_[3];
  QComboBox* texture_list_;
};

}  // namespace plenvista
