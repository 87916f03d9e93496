#pragma once

// ReferencePointDialog ("Reference Point"): the world X, Y, Z of a reference
// point about to be marked in a photograph, in model units. The fields open
// with the given position ("%0.2f"); OK reads them back locale-free (a
// non-number reads as its leading numeric part, or 0) into `position()`.
//
// A "Label" box above the fields lists the control points' labels, then the
// tie points', and completes what is typed; a control point's label chosen
// or typed in full (letter case ignored) fills the fields. When OK finds the
// fields as the choice filled them, the position is the control point's
// exact one and `control_point_id()` names it; a field changed since, or no
// choice, gives 0. A label that is no control point's with all three fields
// left empty is a tie point's mark: `tie_label()` gives it (the caller makes
// the tie point when it is new); otherwise it is empty.

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "base/vec3.h"
#include "model/control_point.h"
#include "shell/dialogs/form.h"

class QComboBox;
class QLineEdit;

namespace plenvista {

class ReferencePointDialog : public QDialog {
 public:
  ReferencePointDialog(const Vec3& start, QWidget* parent, std::vector<ControlPoint> control_points = {},
                       const std::vector<std::string>& tie_labels = {});

  const Vec3& position() const { return position_; }
  int control_point_id() const { return control_point_id_; }
  const std::string& tie_label() const { return tie_label_; }
  QLineEdit* field(int axis) const { return fields_[static_cast<std::size_t>(axis)]; }
  QComboBox* control_points_box() const { return box_; }
  void accept() override;

 private:
  void choose(const QString& label);
  std::array<QString, 3> shown_texts() const;

  Vec3 position_;
  Form form_;
  std::array<QLineEdit*, 3> fields_{};
  std::vector<ControlPoint> control_points_;
  QComboBox* box_ = nullptr;
  const ControlPoint* chosen_ = nullptr;
  std::array<QString, 3> chosen_texts_;
  int control_point_id_ = 0;
  std::string tie_label_;
};

}  // namespace plenvista
