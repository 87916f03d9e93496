#include "model/zoom_pan.h"

#include <cmath>

namespace plenvista {

Point2 visible_span(const ZoomPanState& view) {
  return {std::trunc(view.view_width / view.zoom), std::trunc(view.view_height / view.zoom)};
}

Point2 client_to_image(const ZoomPanState& view, Point2 client) {
  const Point2 span = visible_span(view);
  return {span.x * (client.x / view.view_width) + std::trunc(view.scroll_x),
          span.y * (client.y / view.view_height) + std::trunc(view.scroll_y)};
}

Point2 image_to_client(const ZoomPanState& view, Point2 image) {
  const Point2 span = visible_span(view);
  return {((image.x - std::trunc(view.scroll_x)) / span.x) * view.view_width,
          ((image.y - std::trunc(view.scroll_y)) / span.y) * view.view_height};
}

}  // namespace plenvista
