#pragma once

// The keys the image view and the CAD view take for themselves: SHIFT (acted
// on at the first press only; its repeats are ignored until a key goes up),
// ESC, DELETE, and ENTER, which is taken and does nothing, so that it never
// reaches a window that could close on it. Every other key goes on.

#include <QKeyEvent>
#include <functional>

namespace plenvista {

class ViewKeys {
 public:
  struct Actions {
    std::function<void()> shift_down;
    std::function<void()> escape;
    std::function<void()> erase;  // DELETE
  };
  explicit ViewKeys(Actions actions) : actions_(std::move(actions)) {}

  // Whether the key was taken.
  bool press(QKeyEvent& event) {
    const int previous = last_key_;
    last_key_ = event.key();
    switch (event.key()) {
      case Qt::Key_Shift:
        if (previous != Qt::Key_Shift) actions_.shift_down();
        break;
      case Qt::Key_Escape:
        actions_.escape();
        break;
      case Qt::Key_Delete:
        actions_.erase();
        break;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        break;
      default:
        return false;
    }
    event.accept();
    return true;
  }
  // A key that goes up (not a repeat) ends the ignoring of repeats.
  void release(const QKeyEvent& event) {
    if (!event.isAutoRepeat()) forget();
  }
  // The view lost the keyboard: a key let go elsewhere is never seen here,
  // so the next press is a first one.
  void forget() { last_key_ = 0; }

 private:
  Actions actions_;
  int last_key_ = 0;
};

}  // namespace plenvista
