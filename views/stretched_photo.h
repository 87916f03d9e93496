#pragma once

// Draws a photograph into a zoomed and scrolled view: the source rectangle
// (trunc(scroll_x), trunc(scroll_y), span x, span y) of the photograph, in
// photograph pixels, is stretched over the whole client area. Pixels are
// repeated or dropped, never blended, so the picture lines up with marks
// placed by image_to_client. Where the source rectangle leaves the
// photograph the client area is black.

#include <QImage>
#include <QSize>

#include "model/zoom_pan_state.h"
#include "photogrammetry/pixel_source.h"

class QPainter;

namespace plenvista {

// A decoded photograph as a QImage for drawing.
QImage to_qimage(const RgbImage& photograph);

void draw_stretched_photo(QPainter& painter, const QImage& photograph, const ZoomPanState& view, QSize client);

}  // namespace plenvista
