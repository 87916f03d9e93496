#pragma once

// Mouse input of a zoomed and scrolled view: wheel zoom about the mouse and
// CTRL-drag panning. Both work on the view's ZoomPanState (client pixels for
// the mouse, photograph pixels, or model units in a CAD view, for the image
// side) and report whether the view is to be repainted.

#include "base/vec3.h"
#include "model/zoom_pan_state.h"

namespace plenvista {

// One zoom step per wheel message, whatever the size of `delta`: in by
// zoom_step when it is positive, out otherwise (0 zooms out). The image
// point under the mouse as last recorded (mouse_client, mouse_image) stays
// there, up to the truncation of the scroll to whole pixels. Nothing happens, and false is
// returned, while the view is not visible.
bool wheel_zoom(ZoomPanState& view, int delta, bool visible);

// A mouse move to `client`: records the mouse position; a move with CTRL
// held starts a drag at the image point under the mouse, a move without it
// ends the drag, and while dragging the scroll follows so that the grabbed
// point stays under the mouse. True while dragging.
bool mouse_move_pan(ZoomPanState& view, bool ctrl, Point2 client);

}  // namespace plenvista
