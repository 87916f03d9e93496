#pragma once

// The two coordinate transforms of a zoomed and scrolled view, shared by the
// image, CAD and calibration views and by the projection into a view.
//
// Client positions are view pixels from the view's top-left corner; image
// positions are photograph pixels (model units in a CAD view). The view's
// size in client pixels is the widget's and is passed in. The visible span
// is trunc(view size / zoom) image pixels and the scroll is truncated
// towards zero too: the stretched picture is drawn from the same whole
// numbers, so marks stay aligned with it. The truncations are done in
// doubles, so a zero zoom or view size gives an infinite or undefined
// result rather than undefined behaviour.

#include "base/vec3.h"
#include "model/zoom_pan_state.h"

namespace plenvista {

// A view's client area in pixels.
struct ViewSize {
  int width = 0;
  int height = 0;
};

// Visible span of the image in whole image pixels (x and y).
Point2 visible_span(const ZoomPanState& view, ViewSize size);

Point2 client_to_image(const ZoomPanState& view, ViewSize size, Point2 client);
Point2 image_to_client(const ZoomPanState& view, ViewSize size, Point2 image);

// Zooms and scrolls so that the box from `low` to `high` (image positions)
// lies wholly in a view of `size`, centred, as large as the whole-number
// span allows: the span holds the box with a unit to spare on each side for
// the truncated scroll. A box of no extent either way keeps the zoom and is
// centred; a box of no extent one way is fitted along the other. False,
// nothing changed, for an empty view, a box that is not finite or a `high`
// below `low`.
bool fit_box(ZoomPanState& view, ViewSize size, Point2 low, Point2 high);

}  // namespace plenvista
