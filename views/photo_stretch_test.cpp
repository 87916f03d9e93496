#include "views/photo_stretch.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/zoom_pan.h"

namespace plenvista {
namespace {

// Every pixel of the photograph a colour of its own.
RgbImage numbered(int width, int height) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.set_pixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 128});
  return image;
}

TEST(StretchPhoto, EachClientPixelShowsThePhotographPixelItMapsTo) {
  const DrawnPhotograph photo{to_qimage(numbered(60, 40)), 1, 60, 40};
  ZoomPanState view;
  const ViewSize size{90, 70};
  view.zoom = 2.5;
  view.scroll_x = -5.7;  // the picture starts inside the view: black to its left
  view.scroll_y = 12.3;

  QImage client(90, 70, QImage::Format_RGB32);
  client.fill(Qt::red);
  stretch_photo(photo, view, client);

  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 90; ++x) {
      // The centre of the client pixel, in photograph pixels; a centre that
      // falls on the border of two photograph pixels may show either.
      const Point2 at = client_to_image(view, size, {x + 0.5, y + 0.5});
      const auto on_border = [](double v) { return std::abs(v - std::round(v)) < 1e-9; };
      if (on_border(at.x) || on_border(at.y)) continue;
      const int px = static_cast<int>(std::floor(at.x));
      const int py = static_cast<int>(std::floor(at.y));
      const QColor shown = client.pixelColor(x, y);
      if (px < 0 || py < 0 || px >= 60 || py >= 40) {
        EXPECT_EQ(shown, QColor(Qt::black)) << x << ", " << y;
      } else {
        EXPECT_EQ(shown, QColor(px, py, 128)) << x << ", " << y;
      }
    }
  }
}

// A photograph decoded at half size: each photograph pixel shows its
// block's reduced pixel, so a view at zoom 0.5 shows every reduced pixel once.
TEST(StretchPhoto, ReducedPhotographShowsTheBlockOfEachPixel) {
  EXPECT_EQ(reduction_for_zoom(1.0), 1);
  EXPECT_EQ(reduction_for_zoom(0.6), 1);
  EXPECT_EQ(reduction_for_zoom(0.5), 2);
  EXPECT_EQ(reduction_for_zoom(0.3), 2);
  EXPECT_EQ(reduction_for_zoom(0.01), 8);
  EXPECT_EQ(reduction_for_zoom(0.0), 1);

  const DrawnPhotograph photo{to_qimage(numbered(30, 20)), 2, 60, 40};
  ZoomPanState view;
  view.zoom = 0.5;
  view.scroll_x = -4;  // two black columns on the left
  QImage client(40, 25, QImage::Format_RGB32);
  stretch_photo(photo, view, client);
  for (int y = 0; y < 25; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 2 && x < 32 && y < 20;
      EXPECT_EQ(client.pixelColor(x, y), inside ? QColor(x - 2, y, 128) : QColor(Qt::black)) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace plenvista
