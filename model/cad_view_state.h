#pragma once

// Settings of one CAD view window as the project file keeps them: one
// ZoomPanState per axis (Z, X, Y) in model units (zoom 1.0 = one unit per
// pixel) and the axis shown. The crosshair, the mouse and a press are the
// view's own (views/cad_view.h).

#include <array>
#include <cstddef>

#include "model/zoom_pan_state.h"

namespace plenvista {

struct CadViewState {
  std::array<ZoomPanState, 3> sub_views{};  // Z, X, Y
  int current_axis = 0;                     // 0 Z, 1 X, 2 Y
  int leading_value = 0;                    // carried unchanged through the project file
  int bound_value = 0;                      // set to 2 when the main window binds the views

  ZoomPanState& current() { return sub_views[static_cast<std::size_t>(current_axis)]; }
};

}  // namespace plenvista
