#pragma once

// RecordListDialog: the common body of "Layers" and "Materials". A list of
// the records (one text each, in list order) with "Add", "Edit" and
// "Delete" beside it. The first entry is selected whenever the list is
// filled; "Edit" is enabled while an entry is selected, "Delete" only while
// the selected record is not in use. Add, Edit (also a double click) and
// Delete act at once and refill the list; they stay done after Cancel. OK
// posts ImagesChanged so that the windows show the new lists.

#include <QDialog>
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
  RecordListDialog(Project& project, const QString& title, QWidget* parent);

  // Fills the list; the subclass calls it once its own members are ready.
  void fill();

  // One text per record, in list order.
  virtual std::vector<std::string> texts() const = 0;
  virtual bool in_use(int slot) const = 0;
  // Opens the edit dialog for the record at `slot` (-1 to add one); true
  // when it ended with OK.
  virtual bool edit(int slot) = 0;
  virtual void remove(int slot) = 0;

  Project& project_;

 private:
  void on_selection();
  void on_edit();

  QListWidget* list_;
  QPushButton* add_;
  QPushButton* edit_;
  QPushButton* delete_;
};

}  // namespace plenvista
