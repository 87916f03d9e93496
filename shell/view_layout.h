#pragma once

// Where the main window puts its four views, in client pixels, for a client
// area of W x H. Rectangles run from left/top to right/bottom (exclusive).
// All views start at (188, 45); they end 15 pixels before the right edge and
// 35 above the bottom. Tabbed display (mode 0): the image view and the
// tabbed CAD view share the whole area. Mixed display (mode 1): split x =
// 188 + trunc(0.6 (W - 203)), split y = 45 + trunc(0.5 (H - 80)); the image
// view on the left, the upper and lower CAD views on the right. A client
// area too small for the views gives rectangles with right < left or
// bottom < top; callers clamp them.

#include <QRect>

namespace plenvista {

struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Edges&, const Edges&) = default;
  // Empty (zero-sized) when right < left or bottom < top.
  QRect rect() const;
};

struct ViewLayout {
  Edges image;
  Edges tabbed_cad;
  Edges upper_cad;  // mixed display only
  Edges lower_cad;  // mixed display only
};

ViewLayout layout_views(int width, int height, int display_mode);

}  // namespace plenvista
