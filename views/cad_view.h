#pragma once

// CadView: one orthographic model view window, bound for its lifetime to one
// of the project's three CadViewState records. The main window places it (in
// client pixels), shows or hides it and chooses its axis (0 Z, 1 X, 2 Y);
// the record keeps one zoom and scroll state per axis. The view draws an
// empty light area until the model drawing is added.

#include <QWidget>

#include "model/cad_view_state.h"

namespace plenvista {

class CadView : public QWidget {
 public:
  CadView(CadViewState& state, QWidget* parent);

  CadViewState& state() { return state_; }
  // Makes `axis` (0 Z, 1 X, 2 Y; anything else is ignored) the current axis;
  // its zoom and scroll state come with it.
  void set_current_axis(int axis);
  int current_axis() const { return state_.current_axis; }

 private:
  CadViewState& state_;
};

}  // namespace plenvista
