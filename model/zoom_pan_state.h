#pragma once

// ZoomPanState: the zoom, scroll and mouse state of one view (one per
// photograph, three per CAD view settings record, one in the calibration
// view). Zoom is screen pixels per photograph pixel (per model unit in a CAD
// view); scroll is the photograph position shown at the view's top-left
// corner. Neither is bounded or clamped.

#include "base/vec3.h"

namespace plenvista {

struct ZoomPanState {
  double zoom = 1.0;
  double zoom_step = 1.1;
  double scroll_x = 0.0;
  double scroll_y = 0.0;
  int view_height = 10;
  int view_width = 10;
  bool centred = false;
  Point2 mouse_client;
  Point2 mouse_image;
  Point2 drag_anchor;
  bool dragging = false;
};

}  // namespace plenvista
