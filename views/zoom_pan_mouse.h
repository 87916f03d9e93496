#pragma once

// Wheel zoom and CTRL-drag pan, shared by every zoomed and scrolled view
// (image, CAD and calibration views). Positions are client pixels of the
// view; the state's mouse and drag fields are in its image coordinates
// (photograph pixels, or model units in a CAD view). Zoom and scroll are
// never bounded. Each returns whether the view must repaint.

#include "base/vec3.h"
#include "model/zoom_pan_state.h"

namespace plenvista {

// One zoom step per wheel event, whatever the size of the delta: in for a
// positive delta, out otherwise (a delta of 0 zooms out). The photograph
// point under the last known mouse position stays under it, up to the
// truncation of the scroll to whole pixels. An invisible view is left as it
// is.
bool wheel_zoom(ZoomPanState& view, int delta, bool visible);

// Records the mouse position; while CTRL is held the grabbed photograph
// point follows the mouse. A drag begins at the first move with CTRL and
// ends at the first move without it.
bool mouse_move_pan(ZoomPanState& view, bool ctrl_held, Point2 client);

}  // namespace plenvista
