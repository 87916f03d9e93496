#include "views/zoom_pan_mouse.h"

#include "model/zoom_pan.h"

namespace plenvista {

bool wheel_zoom(ZoomPanState& view, int delta, bool visible) {
  if (!visible) return false;
  const Point2 before = client_to_image(view, view.mouse_client);
  if (delta > 0)
    view.zoom *= view.zoom_step;
  else
    view.zoom /= view.zoom_step;
  const Point2 after = client_to_image(view, view.mouse_client);
  view.scroll_x += before.x - after.x;
  view.scroll_y += before.y - after.y;
  view.mouse_image = client_to_image(view, view.mouse_client);
  return true;
}

bool mouse_move_pan(ZoomPanState& view, bool ctrl_held, Point2 client) {
  view.mouse_client = client;
  view.mouse_image = client_to_image(view, client);
  if (view.dragging && !ctrl_held) view.dragging = 0;
  if (!view.dragging && ctrl_held) {
    view.dragging = 1;
    view.drag_anchor = view.mouse_image;
  }
  if (!view.dragging) return false;
  view.scroll_x += view.drag_anchor.x - view.mouse_image.x;
  view.scroll_y += view.drag_anchor.y - view.mouse_image.y;
  return true;
}

}  // namespace plenvista
