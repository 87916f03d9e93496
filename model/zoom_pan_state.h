#pragma once

// ZoomPanState: the zoom and scroll of one zoomed and scrolled view, as the
// project file keeps them (one per photograph, three per CAD view settings
// record; the calibration view holds its own). Zoom is screen pixels per
// photograph pixel (per model unit in a CAD view); scroll is the photograph
// position shown at the view's top-left corner. Neither is bounded or
// clamped. The view's size and the mouse are the view widget's own and are
// passed in where a conversion needs them (model/zoom_pan.h,
// views/zoom_pan_mouse.h).

namespace plenvista {

struct ZoomPanState {
  double zoom = 1.0;
  double scroll_x = 0.0;
  double scroll_y = 0.0;

  // Whether zoom and scroll are still the untouched 1 and (0, 0).
  bool untouched() const { return zoom == 1.0 && scroll_x == 0.0 && scroll_y == 0.0; }
};

}  // namespace plenvista
