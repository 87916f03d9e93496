#include "views/zoom_pan_mouse.h"

#include <gtest/gtest.h>

#include "model/zoom_pan.h"

namespace plenvista {
namespace {

ZoomPanState view_of(int width, int height) {
  ZoomPanState view;
  view.view_width = width;
  view.view_height = height;
  return view;
}

TEST(WheelZoom, KeepsThePointUnderTheMouseAndStepsOncePerMessage) {
  ZoomPanState view = view_of(470, 300);
  mouse_move_pan(view, false, {123.0, 77.0});
  const Point2 under = view.mouse_image;
  for (const int delta : {120, 960, 1, -120, 0, 120, 120}) {
    ASSERT_TRUE(wheel_zoom(view, delta, true));
    const Point2 now = client_to_image(view, {123.0, 77.0});
    // The scroll is truncated to whole pixels where it is used.
    EXPECT_NEAR(now.x, under.x, 1.0);
    EXPECT_NEAR(now.y, under.y, 1.0);
  }
  EXPECT_NEAR(view.zoom, 1.1 * 1.1 * 1.1, 1e-12);

  ZoomPanState zero = view_of(470, 300);
  wheel_zoom(zero, 0, true);
  EXPECT_NEAR(zero.zoom, 1.0 / 1.1, 1e-12);

  ZoomPanState hidden = view_of(470, 300);
  EXPECT_FALSE(wheel_zoom(hidden, 120, false));
  EXPECT_EQ(hidden.zoom, 1.0);
}

TEST(MouseMovePan, TheGrabbedPointFollowsTheMouseWhileCtrlIsHeld) {
  ZoomPanState view = view_of(400, 300);
  view.zoom = 2.0;
  EXPECT_FALSE(mouse_move_pan(view, false, {100.0, 100.0}));
  EXPECT_TRUE(mouse_move_pan(view, true, {100.0, 100.0}));
  const Point2 grabbed = view.drag_anchor;
  EXPECT_TRUE(mouse_move_pan(view, true, {60.0, 40.0}));
  EXPECT_EQ(client_to_image(view, {60.0, 40.0}).x, grabbed.x);
  EXPECT_EQ(client_to_image(view, {60.0, 40.0}).y, grabbed.y);
  EXPECT_DOUBLE_EQ(view.scroll_x, 20.0);
  EXPECT_DOUBLE_EQ(view.scroll_y, 30.0);

  // Letting go of CTRL ends the drag: further moves scroll nothing.
  EXPECT_FALSE(mouse_move_pan(view, false, {10.0, 10.0}));
  EXPECT_DOUBLE_EQ(view.scroll_x, 20.0);
  EXPECT_EQ(view.dragging, 0);
}

}  // namespace
}  // namespace plenvista
