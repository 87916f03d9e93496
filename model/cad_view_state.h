#pragma once

// Settings of one CAD view window: one ZoomPanState per axis (Z, X, Y) in
// model units (zoom 1.0 = one unit per pixel), the axis shown, and the
// working state of the crosshair and of a press.

#include <array>

#include "base/vec3.h"
#include "model/model_records.h"
#include "model/zoom_pan_state.h"

namespace plenvista {

struct CadViewState {
  std::array<ZoomPanState, 3> sub_views{};  // Z, X, Y
  int current_axis = 0;                     // 0 Z, 1 X, 2 Y
  Point2 crosshair_mouse;                   // client pixels
  Point2 crosshair_drawn;                   // (0, 0): none drawn
  ModelPoint* pressed_point = nullptr;
  Point2 press_position;
  int leading_value = 0;  // carried unchanged through the project file
  int bound_value = 0;    // set to 2 when the main window binds the views

  ZoomPanState& current() { return sub_views[static_cast<std::size_t>(current_axis)]; }
};

}  // namespace plenvista
