#pragma once

// ImageCentresDialog ("Image Centres"): asked right after a photograph whose
// size differs from the camera's native format has been added. It shows the
// image's approximate texture centre (photograph pixels, "%0.0f") and scale
// (0..1, "%0.2f"); OK stores the three values, read locale-free, and marks
// the image's size as differing. Cancel leaves the image as it was, so it is
// projected as if it had the native size.

#include <QDialog>
#include <array>

#include "shell/dialogs/form.h"

class QLineEdit;

namespace plenvista {

struct ProjectImage;

class ImageCentresDialog : public QDialog {
 public:
  ImageCentresDialog(ProjectImage& image, QWidget* parent);

  void accept() override;

  enum Field { CentreX, CentreY, Scale };
  QLineEdit* field(Field f) const { return fields_[f]; }

 private:
  ProjectImage& image_;
  double centre_x_;
  double centre_y_;
  double scale_;
  Form form_;
  std::array<QLineEdit*, 3> fields_{};
};

}  // namespace plenvista
