#include "shell/dialogs/reference_point_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/number_text.h"

namespace plenvista {

ReferencePointDialog::ReferencePointDialog(const Vec3& start, QWidget* parent) : QDialog(parent), position_(start) {
  setWindowTitle(QStringLiteral("Reference Point"));
  auto* form = new QFormLayout;
  const double values[3] = {start.x, start.y, start.z};
  const char* labels[3] = {"X:", "Y:", "Z:"};
  for (std::size_t i = 0; i < 3; ++i) {
    fields_[i] = new QLineEdit(QString::fromStdString(format_fixed(values[i], 2)), this);
    fields_[i]->setMaxLength(23);
    form->addRow(QString::fromLatin1(labels[i]), fields_[i]);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void ReferencePointDialog::accept() {
  const auto read = [this](std::size_t i) { return parse_number(fields_[i]->text().toStdString()); };
  position_ = {read(0), read(1), read(2)};
  QDialog::accept();
}

}  // namespace plenvista
