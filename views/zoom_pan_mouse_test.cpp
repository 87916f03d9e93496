#include "views/zoom_pan_mouse.h"

#include <gtest/gtest.h>

#include "model/zoom_pan.h"

namespace plenvista {
namespace {

TEST(WheelZoom, KeepsThePointUnderTheMouseAndStepsOncePerMessage) {
  const ViewSize size{470, 300};
  ZoomPanState view;
  ZoomPanMouse mouse;
  mouse_move_pan(view, size, mouse, false, {123.0, 77.0});
  const Point2 under = client_to_image(view, size, mouse.client);
  for (const int delta : {120, 960, 1, -120, 0, 120, 120}) {
    ASSERT_TRUE(wheel_zoom(view, size, mouse, delta, true));
    const Point2 now = client_to_image(view, size, {123.0, 77.0});
    // The scroll is truncated to whole pixels where it is used.
    EXPECT_NEAR(now.x, under.x, 1.0);
    EXPECT_NEAR(now.y, under.y, 1.0);
  }
  EXPECT_NEAR(view.zoom, 1.1 * 1.1 * 1.1, 1e-12);

  ZoomPanState zero;
  wheel_zoom(zero, size, mouse, 0, true);
  EXPECT_NEAR(zero.zoom, 1.0 / 1.1, 1e-12);

  ZoomPanState hidden;
  EXPECT_FALSE(wheel_zoom(hidden, size, mouse, 120, false));
  EXPECT_EQ(hidden.zoom, 1.0);
}

TEST(MouseMovePan, TheGrabbedPointFollowsTheMouseWhileCtrlIsHeld) {
  const ViewSize size{400, 300};
  ZoomPanState view;
  ZoomPanMouse mouse;
  view.zoom = 2.0;
  EXPECT_FALSE(mouse_move_pan(view, size, mouse, false, {100.0, 100.0}));
  EXPECT_TRUE(mouse_move_pan(view, size, mouse, true, {100.0, 100.0}));
  const Point2 grabbed = mouse.drag_anchor;
  EXPECT_TRUE(mouse_move_pan(view, size, mouse, true, {60.0, 40.0}));
  EXPECT_EQ(client_to_image(view, size, {60.0, 40.0}).x, grabbed.x);
  EXPECT_EQ(client_to_image(view, size, {60.0, 40.0}).y, grabbed.y);
  EXPECT_DOUBLE_EQ(view.scroll_x, 20.0);
  EXPECT_DOUBLE_EQ(view.scroll_y, 30.0);

  // Letting go of CTRL ends the drag: further moves scroll nothing.
  EXPECT_FALSE(mouse_move_pan(view, size, mouse, false, {10.0, 10.0}));
  EXPECT_DOUBLE_EQ(view.scroll_x, 20.0);
  EXPECT_FALSE(mouse.dragging);
}

}  // namespace
}  // namespace plenvista
