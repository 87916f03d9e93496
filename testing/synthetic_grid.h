#pragma once

// Synthetic photographs of a ruled grid for the calibration tests and
// benchmarks: dark lines on a light ground, antialiased by their coverage of
// each pixel, optionally with a thicker central cross, a mild barrel
// distortion and some noise. Pixel (x, y) covers x-0.5..x+0.5 and
// y-0.5..y+0.5, so a line whose centre is at c is found at c.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/vec3.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista::test_support {

struct SyntheticGrid {
  int width = 640;
  int height = 480;
  std::vector<double> line_x;  // centres of the vertical lines, left to right, undistorted
  std::vector<double> line_y;  // centres of the horizontal lines, top to bottom, undistorted
  double line_width = 3.0;
  double cross_width = 0.0;  // 0: no central cross
  double cross_arm = 0.0;    // half length of each cross bar
  double barrel = 0.0;       // relative shrink at the half diagonal
  int noise = 0;             // uniform noise of +-noise grey levels
  int paper = 220;
  int ink = 30;
};

inline std::vector<double> evenly(double first, double step, int count) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(first + step * i);
  return v;
}

// A 640 x 480 photograph of the grid a new camera expects: 20 columns by
// 14 rows of 28-pixel cells with a central cross, the top-left cell well
// inside the top-left sixteenth of the photograph.
inline SyntheticGrid default_size_grid() {
  SyntheticGrid grid;
  grid.line_x = evenly(41.3, 28.0, 21);
  grid.line_y = evenly(45.6, 28.0, 15);
  grid.cross_width = 7.0;
  grid.cross_arm = 12.0;
  return grid;
}

// 12 x 8 cells of 44 pixels on a 640 x 480 photograph, the top-left cell
// well inside the top-left sixteenth, the cross at intersection (4, 6), off
// the photograph's centre.
inline SyntheticGrid calibration_grid() {
  SyntheticGrid grid;
  grid.line_x = evenly(57.3, 44.0, 13);
  grid.line_y = evenly(61.7, 44.0, 9);
  grid.cross_width = 7.0;
  grid.cross_arm = 22.0;
  return grid;
}

namespace detail {

inline double radial_factor(const SyntheticGrid& grid, double dx, double dy) {
  const double half_diagonal_sq = (grid.width * grid.width + grid.height * grid.height) / 4.0;
  return 1.0 + grid.barrel * (dx * dx + dy * dy) / half_diagonal_sq;
}

// Fraction of the pixel span [p - s/2, p + s/2] inside [c - w/2, c + w/2].
inline double band_cover(double p, double s, double c, double w) {
  const double lo = std::max(p - s / 2, c - w / 2);
  const double hi = std::min(p + s / 2, c + w / 2);
  return std::clamp((hi - lo) / s, 0.0, 1.0);
}

}  // namespace detail

// The photographed position of intersection (row, column).
inline Point2 true_intersection(const SyntheticGrid& grid, int row, int column) {
  const double cx = grid.width / 2.0;
  const double cy = grid.height / 2.0;
  const double ux = grid.line_x[static_cast<std::size_t>(column)] - cx;
  const double uy = grid.line_y[static_cast<std::size_t>(row)] - cy;
  // The photograph maps an image offset d to the grid offset d * factor(d).
  double dx = ux;
  double dy = uy;
  for (int k = 0; k < 100; ++k) {
    const double f = detail::radial_factor(grid, dx, dy);
    dx = ux / f;
    dy = uy / f;
  }
  return {cx + dx, cy + dy};
}

inline RgbImage draw_grid(const SyntheticGrid& grid) {
  RgbImage image(grid.width, grid.height);
  const double cx = grid.width / 2.0;
  const double cy = grid.height / 2.0;
  const double half = grid.line_width / 2;
  const double x_lo = grid.line_x.front() - half;
  const double x_hi = grid.line_x.back() + half;
  const double y_lo = grid.line_y.front() - half;
  const double y_hi = grid.line_y.back() + half;
  const double cross_x = grid.line_x[grid.line_x.size() / 2];
  const double cross_y = grid.line_y[grid.line_y.size() / 2];
  std::uint32_t seed = 12345;
  for (int y = 0; y < grid.height; ++y) {
    for (int x = 0; x < grid.width; ++x) {
      const double f = detail::radial_factor(grid, x - cx, y - cy);
      const double ux = cx + (x - cx) * f;
      const double uy = cy + (y - cy) * f;
      double clear = 1.0;
      if (uy >= y_lo && uy <= y_hi) {
        for (const double lx : grid.line_x) clear *= 1.0 - detail::band_cover(ux, f, lx, grid.line_width);
      }
      if (ux >= x_lo && ux <= x_hi) {
        for (const double ly : grid.line_y) clear *= 1.0 - detail::band_cover(uy, f, ly, grid.line_width);
      }
      if (grid.cross_width > 0) {
        if (std::abs(uy - cross_y) <= grid.cross_arm)
          clear *= 1.0 - detail::band_cover(ux, f, cross_x, grid.cross_width);
        if (std::abs(ux - cross_x) <= grid.cross_arm)
          clear *= 1.0 - detail::band_cover(uy, f, cross_y, grid.cross_width);
      }
      double grey = grid.ink + (grid.paper - grid.ink) * clear;
      if (grid.noise > 0) {
        seed = seed * 1664525u + 1013904223u;
        grey += static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(2 * grid.noise + 1)) - grid.noise;
      }
      const auto level = static_cast<std::uint8_t>(std::clamp(std::lround(grey), 0L, 255L));
      image.set_pixel(x, y, {level, level, level});
    }
  }
  return image;
}

}  // namespace plenvista::test_support
