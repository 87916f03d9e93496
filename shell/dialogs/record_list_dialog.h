#pragma once

// RecordListDialog: the common body of "Layers" and "Materials". A list of
// the records (one text each, in list order) with "Add", "Edit" and
// "Delete" beside it. The first entry is selected whenever the list is
// filled; "Edit" is enabled while an entry is selected, "Delete" only while
// the selected record is not in use. Add, Edit (also a double click) and
// Delete act at once and refill the list; they stay done after Cancel. OK
// posts ImagesChanged so that the windows show the new lists. A dialog
// made on it hands over what differs: its records' texts, whether one is in
// use, its edit dialog and its removal.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace plenvista {

struct Project;

class RecordListDialog : public QDialog {
 public:
  QListWidget* list() const { return list_; }
  QPushButton* add_button() const { return add_; }
  QPushButton* edit_button() const { return edit_; }
  QPushButton* delete_button() const { return delete_; }
  // The list position of the selected entry, -1 for none.
  int selected_slot() const;

  void accept() override;

 protected:
  struct Records {
    // One text per record, in list order.
    std::function<std::vector<std::string>()> texts;
    std::function<bool(int slot)> in_use;
    // Opens the edit dialog for the record at `slot` (-1 to add one); true
    // when it ended with OK.
    std::function<bool(int slot)> edit;
    std::function<void(int slot)> remove;
  };

  RecordListDialog(Project& project, const QString& title, QWidget* parent);

  // Takes the records' operations and fills the list.
  void show_records(Records records);

  Project& project_;

 private:
  void fill();
  void on_selection();
  void on_edit();

  Records records_;

  QListWidget* list_;
  QPushButton* add_;
  QPushButton* edit_;
  QPushButton* delete_;
};

}  // namespace plenvista
