#include "model/zoom_pan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plenvista {

Point2 visible_span(const ZoomPanState& view, ViewSize size) {
  return {std::trunc(size.width / view.zoom), std::trunc(size.height / view.zoom)};
}

Point2 client_to_image(const ZoomPanState& view, ViewSize size, Point2 client) {
  const Point2 span = visible_span(view, size);
  return {span.x * (client.x / size.width) + std::trunc(view.scroll_x),
          span.y * (client.y / size.height) + std::trunc(view.scroll_y)};
}

Point2 image_to_client(const ZoomPanState& view, ViewSize size, Point2 image) {
  const Point2 span = visible_span(view, size);
  return {((image.x - std::trunc(view.scroll_x)) / span.x) * size.width,
          ((image.y - std::trunc(view.scroll_y)) / span.y) * size.height};
}

bool fit_box(ZoomPanState& view, ViewSize size, Point2 low, Point2 high) {
  if (size.width <= 0 || size.height <= 0 || !std::isfinite(low.x) || !std::isfinite(low.y) || !std::isfinite(high.x) ||
      !std::isfinite(high.y) || high.x < low.x || high.y < low.y)
    return false;
  const double width = high.x - low.x;
  const double height = high.y - low.y;
  if (width > 0.0 || height > 0.0) {
    constexpr double kNone = std::numeric_limits<double>::infinity();
    // Two units more than the box: the scroll is a whole number at or below
    // the box's left and top edges.
    const double along_x = width > 0.0 ? size.width / (std::ceil(width) + 2.0) : kNone;
    const double along_y = height > 0.0 ? size.height / (std::ceil(height) + 2.0) : kNone;
    // A hair below, so that the truncated span is never one unit short.
    view.zoom = std::min(along_x, along_y) * (1.0 - 1e-12);
  }
  const Point2 span = visible_span(view, size);
  view.scroll_x = std::floor((low.x + high.x - span.x) / 2.0);
  view.scroll_y = std::floor((low.y + high.y - span.y) / 2.0);
  return true;
}

}  // namespace plenvista
