#pragma once

// NameChoiceDialog: the common body of "Set Layer" and "Set Material": a
// label over a drop-down list of names, one entry selected (or none), OK
// and Cancel. Subclasses apply the choice in accept().

#include <QDialog>
#include <string>
#include <vector>

#include "base/text.h"
#include "model/id_list.h"

class QComboBox;

namespace plenvista {

// The names of layers or materials, in list order.
template <class Record>
std::vector<std::string> names_of(const IdList<Record>& records) {
  std::vector<std::string> names;
  for (const Record* record : records) names.emplace_back(shown(record->name));
  return names;
}

class NameChoiceDialog : public QDialog {
 public:
  QComboBox* list() const { return list_; }
  // The selected entry's position, -1 for none.
  int chosen() const;

 protected:
  // `selected` -1 for no selection.
  NameChoiceDialog(const QString& title, const QString& label, const std::vector<std::string>& names, int selected,
                   QWidget* parent);

 private:
  QComboBox* list_;
};

}  // namespace plenvista
