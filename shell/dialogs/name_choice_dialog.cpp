#include "shell/dialogs/name_choice_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace plenvista {

NameChoiceDialog::NameChoiceDialog(const QString& title, const QString& label, const std::vector<std::string>& names,
                                   int selected, QWidget* parent)
    : QDialog(parent), list_(new QComboBox(this)) {
  setWindowTitle(title);
  for (const std::string& name : names) list_->addItem(QString::fromStdString(name));
  list_->setCurrentIndex(selected);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &NameChoiceDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &NameChoiceDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(label, this));
  layout->addWidget(list_);
  layout->addWidget(buttons);
}

int NameChoiceDialog::chosen() const { return list_->currentIndex(); }

}  // namespace plenvista
