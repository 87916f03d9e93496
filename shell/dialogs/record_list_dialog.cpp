#include "shell/dialogs/record_list_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/project.h"

namespace plenvista {

RecordListDialog::RecordListDialog(Project& project, const QString& title, QWidget* parent)
    : QDialog(parent),
      project_(project),
      list_(new QListWidget(this)),
      add_(new QPushButton(QStringLiteral("Add"), this)),
      edit_(new QPushButton(QStringLiteral("Edit"), this)),
      delete_(new QPushButton(QStringLiteral("Delete"), this)) {
  setWindowTitle(title);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &RecordListDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &RecordListDialog::reject);
  connect(list_, &QListWidget::currentRowChanged, this, [this] { on_selection(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { on_edit(); });
  connect(add_, &QPushButton::clicked, this, [this] {
    if (records_.edit(-1)) fill();
  });
  connect(edit_, &QPushButton::clicked, this, [this] { on_edit(); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    const int slot = selected_slot();
    if (slot >= 0) records_.remove(slot);
    fill();
  });

  auto* record_buttons = new QHBoxLayout;
  record_buttons->addWidget(add_);
  record_buttons->addWidget(edit_);
  record_buttons->addWidget(delete_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(record_buttons);
  layout->addWidget(buttons);
}

int RecordListDialog::selected_slot() const { return list_->currentRow(); }

void RecordListDialog::show_records(Records records) {
  records_ = std::move(records);
  fill();
}

void RecordListDialog::fill() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const std::string& text : records_.texts()) list_->addItem(QString::fromStdString(text));
  if (list_->count() > 0) list_->setCurrentRow(0);
  on_selection();
}

void RecordListDialog::on_selection() {
  const int slot = selected_slot();
  edit_->setEnabled(slot >= 0);
  delete_->setEnabled(slot >= 0 && !records_.in_use(slot));
}

void RecordListDialog::on_edit() {
  const int slot = selected_slot();
  if (slot >= 0 && records_.edit(slot)) fill();
}

void RecordListDialog::accept() {
  project_.post(Notification::ImagesChanged);
  QDialog::accept();
}

}  // namespace plenvista
