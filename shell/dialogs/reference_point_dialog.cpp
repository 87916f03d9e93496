#include "shell/dialogs/reference_point_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace plenvista {

ReferencePointDialog::ReferencePointDialog(const Vec3& start, QWidget* parent)
    : QDialog(parent), position_(start), form_(this) {
  setWindowTitle(QStringLiteral("Reference Point"));
  constexpr int kNumberLength = 23;
  fields_[0] = form_.add_double(QStringLiteral("X:"), position_.x, 2, kNumberLength);
  fields_[1] = form_.add_double(QStringLiteral("Y:"), position_.y, 2, kNumberLength);
  fields_[2] = form_.add_double(QStringLiteral("Z:"), position_.z, 2, kNumberLength);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ReferencePointDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ReferencePointDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form_.layout());
  layout->addWidget(buttons);
}

void ReferencePointDialog::accept() {
  form_.read();
  QDialog::accept();
}

}  // namespace plenvista
