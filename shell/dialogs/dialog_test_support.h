#pragma once

// Shared by the dialog tests, beside the clicks and typing of
// shell/gui_test_support.h: a scripted colour chooser (answers taken from a
// queue, an empty queue cancels), driving a modal dialog once it is open,
// and more real clicks and key presses on its controls.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/dialogs/dialog_choosers.h"
#include "shell/gui_test_support.h"

namespace plenvista::test_support {

class ScriptedChoosers : public DialogChoosers {
 public:
  std::optional<Colour> choose_colour(QWidget*, Colour current) override {
    colours_offered.push_back(current);
    if (colours.empty()) return std::nullopt;
    auto answer = colours.front();
    colours.pop_front();
    return answer;
  }
  std::deque<std::optional<Colour>> colours;
  std::vector<Colour> colours_offered;
};

// Runs `drive` on the modal dialog of type Dialog as soon as it is open
// (looking every 10 ms for at most 5 s); `drive` must close it.
template <class Dialog>
void when_open(std::function<void(Dialog&)> drive) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, drive] {
    auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog && ++*tries < 500) return;
    timer->stop();
    timer->deleteLater();
    if (dialog) drive(*dialog);
  });
  timer->start(10);
}

// A check box is toggled with the space key: a mouse click counts only on
// its indicator and text, which move while the dialog is being laid out.
inline void toggle(QAbstractButton* box) {
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Space);
}

// The dialog's own button with this text ("OK", "Cancel").
inline QAbstractButton* button(QWidget& dialog, const QString& text) {
  for (auto* b : dialog.findChildren<QAbstractButton*>())
    if (b->text().remove(QLatin1Char('&')) == text) return b;
  return nullptr;
}
inline void click(QWidget& dialog, const QString& text) { click(button(dialog, text)); }

inline void double_click_row(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Moves a drop-down list's selection to `index` with the arrow keys.
inline void choose(QComboBox* list, int index) {
  while (list->currentIndex() < index) QTest::keyClick(list, Qt::Key_Down);
  while (list->currentIndex() > index) QTest::keyClick(list, Qt::Key_Up);
}

inline std::vector<std::string> texts_of(const QListWidget* list) {
  std::vector<std::string> texts;
  for (int row = 0; row < list->count(); ++row) texts.push_back(list->item(row)->text().toStdString());
  return texts;
}

}  // namespace plenvista::test_support
