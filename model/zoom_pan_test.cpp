#include "model/zoom_pan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plenvista {
namespace {

ZoomPanState view_of(int width, int height, double zoom, double scroll_x, double scroll_y) {
  ZoomPanState view;
  view.view_width = width;
  view.view_height = height;
  view.zoom = zoom;
  view.scroll_x = scroll_x;
  view.scroll_y = scroll_y;
  return view;
}

TEST(ClientToImage, TruncatesTheSpanAndTheScroll) {
  // 100 / 0.3 = 333.33 -> span 333; 50 / 0.3 = 166.67 -> span 166.
  const ZoomPanState view = view_of(100, 50, 0.3, 10.9, -4.7);
  const Point2 image = client_to_image(view, {50, 25});
  EXPECT_DOUBLE_EQ(image.x, 333 * 0.5 + 10);
  EXPECT_DOUBLE_EQ(image.y, 166 * 0.5 - 4);
}

TEST(ImageToClient, InvertsClientToImage) {
  const ZoomPanState view = view_of(640, 480, 2.5, 123.6, 77.2);
  const Point2 client{317.25, 12.5};
  const Point2 back = image_to_client(view, client_to_image(view, client));
  EXPECT_NEAR(back.x, client.x, 1e-9);
  EXPECT_NEAR(back.y, client.y, 1e-9);
  const Point2 origin = image_to_client(view, {123, 77});
  EXPECT_DOUBLE_EQ(origin.x, 0);
  EXPECT_DOUBLE_EQ(origin.y, 0);
}

TEST(ImageToClient, ZoomLargerThanTheViewGivesNonFiniteValues) {
  const ZoomPanState view = view_of(10, 10, 20.0, 0, 0);
  const Point2 client = image_to_client(view, {1, 1});
  EXPECT_FALSE(std::isfinite(client.x));
  EXPECT_FALSE(std::isfinite(client.y));
}

}  // namespace
}  // namespace plenvista
