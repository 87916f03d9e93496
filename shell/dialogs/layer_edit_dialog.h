#pragma once

// LayerEditDialog ("Layer"): the name and colour of one layer, or of a new
// one. OK renames an existing layer (another layer may carry the same name)
// and gives it the chosen colour; for a new layer it adds one with the name
// and colour, unless the name is taken: then the user is told which layer
// holds it and the dialog stays open. Names are UTF-8, at most 127
// characters, and may be empty. Cancel changes nothing. Each change is
// noted (the project becomes modified).

#include <QDialog>
#include <string>

#include "base/colour.h"
#include "shell/dialogs/colour_field.h"
#include "shell/dialogs/form.h"

class QLineEdit;

namespace plenvista {

class DialogChoosers;
class QuestionAsker;
struct Layer;
struct Project;

class LayerEditDialog : public QDialog {
 public:
  // `layer` null to add one.
  LayerEditDialog(Project& project, Layer* layer, DialogChoosers& choosers, QuestionAsker& questions, QWidget* parent);

  QLineEdit* name_field() const { return name_field_; }
  const ColourField& colour_field() const { return colour_field_; }
  Colour colour() const { return colour_; }

  void accept() override;

 private:
  Project& project_;
  Layer* layer_;
  QuestionAsker& questions_;
  std::string name_;
  Colour colour_ = 0;
  Form form_;
  QLineEdit* name_field_;
  ColourField colour_field_;
};

}  // namespace plenvista
