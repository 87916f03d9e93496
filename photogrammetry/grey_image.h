#pragma once

// A photograph's brightness, one byte a pixel, for feature detection and
// for comparing patches between photographs.
//
// Pixels as in the pixel source: x right, y down, (0, 0) the top-left
// pixel's centre. sample() interpolates bilinearly between the four pixels
// around a position and gives NaN where they are not all inside;
// sample_inside() leaves that check to its caller.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "photogrammetry/pixel_source.h"

namespace plenvista {

struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // row after row

  float sample(double x, double y) const {
    if (!(x >= 0 && y >= 0 && x < width - 1 && y < height - 1)) return NAN;
    return sample_inside(x, y);
  }
  // The same where the caller knows the four pixels are inside.
  float sample_inside(double x, double y) const {
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const float fx = static_cast<float>(x - x0), fy = static_cast<float>(y - y0);
    const std::uint8_t* p = pixels.data() + static_cast<std::size_t>(y0) * static_cast<std::size_t>(width) + x0;
    const float top = p[0] + fx * (p[1] - p[0]);
    const float bottom = p[width] + fx * (p[width + 1] - p[width]);
    return top + fy * (bottom - top);
  }
};

// How far apart a patch's samples lie when two photographs are compared,
// pixels: whole pixels for photographs up to 1200 px wide, as much farther
// apart on wider ones, so that a patch covers as much of the scene
// whatever the resolution.
inline double patch_spacing(const GreyImage& a, const GreyImage& b) {
  return std::max(1.0, std::max(a.width, b.width) / 1200.0);
}

// Luma of the red, green and blue (weights 0.30, 0.59, 0.11).
GreyImage grey_image(const RgbImage& photograph);

}  // namespace plenvista
