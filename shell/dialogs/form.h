#pragma once

// Form: the labelled fields of a dialog, each bound to a value of the
// caller's. Building a row shows the value in its field; read() writes
// every field back to its value and show() shows every value again. The caller keeps the bound values alive
// as long as the form (usually both are members of the dialog).
//
// Numbers never depend on the user's locale: a double is shown with a fixed
// number of decimals ("%0.Nf"), an int in plain decimal; both are read back
// as the leading number of the text (leading blanks and a sign allowed,
// "2,5" reads 2, "12.7" reads 12 as an int) and as 0 when the text starts
// with no number. Texts are UTF-8. `max_length` limits what the user can
// type, in characters.
//
//   Form form(this);
//   form.add_double("Scale:", edit_.scale, 2);
//   layout->addLayout(form.layout());
//   ...on OK: form.read();

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QFormLayout;
class QLineEdit;
class QWidget;

namespace plenvista {

class Form {
 public:
  static constexpr int kTextLength = 127;

  // The fields are children of `parent`; the layout is handed to the
  // dialog's own layout.
  explicit Form(QWidget* parent);

  QFormLayout* layout() const { return layout_; }

  QLineEdit* add_double(const QString& label, double& value, int decimals, int max_length = kTextLength);
  QLineEdit* add_int(const QString& label, int& value, int max_length = kTextLength);
  QLineEdit* add_text(const QString& label, std::string& value, int max_length = kTextLength);
  // A check box carrying its own label in the field column.
  QCheckBox* add_check(const QString& text, bool& value);
  // A labelled row the form does not bind: a static text, or a field
  // with a button beside it.
  void add_row(const QString& label, QWidget* field);

  // Writes every field back to the value it is bound to.
  void read() const;
  // Shows every bound value in its field again, as when it was built.
  void show() const;

 private:
  struct Binding {
    std::function<void()> show;
    std::function<void()> read;
  };
  QLineEdit* add_line(const QString& label, int max_length);
  void bind(Binding binding);

  QWidget* parent_;
  QFormLayout* layout_;
  std::vector<Binding> bindings_;
};

}  // namespace plenvista
