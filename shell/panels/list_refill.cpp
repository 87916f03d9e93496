#include "shell/panels/list_refill.h"

#include <QComboBox>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>

namespace plenvista {

void refill_list(QListWidget& list, const QStringList& lines, const std::vector<bool>& checked) {
  const QSignalBlocker quiet(&list);
  const int scroll = list.verticalScrollBar()->value();
  const int count = static_cast<int>(lines.size());
  const bool checkable = !checked.empty();
  while (list.count() > count) delete list.takeItem(list.count() - 1);
  for (int row = 0; row < count; ++row) {
    QListWidgetItem* item = list.item(row);
    if (!item) {
      item = new QListWidgetItem(lines[row], &list);
      if (checkable) {
        // Only an item that holds a check state shows a box that can be toggled.
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
      }
    } else if (item->text() != lines[row]) {
      item->setText(lines[row]);
    }
    if (checkable) {
      const Qt::CheckState state = checked[static_cast<std::size_t>(row)] ? Qt::Checked : Qt::Unchecked;
      if (item->checkState() != state) item->setCheckState(state);
    }
  }
  list.verticalScrollBar()->setValue(scroll);
}

void refill_combo(QComboBox& combo, const QStringList& entries, int current) {
  const QSignalBlocker quiet(&combo);
  const int count = static_cast<int>(entries.size());
  while (combo.count() > count) combo.removeItem(combo.count() - 1);
  for (int i = 0; i < count; ++i) {
    if (i >= combo.count())
      combo.addItem(entries[i]);
    else if (combo.itemText(i) != entries[i])
      combo.setItemText(i, entries[i]);
  }
  combo.setCurrentIndex(current >= 0 && current < count ? current : -1);
}

}  // namespace plenvista
