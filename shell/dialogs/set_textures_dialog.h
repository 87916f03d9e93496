#pragma once

// SetTexturesDialog ("Set Textures"): one checkable entry per material in
// list order, "Roof - using image house.bmp" for a material with a texture
// photograph (checked at opening) and "Roof (no texture)" for one without.
// OK runs the undoable "Apply Texture" action with the checked materials:
// every texture coordinate is discarded, then the faces of each checked
// material that has a photograph get new ones; an unchecked material's
// faces end without. Cancel changes nothing.

#include <QDialog>
#include <string>

class QListWidget;

namespace plenvista {

struct Material;
struct Project;

// The entry text of a material.
std::string texture_list_text(const Material& material);

class SetTexturesDialog : public QDialog {
 public:
  SetTexturesDialog(Project& project, QWidget* parent);

  QListWidget* list() const { return list_; }
  void accept() override;

 private:
  Project& project_;
  QListWidget* list_;
};

}  // namespace plenvista
