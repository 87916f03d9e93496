#include "model/zoom_pan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace plenvista {
namespace {

ZoomPanState view_of(double zoom, double scroll_x, double scroll_y) {
  ZoomPanState view;
  view.zoom = zoom;
  view.scroll_x = scroll_x;
  view.scroll_y = scroll_y;
  return view;
}

TEST(ClientToImage, TruncatesTheSpanAndTheScroll) {
  // 100 / 0.3 = 333.33 -> span 333; 50 / 0.3 = 166.67 -> span 166.
  const ZoomPanState view = view_of(0.3, 10.9, -4.7);
  const Point2 image = client_to_image(view, {100, 50}, {50, 25});
  EXPECT_DOUBLE_EQ(image.x, 333 * 0.5 + 10);
  EXPECT_DOUBLE_EQ(image.y, 166 * 0.5 - 4);
}

TEST(ImageToClient, InvertsClientToImage) {
  const ZoomPanState view = view_of(2.5, 123.6, 77.2);
  const ViewSize size{640, 480};
  const Point2 client{317.25, 12.5};
  const Point2 back = image_to_client(view, size, client_to_image(view, size, client));
  EXPECT_NEAR(back.x, client.x, 1e-9);
  EXPECT_NEAR(back.y, client.y, 1e-9);
  const Point2 origin = image_to_client(view, size, {123, 77});
  EXPECT_DOUBLE_EQ(origin.x, 0);
  EXPECT_DOUBLE_EQ(origin.y, 0);
}

TEST(ImageToClient, ZoomLargerThanTheViewGivesNonFiniteValues) {
  const ZoomPanState view = view_of(20.0, 0, 0);
  const Point2 client = image_to_client(view, {10, 10}, {1, 1});
  EXPECT_FALSE(std::isfinite(client.x));
  EXPECT_FALSE(std::isfinite(client.y));
}

// Whatever the box and the view, the box's corners come out inside the
// client area, and the box fills most of it along one axis.
TEST(FitBox, TheWholeBoxShowsCentredAndLarge) {
  struct Case {
    int width, height;
    Point2 low, high;
  };
  const Case cases[] = {
      {800, 600, {0, 0}, {4000, 3000}},       // a photograph, same aspect
      {640, 200, {0, 0}, {4000, 3000}},       // a wide view: fitted by height
      {300, 900, {-12.5, 7.25}, {3.5, 9.0}},  // a small model box off the origin
      {1000, 700, {-1e6, -1e6}, {1e6, 5}},    // flat and huge
  };
  for (const Case& c : cases) {
    ZoomPanState view = view_of(1.0, 0.0, 0.0);
    const ViewSize size{c.width, c.height};
    ASSERT_TRUE(fit_box(view, size, c.low, c.high));
    const Point2 a = image_to_client(view, size, c.low);
    const Point2 b = image_to_client(view, size, c.high);
    EXPECT_GE(a.x, 0.0);
    EXPECT_GE(a.y, 0.0);
    EXPECT_LE(b.x, c.width);
    EXPECT_LE(b.y, c.height);
    const double fill = std::max((b.x - a.x) / c.width, (b.y - a.y) / c.height);
    EXPECT_GT(fill, 0.5) << c.width << " x " << c.height;
    // Centred to within the whole-unit scroll.
    const double unit = c.width / visible_span(view, size).x;
    EXPECT_NEAR(a.x, c.width - b.x, 2 * unit + 1e-9);
  }
}

TEST(FitBox, DegenerateBoxesAndViews) {
  // One point: the zoom stays, the point comes to the middle.
  ZoomPanState view = view_of(2.0, 17.0, -3.0);
  const ViewSize size{400, 300};
  ASSERT_TRUE(fit_box(view, size, {10, 10}, {10, 10}));
  EXPECT_EQ(view.zoom, 2.0);
  const Point2 at = image_to_client(view, size, {10, 10});
  EXPECT_NEAR(at.x, 200.0, 2.0);
  EXPECT_NEAR(at.y, 150.0, 2.0);
  // A vertical line: fitted along y.
  ASSERT_TRUE(fit_box(view, size, {5, 0}, {5, 1000}));
  EXPECT_LE(image_to_client(view, size, {5, 1000}).y, 300.0);
  EXPECT_GT(image_to_client(view, size, {5, 1000}).y, 250.0);
  // Refused: nothing changes.
  const ZoomPanState before = view;
  EXPECT_FALSE(fit_box(view, size, {1, 1}, {0, 0}));
  EXPECT_FALSE(fit_box(view, size, {0, 0}, {std::nan(""), 1}));
  EXPECT_FALSE(fit_box(view, {0, 300}, {0, 0}, {10, 10}));
  EXPECT_EQ(view.zoom, before.zoom);
  EXPECT_EQ(view.scroll_x, before.scroll_x);
}

}  // namespace
}  // namespace plenvista
