#include "shell/dialogs/reference_point_dialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "base/number_text.h"

namespace plenvista {

ReferencePointDialog::ReferencePointDialog(const Vec3& start, QWidget* parent, std::vector<ControlPoint> control_points,
                                           const std::vector<std::string>& tie_labels)
    : QDialog(parent), position_(start), form_(this), control_points_(std::move(control_points)) {
  setWindowTitle(QStringLiteral("Reference Point"));
  auto* layout = new QVBoxLayout(this);
  box_ = new QComboBox(this);
  box_->setEditable(true);
  box_->setInsertPolicy(QComboBox::NoInsert);
  for (const ControlPoint& c : control_points_) box_->addItem(QString::fromStdString(c.label));
  for (const std::string& label : tie_labels) box_->addItem(QString::fromStdString(label));
  box_->setCurrentIndex(-1);
  box_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
  box_->completer()->setCompletionMode(QCompleter::PopupCompletion);
  connect(box_, &QComboBox::editTextChanged, this, &ReferencePointDialog::choose);
  auto* row = new QFormLayout;
  row->addRow(QStringLiteral("Label:"), box_);
  layout->addLayout(row);
  constexpr int kNumberLength = 23;
  fields_[0] = form_.add_double(QStringLiteral("X:"), position_.x, 2, kNumberLength);
  fields_[1] = form_.add_double(QStringLiteral("Y:"), position_.y, 2, kNumberLength);
  fields_[2] = form_.add_double(QStringLiteral("Z:"), position_.z, 2, kNumberLength);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ReferencePointDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ReferencePointDialog::reject);
  layout->addLayout(form_.layout());
  layout->addWidget(buttons);
}

std::array<QString, 3> ReferencePointDialog::shown_texts() const {
  return {fields_[0]->text(), fields_[1]->text(), fields_[2]->text()};
}

void ReferencePointDialog::choose(const QString& label) {
  chosen_ = nullptr;
  for (const ControlPoint& c : control_points_)
    if (QString::fromStdString(c.label).compare(label, Qt::CaseInsensitive) == 0) chosen_ = &c;
  if (!chosen_) return;
  const double values[3] = {chosen_->position.x, chosen_->position.y, chosen_->position.z};
  for (std::size_t k = 0; k < 3; ++k) fields_[k]->setText(QString::fromStdString(format_fixed(values[k], 2)));
  chosen_texts_ = shown_texts();
}

void ReferencePointDialog::accept() {
  tie_label_.clear();
  const QString label = box_->currentText().trimmed();
  const std::array<QString, 3> texts = shown_texts();
  const bool no_coordinates =
      std::all_of(texts.begin(), texts.end(), [](const QString& t) { return t.trimmed().isEmpty(); });
  if (!chosen_ && !label.isEmpty() && no_coordinates) {
    tie_label_ = label.toStdString();
    control_point_id_ = 0;
    QDialog::accept();
    return;
  }
  if (chosen_ && shown_texts() == chosen_texts_) {
    position_ = chosen_->position;
    control_point_id_ = chosen_->id;
  } else {
    form_.read();
    control_point_id_ = 0;
  }
  QDialog::accept();
}

}  // namespace plenvista
