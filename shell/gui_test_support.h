#pragma once

// Helpers of the shell's GUI tests: real clicks and typing, and scripted
// answers to modal dialogs.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>

#include "model/project.h"
#include "testing/recorders.h"

namespace plenvista::test_support {

// A project whose notifications and messages are recorded.
struct RecordedProject {
  MemorySettingsStore settings;
  RecordingNotifier notifier;
  RecordingMessages messages;
  Project project{settings, notifier, messages};

  bool posted(Notification n) const {
    return std::find(notifier.posted.begin(), notifier.posted.end(), Posted{n, 0}) != notifier.posted.end();
  }
};

// Mouse events go to whatever widget lies at the point, so pending layouts
// are carried out first. A check box reacts only on its box and label: it
// is clicked near its left edge, a push button in its middle.
inline void click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QApplication::processEvents();
  if (qobject_cast<QCheckBox*>(button))
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  else
    QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces a field's text the way a user does: select all, type.
inline void type_into(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  QTest::keyClicks(field, text);
}

inline QAbstractButton* dialog_button(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  auto* box = dialog.findChild<QDialogButtonBox*>();
  return box ? box->button(which) : nullptr;
}

// Clicks a row of a list (its text, not its check box).
inline void click_row(QListWidget* list, int row, Qt::KeyboardModifiers keys = {}) {
  QApplication::processEvents();
  list->doItemsLayout();
  const QRect rect = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, QPoint(rect.right() - 4, rect.center().y()));
}

// Toggles the check box of a check list's row as the keyboard does: the row
// is clicked, then SPACE pressed.
inline void toggle_check(QListWidget* list, int row) {
  click_row(list, row);
  QTest::keyClick(list, Qt::Key_Space);
}

inline void click_tab(QTabWidget* tabs, int index) {
  QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

inline void click_ok(QDialog& dialog) { click(dialog_button(dialog, QDialogButtonBox::Ok)); }
inline void click_cancel(QDialog& dialog) { click(dialog_button(dialog, QDialogButtonBox::Cancel)); }

// Answers the modal dialogs a command opens, in order. Each step waits for
// a modal dialog of its type and acts on it (the act may leave it open, for
// a later step to act on again); a step's act returning false keeps the
// step, so it runs again at the next poll (to wait for a button to become
// enabled). The script fails the test when steps are left at its end.
class ModalScript {
 public:
  ModalScript() {
    timer_.setInterval(2);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }
  ~ModalScript() { EXPECT_TRUE(steps_.empty()) << steps_.size() << " dialog steps not reached"; }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  template <class Dialog>
  ModalScript& then(std::function<bool(Dialog&)> act) {
    steps_.push_back([act](QWidget* modal) {
      auto* dialog = dynamic_cast<Dialog*>(modal);
      return dialog && dialog->isVisible() && act(*dialog);
    });
    return *this;
  }
  template <class Dialog>
  ModalScript& then_do(std::function<void(Dialog&)> act) {
    return then<Dialog>([act](Dialog& d) {
      act(d);
      return true;
    });
  }

 private:
  void poll() {
    if (steps_.empty() || busy_) return;
    busy_ = true;
    if (steps_.front()(QApplication::activeModalWidget())) steps_.pop_front();
    busy_ = false;
  }

  QTimer timer_;
  std::deque<std::function<bool(QWidget*)>> steps_;
  bool busy_ = false;
};

}  // namespace plenvista::test_support
