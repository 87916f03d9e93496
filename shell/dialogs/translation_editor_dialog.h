#pragma once

// TranslationEditorDialog ("Translation Editor"): edits the model transform.
// The fields show the origin offset X, Y, Z, the scale multiplier and the
// mirror buffer with two decimals (model units; the scale has none), and
// four radio buttons choose the mirror plane. OK asks, when a plane is
// chosen for a model that has none yet, whether the mirrored side may be
// deleted; on No the dialog stays open. On acceptance `edit()` holds the
// values read from the fields (locale-free; a non-number reads as 0); the
// caller applies them with apply_translation.

#include <QDialog>
#include <array>

#include "model/project_transform.h"
#include "model/translation.h"
#include "shell/dialogs/form.h"

class QLineEdit;
class QRadioButton;

namespace plenvista {

class QuestionAsker;

class TranslationEditorDialog : public QDialog {
 public:
  TranslationEditorDialog(const ProjectTransform& current, QuestionAsker& questions, QWidget* parent);

  const TranslationEdit& edit() const { return edit_; }
  void accept() override;

  enum Field { OriginX, OriginY, OriginZ, Scale, Buffer };
  QLineEdit* field(Field f) const { return fields_[f]; }
  // 0 "None", 1 "X Plane", 2 "Y Plane", 3 "Z Plane".
  QRadioButton* plane_button(int plane) const { return planes_[static_cast<std::size_t>(plane)]; }

 private:
  MirrorPlane checked_plane() const;

  MirrorPlane current_plane_;
  QuestionAsker& questions_;
  TranslationEdit edit_;
  Form form_;
  std::array<QLineEdit*, 5> fields_{};
  std::array<QRadioButton*, 4> planes_{};
};

}  // namespace plenvista
