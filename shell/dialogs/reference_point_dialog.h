#pragma once

// ReferencePointDialog ("Reference Point"): the world X, Y, Z of a reference
// point about to be marked in a photograph, in model units. The fields open
// with the given position ("%0.2f"); OK reads them back locale-free (a
// non-number reads as its leading numeric part, or 0) into `position()`.

#include <QDialog>
#include <array>

#include "base/vec3.h"
#include "shell/dialogs/form.h"

class QLineEdit;

namespace plenvista {

class ReferencePointDialog : public QDialog {
 public:
  ReferencePointDialog(const Vec3& start, QWidget* parent);

  const Vec3& position() const { return position_; }
  QLineEdit* field(int axis) const { return fields_[static_cast<std::size_t>(axis)]; }
  void accept() override;

 private:
  Vec3 position_;
  Form form_;
  std::array<QLineEdit*, 3> fields_{};
};

}  // namespace plenvista
