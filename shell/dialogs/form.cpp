#include "shell/dialogs/form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <cmath>
#include <limits>
#include <utility>

#include "base/number_text.h"

namespace plenvista {

namespace {

std::string text_of(const QLineEdit* field) { return field->text().toStdString(); }

// The leading integer, as the C library's conversion reads it; out of range
// values saturate.
int leading_int(const std::string& text) {
  const double number = std::trunc(parse_number(text));
  if (std::isnan(number)) return 0;
  if (number <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (number >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(number);
}

}  // namespace

Form::Form(QWidget* parent) : parent_(parent), layout_(new QFormLayout) {}

QLineEdit* Form::add_line(const QString& label, int max_length) {
  auto* field = new QLineEdit(parent_);
  field->setMaxLength(max_length);
  layout_->addRow(label, field);
  return field;
}

void Form::bind(Binding binding) {
  binding.show();
  bindings_.push_back(std::move(binding));
}

QLineEdit* Form::add_double(const QString& label, double& value, int decimals, int max_length) {
  QLineEdit* field = add_line(label, max_length);
  bind({[field, &value, decimals] { field->setText(QString::fromStdString(format_fixed(value, decimals))); },
        [field, &value] { value = parse_number(text_of(field)); }});
  return field;
}

QLineEdit* Form::add_int(const QString& label, int& value, int max_length) {
  QLineEdit* field = add_line(label, max_length);
  bind({[field, &value] { field->setText(QString::number(value)); },
        [field, &value] { value = leading_int(text_of(field)); }});
  return field;
}

QLineEdit* Form::add_text(const QString& label, std::string& value, int max_length) {
  QLineEdit* field = add_line(label, max_length);
  bind({[field, &value] { field->setText(QString::fromStdString(value)); },
        [field, &value] { value = text_of(field); }});
  return field;
}

QCheckBox* Form::add_check(const QString& text, bool& value) {
  auto* box = new QCheckBox(text, parent_);
  layout_->addRow(box);
  bind({[box, &value] { box->setChecked(value); }, [box, &value] { value = box->isChecked(); }});
  return box;
}

void Form::add_row(const QString& label, QWidget* field) { layout_->addRow(label, field); }

void Form::read() const {
  for (const auto& binding : bindings_) binding.read();
}

void Form::show() const {
  for (const auto& binding : bindings_) binding.show();
}

}  // namespace plenvista
