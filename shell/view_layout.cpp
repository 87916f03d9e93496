#include "shell/view_layout.h"

#include <algorithm>

namespace plenvista {

QRect Edges::rect() const { return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top)); }

ViewLayout layout_views(int width, int height, int display_mode) {
  constexpr int kLeft = 188;
  constexpr int kTop = 45;
  const int right = width - 15;
  const int bottom = height - 35;
  ViewLayout layout;
  if (display_mode == 0) {
    layout.image = {kLeft, kTop, right, bottom};
    layout.tabbed_cad = layout.image;
    return layout;
  }
  const int split_x = kLeft + static_cast<int>(0.6 * (width - 203));
  const int split_y = kTop + static_cast<int>(0.5 * (height - 80));
  layout.image = {kLeft, kTop, split_x, bottom};
  layout.tabbed_cad = {kLeft, kTop, right, bottom};
  layout.upper_cad = {split_x, kTop, right, split_y};
  layout.lower_cad = {split_x, split_y, right, bottom};
  return layout;
}

}  // namespace plenvista
