#pragma once

// The photograph of a zoomed and scrolled view, stretched onto the whole
// client area without smoothing (pixels are dropped or repeated, never
// blended), shared by the image view and the calibration view.
//
// The source rectangle is (trunc(scroll_x), trunc(scroll_y), span x, span y)
// photograph pixels with the span of model/zoom_pan.h, the same whole
// numbers that place the marks, so marks stay on their pixels. Each client
// pixel shows the photograph pixel under its centre. Client pixels outside
// the photograph, and the whole area when the span is empty or not finite,
// are black. A photograph decoded reduced shows, for that photograph pixel,
// the reduced pixel of its block.

#include <QImage>

#include "model/zoom_pan_state.h"
#include "photogrammetry/pixel_source.h"
#include "platform/photograph_reader.h"

namespace plenvista {

// The photograph's pixels as a Format_RGB32 image, ready to stretch.
QImage to_qimage(const RgbImage& photograph);

// The coarsest reduction (1, 2, 4 or 8) that still gives at least one
// decoded pixel per screen pixel at `zoom` (screen pixels per photograph
// pixel); 1 for a zoom that is not a positive finite number.
int reduction_for_zoom(double zoom);

// Fills `target` (Format_RGB32 or Format_ARGB32_Premultiplied, the client
// size) from `photo`; the target's size is the view's size.
void stretch_photo(const DrawnPhotograph& photo, const ZoomPanState& view, QImage& target);

}  // namespace plenvista
