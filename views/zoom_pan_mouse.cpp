#include "views/zoom_pan_mouse.h"

namespace plenvista {

bool wheel_zoom(ZoomPanState& view, ViewSize size, const ZoomPanMouse& mouse, int delta, bool visible) {
  if (!visible) return false;
  const Point2 before = client_to_image(view, size, mouse.client);
  if (delta > 0)
    view.zoom *= kZoomStep;
  else
    view.zoom /= kZoomStep;
  const Point2 after = client_to_image(view, size, mouse.client);
  view.scroll_x += before.x - after.x;
  view.scroll_y += before.y - after.y;
  return true;
}

bool mouse_move_pan(ZoomPanState& view, ViewSize size, ZoomPanMouse& mouse, bool ctrl_held, Point2 client) {
  mouse.client = client;
  const Point2 image = client_to_image(view, size, client);
  if (mouse.dragging && !ctrl_held) mouse.dragging = false;
  if (!mouse.dragging && ctrl_held) {
    mouse.dragging = true;
    mouse.drag_anchor = image;
  }
  if (!mouse.dragging) return false;
  view.scroll_x += mouse.drag_anchor.x - image.x;
  view.scroll_y += mouse.drag_anchor.y - image.y;
  return true;
}

}  // namespace plenvista
