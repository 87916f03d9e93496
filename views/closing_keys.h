#pragma once

// ENTER and ESC close a dialog by default. Windows inside the Camera
// Editor, and the editor itself, swallow them so that a key meant for the
// view never ends the calibration.

#include <QKeyEvent>

namespace plenvista {

// Accepts (swallows) ENTER, RETURN and ESC; false for any other key.
inline bool swallow_closing_key(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return true;
    default:
      return false;
  }
}

}  // namespace plenvista
