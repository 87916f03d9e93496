#include "shell/dialogs/form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <cmath>
#include <limits>

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

QLineEdit* Form::add_line(const QString& label, const std::string& shown, int max_length) {
  auto* field = new QLineEdit(QString::fromStdString(shown), parent_);
  field->setMaxLength(max_length);
  layout_->addRow(label, field);
  return field;
}

QLineEdit* Form::add_double(const QString& label, double& value, int decimals, int max_length) {
  QLineEdit* field = add_line(label, format_fixed(value, decimals), max_length);
  readers_.push_back([field, &value] { value = parse_number(text_of(field)); });
  return field;
}

QLineEdit* Form::add_int(const QString& label, int& value, int max_length) {
  QLineEdit* field = add_line(label, std::to_string(value), max_length);
  readers_.push_back([field, &value] { value = leading_int(text_of(field)); });
  return field;
}

QLineEdit* Form::add_text(const QString& label, std::string& value, int max_length) {
  QLineEdit* field = add_line(label, value, max_length);
  readers_.push_back([field, &value] { value = text_of(field); });
  return field;
}

QCheckBox* Form::add_check(const QString& text, bool& value) {
  auto* box = new QCheckBox(text, parent_);
  box->setChecked(value);
  layout_->addRow(box);
  readers_.push_back([box, &value] { value = box->isChecked(); });
  return box;
}

void Form::read() const {
  for (const auto& reader : readers_) reader();
}

}  // namespace plenvista
