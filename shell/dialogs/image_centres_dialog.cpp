#include "shell/dialogs/image_centres_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/image_records.h"

namespace plenvista {

ImageCentresDialog::ImageCentresDialog(ProjectImage& image, QWidget* parent)
    : QDialog(parent),
      image_(image),
      centre_x_(image.texture_centre_x),
      centre_y_(image.texture_centre_y),
      scale_(image.texture_scale),
      form_(this) {
  setWindowTitle(QStringLiteral("Image Centres"));
  auto* text = new QLabel(QStringLiteral("The dimensions of this image are different from the native format of the "
                                         "camera. Please supply a new image centre and scale. e.g. 0.4 = 40% image "
                                         "reduction."),
                          this);
  text->setWordWrap(true);
  constexpr int kNumberLength = 23;
  fields_[CentreX] = form_.add_double(QStringLiteral("Approx Centre :  X"), centre_x_, 0, kNumberLength);
  fields_[CentreY] = form_.add_double(QStringLiteral("Y"), centre_y_, 0, kNumberLength);
  fields_[Scale] = form_.add_double(QStringLiteral("Scale (0..1) :"), scale_, 2, kNumberLength);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ImageCentresDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ImageCentresDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(form_.layout());
  layout->addWidget(buttons);
}

void ImageCentresDialog::accept() {
  form_.read();
  image_.texture_centre_x = centre_x_;
  image_.texture_centre_y = centre_y_;
  image_.texture_scale = scale_;
  image_.size_differs = 1;
  QDialog::accept();
}

}  // namespace plenvista
