#pragma once

// Wheel zoom and CTRL-drag pan, shared by every zoomed and scrolled view
// (image, CAD and calibration views). Positions are client pixels of the
// view, except the drag anchor, which is in the view's image coordinates
// (photograph pixels, or model units in a CAD view). `size` is the view's
// client size. Zoom and scroll are never bounded. Each returns whether the
// view must repaint.

#include "base/vec3.h"
#include "model/zoom_pan.h"
#include "model/zoom_pan_state.h"

namespace plenvista {

// One wheel step zooms by this factor.
inline constexpr double kZoomStep = 1.1;

// The mouse as a view last saw it: the view widget's own, never saved.
struct ZoomPanMouse {
  Point2 client;       // the last known position
  Point2 drag_anchor;  // the image position a CTRL-drag holds under the mouse
  bool dragging = false;
};

// One zoom step per wheel event, whatever the size of the delta: in for a
// positive delta, out otherwise (a delta of 0 zooms out). The photograph
// point under the last known mouse position stays under it, up to the
// truncation of the scroll to whole pixels. An invisible view is left as it
// is.
bool wheel_zoom(ZoomPanState& view, ViewSize size, const ZoomPanMouse& mouse, int delta, bool visible);

// Records the mouse position; while CTRL is held the grabbed photograph
// point follows the mouse. A drag begins at the first move with CTRL and
// ends at the first move without it.
bool mouse_move_pan(ZoomPanState& view, ViewSize size, ZoomPanMouse& mouse, bool ctrl_held, Point2 client);

}  // namespace plenvista
